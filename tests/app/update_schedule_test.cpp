// The update stream's catch-up schedule: the target grows with the time since
// the start, late steps make up at once, restarts drop what was owed, and the
// tick counter's wrap neither stalls nor floods the stream.
#include "app/update_schedule.h"

#include <gtest/gtest.h>

namespace Quellon {
namespace {

TEST(UpdateScheduleTest, OwesFrequencyTimesElapsedAndCatchesUp)
{
    CUpdateSchedule schedule(10'000);
    EXPECT_EQ(schedule.OwedAt(5000, 10'000), 0u) << "no time elapsed";
    EXPECT_EQ(schedule.OwedAt(5000, 10'010), 50u) << "a 10 ms step at 5000 per second";
    schedule.CountDone(50);
    EXPECT_EQ(schedule.OwedAt(5000, 10'020), 50u);
    schedule.CountDone(50);
    // The driving thread was busy for a second: the next step makes it up.
    EXPECT_EQ(schedule.OwedAt(1000, 11'020), 1020u - 100u);
    EXPECT_EQ(schedule.OwedAt(0, 11'020), 0u) << "frequency 0 owes nothing";
    // Truncation: 3 per second owe nothing for the first 333 ms.
    CUpdateSchedule slow(0);
    EXPECT_EQ(slow.OwedAt(3, 333), 0u);
    EXPECT_EQ(slow.OwedAt(3, 334), 1u);
}

TEST(UpdateScheduleTest, RestartDropsWhatWasOwed)
{
    CUpdateSchedule schedule(0);
    schedule.CountDone(10);
    EXPECT_EQ(schedule.OwedAt(5000, 2000), 9990u);
    schedule.Restart(2000);
    EXPECT_EQ(schedule.GetUpdatesDone(), 0u);
    EXPECT_EQ(schedule.OwedAt(5000, 2000), 0u);
    EXPECT_EQ(schedule.OwedAt(5000, 4000), 10'000u) << "a 2 s run is made up by the step after it";
}

TEST(UpdateScheduleTest, LargeRatesDoNotOverflow)
{
    CUpdateSchedule schedule(0);
    EXPECT_EQ(schedule.TargetAt(0x7FFFFFFFu, 0x7FFFFFF0u), uint64_t{0x7FFFFFFFu} * 0x7FFFFFF0u / 1000u);
}

TEST(UpdateScheduleTest, TickWrapKeepsTheStreamGoing)
{
    // Across the 2^32 wrap the difference is still the elapsed time.
    CUpdateSchedule wrapped(0xFFFFFFF6u);
    EXPECT_EQ(wrapped.OwedAt(1000, 10u), 20u);
    EXPECT_EQ(wrapped.GetStartTick(), 0xFFFFFFF6u) << "no restart: the start is not later as a signed tick";

    // A start that reads later than now as a signed value restarts at now.
    CUpdateSchedule signedWrap(0x7FFFFFF6u);
    signedWrap.CountDone(5);
    EXPECT_EQ(signedWrap.OwedAt(1000, 0x80000000u), 10u);
    EXPECT_EQ(signedWrap.GetStartTick(), 0x80000000u);
    EXPECT_EQ(signedWrap.GetUpdatesDone(), 0u);

    // A start set after now was read owes nothing and restarts.
    CUpdateSchedule later(500);
    EXPECT_EQ(later.OwedAt(5000, 400), 0u);
    EXPECT_EQ(later.GetStartTick(), 400u);
    EXPECT_EQ(later.OwedAt(5000, 410), 50u);
}

} // namespace
} // namespace Quellon
