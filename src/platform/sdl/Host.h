// What the host decides beneath SDL: a desktop (DesktopHost.cpp) or
// the browser's page (platform/web/PageHost.cpp).
#pragma once

struct SDL_Window;

namespace platform {

// False where no graphics card can draw for a renderer, so presenting on the
// processor is cheaper. In the page it is always false: a present there never
// waits for the vertical blank, and only the clock's sleeps give the browser
// its turn.
bool MayHaveGpu();

// The boss key: a desktop minimises the window; the page covers itself with a
// blank page of a neutral colour and returns once a key or a click took the
// cover away (that key is not the game's).
void HideForBossKey(SDL_Window* window);

// Full screen where the host has its own: the page asks the browser's
// Fullscreen API, which shows the canvas letterboxed at its aspect. Returns
// false where SDL's window does it (a desktop).
bool HostFullscreen(SDL_Window* window, bool fullscreen);

// Whether the host left full screen by itself (the browser's Esc, or a request
// it refused) since the last call. A desktop's SDL window never does.
bool HostLeftFullscreen(SDL_Window* window);

// Whether tunes may be prepared on a worker thread. The page has none: a
// thread it asked for would never start, and whoever waits for it hangs.
bool HasWorkerThreads();

} // namespace platform
