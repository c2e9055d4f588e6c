#pragma once

#include "info/KvoDialogWindow.h"
#include "info/KvoHtmlTextEdit.h"
#include "ui/SquareButton.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

// A full-window panel showing the documents built into the program (the
// manual and the licence text) with a page history, "<< BACK" and "CLOSE".
//
// Pages are the embedded resources, named by file name ("manual.htm" is the
// resource "manual_htm"). A link in a page opens another embedded page, a
// web address in the system's browser, or, with the prefix "#alert=", a
// small message box over the page: the browser hands the title and text of
// such a message to onAlert, which opens its own message box unless an
// owner puts something else there.
class SimpleHtmlBrowser : public juce::Component
{
public:
    SimpleHtmlBrowser();

    // Starts a new history with this page, shows it and fades the browser in.
    void openDocument (const juce::String& name);

    void resized() override;
    void paint (juce::Graphics& g) override;

    // Shows a message with its title: in the browser's own message box,
    // unless an owner replaces it.
    std::function<void (const juce::String& title, const juce::String& message)> onAlert;

    std::unique_ptr<KvoHtmlTextEdit> view;
    std::unique_ptr<SquareButton> closeButton;
    std::unique_ptr<SquareButton> backButton;
    std::unique_ptr<KvoDialogWindow> messageBox;
    juce::StringArray history;   // oldest first; the last is the page shown

    static constexpr const char* alertPrefix = "#alert=";
    static constexpr const char* alertTitle = "You got a message!";
    static constexpr int fadeMilliseconds = 250;

private:
    void showPage (const juce::String& name);
    void followLink (const juce::String& target);
    void goBack();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SimpleHtmlBrowser)
};
