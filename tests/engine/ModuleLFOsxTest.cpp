#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

#include "engine/ModuleLFOsx.h"

namespace
{
// Period and extremes of a wave measured over `samples` samples, from its
// rising zero crossings (interpolated between samples).
struct WaveMeasure
{
    double period = 0.0;
    float minimum = 0.0f;
    float maximum = 0.0f;
};

template <typename Next>
WaveMeasure measureWave(Next&& next, int skip, int samples)
{
    for (int n = 0; n < skip; ++n)
        next();
    WaveMeasure m;
    float previous = next();
    m.minimum = m.maximum = previous;
    double firstCrossing = -1.0, lastCrossing = -1.0;
    int crossings = 0;
    for (int n = 1; n < samples; ++n)
    {
        const float y = next();
        m.minimum = std::fmin(m.minimum, y);
        m.maximum = std::fmax(m.maximum, y);
        if (previous < 0.0f && y >= 0.0f)
        {
            const double at = n - 1 + double(-previous) / (double(y) - previous);
            if (firstCrossing < 0.0)
                firstCrossing = at;
            lastCrossing = at;
            ++crossings;
        }
        previous = y;
    }
    if (crossings > 1)
        m.period = (lastCrossing - firstCrossing) / (crossings - 1);
    return m;
}
} // namespace

TEST(ModuleLFOsx, StartsWithItsDefaults)
{
    const ModuleLFOsx lfo;
    EXPECT_EQ(lfo.phase, 0.0f);
    EXPECT_EQ(lfo.hz, 0.0f);
    EXPECT_EQ(lfo.counter, 0);
    EXPECT_EQ(lfo.sampleRate, 44100.0f);
    EXPECT_EQ(lfo.invSampleRate, 1.0f / 44100.0f);
    EXPECT_EQ(lfo.pitch, 1.0f);
}

TEST(ModuleLFOsx, SampleRateIsNeverBelow32000AndRestartsTheShapes)
{
    ModuleLFOsx lfo;
    lfo.setSampleRate(22050.0f);
    EXPECT_EQ(lfo.sampleRate, 32000.0f);
    EXPECT_EQ(lfo.invSampleRate, 3.125e-05f);

    lfo.setHz(5.0f);
    for (int n = 0; n < 1000; ++n)
    {
        lfo.nextParabolic();
        lfo.nextSmoothedSquare();
    }
    lfo.setSampleRate(48000.0f);
    EXPECT_EQ(lfo.sampleRate, 48000.0f);
    EXPECT_EQ(lfo.invSampleRate, 1.0f / 48000.0f);
    EXPECT_EQ(lfo.phase, 0.0f);
    EXPECT_EQ(lfo.wrapped, 0.0f);
    EXPECT_EQ(lfo.square, 0.0f);
    EXPECT_EQ(lfo.smoothed, 0.0f);
    EXPECT_EQ(lfo.counter, 0);
    EXPECT_EQ(lfo.hz, 5.0f); // the frequency is kept
}

TEST(ModuleLFOsx, ConversionTruncatesTowardZero)
{
    const struct { float x; int expected; } cases[] = {
        { -0.7f, 0 }, { 1.7f, 1 }, { -1.7f, -1 }, { 0.0f, 0 }, { 0.9999f, 0 }, { 2.0f, 2 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ModuleLFOsx::conversion(c.x), c.expected) << c.x;
}

struct RateCase
{
    float sampleRate;
    float hz;
};

void PrintTo(const RateCase& c, std::ostream* os)
{
    *os << c.hz << " Hz at " << c.sampleRate;
}

class ModuleLFOsxRate : public ::testing::TestWithParam<RateCase>
{
};

TEST_P(ModuleLFOsxRate, ParabolicSwingsFullyAtItsFrequency)
{
    const RateCase c = GetParam();
    ModuleLFOsx lfo;
    lfo.setSampleRate(c.sampleRate);
    lfo.setHz(c.hz);
    const double period = c.sampleRate / c.hz;

    // Starts at 0 and rises.
    const float first = lfo.nextParabolic();
    EXPECT_GT(first, 0.0f);
    EXPECT_LT(first, 8.0f * c.hz / c.sampleRate * 1.001f);

    const WaveMeasure m = measureWave([&lfo] { return lfo.nextParabolic(); }, 0, int(period * 8.5));
    EXPECT_NEAR(m.period, period, period * 2e-3);
    EXPECT_NEAR(m.maximum, 1.0f, 1e-3f);
    EXPECT_NEAR(m.minimum, -1.0f, 1e-3f);
}

TEST_P(ModuleLFOsxRate, SmoothedSquareSettlesToItsTriangleAmplitude)
{
    const RateCase c = GetParam();
    ModuleLFOsx lfo;
    lfo.setSampleRate(c.sampleRate);
    lfo.setHz(c.hz);
    const double period = c.sampleRate / c.hz;

    // Starts from nothing and builds up.
    EXPECT_LT(std::fabs(lfo.nextSmoothedSquare()), 0.01f);

    // A one-pole smoother at a tenth of the square's frequency leaves a peak
    // of tanh(0.05 pi) of the square's level, scaled by 3.3.
    const float steady = float(3.3 * std::tanh(0.05 * 3.141592653589793));
    const WaveMeasure m = measureWave([&lfo] { return lfo.nextSmoothedSquare(); }, int(period * 30), int(period * 6.5));
    EXPECT_NEAR(m.period, period, 1.0);
    // Whole samples make the two halves differ by one at high rates, which
    // moves the wave a little off centre; its swing stays the same.
    EXPECT_NEAR((m.maximum - m.minimum) / 2.0f, steady, 0.003f);
    EXPECT_NEAR(m.maximum, steady, 0.01f);
    EXPECT_NEAR(m.minimum, -steady, 0.01f);
}

INSTANTIATE_TEST_SUITE_P(Rates, ModuleLFOsxRate,
                         ::testing::Values(RateCase { 44100.0f, 6.5f }, RateCase { 44100.0f, 0.86f },
                                           RateCase { 48000.0f, 6.5f }, RateCase { 48000.0f, 0.86f },
                                           RateCase { 44100.0f, 4.82f }, RateCase { 48000.0f, 29.25f },
                                           RateCase { 44100.0f, 0.25f }));

TEST(ModuleLFOsx, ParabolicFrequencyLimits)
{
    // Zero runs at 1e-11 Hz: practically still.
    ModuleLFOsx still;
    still.setSampleRate(44100.0f);
    still.setHz(0.0f);
    for (int n = 0; n < 100000; ++n)
        ASSERT_LT(std::fabs(still.nextParabolic()), 1e-9f);
    EXPECT_EQ(still.hz, 1e-11f);

    // Above a quarter of the rate it runs at exactly a quarter: 0, 1, 0, -1.
    ModuleLFOsx fast;
    fast.setSampleRate(48000.0f);
    fast.setHz(30000.0f);
    const float expected[] = { 1.0f, 0.0f, -1.0f, 0.0f };
    for (int n = 0; n < 40; ++n)
        EXPECT_NEAR(fast.nextParabolic(), expected[n % 4], 1e-5f) << "sample " << n;
    EXPECT_EQ(fast.hz, 12000.0f);
}

TEST(ModuleLFOsx, SmoothedSquareCountsItsHalfPeriods)
{
    // 6.5 Hz at 44100 Hz: a half period of 3392.3 samples; the counter
    // wraps by 6784 after reaching 6785.
    ModuleLFOsx lfo;
    lfo.setSampleRate(44100.0f);
    lfo.setHz(6.5f);
    for (int n = 1; n <= 6785; ++n)
    {
        lfo.nextSmoothedSquare();
        ASSERT_EQ(lfo.counter, n);
        ASSERT_EQ(lfo.square, n <= 3392 ? 1.0f : -1.0f) << "counter " << n;
    }
    lfo.nextSmoothedSquare();
    EXPECT_EQ(lfo.counter, 2);
    EXPECT_EQ(lfo.square, 1.0f);
}

TEST(ModuleLFOsx, SmoothedSquareFrequencyLimits)
{
    ModuleLFOsx slow;
    slow.setSampleRate(44100.0f);
    slow.setHz(0.01f);
    slow.nextSmoothedSquare();
    EXPECT_EQ(slow.hz, 0.1f);

    ModuleLFOsx fast;
    fast.setSampleRate(44100.0f);
    fast.setHz(10000.0f);
    fast.nextSmoothedSquare();
    EXPECT_EQ(fast.hz, 5512.5f);
}

TEST(ModuleLFOsx, NonNumberFrequencyRunsAtTheLowerLimit)
{
    ModuleLFOsx lfo;
    lfo.setSampleRate(44100.0f);
    lfo.setHz(std::nanf(""));
    EXPECT_TRUE(std::isfinite(lfo.nextParabolic()));
    EXPECT_EQ(lfo.hz, 1e-11f);
    lfo.setHz(std::nanf(""));
    EXPECT_TRUE(std::isfinite(lfo.nextSmoothedSquare()));
    EXPECT_EQ(lfo.hz, 0.1f);
}
