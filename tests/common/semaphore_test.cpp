#include "common/semaphore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>
#include <vector>

namespace Brivel::Common {
namespace {

TEST(CSemaphore, ReleaseBeyondTheMaximumFailsAndKeepsTheCount)
{
    CSemaphore semaphore(0, 1);
    EXPECT_TRUE(semaphore.Release());
    EXPECT_FALSE(semaphore.Release()); // the automat's "already awake"
    EXPECT_TRUE(semaphore.Wait(0));
    EXPECT_FALSE(semaphore.Wait(0));
}

TEST(CSemaphore, MultiUnitReleaseIsAllOrNothing)
{
    CSemaphore semaphore(1, 3);
    EXPECT_FALSE(semaphore.Release(3));
    EXPECT_FALSE(semaphore.Release(INT_MAX)); // no overflow into "fits"
    EXPECT_FALSE(semaphore.Release(0));
    EXPECT_FALSE(semaphore.Release(-1));
    EXPECT_TRUE(semaphore.Release(2));
    for (int unit = 0; unit < 3; ++unit)
        EXPECT_TRUE(semaphore.Wait(0)) << unit;
    EXPECT_FALSE(semaphore.Wait(0));
}

TEST(CSemaphore, ConstructorClampsBadCounts)
{
    CSemaphore noMaximum(5, 0); // maximum raised to 1, count lowered to it
    EXPECT_EQ(noMaximum.GetMaximumCount(), 1);
    EXPECT_TRUE(noMaximum.Wait(0));
    EXPECT_FALSE(noMaximum.Wait(0));

    CSemaphore negative(-3, 2);
    EXPECT_FALSE(negative.Wait(0));
    EXPECT_TRUE(negative.Release(2));
}

TEST(CSemaphore, TimedWaitGivesUpWithoutTakingAUnit)
{
    CSemaphore semaphore(0, 1);
    EXPECT_FALSE(semaphore.Wait(20));
    EXPECT_TRUE(semaphore.Release());
    EXPECT_TRUE(semaphore.Wait(20));
}

TEST(CSemaphore, EachReleasedUnitWakesOneWaiter)
{
    CSemaphore semaphore(0, 8);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int waiter = 0; waiter < 4; ++waiter) {
        waiters.emplace_back([&] {
            if (semaphore.Wait(kInfiniteTimeout))
                ++woken;
        });
    }
    EXPECT_TRUE(semaphore.Release(3));
    EXPECT_TRUE(semaphore.Release(1));
    for (auto& waiter : waiters)
        waiter.join();
    EXPECT_EQ(woken.load(), 4);
    EXPECT_FALSE(semaphore.Wait(0));
}

} // namespace
} // namespace Brivel::Common
