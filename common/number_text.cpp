#include "common/number_text.h"

namespace Brivel::Common::NumberText {

namespace {

constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

int HexDigitValue(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsDecimalDigit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

} // namespace

char* WriteDecimalBackwards(char* end, uint64_t magnitude, char separator) noexcept
{
    char* p = end;
    int inGroup = 0;
    do {
        if (separator != '\0' && inGroup == 3) {
            *--p = separator;
            inGroup = 0;
        }
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++inGroup;
    } while (magnitude != 0);
    return p;
}

char* WriteHexBackwards(char* end, uint64_t bits, int minDigits, bool prefix) noexcept
{
    char* p = end;
    int written = 0;
    do {
        *--p = kUpperHexDigits[bits & 0xF];
        bits >>= 4;
        ++written;
    } while (bits != 0);
    while (written < minDigits) {
        *--p = '0';
        ++written;
    }
    if (prefix) {
        *--p = 'x';
        *--p = '0';
    }
    return p;
}

bool ScanHexadecimal(std::string_view text, uint64_t& bits) noexcept
{
    const size_t first = text.find_first_of("123456789abcdefABCDEF");
    if (first == std::string_view::npos) {
        bits = 0; // no significant digit: the text reads as "0"
        return true;
    }
    const size_t last = text.find_last_of("0123456789abcdefABCDEF"); // >= first
    const std::string_view digits = text.substr(first, last - first + 1);
    if (digits.size() >= 17)
        return false;
    uint64_t value = 0;
    for (const char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return false;
        value = (value << 4) | static_cast<uint64_t>(digit);
    }
    bits = value;
    return true;
}

int64_t ScanDecimal(std::string_view text, int64_t minimum, int64_t maximum) noexcept
{
    const size_t first = text.find_first_of("0123456789-");
    const size_t last = text.find_last_of("0123456789");
    if (first == std::string_view::npos || last == std::string_view::npos || last < first)
        return 0; // no digit in the kept range: the empty text
    bool negative = false;
    bool started = false; // past the optional sign
    uint64_t magnitude = 0;
    // Saturate just past the larger bound; the clamp below does the rest.
    const uint64_t limit = static_cast<uint64_t>(maximum) + 1 > static_cast<uint64_t>(-(minimum + 1)) + 1
                               ? static_cast<uint64_t>(maximum) + 1
                               : static_cast<uint64_t>(-(minimum + 1)) + 1;
    for (size_t i = first; i <= last; ++i) {
        const char c = text[i];
        if (c == '-') {
            if (started)
                break; // a '-' after the number ends it
            negative = true;
            started = true;
            continue;
        }
        if (!IsDecimalDigit(c))
            continue; // deleted by the cleanup
        started = true;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    if (negative) {
        const uint64_t bound = static_cast<uint64_t>(-(minimum + 1)) + 1; // |minimum|
        return magnitude >= bound ? minimum : -static_cast<int64_t>(magnitude);
    }
    return magnitude >= static_cast<uint64_t>(maximum) ? maximum : static_cast<int64_t>(magnitude);
}

} // namespace Brivel::Common::NumberText
