// What SDL does not say about the desktop: whether a window manager runs.
#pragma once

#include <SDL.h>

namespace platform {

// True when the window's desktop has no window manager that would carry out
// a full-screen request (a bare X server, a kiosk session). False when one
// runs or the platform cannot tell.
bool LacksWindowManager(SDL_Window* window);

// Moves and sizes the window itself to cover `bounds`, on top; for a desktop
// without a window manager, where nobody else would.
void CoverBounds(SDL_Window* window, const SDL_Rect& bounds);

// Shows a window created hidden. On X11 the window is mapped here, asking
// again while it stays unmapped: a window manager that is still starting
// can drop the request, and SDL would wait for the map forever. A window
// still unmapped after a few seconds is left to the window manager.
void ShowWindowPatiently(SDL_Window* window);

// Called before the video starts. On X11 the input method reads the whole
// table of compose sequences of a UTF-8 locale (half a megabyte of text),
// the longest single step of the start; Xlib keeps it parsed in a cache
// folder, but only in ~/.compose-cache when the user made one. Without one
// the game offers a private folder of its own, in the user's cache
// folder. Xlib gives root no cache at all.
void OfferComposeCache();

} // namespace platform
