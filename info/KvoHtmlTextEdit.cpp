#include "info/KvoHtmlTextEdit.h"
#include "info/StyledTextAppender.h"

#include <string>

namespace
{
    constexpr juce::uint32 tipColour = 0xFFF5F5DC;

    // Text gathered one character at a time. juce::String grows by exactly
    // what is appended, which would make a long document quadratic.
    using CharBuffer = std::basic_string<juce::juce_wchar>;

    juce::String toString (const CharBuffer& buffer)
    {
        return juce::String (juce::CharPointer_UTF32 (buffer.c_str()));
    }

    // A face that is not installed (Verdana is rare on Linux) would be drawn
    // by the framework's last-resort fallback, which shows neither bold nor
    // underline. The system's default sans-serif face is used in its place;
    // on Linux the framework picks it from a list that begins with Verdana.
    juce::Font installedFont (const juce::String& face, float size, int style)
    {
        static const auto installedFaces = juce::Font::findAllTypefaceNames();
        const auto name = installedFaces.contains (face) ? face : juce::Font::getDefaultSansSerifFontName();
        return { name, size, style };
    }

    bool isWebAddress (const juce::String& target)
    {
        return target.startsWithIgnoreCase ("http");
    }

    bool isHeadingTag (const juce::String& tag, const char* prefix)
    {
        return tag.startsWithIgnoreCase (prefix) && tag.containsAnyOf ("1234");
    }

    // The value of an attribute of a "font" tag: the text between the first
    // double quote after `name=` and the next one. Only the lower-case name
    // is looked for, so a name written in capitals has no value, and so has
    // a value without quotes when no double quote follows it in the tag.
    juce::String fontAttribute (const juce::String& tag, const juce::String& name)
    {
        const int at = tag.indexOf (name + "=");

        if (at < 0)
            return {};

        return tag.substring (at + name.length() + 1)
                  .fromFirstOccurrenceOf ("\"", false, false)
                  .upToFirstOccurrenceOf ("\"", false, false);
    }
}

KvoHtmlTextEdit::KvoHtmlTextEdit()
{
    editor = std::make_unique<juce::TextEditor> (juce::String(), (juce::juce_wchar) 0);
    editor->setScrollbarsShown (false);
    editor->setMultiLine (true, true);
    editor->setReadOnly (true);
    editor->setPopupMenuEnabled (false);
    editor->setLineSpacing (1.1f);
    editor->setIndents (5, 20);
    editor->setColour (juce::TextEditor::outlineColourId, juce::Colour (0));
    editor->setColour (juce::TextEditor::focusedOutlineColourId, juce::Colour (0));
    addAndMakeVisible (*editor);

    clearHtml();

    fontFace = savedFace = "Verdana";
    fontSize = savedSize = 18.0f;
    fontStyle = 0;
    textColour = savedColour = juce::Colour (0xFFFFFFFF);
    linkColour = juce::Colour (0xFFFFFF00);
    doSetFont();
    editor->setColour (juce::TextEditor::textColourId, juce::Colour (0xFFFFFFFF));
    editor->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0xFF000000));

    tipFont = juce::Font ("Arial", 14.0f, juce::Font::plain);

    openInWebBrowser = [] (const juce::String& url) { juce::URL (url).launchInDefaultBrowser(); };

    // Moves and clicks land on the editor; hear them here.
    addMouseListener (this, true);
}

void KvoHtmlTextEdit::appendHtml (const juce::String& text)
{
    // Line ends in the source vanish without leaving a space; only tags
    // break lines. A lone carriage return stays.
    const auto source = text.replace ("\r\n", "\n").removeCharacters ("\n");

    // While text goes in, the editor would scroll after every insertion to
    // keep its caret in sight. That lays the whole text out again each time,
    // and leaves the view scrolled to the end, from where moving the caret to
    // the top stops one top indent short of the top. The view stays put
    // instead; owners move the caret to the top afterwards.
    editor->setScrollToShowCursor (false);

    {
        // Everything goes in at the end of the text, at insertPos, in the
        // font and colour the tags before it have set.
        StyledTextAppender output (*editor);
        CharBuffer pending, tag;
        bool inTag = false;
        int wordLength = 0;
        int wordLimit = longestWordAt (editor->getFont().getHeight());

        for (auto p = source.getCharPointer(); ! p.isEmpty();)
        {
            const auto c = p.getAndAdvance();

            if (c == '<')
            {
                // The tag buffer is kept: a "<" inside an unfinished tag goes
                // on with the same tag.
                output.append (toString (pending));
                pending.clear();
                inTag = true;
                continue;
            }

            if (inTag && c != '>')
            {
                tag += c;
                continue;
            }

            if (inTag)
            {
                inTag = false;

                if (! tag.empty())
                {
                    const auto inserted = interpretTag (toString (tag));
                    output.append (inserted);
                    insertPos += inserted.length();
                    if (inserted.isNotEmpty())
                        wordLength = 0;   // every inserted text ends in white space
                    wordLimit = longestWordAt (editor->getFont().getHeight());
                    tag.clear();
                    continue;
                }
                // "<>": the ">" is shown as text.
            }

            // No real word is long enough to be broken here; see
            // longestWordAt.
            if (juce::CharacterFunctions::isWhitespace (c))
                wordLength = 0;
            else if (++wordLength > wordLimit)
            {
                pending += ' ';
                ++insertPos;
                wordLength = 1;
            }

            pending += c;
            ++insertPos;
        }

        // A tag still open at the end is dropped.
        output.append (toString (pending));
    }

    editor->setScrollToShowCursor (true);
}

juce::String KvoHtmlTextEdit::interpretTag (const juce::String& tag)
{
    // The first matching row acts; the order matters. What a tag inserts
    // goes in after the font changes it makes.
    if (tag == "br")
    {
        return "\n";
    }
    else if (tag == "i")  { fontStyle |= juce::Font::italic;     doSetFont(); }
    else if (tag == "/i") { fontStyle ^= juce::Font::italic;     doSetFont(); }
    else if (tag == "b")  { fontStyle |= juce::Font::bold;       doSetFont(); }
    else if (tag == "/b") { fontStyle ^= juce::Font::bold;       doSetFont(); }
    else if (tag == "u")  { fontStyle |= juce::Font::underlined; doSetFont(); }
    else if (tag == "/u") { fontStyle ^= juce::Font::underlined; doSetFont(); }
    else if (tag.startsWithIgnoreCase ("a "))
    {
        savedColour = textColour;
        fontStyle = juce::Font::underlined;
        doSetFont();
        setEditorTextColour (linkColour);

        if (tag.containsIgnoreCase ("href"))
        {
            linkTarget = tag.fromFirstOccurrenceOf ("href=", false, true).removeCharacters ("\"");
            linkStart = insertPos;
            linkEnd = juce::jmax (linkEnd, insertPos);
        }
    }
    else if (tag == "/a")
    {
        fontStyle ^= juce::Font::underlined;
        doSetFont();
        setEditorTextColour (savedColour);
        linkStart = juce::jmin (linkStart, insertPos);
        linkEnd = insertPos;
        links.add ({ linkTarget, linkStart, linkEnd });
    }
    else if (tag.startsWithIgnoreCase ("font "))
    {
        applyFontAttributes (tag);
    }
    else if (tag == "/font")
    {
        fontFace = savedFace;
        fontSize = savedSize;
        doSetFont();
        textColour = savedColour;
        setEditorTextColour (textColour);
    }
    else if (tag.startsWithIgnoreCase ("li"))
    {
        return "\n  - ";
    }
    else if (tag.startsWithIgnoreCase ("/ul"))
    {
        return "\n";
    }
    else if (isHeadingTag (tag, "h"))
    {
        savedSize = fontSize;
        const auto last = tag.getLastCharacter();
        const int level = juce::CharacterFunctions::isDigit (last) ? (int) (last - '0') : 0;
        fontSize = (float) ((10 - level) * 4);
        doSetFont();
    }
    else if (isHeadingTag (tag, "/h"))
    {
        fontSize = savedSize;
        doSetFont();
        return "\n";
    }
    // Anything else is not part of the subset and vanishes.

    return {};
}

void KvoHtmlTextEdit::applyFontAttributes (const juce::String& tag)
{
    if (tag.containsIgnoreCase ("size"))
    {
        savedSize = fontSize;
        fontSize = fontAttribute (tag, "size").getFloatValue();
        doSetFont();
    }

    if (tag.containsIgnoreCase ("color"))
    {
        savedColour = textColour;
        // Six hex digits make an opaque colour; the sum wraps modulo 2^32.
        const auto rgb = (juce::uint32) fontAttribute (tag, "color").removeCharacters ("#").getHexValue32();
        textColour = juce::Colour ((juce::uint32) (rgb + 0xFF000000u));
        setEditorTextColour (textColour);
    }

    if (tag.containsIgnoreCase ("face"))
    {
        savedFace = fontFace;
        fontFace = fontAttribute (tag, "face");
        doSetFont();
    }
}

void KvoHtmlTextEdit::clearHtml()
{
    insertPos = 0;
    links.clear();
    StyledTextAppender::removeAllText (*editor);
    editor->setCaretPosition (0);
}

void KvoHtmlTextEdit::doSetFont()
{
    editor->setFont (installedFont (fontFace, juce::jmin (fontSize, largestFontSize), fontStyle));
}

int KvoHtmlTextEdit::longestWordAt (float fontHeight)
{
    constexpr int longestInSmallType = 256;
    constexpr float smallType = 14.0f;

    if (! (fontHeight > smallType))   // also for a height that is not a number
        return longestInSmallType;

    return juce::jmax (16, (int) (longestInSmallType * smallType / juce::jmin (fontHeight, largestFontSize)));
}

void KvoHtmlTextEdit::setEditorTextColour (juce::Colour colour)
{
    editor->setColour (juce::TextEditor::textColourId, colour);
}

void KvoHtmlTextEdit::resized()
{
    editor->setBounds (0, 0, getWidth(), getHeight());
}

const HtmlLink* KvoHtmlTextEdit::linkAt (const juce::MouseEvent& event) const
{
    // The event may come from any of the editor's inner parts.
    const int index = editor->getTextIndexAt (event.getEventRelativeTo (editor.get()).getPosition());

    for (const auto& link : links)
        if (link.start <= index && index < link.end)
            return &link;

    return nullptr;
}

void KvoHtmlTextEdit::mouseMove (const juce::MouseEvent& event)
{
    if (editor->getMouseCursor() != juce::MouseCursor::NormalCursor)
    {
        editor->setMouseCursor (juce::MouseCursor::NormalCursor);
        tipVisible = false;
        repaint();
    }

    const auto* link = linkAt (event);

    if (link == nullptr)
        return;

    editor->setMouseCursor (juce::MouseCursor::PointingHandCursor);

    if (isWebAddress (link->target))
    {
        const auto position = event.getEventRelativeTo (this).getPosition();
        tipText = link->target;
        tipWidth = tipFont.getStringWidth (tipText) + 10;
        tipX = position.x + 15;
        tipY = position.y + 15;
        tipVisible = true;
        repaint();
    }
}

void KvoHtmlTextEdit::mouseUp (const juce::MouseEvent& event)
{
    const auto* link = linkAt (event);

    if (link == nullptr)
        return;

    // A copy: the handler may render another page, which empties links.
    const auto target = link->target;

    if (isWebAddress (target))
    {
        if (openInWebBrowser)
            openInWebBrowser (target);
    }
    else if (onLinkClicked)
    {
        onLinkClicked (target);
    }
}

void KvoHtmlTextEdit::paintOverChildren (juce::Graphics& g)
{
    if (! tipVisible)
        return;

    // Keep the tip inside the view; the clamped place is kept.
    tipX = tipX < 0 ? 0 : juce::jmin (tipX, getWidth() - tipWidth);
    tipY = tipY < 0 ? 0 : juce::jmin (tipY, getHeight() - tipHeight);

    const juce::Rectangle<int> box (tipX, tipY, tipWidth, tipHeight);
    g.setColour (juce::Colour (tipColour));
    g.fillRoundedRectangle (box.toFloat(), 5.0f);
    g.setColour (juce::Colour (0xFF000000));
    g.setFont (tipFont);
    g.drawText (tipText, box, juce::Justification::centred, true);
}
