#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "engine/NoiseGenerator.h"

TEST(NoiseGenerator, SameSeedSameSequenceOtherSeedOther)
{
    NoiseGenerator a, b, c(12345);
    int differences = 0;
    for (int i = 0; i < 1000; ++i)
    {
        const std::int32_t x = a.next();
        ASSERT_EQ(x, b.next());
        differences += (x != c.next());
    }
    EXPECT_GT(differences, 990);
}

TEST(NoiseGenerator, UniformOverThirtyOneBits)
{
    NoiseGenerator g;
    constexpr int count = 200000;
    constexpr int bins = 16;
    int histogram[bins] = {};
    double sum = 0.0, sumSquares = 0.0;
    int bitsSeen = 0;
    for (int i = 0; i < count; ++i)
    {
        const std::int32_t r = g.next();
        ASSERT_GE(r, 0);
        bitsSeen |= r;
        ++histogram[r >> 27];
        // The brass noise's mapping: -1 <= u < 1.
        const double u = 2.0 * r / 2147483648.0 - 1.0;
        sum += u;
        sumSquares += u * u;
    }
    EXPECT_EQ(bitsSeen, 0x7FFFFFFF);
    for (int h : histogram)
        EXPECT_NEAR(h, count / bins, 5.0 * std::sqrt(count / bins));
    EXPECT_NEAR(sum / count, 0.0, 0.01);
    EXPECT_NEAR(sumSquares / count, 1.0 / 3.0, 0.01);
}

TEST(NoiseGenerator, ZeroSeedIsReplaced)
{
    // An all-zero state would stay zero forever.
    NoiseGenerator g(0);
    std::int32_t any = 0;
    for (int i = 0; i < 10; ++i)
        any |= g.next();
    EXPECT_NE(any, 0);
}
