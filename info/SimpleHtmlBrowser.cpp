#include "info/SimpleHtmlBrowser.h"

#include <BinaryData.h>

#include <algorithm>

namespace
{
    juce::ComponentAnimator& animator()
    {
        return juce::Desktop::getInstance().getAnimator();
    }

    // Finds an embedded document by its file name and reads it as UTF-8 up
    // to its first zero byte. False if there is no such document or it is
    // empty.
    bool findEmbeddedDocument (const juce::String& pageName, juce::String& text)
    {
        int size = 0;
        const char* data = BinaryData::getNamedResource (pageName.replace (".", "_").toRawUTF8(), size);

        if (data == nullptr || size <= 0)
            return false;

        const auto* end = std::find (data, data + size, '\0');
        text = juce::String::fromUTF8 (data, (int) (end - data));
        return true;
    }
}

SimpleHtmlBrowser::SimpleHtmlBrowser()
{
    setOpaque (true);

    view = std::make_unique<KvoHtmlTextEdit>();
    view->editor->setScrollbarsShown (true);
    view->fontSize = view->savedSize = 15.0f;
    view->doSetFont();
    view->editor->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0xFF202028));
    addAndMakeVisible (*view);

    closeButton = std::make_unique<SquareButton> ("CLOSE");
    closeButton->onRelease = [this] (const juce::MouseEvent&) { animator().fadeOut (this, fadeMilliseconds); };
    addAndMakeVisible (*closeButton);

    backButton = std::make_unique<SquareButton> ("<< BACK");
    backButton->onRelease = [this] (const juce::MouseEvent&) { goBack(); };
    backButton->setEnabled (false);
    addChildComponent (*backButton);

    messageBox = std::make_unique<KvoDialogWindow>();
    addChildComponent (*messageBox);
    onAlert = [this] (const juce::String& title, const juce::String& message)
    {
        messageBox->Open (KvoDialogWindow::messageBox, title, message);
    };

    view->onLinkClicked = [this] (const juce::String& target) { followLink (target); };
}

void SimpleHtmlBrowser::openDocument (const juce::String& name)
{
    history.clear();
    history.add (name);
    showPage (name);
    animator().fadeIn (this, fadeMilliseconds);
}

void SimpleHtmlBrowser::showPage (const juce::String& name)
{
    const bool canGoBack = history.size() > 1;
    backButton->setEnabled (canGoBack);
    backButton->setVisible (canGoBack);

    // A page that is not embedded leaves the view as it was.
    juce::String text;

    if (! findEmbeddedDocument (name, text))
        return;

    view->clearHtml();
    view->appendHtml (text);
    view->editor->moveCaretToTop (false);
}

void SimpleHtmlBrowser::followLink (const juce::String& target)
{
    if (target.startsWithIgnoreCase (alertPrefix))
    {
        if (onAlert)
            onAlert (alertTitle, target.fromFirstOccurrenceOf (alertPrefix, false, true));
        return;
    }

    // The name enters the history even when there is no such page, so that
    // "<< BACK" leads out of the dead end.
    history.add (target);
    showPage (target);
}

void SimpleHtmlBrowser::goBack()
{
    if (history.size() == 1)
        return;

    if (history.size() > 1)
        history.remove (history.size() - 1);

    showPage (history.isEmpty() ? juce::String() : history[history.size() - 1]);
}

void SimpleHtmlBrowser::resized()
{
    const int width = getWidth();
    const int height = getHeight();
    view->setBounds (0, 0, width, height - 40);
    closeButton->setBounds (width - 140, height - 35, 120, 30);
    backButton->setBounds (width - 270, height - 35, 120, 30);
}

void SimpleHtmlBrowser::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xFF000000));
}
