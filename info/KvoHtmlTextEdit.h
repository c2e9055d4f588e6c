#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// One link of a rendered document: its target and the characters it covers
// in the editor's text, start <= index < end.
struct HtmlLink
{
    juce::String target;
    int start = 0;
    int end = 0;
};

// A read-only view of text in a small subset of HTML, used by the document
// browser and the news strip.
//
// The renderer is a single left-to-right pass with no document tree: tags
// switch the editor's current font, style and colour, and the text between
// them is appended with whatever is current. Closing tags toggle rather than
// restore, and there is one saved slot each for face, size and colour, so
// badly nested markup renders in its own peculiar but predictable way. The
// rendering state survives clearHtml(): a document that leaves a tag open
// hands it on to the next one.
//
// Over a link the pointer becomes a pointing hand and web links show their
// address in a small tip. A click on a web link opens it in the system's
// browser; any other link goes to onLinkClicked.
class KvoHtmlTextEdit : public juce::Component
{
public:
    KvoHtmlTextEdit();

    // Renders text after whatever the view already shows.
    void appendHtml (const juce::String& text);

    // Empties the text and the links; the rendering state stays.
    void clearHtml();

    // Makes (fontFace, fontSize, fontStyle) the font of text inserted next.
    // A face that is not installed is replaced by the system's sans-serif.
    void doSetFont();

    void resized() override;
    void mouseMove (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void paintOverChildren (juce::Graphics& g) override;

    // Called with the target of a clicked link that is not a web address.
    std::function<void (const juce::String& target)> onLinkClicked;

    std::unique_ptr<juce::TextEditor> editor;
    int insertPos = 0;

    // The editor wraps a word wider than a line by laying the rest of the
    // word out again for every line, in time in the square of its length.
    // appendHtml therefore puts a space into a word once it holds as many
    // characters as this gives for the current type size: about 3600 pixels
    // of text, 256 characters at 14 px, fewer in larger type, never under 16.
    static int longestWordAt (float fontHeight);

    // The largest type the editor is given, whatever size a page asks for:
    // a line of larger type cannot be read in any of the views, and lines
    // ten thousand pixels high would add up past what the editor can measure.
    static constexpr float largestFontSize = 128.0f;

    juce::String fontFace;
    juce::String savedFace;
    float fontSize = 18.0f;
    float savedSize = 18.0f;
    int fontStyle = 0;   // juce::Font style flags: bold 1, italic 2, underlined 4
    juce::Colour textColour;
    juce::Colour savedColour;
    juce::Colour linkColour;

    bool tipVisible = false;
    juce::String tipText;
    int tipX = 0;
    int tipY = 0;
    juce::Font tipFont;
    int tipWidth = 100;

    juce::String linkTarget;
    int linkStart = 0;
    int linkEnd = 0;
    juce::Array<HtmlLink> links;

    // Opens a web link. The system's browser by default; tests put a
    // recorder here so that no browser starts.
    std::function<void (const juce::String& url)> openInWebBrowser;

    static constexpr int tipHeight = 25;

private:
    // Acts on one tag and returns the text it inserts.
    juce::String interpretTag (const juce::String& tag);
    void applyFontAttributes (const juce::String& tag);
    void setEditorTextColour (juce::Colour colour);
    const HtmlLink* linkAt (const juce::MouseEvent& event) const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KvoHtmlTextEdit)
};
