// Pick-ups and powers: bonuses hanging from floats, treasures on the sea
// floor, the three power indicators of the status bar and the hand engine.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/DXSprite.h"

class TBonusSprite : public TImageSprite {
public:
    explicit TBonusSprite(TSprite* AParent);
    const char* ClassName() const override { return "TBonusSprite"; }
    std::optional<int> DumpKind() const override { return Kind; }
    void DoMove(int MoveCount) override;
    void DoDraw() override;

    std::uint8_t Value = 0; // points of a points bonus (kind 1)
    std::uint8_t Kind = 1;  // 1 points, 2 supergun, 3 net, 4 air, 5 engine, 6 life

private:
    TPictureCollectionItem* overlay_ = nullptr;
    TPictureCollectionItem* float_ = nullptr;
    TPictureCollectionItem* line_ = nullptr;
};

// An icon on the status bar; visible while its power runs.
class TBonusIndicatorSprite : public TImageSprite {
public:
    TBonusIndicatorSprite(TSprite* AParent, int AX, const char* ImageName);
    const char* ClassName() const override { return "TBonusIndicatorSprite"; }

    // Time left of the power, as a time of day (days; 15 s is 15 / 86400).
    double Remaining = 0;
};

class TTreasureSprite : public TImageSprite {
public:
    explicit TTreasureSprite(TSprite* AParent);
    const char* ClassName() const override { return "TTreasureSprite"; }
    void DoMove(int MoveCount) override;

    std::uint8_t Value = 30;
};

// The hand engine in front of the hero while the engine power runs: what it
// touches counts as touched by the hero.
class TEngineSprite : public TImageSprite {
public:
    explicit TEngineSprite(TSprite* AParent);
    const char* ClassName() const override { return "TEngineSprite"; }
    void DoMove(int MoveCount) override;
    void DoCollision(TSprite* Sprite, bool& Done) override;
};
