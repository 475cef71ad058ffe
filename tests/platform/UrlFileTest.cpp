#include <gtest/gtest.h>

#include "platform/UrlFile.h"

namespace platform {
namespace {

TEST(UrlFile, ReadsTheLinkOfAShortcut) {
    struct Case {
        const char* contents;
        const char* url;
    };
    const Case cases[] = {
        {"[InternetShortcut]\r\nURL=http://example.com/games\r\n", "http://example.com/games"},
        {"[InternetShortcut]\nurl = https://example.com/a?b=c \n", "https://example.com/a?b=c"},
        {"[DEFAULT]\nBASEURL=http://other.example/\n[InternetShortcut]\nURL=http://x.example/\n",
         "http://x.example/"},
        {"URL=http://first.example/\nURL=http://second.example/\n", "http://first.example/"},
        {"[InternetShortcut]\nIconIndex=0\n", ""},
        {"", ""},
        {"URL=file:///etc/passwd\n", ""}, // only web links are opened
        {"URL=javascript:alert(1)\n", ""},
        {"URL=-e http://example.com\n", ""},
        {"URL=http://example.com/\x01\n", ""},                      // control characters
        {"URL=http://example.com/last", "http://example.com/last"}, // no line break at the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UrlFromShortcut(c.contents), c.url) << c.contents;
    }
}

TEST(UrlFile, RecognisesShortcutFiles) {
    EXPECT_TRUE(IsShortcutFile("play.url"));
    EXPECT_TRUE(IsShortcutFile("MOREGAMES.URL"));
    EXPECT_FALSE(IsShortcutFile("fscommand/wgame.exe"));
    EXPECT_FALSE(IsShortcutFile("url"));
    EXPECT_FALSE(IsShortcutFile("http://example.com/page.url.html"));
}

} // namespace
} // namespace platform
