// The desktop around the game: a modal message box and the desktop's "open"
// action, handed to the operating system's launcher.
#include <SDL.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "platform/UrlFile.h"

namespace platform {
namespace {

class SdlDesktop final : public IDesktop {
public:
    void MessageBox(std::string_view text) override {
        const std::string utf8 = Cp1251ToUtf8(text);
        // Works without the video subsystem; without any display the text at
        // least reaches the terminal.
        if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, kGameTitle, utf8.c_str(),
                                     nullptr) != 0) {
            std::fprintf(stderr, "%s: %s\n", kGameTitle, utf8.c_str());
        }
    }

    void Open(const std::string& target) override {
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
        launcher_->Open(what);
    }

private:
    std::unique_ptr<ILauncher> launcher_ = CreateDesktopLauncher();
};

} // namespace

std::unique_ptr<IDesktop> CreateSdlDesktop() {
    return std::make_unique<SdlDesktop>();
}

} // namespace platform
