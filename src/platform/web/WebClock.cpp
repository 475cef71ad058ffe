// The frame clock in the browser: the page's monotonic clock, and sleeps that
// hand the main thread back to the browser (ASYNCIFY unwinds and resumes the
// frame loop) so it can draw the canvas, run timers and deliver input.
#include <emscripten.h>

#include <cstdint>

#include "platform/Platform.h"

// SdlRuntime.js: brings in what SDL needs of emscripten's runtime.
extern "C" void brinehold_sdl_runtime();

namespace platform {
namespace {

class BrowserClock final : public IClock {
public:
    std::uint32_t NowMs() override {
        return static_cast<std::uint32_t>(static_cast<std::int64_t>(emscripten_get_now()));
    }

    void SleepUntilMs(std::uint32_t deadline) override {
        // The counter wraps: a deadline more than half the range ahead is past.
        const auto ahead = static_cast<std::int32_t>(deadline - NowMs());
        // A frame that ran late still yields once, or the page would freeze.
        emscripten_sleep(ahead > 0 ? static_cast<unsigned>(ahead) : 0);
    }
};

} // namespace

std::unique_ptr<IClock> CreateSystemClock() {
    brinehold_sdl_runtime(); // real time is when SDL plays and draws
    return std::make_unique<BrowserClock>();
}

} // namespace platform
