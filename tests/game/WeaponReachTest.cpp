// What the gun and the net can hit, from the pictures' sizes: a table over
// every fish kind for the art as it once was (the crab out of the gun's
// reach), for the art the build draws now, and for the edges of the rows.
#include "game/GameRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ImageList.h"

namespace game {
namespace {

// The sizes of the first drawn set: a 46-pixel diver, a 7-pixel harpoon.
WeaponArt FirstArt() {
    WeaponArt art;
    art.hero = {113, 46};
    art.shot = {26, 7};
    art.net = {64, 190};
    art.fish = {{{46, 26},
                 {48, 30},
                 {50, 24},
                 {52, 32},
                 {34, 14},
                 {30, 36},
                 {48, 28},
                 {70, 34},
                 {64, 42},
                 {98, 30},
                 {112, 40},
                 {82, 60},
                 {160, 64}}};
    return art;
}

struct Expected {
    int kind;
    Reach gun;
    Reach net;
};

void ExpectTable(const WeaponArt& art, const std::vector<Expected>& table) {
    const auto reach = WeaponReach(art);
    ASSERT_EQ(table.size(), 13u);
    for (const Expected& e : table) {
        const KindReach& got = reach[static_cast<std::size_t>(e.kind - 1)];
        EXPECT_EQ(got.gun, e.gun) << "gun, kind " << e.kind;
        EXPECT_EQ(got.net, e.net) << "net, kind " << e.kind;
    }
}

TEST(WeaponReach, FirstArtLeftTheCrabToTheNetAlone) {
    // Lowest hero y 590 - 46 = 544: the shot's rows end at 544 + 15 + 7 = 566,
    // short of the crab at 570. The net from y - 72 covers 190 rows.
    constexpr Reach A = Reach::Always, N = Reach::Never;
    ExpectTable(FirstArt(), {{1, A, A},
                             {2, A, A},
                             {3, A, A},
                             {4, A, A},
                             {5, A, A},
                             {6, A, A},
                             {7, N, A},
                             {8, A, A},
                             {9, A, A},
                             {10, A, A},
                             {11, A, A},
                             {12, A, A},
                             {13, A, A}});
    EXPECT_EQ(KindsTheGunMisses(FirstArt()), std::vector<int>{7});
}

TEST(WeaponReach, TheCrabNeedsTwelveShotRowsOrAFortyOnePixelDiver) {
    struct Case {
        int heroHeight;
        int shotHeight;
        Reach crab;
    };
    const Case cases[] = {
        {46, 11, Reach::Never}, {46, 12, Reach::Always}, {46, 40, Reach::Always},
        {42, 7, Reach::Never},  {41, 7, Reach::Always},  {46, 0, Reach::Never},
    };
    for (const Case& c : cases) {
        WeaponArt art = FirstArt();
        art.hero.height = c.heroHeight;
        art.shot.height = c.shotHeight;
        EXPECT_EQ(WeaponReach(art)[6].gun, c.crab) << c.heroHeight << " / " << c.shotHeight;
        EXPECT_EQ(KindsTheGunMisses(art).empty(), c.crab == Reach::Always)
            << c.heroHeight << " / " << c.shotHeight;
    }
}

TEST(WeaponReach, RowsOutOfReachMakeAKindPartlyOrNeverHit) {
    // A 400-row diver swims between y 120 and 190 only: his shots cross rows
    // 135 to 211, so a 10-row fish is hit when it starts above y 212.
    WeaponArt art = FirstArt();
    art.hero.height = 400;
    for (auto& fish : art.fish) {
        fish.height = 10;
    }
    const auto reach = WeaponReach(art);
    EXPECT_EQ(reach[0].gun, Reach::Partly);
    EXPECT_EQ(reach[6].gun, Reach::Never);
    EXPECT_EQ(reach[0].net, Reach::Partly); // rows 48 to 307
    EXPECT_EQ(KindsTheGunMisses(art).size(), 13u);

    // A fish without rows is never hit; a net without rows hits nothing.
    art = FirstArt();
    art.fish[4].height = 0;
    art.net.height = 0;
    const auto empty = WeaponReach(art);
    EXPECT_EQ(empty[4].gun, Reach::Never);
    for (const KindReach& r : empty) {
        EXPECT_EQ(r.net, Reach::Never);
    }
}

// The archive the build draws keeps the help page's promise: every kind can
// be shot wherever it swims, and the net takes any of them.
TEST(WeaponReach, TheDrawnArchiveLetsTheGunHitEveryKind) {
    TPictureCollection pictures;
    pictures.LoadFromFile(std::string(BRINEHOLD_GAME_DIR) + "/data/gamegraphic.dxg");
    const auto extent = [&pictures](const std::string& name) {
        const TPictureCollectionItem* item = pictures.Find(name);
        EXPECT_NE(item, nullptr) << name;
        return item == nullptr ? Extent{} : Extent{item->Width(), item->Height()};
    };
    WeaponArt art;
    art.hero = extent("hero");
    art.shot = extent("heroweapon1");
    art.net = extent("netweapon");
    for (int kind = 1; kind <= 13; ++kind) {
        art.fish[static_cast<std::size_t>(kind - 1)] = extent("enemy" + std::to_string(kind));
    }
    EXPECT_EQ(KindsTheGunMisses(art), std::vector<int>{});
    for (const KindReach& r : WeaponReach(art)) {
        EXPECT_EQ(r.net, Reach::Always);
    }
}

} // namespace
} // namespace game
