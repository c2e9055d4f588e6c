#include "ui/StaticImage.h"
#include "UiTestHelpers.h"

#include <gtest/gtest.h>

TEST (StaticImage, ShowsTheFirstFrameAtItsOwnSize)
{
    // Two frames of 3 x 2; the component is larger than one frame.
    StaticImage lamp (uitest::makeStrip (3, 2, { 0xFFFFC040, 0xFF0000FF }), 2);
    EXPECT_EQ (lamp.frameWidth, 3);
    EXPECT_EQ (lamp.frameHeight, 2);
    EXPECT_EQ (lamp.frameIndex, 0);

    lamp.setBounds (0, 0, 5, 5);
    const auto image = uitest::render (lamp);

    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ (uitest::pixel (image, x, y), (x < 3 && y < 2) ? 0xFFFFC040u : 0u) << x << ", " << y;
}

TEST (StaticImage, KeepsThePicturesTransparency)
{
    StaticImage mask (uitest::makeStrip (4, 4, { 0x80102030 }), 1);
    mask.setBounds (0, 0, 4, 4);
    const auto colour = uitest::render (mask).getPixelAt (2, 2);
    EXPECT_NEAR (colour.getFloatAlpha(), 128.0f / 255.0f, 1.0f / 255.0f);
}

TEST (StaticImage, MissingPictureShowsABlackRectangle)
{
    StaticImage lamp (juce::Image(), 1);
    lamp.setBounds (0, 0, 52, 45);
    const auto image = uitest::render (lamp);

    for (auto [x, y] : { std::pair { 0, 0 }, std::pair { 51, 44 }, std::pair { 26, 20 } })
        EXPECT_EQ (uitest::pixel (image, x, y), 0xFF000000u);
}

TEST (StaticImage, TakesTheClicksThatLandOnIt)
{
    juce::Component panel;
    panel.setBounds (0, 0, 100, 100);
    juce::Component beneath;
    beneath.setBounds (0, 0, 100, 100);
    StaticImage mask (juce::Image(), 1);
    mask.setBounds (10, 10, 20, 20);
    panel.addAndMakeVisible (beneath);
    panel.addAndMakeVisible (mask);
    panel.setVisible (true);

    EXPECT_EQ (panel.getComponentAt (15, 15), &mask);
    EXPECT_EQ (panel.getComponentAt (50, 50), &beneath);
}
