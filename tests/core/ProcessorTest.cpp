#include "CoreTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace
{
    juce::MidiMessage noteOn (int note, int velocity = 100, int channel = 1)
    {
        return juce::MidiMessage::noteOn (channel, note, (juce::uint8) velocity);
    }

    // Checks that the processor plays exactly what `reference` plays, for
    // `count` samples in blocks of 64, while both stay in step.
    void expectSameOutput (VorsanTembrolinAudioProcessor& processor, VorsanSynth& reference, int count)
    {
        for (int done = 0; done < count; done += 64)
        {
            const auto got = renderBlock (processor, 64);
            const auto want = renderEngine (reference, 64);
            ASSERT_EQ (got, want) << "block starting at " << done;
        }
    }

    // Audible: the engine's denormal guards leave tiny values even in silence.
    bool hasSound (const std::vector<float>& samples)
    {
        for (float s : samples)
            if (std::abs (s) > 1.0e-3f)
                return true;
        return false;
    }
}

TEST (Processor, AnswersTheFrameworksQuestions)
{
    VorsanTembrolinAudioProcessor processor;
    EXPECT_EQ (processor.getName(), "VorsanTembrolin");
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_TRUE (processor.acceptsMidi());
    EXPECT_TRUE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (processor.getNumPrograms(), 128);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    processor.setCurrentProgram (5);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (77), "VorsanTembrolin");
    EXPECT_FALSE (processor.busy.load());
    EXPECT_EQ (processor.engineSampleRate, 44100.0f);
    EXPECT_TRUE (processor.dataFolder.endsWith ("/Vorsan/VorsanTembrolin/"));
    EXPECT_TRUE (processor.systemQuery.startsWith ("&osnm="));
    for (auto key : { "&cpuv=", "&cpum=", "&cpun=", "&cpus=", "&mems=", "&lang=", "&locl=", "&sres=" })
        EXPECT_TRUE (processor.systemQuery.contains (key)) << key;
}

TEST (Processor, DataFolderIsInTheUsersApplicationDataFolder)
{
    const auto previous = juce::SystemStats::getEnvironmentVariable ("HOME", {});
    setenv ("HOME", "/tmp/vorsan-home", 1);
    VorsanTembrolinAudioProcessor processor;
    const auto expected = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getFullPathName()
                          + "/Vorsan/VorsanTembrolin/";
    setenv ("HOME", previous.toRawUTF8(), 1);
    EXPECT_EQ (processor.dataFolder, expected);
    EXPECT_TRUE (processor.dataFolder.startsWith ("/tmp/vorsan-home/")) << processor.dataFolder;
    EXPECT_FALSE (juce::File (processor.dataFolder).exists());   // not created here
}

TEST (Processor, SampleRatePolicyPicksTheEngineRateAndHold)
{
    struct Case { double rate; float engineRate; int hold; };
    const Case cases[] = {
        { 44100, 44100, 0 }, { 48000, 48000, 0 }, { 88200, 44100, 1 }, { 96000, 48000, 1 },
        { 176400, 44100, 3 }, { 192000, 48000, 3 }, { 352800, 44100, 7 }, { 384000, 48000, 7 },
        { 32000, 44100, -1 }, { 22050, 44100, -1 }, { 64000, 44100, 0 }, { 47999, 44100, 0 },
    };
    VorsanTembrolinAudioProcessor processor;
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.rate);
        processor.prepareToPlay (c.rate, 512);
        EXPECT_EQ (processor.engineSampleRate, c.engineRate);
        EXPECT_EQ (processor.synth->sampleRate, c.engineRate);
        EXPECT_EQ (processor.holdSamples.load(), c.hold);
        EXPECT_FALSE (processor.busy.load());
    }
}

TEST (Processor, SameEngineRateKeepsTheEngineAndSendsNothing)
{
    VorsanTembrolinAudioProcessor processor;
    // A marker that a re-send of row 19 (raw 127) would overwrite.
    processor.synth->lastValue[19] = 5;
    processor.prepareToPlay (44100, 512);
    EXPECT_EQ (processor.synth->lastValue[19], 5);
    processor.prepareToPlay (88200, 256);
    EXPECT_EQ (processor.synth->lastValue[19], 5);
}

TEST (Processor, RebuildForTheOtherFamilySendsAllValues)
{
    VorsanTembrolinAudioProcessor processor;
    processor.params[3]->setValueNotifyingHost (100.0f / 127.0f);
    processor.prepareToPlay (96000, 512);

    EXPECT_EQ (processor.synth->sampleRate, 48000.0f);
    EXPECT_EQ (processor.holdSamples.load(), 1);
    for (int row = 0; row < NumFxParams; ++row)
        EXPECT_EQ (processor.synth->lastValue[row], row == 3 ? 100 : FxParams[row].defaultValue) << row;
}

TEST (Processor, At96kEachEngineSampleIsHeldForTwoOutputSamples)
{
    VorsanTembrolinAudioProcessor processor;
    processor.prepareToPlay (96000, 512);
    auto reference = makeDefaultEngine (48000.0f);

    juce::MidiBuffer midi;
    midi.addEvent (noteOn (60), 0);
    midi.addEvent (noteOn (67), 3);
    reference->NoteOn (60, 100);
    reference->NoteOn (67, 100);

    renderBlock (processor, 4096, midi);   // 2048 engine samples, until it sounds
    renderEngine (*reference, 2048);

    // Blocks of 5: the engine runs at 0, 2 and 4, and each block starts afresh.
    std::vector<float> engineSamples;
    for (int block = 0; block < 3; ++block)
    {
        const auto out = renderBlock (processor, 5);
        const auto want = renderEngine (*reference, 3);
        EXPECT_EQ (out[0], want[0]);
        EXPECT_EQ (out[1], want[0]);
        EXPECT_EQ (out[2], want[1]);
        EXPECT_EQ (out[3], want[1]);
        EXPECT_EQ (out[4], want[2]);
        engineSamples.insert (engineSamples.end(), want.begin(), want.end());
    }
    // The comparison means something only if the sound moves.
    EXPECT_NE (engineSamples.front(), engineSamples.back());
    EXPECT_TRUE (hasSound (engineSamples));
}

TEST (Processor, RatesBelowTheEngineRateRenderEverySample)
{
    for (double rate : { 22050.0, 32000.0, 64000.0 })
    {
        SCOPED_TRACE (rate);
        VorsanTembrolinAudioProcessor processor;
        processor.prepareToPlay (rate, 512);
        auto reference = makeDefaultEngine (44100.0f);

        juce::MidiBuffer midi;
        midi.addEvent (noteOn (72), 10);
        reference->NoteOn (72, 100);
        const auto first = renderBlock (processor, 2500, midi);
        EXPECT_EQ (first, renderEngine (*reference, 2500));
        EXPECT_TRUE (hasSound (first));
    }
}

TEST (Processor, OnlyNotes48To96Play)
{
    struct Case { int note; bool plays; };
    for (const auto& c : { Case { 47, false }, Case { 97, false }, Case { 0, false }, Case { 127, false },
                           Case { 48, true }, Case { 96, true } })
    {
        SCOPED_TRACE (c.note);
        VorsanTembrolinAudioProcessor processor;
        auto reference = makeDefaultEngine (44100.0f);
        juce::MidiBuffer midi;
        midi.addEvent (noteOn (c.note), 0);
        if (c.plays)
            reference->NoteOn (c.note, 100);

        const auto out = renderBlock (processor, 2048, midi);
        EXPECT_EQ (out, renderEngine (*reference, 2048));
        EXPECT_EQ (hasSound (out), c.plays);
    }
}

TEST (Processor, NoteOffsAndVelocityZeroNoteOnsReleaseTheKey)
{
    for (const auto& release : { juce::MidiMessage::noteOff (1, 60, (juce::uint8) 64), noteOn (60, 0) })
    {
        SCOPED_TRACE (release.getDescription());
        VorsanTembrolinAudioProcessor processor;
        auto reference = makeDefaultEngine (44100.0f);

        juce::MidiBuffer midi;
        midi.addEvent (noteOn (60, 90, 16), 0);   // any channel plays
        reference->NoteOn (60, 90);
        renderBlock (processor, 1024, midi);
        renderEngine (*reference, 1024);

        midi.clear();
        midi.addEvent (release, 100);
        reference->NoteOff (60);
        const auto out = renderBlock (processor, 1024, midi);
        EXPECT_EQ (out, renderEngine (*reference, 1024));
    }
}

TEST (Processor, ControllersProgramChangesAndOtherMessagesAreIgnored)
{
    VorsanTembrolinAudioProcessor processor;
    auto reference = makeDefaultEngine (44100.0f);

    juce::MidiBuffer midi;
    midi.addEvent (noteOn (64), 0);
    reference->NoteOn (64, 100);
    const juce::uint8 sysex[] = { 0xf0, 0x7e, 0x7f, 0x09, 0x01, 0xf7 };
    for (const auto& message : { juce::MidiMessage::controllerEvent (1, 7, 0),
                                 juce::MidiMessage::controllerEvent (1, 1, 127),
                                 juce::MidiMessage::allNotesOff (1),
                                 juce::MidiMessage::programChange (1, 12),
                                 juce::MidiMessage::pitchWheel (1, 0),
                                 juce::MidiMessage::aftertouchChange (1, 64, 100),
                                 juce::MidiMessage::channelPressureChange (1, 90),
                                 juce::MidiMessage::midiClock(),
                                 juce::MidiMessage (sysex, (int) sizeof (sysex)) })
        midi.addEvent (message, 5);

    const auto out = renderBlock (processor, 2048, midi);
    EXPECT_TRUE (midi.isEmpty());   // nothing is passed on
    EXPECT_EQ (out, renderEngine (*reference, 2048));
    EXPECT_TRUE (hasSound (out));
    EXPECT_EQ (processor.params[19]->getValue(), 1.0f);
    EXPECT_EQ (processor.synth->lastValue[19], 127);

    // From the message thread too.
    processor.ProcessMidiMessage (juce::MidiMessage::controllerEvent (1, 7, 0));
    processor.ProcessMidiMessage (juce::MidiMessage::programChange (1, 3));
    EXPECT_EQ (renderBlock (processor, 512), renderEngine (*reference, 512));
}

TEST (Processor, OnScreenKeysPlayThroughProcessMidiMessage)
{
    VorsanTembrolinAudioProcessor processor;
    auto reference = makeDefaultEngine (44100.0f);

    processor.ProcessMidiMessage (juce::MidiMessage (0x90, 62, 127));
    reference->NoteOn (62, 127);
    expectSameOutput (processor, *reference, 4096);

    processor.ProcessMidiMessage (juce::MidiMessage (0x80, 62, 127));
    reference->NoteOff (62);
    expectSameOutput (processor, *reference, 4096);
}

TEST (Processor, SetParameterChecksTheRawRange)
{
    VorsanTembrolinAudioProcessor processor;
    processor.SetParameter (19, 100);
    EXPECT_EQ (processor.synth->lastValue[19], 100);
    processor.SetParameter (19, 128);
    EXPECT_EQ (processor.synth->lastValue[19], 100);
    processor.SetParameter (19, -1);
    EXPECT_EQ (processor.synth->lastValue[19], 100);
    processor.SetParameter (19, 127);
    EXPECT_EQ (processor.synth->lastValue[19], 127);
    processor.SetParameter (19, 0);
    EXPECT_EQ (processor.synth->lastValue[19], 0);
    // A switch passes any raw value 0..127 on; the engine treats it as on.
    processor.SetParameter (4, 5);
    EXPECT_EQ (processor.synth->lastValue[4], 5);
    // Rows that do not exist are dropped rather than written past the engine's table.
    processor.SetParameter (21, 5);
    processor.SetParameter (-1, 5);
    for (int row = 0; row < NumFxParams; ++row)
        EXPECT_NE (processor.synth->lastValue[row], -1);
}

TEST (Processor, ReadoutsShowPercentOrHertz)
{
    struct Case { int row; float value; const char* text; };
    const Case cases[] = {
        { 5, 64.0f / 127.0f, "50 %" },
        { 4, 1.0f, "100 %" },
        { 4, 0.0f, "0 %" },
        { 15, 1.0f, "100 %" },          // the rate shows a percentage, not hertz
        { 19, 127.0f / 127.0f, "100 %" },
        { 0, 0.999f, "99 %" },          // truncated
        { 20, 64.0f / 127.0f, "440 Hz" },
        { 20, 0.0f, "392 Hz" },
        { 20, 1.0f, "494 Hz" },
    };
    VorsanTembrolinAudioProcessor processor;
    EXPECT_EQ (processor.getParameterReadout (5), "50 %");
    EXPECT_EQ (processor.getParameterReadout (20), "440 Hz");
    for (const auto& c : cases)
    {
        processor.params[c.row]->setValueNotifyingHost (c.value);
        EXPECT_EQ (processor.getParameterReadout (c.row), c.text) << c.row << " " << c.value;
    }
    EXPECT_EQ (processor.getParameterReadout (21), "");
}

TEST (Processor, WhileBusyOutputIsSilentAndInputIsDroppedButShown)
{
    VorsanTembrolinAudioProcessor processor;
    auto reference = makeDefaultEngine (44100.0f);
    processor.busy = true;

    juce::MidiBuffer midi;
    midi.addEvent (noteOn (60), 7);
    juce::AudioBuffer<float> buffer (2, 256);
    for (int ch = 0; ch < 2; ++ch)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (ch), 0.5f, 256);
    processor.processBlock (buffer, midi);
    EXPECT_EQ (buffer.getMagnitude (0, 256), 0.0f);

    processor.SetParameter (19, 20);
    processor.params[5]->setValueNotifyingHost (0.0f);   // reaches the parameter only
    processor.ProcessMidiMessage (noteOn (64));
    EXPECT_EQ (processor.synth->lastValue[19], 127);
    EXPECT_EQ (processor.synth->lastValue[5], 64);
    EXPECT_EQ (processor.params[5]->getValue(), 0.0f);

    juce::MidiBuffer shown;
    processor.takeMidiDisplayEvents (shown);
    ASSERT_EQ (shown.getNumEvents(), 1);
    for (const auto event : shown)
    {
        EXPECT_EQ (event.samplePosition, 7);
        EXPECT_TRUE (event.getMessage().isNoteOn());
        EXPECT_EQ (event.getMessage().getNoteNumber(), 60);
    }

    // Nothing reached the engine: once free it still plays like a fresh one.
    processor.busy = false;
    reference->setParameterSynth (5, 64);
    expectSameOutput (processor, *reference, 1024);
}

TEST (Processor, MidiDisplayEventsAreHandedOverOnce)
{
    VorsanTembrolinAudioProcessor processor;
    juce::MidiBuffer midi;
    midi.addEvent (noteOn (50), 1);
    midi.addEvent (juce::MidiMessage::noteOff (1, 50), 9);
    midi.addEvent (juce::MidiMessage::controllerEvent (1, 7, 3), 20);   // copied too, though ignored
    renderBlock (processor, 64, midi);

    juce::MidiBuffer shown;
    processor.takeMidiDisplayEvents (shown);
    EXPECT_EQ (shown.getNumEvents(), 3);
    processor.takeMidiDisplayEvents (shown);
    EXPECT_EQ (shown.getNumEvents(), 0);
}

TEST (Processor, MidiDisplayCopiesKeepTheirOrderAcrossBlocks)
{
    // A key released early in the next block was pressed late in this one:
    // the keyboard must see the press first, or it would draw the key held.
    VorsanTembrolinAudioProcessor processor;
    juce::MidiBuffer first, second;
    first.addEvent (noteOn (60), 100);
    second.addEvent (juce::MidiMessage::noteOff (1, 60), 5);
    second.addEvent (noteOn (62), 6);
    renderBlock (processor, 128, first);
    renderBlock (processor, 128, second);

    juce::MidiBuffer shown;
    processor.takeMidiDisplayEvents (shown);
    std::vector<std::pair<int, int>> seen;   // (note, position)
    for (const auto event : shown)
        seen.emplace_back (event.getMessage().getNoteNumber() * (event.getMessage().isNoteOn() ? 1 : -1),
                           event.samplePosition);
    const std::vector<std::pair<int, int>> expected { { 60, 100 }, { -60, 133 }, { 62, 134 } };
    EXPECT_EQ (seen, expected);
}

TEST (Processor, MidiDisplayCopiesStayBoundedAndKeepTheLatestWhenNobodyTakesThem)
{
    // A plug-in whose editor stays closed: nothing takes the copies.
    VorsanTembrolinAudioProcessor processor;
    const int blocks = 3000;
    for (int block = 0; block < blocks; ++block)
    {
        juce::MidiBuffer midi;
        midi.addEvent (noteOn (48 + block % 49), 0);
        midi.addEvent (juce::MidiMessage::noteOff (1, 48 + block % 49), 10);
        renderBlock (processor, 32, midi);
        ASSERT_LE (processor.midiDisplayBuffer.data.size(), VorsanTembrolinAudioProcessor::midiDisplayCapacity);
    }

    juce::MidiBuffer shown;
    processor.takeMidiDisplayEvents (shown);
    EXPECT_GT (shown.getNumEvents(), 100);
    EXPECT_LT (shown.getNumEvents(), 2 * blocks);

    // What is kept is an unbroken stretch ending with the latest release,
    // in order: no kept press lost its release.
    int expectedNote = -1, previousPosition = -1;
    juce::MidiMessage last;
    for (const auto event : shown)
    {
        const auto message = event.getMessage();
        EXPECT_GT (event.samplePosition, previousPosition);
        previousPosition = event.samplePosition;
        if (message.isNoteOn())
            expectedNote = message.getNoteNumber();
        else if (expectedNote >= 0)
            EXPECT_EQ (message.getNoteNumber(), expectedNote);
        last = message;
    }
    EXPECT_TRUE (last.isNoteOff());
    EXPECT_EQ (last.getNoteNumber(), 48 + (blocks - 1) % 49);
}

TEST (Processor, PluginsReportNoProgramsWhileTheStandaloneKeepsItsBank)
{
    // Hosts list a plug-in's programs as presets (LV2) or add a parameter to
    // choose them (VST3); the instrument's programs do nothing.
    const struct { juce::AudioProcessor::WrapperType type; int programs; } cases[] = {
        { juce::AudioProcessor::wrapperType_Undefined, 128 },
        { juce::AudioProcessor::wrapperType_Standalone, 128 },
        { juce::AudioProcessor::wrapperType_LV2, 0 },
        { juce::AudioProcessor::wrapperType_VST3, 0 },
    };
    for (const auto& c : cases)
    {
        juce::AudioProcessor::setTypeOfNextNewPlugin (c.type);
        VorsanTembrolinAudioProcessor processor;
        juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);
        EXPECT_EQ (processor.wrapperType, c.type);
        EXPECT_EQ (processor.getNumPrograms(), c.programs) << processor.getWrapperTypeDescription (c.type);
        EXPECT_EQ (processor.getParameters().size(), NumFxParams);
    }
}

TEST (Processor, ReleaseResourcesResetsButKeepsSettingsAndNotes)
{
    VorsanTembrolinAudioProcessor processor;
    auto reference = makeDefaultEngine (44100.0f);
    processor.ProcessMidiMessage (noteOn (60));
    reference->NoteOn (60, 100);
    expectSameOutput (processor, *reference, 512);

    processor.releaseResources();
    reference->Reset();
    EXPECT_FALSE (processor.busy.load());
    EXPECT_EQ (processor.synth->lastValue[19], 127);
    expectSameOutput (processor, *reference, 2048);
}

TEST (Processor, ModulationValueFollowsTheEngineAfterEachBlock)
{
    VorsanTembrolinAudioProcessor processor;
    EXPECT_EQ (processor.getModulationValue(), 0.0f);
    float lowest = 0.0f, highest = 0.0f;
    for (int block = 0; block < 100; ++block)   // over a second: more than one 4.82 Hz cycle
    {
        renderBlock (processor, 512);
        EXPECT_EQ (processor.getModulationValue(), processor.synth->lfoValue.load());
        lowest = std::min (lowest, processor.getModulationValue());
        highest = std::max (highest, processor.getModulationValue());
    }
    EXPECT_LT (lowest, -0.5f);
    EXPECT_GT (highest, 0.5f);
}

TEST (Processor, MonoAndWideBuffersAreFilledSafely)
{
    VorsanTembrolinAudioProcessor processor;
    processor.ProcessMidiMessage (noteOn (60));
    juce::MidiBuffer midi;

    juce::AudioBuffer<float> mono (1, 128);
    processor.processBlock (mono, midi);

    juce::AudioBuffer<float> wide (4, 128);
    for (int ch = 0; ch < 4; ++ch)
        juce::FloatVectorOperations::fill (wide.getWritePointer (ch), 0.5f, 128);
    processor.processBlock (wide, midi);
    EXPECT_EQ (wide.getMagnitude (2, 0, 128), 0.0f);
    EXPECT_EQ (wide.getMagnitude (3, 0, 128), 0.0f);

    juce::AudioBuffer<float> empty (2, 0);
    processor.processBlock (empty, midi);
}
