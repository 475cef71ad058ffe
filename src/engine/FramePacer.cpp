#include "engine/FramePacer.h"

#include <cmath>

namespace {

constexpr int kTickMs = 16;

} // namespace

int RefreshesPerTick(double refreshHz) {
    if (!(refreshHz > 0) || !std::isfinite(refreshHz)) {
        return 0;
    }
    const double n = std::round(refreshHz / 60.0);
    if (n < 1 || n > 16) {
        return 0;
    }
    const double perTick = refreshHz / n;
    return perTick >= 56.0 && perTick <= 64.0 ? static_cast<int>(n) : 0;
}

FramePacer::FramePacer(TApplication& application, platform::IVideo& video, platform::IClock& clock)
    : application_(application), video_(video), clock_(clock) {}

void FramePacer::RunTick() {
    // The rate is asked every tick: a switch to full screen may move the
    // window to another display or give up vsync.
    refreshHz_ = video_.VBlankRate();
    refreshesPerTick_ = RefreshesPerTick(refreshHz_);
    fired_ = false;
    TDXTimer* timer = application_.IdleHandler();
    if (refreshesPerTick_ == 0 || timer == nullptr) {
        application_.RunIdle();
        return;
    }
    tickStartMs_ = clock_.NowMs();
    fired_ = true;
    timer->FireNow();
}

void FramePacer::WaitForNext() {
    if (!fired_) {
        if (const auto due = application_.NextIdleDueMs()) {
            clock_.SleepUntilMs(*due);
        } else {
            video_.WaitEvent(kTickMs);
        }
        return;
    }
    fired_ = false;
    // The tick's own present waited for the first blank, or for a later one
    // when the tick took longer than a refresh: the blanks are counted on
    // the clock, so a tick never lasts longer than its refreshes.
    const double periodMs = 1000.0 / refreshHz_;
    const double tickMs = periodMs * refreshesPerTick_;
    auto elapsedMs = [this] { return static_cast<double>(clock_.NowMs() - tickStartMs_); };
    while (elapsedMs() + periodMs / 2 < tickMs) {
        const std::uint64_t before = video_.VBlankCount();
        video_.WaitVBlank();
        if (video_.VBlankCount() == before) {
            break; // the display stopped counting blanks
        }
    }
    // A hidden or minimised window may present without waiting; the loop
    // must not spin then, so a tick lasts at least half its refreshes.
    if (elapsedMs() < tickMs / 2) {
        clock_.SleepUntilMs(tickStartMs_ + static_cast<std::uint32_t>(tickMs));
    }
}
