#include "info/KvoDialogWindow.h"

namespace
{
    void fadeOut (juce::Component& component, int milliseconds)
    {
        juce::Desktop::getInstance().getAnimator().fadeOut (&component, milliseconds);
    }
}

KvoDialogWindow::KvoDialogWindow()
{
    setSize (400, 160);
    addKeyListener (this);
    setWantsKeyboardFocus (true);

    okButton = std::make_unique<SquareButton> ("OK");
    okButton->onRelease = [this] (const juce::MouseEvent&) { close (true); };
    addAndMakeVisible (*okButton);

    cancelButton = std::make_unique<SquareButton> ("Cancel");
    cancelButton->setBounds (getWidth() - 160, getHeight() - 40, 120, 30);
    cancelButton->onRelease = [this] (const juce::MouseEvent&) { close (false); };
    addChildComponent (*cancelButton);
}

KvoDialogWindow::~KvoDialogWindow()
{
    removeKeyListener (this);
}

void KvoDialogWindow::Open (int mode, const juce::String& newTitle, const juce::String& newMessage)
{
    title = newTitle;
    message = newMessage;
    background = juce::Colour (openBackground);

    if (mode == okCancel)
    {
        // "OK" left of "Cancel", mirrored about the middle.
        okButton->setBounds (40, getHeight() - 40, 120, 30);
        cancelButton->setBounds (getWidth() - 160, getHeight() - 40, 120, 30);
        cancelButton->setVisible (true);
    }
    else
    {
        okButton->setBounds ((getWidth() - 120) / 2, getHeight() - 40, 120, 30);
        cancelButton->setVisible (false);
    }

    repaint();

    if (auto* parent = getParentComponent())
        setCentrePosition (parent->getLocalBounds().getCentre());

    juce::Desktop::getInstance().getAnimator().fadeIn (this, fadeMilliseconds);
    toFront (true);
}

void KvoDialogWindow::close (bool accepted)
{
    // The owner may delete the box from onResult.
    juce::Component::SafePointer<KvoDialogWindow> self (this);
    fadeOut (*this, fadeMilliseconds);

    if (self != nullptr && onResult)
        onResult (accepted);
}

void KvoDialogWindow::paint (juce::Graphics& g)
{
    g.setColour (background);
    g.fillRoundedRectangle (getLocalBounds().toFloat(), 5.0f);

    g.setColour (juce::Colour (titleBarColour));
    g.fillRoundedRectangle (2.0f, 2.0f, (float) getWidth() - 4.0f, 30.0f, 5.0f);

    g.setColour (juce::Colour (textColour));
    g.setFont (22.0f);
    g.drawText (title, 6, 4, getWidth() - 12, 30, juce::Justification::centredLeft, true);
    // Ten pixels of margin on both sides, so that the ellipsis of a long
    // message ends inside the box instead of being cut by its edge.
    g.setFont (16.0f);
    g.drawText (message, 10, 40, getWidth() - 20, 80, juce::Justification::centredLeft, true);
}

bool KvoDialogWindow::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    if (key.isKeyCode (juce::KeyPress::escapeKey))
        fadeOut (*this, fadeMilliseconds);

    return false;
}

void KvoDialogWindow::mouseDown (const juce::MouseEvent& event)
{
    toFront (true);
    dragger.startDraggingComponent (this, event);
}

void KvoDialogWindow::mouseDrag (const juce::MouseEvent& event)
{
    dragger.dragComponent (this, event, nullptr);
}
