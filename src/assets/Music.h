// The music player the game calls: load a tracker module, play it from its
// beginning in a loop, stop it. One song sounds at a time. Each call writes
// its line to the side-effect log ("music load PATH HANDLE", "music play
// HANDLE", "music stop HANDLE").
#pragma once

#include <cstdint>
#include <string>

#include "platform/Audio.h"

// The output the songs play on (the same one the effects use). Without one,
// every load fails with handle 0. The shell sets it once at start-up.
void SetMusicOutput(platform::IAudio* audio);

// Loads the module at `path`, a game path relative to the working directory
// ("sound\\1.xm": '\\' works as '/', file names match without regard to
// case). Returns 0 for a missing or unreadable module.
std::uint32_t SongLoadFromFile(const std::string& path);
// A handle SongLoadFromFile returned whose module the output could read
// whole only afterwards, in the background, and found unreadable: each is
// named once, 0 when there is none. The caller treats it as a load that
// failed. Never waits and logs nothing.
std::uint32_t TakeFailedSongLoad();
// Plays the song from its beginning, looping; it replaces the one playing.
void SongPlay(std::uint32_t handle);
// Stops the song; a song already stopped, or handle 0, does nothing.
void SongStop(std::uint32_t handle);
