#include "info/KvoDialogWindow.h"
#include "UiTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    // The box as the document browser holds it: a hidden child of a
    // full-window parent.
    struct MessageBox : testing::Test
    {
        MessageBox()
        {
            page.setBounds (0, 0, 1340, 700);
            page.addChildComponent (box);
            box.onResult = [this] (bool accepted) { results.add (accepted ? "ok" : "cancel"); };
        }

        void drag (juce::Point<float> from, juce::Point<float> to)
        {
            box.mouseDown (uitest::mouseEvent (box, from, uitest::leftButton()));
            box.mouseDrag (uitest::mouseEvent (box, to, uitest::leftButton()));
            box.mouseUp (uitest::mouseEvent (box, to, {}));
        }

        void release (SquareButton& button)
        {
            button.mouseUp (uitest::mouseEvent (button, { 10.0f, 10.0f }, {}));
        }

        juce::Component page;
        KvoDialogWindow box;
        juce::StringArray results;
    };

    bool near (juce::Colour a, juce::Colour b)
    {
        return std::abs (a.getAlpha() - b.getAlpha()) <= 1 && std::abs (a.getRed() - b.getRed()) <= 1
            && std::abs (a.getGreen() - b.getGreen()) <= 1 && std::abs (a.getBlue() - b.getBlue()) <= 1;
    }
}

TEST_F (MessageBox, StartsClosedWithOnlyTheOkButtonShown)
{
    EXPECT_EQ (box.getWidth(), 400);
    EXPECT_EQ (box.getHeight(), 160);
    EXPECT_FALSE (box.isVisible());
    EXPECT_TRUE (box.getWantsKeyboardFocus());
    EXPECT_EQ (box.okButton->getButtonText(), "OK");
    EXPECT_TRUE (box.okButton->isVisible());
    EXPECT_EQ (box.cancelButton->getButtonText(), "Cancel");
    EXPECT_FALSE (box.cancelButton->isVisible());
    EXPECT_EQ (box.cancelButton->getBounds(), juce::Rectangle<int> (240, 120, 120, 30));
    EXPECT_EQ (box.background, juce::Colour());
}

TEST_F (MessageBox, OpensCentredInItsParent)
{
    box.Open (KvoDialogWindow::messageBox, "You got a message!", "Hello");
    EXPECT_TRUE (box.isVisible());
    EXPECT_EQ (box.title, "You got a message!");
    EXPECT_EQ (box.message, "Hello");
    EXPECT_EQ (box.background, juce::Colour (0xFA202020));
    EXPECT_EQ (box.getBounds(), juce::Rectangle<int> (470, 270, 400, 160));
    EXPECT_EQ (box.okButton->getBounds(), juce::Rectangle<int> (140, 120, 120, 30));
    EXPECT_FALSE (box.cancelButton->isVisible());
}

TEST_F (MessageBox, EachOpenShowsTheNewTextCentredAgainAfterADrag)
{
    box.Open (KvoDialogWindow::messageBox, "First", "one");
    drag ({ 50.0f, 10.0f }, { 250.0f, 110.0f });
    EXPECT_EQ (box.getPosition(), juce::Point<int> (670, 370));

    // No limit: the box may leave its parent altogether.
    drag ({ 50.0f, 10.0f }, { -1000.0f, -500.0f });
    EXPECT_EQ (box.getPosition(), juce::Point<int> (-380, -140));

    box.Open (KvoDialogWindow::messageBox, "Second", "two");
    EXPECT_EQ (box.title, "Second");
    EXPECT_EQ (box.message, "two");
    EXPECT_EQ (box.getPosition(), juce::Point<int> (470, 270));
}

TEST_F (MessageBox, QuestionFormShowsBothButtons)
{
    box.Open (KvoDialogWindow::okCancel, "Sure?", "Really");
    EXPECT_TRUE (box.cancelButton->isVisible());
    EXPECT_EQ (box.okButton->getBounds(), juce::Rectangle<int> (40, 120, 120, 30));
    EXPECT_EQ (box.cancelButton->getBounds(), juce::Rectangle<int> (240, 120, 120, 30));

    // The message form again hides Cancel.
    box.Open (7, "Note", "x");
    EXPECT_FALSE (box.cancelButton->isVisible());
    EXPECT_EQ (box.okButton->getBounds(), juce::Rectangle<int> (140, 120, 120, 30));
}

TEST_F (MessageBox, ButtonsCloseTheBoxAndReport)
{
    struct Case { const char* button; const char* result; };

    for (auto c : { Case { "ok", "ok" }, Case { "cancel", "cancel" } })
    {
        SCOPED_TRACE (c.button);
        results.clear();
        box.Open (KvoDialogWindow::okCancel, "Sure?", "Really");
        release (juce::String (c.button) == "ok" ? *box.okButton : *box.cancelButton);
        EXPECT_FALSE (box.isVisible());
        EXPECT_EQ (results, juce::StringArray (c.result));
    }

    box.onResult = nullptr;
    box.Open (KvoDialogWindow::messageBox, "Note", "x");
    release (*box.okButton);
    EXPECT_FALSE (box.isVisible());
}

TEST_F (MessageBox, DrawsTitleBarAndMessage)
{
    const auto closed = uitest::render (box);
    EXPECT_EQ (closed.getPixelAt (50, 100).getAlpha(), 0);   // no fill until opened

    box.Open (KvoDialogWindow::messageBox, "Title", "");
    const auto image = uitest::render (box);
    EXPECT_TRUE (near (image.getPixelAt (50, 100), juce::Colour (0xFA202020)))
        << image.getPixelAt (50, 100).toDisplayString (true);
    EXPECT_EQ (uitest::pixel (image, 300, 16), 0xFFA0A0A0u);   // title bar, right of the title
    EXPECT_EQ (uitest::pixel (image, 300, 2), 0xFFA0A0A0u);
    EXPECT_EQ (uitest::pixel (image, 300, 31), 0xFFA0A0A0u);
    EXPECT_TRUE (near (image.getPixelAt (300, 33), juce::Colour (0xFA202020)));
    // The title in near-white, left-aligned from x 6.
    int left = -1;

    for (int x = 0; x < 100 && left < 0; ++x)
        for (int y = 4; y < 32; ++y)
            if (image.getPixelAt (x, y).getPerceivedBrightness() > 0.9f)
                left = x;

    EXPECT_GE (left, 6);
    EXPECT_LE (left, 9);
}

TEST_F (MessageBox, LongMessageEndsWithAnEllipsisInsideTheBox)
{
    juce::String longText;

    for (int i = 0; i < 40; ++i)
        longText << "HHHH ";

    box.Open (KvoDialogWindow::messageBox, "Note", longText);
    const auto image = uitest::render (box);

    // The message band: rows 40 to 119, above the button.
    int top = -1, bottom = -1, right = -1;

    for (int y = 40; y < 118; ++y)
        for (int x = 0; x < 400; ++x)
            if (image.getPixelAt (x, y).getPerceivedBrightness() > 0.6f)
            {
                top = top < 0 ? y : top;
                bottom = y;
                right = juce::jmax (right, x);
            }

    ASSERT_GE (top, 0);
    // One line only.
    EXPECT_LT (bottom - top, 20);
    // The last inked columns are the dots, low on the line: no letter's
    // full-height stroke is cut off at the edge.
    for (int x = right - 8; x <= right; ++x)
        for (int y = top; y < top + (bottom - top) / 2; ++y)
            EXPECT_LE (image.getPixelAt (x, y).getPerceivedBrightness(), 0.6f) << x << ", " << y;
    // And the whole ellipsis is inside the box, clear of its right edge.
    EXPECT_LE (right, 390);
    EXPECT_GE (right, 380);
}
