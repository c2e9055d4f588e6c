#pragma once

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

    void ticklow(float x);
    float pickBPfromLow() const { return band; }
    float tickhigh(float x);

    // Memories within this bound are set to exactly 0 so that a silent
    // filter never runs on denormals.
    static constexpr float flushBound = 1.1754944e-34f;
    static float flush(float v) { return (v >= -flushBound && v <= flushBound) ? 0.0f : v; }

    float band = 0.0f;
    float low = 0.0f;
    float frequency = 0.92609382f; // 2*sin(pi*fc/Fs)
    float damping = 0.5f;          // 1/Q
    float sampleRate = 44100.0f;
};
