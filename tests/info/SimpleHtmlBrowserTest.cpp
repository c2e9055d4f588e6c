// The document browser over the embedded manual and licence text: history,
// "<< BACK", "CLOSE", message links and web links. Without a display a fade
// shows or hides a component at once, which is all these tests look at.

#include "info/SimpleHtmlBrowser.h"
#include "InfoTestHelpers.h"
#include "../ui/UiTestHelpers.h"

#include <BinaryData.h>

#include <gtest/gtest.h>

namespace
{
    struct Browser : testing::Test
    {
        Browser()
        {
            parent.setBounds (0, 0, 1340, 700);
            browser.setBounds (0, 0, 1340, 700);
            parent.addChildComponent (browser);
            browser.view->openInWebBrowser = [this] (const juce::String& url) { webPages.add (url); };
        }

        juce::String shownText() const { return browser.view->editor->getText(); }

        bool backAvailable() const { return browser.backButton->isVisible() && browser.backButton->isEnabled(); }

        void followLink (const juce::String& target) { browser.view->onLinkClicked (target); }

        void press (SquareButton& button)
        {
            button.mouseUp (uitest::mouseEvent (button, { 10.0f, 10.0f }, {}));
        }

        // Shown from its top: caret at the start, not scrolled at all.
        bool showsFromTop() const
        {
            return browser.view->editor->getCaretPosition() == 0
                && infotest::scrolledDown (*browser.view->editor) == 0;
        }

        // "<< BACK" from the second page: the first shows again from its
        // top, and the button goes.
        void pressBackToTheOnlyPage (const juce::String& name, const juce::String& text)
        {
            press (*browser.backButton);
            EXPECT_EQ (browser.history, juce::StringArray (name));
            EXPECT_EQ (shownText(), text);
            EXPECT_TRUE (showsFromTop());
            EXPECT_FALSE (backAvailable());
        }

        void scrollToTheEnd()
        {
            browser.view->editor->moveCaretToEnd (false);
            ASSERT_GT (infotest::scrolledDown (*browser.view->editor), 0);
        }

        juce::Component parent;
        SimpleHtmlBrowser browser;
        juce::StringArray webPages;
    };
}

TEST_F (Browser, IsLaidOutOverTheWholeWindowAndStartsHidden)
{
    EXPECT_FALSE (browser.isVisible());
    EXPECT_TRUE (browser.isOpaque());
    EXPECT_EQ (browser.view->getBounds(), juce::Rectangle<int> (0, 0, 1340, 660));
    EXPECT_EQ (browser.backButton->getBounds(), juce::Rectangle<int> (1070, 665, 120, 30));
    EXPECT_EQ (browser.closeButton->getBounds(), juce::Rectangle<int> (1200, 665, 120, 30));
    EXPECT_EQ (browser.closeButton->getButtonText(), "CLOSE");
    EXPECT_EQ (browser.backButton->getButtonText(), "<< BACK");
    EXPECT_TRUE (browser.closeButton->isVisible());
    EXPECT_FALSE (backAvailable());
    EXPECT_TRUE (browser.history.isEmpty());

    auto& editor = *browser.view->editor;
    EXPECT_TRUE (editor.areScrollbarsShown());
    EXPECT_EQ (editor.getFont().getHeight(), 15.0f);
    EXPECT_EQ (browser.view->savedSize, 15.0f);
    EXPECT_EQ (editor.findColour (juce::TextEditor::backgroundColourId).getARGB(), 0xFF202028u);
    EXPECT_EQ (browser.view->linkColour.getARGB(), 0xFFFFFF00u);
}

TEST_F (Browser, OpeningTheLicenceShowsItFromItsTopWithoutHistory)
{
    browser.openDocument ("eula.htm");

    EXPECT_TRUE (browser.isVisible());
    EXPECT_EQ (browser.history, juce::StringArray ("eula.htm"));
    EXPECT_FALSE (backAvailable());
    EXPECT_TRUE (shownText().startsWith ("END USER LICENSE AGREEMENT\n"));
    EXPECT_EQ (shownText(), infotest::documentText ("eula.htm"));
    EXPECT_TRUE (showsFromTop());
    // Its two web links are live.
    EXPECT_EQ (browser.view->links.size(), 2);
}

TEST_F (Browser, BackFromALinkedPageShowsTheFirstAgainFromItsTop)
{
    browser.openDocument ("manual.htm");
    const auto manual = shownText();
    ASSERT_TRUE (manual.startsWith ("VorsanTembrolin User's Manual\n"));
    scrollToTheEnd();

    followLink ("eula.htm");
    EXPECT_EQ (browser.history, juce::StringArray ("manual.htm", "eula.htm"));
    EXPECT_EQ (shownText(), infotest::documentText ("eula.htm"));
    EXPECT_TRUE (backAvailable());

    pressBackToTheOnlyPage ("manual.htm", manual);

    // With one page left the button is gone, and the page stays.
    press (*browser.backButton);
    EXPECT_EQ (browser.history, juce::StringArray ("manual.htm"));
    EXPECT_EQ (shownText(), manual);
}

TEST_F (Browser, ALinkToAMissingPageKeepsThePageButEntersTheHistory)
{
    browser.openDocument ("manual.htm");
    const auto manual = shownText();
    scrollToTheEnd();

    followLink ("missing.htm");
    EXPECT_EQ (shownText(), manual);
    EXPECT_EQ (browser.history, juce::StringArray ("manual.htm", "missing.htm"));
    EXPECT_TRUE (backAvailable());

    pressBackToTheOnlyPage ("manual.htm", manual);
}

TEST_F (Browser, OpeningAMissingDocumentShowsTheBrowserWithItsLastPage)
{
    browser.openDocument ("eula.htm");
    const auto eula = shownText();
    browser.closeButton->mouseUp (uitest::mouseEvent (*browser.closeButton, { 5.0f, 5.0f }, {}));
    ASSERT_FALSE (browser.isVisible());

    browser.openDocument ("nothing.htm");
    EXPECT_TRUE (browser.isVisible());
    EXPECT_EQ (shownText(), eula);
    EXPECT_EQ (browser.history, juce::StringArray ("nothing.htm"));
}

TEST_F (Browser, OpeningADocumentReplacesTheHistory)
{
    browser.openDocument ("manual.htm");
    followLink ("eula.htm");
    followLink ("manual.htm");
    ASSERT_EQ (browser.history.size(), 3);

    browser.openDocument ("eula.htm");
    EXPECT_EQ (browser.history, juce::StringArray ("eula.htm"));
    EXPECT_FALSE (backAvailable());
    EXPECT_EQ (shownText(), infotest::documentText ("eula.htm"));
}

TEST_F (Browser, MessageLinksOpenTheBrowsersMessageBoxOverThePageInAnyCase)
{
    browser.openDocument ("manual.htm");
    uitest::waitForAnimatorIdle();
    const auto manual = shownText();
    auto& box = *browser.messageBox;
    EXPECT_EQ (box.getParentComponent(), &browser);
    EXPECT_FALSE (box.isVisible()) << "hidden until a message comes";

    struct Case { const char* link; const char* message; };
    const Case cases[] = {
        { "#alert=Hello there", "Hello there" },
        { "#ALERT=Shouting", "Shouting" },
        { "#Alert=a#alert=b", "a#alert=b" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.link);
        followLink (c.link);
        EXPECT_TRUE (box.isVisible());
        EXPECT_EQ (box.title, "You got a message!");
        EXPECT_EQ (box.message, c.message);
        EXPECT_EQ (box.getBounds().getCentre(), juce::Point<int> (670, 350));
        EXPECT_EQ (browser.getChildComponent (browser.getNumChildComponents() - 1), &box) << "above the page";
        EXPECT_EQ (browser.history, juce::StringArray ("manual.htm"));
        EXPECT_EQ (shownText(), manual);
    }

    // OK closes the box; the page stays.
    box.okButton->onRelease (uitest::mouseEvent (*box.okButton, { 5.0f, 5.0f }, {}));
    EXPECT_FALSE (box.isVisible());
    EXPECT_TRUE (browser.isVisible());

    // With nobody to show it, a message goes nowhere.
    browser.onAlert = nullptr;
    followLink ("#alert=unheard");
    EXPECT_FALSE (box.isVisible());
    EXPECT_EQ (browser.history, juce::StringArray ("manual.htm"));
}

TEST_F (Browser, WebLinksInTheLicenceOpenTheSystemBrowserAndLeaveTheHistory)
{
    browser.openDocument ("eula.htm");
    auto& view = *browser.view;
    ASSERT_EQ (view.links.size(), 2);
    const auto link = view.links[1];

    const auto bounds = view.editor->getTextBounds ({ link.start, link.start + 1 }).getBounds().toFloat();
    const juce::Point<float> onLink { bounds.getX() + 1.0f, bounds.getCentreY() };
    view.mouseUp (uitest::mouseEvent (*view.editor, onLink, {}));

    EXPECT_EQ (webPages, juce::StringArray (link.target));
    EXPECT_TRUE (link.target.startsWith ("https://"));
    EXPECT_EQ (browser.history, juce::StringArray ("eula.htm"));
}

TEST_F (Browser, CloseHidesTheBrowserAndKeepsItsPage)
{
    browser.openDocument ("manual.htm");
    followLink ("eula.htm");

    press (*browser.closeButton);
    EXPECT_FALSE (browser.isVisible());
    EXPECT_EQ (browser.history, juce::StringArray ("manual.htm", "eula.htm"));
    EXPECT_EQ (shownText(), infotest::documentText ("eula.htm"));
}

TEST_F (Browser, PagesDoNotHandTheirStyleToTheNextOne)
{
    // Each embedded page closes what it opens, so the manual after the
    // licence renders exactly as on its own.
    browser.openDocument ("eula.htm");
    browser.openDocument ("manual.htm");
    EXPECT_EQ (shownText(), infotest::documentText ("manual.htm"));
    EXPECT_EQ (browser.view->fontStyle, 0);
    EXPECT_EQ (browser.view->fontSize, 15.0f);
    EXPECT_EQ (browser.view->textColour.getARGB(), 0xFFFFFFFFu);
}
