#pragma once

// Measuring helpers for the second-order sections in the engine tests.

#include <cmath>
#include <complex>

#include "engine/Biquad.h"

namespace biquad_measure
{
constexpr double pi = 3.141592653589793;

// Magnitude in dB of the section's transfer function at a frequency.
inline double responseDb(const Biquad& f, double frequency, double sampleRate)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * pi * frequency / sampleRate);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> num = double(f.b0) + double(f.b1) * z1 + double(f.b2) * z2;
    const std::complex<double> den = 1.0 + double(f.a1) * z1 + double(f.a2) * z2;
    return 20.0 * std::log10(std::abs(num / den));
}

// Both poles inside the unit circle (the stability triangle).
inline bool isStable(const Biquad& f)
{
    return std::fabs(f.a2) < 1.0f && std::fabs(f.a1) < 1.0f + f.a2;
}

// Gain in dB of a sine at `frequency` sent through `step` (a float -> float
// callable), measured as an RMS ratio over whole seconds after one second of
// settling.
template <typename Step>
double measuredGainDb(Step&& step, double frequency, double sampleRate, int seconds = 1)
{
    const int settle = static_cast<int>(sampleRate);
    const int measure = static_cast<int>(sampleRate) * seconds;
    double inEnergy = 0.0;
    double outEnergy = 0.0;
    for (int n = 0; n < settle + measure; ++n)
    {
        const float x = static_cast<float>(0.25 * std::sin(2.0 * pi * frequency * n / sampleRate));
        const float y = step(x);
        if (n >= settle)
        {
            inEnergy += double(x) * x;
            outEnergy += double(y) * y;
        }
    }
    return 10.0 * std::log10(outEnergy / inEnergy);
}
} // namespace biquad_measure
