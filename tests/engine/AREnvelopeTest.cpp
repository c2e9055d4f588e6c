#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <ostream>

#include "engine/AREnvelope.h"

namespace
{
AREnvelope makeEnvelope(float sampleRate, float attack, double attackTarget, float release, double releaseTarget,
                        bool autoRelease = false)
{
    AREnvelope env;
    env.setSampleRate(sampleRate);
    env.setAttack(attack);
    env.setAttackTarget(float(attackTarget));
    env.setRelease(release);
    env.setReleaseTarget(float(releaseTarget));
    env.autoRelease = autoRelease;
    return env;
}

// Samples taken until the level is exactly `goal` (1.0 rising or 0.0
// falling), or -1 if it is not within `limit` samples.
int samplesUntil(AREnvelope& env, double goal, int limit)
{
    for (int n = 1; n <= limit; ++n)
    {
        env.getNextSample();
        if (env.level == goal)
            return n;
    }
    return -1;
}
} // namespace

TEST(AREnvelope, StartsWithItsDefaults)
{
    AREnvelope env;
    EXPECT_EQ(env.sampleRate, 44100.0f);
    EXPECT_EQ(env.getCurrentStage(), AREnvelope::off);
    EXPECT_EQ(env.multiplier, 1.0);
    EXPECT_EQ(env.level, 0.0);
    EXPECT_EQ(env.peakLevel, 1.0);
    EXPECT_EQ(env.stageSamples, 0);
    EXPECT_EQ(env.attackTime, 0.01f);
    EXPECT_EQ(env.releaseTime, 0.2f);
    EXPECT_EQ(env.offset, 0.0001f);
    EXPECT_EQ(env.attackTarget, 0.9);
    EXPECT_EQ(env.releaseTarget, 0.001);
    EXPECT_FALSE(env.autoRelease);
    EXPECT_EQ(env.getNextSample(), 0.0f);
    EXPECT_EQ(int(AREnvelope::off), 0);
    EXPECT_EQ(int(AREnvelope::attack), 1);
    EXPECT_EQ(int(AREnvelope::release), 2);
    EXPECT_EQ(int(AREnvelope::reAttack), 3);
}

TEST(AREnvelope, SettersReplaceImpossibleTimes)
{
    AREnvelope env;
    const struct { float given, attack, release; } cases[] = {
        { -1.0f, 0.001f, 0.01f }, { 0.0f, 0.0f, 0.01f }, { 0.5f, 0.5f, 0.5f }, { -0.0001f, 0.001f, 0.01f },
    };
    for (const auto& c : cases)
    {
        env.setAttack(c.given);
        env.setRelease(c.given);
        EXPECT_EQ(env.attackTime, c.attack) << c.given;
        EXPECT_EQ(env.releaseTime, c.release) << c.given;
    }
    env.setAttackTarget(0.25f);
    env.setReleaseTarget(0.5f);
    EXPECT_EQ(env.attackTarget, 0.25);
    EXPECT_EQ(env.releaseTarget, 0.5);
}

TEST(AREnvelope, StageLengthIsTheRoundedDurationAndAtLeastOneSample)
{
    const struct { float sampleRate, seconds; int samples; } cases[] = {
        { 44100.0f, 0.025f, 1103 },  // 1102.5 rounds up
        { 48000.0f, 0.025f, 1200 },
        { 44100.0f, 0.12f, 5292 },
        { 48000.0f, 0.002f, 96 },
        { 44100.0f, 5.62f, 247842 },
        { 44100.0f, 0.0f, 1 },
        { 44100.0f, 1e-6f, 1 },
    };
    for (const auto& c : cases)
    {
        AREnvelope env;
        env.setSampleRate(c.sampleRate);
        env.setAttack(c.seconds);
        env.setRelease(c.seconds > 0.0f ? c.seconds : 1e-6f);
        env.start();
        EXPECT_EQ(env.stageSamples, c.samples) << c.seconds << " s at " << c.sampleRate;
        env.enterStage(AREnvelope::release);
        EXPECT_EQ(env.stageSamples, c.samples) << c.seconds << " s at " << c.sampleRate;
        env.retrigger();
        EXPECT_EQ(env.stageSamples, c.samples) << c.seconds << " s at " << c.sampleRate;
    }
}

TEST(AREnvelope, MultiplierReachesTheGoalAfterTheStageLength)
{
    for (double target : { 0.001, 0.5, 0.9 })
        for (int samples : { 1, 96, 1103, 5292 })
        {
            AREnvelope env;
            const double m = env.calculateMultiplier(target, samples);
            EXPECT_EQ(env.multiplier, m);
            // m^n = T / (1 + T): a fixed point at 1 + T is 1.0 after n steps.
            EXPECT_NEAR(std::pow(m, samples), target / (1.0 + target), 1e-12);
        }
}

struct CurveCase
{
    float sampleRate;
    float seconds;
    double target;
};

void PrintTo(const CurveCase& c, std::ostream* os)
{
    *os << c.seconds << " s target " << c.target << " at " << c.sampleRate;
}

class AREnvelopeCurve : public ::testing::TestWithParam<CurveCase>
{
};

TEST_P(AREnvelopeCurve, AttackFollowsItsCurveAndEndsOnThePeak)
{
    const CurveCase c = GetParam();
    AREnvelope env = makeEnvelope(c.sampleRate, c.seconds, c.target, 0.1f, 0.001);
    env.start();
    const int n = env.stageSamples;
    const double T = c.target;
    const double m = std::pow(T / (1.0 + T), 1.0 / n);
    // start() already took the first step.
    EXPECT_NEAR(env.level, (1.0 + T) * (1.0 - m), 1e-7);

    float previous = float(env.level);
    int reached = -1;
    for (int j = 2; j <= n + 2; ++j)
    {
        const float y = env.getNextSample();
        ASSERT_GE(y, previous) << "step " << j;
        if (j < n - 1)
        {
            ASSERT_NEAR(y, (1.0 + T) * (1.0 - std::pow(m, j)), 1e-5) << "step " << j;
        }
        if (env.level == 1.0 && reached < 0)
            reached = j;
        previous = y;
    }
    // The peak is reached on the stage's last step (float rounding of the
    // step allows one either side).
    EXPECT_NEAR(reached, n, 1);
    EXPECT_EQ(env.getCurrentStage(), AREnvelope::attack);

    // Without auto-release the level holds at the peak.
    for (int k = 0; k < 1000; ++k)
        ASSERT_EQ(env.getNextSample(), 1.0f);
    EXPECT_EQ(env.level, 1.0);
}

TEST_P(AREnvelopeCurve, ReleaseFollowsItsCurveAndEndsOff)
{
    const CurveCase c = GetParam();
    AREnvelope env = makeEnvelope(c.sampleRate, 0.001f, 0.9, c.seconds, c.target);
    env.start();
    ASSERT_GT(samplesUntil(env, 1.0f, 1000), 0);
    env.enterStage(AREnvelope::release);
    const int n = env.stageSamples;
    const double R = c.target;
    const double m = std::pow(R / (1.0 + R), 1.0 / n);

    float previous = 1.0f;
    int ended = -1;
    for (int j = 1; j <= n + 2; ++j)
    {
        const float y = env.getNextSample();
        ASSERT_LE(y, previous) << "step " << j;
        if (j < n - 1 && y > 1e-3f)
        {
            ASSERT_NEAR(y, -R + (1.0 + R) * std::pow(m, j), 1e-5) << "step " << j;
        }
        if (env.level == 0.0 && ended < 0)
            ended = j;
        previous = y;
    }
    EXPECT_NEAR(ended, n, 1);
    EXPECT_EQ(env.getCurrentStage(), AREnvelope::off);
    for (int k = 0; k < 100; ++k)
        ASSERT_EQ(env.getNextSample(), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Settings, AREnvelopeCurve,
                         ::testing::Values(CurveCase { 44100.0f, 0.025f, 0.001 },  // brass key attack
                                           CurveCase { 48000.0f, 0.025f, 0.001 },
                                           CurveCase { 44100.0f, 0.12f, 0.5 },     // brass key release
                                           CurveCase { 44100.0f, 0.1645f, 0.9 },   // filter contour attack
                                           CurveCase { 48000.0f, 0.2327f, 0.001 }, // filter contour decay
                                           CurveCase { 44100.0f, 0.002f, 0.9 }));

TEST(AREnvelope, BrassKeyAttackTakes1103StepsInAll)
{
    AREnvelope env = makeEnvelope(44100.0f, 0.025f, 0.001, 0.12f, 0.5);
    env.start();
    EXPECT_EQ(env.stageSamples, 1103);
    EXPECT_GT(env.level, 0.0);
    // start() is the first step, so about 1102 more samples reach the peak.
    EXPECT_NEAR(samplesUntil(env, 1.0f, 2000), 1102, 1);
    EXPECT_EQ(env.level, 1.0);
}

TEST(AREnvelope, AutoReleaseFallsRightAfterThePeak)
{
    AREnvelope env = makeEnvelope(44100.0f, 0.01f, 0.9, 0.2f, 0.001, true);
    env.start();
    const int peak = samplesUntil(env, 1.0f, 1000);
    ASSERT_GT(peak, 0);
    EXPECT_EQ(env.getCurrentStage(), AREnvelope::release);
    EXPECT_EQ(env.stageSamples, 8820);
    const float next = env.getNextSample();
    EXPECT_LT(next, 1.0f);
    EXPECT_GT(next, 0.9f);
    EXPECT_NEAR(samplesUntil(env, 0.0f, 20000), 8820 - 1, 1);
    EXPECT_EQ(env.getCurrentStage(), AREnvelope::off);
}

TEST(AREnvelope, ReleaseFromHalfLevelEndsSooner)
{
    AREnvelope env = makeEnvelope(44100.0f, 0.025f, 0.001, 0.12f, 0.5);
    env.start();
    float y = 0.0f;
    while (y < 0.5f)
        y = env.getNextSample();
    env.enterStage(AREnvelope::release);
    EXPECT_EQ(float(env.level), y); // the release continues from the present level
    const int steps = samplesUntil(env, 0.0f, 10000);
    EXPECT_GT(steps, 0);
    EXPECT_LT(steps, 5292 - 1000);
    EXPECT_EQ(env.getCurrentStage(), AREnvelope::off);
}

TEST(AREnvelope, ReleaseFromOffReturnsToOff)
{
    AREnvelope env;
    env.enterStage(AREnvelope::release);
    EXPECT_EQ(env.getCurrentStage(), AREnvelope::release);
    EXPECT_EQ(env.getNextSample(), 0.0f);
    EXPECT_EQ(env.getCurrentStage(), AREnvelope::off);
    EXPECT_EQ(env.stageSamples, 0);
    EXPECT_EQ(env.multiplier, 1.0);
}

TEST(AREnvelope, RetriggerRisesFromThePresentLevel)
{
    AREnvelope env = makeEnvelope(44100.0f, 0.025f, 0.001, 0.12f, 0.5);
    env.start();
    ASSERT_GT(samplesUntil(env, 1.0f, 2000), 0);
    env.enterStage(AREnvelope::release);
    float y = 1.0f;
    while (y > 0.3f)
        y = env.getNextSample();

    env.retrigger();
    EXPECT_EQ(env.getCurrentStage(), AREnvelope::reAttack);
    EXPECT_EQ(float(env.level), y);
    const float first = env.getNextSample();
    EXPECT_GT(first, y);
    EXPECT_LT(first, y + 0.05f);
    // The rest of the attack curve from y: (1 + T)(1 - m^j) = y after
    // j = n ln((1 + T - y) / (1 + T)) / ln(T / (1 + T)) of its n steps.
    const double T = 0.001;
    const double done = 1103.0 * std::log((1.0 + T - y) / (1.0 + T)) / std::log(T / (1.0 + T));
    EXPECT_NEAR(samplesUntil(env, 1.0, 2000) + 1, 1103.0 - done, 2.0);

    // start() instead begins again from the first step above zero.
    env.start();
    EXPECT_LT(env.level, 0.01);
}

TEST(AREnvelope, TinyLevelsAreFlushedToZero)
{
    AREnvelope env;
    env.stage = AREnvelope::release;
    env.multiplier = 1.0;
    env.offset = 0.0f;
    env.level = 1e-35;
    EXPECT_EQ(env.getNextSample(), 0.0f);
    EXPECT_EQ(env.level, 0.0);

    env.level = 1e-33;
    EXPECT_EQ(env.getNextSample(), 1e-33f);
}

TEST(AREnvelope, AbsurdTimesStayDefined)
{
    AREnvelope env;
    env.setAttack(1e30f);
    env.start();
    EXPECT_EQ(env.stageSamples, INT_MAX);
    EXPECT_TRUE(std::isfinite(env.getNextSample()));

    env.setAttack(std::nanf(""));
    env.start();
    EXPECT_EQ(env.stageSamples, 1);
    EXPECT_EQ(env.getNextSample(), 1.0f);
}
