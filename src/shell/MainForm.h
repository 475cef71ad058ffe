// The main window: it owns every component and all shell state, runs the menu
// frame and the state machine, and receives the window's key, pointer and
// activation events. The game (TGamePlay), the menus (TMenuSystem) and the
// online dialogs (TOnlineScores) are parts of this one object; each was made
// with a reference to the services this window implements
// (common/FormServices.h) and reaches the rest of the window only through them.
//
// Where things live, so that no name is declared twice:
// - TFormState (common/FormServices.h): the shell fields (GameState,
//   MenuScreen, Selected, ..., MessageTimer, ConfigRecord, NewEntry,
//   SongHandle, the item slots, the scene's background and dialog window, the
//   pointer impulses and buttons);
// - here: the components, the services (PlayEffect, LoadAndPlaySong,
//   ShowMessage, ShowMouseCursor, SetCursorPos, SaveConfig, ReturnToMenus...);
// - TMenuSystem (menus/MenuSystem.h): the menu sprites, the item geometry, the
//   menu operations and the texts over the menus;
// - TGamePlay (game/GamePlay.h): the game-state variables (Level, Score, Lives,
//   AirLeft, ...), the game sprites' handles and the game operations;
// - TOnlineScores (online/OnlineScores.h): the submission and screens 8 and 9.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "assets/DXSounds.h"
#include "common/Config.h"
#include "common/FormServices.h"
#include "common/Random.h"
#include "common/Vocabulary.h"
#include "engine/DXClass.h"
#include "engine/DXDraws.h"
#include "engine/DXInput.h"
#include "engine/DXSprite.h"
#include "game/GamePlay.h"
#include "menus/MenuSystem.h"
#include "online/OnlineScores.h"
#include "platform/Audio.h"
#include "platform/Platform.h"

class THttpClient;

// The machine the form runs on; all owned by the program entry and alive for
// the whole run. `Headless` runs log desktop actions instead of doing them.
struct TFormEnvironment {
    TApplication* Application = nullptr; // the idle slot and activation
    platform::IVideo* Video = nullptr;
    platform::IAudio* Audio = nullptr;
    platform::IClock* Clock = nullptr;
    platform::IFontRasterizer* Fonts = nullptr;
    platform::IDesktop* Desktop = nullptr;
    bool Headless = false;
    std::uint32_t RandomSeed = 0; // used when HasSeed, else the clock seeds
    bool HasSeed = false;
    // --windowed / --fullscreen: overrides Windowed for this run, not saved.
    int ForcedWindowed = -1; // -1 none, 0 full screen, 1 windowed
    // Where config.dat is kept, and what makes its folder before a save
    // (unset when the folder always exists).
    std::string ConfigFile = "config.dat";
    std::function<bool(std::string& error)> PrepareConfigFolder;
    // The settings a recording starts with, in place of config.dat.
    const TConfigRecord* StartConfig = nullptr;
};

class TmainForm : public TFormServices, public TGamePlay, public TMenuSystem, public TOnlineScores {
public:
    explicit TmainForm(const TFormEnvironment& environment);
    ~TmainForm() override;
    TmainForm(const TmainForm&) = delete;
    TmainForm& operator=(const TmainForm&) = delete;

    // Components (created by the constructor, alive for the whole run).
    std::unique_ptr<TDXDraw> DXDraw;
    std::unique_ptr<TDXSpriteEngine> DXSpriteEngine1;
    std::unique_ptr<TDXImageList> DXImageList1;
    std::unique_ptr<TDXTimer> DXTimer1; // menus: 16 ms, active only while the app is
    std::unique_ptr<TDXTimer> DXTimer2; // game: 16 ms, runs also while inactive
    std::unique_ptr<TDXInput> DXInput1;
    std::unique_ptr<THttpClient> HttpClient1;
    std::unique_ptr<TDXWaveList> DXWaveList1;
    std::unique_ptr<TDXSound> DXSound1;

    // While a recording plays, saves are logged but config.dat is not written.
    bool KeepConfigFile = false;

    // Start-up and the close protocol.
    void FormCreate();
    // ConfigRecord from `given`, or else from config.dat (the defaults, saved,
    // when it cannot be read), with the command line's mode over it.
    void ReadSettings(const TConfigRecord* given);
    // Every attempt to close the window comes here; returns true when the
    // window may close (the program then ends).
    bool FormClose();
    // A close request (close box, Escape, menu entry 6, "ДА"): runs FormClose
    // and, when it allows, marks the program to end after this event.
    void Close() override;
    bool Closed() const { return closed_; }

    void ChangeMode();
    // The player changes the mode (options, Alt+Enter, maximize, caption).
    void SetWindowed(bool windowed) override;
    void DXTimer1Timer(int LagCount);
    void DXTimer1Activate();
    void DXTimer1Deactivate();
    void DXTimer2Activate();
    void DXTimer2Deactivate();
    // The host left full screen by itself: the setting follows, as after Alt+Enter.
    void FullscreenLeftByHost();
    // System command (61488 maximize): returns true when handled here.
    bool WMGetSysCommand(int command);
    // Non-client double click (hit-test 2 is the caption).
    bool CptClk(int hitTest);

    // Window events.
    void FormKeyDown(std::uint16_t Key, TShiftKeys Shift);
    void FormKeyUp(std::uint16_t Key, TShiftKeys Shift);
    void FormKeyPress(char Key); // one code page 1251 character
    void DXDrawMouseMove(TShiftKeys Shift, int X, int Y);
    void DXDrawClick();
    void DXDrawMouseDown(TMouseButton Button, TShiftKeys Shift, int X, int Y);
    void DXDrawMouseUp(TMouseButton Button, TShiftKeys Shift, int X, int Y);

    // Settings file operations on ConfigRecord.
    void UpdateBossKeyName();
    // Saves the whole record through a temporary file (logged as "save").
    // A save that cannot be written shows one message box for the whole run;
    // the game goes on with the settings in memory.
    void SaveConfig() override;

    // The services of the parts (see common/FormServices.h).
    TDXDraw& Display() override { return *DXDraw; }
    TDirectDrawSurface* BackBuffer() override;
    TDXSpriteEngine& SpriteEngine() override { return *DXSpriteEngine1; }
    TSpriteEngine& SpriteRoot() override { return DXSpriteEngine1->Engine(); }
    TPictureCollection& Images() override { return DXImageList1->Items; }
    TDXInput& Input() override { return *DXInput1; }
    THttpClient& HttpClient() override;
    void PlayEffect(const char* name) override;
    void LoadAndPlaySong(const char* path) override;
    void StopSong() override; // SongStop(SongHandle)
    // The tune that should be sounding, found unreadable by the output only
    // after its load had returned (it reads modules in the background),
    // fails now as the load would have: the message, music off, and the
    // record saved again if it was saved meanwhile. Called at the start of
    // every tick.
    void CheckLateSongFailures();
    void OpenWithDesktop(const std::string& target) override;
    void ShowMouseCursor(bool Show) override;
    void SetCursorPos(int x, int y) override;
    void KeepWindowAlive() override;
    void StartGame() override;
    void ReturnToMenus() override;
    void CreateExit() override { TMenuSystem::CreateExit(); }
    void SelectItem() override { TMenuSystem::SelectItem(); }
    void MenuAction() override { TMenuSystem::MenuAction(); }
    std::uint16_t GameScore() const override { return Score; }
    void ScoreDialogAction() override;
    void OpenScorePage() override { TOnlineScores::OpenScorePage(); }
    void DrawDialogOverlays(TCanvas& canvas) override;

    void ShowMessage(std::string_view text); // modal; code page 1251
    void Minimize();

    const TFormEnvironment& Environment() const { return environment_; }

private:
    // The exit window over a game (gsExitAsk) and "ПАУЗА" (gsPaused). Does
    // nothing in other states.
    void DrawShellGameOverlays(TCanvas& canvas);
    // Forgets every handle into the sprite tree, which is being emptied.
    void ForgetSceneSprites();
    bool InMenuState() const;
    bool InGameState() const;
    TShortString10* EditedField();

    TFormEnvironment environment_;
    bool closed_ = false;
    bool saveFailureShown_ = false;
    std::uint32_t saves_ = 0;                           // SaveConfig calls so far
    std::uint32_t savesAtSongLoad_ = 0;                 // saves_ when SongHandle was loaded
    std::set<std::string, std::less<>> missingEffects_; // reported once each
    // --windowed / --fullscreen: while set, saves write the mode the file had.
    bool forcedMode_ = false;
    std::uint8_t savedWindowed_ = 1;
};
