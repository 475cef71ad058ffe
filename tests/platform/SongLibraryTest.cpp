// Songs loaded in the background: the same files are refused as by a full
// load, a file that fails only beyond its header is named once it has, and
// the player that arrives later plays exactly what a player made at once
// plays.
#include "platform/AudioCommon.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// As floats: 16-bit output is dithered with a random seed per player.
std::vector<float> FirstSamples(openmpt::module& player) {
    std::vector<float> samples(2 * 4096);
    player.read_interleaved_stereo(44100, 4096, samples.data());
    return samples;
}

TEST(SongLibrary, BackgroundLoadsRefuseTheSameFiles) {
    const auto dir = std::filesystem::temp_directory_path() / "brinehold-song-library";
    std::filesystem::create_directories(dir);
    const auto junk = dir / "junk.xm";
    std::ofstream(junk, std::ios::binary) << "Extended Module: but nothing after it";
    const auto empty = dir / "empty.xm";
    std::ofstream(empty).close();
    for (const std::filesystem::path& path : {dir / "missing.xm", junk, empty, dir}) {
        platform::audio::SongLibrary background(true);
        platform::audio::SongLibrary atOnce;
        EXPECT_EQ(background.Load(path.string()), 0u) << path;
        EXPECT_EQ(atOnce.Load(path.string()), 0u) << path;
    }
    std::filesystem::remove_all(dir);
}

TEST(SongLibrary, AModuleUnreadableBeyondItsHeaderIsNamedOnceItsLoadEnds) {
    const auto dir = std::filesystem::temp_directory_path() / "brinehold-song-library-late";
    std::filesystem::create_directories(dir);
    // An MO3 header announcing 500 bytes of packed music that are not there.
    const auto damaged = (dir / "damaged.xm").string();
    std::ofstream(damaged, std::ios::binary) << std::string("MO3\x05\xF4\x01\x00\x00", 8);
    const std::string good = std::string(BRINEHOLD_GAME_DIR) + "/sound/1.xm";

    platform::audio::SongLibrary atOnce;
    EXPECT_EQ(atOnce.Load(damaged), 0u);
    EXPECT_EQ(atOnce.TakeFailedLoad(), 0u);

    platform::audio::SongLibrary background(true);
    const auto first = background.Load(damaged);
    const auto song = background.Load(good);
    const auto second = background.Load(damaged);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    ASSERT_NE(song, 0u);
    std::vector<std::uint32_t> named;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (named.size() < 2 && std::chrono::steady_clock::now() < deadline) {
        if (const auto failed = background.TakeFailedLoad()) {
            named.push_back(failed);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    std::sort(named.begin(), named.end());
    EXPECT_EQ(named, (std::vector<std::uint32_t>{first, second}));

    // The good one ends well and is never named; the damaged one plays nothing.
    auto player = background.StartPlayerLater(song);
    ASSERT_TRUE(player.valid());
    EXPECT_NE(player.get(), nullptr);
    EXPECT_EQ(background.TakeFailedLoad(), 0u);
    auto silence = background.StartPlayerLater(first);
    EXPECT_TRUE(!silence.valid() || silence.get() == nullptr);
    std::filesystem::remove_all(dir);
}

TEST(SongLibrary, APlayerMadeInTheBackgroundPlaysLikeOneMadeAtOnce) {
    const std::string path = std::string(BRINEHOLD_GAME_DIR) + "/sound/1.xm";
    platform::audio::SongLibrary background(true);
    platform::audio::SongLibrary atOnce;
    const auto song = background.Load(path);
    ASSERT_NE(song, 0u);
    auto later = background.StartPlayerLater(song);
    ASSERT_TRUE(later.valid());
    ASSERT_EQ(later.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    auto player = later.get();
    ASSERT_NE(player, nullptr);
    auto reference = atOnce.StartPlayer(atOnce.Load(path));
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(FirstSamples(*player), FirstSamples(*reference));

    // Later plays of the song start a new player at the beginning at once.
    auto again = background.StartPlayerLater(song);
    ASSERT_TRUE(again.valid());
    ASSERT_EQ(again.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    auto second = again.get();
    ASSERT_NE(second, nullptr);
    auto fresh = atOnce.StartPlayer(atOnce.Load(path));
    EXPECT_EQ(FirstSamples(*second), FirstSamples(*fresh));
    EXPECT_FALSE(background.StartPlayerLater(song + 100).valid());
}

} // namespace
