// The appender must leave an editor exactly as inserting the same pieces
// one by one would: the same text, every character in the same place, the
// same pixels, the caret at the end and the view where it was.

#include "info/StyledTextAppender.h"
#include "../ui/UiTestHelpers.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
    struct Piece
    {
        juce::String text;
        float size;
        int style;
        juce::uint32 colour;
    };

    std::unique_ptr<juce::TextEditor> makeEditor (bool readOnly)
    {
        auto editor = std::make_unique<juce::TextEditor>();
        editor->setMultiLine (true, true);
        editor->setReadOnly (readOnly);
        editor->setLineSpacing (1.1f);
        editor->setIndents (5, 20);
        editor->setBounds (0, 0, 300, 400);
        return editor;
    }

    void setLook (juce::TextEditor& editor, const Piece& piece)
    {
        editor.setFont (juce::Font (juce::Font::getDefaultSansSerifFontName(), piece.size, piece.style));
        editor.setColour (juce::TextEditor::textColourId, juce::Colour (piece.colour));
    }

    // As the view inserted its text before the appender: each piece that is
    // not empty, at the end.
    void insertOneByOne (juce::TextEditor& editor, const std::vector<Piece>& pieces)
    {
        for (const auto& piece : pieces)
        {
            setLook (editor, piece);
            editor.moveCaretToEnd();
            if (piece.text.isNotEmpty())
                editor.insertTextAtCaret (piece.text);
        }
    }

    void append (juce::TextEditor& editor, const std::vector<Piece>& pieces)
    {
        StyledTextAppender appender (editor);
        for (const auto& piece : pieces)
        {
            setLook (editor, piece);
            appender.append (piece.text);
        }
    }

    constexpr juce::uint32 white = 0xFFFFFFFF, red = 0xFFFF4040, green = 0xFF40FF40;
    constexpr int plain = 0, bold = 1, underlined = 4;

    // Runs that look alike side by side, a word across runs of two looks,
    // runs of spaces, a carriage return followed by a line feed in another
    // piece (both stay), line breaks, words longer than a line, characters
    // beyond ASCII, empty pieces, and a new font at the end.
    const std::vector<Piece> document {
        { "Heading", 28, bold, white },
        { "\n", 15, plain, white },
        { "one ", 15, plain, white },
        { "two  ", 15, plain, white },
        { "  three", 15, plain, white },
        { "", 15, bold, red },
        { "rou", 15, plain, red },
        { "nd", 15, bold, red },
        { "trip", 15, plain, green },
        { " a\r", 15, underlined, green },
        { "\n  - item", 15, underlined, green },
        { "\n", 15, plain, white },
        { "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz", 15, plain, white },
        { "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZ", 15, bold, white },
        { juce::String::fromUTF8 (" \xc3\xa9t\xc3\xa9 \xe2\x82\xac"), 15, plain, red },
        { "\r", 15, plain, red },
        { "end", 15, plain, red },
        // A change of font with no text after it: the editor lays its first
        // line out in its current font, and did so last at the last piece.
        { "", 40, plain, white },
    };

    void expectSameEditors (juce::TextEditor& expected, juce::TextEditor& actual)
    {
        ASSERT_EQ (actual.getText(), expected.getText());
        ASSERT_EQ (actual.getTotalNumChars(), expected.getTotalNumChars());
        EXPECT_EQ (actual.getTextHeight(), expected.getTextHeight());
        EXPECT_EQ (actual.getTextWidth(), expected.getTextWidth());
        EXPECT_EQ (actual.getCaretPosition(), expected.getCaretPosition());

        for (int i = 0; i < expected.getTotalNumChars(); ++i)
            ASSERT_EQ (actual.getTextBounds ({ i, i + 1 }).getBounds(), expected.getTextBounds ({ i, i + 1 }).getBounds())
                << "character " << i;

        const auto expectedImage = uitest::render (expected);
        const auto actualImage = uitest::render (actual);
        int differentPixels = 0;
        for (int y = 0; y < expectedImage.getHeight(); ++y)
            for (int x = 0; x < expectedImage.getWidth(); ++x)
                differentPixels += expectedImage.getPixelAt (x, y) != actualImage.getPixelAt (x, y) ? 1 : 0;
        EXPECT_EQ (differentPixels, 0);
    }
}

TEST (StyledTextAppender, LeavesTheEditorAsInsertingPieceByPieceWould)
{
    for (const bool readOnly : { true, false })
    {
        SCOPED_TRACE (readOnly ? "read-only" : "editable");
        auto expected = makeEditor (readOnly);
        auto actual = makeEditor (readOnly);

        insertOneByOne (*expected, document);
        append (*actual, document);
        expectSameEditors (*expected, *actual);

        // Appending again continues the text; its first piece joins the last
        // run when the two look alike (here into a word wider than a line,
        // which only breaks where it would if it is one word).
        const std::vector<Piece> more { { "tail" + juce::String::repeatedString ("tail", 20), 15, plain, red },
                                        { " and more", 15, bold, white } };
        insertOneByOne (*expected, more);
        append (*actual, more);
        expectSameEditors (*expected, *actual);
        EXPECT_TRUE (actual->getText().contains ("\r\n  - item"));
    }
}

TEST (StyledTextAppender, KeepsTheViewWhereItWasAndAnEmptyAppendChangesNothing)
{
    auto editor = makeEditor (true);
    editor->setScrollToShowCursor (false);
    append (*editor, { { juce::String::repeatedString ("a line\n", 100), 15, plain, white } });

    juce::Viewport* viewport = nullptr;
    for (auto* child : editor->getChildren())
        if (auto* v = dynamic_cast<juce::Viewport*> (child))
            viewport = v;
    ASSERT_NE (viewport, nullptr);
    viewport->setViewPosition (0, 600);
    ASSERT_EQ (viewport->getViewPositionY(), 600);

    append (*editor, { { "more", 15, bold, red } });
    EXPECT_EQ (viewport->getViewPositionY(), 600);
    EXPECT_TRUE (editor->getText().endsWith ("a line\nmore"));

    const auto text = editor->getText();
    { StyledTextAppender nothing (*editor); nothing.append ({}); }
    EXPECT_EQ (editor->getText(), text);
    EXPECT_EQ (editor->getCaretPosition(), text.length());
    EXPECT_EQ (viewport->getViewPositionY(), 600);
}
