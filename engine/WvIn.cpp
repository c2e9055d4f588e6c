#include "engine/WvIn.h"

#include <cmath>
#include <cstdint>

WvIn::WvIn()
{
    octaveFactor = 1.0f;
    init();
}

void WvIn::init()
{
    position = 0.0;
    lastOutput = 0.0f;
    note = 0;
    column = 0;
    sampleRate = 44100.0f;
    // Equal temperament from note 0 (8.1758 Hz), accumulated in double.
    double hz = 8.175798915636872;
    for (int n = 0; n < 128; ++n)
    {
        noteFrequency[n] = static_cast<float>(hz);
        hz *= 1.059463094359;
    }
    cache.valid = false;
}

void WvIn::setWave(float (*table)[128], unsigned int rows)
{
    if (table == nullptr)
        return;
    rowCount = rows;
    // An empty table gets lastIndex 0, which makes the voice silent.
    lastIndex = rows > 0 ? rows - 1 : 0;
    reset();
    wave = table;
}

void WvIn::reset()
{
    position = 0.0;
    lastOutput = 0.0f;
}

void WvIn::setSampleRate(float sr)
{
    sampleRate = sr;
    highPass.setSR(sr);
    highPass.setRezo(0.52f);
    bandBoost.setSR(sr);
    bandBoost.setRezo(0.79f);
}

void WvIn::setNote(int n, bool)
{
    note = n;
    column = n > 127 ? 127 : (n < 0 ? 0 : n);
}

double WvIn::wrapPosition(double phase) const
{
    const double L = static_cast<double>(lastIndex);
    double p = L * phase;
    if (p > L)
    {
        // Take whole cycles of L rows off until p lies in (0, L]. Below 2^52
        // every p - k*L is exact, so this equals subtracting L one at a time.
        if (p < 4503599627370496.0)
        {
            p -= static_cast<double>(static_cast<int64_t>(p / L)) * L;
            while (p > L)
                p -= L;
            while (p <= 0.0)
                p += L;
        }
        else if (std::isfinite(p))
        {
            p = std::fmod(p, L);
            if (p == 0.0)
                p = L;
        }
        else
        {
            p = 0.0;
        }
    }
    // Negative phases (and NaN) read row 0.
    if (!(p >= 0.0))
        p = 0.0;
    return p;
}

void WvIn::updateCache()
{
    const bool octaveDown = (octaveFactor == 0.5f);
    // A 16' voice's filters follow the note an octave below its column.
    const int notePrime = octaveDown ? column - 12 : column;
    int index = notePrime % 128;
    if (index < 0)
        index += 128;

    highPass.setHertzFreq(noteFrequency[index] * 0.55f);
    bandBoost.setHertzFreq(4600.0f);

    cache.column = column;
    cache.octaveDown = octaveDown;
    cache.highPassRate = highPass.sampleRate;
    cache.bandBoostRate = bandBoost.sampleRate;
    cache.highPassFrequency = highPass.frequency;
    cache.bandBoostFrequency = bandBoost.frequency;
    cache.bandWeight = static_cast<float>(notePrime - 36) * -2.2000003f / 127.0f + 1.0f;
    cache.inputGain = 1.6f - (static_cast<float>(column) / 127.0f) * 1.2f;
    cache.valid = true;
}

float WvIn::tickloop(const double& phase)
{
    const unsigned int L = lastIndex;
    if (L == 0)
        return 0.0f;

    const double p = wrapPosition(phase);
    position = p;
    const unsigned int i = static_cast<unsigned int>(p);
    const double t = p - static_cast<double>(i);

    const Neighbours rows = neighbourRows(i, L);
    const float ym1 = wave[rows.before][column];
    const float y0 = wave[i][column];
    const float y1 = wave[rows.after][column];
    const float y2 = wave[rows.after2][column];

    // 4-point, third-order Hermite.
    const float m = (y1 - ym1) * 0.5f;
    const float v = y0 - y1;
    const float w = m + v;
    const float a = w + v + (y2 - y0) * 0.5f;
    const float b = w + a;
    lastOutput = static_cast<float>(((static_cast<double>(a) * t - static_cast<double>(b)) * t + static_cast<double>(m)) * t
                                    + static_cast<double>(y0));

    const bool octaveDown = (octaveFactor == 0.5f);
    if (!cache.valid || column != cache.column || octaveDown != cache.octaveDown
        || highPass.sampleRate != cache.highPassRate || bandBoost.sampleRate != cache.bandBoostRate)
        updateCache();
    highPass.frequency = cache.highPassFrequency;
    bandBoost.frequency = cache.bandBoostFrequency;

    bandBoost.ticklow(lastOutput);
    const float beta = bandBoost.pickBPfromLow();
    lastOutput = lastOutput + cache.bandWeight * beta;

    return highPass.tickhigh(cache.inputGain * lastOutput);
}
