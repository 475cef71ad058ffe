// The game's sprites against a stand-in main window: what the diver does with
// what he touches, how he dies, and what a fish pays.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "common/FakeServices.h"
#include "common/Random.h"
#include "game/BonusSprite.h"
#include "game/EnemySprite.h"
#include "game/GamePlay.h"
#include "game/GameRules.h"
#include "game/HeroSprite.h"

namespace {

class GameSpritesTest : public ::testing::Test {
protected:
    void SetUp() override {
        RandSeed(7);
        services.LoadGamePictures();
        services.GameState = gsPlaying;
        play.AirLeft = 1500;
        play.AirCapacity = 1500;
        play.Lives = 3;
        play.ScrollSpeed = 2;
        hero = new THeroSprite(&Root());
        hero->Visible = true;
        play.HeroSprite = hero;
        play.HandEngine = new TEngineSprite(&Root());
        play.SupergunIndicator = new TBonusIndicatorSprite(&Root(), 104, "supergun");
        play.NetIndicator = new TBonusIndicatorSprite(&Root(), 144, "net");
        play.EngineIndicator = new TBonusIndicatorSprite(&Root(), 184, "engine");
    }

    TSpriteEngine& Root() { return services.SpriteRoot(); }

    int Count(const std::string& line) const {
        return static_cast<int>(std::count(services.log.begin(), services.log.end(), line));
    }

    template <class TSpriteClass> int CountInTree() {
        int found = 0;
        for (int i = 0; i < Root().Count(); ++i) {
            found += dynamic_cast<TSpriteClass*>(Root().Items(i)) != nullptr ? 1 : 0;
        }
        return found;
    }

    void Touch(TSprite* sprite) {
        bool done = false;
        hero->DoCollision(sprite, done);
    }

    TFakeServices services;
    TGamePlay play{services};
    THeroSprite* hero = nullptr;
};

TEST_F(GameSpritesTest, ATreasureTouchedTwiceInOneTickPaysOnce) {
    auto* treasure = new TTreasureSprite(&Root());
    const int value = treasure->Value;
    play.Score = 100;
    Touch(treasure);
    // The hand engine passes what it touches on to the hero.
    bool done = false;
    play.HandEngine->DoCollision(treasure, done);
    EXPECT_EQ(play.Score, 100 + value);
    EXPECT_EQ(Count("effect bonus"), 1);
    EXPECT_TRUE(treasure->Deaded());
}

TEST_F(GameSpritesTest, EveryBonusKindGivesItsPower) {
    struct Case {
        std::uint8_t kind;
        std::uint8_t value;
        int airLeft;
        int lives;
    } cases[] = {{1, 50, 1500, 3}, {2, 0, 1500, 3}, {3, 0, 1500, 3}, {4, 0, 100, 3},
                 {4, 0, 1400, 3},  {5, 0, 1500, 3}, {6, 0, 1500, 3}, {6, 0, 1500, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "kind " << int(c.kind) << " air " << c.airLeft << " lives " << c.lives);
        play.Score = 0;
        play.AirLeft = c.airLeft;
        play.Lives = c.lives;
        play.ScrollSpeed = 2;
        hero->GunRate = 6;
        for (TBonusIndicatorSprite* indicator :
             {play.SupergunIndicator, play.NetIndicator, play.EngineIndicator}) {
            indicator->Visible = false;
        }
        play.HandEngine->Visible = false;
        services.log.clear();

        auto* bonus = new TBonusSprite(&Root());
        bonus->Kind = c.kind;
        bonus->Value = c.value;
        Touch(bonus);
        Touch(bonus); // taken once
        EXPECT_EQ(Count("effect bonus"), 1);
        EXPECT_EQ(play.Score, c.kind == 1 ? c.value : 0);
        EXPECT_EQ(hero->GunRate, c.kind == 2 ? 12 : 6);
        EXPECT_EQ(play.SupergunIndicator->Visible, c.kind == 2);
        EXPECT_EQ(play.NetIndicator->Visible, c.kind == 3);
        EXPECT_EQ(play.EngineIndicator->Visible, c.kind == 5);
        EXPECT_EQ(play.HandEngine->Visible, c.kind == 5);
        EXPECT_EQ(play.ScrollSpeed, c.kind == 5 ? 4 : 2);
        if (c.kind == 2 || c.kind == 3 || c.kind == 5) {
            EXPECT_DOUBLE_EQ(c.kind == 2   ? play.SupergunIndicator->Remaining
                             : c.kind == 3 ? play.NetIndicator->Remaining
                                           : play.EngineIndicator->Remaining,
                             game::kPowerTime);
        }
        // Air: a third of a tank, never above a full one.
        EXPECT_EQ(play.AirLeft, c.kind == 4 ? std::min(c.airLeft + 500, 1500) : c.airLeft);
        EXPECT_EQ(play.Lives, c.kind == 6 ? std::min(c.lives + 1, 5) : c.lives);
    }
}

TEST_F(GameSpritesTest, ALiveFishKillsTheDiverAndADeadOneDoesNot) {
    auto* dead = new TEnemySprite(&Root(), 1);
    dead->Dead();
    Touch(dead);
    EXPECT_TRUE(hero->Visible);
    EXPECT_EQ(play.Lives, 3);

    auto* fish = new TEnemySprite(&Root(), 1);
    Touch(fish);
    EXPECT_FALSE(hero->Visible);
    EXPECT_EQ(services.GameState, gsHeroDying);
    EXPECT_EQ(play.Lives, 2);
    EXPECT_EQ(Count("effect herodiefish"), 1);
    EXPECT_EQ(CountInTree<TDeadBodySprite>(), 1);
    // The body left behind is the hero's own (kind 2, rises).
    Touch(new TEnemySprite(&Root(), 1)); // an invisible diver touches nothing
    EXPECT_EQ(play.Lives, 2);
}

TEST_F(GameSpritesTest, TheDiverWithoutAirDiesAndGetsAThirdOfATank) {
    play.AirLeft = 0;
    hero->DoMove(1);
    EXPECT_FALSE(hero->Visible);
    EXPECT_EQ(services.GameState, gsHeroDying);
    EXPECT_EQ(play.Lives, 2);
    EXPECT_EQ(play.AirLeft, 500);
    EXPECT_EQ(Count("effect herodieair"), 1);
}

TEST_F(GameSpritesTest, TheDiverRisingOutOfALevelEndsIt) {
    hero->Controllable = false;
    hero->Y = 125;
    hero->DoMove(1); // one up for the bubble, four for the rise
    EXPECT_EQ(hero->Y, 120);
    EXPECT_EQ(services.GameState, gsPlaying);
    hero->DoMove(1);
    hero->DoMove(1);
    EXPECT_EQ(services.GameState, gsNextLevel);
}

TEST_F(GameSpritesTest, AFishHitTwiceInOneTickScoresOnce) {
    auto* fish = new TEnemySprite(&Root(), 1);
    play.Score = 10;
    fish->Kill();
    fish->Kill();
    EXPECT_EQ(play.Score, 10 + fish->Points);
    EXPECT_EQ(Count("effect fishdie"), 1);
}

TEST_F(GameSpritesTest, TheStateDumpShowsTheDiverOnlyWhileTheFieldExists) {
    nlohmann::json state;
    play.DumpGameState(state);
    EXPECT_EQ(state["hero"]["X"], hero->X);
    // The way back to the menus empties the tree and forgets the handles.
    Root().Clear();
    play.ForgetFieldSprites();
    play.DumpGameState(state);
    EXPECT_TRUE(state["hero"].is_null());
}

} // namespace
