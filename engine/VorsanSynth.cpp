#include "engine/VorsanSynth.h"

#include <cmath>
#include <cstdio>

namespace
{
// The semitone ratio the tuning and its readout are built on.
constexpr double semitone = 1.0594630943593;

// Catalogue rows the frame maps (row numbers of the parameter table).
enum Row
{
    rowFilterAttack = 0,
    rowFilterDecay,
    rowFilterRange,
    rowFilterResonance,
    rowBrassOn,
    rowBrassVolume,
    rowEqLow,
    rowEqMiddle,
    rowEqHigh,
    rowStrings16,
    rowStrings8,
    rowCrescendo,
    rowSustain,
    rowStringsVolume,
    rowModDelay,
    rowModRate,
    rowModDepth,
    rowModDestination,
    rowTranspose,
    rowMasterVolume,
    rowTuning
};
}   // namespace

VorsanSynth::VorsanSynth(float Fs)
{
    sampleRate = Fs;
    osc.loadWaveTable(Fs);
    computePitchIncrements(tune);
    chorus.prepare(Fs);
    equaliser.design(static_cast<double>(Fs));
    modLfo.setSampleRate(Fs);
    for (int& value : lastValue)
        value = -1;
}

void VorsanSynth::computePitchIncrements(double t)
{
    // The power function is the costly part; without pitch modulation t
    // stays the same from sample to sample, and so does its result.
    if (t != factorTuning || sampleRate != factorSampleRate)
    {
        tuningFactor = std::pow(semitone, (t * 4.0 - 0.02) - 2.0) / static_cast<double>(sampleRate);
        factorTuning = t;
        factorSampleRate = sampleRate;
    }
    const double k = tuningFactor;
    for (int i = 0; i < 12; ++i)
        osc.pitchIncrement[i] = k * osc.pitchClassTuning[i] * baseFrequencies[i];
    osc.sampleRate = sampleRate;
}

void VorsanSynth::designBrassHighPass()
{
    // Audio EQ Cookbook high-pass, 50 Hz, Q = 1.
    const double w0 = 314.1592653589793 / static_cast<double>(osc.sampleRate);
    const double s = std::sin(w0);
    const double c = std::cos(w0);
    const double alpha = s / 2.0;
    const double a0 = 1.0 + alpha;
    Biquad& hp = osc.brassHighPass;
    hp.b0 = static_cast<float>((1.0 + c) / 2.0 / a0);
    hp.b1 = static_cast<float>(-(1.0 + c) / a0);
    hp.b2 = hp.b0;
    hp.a1 = static_cast<float>(-2.0 * c / a0);
    hp.a2 = static_cast<float>((1.0 - alpha) / a0);
}

void VorsanSynth::NoteOn(int note, int /*velocity*/)
{
    osc.setNoteOn(note);
    computePitchIncrements(tune);
    if (osc.getStartActive())
        fadeLevel = 1.0e-17f;   // a new phrase restarts the modulation fade-in
}

void VorsanSynth::NoteOff(int note)
{
    osc.setNoteOff(note);
}

float VorsanSynth::Process()
{
    computePitchIncrements(nextModulatedTuning());
    const float s = osc.sound_engine1();
    return mix(s, osc.brassOutput);
}

void VorsanSynth::Process(float* out, int n)
{
    // The modulation does not depend on the tone generator, so a block's
    // worth of pitch increments is worked out first; the tone generator
    // then renders the block at once.
    double increments[blockLength][PhaseSyncOsc::pitchClasses];
    float modulations[blockLength];
    float strings[blockLength];
    float brass[blockLength];
    while (n > 0)
    {
        const int length = n < blockLength ? n : blockLength;
        for (int i = 0; i < length; ++i)
        {
            computePitchIncrements(nextModulatedTuning());
            for (int c = 0; c < PhaseSyncOsc::pitchClasses; ++c)
                increments[i][c] = osc.pitchIncrement[c];
            modulations[i] = osc.filterModulation;
        }
        osc.renderBlock(length, increments, modulations, strings, brass);
        for (int i = 0; i < length; ++i)
            out[i] = mix(strings[i], brass[i]);
        out += length;
        n -= length;
    }
}

double VorsanSynth::nextModulatedTuning()
{
    float y = modLfo.nextParabolic();
    lfoValue.store(y, std::memory_order_relaxed);

    if (fadeLevel < 1.0f)
    {
        const float fadeCube = fadeLevel * fadeLevel * fadeLevel;
        y = y * fadeCube;
        fadeLevel = fadeLevel + fadeStep;
    }
    else
    {
        fadeLevel = 1.0f;
    }

    const float m = y * modDepth;
    if (modToFilter)
    {
        osc.filterModulation = 0.5f * m;
        return tune;
    }
    osc.filterModulation = 0.0f;
    return tune + 0.43 * static_cast<double>(m);
}

float VorsanSynth::mix(float strings, float brass)
{
    float s = equaliser.processStrings(strings);
    s = chorus.tick(s);
    return (s + brass) * masterGain;
}

void VorsanSynth::setParameterSynth(int index, int value)
{
    // The processor only sends 0..127; anything else (a raw value far out of
    // range would tune the tone bank to infinity) is ignored, not applied.
    if (index < 0 || index >= numParameters || value < 0 || value > 127)
        return;
    if (lastValue[index] == value)
        return;
    lastValue[index] = value;

    const float x = static_cast<float>(value) / 127.0f;
    switch (index)
    {
    case rowFilterAttack: osc.setBrassVCFAttack(x); break;
    case rowFilterDecay: osc.setBrassVCFDecay(x); break;
    case rowFilterRange:
        osc.brassCutoffBase = 0.16f + 0.34f * x;
        osc.brassEnvAmount = 0.4f;
        designBrassHighPass();
        break;
    case rowFilterResonance: osc.brassResonance = x; break;
    case rowBrassOn: osc.setBrsOn(value > 0); break;
    case rowBrassVolume: osc.setBrassVolume(x); break;
    case rowEqLow: equaliser.setBandGain(StringsEqualiser::lowBand, value); break;
    case rowEqMiddle: equaliser.setBandGain(StringsEqualiser::middleBand, value); break;
    case rowEqHigh: equaliser.setBandGain(StringsEqualiser::highBand, value); break;
    case rowStrings16: osc.set16FOn(value > 0); break;
    case rowStrings8: osc.set8FOn(value > 0); break;
    case rowCrescendo: osc.setAttackStrings(x); break;
    case rowSustain: osc.setRelease(x); break;
    case rowStringsVolume: osc.setStringsVolume(x); break;
    case rowModDelay:
        // 4·x seconds; x = 0 gives an infinite step, a one-sample fade.
        fadeStep = 1.0f / ((x * 4.0f) * sampleRate);
        break;
    case rowModRate: modLfo.setHz(0.25f + std::pow(x, 4.0f) * 29.0f); break;
    case rowModDepth: modDepth = std::pow(x, 3.0f) * 0.2f; break;
    case rowModDestination: modToFilter = (value == 0); break;
    case rowTranspose: osc.setTranspose(value > 0); break;
    case rowMasterVolume: masterGain = x; break;
    case rowTuning: tune = static_cast<double>(x); break;
    default: break;
    }
}

void VorsanSynth::GetParameterReadout(int index, float value, char* text)
{
    if (text == nullptr)
        return;
    if (index == rowTuning)
    {
        double rounded =
            440.0 * std::pow(semitone, 4.0 * static_cast<double>(value) - 2.0) + 0.5;
        // A value far outside 0..1 (or not a number) must not overflow the
        // integer conversion.
        if (!(rounded >= 0.0))
            rounded = 0.0;
        if (rounded > 2147483647.0)
            rounded = 2147483647.0;
        std::snprintf(text, readoutCapacity, "%d Hz", static_cast<int>(rounded));
    }
    else if (index == rowModRate)
    {
        const float hz = 0.25f + std::pow(value, 4.0f) * 29.0f;
        std::snprintf(text, readoutCapacity, "%2.2f Hz", static_cast<double>(hz));
    }
}

void VorsanSynth::Reset()
{
    equaliser.clear();
    chorus.prepare(sampleRate);
}
