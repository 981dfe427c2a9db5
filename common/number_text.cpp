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
    // Whole groups of three first (divisions by constants become
    // multiplications), then the leading group without zero padding.
    char* p = end;
    while (magnitude >= 1000) {
        const auto group = static_cast<uint32_t>(magnitude % 1000);
        magnitude /= 1000;
        *--p = static_cast<char>('0' + group % 10);
        *--p = static_cast<char>('0' + (group / 10) % 10);
        *--p = static_cast<char>('0' + group / 100);
        if (separator != '\0')
            *--p = separator;
    }
    auto lead = static_cast<uint32_t>(magnitude);
    do {
        *--p = static_cast<char>('0' + lead % 10);
        lead /= 10;
    } while (lead != 0);
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
    // One pass. Dropping what precedes the first kept character, deleting
    // the other characters and cutting after the last digit all come down to
    // ignoring every character but digits and '-': what follows the last
    // digit can only be a '-', which ends the conversion anyway.
    const uint64_t negativeBound = static_cast<uint64_t>(-(minimum + 1)) + 1; // |minimum|
    const uint64_t positiveBound = static_cast<uint64_t>(maximum);
    // Saturate just past the larger bound; the clamp below does the rest.
    const uint64_t limit = (negativeBound > positiveBound ? negativeBound : positiveBound) + 1;
    bool negative = false;
    bool started = false; // past the optional sign
    uint64_t magnitude = 0;
    for (const char c : text) {
        if (c == '-') {
            if (started)
                break; // a '-' after the sign or the digits ends the number
            negative = true;
            started = true;
        } else if (IsDecimalDigit(c)) {
            started = true;
            const uint64_t digit = static_cast<uint64_t>(c - '0');
            magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
        }
    }
    if (negative)
        return magnitude >= negativeBound ? minimum : -static_cast<int64_t>(magnitude);
    return magnitude >= positiveBound ? maximum : static_cast<int64_t>(magnitude);
}

} // namespace Brivel::Common::NumberText
