#pragma once

#include <juce_audio_utils/juce_audio_utils.h>

#include <array>
#include <bitset>
#include <cstdint>
#include <utility>

// The on-screen keyboard: the framework's keyboard component with every key
// drawn from a photograph. Each key picture is a strip of two frames, the key
// at rest above the key pressed. Playing with the mouse is the framework
// component's own behaviour; only the drawing, the redraw check and the
// mouse wheel are replaced.
//
// Note callbacks only mark the keyboard for checking; the framework's 20 Hz
// timer then compares the keyboard state with what was last drawn, so a key
// change shows within one timer period.
class KeyboardCustom : public juce::MidiKeyboardComponent
{
public:
    // Released and pressed frame of one key picture.
    using KeyPicture = std::pair<juce::Image, juce::Image>;

    // keyPictures holds one entry per semitone and, after them, the top key's.
    static constexpr int highestKeyPicture = 12;

    static constexpr int whiteKeyPictureHeight = 254;
    static constexpr int blackKeyPictureHeight = 157;

    KeyboardCustom (juce::MidiKeyboardState& state, Orientation keyboardOrientation);

    // Loads and cuts the key pictures and tells the framework the black keys'
    // size, which it uses to find the key under the mouse.
    void setKeys();

    // The drawing assumes that low is a C.
    void setKeyRange (int low, int high);

    void paint (juce::Graphics& g) override;
    void timerCallback() override;
    void handleNoteOn (juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber, float velocity) override;
    void handleNoteOff (juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber, float velocity) override;

    // Puts the black keys where their pictures are drawn, so that the key
    // the framework finds under the mouse is the key the player sees there.
    juce::Range<float> getKeyPosition (int midiNoteNumber, float targetKeyWidth) const override;

    // The keyboard never scrolls: the wheel belongs to the panel behind it.
    void mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;

    // Where paint puts the black key's picture, in component pixels.
    int getBlackKeyX (int midiNoteNumber) const;

    // The picture pair paint uses for a key.
    const KeyPicture& pictureFor (int midiNoteNumber) const;

    bool isKeyOn (int midiNoteNumber) const;

    // Cuts a two-frame key picture into its released and pressed frames. The
    // pressed frame starts one row below the released one; clipping to the
    // picture leaves it a row shorter.
    static KeyPicture cutFrames (const juce::Image& picture, int width, int height);

    juce::MidiKeyboardState& state;
    juce::Array<juce::Image> whiteKeyImages;
    juce::Array<juce::Image> blackKeyImages;
    std::array<KeyPicture, 13> keyPictures;
    std::bitset<128> keysDrawnDown;
    std::array<float, 12> keyOffsets {};
    int octaveWidth = 287;
    float blackKeyWidth = 27.0f;
    int rangeStart = 36;
    int rangeEnd = 84;
    int midiInChannelMask = 0xFFFF;
    std::array<std::uint8_t, 7> whiteSemitones { { 0, 2, 4, 5, 7, 9, 11 } };
    std::array<std::uint8_t, 5> blackSemitones { { 1, 3, 6, 8, 10 } };
    bool shouldCheckState = false;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KeyboardCustom)
};
