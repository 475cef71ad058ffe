// Stand-ins for the window and the desktop in tests and --headless runs: they
// open nothing and perform nothing. The shell injects scripted events and logs
// the desktop actions itself.
#include "platform/Platform.h"

namespace platform {
namespace {

class HeadlessVideo final : public IVideo {
public:
    bool Open(const std::string&, int, int, std::string&) override { return true; }
    void SetFullscreen(bool) override {}
    void Present(PixelView) override {}
    void PollEvents(std::vector<Event>&) override {}
    bool WaitEvent(int) override { return false; }
    void Minimize() override {}
    bool IsActive() override { return true; }
    void ShowCursor(bool) override {}
    void SetCursorPos(int, int) override {}
    JoystickState ReadJoystick() override { return {}; }
};

class HeadlessDesktop final : public IDesktop {
public:
    void MessageBox(std::string_view) override {}
    void Open(const std::string&) override {}
};

} // namespace

std::unique_ptr<IVideo> CreateHeadlessVideo() {
    return std::make_unique<HeadlessVideo>();
}

std::unique_ptr<VirtualClock> CreateVirtualClock() {
    return std::make_unique<VirtualClock>();
}

std::unique_ptr<IDesktop> CreateHeadlessDesktop() {
    return std::make_unique<HeadlessDesktop>();
}

} // namespace platform
