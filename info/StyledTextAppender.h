#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

// Appends text to the end of a read-only juce::TextEditor, each piece in the
// font and colour the editor has when the piece is given, in time in
// proportion to the text.
//
// The editor lays its whole text out again after every insertion, so text
// inserted piece by piece takes time in the square of its length: a news
// body of a megabyte that changes style every few characters would keep the
// window busy for hours. While an appender is alive, the editor holds only
// the piece going in; the pieces before it are set aside in order and put
// back when the appender goes, followed by one layout of the whole text.
// Neighbouring pieces that look alike go in together, as the editor would
// join them anyway.
//
// Every piece still goes in through the editor's insertTextAtCaret with the
// editor's own font and colour, so an input filter sees each one, and line
// ends and the joining of runs that look alike work as with plain
// insertions. Afterwards the caret is at the end and the view is scrolled
// where it was.
class StyledTextAppender
{
public:
    explicit StyledTextAppender (juce::TextEditor& editor);
    ~StyledTextAppender();

    void append (const juce::String& text);

    // Empties the editor in time in proportion to its runs of text. The
    // editor's own clear() takes its runs off the front one at a time and
    // moves all the others each time: seconds for a long styled text.
    static void removeAllText (juce::TextEditor& editor);

private:
    void flush();
    void insertAlone (const juce::String& text);
    void setAsideEverything();

    juce::TextEditor& editor;
    // Only a read-only editor keeps no undo history, which setting text
    // aside would confuse; an editable one takes the text piece by piece.
    const bool setsAside;
    juce::Point<int> viewPosition;

    // Text waiting to go in, all in one font and colour.
    juce::MemoryOutputStream pending;
    bool pendingEndsWithReturn = false;
    juce::Font pendingFont;
    juce::Colour pendingColour;

    bool inserted = false;
    juce::Font lastInsertedFont;

    // The editor's runs of text set aside, in order (owned by the editor).
    std::vector<void*> setAside;

    JUCE_DECLARE_NON_COPYABLE (StyledTextAppender)
};
