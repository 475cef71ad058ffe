// The desktop's "open" action, with a stand-in xdg-open first on the PATH
// that records the arguments it was given.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/Platform.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("brinehold_desktop_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        record = dir / "opened.txt";
        const fs::path fake = dir / "xdg-open";
        std::ofstream(fake) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '"
                            << record.string() << "'\n";
        fs::permissions(fake, fs::perms::owner_all);
        const char* path = std::getenv("PATH");
        oldPath = path ? path : "";
        setenv("PATH", (dir.string() + ":" + oldPath).c_str(), 1);
    }

    void TearDown() override {
        desktop.reset();
        setenv("PATH", oldPath.c_str(), 1);
        fs::remove_all(dir);
    }

    // What the stand-in recorded, once `lines` lines have arrived (at most 5 s).
    std::string Recorded(int lines) {
        std::string text;
        for (int i = 0; i < 500; ++i) {
            std::ifstream in(record);
            std::stringstream ss;
            ss << in.rdbuf();
            text = ss.str();
            if (std::count(text.begin(), text.end(), '\n') >= lines) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return text;
    }

    fs::path dir;
    fs::path record;
    std::string oldPath;
    std::unique_ptr<IDesktop> desktop = CreateSdlDesktop();
};

TEST_F(DesktopTest, OpensFilesAndTheLinksOfShortcuts) {
    const fs::path shortcut = dir / "play.url";
    std::ofstream(shortcut) << "[InternetShortcut]\r\nURL=http://example.com/play?a=1&b=2\r\n";
    const fs::path hostile = dir / "evil.url";
    std::ofstream(hostile) << "[InternetShortcut]\nURL=file:///bin/sh\n";

    desktop->Open(shortcut.string());
    EXPECT_EQ(Recorded(1), "http://example.com/play?a=1&b=2\n");
    desktop->Open(hostile.string());                // not a web link: nothing
    desktop->Open((dir / "missing.url").string());  // no file: nothing
    desktop->Open("-x");                            // would be an option
    desktop->Open("fscommand/wgame.exe; rm -rf ~"); // one argument, no shell
    EXPECT_EQ(Recorded(2), "http://example.com/play?a=1&b=2\nfscommand/wgame.exe; rm -rf ~\n");
}

} // namespace
} // namespace platform
