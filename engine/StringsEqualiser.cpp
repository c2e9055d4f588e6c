#include "engine/StringsEqualiser.h"

#include <cmath>

namespace
{
// Amplitudes A = 10^(gain/40) of the fixed body curve:
// +3.5, +4.5, +0.5, +0.5, -4.5, -5.5, -5.5 dB, each one octave wide.
constexpr double bodyAmplitude[StringsEqualiser::numBodyBands] = {
    1.2232071190499316, 1.2956866975170194, 1.0292005271944282, 1.0292005271944282,
    0.7717915155850124, 0.7286181745132277, 0.7286181745132277,
};
constexpr double bodyBandwidth = 1.0;
constexpr double highPassFrequency = 57.0;
constexpr double highPassBandwidth = 2.0;
} // namespace

void StringsEqualiser::design(double Fs)
{
    sampleRate = Fs;
    for (int i = 0; i < numBands; ++i)
    {
        eqBand[i].designPeaking(Fs, eqFrequency[i], eqBandwidth[i], 1.0);
        eqBand[i].clearHistory();
    }
    highPass.designHighPass(Fs, highPassFrequency, highPassBandwidth);
    highPass.clearHistory();
    for (int i = 0; i < numBodyBands; ++i)
    {
        bodyBand[i].designPeaking(Fs, bodyFrequency[i], bodyBandwidth, bodyAmplitude[i]);
        bodyBand[i].clearHistory();
    }
}

void StringsEqualiser::setBandGain(int band, int raw)
{
    if (band < 0 || band >= numBands || raw < 0 || raw > 127)
        return;
    const double range = eqRange[band];
    const double gainDb = raw / 127.0 * 2.0 * range - range;
    const double A = std::pow(10.0, gainDb / 40.0);
    eqBand[band].designPeaking(sampleRate, eqFrequency[band], eqBandwidth[band], A);
}

float StringsEqualiser::processStrings(float s)
{
    for (Biquad& body : bodyBand)
        s = body.process(s);
    s = eqBand[highBand].process(s);
    s = eqBand[middleBand].process(s);
    s = eqBand[lowBand].process(s);
    return highPass.process(s);
}

void StringsEqualiser::clear()
{
    for (Biquad& band : eqBand)
        band.clearHistory();
    highPass.clearHistory();
}
