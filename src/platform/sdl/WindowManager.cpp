// Kept apart from the rest of the SDL code: Xlib's headers define macros
// (None, Bool, Status) that collide with ordinary names.
#include "platform/sdl/WindowManager.h"

#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11) && defined(BRINEHOLD_HAVE_X11)
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/Folders.h"
#endif

namespace platform {

#if defined(SDL_VIDEO_DRIVER_X11) && defined(BRINEHOLD_HAVE_X11)

namespace {

bool X11Window(SDL_Window* window, Display*& display, Window& xwindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE ||
        info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    display = info.info.x11.display;
    xwindow = info.info.x11.window;
    return display != nullptr;
}

} // namespace

bool LacksWindowManager(SDL_Window* window) {
    Display* display = nullptr;
    Window xwindow = 0;
    if (!X11Window(window, display, xwindow)) {
        return false;
    }
    // A compliant window manager names its own window on the root window.
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &left, &data);
    const bool present = status == Success && type == XA_WINDOW && format == 32 && count == 1;
    if (data != nullptr) {
        XFree(data);
    }
    return !present;
}

void CoverBounds(SDL_Window* window, const SDL_Rect& bounds) {
    Display* display = nullptr;
    Window xwindow = 0;
    if (!X11Window(window, display, xwindow)) {
        return;
    }
    XMoveResizeWindow(display, xwindow, bounds.x, bounds.y, static_cast<unsigned>(bounds.w),
                      static_cast<unsigned>(bounds.h));
    XRaiseWindow(display, xwindow);
    XSync(display, False);
}

void OfferComposeCache() {
    const std::string home = GetEnvironment("HOME");
    if (!GetEnvironment("XCOMPOSECACHE").empty() || IsSuperuser() || home.empty() ||
        PathExists(home + "/.compose-cache")) {
        return; // no cache for root; the user's own settings win
    }
    const std::string xdgCache = GetEnvironment("XDG_CACHE_HOME");
    const std::string folder =
        (xdgCache.rfind('/', 0) == 0 ? xdgCache : home + "/.cache") + "/brinehold/compose";
    std::string error;
    if (!MakePrivateFolder(folder, error)) {
        return;
    }
    // Xlib takes only a folder that nobody else may write to (and checks
    // that it is the user's).
    namespace fs = std::filesystem;
    std::error_code failed;
    const fs::perms perms = fs::status(folder, failed).permissions();
    if (failed || (perms & (fs::perms::group_write | fs::perms::others_write)) != fs::perms::none) {
        return;
    }
    SDL_setenv("XCOMPOSECACHE", folder.c_str(), 0);
}

void ShowWindowPatiently(SDL_Window* window) {
    Display* display = nullptr;
    Window xwindow = 0;
    if (X11Window(window, display, xwindow)) {
        constexpr Uint32 kAskEveryMs = 1000;
        constexpr Uint32 kGiveUpMs = 10000;
        const Uint32 start = SDL_GetTicks();
        Uint32 asked = 0;
        bool first = true;
        XWindowAttributes attributes;
        while (XGetWindowAttributes(display, xwindow, &attributes) != 0 &&
               attributes.map_state == IsUnmapped) {
            const Uint32 now = SDL_GetTicks();
            if (now - start >= kGiveUpMs) {
                return;
            }
            if (first || now - asked >= kAskEveryMs) {
                XMapRaised(display, xwindow);
                XFlush(display);
                asked = now;
                // Without a window manager the map is done by the time the
                // next query returns: look again before sleeping.
                if (first) {
                    first = false;
                    continue;
                }
            }
            // A window manager maps it within a few milliseconds.
            SDL_Delay(2);
        }
    }
    // Mapped already: SDL only takes note, without waiting.
    SDL_ShowWindow(window);
}

#else

void OfferComposeCache() {}

void ShowWindowPatiently(SDL_Window* window) {
    SDL_ShowWindow(window);
}

bool LacksWindowManager(SDL_Window*) {
    return false;
}

void CoverBounds(SDL_Window*, const SDL_Rect&) {}

#endif

} // namespace platform
