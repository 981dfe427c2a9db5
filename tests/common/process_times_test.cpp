#include "common/process_times.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace Brivel::Common {
namespace {

// Burns CPU until the process clock has advanced by `seconds`.
void Spin(double seconds)
{
    const double start = GetProcessCpuSeconds();
    volatile double sink = 0;
    while (GetProcessCpuSeconds() - start < seconds)
        sink = sink + std::sqrt(sink + 1.0);
}

TEST(ProcessTimes, BothReadingsGrowWithWorkAndAgree)
{
    uint64_t kernel0 = 0;
    uint64_t user0 = 0;
    ASSERT_TRUE(GetProcessTimes(&kernel0, &user0));
    const double cpu0 = GetProcessCpuSeconds();
    Spin(0.05);
    uint64_t kernel1 = 0;
    uint64_t user1 = 0;
    ASSERT_TRUE(GetProcessTimes(&kernel1, &user1));
    const double cpu1 = GetProcessCpuSeconds();

    EXPECT_GE(cpu1 - cpu0, 0.05);
    // The split between kernel and user time is the kernel's estimate (the
    // spin reads its clock through a system call), so only each part's
    // monotony and the sum's growth are certain.
    EXPECT_GE(kernel1, kernel0);
    EXPECT_GE(user1, user0);
    EXPECT_GT(kernel1 + user1, kernel0 + user0);
    // Same accounting read two ways, in 100-ns units and in seconds: they
    // agree up to the coarser one's rounding, far below the work done.
    const double both = static_cast<double>(kernel1 + user1 - kernel0 - user0) * 1e-7;
    EXPECT_NEAR(both, cpu1 - cpu0, 0.02);
}

TEST(ProcessTimes, NullOutputIsRefused)
{
    uint64_t time = 0;
    EXPECT_FALSE(GetProcessTimes(nullptr, &time));
    EXPECT_FALSE(GetProcessTimes(&time, nullptr));
}

} // namespace
} // namespace Brivel::Common
