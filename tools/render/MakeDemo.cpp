// vorsan-mkdemo FOLDER: writes the demo shipped with the renderer:
//   demo.mid    a short chord progression with a moving top voice
//   demo.state  a sound with brass, both string footages and pitch
//               modulation, in the format of "Save current state..."
// MIDI controllers do not change the sound, so the sections beyond the
// default strings come from the saved state.
#include "core/PluginProcessor.h"

#include <juce_events/juce_events.h>

#include <cstdio>

namespace
{
    constexpr int ticksPerQuarter = 480;
    constexpr int bar = 4 * ticksPerQuarter;

    void addNote (juce::MidiMessageSequence& track, int note, int startTick, int lengthTicks, int velocity = 100)
    {
        track.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) velocity), startTick);
        track.addEvent (juce::MidiMessage::noteOff (1, note), startTick + lengthTicks);
    }

    juce::MidiFile makeDemoMidi()
    {
        juce::MidiMessageSequence track;
        track.addEvent (juce::MidiMessage::textMetaEvent (3, "VorsanTembrolin demo"), 0);
        track.addEvent (juce::MidiMessage::tempoMetaEvent (600000), 0);   // 100 beats per minute
        track.addEvent (juce::MidiMessage::timeSignatureMetaEvent (4, 4), 0);

        // C - Am7 - Fmaj7 - G - C: the first two chords detached (each starts
        // a phrase: the brass contour and the modulation fade-in restart),
        // then legato, then a last chord held into the release.
        struct Chord { int notes[4]; int bars; bool detached; };
        const Chord chords[] = {
            { { 48, 60, 64, 67 }, 1, true },
            { { 57, 60, 64, 67 }, 1, true },
            { { 53, 60, 65, 69 }, 1, false },
            { { 55, 62, 67, 71 }, 1, false },
            { { 48, 60, 64, 72 }, 2, false },
        };
        int tick = 0;
        for (const auto& chord : chords)
        {
            const int length = chord.bars * bar - (chord.detached ? ticksPerQuarter / 2 : 0);
            for (int note : chord.notes)
                addNote (track, note, tick, length);
            tick += chord.bars * bar;
        }

        // A top voice over the legato bars, in the upper octave of the keyboard.
        const int melody[] = { 81, 79, 77, 76, 74, 77, 79, 83 };
        for (int i = 0; i < 8; ++i)
            addNote (track, melody[i], 2 * bar + i * ticksPerQuarter, ticksPerQuarter - 40, 90);

        track.addEvent (juce::MidiMessage::endOfTrack(), tick);
        track.updateMatchedPairs();

        juce::MidiFile file;
        file.setTicksPerQuarterNote (ticksPerQuarter);
        file.addTrack (track);
        return file;
    }

    juce::MemoryBlock makeDemoState()
    {
        struct Setting { const char* id; int raw; };
        const Setting settings[] = {
            { "brs_tog", 1 }, { "brs_vol", 80 }, { "flt_atk", 40 }, { "flt_dcy", 70 }, { "flt_rng", 72 },
            { "flt_res", 40 }, { "sft_f16", 1 }, { "sft_f08", 1 }, { "sln_crs", 20 }, { "sln_vol", 70 },
            { "mod_dln", 50 }, { "mod_rat", 78 }, { "mod_dep", 80 }, { "mod_dst", 1 }, { "com_mst", 110 },
        };

        VorsanTembrolinAudioProcessor processor;
        for (const auto& s : settings)
            for (auto* parameter : processor.params)
                if (parameter->id == s.id)
                    parameter->setValueNotifyingHost (normalisedFromRaw (s.raw, parameter->maxValue));

        juce::MemoryBlock state;
        processor.getStateInformation (state);
        return state;
    }
}

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: vorsan-mkdemo FOLDER\n");
        return 1;
    }

    const juce::ScopedJuceInitialiser_GUI framework;
    const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);

    juce::MemoryOutputStream midi;
    if (! makeDemoMidi().writeTo (midi, 1)
        || ! folder.getChildFile ("demo.mid").replaceWithData (midi.getData(), midi.getDataSize()))
    {
        std::fprintf (stderr, "vorsan-mkdemo: cannot write demo.mid in %s\n", folder.getFullPathName().toRawUTF8());
        return 1;
    }

    const auto state = makeDemoState();
    if (! folder.getChildFile ("demo.state").replaceWithData (state.getData(), state.getSize()))
    {
        std::fprintf (stderr, "vorsan-mkdemo: cannot write demo.state in %s\n", folder.getFullPathName().toRawUTF8());
        return 1;
    }
    return 0;
}
