// Full screen on a real X server (Xvfb), with and without a window manager:
// what reaches the screen, read back from the root window. The picture must
// cover the middle of the screen out to the edges of its box, and the bars
// beside it must be black. Skipped where Xvfb or ImageMagick's import are
// missing; the window-manager cases also need openbox.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "e2e/Harness.h"
#include "platform/Image.h"
#include "platform/Letterbox.h"

namespace e2e {
namespace {

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "";
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string dir = rest.substr(0, colon);
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    }
    return false;
}

// A child process that is killed when this object goes.
class Child {
public:
    Child(const std::vector<std::string>& args, const std::filesystem::path& dir) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, (dir / ".child-stderr").c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
        const std::vector<std::string> command = WithPrefix(args);
        std::vector<char*> argv;
        for (const auto& a : command) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (waitpid(pid_, &status, WNOHANG) == 0) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
            }
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    bool Started() const { return pid_ > 0; }
    bool Running() const {
        int status = 0;
        return pid_ > 0 && waitpid(pid_, &status, WNOHANG) == 0;
    }

private:
    pid_t pid_ = 0;
};

struct Screen {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    // Pixels of the column x (rows from y0 to y1) that are not black.
    int LitInColumn(int x, int y0, int y1) const {
        int lit = 0;
        for (int y = y0; y < y1; ++y) {
            lit += At(x, y) != 0 ? 1 : 0;
        }
        return lit;
    }
    int LitInRow(int y, int x0, int x1) const {
        int lit = 0;
        for (int x = x0; x < x1; ++x) {
            lit += At(x, y) != 0 ? 1 : 0;
        }
        return lit;
    }
};

struct FullScreenCase {
    int width;
    int height;
    bool windowManager;
};

class FullScreenTest : public ::testing::TestWithParam<FullScreenCase> {};

TEST_P(FullScreenTest, PictureCoversTheMiddleAndTheBarsAreBlack) {
    const FullScreenCase c = GetParam();
    if (!OnPath("Xvfb") || !OnPath("import") || (c.windowManager && !OnPath("openbox"))) {
        GTEST_SKIP() << "needs Xvfb, ImageMagick's import"
                     << (c.windowManager ? " and openbox" : "");
    }
    if (!c.windowManager && GameBinary().ends_with(".exe")) {
        GTEST_SKIP() << "a Windows desktop always has its window manager; Wine on a bare X "
                        "server has none to make a window full screen";
    }
    GameRun run;
    int display = 0;
    for (display = 70 + (getpid() % 40); display < 200; ++display) {
        if (!std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display)) &&
            !std::filesystem::exists("/tmp/.X" + std::to_string(display) + "-lock")) {
            break;
        }
    }
    const std::string name = ":" + std::to_string(display);
    Child server({"Xvfb", name, "-screen", "0",
                  std::to_string(c.width) + "x" + std::to_string(c.height) + "x24", "-nolisten",
                  "tcp"},
                 run.Dir());
    ASSERT_TRUE(server.Started());
    const auto socket = "/tmp/.X11-unix/X" + std::to_string(display);
    for (int i = 0; i < 300 && !std::filesystem::exists(socket); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(std::filesystem::exists(socket)) << "Xvfb did not start";
    setenv("DISPLAY", name.c_str(), 1);
    setenv("SDL_VIDEODRIVER", WindowVideoDriver().c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::unique_ptr<Child> manager;
    if (c.windowManager) {
        manager = std::make_unique<Child>(std::vector<std::string>{"openbox"}, run.Dir());
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    Child game({GameBinary(), "--workdir", run.Dir().string(), "--fullscreen", "--seed", "1",
                "--ticks", "100000"},
               run.Dir());
    ASSERT_TRUE(game.Started());

    const platform::Rect box = platform::PlacePicture(c.width, c.height, 800, 600).box;
    const std::string shot = run.PathOf("screen.png");
    Screen screen;
    // Wait until the menu is up: the middle of the screen lit and the edges
    // of the picture's box lit too (a window left at its windowed size, or a
    // picture placed for a size the window does not have, fails there).
    bool covered = false;
    for (int attempt = 0; attempt < 60 && !covered && game.Running(); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const std::string command =
            "import -display " + name + " -window root png:" + shot + " 2>/dev/null";
        if (std::system(command.c_str()) != 0 ||
            !platform::ReadImageFile(shot, screen.width, screen.height, screen.pixels)) {
            continue;
        }
        ASSERT_EQ(screen.width, c.width);
        ASSERT_EQ(screen.height, c.height);
        const int midY0 = box.y + box.h / 4;
        const int midY1 = box.y + box.h * 3 / 4;
        covered = screen.LitInColumn(box.x + 2, midY0, midY1) > 0 &&
                  screen.LitInColumn(box.x + box.w - 3, midY0, midY1) > 0 &&
                  screen.LitInRow(box.y + 2, box.x, box.x + box.w) > 0 &&
                  screen.LitInRow(box.y + box.h - 3, box.x, box.x + box.w) > 0 &&
                  screen.LitInRow(c.height / 2, c.width / 2 - 50, c.width / 2 + 50) > 50;
    }
    ASSERT_TRUE(covered) << "the picture does not cover its box on a " << c.width << "x" << c.height
                         << " screen (last capture " << shot << ")";
    // The bars: every pixel outside the box is black.
    int lit = 0;
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            const bool inside = x >= box.x && x < box.x + box.w && y >= box.y && y < box.y + box.h;
            if (!inside && screen.At(x, y) != 0) {
                ++lit;
            }
        }
    }
    EXPECT_EQ(lit, 0) << "pixels lit in the bars";
}

INSTANTIATE_TEST_SUITE_P(Screens, FullScreenTest,
                         ::testing::Values(FullScreenCase{1920, 1080, false},
                                           FullScreenCase{1280, 1024, false},
                                           FullScreenCase{1920, 1080, true},
                                           FullScreenCase{1280, 1024, true}),
                         [](const ::testing::TestParamInfo<FullScreenCase>& test) {
                             return std::to_string(test.param.width) + "x" +
                                    std::to_string(test.param.height) +
                                    (test.param.windowManager ? "_openbox" : "_bare");
                         });

} // namespace
} // namespace e2e
