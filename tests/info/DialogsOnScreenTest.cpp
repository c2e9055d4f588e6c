// The dialogs and the about screen in a window on the (virtual) display:
// keys and clicks go through the window as from the user, and fades of what
// is on screen animate.

#include "info/InnerDialog.h"
#include "info/KvoAboutScreen.h"
#include "info/KvoDialogWindow.h"
#include "UiTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    struct InWindow : testing::Test
    {
        void SetUp() override
        {
            if (! uitest::hasDisplay())
                GTEST_SKIP() << "no display";

            window.setBounds (0, 0, 1340, 700);
        }

        void TearDown() override { screen.reset(); }

        void show() { screen = std::make_unique<uitest::OnScreen> (window); }

        juce::Component window;
        std::unique_ptr<uitest::OnScreen> screen;
    };
}

TEST_F (InWindow, MessageBoxClosesOnEscapeAndLeavesTheKeyUnused)
{
    KvoDialogWindow box;
    int results = 0;
    box.onResult = [&] (bool) { ++results; };
    window.addChildComponent (box);
    show();
    box.Open (KvoDialogWindow::messageBox, "Note", "Escape closes me");
    uitest::waitForAnimatorIdle();
    ASSERT_TRUE (box.hasKeyboardFocus (true));

    bool used = true;
    const auto fade = uitest::measureFade ([&] { used = screen->pressKey (juce::KeyPress (juce::KeyPress::escapeKey)); },
                                           uitest::fadeOutStandIn (window), false);
    EXPECT_FALSE (used);
    EXPECT_FALSE (box.isVisible());
    EXPECT_EQ (results, 0);
    EXPECT_TRUE (fade.allows (150.0)) << fade;
}

TEST_F (InWindow, MessageBoxOpensAndClosesWithShortFades)
{
    KvoDialogWindow box;
    bool accepted = false;
    box.onResult = [&] (bool ok) { accepted = ok; };
    window.addChildComponent (box);
    show();

    const auto in = uitest::measureFade ([&] { box.Open (KvoDialogWindow::messageBox, "Note", "x"); },
                                         [&] { return &box; }, true);
    EXPECT_TRUE (in.allows (150.0)) << in;

    // A click on OK, through the window.
    const auto ok = box.okButton->getBounds().getCentre() + box.getPosition();
    const auto out = uitest::measureFade ([&] { screen->click (ok); }, uitest::fadeOutStandIn (window), false);
    EXPECT_TRUE (accepted);
    EXPECT_FALSE (box.isVisible());
    EXPECT_TRUE (out.allows (150.0)) << out;
}

TEST_F (InWindow, MessageBoxIsDraggedByItsTitleBarNotByItsButton)
{
    KvoDialogWindow box;
    window.addChildComponent (box);
    show();
    box.Open (KvoDialogWindow::messageBox, "Note", "x");
    uitest::waitForAnimatorIdle();
    const auto start = box.getPosition();
    screen->drag (start + juce::Point<int> (200, 15), { -100, 40 });
    EXPECT_EQ (box.getPosition(), start + juce::Point<int> (-100, 40));

    // A press on OK does not move the box (it closes it).
    const auto moved = box.getPosition();
    screen->drag (moved + box.okButton->getBounds().getCentre(), { 50, 50 });
    EXPECT_EQ (box.getPosition(), moved);
}

TEST_F (InWindow, QuestionDialogEscapeEndsWithZero)
{
    InnerDialog dialog;
    dialog.layOut (600, 210, 150);
    window.addChildComponent (dialog);
    show();

    int result = -1;
    dialog.enterModalState (true, juce::ModalCallbackFunction::create ([&] (int r) { result = r; }));
    uitest::runMessageLoop (30);
    ASSERT_TRUE (dialog.hasKeyboardFocus (true));

    bool used = true;
    const auto fade = uitest::measureFade ([&] { used = screen->pressKey (juce::KeyPress (juce::KeyPress::escapeKey)); },
                                           uitest::fadeOutStandIn (window), false);
    for (int i = 0; i < 50 && result < 0; ++i)
        uitest::runMessageLoop (10);

    EXPECT_EQ (result, 0);
    EXPECT_FALSE (used);
    EXPECT_FALSE (dialog.isVisible());
    EXPECT_TRUE (fade.allows (150.0)) << fade;
}

TEST_F (InWindow, AboutScreenClosesOnAClickOnItsText)
{
    KvoAboutScreen about;
    about.setBounds (0, 0, 1340, 700);
    window.addChildComponent (about);
    show();
    about.showScreen();
    uitest::waitForAnimatorIdle();
    ASSERT_TRUE (about.isVisible());

    const auto onText = about.lblVersionInfo->getBounds().getCentre();
    ASSERT_EQ (window.getComponentAt (onText), about.lblVersionInfo.get());

    const auto fade = uitest::measureFade ([&] { screen->click (onText); }, uitest::fadeOutStandIn (window), false);
    EXPECT_FALSE (about.isVisible());
    EXPECT_TRUE (fade.allows (250.0)) << fade;

    // And on the picture.
    about.showScreen();
    uitest::waitForAnimatorIdle();
    screen->click ({ 200, 200 });
    EXPECT_FALSE (about.isVisible());
}
