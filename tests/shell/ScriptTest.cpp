#include "shell/Script.h"

#include <gtest/gtest.h>

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
    };
    for (const char* line : cases) {
        std::vector<TScriptEvent> events;
        std::string error;
        EXPECT_FALSE(ParseScript(std::string("1 close\n# fine\n") + line + "\n", events, error))
            << line;
        EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    }
}

} // namespace
