#include "ui/ImgVerticalSlider.h"

ImgVerticalSlider::ImgVerticalSlider()
{
    setSliderStyle (juce::Slider::LinearVertical);
    setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    setRange (0.0, 1.0, 0.0);
    setSliderSnapsToMousePosition (false);
}

void ImgVerticalSlider::setKnobImage (const juce::Image& image)
{
    if (! image.isValid())
        return;

    knobImage = image;
    knobTravel = getHeight() - image.getHeight();

    // A knob as tall as the slider leaves no travel; a zero drag distance
    // would make the slider jump, so the framework's own stays then.
    if (knobTravel > 0)
        setMouseDragSensitivity (knobTravel);

    repaint();
}

int ImgVerticalSlider::getKnobY() const
{
    const double travel = knobTravel;
    return (int) (travel - travel * getValue());
}

void ImgVerticalSlider::paint (juce::Graphics& g)
{
    if (! knobImage.isValid())
        return;

    g.drawImageAt (knobImage, 0, getKnobY());
}

juce::String ImgVerticalSlider::getTextFromValue (double)
{
    return getTextValueSuffix();
}

void ImgVerticalSlider::mouseDoubleClick (const juce::MouseEvent&)
{
    if (isDoubleClickReturnEnabled())
        setValue (getDoubleClickReturnValue(), juce::sendNotificationAsync);
}

void ImgVerticalSlider::mouseEnter (const juce::MouseEvent& event)
{
    // Brought to the front so that nothing of a neighbour covers it while it
    // is dragged; the focus goes to it if it accepts keyboard focus.
    toFront (true);
    juce::Slider::mouseEnter (event);
}
