#include "ui/StaticImage.h"

StaticImage::StaticImage (const juce::Image& strip, int numFrames)
    : image (strip),
      frameCount (juce::jmax (1, numFrames))
{
    if (image.isValid())
    {
        frameWidth = image.getWidth();
        frameHeight = image.getHeight() / frameCount;
    }
}

void StaticImage::paint (juce::Graphics& g)
{
    if (! image.isValid())
    {
        // A missing picture shows as a black patch rather than a hole.
        g.fillAll (juce::Colours::black);
        return;
    }

    g.drawImage (image, 0, 0, frameWidth, frameHeight,
                 0, frameIndex * frameHeight, frameWidth, frameHeight);
}
