// The menu actions against a stand-in main window: what each entry asks of
// the window, and the screens they lead to.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/FakeServices.h"
#include "menus/MenuSprites.h"
#include "menus/MenuSystem.h"

namespace {

class MenuActionTest : public ::testing::Test {
protected:
    // The menu scene loads its archive from the game folder, as the game does.
    void SetUp() override {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(BRINEHOLD_GAME_DIR);
        menus.CreateMenuField();
        services.log.clear();
    }
    void TearDown() override { std::filesystem::current_path(previous); }

    bool Logged(const std::string& line) const {
        return std::find(services.log.begin(), services.log.end(), line) != services.log.end();
    }

    // Chooses `item` of the screen on show, as Enter does.
    void Choose(int item) {
        services.Selected = static_cast<std::uint8_t>(item);
        menus.MenuAction();
    }

    std::filesystem::path previous;
    TFakeServices services;
    TMenuSystem menus{services};
};

TEST_F(MenuActionTest, TheMenuSceneIsBuiltWithItsMusic) {
    TFakeServices fresh;
    TMenuSystem scene(fresh);
    scene.CreateMenuField();
    EXPECT_EQ(fresh.MenuScreen, msMain);
    EXPECT_NE(fresh.MenuBackground, nullptr);
    ASSERT_NE(fresh.ClosingWindow, nullptr);
    EXPECT_FALSE(fresh.ClosingWindow->Visible);
    for (int i = 1; i <= 6; ++i) {
        EXPECT_NE(fresh.MainItems[i], nullptr) << i;
    }
    EXPECT_EQ(fresh.log, std::vector<std::string>{"song sound\\1.xm"});
}

TEST_F(MenuActionTest, TheFirstEntryStartsAGame) {
    Choose(1);
    EXPECT_EQ(services.log, (std::vector<std::string>{"effect menu", "start game"}));
}

TEST_F(MenuActionTest, TheOptionsSwitchTheSettingsAndSaveThem) {
    Choose(2);
    ASSERT_EQ(services.MenuScreen, msOptions);
    ASSERT_NE(menus.SoundOnSprite, nullptr);
    EXPECT_TRUE(menus.SoundOnSprite->Visible);
    services.log.clear();

    Choose(3); // sound
    EXPECT_EQ(services.ConfigRecord.SoundOn, 0);
    EXPECT_FALSE(menus.SoundOnSprite->Visible);
    EXPECT_TRUE(menus.SoundOffSprite->Visible);
    EXPECT_TRUE(Logged("save"));

    services.log.clear();
    Choose(2); // music
    EXPECT_EQ(services.ConfigRecord.MusicOn, 0);
    EXPECT_TRUE(Logged("song stop"));
    Choose(2);
    EXPECT_EQ(services.ConfigRecord.MusicOn, 1);
    EXPECT_TRUE(Logged("song Sound\\1.xm"));

    Choose(1); // window mode
    EXPECT_EQ(services.ConfigRecord.Windowed, 0);
    EXPECT_TRUE(Logged("mode fullscreen"));

    Choose(6); // back
    EXPECT_EQ(services.MenuScreen, msMain);
    EXPECT_EQ(services.Selected, 2);
    EXPECT_EQ(menus.SoundOnSprite, nullptr);
}

TEST_F(MenuActionTest, TheScoreDialogsAreTheOnlineParts) {
    for (std::uint8_t screen : {msEnterName, msSendAsk}) {
        services.log.clear();
        services.MenuScreen = screen;
        Choose(1);
        EXPECT_EQ(services.log, (std::vector<std::string>{"effect menu", "score dialog action"}));
    }
    services.MenuScreen = msScores;
    services.log.clear();
    Choose(2);
    EXPECT_TRUE(Logged("open score page"));
}

TEST_F(MenuActionTest, TheExitWindowsYesClosesAndItsNoGoesBack) {
    services.SavedScreen = msMain;
    services.SavedItems = services.ScreenItems;
    services.CreateExit(); // the window takes no item sprites
    services.MenuScreen = msExitAsk;
    Choose(2);
    EXPECT_EQ(services.MenuScreen, msMain);
    EXPECT_FALSE(Logged("close"));

    services.MenuScreen = msExitAsk;
    Choose(1);
    EXPECT_TRUE(services.CloseConfirmed);
    EXPECT_TRUE(Logged("close"));
}

} // namespace
