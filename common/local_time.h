#pragma once
// Calendar time helpers: the local wall-clock time as calendar fields, the
// 1601 file-time scale, and local calendar time <-> seconds since 1970.
//
// SystemTime holds a moment as calendar fields (year, month, day of week,
// day, hour, minute, second, milliseconds), 16-bit each as the Windows
// SYSTEMTIME record the log's time stamps were designed around.
//
// The file-time scale counts 100-nanosecond intervals since 1601-01-01 00:00
// as a signed 64-bit number. The conversions apply no time zone: a SystemTime
// holding local time gives a local file time, which is what the benchmark's
// log stores. SystemTimeToFileTime accepts exactly the calendar fields that
// name a real moment between 1601-01-01 and 30827-12-31 23:59:59.999
// (month 1-12, day valid for the month and leap year, hour < 24, minute < 60,
// second < 60, milliseconds < 1000); the day of week is not read. The reverse
// conversion accepts any non-negative file time and fills the day of week.
//
// The local-zone conversions use localtime_r and mktime, so they are safe on
// any thread (unlike localtime, whose result buffer is shared).
//
// Thread: any thread.

#include <cstdint>

namespace Brivel::Common {

// Calendar fields of a moment, to the millisecond.
struct SystemTime {
    uint16_t year = 0; // four digits
    uint16_t month = 0;     // 1..12
    uint16_t dayOfWeek = 0; // 0 Sunday .. 6 Saturday
    uint16_t day = 0;       // 1..31
    uint16_t hour = 0; // 0..23
    uint16_t minute = 0; // 0..59
    uint16_t second = 0; // 0..59
    uint16_t milliseconds = 0; // 0..999

    // Member-wise equality.
    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

static_assert(sizeof(SystemTime) == 16, "SystemTime mirrors the 16-byte calendar record");

// 100-ns intervals per millisecond, per second and per day on the file-time scale.
inline constexpr int64_t kFileTimeTicksPerMillisecond = 10'000;
inline constexpr int64_t kFileTimeTicksPerSecond = 10'000'000;
inline constexpr int64_t kFileTimeTicksPerDay = 86'400 * kFileTimeTicksPerSecond;

// Seconds from 1601-01-01 to 1970-01-01.
inline constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;

// The first and last years SystemTimeToFileTime accepts.
inline constexpr int kFirstFileTimeYear = 1601;
inline constexpr int kLastFileTimeYear = 30827;

// The current local wall-clock time, to the millisecond.
SystemTime GetLocalTime();

// True when the fields name a moment SystemTimeToFileTime converts (the day
// of week is not checked).
bool IsValidSystemTime(const SystemTime& time) noexcept;

// Calendar fields to file time; false (fileTime untouched) for invalid fields.
bool SystemTimeToFileTime(const SystemTime& time, int64_t& fileTime) noexcept;

// File time to calendar fields, day of week included; false (time untouched)
// for a negative file time.
bool FileTimeToSystemTime(int64_t fileTime, SystemTime& time) noexcept;

// Local calendar fields to seconds since 1970-01-01 00:00 UTC (mktime; the
// milliseconds and day of week are not read). False for fields that
// IsValidSystemTime refuses or that the C library cannot convert. A local
// time that a daylight-saving change skips is moved forward as mktime does.
bool LocalTimeToSeconds(const SystemTime& time, int64_t& seconds) noexcept;

// Seconds since 1970-01-01 00:00 UTC to local calendar fields (localtime_r),
// milliseconds 0. False when the result lies outside 1601..30827.
bool SecondsToLocalTime(int64_t seconds, SystemTime& time) noexcept;

} // namespace Brivel::Common
