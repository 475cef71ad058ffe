// The game's nine sound effects, synthesised.
#pragma once

#include <string>
#include <vector>

#include "Synth.h"

namespace soundgen {

struct Effect {
    std::string name;
    int maxPlayingCount = 0;
    int rate = 22050;
    Buffer samples; // mono, -1..1, ends faded to silence
};

std::vector<Effect> MakeEffects();

} // namespace soundgen
