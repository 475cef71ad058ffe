// The fish of the thirteen kinds and the dead bodies left by killed fish and
// by the dead hero.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/DXSprite.h"

class TEnemySprite : public TImageSprite {
public:
    TEnemySprite(TSprite* AParent, int AKind);
    const char* ClassName() const override { return "TEnemySprite"; }
    std::optional<int> DumpKind() const override { return Kind; }
    void DoMove(int MoveCount) override;

    // Marks the fish dead, leaves a body (most kinds) and scores its points.
    // A fish already killed in this tick is not killed again, so a fish that
    // the gun and the net hit together scores once.
    void Kill();

    std::uint16_t Kind = 1;
    std::int32_t HitPoints = 1;
    std::uint16_t Points = 0;
    std::uint8_t AnimTick = 0; // ping-pong 0..14
    bool AnimRising = false;
    std::uint8_t Phase = 0; // sway of kind 7
    std::int32_t BaseX = 0; // sway centre of kind 7
};

class TDeadBodySprite : public TImageSprite {
public:
    // Kind 1 a killed fish (sinks), 2 the hero killed by a fish or crushed,
    // 3 the hero without air (both rise).
    TDeadBodySprite(TSprite* AParent, int AX, std::uint8_t AKind, int AY);
    const char* ClassName() const override { return "TDeadBodySprite"; }
    std::optional<int> DumpKind() const override { return Kind; }
    void DoMove(int MoveCount) override;

    std::uint8_t Kind = 1;
};
