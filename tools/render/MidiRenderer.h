#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <functional>

// Plays a standard MIDI file through the instrument's processor exactly as a
// host does (prepareToPlay, then processBlock with every event at its sample
// position) and writes the result to a WAV file. The output file appears
// only when the whole render succeeded.
struct RenderSettings
{
    juce::File midiFile;
    juce::File outputFile;
    juce::File stateFile;          // optional: a state saved by the stand-alone application
    double sampleRate = 44100.0;
    int blockSize = 512;
    double tailSeconds = 2.0;      // rendered after the last event, for the release
    bool floatingPoint = false;    // 32-bit float instead of 16-bit integer samples
};

class MidiRenderer
{
public:
    explicit MidiRenderer (RenderSettings settings);

    // Called now and then with the fraction done, 0 to 1.
    std::function<void (double)> onProgress;

    // Renders; on failure returns false and sets `error` to a one-line reason.
    bool render (juce::String& error);

    // After a successful render.
    juce::int64 getRenderedSamples() const { return renderedSamples; }

private:
    bool readMidi (juce::MidiMessageSequence& events, juce::String& error) const;
    bool readState (juce::MemoryBlock& state, juce::String& error) const;

    RenderSettings settings;
    juce::int64 renderedSamples = 0;
};
