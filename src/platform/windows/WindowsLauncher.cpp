// The desktop's "open" action on Windows: the shell's "open" verb. The target
// goes to the wide call, so names outside the ANSI code page survive.
#include <windows.h>
// shellapi.h and objbase.h need the types of windows.h.
#include <objbase.h>
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
        // Some handlers the shell picks are COM objects: the calling thread
        // must have COM started, in a single-threaded apartment.
        const HRESULT com =
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        ShellExecuteW(nullptr, L"open", what.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        if (SUCCEEDED(com)) {
            CoUninitialize();
        }
    }
};

} // namespace

std::unique_ptr<ILauncher> CreateDesktopLauncher() {
    return std::make_unique<WindowsLauncher>();
}

} // namespace platform
