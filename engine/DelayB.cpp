#include "engine/DelayB.h"

namespace
{
constexpr std::int32_t indexMask = DelayB::bufferSize - 1; // the size is a power of two
}

void DelayB::clear()
{
    time = 512.0f;
    for (float& sample : buffer)
        sample = 0.0f;
}

void DelayB::setTime(float t)
{
    if (!(t >= 2.0f)) // also catches NaN
        t = 2.0f;
    else if (t > 262143.0f)
        t = 262143.0f;
    time = t;
}

float DelayB::writeAndRead(float x, std::int32_t delay)
{
    // Masking a 64-bit difference gives the non-negative remainder for any
    // delay, and keeps a write index set from outside inside the buffer.
    writeIndex &= indexMask;
    readIndex = static_cast<std::int32_t>((static_cast<std::int64_t>(writeIndex) - delay) & indexMask);
    buffer[writeIndex] = x;
    writeIndex = (writeIndex + 1) & indexMask;
    return buffer[readIndex];
}
