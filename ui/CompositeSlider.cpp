#include "ui/CompositeSlider.h"

CompositeSlider::CompositeSlider (const juce::String& parameterName, int maximum)
    : maxValue (maximum),
      centre (maximum / 2),
      name (parameterName)
{
    setSize (width, height);
    setSliderStyle (juce::Slider::LinearHorizontal);
    setTextBoxStyle (juce::Slider::TextBoxRight, false, valueBoxWidth, height);
    setColour (juce::Slider::textBoxOutlineColourId, juce::Colours::white);
    setRange (0.0, (double) maxValue, 1.0);
    // A switch jumps to the side that is clicked; a long range moves only
    // when dragged, so a click cannot make the tuning jump.
    setSliderSnapsToMousePosition (maxValue == 1);
    setMouseDragSensitivity (width - labelWidth - valueBoxWidth);
}

juce::Rectangle<int> CompositeSlider::getThumbBounds() const
{
    const int trackWidth = getTrackWidth();
    const int value = (int) getValue();

    if (maxValue <= 1)
    {
        const int half = trackWidth / 2;
        return { labelWidth + (value == 0 ? 0 : half), 0, half, getHeight() };
    }

    if (maxValue < 127)   // one segment per value, 2 to 126
    {
        const int segment = trackWidth / (maxValue + 1) + 1;
        return { labelWidth + segment * value, 0, segment, getHeight() };
    }

    constexpr int thumbWidth = 20;
    return { labelWidth + ((trackWidth - thumbWidth) * value) / 127, 0, thumbWidth, getHeight() };
}

void CompositeSlider::paint (juce::Graphics& g)
{
    const int h = getHeight();
    const int trackWidth = getTrackWidth();
    const juce::Rectangle<int> track (labelWidth, 0, trackWidth, h);

    g.setColour (juce::Colours::white);
    g.setFont (18.0f);
    g.drawFittedText (name, 0, 0, labelWidth - 4, h, juce::Justification::centredRight, 1);

    g.setColour (juce::Colour (trackColour));
    g.fillRect (track);

    g.setColour (colour);
    g.fillRoundedRectangle (getThumbBounds().toFloat(), 10.0f);
    g.drawRoundedRectangle (track.toFloat(), 10.0f, 2.0f);

    if (readout.isNotEmpty())
    {
        // Keep the text clear of the thumb: left of it when the thumb is in
        // the upper half, right of it otherwise.
        const auto justification = (int) getValue() > centre ? juce::Justification::centredLeft
                                                             : juce::Justification::centredRight;
        g.setColour (juce::Colours::white);
        g.setFont (14.0f);
        g.drawText (readout, labelWidth + 4, 0, trackWidth - 8, h, justification, false);
    }
}
