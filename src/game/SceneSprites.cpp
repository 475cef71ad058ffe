#include "game/SceneSprites.h"

#include "common/FormServices.h"
#include "common/Random.h"
#include "engine/ImageList.h"
#include "game/GameContext.h"
#include "game/GamePlay.h"
#include "game/GameRules.h"

std::string game::LowerReliefName() {
    return "downrelief" + std::to_string(Random(4) + 1);
}

TRelief::TRelief(TSprite* AParent, const std::string& Name, bool AChain, bool AIsTop)
    : TImageSprite(AParent) {
    TGamePlay& play = game::Play();
    Image = game::GameImage(Name);
    Width = Image->Width();
    Height = Image->Height();
    PixelCheck = false;
    Chain = AChain ? 1 : 0;
    IsTop = AIsTop ? 1 : 0;
    if (IsTop) {
        X = play.TopReliefEnd;
        Y = 114;
        play.TopReliefEnd += Width;
    } else {
        X = play.BottomReliefEnd;
        Y = 473;
        play.BottomReliefEnd += Width;
    }
    SetZ(3);
}

void TRelief::DoMove(int) {
    TGamePlay& play = game::Play();
    X -= play.ScrollSpeed;
    // A piece marked dead earlier in this tick may be moved a second time (the
    // tick of a death runs two move passes); it must not append twice, or the
    // lower chain would grow and the level lose an upper group.
    if (X + Width >= 0 || Deaded()) {
        return;
    }
    Dead();
    if (!IsTop) {
        new TRelief(Engine(), game::LowerReliefName(), false, false);
    } else if (Chain) {
        if (play.ReliefGroups < play.LevelLength) {
            play.CreateUpRelief();
        } else if (play.ReliefGroups == play.LevelLength) {
            new TRelief(Engine(), "uprelief2", false, true);
            ++play.ReliefGroups;
        }
    }
}

TGreenAlgae::TGreenAlgae(TSprite* AParent, std::uint8_t AKind) : TImageSprite(AParent) {
    Kind = AKind;
    int baseY = 520;
    switch (Kind) {
    case 2:
        Image = game::GameImage("algae2");
        baseY = 547;
        break;
    case 3:
        Image = game::GameImage("algae3");
        baseY = 496;
        break;
    default:
        Kind = 1;
        Image = game::GameImage("algae1");
        break;
    }
    Width = Image->Width();
    Height = Image->Height();
    PixelCheck = false;
    X = 800;
    Y = baseY + Random(15);
    SetZ(8);
    Visible = true;
}

void TGreenAlgae::DoMove(int) {
    if (Kind == 1 || Kind == 3) {
        const int last = Kind == 1 ? 29 : 39;
        if (AnimTick >= last) {
            AnimTick = 0;
        } else {
            ++AnimTick;
        }
        AnimPos = AnimTick / 10;
    }
    X -= game::Play().ScrollSpeed;
    if (X <= -Width) {
        Dead();
    }
}

TBubbleSprite::TBubbleSprite(TSprite* AParent, int AX, int AY) : TImageSprite(AParent) {
    Image = game::GameImage("bubble" + std::to_string(Random(4) + 1));
    Width = Image->Width();
    Height = Image->Height();
    PixelCheck = false;
    BaseX = AX;
    X = AX;
    Y = AY;
    SetZ(7);
    AnimLooped = false;
    Visible = true;
    Phase = static_cast<std::uint8_t>(Random(256));
}

void TBubbleSprite::DoMove(int) {
    ++Phase;
    X = BaseX + game::Trunc(20 * game::Sin256(Phase));
    Y -= 2;
    BaseX -= game::Play().ScrollSpeed;
    if (Y < 114 - Height) {
        Dead();
    }
}
