#include <emscripten.h>

#include "platform/sdl/Host.h"

// The cover waits in the browser (ASYNCIFY unwinds the frame loop meanwhile).
// clang-format off
EM_ASYNC_JS(void, BrineholdCoverUntilKey, (), {
    await new Promise((resolve) => {
        const cover = document.createElement("div");
        cover.id = "boss";
        cover.style.cssText = "position:fixed;inset:0;background:#d4d4d4;z-index:10";
        // In full screen only what lies in the full-screen element shows.
        (document.fullscreenElement || document.body).appendChild(cover);
        const done = (event) => {
            event.preventDefault();
            event.stopImmediatePropagation();
            window.removeEventListener("keydown", done, true);
            window.removeEventListener("pointerdown", done, true);
            cover.remove();
            resolve();
        };
        window.addEventListener("keydown", done, true);
        window.addEventListener("pointerdown", done, true);
    });
});

// Asked of the browser at once: emscripten's own request waits for the next
// input event, but the key or click that asked is a moment old and the
// browser still counts it. The page's #screen holds the canvas and places it
// (whole multiples or filtered, with bars), so the canvas's box is the picture
// and SDL's mouse positions stay in picture pixels. Leaving full screen by
// the browser's own means, or a refused request, is noted for the game.
EM_JS(void, BrineholdFullscreen, (int on), {
    const screen = Module.canvas.parentElement;
    if (!Module.brineholdFullscreenWatched) {
        Module.brineholdFullscreenWatched = true;
        document.addEventListener("fullscreenchange", () => {
            if (!document.fullscreenElement && Module.brineholdWantsFullscreen) {
                Module.brineholdWantsFullscreen = false;
                Module.brineholdLeftFullscreen = true;
            }
        });
    }
    Module.brineholdWantsFullscreen = !!on;
    Module.brineholdLeftFullscreen = false;
    if (on && !document.fullscreenElement && screen.requestFullscreen) {
        screen.requestFullscreen().catch(() => {
            if (Module.brineholdWantsFullscreen && !document.fullscreenElement) {
                Module.brineholdWantsFullscreen = false;
                Module.brineholdLeftFullscreen = true;
            }
        });
    } else if (!on && document.fullscreenElement) {
        document.exitFullscreen().catch(() => {});
    }
});

EM_JS(int, BrineholdLeftFullscreen, (), {
    const left = !!Module.brineholdLeftFullscreen;
    Module.brineholdLeftFullscreen = false;
    return left;
});
// clang-format on

namespace platform {

bool MayHaveGpu() {
    return false;
}

void HideForBossKey(SDL_Window*) {
    BrineholdCoverUntilKey();
}

bool HostFullscreen(SDL_Window*, bool fullscreen) {
    BrineholdFullscreen(fullscreen ? 1 : 0);
    return true;
}

bool HostLeftFullscreen(SDL_Window*) {
    return BrineholdLeftFullscreen() != 0;
}

bool HasWorkerThreads() {
    return false;
}

} // namespace platform
