// The desktop around the game on Windows: a modal message box and the shell's
// "open" verb. Every text and path goes to the wide calls, so names outside
// the ANSI code page survive.
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Platform.h"
#include "platform/UrlFile.h"
#include "platform/windows/WideText.h"

namespace platform {
namespace {

constexpr const wchar_t* kTitle = L"Ostrovia";

class WindowsDesktop final : public IDesktop {
public:
    void MessageBox(std::string_view text) override {
        const std::wstring wide = WideFromUtf8(Cp1251ToUtf8(text));
        MessageBoxW(nullptr, wide.c_str(), kTitle, MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
    }

    void Open(const std::string& target) override {
        std::wstring what = WideFromUtf8(target);
        // A shortcut is opened by the link it holds, and only an http(s) one:
        // handing the file itself to the shell would run whatever it names.
        if (IsShortcutFile(target)) {
            std::ifstream file(std::filesystem::path(what), std::ios::binary);
            if (!file) {
                return;
            }
            std::ostringstream contents;
            contents << file.rdbuf();
            what = WideFromUtf8(UrlFromShortcut(contents.str()));
        }
        if (what.empty()) {
            return;
        }
        ShellExecuteW(nullptr, L"open", what.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
};

} // namespace

std::unique_ptr<IDesktop> CreateSdlDesktop() {
    return std::make_unique<WindowsDesktop>();
}

} // namespace platform
