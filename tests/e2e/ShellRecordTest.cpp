// Recordings and the screenshot key: a game played in a real window (under a
// virtual X display) and recorded plays again exactly, headless and in a
// window; playing a recording never writes config.dat; Print Screen writes
// the same picture as --screenshot.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "e2e/Harness.h"

namespace {

// A state dump without the process's own memory figure, which differs from run to run.
nlohmann::json GameState(const std::string& text) {
    nlohmann::json state = nlohmann::json::parse(text);
    state.erase("memory");
    return state;
}

using e2e::GameRun;
using e2e::RunResult;

const char* const XvfbRun = "/usr/bin/xvfb-run";

std::string Press(int tick, const std::string& key) {
    return std::to_string(tick) + " key down " + key + '\n' + std::to_string(tick + 2) +
           " key up " + key + '\n';
}

// The game in a real SDL window on a virtual X display, in real time.
RunResult RunInWindow(const GameRun& run, const std::vector<std::string>& args) {
    std::vector<std::string> all = {XvfbRun,
                                    "-a",
                                    "-s",
                                    "-screen 0 1024x768x24",
                                    "/usr/bin/env",
                                    "SDL_VIDEODRIVER=" + e2e::WindowVideoDriver(),
                                    "SDL_AUDIODRIVER=dummy",
                                    e2e::GameBinary(),
                                    "--workdir",
                                    run.Dir().string()};
    all.insert(all.end(), args.begin(), args.end());
    return e2e::RunProcess(all, run.Dir(), 120);
}

RunResult RunHeadless(const GameRun& run, const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--headless", "--workdir", run.Dir().string()};
    all.insert(all.end(), args.begin(), args.end());
    return run.RunRaw(all);
}

// Lines of `text` whose second field is `verb`.
std::vector<std::string> LinesOf(const std::string& text, const std::string& verb) {
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const auto space = line.find(' ');
        if (space != std::string::npos &&
            line.compare(space + 1, verb.size() + 1, verb + " ") == 0) {
            found.push_back(line);
        } else if (space != std::string::npos && line.substr(space + 1) == verb) {
            found.push_back(line);
        }
    }
    return found;
}

// A game started from the menu, steered and fired at, with a frame stalled
// long enough for the timer to catch up several steps, and the focus lost
// (the game pauses) and won back (P resumes it).
std::string PlayedGame() {
    return Press(20, "Down") + Press(30, "Up") + Press(40, "Enter") + // into the game
           "120 key down Right\n150 key down Space\n170 stall 120\n" +
           "200 key up Right\n210 key down Up\n240 key up Up\n250 key up Space\n" +
           "260 deactivate\n280 activate\n" + Press(290, "P") +
           "300 key down Down\n300 key down Ctrl\n330 stall 70\n" +
           "360 key up Down\n380 key up Ctrl\n";
}

TEST(ShellRecord, AGameRecordedInAWindowReplaysExactlyHeadlessAndInAWindow) {
    if (!std::filesystem::exists(XvfbRun)) {
        GTEST_SKIP() << "no virtual X display (xvfb-run)";
    }
    const int last = 420;
    GameRun run;
    run.WriteFile("script.txt", PlayedGame());
    const std::string recording = run.PathOf("game.rec");
    const auto recorded = RunInWindow(
        run, {"--ticks", std::to_string(last), "--script", run.PathOf("script.txt"), "--record",
              recording, "--dump-state", std::to_string(last) + ":" + run.PathOf("live.json"),
              "--log", run.PathOf("live.log")});
    ASSERT_EQ(recorded.exitCode, 0) << recorded.err;
    const std::string file = run.ReadFile("game.rec");

    // The file alone is enough: seed, settings, events, the late frames.
    EXPECT_NE(file.find("\nrecording\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\nseed "), std::string::npos);
    EXPECT_NE(file.find("\nconfig "), std::string::npos);
    EXPECT_EQ(LinesOf(file, "deactivate").size(), 1u) << file;
    EXPECT_FALSE(LinesOf(file, "activate").empty()) << file;
    bool caughtUp = false;
    for (const auto& line : LinesOf(file, "lag")) {
        caughtUp = caughtUp || std::stoi(line.substr(line.rfind(' ') + 1)) >= 4;
    }
    EXPECT_TRUE(caughtUp) << "the stalled frame left no lag count:\n" << file;
    EXPECT_FALSE(LinesOf(file, "skip").empty()) << file;
    EXPECT_EQ(LinesOf(file, "end"), std::vector<std::string>{std::to_string(last) + " end"});
    EXPECT_TRUE(LinesOf(file, "stall").empty());

    const auto live = GameState(run.ReadFile("live.json"));
    ASSERT_EQ(live["tick"], last);
    EXPECT_NE(live["hero"], nullptr) << "the game did not start";
    EXPECT_NE(live["GameState"], 7) << "the game did not resume after the focus came back";

    // Headless: as fast as it can, ending with the recording.
    std::filesystem::remove(run.PathOf("config.dat"));
    const auto replayed =
        RunHeadless(run, {"--script", recording, "--dump-state",
                          std::to_string(last) + ":" + run.PathOf("headless.json"), "--log",
                          run.PathOf("headless.log")});
    ASSERT_EQ(replayed.exitCode, 0) << replayed.err;
    EXPECT_EQ(GameState(run.ReadFile("headless.json")), live);
    EXPECT_FALSE(run.Exists("config.dat")) << "a replay wrote the settings";
    EXPECT_NE(run.ReadFile("headless.log").find(std::to_string(last) + " exit 0"),
              std::string::npos);

    // In a window at real speed; when the recording ends the player is back
    // at the main menu.
    const int after = last + 30;
    const auto shown =
        RunInWindow(run, {"--ticks", std::to_string(after), "--script", recording, "--dump-state",
                          std::to_string(last) + ":" + run.PathOf("window.json"), "--dump-state",
                          std::to_string(after) + ":" + run.PathOf("menu.json")});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(GameState(run.ReadFile("window.json")), live);
    const auto menu = GameState(run.ReadFile("menu.json"));
    EXPECT_EQ(menu["GameState"], 1);
    EXPECT_EQ(menu["MenuScreen"], 1);
    EXPECT_TRUE(menu["timer1"]);
    EXPECT_FALSE(menu["timer2"]);
}

// A recording played in a window while the player presses keys of his own
// (through the X server, as a keyboard would): P does not pause the recorded
// game, Escape ends the playback and the player is at the main menu.
TEST(ShellRecord, InAWindowThePlayersKeysAreIgnoredAndEscapeReturnsToTheMenu) {
    const char* const xdotool = "/usr/bin/xdotool";
    if (!std::filesystem::exists(XvfbRun) || !std::filesystem::exists(xdotool)) {
        GTEST_SKIP() << "no virtual X display (xvfb-run) or no xdotool";
    }
    GameRun run;
    run.WriteFile("game.rec", "recording\nseed 1\n" + Press(30, "Enter") + "1000 end\n");
    const std::string game =
        "env SDL_VIDEODRIVER=" + e2e::WindowVideoDriver() + " SDL_AUDIODRIVER=dummy " +
        e2e::GameCommandLine() + " --workdir " + run.Dir().string() + " --ticks 400 --script " +
        run.PathOf("game.rec") + " --dump-state 200:" + run.PathOf("playing.json") +
        " --dump-state 400:" + run.PathOf("menu.json") + " --log " + run.PathOf("log.txt");
    // The keys go to the focused window, as a player's do.
    run.WriteFile("player.sh", game + " &\ngame=$!\nsleep 1\n" + xdotool +
                                   " search --sync --name Brinehold windowfocus --sync key p\n"
                                   "sleep 3\n" +
                                   xdotool +
                                   " search --name Brinehold windowfocus key Escape\n"
                                   "wait $game\n");
    const auto result = e2e::RunProcess(
        {XvfbRun, "-a", "-s", "-screen 0 1024x768x24", "/bin/sh", run.PathOf("player.sh")},
        run.Dir(), 120);
    ASSERT_EQ(result.exitCode, 0) << result.err;

    const auto stopped = run.LogEvents("playback stopped");
    ASSERT_EQ(stopped.size(), 1u) << "Escape did not end the playback";
    const int stoppedAt = std::stoi(stopped[0]);
    EXPECT_LT(stoppedAt, 400);
    if (stoppedAt > 200) {
        const auto playing = GameState(run.ReadFile("playing.json"));
        EXPECT_EQ(playing["GameState"], 2) << "the player's P paused the recorded game";
    }
    const auto menu = GameState(run.ReadFile("menu.json"));
    EXPECT_EQ(menu["GameState"], 1);
    EXPECT_EQ(menu["MenuScreen"], 1);
    EXPECT_TRUE(menu["timer1"]);
    EXPECT_FALSE(menu["timer2"]);
    EXPECT_EQ(menu["hero"], nullptr);
}

// Opens the options and switches the sound off (a save), then back to the
// main menu.
const char* const SoundOff = "5 key down Down\n6 key up Down\n7 key down Enter\n8 key up Enter\n"
                             "10 key down Down\n11 key up Down\n12 key down Down\n"
                             "13 key up Down\n14 key down Left\n15 key up Left\n"
                             "20 key down Escape\n21 key up Escape\n";

TEST(ShellRecord, PlayingARecordingNeverWritesTheSettings) {
    GameRun run;
    const std::string mine(158, '\x01');
    run.WriteFile("config.dat", mine);
    run.WriteFile("plain.txt", SoundOff);
    run.WriteFile("recorded.txt", std::string("recording\nseed 5\n") + SoundOff + "30 end\n");

    const auto replay =
        RunHeadless(run, {"--script", run.PathOf("recorded.txt"), "--dump-state",
                          "30:" + run.PathOf("rec.json"), "--log", run.PathOf("log.txt")});
    ASSERT_EQ(replay.exitCode, 0) << replay.err;
    EXPECT_EQ(run.ReadFile("config.dat"), mine);
    EXPECT_FALSE(run.LogEvents("save").empty()) << "the saves are logged";
    EXPECT_EQ(run.LogEvents("exit"), std::vector<std::string>{"30 exit 0"});

    // The same lines as a plain script save as ever.
    const auto plain =
        RunHeadless(run, {"--script", run.PathOf("plain.txt"), "--seed", "5", "--ticks", "30",
                          "--dump-state", "30:" + run.PathOf("plain.json")});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_NE(run.ReadFile("config.dat"), mine);
    const auto recordedState = GameState(run.ReadFile("rec.json"));
    const auto plainState = GameState(run.ReadFile("plain.json"));
    EXPECT_EQ(recordedState, plainState);
    EXPECT_EQ(plainState["config"]["SoundOn"], 1); // off in the file, switched on
}

// A recording's seed is used unless --seed is given.
TEST(ShellRecord, TheFilesSeedGivesWayToTheCommandLine) {
    GameRun run;
    const std::string game = Press(2, "Enter") + "100 key down Right\n";
    run.WriteFile("seeded.txt", "seed 77\n" + game);
    run.WriteFile("bare.txt", game);
    auto state = [&](const std::string& script, const std::string& seed) {
        std::vector<std::string> args = {"--script",     run.PathOf(script),
                                         "--ticks",      "400",
                                         "--dump-state", "400:" + run.PathOf("s.json")};
        if (!seed.empty()) {
            args.insert(args.end(), {"--seed", seed});
        }
        const auto result = RunHeadless(run, args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return GameState(run.ReadFile("s.json"));
    };
    const auto fromFile = state("seeded.txt", "");
    EXPECT_EQ(fromFile, state("bare.txt", "77"));
    const auto overridden = state("seeded.txt", "78");
    EXPECT_EQ(overridden, state("bare.txt", "78"));
    EXPECT_NE(fromFile["sprites"], overridden["sprites"]) << "the seed changed nothing";
}

// Print Screen in a headless run: the picture of --screenshot of the same
// tick, in the first folder that takes it, named by the time, logged; the
// game neither sees the key nor pauses.
TEST(ShellRecord, PrintScreenWritesTheFrameOfItsTick) {
    GameRun run;
    const std::filesystem::path pictures = run.Dir() / "pictures";
    const std::filesystem::path home = run.Dir() / "home";
    const std::filesystem::path locked = run.Dir() / "locked";
    std::filesystem::create_directories(locked);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_exec);
    const bool canLock =
        !std::filesystem::exists(locked / "probe") && access(locked.c_str(), W_OK) != 0;
    const std::string noConfig = "XDG_CONFIG_HOME=" + (run.Dir() / "nothing").string();
    struct Case {
        const char* name;
        std::vector<std::string> environment;
        std::filesystem::path folder;
    };
    std::vector<Case> cases = {
        {"pictures folder",
         {"XDG_PICTURES_DIR=" + pictures.string(), "HOME=" + home.string(), noConfig},
         pictures / "Brinehold"},
        {"home",
         {"XDG_PICTURES_DIR=", "HOME=" + home.string(), noConfig},
         home / "Pictures" / "Brinehold"},
        {"relative pictures folder",
         {"XDG_PICTURES_DIR=pics", "HOME=" + home.string(), noConfig},
         home / "Pictures" / "Brinehold"},
        {"the desktop's folder list",
         {"XDG_PICTURES_DIR=", "HOME=" + home.string(),
          "XDG_CONFIG_HOME=" + (run.Dir() / "cfg").string()},
         home / "Bilder" / "Brinehold"},
        {"settings folder",
         {"XDG_PICTURES_DIR=" + (locked / "x").string(), "HOME=" + locked.string(), noConfig},
         run.Dir()},
    };
    if (!e2e::WineUserFolder().empty()) {
        // Windows names the Pictures folder itself, whatever the environment says.
        cases = {{"Windows' pictures folder",
                  {"XDG_PICTURES_DIR=" + pictures.string(), "HOME=" + home.string()},
                  e2e::WineUserFolder() / "Pictures" / "Brinehold"}};
    }
    run.WriteFile("cfg/user-dirs.dirs", "# written by the desktop\n"
                                        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                        "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    const std::string script =
        Press(40, "Enter") + "60 key down PrintScreen\n61 key up PrintScreen\n";
    run.WriteFile("shot.txt", script);
    run.WriteFile("noshot.txt", Press(40, "Enter"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.folder == run.Dir() && !canLock) {
            continue; // root writes anywhere
        }
        std::vector<std::string> args = {"/usr/bin/env"};
        args.insert(args.end(), c.environment.begin(), c.environment.end());
        args.insert(args.end(), {e2e::GameBinary(), "--headless", "--workdir", run.Dir().string(),
                                 "--seed", "1", "--ticks", "70", "--script", run.PathOf("shot.txt"),
                                 "--screenshot", "60:" + run.PathOf("expected.png"), "--dump-state",
                                 "70:" + run.PathOf("shot.json"), "--log", run.PathOf("log.txt")});
        const auto result = e2e::RunProcess(args, run.Dir());
        ASSERT_EQ(result.exitCode, 0) << result.err;
        const auto logged = run.LogEvents("screenshot");
        ASSERT_EQ(logged.size(), 1u);
        const std::string path =
            e2e::HostPathOf(logged[0].substr(logged[0].find(' ') + 12)).string();
        EXPECT_EQ(logged[0].substr(0, 3), "60 ");
        EXPECT_EQ(std::filesystem::path(path).parent_path(), c.folder);
        EXPECT_TRUE(std::regex_match(std::filesystem::path(path).filename().string(),
                                     std::regex(R"(brinehold-\d{8}-\d{6}(-\d+)?\.png)")))
            << path;
        EXPECT_EQ(e2e::ReadWholeFile(path), run.ReadFile("expected.png"));
        std::filesystem::remove(path);
    }

    // The game never saw the key.
    const auto quiet = run.RunRaw({"--headless", "--workdir", run.Dir().string(), "--seed", "1",
                                   "--ticks", "70", "--script", run.PathOf("noshot.txt"),
                                   "--dump-state", "70:" + run.PathOf("noshot.json")});
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ(GameState(run.ReadFile("shot.json")), GameState(run.ReadFile("noshot.json")));
}

} // namespace
