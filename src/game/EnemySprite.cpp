#include "game/EnemySprite.h"

#include "engine/ImageList.h"
#include "game/GameContext.h"
#include "game/GameRules.h"
#include "shell/MainForm.h"

TEnemySprite::TEnemySprite(TSprite* AParent, int AKind) : TImageSprite(AParent) {
    PixelCheck = false;
    AnimStart = 0;
    X = 800;
    Y = game::kFishTop + Random(game::kFishRows);
    SetZ(7);
    AnimRising = false;
    Visible = true;
    AnimLooped = false;
    AnimTick = 0;
    AnimCount = 3;
    Kind = static_cast<std::uint16_t>(AKind);
    const game::EnemyKindInfo& info = game::EnemyKind(AKind);
    Image = game::GameImage(info.image);
    HitPoints = info.hitPoints;
    Points = info.points;
    if (Kind == 7) {
        BaseX = X;
        Y = game::kCrabY;
    }
    Width = Image->Width();
    Height = Image->Height();
}

void TEnemySprite::DoMove(int) {
    // Ping-pong with a rest tick at each end: frames 0, 1, 2, 1, 0 every 30 ticks.
    if (AnimRising) {
        if (AnimTick < 14) {
            ++AnimTick;
        } else {
            AnimRising = false;
        }
    } else {
        if (AnimTick > 0) {
            --AnimTick;
        } else {
            AnimRising = true;
        }
    }
    AnimPos = AnimTick / 5;

    const int scroll = game::Form().ScrollSpeed;
    if (Kind == 7) {
        ++Phase;
        BaseX -= scroll;
        X = BaseX + game::Trunc(50 * game::Sin256(Phase));
    } else {
        X -= scroll + 2;
    }
    if (X < -Width) {
        Dead();
    }
}

void TEnemySprite::Kill() {
    if (Deaded()) {
        return;
    }
    TmainForm& form = game::Form();
    Dead();
    form.PlayEffect("fishdie");
    if (game::LeavesDeadBody(Kind)) {
        new TDeadBodySprite(Engine(), X, 1, Y);
    }
    form.Score = static_cast<std::uint16_t>(form.Score + Points);
}

TDeadBodySprite::TDeadBodySprite(TSprite* AParent, int AX, std::uint8_t AKind, int AY)
    : TImageSprite(AParent) {
    PixelCheck = false;
    Kind = AKind;
    switch (Kind) {
    case 2:
        Image = game::GameImage("fishkilledhero");
        break;
    case 3:
        Image = game::GameImage("dienoair");
        break;
    default:
        Kind = 1;
        Image = game::GameImage("killfish");
        break;
    }
    X = AX;
    Y = AY;
    SetZ(7);
    Visible = true;
    Width = Image->Width();
    Height = Image->Height();
}

void TDeadBodySprite::DoMove(int) {
    TmainForm& form = game::Form();
    X -= form.ScrollSpeed;
    if (Kind == 1) {
        if (Y < 560) {
            Y += 3;
        }
    } else if (Y > 120) {
        Y -= 3;
    }
    if (X < -Width && !Deaded()) {
        Dead();
        if (Kind != 1) {
            // The hero's body has left: the next tick starts the next life or
            // the game over.
            form.GameState = gsPlaying;
            form.SetCursorPos(400, 300);
        }
    }
}
