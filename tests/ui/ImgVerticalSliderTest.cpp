#include "ui/ImgVerticalSlider.h"
#include "UiTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    constexpr juce::uint32 knobColour = 0xFFD02020;

    // A panel fader: 37 x 104 with a 38-pixel knob, 66 pixels of travel.
    struct PanelFader
    {
        PanelFader()
        {
            slider.setBounds (0, 0, 37, 104);
            slider.setKnobImage (uitest::makeStrip (37, 38, { knobColour }));
        }

        // Top row of the drawn knob, -1 if nothing is drawn.
        int drawnKnobTop()
        {
            const auto image = uitest::render (slider);

            for (int y = 0; y < image.getHeight(); ++y)
                if (uitest::pixel (image, 18, y) == knobColour)
                    return y;

            return -1;
        }

        ImgVerticalSlider slider;
    };

    struct CountingListener : juce::Slider::Listener
    {
        void sliderValueChanged (juce::Slider*) override { ++changes; }
        int changes = 0;
    };
}

TEST (ImgVerticalSlider, SetsUpAContinuousVerticalFader)
{
    ImgVerticalSlider slider;
    EXPECT_EQ (slider.getSliderStyle(), juce::Slider::LinearVertical);
    EXPECT_EQ (slider.getTextBoxPosition(), juce::Slider::NoTextBox);
    EXPECT_EQ (slider.getMinimum(), 0.0);
    EXPECT_EQ (slider.getMaximum(), 1.0);
    EXPECT_EQ (slider.getInterval(), 0.0);
    EXPECT_FALSE (slider.getSliderSnapsToMousePosition());
}

TEST (ImgVerticalSlider, KnobTravelIsTheHeightLeftByTheKnobAndSetsTheDragDistance)
{
    PanelFader fader;
    EXPECT_EQ (fader.slider.knobTravel, 66);
    EXPECT_EQ (fader.slider.getMouseDragSensitivity(), 66);
}

TEST (ImgVerticalSlider, DrawsTheKnobWhereTheValuePutsIt)
{
    struct Case { double value; int knobTop; };
    const Case cases[] = {
        { 1.0, 0 },            // top
        { 0.5, 33 },
        { 64.0 / 127.0, 32 },  // 32.63: truncated, not rounded
        { 80.0 / 127.0, 24 },  // the modulation rate's default
        { 0.0, 66 },           // bottom: the knob's last row is the slider's
    };

    PanelFader fader;

    for (const auto& c : cases)
    {
        fader.slider.setValue (c.value, juce::dontSendNotification);
        EXPECT_EQ (fader.drawnKnobTop(), c.knobTop) << "value " << c.value;
    }
}

TEST (ImgVerticalSlider, DrawsOnlyTheKnob)
{
    PanelFader fader;
    fader.slider.setValue (0.5, juce::dontSendNotification);
    const auto image = uitest::render (fader.slider);

    for (int y = 0; y < 104; ++y)
        for (int x = 0; x < 37; ++x)
        {
            const bool inKnob = y >= 33 && y < 33 + 38;
            ASSERT_EQ (uitest::pixel (image, x, y), inKnob ? knobColour : 0u) << x << ", " << y;
        }
}

TEST (ImgVerticalSlider, InvalidKnobPictureIsIgnored)
{
    ImgVerticalSlider slider;
    slider.setBounds (0, 0, 37, 104);
    const int sensitivity = slider.getMouseDragSensitivity();
    slider.setKnobImage (juce::Image());
    slider.setValue (0.5, juce::dontSendNotification);

    EXPECT_EQ (slider.knobTravel, 0);
    EXPECT_EQ (slider.getMouseDragSensitivity(), sensitivity);
    const auto image = uitest::render (slider);

    for (int y = 0; y < 104; ++y)
        for (int x = 0; x < 37; ++x)
            ASSERT_EQ (uitest::pixel (image, x, y), 0u);
}

TEST (ImgVerticalSlider, ValueTextIsTheSuffixAlone)
{
    ImgVerticalSlider slider;
    slider.setTextValueSuffix ("50 %");
    EXPECT_EQ (slider.getTextFromValue (0.0), "50 %");
    EXPECT_EQ (slider.getTextFromValue (0.93), "50 %");
    slider.setTextValueSuffix ({});
    EXPECT_EQ (slider.getTextFromValue (0.93), "");
}

TEST (ImgVerticalSlider, DoubleClickResetsAndNotifiesAsynchronously)
{
    PanelFader fader;
    CountingListener listener;
    fader.slider.addListener (&listener);
    fader.slider.setDoubleClickReturnValue (true, 80.0 / 127.0);
    const auto click = uitest::mouseEvent (fader.slider, { 18.0f, 50.0f }, uitest::leftButton());

    fader.slider.mouseDoubleClick (click);
    EXPECT_DOUBLE_EQ (fader.slider.getValue(), 80.0 / 127.0);
    EXPECT_EQ (listener.changes, 0);
    EXPECT_EQ (fader.drawnKnobTop(), 24);

    uitest::runMessageLoop (50);
    EXPECT_EQ (listener.changes, 1);
    fader.slider.removeListener (&listener);
}

TEST (ImgVerticalSlider, DoubleClickDoesNothingWithoutReset)
{
    PanelFader fader;
    CountingListener listener;
    fader.slider.addListener (&listener);
    fader.slider.setValue (0.25, juce::dontSendNotification);

    fader.slider.mouseDoubleClick (uitest::mouseEvent (fader.slider, { 18.0f, 50.0f }, uitest::leftButton()));
    uitest::runMessageLoop (30);
    EXPECT_EQ (fader.slider.getValue(), 0.25);
    EXPECT_EQ (listener.changes, 0);
    fader.slider.removeListener (&listener);
}

TEST (ImgVerticalSlider, MouseEnterBringsTheFaderToTheFront)
{
    juce::Component panel;
    panel.setBounds (0, 0, 200, 200);
    ImgVerticalSlider first, second;
    panel.addAndMakeVisible (first);
    panel.addAndMakeVisible (second);
    ASSERT_EQ (panel.getIndexOfChildComponent (&first), 0);

    first.mouseEnter (uitest::mouseEvent (first, { 1.0f, 1.0f }, {}));
    EXPECT_EQ (panel.getIndexOfChildComponent (&first), 1);
}
