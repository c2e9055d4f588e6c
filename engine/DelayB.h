#pragma once

#include <cstdint>

// A long circular delay line of 262144 floats. The chorus keeps the history
// of its modulation oscillators in two of them and reads each one back a
// fixed number of samples later (see writeAndRead).
class DelayB
{
public:
    static constexpr std::int32_t bufferSize = 262144;

    DelayB() = default;
    virtual ~DelayB() = default;

    std::int32_t readIndex = 0;
    std::int32_t writeIndex = 0;   // slot written next
    float time = 512.0f;           // delay setting in samples (2 .. 262143)
    float buffer[bufferSize] = {};

    // Zeroes the buffer and sets time back to 512; the indices stay.
    void clear();

    // Stores t limited to 2 .. 262143.
    void setTime(float t);

    // One step: readIndex = (writeIndex - delay) modulo the buffer size,
    // writes x at writeIndex and advances it, then returns the sample at
    // readIndex, which is x as it was `delay` steps ago (x itself for 0).
    float writeAndRead(float x, std::int32_t delay);
};
