// Playing the on-screen keyboard with the mouse. The framework finds the key
// under the mouse only on a keyboard that is on screen, so this needs a
// display.

#include "ui/KeyboardCustom.h"
#include "UiTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    struct KeyboardOnScreen : testing::Test
    {
        KeyboardOnScreen()
        {
            keyboard.setBounds (0, 0, 1189, 254);
            keyboard.setKeyRange (48, 96);
            keyboard.setScrollButtonsVisible (false);
            keyboard.setVisible (true);
            keyboard.addToDesktop (0);
        }

        ~KeyboardOnScreen() override { keyboard.removeFromDesktop(); }

        // The note that a press at x, y plays, -1 if none.
        int notePlayedAt (float x, float y)
        {
            keyboard.mouseDown (uitest::mouseEvent (keyboard, { x, y }, uitest::leftButton()));
            int played = -1;

            for (int n = 0; n < 128; ++n)
                if (state.isNoteOn (1, n))
                    played = n;

            keyboard.mouseUp (uitest::mouseEvent (keyboard, { x, y }, {}));
            EXPECT_FALSE (state.isNoteOnForChannels (0xFFFF, played)) << "still on after release: " << played;
            return played;
        }

        juce::MidiKeyboardState state;
        KeyboardCustom keyboard { state, juce::MidiKeyboardComponent::horizontalKeyboard };
    };
}

TEST_F (KeyboardOnScreen, PressPlaysTheKeyWhosePictureIsUnderTheMouse)
{
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        GTEST_SKIP() << "no display";

    struct Case { float x, y; int note; };
    const Case cases[] = {
        { 20.0f, 240.0f, 48 },    // first C, below the black keys
        { 23.5f, 100.0f, 49 },    // C#'s picture: x 23 to 49
        { 48.5f, 100.0f, 49 },
        { 22.5f, 100.0f, 48 },
        { 75.5f, 100.0f, 51 },    // D#'s picture: x 75 to 101
        { 101.5f, 100.0f, 51 },
        { 73.0f, 100.0f, 50 },    // just left of it: D
        { 102.5f, 100.0f, 52 },   // just right of it: E
        { 100.0f, 157.5f, 52 },   // below the black key: E
        { 287.0f + 146.5f, 60.0f, 66 },
        { 1168.0f, 200.0f, 96 },  // the top C
    };

    for (const auto& c : cases)
        EXPECT_EQ (notePlayedAt (c.x, c.y), c.note) << c.x << ", " << c.y;
}
