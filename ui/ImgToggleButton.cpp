#include "ui/ImgToggleButton.h"

ImgToggleButton::ImgToggleButton (const juce::Image& strip, bool isLatching, int numFrames)
    : latching (isLatching),
      filmStrip (strip),
      frameCount (juce::jmax (1, numFrames))
{
    if (filmStrip.isValid())
    {
        frameWidth = filmStrip.getWidth();
        frameHeight = filmStrip.getHeight() / frameCount;
    }
}

int ImgToggleButton::frameForToggleState() const
{
    return (getToggleState() ? 1 : 0) * (frameCount - 1);
}

void ImgToggleButton::paint (juce::Graphics& g)
{
    int frame = currentFrame;

    if (latching && ! mouseIsDown)
    {
        // Follows the toggle state, which the owner may set without a click.
        frame = frameForToggleState();
        currentFrame = frame;
    }

    g.drawImage (filmStrip, 0, 0, frameWidth, frameHeight,
                 0, frame * frameHeight, frameWidth, frameHeight);
}

void ImgToggleButton::mouseDown (const juce::MouseEvent& event)
{
    if (event.mods.isRightButtonDown())
        return;

    mouseIsDown = true;

    // A latching two-frame strip has no pressed frame; a one-frame strip
    // shows its only frame.
    if (! latching || frameCount > 2)
    {
        currentFrame = juce::jmin (1, frameCount - 1);
        repaint();
    }
}

void ImgToggleButton::mouseUp (const juce::MouseEvent& event)
{
    if (event.mods.isRightButtonDown())
        return;

    mouseIsDown = false;

    // A listener may delete this button while it is being told of the click.
    juce::Component::SafePointer<ImgToggleButton> self (this);

    if (latching)
    {
        setToggleState (! getToggleState(), juce::sendNotification);

        if (self == nullptr)
            return;

        currentFrame = frameForToggleState();
    }
    else
    {
        currentFrame = 0;

        if (onClick)
        {
            onClick();

            if (self == nullptr)
                return;
        }
    }

    repaint();
}
