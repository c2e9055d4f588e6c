#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/ResCycles.h"

namespace
{
struct CyclePoint
{
    int index;
    float lowest;
    float highest;
};

// The points both stored cycles are defined by.
const CyclePoint definedPoints[] = {
    {0, -0.701233f, -0.004150f},  {1, -0.821259f, -0.041534f},   {2, -0.902405f, -0.056458f},
    {3, -0.953125f, -0.070984f},  {4, -0.985199f, -0.084839f},   {5, -0.998688f, -0.098083f},
    {6, -1.000000f, -0.110809f},  {7, -0.999176f, -0.123138f},   {8, -0.990112f, -0.135101f},
    {9, -0.975983f, -0.146698f},  {10, -0.959412f, -0.157837f},  {20, -0.748199f, -0.249176f},
    {30, -0.480530f, -0.309540f}, {40, -0.340912f, -0.340118f},  {50, -0.201904f, -0.356995f},
    {60, -0.103394f, -0.357727f}, {70, -0.053345f, -0.343292f},  {80, 0.058044f, -0.331543f},
    {90, 0.077667f, -0.308624f},  {100, 0.109558f, -0.287170f},  {110, 0.129089f, -0.260040f},
    {120, 0.119537f, -0.225647f}, {130, 0.179474f, -0.198608f},  {140, 0.162292f, -0.163666f},
    {150, 0.166840f, -0.133850f}, {160, 0.166168f, -0.102448f},  {170, 0.136230f, -0.064636f},
    {180, 0.176178f, -0.039185f}, {190, 0.148315f, -0.020294f},  {200, 0.111053f, -0.005920f},
    {210, 0.080536f, 0.013397f},  {220, 0.059937f, 0.040863f},   {230, 0.104492f, 0.061432f},
    {240, 0.082794f, 0.089600f},  {250, 0.073578f, 0.113617f},   {260, 0.081512f, 0.138306f},
    {270, 0.055664f, 0.169891f},  {280, 0.089813f, 0.191345f},   {290, 0.065582f, 0.217010f},
    {300, 0.045563f, 0.238861f},  {310, 0.052277f, 0.260590f},   {320, 0.027924f, 0.289551f},
    {330, 0.060059f, 0.309143f},  {340, 0.037598f, 0.333954f},   {350, 0.015869f, 0.355286f},
    {360, 0.031769f, 0.374786f},  {370, 0.009705f, 0.401520f},   {380, 0.040253f, 0.413300f},
    {390, 0.020203f, 0.240540f},  {395, 0.007690f, 0.116852f},   {398, -0.000549f, 0.050629f},
    {399, -0.003113f, 0.031097f}, {400, -0.002319f, 0.010529f},
};

struct CycleFacts
{
    const char* name;
    const float* cycle;
    float minimum;
    int minimumAt;
    float maximum;
    int maximumAt;
    std::vector<double> harmonics; // amplitudes relative to the fundamental
};

const CycleFacts cycles[] = {
    {"lowest", resCycleLowest, -1.0f, 6, 0.180237f, 153,
     {1.0, 0.79, 0.53, 0.46, 0.33, 0.30, 0.24, 0.26, 0.18, 0.18}},
    {"highest", resCycleHighest, -0.360657f, 55, 0.423065f, 377,
     {1.0, 0.44, 0.20, 0.14, 0.08, 0.07, 0.05, 0.04}},
};

// Amplitude of harmonic h over the 400-step period (points 0..399).
double harmonicAmplitude(const float* c, int h)
{
    const double pi = 3.14159265358979323846;
    double re = 0.0, im = 0.0;
    for (int j = 0; j < ResCycles::points - 1; ++j)
    {
        const double a = 2.0 * pi * h * j / (ResCycles::points - 1);
        re += c[j] * std::cos(a);
        im += c[j] * std::sin(a);
    }
    return std::hypot(re, im);
}
} // namespace

TEST(ResCycles, PassExactlyThroughEveryDefinedPoint)
{
    for (const CyclePoint& p : definedPoints)
    {
        EXPECT_EQ(resCycleLowest[p.index], p.lowest) << "point " << p.index;
        EXPECT_EQ(resCycleHighest[p.index], p.highest) << "point " << p.index;
    }
}

TEST(ResCycles, ExtremesLevelAndHarmonics)
{
    for (const CycleFacts& c : cycles)
    {
        SCOPED_TRACE(c.name);
        int lo = 0, hi = 0;
        double power = 0.0;
        for (int j = 0; j < ResCycles::points; ++j)
        {
            ASSERT_TRUE(std::isfinite(c.cycle[j]));
            if (c.cycle[j] < c.cycle[lo])
                lo = j;
            if (c.cycle[j] > c.cycle[hi])
                hi = j;
            power += double(c.cycle[j]) * c.cycle[j];
        }
        EXPECT_EQ(lo, c.minimumAt);
        EXPECT_EQ(c.cycle[lo], c.minimum);
        EXPECT_EQ(hi, c.maximumAt);
        EXPECT_EQ(c.cycle[hi], c.maximum);
        EXPECT_NEAR(std::sqrt(power / ResCycles::points), 0.25, 0.015);

        const double fundamental = harmonicAmplitude(c.cycle, 1);
        for (size_t h = 1; h < c.harmonics.size(); ++h)
            EXPECT_NEAR(harmonicAmplitude(c.cycle, int(h) + 1) / fundamental, c.harmonics[h], 0.02)
                << "harmonic " << h + 1;
    }
}
