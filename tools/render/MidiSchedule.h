#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

// A standard MIDI file turned into what the renderer plays: every event that
// is not a meta event, at the output sample where it falls, in playing
// order, and the length of the whole render.
//
// Reading takes time in proportion to the file's size, whatever it holds
// (the framework's own conversions take time in proportion to the square of
// the number of events for some files), and refuses a render longer than a
// given limit before any sound is made.
class MidiSchedule
{
public:
    struct Event
    {
        juce::int64 position;   // output sample
        juce::MidiMessage message;
    };

    struct Timing
    {
        double sampleRate = 44100.0;
        double tailSeconds = 2.0;    // rendered after the last event
        double maxSeconds = 3600.0;  // longest render accepted, tail included
    };

    // Larger files are refused without being read: the biggest MIDI files in
    // ordinary use are well under a megabyte.
    static constexpr juce::int64 maxFileBytes = 16 * 1024 * 1024;

    // Reads a whole file from `stream`. On failure returns false and sets
    // `error` to a one-line reason that follows the file's name ("is not a
    // standard MIDI file").
    bool read (juce::InputStream& stream, const Timing& timing, juce::String& error);

    std::vector<Event> events;
    juce::int64 totalSamples = 0;
    double lengthSeconds = 0.0;   // of the render, tail included
};
