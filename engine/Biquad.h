#pragma once

// A second-order section in Direct Form I: the coefficients are already
// divided by a0, the histories hold the last two inputs and outputs.
// The field order (b0 b1 b2 a1 a2 y1 y2 x1 x2) is part of the record and
// must not change; everything starts at zero.
struct Biquad
{
    float b0 = 0.0f;
    float b1 = 0.0f;
    float b2 = 0.0f;
    float a1 = 0.0f;
    float a2 = 0.0f;
    float y1 = 0.0f; // last output
    float y2 = 0.0f; // second-last output
    float x1 = 0.0f; // last input
    float x2 = 0.0f; // second-last input

    // One Direct Form I step in 32-bit float (here, to be inlined: eleven
    // run per sample in the string chain).
    float process(float x)
    {
        const float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

    // Zeroes the four histories; the coefficients stay.
    void clearHistory();

    // Audio EQ Cookbook peaking filter with its bandwidth in octaves and its
    // linear amplitude A = 10^(gain/40). The histories are left untouched.
    void designPeaking(double sampleRate, double frequency, double bandwidthOctaves, double A);

    // Audio EQ Cookbook high-pass with its bandwidth in octaves (the strings
    // use 57 Hz, two octaves). The histories are left untouched.
    void designHighPass(double sampleRate, double frequency, double bandwidthOctaves);
};
