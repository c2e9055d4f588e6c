#include "engine/VoiceBatch.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "engine/Filter.h"

namespace
{
bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
} // namespace

VoiceBatch::VoiceConstants VoiceBatch::constantsOf(const WvIn& voice)
{
    // A voice an octave below its key tunes its filters to that octave.
    const int notePrime = (voice.octaveFactor == 0.5f) ? voice.column - 12 : voice.column;
    int index = notePrime % 128;
    if (index < 0)
        index += 128;

    Filter highPass = voice.highPass;
    highPass.setHertzFreq(voice.noteFrequency[index] * 0.55f);
    Filter bandBoost = voice.bandBoost;
    bandBoost.setHertzFreq(4600.0f);

    VoiceConstants c;
    c.highPassFrequency = highPass.frequency;
    c.highPassDamping = highPass.damping;
    c.bandBoostFrequency = bandBoost.frequency;
    c.bandBoostDamping = bandBoost.damping;
    c.bandWeight = static_cast<float>(notePrime - 36) * -2.2000003f / 127.0f + 1.0f;
    c.inputGain = 1.6f - (static_cast<float>(voice.column) / 127.0f) * 1.2f;
    return c;
}

void VoiceBatch::layOutCycle(const float (*table)[128], int column, unsigned int lastIndex, float* cycle)
{
    cycle[-1] = table[lastIndex][column];
    for (unsigned int row = 0; row <= lastIndex; ++row)
        cycle[row] = table[row][column];
    // The rows that follow row L when the reading wraps (see WvIn::neighbourRows).
    cycle[lastIndex + 1] = table[WvIn::neighbourRows(lastIndex, lastIndex).after][column];
    cycle[lastIndex + 2] = table[WvIn::neighbourRows(lastIndex, lastIndex).after2][column];
}

void VoiceBatch::load(int j, WvIn& voice, const VoiceConstants& constants, const float* cycle)
{
    voices[j] = &voice;
    cycles[j] = cycle;
    bandFrequency[j] = constants.bandBoostFrequency;
    bandDamping[j] = constants.bandBoostDamping;
    bandMemory[j] = voice.bandBoost.band;
    bandLow[j] = voice.bandBoost.low;
    bandWeight[j] = constants.bandWeight;
    highFrequency[j] = constants.highPassFrequency;
    highDamping[j] = constants.highPassDamping;
    highMemory[j] = voice.highPass.band;
    highLow[j] = voice.highPass.low;
    inputGain[j] = constants.inputGain;
    // The coefficients stay as long as the slot holds the voice.
    voice.bandBoost.frequency = constants.bandBoostFrequency;
    voice.highPass.frequency = constants.highPassFrequency;
}

bool VoiceBatch::share(int j, WvIn& voice, const VoiceConstants& constants, const float* cycle)
{
    if (j < 0 || j >= count || twins[j] != nullptr || voices[j] == &voice)
        return false;
    const WvIn& first = *voices[j];
    const bool sameReading = voice.lastIndex == first.lastIndex && cycle == cycles[j]
                             && (cycle != nullptr || (voice.wave == first.wave && voice.column == first.column));
    const bool sameConstants = sameBits(constants.bandBoostFrequency, bandFrequency[j])
                               && sameBits(constants.bandBoostDamping, bandDamping[j])
                               && sameBits(constants.bandWeight, bandWeight[j])
                               && sameBits(constants.highPassFrequency, highFrequency[j])
                               && sameBits(constants.highPassDamping, highDamping[j])
                               && sameBits(constants.inputGain, inputGain[j]);
    const bool sameMemories = sameBits(voice.bandBoost.band, bandMemory[j]) && sameBits(voice.bandBoost.low, bandLow[j])
                              && sameBits(voice.highPass.band, highMemory[j]) && sameBits(voice.highPass.low, highLow[j]);
    if (!sameReading || !sameConstants || !sameMemories)
        return false;
    twins[j] = &voice;
    voice.bandBoost.frequency = constants.bandBoostFrequency;
    voice.highPass.frequency = constants.highPassFrequency;
    return true;
}

void VoiceBatch::advance()
{
    // Only the slots queued now hold a voice's latest state: a voice left
    // behind in a slot past the queue may play from another slot now, and
    // the spare slots of the last block run on stale numbers.
    const int blocks = (count + block - 1) / block;
    const int used = (filled > blocks * block) ? filled : blocks * block;
    for (int j = count; j < used; ++j)
        voices[j] = nullptr;
    filled = count;
    if (count == 0)
        return;
    readMasterPhases();
    if (findPositions(blocks))
    {
        // Phases too large for the quick form are wrapped by the voice itself.
        for (int j = 0; j < count; ++j)
            if (rows[j] < 0)
            {
                positions[j] = voices[j]->wrapPosition(phases[j]);
                rows[j] = static_cast<std::int32_t>(positions[j]);
                fractions[j] = positions[j] - static_cast<double>(rows[j]);
            }
    }
    if (tableReaders == 0)
        readLaidOutRows();
    else
        readRows();
    filter(blocks);
    rendered = true;
}

// The loops below run over whole blocks of lanes with no dependence between
// lanes, so that the compiler turns them into vector code; lanes past
// `count` work on stale but harmless numbers and are never read.

// The master phase each voice follows; findPositions scales it to the
// voice's own phase.
void VoiceBatch::readMasterPhases()
{
    for (int j = 0; j < count; ++j)
        phases[j] = *phaseSources[j];
}

// Phases, then row positions: L * phase, brought into (0, L] by whole cycles when it
// lies beyond L, and 0 when negative (or not a number). Every p - k*L is
// exact below 2^52. The whole cycles of the phase itself, k, leave p - k*L
// within [0, L] (L * phase is rounded, so it can reach k*L + L); moving
// that into (0, L] gives what taking the cycles off one at a time gives,
// without a division. A phase too large for this quick form gets row -1
// here, to be wrapped by the voice itself; the result tells whether any
// queued voice has one.
// The selects below leave nothing to trap, but GCC only turns them into
// vector code when told that no floating-point trap is being watched.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-trapping-math")))
#endif
bool VoiceBatch::findPositions(int blocks)
{
    const int lanes = blocks * block;
    for (int j = 0; j < lanes; ++j)
    {
        const double q = (phases[j] * keyFactors[j]) * voiceFactors[j];
        phases[j] = q;
        const double L = lengths[j];
        const double p = L * q;
        // Not a number fails both tests.
        const bool quick = q >= 0.0 && q < quickCycles;
        const double cycles = quick ? q : 0.0; // keeps the conversion defined
        double r = p - static_cast<double>(static_cast<std::int32_t>(cycles)) * L;
        r += (r <= 0.0) ? L : 0.0; // r is never -0, so adding 0 keeps it
        // A quick phase is not negative, and neither is p then.
        double position = (p > L) ? r : p;
        position = quick ? position : -1.0;
        positions[j] = position;
        rows[j] = static_cast<std::int32_t>(position);
        fractions[j] = position - static_cast<double>(rows[j]);
    }
    // Rows are 0 .. L, so only a -1 makes this negative.
    std::int32_t any = 0;
    for (int j = 0; j < count; ++j)
        any |= rows[j];
    return any < 0;
}

// The four rows around every voice's position: side by side in a laid-out
// cycle, or picked from the table.
void VoiceBatch::readRows()
{
    for (int j = 0; j < count; ++j)
    {
        const unsigned int i = static_cast<unsigned int>(rows[j]);
        float* y = rowsAround[j];
        if (const float* cycle = cycles[j])
        {
            std::memcpy(y, cycle + i - 1, sizeof rowsAround[j]);
        }
        else
        {
            const WvIn& v = *voices[j];
            const WvIn::Neighbours n = WvIn::neighbourRows(i, v.lastIndex);
            y[0] = v.wave[n.before][v.column];
            y[1] = v.wave[i][v.column];
            y[2] = v.wave[n.after][v.column];
            y[3] = v.wave[n.after2][v.column];
        }
    }
}

void VoiceBatch::readLaidOutRows()
{
    for (int j = 0; j < count; ++j)
        std::memcpy(rowsAround[j], cycles[j] + rows[j] - 1, sizeof rowsAround[j]);
}

// 4-point, third-order Hermite (coefficients in float, the polynomial in t
// in double), the 4600 Hz band component added with the note's weight, and
// the key-tracking high-pass, whose high output is the voice's sample.
void VoiceBatch::filter(int blocks)
{
    const int lanes = blocks * block;
    for (int j = 0; j < lanes; ++j)
    {
        const float before = rowsAround[j][0], at = rowsAround[j][1];
        const float after = rowsAround[j][2], after2 = rowsAround[j][3];
        const float m = (after - before) * 0.5f;
        const float v = at - after;
        const float w = m + v;
        const float a = w + v + (after2 - at) * 0.5f;
        const float c = w + a;
        const double t = fractions[j];
        const float x = static_cast<float>(((static_cast<double>(a) * t - static_cast<double>(c)) * t +
                                            static_cast<double>(m)) * t + static_cast<double>(at));

        const float h = x - bandMemory[j] * bandDamping[j] - bandLow[j];
        const float band = Filter::flush(bandMemory[j] + h * bandFrequency[j]);
        bandMemory[j] = band;
        bandLow[j] = Filter::flush(bandLow[j] + bandFrequency[j] * band);
        const float y = x + bandWeight[j] * band;
        boosted[j] = y;

        const float input = inputGain[j] * y;
        const float high = input - highMemory[j] * highDamping[j] - highLow[j];
        const float highBand = Filter::flush(highMemory[j] + highFrequency[j] * high);
        highMemory[j] = highBand;
        highLow[j] = Filter::flush(highLow[j] + highFrequency[j] * highBand);
        out[j] = high;
    }
}

void VoiceBatch::writeBack()
{
    if (!rendered)
        return;
    for (int j = 0; j < count; ++j)
        for (WvIn* v : {voices[j], twins[j]})
            if (v != nullptr)
            {
                v->position = positions[j];
                v->lastOutput = boosted[j];
                v->bandBoost.band = bandMemory[j];
                v->bandBoost.low = bandLow[j];
                v->highPass.band = highMemory[j];
                v->highPass.low = highLow[j];
            }
}
