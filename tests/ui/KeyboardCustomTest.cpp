#include "ui/KeyboardCustom.h"
#include "UiTestHelpers.h"
#include "BinaryData.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
    constexpr int keyHeight = 254;
    constexpr juce::uint32 seamColour = 0xFFFF00FF;    // the row between the frames: never shown
    constexpr juce::uint32 bottomColour = 0xFF00FFFF;  // the pressed white frame's last row

    // Each picture pair (12 semitones, then the top key) gets its own colours.
    juce::uint32 releasedColour (int picture) { return 0xFF000040u | (juce::uint32) ((picture + 1) * 16) << 16; }
    juce::uint32 pressedColour (int picture)  { return 0xFF000080u | (juce::uint32) ((picture + 1) * 16) << 8; }

    bool isBlackSemitone (int semitone) { return juce::MidiMessage::isMidiNoteBlack (semitone); }

    // A key picture laid out like the real ones: released frame, one seam row,
    // pressed frame.
    juce::Image keyPicture (int picture)
    {
        const bool black = picture < 12 && isBlackSemitone (picture);
        const int width = black ? 27 : 41;
        const int frame = black ? 157 : 254;
        juce::Image image (juce::Image::RGB, width, 2 * frame, true);
        juce::Graphics g (image);
        g.setColour (juce::Colour (releasedColour (picture)));
        g.fillRect (0, 0, width, frame);
        g.setColour (juce::Colour (seamColour));
        g.fillRect (0, frame, width, 1);
        g.setColour (juce::Colour (pressedColour (picture)));
        g.fillRect (0, frame + 1, width, frame - 1);

        if (! black)
        {
            g.setColour (juce::Colour (bottomColour));
            g.fillRect (0, 2 * frame - 1, width, 1);
        }

        return image;
    }

    struct ParentRecordingWheel : juce::Component
    {
        void mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& w) override
        {
            ++wheelMoves;
            position = e.position;
            deltaY = w.deltaY;
        }

        int wheelMoves = 0;
        juce::Point<float> position;
        float deltaY = 0.0f;
    };

    // The panel's keyboard: notes 48 to 96 in 1189 x 254 pixels.
    struct PanelKeyboard : testing::Test
    {
        PanelKeyboard()
        {
            keyboard.setBounds (0, 0, 1189, keyHeight);
            keyboard.setKeyRange (48, 96);
            keyboard.setScrollButtonsVisible (false);
        }

        void useTestPictures()
        {
            for (int i = 0; i < 13; ++i)
            {
                const bool black = i < 12 && isBlackSemitone (i);
                keyboard.keyPictures[(size_t) i] = KeyboardCustom::cutFrames (keyPicture (i), black ? 27 : 41,
                                                                              black ? 157 : 254);
            }
        }

        juce::uint32 at (const juce::Image& image, int x, int y) { return uitest::pixel (image, x, y); }

        juce::MidiKeyboardState state;
        KeyboardCustom keyboard { state, juce::MidiKeyboardComponent::horizontalKeyboard };
    };

    // The white notes from 48 to 96, left to right.
    std::vector<int> whiteNotes()
    {
        std::vector<int> notes;

        for (int n = 48; n <= 96; ++n)
            if (! juce::MidiMessage::isMidiNoteBlack (n))
                notes.push_back (n);

        return notes;
    }

    bool sameColour (juce::Colour a, juce::Colour b, int tolerance)
    {
        return std::abs (a.getRed() - b.getRed()) <= tolerance && std::abs (a.getGreen() - b.getGreen()) <= tolerance
            && std::abs (a.getBlue() - b.getBlue()) <= tolerance;
    }
}

TEST_F (PanelKeyboard, StartsWithItsOwnGeometry)
{
    juce::MidiKeyboardState freshState;
    KeyboardCustom fresh (freshState, juce::MidiKeyboardComponent::horizontalKeyboard);

    EXPECT_EQ (fresh.rangeStart, 36);
    EXPECT_EQ (fresh.rangeEnd, 84);
    EXPECT_EQ (fresh.getRangeStart(), 36);
    EXPECT_EQ (fresh.getRangeEnd(), 84);
    EXPECT_EQ (fresh.getKeyWidth(), 41.0f);
    EXPECT_EQ (fresh.octaveWidth, 287);
    EXPECT_EQ (fresh.blackKeyWidth, 27.0f);
    EXPECT_EQ (fresh.midiInChannelMask, 0xFFFF);
    EXPECT_FALSE (fresh.shouldCheckState);
    EXPECT_TRUE (fresh.keysDrawnDown.none());
    EXPECT_FALSE (fresh.getWantsKeyboardFocus());

    const float offsets[] = { 0, 23, 1, 75, 2, 3, 146, 4, 192, 5, 238, 6 };
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ (fresh.keyOffsets[(size_t) i], offsets[i]) << i;

    EXPECT_NEAR (fresh.getBlackNoteWidthProportion(), 0.6585366f, 1e-6f);
    EXPECT_NEAR (fresh.getBlackNoteLengthProportion(), 0.6181102f, 1e-6f);
    EXPECT_EQ (fresh.whiteKeyImages.size(), 14);
    EXPECT_EQ (fresh.blackKeyImages.size(), 10);
}

TEST_F (PanelKeyboard, KeyRangeGoesToTheFrameworkToo)
{
    EXPECT_EQ (keyboard.rangeStart, 48);
    EXPECT_EQ (keyboard.rangeEnd, 96);
    EXPECT_EQ (keyboard.getRangeStart(), 48);
    EXPECT_EQ (keyboard.getRangeEnd(), 96);
    EXPECT_EQ (keyboard.getLowestVisibleKey(), 48);
}

TEST_F (PanelKeyboard, CutsPressedFramesOneRowShorter)
{
    const auto white = KeyboardCustom::cutFrames (keyPicture (0), 41, 254);
    EXPECT_EQ (white.first.getBounds(), juce::Rectangle<int> (0, 0, 41, 254));
    EXPECT_EQ (white.second.getBounds(), juce::Rectangle<int> (0, 0, 41, 253));
    EXPECT_EQ (white.first.getPixelAt (20, 253).getARGB(), releasedColour (0));
    EXPECT_EQ (white.second.getPixelAt (20, 0).getARGB(), pressedColour (0));
    EXPECT_EQ (white.second.getPixelAt (20, 252).getARGB(), bottomColour);

    const auto black = KeyboardCustom::cutFrames (keyPicture (1), 27, 157);
    EXPECT_EQ (black.first.getBounds(), juce::Rectangle<int> (0, 0, 27, 157));
    EXPECT_EQ (black.second.getBounds(), juce::Rectangle<int> (0, 0, 27, 156));
    EXPECT_EQ (black.second.getPixelAt (13, 0).getARGB(), pressedColour (1));
}

TEST_F (PanelKeyboard, TwentyNineWhiteKeysFillTheWidthWithTheTopKeyFromItsOwnPicture)
{
    useTestPictures();
    const auto image = uitest::render (keyboard);
    const auto notes = whiteNotes();
    ASSERT_EQ (notes.size(), 29u);

    for (int i = 0; i < 29; ++i)
    {
        const int picture = i == 28 ? 12 : notes[(size_t) i] % 12;
        // Bottom row, below the black keys: both edge columns of the key.
        EXPECT_EQ (at (image, 41 * i, 253), releasedColour (picture)) << "key " << i;
        EXPECT_EQ (at (image, 41 * i + 40, 253), releasedColour (picture)) << "key " << i;
        EXPECT_EQ (at (image, 41 * i + 20, 0), releasedColour (picture)) << "key " << i;
    }

    EXPECT_EQ (at (image, 1188, 0), releasedColour (12));
}

TEST_F (PanelKeyboard, BlackKeysLieOnTopAtTheirOffsets)
{
    useTestPictures();
    const auto image = uitest::render (keyboard);
    const int semitones[] = { 1, 3, 6, 8, 10 };
    const int leftEdges[] = { 23, 75, 146, 192, 238 };
    int blackKeys = 0;

    for (int octave = 0; octave < 4; ++octave)
        for (int k = 0; k < 5; ++k)
        {
            const int x = 287 * octave + leftEdges[k];
            const auto colour = releasedColour (semitones[k]);
            EXPECT_EQ (at (image, x, 0), colour) << x;
            EXPECT_EQ (at (image, x + 26, 156), colour) << x;
            EXPECT_NE (at (image, x - 1, 10), colour) << x;
            EXPECT_NE (at (image, x + 27, 10), colour) << x;
            EXPECT_NE (at (image, x, 157), colour) << x;  // 157 rows tall, white key below
            ++blackKeys;
        }

    EXPECT_EQ (blackKeys, 20);
}

TEST_F (PanelKeyboard, HeldNotesShowTheirPressedFramesOnAnyChannel)
{
    useTestPictures();

    for (int channel : { 1, 7, 16 })
    {
        state.noteOn (channel, 60, 1.0f);  // C, keyboard x 287 to 327
        state.noteOn (channel, 61, 1.0f);  // C#, x 310 to 336
        const auto image = uitest::render (keyboard);

        EXPECT_EQ (at (image, 290, 0), pressedColour (0)) << channel;
        EXPECT_EQ (at (image, 290, 126), pressedColour (0)) << channel;
        // The 253-row frame is stretched to the full 254 rows: its last row
        // lands on the key's last row, and the seam never shows.
        EXPECT_TRUE (sameColour (image.getPixelAt (290, 253), juce::Colour (bottomColour), 64))
            << image.getPixelAt (290, 253).toDisplayString (false);
        for (int y = 0; y < keyHeight; ++y)
            ASSERT_NE (at (image, 295, y), seamColour) << y;

        // The pressed black frame is drawn at its own 156 rows.
        EXPECT_EQ (at (image, 323, 155), pressedColour (1)) << channel;
        EXPECT_EQ (at (image, 323, 156), pressedColour (0)) << channel;

        // The neighbours stay up.
        EXPECT_EQ (at (image, 330, 253), releasedColour (2));
        EXPECT_EQ (at (image, 280, 253), releasedColour (11));

        state.allNotesOff (channel);
    }
}

TEST_F (PanelKeyboard, TimerRedrawsAfterANoteChange)
{
    useTestPictures();
    state.noteOn (5, 60, 1.0f);
    EXPECT_TRUE (keyboard.shouldCheckState);
    EXPECT_FALSE (keyboard.keysDrawnDown[60]);

    uitest::runMessageLoop (150);  // the framework keyboard's timer runs at 20 Hz
    EXPECT_FALSE (keyboard.shouldCheckState);
    EXPECT_TRUE (keyboard.keysDrawnDown[60]);
    EXPECT_EQ (keyboard.keysDrawnDown.count(), 1u);
    EXPECT_EQ (at (uitest::render (keyboard), 290, 200), pressedColour (0));

    state.noteOff (5, 60, 0.0f);
    EXPECT_TRUE (keyboard.shouldCheckState);
    uitest::runMessageLoop (150);
    EXPECT_FALSE (keyboard.keysDrawnDown[60]);
    EXPECT_EQ (at (uitest::render (keyboard), 290, 200), releasedColour (0));
}

TEST_F (PanelKeyboard, NotesOutsideTheRangeChangeNothingOnScreen)
{
    useTestPictures();
    keyboard.setBounds (0, 0, 1189 + 82, keyHeight);  // room to the right of the top key
    const auto before = uitest::render (keyboard);

    for (int note : { 40, 47, 97, 120 })
        state.noteOn (1, note, 1.0f);

    EXPECT_TRUE (keyboard.shouldCheckState);
    uitest::runMessageLoop (150);
    EXPECT_FALSE (keyboard.shouldCheckState);
    EXPECT_TRUE (keyboard.keysDrawnDown.none());

    const auto after = uitest::render (keyboard);
    const auto background = keyboard.findColour (juce::MidiKeyboardComponent::blackNoteColourId).getARGB();

    for (int y = 0; y < keyHeight; y += 11)
    {
        for (int x = 0; x < after.getWidth(); ++x)
            ASSERT_EQ (at (after, x, y), at (before, x, y)) << x << ", " << y;

        for (int x = 1189; x < after.getWidth(); ++x)
            ASSERT_EQ (at (after, x, y), background) << x << ", " << y;
    }
}

TEST_F (PanelKeyboard, MouseWheelGoesToTheParentAndTheKeyboardStays)
{
    ParentRecordingWheel panel;
    panel.setBounds (0, 0, 1340, 700);
    keyboard.setTopLeftPosition (77, 431);
    panel.addAndMakeVisible (keyboard);

    juce::MouseWheelDetails wheel {};
    wheel.deltaY = -0.5f;
    keyboard.mouseWheelMove (uitest::mouseEvent (keyboard, { 100.0f, 50.0f }, {}), wheel);

    EXPECT_EQ (panel.wheelMoves, 1);
    EXPECT_EQ (panel.position, juce::Point<float> (100.0f, 50.0f));
    EXPECT_EQ (panel.deltaY, -0.5f);
    EXPECT_EQ (keyboard.getLowestVisibleKey(), 48);
    panel.removeChildComponent (&keyboard);

    // Without a parent the wheel is simply dropped.
    keyboard.mouseWheelMove (uitest::mouseEvent (keyboard, { 100.0f, 50.0f }, {}), wheel);
    EXPECT_EQ (keyboard.getLowestVisibleKey(), 48);
}

// The framework finds the key under the mouse from its key rectangles: they
// must be where the pictures are drawn, black keys included.
TEST_F (PanelKeyboard, KeyRectanglesAreWhereThePicturesAre)
{
    const auto notes = whiteNotes();

    for (size_t i = 0; i < notes.size(); ++i)
        EXPECT_EQ (keyboard.getRectangleForKey (notes[i]),
                   juce::Rectangle<float> (41.0f * (float) i, 0.0f, 41.0f, 254.0f)) << notes[i];

    const int semitones[] = { 1, 3, 6, 8, 10 };
    const float leftEdges[] = { 23, 75, 146, 192, 238 };

    for (int octave = 0; octave < 4; ++octave)
        for (int k = 0; k < 5; ++k)
        {
            const int note = 48 + 12 * octave + semitones[k];
            const auto r = keyboard.getRectangleForKey (note);
            EXPECT_FLOAT_EQ (r.getX(), 287.0f * (float) octave + leftEdges[k]) << note;
            EXPECT_FLOAT_EQ (r.getWidth(), 27.0f) << note;
            EXPECT_NEAR (r.getHeight(), 157.0f, 1e-3f) << note;
            EXPECT_EQ (r.getY(), 0.0f);
        }
}

// The key pictures come from the embedded resources, cut as the keyboard
// draws them.
TEST_F (PanelKeyboard, KeyPicturesAreCutFromTheEmbeddedPictures)
{
    struct Source { int picture; const char* data; int size; bool black; };
    const Source sources[] = {
        { 0, BinaryData::key_C_png, BinaryData::key_C_pngSize, false },
        { 1, BinaryData::key_Cs_png, BinaryData::key_Cs_pngSize, true },
        { 2, BinaryData::key_D_png, BinaryData::key_D_pngSize, false },
        { 3, BinaryData::key_Ds_png, BinaryData::key_Ds_pngSize, true },
        { 4, BinaryData::key_E_png, BinaryData::key_E_pngSize, false },
        { 5, BinaryData::key_F_png, BinaryData::key_F_pngSize, false },
        { 6, BinaryData::key_Fs_png, BinaryData::key_Fs_pngSize, true },
        { 7, BinaryData::key_G_png, BinaryData::key_G_pngSize, false },
        { 8, BinaryData::key_Gs_png, BinaryData::key_Gs_pngSize, true },
        { 9, BinaryData::key_A_png, BinaryData::key_A_pngSize, false },
        { 10, BinaryData::key_As_png, BinaryData::key_As_pngSize, true },
        { 11, BinaryData::key_B_png, BinaryData::key_B_pngSize, false },
        { 12, BinaryData::key_C_last_png, BinaryData::key_C_last_pngSize, false },
    };

    for (const auto& s : sources)
    {
        const auto picture = juce::ImageFileFormat::loadFrom (s.data, (size_t) s.size);
        ASSERT_TRUE (picture.isValid()) << s.picture;
        const int width = s.black ? 27 : 41;
        const int frame = s.black ? 157 : 254;
        const auto& pair = keyboard.keyPictures[(size_t) s.picture];

        ASSERT_EQ (pair.first.getBounds(), juce::Rectangle<int> (0, 0, width, frame)) << s.picture;
        ASSERT_EQ (pair.second.getBounds(), juce::Rectangle<int> (0, 0, width, frame - 1)) << s.picture;

        for (int y = 0; y < frame - 1; y += 3)
            for (int x = 0; x < width; x += 2)
            {
                ASSERT_EQ (pair.first.getPixelAt (x, y).getARGB(), picture.getPixelAt (x, y).getARGB())
                    << s.picture << " released " << x << ", " << y;
                ASSERT_EQ (pair.second.getPixelAt (x, y).getARGB(), picture.getPixelAt (x, frame + 1 + y).getARGB())
                    << s.picture << " pressed " << x << ", " << y;
            }
    }

    // The white-key list is C D E F G A B, released frames first.
    EXPECT_EQ (keyboard.whiteKeyImages[0].getPixelAt (20, 100), keyboard.keyPictures[0].first.getPixelAt (20, 100));
    EXPECT_EQ (keyboard.whiteKeyImages[13].getPixelAt (20, 100), keyboard.keyPictures[11].second.getPixelAt (20, 100));
    EXPECT_EQ (keyboard.blackKeyImages[9].getPixelAt (13, 100), keyboard.keyPictures[10].second.getPixelAt (13, 100));
}
