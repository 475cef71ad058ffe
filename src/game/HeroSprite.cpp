#include "game/HeroSprite.h"

#include "engine/DXInput.h"
#include "engine/ImageList.h"
#include "game/BonusSprite.h"
#include "game/EnemySprite.h"
#include "game/GameContext.h"
#include "game/GameRules.h"
#include "game/SceneSprites.h"
#include "game/WeaponSprite.h"
#include "shell/MainForm.h"

namespace {

// The step of one tick in a direction: a pending pointer impulse replaces the
// usual step once and is used up.
int TakeStep(std::uint8_t& impulse) {
    if (impulse > 0) {
        const int step = impulse;
        impulse = 0;
        return step;
    }
    return TGamePlay::HeroStep;
}

void DecayTowardZero(double& velocity) {
    if (velocity > 0) {
        velocity -= 0.5;
    } else if (velocity < 0) {
        velocity += 0.5;
    }
}

} // namespace

THeroSprite::THeroSprite(TSprite* AParent) : TImageSprite(AParent) {
    Image = game::GameImage("hero");
    Width = Image->Width();
    Height = Image->Height();
    X = 150;
    Y = 300;
    SetZ(7);
    AnimCount = 4;
    AnimStart = 0;
    AnimLooped = false;
    PixelCheck = false;
    Visible = false;
}

void THeroSprite::DoMove(int) {
    if (!Visible) {
        return;
    }
    TmainForm& form = game::Form();
    new TBubbleSprite(Engine(), X + 80, Y);
    Y -= 1;

    if (AnimTick < FrameTicks * 4 - 1) {
        ++AnimTick;
    } else {
        AnimTick = 0;
    }
    AnimPos = AnimTick / FrameTicks;

    if (form.AirLeft <= 0) {
        DieByAir();
        return;
    }

    if (Controllable) {
        Steer();
    } else {
        Y -= 4;
        if (Y < 114) {
            form.GameState = gsNextLevel;
        }
    }
    PlaceHandEngine();

    if (GunCooldown > 0) {
        --GunCooldown;
    }
    if (NetCooldown > 0) {
        --NetCooldown;
    }

    const TDXInputStates& states = form.DXInput1->States;
    if (Controllable && (states.test(isButton1) || form.LeftButton) && GunCooldown == 0) {
        new THeroWeaponSprite(Engine(), X + Width, 1, Y + game::kGunOffsetY);
        GunCooldown = 200 / GunRate;
    }
    // The net may be thrown while rising out of a level, unlike the gun.
    if (form.NetIndicator->Visible && (states.test(isButton2) || form.RightButton) &&
        NetCooldown == 0) {
        new THeroWeaponSprite(Engine(), X + Width, 2, Y + game::kNetOffsetY);
        NetCooldown = 200 / NetRate;
    }

    if (Controllable) {
        Collision();
    }
}

void THeroSprite::Steer() {
    TmainForm& form = game::Form();
    const TDXInputStates& states = form.DXInput1->States;
    double& vx = form.HeroVelocityX;
    double& vy = form.HeroVelocityY;
    const int maxX = 795 - Width;
    const int maxY = game::kHeroFloor - Height;

    if (X > 5 && (states.test(isLeft) || form.MouseLeft > 0)) {
        X -= TakeStep(form.MouseLeft);
        if (vx > -30) {
            vx -= 0.5;
        }
    } else if (X < maxX && (states.test(isRight) || form.MouseRight > 0)) {
        X += TakeStep(form.MouseRight);
        if (vx < 30) {
            vx += 0.5;
        }
    } else {
        DecayTowardZero(vx);
    }

    if (Y > game::kHeroTop && (states.test(isUp) || form.MouseUp > 0)) {
        Y -= TakeStep(form.MouseUp);
        if (vy > -30) {
            vy -= 0.5;
        }
    } else if (Y < maxY && (states.test(isDown) || form.MouseDown > 0)) {
        Y += TakeStep(form.MouseDown);
        if (vy < 30) {
            vy += 0.5;
        }
    } else {
        DecayTowardZero(vy);
    }

    X += game::RoundHalfEven(vx);
    Y += game::RoundHalfEven(vy);

    if (X < 5) {
        X = 5;
        vx = 0;
    }
    if (X >= maxX) {
        X = maxX;
        vx = 0;
    }
    if (Y < game::kHeroTop) {
        Y = game::kHeroTop;
        vy = 0;
    }
    if (Y > maxY) {
        Y = maxY;
        vy = 0;
    }
}

void THeroSprite::PlaceHandEngine() {
    TEngineSprite* hand = game::Form().HandEngine;
    if (hand != nullptr && hand->Visible) {
        hand->X = X + 113;
        hand->Y = Y + 5;
    }
}

void THeroSprite::DoCollision(TSprite* Sprite, bool&) {
    if (!Visible || !Controllable) {
        return;
    }
    TmainForm& form = game::Form();
    if (auto* fish = dynamic_cast<TEnemySprite*>(Sprite)) {
        // A fish already killed or cleared away in this tick stays in the tree
        // until the next sweep; it must not take the new life with it.
        if (!fish->Deaded()) {
            DieByFish();
        }
    } else if (auto* treasure = dynamic_cast<TTreasureSprite*>(Sprite)) {
        // The hero and the hand engine may both touch it in one tick; it pays
        // once.
        if (treasure->Deaded()) {
            return;
        }
        form.PlayEffect("bonus");
        form.Score = static_cast<std::uint16_t>(form.Score + treasure->Value);
        treasure->Dead();
    } else if (auto* relief = dynamic_cast<TRelief*>(Sprite)) {
        if (!relief->IsTop) {
            return;
        }
        game::Box hero{X, Y, Width, Height};
        const game::Box piece{relief->X, relief->Y, relief->Width, relief->Height};
        switch (game::PushOutOfRelief(hero, piece)) {
        case game::ReliefPush::PushedLeft:
        case game::ReliefPush::PushedRight:
            form.HeroVelocityX = 0;
            break;
        case game::ReliefPush::PushedDown:
            form.HeroVelocityY = 0;
            break;
        case game::ReliefPush::None:
            break;
        }
        X = hero.x;
        Y = hero.y;
        if (X < 5) {
            DieByFish(); // crushed against the left edge
        }
        PlaceHandEngine();
    } else if (auto* bonus = dynamic_cast<TBonusSprite*>(Sprite)) {
        if (bonus->Deaded()) {
            return;
        }
        bonus->Dead();
        form.PlayEffect("bonus");
        PickUpBonus(bonus->Kind, bonus->Value);
    }
}

void THeroSprite::PickUpBonus(std::uint8_t kind, std::uint8_t value) {
    TmainForm& form = game::Form();
    switch (kind) {
    case 1:
        form.Score = static_cast<std::uint16_t>(form.Score + value);
        break;
    case 2:
        GunRate = 12;
        form.SupergunIndicator->Remaining = game::kPowerTime;
        form.SupergunIndicator->Visible = true;
        break;
    case 3:
        form.NetIndicator->Remaining = game::kPowerTime;
        form.NetIndicator->Visible = true;
        break;
    case 4:
        form.AirLeft += form.AirCapacity / 3;
        if (form.AirLeft > form.AirCapacity) {
            form.AirLeft = form.AirCapacity;
        }
        break;
    case 5:
        form.EngineIndicator->Remaining = game::kPowerTime;
        form.EngineIndicator->Visible = true;
        form.HandEngine->Visible = true;
        form.HandEngine->X = X + 113;
        form.HandEngine->Y = Y + 5;
        form.MoveReliefEnds();
        form.ScrollSpeed = 4;
        break;
    case 6:
        ++form.Lives;
        if (form.Lives > 5) {
            form.Lives = 5;
        }
        break;
    default:
        break;
    }
}

void THeroSprite::LoseLife() {
    TmainForm& form = game::Form();
    Visible = false;
    form.GameState = gsHeroDying;
    --form.Lives;
}

void THeroSprite::DieByFish() {
    LoseLife();
    game::Form().PlayEffect("herodiefish");
    new TDeadBodySprite(Engine(), X, 2, Y);
}

void THeroSprite::DieByAir() {
    TmainForm& form = game::Form();
    LoseLife();
    form.AirLeft = form.AirCapacity / 3;
    form.PlayEffect("herodieair");
    new TDeadBodySprite(Engine(), X, 3, Y);
}

TScaleSprite::TScaleSprite(TSprite* AParent) : TImageSprite(AParent) {
    Image = game::GameImage("scale");
    // Pattern i is pixel column i of the picture. The game archive stores the
    // item with this pattern width already, so its built patterns match.
    Image->PatternWidth = 1;
    X = 257;
    Y = 60;
    SetZ(11);
    Visible = true;
    AnimLooped = false;
    AnimPos = 0;
    Width = 200;
    Height = Image->Height();
}

void TScaleSprite::DoDraw() {
    const TmainForm& form = game::Form();
    if (form.AirCapacity <= 0) {
        return;
    }
    const int columns = game::Trunc(static_cast<double>(form.AirLeft) / form.AirCapacity * Width);
    TDirectDrawSurface* surface = Engine()->Surface();
    for (int i = 0; i <= columns; ++i) {
        Image->Draw(surface, X + i, Y, i);
    }
}

TLivesIndicator::TLivesIndicator(TSprite* AParent) : TImageSprite(AParent) {
    life_ = game::GameImage("life");
    X = 310;
    Y = 38;
    SetZ(11);
    Visible = true;
}

void TLivesIndicator::DoDraw() {
    const int lives = game::Form().Lives;
    TDirectDrawSurface* surface = Engine()->Surface();
    for (int k = 1; k <= lives; ++k) {
        life_->Draw(surface, 462 + 24 * k, 42, 0);
    }
}

TStatusSprite::TStatusSprite(TSprite* AParent) : TImageSprite(AParent) {
    Image = game::GameImage("statusbar");
    Width = Image->Width();
    Height = Image->Height();
    PixelCheck = false;
    X = 0;
    Y = 0;
    SetZ(10);
    Visible = true;
}
