// The date and duration formats: every display and unit combination, the
// parse rules with their defaults, the local zone of the 32-bit date, round
// trips, stored layouts and garbage input.

#include "common/date_time_formats.h"

#include "common/format_registry.h"
#include "common/local_time.h"
#include "common/serializer.h"
#include "tests/common/serializer_test_support.h"
#include "tests/common/local_time_test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

namespace Brivel::Common {
namespace {

using Testing::Bytes;
using Testing::Stored;

int64_t FileTimeOf(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute, uint16_t second,
                   uint16_t milliseconds)
{
    int64_t fileTime = 0;
    EXPECT_TRUE(SystemTimeToFileTime(Testing::MakeSystemTime(year, month, day, hour, minute, second, milliseconds),
                                     fileTime));
    return fileTime;
}

const int64_t kMoment = FileTimeOf(2007, 3, 5, 13, 5, 9, 45);

// ---- CInt64DateFormat text ----

struct DateCase {
    int32_t flags;
    const char* text;
};

class Int64DateTextTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(Int64DateTextTest, ShowsTheSelectedParts)
{
    EXPECT_EQ(CInt64DateFormat(GetParam().flags).Format(kMoment), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, Int64DateTextTest,
    ::testing::Values(DateCase{1, "2007"}, DateCase{2, "07"}, DateCase{4, "03"}, DateCase{5, "03/2007"},
                      DateCase{6, "03/07"}, DateCase{8, "05"}, DateCase{12, "05/03"}, DateCase{13, "05/03/2007"},
                      DateCase{14, "05/03/07"}, DateCase{3, ""}, DateCase{7, ""}, DateCase{16, "13"},
                      DateCase{32, "05"}, DateCase{48, "13:05"}, DateCase{64, "09"}, DateCase{96, "05:09"},
                      DateCase{112, "13:05:09"}, DateCase{128, "045"}, DateCase{192, "09.045"},
                      DateCase{224, "05:09.045"}, DateCase{240, "13:05:09.045"}, DateCase{80, ""},
                      DateCase{254, "05/03/07 13:05:09.045"}, DateCase{94, "05/03/07 "},
                      DateCase{3 | 240, "13:05:09.045"}),
    [](const auto& info) { return "Flags" + std::to_string(info.param.flags); });

TEST(Int64DateFormat, TheEndsOfTheScale)
{
    const CInt64DateFormat format(13 | 240);
    EXPECT_EQ(format.Format(int64_t{0}), "01/01/1601 00:00:00.000");
    EXPECT_EQ(format.Format(int64_t{-1}), ""); // no calendar fields
    EXPECT_EQ(format.Format(INT64_MAX), "14/09/30828 02:48:05.477");
    EXPECT_EQ(CInt64DateFormat().GetFlags(), 14);
    EXPECT_TRUE(format.IsDateTime());
}

// ---- CInt64DateFormat parse ----

class Int64DateParseTest : public ::testing::Test {
protected:
    static bool Parse(int32_t flags, const std::string& text, int64_t& value)
    {
        return CInt64DateFormat(flags).Parse(text, value);
    }
    static int64_t Parsed(int32_t flags, const std::string& text)
    {
        int64_t value = -1;
        EXPECT_TRUE(Parse(flags, text, value)) << text;
        return value;
    }
};

TEST_F(Int64DateParseTest, NumbersFillTheSelectedPartsFromTheRight)
{
    EXPECT_EQ(Parsed(48, "12:30"), FileTimeOf(2000, 1, 1, 12, 30, 0, 0));
    EXPECT_EQ(Parsed(96, "12:30"), FileTimeOf(2000, 1, 1, 1, 12, 30, 0));
    EXPECT_EQ(Parsed(14, "05/03/07"), FileTimeOf(2007, 3, 5, 1, 0, 0, 0)); // no time: hour 1
    EXPECT_EQ(Parsed(14, "05/03/70"), FileTimeOf(1970, 3, 5, 1, 0, 0, 0));
    EXPECT_EQ(Parsed(13, "5/3/1999"), FileTimeOf(1999, 3, 5, 1, 0, 0, 0));
    EXPECT_EQ(Parsed(254, "on 05/03/07 13:05:09,045"), kMoment); // a comma for the fraction
    EXPECT_EQ(Parsed(126, "13:05:09 05/03/07"), FileTimeOf(2007, 3, 5, 13, 5, 9, 0)); // roles follow the separators
    EXPECT_EQ(Parsed(254, "13:05:09.045 05/03/07"), FileTimeOf(2000, 1, 1, 13, 5, 9, 45)); // the fraction ends the text
    EXPECT_EQ(Parsed(128, "45"), FileTimeOf(2000, 1, 1, 1, 0, 0, 45));
    EXPECT_EQ(Parsed(192, "09.5"), FileTimeOf(2000, 1, 1, 1, 0, 9, 500));
    EXPECT_EQ(Parsed(8, "17"), FileTimeOf(2000, 1, 17, 1, 0, 0, 0));
}

TEST_F(Int64DateParseTest, ImpossibleDatesAndTextsWithoutDigitsFail)
{
    int64_t value = 7;
    for (const char* text : {"31/02/07", "05/13/07", "no date", "", "29/02/1900", "05/03/07 24:00:00", "1234"}) {
        EXPECT_FALSE(Parse(text == std::string("1234") ? 128 : 254, text, value)) << text;
    }
    EXPECT_FALSE(Parse(14, "05/03/99999999999", value)); // no wrap into 16 bits
    EXPECT_EQ(value, 7);
}

TEST_F(Int64DateParseTest, WhatTheFormatWritesReadsBack)
{
    std::mt19937_64 random(11);
    for (const int32_t flags : {13 | 240, 14 | 240, 13 | 112}) {
        const CInt64DateFormat format(flags);
        for (int round = 0; round < 500; ++round) {
            // Moments between 1970 and 2069, so that a two-digit year reads back.
            int64_t moment = FileTimeOf(1970, 1, 1, 0, 0, 0, 0) +
                             static_cast<int64_t>(random() % (100ull * 365 * 86'400'000)) * kFileTimeTicksPerMillisecond;
            if (!(flags & 128))
                moment -= moment % kFileTimeTicksPerSecond;
            EXPECT_EQ(Parsed(flags, format.Format(moment)), moment) << format.Format(moment);
        }
    }
}

// ---- CLongDateFormat ----

class LongDateFormatTest : public ::testing::Test {
protected:
    Testing::CScopedTimeZone m_zone{Testing::kCentralEuropeanZone};
};

TEST_F(LongDateFormatTest, ShowsAndReadsLocalTime)
{
    const CLongDateFormat format(14 | 112);
    EXPECT_EQ(format.Format(int32_t{0}), "01/01/70 01:00:00");
    EXPECT_EQ(format.Format(int32_t{-1}), "01/01/70 00:59:59");
    EXPECT_EQ(format.Format(int32_t{1'688'212'800}), "01/07/23 14:00:00"); // summer time
    EXPECT_EQ(CLongDateFormat(240).Format(int32_t{0}), "01:00:00");    // no milliseconds
    int32_t value = 5;
    EXPECT_TRUE(format.Parse(std::string("01/07/23 14:00:00"), value));
    EXPECT_EQ(value, 1'688'212'800);
    EXPECT_TRUE(CLongDateFormat(240).Parse(std::string("01:00:00.999"), value));
    EXPECT_EQ(value, 946'684'800); // 2000-01-01 01:00 local is midnight UTC
    EXPECT_FALSE(CLongDateFormat(13).Parse(std::string("01/01/2040"), value)); // beyond 32 bits
    EXPECT_EQ(value, 946'684'800);
}

// ---- CLongMsecTimeFormat ----

struct DurationCase {
    int32_t units;
    bool fixedWidth;
    int32_t value;
    const char* text;
};

class DurationTextTest : public ::testing::TestWithParam<DurationCase> {};

TEST_P(DurationTextTest, ShowsTheSelectedUnits)
{
    const DurationCase& c = GetParam();
    const CLongMsecTimeFormat format(c.units, c.fixedWidth, "h", "d");
    EXPECT_EQ(format.Format(c.value), c.text);
    // Whatever shows milliseconds reads back exactly.
    if (c.units & DurationMilliseconds) {
        int32_t parsed = 0;
        EXPECT_TRUE(format.Parse(std::string(c.text), parsed));
        EXPECT_EQ(parsed, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Units, DurationTextTest,
    ::testing::Values(DurationCase{30, false, 3'723'004, "1:02:03.004h"}, DurationCase{30, false, 63'004, "1:03.004h"},
                      DurationCase{30, false, 0, "0.000h"}, DurationCase{30, false, -1'500, "-1.500h"},
                      DurationCase{30, false, INT_MIN, "-596:31:23.648h"},
                      DurationCase{31, true, 90'061'001, "1d 01:01:01.001h"},
                      DurationCase{31, true, 0, "0d 00:00:00.000h"}, DurationCase{31, false, 3'723'004, "1:02:03.004h"},
                      DurationCase{14, false, 3'723'004, "1:02:03h"}, DurationCase{14, false, 3'004, "0:03h"},
                      DurationCase{24, false, 500, "500h"}, DurationCase{24, false, 1'500, "1.500h"},
                      DurationCase{16, false, 1'500, "1500h"}, DurationCase{16, true, 5, "005h"},
                      DurationCase{28, false, 4'004, "4.004h"}, DurationCase{12, false, 3'723'004, "62:03h"},
                      DurationCase{6, true, 3'723'004, "01:02h"}, DurationCase{2, false, -1'000, "0h"},
                      DurationCase{2, false, 90'000'000, "25h"}, DurationCase{3, false, 90'000'000, "1d 1h"},
                      DurationCase{1, false, 0, "0d"}, DurationCase{10, false, 3'723'004, ""}));

TEST(DurationParse, FillsTheUnitsFromTheRight)
{
    const CLongMsecTimeFormat format; // hours, minutes, seconds, milliseconds
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {{"1:02:03.004", 3'723'004}, {"-1.500", -1'500}, {"3.004", 3'004}, {"7", 7}, {"", 0},
                 {"about 2:00.000 min", 120'000}, {"1;2/3,4", 3'723'004}};
    for (const auto& c : cases) {
        int32_t value = -1;
        EXPECT_TRUE(format.Parse(std::string(c.text), value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(DurationParse, GapsInTheUnitsAndOverflowFail)
{
    int32_t value = 9;
    for (const int32_t units : {20, 10, 17, 0, 32, 30 | 64})
        EXPECT_FALSE(CLongMsecTimeFormat(units).Parse(std::string("1:2:3"), value)) << units;
    EXPECT_FALSE(CLongMsecTimeFormat().Parse(std::string("600:00:00.000"), value));
    EXPECT_FALSE(CLongMsecTimeFormat(16).Parse(std::string("99999999999999999999"), value));
    EXPECT_EQ(value, 9);
}

// ---- Storage and garbage ----

TEST(DateTimeFormatStorage, LayoutsAndVersions)
{
    EXPECT_EQ(Stored(CInt64DateFormat(240)), (Bytes{1, 0, 0, 0, 240, 0, 0, 0}));
    EXPECT_EQ(Stored(CLongDateFormat(13)), (Bytes{1, 0, 0, 0, 13, 0, 0, 0}));
    // The day label is stored before the time label.
    EXPECT_EQ(Stored(CLongMsecTimeFormat(31, true, "h", "d")),
              (Bytes{1, 0, 0, 0, 31, 0, 0, 0, 1, 1, 0, 0, 0, 'd', 0, 1, 0, 0, 0, 'h', 0}));

    const CLongMsecTimeFormat original(12, true, "min", "days");
    const std::unique_ptr<CFormat> restored = CreateFormat("Common::CLongMsecTimeFormat");
    ASSERT_NE(restored, nullptr);
    Testing::RestoreFrom(Stored(original)).ReadFormat(*restored);
    EXPECT_EQ(restored->Format(CFieldValue(int32_t{-61'000})), "-01:01min");

    Bytes newer = Stored(CInt64DateFormat(240));
    newer[0] = 2;
    CInt64DateFormat target;
    try {
        Testing::RestoreFrom(newer).ReadFormat(target);
        ADD_FAILURE() << "a newer version was read";
    } catch (const CSerializer::BadVersionException& error) {
        EXPECT_STREQ(error.what(), "CInt64DateFormat doesn't support current version and can't be deserialized.");
    }
    EXPECT_EQ(target.GetFlags(), 14);
}

TEST(DateTimeFormatGarbage, AnyTextParsesOrFailsCleanly)
{
    std::mt19937 random(5);
    static constexpr char kInteresting[] = "0123456789/:.,;- \t";
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 32, '\0');
        for (char& c : text)
            c = random() % 2 ? kInteresting[random() % (sizeof(kInteresting) - 1)] : static_cast<char>(random());
        const int32_t flags = static_cast<int32_t>(random() % 256);
        int64_t stamp = 0;
        int32_t duration = 0;
        if (CInt64DateFormat(flags).Parse(text, stamp)) {
            EXPECT_GE(stamp, 0) << text;
        }
        (void)CLongMsecTimeFormat(flags % 32).Parse(text, duration);
        (void)CLongMsecTimeFormat(flags % 32, flags & 1).Format(static_cast<int32_t>(random()));
    }
}

} // namespace
} // namespace Brivel::Common
