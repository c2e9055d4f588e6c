#include "info/StyledTextAppender.h"

#include <algorithm>
#include <utility>

namespace
{
    // The editor offers no way to set its text aside and put it back: its
    // runs, the cached length of its text and the joining of neighbouring
    // runs are private. They are reached here through explicit template
    // instantiation, which C++ exempts from access checking. Should the
    // framework rename or retype them, this stops compiling.
    template <auto member, typename Tag>
    struct Reach
    {
        friend constexpr auto memberOf (Tag) { return member; }
    };

    struct Runs { friend constexpr auto memberOf (Runs); };
    struct CachedLength { friend constexpr auto memberOf (CachedLength); };
    struct JoinRunsThatLookAlike { friend constexpr auto memberOf (JoinRunsThatLookAlike); };

    template struct Reach<&juce::TextEditor::sections, Runs>;
    template struct Reach<&juce::TextEditor::totalNumChars, CachedLength>;
    template struct Reach<&juce::TextEditor::coalesceSimilarSections, JoinRunsThatLookAlike>;

    auto& runsOf (juce::TextEditor& editor) { return editor.*memberOf (Runs{}); }

    using Run = std::remove_pointer_t<decltype (runsOf (std::declval<juce::TextEditor&>()).getFirst())>;

    // After runs are moved, the editor must count its text again.
    void forgetLength (juce::TextEditor& editor) { editor.*memberOf (CachedLength{}) = -1; }

    void joinRunsThatLookAlike (juce::TextEditor& editor) { (editor.*memberOf (JoinRunsThatLookAlike{})) (); }

    // Lays the text out and tells listeners, as after any insertion.
    struct TextChange : juce::TextEditor
    {
        static void announce (juce::TextEditor& editor) { (editor.*&TextChange::textChanged)(); }
    };

    juce::Viewport* viewportOf (juce::TextEditor& editor)
    {
        for (auto* child : editor.getChildren())
            if (auto* viewport = dynamic_cast<juce::Viewport*> (child))
                return viewport;
        return nullptr;
    }
}

StyledTextAppender::StyledTextAppender (juce::TextEditor& e)
    : editor (e), setsAside (e.isReadOnly())
{
    if (auto* viewport = viewportOf (editor))
        viewPosition = viewport->getViewPosition();

    if (setsAside)
        setAsideEverything();
}

StyledTextAppender::~StyledTextAppender()
{
    flush();

    if (setsAside)
    {
        auto& runs = runsOf (editor);
        for (auto* run : setAside)
            runs.add (static_cast<Run*> (run));
        setAside.clear();
        forgetLength (editor);

        // The editor gives the first line the height of its current font when
        // it lays the text out, and it last did so at the last insertion.
        if (inserted)
        {
            const auto font = editor.getFont();
            editor.setFont (lastInsertedFont);
            TextChange::announce (editor);
            editor.setFont (font);
            editor.repaint();
        }
    }

    editor.moveCaretToEnd();

    // With only a piece of the text in it, the editor may have scrolled back.
    if (auto* viewport = viewportOf (editor))
        viewport->setViewPosition (viewPosition);
}

void StyledTextAppender::append (const juce::String& text)
{
    if (text.isEmpty())
        return;

    const auto font = editor.getFont();
    const auto colour = editor.findColour (juce::TextEditor::textColourId);

    // A carriage return and a line feed that go in together become one line
    // feed; given apart, both stay.
    if (pending.getDataSize() > 0
        && (font != pendingFont || colour != pendingColour || (pendingEndsWithReturn && text[0] == '\n')))
        flush();

    if (pending.getDataSize() == 0)
    {
        pendingFont = font;
        pendingColour = colour;
    }

    pending << text;
    pendingEndsWithReturn = text.getLastCharacter() == '\r';
}

void StyledTextAppender::flush()
{
    if (pending.getDataSize() == 0)
        return;

    const auto text = pending.toUTF8();
    pending.reset();

    // The text goes in with the look it was given in; the editor's current
    // look may have changed since.
    const auto font = editor.getFont();
    const auto colour = editor.findColour (juce::TextEditor::textColourId);
    editor.setFont (pendingFont);
    editor.setColour (juce::TextEditor::textColourId, pendingColour);

    insertAlone (text);
    inserted = true;
    lastInsertedFont = pendingFont;

    editor.setFont (font);
    editor.setColour (juce::TextEditor::textColourId, colour);
}

void StyledTextAppender::insertAlone (const juce::String& text)
{
    if (! setsAside)
    {
        editor.moveCaretToEnd();
        editor.insertTextAtCaret (text);
        return;
    }

    // The editor holds nothing now, so its caret goes to 0 and the insertion
    // is laid out on its own.
    editor.setCaretPosition (0);
    editor.insertTextAtCaret (text);

    // The new run joins the one before it if they look alike, as it would
    // have on insertion (the one before is its own run otherwise, since
    // pieces that look alike go in together).
    if (! setAside.empty())
    {
        runsOf (editor).insert (0, static_cast<Run*> (setAside.back()));
        setAside.pop_back();
        joinRunsThatLookAlike (editor);
    }

    setAsideEverything();
}

void StyledTextAppender::setAsideEverything()
{
    // Runs are taken off the back, which moves none of the others.
    auto& runs = runsOf (editor);
    const auto firstTaken = setAside.size();

    while (! runs.isEmpty())
        setAside.push_back (runs.removeAndReturn (runs.size() - 1));

    std::reverse (setAside.begin() + (std::ptrdiff_t) firstTaken, setAside.end());
    forgetLength (editor);
}

void StyledTextAppender::removeAllText (juce::TextEditor& editor)
{
    // The runs' type is the framework's own and cannot be deleted here. They
    // go to an editor of no use, taken off the back, and its destruction
    // deletes them all at once.
    {
        juce::TextEditor scrap;
        auto& runs = runsOf (editor);

        while (! runs.isEmpty())
            runsOf (scrap).add (runs.removeAndReturn (runs.size() - 1));
    }

    forgetLength (editor);

    // With no text left this only lays the empty text out, forgets the undo
    // history and repaints.
    editor.clear();
}
