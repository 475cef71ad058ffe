// The small rules of play that are easy to get wrong, kept apart from the
// sprites so they can be checked one by one: rounding, the sway table, the
// draws of bonus kinds, treasures and fish kinds, the level table, the relief
// push and the bonus timers.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace game {

// Where the hero may swim: y from kHeroTop down to kHeroFloor - his height.
constexpr int kHeroTop = 120;
constexpr int kHeroFloor = 590;
// Where the shots leave the hero, below or above his y.
constexpr int kGunOffsetY = 15;
constexpr int kNetOffsetY = -72;
// Fish start at y kFishTop + Random(kFishRows); the crab walks the floor.
constexpr int kFishTop = 130;
constexpr int kFishRows = 400;
constexpr int kCrabY = 570;

// Nearest integer, halves to the even neighbour (0.5 -> 0, 1.5 -> 2, 2.5 -> 2).
int RoundHalfEven(double value);

// sin(2 pi p / 256), read from a 256-entry cosine table at (p + 192) mod 256.
double Sin256(std::uint8_t phase);

// Pascal-style Trunc: toward zero.
inline int Trunc(double value) {
    return static_cast<int>(value);
}

// Random(N): a uniform integer 0..N-1, 0 when N is 0.
using RandomFn = std::function<int(int)>;

// Bonus kind 1..6 from r = Random(16) + 1: five kinds of 3/16, the life 1/16.
std::uint8_t DrawBonusKind(const RandomFn& random);
// Points of a points bonus: 10, 20 or 50 from Random(3).
std::uint8_t DrawBonusValue(const RandomFn& random);

// The level's row of allowed fish kinds. Level 0 is level 256 after the 8-bit
// counter wrapped, so it allows every kind like any level from 7 on; without
// this the kind draw would never end.
bool EnemyKindAllowed(std::uint8_t level, int kind);

// Upper relief groups of a level (14 on level 1, 8 x level + 6 up to level 8,
// then 82).
std::int32_t LevelLengthFor(std::uint8_t level);

// The N of Random(N) + 50 for the next fish: 160 div level, and 0 on the
// wrapped level 0 instead of a division by zero.
int EnemySpawnSpread(std::uint8_t level);

// The air tank grows by 900 at each level up while the new level is below 8.
// The wrapped level 0 counts as a high level.
bool AirCapacityGrows(std::uint8_t newLevel);

// Whole seconds of the minute in a time-of-day value (days), the time first
// rounded to whole milliseconds. The bonus timers end when this reaches 0.
int SecondsOfTime(double days);
// The game timer's interval, 16 ms, as a time-of-day value.
constexpr double kTickAsTime = 16.0 / 86400000.0;
// A timed power's 15 s, as a time-of-day value.
constexpr double kPowerTime = 15.0 / 86400.0;

// A box in screen pixels (left, top, width, height).
struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

enum class ReliefPush { PushedLeft, PushedRight, PushedDown, None };

// Moves the hero's box out of an upper relief piece it touches: back to the
// left when its right edge is inside the piece and it lies within the piece's
// rows, out to the right when its left edge is, and else down below the piece.
// Updates hero.x or hero.y and says which rule moved it.
ReliefPush PushOutOfRelief(Box& hero, const Box& piece);

struct TreasureChoice {
    std::string image;
    std::uint8_t value = 0;
    int y = 0;
};
// Random(8) = 0 gives "treasure8" worth 50 at y 536 + Random(15); otherwise
// y 543 + Random(15) and "treasure1".."treasure7" worth 30. Draws in that order.
TreasureChoice DrawTreasure(const RandomFn& random);

// Random(13) + 1, drawn again until the level allows the kind.
int DrawEnemyKind(std::uint8_t level, const RandomFn& random);

// Fish kinds: image, hit points, points; and whether a killed fish leaves a body.
struct EnemyKindInfo {
    const char* image;
    std::int32_t hitPoints;
    std::uint16_t points;
};
const EnemyKindInfo& EnemyKind(int kind); // kind 1..13
bool LeavesDeadBody(int kind);

// What the weapons can reach is decided by the pictures' sizes as much as by
// the rules: the shot's rows are the harpoon picture's, the lowest the hero
// gets is the floor less the diver picture's height.
struct Extent {
    int width = 0;
    int height = 0;
};
struct WeaponArt {
    Extent hero;                 // "hero", one pattern
    Extent shot;                 // "heroweapon1"
    Extent net;                  // "netweapon", one pattern
    std::array<Extent, 13> fish; // "enemy1".."enemy13", one pattern each
};

// Whether a weapon can hit a kind at every row the kind swims at, at some of
// them, or at none.
enum class Reach { Never, Partly, Always };
struct KindReach {
    Reach gun = Reach::Never;
    Reach net = Reach::Never;
};

// For each kind (index kind - 1): can a shot fired from some y the hero can
// reach cross the fish's rows? Shots fly right over the whole screen and fish
// come in from its right edge, so only the rows decide.
std::array<KindReach, 13> WeaponReach(const WeaponArt& art);

// The kinds the help page promises to the gun (it shows the shots every kind
// takes) that the gun cannot hit wherever they swim; empty when the art keeps
// the promise.
std::vector<int> KindsTheGunMisses(const WeaponArt& art);

} // namespace game
