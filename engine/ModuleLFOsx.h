#pragma once

#include <cstdint>

// Low-frequency oscillator with two shapes, each advanced once per sample:
// a two-parabola sine approximation (nextParabolic) and a one-pole smoothed
// square that is close to a rounded triangle (nextSmoothedSquare). An
// instance is used with one of the two shapes only. All in 32-bit float.
class ModuleLFOsx
{
public:
    ModuleLFOsx() = default;
    virtual ~ModuleLFOsx() = default;

    float phase = 0.0f;          // parabolic phase before wrapping
    float hz = 0.0f;             // frequency; each step stores its limited value back
    float wrapped = 0.0f;        // parabolic phase wrapped into -0.5 .. 0.5
    float square = 0.0f;         // +1 or -1
    float smoothed = 0.0f;       // one-pole smoother state of the square
    std::int32_t counter = 0;    // samples counted within the square's period
    float sampleRate = 44100.0f; // never below 32000
    float invSampleRate = 1.0f / 44100.0f;
    float pitch = 1.0f;          // frequency multiplier

    // Restarts both shapes; rates below 32000 Hz are raised to 32000.
    void setSampleRate(float sr);
    void setHz(float newHz);

    // Truncation toward zero.
    static std::int32_t conversion(float x);

    // -1 .. +1, starting at 0 rising.
    float nextParabolic();
    // About +/-0.514 once settled, starting at 0.
    float nextSmoothedSquare();
};
