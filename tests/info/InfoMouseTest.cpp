// Mouse input as the framework delivers it, through a window on screen: the
// events land on the editor inside the text view, and only the listeners
// that the view and the news client register bring them to those two. Needs
// a display (run under xvfb-run).

#include "info/NewsFeedClient.h"
#include "info/SimpleHtmlBrowser.h"
#include "InfoTestHelpers.h"
#include "LoopbackServer.h"

#include <gtest/gtest.h>

namespace
{
    bool hasDisplay()
    {
        return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
    }

    // A window holding one component at its top left corner.
    struct Window : juce::Component
    {
        explicit Window (juce::Component& content)
        {
            setBounds (0, 0, content.getRight(), content.getBottom());
            addAndMakeVisible (content);
            setVisible (true);
            addToDesktop (0);
        }

        ~Window() override { removeFromDesktop(); }

        juce::ComponentPeer& peer() { return *getPeer(); }

        void move (juce::Point<float> p)
        {
            peer().handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, p, {}, 0.0f, 0.0f, now());
        }

        void click (juce::Point<float> p)
        {
            move (p);
            peer().handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, p,
                                     juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), 0.0f, 0.0f, now());
            peer().handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, p, {}, 0.0f, 0.0f, now());
        }

        void wheel (juce::Point<float> p, float deltaY)
        {
            move (p);
            juce::MouseWheelDetails details;
            details.deltaX = 0.0f;
            details.deltaY = deltaY;
            details.isReversed = false;
            details.isSmooth = false;
            details.isInertial = false;
            peer().handleMouseWheel (juce::MouseInputSource::InputSourceType::mouse, p, now(), details);
        }

        static juce::int64 now() { return juce::Time::currentTimeMillis(); }
    };

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
    if (! hasDisplay())
        GTEST_SKIP() << "no display";

    KvoHtmlTextEdit view;
    view.setBounds (0, 0, 500, 120);
    view.appendHtml ("read <a href=\"https://www.vorsan.example\">more</a> here");
    juce::StringArray opened;
    view.openInWebBrowser = [&] (const juce::String& url) { opened.add (url); };
    Window window (view);

    const auto bounds = view.editor->getTextBounds ({ 6, 7 }).getBounds().toFloat();
    const juce::Point<float> onLink { bounds.getX() + 1.0f, bounds.getCentreY() };

    window.move (onLink);
    EXPECT_EQ (view.editor->getMouseCursor(), juce::MouseCursor (juce::MouseCursor::PointingHandCursor));
    EXPECT_TRUE (view.tipVisible);
    EXPECT_EQ (view.tipText, "https://www.vorsan.example");

    window.click (onLink);
    EXPECT_EQ (opened, juce::StringArray ("https://www.vorsan.example"));

    window.move ({ 400.0f, 100.0f });
    EXPECT_EQ (view.editor->getMouseCursor(), juce::MouseCursor (juce::MouseCursor::NormalCursor));
    EXPECT_FALSE (view.tipVisible);
}

TEST (InfoMouse, NewsIsDismissedByAMouseUpAnywhereOnItButNotByTheWheel)
{
    if (! hasDisplay())
        GTEST_SKIP() << "no display";

    newstest::LoopbackServer brand ({ 200, longNews() });
    infotest::TemporaryFolder folder;
    const auto refused = newstest::LoopbackServer::addressFor (newstest::LoopbackServer::refusedPort());
    NewsFeedClient client (folder.path(), "", brand.newsAddress(), refused);
    client.setBounds (0, 0, 800, 64);
    Window window (client);

    struct Place { const char* name; juce::Point<float> point; };
    const Place places[] = {
        { "on the text", { 30.0f, 10.0f } },
        { "below the text, right of it", { 600.0f, 50.0f } },
        { "on the scroll bar", { 795.0f, 40.0f } },
    };

    for (const auto& place : places)
    {
        SCOPED_TRACE (place.name);
        client.checkForNews();
        ASSERT_TRUE (infotest::runUntil ([&] { return client.newsView->isVisible()
                                                      && client.newsView->getAlpha() == 1.0f; }, 5000));

        window.wheel ({ 300.0f, 30.0f }, -0.5f);
        EXPECT_GT (infotest::scrolledDown (*client.newsView->editor), 0) << "the wheel scrolls the news";
        EXPECT_TRUE (client.newsView->isVisible()) << "and leaves it shown";

        window.click (place.point);
        EXPECT_FALSE (client.newsView->isVisible());
    }

    // Clicking where the news was, once it is gone, does no harm.
    window.click ({ 30.0f, 10.0f });
    EXPECT_FALSE (client.newsView->isVisible());
}
