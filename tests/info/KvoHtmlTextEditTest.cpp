// The HTML text view: what each piece of markup renders (text, size, style
// and colour of every run, and the link ranges), how links answer the mouse,
// and where the link tip is drawn. None of this needs a display.

#include "info/KvoHtmlTextEdit.h"
#include "InfoTestHelpers.h"
#include "../ui/UiTestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <ostream>
#include <vector>

namespace
{
    constexpr juce::uint32 white = 0xFFFFFFFF;
    constexpr juce::uint32 yellow = 0xFFFFFF00;
    constexpr int plain = 0, bold = 1, italic = 2, underlined = 4;

    // A stretch of text inserted with one font and colour.
    struct TextRun
    {
        juce::String text;
        float size;
        int style;
        juce::uint32 colour;

        bool operator== (const TextRun& other) const
        {
            return text == other.text && size == other.size && style == other.style && colour == other.colour;
        }
    };

    std::ostream& operator<< (std::ostream& out, const TextRun& run)
    {
        return out << "{\"" << run.text.replace ("\n", "\\n").toStdString() << "\", " << run.size << ", "
                   << run.style << ", " << juce::String::toHexString ((int) run.colour).toStdString() << "}";
    }

    struct Link
    {
        juce::String target;
        int start, end;

        bool operator== (const Link& other) const
        {
            return target == other.target && start == other.start && end == other.end;
        }
    };

    std::ostream& operator<< (std::ostream& out, const Link& link)
    {
        return out << "{" << link.target.toStdString() << ", " << link.start << ", " << link.end << "}";
    }

    // Sees every insertion the view makes, with the font and colour the
    // editor gives the inserted text, and lets the text through unchanged.
    struct RunRecorder : juce::TextEditor::InputFilter
    {
        juce::String filterNewText (juce::TextEditor& editor, const juce::String& text) override
        {
            const auto font = editor.getFont();
            const TextRun run { text, font.getHeight(), font.getStyleFlags(),
                            editor.findColour (juce::TextEditor::textColourId).getARGB() };

            // Neighbouring insertions that look alike make one run.
            if (! runs.empty() && runs.back().size == run.size && runs.back().style == run.style
                && runs.back().colour == run.colour)
                runs.back().text += text;
            else
                runs.push_back (run);

            return text;
        }

        std::vector<TextRun> runs;
    };

    struct Rendered
    {
        std::vector<TextRun> runs;
        std::vector<Link> links;
        juce::String text;
    };

    std::vector<Link> linksOf (const KvoHtmlTextEdit& view)
    {
        std::vector<Link> links;
        for (const auto& link : view.links)
            links.push_back ({ link.target, link.start, link.end });
        return links;
    }

    Rendered render (KvoHtmlTextEdit& view, const juce::String& html)
    {
        RunRecorder recorder;
        view.editor->setInputFilter (&recorder, false);
        view.appendHtml (html);
        view.editor->setInputFilter (nullptr, false);
        return { recorder.runs, linksOf (view), view.editor->getText() };
    }

    juce::String joined (const std::vector<TextRun>& runs)
    {
        juce::String text;
        for (const auto& run : runs)
            text += run.text;
        return text;
    }

    struct Case
    {
        const char* name;
        juce::String html;
        std::vector<TextRun> runs;
        std::vector<Link> links;
    };
}

TEST (KvoHtmlTextEdit, RendersEachPieceOfMarkupAsItsRulesSay)
{
    const int longest = KvoHtmlTextEdit::longestWordAt (18.0f);
    const int longestInLargest = KvoHtmlTextEdit::longestWordAt (KvoHtmlTextEdit::largestFontSize);
    ASSERT_LT (longestInLargest, longest);

    const Case cases[] = {
        { "a line end joins the words around it", "one\r\ntwo\nthree",
          { { "onetwothree", 18, plain, white } }, {} },
        { "a lone carriage return stays", "a\rb",
          { { "a\rb", 18, plain, white } }, {} },
        { "only the exact lower-case br breaks the line", "a<BR>b<br/>c<br >d<br>e",
          { { "abcd\ne", 18, plain, white } }, {} },
        { "a closing b with nothing open turns bold on", "</b>x",
          { { "x", 18, bold, white } }, {} },
        { "closing tags toggle", "<i>a</i>b</i>c",
          { { "a", 18, italic, white }, { "b", 18, plain, white }, { "c", 18, italic, white } }, {} },
        { "styles add up", "<b><u>a</b>b</u>c",
          { { "a", 18, bold | underlined, white }, { "b", 18, underlined, white }, { "c", 18, plain, white } }, {} },
        { "a link drops bold, and its end leaves plain text", "<b>B<a href=\"p.htm\">L</a>T",
          { { "B", 18, bold, white }, { "L", 18, underlined, yellow }, { "T", 18, plain, white } },
          { { "p.htm", 1, 2 } } },
        { "an a tag with nothing after the letter is ignored", "x<a>y</a>z",
          { { "xy", 18, plain, white }, { "z", 18, underlined, white } },
          { { "", 0, 2 } } },
        { "a link without href reuses the target and the earlier start",
          "<a href=\"one\">1</a>2<a name=x>3</a>",
          { { "1", 18, underlined, yellow }, { "2", 18, plain, white }, { "3", 18, underlined, yellow } },
          { { "one", 0, 1 }, { "one", 0, 3 } } },
        { "href in any case, quotes removed, everything after it kept",
          "<A HREF=\"Page.htm\" title=\"t\">x</a>",
          { { "x", 18, underlined, yellow } }, { { "Page.htm title=t", 0, 1 } } },
        { "<> shows the >", "x<>y",
          { { "x>y", 18, plain, white } }, {} },
        { "text ending inside a tag shows what came before it", "ab<b",
          { { "ab", 18, plain, white } }, {} },
        { "a < inside a tag goes on with the same tag", "a<b<i>c",
          { { "ac", 18, plain, white } }, {} },
        { "entities and unknown tags", "<p>Tom &amp; <script>Jerry</script></p><hr>!",
          { { "Tom &amp; Jerry!", 18, plain, white } }, {} },
        { "a level-2 heading, its line break at the size before it", "A<h2>Title</h2>B",
          { { "A", 18, plain, white }, { "Title", 32, plain, white }, { "\nB", 18, plain, white } }, {} },
        { "level 5 is no heading", "<h5>x</h5>y",
          { { "xy", 18, plain, white } }, {} },
        { "the last digit of the name sets the size", "<h12>x</h12><H1>y</H1>",
          { { "x", 32, plain, white }, { "\n", 18, plain, white }, { "y", 36, plain, white },
            { "\n", 18, plain, white } }, {} },
        { "a quoted colour with #, then back", "<font color=\"#FF0000\">red</font>w",
          { { "red", 18, plain, 0xFFFF0000 }, { "w", 18, plain, white } }, {} },
        { "eight hex digits wrap around", "<font color=\"80FF0000\">x",
          { { "x", 18, plain, 0x7FFF0000 } }, {} },
        { "non-hex characters in a colour are skipped", "<font color=\"#0g0z0FF\">x",
          { { "x", 18, plain, 0xFF0000FF } }, {} },
        { "a quoted size", "<font size=\"24\">b</font>s",
          { { "b", 24, plain, white }, { "s", 18, plain, white } }, {} },
        { "a heading inside a font block takes over the saved size",
          "<font size=\"20\">a<h1>b</h1>c</font>d",
          { { "a", 20, plain, white }, { "b", 36, plain, white }, { "\ncd", 20, plain, white } }, {} },
        { "a link inside a coloured block takes over the saved colour",
          "<font color=\"#00FF00\">g<a href=\"x\">l</a>h</font>i",
          { { "g", 18, plain, 0xFF00FF00 }, { "l", 18, underlined, yellow }, { "hi", 18, plain, 0xFF00FF00 } },
          { { "x", 1, 2 } } },
        { "two list items and the end of the list", "<ul><li>one<li>two</ul>z",
          { { "\n  - one\n  - two\nz", 18, plain, white } }, {} },
        { "characters beyond ASCII count once each", juce::String::fromUTF8 ("\xc3\xa9<a href=\"u\">\xc3\xbc</a>!"),
          { { juce::String::fromUTF8 ("\xc3\xa9"), 18, plain, white },
            { juce::String::fromUTF8 ("\xc3\xbc"), 18, underlined, yellow }, { "!", 18, plain, white } },
          { { "u", 1, 2 } } },
        { "a word gets a space after its longest length, even across tags",
          juce::String::repeatedString ("w", longest - 1) + "<b>xy</b> "
              + juce::String::repeatedString ("z", longest) + "<a href=\"u\">!</a>",
          { { juce::String::repeatedString ("w", longest - 1), 18, plain, white },
            { "x y", 18, bold, white },
            { " " + juce::String::repeatedString ("z", longest), 18, plain, white },
            { " !", 18, underlined, yellow } },
          { { "u", 2 * longest + 3, 2 * longest + 5 } } },
        { "type larger than the largest is set in the largest, and its words break sooner",
          "<font size=\"10000\">" + juce::String::repeatedString ("y", longestInLargest + 1) + "</font>z",
          { { juce::String::repeatedString ("y", longestInLargest) + " y", KvoHtmlTextEdit::largestFontSize, plain, white },
            { "z", 18, plain, white } }, {} },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        KvoHtmlTextEdit view;
        const auto rendered = render (view, c.html);

        EXPECT_EQ (rendered.runs, c.runs);
        EXPECT_EQ (rendered.links, c.links);
        EXPECT_EQ (rendered.text, joined (c.runs));
        EXPECT_EQ (view.insertPos, rendered.text.length());
    }
}

TEST (KvoHtmlTextEdit, FontAttributesWithoutQuotesOrInCapitalsReadAsEmpty)
{
    struct Attributes { const char* html; float size; juce::uint32 colour; const char* face; };
    const Attributes cases[] = {
        { "<font size=20>", 0.0f, white, "Verdana" },
        { "<font color=#FF0000>", 18.0f, 0xFF000000, "Verdana" },
        { "<font face=Courier>", 18.0f, white, "" },
        { "<FONT SIZE=\"30\">", 0.0f, white, "Verdana" },
        { "<font face=\"Courier\">", 18.0f, white, "Courier" },
        // The value is the first quoted text after "size=", wherever it is.
        { "<font size=5 color=\"#0000FF\">", 0.0f, 0xFF0000FF, "Verdana" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.html);
        KvoHtmlTextEdit view;
        view.appendHtml (c.html);
        EXPECT_EQ (view.fontSize, c.size);
        EXPECT_EQ (view.textColour.getARGB(), c.colour);
        EXPECT_EQ (view.fontFace, c.face);
        // Text after it still renders (with a font of no name, the default).
        view.appendHtml ("x");
        EXPECT_EQ (view.editor->getText(), "x");
    }
}

TEST (KvoHtmlTextEdit, FontFaceChangesAndSlotsAreRestoredByTheClosingTag)
{
    KvoHtmlTextEdit view;
    view.appendHtml ("<font face=\"DejaVu Serif\" size=\"22\">a");
    EXPECT_EQ (view.editor->getFont().getTypefaceName(), "DejaVu Serif");
    EXPECT_EQ (view.editor->getFont().getHeight(), 22.0f);
    EXPECT_EQ (view.savedFace, "Verdana");
    EXPECT_EQ (view.savedSize, 18.0f);

    view.appendHtml ("</font>b");
    EXPECT_EQ (view.fontFace, "Verdana");
    EXPECT_NE (view.editor->getFont().getTypefaceName(), "DejaVu Serif");
    EXPECT_EQ (view.editor->getFont().getHeight(), 18.0f);
}

namespace
{
    // Rows and pixels of a rendered line that are not the black background.
    struct Ink
    {
        int pixels = 0;
        int widestRow = 0;   // the most inked pixels in one row
    };

    Ink inkOf (const juce::String& html)
    {
        KvoHtmlTextEdit view;
        view.setBounds (0, 0, 300, 60);
        view.appendHtml (html);
        const auto image = uitest::render (view);
        Ink ink;

        for (int y = 0; y < image.getHeight(); ++y)
        {
            int row = 0;
            for (int x = 0; x < image.getWidth(); ++x)
                row += image.getPixelAt (x, y).getBrightness() > 0.5f ? 1 : 0;
            ink.pixels += row;
            ink.widestRow = juce::jmax (ink.widestRow, row);
        }

        return ink;
    }
}

// The default face is rarely installed on Linux; bold and underlined text
// must still look bold and underlined.
TEST (KvoHtmlTextEdit, BoldAndUnderlineShowWhateverFacesAreInstalled)
{
    EXPECT_GT (inkOf ("<b>mmmmmmmm</b>").pixels, inkOf ("mmmmmmmm").pixels * 5 / 4);

    // An underline inks a row across the whole word; the letters i alone
    // ink no more than their stems in any row.
    const auto stems = inkOf ("iiiiiiiiiiii").widestRow;
    EXPECT_GT (inkOf ("<u>iiiiiiiiiiii</u>").widestRow, stems * 2);
    EXPECT_GT (inkOf ("<a href=\"x\">iiiiiiiiiiii</a>").widestRow, stems * 2);
}

TEST (KvoHtmlTextEdit, ClearingKeepsTheRenderingStateForTheNextDocument)
{
    KvoHtmlTextEdit view;
    view.appendHtml ("<b><font color=\"#00FF00\">x<a href=\"open.htm\">link");
    ASSERT_EQ (view.links.size(), 0);

    view.clearHtml();
    EXPECT_EQ (view.editor->getText(), "");
    EXPECT_EQ (view.insertPos, 0);
    EXPECT_EQ (view.links.size(), 0);
    EXPECT_EQ (view.editor->getCaretPosition(), 0);

    // The open link, its underline and colour carry on into the next
    // document, and its end closes the link begun in the first one.
    const auto rendered = render (view, "ab</a>c");
    const std::vector<TextRun> expected { { "ab", 18, underlined, yellow }, { "c", 18, plain, 0xFF00FF00 } };
    EXPECT_EQ (rendered.runs, expected);
    const std::vector<Link> links { { "open.htm", 1, 2 } };
    EXPECT_EQ (rendered.links, links) << "its start was recorded in the first document";
}

TEST (KvoHtmlTextEdit, StartsWithItsDefaults)
{
    KvoHtmlTextEdit view;
    auto& editor = *view.editor;

    EXPECT_TRUE (editor.isMultiLine());
    EXPECT_TRUE (editor.isReadOnly());
    EXPECT_FALSE (editor.isPopupMenuEnabled());
    EXPECT_FALSE (editor.areScrollbarsShown());
    EXPECT_EQ (editor.getLeftIndent(), 5);
    EXPECT_EQ (editor.getTopIndent(), 20);
    EXPECT_EQ (editor.findColour (juce::TextEditor::outlineColourId).getARGB(), 0u);
    EXPECT_EQ (editor.findColour (juce::TextEditor::focusedOutlineColourId).getARGB(), 0u);
    EXPECT_EQ (editor.findColour (juce::TextEditor::backgroundColourId).getARGB(), 0xFF000000u);
    EXPECT_EQ (editor.findColour (juce::TextEditor::textColourId).getARGB(), white);
    EXPECT_EQ (view.fontFace, "Verdana");
    EXPECT_EQ (view.savedFace, "Verdana");
    EXPECT_EQ (editor.getFont().getHeight(), 18.0f);
    EXPECT_EQ (editor.getFont().getStyleFlags(), plain);
    EXPECT_EQ (editor.getParentComponent(), &view);
    EXPECT_TRUE (editor.isVisible());

    EXPECT_EQ (view.linkColour.getARGB(), yellow);
    EXPECT_EQ (view.savedColour.getARGB(), white);
    EXPECT_FALSE (view.tipVisible);
    EXPECT_EQ (view.tipWidth, 100);
    EXPECT_EQ (view.tipFont.getTypefaceName(), "Arial");
    EXPECT_EQ (view.tipFont.getHeight(), 14.0f);
    EXPECT_FALSE (view.onLinkClicked);

    view.setBounds (0, 0, 300, 120);
    EXPECT_EQ (editor.getBounds(), juce::Rectangle<int> (0, 0, 300, 120));
}

namespace
{
    // A view with a web link and a page link on the first line.
    struct ViewWithLinks : testing::Test
    {
        ViewWithLinks()
        {
            view.setBounds (0, 0, 500, 200);
            view.appendHtml ("go <a href=\"https://www.kvo.example/news\">web</a> or "
                             "<a href=\"manual.htm\">page</a> here");
            view.openInWebBrowser = [this] (const juce::String& url) { opened.add (url); };
            view.onLinkClicked = [this] (const juce::String& target) { clicked.add (target); };
        }

        // A point on the left half of a character, in the editor's
        // coordinates (the editor gives the right half the next index).
        juce::Point<float> pointOn (int index) const
        {
            const auto bounds = view.editor->getTextBounds ({ index, index + 1 }).getBounds().toFloat();
            return { bounds.getX() + bounds.getWidth() / 4.0f, bounds.getCentreY() };
        }

        void moveTo (juce::Point<float> p) { view.mouseMove (uitest::mouseEvent (*view.editor, p, {})); }
        void releaseAt (juce::Point<float> p) { view.mouseUp (uitest::mouseEvent (*view.editor, p, {})); }

        bool pointingHand() const
        {
            return view.editor->getMouseCursor() == juce::MouseCursor (juce::MouseCursor::PointingHandCursor);
        }

        KvoHtmlTextEdit view;
        juce::StringArray opened, clicked;
    };
}

TEST_F (ViewWithLinks, WebLinkShowsTheHandAndATipAndOpensTheBrowser)
{
    // "go web or page here": web is 3..6, page 10..14.
    ASSERT_EQ (view.links.size(), 2);
    EXPECT_EQ (view.links[0].start, 3);
    EXPECT_EQ (view.links[1].start, 10);

    const auto p = pointOn (4);
    moveTo (p);
    EXPECT_TRUE (pointingHand());
    EXPECT_TRUE (view.tipVisible);
    EXPECT_EQ (view.tipText, "https://www.kvo.example/news");
    EXPECT_EQ (view.tipWidth, view.tipFont.getStringWidth (view.tipText) + 10);
    EXPECT_EQ (view.tipX, juce::roundToInt (p.x) + 15);
    EXPECT_EQ (view.tipY, juce::roundToInt (p.y) + 15);

    releaseAt (p);
    EXPECT_EQ (opened, juce::StringArray ("https://www.kvo.example/news"));
    EXPECT_TRUE (clicked.isEmpty());
}

TEST_F (ViewWithLinks, PageLinkShowsTheHandWithoutTipAndGoesToTheOwner)
{
    moveTo (pointOn (4));
    ASSERT_TRUE (view.tipVisible);

    // Straight from the web link to the page link: the tip goes.
    moveTo (pointOn (12));
    EXPECT_TRUE (pointingHand());
    EXPECT_FALSE (view.tipVisible);

    releaseAt (pointOn (12));
    EXPECT_EQ (clicked, juce::StringArray ("manual.htm"));
    EXPECT_TRUE (opened.isEmpty());

    // Without a handler a page link does nothing.
    view.onLinkClicked = nullptr;
    releaseAt (pointOn (12));
    EXPECT_EQ (clicked.size(), 1);
}

TEST_F (ViewWithLinks, OutsideLinksTheArrowComesBackAndClicksDoNothing)
{
    // The editor starts with its text cursor; the first move sets the arrow.
    moveTo (pointOn (0));
    EXPECT_EQ (view.editor->getMouseCursor(), juce::MouseCursor (juce::MouseCursor::NormalCursor));

    moveTo (pointOn (4));
    moveTo (pointOn (8));   // "or": between the links
    EXPECT_EQ (view.editor->getMouseCursor(), juce::MouseCursor (juce::MouseCursor::NormalCursor));
    EXPECT_FALSE (view.tipVisible);

    // The character just after a link is not part of it.
    releaseAt (pointOn (6));
    releaseAt (pointOn (14));
    EXPECT_TRUE (opened.isEmpty());
    EXPECT_TRUE (clicked.isEmpty());
}

TEST_F (ViewWithLinks, HitTestFollowsTheTextWhenItIsScrolled)
{
    view.clearHtml();
    juce::String html;
    for (int line = 0; line < 40; ++line)
        html << "line " << line << "<br>";
    html << "<a href=\"deep.htm\">deep</a>";
    view.appendHtml (html);
    view.editor->moveCaretToTop (false);
    view.editor->moveCaretToEnd (false);
    ASSERT_GT (infotest::scrolledDown (*view.editor), 600);

    releaseAt (pointOn (view.links[0].start + 1));
    EXPECT_EQ (clicked, juce::StringArray ("deep.htm"));
}

TEST_F (ViewWithLinks, HandlerMayReplaceTheDocumentItWasCalledFrom)
{
    view.onLinkClicked = [this] (const juce::String& target)
    {
        view.clearHtml();
        view.appendHtml ("now showing " + target);
    };

    releaseAt (pointOn (12));
    EXPECT_EQ (view.editor->getText(), "now showing manual.htm");
    EXPECT_EQ (view.links.size(), 0);
}

TEST (KvoHtmlTextEdit, TipIsKeptInsideTheView)
{
    struct Place { int x, y, expectedX, expectedY; };
    const Place cases[] = {
        { 20, 30, 20, 30 },           // inside: stays
        { 390, 30, 300, 30 },         // too far right: ends at the right edge
        { -7, -3, 0, 0 },             // negative: to the top left corner
        { 50, 190, 50, 175 },         // too low: its bottom on the bottom edge
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.x) + ", " + juce::String (c.y));
        KvoHtmlTextEdit view;
        view.setBounds (0, 0, 400, 200);
        view.tipVisible = true;
        view.tipText = "x";
        view.tipWidth = 100;
        view.tipX = c.x;
        view.tipY = c.y;

        const auto image = uitest::render (view);
        EXPECT_EQ (view.tipX, c.expectedX);
        EXPECT_EQ (view.tipY, c.expectedY);

        // Beige inside the box (left of the text), the view's black outside.
        EXPECT_EQ (uitest::pixel (image, c.expectedX + 3, c.expectedY + 12), 0xFFF5F5DCu);
        EXPECT_EQ (uitest::pixel (image, c.expectedX + 50, c.expectedY + 27 < 200 ? c.expectedY + 27 : c.expectedY - 2),
                   0xFF000000u);
    }
}

TEST (KvoHtmlTextEdit, TipTextIsDarkAndShortenedWhenTooLong)
{
    KvoHtmlTextEdit view;
    view.setBounds (0, 0, 400, 200);
    view.tipVisible = true;
    view.tipText = "https://www.vorsan.example/a/very/long/address/that/does/not/fit";
    view.tipWidth = 120;
    view.tipX = 10;
    view.tipY = 10;

    const auto image = uitest::render (view);
    int darkInBox = 0, darkPastBox = 0;

    for (int y = 10; y < 35; ++y)
    {
        for (int x = 10; x < 130; ++x)
            darkInBox += image.getPixelAt (x, y).getBrightness() < 0.5f ? 1 : 0;
        for (int x = 131; x < 400; ++x)
            darkPastBox += image.getPixelAt (x, y) != juce::Colours::black ? 1 : 0;
    }

    EXPECT_GT (darkInBox, 20) << "the address is drawn";
    EXPECT_EQ (darkPastBox, 0) << "nothing is drawn beyond the box";
}

namespace
{
    double threadSeconds()
    {
        timespec t {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
        return (double) t.tv_sec + (double) t.tv_nsec * 1.0e-9;
    }

    // The processor time this thread spends rendering `unit` repeated to
    // about `bytes` long, appending it again, clearing and rendering it once
    // more, best of three (or the first, if that takes over a
    // second), so that other work on the machine counts for little.
    double renderSeconds (const juce::String& unit, int bytes)
    {
        const auto html = juce::String::repeatedString (unit, bytes / unit.getNumBytesAsUTF8());
        double best = 0.0;

        for (int attempt = 0; attempt < 3 && best < 1.0; ++attempt)
        {
            KvoHtmlTextEdit view;
            view.setBounds (0, 0, 800, 200);
            const auto start = threadSeconds();
            view.appendHtml (html);
            view.appendHtml (html);   // onto a long text
            view.clearHtml();         // a long text of many runs
            view.appendHtml (html);
            const auto seconds = threadSeconds() - start;
            best = attempt == 0 ? seconds : std::min (best, seconds);
        }

        return best;
    }
}

// Every insertion used to lay the whole text out again, so that a body of
// 20 KB full of tags took many seconds. Twice the markup must now take
// about twice as long, not four times.
TEST (KvoHtmlTextEdit, RenderingTimeGrowsInProportionToTheMarkup)
{
    const char* units[] = {
        "a<br>",                                  // one look, many line breaks
        "</b>x",                                  // a new look for every character
        "<b>bold</b> plain ",
        "<a href=\"page.htm\">link</a> ",
        "<font color=\"#10A020\" size=\"20\">c</font>. ",
        "<li>item<p>para</ul>",
        "x",                                      // one word, wider than many lines
    };

    for (const auto* unit : units)
    {
        SCOPED_TRACE (unit);
        const auto once = renderSeconds (unit, 32000);
        const auto twice = renderSeconds (unit, 64000);
        EXPECT_LT (twice, 3.0 * std::max (once, 0.002)) << once << " s for 32 KB, " << twice << " s for 64 KB";
    }
}
