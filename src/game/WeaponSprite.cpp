#include "game/WeaponSprite.h"

#include "common/FormServices.h"
#include "common/Random.h"
#include "engine/ImageList.h"
#include "game/EnemySprite.h"
#include "game/GameContext.h"
#include "game/GamePlay.h"

THeroWeaponSprite::THeroWeaponSprite(TSprite* AParent, int AX, std::uint8_t AKind, int AY)
    : TImageSprite(AParent) {
    Kind = AKind;
    if (Kind == 2) {
        Damage = 10;
        Image = game::GameImage("netweapon");
        game::Services().PlayEffect("heronet");
    } else {
        Kind = 1;
        Damage = 1;
        Image = game::GameImage("heroweapon1");
        game::Services().PlayEffect("herogun");
        TailFrame = 0;
        tail_ = game::GameImage("tail");
    }
    Width = Image->Width();
    Height = Image->Height();
    X = AX;
    Y = AY;
    SetZ(7);
    Visible = true;
    PixelCheck = false;
    AnimLooped = false;
}

void THeroWeaponSprite::DoMove(int) {
    if (Kind == 2) {
        if (AnimTick < 19) {
            ++AnimTick;
        }
    } else {
        TailFrame = TailFrame == 0 ? 1 : 0;
    }
    AnimPos = AnimTick / 5;
    X += TGamePlay::ShotSpeed;
    if (X >= 800 || Y < 0 || Y >= 600) {
        Dead();
    }
    Collision();
}

void THeroWeaponSprite::DoDraw() {
    TImageSprite::DoDraw();
    if (tail_ != nullptr) {
        tail_->Draw(Engine()->Surface(), X - 72, Y + 1, TailFrame);
    }
}

void THeroWeaponSprite::DoCollision(TSprite* Sprite, bool&) {
    auto* fish = dynamic_cast<TEnemySprite*>(Sprite);
    if (fish == nullptr) {
        return;
    }
    Dead();
    fish->HitPoints -= Damage;
    if (fish->HitPoints <= 0) {
        fish->Kill();
    }
}
