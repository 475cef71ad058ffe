#include "engine/DXClass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Fakes.h"

namespace {

class TimerTest : public ::testing::Test {
protected:
    TimerTest() : application(clock) {}

    // A timer that writes "<name> <lag>" per tick and its activation events.
    std::unique_ptr<TDXTimer> MakeTimer(const std::string& name, int interval, bool enabled,
                                        bool activeOnly) {
        auto timer = std::make_unique<TDXTimer>(application);
        timer->SetInterval(interval);
        timer->SetEnabled(enabled);
        timer->ActiveOnly = activeOnly;
        timer->OnTimer = [this, name](TDXTimer*, int lag) {
            journal.push_back(name + " " + std::to_string(lag));
        };
        timer->OnActivate = [this, name](TDXTimer*) { journal.push_back(name + " activate"); };
        timer->OnDeactivate = [this, name](TDXTimer*) { journal.push_back(name + " deactivate"); };
        timer->Loaded();
        return timer;
    }
    // Moves the clock to `ms` and runs the idle handler once.
    void IdleAt(std::uint32_t ms) {
        clock.now = ms;
        application.RunIdle();
    }
    std::vector<std::string> Take() { return std::exchange(journal, {}); }

    FakeClock clock;
    TApplication application;
    std::vector<std::string> journal;
};

using Lines = std::vector<std::string>;

TEST_F(TimerTest, LagCountIsWholeIntervalsAndTheRemainderIsDropped) {
    clock.now = 1000;
    auto timer = MakeTimer("t", 16, true, true);
    struct Step {
        std::uint32_t at;
        int lag; // 0: no tick
    };
    const Step steps[] = {
        {1010, 0}, {1015, 0}, {1016, 1}, // 10 ms: nothing; 16 ms: one
        {1047, 1},                       // 31 ms
        {1079, 2},                       // 32 ms
        {1129, 3},                       // a 50 ms stall: 50 div 16
        {1144, 0}, {1145, 1},            // measured from that call
    };
    for (const Step& step : steps) {
        IdleAt(step.at);
        EXPECT_EQ(Take(), step.lag == 0 ? Lines{} : Lines{"t " + std::to_string(step.lag)})
            << step.at;
    }
}

TEST_F(TimerTest, IntervalZeroFiresOnEveryCall) {
    auto timer = MakeTimer("t", 0, true, true);
    IdleAt(0);
    IdleAt(0);
    IdleAt(5);
    EXPECT_EQ(Take(), (Lines{"t 1", "t 1", "t 5"}));
    timer->SetInterval(-3);
    EXPECT_EQ(timer->Interval(), 0);
}

TEST_F(TimerTest, TheClockMayWrap) {
    clock.now = 0xFFFFFFF0u;
    auto timer = MakeTimer("t", 16, true, true);
    IdleAt(0x00000010u); // 32 ms later
    EXPECT_EQ(Take(), (Lines{"t 2"}));
}

TEST_F(TimerTest, NextDueTimeIsOneIntervalAfterTheLastTick) {
    clock.now = 100;
    EXPECT_FALSE(application.NextIdleDueMs().has_value());
    auto timer = MakeTimer("t", 16, true, true);
    EXPECT_EQ(application.NextIdleDueMs(), 116u);
    // A loop that sleeps to the due time ticks once per interval.
    for (int i = 0; i < 5; ++i) {
        clock.SleepUntilMs(*application.NextIdleDueMs());
        application.RunIdle();
    }
    EXPECT_EQ(Take(), (Lines{"t 1", "t 1", "t 1", "t 1", "t 1"}));
    EXPECT_EQ(clock.now, 180u);
}

TEST_F(TimerTest, SwitchingTimersLeavesOnlyTheEnabledOneTicking) {
    auto menu = MakeTimer("menu", 16, true, true);
    auto game = MakeTimer("game", 16, false, false);
    IdleAt(16);
    menu->SetEnabled(false);
    game->SetEnabled(true);
    IdleAt(32);
    IdleAt(48);
    EXPECT_EQ(Take(), (Lines{"menu 1", "game 1", "game 1"}));
    EXPECT_EQ(application.IdleHandler(), game.get());

    game->SetEnabled(false);
    EXPECT_FALSE(application.RunIdle());
    EXPECT_TRUE(Take().empty());
}

TEST_F(TimerTest, DeactivationPausesActiveOnlyTimersAndTellsBoth) {
    auto menu = MakeTimer("menu", 16, true, true);
    auto game = MakeTimer("game", 16, false, false);
    application.Deactivate();
    EXPECT_EQ(Take(), (Lines{"menu deactivate", "game deactivate"}));
    IdleAt(100);
    EXPECT_TRUE(Take().empty());
    EXPECT_TRUE(menu->Initialized()); // paused, not stopped

    application.Activate();
    EXPECT_EQ(Take(), (Lines{"menu activate", "game activate"}));
    IdleAt(110); // resumed at 100: measured from there
    IdleAt(116);
    EXPECT_EQ(Take(), (Lines{"menu 1"}));
}

TEST_F(TimerTest, TimerThatRunsWhileInactiveKeepsTicking) {
    auto game = MakeTimer("game", 16, true, false);
    application.Deactivate();
    IdleAt(16);
    EXPECT_EQ(Take(), (Lines{"game deactivate", "game 1"}));
}

TEST_F(TimerTest, EnablingWhileInactiveWaitsForActivation) {
    application.Deactivate();
    auto menu = MakeTimer("menu", 16, true, true);
    IdleAt(50);
    EXPECT_TRUE(Take().empty());
    application.Activate();
    IdleAt(66);
    EXPECT_EQ(Take(), (Lines{"menu activate", "menu 1"}));
}

TEST_F(TimerTest, TimerStartsOnlyWhenLoaded) {
    TDXTimer timer(application); // enabled by default, not yet loaded
    timer.SetInterval(16);
    EXPECT_FALSE(timer.Initialized());
    EXPECT_EQ(application.IdleHandler(), nullptr);
    timer.Loaded();
    EXPECT_EQ(application.IdleHandler(), &timer);
}

TEST_F(TimerTest, FrameRateIsMeasuredAboutOnceASecond) {
    auto timer = MakeTimer("t", 16, true, true);
    for (std::uint32_t t = 16; t <= 1008; t += 16) {
        IdleAt(t);
    }
    EXPECT_EQ(timer->FrameRate(), 62); // 63 ticks in 1008 ms: 62.5, halves to even
    Take();
}

} // namespace
