#include "engine/EnsembleChorus.h"

namespace
{
constexpr int lineMask = EnsembleChorus::lineLength - 1;

// Stored filter memories this close to zero are flushed so the feedback
// paths never run on denormals.
inline float flushTiny(float v)
{
    return (v >= -1.1754944e-34f && v <= 1.1754944e-34f) ? 0.0f : v;
}

}   // namespace

EnsembleChorus::EnsembleChorus() = default;

void EnsembleChorus::prepare(float Fs)
{
    sampleRate = Fs;
    for (DelayLine& line : lines)
        for (float& sample : line.buffer)
            sample = 0.0f;
    outY1 = 0.0f;
    outX1 = 0.0f;

    inputFilter.SetSampleRate(Fs);
    inputFilter.Set(inputCutoff, 0.1f);

    dcCoefficient = 1.0f - 251.32742f / Fs;   // pole of a 40 Hz DC blocker
    if (Fs < 32000.0f)
        dcCoefficient = 0.992146f;
    for (LineStage& stage : lineStages)
        stage = LineStage{};

    fastLfoDelay.clear();
    slowLfoDelay.clear();

    fastLfo.setSampleRate(Fs);
    slowLfo.setSampleRate(Fs);
    fastLfo.setHz(fastHz);
    slowLfo.setHz(slowHz);

    // A third of each oscillator's period (120 and 122 degrees).
    fastPhaseDelay = static_cast<int>((Fs * 120.0f) / (fastHz * 360.0f) + 0.5f);
    slowPhaseDelay = static_cast<int>((Fs * 122.0f) / (slowHz * 360.0f) + 0.5f);

    slowDepth = 0.34f;
    fastDepth = 0.12f;
    delayScale = 1.21f;

    for (int i = 0; i < warmUpSamples; ++i)
        tick(0.0f);
}

float EnsembleChorus::tick(float x)
{
    const float ys = slowDepth * slowLfo.nextSmoothedSquare();
    const float yf = fastDepth * fastLfo.nextSmoothedSquare();

    // The oscillators' outputs of a third of a period ago (slow first).
    const float ysD = slowLfoDelay.writeAndRead(ys, slowPhaseDelay);
    const float yfD = fastLfoDelay.writeAndRead(yf, fastPhaseDelay);

    const float modulation[lineCount] = {ys + yf, yfD + ysD, -(ys + yfD)};

    const float base = ((delayScale * 0.8f) * 0.001f) * sampleRate;
    const float range = ((delayScale * 5.12f) * 0.001f) * sampleRate - base;

    float lineValue[lineCount];
    for (int i = 0; i < lineCount; ++i)
    {
        const float d = base + (modulation[i] + 1.0f) * 0.5f * range;
        int n = 1;
        float t = 0.0f;
        if (!(d < 1.0f))
        {
            n = static_cast<int>(d);
            t = d - static_cast<float>(n);
        }

        const DelayLine& line = lines[i];
        int p = line.writeIndex - n;
        if (p < 0)
            p += lineLength;
        const float a = line.buffer[p & lineMask];
        const float b = line.buffer[(p - 1) & lineMask];
        const float c = line.buffer[(p + 1) & lineMask];
        const float e = line.buffer[(p - 2) & lineMask];

        const float s = saturate(interpolate(a, b, c, e, t));

        LineStage& stage = lineStages[i];
        const float y = (s - stage.x1) + dcCoefficient * stage.y1;
        stage.y1 = flushTiny(y);
        stage.x1 = flushTiny(s);
        lineValue[i] = y;
    }

    const float xf = inputFilter.Run(x);

    float out[lineCount];
    for (int i = 0; i < lineCount; ++i)
        out[i] = (1.0f - ampModDepth * modulation[i]) * lineValue[i];

    const float h = 0.5f * xf;
    for (int i = 0; i < lineCount; ++i)
    {
        DelayLine& line = lines[i];
        line.buffer[line.writeIndex] = h + feedback * out[i];
        line.writeIndex = (line.writeIndex + 1) & lineMask;
    }

    const float sum = (out[0] + out[1]) + out[2];
    const float z = (sum - outX1) + dcCoefficient * outY1;
    outY1 = flushTiny(z);
    outX1 = flushTiny(sum);
    return 1.1f * z;
}
