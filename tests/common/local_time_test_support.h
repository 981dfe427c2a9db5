#pragma once
// Helpers for the tests of calendar times: calendar fields in one call, and a
// fixed local time zone for the length of a test.

#include "common/local_time.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace Brivel::Common::Testing {

inline SystemTime MakeSystemTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour = 0,
                                 uint16_t minute = 0, uint16_t second = 0, uint16_t milliseconds = 0)
{
    SystemTime time;
    time.year = year;
    time.month = month;
    time.day = day;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    time.milliseconds = milliseconds;
    return time;
}

// Central European time: UTC+1, summer time UTC+2 from the last Sunday of
// March 02:00 to the last Sunday of October 03:00.
inline constexpr const char* kCentralEuropeanZone = "CET-1CEST,M3.5.0,M10.5.0/3";

// Runs a test in a fixed local time zone, given as a POSIX TZ rule so that no
// zone database is needed, and restores the process's zone afterwards.
// Changes the environment: use it only while no other thread converts times.
class CScopedTimeZone {
public:
    explicit CScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    CScopedTimeZone(const CScopedTimeZone&) = delete;
    CScopedTimeZone& operator=(const CScopedTimeZone&) = delete;
    ~CScopedTimeZone()
    {
        if (m_old)
            setenv("TZ", m_old->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_old;
};

} // namespace Brivel::Common::Testing
