#include "common/performance_counter.h"

#include <ctime>

namespace Brivel::Common {

bool QueryPerformanceCounter(int64_t* count)
{
    if (count == nullptr)
        return false;
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return false;
    *count = static_cast<int64_t>(now.tv_sec) * kPerformanceFrequency + now.tv_nsec;
    return true;
}

bool QueryPerformanceFrequency(int64_t* frequency)
{
    if (frequency == nullptr)
        return false;
    *frequency = kPerformanceFrequency;
    return true;
}

} // namespace Brivel::Common
