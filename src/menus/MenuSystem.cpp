#include "menus/MenuSystem.h"

#include <filesystem>

#include "assets/Paths.h"
#include "common/Drawing.h"
#include "common/FormServices.h"
#include "common/TextCase.h"
#include "engine/ImageList.h"
#include "menus/MenuSprites.h"

namespace {

// An image sprite of the menu scene, sized to its picture.
template <class TSpriteClass>
TSpriteClass* NewSprite(TSpriteEngine& root, TPictureCollectionItem* image, int x, int y, int z,
                        bool visible) {
    auto* sprite = new TSpriteClass(&root);
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

void ShowIf(TSprite* sprite, bool visible) {
    if (sprite != nullptr) {
        sprite->Visible = visible;
    }
}

} // namespace

THelpImageSprite::THelpImageSprite(TSprite* AParent, TPictureCollection& pictures)
    : TImageSprite(AParent) {
    PixelCheck = false;
    Image = pictures.Items(24);
    Width = Image->Width();
    Height = Image->Height();
    X = 45;
    Y = 187;
    SetZ(2);
    Visible = true;
}

TMenuSystem::TMenuSystem(TFormServices& services) : services_(services) {
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
    TFormServices& form = services_;
    // The engine was cleared before this: forget every sprite of the last scene.
    form.ScreenItems = {};
    form.MainItems = {};
    form.SavedItems = {};
    SubBackground = nullptr;
    HelpImage = nullptr;
    WindowSprite = FullSprite = MusOnSprite = MusOffSprite = SoundOnSprite = SoundOffSprite =
        nullptr;

    services_.Images().LoadFromFile("data\\menu.dxg");
    form.MainHover = false;

    TPictureCollectionItem* background = services_.Images().Items(0);
    auto* menuBackground = new TMenuBackground(&services_.SpriteRoot());
    menuBackground->SetMapSize(1, 1);
    menuBackground->Image = background;
    menuBackground->Width = background->Width();
    menuBackground->Height = background->Height();
    menuBackground->SetZ(0);
    menuBackground->Visible = true;
    form.MenuBackground = menuBackground;

    form.ClosingWindow = NewSprite<TClosingWindow>(
        services_.SpriteRoot(), services_.Images().Find("console"), 188, 160, 5, false);

    form.MenuScreen = msMain;
    form.Selected = 1;
    CreateMainMenu();

    if (form.GameState == gsMenu && form.ConfigRecord.MusicOn != 0) {
        form.LoadAndPlaySong("sound\\1.xm");
    }
}

void TMenuSystem::CreateMainMenu() {
    TFormServices& form = services_;
    for (int i = 1; i <= 6; ++i) {
        auto* item = NewSprite<TMenuItem>(services_.SpriteRoot(), services_.Images().Items(i),
                                          ItemX[1][i], ItemY[1][i], 1, i == form.Selected);
        ItemW[1][i] = static_cast<std::uint16_t>(item->Width);
        ItemH[1][i] = static_cast<std::uint16_t>(item->Height);
        form.ScreenItems[i] = item;
    }
    form.MainItems = form.ScreenItems;
}

void TMenuSystem::CreateSubMenu(const char* name) {
    SubBackground = NewSprite<TSubBackground>(services_.SpriteRoot(), services_.Images().Find(name),
                                              31, 175, 1, true);
}

void TMenuSystem::DestroyMenu() {
    TFormServices& form = services_;
    if (form.MenuScreen == msMain && form.GameState == gsMenu) {
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
    services_.ScreenItems = {};
}

void TMenuSystem::SelectItem() {
    TFormServices& form = services_;
    if (form.MenuScreen == msOptions && form.Selected != 4) {
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
    TFormServices& form = services_;
    DestroyMenu();
    form.MenuScreen = form.Selected;
    form.MainSelected = form.Selected;
    form.Selected = 1;
    CreateSubMenu(background);
}

void TMenuSystem::BackToMainMenu() {
    TFormServices& form = services_;
    Kill(SubBackground);
    DestroyMenu();
    form.MenuScreen = msMain;
    form.Selected = form.MainSelected;
    form.ScreenItems = form.MainItems;
}

void TMenuSystem::MenuAction() {
    TFormServices& form = services_;
    if (form.MainHover) {
        // A click on a main-menu entry while a sub-screen, the exit window or
        // the clear-scores question is open: close them through their back
        // actions first. A dialog is answered "НЕТ", so a stray click never
        // clears the table; the screen under it is closed too, so that the
        // click always lands on the main menu and opens the entry clicked.
        bool closed = false;
        while (form.MenuScreen >= msOptions && form.MenuScreen <= msClearScoresAsk) {
            form.MainHover = false;
            form.Selected = form.MenuScreen == msOptions ? 6
                            : form.MenuScreen == msExitAsk || form.MenuScreen == msClearScoresAsk
                                ? 2
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
        if (closed && form.MenuScreen != msMain) {
            return;
        }
    }
    form.PlayEffect("menu");
    switch (form.MenuScreen) {
    case msMain:
        switch (form.Selected) {
        case 1:
            form.StartGame();
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
    case msOptions:
        OptionsAction();
        break;
    case msScores:
        ScoresAction();
        break;
    case msHelp:
        HelpAction();
        break;
    case msExitAsk:
        ExitAction();
        break;
    case msClearScoresAsk:
        ClearConfirmAction();
        break;
    case msEnterName:
    case msSendAsk:
        form.ScoreDialogAction();
        break;
    default:
        break;
    }
}

void TMenuSystem::ShowOptionSprites() {
    const TConfigRecord& config = services_.ConfigRecord;
    ShowIf(WindowSprite, config.Windowed != 0);
    ShowIf(FullSprite, config.Windowed == 0);
    ShowIf(MusOnSprite, config.MusicOn != 0);
    ShowIf(MusOffSprite, config.MusicOn == 0);
    ShowIf(SoundOnSprite, config.SoundOn != 0);
    ShowIf(SoundOffSprite, config.SoundOn == 0);
}

void TMenuSystem::CreateOptions() {
    TFormServices& form = services_;
    OpenSubScreen("optionsback");
    WindowSprite = NewSprite<TMenuItem>(services_.SpriteRoot(), services_.Images().Find("window"),
                                        176, 215, 2, false);
    FullSprite = NewSprite<TMenuItem>(services_.SpriteRoot(), services_.Images().Find("full"), 305,
                                      215, 2, false);
    MusOnSprite = NewSprite<TMenuItem>(services_.SpriteRoot(), services_.Images().Find("muson"),
                                       155, 264, 2, false);
    MusOffSprite = NewSprite<TMenuItem>(services_.SpriteRoot(), services_.Images().Find("musoff"),
                                        213, 264, 2, false);
    SoundOnSprite = NewSprite<TMenuItem>(services_.SpriteRoot(), services_.Images().Find("soundon"),
                                         164, 311, 2, false);
    SoundOffSprite = NewSprite<TMenuItem>(services_.SpriteRoot(),
                                          services_.Images().Find("soundoff"), 221, 311, 2, false);
    auto* back = NewSprite<TMenuItem>(services_.SpriteRoot(), services_.Images().Find("backactive"),
                                      ItemX[2][6], ItemY[2][6], 2, false);
    ItemW[2][6] = static_cast<std::uint16_t>(back->Width);
    ItemH[2][6] = static_cast<std::uint16_t>(back->Height);
    form.ScreenItems[6] = back;
    ShowOptionSprites();
}

void TMenuSystem::OptionsAction() {
    TFormServices& form = services_;
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
        form.SavedScreen = msOptions;
        form.MenuScreen = msBossKeyPrompt;
        ShowIf(form.ClosingWindow, true);
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
        form.MenuScreen = msMain;
        form.Selected = form.MainSelected;
        form.ScreenItems = form.MainItems;
        break;
    default:
        break;
    }
}

void TMenuSystem::CreateScores() {
    TFormServices& form = services_;
    OpenSubScreen("scoreback");
    const char* names[] = {"clearscore", "viewscore", "backactive"};
    for (int i = 1; i <= 3; ++i) {
        auto* item =
            NewSprite<TMenuItem>(services_.SpriteRoot(), services_.Images().Find(names[i - 1]),
                                 ItemX[3][i], ItemY[3][i], 2, i == 1);
        ItemW[3][i] = static_cast<std::uint16_t>(item->Width);
        ItemH[3][i] = static_cast<std::uint16_t>(item->Height);
        form.ScreenItems[i] = item;
    }
}

void TMenuSystem::ScoresAction() {
    TFormServices& form = services_;
    switch (form.Selected) {
    case 1:
        form.SavedScreen = msScores;
        form.MenuScreen = msClearScoresAsk;
        form.Selected = 1;
        ShowIf(form.ClosingWindow, true);
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
    TFormServices& form = services_;
    if (form.Selected != 1 && form.Selected != 2) {
        return;
    }
    DestroyMenu();
    form.ScreenItems = form.SavedItems;
    if (form.Selected == 1) {
        ResetScoreTable(form.ConfigRecord);
        form.SaveConfig();
    }
    form.MenuScreen = form.SavedScreen;
    ShowIf(form.ClosingWindow, false);
}

void TMenuSystem::CreateHelp() {
    TFormServices& form = services_;
    OpenSubScreen("helpback");
    HelpImage = new THelpImageSprite(&services_.SpriteRoot(), services_.Images());
    const char* names[] = {"prev", "next", "backactive"};
    for (int i = 1; i <= 3; ++i) {
        auto* item =
            NewSprite<TMenuItem>(services_.SpriteRoot(), services_.Images().Find(names[i - 1]),
                                 ItemX[4][i], ItemY[4][i], 2, i == 1);
        ItemW[4][i] = static_cast<std::uint16_t>(item->Width);
        ItemH[4][i] = static_cast<std::uint16_t>(item->Height);
        form.ScreenItems[i] = item;
    }
}

void TMenuSystem::ShowHelpPage() {
    if (HelpImage == nullptr) {
        return;
    }
    TPictureCollectionItem* page = services_.Images().Items(services_.HelpPage + 23);
    HelpImage->Image = page;
    HelpImage->Width = page->Width();
    HelpImage->Height = page->Height();
}

void TMenuSystem::HelpAction() {
    TFormServices& form = services_;
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
    TFormServices& form = services_;
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
        ShowIf(form.ClosingWindow, false);
        if (form.GameState == gsPlaying) {
            form.ShowMouseCursor(false);
        }
        break;
    default:
        break;
    }
}

void TMenuSystem::ForgetMenuSprites() {
    SubBackground = nullptr;
    HelpImage = nullptr;
    WindowSprite = FullSprite = MusOnSprite = MusOffSprite = SoundOnSprite = SoundOffSprite =
        nullptr;
}

void TMenuSystem::DrawMenuOverlay(TCanvas& canvas) {
    TFormServices& form = services_;
    const std::uint8_t selected = form.Selected;
    switch (form.MenuScreen) {
    case msOptions: {
        std::string country = " " + UpperCaseCp1251(form.ConfigRecord.Country.Text());
        if (form.EditMode) {
            ++form.BlinkCounter;
            if (form.BlinkCounter % 32 >= 16) {
                country += '|';
            }
        }
        DrawText(canvas, 258, 360, country, 16, LightBlue);
        DrawText(canvas, 195, 410, form.BossKeyName, 16, LightBlue);
        if (selected >= 1 && selected <= 5) {
            canvas.Pen.Color = LightBlue;
            canvas.Pen.Width = 2;
            canvas.Rectangle(ItemX[msOptions][selected], ItemY[msOptions][selected],
                             ItemX[msOptions][selected] + ItemW[msOptions][selected],
                             ItemY[msOptions][selected] + ItemH[msOptions][selected]);
        }
        break;
    }
    case msScores:
        for (int rank = 1; rank <= 10; ++rank) {
            const int y = 190 + 25 * rank;
            const TScoreEntry& entry = form.ConfigRecord.ScoreTable[rank - 1];
            DrawText(canvas, 60, y, std::to_string(rank), 16, LightBlue);
            DrawText(canvas, 130, y, entry.Name.Text(), 16, LightBlue);
            DrawText(canvas, 340, y, std::to_string(entry.Score), 16, LightBlue);
        }
        break;
    case msExitAsk:
        DrawExitQuestion(canvas, selected == 1);
        break;
    case msClearScoresAsk:
        DrawText(canvas, 200, 165, Ru("ОТЧИСТКА РЕКОРДОВ"), 16, LightBlue);
        DrawText(canvas, 270, 250, Ru("    ВЫ ДЕЙСТВИТЕЛЬНО"), 16, LightBlue);
        DrawText(canvas, 245, 290, Ru("ХОТИТЕ ОТЧИСТИТЬ РЕКОРДЫ?"), 16, LightBlue);
        DrawAnswers(canvas, 340, selected == 1);
        break;
    case msBossKeyPrompt:
        DrawText(canvas, 275, 250, Ru("   Нажмите нужную   "), 22, LightBlue);
        DrawText(canvas, 310, 280, Ru("     клавишу   "), 22, LightBlue);
        break;
    default:
        break;
    }
}
