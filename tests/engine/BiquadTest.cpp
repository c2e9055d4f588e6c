#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <cstddef>

#include "engine/Biquad.h"
#include "tests/engine/BiquadMeasure.h"

using biquad_measure::isStable;
using biquad_measure::measuredGainDb;
using biquad_measure::responseDb;

TEST(Biquad, IsNineFloatsInRecordOrder)
{
    EXPECT_EQ(sizeof(Biquad), 9 * sizeof(float));
    const std::size_t fieldOffsets[] = { offsetof(Biquad, b0), offsetof(Biquad, b1), offsetof(Biquad, b2),
                                         offsetof(Biquad, a1), offsetof(Biquad, a2), offsetof(Biquad, y1),
                                         offsetof(Biquad, y2), offsetof(Biquad, x1), offsetof(Biquad, x2) };
    for (std::size_t i = 0; i < 9; ++i)
        EXPECT_EQ(fieldOffsets[i], i * sizeof(float)) << "field " << i;

    const Biquad fresh;
    const float* fields = &fresh.b0;
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(fields[i], 0.0f);
}

TEST(Biquad, StepFeedsForwardAndBack)
{
    // Two-sample delay: the input comes back unchanged two steps later.
    Biquad delay;
    delay.b2 = 1.0f;
    const float in[] = { 0.5f, -0.25f, 1.0f, 0.0f, 0.0f };
    const float out[] = { 0.0f, 0.0f, 0.5f, -0.25f, 1.0f };
    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(delay.process(in[n]), out[n]) << "sample " << n;
    EXPECT_EQ(delay.x1, 0.0f);
    EXPECT_EQ(delay.x2, 0.0f);
    EXPECT_EQ(delay.y1, 1.0f);
    EXPECT_EQ(delay.y2, -0.25f);

    // One pole at 0.5 (a1 = -0.5): the impulse response halves each sample,
    // exactly in float. a2 = 0.25 on top of a1 = 0 gives alternating quarters.
    Biquad pole;
    pole.b0 = 1.0f;
    pole.a1 = -0.5f;
    float expected = 1.0f;
    for (int n = 0; n < 20; ++n, expected *= 0.5f)
        EXPECT_EQ(pole.process(n == 0 ? 1.0f : 0.0f), expected) << "sample " << n;

    Biquad second;
    second.b0 = 1.0f;
    second.a2 = 0.25f;
    const float secondOut[] = { 1.0f, 0.0f, -0.25f, 0.0f, 0.0625f };
    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(second.process(n == 0 ? 1.0f : 0.0f), secondOut[n]) << "sample " << n;
}

TEST(Biquad, ClearHistoryKeepsCoefficients)
{
    Biquad f;
    f.designPeaking(44100.0, 1000.0, 1.0, 1.5);
    const Biquad designed = f;
    for (int n = 0; n < 10; ++n)
        f.process(0.3f);
    f.clearHistory();
    EXPECT_EQ(f.y1, 0.0f);
    EXPECT_EQ(f.y2, 0.0f);
    EXPECT_EQ(f.x1, 0.0f);
    EXPECT_EQ(f.x2, 0.0f);
    EXPECT_EQ(f.b0, designed.b0);
    EXPECT_EQ(f.a2, designed.a2);
}

struct PeakingCase
{
    double sampleRate, frequency, bandwidth, gainDb;
};

void PrintTo(const PeakingCase& c, std::ostream* os)
{
    *os << c.frequency << " Hz " << c.bandwidth << " oct " << c.gainDb << " dB at " << c.sampleRate;
}

class BiquadPeaking : public ::testing::TestWithParam<PeakingCase>
{
};

TEST_P(BiquadPeaking, GainAtCentreAndHalfGainAtBandEdges)
{
    const PeakingCase c = GetParam();
    Biquad f;
    f.designPeaking(c.sampleRate, c.frequency, c.bandwidth, std::pow(10.0, c.gainDb / 40.0));
    ASSERT_TRUE(isStable(f));

    EXPECT_NEAR(responseDb(f, c.frequency, c.sampleRate), c.gainDb, 0.005);
    // The bandwidth in octaves lies between the half-gain (in dB) frequencies.
    const double edge = std::pow(2.0, c.bandwidth / 2.0);
    EXPECT_NEAR(responseDb(f, c.frequency / edge, c.sampleRate), c.gainDb / 2.0, 0.1);
    EXPECT_NEAR(responseDb(f, c.frequency * edge, c.sampleRate), c.gainDb / 2.0, 0.1);
    // Far from the band the filter is flat.
    EXPECT_NEAR(responseDb(f, c.frequency / 64.0, c.sampleRate), 0.0, 0.05);

    // The same gain, measured with a sine through the Direct Form I step.
    EXPECT_NEAR(measuredGainDb([&f](float x) { return f.process(x); }, c.frequency, c.sampleRate), c.gainDb, 0.02);
}

INSTANTIATE_TEST_SUITE_P(Designs, BiquadPeaking,
                         ::testing::Values(PeakingCase { 44100.0, 210.0, 2.6, 10.0 },
                                           PeakingCase { 48000.0, 210.0, 2.6, -10.0 },
                                           PeakingCase { 44100.0, 890.0, 1.5, -12.0 },
                                           PeakingCase { 48000.0, 890.0, 1.5, 12.0 },
                                           PeakingCase { 44100.0, 2900.0, 1.0, 12.0 },
                                           PeakingCase { 44100.0, 250.0, 1.0, 4.5 },
                                           PeakingCase { 48000.0, 5000.0, 1.0, -5.5 }));

TEST(Biquad, PeakingWithUnitAmplitudeIsExactlyFlat)
{
    for (double fs : { 44100.0, 48000.0 })
        for (double f : { 210.0, 890.0, 2900.0 })
        {
            Biquad band;
            band.designPeaking(fs, f, 1.5, 1.0);
            EXPECT_EQ(band.b0, 1.0f);
            EXPECT_EQ(band.b1, band.a1);
            EXPECT_EQ(band.b2, band.a2);
        }
}

TEST(Biquad, PeakingRoundsTermsToFloatBeforeDividing)
{
    // Reference from the cookbook terms, each rounded to float, divided in
    // double: this is what decides the coefficients to the last bit.
    const double fs = 44100.0, f0 = 890.0, bw = 1.5, A = std::pow(10.0, -12.0 / 40.0);
    const double w0 = 2.0 * biquad_measure::pi * f0 / fs;
    const double alpha = std::sin(w0) * std::sinh(0.34657359027997264 * bw * w0 / std::sin(w0));
    const float g = float(1.0 + alpha / A);
    Biquad band;
    band.designPeaking(fs, f0, bw, A);
    EXPECT_EQ(band.b0, float(double(float(1.0 + alpha * A)) / double(g)));
    EXPECT_EQ(band.b1, float(double(float(-2.0 * std::cos(w0))) / double(g)));
    EXPECT_EQ(band.a2, float(double(float(1.0 - alpha / A)) / double(g)));
}

TEST(Biquad, HighPassBlocksDcAndPassesTheBand)
{
    for (double fs : { 44100.0, 48000.0 })
    {
        Biquad hp;
        hp.designHighPass(fs, 57.0, 2.0);
        ASSERT_TRUE(isStable(hp));
        // Two octaves wide is Q = 1 / (2 sinh(ln 2)) = 2/3 at the corner.
        EXPECT_NEAR(responseDb(hp, 57.0, fs), 20.0 * std::log10(2.0 / 3.0), 0.02);
        EXPECT_LT(responseDb(hp, 5.0, fs), -40.0);
        EXPECT_NEAR(responseDb(hp, 1000.0, fs), 0.0, 0.01);
        EXPECT_NEAR(responseDb(hp, 15000.0, fs), 0.0, 0.001);

        // A constant input dies away: after two seconds nothing is left.
        hp.clearHistory();
        float y = 0.0f;
        float first = hp.process(1.0f);
        for (int n = 1; n < 2 * int(fs); ++n)
            y = hp.process(1.0f);
        EXPECT_GT(first, 0.5f);
        EXPECT_LT(std::fabs(y), 1e-5f);
    }
}
