// The game field and the game tick, as part of the main window: the
// game-state variables that the game's sprites read and change, the handles of
// the sprites that live as long as the field, and the operations of play. The
// rest of the window is reached through the services it was made with.
#pragma once

#include <cstdint>

#include <nlohmann/json_fwd.hpp>

class TFormServices;
class THeroSprite;
class TEngineSprite;
class TBonusIndicatorSprite;

class TGamePlay {
public:
    explicit TGamePlay(TFormServices& services);
    ~TGamePlay();
    TGamePlay(const TGamePlay&) = delete;
    TGamePlay& operator=(const TGamePlay&) = delete;

    TFormServices& Services() const { return services_; }

    // Game-state variables: one set for the whole run. The values here are
    // those at load; CreateGameField sets those of a new game.
    std::uint8_t Level = 0;        // wraps past 255 (see GameRules.h)
    std::uint16_t Score = 0;       // wraps modulo 65536
    std::int32_t Lives = 3;        // at most 5
    std::uint16_t ScrollSpeed = 1; // pixels a tick; 4 while the engine bonus runs
    std::int32_t AirLeft = 0;      // ticks of air left
    std::int32_t AirCapacity = 0;  // ticks of a full tank
    std::int32_t LevelLength = 0;  // upper relief groups of this level
    std::int32_t ReliefGroups = 0; // upper relief groups appended in this level
    std::int32_t TopReliefEnd = 0; // screen x of the right end of the upper chain
    std::int32_t BottomReliefEnd = 0;

    // Ticks until the next fish, bonus, algae plant and treasure. Deliberately
    // not reset when a game starts: the first game spawns all four on its first
    // play tick, and a later game goes on where the one before stopped.
    std::uint16_t EnemyCountdown = 0;
    std::uint16_t BonusCountdown = 0;
    std::uint16_t AlgaeCountdown = 0;
    std::uint16_t TreasureCountdown = 0;

    // Hero drift in pixels a tick; also kept from one game to the next.
    double HeroVelocityX = 0;
    double HeroVelocityY = 0;

    static constexpr int HeroStep = 8;
    static constexpr int ShotSpeed = 10;

    // Sprites kept for the whole field (owned by the sprite engine).
    THeroSprite* HeroSprite = nullptr;
    TEngineSprite* HandEngine = nullptr;
    TBonusIndicatorSprite* SupergunIndicator = nullptr;
    TBonusIndicatorSprite* NetIndicator = nullptr;
    TBonusIndicatorSprite* EngineIndicator = nullptr;

    // Clears the engine, loads the game pictures, builds the field and a new
    // game, starts the game music and shows the level banner. Called with
    // DXTimer2 enabled.
    void CreateGameField();
    // One tick of the game loop (input, play, drawing, overlays, flip).
    void DXTimer2Timer(int LagCount);
    // Removes fish, bonuses, projectiles and bubbles, ends the three powers and
    // puts the hero back, hidden, at its start point.
    void ClearGameField();
    // Spawns one fish of a kind the level allows.
    void CreateEnemy();
    // Appends one upper relief group at TopReliefEnd.
    void CreateUpRelief();

    // Both relief ends follow the scroll by ScrollSpeed.
    void MoveReliefEnds();

    // Forgets the handles above; the sprite tree is being emptied.
    void ForgetFieldSprites();

    // Writes the game fields and the "hero" object of the state dump; "hero" is
    // null while no game field exists.
    void DumpGameState(nlohmann::json& state) const;

private:
    void RunBonusTimers();
    void RunSpawners();
    void LevelUp();
    void EndGameOverBanner();
    void DrawHeadsUp();
    bool GameFieldExists() const;

    TFormServices& services_;
};
