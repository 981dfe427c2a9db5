#pragma once
// The benchmark's pseudo-random source: the C runtime's classic generator
// with one state per thread.
//
//   state = state * 214013 + 2531011 (mod 2^32), result = (state >> 16) & 0x7FFF
//
// Every thread starts from state 1 and is never seeded, so each thread draws
// its own repeatable sequence (41, 18467, 6334, 26500, ...), whichever other
// threads draw meanwhile.
//
// Thread: any thread; each thread uses its own state.

#include <cstdint>

namespace Quellon {

// The largest value Random() returns.
inline constexpr int32_t kRandomMax = 0x7FFF;

// The next value of the calling thread's sequence, 0 .. kRandomMax.
int32_t Random() noexcept;

} // namespace Quellon
