// The frame clock on Windows: milliseconds of the performance counter, and
// sleeps to an absolute deadline on a high-resolution waitable timer. The
// default timer resolution is 15.6 ms, which would turn 16 ms frames into
// 15.6 or 31.2 ms ones; where the high-resolution timer is missing (before
// Windows 10 1803), the system timer is raised to 1 ms for the game's life.
#include <windows.h>
// timeapi.h needs the types of windows.h.
#include <timeapi.h>

#include <cstdint>

#include "platform/Platform.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace platform {
namespace {

class WindowsClock final : public IClock {
public:
    WindowsClock() {
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);
        frequency_ = frequency.QuadPart;
        timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                        TIMER_ALL_ACCESS);
        if (timer_ == nullptr) {
            timeBeginPeriod(1);
            raisedPeriod_ = true;
            timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
        }
    }

    ~WindowsClock() override {
        if (timer_ != nullptr) {
            CloseHandle(timer_);
        }
        if (raisedPeriod_) {
            timeEndPeriod(1);
        }
    }

    WindowsClock(const WindowsClock&) = delete;
    WindowsClock& operator=(const WindowsClock&) = delete;

    std::uint32_t NowMs() override { return static_cast<std::uint32_t>(NowMicros() / 1000); }

    void SleepUntilMs(std::uint32_t deadline) override {
        for (;;) {
            const std::int64_t nowUs = NowMicros();
            // The counter wraps: a deadline more than half the range ahead is past.
            const auto ahead =
                static_cast<std::int32_t>(deadline - static_cast<std::uint32_t>(nowUs / 1000));
            if (ahead <= 0) {
                return;
            }
            // To the start of the deadline's millisecond, measured afresh each
            // round, so an early wake-up only sleeps again and none adds up.
            const std::int64_t waitUs = (nowUs / 1000 + ahead) * 1000 - nowUs;
            if (timer_ == nullptr) {
                Sleep(static_cast<DWORD>((waitUs + 999) / 1000));
                continue;
            }
            LARGE_INTEGER due{};
            due.QuadPart = -waitUs * 10; // relative, in 100 ns units
            if (!SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
                Sleep(static_cast<DWORD>((waitUs + 999) / 1000));
                continue;
            }
            WaitForSingleObject(timer_, INFINITE);
        }
    }

private:
    std::int64_t NowMicros() const {
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        const std::int64_t ticks = counter.QuadPart;
        return ticks / frequency_ * 1000000 + ticks % frequency_ * 1000000 / frequency_;
    }

    std::int64_t frequency_ = 1;
    HANDLE timer_ = nullptr;
    bool raisedPeriod_ = false;
};

} // namespace

std::unique_ptr<IClock> CreateSystemClock() {
    return std::make_unique<WindowsClock>();
}

} // namespace platform
