// brinehold-archive: lists, extracts and packs the game's image and sound
// archives for modders and tests.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs the tool on its arguments (without the program name). Writes results
// to `out` and messages to `err`; returns the exit code: 0 done, 1 a reading
// or writing error (the reader's message), 2 a usage error.
int RunArchiveTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
