#include "shell/Playback.h"

#include "shell/MainForm.h"

void ReturnToMenu(TmainForm& form) {
    form.StopSong();
    form.DXTimer2->SetEnabled(false);
    form.DXTimer1->SetEnabled(false);

    // The recording's settings were never written; the player's are on disk.
    form.KeepConfigFile = false;
    const std::uint8_t shownWindowed = form.ConfigRecord.Windowed;
    form.ReadSettings(nullptr);
    if (form.ConfigRecord.Windowed != shownWindowed) {
        form.ChangeMode();
    }

    form.DXInput1->Keyboard.ClearKeys();
    form.LeftButton = form.RightButton = false;
    form.MouseLeft = form.MouseRight = form.MouseUp = form.MouseDown = 0;
    form.EditMode = false;
    form.KeyLatch = false;
    form.CloseConfirmed = false;
    form.MessageTimer = 0;
    form.PauseState = 1;
    form.ShowMouseCursor(true);

    form.DXSpriteEngine1->Engine().Clear();
    form.HeroSprite = nullptr;
    form.HandEngine = nullptr;
    form.SupergunIndicator = nullptr;
    form.NetIndicator = nullptr;
    form.EngineIndicator = nullptr;
    form.MenuBackground = nullptr;
    form.ClosingWindow = nullptr;
    form.GameState = gsMenu;
    form.CreateMenuField();
    form.DXTimer1->SetEnabled(true);
}
