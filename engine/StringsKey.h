#pragma once

#include <cstdint>

// The string gate of one key: a linear attack that hands over to the shared
// crescendo ramp (sustain) and a linear release.
struct StringsKey
{
    enum Stage : std::int32_t
    {
        off = 0,
        attack = 1,
        sustain = 2,
        release = 3
    };

    float keySampleRate = 44100.0f; // never below 22050
    float attackStep = 0.0001f;     // level added per sample while attacking
    float releaseStep = 0.0001f;    // level taken away per sample while releasing
    float level = 0.0f;
    std::int32_t stage = off;

    // Advances one sample against the crescendo ramp r and returns the
    // level. In sustain the level follows the ramp, capped at 1.
    float next(float r)
    {
        switch (stage)
        {
        case attack:
            level += attackStep;
            if (r < level)
                stage = sustain;
            break;
        case sustain:
            level = (r <= 1.0f) ? r : 1.0f;
            break;
        case release:
            level -= releaseStep;
            if (level <= 0.0f)
                stage = off; // this sample keeps the level just computed
            break;
        default:
            level = 0.0f;
            break;
        }
        return level;
    }
};
