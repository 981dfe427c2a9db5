#pragma once
// Runs a test in a fixed local time zone, given as a POSIX TZ rule so that no
// zone database is needed, and restores the process's zone afterwards.
// Changes the environment: use it only while no other thread converts times.

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace Brivel::Common::Testing {

// Central European time: UTC+1, summer time UTC+2 from the last Sunday of
// March 02:00 to the last Sunday of October 03:00.
inline constexpr const char* kCentralEuropeanZone = "CET-1CEST,M3.5.0,M10.5.0/3";

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
