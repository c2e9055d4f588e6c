#include "engine/Filter_Types.h"
#include "tests/engine/ToneMeasure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace
{
const double pi = 3.14159265358979323846;

// Analogue fourth-order Butterworth (damping factors 2 sin(pi/8) and
// 2 sin(3 pi/8), both divided by the resonance factor) seen through the
// bilinear transform with the cutoff pre-warped; pass-band gain 0.5.
double modelGain(double hz, double cutoff, double sampleRate, double resonanceFactor)
{
    const double omega = std::tan(pi * hz / sampleRate) / std::tan(pi * cutoff / sampleRate);
    const std::complex<double> s(0.0, omega);
    const double d1 = 2.0 * std::sin(pi / 8.0) / resonanceFactor;
    const double d2 = 2.0 * std::sin(3.0 * pi / 8.0) / resonanceFactor;
    return 0.5 * std::abs(1.0 / ((s * s + d1 * s + 1.0) * (s * s + d2 * s + 1.0)));
}

CFilterButterworth24db design(float sampleRate, float cutoff, float q)
{
    CFilterButterworth24db filter;
    filter.SetSampleRate(sampleRate);
    filter.Set(cutoff, q);
    return filter;
}

bool sameCoefficients(const CFilterButterworth24db& a, const CFilterButterworth24db& b)
{
    return a.coef0 == b.coef0 && a.coef1 == b.coef1 && a.coef2 == b.coef2 && a.coef3 == b.coef3 && a.gain == b.gain;
}

double dcGain(CFilterButterworth24db filter)
{
    float y = 0.0f;
    for (int n = 0; n < 20000; ++n)
        y = filter.Run(1.0f);
    return y;
}
} // namespace

TEST(CFilterButterworth24db, SampleRateConstants)
{
    CFilterButterworth24db filter;
    filter.SetSampleRate(48000.0f);
    EXPECT_FLOAT_EQ(filter.t0, 4.0f * 48000.0f * 48000.0f);
    EXPECT_FLOAT_EQ(filter.t1, 8.0f * 48000.0f * 48000.0f);
    EXPECT_FLOAT_EQ(filter.t2, 96000.0f);
    EXPECT_FLOAT_EQ(filter.t3, static_cast<float>(pi / 48000.0));
    EXPECT_FLOAT_EQ(filter.minCutoff, 480.0f);
    EXPECT_FLOAT_EQ(filter.maxCutoff, 21600.0f);
}

TEST(CFilterButterworth24db, ConstructsAtTheTopOfItsRange)
{
    const CFilterButterworth24db fresh;
    EXPECT_EQ(fresh.history1, 0.0f);
    EXPECT_EQ(fresh.history2, 0.0f);
    EXPECT_EQ(fresh.history3, 0.0f);
    EXPECT_EQ(fresh.history4, 0.0f);
    EXPECT_TRUE(sameCoefficients(fresh, design(44100.0f, 19845.0f, 0.0f)));
}

TEST(CFilterButterworth24db, CutoffAndResonanceAreLimited)
{
    struct Case { float cutoff, q, sameCutoff, sameQ; };
    const Case cases[] = {
        {10.0f, 0.0f, 441.0f, 0.0f},     {30000.0f, 0.0f, 19845.0f, 0.0f}, {6200.0f, -1.0f, 6200.0f, 0.0f},
        {6200.0f, 2.0f, 6200.0f, 1.0f},  {-5.0f, 0.5f, 441.0f, 0.5f},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(sameCoefficients(design(44100.0f, c.cutoff, c.q), design(44100.0f, c.sameCutoff, c.sameQ)))
            << c.cutoff << " " << c.q;
}

TEST(CFilterButterworth24db, SetSampleRateKeepsTheDesign)
{
    CFilterButterworth24db filter = design(44100.0f, 6200.0f, 0.1f);
    const CFilterButterworth24db before = filter;
    filter.SetSampleRate(48000.0f);
    EXPECT_TRUE(sameCoefficients(filter, before));
}

TEST(CFilterButterworth24db, PassBandGainIsOneHalf)
{
    for (float cutoff : {441.0f, 1000.0f, 6200.0f, 15000.0f})
        EXPECT_NEAR(dcGain(design(44100.0f, cutoff, 0.0f)), 0.5, 1e-4) << cutoff;
}

TEST(CFilterButterworth24db, MinusThreeDecibelsAtTheCutoff)
{
    struct Case { float sampleRate, cutoff; };
    const Case cases[] = {{44100.0f, 1000.0f}, {44100.0f, 6200.0f}, {44100.0f, 12000.0f},
                          {48000.0f, 6200.0f}, {48000.0f, 18000.0f}};
    for (const Case& c : cases)
    {
        CFilterButterworth24db filter = design(c.sampleRate, c.cutoff, 0.0f);
        const double gain = measureGain([&](float x) { return filter.Run(x); }, c.cutoff, c.sampleRate);
        EXPECT_NEAR(toDecibels(gain / 0.5), -3.01, 0.05) << c.cutoff << " Hz at " << c.sampleRate;
    }
}

TEST(CFilterButterworth24db, FallsTwentyFourDecibelsPerOctave)
{
    CFilterButterworth24db filter = design(44100.0f, 1000.0f, 0.0f);
    auto run = [&](float x) { return filter.Run(x); };
    const double at2k = toDecibels(measureGain(run, 2000.0, 44100.0));
    const double at4k = toDecibels(measureGain(run, 4000.0, 44100.0));
    // 24 dB per octave, a little steeper as the bilinear warping closes in on Nyquist.
    const double modelDrop = toDecibels(modelGain(2000.0, 1000.0, 44100.0, 1.0) / modelGain(4000.0, 1000.0, 44100.0, 1.0));
    EXPECT_NEAR(at2k - at4k, modelDrop, 0.01);
    EXPECT_GT(at2k - at4k, 24.0);
    EXPECT_LT(at2k - at4k, 25.5);
    // Flat in the pass band.
    EXPECT_NEAR(toDecibels(measureGain(run, 200.0, 44100.0) / 0.5), 0.0, 0.01);
}

TEST(CFilterButterworth24db, MeasuredResponseMatchesTheDesign)
{
    struct Case { float sampleRate, cutoff, q; double probe; };
    const Case cases[] = {
        {44100.0f, 6200.0f, 0.1f, 6200.0},  {44100.0f, 6200.0f, 0.1f, 3000.0},  {44100.0f, 6200.0f, 0.1f, 12000.0},
        {48000.0f, 6200.0f, 0.1f, 6200.0},  {44100.0f, 2000.0f, 1.0f, 2000.0},  {44100.0f, 2000.0f, 1.0f, 1900.0},
        {44100.0f, 2000.0f, 0.5f, 2500.0},  {44100.0f, 441.0f, 0.0f, 441.0},    {44100.0f, 19845.0f, 0.0f, 15000.0},
        {48000.0f, 10000.0f, 0.3f, 20000.0},
    };
    for (const Case& c : cases)
    {
        CFilterButterworth24db filter = design(c.sampleRate, c.cutoff, c.q);
        const double resonanceFactor = 1.0 + c.q * 6.0;
        const double gain = measureGain([&](float x) { return filter.Run(x); }, c.probe, c.sampleRate);
        EXPECT_NEAR(toDecibels(gain), toDecibels(modelGain(c.probe, c.cutoff, c.sampleRate, resonanceFactor)), 0.05)
            << c.cutoff << " Hz q " << c.q << " probe " << c.probe << " at " << c.sampleRate;
    }
}
