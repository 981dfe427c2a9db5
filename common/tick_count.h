#pragma once
// The 32-bit millisecond tick counter and wrap-safe tick comparisons.
//
// GetTickCount() counts milliseconds of the steady clock in 32 bits, so it
// wraps to 0 about every 49.7 days, exactly like the counter the timer service
// and the benchmark were designed around. Code that stores ticks therefore
// never compares them with < or >: it compares their difference, read as a
// signed 32-bit value (IsTickLater, TickDifference). That is correct for any
// two ticks less than 2^31 ms (about 24.8 days) apart.
//
// Tests move the counter's origin with SetTickCountOffsetForTesting so that
// it reads just below 2^32 and the wrap can be crossed for real.
//
// Thread: any thread.

#include <cstdint>

namespace Brivel::Common {

// Milliseconds of the steady clock plus the test offset, modulo 2^32.
uint32_t GetTickCount();

// Signed distance from `earlier` to `later` in ms, wrap-safe.
constexpr int32_t TickDifference(uint32_t later, uint32_t earlier)
{
    return static_cast<int32_t>(later - earlier);
}

// True when tick `a` lies after tick `b` (wrap-safe).
constexpr bool IsTickLater(uint32_t a, uint32_t b)
{
    return TickDifference(a, b) > 0;
}

// Adds `offset` to every later reading of GetTickCount() (0 restores the
// natural origin). Process-wide; meant for tests that cross the wrap.
void SetTickCountOffsetForTesting(uint32_t offset);
uint32_t GetTickCountOffsetForTesting(); // the offset set last

} // namespace Brivel::Common
