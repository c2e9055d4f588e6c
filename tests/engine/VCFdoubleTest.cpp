#include "engine/VCFdouble.h"
#include "tests/engine/ToneMeasure.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <complex>
#include <random>

namespace
{
const double pi = 3.14159265358979323846;

double cutoffHz(float control)
{
    return 16.3516 * std::pow(2.0, 10.0 * control);
}

// Small-signal model of the filter: two second-order low-passes at the
// cutoff, the first with the glided damping and the second with damping 1,
// each with a pass-band gain of 2, and the output scaled by 1/3.
double modelGain(double hz, double cutoff, double damping)
{
    const std::complex<double> s(0.0, hz / cutoff);
    const std::complex<double> first = 2.0 / (s * s + damping * s + 1.0);
    const std::complex<double> second = 2.0 / (s * s + s + 1.0);
    return std::abs(first * second) / 3.0;
}

double dampingFor(float resonance)
{
    const double g = resonance * 0.8;
    return (1.0 - g) * (1.0 - g) * 2.0;
}

// Implied cutoff of the coefficient (a filter run at twice the rate).
double impliedCutoff(double frequency, double sampleRate)
{
    return std::asin(frequency / 2.0) * 2.0 * sampleRate / pi;
}
} // namespace

TEST(spcfilter, InitRestoresTheInitialState)
{
    spcfilter filter;
    for (int n = 0; n < 1000; ++n)
        filter.tick(0.3f, 0.6f, 0.7f, 44100.0f);
    filter.init();
    EXPECT_EQ(filter.low1, 0.0);
    EXPECT_EQ(filter.band1, 0.0);
    EXPECT_EQ(filter.low2, 0.0);
    EXPECT_EQ(filter.band2, 0.0);
    EXPECT_EQ(filter.antiDenormal, 1e-25);
    EXPECT_EQ(filter.frequency, 0.0);
    EXPECT_EQ(filter.previousInput, 0.0);
    EXPECT_EQ(filter.damping, 0.0);
    EXPECT_EQ(filter.cutoffGlide, 0.0f);
    EXPECT_EQ(filter.cutoffStep, 0.0f);
    EXPECT_EQ(filter.dampingGlide, 0.0f);
    EXPECT_EQ(filter.dampingStep, 0.0f);
    EXPECT_EQ(filter.glideCounter, 0);
}

TEST(spcfilter, ControlsAreSampledEvery256SamplesAndGlidedLinearly)
{
    spcfilter filter;
    // The first tick after init starts from a closed, very resonant filter.
    filter.tick(0.0f, 0.8f, 0.5f, 44100.0f);
    EXPECT_EQ(filter.cutoffStep, 0.8f * 0.00390625f);
    EXPECT_EQ(filter.cutoffGlide, filter.cutoffStep);
    EXPECT_LT(filter.damping, 0.01);
    EXPECT_EQ(filter.glideCounter, 1);

    // Changes within the segment are not seen; its end reaches the targets.
    for (int n = 1; n < 256; ++n)
    {
        filter.tick(0.0f, 0.1f, 0.0f, 44100.0f);
        ASSERT_NEAR(filter.cutoffGlide, 0.8 * (n + 1) / 256.0, 1e-5);
    }
    EXPECT_NEAR(filter.cutoffGlide, 0.8f, 1e-5f);
    EXPECT_NEAR(filter.dampingGlide, dampingFor(0.5f), 1e-5);

    // The next segment glides to the controls of its first sample.
    filter.tick(0.0f, 0.2f, 1.0f, 44100.0f);
    EXPECT_NEAR(filter.cutoffStep, (0.2 - 0.8) / 256.0, 1e-7);
    for (int n = 1; n < 256; ++n)
        filter.tick(0.0f, 0.9f, 0.0f, 44100.0f);
    EXPECT_NEAR(filter.cutoffGlide, 0.2f, 1e-5f);
    EXPECT_NEAR(filter.dampingGlide, dampingFor(1.0f), 1e-5);
    EXPECT_NEAR(filter.damping, 0.08, 1e-5);
}

TEST(spcfilter, GlideCounterWrapsAroundCleanly)
{
    spcfilter filter;
    filter.glideCounter = INT_MAX; // low 8 bits 0xFF: inside a segment
    filter.tick(0.0f, 0.5f, 0.0f, 44100.0f);
    EXPECT_EQ(filter.cutoffStep, 0.0f);
    EXPECT_EQ(filter.glideCounter, INT_MIN);
    filter.tick(0.0f, 0.5f, 0.0f, 44100.0f); // low 8 bits 0: a new segment
    EXPECT_EQ(filter.cutoffStep, 0.5f * 0.00390625f);
    EXPECT_EQ(filter.glideCounter, INT_MIN + 1);
}

TEST(spcfilter, CutoffSpansTenOctaves)
{
    struct Case { float control; float sampleRate; double hz; double tolerance; };
    const Case cases[] = {
        {1e-11f, 44100.0f, 16.3516, 0.001}, {0.5f, 44100.0f, 523.25, 0.001},
        {0.5f, 48000.0f, 523.25, 0.001},    {1.0f, 44100.0f, 16744.0, 0.01},
        {1.0f, 48000.0f, 16744.0, 0.01},
    };
    for (const Case& c : cases)
    {
        spcfilter filter;
        for (int n = 0; n < 1024; ++n)
            filter.tick(0.0f, c.control, 0.5f, c.sampleRate);
        EXPECT_NEAR(impliedCutoff(filter.frequency, c.sampleRate), c.hz, c.hz * c.tolerance)
            << "control " << c.control << " at " << c.sampleRate;
    }
}

TEST(spcfilter, DampingIsLimitedAtHighCutoffs)
{
    struct Case { float control; float resonance; bool limited; };
    const Case cases[] = {{1.0f, 0.0f, true}, {1.0f, 1.0f, false}, {0.5f, 0.0f, false}, {0.9f, 0.0f, false}, {0.97f, 0.0f, true}};
    for (const Case& c : cases)
    {
        spcfilter filter;
        for (int n = 0; n < 1024; ++n)
            filter.tick(0.0f, c.control, c.resonance, 44100.0f);
        const double limit = 2.0 / filter.frequency - filter.frequency * 0.5;
        if (c.limited)
        {
            EXPECT_LT(limit, filter.dampingGlide);
            EXPECT_EQ(filter.damping, limit);
        }
        else
        {
            EXPECT_EQ(filter.damping, static_cast<double>(filter.dampingGlide));
        }
    }
}

// Small signals, so the square-law shaping is negligible.
TEST(spcfilter, MeasuredResponseFollowsTheTwoStageLowPass)
{
    struct Case { float control; float resonance; double probeRatio; };
    const Case cases[] = {
        {0.3f, 0.0f, 0.1},  {0.3f, 0.0f, 1.0},  {0.3f, 0.0f, 2.0},  {0.5f, 0.5f, 0.25},
        {0.5f, 0.5f, 1.0},  {0.5f, 0.5f, 2.0},  {0.5f, 1.0f, 1.0},  {0.5f, 1.0f, 0.5},
        {0.7f, 0.2f, 1.0},  {0.7f, 0.2f, 0.05}, {0.4f, 0.0f, 4.0},
    };
    for (const Case& c : cases)
    {
        spcfilter filter;
        const double cutoff = cutoffHz(c.control);
        const double probe = std::round(cutoff * c.probeRatio);
        const double gain = measureGain(
            [&](float x) { return filter.tick(x, c.control, c.resonance, 44100.0f); }, probe, 44100.0, 0.001, 2.0);
        EXPECT_NEAR(toDecibels(gain), toDecibels(modelGain(probe, cutoff, dampingFor(c.resonance))), 0.4)
            << "control " << c.control << " resonance " << c.resonance << " probe " << probe;
    }
}

TEST(spcfilter, PassBandGainIsFourThirds)
{
    spcfilter filter;
    float y = 0.0f;
    for (int n = 0; n < 44100; ++n)
        y = filter.tick(0.001f, 0.6f, 0.5f, 44100.0f);
    EXPECT_NEAR(y / 0.001, 4.0 / 3.0, 1e-3);
}

TEST(spcfilter, StaysBoundedOnNoiseAtEveryExtreme)
{
    const float controls[] = {1e-11f, 0.5f, 1.0f};
    const float resonances[] = {0.0f, 1.0f};
    for (float control : controls)
        for (float resonance : resonances)
            for (float sampleRate : {44100.0f, 48000.0f})
            {
                spcfilter filter;
                std::mt19937 random(7);
                std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
                float peak = 0.0f;
                for (int n = 0; n < 48000; ++n)
                    peak = std::max(peak, std::fabs(filter.tick(noise(random), control, resonance, sampleRate)));
                EXPECT_TRUE(std::isfinite(peak));
                EXPECT_LT(peak, 20.0f) << control << " " << resonance << " " << sampleRate;
            }
}

TEST(spcfilter, SilenceCarriesOnlyTheFlippingOffset)
{
    spcfilter filter;
    for (int n = 0; n < 2000; ++n)
    {
        const double offset = filter.antiDenormal;
        const float y = filter.tick(0.0f, 0.5f, 0.3f, 44100.0f);
        ASSERT_EQ(filter.antiDenormal, -offset);
        ASSERT_EQ(std::fabs(offset), 1e-25);
        ASSERT_LT(std::fabs(y), 1e-20f);
    }
}
