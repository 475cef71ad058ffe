#include "game/SceneSprites.h"

#include "engine/ImageList.h"
#include "game/GameContext.h"
#include "game/GameRules.h"
#include "shell/MainForm.h"

namespace {

std::string LowerReliefName() {
    return "downrelief" + std::to_string(Random(4) + 1);
}

} // namespace

TRelief::TRelief(TSprite* AParent, const std::string& Name, bool AChain, bool AIsTop)
    : TImageSprite(AParent) {
    TmainForm& form = game::Form();
    Image = game::GameImage(Name);
    Width = Image->Width();
    Height = Image->Height();
    PixelCheck = false;
    Chain = AChain ? 1 : 0;
    IsTop = AIsTop ? 1 : 0;
    if (IsTop) {
        X = form.TopReliefEnd;
        Y = 114;
        form.TopReliefEnd += Width;
    } else {
        X = form.BottomReliefEnd;
        Y = 473;
        form.BottomReliefEnd += Width;
    }
    SetZ(3);
}

void TRelief::DoMove(int) {
    TmainForm& form = game::Form();
    X -= form.ScrollSpeed;
    // A piece marked dead earlier in this tick may be moved a second time (the
    // tick of a death runs two move passes); it must not append twice, or the
    // lower chain would grow and the level lose an upper group.
    if (X + Width >= 0 || Deaded()) {
        return;
    }
    Dead();
    if (!IsTop) {
        new TRelief(Engine(), LowerReliefName(), false, false);
    } else if (Chain) {
        if (form.ReliefGroups < form.LevelLength) {
            form.CreateUpRelief();
        } else if (form.ReliefGroups == form.LevelLength) {
            new TRelief(Engine(), "uprelief2", false, true);
            ++form.ReliefGroups;
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
    X -= game::Form().ScrollSpeed;
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
    BaseX -= game::Form().ScrollSpeed;
    if (Y < 114 - Height) {
        Dead();
    }
}
