#include "info/InnerDialog.h"
#include "UiTestHelpers.h"

#include <gtest/gtest.h>

TEST (InnerDialog, BuildsItsLabelsAndButtons)
{
    InnerDialog dialog;
    EXPECT_EQ (dialog.getWidth(), 320);
    EXPECT_EQ (dialog.getHeight(), 160);
    EXPECT_TRUE (dialog.getWantsKeyboardFocus());

    EXPECT_EQ (dialog.lblTitle->getName(), "lblTitle");
    EXPECT_EQ (dialog.lblTitle->getText(), "TITLE");
    EXPECT_EQ (dialog.lblTitle->getFont().getHeight(), 22.0f);
    EXPECT_TRUE (dialog.lblTitle->getFont().isBold());
    EXPECT_EQ (dialog.lblTitle->getJustificationType(), juce::Justification::centredLeft);
    EXPECT_EQ (dialog.lblTitle->findColour (juce::Label::backgroundColourId), juce::Colour (0xFF2A2A2A));

    EXPECT_EQ (dialog.lblMessage->getName(), "lblMessage");
    EXPECT_EQ (dialog.lblMessage->getText(), "label text");
    EXPECT_EQ (dialog.lblMessage->getFont().getHeight(), 18.0f);
    EXPECT_EQ (dialog.lblMessage->getJustificationType(), juce::Justification::centred);

    for (auto* label : { dialog.lblTitle.get(), dialog.lblMessage.get() })
    {
        EXPECT_FALSE (label->isEditable());
        EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colour (0xFFF0F0F0));
    }

    EXPECT_EQ (dialog.cancelButton->getButtonText(), "CANCEL");
    EXPECT_EQ (dialog.okButton->getButtonText(), "OK");

    for (auto* button : { dialog.cancelButton.get(), dialog.okButton.get() })
    {
        EXPECT_TRUE (button->isVisible());
        EXPECT_EQ (button->findColour (juce::TextButton::buttonColourId), juce::Colours::black);
        EXPECT_EQ (button->findColour (juce::TextButton::buttonOnColourId), juce::Colour (0xFF5B5B5B));
        EXPECT_EQ (button->findColour (juce::TextButton::textColourOffId), juce::Colours::white);
        EXPECT_EQ (button->getMouseCursor(), juce::MouseCursor (juce::MouseCursor::PointingHandCursor));
    }
}

TEST (InnerDialog, LaysItselfOutFromSizeAndInset)
{
    InnerDialog dialog;
    dialog.layOut (600, 210, 150);
    EXPECT_EQ (dialog.getBounds().getWidth(), 600);
    EXPECT_EQ (dialog.getBounds().getHeight(), 210);
    EXPECT_EQ (dialog.lblTitle->getBounds(), juce::Rectangle<int> (10, 10, 590, 30));
    EXPECT_EQ (dialog.lblMessage->getBounds(), juce::Rectangle<int> (10, 35, 590, 150));
    EXPECT_EQ (dialog.cancelButton->getBounds(), juce::Rectangle<int> (150, 160, 120, 40));
    EXPECT_EQ (dialog.okButton->getBounds(), juce::Rectangle<int> (330, 160, 120, 40));

    // Filled with 0xF0101010 (the image stores it premultiplied, so allow
    // one step of rounding).
    const auto fill = uitest::render (dialog).getPixelAt (5, 100);
    EXPECT_EQ (fill.getAlpha(), 0xF0);
    EXPECT_NEAR (fill.getRed(), 0x10, 1);
    EXPECT_EQ (fill.getRed(), fill.getBlue());
}

TEST (InnerDialog, ButtonsEndTheModalStateWithTheirResult)
{
    struct Case { const char* button; int result; };

    for (auto c : { Case { "OK", 1 }, Case { "CANCEL", 0 } })
    {
        SCOPED_TRACE (c.button);
        InnerDialog dialog;
        dialog.layOut (600, 210, 150);
        int result = -1;
        dialog.enterModalState (false, juce::ModalCallbackFunction::create ([&] (int r) { result = r; }));
        ASSERT_TRUE (dialog.isCurrentlyModal());

        auto& button = juce::String (c.button) == "OK" ? *dialog.okButton : *dialog.cancelButton;
        button.triggerClick();

        for (int i = 0; i < 50 && result < 0; ++i)
            uitest::runMessageLoop (10);

        EXPECT_EQ (result, c.result);
        EXPECT_FALSE (dialog.isCurrentlyModal());
        EXPECT_FALSE (dialog.isVisible());
    }
}

TEST (InnerDialog, ButtonsOfADialogThatIsNotModalJustCloseIt)
{
    InnerDialog dialog;
    dialog.setVisible (true);
    dialog.okButton->triggerClick();
    uitest::runMessageLoop (50);
    EXPECT_FALSE (dialog.isVisible());
}

TEST (InnerDialog, IsDraggedFromItsTitle)
{
    juce::Component window;
    window.setBounds (0, 0, 1340, 700);
    InnerDialog dialog;
    dialog.layOut (600, 210, 150);
    dialog.setTopLeftPosition (370, 245);
    window.addAndMakeVisible (dialog);

    // A press on the title label lands on the dialog itself.
    EXPECT_EQ (dialog.getComponentAt (100, 20), &dialog);
    EXPECT_EQ (dialog.getComponentAt (200, 180), dialog.cancelButton.get());

    dialog.mouseDown (uitest::mouseEvent (dialog, { 100.0f, 20.0f }, uitest::leftButton()));
    dialog.mouseDrag (uitest::mouseEvent (dialog, { -300.0f, 0.0f }, uitest::leftButton()));
    EXPECT_EQ (dialog.getPosition(), juce::Point<int> (-30, 225));
}
