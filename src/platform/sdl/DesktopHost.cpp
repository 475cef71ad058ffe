#include <SDL.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/sdl/Host.h"

namespace platform {

// On Linux a GPU driver needs a device node, and without one a renderer would
// be llvmpipe. Loading Mesa only to find that out costs a tenth of a second
// before the first frame.
bool MayHaveGpu() {
#if defined(__linux__)
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("renderD", 0) == 0 || name.rfind("card", 0) == 0) {
            return true;
        }
    }
    return std::filesystem::exists("/dev/nvidia0", error) ||
           std::filesystem::exists("/dev/nvidiactl", error);
#else
    return true;
#endif
}

void HideForBossKey(SDL_Window* window) {
    if (window != nullptr) {
        SDL_MinimizeWindow(window);
    }
}

bool HostFullscreen(SDL_Window*, bool) {
    return false;
}

bool HostLeftFullscreen(SDL_Window*) {
    return false;
}

bool HasWorkerThreads() {
    return true;
}

} // namespace platform
