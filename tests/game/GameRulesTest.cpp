#include "game/GameRules.h"

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

namespace game {
namespace {

// Plays back a fixed list of draws and records the N of every call.
struct ScriptedRandom {
    explicit ScriptedRandom(std::initializer_list<int> values) : draws(values) {}
    std::deque<int> draws;
    std::vector<int> asked;
    int operator()(int n) {
        asked.push_back(n);
        const int value = draws.empty() ? 0 : draws.front();
        if (!draws.empty()) {
            draws.pop_front();
        }
        return value;
    }
};

RandomFn Wrap(ScriptedRandom& r) {
    return [&r](int n) { return r(n); };
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const std::vector<std::pair<double, int>> cases = {
        {0.5, 0},  {1.5, 2},  {2.5, 2},    {-0.5, 0},  {-1.5, -2}, {-2.5, -2},
        {0.49, 0}, {0.51, 1}, {-0.51, -1}, {29.5, 30}, {30.0, 30}, {-30.0, -30},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(RoundHalfEven(value), expected) << value;
    }
}

TEST(Sin256, QuarterPointsOfTheTable) {
    EXPECT_EQ(Trunc(50 * Sin256(0)), 0);
    EXPECT_EQ(Trunc(50 * Sin256(64)), 50);
    EXPECT_EQ(Trunc(50 * Sin256(128)), 0);
    EXPECT_EQ(Trunc(50 * Sin256(192)), -50);
    EXPECT_EQ(Trunc(20 * Sin256(32)), 14); // 20 * 0.7071 toward zero
    EXPECT_EQ(Trunc(20 * Sin256(224)), -14);
}

TEST(BonusDraw, KindsByDrawOfSixteen) {
    std::map<int, int> counts;
    for (int r = 0; r < 16; ++r) {
        ScriptedRandom random{r};
        const int kind = DrawBonusKind(Wrap(random));
        EXPECT_EQ(random.asked, std::vector<int>{16});
        ++counts[kind];
    }
    const std::map<int, int> expected = {{1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 1}};
    EXPECT_EQ(counts, expected);
}

TEST(BonusDraw, PointValues) {
    const std::vector<std::pair<int, int>> cases = {{0, 10}, {1, 20}, {2, 50}};
    for (const auto& [draw, value] : cases) {
        ScriptedRandom random{draw};
        EXPECT_EQ(DrawBonusValue(Wrap(random)), value);
        EXPECT_EQ(random.asked, std::vector<int>{3});
    }
}

TEST(TreasureDraw, RareTreasureAndOrderOfDraws) {
    ScriptedRandom rare{0, 14};
    const TreasureChoice big = DrawTreasure(Wrap(rare));
    EXPECT_EQ(big.image, "treasure8");
    EXPECT_EQ(big.value, 50);
    EXPECT_EQ(big.y, 550);
    EXPECT_EQ(rare.asked, (std::vector<int>{8, 15}));

    ScriptedRandom common{7, 3, 6};
    const TreasureChoice small = DrawTreasure(Wrap(common));
    EXPECT_EQ(small.image, "treasure7");
    EXPECT_EQ(small.value, 30);
    EXPECT_EQ(small.y, 546);
    EXPECT_EQ(common.asked, (std::vector<int>{8, 15, 7}));
}

TEST(EnemyKinds, TableOfLevels) {
    const std::vector<std::pair<int, std::vector<int>>> rows = {
        {1, {1, 2, 7}},
        {2, {1, 2, 3, 7, 8}},
        {3, {1, 2, 3, 4, 7, 8, 9}},
        {4, {1, 2, 3, 4, 5, 7, 8, 9, 10}},
        {5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {6, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {7, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}},
        {255, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}},
        {0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}},
    };
    for (const auto& [level, allowed] : rows) {
        std::vector<int> got;
        for (int kind = 0; kind <= 14; ++kind) {
            if (EnemyKindAllowed(static_cast<std::uint8_t>(level), kind)) {
                got.push_back(kind);
            }
        }
        EXPECT_EQ(got, allowed) << "level " << level;
    }
}

TEST(EnemyKinds, DrawsAgainUntilAllowed) {
    ScriptedRandom random{2, 12, 5, 1}; // kinds 3, 13, 6, then 2
    EXPECT_EQ(DrawEnemyKind(1, Wrap(random)), 2);
    EXPECT_EQ(random.asked.size(), 4u);

    ScriptedRandom high{12};
    EXPECT_EQ(DrawEnemyKind(7, Wrap(high)), 13);
}

TEST(EnemyKinds, HitPointsPointsAndBodies) {
    EXPECT_EQ(EnemyKind(10).hitPoints, 2);
    EXPECT_EQ(EnemyKind(13).points, 100);
    EXPECT_EQ(EnemyKind(5).points, 5);
    for (int kind = 1; kind <= 13; ++kind) {
        EXPECT_EQ(LeavesDeadBody(kind), kind != 7 && kind != 9 && kind != 10) << kind;
    }
}

TEST(Levels, LengthSpawnSpreadAndAir) {
    struct Row {
        int level;
        int length;
        int spread;
        bool airGrows;
    };
    const std::vector<Row> rows = {
        {1, 14, 160, true}, {2, 22, 80, true},   {3, 30, 53, true},   {4, 38, 40, true},
        {5, 46, 32, true},  {6, 54, 26, true},   {7, 62, 22, true},   {8, 70, 20, false},
        {9, 82, 17, false}, {10, 82, 16, false}, {200, 82, 0, false}, {255, 82, 0, false},
        {0, 82, 0, false},
    };
    for (const Row& row : rows) {
        const auto level = static_cast<std::uint8_t>(row.level);
        EXPECT_EQ(LevelLengthFor(level), row.length) << row.level;
        EXPECT_EQ(EnemySpawnSpread(level), row.spread) << row.level;
        EXPECT_EQ(AirCapacityGrows(level), row.airGrows) << row.level;
    }
}

TEST(BonusTimer, PowerEndsAfter876Ticks) {
    double remaining = kPowerTime;
    int ticks = 0;
    while (SecondsOfTime(remaining) > 0) {
        remaining -= kTickAsTime;
        ++ticks;
    }
    EXPECT_EQ(ticks, 876);
    EXPECT_EQ(SecondsOfTime(0.0), 0);
    EXPECT_EQ(SecondsOfTime(61.0 / 86400.0), 1); // seconds of the minute
}

TEST(ReliefPush, Rules) {
    // A tall piece at (300, 114) sized 100 x 300, and a low one 100 x 40.
    const Box tall{300, 114, 100, 300};
    const Box low{300, 114, 100, 40};
    struct Case {
        Box piece;
        Box hero;
        ReliefPush rule;
        int x;
        int y;
    };
    const std::vector<Case> cases = {
        // Right edge inside, within the rows: back to the left.
        {tall, {250, 200, 60, 50}, ReliefPush::PushedLeft, 240, 200},
        // Left edge inside: out to the right.
        {tall, {390, 200, 60, 50}, ReliefPush::PushedRight, 400, 200},
        // Both edges inside: the left push wins.
        {tall, {320, 200, 60, 50}, ReliefPush::PushedLeft, 240, 200},
        // Right edge exactly on the piece's right end: not strictly inside.
        {tall, {340, 200, 60, 50}, ReliefPush::PushedRight, 400, 200},
        // Bottom row equal to the piece's bottom still counts as within.
        {tall, {250, 364, 60, 50}, ReliefPush::PushedLeft, 240, 364},
        // Hanging below the piece's rows: pushed down.
        {low, {250, 130, 60, 50}, ReliefPush::PushedDown, 250, 154},
        {low, {320, 120, 60, 50}, ReliefPush::PushedDown, 320, 154},
        // Already below: nothing.
        {low, {320, 154, 60, 50}, ReliefPush::None, 320, 154},
    };
    for (const Case& c : cases) {
        Box hero = c.hero;
        EXPECT_EQ(PushOutOfRelief(hero, c.piece), c.rule) << c.hero.x << "," << c.hero.y;
        EXPECT_EQ(hero.x, c.x) << c.hero.x << "," << c.hero.y;
        EXPECT_EQ(hero.y, c.y) << c.hero.x << "," << c.hero.y;
    }
}

} // namespace
} // namespace game
