#include "engine/Biquad.h"

#include <cmath>

namespace
{
constexpr double twoPi = 6.283185307179586;
constexpr double halfLn2 = 0.34657359027997264; // ln 2 / 2

// Quotient of two float terms, taken in double and stored as float.
float quotient(float numerator, float denominator)
{
    return static_cast<float>(static_cast<double>(numerator) / static_cast<double>(denominator));
}
} // namespace

void Biquad::clearHistory()
{
    y1 = y2 = x1 = x2 = 0.0f;
}

void Biquad::designPeaking(double sampleRate, double frequency, double bandwidthOctaves, double A)
{
    const double w0 = twoPi * frequency / sampleRate;
    const double s = std::sin(w0);
    const double c = std::cos(w0);
    const double alpha = s * std::sinh(halfLn2 * bandwidthOctaves * w0 / s);

    // The five terms are rounded to float first; the divisions by a0 (= g)
    // are then done in double on those rounded terms.
    const float u = static_cast<float>(1.0 + alpha * A);
    const float v = static_cast<float>(-2.0 * c);
    const float w = static_cast<float>(1.0 - alpha * A);
    const float g = static_cast<float>(1.0 + alpha / A);
    const float h = static_cast<float>(1.0 - alpha / A);

    b0 = quotient(u, g);
    b1 = quotient(v, g);
    b2 = quotient(w, g);
    a1 = quotient(v, g);
    a2 = quotient(h, g);
}

void Biquad::designHighPass(double sampleRate, double frequency, double bandwidthOctaves)
{
    const double w0 = twoPi * frequency / sampleRate;
    const double s = std::sin(w0);
    const double c = std::cos(w0);
    // (ln 2 / 2) * 2 octaves is exactly ln 2 in double, so two octaves give
    // alpha = s * sinh(ln 2 * w0 / s).
    const double alpha = s * std::sinh(halfLn2 * bandwidthOctaves * w0 / s);

    const double a0 = 1.0 + alpha;
    b0 = static_cast<float>((1.0 + c) / 2.0 / a0);
    b1 = static_cast<float>(-(1.0 + c) / a0);
    b2 = b0;
    a1 = static_cast<float>(-2.0 * c / a0);
    a2 = static_cast<float>((1.0 - alpha) / a0);
}
