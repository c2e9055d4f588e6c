#include "ui/SquareButton.h"
#include "UiTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    constexpr juce::uint32 slate = 0xFF505570;
    constexpr juce::uint32 snow = 0xFFFFFAFA;
    constexpr juce::uint32 charcoal = 0xFF404244;

    // What a rendered button shows: its background, and the colour and
    // horizontal extent of the caption's ink.
    struct Look
    {
        juce::uint32 background = 0;
        juce::Colour ink;
        int inkLeft = -1;
        int inkRight = -1;
    };

    Look look (SquareButton& button)
    {
        const auto image = uitest::render (button);
        Look result;
        // Left edge, middle row: inside the rounded corners, clear of the text.
        result.background = uitest::pixel (image, 1, button.getHeight() / 2);
        const auto background = juce::Colour (result.background);
        float strongest = 0.0f;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
            {
                const auto c = image.getPixelAt (x, y);
                const float difference = std::abs (c.getPerceivedBrightness() - background.getPerceivedBrightness());

                if (difference > 0.1f)
                {
                    result.inkLeft = result.inkLeft < 0 ? x : juce::jmin (result.inkLeft, x);
                    result.inkRight = juce::jmax (result.inkRight, x);

                    if (difference > strongest)
                    {
                        strongest = difference;
                        result.ink = c;
                    }
                }
            }

        return result;
    }

    bool near (juce::Colour a, juce::Colour b)
    {
        return std::abs (a.getRed() - b.getRed()) <= 8 && std::abs (a.getGreen() - b.getGreen()) <= 8
            && std::abs (a.getBlue() - b.getBlue()) <= 8;
    }

    int inkWidth (const Look& l) { return l.inkRight - l.inkLeft + 1; }
}

TEST (SquareButton, StartsAsAPlainButtonShowingItsCaption)
{
    SquareButton button ("Close");
    EXPECT_EQ (button.getButtonText(), "Close");
    EXPECT_EQ (button.captionOn, "Close");
    EXPECT_EQ (button.captionOff, "Close");
    EXPECT_EQ (button.mode, 1);
    EXPECT_EQ (button.isOn, 1);
    EXPECT_FALSE (button.icon.isValid());
    EXPECT_FALSE (button.onRelease);
    EXPECT_EQ (button.getMouseCursor(), juce::MouseCursor (juce::MouseCursor::PointingHandCursor));
}

TEST (SquareButton, PlainButtonIsSlateWithItsCaptionCentred)
{
    SquareButton button ("OK");
    button.setBounds (0, 0, 80, 24);
    const auto l = look (button);

    EXPECT_EQ (l.background, slate);
    // isOn is set from the start, so the caption is black.
    EXPECT_TRUE (near (l.ink, juce::Colours::black)) << l.ink.toDisplayString (true);
    ASSERT_GT (l.inkLeft, 0);
    EXPECT_NEAR ((l.inkLeft + l.inkRight) / 2.0, 40.0, 2.0);
}

TEST (SquareButton, DisabledPlainButtonIsGreyAndIgnoresReleases)
{
    SquareButton button ("OK");
    button.setBounds (0, 0, 80, 24);
    int releases = 0;
    button.onRelease = [&] (const juce::MouseEvent&) { ++releases; };
    button.setEnabled (false);

    const auto l = look (button);
    EXPECT_EQ (l.background, slate);
    EXPECT_TRUE (near (l.ink, juce::Colour (0xFF808080))) << l.ink.toDisplayString (true);

    button.mouseUp (uitest::mouseEvent (button, { 40.0f, 12.0f }, uitest::leftButton()));
    EXPECT_EQ (releases, 0);
    EXPECT_EQ (button.isOn, 1);
}

TEST (SquareButton, PlainButtonReportsEveryReleaseAndKeepsItsState)
{
    SquareButton button ("OK");
    button.setBounds (0, 0, 80, 24);
    int releases = 0;
    juce::Point<float> where;
    button.onRelease = [&] (const juce::MouseEvent& e) { ++releases; where = e.position; };

    button.mouseUp (uitest::mouseEvent (button, { 30.0f, 10.0f }, uitest::leftButton()));
    button.mouseUp (uitest::mouseEvent (button, { 30.0f, 10.0f }, uitest::leftButton()));
    EXPECT_EQ (releases, 2);
    EXPECT_EQ (where, juce::Point<float> (30.0f, 10.0f));
    EXPECT_EQ (button.isOn, 1);
}

TEST (SquareButton, LatchingButtonSwapsCaptionAndColoursOnEachRelease)
{
    SquareButton button ("x");
    button.setBounds (0, 0, 120, 24);
    button.mode = 0;
    button.captionOn = "WWWWWW";  // wide
    button.captionOff = "H";      // narrow
    int releases = 0;
    button.onRelease = [&] (const juce::MouseEvent&) { ++releases; };

    const auto on = look (button);
    EXPECT_EQ (on.background, snow);
    EXPECT_TRUE (near (on.ink, juce::Colours::black));

    button.mouseUp (uitest::mouseEvent (button, { 60.0f, 12.0f }, uitest::leftButton()));
    EXPECT_EQ (button.isOn, 0);
    EXPECT_EQ (releases, 1);
    const auto off = look (button);
    EXPECT_EQ (off.background, charcoal);
    EXPECT_TRUE (near (off.ink, juce::Colours::white)) << off.ink.toDisplayString (true);
    EXPECT_GT (inkWidth (on), 3 * inkWidth (off));

    button.mouseUp (uitest::mouseEvent (button, { 60.0f, 12.0f }, uitest::leftButton()));
    EXPECT_EQ (button.isOn, 1);
    EXPECT_EQ (releases, 2);
    const auto onAgain = look (button);
    EXPECT_EQ (onAgain.background, snow);
    EXPECT_EQ (inkWidth (onAgain), inkWidth (on));
}

TEST (SquareButton, CaptionFontIsAtMostFourteenPixels)
{
    // A tall button: 0.6 x 100 would be 60, the cap holds it at 14.
    SquareButton tall ("H");
    tall.setBounds (0, 0, 100, 100);
    const auto image = uitest::render (tall);
    int top = -1, bottom = -1;

    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if (image.getPixelAt (x, y).getPerceivedBrightness() < 0.2f)
            {
                top = top < 0 ? y : top;
                bottom = y;
            }

    ASSERT_GE (top, 0);
    EXPECT_LE (bottom - top + 1, 14);
    EXPECT_GE (bottom - top + 1, 7);
}

TEST (SquareButton, IconIsDrawnUnscaledAtTheTopCentre)
{
    SquareButton button ("");
    button.setBounds (0, 0, 61, 30);
    button.icon = uitest::makeStrip (10, 6, { 0xFFE00000 });
    const auto image = uitest::render (button);

    // (61 - 10) / 2 = 25: columns 25 to 34, rows 0 to 5.
    EXPECT_EQ (uitest::pixel (image, 25, 0), 0xFFE00000u);
    EXPECT_EQ (uitest::pixel (image, 34, 5), 0xFFE00000u);
    EXPECT_NE (uitest::pixel (image, 24, 3), 0xFFE00000u);
    EXPECT_NE (uitest::pixel (image, 35, 3), 0xFFE00000u);
    EXPECT_NE (uitest::pixel (image, 30, 6), 0xFFE00000u);
}

TEST (SquareButton, ReleaseCallbackMayDeleteTheButton)
{
    auto button = std::make_unique<SquareButton> ("OK");
    button->onRelease = [&] (const juce::MouseEvent&) { button.reset(); };
    auto* raw = button.get();
    raw->mouseUp (uitest::mouseEvent (*raw, { 1.0f, 1.0f }, uitest::leftButton()));
    EXPECT_EQ (button, nullptr);
}
