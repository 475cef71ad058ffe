// The scenery and the level's relief: relief pieces on the two chains, algae
// plants on the sea floor and the diver's bubbles.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/DXSprite.h"

namespace game {
// One of the four lower relief pieces, drawn at random.
std::string LowerReliefName();
} // namespace game

// One piece of the upper or the lower relief chain. It takes its x from its
// chain's end and moves that end right by its width; when it has scrolled off
// the left edge it appends what follows it on its chain.
class TRelief : public TImageSprite {
public:
    TRelief(TSprite* AParent, const std::string& Name, bool AChain, bool AIsTop);
    const char* ClassName() const override { return "TRelief"; }
    void DoMove(int MoveCount) override;

    std::uint8_t Chain = 0; // last piece of an upper group
    std::uint8_t IsTop = 0; // upper chain; only upper pieces block the hero
};

class TGreenAlgae : public TImageSprite {
public:
    TGreenAlgae(TSprite* AParent, std::uint8_t AKind);
    const char* ClassName() const override { return "TGreenAlgae"; }
    std::optional<int> DumpKind() const override { return Kind; }
    void DoMove(int MoveCount) override;

    std::uint8_t Kind = 1;
    std::uint8_t AnimTick = 0;
};

class TBubbleSprite : public TImageSprite {
public:
    TBubbleSprite(TSprite* AParent, int AX, int AY);
    const char* ClassName() const override { return "TBubbleSprite"; }
    void DoMove(int MoveCount) override;

    std::uint8_t Phase = 0;
    std::int32_t BaseX = 0; // the x the bubble sways around
};
