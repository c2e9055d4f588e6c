#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

// Measures the steady-state gain of a one-sample-at-a-time process at one
// frequency: a sine is fed in, the transient is let go, and the output's
// component at that frequency is taken over one second (a whole number of
// cycles for whole-hertz frequencies).
template <typename Process>
double measureGain(Process&& process, double hz, double sampleRate, double amplitude = 0.5,
                   double settleSeconds = 0.5)
{
    const double pi = 3.14159265358979323846;
    const double w = 2.0 * pi * hz / sampleRate;
    const long settle = static_cast<long>(settleSeconds * sampleRate);
    const long length = static_cast<long>(sampleRate);
    std::complex<double> sum(0.0, 0.0);
    for (long n = 0; n < settle + length; ++n)
    {
        const double y = process(static_cast<float>(amplitude * std::sin(w * static_cast<double>(n))));
        if (n >= settle)
            sum += y * std::polar(1.0, -w * static_cast<double>(n));
    }
    return 2.0 * std::abs(sum) / static_cast<double>(length) / amplitude;
}

// Spectrum magnitude of a (windowed) signal at frequency f (Goertzel).
inline double spectrumAt(const std::vector<double>& x, double f, double rate)
{
    const double coeff = 2.0 * std::cos(2.0 * 3.14159265358979323846 * f / rate);
    double s1 = 0.0, s2 = 0.0;
    for (double v : x)
    {
        const double s = v + coeff * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - coeff * s1 * s2));
}

inline double toDecibels(double gain)
{
    return 20.0 * std::log10(gain);
}

// The largest magnitude among samples[from, to).
inline float peakOf(const std::vector<float>& samples, std::size_t from, std::size_t to)
{
    float peak = 0.0f;
    for (std::size_t i = from; i < to && i < samples.size(); ++i)
        peak = std::max(peak, std::fabs(samples[i]));
    return peak;
}
