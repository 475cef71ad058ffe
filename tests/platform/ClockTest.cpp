#include <gtest/gtest.h>

#include "platform/Platform.h"

namespace platform {
namespace {

TEST(VirtualClock, MovesOnlyWhenTold) {
    auto clock = CreateVirtualClock();
    EXPECT_EQ(clock->NowMs(), 0u);
    clock->SleepUntilMs(1000); // returns at once, time stands still
    EXPECT_EQ(clock->NowMs(), 0u);
    clock->AdvanceMs(16);
    clock->AdvanceMs(16);
    EXPECT_EQ(clock->NowMs(), 32u);
}

TEST(VirtualClock, WrapsLikeAThirtyTwoBitCounter) {
    VirtualClock clock(0xFFFFFFF0u);
    clock.AdvanceMs(0x20);
    EXPECT_EQ(clock.NowMs(), 0x10u);
}

TEST(SystemClock, SleepsUntilTheDeadline) {
    auto clock = CreateSystemClock();
    const std::uint32_t start = clock->NowMs();
    clock->SleepUntilMs(start + 3);
    EXPECT_GE(static_cast<std::int32_t>(clock->NowMs() - start), 3);
    // A deadline in the past is no reason to wait.
    clock->SleepUntilMs(start - 100);
    // Over half the range ahead counts as past; the margin of a minute keeps
    // that true on a machine slow enough to lose milliseconds in between.
    clock->SleepUntilMs(clock->NowMs() + 0x80000000u + 60000u);
}

} // namespace
} // namespace platform
