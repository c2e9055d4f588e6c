#pragma once

#include <cmath>

// Chamberlin state-variable filter in 32-bit float. A wavetable voice uses
// one as a key-tracking high-pass (tickhigh) and one as a band-pass whose
// band memory is read after ticklow.
class Filter
{
public:
    Filter();

    void init();
    void setSR(float sr);
    void setHertzFreq(float hz);
    void setRezo(float r);

    // The steps run per sample in every voice, so they live here to be inlined.
    void ticklow(float x)
    {
        const float h = x - band * damping - low;
        band = flush(band + h * frequency);
        low = flush(low + frequency * band);
    }
    float pickBPfromLow() const { return band; }
    float tickhigh(float x)
    {
        const float h = x - band * damping - low;
        band = flush(band + frequency * h);
        low = flush(low + frequency * band);
        return h;
    }

    // Memories within this bound (inclusive) are set to exactly 0 so that a
    // silent filter never runs on denormals. |v| <= bound is the same test
    // as -bound <= v <= bound (and false for NaN), without branches.
    static constexpr float flushBound = 1.1754944e-34f;
    static float flush(float v) { return std::fabs(v) <= flushBound ? 0.0f : v; }

    float band = 0.0f;
    float low = 0.0f;
    float frequency = 0.92609382f; // 2*sin(pi*fc/Fs)
    float damping = 0.5f;          // 1/Q
    float sampleRate = 44100.0f;
};
