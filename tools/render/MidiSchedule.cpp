#include "MidiSchedule.h"

#include <algorithm>
#include <cmath>

namespace
{
    struct TimedMessage
    {
        double time;   // ticks, then seconds
        juce::MidiMessage message;
    };

    using Track = std::vector<TimedMessage>;

    // A note-on for a key that is already down on its channel gets a note-off
    // just before it, as the framework's matched pairs do, so that the
    // instrument, which counts held keys, is not left with a key held.
    // One pass through the track instead of a search per note.
    Track withRepeatedNotesReleased (const juce::MidiMessageSequence& sequence)
    {
        Track track;
        track.reserve ((size_t) sequence.getNumEvents());
        bool down[16][256] = {};   // channel, note byte (a file may hold any byte there)

        for (const auto* holder : sequence)
        {
            const auto& message = holder->message;
            if (message.isNoteOn())
            {
                auto& key = down[message.getChannel() - 1][message.getNoteNumber()];
                if (key)
                    track.push_back ({ message.getTimeStamp(),
                                       juce::MidiMessage::noteOff (message.getChannel(), message.getNoteNumber()) });
                key = true;
            }
            else if (message.isNoteOff())
            {
                down[message.getChannel() - 1][message.getNoteNumber()] = false;
            }
            track.push_back ({ message.getTimeStamp(), message });
        }
        return track;
    }

    // Ticks to seconds through the tempo changes of every track. Tempo and
    // time-signature events are the points where the time per tick may
    // change, in the order and with the arithmetic of the framework's own
    // conversion, so a file gives the same seconds as before to the bit; a
    // position is found by binary search instead of a walk from the start.
    class TempoMap
    {
    public:
        TempoMap (const std::vector<Track>& tracks, short timeFormat) : timeFormat (timeFormat)
        {
            std::vector<std::pair<double, double>> marks;   // tick, seconds per quarter or -1
            for (int type : { tempoEvent, timeSignatureEvent })
                for (const auto& track : tracks)
                    for (const auto& event : track)
                        if (event.message.getMetaEventType() == type)
                            marks.emplace_back (event.time, type == tempoEvent ? secondsPerQuarter (event.message) : -1.0);

            std::stable_sort (marks.begin(), marks.end(),
                              [] (const auto& a, const auto& b) { return a.first < b.first; });

            double lastTime = 0.0, correctedTime = 0.0, secsPerTick = 0.5 * tickLength();
            for (size_t i = 0; i < marks.size();)
            {
                const double markTime = marks[i].first;
                correctedTime += (markTime - lastTime) * secsPerTick;
                lastTime = markTime;
                for (; i < marks.size() && marks[i].first == markTime; ++i)
                    if (marks[i].second >= 0.0)
                        secsPerTick = tickLength() * marks[i].second;
                segments.push_back ({ markTime, correctedTime, secsPerTick });
            }
        }

        double seconds (double ticks) const
        {
            if (timeFormat < 0)   // frames per second times ticks per frame
                return ticks / (-(timeFormat >> 8) * (timeFormat & 0xff));

            // The last segment that starts before `ticks`.
            const auto next = std::lower_bound (segments.begin(), segments.end(), ticks,
                                                [] (const Segment& s, double t) { return s.startTick < t; });
            if (next == segments.begin())
                return ticks * (0.5 * tickLength());
            const auto& segment = *(next - 1);
            return segment.startSeconds + (ticks - segment.startTick) * segment.secondsPerTick;
        }

    private:
        static constexpr int tempoEvent = 0x51, timeSignatureEvent = 0x58;

        struct Segment { double startTick, startSeconds, secondsPerTick; };

        double tickLength() const { return 1.0 / (timeFormat & 0x7fff); }

        // A tempo event too short to hold its three bytes leaves the tempo as it was.
        static double secondsPerQuarter (const juce::MidiMessage& message)
        {
            if (message.getMetaEventLength() < 3)
                return -1.0;
            const auto* d = message.getMetaEventData();
            return (((unsigned int) d[0] << 16) | ((unsigned int) d[1] << 8) | d[2]) / 1000000.0;
        }

        short timeFormat;
        std::vector<Segment> segments;
    };

    // Hours, minutes and seconds, or minutes and seconds, in whole seconds
    // rounded up or down.
    juce::String describeLength (double seconds, bool roundUp)
    {
        if (! (seconds < 1.0e12))   // beyond any file's reach, but never an undefined conversion
            return "forever";
        const auto whole = (juce::int64) (roundUp ? std::ceil (seconds) : std::floor (seconds));
        const auto hours = whole / 3600, minutes = whole / 60 % 60, rest = whole % 60;
        return hours > 0 ? juce::String::formatted ("%lld:%02lld:%02lld", hours, minutes, rest)
                         : juce::String::formatted ("%lld:%02lld", minutes, rest);
    }
}

bool MidiSchedule::read (juce::InputStream& stream, const Timing& timing, juce::String& error)
{
    events.clear();
    totalSamples = 0;
    lengthSeconds = 0.0;

    juce::MemoryBlock bytes;
    if (stream.getTotalLength() > maxFileBytes
        || (size_t) stream.readIntoMemoryBlock (bytes, maxFileBytes + 1) > (size_t) maxFileBytes)
    {
        error = "is larger than a MIDI file can be here (16 MiB)";
        return false;
    }

    // Without the framework's matched pairs (see withRepeatedNotesReleased).
    // A time format of zero ticks per quarter note or zero ticks per frame
    // cannot be played.
    juce::MidiFile midi;
    juce::MemoryInputStream input (bytes, false);
    if (! midi.readFrom (input, false) || midi.getTimeFormat() == 0
        || (midi.getTimeFormat() < 0 && (midi.getTimeFormat() & 0xff) == 0))
    {
        error = "is not a standard MIDI file";
        return false;
    }

    std::vector<Track> tracks;
    for (int i = 0; i < midi.getNumTracks(); ++i)
        tracks.push_back (withRepeatedNotesReleased (*midi.getTrack (i)));

    // Every track in seconds, then all of them in one list: events at the
    // same time keep the order of their tracks.
    const TempoMap tempo (tracks, midi.getTimeFormat());
    std::vector<TimedMessage> all;
    double endTime = 0.0;
    for (auto& track : tracks)
        for (auto& event : track)
        {
            event.time = tempo.seconds (event.time);
            endTime = std::max (endTime, event.time);
            all.push_back (std::move (event));
        }
    std::stable_sort (all.begin(), all.end(), [] (const auto& a, const auto& b) { return a.time < b.time; });

    lengthSeconds = endTime + timing.tailSeconds;
    if (! (lengthSeconds <= timing.maxSeconds))
    {
        error = "lasts " + describeLength (lengthSeconds, true) + ", longer than the limit of "
                + describeLength (timing.maxSeconds, false) + " (--max-length raises it)";
        return false;
    }

    totalSamples = (juce::int64) std::ceil (lengthSeconds * timing.sampleRate);
    for (auto& event : all)
        if (! event.message.isMetaEvent())
            events.push_back ({ (juce::int64) std::floor (event.time * timing.sampleRate), std::move (event.message) });
    return true;
}
