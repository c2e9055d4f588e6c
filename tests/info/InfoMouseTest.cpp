// Mouse input as the framework delivers it, through a window on screen: the
// events land on the editor inside the text view, and only the listeners
// that the view and the news client register bring them to those two. Needs
// a display (run under xvfb-run).

#include "info/NewsFeedClient.h"
#include "info/SimpleHtmlBrowser.h"
#include "InfoTestHelpers.h"
#include "LoopbackServer.h"
#include "../ui/UiTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    // News long enough for the strip's scroll bar.
    std::string longNews()
    {
        std::string news;
        for (int line = 1; line <= 8; ++line)
            news += "News item " + std::to_string (line) + "<br>";
        return news;
    }
}

TEST (InfoMouse, LinkUnderTheMouseShowsTheHandAndTheTip)
{
    if (! uitest::hasDisplay())
        GTEST_SKIP() << "no display";

    KvoHtmlTextEdit view;
    view.setBounds (0, 0, 500, 120);
    view.appendHtml ("read <a href=\"https://www.vorsan.example\">more</a> here");
    juce::StringArray opened;
    view.openInWebBrowser = [&] (const juce::String& url) { opened.add (url); };
    uitest::OnScreen window (view);

    const auto bounds = view.editor->getTextBounds ({ 6, 7 }).getBounds();
    const juce::Point<int> onLink { bounds.getX() + 1, bounds.getCentreY() };

    window.move (onLink);
    EXPECT_EQ (view.editor->getMouseCursor(), juce::MouseCursor (juce::MouseCursor::PointingHandCursor));
    EXPECT_TRUE (view.tipVisible);
    EXPECT_EQ (view.tipText, "https://www.vorsan.example");

    window.click (onLink);
    EXPECT_EQ (opened, juce::StringArray ("https://www.vorsan.example"));

    window.move ({ 400, 100 });
    EXPECT_EQ (view.editor->getMouseCursor(), juce::MouseCursor (juce::MouseCursor::NormalCursor));
    EXPECT_FALSE (view.tipVisible);
}

TEST (InfoMouse, NewsIsDismissedByAMouseUpAnywhereOnItButNotByTheWheel)
{
    if (! uitest::hasDisplay())
        GTEST_SKIP() << "no display";

    newstest::LoopbackServer brand ({ 200, longNews() });
    infotest::TemporaryFolder folder;
    const auto refused = newstest::LoopbackServer::addressFor (newstest::LoopbackServer::refusedPort());
    NewsFeedClient client (folder.path(), "", brand.newsAddress(), refused);
    client.setBounds (0, 0, 800, 64);
    uitest::OnScreen window (client);

    struct Place { const char* name; juce::Point<int> point; };
    const Place places[] = {
        { "on the text", { 30, 10 } },
        { "below the text, right of it", { 600, 50 } },
        { "on the scroll bar", { 795, 40 } },
    };

    for (const auto& place : places)
    {
        SCOPED_TRACE (place.name);
        client.checkForNews();
        ASSERT_TRUE (infotest::runUntil ([&] { return client.newsView->isVisible()
                                                      && client.newsView->getAlpha() == 1.0f; }, 5000));

        window.wheel ({ 300, 30 }, -0.5f);
        EXPECT_GT (infotest::scrolledDown (*client.newsView->editor), 0) << "the wheel scrolls the news";
        EXPECT_TRUE (client.newsView->isVisible()) << "and leaves it shown";

        window.click (place.point);
        EXPECT_FALSE (client.newsView->isVisible());
    }

    // Clicking where the news was, once it is gone, does no harm.
    window.click ({ 30, 10 });
    EXPECT_FALSE (client.newsView->isVisible());
}
