// Golden replays of play: the real game, headless, with seed 1. A first run
// finds where things happen in the side-effect log (deaths, kills, the end of
// the level); a second run dumps the state around those ticks, which is then
// checked against the rules of play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "e2e/Harness.h"

namespace {

// Enter on the main menu at tick 1 starts a game, whose first tick is tick 1:
// the level banner counts 1500 ms down in 16 ms ticks and ends at tick 94.
constexpr int kBannerEnd = 94;
constexpr int kFirstPlayTick = kBannerEnd + 1;
const std::string kStartGame = "1 key down Enter\n2 key up Enter\n";

// The ticks of every log line "T sound NAME".
std::vector<int> SoundTicks(const e2e::GameRun& run, const std::string& name) {
    std::vector<int> ticks;
    for (const std::string& line : run.LogEvents("sound " + name)) {
        if (line.substr(line.find(' ') + 1) == "sound " + name) {
            ticks.push_back(std::atoi(line.c_str()));
        }
    }
    return ticks;
}

std::vector<nlohmann::json> SpritesOf(const nlohmann::json& state, const std::string& cls) {
    std::vector<nlohmann::json> found;
    for (const auto& sprite : state["sprites"]) {
        if (sprite["class"] == cls) {
            found.push_back(sprite);
        }
    }
    return found;
}

// A run with dumps at the given ticks.
void RunWithDumps(e2e::GameRun& run, const std::string& script, const std::vector<int>& ticks,
                  int lastTick) {
    run.Script(script);
    for (int t : ticks) {
        run.DumpAt(t);
    }
    const e2e::RunResult result = run.Run(lastTick, {}, 120);
    ASSERT_EQ(result.exitCode, 0) << result.err;
}

TEST(GamePlay, BannerThenPlayHeroRisesAndFirstTickSpawnsAll) {
    e2e::GameRun run;
    RunWithDumps(run, kStartGame, {1, kBannerEnd - 1, kBannerEnd, kFirstPlayTick, 150}, 150);

    const auto start = run.State(1);
    EXPECT_EQ(start["GameState"], 5);
    EXPECT_EQ(start["MessageTimer"], 1500 - 16);
    EXPECT_EQ(start["Level"], 1);
    EXPECT_EQ(start["Lives"], 5);
    EXPECT_EQ(start["Score"], 0);
    EXPECT_EQ(start["AirLeft"], 1500);
    EXPECT_EQ(start["AirCapacity"], 1500);
    EXPECT_EQ(start["ScrollSpeed"], 2);
    EXPECT_EQ(start["LevelLength"], 14);
    EXPECT_EQ(start["ReliefGroups"], 5);
    EXPECT_EQ(start["hero"]["Visible"], false);
    EXPECT_EQ(SpritesOf(start, "TRelief").size() >= 9 + 6, true);

    // The field stands still during the banner.
    const auto lastBanner = run.State(kBannerEnd - 1);
    EXPECT_EQ(lastBanner["GameState"], 5);
    EXPECT_EQ(lastBanner["AirLeft"], 1500);
    EXPECT_EQ(lastBanner["TopReliefEnd"], start["TopReliefEnd"]);

    const auto end = run.State(kBannerEnd);
    EXPECT_EQ(end["GameState"], 2);
    EXPECT_EQ(end["hero"]["Visible"], true);
    EXPECT_EQ(end["hero"]["X"], 150);
    EXPECT_EQ(end["hero"]["Y"], 300);
    for (const char* cls : {"TEnemySprite", "TBonusSprite", "TGreenAlgae", "TTreasureSprite"}) {
        EXPECT_TRUE(SpritesOf(end, cls).empty()) << cls;
    }

    // The first play tick of the first game spawns one of each.
    const auto first = run.State(kFirstPlayTick);
    EXPECT_EQ(first["AirLeft"], 1499);
    for (const char* cls : {"TEnemySprite", "TBonusSprite", "TGreenAlgae", "TTreasureSprite"}) {
        EXPECT_EQ(SpritesOf(first, cls).size(), 1u) << cls;
    }

    // With no input the hero floats up a pixel a tick.
    EXPECT_EQ(first["hero"]["Y"], 299);
    EXPECT_EQ(run.State(150)["hero"]["Y"], 300 - (150 - kBannerEnd));
    EXPECT_EQ(run.State(150)["AirLeft"], 1500 - (150 - kBannerEnd));
}

TEST(GamePlay, HeroStopsAtTheTopLimitAndTheDriftStops) {
    // Up held for 20 ticks takes the hero to the top before the relief comes.
    e2e::GameRun run;
    RunWithDumps(run, kStartGame + "95 key down Up\n115 key up Up\n", {100, 114, 140}, 140);
    const auto moving = run.State(100);
    EXPECT_LT(moving["hero"]["VelocityY"].get<double>(), 0.0);
    EXPECT_EQ(run.State(114)["hero"]["Y"], 120);
    EXPECT_EQ(run.State(114)["hero"]["VelocityY"], 0.0);
    EXPECT_EQ(run.State(140)["hero"]["Y"], 120);
    EXPECT_EQ(run.State(140)["hero"]["VelocityY"], 0.0);
}

TEST(GamePlay, PointerImpulseStepsOnceAndTheLeftButtonFires) {
    e2e::GameRun run;
    RunWithDumps(run,
                 kStartGame + "120 mouse move 400 360\n130 mouse down left 400 300\n"
                              "131 mouse up left 400 300\n",
                 {119, 120, 121}, 140);
    // 60 pixels below the centre: one step of 30 instead of 8, then nothing.
    EXPECT_EQ(run.State(119)["hero"]["Y"], 275);
    EXPECT_EQ(run.State(120)["hero"]["Y"], 275 - 1 + 30);
    EXPECT_EQ(run.State(120)["hero"]["VelocityY"], 0.5);
    EXPECT_EQ(run.State(121)["hero"]["Y"], 275 - 1 + 30 - 1);
    EXPECT_EQ(run.State(121)["hero"]["VelocityY"], 0.0);
    EXPECT_EQ(SoundTicks(run, "herogun"), std::vector<int>{130});
}

// A long game run once per suite: the log shows where things happen.
class LongGame {
public:
    LongGame(std::string script, int ticks) : script_(std::move(script)) {
        run_.Script(script_);
        result_ = run_.Run(ticks, {}, 120);
    }
    const e2e::RunResult& Result() const { return result_; }
    const e2e::GameRun& Run() const { return run_; }
    // The same game again, with dumps at `ticks`.
    std::unique_ptr<e2e::GameRun> Replay(const std::vector<int>& ticks) const {
        auto replay = std::make_unique<e2e::GameRun>();
        RunWithDumps(*replay, script_, ticks, *std::max_element(ticks.begin(), ticks.end()));
        return replay;
    }

private:
    std::string script_;
    e2e::GameRun run_;
    e2e::RunResult result_;
};

// A suite sharing one long game, given by Derived::Script() and kTicks.
template <typename Derived> class LongGameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { game_ = new LongGame(Derived::Script(), Derived::kTicks); }
    static void TearDownTestSuite() {
        delete game_;
        game_ = nullptr;
    }
    void SetUp() override { ASSERT_EQ(game_->Result().exitCode, 0) << game_->Result().err; }
    static inline LongGame* game_ = nullptr;
};

// No input at all after the start: the hero floats up under the relief.
class IdleGame : public LongGameTest<IdleGame> {
public:
    static std::string Script() { return kStartGame; }
    static constexpr int kTicks = 6000;
};

// The fire button held from the first play tick.
class FiringGame : public LongGameTest<FiringGame> {
public:
    static std::string Script() { return kStartGame + "95 key down Space\n"; }
    static constexpr int kTicks = 3000;
};

TEST_F(FiringGame, HoldingFireShootsEvery33TicksAnd16WithTheSupergun) {
    const std::vector<int> shots = SoundTicks(game_->Run(), "herogun");
    ASSERT_GE(shots.size(), 4u);
    EXPECT_EQ(shots[0], kFirstPlayTick);
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(shots[i] - shots[i - 1], 33) << i;
    }

    // Find the supergun pick-up among the bonuses: the gun rate doubles then.
    const std::vector<int> bonuses = SoundTicks(game_->Run(), "bonus");
    const auto replay = game_->Replay(bonuses);
    std::optional<int> pickup;
    for (int b : bonuses) {
        if (replay->State(b)["hero"]["GunRate"] == 12) {
            pickup = b;
            break;
        }
    }
    ASSERT_TRUE(pickup.has_value()) << "no supergun picked up in this replay";
    const int p = *pickup;
    std::vector<int> after;
    for (int s : shots) {
        if (s > p + 16 && s < p + 876 && after.size() < 5) {
            after.push_back(s);
        }
    }
    ASSERT_EQ(after.size(), 5u);
    for (std::size_t i = 1; i < after.size(); ++i) {
        EXPECT_EQ(after[i] - after[i - 1], 16) << after[i];
    }

    // The power ends 876 ticks after the tick of its pick-up.
    const auto timed = game_->Replay({p, p + 875, p + 876});
    EXPECT_EQ(timed->State(p)["hero"]["SupergunActive"], true);
    EXPECT_EQ(timed->State(p + 875)["hero"]["SupergunActive"], true);
    EXPECT_EQ(timed->State(p + 875)["hero"]["GunRate"], 12);
    EXPECT_EQ(timed->State(p + 876)["hero"]["SupergunActive"], false);
    EXPECT_EQ(timed->State(p + 876)["hero"]["GunRate"], 6);
}

TEST_F(FiringGame, ShotKillsAFishAndScoresItsPoints) {
    const std::vector<int> kills = SoundTicks(game_->Run(), "fishdie");
    ASSERT_FALSE(kills.empty());
    const int k = kills.front();
    const auto replay = game_->Replay({k - 1, k});
    const auto before = replay->State(k - 1);
    const auto after = replay->State(k);
    const int gained = after["Score"].get<int>() - before["Score"].get<int>();
    // The killed fish is still in the tree, marked dead, until the next sweep.
    std::optional<int> kind;
    for (const auto& fish : SpritesOf(after, "TEnemySprite")) {
        if (fish["Dead"] == true) {
            kind = fish["Kind"].get<int>();
        }
    }
    ASSERT_TRUE(kind.has_value());
    EXPECT_EQ(gained, *kind == 7 ? 20 : 10); // level 1 has kinds 1, 2 and 7
    const auto deadBodies = [](const nlohmann::json& state) {
        int count = 0;
        for (const auto& body : SpritesOf(state, "TDeadBodySprite")) {
            count += body["Kind"] == 1 ? 1 : 0;
        }
        return count;
    };
    EXPECT_EQ(deadBodies(after), deadBodies(before) + (*kind == 7 ? 0 : 1));
}

// Down, left and fire held from the first play tick: the diver lies on the
// floor at the left edge and shoots along it.
class FloorGame : public LongGameTest<FloorGame> {
public:
    static std::string Script() {
        return kStartGame + "95 key down Down\n95 key down Left\n95 key down Space\n";
    }
    static constexpr int kTicks = 1000;
};

TEST_F(FloorGame, TheGunKillsACrabAndScoresItsTwentyPoints) {
    EXPECT_TRUE(game_->Run().LogEvents("sound heronet").empty());
    const std::vector<int> kills = SoundTicks(game_->Run(), "fishdie");
    ASSERT_FALSE(kills.empty()) << "nothing was shot from the floor";
    const int k = kills.front();
    const auto replay = game_->Replay({k - 1, k});
    const auto before = replay->State(k - 1);
    const auto after = replay->State(k);
    EXPECT_EQ(before["Score"], 0);
    EXPECT_EQ(after["Score"], 20);
    EXPECT_EQ(after["hero"]["X"], 5);
    EXPECT_EQ(after["hero"]["Y"], 590 - 46);

    std::optional<nlohmann::json> crab;
    for (const auto& fish : SpritesOf(after, "TEnemySprite")) {
        if (fish["Dead"] == true) {
            ASSERT_FALSE(crab.has_value()) << "one fish dies";
            crab = fish;
        }
    }
    ASSERT_TRUE(crab.has_value());
    EXPECT_EQ((*crab)["Kind"], 7);
    EXPECT_EQ((*crab)["Y"], 570);
    // The harpoon that hit it: fired at the hero's y + 15, its box reaching
    // down into the crab's rows.
    std::optional<nlohmann::json> shot;
    for (const auto& weapon : SpritesOf(after, "THeroWeaponSprite")) {
        if (weapon["Dead"] == true) {
            shot = weapon;
        }
    }
    ASSERT_TRUE(shot.has_value());
    EXPECT_EQ((*shot)["Kind"], 1);
    EXPECT_EQ((*shot)["Y"], 590 - 46 + 15);
    EXPECT_GT((*shot)["Y"].get<int>() + (*shot)["Height"].get<int>(), 570);
    // A crab leaves no body.
    EXPECT_EQ(SpritesOf(after, "TDeadBodySprite").size(),
              SpritesOf(before, "TDeadBodySprite").size());
}

TEST_F(IdleGame, DeathsKeepOrRefillTheAirAndTheNextLifeWaitsForTheBody) {
    const std::vector<int> byFish = SoundTicks(game_->Run(), "herodiefish");
    const std::vector<int> byAir = SoundTicks(game_->Run(), "herodieair");
    ASSERT_FALSE(byAir.empty());
    ASSERT_FALSE(byFish.empty());
    const int a = byAir.front();
    const int f = byFish.front();
    const auto replay = game_->Replay({a - 1, a, f - 1, f, f + 1});

    // Air runs out: the hero dies at 0 and the air becomes a third of the tank
    // (less the breath of that tick).
    const auto beforeAir = replay->State(a - 1);
    const auto atAir = replay->State(a);
    EXPECT_EQ(beforeAir["AirLeft"], 0);
    EXPECT_EQ(beforeAir["hero"]["Visible"], true);
    EXPECT_EQ(atAir["AirLeft"], atAir["AirCapacity"].get<int>() / 3 - 1);
    EXPECT_EQ(atAir["GameState"], 4);
    EXPECT_EQ(atAir["Lives"], beforeAir["Lives"].get<int>() - 1);
    EXPECT_EQ(atAir["hero"]["Visible"], false);

    // A fish leaves the air as it was; the dying hero does not breathe.
    const auto before = replay->State(f - 1);
    const auto at = replay->State(f);
    const auto after = replay->State(f + 1);
    EXPECT_EQ(at["AirLeft"], before["AirLeft"].get<int>() - 1);
    EXPECT_EQ(after["AirLeft"], at["AirLeft"]);
    EXPECT_EQ(at["Lives"], before["Lives"].get<int>() - 1);
    EXPECT_EQ(at["GameState"], 4);

    // The next life starts on the tick after the body has left the screen:
    // the body drifts with the ground from where the hero died.
    std::optional<nlohmann::json> body;
    for (const auto& b : SpritesOf(atAir, "TDeadBodySprite")) {
        if (b["Kind"] == 3) {
            body = b;
        }
    }
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ((*body)["X"], beforeAir["hero"]["X"].get<int>() - atAir["ScrollSpeed"].get<int>());
    const int speed = atAir["ScrollSpeed"];
    int left = a; // the first tick with x < -width
    for (int x = (*body)["X"]; x >= -(*body)["Width"].get<int>(); x -= speed) {
        ++left;
    }
    const auto lives = game_->Replay({left - 1, left, left + 1});
    EXPECT_EQ(lives->State(left - 1)["GameState"], 4);
    EXPECT_EQ(lives->State(left)["GameState"], 2);
    EXPECT_EQ(lives->State(left)["hero"]["Visible"], false);
    const auto next = lives->State(left + 1);
    EXPECT_EQ(next["hero"]["Visible"], true);
    EXPECT_EQ(next["hero"]["X"], 150);
    // One tick of rising from (150, 400); four more while the hero still rises
    // out of a finished level, as this one does.
    EXPECT_EQ(next["hero"]["Y"], next["hero"]["Controllable"] == true ? 399 : 395);
    EXPECT_EQ(next["Lives"], atAir["Lives"]);
    EXPECT_EQ(next["ScrollSpeed"], 2);
}

TEST_F(IdleGame, LevelEndsAfterTheLastUpperPieceAndTheNextStartsWithTheOldTank) {
    const std::vector<int> levels = SoundTicks(game_->Run(), "nextlevel");
    ASSERT_FALSE(levels.empty());
    const int l = levels.front();
    std::vector<int> ticks;
    for (int t = std::max(kFirstPlayTick, l - 400); t < l; t += 4) {
        ticks.push_back(t);
    }
    ticks.push_back(l);
    const auto replay = game_->Replay(ticks);

    bool sawRise = false;
    for (int t : ticks) {
        const auto state = replay->State(t);
        if (t == l || state["GameState"] != 2) {
            continue;
        }
        if (state["hero"]["Controllable"] == false) {
            sawRise = true;
            EXPECT_EQ(state["ReliefGroups"], 15) << t;
            EXPECT_LE(state["TopReliefEnd"].get<int>(), 0) << t;
        }
        if (state["TopReliefEnd"].get<int>() > 0) {
            EXPECT_EQ(state["hero"]["Controllable"], true) << t;
        }
    }
    EXPECT_TRUE(sawRise);

    const auto next = replay->State(l);
    EXPECT_EQ(next["Level"], 2);
    EXPECT_EQ(next["GameState"], 5);
    EXPECT_EQ(next["AirLeft"], 1500);
    EXPECT_EQ(next["AirCapacity"], 2400);
    EXPECT_EQ(next["LevelLength"], 22);
    EXPECT_EQ(next["ReliefGroups"], 6);
    EXPECT_EQ(next["ScrollSpeed"], 2);
    EXPECT_EQ(next["hero"]["Controllable"], true);
    EXPECT_EQ(next["hero"]["Visible"], false);
    EXPECT_EQ(next["hero"]["X"], 150);
    EXPECT_EQ(next["hero"]["Y"], 400);
    for (const char* cls : {"TEnemySprite", "TBonusSprite", "TBubbleSprite"}) {
        for (const auto& sprite : SpritesOf(next, cls)) {
            EXPECT_EQ(sprite["Dead"], true) << cls;
        }
    }
}

TEST_F(IdleGame, FifthDeathEndsTheGameAndALowScoreGoesBackToTheMenu) {
    const std::vector<int> over = SoundTicks(game_->Run(), "looser");
    ASSERT_EQ(over.size(), 1u);
    const int g = over.front();
    const auto replay = game_->Replay({g, g + 92, g + 93});
    const auto at = replay->State(g);
    EXPECT_EQ(at["GameState"], 6);
    EXPECT_EQ(at["Lives"], 0);
    ASSERT_LE(at["Score"].get<int>(), 100) << "this replay expects no table place";
    EXPECT_EQ(replay->State(g + 92)["GameState"], 6);
    const auto menu = replay->State(g + 93);
    EXPECT_EQ(menu["GameState"], 1);
    EXPECT_EQ(menu["MenuScreen"], 1);
    EXPECT_EQ(menu["timer1"], true);
    EXPECT_EQ(menu["timer2"], false);
    EXPECT_TRUE(menu["hero"].is_null());
    EXPECT_TRUE(game_->Run().LogHas(std::to_string(g + 93) + " music load sound\\1.xm 3"));
}

} // namespace
