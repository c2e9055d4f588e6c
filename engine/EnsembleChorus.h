#pragma once

#include "engine/DelayB.h"
#include "engine/Filter_Types.h"
#include "engine/ModuleLFOsx.h"

// The string section's ensemble: three modulated delay lines in parallel,
// each swept by a mix of a slow (0.86 Hz) and a fast (6.5 Hz) oscillator,
// the three lines' modulation offset in phase by reading the oscillators'
// past output from two long histories. Every line saturates softly, is
// DC-blocked, feeds a tenth of itself back and is gained by its own
// modulation. The output is the sum of the lines only (no dry signal),
// DC-blocked and scaled by 1.1.
//
// About 2 MiB of oscillator history: keep it inside a heap object.
class EnsembleChorus
{
public:
    static constexpr int lineLength = 4096;   // a power of two
    static constexpr int lineCount = 3;
    static constexpr int warmUpSamples = 4096;

    // One modulated delay line; the newest sample is at writeIndex - 1.
    struct DelayLine
    {
        int writeIndex = 1024;
        float buffer[lineLength] = {};
    };

    // Memories of a line's DC-blocking high-pass.
    struct LineStage
    {
        float y1 = 0.0f;
        float x1 = 0.0f;
    };

    EnsembleChorus();

    // Initialises the chorus for a sample rate and runs it for 4096 silent
    // samples so the oscillators and their histories are moving when sound
    // arrives.
    void prepare(float sampleRate);
    // One input sample in, one output sample out.
    float tick(float x);

    // The soft clipping curve of each line (a cubic between -1 and 1).
    static float saturate(float v)
    {
        if (v > 1.0f)
            return 1.0f;
        if (v < -1.0f)
            return -0.9761f;
        const float v2 = v * v;
        const double v3 = static_cast<double>(v2) * v;
        return static_cast<float>(static_cast<double>(v2) * 0.017679532761088
                                  + v3 * 0.074999901728955
                                  + static_cast<double>(v) * 0.912890447963023
                                  + 0.005893177587029);
    }

    // Catmull-Rom interpolation at t between a (n samples old) and b (one
    // sample older); c is one sample newer than a, e one older than b.
    static float interpolate(float a, float b, float c, float e, float t)
    {
        return a + ((b - c) * 0.5f
                    + (2.0f * b + c - (e + 5.0f * a) * 0.5f
                       + ((a - b) * 3.0f - c + e) * 0.5f * t)
                          * t)
                       * t;
    }

    float outY1 = 0.0f;
    float outX1 = 0.0f;
    float dcCoefficient = 1.0f - 251.32742f / 44100.0f;
    DelayLine lines[lineCount];
    DelayB fastLfoDelay;
    DelayB slowLfoDelay;
    ModuleLFOsx fastLfo;
    ModuleLFOsx slowLfo;
    CFilterButterworth24db inputFilter;
    float sampleRate = 44100.0f;
    float slowDepth = 0.6666667f;
    float fastDepth = 0.1666667f;
    float delayScale = 0.0f;
    float fastHz = 6.5f;
    float slowHz = 0.86f;
    int slowPhaseDelay = 0;
    int fastPhaseDelay = 0;
    float inputCutoff = 6200.0f;
    float feedback = 0.1f;
    float ampModDepth = 0.4f;
    LineStage lineStages[lineCount];
};
