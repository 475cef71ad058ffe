// The diver and the heads-up sprites that show his resources: the air scale,
// the row of lives and the status bar.
#pragma once

#include <cstdint>

#include "engine/DXSprite.h"

class THeroSprite : public TImageSprite {
public:
    explicit THeroSprite(TSprite* AParent);
    const char* ClassName() const override { return "THeroSprite"; }
    void DoMove(int MoveCount) override;
    void DoCollision(TSprite* Sprite, bool& Done) override;

    // The deaths. Each removes a life at once and leaves a body that rises.
    void LoseLife();
    void DieByFish();
    void DieByAir();

    std::int32_t GunRate = 6; // 12 while the supergun runs
    std::int32_t NetRate = 6;
    std::int32_t GunCooldown = 0;
    std::int32_t NetCooldown = 0;
    std::uint8_t AnimTick = 0;
    std::uint8_t FrameTicks = 10;
    bool Controllable = true; // false while rising out of a finished level

private:
    void Steer();
    void PlaceHandEngine();
    void PickUpBonus(std::uint8_t kind, std::uint8_t value);
};

// The air gauge: one picture column per pattern, as many as the air left.
class TScaleSprite : public TImageSprite {
public:
    explicit TScaleSprite(TSprite* AParent);
    const char* ClassName() const override { return "TScaleSprite"; }
    void DoDraw() override;
};

// Draws one "life" icon per life left.
class TLivesIndicator : public TImageSprite {
public:
    explicit TLivesIndicator(TSprite* AParent);
    const char* ClassName() const override { return "TLivesIndicator"; }
    void DoDraw() override;

private:
    TPictureCollectionItem* life_ = nullptr;
};

class TStatusSprite : public TImageSprite {
public:
    explicit TStatusSprite(TSprite* AParent);
    const char* ClassName() const override { return "TStatusSprite"; }
};
