#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <functional>

#include "MidiSchedule.h"

class VorsanTembrolinAudioProcessor;

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
    double maxSeconds = 3600.0;    // a longer render is refused before it starts
    bool floatingPoint = false;    // 32-bit float instead of 16-bit integer samples
};

class MidiRenderer
{
public:
    explicit MidiRenderer (RenderSettings settings);

    // Called now and then with the fraction done, 0 to 1.
    std::function<void (double)> onProgress;
    // Asked after every block; returning true stops the render, which then
    // fails without leaving any file behind.
    std::function<bool()> shouldStop;

    // Renders; on failure returns false and sets `error` to a one-line reason.
    bool render (juce::String& error);

    // After a successful render.
    juce::int64 getRenderedSamples() const { return renderedSamples; }

    // Receives each rendered block and its length; returns false when it
    // cannot take it.
    using BlockSink = std::function<bool (const juce::AudioBuffer<float>&, int)>;

    // Plays `schedule` through `processor` (already prepared for the rate) in
    // blocks of `blockSize`. Returns false when the sink refuses a block or
    // shouldStop asks to stop.
    bool play (const MidiSchedule& schedule, VorsanTembrolinAudioProcessor& processor, int blockSize,
               const BlockSink& sink);

private:
    bool readMidi (MidiSchedule& schedule, juce::String& error) const;
    bool readState (juce::MemoryBlock& state, juce::String& error) const;

    RenderSettings settings;
    juce::int64 renderedSamples = 0;
};
