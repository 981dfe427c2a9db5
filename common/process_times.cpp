#include "common/process_times.h"

#include <sys/resource.h>

#include <ctime>

namespace Brivel::Common {
namespace {

uint64_t To100ns(const timeval& time)
{
    return static_cast<uint64_t>(time.tv_sec) * 10'000'000u + static_cast<uint64_t>(time.tv_usec) * 10u;
}

} // namespace

bool GetProcessTimes(uint64_t* kernelTime100ns, uint64_t* userTime100ns)
{
    if (kernelTime100ns == nullptr || userTime100ns == nullptr)
        return false;
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return false;
    *kernelTime100ns = To100ns(usage.ru_stime);
    *userTime100ns = To100ns(usage.ru_utime);
    return true;
}

double GetProcessCpuSeconds()
{
    timespec cpu{};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu) != 0)
        return 0.0;
    return static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) * 1e-9;
}

} // namespace Brivel::Common
