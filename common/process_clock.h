#pragma once
// The process clock: milliseconds since its first use in the process, read
// from the 32-bit tick counter (tick_count.h). Every change time and highlight
// expiry of the grid is on this clock.
//
// Range and wrap. The clock is a signed 32-bit millisecond count: 0 at the
// first reading, exact for the first 2^31 ms (about 24.8 days), after which
// it wraps to negative values like the tick counter it is built from. Code
// that stores readings therefore compares them by difference
// (ProcessClockDifference), never with < or >; -1 is the stored sentinel for
// "never" / "none", and the clock never returns it (a reading that would be
// -1 is given as -2, one millisecond early, once per 49.7 days).
//
// Test seam. SetProcessClockForTesting(t) freezes the clock at t (painting and
// highlight tests set the time they need, wrap included);
// AdvanceProcessClockForTesting moves a frozen clock on, and
// ResetProcessClockForTesting returns to the real one.
//
// Thread: any thread.

#include <cstdint>

namespace Brivel::Common {

// Milliseconds since the first call (0 at the first call).
int32_t GetProcessClock();

// The signed distance in ms from `earlier` to `later`, wrap-safe: correct for
// readings less than 2^31 ms apart.
constexpr int32_t ProcessClockDifference(int32_t later, int32_t earlier)
{
    return static_cast<int32_t>(static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier));
}

// `time` plus `ms`, wrapping like the clock (no signed overflow).
constexpr int32_t ProcessClockAdd(int32_t time, int32_t ms)
{
    return static_cast<int32_t>(static_cast<uint32_t>(time) + static_cast<uint32_t>(ms));
}

// Freezes the clock at `now` (process-wide) until ResetProcessClockForTesting.
void SetProcessClockForTesting(int32_t now);
// Moves a frozen clock on by `ms`; no effect on the real clock.
void AdvanceProcessClockForTesting(int32_t ms);
// Back to the real clock (its origin is kept).
void ResetProcessClockForTesting();

} // namespace Brivel::Common
