#include "info/InnerDialog.h"

InnerDialog::InnerDialog()
{
    addKeyListener (this);
    setWantsKeyboardFocus (true);

    lblTitle = std::make_unique<juce::Label> ("lblTitle", TRANS ("TITLE"));
    addAndMakeVisible (*lblTitle);
    lblTitle->setFont (juce::Font (22.0f, juce::Font::bold));
    lblTitle->setJustificationType (juce::Justification::centredLeft);
    lblTitle->setEditable (false, false, false);
    lblTitle->setColour (juce::Label::textColourId, juce::Colour (textColour));
    lblTitle->setColour (juce::Label::backgroundColourId, juce::Colour (titleBackgroundColour));

    lblMessage = std::make_unique<juce::Label> ("lblMessage", TRANS ("label text"));
    addAndMakeVisible (*lblMessage);
    lblMessage->setFont (juce::Font (18.0f, juce::Font::plain));
    lblMessage->setJustificationType (juce::Justification::centred);
    lblMessage->setEditable (false, false, false);
    lblMessage->setColour (juce::Label::textColourId, juce::Colour (textColour));
    lblMessage->setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);

    // The labels let presses through, so the box can be dragged by its title
    // and its text as well as by its edges.
    lblTitle->setInterceptsMouseClicks (false, false);
    lblMessage->setInterceptsMouseClicks (false, false);

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
