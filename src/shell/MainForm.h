// The main window: it owns every component and all shell state, runs the menu
// frame and the state machine, and receives the window's key, pointer and
// activation events. The game (TGamePlay), the menus (TMenuSystem) and the
// online dialogs (TOnlineScores) are parts of this one object; their code
// reaches the rest of it through the global `mainForm`.
//
// Where things live, so that no name is declared twice:
// - here: the shell fields (GameState, MenuScreen, Selected, ..., MessageTimer,
//   ConfigRecord, NewEntry, SongHandle, the item slots), the pointer impulses
//   and buttons, the components, and the helpers every part uses (PlayEffect,
//   LoadAndPlaySong, ShowMessage, ShowMouseCursor, SetCursorPos, SaveConfig...);
// - TMenuSystem (menus/MenuSystem.h): the menu sprites, MenuBackground and
//   ClosingWindow (the game scene replaces both with its own), the item
//   geometry and the menu operations;
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
#include "engine/DXClass.h"
#include "engine/DXDraws.h"
#include "engine/DXInput.h"
#include "engine/DXSprite.h"
#include "game/GamePlay.h"
#include "menus/MenuSystem.h"
#include "online/OnlineScores.h"
#include "platform/Audio.h"
#include "platform/Platform.h"
#include "shell/Config.h"
#include "shell/Random.h"

class THttpClient;

// GameState values.
constexpr std::uint8_t gsMenu = 1;
constexpr std::uint8_t gsPlaying = 2;
constexpr std::uint8_t gsExitAsk = 3;
constexpr std::uint8_t gsHeroDying = 4;
constexpr std::uint8_t gsLevelBanner = 5;
constexpr std::uint8_t gsGameOver = 6;
constexpr std::uint8_t gsPaused = 7;
constexpr std::uint8_t gsEnterName = 8;
constexpr std::uint8_t gsSendAsk = 9;
constexpr std::uint8_t gsSending = 10;
constexpr std::uint8_t gsSendFailed = 11;
constexpr std::uint8_t gsNextLevel = 12;

// Virtual-key codes the shell tests.
constexpr std::uint16_t VK_BACK = 8;
constexpr std::uint16_t VK_RETURN = 13;
constexpr std::uint16_t VK_SHIFT = 16;
constexpr std::uint16_t VK_CONTROL = 17;
constexpr std::uint16_t VK_MENU = 18; // Alt
constexpr std::uint16_t VK_ESCAPE = 27;
constexpr std::uint16_t VK_LEFT = 37;
constexpr std::uint16_t VK_UP = 38;
constexpr std::uint16_t VK_RIGHT = 39;
constexpr std::uint16_t VK_DOWN = 40;

// The modifier keys held with a key or pointer event.
struct TShiftKeys {
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
};

enum class TMouseButton { mbLeft, mbRight };

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

class TmainForm : public TGamePlay, public TMenuSystem, public TOnlineScores {
public:
    explicit TmainForm(const TFormEnvironment& environment);
    ~TmainForm();
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

    // Shell state.
    std::uint8_t GameState = gsMenu;
    std::uint8_t MenuScreen = 1;
    std::uint8_t Selected = 1; // 1-based item of MenuScreen
    std::uint8_t MainSelected = 0;
    bool MainHover = false;
    bool Hover = false;
    std::uint8_t SavedState = 0;
    std::uint8_t SavedScreen = 0;
    std::uint8_t SavedSelected = 1; // the covered screen's selection while the exit window is open
    std::uint8_t PauseState = 1;
    bool EditMode = false;
    bool KeyLatch = false;
    bool CloseConfirmed = false;
    std::uint8_t HelpPage = 1;
    std::int32_t MessageTimer = 0; // ms; the game tick subtracts 16
    std::uint8_t BlinkCounter = 0;
    std::string BossKeyName; // code page 1251
    std::uint32_t SongHandle = 0;
    // Item sprites of the current screen, of the main menu, and saved while a
    // dialog covers a screen. Indexed 1..6 (slot 0 unused); a slot may be null.
    std::array<TSprite*, 7> ScreenItems{};
    std::array<TSprite*, 7> MainItems{};
    std::array<TSprite*, 7> SavedItems{};
    TConfigRecord ConfigRecord; // plain in memory
    // While a recording plays, saves are logged but config.dat is not written.
    bool KeepConfigFile = false;
    TScoreEntry NewEntry; // the name typed after a game, kept for the next

    // Pointer input for the hero: impulses (half the pointer's distance from
    // the centre, 8 bits) and the buttons held in play.
    std::uint8_t MouseLeft = 0;
    std::uint8_t MouseRight = 0;
    std::uint8_t MouseUp = 0;
    std::uint8_t MouseDown = 0;
    bool LeftButton = false;
    bool RightButton = false;

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
    void Close();
    bool Closed() const { return closed_; }

    void ChangeMode();
    // The player changes the mode (options, Alt+Enter, maximize, caption).
    void SetWindowed(bool windowed);
    void DXTimer1Timer(int LagCount);
    void DXTimer1Activate();
    void DXTimer1Deactivate();
    void DXTimer2Activate();
    void DXTimer2Deactivate();
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
    void ScrambleConfig();
    void ResetScoreTable();
    int ScoreRank(); // against the running game's Score
    void InsertNewScore();
    void UpdateBossKeyName();
    // Saves the whole record through a temporary file (logged as "save").
    // A save that cannot be written shows one message box for the whole run;
    // the game goes on with the settings in memory.
    void SaveConfig();

    // Helpers for every part of the form.
    // Plays DXWaveList1's effect `name` once when sound is on.
    void PlayEffect(const char* name);
    // Loads `path` into SongHandle and plays it; on failure shows "Не могу
    // загрузить музыку!" and switches music off (not saved).
    void LoadAndPlaySong(const char* path);
    void StopSong();                                 // SongStop(SongHandle)
    void ShowMessage(std::string_view text);         // modal; code page 1251
    void OpenWithDesktop(const std::string& target); // a file or a URL
    void ShowMouseCursor(bool Show);
    void SetCursorPos(int x, int y); // in client pixels
    void Minimize();

    // The back buffer (with its Canvas) of the display, or null.
    TDirectDrawSurface* BackBuffer();
    // Step 9 of the game tick for the shell's states: the exit window over a
    // game (gsExitAsk) and "ПАУЗА" (gsPaused). Does nothing in other states.
    void DrawShellGameOverlays(TCanvas& canvas);
    // Draws `text` (code page 1251) at (x, y) in Arial of `size` and `color`.
    static void DrawText(TCanvas& canvas, int x, int y, std::string_view text, int size,
                         TColor color);
    // Sets the canvas up as both frame loops do: clear brush, plain font,
    // solid pen, Arial 16 in `color`.
    static void PrepareCanvas(TCanvas& canvas, TColor color);

    const TFormEnvironment& Environment() const { return environment_; }

private:
    void DrawMenuOverlay(TCanvas& canvas);
    void DrawAnswers(TCanvas& canvas, int y);
    bool InMenuState() const;
    bool InGameState() const;
    TShortString10* EditedField();

    TFormEnvironment environment_;
    bool closed_ = false;
    bool saveFailureShown_ = false;
    std::set<std::string, std::less<>> missingEffects_; // reported once each
    // --windowed / --fullscreen: while set, saves write the mode the file had.
    bool forcedMode_ = false;
    std::uint8_t savedWindowed_ = 1;
};

extern TmainForm* mainForm;

// The menu text colour; highlighted answers are clRed.
constexpr TColor LightBlue = RGBColor(153, 204, 255);
