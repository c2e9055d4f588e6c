#include <BinaryData.h>
#include <info/WebAddresses.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace
{
    struct Document
    {
        const char* resourceName;
        std::set<std::string> allowedTags;   // besides a link's opening tag
        bool linksAllowed;
    };

    const Document manual { "manual_htm", { "h3", "/h3", "h4", "/h4", "br" }, false };
    const Document eula { "eula_htm", { "h4", "/h4", "b", "/b", "u", "/u", "br", "/a" }, true };

    std::string textOf (const char* resourceName)
    {
        int size = 0;
        const char* data = BinaryData::getNamedResource (resourceName, size);
        return data == nullptr ? std::string() : std::string (data, (size_t) size);
    }

    // The document as the text view sees it: line ends removed, then a run
    // of text and tags.
    struct Token
    {
        bool isTag;
        std::string text;
    };

    std::string withoutLineEnds (std::string text)
    {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i)
            if (! (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') && text[i] != '\n')
                out += text[i];
        return out;
    }

    // Splits into tags and text; fails the test on a "<" inside a tag, an
    // unterminated tag or a ">" outside one (markup the view would garble).
    std::vector<Token> tokens (const std::string& text)
    {
        std::vector<Token> result;
        std::string current;
        bool inTag = false;

        for (char c : withoutLineEnds (text))
        {
            if (c == '<')
            {
                EXPECT_FALSE (inTag) << "'<' inside a tag after: " << current;
                if (! current.empty())
                    result.push_back ({ false, current });
                current.clear();
                inTag = true;
            }
            else if (c == '>')
            {
                EXPECT_TRUE (inTag) << "'>' outside a tag after: " << current;
                result.push_back ({ true, current });
                current.clear();
                inTag = false;
            }
            else
            {
                current += c;
            }
        }

        EXPECT_FALSE (inTag) << "unterminated tag: " << current;
        if (! current.empty() && ! inTag)
            result.push_back ({ false, current });
        return result;
    }

    bool startsWith (const std::string& s, const std::string& prefix)
    {
        return s.compare (0, prefix.size(), prefix) == 0;
    }

    // The link target as the text view takes it from an "a" tag: everything
    // after "href=" with the double quotes removed.
    std::string linkTarget (const std::string& tag)
    {
        const auto at = tag.find ("href=");
        if (at == std::string::npos)
            return {};
        std::string target;
        for (char c : tag.substr (at + 5))
            if (c != '"')
                target += c;
        return target;
    }

    struct Section
    {
        std::string heading;
        std::string text;   // tags of the paragraph included
    };

    // The level-4 sections of a document, with everything up to the next one.
    std::vector<Section> sections (const std::vector<Token>& all)
    {
        std::vector<Section> result;
        for (size_t i = 0; i < all.size(); ++i)
        {
            if (all[i].isTag && all[i].text == "h4" && i + 2 < all.size())
            {
                result.push_back ({ all[i + 1].text, {} });
                i += 2;   // heading text and "/h4"
                continue;
            }
            if (! result.empty())
                result.back().text += all[i].isTag ? "<" + all[i].text + ">" : all[i].text;
        }
        return result;
    }
}

TEST (Documents, ReadAsZeroTerminatedStringsTheyHaveExactlyTheirSize)
{
    for (const auto* document : { &manual, &eula })
    {
        SCOPED_TRACE (document->resourceName);
        int size = 0;
        const char* data = BinaryData::getNamedResource (document->resourceName, size);
        ASSERT_NE (data, nullptr);
        EXPECT_GT (size, 0);
        EXPECT_EQ (std::strlen (data), (size_t) size);
    }
}

TEST (Documents, AreAsciiWithCrLfLineEndsOnly)
{
    for (const auto* document : { &manual, &eula })
    {
        SCOPED_TRACE (document->resourceName);
        const auto text = textOf (document->resourceName);
        ASSERT_GE (text.size(), 2u);

        for (size_t i = 0; i < text.size(); ++i)
        {
            const auto c = (unsigned char) text[i];
            if (c == '\r')
                EXPECT_TRUE (i + 1 < text.size() && text[i + 1] == '\n') << "lone CR at " << i;
            else if (c == '\n')
                EXPECT_TRUE (i > 0 && text[i - 1] == '\r') << "lone LF at " << i;
            else
                EXPECT_TRUE (c >= 0x20 && c <= 0x7e) << "byte " << (int) c << " at " << i;
        }
        EXPECT_EQ (text.substr (text.size() - 2), "\r\n") << "the last line is ended too";
    }
}

TEST (Documents, UseOnlyTheirAllowedTags)
{
    for (const auto* document : { &manual, &eula })
    {
        SCOPED_TRACE (document->resourceName);
        for (const auto& token : tokens (textOf (document->resourceName)))
        {
            if (! token.isTag)
                continue;
            if (document->linksAllowed && startsWith (token.text, "a "))
                EXPECT_TRUE (startsWith (token.text, "a href=\"") && token.text.back() == '"'
                             && token.text.find ('"', 8) == token.text.size() - 1)
                    << "a link tag holds its quoted address and nothing else: " << token.text;
            else
                EXPECT_EQ (document->allowedTags.count (token.text), 1u) << "tag <" << token.text << ">";
        }
    }
}

// The text view keeps its font style, heading size and pending link from one
// document to the next, so each document must close what it opens.
TEST (Documents, CloseEveryStyleHeadingAndLinkTheyOpen)
{
    for (const auto* document : { &manual, &eula })
    {
        SCOPED_TRACE (document->resourceName);
        int style = 0;   // bold 1, underlined 4, as the view keeps it
        bool inHeading = false, inLink = false;

        for (const auto& token : tokens (textOf (document->resourceName)))
        {
            if (! token.isTag)
                continue;
            const auto& tag = token.text;
            SCOPED_TRACE (tag);

            if (tag == "b" || tag == "u")
            {
                const int bit = tag == "b" ? 1 : 4;
                EXPECT_EQ (style & bit, 0) << "opened twice";
                style |= bit;
            }
            else if (tag == "/b" || tag == "/u")
            {
                const int bit = tag == "/b" ? 1 : 4;
                EXPECT_NE (style & bit, 0) << "a closing tag with nothing open would switch the style on";
                style ^= bit;
            }
            else if (startsWith (tag, "a "))
            {
                EXPECT_FALSE (inLink);
                EXPECT_EQ (style, 0) << "a link drops bold and underline, and its end would leave them wrong";
                inLink = true;
            }
            else if (tag == "/a")
            {
                EXPECT_TRUE (inLink);
                inLink = false;
            }
            else if (tag == "h3" || tag == "h4")
            {
                EXPECT_FALSE (inHeading);
                inHeading = true;
            }
            else if (tag == "/h3" || tag == "/h4")
            {
                EXPECT_TRUE (inHeading);
                inHeading = false;
            }
        }

        EXPECT_EQ (style, 0);
        EXPECT_FALSE (inHeading);
        EXPECT_FALSE (inLink);
    }
}

// The text view drops line ends without putting a space in their place.
TEST (Documents, NoLineEndInTheSourceJoinsTwoWords)
{
    for (const auto* document : { &manual, &eula })
    {
        SCOPED_TRACE (document->resourceName);
        const auto text = textOf (document->resourceName);

        for (size_t at = text.find ("\r\n"); at != std::string::npos; at = text.find ("\r\n", at + 2))
        {
            const char before = at > 0 ? text[at - 1] : '>';
            const char after = at + 2 < text.size() ? text[at + 2] : '<';
            EXPECT_TRUE (before == '>' || before == ' ' || after == '<' || after == ' ')
                << "line " << text.substr (text.rfind ('\n', at - 1) + 1, at - text.rfind ('\n', at - 1) - 1);
        }
    }
}

TEST (Manual, HasItsTitleAndTheEightSectionsInOrder)
{
    const auto all = tokens (textOf (manual.resourceName));
    ASSERT_GE (all.size(), 3u);
    EXPECT_TRUE (all[0].isTag && all[0].text == "h3");
    EXPECT_EQ (all[1].text, "VorsanTembrolin User's Manual");
    EXPECT_TRUE (all[2].isTag && all[2].text == "/h3");

    const std::vector<std::string> expected { "SWITCHES", "VOLUME SLIDES", "BRASS SECTION", "STRING SECTION",
                                              "CRESCENDO CONTROL", "SUSTAIN SLIDE", "TRANSPOSE", "MODULATION SECTION" };
    const auto found = sections (all);
    ASSERT_EQ (found.size(), expected.size());

    for (size_t i = 0; i < expected.size(); ++i)
    {
        SCOPED_TRACE (expected[i]);
        EXPECT_EQ (found[i].heading, expected[i]);
        // A paragraph of text, ended by line breaks so that the next
        // heading starts on a line of its own after a blank one.
        EXPECT_GT (found[i].text.size(), 200u);
        ASSERT_GE (found[i].text.size(), 8u);
        EXPECT_EQ (found[i].text.substr (found[i].text.size() - 8), "<br><br>");
    }
}

// Each section explains its controls, named as the panel names them, one
// per line and in the order in which they sit on the panel.
TEST (Manual, ExplainsEachControlInThePanelsWordsAndOrder)
{
    struct Expected
    {
        std::string section;
        std::vector<std::string> controls;
    };
    const std::vector<Expected> table {
        { "BRASS SECTION",      { "ATTACK", "DECAY", "RANGE", "RESONANCE", "ON", "VOLUME" } },
        { "STRING SECTION",     { "LOW", "MID", "HIGH", "16'", "8'", "VOLUME" } },
        { "MODULATION SECTION", { "DELAY", "RATE", "DEPTH", "LFO" } },
    };

    const auto found = sections (tokens (textOf (manual.resourceName)));
    for (const auto& expected : table)
    {
        SCOPED_TRACE (expected.section);
        const Section* section = nullptr;
        for (const auto& s : found)
            if (s.heading == expected.section)
                section = &s;
        ASSERT_NE (section, nullptr);

        size_t from = 0;
        for (const auto& control : expected.controls)
        {
            const auto at = section->text.find ("<br>" + control + " - ", from);
            EXPECT_NE (at, std::string::npos) << control << " is explained after the controls left of it";
            if (at != std::string::npos)
                from = at + 1;
        }
    }

    // The sections with a single control name it and say what it does.
    for (const auto& [heading, control] : { std::pair<std::string, std::string> { "VOLUME SLIDES", "MASTER" },
                                            { "CRESCENDO CONTROL", "CRESCENDO" },
                                            { "SUSTAIN SLIDE", "SUSTAIN" },
                                            { "TRANSPOSE", "TRANSPOSE" } })
        for (const auto& s : found)
            if (s.heading == heading)
                EXPECT_NE (s.text.find (control), std::string::npos) << heading;
}

TEST (Eula, OpensWithItsHeadingAndABoldLineOfThanks)
{
    const auto all = tokens (textOf (eula.resourceName));
    ASSERT_GE (all.size(), 6u);
    EXPECT_TRUE (all[0].isTag && all[0].text == "h4");
    EXPECT_EQ (all[1].text, "END USER LICENSE AGREEMENT");
    EXPECT_TRUE (all[2].isTag && all[2].text == "/h4");
    EXPECT_TRUE (all[3].isTag && all[3].text == "b");
    EXPECT_NE (all[4].text.find ("Thank you"), std::string::npos);
    EXPECT_TRUE (all[5].isTag && all[5].text == "/b");
}

TEST (Eula, LinksTheBrandsAndTheMakersWebSitesByTheirAddresses)
{
    const auto all = tokens (textOf (eula.resourceName));
    std::vector<std::string> targets;

    for (size_t i = 0; i + 2 < all.size(); ++i)
    {
        if (all[i].isTag && startsWith (all[i].text, "a "))
        {
            targets.push_back (linkTarget (all[i].text));
            // The reader sees the address the link opens.
            EXPECT_FALSE (all[i + 1].isTag);
            EXPECT_EQ (all[i + 1].text, targets.back());
            EXPECT_TRUE (all[i + 2].isTag && all[i + 2].text == "/a");
        }
    }

    const std::vector<std::string> expected { WebAddresses::brandSite, WebAddresses::makerSite };
    EXPECT_EQ (targets, expected);
}

TEST (Eula, EndsWithABoldUnderlinedSentenceOfAcceptance)
{
    const auto all = tokens (textOf (eula.resourceName));
    ASSERT_GE (all.size(), 6u);
    const auto end = all.size();

    EXPECT_EQ (all[end - 6].text, "b");
    EXPECT_EQ (all[end - 5].text, "u");
    EXPECT_FALSE (all[end - 4].isTag);
    EXPECT_NE (all[end - 4].text.find ("accept"), std::string::npos);
    EXPECT_EQ (all[end - 3].text, "/u");
    EXPECT_EQ (all[end - 2].text, "/b");
    EXPECT_EQ (all[end - 1].text, "br");
}

TEST (Eula, CoversTheFreewareTerms)
{
    const auto text = withoutLineEnds (textOf (eula.resourceName));
    for (const char* term : { "NO WARRANTY", "NO SUPPORT", "FREE USE AND REDISTRIBUTION", "unaltered archive",
                              "NEWS FEED", "non-exclusive license", "PROHIBITED USES" })
        EXPECT_NE (text.find (term), std::string::npos) << term;
}
