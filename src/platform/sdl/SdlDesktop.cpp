// The desktop around the game: a modal message box and the desktop's "open"
// action (xdg-open), started without a shell so no text is ever interpreted.
#include <SDL.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "platform/Platform.h"
#include "platform/UrlFile.h"

extern char** environ;

namespace platform {
namespace {

constexpr const char* kTitle = "Brinehold";

class SdlDesktop final : public IDesktop {
public:
    ~SdlDesktop() override { Reap(); }

    void MessageBox(std::string_view text) override {
        const std::string utf8 = Cp1251ToUtf8(text);
        // Works without the video subsystem; without any display the text at
        // least reaches the terminal.
        if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, kTitle, utf8.c_str(), nullptr) !=
            0) {
            std::fprintf(stderr, "%s: %s\n", kTitle, utf8.c_str());
        }
    }

    void Open(const std::string& target) override {
        Reap();
        std::string what = target;
        if (IsShortcutFile(target)) {
            std::ifstream file(target, std::ios::binary);
            if (!file) {
                return;
            }
            std::ostringstream contents;
            contents << file.rdbuf();
            what = UrlFromShortcut(contents.str());
        }
        // A leading '-' would be read as an option of xdg-open.
        if (what.empty() || what.front() == '-') {
            return;
        }
        std::string program = "xdg-open";
        std::vector<char*> argv{program.data(), what.data(), nullptr};
        pid_t pid = 0;
        if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0) {
            children_.push_back(pid);
        }
    }

private:
    // The launcher is not waited for; finished ones are collected here so
    // they do not linger as zombies.
    void Reap() {
        std::vector<pid_t> running;
        for (pid_t pid : children_) {
            if (waitpid(pid, nullptr, WNOHANG) == 0) {
                running.push_back(pid);
            }
        }
        children_.swap(running);
    }

    std::vector<pid_t> children_;
};

} // namespace

std::unique_ptr<IDesktop> CreateSdlDesktop() {
    return std::make_unique<SdlDesktop>();
}

} // namespace platform
