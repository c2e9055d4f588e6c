#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>

#include "core/PluginProcessor.h"
#include "ui/MainSection.h"
#include "ui/StaticImage.h"

// The whole visible interface in a fixed 1340 x 700 design space: the front
// panel, the strip that hides the panel picture's lower edge, and the header,
// news strip, edit panel, dialogs, about screen and document browser that lie
// above them. The editor scales this component when the display is narrower.
//
// A 50 ms poll copies every parameter value into the panel's controls and
// sets the modulation lamp. It is the only way from the processor back to
// the screen, and it never notifies, so nothing is sent back.
class MainWindow : public juce::Component,
                   public juce::Timer
{
public:
    static constexpr int designWidth = 1340;
    static constexpr int designHeight = 700;

    explicit MainWindow (VorsanTembrolinAudioProcessor& processor);
    ~MainWindow() override;

    void timerCallback() override;
    void paint (juce::Graphics& g) override;
    void resized() override {}

    // Members in this order, destroyed in the reverse one. The parts that
    // come later take their places as marked.
    VorsanTembrolinAudioProcessor& processor;
    // topSection (header strip) goes here.
    std::unique_ptr<MainSection> mainSection;
    std::unique_ptr<StaticImage> cablesMask;
    // editPanel, innerDialog, aboutScreen, htmlBrowser and newsFeed go here,
    // in this order.

private:
    void showAboutScreen();

    // Rows 0..19 have a control on the panel; row 20 is edited elsewhere.
    static constexpr int panelRows = 20;
    // The catalogue identifiers as strings, made once rather than on every poll.
    std::array<juce::String, panelRows> panelIds;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
};
