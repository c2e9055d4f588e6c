#pragma once

#include <cstdint>

#include "engine/WvIn.h"

// Advances a set of wavetable voices by one sample, with exactly the result
// of calling each voice's tickloop, but stage by stage across all voices.
// One voice's sample is a long chain of dependent operations; the voices of
// the tone generator are independent of each other, so working on all of
// them at once keeps the processor's pipelines and vector units busy
// instead of waiting on one chain. Every voice's state (position, last
// output, filter memories and coefficients) is written back to the voice
// itself after each sample.
//
// A voice queued in the same slot as in the sample it last played in still
// has its filter memories, constants and cycle in the batch's arrays, so
// they are not read again: in the usual run of samples, with the same keys
// held, the batch takes nothing from the voices but their phases. Whoever
// changes a voice or its constants some other way (ticks it on its own,
// gives it a new column) calls forget() before the next sample.
//
// Use: clear(), add() each voice (at most once) with its phase, render(),
// then output().
class VoiceBatch
{
public:
    static constexpr int block = 8;  // lanes processed together
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

    void clear() { count = slowCount = 0; }

    // Queues a voice for this sample and returns its slot for output(), or
    // -1 for a voice without a table (which sounds 0, as its tickloop would).
    // `cycle`, if given, holds the voice's column of its table with the rows
    // one after the other (the same values, laid out so that neighbouring
    // rows share a cache line); otherwise the table itself is read.
    int add(WvIn& voice, const VoiceConstants& constants, double phase, const float* cycle = nullptr)
    {
        if (voice.lastIndex == 0 || voice.wave == nullptr || count >= capacity)
            return -1;
        const int j = count++;
        phases[j] = phase;
        lengths[j] = static_cast<double>(voice.lastIndex);
        if (!(phase >= 0.0 && phase < quickCycles))
            slowJobs[slowCount++] = j;
        if (voices[j] != &voice)
            load(j, voice, constants, cycle);
        return j;
    }

    // The batch takes every voice's state and constants again.
    void forget()
    {
        for (WvIn*& voice : voices)
            voice = nullptr;
        filled = 0;
    }

    void render();

    float output(int slot) const { return slot < 0 ? 0.0f : out[slot]; }

    int count = 0;

private:
    WvIn* voices[capacity] = {}; // whose state each slot holds; nullptr for none
    int filled = 0;              // slots from this on hold no voice
    const float* cycles[capacity] = {};
    double phases[capacity] = {};
    double lengths[capacity] = {}; // rows per cycle, L
    double positions[capacity] = {};
    std::int32_t rows[capacity] = {};
    double fractions[capacity] = {};
    float before[capacity] = {}, at[capacity] = {}, after[capacity] = {}, after2[capacity] = {};
    float interpolated[capacity] = {};
    float bandFrequency[capacity] = {}, bandDamping[capacity] = {};
    float bandMemory[capacity] = {}, bandLow[capacity] = {};
    float bandWeight[capacity] = {};
    float highFrequency[capacity] = {}, highDamping[capacity] = {};
    float highMemory[capacity] = {}, highLow[capacity] = {};
    float inputGain[capacity] = {};
    float boosted[capacity] = {};
    float out[capacity] = {};

    // Phases from this many cycles on are wrapped by the voice itself.
    static constexpr double quickCycles = 1048576.0;
    int slowJobs[capacity] = {};
    int slowCount = 0;

    void load(int slot, WvIn& voice, const VoiceConstants& constants, const float* cycle);
    void findPositions(int blocks);
    void readRows();
    void interpolate(int blocks);
    void boostBand(int blocks);
    void highPass(int blocks);
    void writeBack();
};
