#include "game/GamePlay.h"

#include <string>

#include <nlohmann/json.hpp>

#include "assets/Paths.h"
#include "common/Drawing.h"
#include "common/FormServices.h"
#include "common/Random.h"
#include "engine/DXClass.h"
#include "engine/DXDraw.h"
#include "engine/DXInput.h"
#include "engine/DXSprite.h"
#include "engine/ImageList.h"
#include "engine/Surface.h"
#include "game/BonusSprite.h"
#include "game/EnemySprite.h"
#include "game/GameContext.h"
#include "game/GameRules.h"
#include "game/HeroSprite.h"
#include "game/SceneSprites.h"
#include "game/WeaponSprite.h"
#include "menus/MenuSprites.h"

namespace {

constexpr int kTimerInterval = 16; // ms of DXTimer2, subtracted once a tick

const std::string& LevelBannerText() {
    static const std::string text = Ru("УРОВЕНЬ ");
    return text;
}

const std::string& GameOverText() {
    static const std::string text = Ru("КОНЕЦ ИГРЫ");
    return text;
}

} // namespace

using game::Root;

TGamePlay::TGamePlay(TFormServices& services) : services_(services) {
    game::BindPlay(this);
}

TGamePlay::~TGamePlay() {
    game::BindPlay(nullptr);
}

void TGamePlay::ForgetFieldSprites() {
    HeroSprite = nullptr;
    HandEngine = nullptr;
    SupergunIndicator = nullptr;
    NetIndicator = nullptr;
    EngineIndicator = nullptr;
}

void TGamePlay::CreateGameField() {
    TFormServices& form = services_;
    TSpriteEngine& root = Root();

    root.Clear();
    HeroSprite = nullptr;
    HandEngine = nullptr;
    form.Images().LoadFromFile(ResolveGamePath("data\\gamegraphic.dxg"));
    TPictureCollection& images = form.Images();

    auto* background = new TMenuBackground(&root);
    background->Image = images.Find("back");
    background->SetMapSize(1, 1);
    background->Tile = true;
    background->Width = background->Image->Width();
    background->Height = background->Image->Height();
    background->X = 0;
    background->Y = 0;
    background->SetZ(0);
    background->Visible = true;
    form.MenuBackground = background;

    auto* window = new TClosingWindow(&root);
    window->PixelCheck = false;
    window->Image = images.Items(1);
    window->X = 188;
    window->Y = 160;
    window->SetZ(10);
    window->Visible = false;
    window->Width = window->Image->Width();
    window->Height = window->Image->Height();
    form.ClosingWindow = window;

    new TStatusSprite(&root);
    new TScaleSprite(&root);
    SupergunIndicator = new TBonusIndicatorSprite(&root, 104, "supergun");
    NetIndicator = new TBonusIndicatorSprite(&root, 144, "net");
    EngineIndicator = new TBonusIndicatorSprite(&root, 184, "engine");
    new TLivesIndicator(&root);

    LevelLength = 14;
    ReliefGroups = 0;
    TopReliefEnd = 400;
    new TRelief(&root, "uprelief1", true, true);
    for (int i = 0; i < 5; ++i) {
        CreateUpRelief();
    }

    BottomReliefEnd = 0;
    for (int i = 0; i < 9; ++i) {
        new TRelief(&root, game::LowerReliefName(), false, false);
    }

    HeroSprite = new THeroSprite(&root);
    HandEngine = new TEngineSprite(&root);

    ScrollSpeed = 2;
    Lives = 5;
    Score = 0;
    Level = 1;
    form.GameState = gsLevelBanner;
    form.MessageTimer = 1500;
    AirLeft = 1500;
    AirCapacity = 1500;

    if (form.ConfigRecord.MusicOn) {
        form.LoadAndPlaySong("sound\\2.xm");
    }
    form.SetCursorPos(400, 300);
}

void TGamePlay::CreateUpRelief() {
    TSpriteEngine& root = Root();
    switch (Random(3)) {
    case 0:
        new TRelief(&root, "uprelief3", true, true);
        break;
    case 1:
        for (int i = 1; i <= 6; ++i) {
            new TRelief(&root, "uprelief4-" + std::to_string(i), i == 6, true);
        }
        break;
    default:
        for (int i = 1; i <= 4; ++i) {
            new TRelief(&root, "uprelief5-" + std::to_string(i), i == 4, true);
        }
        break;
    }
    ++ReliefGroups;
}

void TGamePlay::MoveReliefEnds() {
    TopReliefEnd -= ScrollSpeed;
    BottomReliefEnd -= ScrollSpeed;
}

void TGamePlay::ClearGameField() {
    SupergunIndicator->Visible = false;
    NetIndicator->Visible = false;
    EngineIndicator->Visible = false;

    TSpriteEngine& root = Root();
    for (int i = root.Count() - 1; i >= 0; --i) {
        TSprite* sprite = root.Items(i);
        if (dynamic_cast<TEnemySprite*>(sprite) != nullptr ||
            dynamic_cast<TBonusSprite*>(sprite) != nullptr ||
            dynamic_cast<THeroWeaponSprite*>(sprite) != nullptr ||
            dynamic_cast<TBubbleSprite*>(sprite) != nullptr) {
            sprite->Dead();
        }
    }

    HeroSprite->Visible = false;
    HeroSprite->X = 150;
    HeroSprite->Y = 400;
    HeroSprite->GunRate = 6;
    HeroVelocityX = 0;
    HeroVelocityY = 0;
    HandEngine->Visible = false;
    MoveReliefEnds();
    ScrollSpeed = 2;
}

void TGamePlay::CreateEnemy() {
    const int kind = game::DrawEnemyKind(Level, [](int n) { return Random(n); });
    new TEnemySprite(&Root(), kind);
}

void TGamePlay::RunBonusTimers() {
    if (SupergunIndicator->Visible) {
        if (game::SecondsOfTime(SupergunIndicator->Remaining) > 0) {
            SupergunIndicator->Remaining -= game::kTickAsTime;
        } else {
            SupergunIndicator->Visible = false;
            HeroSprite->GunRate = 6;
        }
    }
    if (EngineIndicator->Visible) {
        if (game::SecondsOfTime(EngineIndicator->Remaining) > 0) {
            EngineIndicator->Remaining -= game::kTickAsTime;
        } else {
            EngineIndicator->Visible = false;
            HandEngine->Visible = false;
            MoveReliefEnds();
            ScrollSpeed = 2;
        }
    }
    if (NetIndicator->Visible) {
        if (game::SecondsOfTime(NetIndicator->Remaining) > 0) {
            NetIndicator->Remaining -= game::kTickAsTime;
        } else {
            NetIndicator->Visible = false;
        }
    }
}

void TGamePlay::RunSpawners() {
    TSpriteEngine& root = Root();
    if (EnemyCountdown != 0) {
        --EnemyCountdown;
    } else {
        CreateEnemy();
        EnemyCountdown = static_cast<std::uint16_t>(Random(game::EnemySpawnSpread(Level)) + 50);
    }
    if (BonusCountdown != 0) {
        --BonusCountdown;
    } else {
        new TBonusSprite(&root);
        BonusCountdown = static_cast<std::uint16_t>(Random(500));
    }
    if (AlgaeCountdown != 0) {
        --AlgaeCountdown;
    } else {
        new TGreenAlgae(&root, static_cast<std::uint8_t>(Random(3) + 1));
        AlgaeCountdown = static_cast<std::uint16_t>(Random(80));
    }
    if (TreasureCountdown != 0) {
        --TreasureCountdown;
    } else {
        new TTreasureSprite(&root);
        TreasureCountdown = static_cast<std::uint16_t>(Random(200));
    }
}

void TGamePlay::LevelUp() {
    TFormServices& form = services_;
    TSpriteEngine& root = Root();
    ++Level;
    LevelLength = game::LevelLengthFor(Level);
    ReliefGroups = 0;
    TopReliefEnd = 800;
    new TRelief(&root, "uprelief1", true, true);
    for (int i = 0; i < 6; ++i) {
        CreateUpRelief();
    }
    // A new level starts with the air of a full tank of the level before.
    AirLeft = AirCapacity;
    if (game::AirCapacityGrows(Level)) {
        AirCapacity += 900;
    }
    form.MessageTimer = 1500;
    form.PlayEffect("nextlevel");
    form.GameState = gsLevelBanner;
    ClearGameField();
    HeroSprite->Controllable = true;
}

void TGamePlay::EndGameOverBanner() {
    TFormServices& form = services_;
    const int rank = ScoreRank(form.ConfigRecord, Score);
    form.ShowMouseCursor(true);
    if (rank == 11) {
        form.ReturnToMenus();
    } else {
        form.GameState = gsEnterName;
        form.ClosingWindow->Visible = true;
        form.MenuScreen = msEnterName;
        form.CreateExit();
        form.Selected = 3;
        form.EditMode = true;
    }
}

void TGamePlay::DrawHeadsUp() {
    TCanvas& canvas = services_.BackBuffer()->Canvas();
    DrawText(canvas, 112, 10, std::to_string(Level), 16, clWhite);
    const std::string score = std::to_string(Score);
    DrawText(canvas, 717 - canvas.TextWidth(score) / 2, 42, score, 16, clWhite);
}

void TGamePlay::DXTimer2Timer(int LagCount) {
    TFormServices& form = services_;
    if (!form.Display().CanDraw()) {
        return;
    }
    TDirectDrawSurface* back = form.BackBuffer();
    TCanvas& canvas = back->Canvas();
    PrepareCanvas(canvas, clBlack);

    form.Input().Update();
    form.SpriteEngine().Dead();

    if (form.GameState == gsPlaying) {
        if (!HeroSprite->Visible) {
            if (Lives > 0) {
                ClearGameField();
                HeroSprite->Visible = true;
            } else {
                form.MessageTimer = 1500;
                form.GameState = gsGameOver;
                form.PlayEffect("looser");
            }
        }
        if (ReliefGroups > LevelLength && HeroSprite->Controllable && TopReliefEnd <= 0) {
            HeroSprite->Controllable = false; // the hero rises out of the level
        }
        MoveReliefEnds();
        form.SpriteEngine().Move(LagCount);
        --AirLeft;
        RunBonusTimers();
        RunSpawners();
    }
    if (form.GameState == gsHeroDying) {
        MoveReliefEnds();
        form.SpriteEngine().Move(LagCount);
    }

    back->Fill(0);
    form.SpriteEngine().Draw();
    DrawHeadsUp();

    if (form.GameState == gsLevelBanner) {
        form.MessageTimer -= kTimerInterval;
        DrawText(canvas, 260, 280, LevelBannerText() + std::to_string(Level), 38, clRed);
        if (form.MessageTimer <= 0) {
            form.GameState = gsPlaying;
            HeroSprite->Visible = true;
            form.ShowMouseCursor(false);
            form.SetCursorPos(400, 300);
        }
    }
    if (form.GameState == gsGameOver) {
        form.MessageTimer -= kTimerInterval;
        DrawText(canvas, 250, 280, GameOverText(), 38, clRed);
        if (form.MessageTimer <= 0) {
            EndGameOverBanner();
        }
    }

    form.DrawDialogOverlays(canvas);

    if (form.GameState == gsNextLevel) {
        LevelUp();
    }

    canvas.Release();
    form.Display().Flip();
}

bool TGamePlay::GameFieldExists() const {
    // Every way back to the menus forgets the handles with the sprites.
    return HeroSprite != nullptr;
}

void TGamePlay::DumpGameState(nlohmann::json& state) const {
    state["Level"] = Level;
    state["Score"] = Score;
    state["Lives"] = Lives;
    state["AirLeft"] = AirLeft;
    state["AirCapacity"] = AirCapacity;
    state["ScrollSpeed"] = ScrollSpeed;
    state["LevelLength"] = LevelLength;
    state["ReliefGroups"] = ReliefGroups;
    state["TopReliefEnd"] = TopReliefEnd;
    state["BottomReliefEnd"] = BottomReliefEnd;
    state["EnemyCountdown"] = EnemyCountdown;
    state["BonusCountdown"] = BonusCountdown;
    state["AlgaeCountdown"] = AlgaeCountdown;
    state["TreasureCountdown"] = TreasureCountdown;
    if (!GameFieldExists()) {
        state["hero"] = nullptr;
        return;
    }
    const THeroSprite& hero = *HeroSprite;
    state["hero"] = {
        {"X", hero.X},
        {"Y", hero.Y},
        {"Visible", hero.Visible},
        {"Controllable", hero.Controllable},
        {"GunRate", hero.GunRate},
        {"GunCooldown", hero.GunCooldown},
        {"NetCooldown", hero.NetCooldown},
        {"VelocityX", HeroVelocityX},
        {"VelocityY", HeroVelocityY},
        {"NetRate", hero.NetRate},
        {"SupergunActive", SupergunIndicator->Visible},
        {"NetActive", NetIndicator->Visible},
        {"EngineActive", EngineIndicator->Visible},
    };
}
