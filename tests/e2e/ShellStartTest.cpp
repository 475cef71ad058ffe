// Start-up, the automation interface itself, and the end of the program.
#include <gtest/gtest.h>

#include <fstream>

#include "e2e/Harness.h"

namespace {

using e2e::GameRun;

// Width and height from a PNG's header.
std::pair<int, int> PngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) {
        return {0, 0};
    }
    auto be32 = [&](std::size_t at) {
        return (static_cast<unsigned char>(bytes[at]) << 24) |
               (static_cast<unsigned char>(bytes[at + 1]) << 16) |
               (static_cast<unsigned char>(bytes[at + 2]) << 8) |
               static_cast<unsigned char>(bytes[at + 3]);
    };
    return {be32(16), be32(20)};
}

TEST(ShellStart, HeadlessRunWritesScreenshotStateAndLog) {
    GameRun run;
    // The command line of a bug report, with absolute output paths. The settings folder is
    // the run's own (under Wine, the Wine user's, emptied meanwhile), so the first start's
    // save is logged whatever ran before.
    const e2e::SetAside settings(e2e::WineSettingsFolder());
    const auto result = e2e::RunProcess(
        {"/usr/bin/env", "XDG_CONFIG_HOME=" + run.PathOf("config"), e2e::GameBinary(), "--headless",
         "--ticks", "100", "--screenshot", "100:" + run.PathOf("f.png"), "--dump-state",
         "100:" + run.PathOf("s.json"), "--log", run.PathOf("l.txt")},
        run.Dir(), 30);
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(PngSize(run.ReadFile("f.png")), std::make_pair(800, 600));
    const auto state = nlohmann::json::parse(run.ReadFile("s.json"));
    EXPECT_EQ(state["tick"], 100);
    EXPECT_EQ(state["GameState"], 1);
    EXPECT_EQ(state["MenuScreen"], 1);
    EXPECT_EQ(state["Selected"], 1);
    EXPECT_EQ(state["timer1"], true);
    EXPECT_EQ(state["timer2"], false);
    EXPECT_TRUE(state["hero"].is_null());
    const std::string log = run.ReadFile("l.txt");
    EXPECT_NE(log.find("0 save config.dat\n"), std::string::npos) << log;
    EXPECT_NE(log.find("100 exit 0\n"), std::string::npos) << log;
}

TEST(ShellStart, FirstStartWritesTheDefaultSettingsByteForByte) {
    GameRun run;
    ASSERT_EQ(run.Run(1).exitCode, 0);
    const std::string bytes = run.ReadFile("config.dat");
    ASSERT_EQ(bytes.size(), 158u);
    std::string expected(158, '\0');
    expected[4] = 0x7B; // F12
    for (int i = 7; i < 17; ++i) {
        expected[i] = static_cast<char>(0xFF); // empty country, complemented
    }
    const std::string anonymous = "Anonymous";
    for (int r = 0; r < 10; ++r) {
        const int at = 18 + 14 * r;
        expected[at] = 9;
        for (int i = 0; i < 10; ++i) {
            expected[at + 1 + i] = static_cast<char>(i < 9 ? ~anonymous[i] : 0xFF);
        }
        const int score = ~((10 - r) * 100) & 0xFFFF;
        expected[at + 12] = static_cast<char>(score & 0xFF);
        expected[at + 13] = static_cast<char>(score >> 8);
    }
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(static_cast<unsigned char>(bytes[30]), 0x17);
    EXPECT_EQ(static_cast<unsigned char>(bytes[31]), 0xFC);
}

TEST(ShellStart, StartUpLogsModeAndMenuMusic) {
    GameRun run;
    run.DumpAt(1);
    ASSERT_EQ(run.Run(1).exitCode, 0);
    const auto log = run.Log();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0], "0 save config.dat");
    EXPECT_EQ(log[1], "0 mode windowed");
    EXPECT_EQ(log[2].rfind("0 music load sound\\1.xm ", 0), 0u) << log[2];
    const std::string handle = log[2].substr(log[2].rfind(' ') + 1);
    EXPECT_NE(handle, "0");
    EXPECT_EQ(log[3], "0 music play " + handle);
    const auto state = run.State(1);
    EXPECT_EQ(state["config"]["Windowed"], 1);
    EXPECT_EQ(state["config"]["BossKey"], 123);
    EXPECT_EQ(state["BossKeyName"], "F12");
    EXPECT_EQ(state["config"]["Scores"][0]["Name"], "Anonymous");
    EXPECT_EQ(state["config"]["Scores"][9]["Score"], 100);
    // The menu scene: background, dialog window, six main-menu entries.
    const auto& sprites = state["sprites"];
    ASSERT_EQ(sprites.size(), 8u);
    EXPECT_EQ(sprites[0]["class"], "TMenuBackground");
    EXPECT_EQ(sprites[1]["class"], "TClosingWindow");
    EXPECT_EQ(sprites[1]["Visible"], false);
    for (int i = 2; i < 8; ++i) {
        EXPECT_EQ(sprites[i]["class"], "TMenuItem");
        EXPECT_EQ(sprites[i]["X"], 489);
        EXPECT_EQ(sprites[i]["Visible"], i == 2);
    }
}

TEST(ShellStart, HelpVersionAndBadOptions) {
    GameRun run;
    const auto help = run.RunRaw({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--dump-state"), std::string::npos);
    const auto version = run.RunRaw({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_FALSE(version.out.empty());
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--headless", "--bogus"},
                                                 {"--headless", "--ticks", "x"},
                                                 {"--headless", "--screenshot", "nope"},
                                                 {"--workdir", "/no/such/directory"}}) {
        const auto result = run.RunRaw(args);
        EXPECT_EQ(result.exitCode, 2) << args[1];
        EXPECT_FALSE(result.err.empty());
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }
    EXPECT_FALSE(run.Exists("config.dat")); // nothing ran
}

TEST(ShellStart, MalformedScriptLineNamesItsNumber) {
    GameRun run;
    run.Script("# comment\n5 key down Enter\n7 key sideways Enter\n");
    const auto result = run.Run(10);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("line 3"), std::string::npos) << result.err;
}

TEST(ShellStart, WorkdirIsWhereSettingsLive) {
    GameRun run;
    // Started from elsewhere: --workdir decides where config.dat goes.
    const auto result = e2e::RunProcess(
        {e2e::GameBinary(), "--headless", "--ticks", "2", "--workdir", run.Dir().string()},
        std::filesystem::temp_directory_path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(run.Exists("config.dat"));
}

TEST(ShellStart, YesInTheExitWindowEndsTheProgramAndOpensTheOptionalFiles) {
    GameRun run;
    run.WriteFile("play.url", "[InternetShortcut]\nURL=http://example.invalid/\n");
    run.WriteFile("fscommand/wgame.exe", "x");
    run.Script("3 key down Escape\n3 key up Escape\n5 key down Enter\n");
    const auto result = run.Run(1000);
    EXPECT_EQ(result.exitCode, 0);
    const auto log = run.Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3], "5 open fscommand\\wgame.exe");
    EXPECT_EQ(log[log.size() - 2], "5 open play.url");
    EXPECT_EQ(log.back(), "5 exit 0");
}

TEST(ShellStart, TicksEndWithoutLaunchingAnything) {
    GameRun run;
    run.WriteFile("play.url", "[InternetShortcut]\nURL=http://example.invalid/\n");
    ASSERT_EQ(run.Run(3).exitCode, 0);
    EXPECT_TRUE(run.LogEvents("open ").empty());
    EXPECT_EQ(run.Log().back(), "3 exit 0");
}

TEST(ShellStart, CloseBoxOpensTheExitWindow) {
    GameRun run;
    run.Script("2 close\n");
    run.DumpAt(2);
    run.ScreenshotAt(2);
    ASSERT_EQ(run.Run(2).exitCode, 0);
    const auto state = run.State(2);
    EXPECT_EQ(state["MenuScreen"], 5);
    EXPECT_EQ(state["Selected"], 1);
    EXPECT_EQ(state["sprites"][1]["Visible"], true); // the dialog window
}

TEST(ShellStart, DamagedPicturesEndWithAMessage) {
    GameRun run;
    std::filesystem::remove(run.Dir() / "data");
    run.WriteFile("data/menu.dxg", std::string(5000, '\x5A'));
    const auto result = run.Run(5);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.err.rfind("brinehold: ", 0), 0u) << result.err;
    EXPECT_EQ(run.Log().back(), "0 exit 1");
}

TEST(ShellStart, MissingSoundsAreReportedAndTheGameGoesOn) {
    GameRun run;
    std::filesystem::remove(run.Dir() / "sound");
    std::filesystem::create_directory(run.Dir() / "sound");
    run.DumpAt(5);
    ASSERT_EQ(run.Run(5).exitCode, 0);
    const auto boxes = run.LogEvents("messagebox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], "0 messagebox Не могу загрузить музыку!");
    EXPECT_TRUE(run.LogHas("0 music load sound\\1.xm 0"));
    EXPECT_EQ(run.State(5)["config"]["MusicOn"], 0);
    EXPECT_EQ(run.ReadFile("config.dat")[1], 0); // not saved: still on in the file
}

TEST(ShellStart, SeedMakesRunsRepeatable) {
    GameRun first;
    GameRun second;
    const std::string script = "2 key down Enter\n2 key up Enter\n";
    first.Script(script);
    second.Script(script);
    first.DumpAt(60);
    second.DumpAt(60);
    ASSERT_EQ(first.Run(60).exitCode, 0);
    ASSERT_EQ(second.Run(60).exitCode, 0);
    EXPECT_EQ(first.State(60)["sprites"], second.State(60)["sprites"]);
}

} // namespace
