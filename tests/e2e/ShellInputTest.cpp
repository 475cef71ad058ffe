// The shell around a running game: activation, pause, the boss key, the exit
// window over a game and steering with the pointer.
#include <gtest/gtest.h>

#include <sstream>

#include "e2e/Harness.h"

namespace {

using e2e::GameRun;

constexpr int BannerEnd = 100; // the level banner lasts 1500 ms = 94 ticks

std::string Press(int tick, const std::string& key) {
    std::ostringstream out;
    out << tick << " key down " << key << '\n' << tick << " key up " << key << '\n';
    return out.str();
}

// Starts a game at tick 2 (main-menu entry 1).
std::string StartGame() {
    return Press(2, "Enter");
}

TEST(ShellActivation, MenuMusicStopsAndRestarts) {
    GameRun run;
    run.Script("3 deactivate\n6 activate\n");
    ASSERT_EQ(run.Run(6).exitCode, 0);
    const auto stops = run.LogEvents("music stop");
    ASSERT_EQ(stops.size(), 2u); // both timers report it
    EXPECT_EQ(stops[0].rfind("3 ", 0), 0u);
    const auto loads = run.LogEvents("music load");
    ASSERT_EQ(loads.size(), 2u);
    EXPECT_EQ(loads[1].rfind("6 music load sound\\1.xm ", 0), 0u) << loads[1];
    EXPECT_EQ(run.LogEvents("music play").size(), 2u);
}

TEST(ShellActivation, MenuMusicOffOnlyStops) {
    GameRun run;
    run.Script(Press(2, "Down") + Press(2, "Enter") + Press(3, "Down") + Press(4, "Left") +
               "5 deactivate\n6 activate\n");
    ASSERT_EQ(run.Run(6).exitCode, 0);
    EXPECT_EQ(run.LogEvents("music load").size(), 1u);
    EXPECT_EQ(run.LogEvents("music stop").size(), 3u);
}

TEST(ShellActivation, DeactivationPausesTheGameAndActivationRestartsItsMusic) {
    GameRun run;
    const int t = BannerEnd + 5;
    std::ostringstream script;
    script << StartGame() << t << " deactivate\n" << t + 5 << " activate\n" << Press(t + 10, "P");
    run.Script(script.str());
    for (int tick : {BannerEnd, t, t + 5, t + 10}) {
        run.DumpAt(tick);
    }
    ASSERT_EQ(run.Run(t + 10).exitCode, 0);
    EXPECT_EQ(run.State(BannerEnd)["GameState"], 2);
    EXPECT_EQ(run.State(BannerEnd)["timer2"], true);
    EXPECT_EQ(run.State(BannerEnd)["timer1"], false);
    const auto paused = run.State(t);
    EXPECT_EQ(paused["GameState"], 7);
    EXPECT_EQ(paused["PauseState"], 2);
    EXPECT_TRUE(run.LogHas(std::to_string(t) + " cursor show"));
    const auto back = run.State(t + 5);
    EXPECT_EQ(back["GameState"], 7); // stays paused until P
    bool gameTune = false;
    for (const auto& line : run.LogEvents("music load")) {
        gameTune |= line.rfind(std::to_string(t + 5) + " music load sound\\2.xm ", 0) == 0;
    }
    EXPECT_TRUE(gameTune);
    EXPECT_EQ(run.State(t + 10)["GameState"], 2);
    EXPECT_TRUE(run.LogHas(std::to_string(t + 10) + " cursor hide"));
    EXPECT_TRUE(run.LogHas(std::to_string(t + 10) + " cursor move 400 300"));
}

TEST(ShellGame, PauseFreezesAndBossKeyHidesTheGame) {
    GameRun run;
    const int t = BannerEnd + 2;
    run.Script(StartGame() + Press(t, "P") + Press(t + 10, "F12") + Press(t + 12, "P"));
    for (int tick : {t, t + 5, t + 10, t + 12}) {
        run.DumpAt(tick);
    }
    run.ScreenshotAt(t + 5);
    ASSERT_EQ(run.Run(t + 12).exitCode, 0);
    EXPECT_EQ(run.State(t)["GameState"], 7);
    EXPECT_EQ(run.State(t)["AirLeft"], run.State(t + 5)["AirLeft"]);
    const auto hidden = run.State(t + 10);
    EXPECT_EQ(hidden["GameState"], 7);
    EXPECT_EQ(hidden["PauseState"], 2); // already paused: kept
    EXPECT_TRUE(run.LogHas(std::to_string(t + 10) + " minimize"));
    bool stopped = false;
    for (const auto& line : run.LogEvents("music stop")) {
        stopped |= line.rfind(std::to_string(t + 10) + " ", 0) == 0;
    }
    EXPECT_TRUE(stopped);
    EXPECT_EQ(run.State(t + 12)["GameState"], 2);
}

TEST(ShellGame, ExitWindowOverAGame) {
    GameRun run;
    const int t = BannerEnd + 2;
    run.Script(StartGame() + Press(t, "Escape") + Press(t + 2, "Right") + Press(t + 3, "Enter") +
               Press(t + 5, "Escape") + Press(t + 6, "Enter") + "" + std::to_string(t + 8) +
               " close\n");
    for (int tick : {t, t + 3, t + 6, t + 8}) {
        run.DumpAt(tick);
    }
    run.ScreenshotAt(t);
    const int end = t + 6 + 100;
    run.DumpAt(end);
    ASSERT_EQ(run.Run(end).exitCode, 0);
    const auto asking = run.State(t);
    EXPECT_EQ(asking["GameState"], 3);
    EXPECT_EQ(asking["MenuScreen"], 5);
    EXPECT_EQ(asking["SavedState"], 2);
    EXPECT_TRUE(run.LogHas(std::to_string(t) + " cursor show"));
    const auto no = run.State(t + 3);
    EXPECT_EQ(no["GameState"], 2);
    EXPECT_TRUE(run.LogHas(std::to_string(t + 3) + " cursor hide"));
    const auto yes = run.State(t + 6);
    EXPECT_EQ(yes["GameState"], 6);
    EXPECT_TRUE(run.LogHas(std::to_string(t + 6) + " sound looser"));
    // A close request during the game-over banner is ignored.
    EXPECT_EQ(run.State(t + 8)["GameState"], 6);
    EXPECT_EQ(run.State(t + 8)["MenuScreen"], 1);
    // A score of 0 earns no place: back to the menus.
    const auto menu = run.State(end);
    EXPECT_EQ(menu["GameState"], 1);
    EXPECT_EQ(menu["timer1"], true);
    EXPECT_EQ(menu["timer2"], false);
    EXPECT_EQ(menu["MenuScreen"], 1);
    EXPECT_EQ(run.Log().back(), std::to_string(end) + " exit 0");
}

TEST(ShellGame, PointerSteersTheHeroUnlessTheKeysDo) {
    GameRun run;
    const int t = BannerEnd + 2;
    std::ostringstream script;
    script << StartGame() << t << " mouse move 500 300\n"
           << t + 2 << " key down Right\n"
           << t + 3 << " mouse move 500 300\n"
           << t + 4 << " key up Right\n"
           << t + 5 << " mouse down left 400 300\n";
    run.Script(script.str());
    for (int tick : {t - 1, t, t + 3, t + 5}) {
        run.DumpAt(tick);
    }
    ASSERT_EQ(run.Run(t + 5).exitCode, 0);
    EXPECT_TRUE(run.LogHas(std::to_string(t) + " cursor move 400 300"));
    const int before = run.State(t - 1)["hero"]["X"];
    const int after = run.State(t)["hero"]["X"];
    EXPECT_GE(after - before, 50);
    EXPECT_FALSE(run.LogHas(std::to_string(t + 3) + " cursor move 400 300"));
    EXPECT_EQ(run.State(t + 5)["LeftButton"], true);
}

TEST(ShellGame, EscapeDuringTheLevelBannerReturnsToIt) {
    GameRun run;
    run.Script(StartGame() + Press(10, "Escape") + Press(12, "Escape"));
    run.DumpAt(12);
    ASSERT_EQ(run.Run(12).exitCode, 0);
    EXPECT_EQ(run.State(12)["GameState"], 5);
}

} // namespace
