#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/DelayB.h"

TEST(DelayB, StartsEmpty)
{
    const auto line = std::make_unique<DelayB>();
    EXPECT_EQ(line->readIndex, 0);
    EXPECT_EQ(line->writeIndex, 0);
    EXPECT_EQ(line->time, 512.0f);
    for (float sample : line->buffer)
        ASSERT_EQ(sample, 0.0f);
}

TEST(DelayB, ReadsTheInputOfTheGivenDelayAgo)
{
    // The chorus's phase delays (2262, 2462, 17378, 18915) and the extremes.
    for (int delay : { 0, 1, 2, 2262, 2462, 17378, 18915, 262143 })
    {
        const auto line = std::make_unique<DelayB>();
        const int steps = delay + 3000;
        for (int n = 0; n < steps; ++n)
        {
            const float x = float(n + 1);
            const float read = line->writeAndRead(x, delay);
            const float expected = n >= delay ? float(n - delay + 1) : 0.0f;
            ASSERT_EQ(read, expected) << "delay " << delay << ", step " << n;
        }
    }
}

TEST(DelayB, IndicesWrapAroundTheBuffer)
{
    const auto line = std::make_unique<DelayB>();
    for (int n = 0; n < DelayB::bufferSize - 1; ++n)
        line->writeAndRead(0.0f, 10);
    EXPECT_EQ(line->writeIndex, DelayB::bufferSize - 1);
    line->writeAndRead(7.0f, 10);
    EXPECT_EQ(line->writeIndex, 0);
    EXPECT_EQ(line->readIndex, DelayB::bufferSize - 11);

    // Reading across the wrap still finds the sample `delay` steps back.
    for (int n = 0; n < 9; ++n)
        line->writeAndRead(0.0f, 10);
    EXPECT_EQ(line->writeAndRead(0.0f, 10), 7.0f);
    EXPECT_EQ(line->readIndex, DelayB::bufferSize - 1);
}

TEST(DelayB, OutOfRangeDelaysAndIndicesStayInsideTheBuffer)
{
    const auto line = std::make_unique<DelayB>();
    const int delays[] = { -1, -262145, 262144, 1 << 30, -(1 << 30), INT32_MIN, INT32_MAX };
    for (int delay : delays)
    {
        line->writeAndRead(1.0f, delay);
        EXPECT_GE(line->readIndex, 0) << delay;
        EXPECT_LT(line->readIndex, DelayB::bufferSize) << delay;
    }
    // A whole buffer's length back is the slot being written.
    EXPECT_EQ(line->writeAndRead(5.0f, DelayB::bufferSize), 5.0f);

    line->writeIndex = DelayB::bufferSize + 3;
    line->writeAndRead(2.0f, 0);
    EXPECT_EQ(line->buffer[3], 2.0f);
    EXPECT_EQ(line->writeIndex, 4);
}

TEST(DelayB, ClearEmptiesTheBufferButKeepsTheIndices)
{
    const auto line = std::make_unique<DelayB>();
    line->setTime(100.0f);
    for (int n = 0; n < 5000; ++n)
        line->writeAndRead(0.5f, 2262);
    const int writeIndex = line->writeIndex;
    const int readIndex = line->readIndex;
    line->clear();
    EXPECT_EQ(line->time, 512.0f);
    EXPECT_EQ(line->writeIndex, writeIndex);
    EXPECT_EQ(line->readIndex, readIndex);
    for (float sample : line->buffer)
        ASSERT_EQ(sample, 0.0f);
    EXPECT_EQ(line->writeAndRead(1.0f, 2262), 0.0f);
}

TEST(DelayB, SetTimeLimitsToTheBuffer)
{
    const struct { float given, stored; } cases[] = {
        { 1.0f, 2.0f }, { -5.0f, 2.0f }, { 2.0f, 2.0f }, { 1000.5f, 1000.5f },
        { 262143.0f, 262143.0f }, { 1e9f, 262143.0f }, { std::nanf(""), 2.0f },
    };
    DelayB* line = new DelayB;
    for (const auto& c : cases)
    {
        line->setTime(c.given);
        EXPECT_EQ(line->time, c.stored) << c.given;
    }
    delete line;
}
