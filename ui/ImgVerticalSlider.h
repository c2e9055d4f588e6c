#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A vertical fader drawn as a knob picture over the panel photograph, which
// already shows the slot and the scale. Value 1.0 puts the knob at the top of
// the component, 0.0 at the bottom.
class ImgVerticalSlider : public juce::Slider
{
public:
    ImgVerticalSlider();

    // Call after setBounds: the knob's travel is the height left over by the
    // knob, and a drag over that many pixels covers the whole range.
    void setKnobImage (const juce::Image& image);

    void paint (juce::Graphics& g) override;

    // The value bubble shows the owner's readout, which it keeps in the suffix.
    juce::String getTextFromValue (double value) override;

    void mouseDoubleClick (const juce::MouseEvent& event) override;
    void mouseEnter (const juce::MouseEvent& event) override;

    // The knob's top edge for the current value, in component pixels.
    int getKnobY() const;

    juce::Image knobImage;
    int knobTravel = 0;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ImgVerticalSlider)
};
