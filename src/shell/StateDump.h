// The state JSON of --dump-state: the shell fields, the settings, the game
// fields and every sprite under the engine's root.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>

class TmainForm;

nlohmann::json DumpState(TmainForm& form, std::uint32_t tick);
