// The audio outputs the contract tests run over: the silent sink on the
// test's own clock, and the SDL mixer on SDL's dummy driver, which mixes in
// real time without a sound card.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Audio.h"

struct AudioOutput {
    const char* name;
    std::unique_ptr<platform::IAudio> (*make)(std::function<std::uint32_t()> nowMs);
};

inline const AudioOutput kAudioOutputs[] = {
    {"Silent",
     [](std::function<std::uint32_t()> nowMs) { return platform::CreateSilentAudio(nowMs); }},
    {"SdlDummyDriver",
     [](std::function<std::uint32_t()>) {
         return platform::CreateSdlAudio({"dummy", "", -1});
     }},
};

inline std::string AudioOutputName(const testing::TestParamInfo<AudioOutput>& test) {
    return test.param.name;
}
