#include "ui/SquareButton.h"

SquareButton::SquareButton (const juce::String& caption)
    : juce::Button (caption),
      captionOn (caption),
      captionOff (caption)
{
    setMouseCursor (juce::MouseCursor::PointingHandCursor);
}

void SquareButton::paintButton (juce::Graphics& g, bool, bool)
{
    const juce::uint32 background = mode == 1 ? plainColour
                                  : (isOn != 0 ? onColour : offColour);
    g.setColour (juce::Colour (background));
    g.fillRoundedRectangle (getLocalBounds().toFloat(), 2.0f);

    if (icon.isValid())
        g.drawImageAt (icon, (getWidth() - icon.getWidth()) / 2, 0);

    g.setFont (juce::jmin (14.0f, 0.6f * (float) getHeight()));

    juce::Colour textColour = juce::Colours::white;

    if (isOn != 0)
        textColour = juce::Colours::black;

    if (! isEnabled())
        textColour = juce::Colour (disabledTextColour);

    g.setColour (textColour);
    g.drawFittedText (isOn != 0 ? captionOn : captionOff, getLocalBounds(),
                      juce::Justification::centred, 1);
}

void SquareButton::mouseUp (const juce::MouseEvent& event)
{
    if (! isEnabled())
        return;

    if (mode == 0)
        isOn = isOn != 0 ? 0 : 1;

    // The client may delete this button from its release callback.
    juce::Component::SafePointer<SquareButton> self (this);

    if (onRelease)
        onRelease (event);

    if (self != nullptr)
        repaint();
}
