#include "common/local_time.h"

#include <ctime>

namespace Brivel::Common {

namespace {

constexpr bool IsLeapYear(int64_t year) noexcept
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int DaysInMonth(int64_t year, int month) noexcept
{
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Civil-date arithmetic on the proleptic Gregorian calendar: days since
// 1970-01-01 from year, month, day and back, valid for any year in range
// (eras of 400 years, March-based years so that the leap day comes last).
constexpr int64_t DaysFromCivil(int64_t year, int month, int day) noexcept
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct CivilDate {
    int64_t year;
    int month;
    int day;
};

constexpr CivilDate CivilFromDays(int64_t days) noexcept
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

constexpr int64_t kDaysFrom1601To1970 = -DaysFromCivil(1601, 1, 1);
static_assert(kDaysFrom1601To1970 * 86'400 == kSecondsFrom1601To1970);
static_assert(CivilFromDays(DaysFromCivil(2000, 2, 29)).day == 29);

SystemTime FromTm(const std::tm& fields, uint16_t milliseconds) noexcept
{
    SystemTime time;
    time.year = static_cast<uint16_t>(fields.tm_year + 1900);
    time.month = static_cast<uint16_t>(fields.tm_mon + 1);
    time.dayOfWeek = static_cast<uint16_t>(fields.tm_wday);
    time.day = static_cast<uint16_t>(fields.tm_mday);
    time.hour = static_cast<uint16_t>(fields.tm_hour);
    time.minute = static_cast<uint16_t>(fields.tm_min);
    time.second = static_cast<uint16_t>(fields.tm_sec);
    time.milliseconds = milliseconds;
    return time;
}

} // namespace

SystemTime GetLocalTime()
{
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    std::tm fields{};
    if (!localtime_r(&now.tv_sec, &fields))
        return {};
    return FromTm(fields, static_cast<uint16_t>(now.tv_nsec / 1'000'000));
}

bool IsValidSystemTime(const SystemTime& time) noexcept
{
    return time.year >= kFirstFileTimeYear && time.year <= kLastFileTimeYear && time.month >= 1 &&
           time.month <= 12 && time.day >= 1 && time.day <= DaysInMonth(time.year, time.month) && time.hour < 24 &&
           time.minute < 60 && time.second < 60 && time.milliseconds < 1000;
}

bool SystemTimeToFileTime(const SystemTime& time, int64_t& fileTime) noexcept
{
    if (!IsValidSystemTime(time))
        return false;
    // At most about 9.2e18 for the last moment of 30827: within int64.
    const int64_t days = DaysFromCivil(time.year, time.month, time.day) + kDaysFrom1601To1970;
    const int64_t seconds = time.hour * 3600 + time.minute * 60 + time.second;
    fileTime = days * kFileTimeTicksPerDay + seconds * kFileTimeTicksPerSecond +
               time.milliseconds * kFileTimeTicksPerMillisecond;
    return true;
}

bool FileTimeToSystemTime(int64_t fileTime, SystemTime& time) noexcept
{
    if (fileTime < 0)
        return false;
    const int64_t days = fileTime / kFileTimeTicksPerDay;
    const int64_t ticksOfDay = fileTime % kFileTimeTicksPerDay;
    const CivilDate date = CivilFromDays(days - kDaysFrom1601To1970);
    const int64_t millisecondsOfDay = ticksOfDay / kFileTimeTicksPerMillisecond;
    time.year = static_cast<uint16_t>(date.year);
    time.month = static_cast<uint16_t>(date.month);
    time.dayOfWeek = static_cast<uint16_t>((days + 1) % 7); // 1601-01-01 was a Monday
    time.day = static_cast<uint16_t>(date.day);
    time.hour = static_cast<uint16_t>(millisecondsOfDay / 3'600'000);
    time.minute = static_cast<uint16_t>(millisecondsOfDay / 60'000 % 60);
    time.second = static_cast<uint16_t>(millisecondsOfDay / 1000 % 60);
    time.milliseconds = static_cast<uint16_t>(millisecondsOfDay % 1000);
    return true;
}

bool LocalTimeToSeconds(const SystemTime& time, int64_t& seconds) noexcept
{
    if (!IsValidSystemTime(time))
        return false;
    std::tm fields{};
    fields.tm_year = time.year - 1900;
    fields.tm_mon = time.month - 1;
    fields.tm_mday = time.day;
    fields.tm_hour = time.hour;
    fields.tm_min = time.minute;
    fields.tm_sec = time.second;
    fields.tm_isdst = -1; // let the zone rules decide
    fields.tm_wday = -1;  // set by a successful conversion
    const std::time_t result = std::mktime(&fields);
    // -1 is also 1969-12-31 23:59:59 UTC: only a conversion that failed
    // leaves the day of week unset.
    if (result == static_cast<std::time_t>(-1) && fields.tm_wday < 0)
        return false;
    seconds = static_cast<int64_t>(result);
    return true;
}

bool SecondsToLocalTime(int64_t seconds, SystemTime& time) noexcept
{
    const std::time_t value = static_cast<std::time_t>(seconds);
    std::tm fields{};
    if (!localtime_r(&value, &fields))
        return false;
    const int64_t year = static_cast<int64_t>(fields.tm_year) + 1900;
    if (year < kFirstFileTimeYear || year > kLastFileTimeYear)
        return false;
    time = FromTm(fields, 0);
    return true;
}

} // namespace Brivel::Common
