#include "ui/CompositeSlider.h"
#include "UiTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    constexpr juce::uint32 tuningRed = 0xFF922820;
    constexpr int middleRow = 17;

    // The columns of the middle row that show the thumb's colour (the
    // outline shares it, so only the inside of the track, x 142 to 307, is
    // looked at).
    std::pair<int, int> thumbColumns (const juce::Image& image, juce::Colour colour)
    {
        int first = -1, last = -1;

        for (int x = 142; x < 308; ++x)
            if (image.getPixelAt (x, middleRow) == colour)
            {
                first = first < 0 ? x : first;
                last = x;
            }

        return { first, last };
    }

    // Horizontal extent of the white readout ink on the track.
    std::pair<int, int> readoutInk (const juce::Image& image)
    {
        return uitest::brightColumns (image, { 142, 4, 166, 27 }, 0.6f);
    }

    std::unique_ptr<CompositeSlider> makeSlider (int maxValue, double value)
    {
        auto slider = std::make_unique<CompositeSlider> ("Global Tuning", maxValue);
        slider->colour = juce::Colour (tuningRed);
        slider->readout = "";
        slider->setValue (value, juce::dontSendNotification);
        return slider;
    }

    juce::Label* valueBox (juce::Slider& slider)
    {
        for (auto* child : slider.getChildren())
            if (auto* label = dynamic_cast<juce::Label*> (child))
                return label;

        return nullptr;
    }
}

TEST (CompositeSlider, IsSetUpForTheRawRange)
{
    CompositeSlider tuning ("Global Tuning", 127);
    EXPECT_EQ (tuning.getWidth(), 350);
    EXPECT_EQ (tuning.getHeight(), 35);
    EXPECT_EQ (tuning.centre, 63);
    EXPECT_EQ (tuning.readout, "0");
    EXPECT_EQ (tuning.colour, juce::Colour (0xFF6F606F));
    EXPECT_EQ (tuning.getSliderStyle(), juce::Slider::LinearHorizontal);
    EXPECT_EQ (tuning.getMinimum(), 0.0);
    EXPECT_EQ (tuning.getMaximum(), 127.0);
    EXPECT_EQ (tuning.getInterval(), 1.0);
    EXPECT_FALSE (tuning.getSliderSnapsToMousePosition());
    EXPECT_EQ (tuning.getMouseDragSensitivity(), 170);
    EXPECT_EQ (tuning.findColour (juce::Slider::textBoxOutlineColourId), juce::Colours::white);

    CompositeSlider toggle ("Switch", 1);
    EXPECT_EQ (toggle.centre, 0);
    EXPECT_TRUE (toggle.getSliderSnapsToMousePosition());
}

TEST (CompositeSlider, ValueBoxIsAnEditableFieldAtTheRight)
{
    auto slider = makeSlider (127, 64.0);
    auto* box = valueBox (*slider);
    ASSERT_NE (box, nullptr);
    EXPECT_EQ (box->getBounds(), juce::Rectangle<int> (310, 0, 40, 35));
    EXPECT_EQ (box->getText(), "64");
    EXPECT_TRUE (slider->isTextBoxEditable());

    // Typing a value sets it.
    box->setText ("100", juce::sendNotificationSync);
    EXPECT_EQ (slider->getValue(), 100.0);
}

TEST (CompositeSlider, ThumbPositionFollowsTheValue)
{
    struct Case { int maxValue; double value; int left; int width; };
    const Case cases[] = {
        { 127, 64.0, 215, 20 },     // 140 + (150 x 64) / 127
        { 127, 0.0, 140, 20 },
        { 127, 127.0, 290, 20 },
        { 1, 0.0, 140, 85 },        // a switch: left half ...
        { 1, 1.0, 225, 85 },        // ... or right half of the 170-pixel track
        { 3, 0.0, 140, 43 },        // 170 / 4 + 1
        { 3, 2.0, 226, 43 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.maxValue) + " / " + juce::String (c.value));
        auto slider = makeSlider (c.maxValue, c.value);
        EXPECT_EQ (slider->getThumbBounds(), juce::Rectangle<int> (c.left, 0, c.width, 35));

        // And that is where it is drawn (the outline hides the track's edge
        // columns, so a thumb at either end shows from x 142 or to x 307).
        const auto [first, last] = thumbColumns (uitest::render (*slider), juce::Colour (tuningRed));
        EXPECT_EQ (first, juce::jmax (142, c.left));
        EXPECT_EQ (last, juce::jmin (307, c.left + c.width - 1));
    }
}

TEST (CompositeSlider, DrawsNameTrackAndOutline)
{
    auto slider = makeSlider (127, 127.0);
    const auto image = uitest::render (*slider);

    // The track's fill, left of the thumb.
    EXPECT_EQ (uitest::pixel (image, 200, middleRow), CompositeSlider::trackColour);
    // The outline, 2 pixels in the thumb's colour along the track's edges.
    EXPECT_EQ (image.getPixelAt (140, middleRow), juce::Colour (tuningRed));
    EXPECT_EQ (image.getPixelAt (200, 0), juce::Colour (tuningRed));

    // The name in white, right-aligned against x 136.
    const auto [nameLeft, nameRight] = uitest::brightColumns (image, { 0, 0, 140, 35 }, 0.6f);
    EXPECT_GE (nameRight, 131);
    EXPECT_LE (nameRight, 135);
    EXPECT_GT (nameLeft, 10);
}

TEST (CompositeSlider, ReadoutKeepsClearOfTheThumb)
{
    // Up to centre (63) the thumb is on the left and the text on the right;
    // above it the other way round.
    struct Case { double value; bool alignedLeft; };

    for (auto c : { Case { 0.0, false }, Case { 63.0, false }, Case { 64.0, true }, Case { 127.0, true } })
    {
        SCOPED_TRACE (c.value);
        auto slider = makeSlider (127, c.value);
        slider->readout = "440.00 Hz";
        const auto [first, last] = readoutInk (uitest::render (*slider));
        ASSERT_GE (first, 0);

        if (c.alignedLeft)
        {
            EXPECT_GE (first, 144);
            EXPECT_LE (first, 147);
            EXPECT_LT (last, 215);
        }
        else
        {
            EXPECT_LE (last, 305);
            EXPECT_GE (last, 302);
            EXPECT_GT (first, 230);
        }
    }
}

TEST (CompositeSlider, EmptyReadoutDrawsNoText)
{
    auto slider = makeSlider (127, 0.0);
    EXPECT_EQ (readoutInk (uitest::render (*slider)).first, -1);

    slider->readout = "0";
    EXPECT_GE (readoutInk (uitest::render (*slider)).first, 0);
}
