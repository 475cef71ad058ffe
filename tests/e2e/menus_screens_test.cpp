// The menu screens driven through the headless game: options, scores, help,
// the exit window and the pointer on the main menu.
#include <gtest/gtest.h>

#include <sstream>

#include "e2e/Harness.h"

namespace {

using e2e::GameRun;

// A script built from key presses, each pressed and released within its tick.
class Keys {
public:
    Keys& Press(int tick, const std::string& key) {
        text_ << tick << " key down " << key << '\n' << tick << " key up " << key << '\n';
        return *this;
    }
    Keys& Line(const std::string& line) {
        text_ << line << '\n';
        return *this;
    }
    std::string Text() const { return text_.str(); }

private:
    std::ostringstream text_;
};

// The main menu's entry i (1..6) at a point inside its rectangle.
std::string ClickEntry(int tick, int entry) {
    return std::to_string(tick) + " click 495 " + std::to_string(177 + 44 * (entry - 1) + 6);
}

int CountClass(const nlohmann::json& state, const std::string& name) {
    int count = 0;
    for (const auto& sprite : state["sprites"]) {
        count += sprite["class"] == name ? 1 : 0;
    }
    return count;
}

TEST(MenusOptions, DownAndEnterOpenTheOptionsAndLeftTogglesSound) {
    GameRun run;
    run.Script(Keys()
                   .Press(2, "Down")
                   .Press(3, "Enter")
                   .Press(5, "Down")
                   .Press(5, "Down")
                   .Press(6, "Left")
                   .Text());
    run.DumpAt({3, 6});
    ASSERT_EQ(run.Run(6).exitCode, 0);
    const auto opened = run.State(3);
    EXPECT_EQ(opened["MenuScreen"], 2);
    EXPECT_EQ(opened["MainSelected"], 2);
    EXPECT_EQ(opened["Selected"], 1);
    EXPECT_EQ(CountClass(opened, "TSubBackground"), 1);
    const auto toggled = run.State(6);
    EXPECT_EQ(toggled["Selected"], 3);
    EXPECT_EQ(toggled["config"]["SoundOn"], 0);
    const std::string bytes = run.ReadFile("config.dat");
    ASSERT_EQ(bytes.size(), 158u);
    EXPECT_EQ(bytes[2], 1); // off, stored XOR 1
    EXPECT_TRUE(run.LogHas("6 save config.dat"));
    // The click sound plays before the switch goes off.
    EXPECT_TRUE(run.LogHas("6 sound menu"));
}

TEST(MenusOptions, MusicSwitchStopsAndRestartsTheMenuTune) {
    GameRun run;
    run.Script(Keys()
                   .Press(2, "Down")
                   .Press(2, "Enter")
                   .Press(3, "Down")
                   .Press(4, "Right")
                   .Press(5, "Right")
                   .Text());
    ASSERT_EQ(run.Run(5).exitCode, 0);
    EXPECT_EQ(run.LogEvents("music stop").size(), 1u);
    const auto loads = run.LogEvents("music load");
    ASSERT_EQ(loads.size(), 2u);
    EXPECT_EQ(loads[1].rfind("5 music load Sound\\1.xm ", 0), 0u) << loads[1];
    EXPECT_EQ(run.LogEvents("save").size(), 3u); // first start, off, on
}

TEST(MenusOptions, CountryTakesTenCharactersAndBackspace) {
    GameRun run;
    run.Script(Keys()
                   .Press(2, "Down")
                   .Press(2, "Enter") // options
                   .Press(3, "Up")
                   .Press(3, "Up")    // item 4, the country
                   .Press(4, "Enter") // start editing
                   .Line("5 type \xD0\xBC\xD0\xB8\xD1\x80 abcdef!?xyz")
                   .Line("6 key down Backspace")
                   .Line("6 key down Backspace") // held: repeats
                   .Line("6 key up Backspace")
                   .Line("7 type Q")
                   .Press(8, "Escape") // leaves, saving
                   .Text());
    run.DumpAt({5, 7, 8});
    ASSERT_EQ(run.Run(8).exitCode, 0);
    EXPECT_EQ(run.State(5)["EditMode"], true);
    EXPECT_EQ(run.State(5)["config"]["Country"], "мир abcdef");
    EXPECT_EQ(run.State(7)["config"]["Country"], "мир abcdQ");
    const auto left = run.State(8);
    EXPECT_EQ(left["MenuScreen"], 1);
    EXPECT_EQ(left["EditMode"], false);
    const std::string bytes = run.ReadFile("config.dat");
    ASSERT_EQ(bytes.size(), 158u);
    EXPECT_EQ(bytes[6], 9);
    EXPECT_EQ(static_cast<char>(~bytes[7]), '\xEC'); // "м" in code page 1251
}

TEST(MenusOptions, BossKeyPromptIgnoresModifiers) {
    GameRun run;
    run.Script(Keys()
                   .Press(2, "Down")
                   .Press(2, "Enter")
                   .Press(3, "Up") // item 5
                   .Press(4, "Enter")
                   .Press(5, "Shift")
                   .Press(6, "Ctrl")
                   .Press(7, "Alt")
                   .Press(8, "Enter")
                   .Press(9, "Escape") // consumed, still waiting
                   .Press(10, "K")
                   .Text());
    run.DumpAt({4, 9, 10});
    run.ScreenshotAt(4);
    ASSERT_EQ(run.Run(10).exitCode, 0);
    EXPECT_EQ(run.State(4)["MenuScreen"], 7);
    const auto waiting = run.State(9);
    EXPECT_EQ(waiting["MenuScreen"], 7);
    EXPECT_EQ(waiting["config"]["BossKey"], 123);
    const auto chosen = run.State(10);
    EXPECT_EQ(chosen["MenuScreen"], 2);
    EXPECT_EQ(chosen["config"]["BossKey"], 75);
    EXPECT_EQ(chosen["BossKeyName"], "K");
    // Not saved until the options screen is left.
    EXPECT_EQ(static_cast<unsigned char>(run.ReadFile("config.dat")[4]), 123);
}

TEST(MenusOptions, BossKeyWithoutANameKeepsTheOldName) {
    GameRun run;
    run.Script(Keys()
                   .Press(2, "Down")
                   .Press(2, "Enter")
                   .Press(3, "Up")
                   .Press(4, "Enter")
                   .Press(5, "Tab")
                   .Press(6, "Escape")
                   .Text());
    run.DumpAt(6);
    ASSERT_EQ(run.Run(6).exitCode, 0);
    const auto state = run.State(6);
    EXPECT_EQ(state["config"]["BossKey"], 9);
    EXPECT_EQ(state["BossKeyName"], "F12");
    EXPECT_EQ(run.ReadFile("config.dat")[4], 9);
}

TEST(MenusOptions, BossKeyOnTheMenuMinimizes) {
    GameRun run;
    run.Script(Keys().Press(2, "F12").Text());
    ASSERT_EQ(run.Run(2).exitCode, 0);
    EXPECT_TRUE(run.LogHas("2 minimize"));
    EXPECT_TRUE(run.LogEvents("music stop").empty());
}

TEST(MenusOptions, AltEnterSwitchesModeAndSaves) {
    GameRun run;
    run.Script("2 key down Alt\n2 key down Enter\n2 key up Enter\n2 key up Alt\n");
    run.DumpAt(2);
    ASSERT_EQ(run.Run(2).exitCode, 0);
    EXPECT_TRUE(run.LogHas("2 mode fullscreen"));
    EXPECT_TRUE(run.LogHas("2 save config.dat"));
    EXPECT_EQ(run.State(2)["config"]["Windowed"], 0);
    EXPECT_EQ(run.State(2)["MenuScreen"], 1); // Enter with Alt does not act
    EXPECT_EQ(run.ReadFile("config.dat")[0], 1);
}

TEST(MenusOptions, CommandLineModeIsNotSaved) {
    GameRun run;
    run.Script(Keys()
                   .Press(2, "Down")
                   .Press(2, "Enter")
                   .Press(3, "Down")
                   .Press(3, "Down")
                   .Press(4, "Left")
                   .Text());
    run.DumpAt(4);
    ASSERT_EQ(run.Run(4, {"--fullscreen"}).exitCode, 0);
    EXPECT_TRUE(run.LogHas("0 mode fullscreen"));
    EXPECT_EQ(run.State(4)["config"]["Windowed"], 0);
    EXPECT_EQ(run.ReadFile("config.dat")[0], 0); // windowed, as the file had it
}

TEST(MenusScores, ShowsTheTableAndClearsItAfterYes) {
    GameRun run;
    // A table with one changed entry, written as the game stores it.
    ASSERT_EQ(run.Run(1).exitCode, 0);
    std::string bytes = run.ReadFile("config.dat");
    bytes[0] = 1; // full screen, to see that clearing keeps it
    bytes[18] = 4;
    bytes[19] = static_cast<char>(~'A');
    bytes[20] = static_cast<char>(~'c');
    bytes[21] = static_cast<char>(~'e');
    bytes[22] = static_cast<char>(~'s');
    bytes[30] = static_cast<char>(~5000 & 0xFF);
    bytes[31] = static_cast<char>((~5000 >> 8) & 0xFF);
    run.WriteFile("config.dat", bytes);

    run.Script(Keys()
                   .Press(2, "Down")
                   .Press(2, "Down")
                   .Press(2, "Enter") // scores
                   .Press(4, "Enter") // clear?
                   .Press(6, "Enter") // ДА
                   .Text());
    run.DumpAt({2, 4, 6});
    run.ScreenshotAt(2);
    run.ScreenshotAt(4);
    ASSERT_EQ(run.Run(6).exitCode, 0);
    const auto shown = run.State(2);
    EXPECT_EQ(shown["MenuScreen"], 3);
    EXPECT_EQ(shown["config"]["Scores"][0]["Name"], "Aces");
    EXPECT_EQ(shown["config"]["Scores"][0]["Score"], 5000);
    const auto asking = run.State(4);
    EXPECT_EQ(asking["MenuScreen"], 6);
    EXPECT_EQ(asking["Selected"], 1);
    const auto cleared = run.State(6);
    EXPECT_EQ(cleared["MenuScreen"], 3);
    EXPECT_EQ(cleared["config"]["Scores"][0]["Name"], "Anonymous");
    EXPECT_EQ(cleared["config"]["Scores"][0]["Score"], 1000);
    EXPECT_EQ(cleared["config"]["Windowed"], 0);
    const std::string saved = run.ReadFile("config.dat");
    ASSERT_EQ(saved.size(), 158u);
    EXPECT_EQ(saved[0], 1);
    EXPECT_EQ(saved[18], 9);
}

TEST(MenusScores, NoKeepsTheTableAndArrowsSkipTheBackItem) {
    GameRun run;
    run.Script(Keys()
                   .Press(2, "Down")
                   .Press(2, "Down")
                   .Press(2, "Enter")
                   .Press(3, "Down")
                   .Press(4, "Down") // 1 -> 2 -> 1
                   .Press(5, "Enter")
                   .Press(6, "Escape")
                   .Text());
    run.DumpAt({3, 4, 6});
    ASSERT_EQ(run.Run(6).exitCode, 0);
    EXPECT_EQ(run.State(3)["Selected"], 2);
    EXPECT_EQ(run.State(4)["Selected"], 1);
    const auto back = run.State(6);
    EXPECT_EQ(back["MenuScreen"], 3);
    EXPECT_EQ(run.LogEvents("save").size(), 1u); // only the first start
}

TEST(MenusScores, ScorePageOpensInTheBrowser) {
    GameRun run;
    run.Script(Keys()
                   .Press(2, "Down")
                   .Press(2, "Down")
                   .Press(2, "Enter")
                   .Press(3, "Down")
                   .Press(4, "Enter")
                   .Text());
    ASSERT_EQ(run.Run(4, {"--score-server", "scores.example:8642"}).exitCode, 0);
    EXPECT_TRUE(
        run.LogHas("4 open http://scores.example:8642/cgi/version.pl?prg=Brinehold&show&type=0"));
}

TEST(MenusHelp, PagesTurnAndStopAtOneAndSeven) {
    GameRun run;
    Keys keys;
    keys.Press(2, "Down").Press(2, "Down").Press(2, "Down").Press(2, "Enter"); // help
    keys.Press(3, "Enter");                                                    // prev on 1
    keys.Press(4, "Right");                                                    // to next
    for (int t = 5; t < 13; ++t) {
        keys.Press(t, "Enter");
    }
    keys.Press(14, "Escape").Press(15, "Enter"); // back on entry 4
    run.Script(keys.Text());
    run.DumpAt({3, 5, 10, 12, 14, 15});
    ASSERT_EQ(run.Run(15).exitCode, 0);
    EXPECT_EQ(run.State(3)["HelpPage"], 1);
    EXPECT_EQ(run.State(5)["HelpPage"], 2);
    EXPECT_EQ(run.State(10)["HelpPage"], 7);
    EXPECT_EQ(run.State(12)["HelpPage"], 7);
    const auto left = run.State(14);
    EXPECT_EQ(left["MenuScreen"], 1);
    EXPECT_EQ(left["HelpPage"], 1);
    EXPECT_EQ(CountClass(left, "THelpImageSprite"), 0);
    // Reopened on page 1.
    auto helpImage = [](const nlohmann::json& state) {
        for (const auto& sprite : state["sprites"]) {
            if (sprite["class"] == "THelpImageSprite") {
                return sprite["image"];
            }
        }
        return nlohmann::json();
    };
    const auto again = run.State(15);
    EXPECT_EQ(again["MenuScreen"], 4);
    EXPECT_FALSE(helpImage(again).is_null());
    EXPECT_EQ(helpImage(again), helpImage(run.State(3)));
    EXPECT_NE(helpImage(run.State(10)), helpImage(run.State(3)));
}

TEST(MenusScores, AStrayClickOnTheClearQuestionKeepsTheTable) {
    GameRun run;
    ASSERT_EQ(run.Run(1).exitCode, 0);
    std::string bytes = run.ReadFile("config.dat");
    bytes[30] = static_cast<char>(~5000 & 0xFF); // the best score becomes 5000
    bytes[31] = static_cast<char>((~5000 >> 8) & 0xFF);
    run.WriteFile("config.dat", bytes);

    // "ДА" is highlighted when the question opens; a click on "ПОМОЩЬ" then
    // answers "НЕТ" and opens the help screen.
    run.Script(Keys()
                   .Press(2, "Down")
                   .Press(2, "Down")
                   .Press(2, "Enter") // scores
                   .Press(3, "Enter") // clear?
                   .Line("4 mouse move 495 315")
                   .Text() +
               ClickEntry(5, 4) + "\n");
    run.DumpAt({3, 4, 5});
    ASSERT_EQ(run.Run(5).exitCode, 0);
    EXPECT_EQ(run.State(3)["MenuScreen"], 6);
    EXPECT_EQ(run.State(3)["Selected"], 1);
    EXPECT_EQ(run.State(4)["MainHover"], true);
    const auto state = run.State(5);
    EXPECT_EQ(state["MenuScreen"], 4);
    EXPECT_EQ(state["Selected"], 1);
    EXPECT_EQ(state["config"]["Scores"][0]["Score"], 5000);
    EXPECT_EQ(state["sprites"][1]["Visible"], false); // the question's window is gone
    EXPECT_EQ(CountClass(state, "TSubBackground"), 1);
    EXPECT_TRUE(run.LogEvents("save").empty());
    EXPECT_EQ(run.ReadFile("config.dat"), bytes);
}

TEST(MenusExit, EnterAfterNoStartsTheGame) {
    GameRun run;
    // At start-up, over the help screen, and with the pointer resting on a
    // main-menu entry while the window opens: "НЕТ" gives back the covered
    // screen's own selection.
    run.Script(Keys()
                   .Press(2, "Escape")
                   .Press(3, "Escape") // НЕТ
                   .Press(4, "Down")
                   .Press(4, "Down")
                   .Press(4, "Down")
                   .Press(4, "Enter") // help
                   .Press(5, "Down")  // "next"
                   .Line("6 mouse move 495 403")
                   .Line("7 close")
                   .Press(8, "Escape") // НЕТ
                   .Text());
    run.DumpAt({3, 6, 8});
    ASSERT_EQ(run.Run(8).exitCode, 0);
    const auto back = run.State(3);
    EXPECT_EQ(back["MenuScreen"], 1);
    EXPECT_EQ(back["Selected"], 1);
    EXPECT_EQ(run.State(6)["MainSelected"], 6);
    const auto help = run.State(8);
    EXPECT_EQ(help["MenuScreen"], 4);
    EXPECT_EQ(help["Selected"], 2);

    GameRun start;
    start.Script(Keys().Press(2, "Escape").Press(3, "Escape").Press(4, "Enter").Text());
    start.DumpAt(4);
    ASSERT_EQ(start.Run(4).exitCode, 0);
    const auto started = start.State(4);
    EXPECT_EQ(started["GameState"], 5); // the first level's banner
    EXPECT_EQ(started["timer2"], true);
}

TEST(MenusExit, EscapeTwiceOpensAndClosesTheExitWindow) {
    GameRun run;
    run.Script(Keys().Press(2, "Escape").Press(3, "Escape").Text());
    run.DumpAt({2, 3});
    ASSERT_EQ(run.Run(3).exitCode, 0);
    const auto open = run.State(2);
    EXPECT_EQ(open["MenuScreen"], 5);
    EXPECT_EQ(open["Selected"], 1);
    EXPECT_EQ(open["SavedScreen"], 1);
    const auto closed = run.State(3);
    EXPECT_EQ(closed["MenuScreen"], 1);
    EXPECT_EQ(closed["GameState"], 1);
    EXPECT_EQ(closed["sprites"][1]["Visible"], false);
}

TEST(MenusExit, CloseRequestsWaitForAnOpenDialog) {
    GameRun run;
    run.Script(Keys()
                   .Press(2, "Down")
                   .Press(2, "Down")
                   .Press(2, "Enter") // scores
                   .Press(3, "Enter") // clear?
                   .Line("4 close")
                   .Press(5, "Escape") // НЕТ
                   .Line("6 close")
                   .Press(7, "Escape") // НЕТ on the exit window
                   .Press(8, "Escape") // back to the main menu
                   .Text());
    run.DumpAt({4, 5, 6, 8});
    ASSERT_EQ(run.Run(8).exitCode, 0);
    EXPECT_EQ(run.State(4)["MenuScreen"], 6);
    EXPECT_EQ(run.State(5)["MenuScreen"], 3);
    EXPECT_EQ(run.State(6)["MenuScreen"], 5);
    EXPECT_EQ(run.State(6)["SavedScreen"], 3);
    const auto back = run.State(8);
    EXPECT_EQ(back["MenuScreen"], 1);
    EXPECT_EQ(back["sprites"].size(), 8u);
}

TEST(MenusExit, EntrySixAndNoLeavesEntrySixSelected) {
    GameRun run;
    run.Script(Keys().Press(2, "Up").Press(3, "Enter").Press(4, "Right").Press(5, "Enter").Text());
    run.DumpAt({3, 5});
    ASSERT_EQ(run.Run(5).exitCode, 0);
    EXPECT_EQ(run.State(3)["MenuScreen"], 5);
    const auto back = run.State(5);
    EXPECT_EQ(back["MenuScreen"], 1);
    EXPECT_EQ(back["Selected"], 6);
}

TEST(MenusPointer, ClickOnAMainEntryClosesTheOpenScreenAndOpensIt) {
    GameRun run;
    run.Script(Keys().Press(2, "Down").Press(2, "Enter").Text() + // options
               "3 mouse move 495 271\n" + ClickEntry(4, 3) + "\n");
    run.DumpAt({3, 4});
    ASSERT_EQ(run.Run(4).exitCode, 0);
    const auto hovering = run.State(3);
    EXPECT_EQ(hovering["MainHover"], true);
    EXPECT_EQ(hovering["MainSelected"], 3);
    const auto opened = run.State(4);
    EXPECT_EQ(opened["MenuScreen"], 3);
    EXPECT_EQ(opened["MainSelected"], 3);
    EXPECT_TRUE(run.LogHas("4 save config.dat"));
    // No sprite of the options screen is left behind.
    EXPECT_EQ(CountClass(opened, "TSubBackground"), 1);
    EXPECT_EQ(CountClass(opened, "TMenuItem"), 6 + 3);
}

TEST(MenusPointer, ClickOnAMainEntryAnswersTheExitWindowWithNo) {
    GameRun run;
    run.Script(Keys().Press(2, "Escape").Text() + ClickEntry(3, 4) + "\n");
    run.DumpAt(3);
    ASSERT_EQ(run.Run(3).exitCode, 0);
    const auto state = run.State(3);
    EXPECT_EQ(state["MenuScreen"], 4);
    EXPECT_EQ(state["GameState"], 1);
    EXPECT_EQ(state["sprites"][1]["Visible"], false);
}

TEST(MenusPointer, ClickOnAMainEntryClosesAnExitWindowOverASubScreen) {
    GameRun run;
    run.Script(Keys().Press(2, "Down").Press(2, "Enter").Line("3 close").Text() + // options
               ClickEntry(4, 3) + "\n");
    run.DumpAt({3, 4});
    ASSERT_EQ(run.Run(4).exitCode, 0);
    EXPECT_EQ(run.State(3)["SavedScreen"], 2);
    const auto state = run.State(4);
    EXPECT_EQ(state["MenuScreen"], 3);
    EXPECT_EQ(state["config"]["SoundOn"], 1); // the click did not reach the options
    EXPECT_EQ(CountClass(state, "TMenuItem"), 6 + 3);
    EXPECT_TRUE(run.LogHas("4 save config.dat"));
}

TEST(MenusPointer, HoverSelectsAndClickActs) {
    GameRun run;
    run.Script("2 mouse move 495 229\n" + ClickEntry(3, 4) + "\n" + // help
               "4 mouse move 10 10\n5 click 10 10\n");
    run.DumpAt({2, 5});
    ASSERT_EQ(run.Run(5).exitCode, 0);
    EXPECT_EQ(run.State(2)["Selected"], 2);
    const auto state = run.State(5);
    EXPECT_EQ(state["MenuScreen"], 4); // a click beside every item does nothing
    EXPECT_EQ(state["Hover"], false);
}

TEST(MenusScreens, OpeningAndClosingLeavesNoSpriteBehind) {
    GameRun run;
    Keys keys;
    int t = 2;
    for (int round = 0; round < 3; ++round) {
        for (int entry = 2; entry <= 4; ++entry) {
            for (int i = 1; i < entry; ++i) {
                keys.Press(t, "Down");
            }
            keys.Press(t++, "Enter");
            keys.Press(t++, "Escape");
            for (int i = 1; i < entry; ++i) {
                keys.Press(t, "Up"); // back to entry 1
            }
            ++t;
        }
    }
    run.Script(keys.Text());
    run.DumpAt(t);
    ASSERT_EQ(run.Run(t).exitCode, 0);
    const auto state = run.State(t);
    EXPECT_EQ(state["MenuScreen"], 1);
    EXPECT_EQ(state["sprites"].size(), 8u);
}

} // namespace
