#include "engine/Filter.h"
#include "tests/engine/ToneMeasure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace
{
const double pi = 3.14159265358979323846;

// Transfer functions of the state-variable step (h, then band, then low
// from the new band), derived from its difference equations:
//   HP(z) = (1 - z^-1)^2 / D(z),  BP(z) = f (1 - z^-1) / D(z),
//   D(z)  = (1 - z^-1)^2 + q f z^-1 (1 - z^-1) + f^2 z^-1.
struct SvfResponse
{
    double f, q;
    std::complex<double> denominator(double w) const
    {
        const std::complex<double> zi = std::polar(1.0, -w);
        const std::complex<double> d = 1.0 - zi;
        return d * d + q * f * zi * d + f * f * zi;
    }
    double highPass(double w) const { return std::abs((1.0 - std::polar(1.0, -w)) * (1.0 - std::polar(1.0, -w)) / denominator(w)); }
    double bandPass(double w) const { return std::abs(f * (1.0 - std::polar(1.0, -w)) / denominator(w)); }
};

Filter makeFilter(float sampleRate, float hz, float resonance)
{
    Filter filter;
    filter.setSR(sampleRate);
    filter.setRezo(resonance);
    filter.setHertzFreq(hz);
    return filter;
}
} // namespace

TEST(Filter, StartsAtItsDefaults)
{
    Filter filter;
    EXPECT_EQ(filter.band, 0.0f);
    EXPECT_EQ(filter.low, 0.0f);
    EXPECT_EQ(filter.frequency, 0.92609382f);
    EXPECT_EQ(filter.damping, 0.5f);
    EXPECT_EQ(filter.sampleRate, 44100.0f);
}

TEST(Filter, ResonanceMapsToDamping)
{
    struct Case { float resonance; float damping; };
    const Case cases[] = {
        {0.0f, 1.4f},   {0.2f, 1.4f},        {0.29f, 1.4f},       {0.3f, 1.4f},
        {0.5f, 1.0f},   {0.52f, 0.96f},      {0.79f, 0.42f},      {0.96f, 0.08f},
        {0.97f, 0.08000004f}, {1.0f, 0.08000004f},
    };
    for (const Case& c : cases)
    {
        Filter filter;
        filter.setRezo(c.resonance);
        EXPECT_NEAR(filter.damping, c.damping, 2e-7f) << "resonance " << c.resonance;
    }
    Filter filter;
    filter.setRezo(0.97f);
    EXPECT_EQ(filter.damping, 0.08000004f);
}

TEST(Filter, FrequencyCoefficientIsTwiceTheSine)
{
    struct Case { float sampleRate; float hz; };
    const Case cases[] = {{44100.0f, 20.0f}, {44100.0f, 440.0f}, {44100.0f, 4600.0f},
                          {48000.0f, 4600.0f}, {48000.0f, 6899.0f}, {44100.0f, 11025.0f}};
    for (const Case& c : cases)
    {
        Filter filter;
        filter.setSR(c.sampleRate);
        filter.setHertzFreq(c.hz);
        EXPECT_NEAR(filter.frequency, 2.0 * std::sin(pi * c.hz / c.sampleRate), 1e-6)
            << c.hz << " Hz at " << c.sampleRate;
    }
}

// The measured responses of both outputs follow the filter's transfer
// function; the high-pass passes the top and falls 12 dB per octave below
// its corner, the band-pass peaks near 1/q at its centre.
TEST(Filter, MeasuredResponsesMatchTheStateVariableDesign)
{
    struct Case { float sampleRate; float corner; float resonance; double probe; };
    const Case cases[] = {
        {44100.0f, 4600.0f, 0.79f, 4600.0}, {44100.0f, 4600.0f, 0.79f, 1000.0},
        {44100.0f, 4600.0f, 0.79f, 12000.0}, {48000.0f, 4600.0f, 0.79f, 4600.0},
        {44100.0f, 143.0f, 0.52f, 143.0},   {44100.0f, 143.0f, 0.52f, 50.0},
        {44100.0f, 143.0f, 0.52f, 2000.0},  {48000.0f, 1000.0f, 0.2f, 300.0},
        {44100.0f, 1000.0f, 1.0f, 1000.0},
    };
    for (const Case& c : cases)
    {
        const Filter design = makeFilter(c.sampleRate, c.corner, c.resonance);
        const SvfResponse model{design.frequency, design.damping};
        const double w = 2.0 * pi * c.probe / c.sampleRate;

        Filter high = design;
        const double highGain = measureGain([&](float x) { return high.tickhigh(x); }, c.probe, c.sampleRate);
        EXPECT_NEAR(toDecibels(highGain), toDecibels(model.highPass(w)), 0.001)
            << "high-pass " << c.corner << " Hz, probe " << c.probe;

        Filter bandFilter = design;
        const double bandGain = measureGain(
            [&](float x) { bandFilter.ticklow(x); return bandFilter.pickBPfromLow(); }, c.probe, c.sampleRate);
        EXPECT_NEAR(toDecibels(bandGain), toDecibels(model.bandPass(w)), 0.001)
            << "band-pass " << c.corner << " Hz, probe " << c.probe;
    }
}

TEST(Filter, ShapesOfTheResponses)
{
    // Band-pass at 4600 Hz, q = 0.42: peak close to 1/q at the centre, far
    // below it an octave and more away.
    Filter band = makeFilter(44100.0f, 4600.0f, 0.79f);
    auto bandStep = [&](float x) { band.ticklow(x); return band.pickBPfromLow(); };
    const double centre = measureGain(bandStep, 4600.0, 44100.0);
    EXPECT_NEAR(centre, 1.0 / 0.42, 0.12);
    EXPECT_LT(measureGain(bandStep, 1150.0, 44100.0), centre * 0.3);

    // High-pass at 143 Hz: flat well above, 12 dB per octave well below.
    Filter high = makeFilter(44100.0f, 143.0f, 0.52f);
    auto highStep = [&](float x) { return high.tickhigh(x); };
    EXPECT_NEAR(toDecibels(measureGain(highStep, 3000.0, 44100.0)), 0.0, 0.25);
    const double low1 = measureGain(highStep, 20.0, 44100.0, 0.5, 2.0);
    const double low2 = measureGain(highStep, 40.0, 44100.0, 0.5, 2.0);
    EXPECT_NEAR(toDecibels(low2) - toDecibels(low1), 12.0, 0.5);
}

TEST(Filter, TinyMemoriesAreFlushedToZero)
{
    const float bound = 1.1754944e-34f;
    struct Case { float value; bool flushed; };
    const Case cases[] = {
        {bound, true},   {-bound, true},  {bound * 0.5f, true}, {-1e-40f, true}, {0.0f, true},
        {std::nextafter(bound, 1.0f), false}, {std::nextafter(-bound, -1.0f), false}, {1e-30f, false},
    };
    for (const Case& c : cases)
    {
        // With a zero coefficient a step leaves band as it was, except for the flush.
        Filter filter;
        filter.frequency = 0.0f;
        filter.band = c.value;
        filter.low = 0.0f;
        filter.ticklow(0.0f);
        EXPECT_EQ(filter.band, c.flushed ? 0.0f : c.value) << c.value;

        Filter high;
        high.frequency = 0.0f;
        high.low = c.value;
        high.tickhigh(0.0f);
        EXPECT_EQ(high.low, c.flushed ? 0.0f : c.value) << c.value;
    }
}

// Silence never leaves denormals behind. The band memory is flushed as soon
// as a step would add less than the bound to it, so a residue of the low
// memory up to about bound / frequency can stay frozen; either way the
// memories end exactly 0 or far below anything audible, and stay there.
TEST(Filter, SilenceDecaysWithoutDenormals)
{
    struct Case { float hz; float resonance; bool high; };
    const Case cases[] = {{143.0f, 0.52f, true}, {4600.0f, 0.79f, false}, {30.0f, 0.97f, true},
                          {8000.0f, 1.0f, false}, {4600.0f, 0.79f, true}, {6899.0f, 0.52f, true}};
    for (const Case& c : cases)
    {
        Filter filter = makeFilter(44100.0f, c.hz, c.resonance);
        auto step = [&](float x) { return c.high ? filter.tickhigh(x) : (filter.ticklow(x), filter.band); };
        for (int n = 0; n < 1000; ++n)
            step((n % 7 == 0) ? 0.8f : -0.3f);
        ASSERT_NE(filter.band, 0.0f);
        const float residue = Filter::flushBound / filter.frequency * 4.0f;
        for (long n = 0; n < 2000000; ++n)
        {
            step(0.0f);
            ASSERT_NE(std::fpclassify(filter.band), FP_SUBNORMAL) << c.hz;
            ASSERT_NE(std::fpclassify(filter.low), FP_SUBNORMAL) << c.hz;
        }
        EXPECT_LE(std::fabs(filter.band), residue) << c.hz;
        EXPECT_LE(std::fabs(filter.low), residue) << c.hz;
        EXPECT_LE(std::fabs(step(0.0f)), residue) << c.hz;
    }
}

TEST(Filter, BandBelowTheBoundFreezesTheLowMemory)
{
    // h = -low, and frequency * h lies inside the bound: band is flushed
    // back to 0 on every step and low never moves again.
    Filter filter = makeFilter(44100.0f, 143.0f, 0.52f);
    filter.band = 0.0f;
    filter.low = -4e-33f;
    for (int n = 0; n < 1000; ++n)
        ASSERT_EQ(filter.tickhigh(0.0f), 4e-33f);
    EXPECT_EQ(filter.band, 0.0f);
    EXPECT_EQ(filter.low, -4e-33f);
}
