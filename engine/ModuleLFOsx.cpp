#include "engine/ModuleLFOsx.h"

#include <cmath>

void ModuleLFOsx::setSampleRate(float sr)
{
    phase = 0.0f;
    wrapped = 0.0f;
    square = 0.0f;
    smoothed = 0.0f;
    counter = 0;
    if (!(sr >= 32000.0f)) // also catches NaN
    {
        sampleRate = 32000.0f;
        invSampleRate = 3.125e-05f;
    }
    else
    {
        sampleRate = sr;
        invSampleRate = 1.0f / sr;
    }
}

void ModuleLFOsx::setHz(float newHz)
{
    hz = newHz;
}

std::int32_t ModuleLFOsx::conversion(float x)
{
    return static_cast<std::int32_t>(x);
}

float ModuleLFOsx::nextParabolic()
{
    // The upper limit is tested first; a NaN frequency falls to the lower one.
    if (hz > 0.25f * sampleRate)
        hz = 0.25f * sampleRate;
    else if (!(hz >= 1e-11f))
        hz = 1e-11f;

    phase = wrapped + (hz * pitch) * invSampleRate;
    wrapped = phase - static_cast<float>(conversion(phase + 0.5f));
    return wrapped * (8.0f - 16.0f * std::fabs(wrapped));
}

float ModuleLFOsx::nextSmoothedSquare()
{
    // The smoother runs at a tenth of the oscillator's frequency.
    float smoothingHz;
    if (hz > 0.125f * sampleRate)
    {
        hz = 0.125f * sampleRate;
        smoothingHz = 0.1f * hz;
    }
    else if (!(hz >= 0.1f)) // also catches NaN
    {
        hz = 0.1f;
        smoothingHz = 0.010000001f;
    }
    else
    {
        smoothingHz = 0.1f * hz;
    }

    const float halfPeriod = (0.5f * sampleRate) / (hz * pitch);
    if (static_cast<float>(counter) >= 2.0f * halfPeriod)
        counter = counter + 1 - static_cast<std::int32_t>(2.0f * halfPeriod);
    else
        counter = counter + 1;

    square = halfPeriod > static_cast<float>(counter) ? 1.0f : -1.0f;

    smoothed += (invSampleRate * 6.2831855f) * smoothingHz * (square - smoothed);
    if (std::fabs(smoothed) < 1e-29f)
    {
        smoothed = 0.0f;
        return 0.0f;
    }
    return smoothed * 3.3f;
}
