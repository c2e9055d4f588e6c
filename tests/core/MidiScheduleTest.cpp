#include <gtest/gtest.h>

#include "tools/render/MidiSchedule.h"

#include <chrono>
#include <cmath>

namespace
{
    juce::MemoryBlock bytesOf (const juce::MidiFile& file)
    {
        juce::MemoryBlock block;
        juce::MemoryOutputStream out (block, false);
        EXPECT_TRUE (file.writeTo (out));
        out.flush();
        return block;
    }

    bool readSchedule (const juce::MemoryBlock& bytes, const MidiSchedule::Timing& timing,
                       MidiSchedule& schedule, juce::String& error)
    {
        juce::MemoryInputStream stream (bytes, false);
        return schedule.read (stream, timing, error);
    }

    // What the renderer played before it read files itself: the framework's
    // reader with matched note-offs, its conversion to seconds and one
    // sequence of all tracks.
    std::vector<MidiSchedule::Event> frameworkSchedule (const juce::MemoryBlock& bytes, double rate)
    {
        juce::MidiFile file;
        juce::MemoryInputStream stream (bytes, false);
        EXPECT_TRUE (file.readFrom (stream));
        file.convertTimestampTicksToSeconds();
        juce::MidiMessageSequence all;
        for (int i = 0; i < file.getNumTracks(); ++i)
            all.addSequence (*file.getTrack (i), 0.0);

        std::vector<MidiSchedule::Event> events;
        for (const auto* holder : all)
            if (! holder->message.isMetaEvent())
                events.push_back ({ (juce::int64) std::floor (holder->message.getTimeStamp() * rate), holder->message });
        return events;
    }

    juce::MidiMessage tempo (int microsecondsPerQuarter, double tick)
    {
        auto message = juce::MidiMessage::tempoMetaEvent (microsecondsPerQuarter);
        message.setTimeStamp (tick);
        return message;
    }

    juce::MidiMessage at (juce::MidiMessage message, double tick)
    {
        message.setTimeStamp (tick);
        return message;
    }
}

TEST (MidiSchedule, PlaysFilesAsTheFrameworksReaderDid)
{
    // Tempo changes in two tracks (two at the same tick), a time signature,
    // a key struck again before its release, notes on two channels and a
    // controller, in ticks and in frames.
    juce::MidiMessageSequence tempoTrack, notes, more;
    tempoTrack.addEvent (at (juce::MidiMessage::timeSignatureMetaEvent (3, 4), 0));
    tempoTrack.addEvent (tempo (600000, 0));
    tempoTrack.addEvent (tempo (400000, 700));
    tempoTrack.addEvent (at (juce::MidiMessage::timeSignatureMetaEvent (4, 4), 1111));
    more.addEvent (tempo (250000, 700));
    more.addEvent (tempo (900000, 1500));
    for (int i = 0; i < 40; ++i)
    {
        notes.addEvent (at (juce::MidiMessage::noteOn (1 + i % 2, 48 + i % 5, (juce::uint8) 90), i * 61.0));
        if (i % 3 != 0)
            notes.addEvent (at (juce::MidiMessage::noteOff (1 + i % 2, 48 + i % 5), i * 61.0 + 45));
    }
    more.addEvent (at (juce::MidiMessage::controllerEvent (1, 7, 100), 333));
    more.addEvent (at (juce::MidiMessage::noteOn (3, 60, (juce::uint8) 1), 700));

    for (const int timeFormat : { 480, 96, (-25 << 8) | 40 })
    {
        SCOPED_TRACE (timeFormat);
        juce::MidiFile file;
        if (timeFormat > 0)
            file.setTicksPerQuarterNote (timeFormat);
        else
            file.setSmpteTimeFormat (25, 40);
        file.addTrack (tempoTrack);
        file.addTrack (notes);
        file.addTrack (more);
        const auto bytes = bytesOf (file);

        MidiSchedule schedule;
        juce::String error;
        ASSERT_TRUE (readSchedule (bytes, { 96000.0, 2.0, 3600.0 }, schedule, error)) << error;
        const auto expected = frameworkSchedule (bytes, 96000.0);

        ASSERT_EQ (schedule.events.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
        {
            SCOPED_TRACE (i);
            EXPECT_EQ (schedule.events[i].position, expected[i].position);
            const auto& message = schedule.events[i].message;
            EXPECT_EQ (juce::MemoryBlock (message.getRawData(), (size_t) message.getRawDataSize()),
                       juce::MemoryBlock (expected[i].message.getRawData(), (size_t) expected[i].message.getRawDataSize()))
                << message.getDescription() << " / " << expected[i].message.getDescription();
        }
        EXPECT_EQ (schedule.totalSamples, (juce::int64) std::ceil ((expected.back().message.getTimeStamp() + 2.0) * 96000.0));
    }
}

TEST (MidiSchedule, ReadsLargeFilesInTimeProportionalToTheirSize)
{
    // 60000 tempo changes and 120000 strikes of one key: the framework's own
    // conversion to seconds and matching of note-offs take minutes for this
    // file, one walk through it a fraction of a second.
    juce::MidiMessageSequence tempoTrack, notes;
    for (int i = 0; i < 60000; ++i)
        tempoTrack.addEvent (tempo (i % 2 == 0 ? 400000 : 500000, i * 2.0));
    for (int i = 0; i < 120000; ++i)
        notes.addEvent (at (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), (double) i));
    juce::MidiFile file;
    file.setTicksPerQuarterNote (960);
    file.addTrack (tempoTrack);
    file.addTrack (notes);
    const auto bytes = bytesOf (file);

    const auto start = std::chrono::steady_clock::now();
    MidiSchedule schedule;
    juce::String error;
    ASSERT_TRUE (readSchedule (bytes, {}, schedule, error)) << error;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

    EXPECT_LT (took.count(), 5.0);
    ASSERT_EQ (schedule.events.size(), 2u * 120000u - 1u);   // each strike but the first released first
    EXPECT_TRUE (schedule.events[1].message.isNoteOff());
    EXPECT_TRUE (schedule.events[2].message.isNoteOn());
}

TEST (MidiSchedule, RefusesWhatCannotBePlayed)
{
    // One note, then a delta time of 0x0FFFFFFF ticks at 480 ticks per
    // quarter note before its release: 37 bytes asking for 77 hours.
    const juce::uint8 hugeDelta[] = { 'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xe0,
                                      'M', 'T', 'r', 'k', 0, 0, 0, 15, 0x00, 0x90, 0x3c, 0x64,
                                      0xff, 0xff, 0xff, 0x7f, 0x80, 0x3c, 0x40, 0x00, 0xff, 0x2f, 0x00 };
    static_assert (sizeof (hugeDelta) == 37);
    juce::MemoryBlock zeroTicksPerFrame (hugeDelta, sizeof (hugeDelta));
    static_cast<juce::uint8*> (zeroTicksPerFrame.getData())[12] = 0xe7;   // -25 frames per second,
    static_cast<juce::uint8*> (zeroTicksPerFrame.getData())[13] = 0x00;   // 0 ticks per frame
    juce::MemoryBlock zeroTicksPerQuarter (hugeDelta, sizeof (hugeDelta));
    static_cast<juce::uint8*> (zeroTicksPerQuarter.getData())[12] = 0x00;
    static_cast<juce::uint8*> (zeroTicksPerQuarter.getData())[13] = 0x00;
    juce::MemoryBlock oversized ((size_t) MidiSchedule::maxFileBytes + 1, true);
    oversized.copyFrom (hugeDelta, 0, sizeof (hugeDelta));

    struct Case { const char* what; juce::MemoryBlock bytes; const char* expected; };
    const Case cases[] = {
        { "huge delta", { hugeDelta, sizeof (hugeDelta) }, "lasts 77:40:23, longer than the limit of 1:00:00 (--max-length raises it)" },
        { "no ticks per frame", zeroTicksPerFrame, "is not a standard MIDI file" },
        { "no ticks per quarter note", zeroTicksPerQuarter, "is not a standard MIDI file" },
        { "too large", oversized, "is larger than a MIDI file can be here (16 MiB)" },
        { "empty", {}, "is not a standard MIDI file" },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        MidiSchedule schedule;
        juce::String error;
        EXPECT_FALSE (readSchedule (c.bytes, {}, schedule, error));
        EXPECT_EQ (error, c.expected);
        EXPECT_TRUE (schedule.events.empty());
    }
}

TEST (MidiSchedule, TheLimitIncludesTheTail)
{
    // One second of notes and the default two-second tail last three seconds.
    juce::MidiMessageSequence notes;
    notes.addEvent (at (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0));
    notes.addEvent (at (juce::MidiMessage::noteOff (1, 60), 960));
    juce::MidiFile file;
    file.setTicksPerQuarterNote (480);
    file.addTrack (notes);
    const auto bytes = bytesOf (file);

    MidiSchedule schedule;
    juce::String error;
    EXPECT_TRUE (readSchedule (bytes, { 44100.0, 2.0, 3.0 }, schedule, error)) << error;
    EXPECT_EQ (schedule.totalSamples, 3 * 44100);
    EXPECT_FALSE (readSchedule (bytes, { 44100.0, 2.0, 2.9 }, schedule, error));
    EXPECT_EQ (error, "lasts 0:03, longer than the limit of 0:02 (--max-length raises it)");
}
