#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// A flat rounded button with a caption and an optional icon at the top
// centre, used by the document browser and the message box.
//
// Mode 1 is a plain push button on a slate background. Mode 0 latches: each
// release flips isOn, which swaps the caption (captionOn / captionOff) and
// turns the background light (on) or dark (off).
// Clients learn of a release through onRelease, not through button listeners.
class SquareButton : public juce::Button
{
public:
    static constexpr juce::uint32 plainColour = 0xFF505570;
    static constexpr juce::uint32 onColour = 0xFFFFFAFA;
    static constexpr juce::uint32 offColour = 0xFF404244;
    static constexpr juce::uint32 disabledTextColour = 0xFF808080;

    explicit SquareButton (const juce::String& caption);

    void paintButton (juce::Graphics& g, bool isMouseOver, bool isButtonDown) override;
    void mouseUp (const juce::MouseEvent& event) override;

    std::function<void (const juce::MouseEvent&)> onRelease;
    int mode = 1;
    int isOn = 1;
    juce::Image icon;
    juce::String captionOn;
    juce::String captionOff;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SquareButton)
};
