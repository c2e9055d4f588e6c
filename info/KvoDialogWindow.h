#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

#include "ui/SquareButton.h"

// A small message box that floats over its parent: a title bar, one line of
// message and an "OK" button. It is not modal, can be dragged anywhere (also
// partly out of its parent) and fades in and out.
//
// Open re-centres it in the parent every time, so a box dragged aside comes
// back to the middle for the next message. "OK" and "Cancel" report through
// onResult after the fade-out starts; Escape just closes it.
class KvoDialogWindow : public juce::Component,
                        private juce::KeyListener
{
public:
    // Forms of Open: a message with "OK" alone, or a question with "OK" and
    // "Cancel". Any other value opens the message form.
    enum Mode
    {
        messageBox = 0,
        okCancel = 1
    };

    static constexpr int fadeMilliseconds = 150;
    static constexpr juce::uint32 openBackground = 0xFA202020;
    static constexpr juce::uint32 titleBarColour = 0xFFA0A0A0;
    static constexpr juce::uint32 textColour = 0xFFFAFAFA;

    KvoDialogWindow();
    ~KvoDialogWindow() override;

    void Open (int mode, const juce::String& title, const juce::String& message);

    void paint (juce::Graphics& g) override;
    void mouseDown (const juce::MouseEvent& event) override;
    void mouseDrag (const juce::MouseEvent& event) override;

    std::function<void (bool)> onResult;
    std::unique_ptr<SquareButton> okButton;
    std::unique_ptr<SquareButton> cancelButton;
    juce::String title;
    juce::String message;
    juce::Colour background;
    juce::ComponentDragger dragger;

private:
    using juce::Component::keyPressed;
    bool keyPressed (const juce::KeyPress& key, juce::Component* originatingComponent) override;
    void close (bool accepted);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KvoDialogWindow)
};
