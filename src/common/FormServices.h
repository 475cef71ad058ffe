// What the game, the menus and the online dialogs may ask of the main window.
// TmainForm (shell/MainForm.h) is the single owner of every component and of
// the shell state and implements this interface; the three parts hold a
// reference to it and never see the window itself, so they build and test
// without the shell (tests/common/FakeServices.h stands in for it).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/Config.h"
#include "common/Vocabulary.h"

class TCanvas;
class TClosingWindow;
class TDirectDrawSurface;
class TDXDraw;
class TDXInput;
class TDXSpriteEngine;
class THttpClient;
class TMenuBackground;
class TPictureCollection;
class TSprite;
class TSpriteEngine;

// The shell state every part reads and changes (shown whole in state dumps).
struct TFormState {
    std::uint8_t GameState = gsMenu;
    std::uint8_t MenuScreen = msMain;
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
    TScoreEntry NewEntry;       // the name typed after a game, kept for the next

    // The background and the dialog window of the scene on screen: the menus
    // and the game field each make their own (owned by the sprite engine).
    TMenuBackground* MenuBackground = nullptr;
    TClosingWindow* ClosingWindow = nullptr;

    // Pointer input for the hero: impulses (half the pointer's distance from
    // the centre, 8 bits) and the buttons held in play.
    std::uint8_t MouseLeft = 0;
    std::uint8_t MouseRight = 0;
    std::uint8_t MouseUp = 0;
    std::uint8_t MouseDown = 0;
    bool LeftButton = false;
    bool RightButton = false;
};

class TFormServices : public TFormState {
public:
    TFormServices() = default;
    TFormServices(const TFormServices&) = delete;
    TFormServices& operator=(const TFormServices&) = delete;
    virtual ~TFormServices() = default;

    // The components.
    virtual TDXDraw& Display() = 0;
    // The display's back buffer (with its Canvas), or null.
    virtual TDirectDrawSurface* BackBuffer() = 0;
    virtual TDXSpriteEngine& SpriteEngine() = 0;
    // The root of the sprite tree.
    virtual TSpriteEngine& SpriteRoot() = 0;
    // The pictures of the archive loaded last (menus or game).
    virtual TPictureCollection& Images() = 0;
    virtual TDXInput& Input() = 0;
    virtual THttpClient& HttpClient() = 0;

    // Effects, music and the desktop.
    // Plays the effect `name` once when sound is on.
    virtual void PlayEffect(const char* name) = 0;
    // Loads `path` into SongHandle and plays it; on failure shows "Не могу
    // загрузить музыку!" and switches music off (not saved).
    virtual void LoadAndPlaySong(const char* path) = 0;
    virtual void StopSong() = 0;
    virtual void OpenWithDesktop(const std::string& target) = 0; // a file or a URL
    virtual void ShowMouseCursor(bool show) = 0;
    virtual void SetCursorPos(int x, int y) = 0; // in client pixels
    // While a request blocks the frame loop: drains the window's events
    // (noting released keys) and shows the last frame again.
    virtual void KeepWindowAlive() = 0;

    // Settings.
    // Saves ConfigRecord (logged as "save"); a failure is shown once a run.
    virtual void SaveConfig() = 0;
    virtual void SetWindowed(bool windowed) = 0;

    // State changes that cross the parts.
    // From the menus into a new game: the menu timer stops, the game timer
    // runs, every menu sprite handle is forgotten and the game field is built.
    virtual void StartGame() = 0;
    // From a game back to the main menu: the game timer stops, the sprite tree
    // is emptied with every handle into it, the menu scene is built and the
    // menu timer runs.
    virtual void ReturnToMenus() = 0;
    // A close request (see TmainForm::Close).
    virtual void Close() = 0;

    // The menus, for the game and the online dialogs.
    virtual void CreateExit() = 0;
    virtual void SelectItem() = 0;
    virtual void MenuAction() = 0;
    // The score of the game running or just ended, for the online dialogs.
    virtual std::uint16_t GameScore() const = 0;
    // The online dialogs, for the menus and the game.
    // MenuAction on screens 8 (name and country) and 9 (send the score?).
    virtual void ScoreDialogAction() = 0;
    virtual void OpenScorePage() = 0;
    // The dialog windows drawn over the game field in the states that show
    // one (exit window, pause, the end-of-game score dialogs).
    virtual void DrawDialogOverlays(TCanvas& canvas) = 0;
};
