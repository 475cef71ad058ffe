#include "shell/Script.h"

#include <gtest/gtest.h>

#include "shell/Recorder.h"

namespace {

using Kind = TScriptEvent::Kind;

TEST(Script, KeyNames) {
    const struct {
        const char* name;
        int code;
    } cases[] = {{"Enter", 13}, {"Escape", 27}, {"Space", 32}, {"Backspace", 8}, {"Tab", 9},
                 {"Shift", 16}, {"Ctrl", 17},   {"Alt", 18},   {"Up", 38},       {"Down", 40},
                 {"Left", 37},  {"Right", 39},  {"F1", 112},   {"F12", 123},     {"A", 65},
                 {"Z", 90},     {"0", 48},      {"9", 57},     {"65", 65},       {"123", 123},
                 {"13", 13},    {"F13", -1},    {"F0", -1},    {"a", -1},        {"enter", -1},
                 {"256", -1},   {"-5", -1},     {"", -1},      {"Fx", -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(ScriptKeyCode(c.name), c.code) << c.name;
    }
}

TEST(Script, EveryEventKind) {
    const std::string text = "# a comment\n"
                             "\n"
                             "1 key down Enter\n"
                             "2 key up 65\n"
                             "3 type Hello  world \n"
                             "3 type \xD0\x9F\xD1\x80\xD0\xB8\n" // "При" in UTF-8
                             "4 mouse move 10 -20\n"
                             "5 mouse down right 1 2\n"
                             "5 mouse up left 3 4\n"
                             "6 click 400 300\r\n"
                             "7 deactivate\n"
                             "   8   activate\n"
                             "9 close\n";
    std::vector<TScriptEvent> events;
    std::string error;
    ASSERT_TRUE(ParseScript(text, events, error)) << error;
    ASSERT_EQ(events.size(), 11u);
    EXPECT_EQ(events[0].kind, Kind::KeyDown);
    EXPECT_EQ(events[0].key, 13);
    EXPECT_EQ(events[0].tick, 1u);
    EXPECT_EQ(events[0].line, 3);
    EXPECT_EQ(events[1].kind, Kind::KeyUp);
    EXPECT_EQ(events[1].key, 65);
    EXPECT_EQ(events[2].kind, Kind::Type);
    EXPECT_EQ(events[2].text, "Hello  world ");
    EXPECT_EQ(events[3].text, "\xCF\xF0\xE8"); // cp1251
    EXPECT_EQ(events[4].kind, Kind::MouseMove);
    EXPECT_EQ(events[4].y, -20);
    EXPECT_EQ(events[5].kind, Kind::MouseDown);
    EXPECT_TRUE(events[5].right);
    EXPECT_EQ(events[6].kind, Kind::MouseUp);
    EXPECT_FALSE(events[6].right);
    EXPECT_EQ(events[7].kind, Kind::Click);
    EXPECT_EQ(events[7].x, 400);
    EXPECT_EQ(events[8].kind, Kind::Deactivate);
    EXPECT_EQ(events[9].kind, Kind::Activate);
    EXPECT_EQ(events[9].tick, 8u);
    EXPECT_EQ(events[10].kind, Kind::Close);
}

TEST(Script, MalformedLinesNameTheirNumber) {
    const char* cases[] = {
        "x key down Enter",
        "0 key down Enter",
        "-1 close",
        "5",
        "5 key down",
        "5 key press A",
        "5 key down Bogus",
        "5 key down A B",
        "5 type",
        "5 mouse move 1",
        "5 mouse move 1 y",
        "5 mouse down middle 1 2",
        "5 mouse down left 1",
        "5 mouse wheel 1 2",
        "5 click 1",
        "5 close now",
        "5 jump",
        "5 char 0",
        "5 char 256",
        "5 char A",
        "5 mouse click 1",
        "5 lag 0",
        "5 lag",
        "5 lag 2 3",
        "5 skip 1",
        "5 stall -4",
        "5 stall 60001",
        "5 end now",
        "5 maximize 1",
        "seed",
        "seed -1",
        "seed 4294967296",
        "seed 12x",
        "recording 1",
        "config 00",
        "config zz",
        "replay",
        "5 joystick",
        "5 joystick 1 2 3",
        "5 joystick 1 2 3 012",
        "5 joystick 40000 0 0 -",
        "5 joystick none 1",
    };
    for (const char* line : cases) {
        std::vector<TScriptEvent> events;
        std::string error;
        EXPECT_FALSE(ParseScript(std::string("1 close\n# fine\n") + line + "\n", events, error))
            << line;
        EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    }
}

// Every line a script may hold, the old ones among the new: what each one
// parses to, and that a file of old lines reads as it always did.
TEST(Script, NewLinesBesideTheOldOnes) {
    const struct {
        const char* line;
        Kind kind;
        int key;
        int x;
        int y;
        int count;
    } cases[] = {
        {"3 key down Enter", Kind::KeyDown, 13, 0, 0, 0},
        {"3 key up PrintScreen", Kind::KeyUp, 44, 0, 0, 0},
        {"3 key down 44", Kind::KeyDown, 44, 0, 0, 0},
        {"3 type x", Kind::Type, 0, 0, 0, 0},
        {"3 char 13", Kind::Char, 13, 0, 0, 0},
        {"3 char 255", Kind::Char, 255, 0, 0, 0},
        {"3 mouse move 5 6", Kind::MouseMove, 0, 5, 6, 0},
        {"3 mouse click 7 -8", Kind::MouseClick, 0, 7, -8, 0},
        {"3 click 9 10", Kind::Click, 0, 9, 10, 0},
        {"3 deactivate", Kind::Deactivate, 0, 0, 0, 0},
        {"3 activate", Kind::Activate, 0, 0, 0, 0},
        {"3 close", Kind::Close, 0, 0, 0, 0},
        {"3 maximize", Kind::Maximize, 0, 0, 0, 0},
        {"3 lag 4", Kind::Lag, 0, 0, 0, 4},
        {"3 skip", Kind::Skip, 0, 0, 0, 0},
        {"3 stall 120", Kind::Stall, 0, 0, 0, 120},
        {"3 end", Kind::End, 0, 0, 0, 0},
        {"3 joystick none", Kind::Joystick, 0, 0, 0, 0},
        {"3 joystick -32768 32767 0 -", Kind::Joystick, 0, -32768, 32767, 0},
    };
    for (const auto& c : cases) {
        TScript script;
        std::string error;
        ASSERT_TRUE(ParseScript(std::string(c.line) + "\n", script, error)) << c.line << error;
        ASSERT_EQ(script.events.size(), 1u) << c.line;
        const TScriptEvent& event = script.events[0];
        EXPECT_EQ(event.tick, 3u) << c.line;
        EXPECT_EQ(event.kind, c.kind) << c.line;
        EXPECT_EQ(event.key, c.key) << c.line;
        EXPECT_EQ(event.x, c.x) << c.line;
        EXPECT_EQ(event.y, c.y) << c.line;
        EXPECT_EQ(event.count, c.count) << c.line;
        EXPECT_FALSE(script.recording);
        EXPECT_FALSE(script.seed);
        EXPECT_FALSE(script.config);
    }

    // An old script says nothing of a recording.
    TScript old;
    std::string error;
    ASSERT_TRUE(ParseScript("1 key down Enter\n2 click 1 2\n# seed 5\n", old, error)) << error;
    EXPECT_EQ(old.events.size(), 2u);
    EXPECT_FALSE(old.recording);
    EXPECT_FALSE(old.seed);
}

TEST(Script, RecordingHeader) {
    TConfigRecord config = DefaultConfig();
    config.BossKey = 120;
    config.Country.Assign("\xCF\xF0");
    config.ScoreTable[0].Score = 4321;
    const std::string text =
        "# made by --record\nrecording\nseed 4294967295\n" + ConfigLine(config) + "\n5 lag 2\n";
    TScript script;
    std::string error;
    ASSERT_TRUE(ParseScript(text, script, error)) << error;
    EXPECT_TRUE(script.recording);
    ASSERT_TRUE(script.seed);
    EXPECT_EQ(*script.seed, 4294967295u);
    ASSERT_TRUE(script.config);
    EXPECT_EQ(ConfigToBytes(*script.config), ConfigToBytes(config));
    ASSERT_EQ(script.events.size(), 1u);

    for (const char* twice : {"seed 1\nseed 2\n", "recording\nrecording 2\n"}) {
        EXPECT_FALSE(ParseScript(twice, script, error)) << twice;
        EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    }
    TScript again;
    EXPECT_FALSE(ParseScript(ConfigLine(config) + "\n" + ConfigLine(config) + "\n", again, error));
}

TEST(Script, RecordedJoystickReadsBack) {
    platform::JoystickState none;
    platform::JoystickState pad;
    pad.present = true;
    pad.x = -32768;
    pad.y = 5;
    pad.z = 32767;
    pad.buttons = {false, true, true, false};
    platform::JoystickState bare = pad;
    bare.buttons.clear();
    for (const auto& state : {none, pad, bare}) {
        const std::string line = RecordedJoystickLine(9, state);
        TScript script;
        std::string error;
        ASSERT_TRUE(ParseScript(line, script, error)) << line << ": " << error;
        const TScriptEvent& got = script.events.at(0);
        EXPECT_EQ(got.kind, Kind::Joystick);
        EXPECT_EQ(got.present, state.present) << line;
        if (state.present) {
            EXPECT_EQ(got.x, state.x) << line;
            EXPECT_EQ(got.y, state.y) << line;
            EXPECT_EQ(got.z, state.z) << line;
            EXPECT_EQ(got.buttons, state.buttons) << line;
        }
    }
    EXPECT_EQ(RecordedJoystickLine(9, pad), "9 joystick -32768 5 32767 0110");
}

// A recorded window event reads back as the same event, whatever its key or
// character.
TEST(Script, RecordedEventsReadBack) {
    using Type = platform::Event::Type;
    std::vector<platform::Event> events;
    for (int key : {8, 13, 16, 27, 32, 37, 40, 44, 48, 57, 65, 90, 112, 123, 1, 5, 9, 200, 255}) {
        platform::Event e;
        e.type = key % 2 == 0 ? Type::KeyDown : Type::KeyUp;
        e.key = key;
        events.push_back(e);
    }
    for (int ch : {1, 8, 13, 27, 32, 35, 63, 65, 122, 127, 152, 192, 255}) {
        platform::Event e;
        e.type = Type::Char;
        e.ch = static_cast<std::uint8_t>(ch);
        events.push_back(e);
    }
    for (Type type : {Type::MouseMove, Type::MouseDown, Type::MouseUp, Type::Click}) {
        for (auto button : {platform::Event::Button::Left, platform::Event::Button::Right}) {
            platform::Event e;
            e.type = type;
            e.x = -3;
            e.y = 799;
            e.button = button;
            events.push_back(e);
        }
    }
    for (Type type : {Type::Activate, Type::Deactivate, Type::Close, Type::Maximize}) {
        platform::Event e;
        e.type = type;
        events.push_back(e);
    }
    for (const auto& e : events) {
        const std::string line = RecordedEventLine(17, e);
        TScript script;
        std::string error;
        ASSERT_TRUE(ParseScript(line, script, error)) << line << ": " << error;
        ASSERT_EQ(script.events.size(), 1u) << line;
        const TScriptEvent& got = script.events[0];
        EXPECT_EQ(got.tick, 17u);
        switch (e.type) {
        case Type::KeyDown:
        case Type::KeyUp:
            EXPECT_EQ(got.kind, e.type == Type::KeyDown ? Kind::KeyDown : Kind::KeyUp) << line;
            EXPECT_EQ(got.key, e.key) << line;
            break;
        case Type::Char:
            if (got.kind == Kind::Type) {
                EXPECT_EQ(got.text, std::string(1, static_cast<char>(e.ch))) << line;
            } else {
                EXPECT_EQ(got.kind, Kind::Char) << line;
                EXPECT_EQ(got.key, e.ch) << line;
            }
            break;
        case Type::MouseMove:
        case Type::MouseDown:
        case Type::MouseUp:
        case Type::Click:
            EXPECT_EQ(got.kind, e.type == Type::MouseMove   ? Kind::MouseMove
                                : e.type == Type::MouseDown ? Kind::MouseDown
                                : e.type == Type::MouseUp   ? Kind::MouseUp
                                                            : Kind::MouseClick)
                << line;
            EXPECT_EQ(got.x, -3) << line;
            EXPECT_EQ(got.y, 799) << line;
            if (e.type == Type::MouseDown || e.type == Type::MouseUp) {
                EXPECT_EQ(got.right, e.button == platform::Event::Button::Right) << line;
            }
            break;
        default:
            EXPECT_EQ(got.kind, e.type == Type::Activate     ? Kind::Activate
                                : e.type == Type::Deactivate ? Kind::Deactivate
                                : e.type == Type::Close      ? Kind::Close
                                                             : Kind::Maximize)
                << line;
            break;
        }
    }
}

} // namespace
