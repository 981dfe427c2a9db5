#pragma once
// CPU time used by the whole process (every thread), for CPU meters.
//
// The benchmark's caption shows CPU usage as the growth of the process's
// kernel + user time over wall time. GetProcessTimes gives the two parts in
// 100-ns units, the scale the meter was designed for; GetProcessCpuSeconds
// gives their sum in seconds at the clock's full resolution.
//
// Thread: any thread.

#include <cstdint>

namespace Brivel::Common {

// Kernel (system) and user CPU time of the process in 100-ns units, from
// getrusage. False, with nothing written, when either pointer is null or the
// times cannot be read.
bool GetProcessTimes(uint64_t* kernelTime100ns, uint64_t* userTime100ns);

// Kernel + user CPU time of the process in seconds, from
// CLOCK_PROCESS_CPUTIME_ID; 0 when the clock cannot be read.
double GetProcessCpuSeconds();

} // namespace Brivel::Common
