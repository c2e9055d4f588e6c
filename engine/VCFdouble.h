#pragma once

#include <cstdint>
#include <limits>

// The brass section's filter: two cascaded, twice-oversampled
// state-variable low-passes in double precision. Cutoff and damping are
// sampled every 256 samples and reached linearly over the next 256.
class spcfilter
{
public:
    spcfilter();

    void init();

    // control: cutoff control 1e-11 .. 1 (16.35 Hz .. 16744 Hz, ten octaves)
    // resonance: 0 .. 1
    float tick(float input, float control, float resonance, float sampleRate);

    double low1 = 0.0, band1 = 0.0;
    double low2 = 0.0, band2 = 0.0;
    double antiDenormal = 1e-25;
    double frequency = 0.0;
    double previousInput = 0.0;
    double damping = 0.0;
    float cutoffGlide = 0.0f, cutoffStep = 0.0f;
    float dampingGlide = 0.0f, dampingStep = 0.0f;
    int32_t glideCounter = 0;

    // The last cutoff exponent and its power of the semitone, kept so that a
    // glide at rest costs no power function.
    float cutoffExponent = std::numeric_limits<float>::quiet_NaN();
    float cutoffPower = 0.0f;
};
