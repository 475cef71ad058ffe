// Links open in a new tab of the browser; the page itself keeps the game.
#include <emscripten.h>

#include "platform/Launcher.h"

// The text reaches JavaScript as a string value, never as code.
EM_JS(void, BrineholdOpenTab, (const char* target),
      { window.open(UTF8ToString(target), "_blank", "noopener"); });

namespace platform {
namespace {

class TabLauncher final : public ILauncher {
public:
    void Open(const std::string& target) override { BrineholdOpenTab(target.c_str()); }
};

} // namespace

std::unique_ptr<ILauncher> CreateDesktopLauncher() {
    return std::make_unique<TabLauncher>();
}

} // namespace platform
