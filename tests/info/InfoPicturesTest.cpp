// Draws the document browser and the news strip as the player sees them and
// writes the pictures into the build folder for a person to look at:
//   info-browser-manual.png   the manual, from its top
//   info-browser-licence.png  the licence with the tip over its second link
//   info-news.png             the news strip with news from a loopback server
// The checks here are the few pixels that say the layout is right.

#include "info/NewsFeedClient.h"
#include "info/SimpleHtmlBrowser.h"
#include "InfoTestHelpers.h"
#include "LoopbackServer.h"
#include "../ui/UiTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    void save (const juce::Image& image, const char* name)
    {
        const juce::File file (juce::String (VORSAN_BUILD_DIR) + "/" + name);
        file.deleteFile();
        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk());
        ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out));
    }

    // Pixels in a rectangle that are close to a colour.
    int countNear (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour, int tolerance)
    {
        int count = 0;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
            {
                const auto c = image.getPixelAt (x, y);
                if (std::abs (c.getRed() - colour.getRed()) <= tolerance
                    && std::abs (c.getGreen() - colour.getGreen()) <= tolerance
                    && std::abs (c.getBlue() - colour.getBlue()) <= tolerance)
                    ++count;
            }
        return count;
    }

    // The rows in an area holding anything but the background.
    int inkRows (const juce::Image& image, juce::Rectangle<int> area, juce::Colour background)
    {
        int rows = 0;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (image.getPixelAt (x, y) != background)
                {
                    ++rows;
                    break;
                }
        return rows;
    }
}

TEST (InfoPictures, BrowserShowsTheManualWithItsButtonsBelow)
{
    SimpleHtmlBrowser browser;
    browser.setBounds (0, 0, 1340, 700);
    browser.openDocument ("manual.htm");
    browser.view->onLinkClicked ("missing.htm");   // so that "<< BACK" shows too

    const auto image = uitest::render (browser);
    save (image, "info-browser-manual.png");

    const juce::Colour page (0xFF202028);
    EXPECT_EQ (uitest::pixel (image, 600, 3), page.getARGB()) << "the top margin of the page";
    EXPECT_EQ (uitest::pixel (image, 20, 680), 0xFF000000u) << "the black strip under the page";
    EXPECT_EQ (uitest::pixel (image, 1075, 668), SquareButton::plainColour) << "<< BACK";
    EXPECT_EQ (uitest::pixel (image, 1205, 668), SquareButton::plainColour) << "CLOSE";

    // The title (level 3) stands taller than a line of body text (size 15).
    const int titleRows = inkRows (image, { 5, 0, 600, 55 }, page);
    EXPECT_GE (titleRows, 18);
    EXPECT_LE (titleRows, 40);
    // The page is filled with text down to its bottom.
    EXPECT_GT (inkRows (image, { 5, 300, 1300, 350 }, page), 150);
}

TEST (InfoPictures, LicenceLinkShowsItsTip)
{
    SimpleHtmlBrowser browser;
    browser.setBounds (0, 0, 1340, 700);
    browser.view->openInWebBrowser = [] (const juce::String&) {};
    browser.openDocument ("eula.htm");

    auto& view = *browser.view;
    ASSERT_EQ (view.links.size(), 2);
    const auto link = view.links[1];
    const auto bounds = view.editor->getTextBounds ({ link.start, link.start + 1 }).getBounds().toFloat();
    view.mouseMove (uitest::mouseEvent (*view.editor, { bounds.getX() + 1.0f, bounds.getCentreY() }, {}));
    ASSERT_TRUE (view.tipVisible);

    const auto image = uitest::render (browser);
    save (image, "info-browser-licence.png");

    const juce::Rectangle<int> tip (view.tipX, view.tipY, view.tipWidth, KvoHtmlTextEdit::tipHeight);
    EXPECT_GT (countNear (image, tip, juce::Colour (0xFFF5F5DC), 0), tip.getWidth() * 10) << "beige tip";
    EXPECT_GT (countNear (image, tip, juce::Colours::black, 60), 30) << "with the address in black";
    // The link itself is yellow.
    const auto linkBounds = view.editor->getTextBounds ({ link.start, link.end }).getBounds();
    EXPECT_GT (countNear (image, linkBounds, juce::Colours::yellow, 60), 30);
}

TEST (InfoPictures, NewsStripShowsNewsFromTheServer)
{
    newstest::LoopbackServer brand ({ 200, "<b>New:</b> the 1.1 update is out. <a href=\"https://www.vorsan.example/\">"
                                          "Read more</a>" });
    newstest::LoopbackServer maker ({ 200, "<font color=\"#FFA040\">Sound sets</font> for strings and brass" });
    infotest::TemporaryFolder folder;

    NewsFeedClient client (folder.path(), "&osnm=Linux", brand.newsAddress(), maker.newsAddress());
    client.setBounds (40, 0, 800, 64);

    client.checkForNews();
    ASSERT_TRUE (infotest::runUntil ([&] { return client.newsView->isVisible(); }, 5000));
    ASSERT_TRUE (infotest::runUntil ([&] { return client.newsView->getAlpha() == 1.0f; }, 2000));

    const auto image = uitest::render (client);
    save (image, "info-news.png");

    EXPECT_EQ (client.newsView->editor->getText(), "New: the 1.1 update is out. Read more\nSound sets for strings and brass");
    const juce::Colour strip (0xFF202020);
    EXPECT_EQ (uitest::pixel (image, 790, 60), strip.getARGB());
    EXPECT_GT (countNear (image, image.getBounds(), juce::Colour (0xFFA0A0FF), 30), 30) << "the link";
    EXPECT_GT (countNear (image, image.getBounds(), juce::Colour (0xFFFFA040), 30), 30) << "the coloured words";
    EXPECT_GT (countNear (image, image.getBounds(), juce::Colours::white, 30), 100) << "the plain words";
}
