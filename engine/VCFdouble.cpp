#include "engine/VCFdouble.h"

#include <cmath>

namespace
{
// Weight of the soft square term that shapes each stage's output.
const double shapeWeight = static_cast<double>(0.0075f);
} // namespace

spcfilter::spcfilter()
{
    init();
}

void spcfilter::init()
{
    low1 = band1 = 0.0;
    low2 = band2 = 0.0;
    antiDenormal = 1e-25;
    frequency = 0.0;
    previousInput = 0.0;
    damping = 0.0;
    cutoffGlide = cutoffStep = 0.0f;
    dampingGlide = dampingStep = 0.0f;
    glideCounter = 0;
    cutoffExponent = std::numeric_limits<float>::quiet_NaN();
    cutoffPower = 0.0f;
}

float spcfilter::tick(float input, float control, float resonance, float sampleRate)
{
    // Glide: a new 256-sample segment towards the current targets.
    if ((glideCounter & 0xFF) == 0)
    {
        const float g = resonance * 0.8f;
        cutoffStep = (control - cutoffGlide) * 0.00390625f;
        dampingStep = ((1.0f - g) * (1.0f - g) * 2.0f - dampingGlide) * 0.00390625f;
    }
    cutoffGlide += cutoffStep;
    dampingGlide += dampingStep;
    // Wraps after 2^32 samples instead of overflowing; only the low 8 bits matter.
    glideCounter = static_cast<int32_t>(static_cast<uint32_t>(glideCounter) + 1u);

    // Coefficients for a filter run twice per sample; the sine is a cubic.
    const float pi = 3.14159265358979323846f;
    const float exponent = cutoffGlide * 120.0f;
    if (!(exponent == cutoffExponent))
    {
        cutoffPower = std::pow(1.0594631f, exponent);
        cutoffExponent = exponent;
    }
    const float fc = 16.3516f * cutoffPower;
    const float x = (pi / (sampleRate + sampleRate)) * fc;
    const float x3 = (x * x) * x;
    frequency = 2.0 * (static_cast<double>(x) - static_cast<double>(x3) * 0.1616011013886495);
    const double limit = 2.0 / frequency - frequency * 0.5;
    damping = (dampingGlide < limit) ? static_cast<double>(dampingGlide) : limit;

    // Input, with the flipping offset that keeps the states off denormals,
    // interpolated half-way for the first of the two passes.
    const double in = static_cast<double>(input) + antiDenormal;
    antiDenormal = -antiDenormal;
    const double mid = (in + previousInput) * 0.5;
    previousInput = in;

    const double f = frequency;
    const double d = damping;

    low1 += f * band1;
    double hp = mid - low1 - d * band1;
    band1 += f * hp;
    double s1 = low1;
    low1 += f * band1;
    hp = mid - low1 - d * band1;
    band1 += f * hp;
    s1 += low1;

    const double u = s1 + shapeWeight * (s1 * s1);

    low2 += f * band2;
    hp = u - low2 - band2;
    band2 += f * hp;
    double s2 = low2;
    low2 += f * band2;
    hp = u - low2 - band2;
    band2 += f * hp;
    s2 += low2;

    const double z = s2 + shapeWeight * (s2 * s2);
    return static_cast<float>(z * 2.0 * (1.0 / 6.0));
}
