// The whole main window on the (virtual) display: clicks and keys go through
// its window as from the player, and the overlays fade in and out there as
// they do in the application.

#include "PanelTestSupport.h"
#include "ui/MainWindow.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
    struct WindowOnScreen : testing::Test
    {
        void SetUp() override
        {
            if (! uitest::hasDisplay())
                GTEST_SKIP() << "no display";
        }

        // A window on a fresh data folder: a first start, or a later one.
        void open (bool firstStart)
        {
            dataFolder = std::make_unique<uitest::ScratchDataFolder> (processor, firstStart);
            window = std::make_unique<MainWindow> (processor);
            screen = std::make_unique<uitest::OnScreen> (*window);
            uitest::waitForAnimatorIdle();
        }

        void TearDown() override
        {
            screen.reset();
            window.reset();
        }

        template <typename Start>
        uitest::FadeLength fadeIn (juce::Component& overlay, Start start)
        {
            return uitest::measureFade (start, [&overlay] { return &overlay; }, true);
        }

        template <typename Start>
        uitest::FadeLength fadeOut (Start start)
        {
            return uitest::measureFade (start, uitest::fadeOutStandIn (*window), false);
        }

        VorsanTembrolinAudioProcessor processor;
        std::unique_ptr<uitest::ScratchDataFolder> dataFolder;
        std::unique_ptr<MainWindow> window;
        std::unique_ptr<uitest::OnScreen> screen;
    };

    juce::Point<int> centreOf (juce::Component& child, juce::Component& window)
    {
        return window.getLocalPoint (&child, child.getLocalBounds().getCentre());
    }
}

TEST_F (WindowOnScreen, TheLicenceOfTheFirstStartClosesAndLeavesThePanelPlayable)
{
    open (true);
    auto& browser = *window->htmlBrowser;
    ASSERT_TRUE (browser.isVisible());
    EXPECT_EQ (browser.getAlpha(), 1.0f);

    const auto fade = fadeOut ([&] { screen->click (centreOf (*browser.closeButton, *window)); });
    EXPECT_FALSE (browser.isVisible());
    EXPECT_TRUE (fade.allows (SimpleHtmlBrowser::fadeMilliseconds)) << fade;

    // The brass switch, under where the licence was, takes the next click.
    auto& brass = *window->mainSection->findChildWithID ("brs_tog");
    ASSERT_EQ (processor.params[4]->getValue(), 0.0f);
    screen->click (centreOf (brass, *window));
    EXPECT_EQ (processor.params[4]->getValue(), 1.0f);
}

TEST_F (WindowOnScreen, EditOpensThePanelWithTheKeyboardFocusAndEscapeClosesIt)
{
    open (false);
    auto& panel = *window->editPanel;

    const auto in = fadeIn (panel, [&] { screen->click (centreOf (*window->topSection->editButton, *window)); });
    EXPECT_TRUE (panel.isVisible());
    EXPECT_TRUE (in.allows (EditPanel::fadeMilliseconds)) << in;
    EXPECT_TRUE (panel.hasKeyboardFocus (true));

    bool used = true;
    const auto out = fadeOut ([&] { used = screen->pressKey (juce::KeyPress (juce::KeyPress::escapeKey)); });
    EXPECT_FALSE (used);
    EXPECT_FALSE (panel.isVisible());
    EXPECT_TRUE (out.allows (EditPanel::fadeMilliseconds)) << out;
}

TEST_F (WindowOnScreen, TheNamePlateShowsTheAboutScreenAndAClickDismissesIt)
{
    open (false);
    auto& about = window->aboutScreen;

    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE (round);
        const auto in = fadeIn (about, [&] { screen->click ({ 265, 184 }); });
        EXPECT_TRUE (about.isVisible());
        EXPECT_TRUE (in.allows (KvoAboutScreen::fadeMilliseconds)) << in;
        EXPECT_EQ (about.lblVersionInfo->getText(), KvoAboutScreen::composeAboutText());
        EXPECT_EQ (window->getComponentAt (265, 184), &about);

        const auto out = fadeOut ([&] { screen->click ({ 700, 450 }); });   // on the version text
        EXPECT_FALSE (about.isVisible());
        EXPECT_TRUE (out.allows (KvoAboutScreen::fadeMilliseconds)) << out;
    }
}
