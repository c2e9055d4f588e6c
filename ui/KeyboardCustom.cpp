#include "ui/KeyboardCustom.h"

#include "BinaryData.h"

namespace
{
    struct KeyResource
    {
        const char* data;
        int size;
    };

    juce::Image loadPicture (const KeyResource& resource)
    {
        return juce::ImageCache::getFromMemory (resource.data, resource.size);
    }
}

KeyboardCustom::KeyPicture KeyboardCustom::cutFrames (const juce::Image& picture, int width, int height)
{
    return { picture.getClippedImage ({ 0, 0, width, height }),
             picture.getClippedImage ({ 0, height + 1, width, height }) };
}

KeyboardCustom::KeyboardCustom (juce::MidiKeyboardState& keyboardState, Orientation keyboardOrientation)
    : juce::MidiKeyboardComponent (keyboardState, keyboardOrientation),
      state (keyboardState)
{
    setWantsKeyboardFocus (false);
    setKeyWidth (41.0f);
    setKeyRange (36, 84);
    keyOffsets = { { 0.0f, 23.0f, 1.0f, 75.0f, 2.0f, 3.0f, 146.0f, 4.0f, 192.0f, 5.0f, 238.0f, 6.0f } };
    setKeys();
}

void KeyboardCustom::setKeys()
{
    const int whiteWidth = (int) getKeyWidth();
    const int blackWidth = (int) blackKeyWidth;

    // Read here rather than at start-up: the resource pointers belong to
    // another file's static initialisation.
    const KeyResource whiteKeyResources[] = {  // C D E F G A B
        { BinaryData::key_C_png, BinaryData::key_C_pngSize },
        { BinaryData::key_D_png, BinaryData::key_D_pngSize },
        { BinaryData::key_E_png, BinaryData::key_E_pngSize },
        { BinaryData::key_F_png, BinaryData::key_F_pngSize },
        { BinaryData::key_G_png, BinaryData::key_G_pngSize },
        { BinaryData::key_A_png, BinaryData::key_A_pngSize },
        { BinaryData::key_B_png, BinaryData::key_B_pngSize },
    };

    const KeyResource blackKeyResources[] = {  // C# D# F# G# A#
        { BinaryData::key_Cs_png, BinaryData::key_Cs_pngSize },
        { BinaryData::key_Ds_png, BinaryData::key_Ds_pngSize },
        { BinaryData::key_Fs_png, BinaryData::key_Fs_pngSize },
        { BinaryData::key_Gs_png, BinaryData::key_Gs_pngSize },
        { BinaryData::key_As_png, BinaryData::key_As_pngSize },
    };

    const KeyResource highestKeyResource { BinaryData::key_C_last_png, BinaryData::key_C_last_pngSize };

    KeyPicture white[7];
    KeyPicture black[5];

    for (int i = 0; i < 7; ++i)
        white[i] = cutFrames (loadPicture (whiteKeyResources[i]), whiteWidth, whiteKeyPictureHeight);

    for (int i = 0; i < 5; ++i)
        black[i] = cutFrames (loadPicture (blackKeyResources[i]), blackWidth, blackKeyPictureHeight);

    whiteKeyImages.clearQuick();
    blackKeyImages.clearQuick();

    for (auto& key : white) whiteKeyImages.add (key.first);
    for (auto& key : white) whiteKeyImages.add (key.second);
    for (auto& key : black) blackKeyImages.add (key.first);
    for (auto& key : black) blackKeyImages.add (key.second);

    for (int i = 0; i < 7; ++i)
        keyPictures[whiteSemitones[(size_t) i]] = white[i];

    for (int i = 0; i < 5; ++i)
        keyPictures[blackSemitones[(size_t) i]] = black[i];

    keyPictures[highestKeyPicture] = cutFrames (loadPicture (highestKeyResource),
                                                whiteWidth, whiteKeyPictureHeight);

    setBlackNoteWidthProportion ((float) blackWidth / (float) whiteWidth);
    setBlackNoteLengthProportion ((float) blackKeyPictureHeight / (float) whiteKeyPictureHeight);
}

void KeyboardCustom::setKeyRange (int low, int high)
{
    // Kept to MIDI notes so that the per-note bit set and the framework's
    // range always agree.
    rangeStart = juce::jlimit (0, 127, low);
    rangeEnd = juce::jlimit (rangeStart, 127, high);
    setAvailableRange (rangeStart, rangeEnd);
}

bool KeyboardCustom::isKeyOn (int midiNoteNumber) const
{
    return state.isNoteOnForChannels (midiInChannelMask, midiNoteNumber);
}

const KeyboardCustom::KeyPicture& KeyboardCustom::pictureFor (int midiNoteNumber) const
{
    if (midiNoteNumber == rangeEnd)
        return keyPictures[highestKeyPicture];

    return keyPictures[(size_t) (midiNoteNumber % 12)];
}

int KeyboardCustom::getBlackKeyX (int midiNoteNumber) const
{
    const float x = (float) (octaveWidth * ((midiNoteNumber - rangeStart) / 12))
                  + keyOffsets[(size_t) (midiNoteNumber % 12)]
                  - (float) (octaveWidth * ((getLowestVisibleKey() - rangeStart) / 12));
    return (int) x;
}

juce::Range<float> KeyboardCustom::getKeyPosition (int midiNoteNumber, float targetKeyWidth) const
{
    const auto semitone = (size_t) (midiNoteNumber % 12);

    // The framework's own black-key places are up to four pixels away from
    // the pictures' (D# most); white keys are the framework's.
    if (! juce::MidiMessage::isMidiNoteBlack (midiNoteNumber))
        return juce::MidiKeyboardComponent::getKeyPosition (midiNoteNumber, targetKeyWidth);

    // The offsets are in pixels of a 41-pixel key.
    const float scale = targetKeyWidth / 41.0f;
    const float start = (float) (midiNoteNumber / 12) * 7.0f * targetKeyWidth + keyOffsets[semitone] * scale;
    return { start, start + blackKeyWidth * scale };
}

void KeyboardCustom::paint (juce::Graphics& g)
{
    g.fillAll (findColour (juce::MidiKeyboardComponent::blackNoteColourId));

    for (int note = rangeStart; note <= rangeEnd; ++note)
    {
        if (juce::MidiMessage::isMidiNoteBlack (note))
            continue;

        const auto& picture = pictureFor (note);
        // The pressed frame is a row shorter and is stretched to the key.
        g.drawImage (isKeyOn (note) ? picture.second : picture.first,
                     getRectangleForKey (note));
    }

    // Black keys after all white keys, so that they lie on top.
    for (int note = rangeStart; note <= rangeEnd; ++note)
    {
        if (! juce::MidiMessage::isMidiNoteBlack (note))
            continue;

        const auto& picture = pictureFor (note);
        g.drawImageAt (isKeyOn (note) ? picture.second : picture.first,
                       getBlackKeyX (note), 0);
    }
}

void KeyboardCustom::timerCallback()
{
    if (! shouldCheckState)
        return;

    shouldCheckState = false;

    for (int note = rangeStart; note <= rangeEnd; ++note)
    {
        const bool isOn = isKeyOn (note);

        if (keysDrawnDown[(size_t) note] != isOn)
        {
            keysDrawnDown[(size_t) note] = isOn;
            repaint();
        }
    }
}

void KeyboardCustom::handleNoteOn (juce::MidiKeyboardState*, int, int, float)
{
    shouldCheckState = true;
}

void KeyboardCustom::handleNoteOff (juce::MidiKeyboardState*, int, int, float)
{
    shouldCheckState = true;
}

void KeyboardCustom::mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel)
{
    if (auto* parent = getParentComponent())
        parent->mouseWheelMove (event, wheel);
}
