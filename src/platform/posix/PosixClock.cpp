// The frame clock: milliseconds of the monotonic clock, and sleeps to an
// absolute deadline, which neither drift nor burn the processor.
#include <cerrno>
#include <cstdint>
#include <ctime>

#include "platform/Platform.h"

namespace platform {
namespace {

constexpr std::int64_t kNanosPerMs = 1000000;

std::int64_t MonotonicNanos() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

class SystemClock final : public IClock {
public:
    std::uint32_t NowMs() override {
        return static_cast<std::uint32_t>(MonotonicNanos() / kNanosPerMs);
    }

    void SleepUntilMs(std::uint32_t deadline) override {
        const std::int64_t nowNs = MonotonicNanos();
        const auto nowMs = static_cast<std::uint32_t>(nowNs / kNanosPerMs);
        // The counter wraps: a deadline more than half the range ahead is past.
        const auto ahead = static_cast<std::int32_t>(deadline - nowMs);
        if (ahead <= 0) {
            return;
        }
        // The start of the deadline's millisecond, on the full 64-bit clock.
        const std::int64_t targetNs = (nowNs / kNanosPerMs + ahead) * kNanosPerMs;
        timespec target{};
        target.tv_sec = static_cast<time_t>(targetNs / 1000000000);
        target.tv_nsec = static_cast<long>(targetNs % 1000000000);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &target, nullptr) == EINTR) {
        }
    }
};

} // namespace

std::unique_ptr<IClock> CreateSystemClock() {
    return std::make_unique<SystemClock>();
}

} // namespace platform
