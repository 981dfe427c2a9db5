#include "common/integer_formats.h"

#include "common/number_text.h"
#include "common/serializer.h"

#include <limits>
#include <type_traits>

namespace Brivel::Common {

namespace {

using namespace NumberText;

// The decimal conversion each width uses, before its own range check: the
// 16- and 32-bit formats read a signed 32-bit number; the unsigned 32-bit
// format also accepts the numbers up to 4294967295 (a plain signed read
// would cap them at 2147483647); the 64-bit format reads 64 bits.
template <class T>
struct DecimalRange {
    static constexpr int64_t minimum = std::numeric_limits<int32_t>::min();
    static constexpr int64_t maximum = std::numeric_limits<int32_t>::max();
};
template <>
struct DecimalRange<uint32_t> {
    static constexpr int64_t minimum = std::numeric_limits<int32_t>::min();
    static constexpr int64_t maximum = std::numeric_limits<uint32_t>::max();
};
template <>
struct DecimalRange<int64_t> {
    static constexpr int64_t minimum = std::numeric_limits<int64_t>::min();
    static constexpr int64_t maximum = std::numeric_limits<int64_t>::max();
};

template <class T>
constexpr int kHexDigits = static_cast<int>(sizeof(T) * 2);

template <class T>
bool FitsWidth(uint64_t bits) noexcept
{
    if constexpr (sizeof(T) >= 8)
        return true;
    else
        return (bits >> (8 * sizeof(T))) == 0;
}

// The value's bits, zero-extended from its own width.
template <class T>
uint64_t BitsOf(T value) noexcept
{
    return static_cast<uint64_t>(static_cast<std::make_unsigned_t<T>>(value));
}

template <class T>
bool IsNegative(T value) noexcept
{
    if constexpr (std::is_signed_v<T>)
        return value < 0;
    else
        return false;
}

} // namespace

// ---- 16-, 32- and 64-bit formats ----

template <class T>
std::string CIntegerFormatBase<T>::Format(T value, const CDataObject*) const
{
    if (value == 0 && !m_showZero)
        return {};
    char buffer[kMaxIntegerText];
    char* const end = buffer + sizeof(buffer);
    char* first;
    if (m_hexadecimal != 0) {
        first = WriteHexBackwards(end, BitsOf(value), m_hexZeroFill ? kHexDigits<T> : 1, m_hexPrefix);
    } else {
        const bool negative = IsNegative(value);
        // Magnitude in unsigned arithmetic, so the most negative value works.
        const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(static_cast<int64_t>(value))
                                            : static_cast<uint64_t>(value);
        first = WriteDecimalBackwards(end, magnitude, EffectiveCharacter(m_groupSeparator));
        if (negative)
            *--first = '-';
    }
    return std::string(first, end);
}

template <class T>
bool CIntegerFormatBase<T>::Parse(const std::string& text, T& value, const CDataObject*) const
{
    if (m_hexadecimal != 0 || ContainsHexPrefix(text)) {
        uint64_t bits = 0;
        if (!ScanHexadecimal(text, bits) || !FitsWidth<T>(bits))
            return false;
        value = static_cast<T>(bits);
        return true;
    }
    const int64_t number = ScanDecimal(text, DecimalRange<T>::minimum, DecimalRange<T>::maximum);
    if constexpr (sizeof(T) == 2) {
        if (number > 65535)
            return false;
    }
    value = static_cast<T>(number); // 16 bits: a negative number is truncated
    return true;
}

template <class T>
void CIntegerFormatBase<T>::Serialize(CSerializer& serializer)
{
    if (!SerializeVersion(serializer))
        return;
    if (!serializer.IsRestoring()) {
        serializer.WriteInt32(m_hexadecimal);
        serializer.WriteBool(m_showZero);
        serializer.WriteInt8(static_cast<int8_t>(m_groupSeparator));
        serializer.WriteBool(m_hexPrefix);
        serializer.WriteBool(m_hexZeroFill);
        return;
    }
    m_hexadecimal = serializer.ReadInt32();
    m_showZero = serializer.ReadBool();
    m_groupSeparator = static_cast<char>(serializer.ReadInt8());
    m_hexPrefix = serializer.ReadBool();
    m_hexZeroFill = serializer.ReadBool();
}

template class CIntegerFormatBase<int16_t>;
template class CIntegerFormatBase<uint16_t>;
template class CIntegerFormatBase<int32_t>;
template class CIntegerFormatBase<uint32_t>;
template class CIntegerFormatBase<int64_t>;

// ---- 8-bit formats ----

template <class T>
std::string CByteFormatBase<T>::Format(T value, const CDataObject*) const
{
    char buffer[kMaxIntegerText];
    char* const end = buffer + sizeof(buffer);
    char* first = end;
    switch (m_mode) {
    case ByteModeDecimal: {
        const bool negative = IsNegative(value);
        const int magnitude = negative ? -static_cast<int>(value) : static_cast<int>(value);
        first = WriteDecimalBackwards(end, static_cast<uint64_t>(magnitude), '\0');
        if (negative)
            *--first = '-';
        break;
    }
    case ByteModeHexadecimal:
        first = WriteHexBackwards(end, BitsOf(value), m_hexZeroFill ? 2 : 1, m_hexPrefix);
        break;
    case ByteModeCharacter:
        if (value != 0)
            *--first = static_cast<char>(value);
        break;
    default: break; // unknown mode: no text
    }
    return std::string(first, end);
}

template <class T>
bool CByteFormatBase<T>::Parse(const std::string& text, T& value, const CDataObject*) const
{
    switch (m_mode) {
    case ByteModeHexadecimal: {
        uint64_t bits = 0;
        if (!ScanHexadecimal(text, bits) || bits > 255)
            return false;
        value = static_cast<T>(bits);
        return true;
    }
    case ByteModeCharacter:
        value = static_cast<T>(text.empty() ? 0 : static_cast<unsigned char>(text[0]));
        return true;
    case ByteModeDecimal: {
        std::string_view rest(text);
        bool negative = false;
        while (!rest.empty() && (rest.front() == '-' || rest.front() == '0')) {
            if (rest.front() == '-') {
                if constexpr (std::is_unsigned_v<T>)
                    return false;
                negative = true;
            }
            rest.remove_prefix(1);
        }
        if (rest.size() > 3)
            return false;
        int magnitude = 0;
        for (const char c : rest) {
            if (c < '0' || c > '9')
                return false;
            magnitude = magnitude * 10 + (c - '0');
        }
        if (magnitude > 255)
            return false;
        value = static_cast<T>(negative ? -magnitude : magnitude); // kept in 8 bits
        return true;
    }
    default: return false;
    }
}

template <class T>
void CByteFormatBase<T>::Serialize(CSerializer& serializer)
{
    if (!SerializeVersion(serializer))
        return;
    if (!serializer.IsRestoring()) {
        serializer.WriteInt32(m_mode);
        serializer.WriteBool(m_spareFlag);
        serializer.WriteBool(m_hexPrefix);
        serializer.WriteBool(m_hexZeroFill);
        return;
    }
    m_mode = serializer.ReadInt32();
    m_spareFlag = serializer.ReadBool();
    m_hexPrefix = serializer.ReadBool();
    m_hexZeroFill = serializer.ReadBool();
}

template class CByteFormatBase<int8_t>;
template class CByteFormatBase<uint8_t>;

} // namespace Brivel::Common
