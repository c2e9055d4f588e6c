// The HTML view's renderer with news bodies of any bytes: UTF-8, UTF-16 or
// neither, unbalanced and unfinished tags, up to 1 MiB. Each body becomes
// text as the news client makes it and is rendered as the news strip
// renders it (800 x 64 pixels, text size 14, scroll bars, caret to the top),
// then appended once more, painted, and the pointer moved and released over
// it. Checks:
// - the editor holds exactly insertPos characters, and every link lies
//   within them;
// - a small body leaves the editor exactly as inserting the same pieces one
//   by one would (same text, same layout);
// - rendering takes processor time in proportion to the body (a word wider
//   than many lines included: the view breaks such words).
#include "FuzzSupport.h"

#include "info/KvoHtmlTextEdit.h"
#include "info/NewsFeedClient.h"

#include <ctime>
#include <vector>

namespace
{
    // Records every piece of text the view inserts, with the font and colour
    // it goes in with.
    struct Piece
    {
        juce::String text;
        juce::Font font;
        juce::Colour colour;
    };

    struct PieceRecorder : juce::TextEditor::InputFilter
    {
        juce::String filterNewText (juce::TextEditor& editor, const juce::String& text) override
        {
            if (pieces.size() <= maxPieces)
                pieces.push_back ({ text, editor.getFont(), editor.findColour (juce::TextEditor::textColourId) });
            return text;
        }

        static constexpr size_t maxPieces = 48;
        std::vector<Piece> pieces;
    };

    KvoHtmlTextEdit& newsView()
    {
        // Set up as the news client sets up its view. One view serves every
        // input: its rendering state carries over, as it does between news
        // checks.
        static auto* view = []
        {
            auto* v = new KvoHtmlTextEdit();
            NewsFeedClient::setUpNewsView (*v);
            v->setBounds (0, 0, 800, 64);
            v->openInWebBrowser = [] (const juce::String&) {};
            v->onLinkClicked = [] (const juce::String&) {};
            return v;
        }();
        return *view;
    }

    void expectTextAndLinksAgree (const KvoHtmlTextEdit& view)
    {
        const int length = view.editor->getText().length();
        if (length != view.insertPos)
            fuzzFailure ("the editor holds " + juce::String (length) + " characters, insertPos is "
                         + juce::String (view.insertPos));

        for (const auto& link : view.links)
            if (! (0 <= link.start && link.start <= link.end && link.end <= view.insertPos))
                fuzzFailure ("a link covers " + juce::String (link.start) + ".." + juce::String (link.end)
                             + " of " + juce::String (view.insertPos) + " characters");
    }

    juce::Viewport& viewportOf (juce::TextEditor& editor)
    {
        for (auto* child : editor.getChildren())
            if (auto* viewport = dynamic_cast<juce::Viewport*> (child))
                return *viewport;
        fuzzFailure ("the editor has no viewport");
    }

    // The same pieces inserted one by one into an editor set up alike. The
    // editor lays its first line out in the font current at the time, so the
    // reference starts in the font the view had when it was cleared and is
    // measured in the font the view has now, scrolled as the view is (moving
    // the caret to the top may scroll a tall first line a little).
    void expectSameAsPieceByPiece (juce::TextEditor& rendered, const juce::Font& fontWhenCleared,
                                   const std::vector<Piece>& pieces)
    {
        juce::TextEditor reference;
        reference.setFont (fontWhenCleared);
        reference.setMultiLine (true, true);
        reference.setReadOnly (true);
        reference.setScrollbarsShown (true);
        reference.setLineSpacing (1.1f);
        reference.setIndents (5, 0);
        reference.setScrollToShowCursor (false);
        reference.setBounds (rendered.getBounds());

        for (const auto& piece : pieces)
        {
            reference.setFont (piece.font);
            reference.setColour (juce::TextEditor::textColourId, piece.colour);
            reference.moveCaretToEnd();
            reference.insertTextAtCaret (piece.text);
        }

        reference.setFont (rendered.getFont());
        viewportOf (reference).setViewPosition (viewportOf (rendered).getViewPosition());

        if (reference.getText() != rendered.getText())
            fuzzFailure ("the text differs from inserting its pieces one by one");

        if (reference.getTextHeight() != rendered.getTextHeight() || reference.getTextWidth() != rendered.getTextWidth())
            fuzzFailure ("the text is laid out differently from inserting its pieces one by one");

        const int length = reference.getTotalNumChars();
        for (int i = 0; i < length; i += 1 + length / 64)
            if (reference.getTextBounds ({ i, i + 1 }).getBounds() != rendered.getTextBounds ({ i, i + 1 }).getBounds())
                fuzzFailure ("character " + juce::String (i) + " is placed differently from inserting the pieces one by one");
    }

    double processorSeconds()
    {
        timespec t {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
        return (double) t.tv_sec + (double) t.tv_nsec * 1.0e-9;
    }

    // Renders the body as the news strip does, then appends it once more;
    // returns the processor time taken.
    double renderTwice (KvoHtmlTextEdit& view, const juce::String& text)
    {
        const auto start = processorSeconds();
        view.clearHtml();
        view.appendHtml (text);
        view.editor->moveCaretToTop (false);
        expectTextAndLinksAgree (view);
        view.appendHtml (text);
        const auto seconds = processorSeconds() - start;
        expectTextAndLinksAgree (view);
        return seconds;
    }

    void pointAt (KvoHtmlTextEdit& view, juce::Point<float> position)
    {
        auto& editor = *view.editor;
        const auto now = juce::Time::getCurrentTime();
        const juce::MouseEvent event (juce::Desktop::getInstance().getMainMouseSource(), position, {},
                                      juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f,
                                      &editor, &editor, now, position, now, 1, false);
        view.mouseMove (event);
        view.mouseUp (event);
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    startFramework();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size > (size_t) (1 << 20))
        return 0;

    const auto text = juce::String::createStringFromData (data, (int) size);

    auto& view = newsView();
    PieceRecorder recorder;
    view.editor->setInputFilter (&recorder, false);

    const auto fontWhenCleared = view.editor->getFont();
    const auto seconds = renderTwice (view, text);
    view.editor->setInputFilter (nullptr, false);

    if (recorder.pieces.size() <= PieceRecorder::maxPieces && view.insertPos <= 4000)
        expectSameAsPieceByPiece (*view.editor, fontWhenCleared, recorder.pieces);

    // Well under a millisecond per kilobyte in this build when run alone.
    // The first glyphs of a script load a fallback typeface, once for the
    // whole process, so a slow rendering is timed again before it counts.
    const double allowed = 0.5 + 20.0e-6 * (double) size;
    if (seconds > allowed)
        if (const auto again = renderTwice (view, text); again > allowed)
            fuzzFailure ("rendering " + juce::String ((int) size) + " bytes twice took " + juce::String (again, 2)
                         + " s of processor time, more than " + juce::String (allowed, 2) + " s");

    juce::Image image (juce::Image::ARGB, view.getWidth(), view.getHeight(), true);
    {
        juce::Graphics g (image);
        view.paintEntireComponent (g, true);
    }

    for (const auto p : { juce::Point<float> (12.0f, 8.0f), { 400.0f, 30.0f }, { 790.0f, 60.0f } })
        pointAt (view, p);

    return 0;
}
