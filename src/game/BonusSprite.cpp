#include "game/BonusSprite.h"

#include "common/FormServices.h"
#include "common/Random.h"
#include "engine/ImageList.h"
#include "game/GameContext.h"
#include "game/GamePlay.h"
#include "game/GameRules.h"
#include "game/HeroSprite.h"

namespace {

const char* OverlayName(std::uint8_t kind, std::uint8_t value) {
    switch (kind) {
    case 1:
        return value == 10 ? "10" : value == 20 ? "20" : "50";
    case 2:
        return "supergun";
    case 3:
        return "net";
    case 4:
        return "oxy";
    case 5:
        return "engine";
    default:
        return "bonuslife";
    }
}

} // namespace

TBonusSprite::TBonusSprite(TSprite* AParent) : TImageSprite(AParent) {
    const game::RandomFn random = [](int n) { return Random(n); };
    Kind = game::DrawBonusKind(random);
    Image = game::GameImage("bonus");
    if (Kind == 1) {
        Value = game::DrawBonusValue(random);
    }
    Width = Image->Width();
    Height = Image->Height();
    PixelCheck = false;
    X = 800;
    Y = 200 + Random(350 - Height);
    SetZ(8);
    AnimCount = 4;
    AnimPos = 0;
    AnimStart = 0;
    AnimLooped = false;
    Visible = true;
    overlay_ = game::GameImage(OverlayName(Kind, Value));
    float_ = game::GameImage("float");
    line_ = game::GameImage("line");
}

void TBonusSprite::DoMove(int) {
    // The test comes before the move, so a bonus goes one tick after reaching
    // -Width.
    if (X <= -Width) {
        Dead();
    }
    X -= game::Play().ScrollSpeed + 1;
}

void TBonusSprite::DoDraw() {
    TDirectDrawSurface* surface = Engine()->Surface();
    Image->Draw(surface, X, Y, 0);
    overlay_->Draw(surface, X, Y, 0);
    float_->Draw(surface, X, 88, 0);
    for (int y = 124; y <= Y; ++y) {
        line_->Draw(surface, X + 25, y, 0);
    }
}

TBonusIndicatorSprite::TBonusIndicatorSprite(TSprite* AParent, int AX, const char* ImageName)
    : TImageSprite(AParent) {
    Image = game::GameImage(ImageName);
    PixelCheck = false;
    X = AX;
    Y = 40;
    SetZ(11);
    Remaining = 0;
    Width = Image->Width();
    Height = Image->Height();
    Visible = false;
}

TTreasureSprite::TTreasureSprite(TSprite* AParent) : TImageSprite(AParent) {
    PixelCheck = false;
    X = 800;
    const game::TreasureChoice choice = game::DrawTreasure([](int n) { return Random(n); });
    Y = choice.y;
    Image = game::GameImage(choice.image);
    Value = choice.value;
    SetZ(6);
    Visible = true;
    Width = Image->Width();
    Height = Image->Height();
}

void TTreasureSprite::DoMove(int) {
    X -= game::Play().ScrollSpeed;
    if (X < -Width) {
        Dead();
    }
}

TEngineSprite::TEngineSprite(TSprite* AParent) : TImageSprite(AParent) {
    const THeroSprite* hero = game::Play().HeroSprite;
    PixelCheck = false;
    Image = game::GameImage("handengine");
    X = hero->X + 113;
    Y = hero->Y + 5;
    SetZ(7);
    Visible = false;
    Width = Image->Width();
    Height = Image->Height();
}

void TEngineSprite::DoMove(int) {
    if (Visible) {
        Collision();
    }
}

void TEngineSprite::DoCollision(TSprite* Sprite, bool& Done) {
    game::Play().HeroSprite->DoCollision(Sprite, Done);
}
