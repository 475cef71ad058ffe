// The music player the game calls: handles, failures (at load or found
// later), one song at a time, stopping what is not playing, and the log
// lines, over every output.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "assets/Music.h"
#include "platform/AudioOutputs.h"
#include "platform/Log.h"

namespace {

class MusicInterface : public ::testing::TestWithParam<AudioOutput> {
protected:
    void SetUp() override {
        audio = GetParam().make([] { return 0u; });
        std::string error;
        ASSERT_TRUE(audio->Open(error)) << error;
        SetMusicOutput(audio.get());
        platform::SetLogSink([this](std::string_view line) { log.emplace_back(line); });
        // Game paths are relative to the working directory: run in the game folder.
        previous = std::filesystem::current_path();
        std::filesystem::current_path(BRINEHOLD_GAME_DIR);
    }
    void TearDown() override {
        std::filesystem::current_path(previous);
        platform::SetLogSink(nullptr);
        SetMusicOutput(nullptr);
    }

    std::unique_ptr<platform::IAudio> audio;
    std::vector<std::string> log;
    std::filesystem::path previous;
};

INSTANTIATE_TEST_SUITE_P(Outputs, MusicInterface, ::testing::ValuesIn(kAudioOutputs),
                         AudioOutputName);

TEST_P(MusicInterface, MissingOrUnreadableModulesGiveHandleZero) {
    const auto junk = std::filesystem::temp_directory_path() / "brinehold-music-junk.xm";
    {
        std::ofstream out(junk, std::ios::binary);
        out << "Extended Module: but nothing after it";
    }
    const auto empty = std::filesystem::temp_directory_path() / "brinehold-music-empty.xm";
    std::ofstream(empty).close();
    for (const std::string& path :
         {std::string("sound\\missing.xm"), junk.string(), empty.string(), std::string("sound")}) {
        EXPECT_EQ(SongLoadFromFile(path), 0u) << path;
    }
    EXPECT_EQ(log.front(), "music load sound\\missing.xm 0");
    std::filesystem::remove(junk);
    std::filesystem::remove(empty);
}

// An output may find a module unreadable only after the load returned; it
// must then name that handle once, and never a good one.
TEST_P(MusicInterface, AModuleUnreadableBeyondItsHeaderFailsAtLoadOrIsNamedOnceLater) {
    const auto damaged = std::filesystem::temp_directory_path() / "brinehold-music-damaged.xm";
    std::ofstream(damaged, std::ios::binary) << std::string("MO3\x05\xF4\x01\x00\x00", 8);
    const auto good = SongLoadFromFile("sound\\1.xm");
    const auto handle = SongLoadFromFile(damaged.string());
    ASSERT_NE(good, 0u);
    if (handle != 0) {
        SongPlay(handle);
        std::uint32_t named = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (named == 0 && std::chrono::steady_clock::now() < deadline) {
            named = TakeFailedSongLoad();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_EQ(named, handle);
    }
    SongPlay(good);
    EXPECT_EQ(TakeFailedSongLoad(), 0u); // named once only
    std::filesystem::remove(damaged);
}

TEST_P(MusicInterface, GamePathsIgnoreCaseAndBackslashes) {
    const auto handle = SongLoadFromFile("Sound\\1.XM");
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(log, (std::vector<std::string>{"music load Sound\\1.XM " + std::to_string(handle)}));
}

TEST_P(MusicInterface, OneSongAtATimeAndStopsOfOtherSongsDoNothing) {
    const auto menu = SongLoadFromFile("sound\\1.xm");
    const auto game = SongLoadFromFile("sound\\2.xm");
    ASSERT_NE(menu, 0u);
    ASSERT_NE(game, 0u);
    ASSERT_NE(menu, game);
    SongStop(0); // before anything plays
    SongPlay(menu);
    EXPECT_EQ(audio->PlayingSong(), menu);
    SongPlay(game); // replaces the menu tune
    EXPECT_EQ(audio->PlayingSong(), game);
    SongStop(menu); // not the one playing
    EXPECT_EQ(audio->PlayingSong(), game);
    SongStop(game);
    SongStop(game); // already stopped
    EXPECT_EQ(audio->PlayingSong(), 0u);
    SongPlay(game); // plays again from its beginning
    EXPECT_EQ(audio->PlayingSong(), game);
    const std::string m = std::to_string(menu), g = std::to_string(game);
    EXPECT_EQ(log, (std::vector<std::string>{
                       "music load sound\\1.xm " + m, "music load sound\\2.xm " + g, "music stop 0",
                       "music play " + m, "music play " + g, "music stop " + m, "music stop " + g,
                       "music stop " + g, "music play " + g}));
}

TEST_P(MusicInterface, ReloadingAgainAndAgainKeepsTheSongThatPlays) {
    // The game loads the tune again at every activation and never frees one.
    const auto first = SongLoadFromFile("sound\\1.xm");
    SongPlay(first);
    std::uint32_t last = 0;
    for (int i = 0; i < 12; ++i) {
        last = SongLoadFromFile("sound\\2.xm");
        ASSERT_NE(last, 0u);
    }
    EXPECT_EQ(audio->PlayingSong(), first);
    SongPlay(last);
    EXPECT_EQ(audio->PlayingSong(), last);
}

TEST_P(MusicInterface, WithoutAnOutputLoadsFailAndCallsAreHarmless) {
    SetMusicOutput(nullptr);
    EXPECT_EQ(SongLoadFromFile("sound\\1.xm"), 0u);
    SongPlay(0);
    SongStop(0);
    EXPECT_EQ(log.size(), 3u);
}

} // namespace
