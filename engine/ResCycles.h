#pragma once

// The two stored single cycles the wave tables are blended from. Each holds
// one period sampled at 400 equal steps; point 400 is the last point before
// the period repeats (not a copy of point 0: the wave jumps back to point 0).
namespace ResCycles
{
constexpr int points = 401;
}

// Bright, sawtooth-like cycle of the lowest keys.
extern const float resCycleLowest[ResCycles::points];
// Mellow cycle of the highest keys.
extern const float resCycleHighest[ResCycles::points];
