#include "common/Random.h"

namespace {
std::uint32_t state = 0;
}

// A linear congruential generator; Random(n) takes the high bits of the
// product, so small ranges stay uniform.
int Random(int n) {
    state = state * 0x08088405u + 1u;
    if (n <= 0) {
        return 0;
    }
    return static_cast<int>((static_cast<std::uint64_t>(state) * static_cast<std::uint32_t>(n)) >>
                            32);
}

void RandSeed(std::uint32_t seed) {
    state = seed;
}

std::uint32_t RandSeedValue() {
    return state;
}
