// The process clock: its origin, its test seam and its wrap-safe arithmetic.

#include "common/process_clock.h"

#include "common/tick_count.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <thread>

namespace Brivel::Common {
namespace {

class ProcessClockTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ResetProcessClockForTesting();
        SetTickCountOffsetForTesting(0);
    }
};

TEST_F(ProcessClockTest, CountsMillisecondsFromItsFirstReading)
{
    const int32_t first = GetProcessClock();
    EXPECT_GE(first, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const int32_t later = GetProcessClock();
    EXPECT_GE(ProcessClockDifference(later, first), 20);
}

TEST_F(ProcessClockTest, FrozenClockForTests)
{
    SetProcessClockForTesting(500);
    EXPECT_EQ(GetProcessClock(), 500);
    AdvanceProcessClockForTesting(25);
    EXPECT_EQ(GetProcessClock(), 525);
    SetProcessClockForTesting(INT32_MAX);
    AdvanceProcessClockForTesting(2);
    EXPECT_EQ(GetProcessClock(), INT32_MIN + 1); // wraps like the tick counter
    ResetProcessClockForTesting();
    AdvanceProcessClockForTesting(1000); // no effect on the real clock
    EXPECT_GE(GetProcessClock(), 0);
}

TEST_F(ProcessClockTest, DifferencesAreWrapSafe)
{
    EXPECT_EQ(ProcessClockDifference(ProcessClockAdd(INT32_MAX, 10), INT32_MAX), 10);
    EXPECT_EQ(ProcessClockDifference(INT32_MAX - 5, ProcessClockAdd(INT32_MAX, 10)), -15);
    EXPECT_EQ(ProcessClockAdd(-3, 3), 0);
}

TEST_F(ProcessClockTest, RealClockFollowsTheTickCounterAndSkipsTheSentinel)
{
    const int32_t now = GetProcessClock();
    // Moving the tick counter's origin moves the clock with it, across its
    // 32-bit wrap too; the reading -1 ("never") is never returned.
    const uint32_t offset = static_cast<uint32_t>(-1 - now) - 1; // aims just below -1
    SetTickCountOffsetForTesting(offset);
    for (int i = 0; i < 5; ++i) {
        EXPECT_NE(GetProcessClock(), -1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace
} // namespace Brivel::Common
