#include <emscripten.h>

#include "platform/sdl/Host.h"

// The cover waits in the browser (ASYNCIFY unwinds the frame loop meanwhile).
// clang-format off
EM_ASYNC_JS(void, BrineholdCoverUntilKey, (), {
    await new Promise((resolve) => {
        const cover = document.createElement("div");
        cover.id = "boss";
        cover.style.cssText = "position:fixed;inset:0;background:#d4d4d4;z-index:10";
        document.body.appendChild(cover);
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
// browser still counts it. The page's style letterboxes the canvas.
EM_JS(void, BrineholdFullscreen, (int on), {
    const canvas = Module.canvas;
    if (on && !document.fullscreenElement && canvas.requestFullscreen) {
        canvas.requestFullscreen().catch(() => {});
    } else if (!on && document.fullscreenElement) {
        document.exitFullscreen().catch(() => {});
    }
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

bool HasWorkerThreads() {
    return false;
}

} // namespace platform
