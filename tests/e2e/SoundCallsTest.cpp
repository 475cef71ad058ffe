// The effect and music calls of the headless game, read from its side-effect
// log: which tune is loaded, played and stopped on start-up, on activation
// and deactivation, on the boss key and on the options' music switch; what a
// missing module does; and that effects sound only while sound is on and
// music only while music is on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/Harness.h"

namespace {

using e2e::GameRun;

std::string Press(int tick, const std::string& key) {
    std::ostringstream out;
    out << tick << " key down " << key << '\n' << tick << " key up " << key << '\n';
    return out.str();
}

// Held through the timer event of `tick`, released at the next tick.
std::string Hold(int tick, const std::string& key) {
    std::ostringstream out;
    out << tick << " key down " << key << '\n' << tick + 1 << " key up " << key << '\n';
    return out.str();
}

const std::string kOptions = Press(2, "Down") + Press(2, "Enter") + Press(3, "Down"); // item 2
const std::string kStartGame = Press(2, "Enter");
constexpr int kPlaying = 105; // the level banner of a game started at tick 2 is over

// The log lines that concern sound and music, and the two things music
// failures and the boss key leave behind.
bool IsAudioLine(const std::string& line) {
    const auto space = line.find(' ');
    if (space == std::string::npos) {
        return false;
    }
    const std::string event = line.substr(space + 1);
    for (const char* prefix : {"sound ", "music ", "messagebox ", "minimize"}) {
        if (event.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> AudioLines(const GameRun& run) {
    std::vector<std::string> lines;
    for (const auto& line : run.Log()) {
        if (IsAudioLine(line)) {
            lines.push_back(line);
        }
    }
    return lines;
}

// Matches the audio lines against `expected`, where a last field "$x" stands
// for a song handle that is not 0: the first "$x" binds it, later ones must
// see the same handle. Handles are the player's to number; which handle a
// stop is given is what matters.
void ExpectAudioLines(const std::vector<std::string>& actual,
                      const std::vector<std::string>& expected) {
    std::ostringstream all;
    for (const auto& line : actual) {
        all << "\n  " << line;
    }
    ASSERT_EQ(actual.size(), expected.size()) << "log:" << all.str();
    std::map<std::string, std::string> handles;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string& want = expected[i];
        const auto dollar = want.rfind(" $");
        if (dollar == std::string::npos) {
            EXPECT_EQ(actual[i], want) << "line " << i << ", log:" << all.str();
            continue;
        }
        const std::string head = want.substr(0, dollar + 1);
        ASSERT_EQ(actual[i].rfind(head, 0), 0u)
            << "line " << i << " should start with \"" << head << "\", log:" << all.str();
        const std::string handle = actual[i].substr(head.size());
        EXPECT_NE(std::atoi(handle.c_str()), 0) << actual[i];
        const auto [bound, fresh] = handles.emplace(want.substr(dollar + 1), handle);
        if (!fresh) {
            EXPECT_EQ(bound->second, handle) << "line " << i << ", log:" << all.str();
        }
    }
}

// The settings the next run starts with, written through a first run that
// creates the default file and then flipped (the flags are stored XOR 1).
void StartWith(GameRun& run, bool musicOn, bool soundOn) {
    if (musicOn && soundOn) {
        return;
    }
    ASSERT_EQ(run.Run(0).exitCode, 0);
    std::string bytes = run.ReadFile("config.dat");
    ASSERT_EQ(bytes.size(), 158u);
    bytes[1] = static_cast<char>(bytes[1] ^ (musicOn ? 0 : 1));
    bytes[2] = static_cast<char>(bytes[2] ^ (soundOn ? 0 : 1));
    run.WriteFile("config.dat", bytes);
}

// Replaces the linked sound folder by one that lacks the named files.
void RemoveFromSound(GameRun& run, const std::vector<std::string>& missing) {
    if (missing.empty()) {
        return;
    }
    const std::filesystem::path linked = std::filesystem::read_symlink(run.Dir() / "sound");
    std::filesystem::remove(run.Dir() / "sound");
    std::filesystem::create_directory(run.Dir() / "sound");
    for (const auto& entry : std::filesystem::directory_iterator(linked)) {
        const std::string name = entry.path().filename().string();
        if (std::find(missing.begin(), missing.end(), name) == missing.end()) {
            std::filesystem::create_symlink(entry.path(), run.Dir() / "sound" / name);
        }
    }
}

const std::string kNoMusic = "messagebox Не могу загрузить музыку!";

struct AudioCase {
    const char* name;
    bool musicOn;
    std::vector<std::string> missing; // files taken out of sound/
    std::string script;
    int ticks;
    std::vector<std::string> expected; // every audio line of the run, in order
    int musicOnAtEnd;                  // the setting in memory after the run
};

std::string At(int tick, const std::string& event) {
    return std::to_string(tick) + " " + event;
}

const std::vector<AudioCase> kCases = {
    {"StartUpPlaysTheMenuTune",
     true,
     {},
     "",
     2,
     {"0 music load sound\\1.xm $a", "0 music play $a"},
     1},
    {"StartUpWithMusicOffLoadsNothing", false, {}, "", 2, {}, 0},
    {"DeactivationStopsTwiceAndActivationRestartsTheMenuTune",
     true,
     {},
     "3 deactivate\n6 activate\n",
     6,
     {"0 music load sound\\1.xm $a", "0 music play $a", "3 music stop $a", "3 music stop $a",
      "6 music load sound\\1.xm $b", "6 music play $b"},
     1},
    {"WithMusicOffLeavingAndComingBackOnlyStopsNothing",
     false,
     {},
     "3 deactivate\n6 activate\n",
     6,
     {"3 music stop 0", "3 music stop 0"},
     0},
    {"AGameStartsTheGameTune",
     true,
     {},
     kStartGame,
     3,
     {"0 music load sound\\1.xm $a", "0 music play $a", "2 sound menu",
      "2 music load sound\\2.xm $b", "2 music play $b"},
     1},
    {"AGameWithMusicOffStartsNoTune", false, {}, kStartGame, 3, {"2 sound menu"}, 0},
    {"DeactivationInAGameStopsAndActivationRestartsTheGameTune",
     true,
     {},
     kStartGame + At(kPlaying, "deactivate\n") + At(kPlaying + 3, "activate\n"),
     kPlaying + 3,
     {"0 music load sound\\1.xm $a", "0 music play $a", "2 sound menu",
      "2 music load sound\\2.xm $b", "2 music play $b", At(kPlaying, "music stop $b"),
      At(kPlaying, "music stop $b"), At(kPlaying + 3, "music load sound\\2.xm $c"),
      At(kPlaying + 3, "music play $c")},
     1},
    {"TheOptionsSwitchStopsAndRestartsTheMenuTune",
     true,
     {},
     kOptions + Press(4, "Left") + Press(5, "Right"),
     5,
     {"0 music load sound\\1.xm $a", "0 music play $a", "2 sound menu", "2 sound menu",
      "3 sound menu", "4 sound menu", "4 music stop $a", "5 sound menu",
      "5 music load Sound\\1.xm $b", "5 music play $b"},
     1},
    // The click of the switch sounds before it goes off, not after it is on.
    {"TheOptionsSoundSwitchSilencesTheClicks",
     true,
     {},
     kOptions + Press(3, "Down") + Press(4, "Left") + Press(5, "Up") + Press(6, "Down") +
         Press(7, "Right") + Press(8, "Up"),
     8,
     {"0 music load sound\\1.xm $a", "0 music play $a", "2 sound menu", "2 sound menu",
      "3 sound menu", "3 sound menu", "4 sound menu", "8 sound menu"},
     1},
    {"TheBossKeyInAGameStopsTheTune",
     true,
     {},
     kStartGame + Press(kPlaying, "F12"),
     kPlaying,
     {"0 music load sound\\1.xm $a", "0 music play $a", "2 sound menu",
      "2 music load sound\\2.xm $b", "2 music play $b", At(kPlaying, "music stop $b"),
      At(kPlaying, "minimize")},
     1},
    {"TheBossKeyInAGameWithMusicOffStopsNothing",
     false,
     {},
     kStartGame + Press(kPlaying, "F12"),
     kPlaying,
     {"2 sound menu", At(kPlaying, "minimize")},
     0},
    {"TheBossKeyOnTheMenuOnlyMinimizes",
     true,
     {},
     Press(3, "F12"),
     3,
     {"0 music load sound\\1.xm $a", "0 music play $a", "3 minimize"},
     1},
    {"AMissingMenuTuneSwitchesMusicOffOnce",
     true,
     {"1.xm"},
     "3 deactivate\n6 activate\n",
     6,
     {"0 music load sound\\1.xm 0", "0 " + kNoMusic, "3 music stop 0", "3 music stop 0"},
     0},
    // The failed load replaces the handle, so the stops that follow name 0.
    {"AMissingGameTuneSwitchesMusicOffForTheRestOfTheRun",
     true,
     {"2.xm"},
     kStartGame + At(10, "deactivate\n") + At(13, "activate\n"),
     13,
     {"0 music load sound\\1.xm $a", "0 music play $a", "2 sound menu",
      "2 music load sound\\2.xm 0", "2 " + kNoMusic, "10 music stop 0", "10 music stop 0"},
     0},
    {"SwitchingMusicOnWithoutTheModuleFailsAndLeavesItOff",
     false,
     {"1.xm"},
     kOptions + Press(4, "Left"),
     4,
     {"2 sound menu", "2 sound menu", "3 sound menu", "4 sound menu", "4 music load Sound\\1.xm 0",
      "4 " + kNoMusic},
     0},
};

void PrintTo(const AudioCase& c, std::ostream* out) {
    *out << c.name;
}

class SoundCalls : public ::testing::TestWithParam<AudioCase> {};

TEST_P(SoundCalls, LogNamesEveryCall) {
    const AudioCase& c = GetParam();
    GameRun run;
    StartWith(run, c.musicOn, true);
    RemoveFromSound(run, c.missing);
    run.Script(c.script);
    run.DumpAt(c.ticks);
    const auto result = run.Run(c.ticks);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ExpectAudioLines(AudioLines(run), c.expected);
    EXPECT_EQ(run.State(c.ticks)["config"]["MusicOn"], c.musicOnAtEnd);
}

INSTANTIATE_TEST_SUITE_P(Headless, SoundCalls, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(SoundCalls, AFailedSwitchIsSavedAsOff) {
    GameRun run;
    StartWith(run, false, true);
    RemoveFromSound(run, {"1.xm"});
    run.Script(kOptions + Press(4, "Left"));
    ASSERT_EQ(run.Run(4).exitCode, 0);
    EXPECT_TRUE(run.LogHas("4 save config.dat"));
    EXPECT_EQ(run.ReadFile("config.dat")[1], 1); // off, stored XOR 1
}

// One script through the menus, a game with a shot, the exit window's "yes"
// and the way back to the menus, under every setting of the two switches.
TEST(SoundCalls, EffectsOnlyWithSoundAndMusicOnlyWithMusic) {
    const int quit = kPlaying + 10;
    const int back = quit + 1 + 93; // the game-over banner's 1500 ms
    const std::string script = Press(2, "Down") + Press(3, "Up") + Press(4, "Enter") +
                               Hold(kPlaying, "Space") + Press(quit, "Escape") +
                               Press(quit + 1, "Enter") + Press(back + 2, "Down");
    const std::vector<std::string> effects = {"2 sound menu",
                                              "3 sound menu",
                                              "4 sound menu",
                                              At(kPlaying, "sound herogun"),
                                              At(quit + 1, "sound menu"),
                                              At(quit + 1, "sound looser"),
                                              At(back + 2, "sound menu")};
    const std::vector<std::string> music = {
        "0 music load sound\\1.xm $a",         "0 music play $a",
        "4 music load sound\\2.xm $b",         "4 music play $b",
        At(back, "music load sound\\1.xm $c"), At(back, "music play $c")};
    for (const bool musicOn : {true, false}) {
        for (const bool soundOn : {true, false}) {
            SCOPED_TRACE(std::string("music ") + (musicOn ? "on" : "off") + ", sound " +
                         (soundOn ? "on" : "off"));
            GameRun run;
            StartWith(run, musicOn, soundOn);
            run.Script(script);
            run.DumpAt(back);
            const auto result = run.Run(back + 2);
            ASSERT_EQ(result.exitCode, 0) << result.err;
            EXPECT_EQ(run.State(back)["GameState"], 1);
            std::vector<std::string> sounds;
            std::vector<std::string> tunes;
            for (const auto& line : AudioLines(run)) {
                (line.find(" sound ") != std::string::npos ? sounds : tunes).push_back(line);
            }
            EXPECT_EQ(sounds, soundOn ? effects : std::vector<std::string>{});
            ExpectAudioLines(tunes, musicOn ? music : std::vector<std::string>{});
        }
    }
}

} // namespace

namespace {

// A sound archive without a single effect: each effect the game asks for is
// named once on standard error, and the game goes on.
TEST(SoundCalls, AMissingEffectIsNamedOnceOnStandardError) {
    GameRun run;
    RemoveFromSound(run, {"gamesound.dxw"});
    std::string empty = {'\xFF', '\x0A', '\x00', '\x00', '\x30', '\x10', 0, 0, 0, 0};
    empty += "TPF0";
    empty += static_cast<char>(24);
    empty += "TWaveCollectionComponent";
    empty += std::string("\x00\x04List\x0E\x00\x00\x00", 10);
    run.WriteFile("sound/gamesound.dxw", empty);
    run.Script(Press(2, "Down") + Press(3, "Down") + Press(4, "Up"));
    const auto result = run.Run(4);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string line = "brinehold: no sound effect \"menu\" in the sound archive\n";
    const auto first = result.err.find(line);
    ASSERT_NE(first, std::string::npos) << result.err;
    EXPECT_EQ(result.err.find(line, first + 1), std::string::npos) << result.err;
}

} // namespace
