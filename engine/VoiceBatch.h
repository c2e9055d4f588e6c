#pragma once

#include <cstdint>

#include "engine/WvIn.h"

// Advances a set of wavetable voices by one sample, with exactly the result
// of calling each voice's tickloop, but stage by stage across all voices.
// One voice's sample is a long chain of dependent operations; the voices of
// the tone generator are independent of each other, so working on all of
// them at once keeps the processor's pipelines and vector units busy
// instead of waiting on one chain.
//
// A voice queued in the same slot as in the sample it last played in still
// has its filter memories, constants and cycle in the batch's arrays, so
// they are not read again: in the usual run of samples, with the same keys
// held, the batch takes nothing from the voices but their phases. Whoever
// changes a voice or its constants some other way (ticks it on its own,
// gives it a new column) calls forget() before the next sample.
//
// Use, one sample at a time: clear(), add() each voice (at most once) with
// its phase, render(), then output(); render() hands every voice its state
// back.
//
// Use over a run of samples with the same voices: clear(), addFollowing()
// each voice with the master phase it follows (or share() its slot with a
// voice in the same state), then advance() and output() for every sample.
// The voices' state stays in the batch; writeBack() hands it to them
// whenever they are to be looked at, and the queue may go on from there.
class VoiceBatch
{
public:
    static constexpr int block = 4;  // lanes processed together: one vector of floats
    static constexpr int capacity = 184; // the tone generator's 183 voices, a whole number of blocks

    // What a voice's filters need from its column: set again whenever the
    // column, the octave factor or the sample rate of the voice changes.
    struct VoiceConstants
    {
        float highPassFrequency = 0.0f;  // coefficient at 0.55 x the note's fundamental
        float highPassDamping = 0.0f;
        float bandBoostFrequency = 0.0f; // coefficient at 4600 Hz
        float bandBoostDamping = 0.0f;
        float bandWeight = 0.0f;         // weight of the band component
        float inputGain = 0.0f;          // high-pass input gain
    };
    static VoiceConstants constantsOf(const WvIn& voice);

    // A voice's column of its table for the batch: its rows one after the
    // other, with row L before row 0 and rows 1 and 2 after row L, so that
    // the four rows around any row i lie side by side from cycle[i - 1] on
    // (before row 0 comes row L, after row L come rows 1 and 2). `cycle`
    // points at row 0; the layout holds lastIndex + 4 floats in all.
    static constexpr int cyclePaddingBefore = 1;
    static constexpr int cyclePaddingAfter = 2;
    static void layOutCycle(const float (*table)[128], int column, unsigned int lastIndex, float* cycle);

    void clear()
    {
        count = 0;
        tableReaders = 0;
        rendered = false;
    }

    // Queues a voice for this sample and returns its slot for output(), or
    // -1 for a voice without a table (which sounds 0, as its tickloop would).
    // `cycle`, if given, is the voice's column laid out by layOutCycle (the
    // same values as the table, but neighbouring rows side by side);
    // otherwise the table itself is read.
    int add(WvIn& voice, const VoiceConstants& constants, double phase, const float* cycle = nullptr)
    {
        const int j = queue(voice, constants, cycle);
        if (j >= 0)
        {
            fixedPhases[j] = phase;
            follow(j, &fixedPhases[j], 1.0, 1.0);
        }
        return j;
    }

    // Queues a voice whose phase follows a master phase: at every sample it
    // is (*masterPhase * keyFactor) * voiceFactor, read when the sample is
    // rendered.
    int addFollowing(WvIn& voice, const VoiceConstants& constants, const double* masterPhase,
                     double keyFactor, double voiceFactor, const float* cycle = nullptr)
    {
        const int j = queue(voice, constants, cycle);
        if (j >= 0)
            follow(j, masterPhase, keyFactor, voiceFactor);
        return j;
    }

    // A voice in exactly the state of the voice in `slot` (the same table,
    // column, constants and filter memories) that is given the same phase
    // plays the same samples: it shares the slot and returns true. Returns
    // false, and queues nothing, when anything differs.
    bool share(int slot, WvIn& voice, const VoiceConstants& constants, const float* cycle = nullptr);

    // The batch takes every voice's state and constants again; nothing is
    // queued.
    void forget()
    {
        clear();
        for (WvIn*& voice : voices)
            voice = nullptr;
        filled = 0;
    }

    // One sample for every queued voice; render() then hands the voices
    // their state back, advance() keeps it for the next sample.
    void render()
    {
        advance();
        writeBack();
    }
    void advance();
    // Hands the queued voices their state after the last advance(); nothing
    // when they have not been advanced since they were queued.
    void writeBack();

    float output(int slot) const { return slot < 0 ? 0.0f : out[slot]; }
    // Every slot's output after advance(), for reading many; the entry at
    // `silentSlot` is always 0.
    static constexpr int silentSlot = capacity;
    const float* outputs() const { return out; }

    int count = 0;

private:
    WvIn* voices[capacity] = {}; // whose state each slot holds; nullptr for none
    WvIn* twins[capacity] = {};  // a second voice sharing the slot, or nullptr
    int filled = 0;              // slots from this on hold no voice
    bool rendered = false;       // the queued voices have been advanced
    int tableReaders = 0;        // queued voices without a laid-out cycle
    const float* cycles[capacity] = {};
    const double* phaseSources[capacity] = {};
    double fixedPhases[capacity] = {}; // the sources of voices added with a phase
    double keyFactors[capacity] = {};
    double voiceFactors[capacity] = {};
    double phases[capacity] = {};
    double lengths[capacity] = {}; // rows per cycle, L
    double positions[capacity] = {};
    std::int32_t rows[capacity] = {};
    double fractions[capacity] = {};
    float rowsAround[capacity][4] = {}; // the rows before, at and after the position, and the one after that
    float bandFrequency[capacity] = {}, bandDamping[capacity] = {};
    float bandMemory[capacity] = {}, bandLow[capacity] = {};
    float bandWeight[capacity] = {};
    float highFrequency[capacity] = {}, highDamping[capacity] = {};
    float highMemory[capacity] = {}, highLow[capacity] = {};
    float inputGain[capacity] = {};
    float boosted[capacity] = {};
    float out[capacity + 1] = {};

    // Phases from this many cycles on are wrapped by the voice itself.
    static constexpr double quickCycles = 1048576.0;

    int queue(WvIn& voice, const VoiceConstants& constants, const float* cycle)
    {
        if (voice.lastIndex == 0 || voice.wave == nullptr || count >= capacity)
            return -1;
        const int j = count++;
        rendered = false;
        if (cycle == nullptr)
            ++tableReaders;
        lengths[j] = static_cast<double>(voice.lastIndex);
        twins[j] = nullptr;
        if (voices[j] != &voice)
            load(j, voice, constants, cycle);
        return j;
    }
    void follow(int slot, const double* masterPhase, double keyFactor, double voiceFactor)
    {
        phaseSources[slot] = masterPhase;
        keyFactors[slot] = keyFactor;
        voiceFactors[slot] = voiceFactor;
    }

    void load(int slot, WvIn& voice, const VoiceConstants& constants, const float* cycle);
    void readMasterPhases();
    bool findPositions(int blocks);
    void readRows();
    void readLaidOutRows();
    void filter(int blocks);
};
