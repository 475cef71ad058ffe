// The desktop's "open" action on Windows: the shell's "open" verb. The target
// goes to the wide call, so names outside the ANSI code page survive.
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include "platform/Launcher.h"
#include "platform/windows/WideText.h"

namespace platform {
namespace {

class WindowsLauncher final : public ILauncher {
public:
    void Open(const std::string& target) override {
        const std::wstring what = WideFromUtf8(target);
        if (what.empty()) {
            return;
        }
        ShellExecuteW(nullptr, L"open", what.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
};

} // namespace

std::unique_ptr<ILauncher> CreateDesktopLauncher() {
    return std::make_unique<WindowsLauncher>();
}

} // namespace platform
