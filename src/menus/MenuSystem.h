// The menu scenes as part of the main window: the menu sprites, the item
// geometry of every screen, selection, the action dispatcher and the options,
// scores, help and exit screens, and the texts drawn over them. The sprite
// classes are in menus/MenuSprites.h; the rest of the window is reached
// through the services the menus were made with.
#pragma once

#include <array>
#include <cstdint>

class TCanvas;
class TFormServices;
class TSprite;
class TSubBackground;
class TMenuItem;
class THelpImageSprite;

class TMenuSystem {
public:
    // Item rectangles by screen 1..9 and item 1..6 (index 0 unused); edges
    // included. Widths and heights marked "image" in the table are overwritten
    // with the picture's size when the item sprite is created.
    std::array<std::array<std::uint16_t, 7>, 10> ItemX{};
    std::array<std::array<std::uint16_t, 7>, 10> ItemY{};
    std::array<std::array<std::uint16_t, 7>, 10> ItemW{};
    std::array<std::array<std::uint16_t, 7>, 10> ItemH{};
    std::array<std::uint8_t, 10> ItemCount{};

    // Sprites of the scene (owned by the sprite engine; null when absent).
    // The background and the dialog window are in the shared state.
    TSubBackground* SubBackground = nullptr;
    THelpImageSprite* HelpImage = nullptr;
    TMenuItem* WindowSprite = nullptr; // the six switch pictures of the options
    TMenuItem* FullSprite = nullptr;
    TMenuItem* MusOnSprite = nullptr;
    TMenuItem* MusOffSprite = nullptr;
    TMenuItem* SoundOnSprite = nullptr;
    TMenuItem* SoundOffSprite = nullptr;

    explicit TMenuSystem(TFormServices& services);
    TMenuSystem(const TMenuSystem&) = delete;
    TMenuSystem& operator=(const TMenuSystem&) = delete;

    // Loads "data\menu.dxg" and builds the menu scene (screen 1); starts the
    // menu music in gsMenu when music is on.
    void CreateMenuField();
    void CreateMainMenu();
    void CreateSubMenu(const char* name);
    void DestroyMenu();
    // Empties ScreenItems for a dialog window; no sprite is destroyed.
    void CreateExit();
    void SelectItem();
    void MenuAction();
    void CreateOptions();
    void CreateScores();
    void CreateHelp();

    // The rectangle test of the pointer (edges included).
    bool ItemHit(int screen, int item, int x, int y) const;

    // Shows one picture of each options switch pair as the settings say.
    void ShowOptionSprites();
    // Forgets the handles above; the sprite tree is being emptied.
    void ForgetMenuSprites();

    // The texts over the menu scene: the options' country and boss key, the
    // score table and the dialog windows of screens 5 to 7.
    void DrawMenuOverlay(TCanvas& canvas);

private:
    void OpenSubScreen(const char* background);
    void BackToMainMenu();
    void OptionsAction();
    void ScoresAction();
    void HelpAction();
    void ExitAction();
    void ClearConfirmAction();
    void ShowHelpPage();

    TFormServices& services_;
};
