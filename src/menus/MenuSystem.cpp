#include "menus/MenuSystem.h"

#include <filesystem>

#include "assets/Paths.h"
#include "menus/MenuSprites.h"
#include "shell/MainForm.h"

namespace {

TmainForm& Form() {
    return *mainForm;
}
TSpriteEngine& Root() {
    return Form().DXSpriteEngine1->Engine();
}
TPictureCollection& Pictures() {
    return Form().DXImageList1->Items;
}

// An image sprite of the menu scene, sized to its picture.
template <class TSpriteClass>
TSpriteClass* NewSprite(TPictureCollectionItem* image, int x, int y, int z, bool visible) {
    auto* sprite = new TSpriteClass(&Root());
    sprite->PixelCheck = false;
    sprite->Image = image;
    sprite->Width = image->Width();
    sprite->Height = image->Height();
    sprite->X = x;
    sprite->Y = y;
    sprite->SetZ(z);
    sprite->Visible = visible;
    return sprite;
}

template <class TSpriteClass> void Kill(TSpriteClass*& sprite) {
    if (sprite != nullptr) {
        sprite->Dead();
        sprite = nullptr;
    }
}

// Screens 8 and 9 belong to the online scores; their actions are its own.
template <class TForm> void RunOnlineAction(TForm& form) {
    if constexpr (requires { form.OnlineMenuAction(); }) {
        RunOnlineAction(form);
    }
}

void ShowIf(TSprite* sprite, bool visible) {
    if (sprite != nullptr) {
        sprite->Visible = visible;
    }
}

} // namespace

THelpImageSprite::THelpImageSprite(TSprite* AParent) : TImageSprite(AParent) {
    PixelCheck = false;
    Image = Pictures().Items(24);
    Width = Image->Width();
    Height = Image->Height();
    X = 45;
    Y = 187;
    SetZ(2);
    Visible = true;
}

TMenuSystem::TMenuSystem() {
    ItemCount = {0, 6, 5, 2, 2, 2, 2, 0, 4, 2};
    const std::uint16_t mainY[] = {177, 221, 265, 309, 353, 397};
    for (int i = 1; i <= 6; ++i) {
        ItemX[1][i] = 489;
        ItemY[1][i] = mainY[i - 1];
    }
    struct Rect {
        int screen, item, x, y, w, h;
    };
    // Widths and heights of 0 come from the item's picture.
    const Rect table[] = {
        {2, 1, 174, 210, 300, 40}, {2, 2, 148, 258, 130, 40}, {2, 3, 156, 306, 130, 40},
        {2, 4, 258, 360, 215, 30}, {2, 5, 195, 410, 130, 30}, {2, 6, 318, 504, 0, 0},
        {3, 1, 31, 490, 0, 0},     {3, 2, 211, 490, 0, 0},    {3, 3, 318, 504, 0, 0},
        {4, 1, 31, 489, 0, 0},     {4, 2, 390, 489, 0, 0},    {4, 3, 318, 504, 0, 0},
        {5, 1, 360, 320, 40, 18},  {5, 2, 415, 320, 30, 18},  {6, 1, 360, 340, 40, 18},
        {6, 2, 415, 340, 30, 18},  {8, 1, 360, 350, 40, 18},  {8, 2, 415, 350, 30, 18},
        {8, 3, 330, 260, 200, 18}, {8, 4, 350, 320, 200, 18}, {9, 1, 360, 320, 40, 18},
        {9, 2, 415, 320, 30, 18},
    };
    for (const Rect& r : table) {
        ItemX[r.screen][r.item] = static_cast<std::uint16_t>(r.x);
        ItemY[r.screen][r.item] = static_cast<std::uint16_t>(r.y);
        ItemW[r.screen][r.item] = static_cast<std::uint16_t>(r.w);
        ItemH[r.screen][r.item] = static_cast<std::uint16_t>(r.h);
    }
}

bool TMenuSystem::ItemHit(int screen, int item, int x, int y) const {
    if (screen < 1 || screen > 9 || item < 1 || item > 6) {
        return false;
    }
    const int left = ItemX[screen][item];
    const int top = ItemY[screen][item];
    return left <= x && x <= left + ItemW[screen][item] && top <= y &&
           y <= top + ItemH[screen][item];
}

void TMenuSystem::CreateMenuField() {
    TmainForm& form = Form();
    // The engine was cleared before this: forget every sprite of the last scene.
    form.ScreenItems = {};
    form.MainItems = {};
    form.SavedItems = {};
    SubBackground = nullptr;
    HelpImage = nullptr;
    WindowSprite = FullSprite = MusOnSprite = MusOffSprite = SoundOnSprite = SoundOffSprite =
        nullptr;

    Pictures().LoadFromFile("data\\menu.dxg");
    form.MainHover = false;

    TPictureCollectionItem* background = Pictures().Items(0);
    MenuBackground = new TMenuBackground(&Root());
    MenuBackground->SetMapSize(1, 1);
    MenuBackground->Image = background;
    MenuBackground->Width = background->Width();
    MenuBackground->Height = background->Height();
    MenuBackground->SetZ(0);
    MenuBackground->Visible = true;

    ClosingWindow = NewSprite<TClosingWindow>(Pictures().Find("console"), 188, 160, 5, false);

    form.MenuScreen = 1;
    form.Selected = 1;
    CreateMainMenu();

    if (form.GameState == gsMenu && form.ConfigRecord.MusicOn != 0) {
        form.LoadAndPlaySong("sound\\1.xm");
    }
}

void TMenuSystem::CreateMainMenu() {
    TmainForm& form = Form();
    for (int i = 1; i <= 6; ++i) {
        auto* item = NewSprite<TMenuItem>(Pictures().Items(i), ItemX[1][i], ItemY[1][i], 1,
                                          i == form.Selected);
        ItemW[1][i] = static_cast<std::uint16_t>(item->Width);
        ItemH[1][i] = static_cast<std::uint16_t>(item->Height);
        form.ScreenItems[i] = item;
    }
    form.MainItems = form.ScreenItems;
}

void TMenuSystem::CreateSubMenu(const char* name) {
    SubBackground = NewSprite<TSubBackground>(Pictures().Find(name), 31, 175, 1, true);
}

void TMenuSystem::DestroyMenu() {
    TmainForm& form = Form();
    if (form.MenuScreen == 1 && form.GameState == gsMenu) {
        for (int i = 1; i <= ItemCount[1]; ++i) {
            form.ScreenItems[i] = nullptr;
        }
        return;
    }
    for (int i = 1; i <= 6; ++i) {
        Kill(form.ScreenItems[i]);
    }
    form.ScreenItems = form.MainItems;
}

void TMenuSystem::CreateExit() {
    Form().ScreenItems = {};
}

void TMenuSystem::SelectItem() {
    TmainForm& form = Form();
    if (form.MenuScreen == 2 && form.Selected != 4) {
        form.EditMode = false;
    }
    if (form.GameState == gsEnterName) {
        if (form.Selected == 1 || form.Selected == 2) {
            form.EditMode = false;
        } else if (form.Selected == 3 || form.Selected == 4) {
            form.EditMode = true;
        }
    }
    if (form.MainHover) {
        for (int i = 1; i <= 6; ++i) {
            ShowIf(form.MainItems[i], false);
        }
        if (form.MainSelected >= 1 && form.MainSelected <= 6) {
            ShowIf(form.MainItems[form.MainSelected], true);
        }
    } else {
        const int count = form.MenuScreen <= 9 ? ItemCount[form.MenuScreen] : 0;
        for (int i = 1; i <= count; ++i) {
            ShowIf(form.ScreenItems[i], false);
        }
        if (form.Selected >= 1 && form.Selected <= 6) {
            ShowIf(form.ScreenItems[form.Selected], true);
        }
    }
    form.PlayEffect("menu");
}

void TMenuSystem::OpenSubScreen(const char* background) {
    TmainForm& form = Form();
    DestroyMenu();
    form.MenuScreen = form.Selected;
    form.MainSelected = form.Selected;
    form.Selected = 1;
    CreateSubMenu(background);
}

void TMenuSystem::BackToMainMenu() {
    TmainForm& form = Form();
    Kill(SubBackground);
    DestroyMenu();
    form.MenuScreen = 1;
    form.Selected = form.MainSelected;
    form.ScreenItems = form.MainItems;
}

void TMenuSystem::MenuAction() {
    TmainForm& form = Form();
    if (form.MainHover) {
        // A click on a main-menu entry while a sub-screen, the exit window or
        // the clear-scores question is open: close them through their back
        // actions first. A dialog is answered "НЕТ", so a stray click never
        // clears the table; the screen under it is closed too, so that the
        // click always lands on the main menu and opens the entry clicked.
        bool closed = false;
        while (form.MenuScreen >= 2 && form.MenuScreen <= 6) {
            form.MainHover = false;
            form.Selected = form.MenuScreen == 2                           ? 6
                            : form.MenuScreen == 5 || form.MenuScreen == 6 ? 2
                                                                           : 3;
            const std::uint8_t clicked = form.MainSelected;
            MenuAction();
            form.MainSelected = clicked;
            form.Selected = clicked;
            closed = true;
            if (form.GameState != gsMenu) {
                return; // the exit window was over a game
            }
        }
        if (closed && form.MenuScreen != 1) {
            return;
        }
    }
    form.PlayEffect("menu");
    switch (form.MenuScreen) {
    case 1:
        switch (form.Selected) {
        case 1:
            form.DXTimer1->SetEnabled(false);
            form.DXTimer2->SetEnabled(true);
            form.GameState = gsPlaying;
            // The game field clears the engine: no menu sprite outlives it.
            form.ScreenItems = {};
            form.MainItems = {};
            form.SavedItems = {};
            MenuBackground = nullptr;
            ClosingWindow = nullptr;
            SubBackground = nullptr;
            HelpImage = nullptr;
            form.CreateGameField();
            break;
        case 2:
            CreateOptions();
            break;
        case 3:
            CreateScores();
            break;
        case 4:
            CreateHelp();
            break;
        case 5: {
            const std::string path = ResolveGamePath("moregames.url");
            if (std::filesystem::is_regular_file(path)) {
                form.OpenWithDesktop("moregames.url");
            }
            break;
        }
        case 6:
            form.MainSelected = 6;
            form.Close();
            break;
        default:
            break;
        }
        break;
    case 2:
        OptionsAction();
        break;
    case 3:
        ScoresAction();
        break;
    case 4:
        HelpAction();
        break;
    case 5:
        ExitAction();
        break;
    case 6:
        ClearConfirmAction();
        break;
    case 8:
        form.EnterNameAction();
        break;
    case 9:
        form.SendAskAction();
        break;
    default:
        break;
    }
}

void TMenuSystem::ShowOptionSprites() {
    const TConfigRecord& config = Form().ConfigRecord;
    ShowIf(WindowSprite, config.Windowed != 0);
    ShowIf(FullSprite, config.Windowed == 0);
    ShowIf(MusOnSprite, config.MusicOn != 0);
    ShowIf(MusOffSprite, config.MusicOn == 0);
    ShowIf(SoundOnSprite, config.SoundOn != 0);
    ShowIf(SoundOffSprite, config.SoundOn == 0);
}

void TMenuSystem::CreateOptions() {
    TmainForm& form = Form();
    OpenSubScreen("optionsback");
    WindowSprite = NewSprite<TMenuItem>(Pictures().Find("window"), 176, 215, 2, false);
    FullSprite = NewSprite<TMenuItem>(Pictures().Find("full"), 305, 215, 2, false);
    MusOnSprite = NewSprite<TMenuItem>(Pictures().Find("muson"), 155, 264, 2, false);
    MusOffSprite = NewSprite<TMenuItem>(Pictures().Find("musoff"), 213, 264, 2, false);
    SoundOnSprite = NewSprite<TMenuItem>(Pictures().Find("soundon"), 164, 311, 2, false);
    SoundOffSprite = NewSprite<TMenuItem>(Pictures().Find("soundoff"), 221, 311, 2, false);
    auto* back =
        NewSprite<TMenuItem>(Pictures().Find("backactive"), ItemX[2][6], ItemY[2][6], 2, false);
    ItemW[2][6] = static_cast<std::uint16_t>(back->Width);
    ItemH[2][6] = static_cast<std::uint16_t>(back->Height);
    form.ScreenItems[6] = back;
    ShowOptionSprites();
}

void TMenuSystem::OptionsAction() {
    TmainForm& form = Form();
    TConfigRecord& config = form.ConfigRecord;
    switch (form.Selected) {
    case 1:
        form.SetWindowed(config.Windowed == 0);
        form.SaveConfig();
        break;
    case 2:
        config.MusicOn = config.MusicOn != 0 ? 0 : 1;
        if (config.MusicOn != 0) {
            form.LoadAndPlaySong("Sound\\1.xm");
        } else {
            form.StopSong();
        }
        ShowOptionSprites();
        form.SaveConfig();
        break;
    case 3:
        config.SoundOn = config.SoundOn != 0 ? 0 : 1;
        ShowOptionSprites();
        form.SaveConfig();
        break;
    case 4:
        form.EditMode = !form.EditMode;
        break;
    case 5:
        form.SavedScreen = 2;
        form.MenuScreen = 7;
        ShowIf(ClosingWindow, true);
        break;
    case 6:
        form.SaveConfig();
        Kill(SubBackground);
        DestroyMenu();
        Kill(WindowSprite);
        Kill(FullSprite);
        Kill(MusOnSprite);
        Kill(MusOffSprite);
        Kill(SoundOnSprite);
        Kill(SoundOffSprite);
        form.MenuScreen = 1;
        form.Selected = form.MainSelected;
        form.ScreenItems = form.MainItems;
        break;
    default:
        break;
    }
}

void TMenuSystem::CreateScores() {
    TmainForm& form = Form();
    OpenSubScreen("scoreback");
    const char* names[] = {"clearscore", "viewscore", "backactive"};
    for (int i = 1; i <= 3; ++i) {
        auto* item = NewSprite<TMenuItem>(Pictures().Find(names[i - 1]), ItemX[3][i], ItemY[3][i],
                                          2, i == 1);
        ItemW[3][i] = static_cast<std::uint16_t>(item->Width);
        ItemH[3][i] = static_cast<std::uint16_t>(item->Height);
        form.ScreenItems[i] = item;
    }
}

void TMenuSystem::ScoresAction() {
    TmainForm& form = Form();
    switch (form.Selected) {
    case 1:
        form.SavedScreen = 3;
        form.MenuScreen = 6;
        form.Selected = 1;
        ShowIf(ClosingWindow, true);
        form.SavedItems = form.ScreenItems;
        CreateExit();
        break;
    case 2:
        form.OpenScorePage();
        break;
    case 3:
        BackToMainMenu();
        break;
    default:
        break;
    }
}

void TMenuSystem::ClearConfirmAction() {
    TmainForm& form = Form();
    if (form.Selected != 1 && form.Selected != 2) {
        return;
    }
    DestroyMenu();
    form.ScreenItems = form.SavedItems;
    if (form.Selected == 1) {
        form.ResetScoreTable();
        form.SaveConfig();
    }
    form.MenuScreen = form.SavedScreen;
    ShowIf(ClosingWindow, false);
}

void TMenuSystem::CreateHelp() {
    TmainForm& form = Form();
    OpenSubScreen("helpback");
    HelpImage = new THelpImageSprite(&Root());
    const char* names[] = {"prev", "next", "backactive"};
    for (int i = 1; i <= 3; ++i) {
        auto* item = NewSprite<TMenuItem>(Pictures().Find(names[i - 1]), ItemX[4][i], ItemY[4][i],
                                          2, i == 1);
        ItemW[4][i] = static_cast<std::uint16_t>(item->Width);
        ItemH[4][i] = static_cast<std::uint16_t>(item->Height);
        form.ScreenItems[i] = item;
    }
}

void TMenuSystem::ShowHelpPage() {
    if (HelpImage == nullptr) {
        return;
    }
    TPictureCollectionItem* page = Pictures().Items(Form().HelpPage + 23);
    HelpImage->Image = page;
    HelpImage->Width = page->Width();
    HelpImage->Height = page->Height();
}

void TMenuSystem::HelpAction() {
    TmainForm& form = Form();
    switch (form.Selected) {
    case 1:
        if (form.HelpPage > 1) {
            --form.HelpPage;
        }
        ShowHelpPage();
        break;
    case 2:
        if (form.HelpPage < 7) {
            ++form.HelpPage;
        }
        ShowHelpPage();
        break;
    case 3:
        form.HelpPage = 1;
        Kill(HelpImage);
        BackToMainMenu();
        break;
    default:
        break;
    }
}

void TMenuSystem::ExitAction() {
    TmainForm& form = Form();
    switch (form.Selected) {
    case 1:
        form.CloseConfirmed = true;
        form.MenuScreen = form.SavedScreen;
        form.Close();
        break;
    case 2:
        DestroyMenu();
        if (form.GameState == gsMenu) {
            form.ScreenItems = form.SavedItems;
        } else {
            form.GameState = form.SavedState;
        }
        form.MenuScreen = form.SavedScreen;
        // The covered screen's own selection: MainSelected may name a main-menu
        // entry (or none yet) that the covered screen does not have.
        form.Selected = form.SavedSelected;
        ShowIf(ClosingWindow, false);
        if (form.GameState == gsPlaying) {
            form.ShowMouseCursor(false);
        }
        break;
    default:
        break;
    }
}
