// The application object and the frame timers it drives.
//
// The application has one idle-handler slot: the timer resumed last owns it,
// and suspending any timer empties it. The main loop (the shell's) does, over
// and over:
//   1. deliver the window's events (activation and deactivation through
//      Application.Activate / Deactivate);
//   2. Application.RunIdle(): fires the owning timer's OnTimer if its
//      interval has passed;
//   3. sleep until Application.NextIdleDueMs() (events may wake it early),
//      or, when that is empty, until the next event.
// Sleeping to the due time replaces the old busy loop; the lag count and the
// firing rules are unchanged.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

class TDXTimer;

class TApplication {
public:
    // `clock` is the millisecond clock of the timers; it must outlive them.
    explicit TApplication(platform::IClock& clock);
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    platform::IClock& Clock() const { return clock_; }

    // The application as a whole became active / inactive: every listener
    // hears it, in registration order. A repeated call is passed on as well.
    bool Active() const { return active_; }
    void Activate();
    void Deactivate();
    // Listeners of activation (the timers register themselves). The owner key
    // unregisters.
    void AddActivationListener(void* owner, std::function<void(bool active)> listener);
    void RemoveActivationListener(void* owner);

    // The idle slot.
    TDXTimer* IdleHandler() const { return idleHandler_; }
    void SetIdleHandler(TDXTimer* timer) { idleHandler_ = timer; }
    // Runs the idle handler once; false when the slot is empty.
    bool RunIdle();
    // When the idle handler will next have work (clock milliseconds); empty
    // when the slot is empty.
    std::optional<std::uint32_t> NextIdleDueMs() const;

    std::string Title;

private:
    struct Listener {
        void* owner;
        std::function<void(bool)> listener;
    };
    void Broadcast(bool active);

    platform::IClock& clock_;
    bool active_ = true;
    TDXTimer* idleHandler_ = nullptr;
    std::vector<Listener> listeners_;
};

class TDXTimer {
public:
    using TDXTimerEvent = std::function<void(TDXTimer* Sender, int LagCount)>;
    using TNotifyEvent = std::function<void(TDXTimer* Sender)>;

    // Created as while the form is being loaded: properties may be set, and
    // the timer starts (if Enabled) at Loaded().
    explicit TDXTimer(TApplication& application);
    ~TDXTimer(); // stops the timer and leaves the application's listeners
    TDXTimer(const TDXTimer&) = delete;
    TDXTimer& operator=(const TDXTimer&) = delete;

    // The end of form loading: starts the timer if it is enabled.
    void Loaded();

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value); // true starts, false stops (after Loaded)
    int Interval() const { return interval_; }
    void SetInterval(int value); // stored as max(value, 0)

    // Run only while the application is active.
    bool ActiveOnly = true;

    TDXTimerEvent OnTimer;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    // Ticks per second, measured about once a second.
    int FrameRate() const { return frameRate_; }
    // Started (running, or paused while the application is inactive).
    bool Initialized() const { return initialized_; }

    // The idle handler: fires OnTimer once if Interval has passed.
    void DoIdle();
    // Fires OnTimer now, with the lag count DoIdle would give (at least 1):
    // for a loop that takes its beat from the display's vertical blank.
    void FireNow();
    // Clock time at which DoIdle will next fire.
    std::uint32_t NextDueMs() const { return oldTime_ + static_cast<std::uint32_t>(interval_); }

private:
    void Start();
    void Stop();
    void Resume();
    void Suspend();
    void AppActivation(bool active);
    void Fire(std::uint32_t now);

    TApplication& application_;
    bool loading_ = true;
    bool enabled_ = true;
    int interval_ = 1000;
    int divisor_ = 1000;
    bool initialized_ = false;
    std::uint32_t oldTime_ = 0;
    std::uint32_t oldTime2_ = 0;
    int frameCount_ = 0;
    int frameRate_ = 0;
};
