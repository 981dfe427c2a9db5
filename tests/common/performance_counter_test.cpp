#include "common/performance_counter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>

namespace Brivel::Common {
namespace {

TEST(PerformanceCounter, CountsNanosecondsAtAFixedFrequency)
{
    int64_t frequency = 0;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency, 1'000'000'000);

    int64_t t0 = 0;
    int64_t t1 = 0;
    ASSERT_TRUE(QueryPerformanceCounter(&t0));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(QueryPerformanceCounter(&t1));
    // A sleep of 2 ms lasts at least 2 ms: a lower bound, not a speed.
    EXPECT_GE(t1 - t0, 2'000'000);
}

TEST(PerformanceCounter, NullOutputIsRefused)
{
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
    EXPECT_FALSE(QueryPerformanceFrequency(nullptr));
}

} // namespace
} // namespace Brivel::Common
