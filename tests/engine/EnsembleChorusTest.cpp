#include "engine/EnsembleChorus.h"
#include "tests/engine/ToneMeasure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace
{
std::unique_ptr<EnsembleChorus> preparedChorus(float rate)
{
    auto chorus = std::make_unique<EnsembleChorus>();
    chorus->prepare(rate);
    return chorus;
}

}   // namespace

struct RateCase
{
    float rate;
    int fastPhaseDelay;
    int slowPhaseDelay;
    float dcCoefficient;
};

class EnsembleChorusRate : public ::testing::TestWithParam<RateCase>
{
};

// The oscillator copies lag by a third of their periods (120 and 122
// degrees) and the DC blockers sit at 40 Hz, whatever the rate.
TEST_P(EnsembleChorusRate, PrepareSetsPhaseDelaysAndDcPole)
{
    const RateCase c = GetParam();
    auto chorus = preparedChorus(c.rate);
    EXPECT_EQ(chorus->fastPhaseDelay, c.fastPhaseDelay);
    EXPECT_EQ(chorus->slowPhaseDelay, c.slowPhaseDelay);
    EXPECT_NEAR(chorus->dcCoefficient, c.dcCoefficient, 5e-6);
    EXPECT_NEAR(chorus->dcCoefficient, std::exp(-2.0 * M_PI * 40.0 / c.rate), 2e-5);
    EXPECT_FLOAT_EQ(chorus->slowDepth, 0.34f);
    EXPECT_FLOAT_EQ(chorus->fastDepth, 0.12f);
    EXPECT_FLOAT_EQ(chorus->delayScale, 1.21f);
    // 2262 samples at 6.5 Hz is 120 degrees of the period.
    EXPECT_NEAR(chorus->fastPhaseDelay * chorus->fastHz * 360.0 / c.rate, 120.0, 0.1);
    EXPECT_NEAR(chorus->slowPhaseDelay * chorus->slowHz * 360.0 / c.rate, 122.0, 0.1);
}

// Silence stays (practically) silent once prepare's warm-up has let the
// saturation's constant term die away in the DC blockers.
TEST_P(EnsembleChorusRate, SilenceInGivesSilenceOut)
{
    auto chorus = preparedChorus(GetParam().rate);
    float peak = 0.0f;
    for (int i = 0; i < 2 * 48000; ++i)
        peak = std::max(peak, std::fabs(chorus->tick(0.0f)));
    EXPECT_LT(peak, 1e-9f);
}

// Lines and output are DC-blocked: a constant input settles to 0.
TEST_P(EnsembleChorusRate, ConstantInputSettlesToZero)
{
    auto chorus = preparedChorus(GetParam().rate);
    std::vector<float> out;
    for (int i = 0; i < 48000; ++i)
        out.push_back(chorus->tick(0.5f));
    EXPECT_GT(peakOf(out, 0, 2000), 0.01f);   // the step does come through
    EXPECT_LT(peakOf(out, out.size() - 4800, out.size()), 1e-4f);
}

// No dry path: an impulse shows up only after the line delays, which span
// about 3 to 4.2 ms while the oscillators run, and returns through the
// feedback at roughly a tenth of its level.
TEST_P(EnsembleChorusRate, ImpulseArrivesAfterTheLineDelays)
{
    const float rate = GetParam().rate;
    auto chorus = preparedChorus(rate);
    std::vector<float> out;
    out.push_back(chorus->tick(1.0f));
    for (int i = 0; i < 2000; ++i)
        out.push_back(chorus->tick(0.0f));

    const size_t earliest = static_cast<size_t>(0.0029 * rate);   // 128 samples at 44.1k
    const size_t latest = static_cast<size_t>(0.0043 * rate);     // 189 samples at 44.1k
    const float main = peakOf(out, earliest, latest);
    EXPECT_GT(main, 0.05f);
    EXPECT_LT(peakOf(out, 0, earliest - 8), main * 1e-3f);

    // The first echo (one more pass through a line) is much weaker but there.
    const float echo = peakOf(out, 2 * earliest, 2 * latest + 8);
    EXPECT_GT(echo, main * 0.02f);
    EXPECT_LT(echo, main * 0.3f);
}

INSTANTIATE_TEST_SUITE_P(Rates, EnsembleChorusRate,
                         ::testing::Values(RateCase{44100.0f, 2262, 17378, 0.99430f},
                                           RateCase{48000.0f, 2462, 18915, 0.99476f}));

TEST(EnsembleChorus, LowRatesUseTheFixedDcPole)
{
    auto chorus = preparedChorus(22050.0f);
    EXPECT_FLOAT_EQ(chorus->dcCoefficient, 0.992146f);
}

// The slow oscillator's copy reads a history that prepare cleared: for
// slowPhaseDelay samples after prepare (4096 of them in the warm-up) it is
// 0, and then it is the oscillator's output from that long ago.
TEST(EnsembleChorus, SlowHistoryIsReadAThirdOfAPeriodBehind)
{
    auto chorus = preparedChorus(44100.0f);
    const int delay = chorus->slowPhaseDelay;
    std::vector<float> written;
    for (int n = EnsembleChorus::warmUpSamples; n < delay + 2000; ++n)
    {
        chorus->tick(0.0f);
        const DelayB& history = chorus->slowLfoDelay;
        const float readBack = history.buffer[history.readIndex];
        if (n < delay)
        {
            ASSERT_EQ(readBack, 0.0f) << "sample " << n;
        }
        else if (n == delay + 1000)
        {
            // Slot written delay samples ago holds the value read now.
            const int slot = (history.writeIndex - 1 - delay) & (DelayB::bufferSize - 1);
            EXPECT_EQ(history.buffer[slot], readBack);
            EXPECT_NE(readBack, 0.0f);
        }
    }
}

// The line's soft clipper: the constant term, the ends of the cubic and
// the slightly discontinuous clipping levels beyond them.
TEST(EnsembleChorus, SaturationCurve)
{
    struct Case
    {
        float in;
        float out;
        float tolerance;
    };
    const Case cases[] = {
        {0.0f, 0.005893177587029f, 0.0f},
        {1.0f, 1.01146f, 1e-5f},
        {-1.0f, -0.96432f, 1e-5f},
        {1.0001f, 1.0f, 0.0f},
        {-1.0001f, -0.9761f, 0.0f},
        {50.0f, 1.0f, 0.0f},
        {-50.0f, -0.9761f, 0.0f},
        {0.5f, 0.5f * 0.5f * 0.017679532761088f + 0.125f * 0.074999901728955f
                   + 0.5f * 0.912890447963023f + 0.005893177587029f,
         1e-7f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(EnsembleChorus::saturate(c.in), c.out, c.tolerance) << "v = " << c.in;
    // Monotonic inside the clipping points.
    for (int i = -100; i < 100; ++i)
        EXPECT_LT(EnsembleChorus::saturate(i * 0.01f), EnsembleChorus::saturate((i + 1) * 0.01f));
}

// The spline runs from a (t = 0) to b (t = 1) and reproduces samples of a
// quadratic exactly in between.
TEST(EnsembleChorus, InterpolationFollowsAQuadratic)
{
    // Samples of f(x) = 0.3 x^2 - 0.2 x + 0.1 at x = -1 (c), 0 (a), 1 (b), 2 (e).
    auto f = [](float x) { return 0.3f * x * x - 0.2f * x + 0.1f; };
    const float c = f(-1.0f), a = f(0.0f), b = f(1.0f), e = f(2.0f);
    for (float t : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f})
        EXPECT_NEAR(EnsembleChorus::interpolate(a, b, c, e, t), f(t), 1e-6f) << "t = " << t;
}
