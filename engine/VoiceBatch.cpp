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

int VoiceBatch::add(WvIn& voice, const VoiceConstants& constants, double phase)
{
    if (voice.lastIndex == 0 || voice.wave == nullptr || count >= capacity)
        return -1;
    const int j = count++;
    voices[j] = &voice;
    phases[j] = phase;
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
    return j;
}

void VoiceBatch::render()
{
    if (count == 0)
        return;
    const int blocks = (count + block - 1) / block;
    readRows();
    interpolate(blocks);
    boostBand(blocks);
    highPass(blocks);
    writeBack();
}

// Row position of a phase: L * phase, brought into (0, L] by whole cycles
// when it lies beyond L, and 0 when negative. Below 2^52 every p - k*L is
// exact, so taking off the whole cycles at once gives what taking them off
// one at a time gives.
static double wrap(const WvIn& v, double phase)
{
    const double L = static_cast<double>(v.lastIndex);
    double p = L * phase;
    if (p > L)
    {
        if (!(p < 4503599627370496.0))
            return v.wrapPosition(phase);
        p -= static_cast<double>(static_cast<std::int64_t>(p / L)) * L;
        while (p > L)
            p -= L;
        while (p <= 0.0)
            p += L;
    }
    return (p >= 0.0) ? p : 0.0;
}

// Position in the cycle and the four neighbouring rows of every voice.
void VoiceBatch::readRows()
{
    for (int j = 0; j < count; ++j)
    {
        const WvIn& v = *voices[j];
        if (j > 0 && phases[j] == phases[j - 1] && v.wave == voices[j - 1]->wave &&
            v.column == voices[j - 1]->column && v.lastIndex == voices[j - 1]->lastIndex)
        {
            positions[j] = positions[j - 1];
            fractions[j] = fractions[j - 1];
            before[j] = before[j - 1];
            at[j] = at[j - 1];
            after[j] = after[j - 1];
            after2[j] = after2[j - 1];
            continue;
        }
        const unsigned int L = v.lastIndex;
        const double p = wrap(v, phases[j]);
        const unsigned int i = static_cast<unsigned int>(p);
        // Before row 0 comes row L; after row L comes row 1.
        const unsigned int rowBefore = (i == 0) ? L : i - 1;
        unsigned int rowAfter = i + 1;
        if (rowAfter > L)
            rowAfter -= L;
        unsigned int rowAfter2 = i + 2;
        if (rowAfter2 > L)
            rowAfter2 -= L;
        if (rowAfter2 > L)
            rowAfter2 -= L;
        positions[j] = p;
        fractions[j] = p - static_cast<double>(i);
        before[j] = v.wave[rowBefore][v.column];
        at[j] = v.wave[i][v.column];
        after[j] = v.wave[rowAfter][v.column];
        after2[j] = v.wave[rowAfter2][v.column];
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
        v.bandBoost.frequency = bandFrequency[j];
        v.bandBoost.band = bandMemory[j];
        v.bandBoost.low = bandLow[j];
        v.highPass.frequency = highFrequency[j];
        v.highPass.band = highMemory[j];
        v.highPass.low = highLow[j];
    }
}
