#include "engine/VoiceBatch.h"

#include <cstdint>

#include "engine/Filter.h"

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

void VoiceBatch::render()
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
    findPositions(blocks);
    readRows();
    interpolate(blocks);
    boostBand(blocks);
    highPass(blocks);
    writeBack();
}

// Row positions: L * phase, brought into (0, L] by whole cycles when it
// lies beyond L, and 0 when negative (or not a number). Every p - k*L is
// exact below 2^52. The whole cycles of the phase itself, k, leave p - k*L
// within [0, L] (L * phase is rounded, so it can reach k*L + L); moving
// that into (0, L] gives what taking the cycles off one at a time gives,
// without a division. Phases too large for the quick form (flagged by add)
// are wrapped by the voice itself.
// The selects below leave nothing to trap, but GCC only turns them into
// vector code when told that no floating-point trap is being watched.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-trapping-math")))
#endif
void VoiceBatch::findPositions(int blocks)
{
    for (int b = 0; b < blocks; ++b)
        for (int l = 0; l < block; ++l)
        {
            const int j = b * block + l;
            const double L = lengths[j];
            const double p = L * phases[j];
            double q = phases[j];
            // Keeps the conversion defined (not a number fails both tests).
            q = (q >= 0.0) ? q : 0.0;
            q = (q < quickCycles) ? q : 0.0;
            double r = p - static_cast<double>(static_cast<std::int32_t>(q)) * L;
            r += (r <= 0.0) ? L : 0.0; // r is never -0, so adding 0 keeps it
            double position = (p > L) ? r : p;
            position = (position >= 0.0) ? position : 0.0;
            positions[j] = position;
            rows[j] = static_cast<std::int32_t>(position);
            fractions[j] = position - static_cast<double>(rows[j]);
        }
    for (int s = 0; s < slowCount; ++s)
    {
        const int j = slowJobs[s];
        positions[j] = voices[j]->wrapPosition(phases[j]);
        rows[j] = static_cast<std::int32_t>(positions[j]);
        fractions[j] = positions[j] - static_cast<double>(rows[j]);
    }
}

// The four rows around every voice's position.
void VoiceBatch::readRows()
{
    for (int j = 0; j < count; ++j)
    {
        const WvIn& v = *voices[j];
        const unsigned int L = v.lastIndex;
        const unsigned int i = static_cast<unsigned int>(rows[j]);
        const WvIn::Neighbours n = WvIn::neighbourRows(i, L);
        const unsigned int rowBefore = n.before, rowAfter = n.after, rowAfter2 = n.after2;
        if (const float* cycle = cycles[j])
        {
            before[j] = cycle[rowBefore];
            at[j] = cycle[i];
            after[j] = cycle[rowAfter];
            after2[j] = cycle[rowAfter2];
        }
        else
        {
            before[j] = v.wave[rowBefore][v.column];
            at[j] = v.wave[i][v.column];
            after[j] = v.wave[rowAfter][v.column];
            after2[j] = v.wave[rowAfter2][v.column];
        }
    }
}

// The loops below run over whole blocks of lanes with no dependence between
// lanes, so that the compiler turns them into vector code; lanes past
// `count` work on stale but harmless numbers and are never read.

// 4-point, third-order Hermite: coefficients in float, the polynomial in t
// in double.
void VoiceBatch::interpolate(int blocks)
{
    for (int b = 0; b < blocks; ++b)
        for (int l = 0; l < block; ++l)
        {
            const int j = b * block + l;
            const float m = (after[j] - before[j]) * 0.5f;
            const float v = at[j] - after[j];
            const float w = m + v;
            const float a = w + v + (after2[j] - at[j]) * 0.5f;
            const float c = w + a;
            const double t = fractions[j];
            interpolated[j] = static_cast<float>(((static_cast<double>(a) * t - static_cast<double>(c)) * t +
                                                  static_cast<double>(m)) * t + static_cast<double>(at[j]));
        }
}

// The 4600 Hz band component added with the note's weight.
void VoiceBatch::boostBand(int blocks)
{
    for (int b = 0; b < blocks; ++b)
        for (int l = 0; l < block; ++l)
        {
            const int j = b * block + l;
            const float x = interpolated[j];
            const float h = x - bandMemory[j] * bandDamping[j] - bandLow[j];
            const float band = Filter::flush(bandMemory[j] + h * bandFrequency[j]);
            bandMemory[j] = band;
            bandLow[j] = Filter::flush(bandLow[j] + bandFrequency[j] * band);
            boosted[j] = x + bandWeight[j] * band;
        }
}

// The key-tracking high-pass: its high output is the voice's sample.
void VoiceBatch::highPass(int blocks)
{
    for (int b = 0; b < blocks; ++b)
        for (int l = 0; l < block; ++l)
        {
            const int j = b * block + l;
            const float x = inputGain[j] * boosted[j];
            const float h = x - highMemory[j] * highDamping[j] - highLow[j];
            const float band = Filter::flush(highMemory[j] + highFrequency[j] * h);
            highMemory[j] = band;
            highLow[j] = Filter::flush(highLow[j] + highFrequency[j] * band);
            out[j] = h;
        }
}

void VoiceBatch::writeBack()
{
    for (int j = 0; j < count; ++j)
    {
        WvIn& v = *voices[j];
        v.position = positions[j];
        v.lastOutput = boosted[j];
        v.bandBoost.band = bandMemory[j];
        v.bandBoost.low = bandLow[j];
        v.highPass.band = highMemory[j];
        v.highPass.low = highLow[j];
    }
}
