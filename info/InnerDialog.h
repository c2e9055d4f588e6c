#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// A draggable question box with a title, a message and "CANCEL" / "OK"
// buttons. Run modally, it ends its modal state with 1 for OK and 0 for
// Cancel or Escape, and fades out.
//
// The owner lays it out once with layOut (size and button inset).
class InnerDialog : public juce::Component,
                    private juce::Button::Listener,
                    private juce::KeyListener
{
public:
    static constexpr int fadeMilliseconds = 150;
    static constexpr juce::uint32 backgroundColour = 0xF0101010;
    static constexpr juce::uint32 textColour = 0xFFF0F0F0;
    static constexpr juce::uint32 titleBackgroundColour = 0xFF2A2A2A;
    static constexpr juce::uint32 buttonOnColour = 0xFF5B5B5B;

    InnerDialog();
    ~InnerDialog() override;

    // Sizes the box and places the labels and the buttons, which sit
    // buttonInset pixels from the side edges.
    void layOut (int width, int height, int buttonInset);

    void paint (juce::Graphics& g) override;
    void mouseDown (const juce::MouseEvent& event) override;
    void mouseDrag (const juce::MouseEvent& event) override;

    juce::ComponentDragger dragger;
    std::unique_ptr<juce::Label> lblTitle;
    std::unique_ptr<juce::Label> lblMessage;
    std::unique_ptr<juce::TextButton> cancelButton;
    std::unique_ptr<juce::TextButton> okButton;
    int dialogWidth = 320;
    int dialogHeight = 160;
    int buttonMargin = 0;

private:
    void buttonClicked (juce::Button* button) override;
    using juce::Component::keyPressed;
    bool keyPressed (const juce::KeyPress& key, juce::Component* originatingComponent) override;
    void finish (int result);
    std::unique_ptr<juce::Label> makeLabel (const juce::String& name, const juce::String& text,
                                            const juce::Font& font, juce::Justification justification,
                                            juce::Colour background);
    void styleButton (juce::TextButton& button);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InnerDialog)
};
