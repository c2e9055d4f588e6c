#include "CoreTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>
#include <time.h>
#include <vector>

namespace
{
    double threadCpuMs()
    {
        timespec t {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
        return (double) t.tv_sec * 1000.0 + (double) t.tv_nsec / 1.0e6;
    }

    constexpr int blockSize = 256;
    // Rendered (not silent) blocks between two rate switches. A rebuild
    // silences a few blocks; this many rendered ones keep the silent share
    // low, so the test mostly exercises rendering against the other threads.
    constexpr long renderedBlocksPerSwitch = 800;

    template <typename T>
    void raiseTo (std::atomic<T>& maximum, T value)
    {
        T seen = maximum.load();
        while (value > seen && ! maximum.compare_exchange_weak (seen, value)) {}
    }

    // One processor driven the way a host drives it, only much harder, by
    // five threads at once:
    //  - audio: renders blocks with notes in them; a block left silent by a
    //    rebuild is followed by a pause of one block's length, as a device
    //    would call back, so a rebuild costs a few blocks, not thousands;
    //  - message: plays keys and moves controls;
    //  - device: switches between 44100 and 96000 Hz (each switch rebuilds the
    //    engine, every eighth also resets it) after every
    //    renderedBlocksPerSwitch rendered blocks;
    //  - display: takes the MIDI copies and reads the modulation value;
    //  - state: saves the sound and restores a saved one on a worker thread,
    //    as hosts do when storing a session.
    struct StressedInstance
    {
        explicit StressedInstance (unsigned seed) : seed (seed)
        {
            processor.params[4]->setValueNotifyingHost (1.0f);    // brass on: every section plays
            processor.params[16]->setValueNotifyingHost (0.5f);
            processor.prepareToPlay (44100, 512);
            processor.getStateInformation (otherState);
        }

        void start (std::atomic<bool>& stopFlag)
        {
            stop = &stopFlag;
            threads.emplace_back ([this] { renderBlocks(); });
            threads.emplace_back ([this] { playKeysAndMoveControls(); });
            threads.emplace_back ([this] { switchRates(); });
            threads.emplace_back ([this] { drainDisplay(); });
            threads.emplace_back ([this] { saveAndRestore(); });
        }

        void join()
        {
            for (auto& thread : threads)
                thread.join();
        }

        void renderBlocks()
        {
            juce::AudioBuffer<float> buffer (2, blockSize);
            juce::MidiBuffer midi;
            int note = 48;
            while (! *stop)
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
                raiseTo (longestBlockCpuMs, cpuMs);
                raiseTo (longestBlockMs, ms);
                if (cpuMs > 1.0)
                    ++blocksOverOneMsCpu;

                float blockPeak = 0.0f;
                for (int j = 0; j < blockSize; ++j)
                {
                    const float s = buffer.getSample (0, j);
                    if (! std::isfinite (s) || s != buffer.getSample (1, j))
                        ++badSamples;
                    blockPeak = std::max (blockPeak, std::abs (s));
                }
                raiseTo (peak, blockPeak);
                ++blocks;

                if (blockPeak == 0.0f)
                {
                    ++silentBlocks;
                    std::this_thread::sleep_for (std::chrono::microseconds (blockSize * 1000000 / 44100));
                }
                else
                {
                    ++renderedSinceSwitch;
                }
            }
        }

        void playKeysAndMoveControls()
        {
            std::mt19937 random (seed);
            while (! *stop)
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
        }

        void switchRates()
        {
            bool high = false;
            while (! *stop)
            {
                high = ! high;
                renderedSinceSwitch = 0;
                processor.prepareToPlay (high ? 96000.0 : 44100.0, 512);
                if ((rebuilds++ % 8) == 7)
                    processor.releaseResources();
                while (! *stop && renderedSinceSwitch < renderedBlocksPerSwitch)
                    std::this_thread::sleep_for (std::chrono::milliseconds (1));
            }
        }

        void drainDisplay()
        {
            juce::MidiBuffer shown;
            float lamp = 0.0f;
            while (! *stop)
            {
                processor.takeMidiDisplayEvents (shown);
                if (shown.data.size() > VorsanTembrolinAudioProcessor::midiDisplayCapacity)
                    ++oversizedDisplayTakes;
                lamp += processor.getModulationValue();
                ++drains;
                std::this_thread::sleep_for (std::chrono::microseconds (500));
            }
            lampFinite = std::isfinite (lamp);
        }

        void saveAndRestore()
        {
            juce::MemoryBlock saved;
            while (! *stop)
            {
                processor.getStateInformation (saved);
                processor.setStateInformation (otherState.getData(), (int) otherState.getSize());
                otherState = saved;
                ++stateRoundTrips;
                std::this_thread::sleep_for (std::chrono::milliseconds (3));
            }
        }

        const unsigned seed;
        VorsanTembrolinAudioProcessor processor;
        juce::MemoryBlock otherState;
        std::vector<std::thread> threads;
        std::atomic<bool>* stop = nullptr;

        std::atomic<long> blocks { 0 }, silentBlocks { 0 }, badSamples { 0 }, renderedSinceSwitch { 0 };
        std::atomic<long> noteEvents { 0 }, parameterChanges { 0 }, rebuilds { 0 }, drains { 0 };
        std::atomic<long> stateRoundTrips { 0 }, oversizedDisplayTakes { 0 }, blocksOverOneMsCpu { 0 };
        std::atomic<float> peak { 0.0f };
        // processBlock's longest call: how long the audio thread ever waited.
        // Wall-clock time includes the audio thread being preempted on a loaded
        // machine; its CPU time shows how long it spun waiting for the lock.
        std::atomic<double> longestBlockMs { 0.0 }, longestBlockCpuMs { 0.0 };
        bool lampFinite = false;
    };
}

// Two instances in one process, as in a host with two tracks of the
// instrument, each hammered by its own five threads. Run under
// ThreadSanitizer or AddressSanitizer to find races and use-after-free;
// VORSAN_STRESS_SECONDS sets the duration (default 3).
TEST (Stress, TwoInstancesRenderWhileNotesParametersStateAndRatesChange)
{
    const char* secondsText = std::getenv ("VORSAN_STRESS_SECONDS");
    const double seconds = secondsText != nullptr ? std::atof (secondsText) : 3.0;

    std::array<std::unique_ptr<StressedInstance>, 2> instances { std::make_unique<StressedInstance> (1234u),
                                                                 std::make_unique<StressedInstance> (5678u) };
    // Each restores the other's sounds too.
    instances[1]->processor.params[9]->setValueNotifyingHost (1.0f);
    instances[1]->processor.getStateInformation (instances[0]->otherState);

    std::atomic<bool> stop { false };
    for (auto& instance : instances)
        instance->start (stop);
    std::this_thread::sleep_for (std::chrono::duration<double> (seconds));
    stop = true;
    for (auto& instance : instances)
        instance->join();

    long allBlocks = 0, allSilent = 0;
    for (size_t i = 0; i < instances.size(); ++i)
    {
        SCOPED_TRACE (i);
        auto& s = *instances[i];
        auto& processor = s.processor;
        allBlocks += s.blocks;
        allSilent += s.silentBlocks;
        const long rendered = s.blocks - s.silentBlocks;
        std::printf ("[ stress   ] instance %zu, %.1f s: %ld blocks, %ld rendered (%.1f %%), %ld note events, "
                     "%ld parameter changes, %ld rate switches, %ld state round trips, %ld display drains, peak %.3f, "
                     "longest block %.2f ms (%d samples), most CPU time in one block %.2f ms, blocks over 1 ms CPU %ld\n",
                     i, seconds, s.blocks.load(), rendered, 100.0 * (double) rendered / (double) std::max (1L, s.blocks.load()),
                     s.noteEvents.load(), s.parameterChanges.load(), s.rebuilds.load(), s.stateRoundTrips.load(),
                     s.drains.load(), (double) s.peak.load(), s.longestBlockMs.load(), blockSize,
                     s.longestBlockCpuMs.load(), s.blocksOverOneMsCpu.load());

        EXPECT_EQ (s.badSamples.load(), 0);
        EXPECT_EQ (s.oversizedDisplayTakes.load(), 0);
        EXPECT_TRUE (s.lampFinite);
        EXPECT_GT (s.blocks.load(), 10);
        EXPECT_GE (s.rebuilds.load(), 2);
        EXPECT_GT (s.parameterChanges.load(), 10);
        EXPECT_GT (s.stateRoundTrips.load(), 2);

        // Whatever the last switch was, the processor is consistent and plays.
        EXPECT_FALSE (processor.busy.load());
        EXPECT_EQ (processor.synth->sampleRate, processor.engineSampleRate);
        for (int row = 0; row < NumFxParams; ++row)
            EXPECT_EQ (processor.synth->lastValue[row],
                       rawFromNormalised (FxParams[row].maxValue, processor.params[row]->getValue())) << row;
    }

    const double renderedShare = 100.0 * (double) (allBlocks - allSilent) / (double) std::max (1L, allBlocks);
    std::printf ("[ stress   ] rendered blocks: %ld of %ld (%.1f %%)\n", allBlocks - allSilent, allBlocks, renderedShare);
    EXPECT_GT (renderedShare, 90.0);
}
