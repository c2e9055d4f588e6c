#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// One row of the edit panel: the parameter's name on the left, a drawn track
// with a thumb and the processor's readout in the middle, and the framework's
// editable value box on the right. 350 x 35 pixels; the track spans x 140 to
// 310.
//
// The thumb shows the raw value: half the track for a switch (maxValue 1),
// one segment per value for small ranges, a 20-pixel block for 0..127.
// The readout sits on the side of the track away from the thumb.
class CompositeSlider : public juce::Slider
{
public:
    static constexpr int width = 350;
    static constexpr int height = 35;
    static constexpr juce::uint32 startColour = 0xFF6F606F;
    static constexpr juce::uint32 trackColour = 0xFF20202F;

    // Sets up the framework slider for the raw range 0..maxValue.
    CompositeSlider (const juce::String& name, int maxValue);

    void paint (juce::Graphics& g) override;

    // Where the thumb is drawn for the current value, in the slider's own
    // coordinates.
    juce::Rectangle<int> getThumbBounds() const;

    int labelWidth = 140;
    int valueBoxWidth = 40;
    int maxValue;
    int centre;
    juce::String name;
    juce::Colour colour { startColour };
    juce::String readout { "0" };

private:
    int getTrackWidth() const { return getWidth() - labelWidth - valueBoxWidth; }

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CompositeSlider)
};
