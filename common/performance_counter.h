#pragma once
// The high-resolution performance counter: nanoseconds of the monotonic clock.
//
// The benchmark times its bulk runs as (t1 - t0) / frequency, so the counter
// and its frequency are read through these two calls, each of which reports
// whether it succeeded. The frequency is fixed at 1e9 counts per second.
//
// Thread: any thread.

#include <cstdint>

namespace Brivel::Common {

inline constexpr int64_t kPerformanceFrequency = 1'000'000'000; // counts per second

// Writes the current count (ns of CLOCK_MONOTONIC). False when `count` is
// null or the clock cannot be read; *count is then left alone.
bool QueryPerformanceCounter(int64_t* count);

// Writes kPerformanceFrequency. False when `frequency` is null.
bool QueryPerformanceFrequency(int64_t* frequency);

} // namespace Brivel::Common
