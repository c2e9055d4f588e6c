#include "info/InnerDialog.h"

InnerDialog::InnerDialog()
{
    addKeyListener (this);
    setWantsKeyboardFocus (true);

    lblTitle = makeLabel ("lblTitle", TRANS ("TITLE"), juce::Font (22.0f, juce::Font::bold),
                          juce::Justification::centredLeft, juce::Colour (titleBackgroundColour));
    lblMessage = makeLabel ("lblMessage", TRANS ("label text"), juce::Font (18.0f, juce::Font::plain),
                            juce::Justification::centred, juce::Colours::transparentBlack);

    cancelButton = std::make_unique<juce::TextButton> ("Cancel");
    addAndMakeVisible (*cancelButton);
    cancelButton->setButtonText (TRANS ("CANCEL"));
    styleButton (*cancelButton);

    okButton = std::make_unique<juce::TextButton> ("OK");
    addAndMakeVisible (*okButton);
    styleButton (*okButton);

    setSize (dialogWidth, dialogHeight);
}

InnerDialog::~InnerDialog()
{
    removeKeyListener (this);
}

std::unique_ptr<juce::Label> InnerDialog::makeLabel (const juce::String& name, const juce::String& text,
                                                     const juce::Font& font, juce::Justification justification,
                                                     juce::Colour background)
{
    auto label = std::make_unique<juce::Label> (name, text);
    addAndMakeVisible (*label);
    label->setFont (font);
    label->setJustificationType (justification);
    label->setEditable (false, false, false);
    label->setColour (juce::Label::textColourId, juce::Colour (textColour));
    label->setColour (juce::Label::backgroundColourId, background);
    // Presses go through to the dialog, so it can be dragged by its title
    // and its text as well as by its edges.
    label->setInterceptsMouseClicks (false, false);
    return label;
}

void InnerDialog::styleButton (juce::TextButton& button)
{
    button.addListener (this);
    button.setColour (juce::TextButton::buttonColourId, juce::Colours::black);
    button.setColour (juce::TextButton::buttonOnColourId, juce::Colour (buttonOnColour));
    button.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    button.setMouseCursor (juce::MouseCursor::PointingHandCursor);
}

void InnerDialog::layOut (int width, int height, int buttonInset)
{
    dialogWidth = width;
    dialogHeight = height;
    buttonMargin = buttonInset;

    setSize (dialogWidth, dialogHeight);
    lblTitle->setBounds (10, 10, dialogWidth - 10, 30);
    lblMessage->setBounds (10, 35, dialogWidth - 10, dialogHeight - 60);
    cancelButton->setBounds (buttonMargin, dialogHeight - 50, 120, 40);
    okButton->setBounds (dialogWidth - buttonMargin - 120, dialogHeight - 50, 120, 40);
}

void InnerDialog::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (backgroundColour));
}

void InnerDialog::buttonClicked (juce::Button* button)
{
    finish (button == okButton.get() ? 1 : 0);
}

bool InnerDialog::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    if (key.isKeyCode (juce::KeyPress::escapeKey))
        finish (0);

    return false;
}

void InnerDialog::finish (int result)
{
    exitModalState (result);
    juce::Desktop::getInstance().getAnimator().fadeOut (this, fadeMilliseconds);
}

void InnerDialog::mouseDown (const juce::MouseEvent& event)
{
    toFront (true);
    dragger.startDraggingComponent (this, event);
}

void InnerDialog::mouseDrag (const juce::MouseEvent& event)
{
    dragger.dragComponent (this, event, nullptr);
}
