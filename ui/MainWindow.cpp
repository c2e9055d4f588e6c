#include "ui/MainWindow.h"

#include "BinaryData.h"

MainWindow::MainWindow (VorsanTembrolinAudioProcessor& owner,
                        const juce::String& brandNewsAddress, const juce::String& makerNewsAddress)
    : processor (owner)
{
    setOpaque (true);

    for (int row = 0; row < panelRows; ++row)
        panelIds[(size_t) row] = FxParams[row].id;

    // Children are added bottom to top, in the numbered steps below.

    // 1. The about screen and its version label are built with the window
    //    (a member held by value); it is added hidden in step 9.

    // 2. The window's own size, the design size.
    setSize (designWidth, designHeight);

    // 3. The front panel, taller than the window: only its top rows show. It
    //    takes the processor's copies of incoming MIDI itself.
    mainSection = std::make_unique<MainSection> (processor);
    mainSection->setBounds (0, 0, MainSection::panelWidth, MainSection::panelHeight);
    addAndMakeVisible (*mainSection);
    mainSection->onAboutRequest = [this] { showAboutScreen(); };

    // 4. The question dialog, laid out once and never opened here.
    innerDialog.layOut (600, 210, 150);
    addChildComponent (innerDialog);

    // 5. The header strip with EDIT and HELP.
    topSection = std::make_unique<TopSection> (designWidth, 158, processor, innerDialog);
    topSection->setBounds (0, 0, designWidth, 158);
    addAndMakeVisible (*topSection);
    topSection->onEditRequest = [this] { editPanel->showPanel(); };
    topSection->onAboutRequest = [this] { showAboutScreen(); };
    topSection->onHelpCommand = [this] (int command) { runHelpCommand (command); };

    // 6. The news strip over the left of the header. Loading its record may
    //    start a check at once.
    newsFeed = std::make_unique<NewsFeedClient> (processor.dataFolder, processor.systemQuery,
                                                 brandNewsAddress, makerNewsAddress);
    newsFeed->setBounds (40, 0, 800, 64);
    addAndMakeVisible (*newsFeed);

    // 7. The strip over the seam where the panel picture is cut off.
    cablesMask = std::make_unique<StaticImage> (
        juce::ImageCache::getFromMemory (BinaryData::mask_cables_png, BinaryData::mask_cables_pngSize), 1);
    cablesMask->setBounds (0, 685, designWidth, 15);
    addAndMakeVisible (*cablesMask);

    // 8. The edit panel for the one parameter without a control on the
    //    front panel.
    editPanel = std::make_unique<EditPanel> (designWidth, designHeight, editPanelRow, editPanelRow);
    editPanel->setTopLeftPosition (0, 0);
    addChildComponent (*editPanel);
    editPanel->onParameterChange = [this] (int index, float value) { setParameterFromEditPanel (index, value); };

    // 9. The about screen.
    aboutScreen.setBounds (0, 0, designWidth, designHeight);
    addChildComponent (aboutScreen);

    // 10. The document browser.
    htmlBrowser = std::make_unique<SimpleHtmlBrowser>();
    htmlBrowser->setBounds (0, 0, designWidth, designHeight);
    addChildComponent (*htmlBrowser);

    // 11. The licence text, once: the news client keeps the flag in its
    //     record and saves it when it goes.
    if (newsFeed->eulaShown == 0)
    {
        newsFeed->eulaShown = 1;
        openDocument (licenceDocument);
    }

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

    if (editPanel != nullptr)
    {
        const auto& tuning = *processor.params[editPanelRow];
        const int raw = rawFromNormalised (tuning.maxValue, tuning.getValue());
        editPanel->Update (FxParams[editPanelRow].id, (float) raw, processor.getParameterReadout (editPanelRow));
    }
}

void MainWindow::runHelpCommand (int command)
{
    switch (command)
    {
        case TopSection::showLicenceCommand: openDocument (licenceDocument); break;
        case TopSection::checkNewsCommand:   newsFeed->checkForNews(); break;
        case TopSection::showManualCommand:  openDocument (manualDocument); break;
        default: break;
    }
}

void MainWindow::setParameterFromEditPanel (int index, float normalisedValue)
{
    if (index < 0 || index >= NumFxParams)
        return;

    processor.params[index]->setValueNotifyingHost (normalisedValue);
}

void MainWindow::showAboutScreen()
{
    aboutScreen.showScreen();
}

void MainWindow::openDocument (const juce::String& name)
{
    htmlBrowser->openDocument (name);
}

void MainWindow::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
}
