#pragma once

// The on/off fade of one section (brass, 16', 8'): the level moves by `step`
// per sample towards 1 (on) or 0 (off) and stays there.
struct SectionFade
{
    float level = 0.0f; // 0 .. 1
    float step = 0.001f;
    bool on = false;

    // Below this a falling level is taken as silence.
    static constexpr float silence = 1e-7f;

    // Advances one sample and returns the section's gain.
    float next()
    {
        if (on)
        {
            if (level < 1.0f)
            {
                level += step;
                return level;
            }
            level = 1.0f;
            return 1.0f;
        }
        if (level > 0.0f)
        {
            level -= step;
            if (level < silence)
            {
                level = 0.0f;
                return 0.0f;
            }
        }
        return level;
    }
};
