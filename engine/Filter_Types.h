#pragma once

// Fourth-order (24 dB/octave) Butterworth low-pass: two bilinear-transformed
// second-order sections. The pass-band gain is 0.5.
class CFilterButterworth24db
{
public:
    CFilterButterworth24db();

    void SetSampleRate(float sr); // does not redesign the coefficients
    void Set(float cutoff, float q); // q 0..1 raises the resonance
    float Run(float input);

    float t0 = 0.0f, t1 = 0.0f, t2 = 0.0f, t3 = 0.0f; // 4*Fs^2, 8*Fs^2, 2*Fs, pi/Fs
    float coef0 = 0.0f, coef1 = 0.0f, coef2 = 0.0f, coef3 = 0.0f;
    float history1 = 0.0f, history2 = 0.0f, history3 = 0.0f, history4 = 0.0f;
    float gain = 0.0f;
    float minCutoff = 0.0f, maxCutoff = 0.0f;
};
