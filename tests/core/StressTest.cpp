#include "CoreTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <time.h>

namespace
{
    double threadCpuMs()
    {
        timespec t {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
        return (double) t.tv_sec * 1000.0 + (double) t.tv_nsec / 1.0e6;
    }
}

// Four threads work on one processor at once, the way the stand-alone
// application's threads do, only much harder: the audio thread renders
// blocks, the message thread plays keys and moves controls, a device thread
// switches between 44100 and 96000 Hz (each switch rebuilds the engine),
// and the user interface drains the MIDI copies and reads the modulation
// value. Run under ThreadSanitizer or AddressSanitizer to find races and
// use-after-free; VORSAN_STRESS_SECONDS sets the duration (default 3).
TEST (Stress, RenderNotesParametersAndRateSwitchesAtOnce)
{
    const char* secondsText = std::getenv ("VORSAN_STRESS_SECONDS");
    const double seconds = secondsText != nullptr ? std::atof (secondsText) : 3.0;

    VorsanTembrolinAudioProcessor processor;
    processor.params[4]->setValueNotifyingHost (1.0f);    // brass on: every section plays
    processor.params[16]->setValueNotifyingHost (0.5f);
    processor.prepareToPlay (44100, 512);

    std::atomic<bool> stop { false };
    std::atomic<long> blocks { 0 }, silentBlocks { 0 }, badSamples { 0 };
    std::atomic<long> noteEvents { 0 }, parameterChanges { 0 }, rebuilds { 0 }, drains { 0 };
    std::atomic<float> peak { 0.0f };
    // processBlock's longest call: how long the audio thread ever waited.
    // Wall-clock time includes the audio thread being preempted on a loaded
    // machine; its CPU time shows how long it spun waiting for the lock.
    std::atomic<double> longestBlockMs { 0.0 }, longestSilentBlockMs { 0.0 }, longestBlockCpuMs { 0.0 };
    std::atomic<long> blocksOverOneMsCpu { 0 };

    std::thread audio ([&]
    {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer midi;
        int note = 48;
        while (! stop)
        {
            midi.clear();
            midi.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), 0);
            midi.addEvent (juce::MidiMessage::noteOff (1, 96 - (note - 48)), 17);
            note = note == 96 ? 48 : note + 1;
            const auto started = std::chrono::steady_clock::now();
            const double cpuStarted = threadCpuMs();
            processor.processBlock (buffer, midi);
            const double ms = std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - started).count();
            const double cpuMs = threadCpuMs() - cpuStarted;
            if (cpuMs > longestBlockCpuMs)
                longestBlockCpuMs = cpuMs;
            if (cpuMs > 1.0)
                ++blocksOverOneMsCpu;
            if (ms > longestBlockMs)
                longestBlockMs = ms;

            float blockPeak = 0.0f;
            for (int j = 0; j < buffer.getNumSamples(); ++j)
            {
                const float s = buffer.getSample (0, j);
                if (! std::isfinite (s) || s != buffer.getSample (1, j))
                    ++badSamples;
                blockPeak = std::max (blockPeak, std::abs (s));
            }
            if (blockPeak == 0.0f)
            {
                ++silentBlocks;
                if (ms > longestSilentBlockMs)
                    longestSilentBlockMs = ms;
            }
            if (blockPeak > peak)
                peak = blockPeak;
            ++blocks;
        }
    });

    std::thread message ([&]
    {
        std::mt19937 random (1234);
        while (! stop)
        {
            const int note = 40 + (int) (random() % 64);
            processor.ProcessMidiMessage (juce::MidiMessage::noteOn (1, note, (juce::uint8) 127));
            processor.ProcessMidiMessage (juce::MidiMessage::noteOff (1, 40 + (int) (random() % 64)));
            noteEvents += 2;

            const int row = (int) (random() % NumFxParams);
            const int raw = (int) (random() % (unsigned) (FxParams[row].maxValue + 1));
            processor.params[row]->setValueNotifyingHost (normalisedFromRaw (raw, FxParams[row].maxValue));
            (void) processor.getParameterReadout (row);
            ++parameterChanges;
        }
    });

    std::thread device ([&]
    {
        bool high = false;
        while (! stop)
        {
            high = ! high;
            processor.prepareToPlay (high ? 96000.0 : 44100.0, 512);
            if ((rebuilds++ % 8) == 7)
                processor.releaseResources();
            std::this_thread::sleep_for (std::chrono::milliseconds (high ? 120 : 60));
        }
    });

    std::thread display ([&]
    {
        juce::MidiBuffer shown;
        float lamp = 0.0f;
        while (! stop)
        {
            processor.takeMidiDisplayEvents (shown);
            lamp += processor.getModulationValue();
            ++drains;
            std::this_thread::sleep_for (std::chrono::microseconds (500));
        }
        EXPECT_TRUE (std::isfinite (lamp));
    });

    std::this_thread::sleep_for (std::chrono::duration<double> (seconds));
    stop = true;
    audio.join();
    message.join();
    device.join();
    display.join();

    std::printf ("[ stress   ] %.1f s: %ld blocks (%ld silent), %ld note events, %ld parameter changes, "
                 "%ld rate switches, %ld display drains, peak %.3f, longest block %.2f ms (256 samples), longest silent block %.2f ms, most CPU time in one block %.2f ms, blocks over 1 ms CPU %ld\n",
                 seconds, blocks.load(), silentBlocks.load(), noteEvents.load(), parameterChanges.load(),
                 rebuilds.load(), drains.load(), (double) peak.load(), longestBlockMs.load(), longestSilentBlockMs.load(), longestBlockCpuMs.load(), blocksOverOneMsCpu.load());

    EXPECT_EQ (badSamples.load(), 0);
    EXPECT_GT (blocks.load(), 10);
    EXPECT_GT (rebuilds.load(), 4);
    EXPECT_GT (parameterChanges.load(), 10);
    EXPECT_LT (silentBlocks.load(), blocks.load());   // it did play between rebuilds

    // Whatever the last switch was, the processor is consistent and plays.
    EXPECT_FALSE (processor.busy.load());
    EXPECT_EQ (processor.synth->sampleRate, processor.engineSampleRate);
    for (int row = 0; row < NumFxParams; ++row)
        EXPECT_EQ (processor.synth->lastValue[row],
                   rawFromNormalised (FxParams[row].maxValue, processor.params[row]->getValue())) << row;
}
