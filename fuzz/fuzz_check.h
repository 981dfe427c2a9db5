#pragma once
// What every fuzz target checks, and the one application object the Qt-based
// targets share.
//
// A target restores its input; when that succeeds it stores what it got
// (bytes1), restores bytes1 into a fresh object and stores that (bytes2).
// bytes1 must equal bytes2, and restoring bytes1 must succeed and read it to
// its end: a stored form that does not read back as itself is a fault, and
// the check aborts so that the fuzzer keeps the input.
//
// The input itself is not compared with bytes1: restores normalise by
// design (any non-zero byte reads as true, a text ends at its first zero
// byte, a real format's precision is clamped, an enumeration drops listed
// values without a text, a header drops columns it refuses and sort levels
// beyond the fifth, tooltip and print settings are sanitised, a font record
// keeps only what a QFont holds), so only the second trip must be exact.
//
// Thread: the fuzzer's thread only.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

namespace Brivel::Fuzz {

using Bytes = std::vector<uint8_t>;

// Prints up to 64 bytes from offset `at` as hex.
inline void PrintBytes(const char* label, std::span<const uint8_t> bytes, size_t at)
{
    std::fprintf(stderr, "  %s (%zu bytes) from %zu:", label, bytes.size(), at);
    for (size_t i = at; i < bytes.size() && i < at + 64; ++i)
        std::fprintf(stderr, " %02x", bytes[i]);
    std::fprintf(stderr, "\n");
}

// Aborts with `what` when `condition` is false.
inline void Require(bool condition, const char* what)
{
    if (condition) [[likely]]
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// Aborts, showing where they part, when the two stored forms differ.
inline void RequireSameBytes(std::span<const uint8_t> bytes1, std::span<const uint8_t> bytes2, const char* what)
{
    if (std::ranges::equal(bytes1, bytes2)) [[likely]]
        return;
    const auto parted = std::ranges::mismatch(bytes1, bytes2);
    const size_t at = static_cast<size_t>(parted.in1 - bytes1.begin());
    std::fprintf(stderr, "fuzz check failed: %s stores other bytes after a round trip (first difference at %zu)\n",
                 what, at);
    const size_t from = at > 16 ? at - 16 : 0;
    PrintBytes("first store ", bytes1, from);
    PrintBytes("second store", bytes2, from);
    std::abort();
}

} // namespace Brivel::Fuzz
