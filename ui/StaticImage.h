#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Shows one frame of a film strip at its own size (the modulation lamp, the
// header and cables masks). Like any component it takes the clicks that land
// on it, so it shields whatever lies beneath.
class StaticImage : public juce::Component
{
public:
    StaticImage (const juce::Image& image, int frameCount);

    void paint (juce::Graphics& g) override;

    juce::Image image;
    int frameCount;
    int frameIndex = 0;
    int frameWidth = 0;
    int frameHeight = 0;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StaticImage)
};
