// A stand-in for the main window in tests of the game, the menus and the
// online dialogs: real engine components over the headless window, and a log
// of every service asked for ("effect herogun", "song sound\2.xm", "cursor
// move 400 300", "return to menus"...).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "common/FormServices.h"
#include "engine/DXDraw.h"
#include "engine/DXInput.h"
#include "engine/DXSprite.h"
#include "engine/ImageList.h"
#include "platform/Platform.h"

class TFakeServices : public TFormServices {
public:
    TFakeServices()
        : video_(platform::CreateHeadlessVideo()), draw_(video_.get()), input_(video_.get()) {
        sprites_.SetDXDraw(&draw_);
        images_.SetDXDraw(&draw_);
        draw_.ChangeDisplayMode(true);
        ConfigRecord = DefaultConfig();
    }

    // The game's pictures from the game folder the build made.
    void LoadGamePictures() {
        images_.Items.LoadFromFile(BRINEHOLD_GAME_DIR "/data/gamegraphic.dxg");
    }

    TDXDraw& Display() override { return draw_; }
    TDirectDrawSurface* BackBuffer() override { return draw_.Surface(); }
    TDXSpriteEngine& SpriteEngine() override { return sprites_; }
    TSpriteEngine& SpriteRoot() override { return sprites_.Engine(); }
    TPictureCollection& Images() override { return images_.Items; }
    TDXInput& Input() override { return input_; }
    THttpClient& HttpClient() override { throw std::logic_error("no HTTP in this test"); }

    void PlayEffect(const char* name) override { Note(std::string("effect ") + name); }
    void LoadAndPlaySong(const char* path) override { Note(std::string("song ") + path); }
    void StopSong() override { Note("song stop"); }
    void OpenWithDesktop(const std::string& target) override { Note("open " + target); }
    void ShowMouseCursor(bool show) override { Note(show ? "cursor show" : "cursor hide"); }
    void SetCursorPos(int x, int y) override {
        Note("cursor move " + std::to_string(x) + " " + std::to_string(y));
    }
    void KeepWindowAlive() override { Note("keep window alive"); }
    void SaveConfig() override { Note("save"); }
    void SetWindowed(bool windowed) override {
        ConfigRecord.Windowed = windowed ? 1 : 0;
        Note(windowed ? "mode windowed" : "mode fullscreen");
    }
    void StartGame() override { Note("start game"); }
    void ReturnToMenus() override {
        GameState = gsMenu;
        Note("return to menus");
    }
    void Close() override { Note("close"); }
    void CreateExit() override { ScreenItems = {}; }
    void SelectItem() override { Note("select item"); }
    void MenuAction() override { Note("menu action"); }
    std::uint16_t GameScore() const override { return score; }
    void ScoreDialogAction() override { Note("score dialog action"); }
    void OpenScorePage() override { Note("open score page"); }
    void DrawDialogOverlays(TCanvas&) override {}

    // Every service call in order.
    std::vector<std::string> log;
    std::uint16_t score = 0;

private:
    void Note(std::string line) { log.push_back(std::move(line)); }

    std::unique_ptr<platform::IVideo> video_;
    TDXDraw draw_;
    TDXImageList images_;
    TDXSpriteEngine sprites_; // before the pictures it draws
    TDXInput input_;
};
