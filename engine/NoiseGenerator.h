#pragma once

#include <cstdint>

// A small deterministic pseudo-random generator (xorshift64*) for the brass
// noise: no shared state, no locks, no allocation, so it is safe on the
// audio thread, and the same seed always gives the same sequence.
class NoiseGenerator
{
public:
    static constexpr std::uint64_t defaultSeed = 0x9E3779B97F4A7C15ull;

    explicit NoiseGenerator(std::uint64_t seed = defaultSeed) { setSeed(seed); }

    void setSeed(std::uint64_t seed) { state = (seed != 0) ? seed : defaultSeed; }

    // Uniform integer from 0 to 2^31 - 1.
    std::int32_t next()
    {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return static_cast<std::int32_t>((state * 0x2545F4914F6CDD1Dull) >> 33);
    }

    std::uint64_t state = defaultSeed;
};
