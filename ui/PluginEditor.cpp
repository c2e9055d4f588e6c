#include "ui/PluginEditor.h"

VorsanTembrolinAudioProcessorEditor::VorsanTembrolinAudioProcessorEditor (VorsanTembrolinAudioProcessor& owner,
                                                                          const juce::String& brandNewsAddress,
                                                                          const juce::String& makerNewsAddress)
    : juce::AudioProcessorEditor (owner),
      processor (owner)
{
    setOpaque (true);
    setResizable (true, false);

    mainWindow = std::make_unique<MainWindow> (processor, brandNewsAddress, makerNewsAddress);
    mainWindow->setTopLeftPosition (0, 0);
    addAndMakeVisible (*mainWindow);

    fitToUserAreaWidth (mainDisplayUserAreaWidth());
}

VorsanTembrolinAudioProcessorEditor::~VorsanTembrolinAudioProcessorEditor() = default;

int VorsanTembrolinAudioProcessorEditor::mainDisplayUserAreaWidth()
{
    if (auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
        return display->userArea.getWidth();

    return 0;
}

void VorsanTembrolinAudioProcessorEditor::fitToUserAreaWidth (int width)
{
    constexpr int designWidth = MainWindow::designWidth;
    constexpr int designHeight = MainWindow::designHeight;

    if (width <= 0 || width >= designWidth)
    {
        mainWindow->setTransform ({});
        setSize (designWidth, designHeight);
        return;
    }

    // The main window keeps its bounds; the transform shrinks what it draws
    // and maps the mouse back into its design space.
    const float scale = (float) width / (float) designWidth;
    mainWindow->setTransform (juce::AffineTransform::scale (scale));
    setSize ((int) (scale * (float) designWidth), (int) (scale * (float) designHeight));
}

void VorsanTembrolinAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
}
