#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

#include "core/PluginProcessor.h"
#include "ui/MainWindow.h"

// The window content the host shows for the processor: one MainWindow in its
// 1340 x 700 design space, scaled down as a whole on a narrower display.
class VorsanTembrolinAudioProcessorEditor : public juce::AudioProcessorEditor
{
public:
    // The news addresses are handed to the main window: the project's own
    // unless a test or a screenshot harness gives servers of its own.
    explicit VorsanTembrolinAudioProcessorEditor (VorsanTembrolinAudioProcessor& processor,
                                                  const juce::String& brandNewsAddress = WebAddresses::brandNewsUrl,
                                                  const juce::String& makerNewsAddress = WebAddresses::makerNewsUrl);
    ~VorsanTembrolinAudioProcessorEditor() override;

    // Sizes the editor for a display whose user area (the part not taken by
    // task bars and panels) is this wide: narrower than the design width
    // scales the main window down; anything else, including a width the
    // framework could not tell (0 or less), shows it at its own size.
    void fitToUserAreaWidth (int width);

    // The width of the main display's user area, 0 when there is no display.
    static int mainDisplayUserAreaWidth();

    void paint (juce::Graphics& g) override;
    void resized() override {}

    VorsanTembrolinAudioProcessor& processor;
    std::unique_ptr<MainWindow> mainWindow;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VorsanTembrolinAudioProcessorEditor)
};
