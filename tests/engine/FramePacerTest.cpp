// The real-time loop's pacing against a simulated display: a clock that only
// moves when the loop sleeps, works or waits for a vertical blank, and a
// record of which tick each refresh of the screen showed. Each case runs a
// simulated minute and reports ticks per second, the spread of refreshes per
// tick, and the ticks never shown (skipped) or shown longer than the rate
// allows (repeated, a visible hitch).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/DXClass.h"
#include "engine/FramePacer.h"

namespace {

class SimulatedDisplay final : public platform::IClock, public platform::IVideo {
public:
    // `refreshHz` is the screen's rate; `vsync` whether presents wait for
    // its blank; `blocking` false: a hidden window whose presents return at
    // once although vsync is on.
    SimulatedDisplay(double refreshHz, bool vsync, bool blocking = true)
        : periodMs_(1000.0 / refreshHz), refreshHz_(refreshHz), vsync_(vsync), blocking_(blocking) {
    }

    double nowMs = 0;

    // IClock
    std::uint32_t NowMs() override { return static_cast<std::uint32_t>(std::floor(nowMs)); }
    void SleepUntilMs(std::uint32_t deadline) override {
        if (static_cast<std::int32_t>(deadline - NowMs()) > 0) {
            nowMs = deadline;
        }
    }

    // IVideo
    bool Open(const std::string&, int, int, std::string&) override { return true; }
    void SetFullscreen(bool) override {}
    void Present(platform::PixelView frame) override {
        const std::int64_t blank = NextBlank();
        // A picture shows from the first blank after it is complete.
        shown_.push_back({blank, frame.pixels[0]});
        if (vsync_ && blocking_) {
            nowMs = blank * periodMs_;
            ++vblanks_;
        } else {
            nowMs += 0.2; // the copy
        }
    }
    double VBlankRate() override { return vsync_ ? refreshHz_ : 0; }
    void WaitVBlank() override {
        if (vsync_ && blocking_) {
            nowMs = NextBlank() * periodMs_;
            ++vblanks_;
        }
    }
    std::uint64_t VBlankCount() override { return vblanks_; }
    void PollEvents(std::vector<platform::Event>&) override {}
    bool WaitEvent(int timeoutMs) override {
        nowMs += timeoutMs;
        return false;
    }
    void Minimize() override {}
    bool IsActive() override { return true; }
    void ShowCursor(bool) override {}
    void SetCursorPos(int, int) override {}
    platform::JoystickState ReadJoystick() override { return {}; }

    struct Stats {
        double ticksPerSecond = 0;
        int fewestRefreshes = 0; // per tick shown
        int mostRefreshes = 0;
        int skipped = 0;              // ticks drawn but never on screen
        int repeated = 0;             // ticks on screen longer than the rate requires
        std::map<int, int> histogram; // refreshes -> ticks
    };

    // The ticks first presented for a blank from `fromMs` to `toMs`, and for
    // how many refreshes each stayed on screen (counted to the end of the run).
    Stats Measure(double fromMs, double toMs) const {
        const auto firstBlank = static_cast<std::int64_t>(std::ceil(fromMs / periodMs_));
        const auto lastBlank = static_cast<std::int64_t>(std::floor(toMs / periodMs_));
        const std::int64_t endBlank = static_cast<std::int64_t>(std::floor(nowMs / periodMs_));
        std::map<std::uint32_t, int> refreshes;
        std::map<std::uint32_t, bool> inWindow;
        for (const Shown& s : shown_) {
            if (s.blank >= firstBlank && s.blank < lastBlank) {
                inWindow[s.tick] = true;
                refreshes[s.tick] += 0;
            }
        }
        std::size_t next = 0;
        std::uint32_t current = 0;
        for (std::int64_t blank = firstBlank; blank < endBlank; ++blank) {
            while (next < shown_.size() && shown_[next].blank <= blank) {
                current = shown_[next++].tick;
            }
            if (inWindow.count(current) != 0) {
                ++refreshes[current];
            }
        }
        Stats stats;
        stats.ticksPerSecond = inWindow.size() * 1000.0 / (toMs - fromMs);
        // Refreshes a tick needs at most at this pace.
        const int allowed = static_cast<int>(
            std::ceil(refreshHz_ / std::min(stats.ticksPerSecond, refreshHz_) - 1e-9));
        stats.fewestRefreshes = 1 << 30;
        for (const auto& [tick, count] : refreshes) {
            if (count == 0) {
                ++stats.skipped;
                continue;
            }
            ++stats.histogram[count];
            stats.fewestRefreshes = std::min(stats.fewestRefreshes, count);
            stats.mostRefreshes = std::max(stats.mostRefreshes, count);
            if (count > allowed) {
                ++stats.repeated;
            }
        }
        return stats;
    }

private:
    // A time on a blank counts as that blank, despite rounding.
    std::int64_t NextBlank() const {
        return static_cast<std::int64_t>(std::floor(nowMs / periodMs_ + 1e-6)) + 1;
    }
    struct Shown {
        std::int64_t blank;
        std::uint32_t tick;
    };
    double periodMs_;
    double refreshHz_;
    bool vsync_;
    bool blocking_;
    std::uint64_t vblanks_ = 0;
    std::vector<Shown> shown_;
};

struct PacingCase {
    const char* name;
    double refreshHz;
    bool vsync;
    bool blocking;
    double ticksPerSecond; // expected, within 2 %
    int fewest;            // expected spread of refreshes per tick
    int most;
    bool vsyncHolds; // with vsync no tick is dropped or held too long
};

class FramePacerTest : public ::testing::TestWithParam<PacingCase> {};

TEST_P(FramePacerTest, SimulatedMinute) {
    const PacingCase& c = GetParam();
    SimulatedDisplay display(c.refreshHz, c.vsync, c.blocking);
    TApplication application(display);
    TDXTimer timer(application);
    timer.SetInterval(16);
    std::uint32_t tick = 0;
    std::mt19937 random(7);
    // A tick's work (compose and upload) varies; the display gives every tick
    // the same refreshes as long as the work fits in one refresh.
    std::uniform_real_distribution<double> work(0.5, 4.0);
    std::vector<std::uint32_t> frame(1);
    timer.OnTimer = [&](TDXTimer*, int) {
        // The tick's work takes a few milliseconds, then the frame is shown.
        display.nowMs += work(random);
        frame[0] = ++tick;
        display.Present(platform::PixelView{frame.data(), 1, 1, 1});
    };
    timer.Loaded();
    FramePacer pacer(application, display, display);

    constexpr double kWarmUpMs = 1000;
    constexpr double kMinuteMs = 60000;
    while (display.nowMs < kWarmUpMs + kMinuteMs + 500) {
        pacer.RunTick();
        pacer.WaitForNext();
    }
    const auto stats = display.Measure(kWarmUpMs, kWarmUpMs + kMinuteMs);

    std::ostringstream report;
    report << c.name << ": " << stats.ticksPerSecond << " ticks/s, refreshes per tick "
           << stats.fewestRefreshes << ".." << stats.mostRefreshes << " (";
    for (const auto& [refreshes, ticks] : stats.histogram) {
        report << refreshes << ":" << ticks << " ";
    }
    report << "), skipped " << stats.skipped << ", repeated " << stats.repeated;
    std::cout << "[ pacing   ] " << report.str() << '\n';
    RecordProperty("pacing", report.str());

    EXPECT_NEAR(stats.ticksPerSecond, c.ticksPerSecond, c.ticksPerSecond * 0.02) << report.str();
    EXPECT_EQ(stats.fewestRefreshes, c.fewest) << report.str();
    EXPECT_EQ(stats.mostRefreshes, c.most) << report.str();
    if (c.vsyncHolds) {
        EXPECT_EQ(stats.repeated, 0) << report.str();
        EXPECT_EQ(stats.skipped, 0) << report.str();
    }
}

INSTANTIATE_TEST_SUITE_P(Displays, FramePacerTest,
                         ::testing::Values(
                             // Whole multiples of about 60 Hz: the screen's blank is the beat.
                             PacingCase{"60 Hz vsync", 60, true, true, 60, 1, 1, true},
                             PacingCase{"59.94 Hz vsync", 59.94, true, true, 59.94, 1, 1, true},
                             PacingCase{"64 Hz vsync", 64, true, true, 64, 1, 1, true},
                             PacingCase{"120 Hz vsync", 120, true, true, 60, 2, 2, true},
                             PacingCase{"240 Hz vsync", 240, true, true, 60, 4, 4, true},
                             // Other rates keep the game's own 62.5 ticks a second; the work of a
                             // tick decides at which blank its frame is ready.
                             PacingCase{"75 Hz vsync", 75, true, true, 62.5, 1, 2, true},
                             PacingCase{"144 Hz vsync", 144, true, true, 62.5, 1, 3, true},
                             // No vsync: the timer alone, as always; the screen drops a tick now
                             // and then and shows another twice (the hitch the vsync removes).
                             PacingCase{"60 Hz no vsync", 60, false, true, 62.5, 1, 2, false},
                             PacingCase{"144 Hz no vsync", 144, false, true, 62.5, 1, 3, false},
                             // A hidden window presents without waiting: the loop must not spin.
                             PacingCase{"60 Hz vsync, presents not waiting", 60, true, false, 62.5,
                                        1, 2, false}),
                         [](const ::testing::TestParamInfo<PacingCase>& test) {
                             std::string name;
                             for (const char* p = test.param.name; *p != 0; ++p) {
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             }
                             return name;
                         });

TEST(RefreshesPerTickTest, WholeMultiplesOfAbout60Hz) {
    const struct {
        double hz;
        int expected;
    } cases[] = {
        {0, 0},   {-60, 0}, {NAN, 0},  {30, 0},  {55.9, 0}, {56, 1},  {59.94, 1},
        {60, 1},  {64, 1},  {64.1, 0}, {75, 0},  {100, 0},  {112, 2}, {120, 2},
        {128, 2}, {144, 0}, {165, 0},  {180, 3}, {240, 4},  {360, 6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RefreshesPerTick(c.hz), c.expected) << c.hz << " Hz";
    }
}

} // namespace
