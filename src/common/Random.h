// The program's one random generator. Seeded once at start-up from the clock,
// or from --seed so that a run can be replayed exactly.
#pragma once

#include <cstdint>

// A uniform integer 0..n-1; 0 when n <= 0.
int Random(int n);
void RandSeed(std::uint32_t seed);
std::uint32_t RandSeedValue();
