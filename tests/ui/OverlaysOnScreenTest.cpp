// The edit panel and the header strip's help menu in a window on the
// (virtual) display: keys and clicks go through the window as from the user,
// fades of what is on screen animate, and the menu opens for real.

#include "ui/EditPanel.h"
#include "ui/TopSection.h"
#include "core/PluginProcessor.h"
#include "info/InnerDialog.h"
#include "UiTestHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
    struct PanelInWindow : testing::Test
    {
        void SetUp() override
        {
            if (! uitest::hasDisplay())
                GTEST_SKIP() << "no display";

            window.setBounds (0, 0, 1340, 700);
            window.addChildComponent (panel);
            screen = std::make_unique<uitest::OnScreen> (window);
            panel.showPanel();
            uitest::waitForAnimatorIdle();
        }

        void TearDown() override { screen.reset(); }

        juce::Component window;
        EditPanel panel { 1340, 700, 20, 20 };
        std::unique_ptr<uitest::OnScreen> screen;
    };
}

TEST_F (PanelInWindow, EscapeFadesThePanelOutAndTheKeyGoesOnUnused)
{
    ASSERT_TRUE (panel.isVisible());
    ASSERT_TRUE (panel.hasKeyboardFocus (true));

    bool used = true;
    const auto fade = uitest::measureFade ([&] { used = screen->pressKey (juce::KeyPress (juce::KeyPress::escapeKey)); },
                                           uitest::fadeOutStandIn (window), false);
    EXPECT_FALSE (used);
    EXPECT_FALSE (panel.isVisible());
    EXPECT_TRUE (fade.allows (200.0)) << fade;
}

TEST_F (PanelInWindow, EscapeWhileTypingEndsTheTypingAndTheNextOneClosesThePanel)
{
    auto& tuning = *panel.sliders[0];
    tuning.showTextBox();
    uitest::runMessageLoop (30);
    ASSERT_FALSE (panel.hasKeyboardFocus (false));

    screen->pressKey (juce::KeyPress (juce::KeyPress::escapeKey));
    uitest::runMessageLoop (30);
    EXPECT_TRUE (panel.isVisible());

    screen->pressKey (juce::KeyPress (juce::KeyPress::escapeKey));
    EXPECT_FALSE (panel.isVisible());
}

TEST_F (PanelInWindow, EscapeAfterATypedValueClosesThePanel)
{
    auto& tuning = *panel.sliders[0];
    tuning.showTextBox();
    uitest::runMessageLoop (30);

    for (auto c : juce::String ("100"))
        screen->pressKey (juce::KeyPress (c, {}, c));

    screen->pressKey (juce::KeyPress (juce::KeyPress::returnKey));
    uitest::runMessageLoop (30);
    EXPECT_EQ (tuning.getValue(), 100.0);

    screen->pressKey (juce::KeyPress (juce::KeyPress::escapeKey));
    EXPECT_FALSE (panel.isVisible());
}

TEST_F (PanelInWindow, ClicksOutsideTheBoxCloseItInsideKeepIt)
{
    screen->click ({ 80, 100 });
    uitest::runMessageLoop (30);
    EXPECT_TRUE (panel.isVisible());

    screen->click ({ 79, 300 });
    EXPECT_FALSE (panel.isVisible());
}

namespace
{
    // The header strip in a window, with every callback recorded.
    struct StripInWindow : testing::Test
    {
        void SetUp() override
        {
            if (! uitest::hasDisplay())
                GTEST_SKIP() << "no display";

            strip.onEditRequest = [this] { calls.add ("edit"); };
            strip.onAboutRequest = [this] { calls.add ("about"); };
            strip.onHelpCommand = [this] (int code) { calls.add ("help " + juce::String (code)); };
            strip.openWebPage = [this] (const juce::URL& url) { calls.add ("web " + url.toString (true)); };
            screen = std::make_unique<uitest::OnScreen> (strip);
        }

        void TearDown() override { screen.reset(); }

        // Clicks HELP and, once the menu is up, runs `whileOpen` on it. The
        // click returns when the menu has closed.
        void clickHelpAnd (std::function<void (juce::Component& menu)> whileOpen)
        {
            menuSeen = false;
            juce::Timer::callAfterDelay (300, [this, whileOpen]
            {
                auto* menu = juce::ModalComponentManager::getInstance()->getModalComponent (0);

                if (menu == nullptr)
                    return;

                menuSeen = true;
                menuLookAndFeel = &menu->getLookAndFeel();
                menuBounds = menu->getScreenBounds();

                if (auto* folder = std::getenv ("VORSAN_SCREENSHOT_DIR"))
                    std::system (("import -window root " + juce::String (folder) + "/help-menu.png").toRawUTF8());

                whileOpen (*menu);
            });

            // Should a step fail to close the menu, close it anyway.
            safetyNet.startTimer (5000);
            screen->click (strip.helpButton->getBounds().getCentre());
            safetyNet.stopTimer();
        }

        struct SafetyNet : juce::Timer
        {
            void timerCallback() override
            {
                stopTimer();
                juce::PopupMenu::dismissAllActiveMenus();
            }
        };

        VorsanTembrolinAudioProcessor processor;
        InnerDialog dialog;
        TopSection strip { 1340, 158, processor, dialog };
        std::unique_ptr<uitest::OnScreen> screen;
        juce::StringArray calls;
        bool menuSeen = false;
        juce::LookAndFeel* menuLookAndFeel = nullptr;
        juce::Rectangle<int> menuBounds;
        SafetyNet safetyNet;
    };
}

TEST_F (StripInWindow, HelpOpensTheMenuInItsColours)
{
    juce::Image plain, highlighted;
    bool opaque = false;

    clickHelpAnd ([&] (juce::Component& menu)
    {
        opaque = menu.isOpaque();
        plain = menu.createComponentSnapshot (menu.getLocalBounds());
        screen->pressKey (juce::KeyPress (juce::KeyPress::downKey));   // highlights "Inline manual"
        highlighted = menu.createComponentSnapshot (menu.getLocalBounds());
        screen->pressKey (juce::KeyPress (juce::KeyPress::escapeKey));
    });

    ASSERT_TRUE (menuSeen);
    EXPECT_EQ (menuLookAndFeel, &strip.menuLookAndFeel);
    EXPECT_TRUE (calls.isEmpty());
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);

    // The translucent background; a display that cannot show translucent
    // windows gets it over white.
    const juce::Colour background (0xF0101010);
    const auto expected = opaque ? juce::Colours::white.overlaidWith (background) : background;
    const int x = plain.getWidth() - 5;
    EXPECT_EQ (plain.getPixelAt (x, 8), expected) << plain.getPixelAt (x, 8).toDisplayString (true);

    // The highlighted item: a light grey band with black text.
    int bandTop = -1, bandBottom = -1;

    for (int y = 0; y < highlighted.getHeight(); ++y)
        if (highlighted.getPixelAt (x, y) == juce::Colour (0xFFA0A0A0))
        {
            bandTop = bandTop < 0 ? y : bandTop;
            bandBottom = y;
            EXPECT_NE (plain.getPixelAt (x, y), juce::Colour (0xFFA0A0A0));
        }

    ASSERT_GE (bandTop, 0);
    EXPECT_GE (bandBottom - bandTop, 12);
    int black = 0;

    for (int y = bandTop; y <= bandBottom; ++y)
        for (int bx = 0; bx < x; ++bx)
            if (highlighted.getPixelAt (bx, y) == juce::Colour (0xFF000000))
                ++black;

    EXPECT_GT (black, 10);
}

TEST_F (StripInWindow, EscapeOrAClickOutsideTheMenuDoesNothing)
{
    struct Case { const char* how; std::function<void (juce::Component&)> dismiss; };
    const Case cases[] = {
        // Keys typed in the window go to the open menu.
        { "escape", [this] (juce::Component&) { screen->pressKey (juce::KeyPress (juce::KeyPress::escapeKey)); } },
        // A click on the strip, away from the menu.
        { "click outside", [this] (juce::Component&) { screen->click ({ 20, 140 }); } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.how);
        calls.clear();
        clickHelpAnd (c.dismiss);
        ASSERT_TRUE (menuSeen);
        EXPECT_FALSE (menuBounds.contains (20, 140));
        EXPECT_TRUE (calls.isEmpty()) << calls.joinIntoString (", ");
        EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
    }
}

TEST_F (StripInWindow, ChosenItemRunsItsAction)
{
    // Down to the n-th item (section header and separators are skipped), then Return.
    struct Case { int downs; const char* call; };
    const Case cases[] = {
        { 1, "help 2" },
        { 3, "help 0" },
        { 4, "help 1" },
        { 5, "about" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.call);
        calls.clear();
        clickHelpAnd ([this, downs = c.downs] (juce::Component&)
        {
            for (int i = 0; i < downs; ++i)
                screen->pressKey (juce::KeyPress (juce::KeyPress::downKey));

            screen->pressKey (juce::KeyPress (juce::KeyPress::returnKey));
        });
        ASSERT_TRUE (menuSeen);
        EXPECT_EQ (calls, juce::StringArray (c.call));
    }
}
