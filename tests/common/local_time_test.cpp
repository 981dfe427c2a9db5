// The calendar helpers: the validity rules of the file-time conversion, the
// ends of its range, round trips, the day of week, and the local-zone
// conversions in a fixed zone, also from several threads at once.

#include "common/local_time.h"

#include "tests/common/local_time_test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

namespace Brivel::Common {
namespace {

using Testing::MakeSystemTime;

TEST(FileTime, KnownPointsOfTheScale)
{
    int64_t fileTime = -1;
    ASSERT_TRUE(SystemTimeToFileTime(MakeSystemTime(1601, 1, 1), fileTime));
    EXPECT_EQ(fileTime, 0);
    ASSERT_TRUE(SystemTimeToFileTime(MakeSystemTime(1970, 1, 1), fileTime));
    EXPECT_EQ(fileTime, 116'444'736'000'000'000);
    ASSERT_TRUE(SystemTimeToFileTime(MakeSystemTime(30827, 12, 31, 23, 59, 59, 999), fileTime));
    EXPECT_EQ(fileTime, 9'223'149'887'999'990'000); // just below 2^63

    SystemTime back;
    ASSERT_TRUE(FileTimeToSystemTime(fileTime, back));
    SystemTime expected = MakeSystemTime(30827, 12, 31, 23, 59, 59, 999);
    expected.dayOfWeek = back.dayOfWeek;
    EXPECT_EQ(back, expected);
    ASSERT_TRUE(FileTimeToSystemTime(0, back));
    EXPECT_EQ(back.dayOfWeek, 1); // 1601-01-01 was a Monday
    ASSERT_TRUE(SystemTimeToFileTime(MakeSystemTime(2024, 6, 11, 12), fileTime));
    ASSERT_TRUE(FileTimeToSystemTime(fileTime, back));
    EXPECT_EQ(back.dayOfWeek, 2); // a Tuesday
    EXPECT_FALSE(FileTimeToSystemTime(-1, back));
}

TEST(FileTime, InvalidCalendarFieldsFail)
{
    const SystemTime invalid[] = {
        MakeSystemTime(1600, 12, 31), MakeSystemTime(30828, 1, 1), MakeSystemTime(2023, 0, 1), MakeSystemTime(2023, 13, 1), MakeSystemTime(2023, 1, 0), MakeSystemTime(2023, 1, 32),
        MakeSystemTime(2023, 4, 31), MakeSystemTime(2023, 2, 29), MakeSystemTime(1900, 2, 29), MakeSystemTime(2023, 1, 1, 24), MakeSystemTime(2023, 1, 1, 0, 60),
        MakeSystemTime(2023, 1, 1, 0, 0, 60), MakeSystemTime(2023, 1, 1, 0, 0, 0, 1000),
    };
    for (const SystemTime& time : invalid) {
        int64_t fileTime = 42;
        EXPECT_FALSE(SystemTimeToFileTime(time, fileTime)) << time.year << "-" << time.month << "-" << time.day;
        EXPECT_EQ(fileTime, 42);
    }
    int64_t fileTime = 0;
    EXPECT_TRUE(SystemTimeToFileTime(MakeSystemTime(2000, 2, 29), fileTime));
    EXPECT_TRUE(SystemTimeToFileTime(MakeSystemTime(2024, 2, 29, 23, 59, 59, 999), fileTime));
}

TEST(FileTime, RandomMomentsRoundTrip)
{
    std::mt19937_64 random(3);
    for (int round = 0; round < 20000; ++round) {
        const int64_t fileTime = static_cast<int64_t>(random() >> 1) / kFileTimeTicksPerMillisecond *
                                 kFileTimeTicksPerMillisecond; // whole milliseconds
        SystemTime time;
        ASSERT_TRUE(FileTimeToSystemTime(fileTime, time));
        if (time.year > kLastFileTimeYear)
            continue; // the reverse conversion ends with 30827
        int64_t back = 0;
        ASSERT_TRUE(SystemTimeToFileTime(time, back));
        EXPECT_EQ(back, fileTime);
    }
}

class LocalTimeTest : public ::testing::Test {
protected:
    Testing::CScopedTimeZone m_zone{Testing::kCentralEuropeanZone};
};

TEST_F(LocalTimeTest, SecondsConvertInTheLocalZone)
{
    SystemTime time;
    ASSERT_TRUE(SecondsToLocalTime(0, time));
    EXPECT_EQ(time.year, 1970);
    EXPECT_EQ(time.hour, 1); // UTC+1 in winter
    EXPECT_EQ(time.dayOfWeek, 4); // a Thursday
    int64_t seconds = -1;
    ASSERT_TRUE(LocalTimeToSeconds(MakeSystemTime(1970, 1, 1, 1), seconds));
    EXPECT_EQ(seconds, 0);
    ASSERT_TRUE(LocalTimeToSeconds(MakeSystemTime(2023, 7, 1, 14), seconds)); // summer: UTC+2
    EXPECT_EQ(seconds, 1'688'212'800);
    ASSERT_TRUE(LocalTimeToSeconds(MakeSystemTime(1970, 1, 1, 0, 59, 59), seconds));
    EXPECT_EQ(seconds, -1); // a real moment, not a failure
    EXPECT_FALSE(LocalTimeToSeconds(MakeSystemTime(2023, 2, 30), seconds));
}

TEST_F(LocalTimeTest, ConversionsAreSafeOnSeveralThreads)
{
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int index = 0; index < 4; ++index) {
        threads.emplace_back([index, &failures] {
            // Around noon, away from the hour a change to winter time repeats.
            for (int64_t day = index * 1000; day < index * 1000 + 400; ++day) {
                const int64_t seconds = day * 86'400 + 43'200 + index * 7;
                SystemTime time;
                int64_t back = 0;
                if (!SecondsToLocalTime(seconds, time) || !LocalTimeToSeconds(time, back) || back != seconds)
                    ++failures[index];
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

} // namespace
} // namespace Brivel::Common
