#include "assets/Music.h"

#include "assets/Paths.h"
#include "platform/Log.h"
#include "platform/Platform.h"

namespace {

platform::IAudio*& Output() {
    static platform::IAudio* audio = nullptr;
    return audio;
}

} // namespace

void SetMusicOutput(platform::IAudio* audio) {
    Output() = audio;
}

std::uint32_t SongLoadFromFile(const std::string& path) {
    std::uint32_t handle = 0;
    if (auto* audio = Output()) {
        handle = audio->LoadSong(ResolveGamePath(path));
    }
    platform::LogEvent("music load " + platform::Cp1251ToUtf8(path) + " " + std::to_string(handle));
    return handle;
}

std::uint32_t TakeFailedSongLoad() {
    auto* audio = Output();
    return audio ? audio->TakeFailedSong() : 0;
}

void SongPlay(std::uint32_t handle) {
    platform::LogEvent("music play " + std::to_string(handle));
    if (auto* audio = Output(); audio && handle != 0) {
        audio->PlaySong(handle);
    }
}

void SongStop(std::uint32_t handle) {
    platform::LogEvent("music stop " + std::to_string(handle));
    if (auto* audio = Output(); audio && handle != 0) {
        audio->StopSong(handle);
    }
}
