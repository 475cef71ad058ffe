// The hero's projectiles: the gun shot with its flickering tail and the net.
// They fly right in screen space and pass through everything but fish.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/DXSprite.h"

class THeroWeaponSprite : public TImageSprite {
public:
    // AKind 1 gun shot, 2 net. Plays the firing effect.
    THeroWeaponSprite(TSprite* AParent, int AX, std::uint8_t AKind, int AY);
    const char* ClassName() const override { return "THeroWeaponSprite"; }
    std::optional<int> DumpKind() const override { return Kind; }
    void DoMove(int MoveCount) override;
    void DoDraw() override;
    void DoCollision(TSprite* Sprite, bool& Done) override;

    std::uint16_t Damage = 1;
    std::uint8_t Kind = 1;
    std::uint8_t AnimTick = 0;  // the net unfolds over 20 ticks
    std::uint8_t TailFrame = 0; // the gun shot's tail flickers

private:
    TPictureCollectionItem* tail_ = nullptr;
};
