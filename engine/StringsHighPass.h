#pragma once

// The state-variable high-pass at the end of the string chain, in double
// precision.
struct StringsHighPass
{
    double low = 0.0;
    double high = 0.0;
    double band = 0.0;
    double damping = 0.0;
    double frequency = 0.0; // coefficient, about 2*pi*fc/Fs
    double inputGain = 0.0;

    double process(double m)
    {
        low += frequency * band;
        high = inputGain * m - low - damping * band;
        band += frequency * high;
        return high;
    }
};
