// Keyboard and pointer handling of the main window.
#include "menus/MenuSprites.h"
#include "shell/MainForm.h"

bool TmainForm::InMenuState() const {
    return GameState == gsMenu || GameState == gsExitAsk || GameState == gsEnterName ||
           GameState == gsSendAsk;
}

bool TmainForm::InGameState() const {
    return GameState == gsPlaying || GameState == gsHeroDying || GameState == gsLevelBanner ||
           GameState == gsPaused;
}

TShortString10* TmainForm::EditedField() {
    if (MenuScreen == msOptions) {
        return &ConfigRecord.Country;
    }
    if (MenuScreen == msEnterName) {
        if (Selected == 3) {
            return &NewEntry.Name;
        }
        if (Selected == 4) {
            return &ConfigRecord.Country;
        }
    }
    return nullptr;
}

void TmainForm::FormKeyDown(std::uint16_t Key, TShiftKeys Shift) {
    if (EditMode && Key == VK_BACK) {
        if (TShortString10* field = EditedField()) {
            field->DeleteLast();
        }
    }
    if (KeyLatch) {
        return;
    }
    const int count = ItemCount[MenuScreen < ItemCount.size() ? MenuScreen : 0];
    auto up = [&] {
        MainHover = false;
        // A screen without items (the boss-key prompt) keeps its selection, so
        // it never leaves the range of the item slots.
        if (count > 0) {
            Selected = Selected <= 1 ? static_cast<std::uint8_t>(count)
                                     : static_cast<std::uint8_t>(Selected - 1);
        }
        SelectItem();
    };
    auto down = [&] {
        MainHover = false;
        if (count > 0) {
            Selected = Selected >= count ? 1 : static_cast<std::uint8_t>(Selected + 1);
        }
        SelectItem();
    };
    const bool arrowsMoveAnswers = MenuScreen == msScores || MenuScreen == msHelp ||
                                   MenuScreen == msExitAsk || MenuScreen == msClearScoresAsk ||
                                   MenuScreen == msEnterName || MenuScreen == msSendAsk;

    if (InMenuState()) {
        switch (Key) {
        case VK_RETURN:
            if (!Shift.Alt) {
                if (GameState == gsEnterName && Selected == 3 && EditMode) {
                    EditMode = false;
                    AcceptNewEntry();
                } else {
                    MenuAction();
                }
            }
            break;
        case VK_UP:
            up();
            break;
        case VK_DOWN:
            down();
            break;
        case VK_LEFT:
        case VK_RIGHT:
            if (MenuScreen == msOptions && Selected >= 1 && Selected <= 3) {
                MenuAction();
            } else if (arrowsMoveAnswers) {
                Key == VK_LEFT ? up() : down();
            }
            break;
        case VK_ESCAPE:
            MainHover = false;
            switch (MenuScreen) {
            case msMain:
                Close();
                break;
            case msOptions:
                Selected = 6;
                EditMode = false;
                MenuAction();
                break;
            case msScores:
            case msHelp:
                Selected = 3;
                MenuAction();
                break;
            case msExitAsk:
            case msClearScoresAsk:
                Selected = 2;
                MenuAction();
                break;
            default:
                break;
            }
            break;
        default:
            if (MenuScreen == msBossKeyPrompt) {
                if (Key != VK_SHIFT && Key != VK_CONTROL && Key != VK_MENU) {
                    ConfigRecord.BossKey = Key;
                    if (ClosingWindow != nullptr) {
                        ClosingWindow->Visible = false;
                    }
                    MenuScreen = SavedScreen;
                    UpdateBossKeyName();
                }
            } else if (Key == ConfigRecord.BossKey) {
                Minimize();
            }
            break;
        }
    } else if (InGameState()) {
        if (Key == VK_ESCAPE) {
            Close();
        } else if (Key == 'P') {
            if (GameState == gsPaused) {
                GameState = PauseState;
                if (GameState == gsPlaying) {
                    ShowMouseCursor(false);
                }
                SetCursorPos(400, 300);
            } else {
                ShowMouseCursor(true);
                PauseState = GameState;
                GameState = gsPaused;
            }
        } else if (Key == ConfigRecord.BossKey) {
            if (ConfigRecord.MusicOn != 0) {
                StopSong();
            }
            ShowMouseCursor(true);
            if (GameState != gsPaused) {
                PauseState = GameState;
            }
            GameState = gsPaused;
            Minimize();
        }
    }
    KeyLatch = true;
}

void TmainForm::FormKeyUp(std::uint16_t Key, TShiftKeys Shift) {
    KeyLatch = false;
    if (Key == VK_RETURN && Shift.Alt) {
        SetWindowed(ConfigRecord.Windowed == 0);
        SaveConfig();
    }
}

void TmainForm::FormKeyPress(char Key) {
    if (!EditMode) {
        return;
    }
    const auto c = static_cast<std::uint8_t>(Key);
    const bool accepted = c == ' ' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                          (c >= 'a' && c <= 'z') || c >= 192;
    if (!accepted) {
        return;
    }
    if (TShortString10* field = EditedField()) {
        field->Append(Key);
    }
}

void TmainForm::DXDrawMouseMove(TShiftKeys, int X, int Y) {
    if (GameState == gsPlaying) {
        const TDXInputStates& states = DXInput1->States;
        bool recentre = false;
        // The impulses are kept to 8 bits, as the hero reads them.
        if (X > 400 && !states.test(isRight)) {
            MouseLeft = 0;
            MouseRight = static_cast<std::uint8_t>((X - 400) / 2);
            recentre = true;
        }
        if (X < 400 && !states.test(isLeft)) {
            MouseLeft = static_cast<std::uint8_t>((400 - X) / 2);
            MouseRight = 0;
            recentre = true;
        }
        if (Y > 300 && !states.test(isDown)) {
            MouseUp = 0;
            MouseDown = static_cast<std::uint8_t>((Y - 300) / 2);
            recentre = true;
        }
        if (Y < 300 && !states.test(isUp)) {
            MouseUp = static_cast<std::uint8_t>((300 - Y) / 2);
            MouseDown = 0;
            recentre = true;
        }
        if (recentre) {
            SetCursorPos(400, 300);
        }
        return;
    }
    if (!InMenuState()) {
        return;
    }
    MainHover = false;
    Hover = false;
    const int count = MenuScreen < ItemCount.size() ? ItemCount[MenuScreen] : 0;
    for (int i = 1; i <= count; ++i) {
        if (ItemHit(MenuScreen, i, X, Y)) {
            if (i != Selected) {
                if (GameState == gsEnterName && (Selected == 3 || Selected == 4)) {
                    EditMode = false;
                }
                Selected = static_cast<std::uint8_t>(i);
                SelectItem();
            }
            Hover = true;
            return;
        }
    }
    if (GameState == gsMenu && MenuScreen != msMain) {
        for (int i = 1; i <= 6; ++i) {
            if (ItemHit(1, i, X, Y)) {
                MainHover = true;
                if (i != MainSelected) {
                    MainSelected = static_cast<std::uint8_t>(i);
                    SelectItem();
                }
                Hover = true;
                return;
            }
        }
    }
}

void TmainForm::DXDrawClick() {
    if (InMenuState() && Hover) {
        MenuAction();
    }
}

void TmainForm::DXDrawMouseDown(TMouseButton Button, TShiftKeys, int, int) {
    if (GameState != gsPlaying) {
        return;
    }
    (Button == TMouseButton::mbLeft ? LeftButton : RightButton) = true;
}

void TmainForm::DXDrawMouseUp(TMouseButton Button, TShiftKeys, int, int) {
    (Button == TMouseButton::mbLeft ? LeftButton : RightButton) = false;
}
