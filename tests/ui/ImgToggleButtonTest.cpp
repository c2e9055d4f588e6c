#include "ui/ImgToggleButton.h"
#include "UiTestHelpers.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
    constexpr juce::uint32 frameColours[] = { 0xFF200000, 0xFF00C000, 0xFF0000E0 };

    struct CountingListener : juce::Button::Listener
    {
        void buttonClicked (juce::Button*) override { ++clicks; }
        int clicks = 0;
    };

    // A switch of the panel's size (52 x 86 frames) with listeners counting
    // what it reports.
    struct Switch
    {
        Switch (bool latching, int frames)
        {
            auto strip = frames == 3 ? uitest::makeStrip (52, 86, { frameColours[0], frameColours[1], frameColours[2] })
                                     : uitest::makeStrip (52, 86, { frameColours[0], frameColours[1] });
            button = std::make_unique<ImgToggleButton> (strip, latching, frames);
            button->setBounds (0, 0, button->frameWidth, button->frameHeight);
            button->addListener (&listener);
            button->onClick = [this] { ++onClickCalls; };
        }

        ~Switch() { button->removeListener (&listener); }

        // The frame the button shows now, told from the colour it draws.
        int shownFrame()
        {
            const auto colour = uitest::pixel (uitest::render (*button), 26, 43);

            for (int i = 0; i < 3; ++i)
                if (colour == frameColours[i])
                    return i;

            return -1;
        }

        void press (juce::ModifierKeys mods = uitest::leftButton())
        {
            button->mouseDown (uitest::mouseEvent (*button, { 26.0f, 43.0f }, mods));
        }

        // Released off the button on purpose: the click still counts.
        void release (juce::ModifierKeys mods = uitest::leftButton())
        {
            button->mouseUp (uitest::mouseEvent (*button, { 200.0f, -30.0f }, mods));
        }

        std::unique_ptr<ImgToggleButton> button;
        CountingListener listener;
        int onClickCalls = 0;
    };
}

TEST (ImgToggleButton, FrameSizeComesFromTheStrip)
{
    Switch push (true, 3);
    EXPECT_EQ (push.button->frameWidth, 52);
    EXPECT_EQ (push.button->frameHeight, 86);
    EXPECT_EQ (push.button->currentFrame, 0);
    EXPECT_FALSE (push.button->mouseIsDown);

    ImgToggleButton noPicture (juce::Image(), true, 3);
    EXPECT_EQ (noPicture.frameWidth, 0);
    EXPECT_EQ (noPicture.frameHeight, 0);
}

TEST (ImgToggleButton, LatchingThreeFrameSwitchShowsOffPressedAndOn)
{
    Switch push (true, 3);
    EXPECT_EQ (push.shownFrame(), 0);

    push.press();
    EXPECT_EQ (push.shownFrame(), 1);
    EXPECT_FALSE (push.button->getToggleState());
    EXPECT_EQ (push.listener.clicks, 0);

    push.release();
    EXPECT_EQ (push.shownFrame(), 2);
    EXPECT_TRUE (push.button->getToggleState());
    EXPECT_EQ (push.listener.clicks, 1);
    EXPECT_EQ (push.onClickCalls, 1);

    push.press();
    EXPECT_EQ (push.shownFrame(), 1);
    push.release();
    EXPECT_EQ (push.shownFrame(), 0);
    EXPECT_FALSE (push.button->getToggleState());
    EXPECT_EQ (push.listener.clicks, 2);
    EXPECT_EQ (push.onClickCalls, 2);
}

TEST (ImgToggleButton, LatchingTwoFrameSwitchHasNoPressedFrame)
{
    Switch slide (true, 2);

    slide.press();
    EXPECT_EQ (slide.shownFrame(), 0);
    slide.release();
    EXPECT_EQ (slide.shownFrame(), 1);
    EXPECT_TRUE (slide.button->getToggleState());

    slide.press();
    EXPECT_EQ (slide.shownFrame(), 1);
    slide.release();
    EXPECT_EQ (slide.shownFrame(), 0);
    EXPECT_FALSE (slide.button->getToggleState());
    EXPECT_EQ (slide.listener.clicks, 2);
}

TEST (ImgToggleButton, LatchingSwitchFollowsAStateSetByItsOwner)
{
    Switch push (true, 3);
    push.button->setToggleState (true, juce::dontSendNotification);
    EXPECT_EQ (push.shownFrame(), 2);
    EXPECT_EQ (push.button->currentFrame, 2);
    push.button->setToggleState (false, juce::dontSendNotification);
    EXPECT_EQ (push.shownFrame(), 0);
    EXPECT_EQ (push.listener.clicks, 0);
}

TEST (ImgToggleButton, MomentaryButtonReportsOneClickPerReleaseOnlyThroughOnClick)
{
    Switch edit (false, 2);

    for (int click = 1; click <= 2; ++click)
    {
        edit.press();
        EXPECT_EQ (edit.shownFrame(), 1);
        EXPECT_EQ (edit.onClickCalls, click - 1);

        edit.release();
        EXPECT_EQ (edit.shownFrame(), 0);
        EXPECT_EQ (edit.onClickCalls, click);
    }

    EXPECT_EQ (edit.listener.clicks, 0);
    EXPECT_FALSE (edit.button->getToggleState());
}

TEST (ImgToggleButton, RightButtonIsIgnored)
{
    struct Kind { bool latching; int frames; };

    for (auto kind : { Kind { true, 3 }, Kind { true, 2 }, Kind { false, 2 } })
    {
        Switch sw (kind.latching, kind.frames);
        const auto right = uitest::rightButton();

        sw.press (right);
        EXPECT_EQ (sw.shownFrame(), 0);
        EXPECT_FALSE (sw.button->mouseIsDown);
        sw.release (right);
        EXPECT_EQ (sw.shownFrame(), 0);
        EXPECT_FALSE (sw.button->getToggleState());
        EXPECT_EQ (sw.listener.clicks, 0);
        EXPECT_EQ (sw.onClickCalls, 0);

        // A right release during a left press leaves the press going.
        sw.press();
        sw.release (right);
        EXPECT_TRUE (sw.button->mouseIsDown);
        EXPECT_EQ (sw.onClickCalls, 0);
    }
}

TEST (ImgToggleButton, ListenerMayDeleteTheButton)
{
    Switch push (true, 3);
    auto* raw = push.button.get();
    raw->removeListener (&push.listener);
    raw->onClick = [&push] { push.button.reset(); };

    raw->mouseDown (uitest::mouseEvent (*raw, { 1.0f, 1.0f }, uitest::leftButton()));
    raw->mouseUp (uitest::mouseEvent (*raw, { 1.0f, 1.0f }, uitest::leftButton()));
    EXPECT_EQ (push.button, nullptr);
    push.button = std::make_unique<ImgToggleButton> (juce::Image(), true, 3);
}

TEST (ImgToggleButton, DrawsAtTheFramesOwnSize)
{
    // A 2 x 6 strip of three frames, in a larger component: the frame is
    // drawn unscaled at the top left and nothing else.
    auto strip = uitest::makeStrip (2, 2, { frameColours[0], frameColours[1], frameColours[2] });
    ImgToggleButton button (strip, true, 3);
    button.setBounds (0, 0, 4, 4);
    button.setToggleState (true, juce::dontSendNotification);
    const auto image = uitest::render (button);

    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ (uitest::pixel (image, x, y), (x < 2 && y < 2) ? frameColours[2] : 0u) << x << ", " << y;
}
