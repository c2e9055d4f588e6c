#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <random>

#include "engine/StringsEqualiser.h"
#include "tests/engine/BiquadMeasure.h"

using biquad_measure::isStable;
using biquad_measure::measuredGainDb;
using biquad_measure::responseDb;

namespace
{
constexpr double rates[] = { 44100.0, 48000.0 };

bool sameCoefficients(const Biquad& a, const Biquad& b)
{
    return a.b0 == b.b0 && a.b1 == b.b1 && a.b2 == b.b2 && a.a1 == b.a1 && a.a2 == b.a2;
}

bool historyIsZero(const Biquad& f)
{
    return f.y1 == 0.0f && f.y2 == 0.0f && f.x1 == 0.0f && f.x2 == 0.0f;
}

void feedNoise(StringsEqualiser& eq, int samples)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    for (int n = 0; n < samples; ++n)
        eq.processStrings(noise(rng));
}
} // namespace

TEST(StringsEqualiser, HoldsTheDesignValues)
{
    StringsEqualiser eq;
    const double frequency[] = { 210.0, 890.0, 2900.0 };
    const double bandwidth[] = { 2.6, 1.5, 1.0 };
    const double range[] = { 10.0, 12.0, 12.0 };
    for (int b = 0; b < 3; ++b)
    {
        EXPECT_EQ(eq.eqFrequency[b], frequency[b]);
        EXPECT_EQ(eq.eqBandwidth[b], bandwidth[b]);
        EXPECT_EQ(eq.eqRange[b], range[b]);
    }
    const double body[] = { 120.0, 250.0, 500.0, 1000.0, 2500.0, 5000.0, 12000.0 };
    for (int b = 0; b < 7; ++b)
        EXPECT_EQ(eq.bodyFrequency[b], body[b]);
    EXPECT_EQ(StringsEqualiser::lowBand, 0);
    EXPECT_EQ(StringsEqualiser::middleBand, 1);
    EXPECT_EQ(StringsEqualiser::highBand, 2);
}

TEST(StringsEqualiser, BodyCurveBandsHaveTheirGainsAtTheirCentres)
{
    const double gainDb[] = { 3.5, 4.5, 0.5, 0.5, -4.5, -5.5, -5.5 };
    for (double fs : rates)
    {
        StringsEqualiser eq;
        eq.design(fs);
        for (int b = 0; b < StringsEqualiser::numBodyBands; ++b)
        {
            EXPECT_TRUE(isStable(eq.bodyBand[b])) << fs << " Hz, band " << b;
            EXPECT_NEAR(responseDb(eq.bodyBand[b], eq.bodyFrequency[b], fs), gainDb[b], 0.005)
                << fs << " Hz, band " << b;
            // One octave wide: half the gain (in dB) half an octave away.
            if (eq.bodyFrequency[b] < 3000.0)
            {
                EXPECT_NEAR(responseDb(eq.bodyBand[b], eq.bodyFrequency[b] * std::sqrt(2.0), fs), gainDb[b] / 2.0, 0.05);
            }
        }
    }
}

TEST(StringsEqualiser, DesignStartsFlatWithZeroHistories)
{
    for (double fs : rates)
    {
        StringsEqualiser eq;
        eq.design(fs);
        feedNoise(eq, 100);
        eq.design(fs);
        for (const Biquad& band : eq.eqBand)
        {
            EXPECT_EQ(band.b0, 1.0f);
            EXPECT_EQ(band.b1, band.a1);
            EXPECT_EQ(band.b2, band.a2);
            EXPECT_TRUE(historyIsZero(band));
        }
        EXPECT_TRUE(historyIsZero(eq.highPass));
        for (const Biquad& band : eq.bodyBand)
            EXPECT_TRUE(historyIsZero(band));
    }
}

TEST(StringsEqualiser, FlatBandsPassTheSignalThrough)
{
    StringsEqualiser eq;
    eq.design(44100.0);
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (Biquad band : eq.eqBand)
        for (int n = 0; n < 20000; ++n)
        {
            const float x = noise(rng);
            ASSERT_NEAR(band.process(x), x, 1e-4f) << "sample " << n;
        }
}

struct BandCase
{
    int band;
    int raw;
    double frequency;
    double gainDb;
};

void PrintTo(const BandCase& c, std::ostream* os)
{
    *os << "band " << c.band << " raw " << c.raw;
}

class StringsEqualiserBand : public ::testing::TestWithParam<BandCase>
{
};

TEST_P(StringsEqualiserBand, RawValueSetsTheGainAtTheBandCentre)
{
    const BandCase c = GetParam();
    for (double fs : rates)
    {
        StringsEqualiser eq;
        eq.design(fs);
        eq.setBandGain(c.band, c.raw);
        EXPECT_TRUE(isStable(eq.eqBand[c.band]));
        EXPECT_NEAR(responseDb(eq.eqBand[c.band], c.frequency, fs), c.gainDb, 0.005) << fs << " Hz";
    }
}

INSTANTIATE_TEST_SUITE_P(Bands, StringsEqualiserBand,
                         ::testing::Values(BandCase { StringsEqualiser::lowBand, 127, 210.0, 10.0 },
                                           BandCase { StringsEqualiser::lowBand, 0, 210.0, -10.0 },
                                           BandCase { StringsEqualiser::lowBand, 64, 210.0, 10.0 / 127.0 },
                                           BandCase { StringsEqualiser::middleBand, 0, 890.0, -12.0 },
                                           BandCase { StringsEqualiser::middleBand, 127, 890.0, 12.0 },
                                           BandCase { StringsEqualiser::middleBand, 64, 890.0, 12.0 / 127.0 },
                                           BandCase { StringsEqualiser::highBand, 127, 2900.0, 12.0 },
                                           BandCase { StringsEqualiser::highBand, 0, 2900.0, -12.0 },
                                           BandCase { StringsEqualiser::highBand, 32, 2900.0, 64.0 / 127.0 * 12.0 - 12.0 }));

TEST(StringsEqualiser, ChainGainChangesByTheBandGainWhenMeasured)
{
    // The chain is linear, so the ratio of a boosted chain to a flat one at
    // the band's centre is that band's gain, whatever the body curve does.
    struct Case { int band; int raw; double frequency; double gainDb; };
    const Case cases[] = { { StringsEqualiser::lowBand, 127, 210.0, 10.0 },
                           { StringsEqualiser::middleBand, 0, 890.0, -12.0 },
                           { StringsEqualiser::highBand, 127, 2900.0, 12.0 } };
    for (const Case& c : cases)
    {
        StringsEqualiser flat, set;
        flat.design(48000.0);
        set.design(48000.0);
        set.setBandGain(c.band, c.raw);
        const double flatDb = measuredGainDb([&flat](float x) { return flat.processStrings(x); }, c.frequency, 48000.0);
        const double setDb = measuredGainDb([&set](float x) { return set.processStrings(x); }, c.frequency, 48000.0);
        EXPECT_NEAR(setDb - flatDb, c.gainDb, 0.03) << "band " << c.band;
    }
}

TEST(StringsEqualiser, ChainRunsBodyThenHighMiddleLowThenHighPass)
{
    // The order decides the float rounding, so it is checked sample by
    // sample against the stages run by hand.
    StringsEqualiser eq;
    eq.design(44100.0);
    eq.setBandGain(StringsEqualiser::lowBand, 100);
    eq.setBandGain(StringsEqualiser::middleBand, 20);
    eq.setBandGain(StringsEqualiser::highBand, 110);
    StringsEqualiser byHand = eq;
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (int n = 0; n < 2000; ++n)
    {
        const float x = noise(rng);
        float s = x;
        for (Biquad& body : byHand.bodyBand)
            s = body.process(s);
        s = byHand.eqBand[2].process(s);
        s = byHand.eqBand[1].process(s);
        s = byHand.eqBand[0].process(s);
        s = byHand.highPass.process(s);
        ASSERT_EQ(eq.processStrings(x), s) << "sample " << n;
    }
}

TEST(StringsEqualiser, ConstantInputDecaysToZero)
{
    for (double fs : rates)
    {
        StringsEqualiser eq;
        eq.design(fs);
        for (int b = 0; b < 3; ++b)
            eq.setBandGain(b, 127);
        float y = 0.0f;
        float peak = 0.0f;
        for (int n = 0; n < 3 * int(fs); ++n)
        {
            y = eq.processStrings(0.5f);
            peak = std::fmax(peak, std::fabs(y));
        }
        EXPECT_GT(peak, 0.1f);
        EXPECT_LT(std::fabs(y), 1e-4f) << fs << " Hz";
    }
}

TEST(StringsEqualiser, ImpulseResponseDiesAwayAtEverySetting)
{
    for (double fs : rates)
        for (int raw : { 0, 64, 127 })
        {
            StringsEqualiser eq;
            eq.design(fs);
            for (int b = 0; b < 3; ++b)
                eq.setBandGain(b, raw);
            for (const Biquad& band : eq.eqBand)
                EXPECT_TRUE(isStable(band));
            EXPECT_TRUE(isStable(eq.highPass));
            double tailEnergy = 0.0;
            const int length = 2 * int(fs);
            for (int n = 0; n < length; ++n)
            {
                const float y = eq.processStrings(n == 0 ? 1.0f : 0.0f);
                ASSERT_TRUE(std::isfinite(y));
                if (n >= length - 4800)
                    tailEnergy += double(y) * y;
            }
            EXPECT_LT(tailEnergy, 1e-12) << fs << " Hz, raw " << raw;
        }
}

TEST(StringsEqualiser, SetBandGainKeepsHistoryAndIgnoresBadInput)
{
    StringsEqualiser eq;
    eq.design(44100.0);
    feedNoise(eq, 500);
    const StringsEqualiser before = eq;

    eq.setBandGain(StringsEqualiser::middleBand, 127);
    EXPECT_FALSE(sameCoefficients(eq.eqBand[1], before.eqBand[1]));
    EXPECT_EQ(eq.eqBand[1].y1, before.eqBand[1].y1);
    EXPECT_EQ(eq.eqBand[1].x2, before.eqBand[1].x2);

    const StringsEqualiser set = eq;
    for (int band : { -1, 3 })
        eq.setBandGain(band, 100);
    for (int raw : { -1, 128, 1000 })
        eq.setBandGain(StringsEqualiser::lowBand, raw);
    for (int b = 0; b < 3; ++b)
        EXPECT_TRUE(sameCoefficients(eq.eqBand[b], set.eqBand[b])) << "band " << b;
}

TEST(StringsEqualiser, ClearZeroesAdjustableBandsAndHighPassOnly)
{
    StringsEqualiser eq;
    eq.design(48000.0);
    feedNoise(eq, 500);
    const StringsEqualiser before = eq;
    eq.clear();
    for (const Biquad& band : eq.eqBand)
        EXPECT_TRUE(historyIsZero(band));
    EXPECT_TRUE(historyIsZero(eq.highPass));
    for (int b = 0; b < 7; ++b)
    {
        EXPECT_FALSE(historyIsZero(eq.bodyBand[b]));
        EXPECT_EQ(eq.bodyBand[b].y1, before.bodyBand[b].y1);
        EXPECT_EQ(eq.bodyBand[b].x2, before.bodyBand[b].x2);
    }
}

TEST(StringsEqualiser, CoefficientsMatchTheRoundedDesignArithmetic)
{
    // Worked out separately in double precision with each term rounded to
    // float where the design rounds it; any change in the rounding or in the
    // order of operations moves at least one of these bits.
    struct Case { double sampleRate; int band; int raw; float expected[5]; };
    const Case cases[] = {
        { 44100.0, 0, 0, { 0x1.edd7aep-1f, -0x1.e53a54p+0f, 0x1.dd0c36p-1f, -0x1.e53a54p+0f, 0x1.cae3e4p-1f } },
        { 44100.0, 0, 1, { 0x1.ee267ap-1f, -0x1.e5747ep+0f, 0x1.dd31dp-1f, -0x1.e5747ep+0f, 0x1.cb5848p-1f } },
        { 44100.0, 0, 2, { 0x1.ee74f6p-1f, -0x1.e5ae2ep+0f, 0x1.dd56bep-1f, -0x1.e5ae2ep+0f, 0x1.cbcbb6p-1f } },
        { 48000.0, 1, 127, { 0x1.177b54p+0f, -0x1.ece1dcp+0f, 0x1.b18758p-1f, -0x1.ece1dcp+0f, 0x1.e07ep-1f } },
        { 48000.0, 2, 64, { 0x1.00547cp+0f, -0x1.a37fcp+0f, 0x1.86a50ap-1f, -0x1.a37fcp+0f, 0x1.874e04p-1f } },
        { 44100.0, 1, 64, { 0x1.002dfep+0f, -0x1.db4c0ep+0f, 0x1.bdedc2p-1f, -0x1.db4c0ep+0f, 0x1.be49c4p-1f } },
        { 48000.0, 0, 100, { 0x1.04c75ap+0f, -0x1.f59fap+0f, 0x1.e2119cp-1f, -0x1.f59fap+0f, 0x1.eba052p-1f } },
    };
    for (const Case& c : cases)
    {
        StringsEqualiser eq;
        eq.design(c.sampleRate);
        eq.setBandGain(c.band, c.raw);
        const Biquad& f = eq.eqBand[c.band];
        const float actual[5] = { f.b0, f.b1, f.b2, f.a1, f.a2 };
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(actual[k], c.expected[k]) << c.sampleRate << " Hz, band " << c.band << ", raw " << c.raw << ", coefficient " << k;
    }

    // High-pass and the 12 kHz body band (b0 b1 b2 a1 a2) at both rates.
    const float highPass44[5] = { 0x1.fce458p-1f, -0x1.fce458p+0f, 0x1.fce458p-1f, -0x1.fce232p+0f, 0x1.f9ccfcp-1f };
    const float body44[5] = { 0x1.90c35ep-1f, 0x1.307ed6p-3f, 0x1.29fe08p-2f, 0x1.307ed6p-3f, 0x1.2e131p-4f };
    const float highPass48[5] = { 0x1.fd24cap-1f, -0x1.fd24cap+0f, 0x1.fd24cap-1f, -0x1.fd22fap+0f, 0x1.fa4d36p-1f };
    const float body48[5] = { 0x1.96667p-1f, -0x1.3c76e8p-54f, 0x1.4ec882p-2f, -0x1.3c76e8p-54f, 0x1.ee558ap-4f };
    const struct { double sampleRate; const float* highPass; const float* body; } fixed[] = {
        { 44100.0, highPass44, body44 }, { 48000.0, highPass48, body48 } };
    for (const auto& c : fixed)
    {
        StringsEqualiser eq;
        eq.design(c.sampleRate);
        const Biquad* filters[2] = { &eq.highPass, &eq.bodyBand[6] };
        const float* expected[2] = { c.highPass, c.body };
        for (int i = 0; i < 2; ++i)
        {
            const float actual[5] = { filters[i]->b0, filters[i]->b1, filters[i]->b2, filters[i]->a1, filters[i]->a2 };
            for (int k = 0; k < 5; ++k)
                EXPECT_EQ(actual[k], expected[i][k]) << c.sampleRate << " Hz, filter " << i << ", coefficient " << k;
        }
    }
}
