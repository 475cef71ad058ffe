// The menu scenes as part of the main window: the menu sprites, the item
// geometry of every screen, selection, the action dispatcher and the options,
// scores, help and exit screens. The sprite classes are in menus/MenuSprites.h.
#pragma once

#include <array>
#include <cstdint>

class TSprite;
class TMenuBackground;
class TSubBackground;
class TMenuItem;
class TClosingWindow;
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
    // The game scene sets MenuBackground and ClosingWindow to its own.
    TMenuBackground* MenuBackground = nullptr;
    TSubBackground* SubBackground = nullptr;
    TClosingWindow* ClosingWindow = nullptr;
    THelpImageSprite* HelpImage = nullptr;
    TMenuItem* WindowSprite = nullptr; // the six switch pictures of the options
    TMenuItem* FullSprite = nullptr;
    TMenuItem* MusOnSprite = nullptr;
    TMenuItem* MusOffSprite = nullptr;
    TMenuItem* SoundOnSprite = nullptr;
    TMenuItem* SoundOffSprite = nullptr;

    TMenuSystem();

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

private:
    void OpenSubScreen(const char* background);
    void BackToMainMenu();
    void OptionsAction();
    void ScoresAction();
    void HelpAction();
    void ExitAction();
    void ClearConfirmAction();
    void ShowHelpPage();
};
