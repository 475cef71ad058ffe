// config.dat as it may be found on a player's disk: damaged, short, long, not
// writable. The game never crashes on it, and a save never leaves anything but
// one whole record.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/Harness.h"

namespace {

using e2e::GameRun;

// Opens the options, toggles sound twice (two saves), opens the scores table.
const char* const SavingScript = "2 key down Down\n2 key up Down\n2 key down Enter\n"
                                 "2 key up Enter\n3 key down Down\n3 key up Down\n"
                                 "3 key down Down\n3 key up Down\n4 key down Left\n"
                                 "4 key up Left\n5 key down Left\n5 key up Left\n"
                                 "6 key down Escape\n6 key up Escape\n7 key down Down\n"
                                 "7 key up Down\n8 key down Enter\n8 key up Enter\n";

TEST(ShellConfig, DamagedShortAndLongFilesNeverCrashTheGame) {
    std::string damaged(158, '\xFF'); // every length byte 255
    std::string random;
    for (int i = 0; i < 300; ++i) {
        random.push_back(static_cast<char>((i * 151 + 7) & 0xFF));
    }
    const struct {
        const char* name;
        std::string bytes;
        bool defaults; // replaced by the defaults at start-up
    } cases[] = {
        {"empty", "", true},
        {"short", std::string(100, '\x01'), true},
        {"one byte short", std::string(157, '\0'), true},
        {"all ones", damaged, false},
        {"long and random", random, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GameRun run;
        run.WriteFile("config.dat", c.bytes);
        run.Script(SavingScript);
        run.DumpAt(1);
        run.DumpAt(8);
        run.ScreenshotAt(8);
        const auto result = run.Run(8);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(std::filesystem::file_size(run.PathOf("config.dat")), 158u);
        EXPECT_FALSE(run.Exists("config.dat.tmp"));
        EXPECT_EQ(run.LogEvents("save").size(), c.defaults ? 4u : 3u);
        EXPECT_TRUE(run.LogEvents("messagebox").empty());
        const auto state = run.State(8);
        EXPECT_EQ(state["MenuScreen"], 3);
        for (const auto& entry : state["config"]["Scores"]) {
            EXPECT_LE(entry["Name"].get<std::string>().size(), 20u); // at most 10 characters
        }
        const auto first = run.State(1);
        for (const char* flag : {"Windowed", "MusicOn", "SoundOn"}) {
            EXPECT_LE(first["config"][flag].get<int>(), 1) << flag;
        }
    }
}

TEST(ShellConfig, ReadOnlySettingsFileIsReplacedWhole) {
    GameRun run;
    ASSERT_EQ(run.Run(1).exitCode, 0);
    std::filesystem::permissions(run.PathOf("config.dat"), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::group_read);
    run.Script(SavingScript);
    run.DumpAt(8);
    ASSERT_EQ(run.Run(8).exitCode, 0);
    EXPECT_EQ(std::filesystem::file_size(run.PathOf("config.dat")), 158u);
    EXPECT_EQ(run.State(8)["MenuScreen"], 3);
}

TEST(ShellConfig, SettingsThatCannotBeSavedAreReportedOnceAndKeptInMemory) {
    GameRun run;
    ASSERT_EQ(run.Run(1).exitCode, 0);
    const std::string before = run.ReadFile("config.dat");
    // Where the temporary file must go there is a directory: every save fails,
    // even for a user who may write anywhere.
    std::filesystem::create_directory(run.PathOf("config.dat.tmp"));
    run.Script(SavingScript);
    run.DumpAt(8);
    const auto result = run.Run(8);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto boxes = run.LogEvents("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "4 messagebox Не могу сохранить настройки!");
    EXPECT_TRUE(run.LogEvents("save").empty());
    EXPECT_EQ(run.ReadFile("config.dat"), before);
    EXPECT_EQ(run.State(8)["config"]["SoundOn"], 1); // off and on again, in memory
    EXPECT_EQ(run.State(8)["MenuScreen"], 3);
}

TEST(ShellConfig, MissingSettingsInAnUnwritableDirectoryStillStart) {
    GameRun run;
    std::filesystem::create_directory(run.PathOf("config.dat.tmp"));
    run.DumpAt(3);
    const auto result = run.Run(3);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(run.LogEvents("messagebox").size(), 1u);
    EXPECT_EQ(run.State(3)["config"]["BossKey"], 123);
    EXPECT_FALSE(run.Exists("config.dat"));
}

} // namespace
