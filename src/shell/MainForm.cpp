#include "shell/MainForm.h"

#include <chrono>
#include <exception>
#include <filesystem>
#include <iostream>

#include "assets/Music.h"
#include "assets/Paths.h"
#include "common/Drawing.h"
#include "menus/MenuSprites.h"
#include "online/client/HttpClient.h"
#include "platform/Folders.h"
#include "platform/Log.h"

namespace {

const char* const ConfigFileName = "config.dat";

} // namespace

TmainForm::TmainForm(const TFormEnvironment& environment)
    : TGamePlay(static_cast<TFormServices&>(*this)),
      TMenuSystem(static_cast<TFormServices&>(*this)),
      TOnlineScores(static_cast<TFormServices&>(*this)), environment_(environment) {
    DXDraw = std::make_unique<TDXDraw>(environment.Video);
    DXDraw->Display = TDXDrawDisplay{800, 600, 32, true, true, true};
    DXDraw->SurfaceWidth = 800;
    DXDraw->SurfaceHeight = 600;
    DXDraw->SetOptions({doAllowReboot, doWaitVBlank, doCenter, doFlip, doDirectX7Mode, doHardware,
                        doSelectDriver});

    DXSpriteEngine1 = std::make_unique<TDXSpriteEngine>();
    DXSpriteEngine1->SetDXDraw(DXDraw.get());
    DXImageList1 = std::make_unique<TDXImageList>();
    DXImageList1->SetDXDraw(DXDraw.get());

    DXTimer1 = std::make_unique<TDXTimer>(*environment.Application);
    DXTimer1->ActiveOnly = true;
    DXTimer1->SetInterval(16);
    DXTimer1->SetEnabled(true);
    DXTimer1->OnTimer = [this](TDXTimer*, int lagCount) {
        CheckLateSongFailures();
        DXTimer1Timer(lagCount);
    };
    DXTimer1->OnActivate = [this](TDXTimer*) { DXTimer1Activate(); };
    DXTimer1->OnDeactivate = [this](TDXTimer*) { DXTimer1Deactivate(); };

    DXTimer2 = std::make_unique<TDXTimer>(*environment.Application);
    DXTimer2->ActiveOnly = false;
    DXTimer2->SetInterval(16);
    DXTimer2->SetEnabled(false);
    DXTimer2->OnTimer = [this](TDXTimer*, int lagCount) {
        CheckLateSongFailures();
        DXTimer2Timer(lagCount);
    };
    DXTimer2->OnActivate = [this](TDXTimer*) { DXTimer2Activate(); };
    DXTimer2->OnDeactivate = [this](TDXTimer*) { DXTimer2Deactivate(); };

    DXInput1 = std::make_unique<TDXInput>(environment.Video);
    DXInput1->ActiveOnly = true;
    DXInput1->Keyboard.Assigns = TKeyboard::FormAssigns();

    HttpClient1 = std::make_unique<THttpClient>();

    DXSound1 = std::make_unique<TDXSound>(environment.Audio, environment.Clock);
    DXWaveList1 = std::make_unique<TDXWaveList>();
    DXWaveList1->SetDXSound(DXSound1.get());
    SetMusicOutput(environment.Audio);

    // The end of loading the window's components.
    DXSound1->Loaded();
    DXInput1->Initialize();
    DXTimer1->Loaded();
    DXTimer2->Loaded();
}

TmainForm::~TmainForm() {
    // Timers first, so nothing fires while the rest goes; the sprites before
    // the images they draw, and both before the display they listen to.
    DXTimer1.reset();
    DXTimer2.reset();
    DXSpriteEngine1.reset();
    DXImageList1.reset();
    DXDraw.reset();
    DXWaveList1.reset();
    DXSound1.reset();
    HttpClient1.reset();
}

void TmainForm::FormCreate() {
    try {
        DXWaveList1->Items.LoadFromFile("sound\\gamesound.dxw");
    } catch (const std::exception& error) {
        // Without its effects the game is still playable: say so and go on.
        ShowMessage(error.what());
    }

    if (environment_.HasSeed) {
        RandSeed(environment_.RandomSeed);
    } else {
        RandSeed(static_cast<std::uint32_t>(
            std::chrono::steady_clock::now().time_since_epoch().count() ^
            std::chrono::system_clock::now().time_since_epoch().count()));
    }

    ReadSettings(environment_.StartConfig);
    ChangeMode();

    DXInput1->Keyboard.Assigns[isButton1][0] = VK_CONTROL;

    DXTimer2->SetEnabled(false);
    DXTimer1->SetEnabled(true);
    PauseState = 1;
    GameState = gsMenu;
    CreateMenuField();
}

void TmainForm::ReadSettings(const TConfigRecord* given) {
    if (given != nullptr) {
        ConfigRecord = *given;
    } else if (!ReadConfigFile(environment_.ConfigFile, ConfigRecord)) {
        ConfigRecord = DefaultConfig();
        SaveConfig();
    }
    // A damaged file may hold any byte in a flag; read it as a plain switch.
    ConfigRecord.Windowed = ConfigRecord.Windowed != 0 ? 1 : 0;
    ConfigRecord.MusicOn = ConfigRecord.MusicOn != 0 ? 1 : 0;
    ConfigRecord.SoundOn = ConfigRecord.SoundOn != 0 ? 1 : 0;
    UpdateBossKeyName();

    if (environment_.ForcedWindowed >= 0) {
        forcedMode_ = true;
        savedWindowed_ = ConfigRecord.Windowed;
        ConfigRecord.Windowed = static_cast<std::uint8_t>(environment_.ForcedWindowed);
    }
}

bool TmainForm::FormClose() {
    if (!CloseConfirmed) {
        if (GameState == gsGameOver) {
            return false;
        }
        // A dialog window is open already: it has to be answered first. Opening
        // the exit window over another dialog would overwrite the saved screen
        // and items, leaving a screen nobody can leave; over the end-of-game
        // dialogs it would not even be drawn, and its "ДА" would end the
        // program where the player meant to keep the new score.
        if (MenuScreen == msExitAsk || MenuScreen == msClearScoresAsk ||
            MenuScreen == msBossKeyPrompt ||
            (GameState >= gsEnterName && GameState <= gsSendFailed)) {
            return false;
        }
        SavedState = GameState;
        SavedScreen = MenuScreen;
        SavedSelected = Selected;
        MenuScreen = msExitAsk;
        Selected = 1;
        if (ClosingWindow != nullptr) {
            ClosingWindow->Visible = true;
        }
        if (GameState == gsPlaying || GameState == gsHeroDying || GameState == gsLevelBanner ||
            GameState == gsPaused) {
            ShowMouseCursor(true);
            GameState = gsExitAsk;
        } else if (GameState == gsMenu) {
            SavedItems = ScreenItems;
        }
        CreateExit();
        return false;
    }
    if (GameState == gsExitAsk) {
        MessageTimer = 1500;
        GameState = gsGameOver;
        CloseConfirmed = false;
        if (ClosingWindow != nullptr) {
            ClosingWindow->Visible = false;
        }
        DestroyMenu();
        PlayEffect("looser");
        return false;
    }
    return true;
}

void TmainForm::Close() {
    if (!closed_ && FormClose()) {
        closed_ = true;
    }
}

void TmainForm::ChangeMode() {
    const bool windowed = ConfigRecord.Windowed != 0;
    DXDraw->ChangeDisplayMode(windowed);
    platform::LogEvent(windowed ? "mode windowed" : "mode fullscreen");
    if (MenuScreen == msOptions) {
        ShowOptionSprites();
    }
}

void TmainForm::SetWindowed(bool windowed) {
    forcedMode_ = false;
    ConfigRecord.Windowed = windowed ? 1 : 0;
    ChangeMode();
}

TDirectDrawSurface* TmainForm::BackBuffer() {
    return DXDraw ? DXDraw->Surface() : nullptr;
}

void TmainForm::DXTimer1Timer(int LagCount) {
    if (!DXDraw->CanDraw()) {
        return;
    }
    DXInput1->Update();
    DXSpriteEngine1->Move(LagCount);
    DXSpriteEngine1->Dead();
    TDirectDrawSurface* surface = DXDraw->Surface();
    surface->Fill(0);
    DXSpriteEngine1->Draw();
    TCanvas& canvas = surface->Canvas();
    PrepareCanvas(canvas, LightBlue);
    DrawMenuOverlay(canvas);
    canvas.Release();
    DXDraw->Flip();
}

void TmainForm::DrawShellGameOverlays(TCanvas& canvas) {
    if (GameState == gsExitAsk) {
        DrawExitQuestion(canvas, Selected == 1);
    } else if (GameState == gsPaused) {
        DrawText(canvas, 320, 280, Ru("ПАУЗА"), 38, clRed);
    }
}

void TmainForm::DrawDialogOverlays(TCanvas& canvas) {
    DrawOnlineOverlays(canvas);
    DrawShellGameOverlays(canvas);
}

void TmainForm::ForgetSceneSprites() {
    ScreenItems = {};
    MainItems = {};
    SavedItems = {};
    MenuBackground = nullptr;
    ClosingWindow = nullptr;
    ForgetMenuSprites();
    ForgetFieldSprites();
}

void TmainForm::StartGame() {
    DXTimer1->SetEnabled(false);
    DXTimer2->SetEnabled(true);
    GameState = gsPlaying;
    // The game field clears the engine: no menu sprite outlives it.
    ForgetSceneSprites();
    CreateGameField();
}

void TmainForm::ReturnToMenus() {
    GameState = gsMenu;
    DXTimer2->SetEnabled(false);
    SpriteRoot().Clear();
    ForgetSceneSprites();
    CreateMenuField();
    DXTimer1->SetEnabled(true);
}

void TmainForm::ScoreDialogAction() {
    if (MenuScreen == msEnterName) {
        EnterNameAction();
    } else if (MenuScreen == msSendAsk) {
        SendAskAction();
    }
}

THttpClient& TmainForm::HttpClient() {
    if (!HttpClient1) {
        HttpClient1 = std::make_unique<THttpClient>();
    }
    return *HttpClient1;
}

void TmainForm::KeepWindowAlive() {
    // What the player does meanwhile is dropped, as the dialog takes no input
    // while it sends; only a released key is noted, so that the next press is
    // not left latched.
    if (environment_.Video != nullptr) {
        std::vector<platform::Event> dropped;
        environment_.Video->PollEvents(dropped);
        for (const platform::Event& event : dropped) {
            if (event.type == platform::Event::Type::KeyUp) {
                KeyLatch = false;
            }
        }
    }
    if (DXDraw->CanDraw()) {
        DXDraw->Flip();
    }
}

void TmainForm::DXTimer1Activate() {
    if (GameState == gsMenu && ConfigRecord.MusicOn != 0) {
        LoadAndPlaySong("sound\\1.xm");
    }
}

void TmainForm::DXTimer1Deactivate() {
    StopSong();
}

void TmainForm::DXTimer2Activate() {
    if (GameState == gsPlaying) {
        ShowMouseCursor(false);
        SetCursorPos(400, 300);
    }
    if (GameState != gsMenu && ConfigRecord.MusicOn != 0) {
        LoadAndPlaySong("sound\\2.xm");
    }
}

void TmainForm::DXTimer2Deactivate() {
    StopSong();
    if (GameState == gsPlaying || GameState == gsHeroDying || GameState == gsLevelBanner ||
        GameState == gsGameOver) {
        ShowMouseCursor(true);
        PauseState = GameState;
        GameState = gsPaused;
    }
}

bool TmainForm::WMGetSysCommand(int command) {
    if (command != 61488) {
        return false;
    }
    SetWindowed(false);
    SaveConfig();
    return true;
}

void TmainForm::FullscreenLeftByHost() {
    if (ConfigRecord.Windowed == 0) {
        SetWindowed(true);
        SaveConfig();
    }
}

bool TmainForm::CptClk(int hitTest) {
    if (hitTest != 2) {
        return false;
    }
    SetWindowed(false);
    return true;
}

void TmainForm::UpdateBossKeyName() {
    BossKeyName = BossKeyNameOf(ConfigRecord.BossKey, BossKeyName);
}

void TmainForm::SaveConfig() {
    ++saves_;
    TConfigRecord record = ConfigRecord;
    if (forcedMode_) {
        record.Windowed = savedWindowed_; // the command line's mode is not kept
    }
    std::string error;
    if (KeepConfigFile) {
        platform::LogEvent(std::string("save ") + ConfigFileName);
        return;
    }
    const bool folderReady =
        !environment_.PrepareConfigFolder || environment_.PrepareConfigFolder(error);
    if (folderReady && WriteConfigFile(environment_.ConfigFile, record, error) &&
        platform::KeepSettings(error)) {
        platform::LogEvent(std::string("save ") + ConfigFileName);
        return;
    }
    // The game goes on with its settings in memory; saying so once is enough.
    if (!saveFailureShown_) {
        saveFailureShown_ = true;
        ShowMessage(Ru("Не могу сохранить настройки!"));
    }
}

void TmainForm::PlayEffect(const char* name) {
    if (ConfigRecord.SoundOn == 0 || !DXWaveList1) {
        return;
    }
    if (TWaveCollectionItem* item = DXWaveList1->Items.Find(name)) {
        item->PlayEffect(false);
    } else if (missingEffects_.insert(name).second) {
        // A modded sound archive without this effect: the game carries on
        // silently, but the modder learns which name is missing.
        std::cerr << "brinehold: no sound effect \"" << name << "\" in the sound archive\n";
    }
}

void TmainForm::LoadAndPlaySong(const char* path) {
    SongHandle = SongLoadFromFile(path);
    if (SongHandle != 0) {
        savesAtSongLoad_ = saves_;
        SongPlay(SongHandle);
    } else {
        ShowMessage(Ru("Не могу загрузить музыку!"));
        ConfigRecord.MusicOn = 0;
    }
}

void TmainForm::CheckLateSongFailures() {
    bool failed = false;
    bool savedSince = false;
    // Only the tune that should be sounding now counts: one replaced since
    // its load has nothing left to fail, and the one that replaced it is
    // reported on its own.
    while (const std::uint32_t song = TakeFailedSongLoad()) {
        if (song != SongHandle) {
            continue;
        }
        failed = true;
        savedSince = saves_ != savesAtSongLoad_;
        SongHandle = 0;
    }
    if (!failed) {
        return;
    }
    ShowMessage(Ru("Не могу загрузить музыку!"));
    ConfigRecord.MusicOn = 0;
    if (MenuScreen == msOptions) {
        ShowOptionSprites();
    }
    // The options' switch saves right after its load; the file must not
    // keep music on where a failure at once would have saved it off.
    if (savedSince) {
        SaveConfig();
    }
}

void TmainForm::StopSong() {
    SongStop(SongHandle);
}

void TmainForm::ShowMessage(std::string_view text) {
    platform::LogEvent("messagebox " + platform::Cp1251ToUtf8(text));
    if (environment_.Desktop != nullptr) {
        environment_.Desktop->MessageBox(text);
    }
}

void TmainForm::OpenWithDesktop(const std::string& target) {
    // Logged as the game names it ("fscommand\\wgame.exe"); the desktop gets
    // the file as it is found on this system.
    platform::LogEvent("open " + target);
    if (environment_.Desktop != nullptr) {
        const bool isUrl = target.find("://") != std::string::npos;
        environment_.Desktop->Open(isUrl ? target : ResolveGamePath(target));
    }
}

void TmainForm::ShowMouseCursor(bool Show) {
    platform::LogEvent(Show ? "cursor show" : "cursor hide");
    if (environment_.Video != nullptr) {
        environment_.Video->ShowCursor(Show);
    }
}

void TmainForm::SetCursorPos(int x, int y) {
    platform::LogEvent("cursor move " + std::to_string(x) + " " + std::to_string(y));
    if (environment_.Video != nullptr) {
        environment_.Video->SetCursorPos(x, y);
    }
}

void TmainForm::Minimize() {
    platform::LogEvent("minimize");
    if (environment_.Video != nullptr) {
        environment_.Video->Minimize();
    }
}
