// The game archive's pictures in archive order. Index 1 must be the dialog
// window: the game takes it by position.
#include "Painters.h"

namespace art {

std::vector<Picture> GamePictures() {
    std::vector<Picture> out;
    out.push_back(WaterBackground());
    out.push_back(DialogWindow("console"));
    out.push_back(StatusBar());
    out.push_back(AirScale());
    out.push_back(Sprite("life", kLifeSize.width, kLifeSize.height, PaintLife));
    for (const char* name : {"supergun", "net", "engine", "oxy", "bonuslife", "10", "20", "50"}) {
        out.push_back(
            Sprite(name, kIconSize, kIconSize, [name](cairo_t* cr) { PaintIcon(cr, name); }));
    }
    out.push_back(Strip("bonus", kCapsuleSize.width, kCapsuleSize.height, 4, PaintCapsule));
    out.push_back(Sprite("float", kFloatSize.width, kFloatSize.height, PaintFloat));
    out.push_back(Sprite("line", 2, 1, [](cairo_t* cr) {
        cairo_rectangle(cr, 0, 0, 1, 1);
        SetColor(cr, 0xD8C8A0);
        cairo_fill(cr);
        cairo_rectangle(cr, 1, 0, 1, 1);
        SetColor(cr, 0x6A5A3A);
        cairo_fill(cr);
    }));
    out.push_back(Strip("hero", kHeroSize.width, kHeroSize.height, 4, PaintDiver));
    out.push_back(
        Sprite("handengine", kHandEngineSize.width, kHandEngineSize.height, PaintHandEngine));
    out.push_back(Sprite("heroweapon1", kShotSize.width, kShotSize.height, PaintShot));
    out.push_back(Strip("tail", kTailSize.width, kTailSize.height, 2, PaintTail));
    out.push_back(Strip("netweapon", kNetSize.width, kNetSize.height, 4, PaintNet));
    for (int kind = 1; kind <= 13; ++kind) {
        const Size s = FishSize(kind);
        out.push_back(Strip("enemy" + std::to_string(kind), s.width, s.height, 3,
                            [kind](cairo_t* cr, int frame) { PaintFish(cr, kind, frame); }));
    }
    out.push_back(Sprite("killfish", kDeadFishSize.width, kDeadFishSize.height, PaintDeadFish));
    out.push_back(Sprite("fishkilledhero", kHeroSize.width, kHeroSize.height,
                         [](cairo_t* cr) { PaintDeadDiver(cr, Death::Fish); }));
    out.push_back(Sprite("dienoair", kHeroSize.width, kHeroSize.height,
                         [](cairo_t* cr) { PaintDeadDiver(cr, Death::Air); }));
    for (Picture& p : UpperRelief())
        out.push_back(std::move(p));
    for (Picture& p : LowerRelief())
        out.push_back(std::move(p));
    for (int kind = 1; kind <= 8; ++kind) {
        const Size s = TreasureSize(kind);
        out.push_back(Sprite("treasure" + std::to_string(kind), s.width, s.height,
                             [kind](cairo_t* cr) { PaintTreasure(cr, kind); }));
    }
    const int algaeFrames[4] = {0, 3, 1, 4};
    for (int kind = 1; kind <= 3; ++kind) {
        const Size s = AlgaeSize(kind);
        out.push_back(Strip("algae" + std::to_string(kind), s.width, s.height, algaeFrames[kind],
                            [kind](cairo_t* cr, int frame) { PaintAlgae(cr, kind, frame); }));
    }
    for (int kind = 1; kind <= 4; ++kind) {
        const int d = BubbleSize(kind);
        out.push_back(Sprite("bubble" + std::to_string(kind), d, d,
                             [kind](cairo_t* cr) { PaintBubble(cr, kind); }));
    }
    return out;
}

} // namespace art
