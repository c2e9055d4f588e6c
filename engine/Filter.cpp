#include "engine/Filter.h"

#include <cmath>

Filter::Filter()
{
    init();
}

void Filter::init()
{
    band = 0.0f;
    low = 0.0f;
    frequency = 0.92609382f;
    damping = 0.5f;
    sampleRate = 44100.0f;
}

void Filter::setSR(float sr)
{
    sampleRate = sr;
}

void Filter::setHertzFreq(float hz)
{
    const float pi = 3.14159265358979323846f;
    frequency = 2.0f * std::sin((pi / sampleRate) * hz);
}

void Filter::setRezo(float r)
{
    if (r < 0.3f)
        damping = 1.4f;
    else if (r > 0.96f)
        damping = 0.08000004f;
    else
        damping = (1.0f - r) * 2.0f;
}
