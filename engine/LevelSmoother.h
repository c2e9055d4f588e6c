#pragma once

// One-pole smoother of a key's string level.
struct LevelSmoother
{
    float value = 0.0f;
    float coefficient = 0.5f;

    // Below this the value is set to exactly 0. A settled smoother would
    // otherwise stay on a denormal forever (the step rounds to nothing),
    // which costs dearly on processors without flush-to-zero. Such tiny
    // values never change an output sample.
    static constexpr float flushBound = 1e-30f;

    float next(float target)
    {
        value += (target - value) * coefficient;
        if (value > -flushBound && value < flushBound)
            value = 0.0f;
        return value;
    }
};
