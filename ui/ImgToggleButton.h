#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A button drawn from a film strip with one frame per state.
//
// Latching (the panel's switches): each click flips the toggle state, which
// reaches button listeners and onClick. Frame 0 is off, the last frame on,
// and a three-frame strip shows frame 1 while the button is held down.
// Momentary (EDIT, HELP): frame 0 normal, frame 1 pressed; a release only
// calls onClick.
//
// The right mouse button is ignored, and a release counts wherever the
// pointer is, so dragging off the button does not cancel the click.
class ImgToggleButton : public juce::ToggleButton
{
public:
    ImgToggleButton (const juce::Image& filmStrip, bool latching, int frameCount);

    void paint (juce::Graphics& g) override;
    void mouseDown (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;

    bool latching;
    bool mouseIsDown = false;
    juce::Image filmStrip;
    int frameCount;
    int currentFrame = 0;
    int frameWidth = 0;
    int frameHeight = 0;

private:
    int frameForToggleState() const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ImgToggleButton)
};
