#include "engine/Filter_Types.h"

#include <cmath>

CFilterButterworth24db::CFilterButterworth24db()
{
    history1 = history2 = history3 = history4 = 0.0f;
    SetSampleRate(44100.0f);
    Set(22050.0f, 0.0f);
}

void CFilterButterworth24db::SetSampleRate(float sr)
{
    const float pi = 3.14159265358979323846f;
    t0 = sr * 4.0f * sr;
    t1 = sr * 8.0f * sr;
    t2 = 2.0f * sr;
    t3 = pi / sr;
    minCutoff = 0.01f * sr;
    maxCutoff = 0.45f * sr;
}

void CFilterButterworth24db::Set(float cutoff, float q)
{
    if (cutoff < minCutoff)
        cutoff = minCutoff;
    if (cutoff > maxCutoff)
        cutoff = maxCutoff;

    if (q < 0.0f)
        q = 1.0f;
    else if (q > 1.0f)
        q = 7.0f;
    else
        q = 1.0f + q * 6.0f;

    // Bilinear transform with the cutoff pre-warped.
    const float wp = t2 * std::tan(t3 * cutoff);
    const float b2 = 1.0f / (wp * wp);
    const float bdTmp = 1.0f + t0 * b2;
    const float c2 = 2.0f - t1 * b2;

    // Damping factors 2*sin(pi/8) and 2*sin(3*pi/8) of the two sections.
    float b1 = t2 * 0.7653669f / (wp * q);
    float bd = 1.0f / (bdTmp + b1);
    coef0 = c2 * bd;
    coef1 = (bdTmp - b1) * bd;
    gain = bd * 0.5f;

    b1 = t2 * 1.847759f / (wp * q);
    bd = 1.0f / (bdTmp + b1);
    coef2 = c2 * bd;
    coef3 = (bdTmp - b1) * bd;
    gain = gain * bd;
}

float CFilterButterworth24db::Run(float input)
{
    float y = input * gain - history1 * coef0;
    const float u = y - history2 * coef1;
    y = u + 2.0f * history1 + history2;
    history2 = history1;
    history1 = u;

    y = y - history3 * coef2;
    const float v = y - history4 * coef3;
    y = v + 2.0f * history3 + history4;
    history4 = history3;
    history3 = v;

    return y;
}
