// The command line of the game: the automation options that let a test or a
// bug report run the real game headless and deterministically.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

struct TTimedFile {
    std::uint32_t Tick = 0;
    std::string Path;
};

struct TRunOptions {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string error; // one line, for Action::Error

    int forcedWindowed = -1; // -1 as saved, 1 --windowed, 0 --fullscreen
    std::string workdir;
    bool headless = false;
    std::optional<std::uint32_t> ticks;
    std::optional<std::uint32_t> seed;
    std::string script;
    std::string record; // --record FILE
    std::vector<TTimedFile> screenshots;
    std::vector<TTimedFile> stateDumps;
    std::string log;
    std::string scoreServer; // HOST[:PORT]
    platform::VSyncMode vsync = platform::VSyncMode::Auto;
};

TRunOptions ParseOptions(const std::vector<std::string>& args); // without argv[0]

std::string HelpText();
std::string VersionText();
