#include "game/GameRules.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace game {

int RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5) {
        return static_cast<int>(floor);
    }
    if (diff > 0.5) {
        return static_cast<int>(floor) + 1;
    }
    const int low = static_cast<int>(floor);
    return (low % 2 == 0) ? low : low + 1;
}

namespace {

std::array<double, 256> MakeCosineTable() {
    std::array<double, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[i] = std::cos(i * 2.0 * 3.14159265358979323846 / 256.0);
    }
    return table;
}

const std::array<double, 256>& CosineTable() {
    static const std::array<double, 256> table = MakeCosineTable();
    return table;
}

constexpr std::array<EnemyKindInfo, 13> kEnemyKinds{{
    {"enemy1", 1, 10},
    {"enemy2", 1, 10},
    {"enemy3", 1, 10},
    {"enemy4", 1, 10},
    {"enemy5", 1, 5},
    {"enemy6", 1, 5},
    {"enemy7", 1, 20},
    {"enemy8", 1, 20},
    {"enemy9", 1, 20},
    {"enemy10", 2, 30},
    {"enemy11", 3, 50},
    {"enemy12", 3, 50},
    {"enemy13", 5, 100},
}};

} // namespace

double Sin256(std::uint8_t phase) {
    return CosineTable()[(phase + 192) % 256];
}

std::uint8_t DrawBonusKind(const RandomFn& random) {
    const int r = random(16) + 1;
    if (r >= 16) {
        return 6;
    }
    return static_cast<std::uint8_t>((r - 1) / 3 + 1);
}

std::uint8_t DrawBonusValue(const RandomFn& random) {
    switch (random(3)) {
    case 0:
        return 10;
    case 1:
        return 20;
    default:
        return 50;
    }
}

bool EnemyKindAllowed(std::uint8_t level, int kind) {
    if (kind < 1 || kind > 13) {
        return false;
    }
    switch (level) {
    case 1:
        return kind == 1 || kind == 2 || kind == 7;
    case 2:
        return kind <= 3 || kind == 7 || kind == 8;
    case 3:
        return kind <= 4 || (kind >= 7 && kind <= 9);
    case 4:
        return kind <= 5 || (kind >= 7 && kind <= 10);
    case 5:
        return kind <= 11;
    case 6:
        return kind <= 12;
    default: // 7 and on, and the wrapped 0
        return true;
    }
}

int DrawEnemyKind(std::uint8_t level, const RandomFn& random) {
    for (;;) {
        const int kind = random(13) + 1;
        if (EnemyKindAllowed(level, kind)) {
            return kind;
        }
    }
}

std::int32_t LevelLengthFor(std::uint8_t level) {
    if (level >= 1 && level < 9) {
        return 8 * level + 6;
    }
    return 82;
}

int EnemySpawnSpread(std::uint8_t level) {
    return level == 0 ? 0 : 160 / level;
}

bool AirCapacityGrows(std::uint8_t newLevel) {
    return newLevel != 0 && newLevel < 8;
}

int SecondsOfTime(double days) {
    const long long ms = std::llround(days * 86400000.0);
    if (ms <= 0) {
        return 0;
    }
    return static_cast<int>((ms / 1000) % 60);
}

ReliefPush PushOutOfRelief(Box& hero, const Box& piece) {
    const bool withinRows = piece.y <= hero.y && hero.y + hero.height <= piece.y + piece.height;
    const int right = hero.x + hero.width;
    if (withinRows && piece.x < right && right < piece.x + piece.width) {
        hero.x = piece.x - hero.width;
        return ReliefPush::PushedLeft;
    }
    if (withinRows && piece.x < hero.x && hero.x < piece.x + piece.width) {
        hero.x = piece.x + piece.width;
        return ReliefPush::PushedRight;
    }
    if (hero.y < piece.y + piece.height) {
        hero.y = piece.y + piece.height;
        return ReliefPush::PushedDown;
    }
    return ReliefPush::None;
}

TreasureChoice DrawTreasure(const RandomFn& random) {
    TreasureChoice choice;
    if (random(8) == 0) {
        choice.image = "treasure8";
        choice.value = 50;
        choice.y = 536 + random(15);
    } else {
        choice.y = 543 + random(15);
        choice.image = "treasure" + std::to_string(random(7) + 1);
        choice.value = 30;
    }
    return choice;
}

const EnemyKindInfo& EnemyKind(int kind) {
    if (kind < 1 || kind > 13) {
        kind = 1;
    }
    return kEnemyKinds[static_cast<std::size_t>(kind - 1)];
}

bool LeavesDeadBody(int kind) {
    return kind != 7 && kind != 9 && kind != 10;
}

namespace {

// The y values the hero can have: the limits put him at 120 first and then
// at the floor less his height, which wins when he is taller than the water.
struct HeroRows {
    int first;
    int last;
};

HeroRows HeroRowsFor(int heroHeight) {
    const int bottom = kHeroFloor - heroHeight;
    return {std::min(kHeroTop, bottom), bottom};
}

// Does a shot of `height` rows, fired at y + offset from some hero y, share a
// row with a fish at fishY?
bool CrossesRows(HeroRows hero, int offset, int height, int fishY, int fishHeight) {
    if (height <= 0 || fishHeight <= 0) {
        return false;
    }
    // Overlap: y + offset < fishY + fishHeight and fishY < y + offset + height.
    const int low = std::max(hero.first, fishY - offset - height + 1);
    const int high = std::min(hero.last, fishY + fishHeight - offset - 1);
    return low <= high;
}

Reach ReachOf(HeroRows hero, int offset, Extent shot, int kind, Extent fish) {
    if (kind == 7) {
        return CrossesRows(hero, offset, shot.height, kCrabY, fish.height) ? Reach::Always
                                                                           : Reach::Never;
    }
    int hit = 0;
    for (int y = kFishTop; y < kFishTop + kFishRows; ++y) {
        hit += CrossesRows(hero, offset, shot.height, y, fish.height) ? 1 : 0;
    }
    if (hit == 0) {
        return Reach::Never;
    }
    return hit == kFishRows ? Reach::Always : Reach::Partly;
}

} // namespace

std::array<KindReach, 13> WeaponReach(const WeaponArt& art) {
    const HeroRows hero = HeroRowsFor(art.hero.height);
    std::array<KindReach, 13> out{};
    for (int kind = 1; kind <= 13; ++kind) {
        const Extent fish = art.fish[static_cast<std::size_t>(kind - 1)];
        KindReach& reach = out[static_cast<std::size_t>(kind - 1)];
        reach.gun = ReachOf(hero, kGunOffsetY, art.shot, kind, fish);
        reach.net = ReachOf(hero, kNetOffsetY, art.net, kind, fish);
    }
    return out;
}

std::vector<int> KindsTheGunMisses(const WeaponArt& art) {
    const std::array<KindReach, 13> reach = WeaponReach(art);
    std::vector<int> missed;
    for (int kind = 1; kind <= 13; ++kind) {
        if (EnemyKind(kind).hitPoints > 0 &&
            reach[static_cast<std::size_t>(kind - 1)].gun != Reach::Always) {
            missed.push_back(kind);
        }
    }
    return missed;
}

} // namespace game
