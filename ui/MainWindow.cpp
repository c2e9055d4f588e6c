#include "ui/MainWindow.h"

#include "BinaryData.h"

MainWindow::MainWindow (VorsanTembrolinAudioProcessor& owner)
    : processor (owner)
{
    setOpaque (true);

    for (int row = 0; row < panelRows; ++row)
        panelIds[(size_t) row] = FxParams[row].id;

    // Children are added bottom to top; each step keeps its place in this
    // order when the parts it names arrive.

    // 1. The about screen's version label.

    // 2. The window's own size, the design size.
    setSize (designWidth, designHeight);

    // 3. The front panel, taller than the window: only its top rows show. It
    //    takes the processor's copies of incoming MIDI itself.
    mainSection = std::make_unique<MainSection> (processor);
    mainSection->setBounds (0, 0, MainSection::panelWidth, MainSection::panelHeight);
    addAndMakeVisible (*mainSection);
    mainSection->onAboutRequest = [this] { showAboutScreen(); };

    // 4. The in-window dialog (600 x 210, hidden).
    // 5. The header strip (0, 0, 1340, 158) and its callbacks.
    // 6. The news strip (40, 0, 800, 64).

    // 7. The strip over the seam where the panel picture is cut off.
    cablesMask = std::make_unique<StaticImage> (
        juce::ImageCache::getFromMemory (BinaryData::mask_cables_png, BinaryData::mask_cables_pngSize), 1);
    cablesMask->setBounds (0, 685, designWidth, 15);
    addAndMakeVisible (*cablesMask);

    // 8. The edit panel (hidden) and its callback.
    // 9. The about screen (hidden).
    // 10. The document browser (hidden).
    // 11. On the very first start, the licence text.

    // 12. The controls show the sound from the first frame on, not only
    //     after the first tick.
    timerCallback();
    startTimer (50);
}

MainWindow::~MainWindow()
{
    stopTimer();
}

void MainWindow::timerCallback()
{
    if (mainSection != nullptr)
    {
        for (int row = 0; row < panelRows; ++row)
            mainSection->Update (panelIds[(size_t) row], processor.params[row]->getValue());

        // Setting the opacity it already has repaints nothing, so the lamp is
        // only redrawn when it turns on or off.
        mainSection->modLamp->setAlpha (processor.getModulationValue() > 0.0f ? 1.0f : 0.0f);
    }

    // The edit panel's update follows here.
}

void MainWindow::showAboutScreen()
{
    // Composes the about text and fades the about screen in, once it exists.
}

void MainWindow::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
}
