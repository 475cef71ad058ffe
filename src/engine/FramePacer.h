// How the frame timer and a display that waits for its vertical blank share
// the beat of the real-time loop.
//
// On a display whose rate is a whole multiple of about 60 Hz the vertical
// blank gives the beat: the timer fires once every n refreshes, so every tick
// stays on screen equally long and the game runs at the display's pace (as
// the 16 ms timer and a flip that waits for the blank do together on such a
// display). At any other rate, or without vsync, the timer's own 16 ms clock
// gives the beat; a present that waits for the blank then only holds each
// tick for a whole number of refreshes.
#pragma once

#include <cstdint>

#include "engine/DXClass.h"
#include "platform/Platform.h"

// Refreshes a tick stays on screen when `refreshHz` is 56 to 64 Hz times a
// whole number n (then n); 0 for any other rate and for 0 (no vsync).
int RefreshesPerTick(double refreshHz);

class FramePacer {
public:
    // `video` presents the frames the timers draw; all three must outlive
    // the pacer.
    FramePacer(TApplication& application, platform::IVideo& video, platform::IClock& clock);

    // Runs the timer that owns the idle slot if its tick is due now.
    void RunTick();
    // Waits until the next tick may be due: for the remaining vertical blanks
    // of the tick when the display gives the beat, else sleeping to the
    // timer's due time (or until an event while no timer runs).
    void WaitForNext();

    // The refreshes per tick in use: 0 while the timer's clock gives the beat.
    int RefreshesPerTickNow() const { return refreshesPerTick_; }

private:
    TApplication& application_;
    platform::IVideo& video_;
    platform::IClock& clock_;
    int refreshesPerTick_ = 0;
    double refreshHz_ = 0;
    bool fired_ = false;
    std::uint32_t tickStartMs_ = 0;
};
