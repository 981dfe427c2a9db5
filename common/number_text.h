#pragma once
// Internal helpers shared by the integer and real formats: digit writing with
// group separators, and the tolerant text scanners their parses use. None of
// them allocates; each works on a caller's buffer or a view.
//
// Thread: any thread (pure functions).

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Brivel::Common::NumberText {

// Enough for "0x" + 16 hex digits, or a sign, 20 digits and 6 separators.
inline constexpr size_t kMaxIntegerText = 32;

// Writes the decimal digits of magnitude backwards, ending just before end,
// with separator between groups of three when separator is not 0. Returns
// the first written character.
char* WriteDecimalBackwards(char* end, uint64_t magnitude, char separator) noexcept;

// Writes bits in upper-case hexadecimal backwards ending before end: as many
// digits as needed (at least one), or exactly minDigits when more are
// needed. With prefix, "0x" in front. Returns the first written character.
char* WriteHexBackwards(char* end, uint64_t bits, int minDigits, bool prefix) noexcept;

// The separator character that counts, or 0: a character counts only when
// its code (as an unsigned byte) is 32 or more.
inline char EffectiveCharacter(char c) noexcept
{
    return static_cast<unsigned char>(c) >= 32 ? c : '\0';
}

// The hexadecimal scan of the integer formats: skip to the first of
// "123456789abcdefABCDEF" (none: the number is 0), cut after the last hex
// digit, then accept at most 16 characters that must all be hex digits.
// Returns false on failure; bits is set on success only.
bool ScanHexadecimal(std::string_view text, uint64_t& bits) noexcept;

// The decimal scan of the integer formats: from the first of "0123456789-"
// to the last decimal digit, keep only the characters of "0123456789-", and
// read the result like the C library's decimal conversion (an optional
// leading '-', then digits up to the first non-digit; nothing readable is 0),
// saturating at the given range.
int64_t ScanDecimal(std::string_view text, int64_t minimum, int64_t maximum) noexcept;

inline bool ContainsHexPrefix(std::string_view text) noexcept
{
    return text.find("0x") != std::string_view::npos;
}

} // namespace Brivel::Common::NumberText
