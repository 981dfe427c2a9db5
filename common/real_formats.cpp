#include "common/real_formats.h"

#include "common/number_text.h"
#include "common/serializer.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace Brivel::Common {

namespace {

using namespace NumberText;

template <class T>
struct RealLimits;

template <>
struct RealLimits<double> {
    static constexpr double kZeroBand = 1e-10;
    static constexpr double kExponentAbove = 1e13; // this and larger
    static constexpr double kExponentBelow = 1e-9; // non-zero magnitudes below this
    static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    static constexpr double kHalfUlp[] = {0.5e0, 0.5e-1, 0.5e-2, 0.5e-3, 0.5e-4,
                                          0.5e-5, 0.5e-6, 0.5e-7, 0.5e-8, 0.5e-9};
};

template <>
struct RealLimits<float> {
    static constexpr float kZeroBand = 1e-7f;
    static constexpr float kExponentAbove = 1e10f;
    static constexpr float kExponentBelow = 1e-6f;
    static constexpr float kPow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f};
    static constexpr float kHalfUlp[] = {0.5e0f, 0.5e-1f, 0.5e-2f, 0.5e-3f, 0.5e-4f, 0.5e-5f, 0.5e-6f};
};

// 2^63: the first magnitude whose integer part no longer fits int64_t.
template <class T>
constexpr T kInt64Limit = static_cast<T>(9223372036854775808.0);

// The C library's "%.<precision>e" text, independent of the process locale,
// with the fraction's trailing zeros and then a bare point removed.
std::string ExponentText(double value, int precision)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::scientific,
                                      precision);
    std::string text(buffer, result.ptr);
    const size_t exponent = text.find_first_of("eE");
    if (exponent == std::string::npos)
        return text; // "inf", "nan"
    size_t cut = exponent;
    while (cut > 0 && text[cut - 1] == '0')
        --cut;
    if (cut > 0 && (text[cut - 1] == '.' || text[cut - 1] == ','))
        --cut;
    text.erase(cut, exponent - cut);
    return text;
}

// A locale object for "C", so that conversions read '.' as the decimal
// point whatever locale the application set (Qt sets the user's). Created
// once and kept for the process's lifetime.
locale_t CLocale()
{
    static const locale_t s_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return s_locale;
}

template <class T>
T ConvertDecimal(const std::string& text);

template <>
double ConvertDecimal<double>(const std::string& text)
{
    return strtod_l(text.c_str(), nullptr, CLocale());
}

template <>
float ConvertDecimal<float>(const std::string& text)
{
    return strtof_l(text.c_str(), nullptr, CLocale());
}

bool Contains(std::string_view set, char c)
{
    return set.find(c) != std::string_view::npos;
}

void ReplaceFirst(std::string& text, char from, char to)
{
    const size_t at = text.find(from);
    if (at != std::string::npos)
        text[at] = to;
}

} // namespace

template <class T>
std::string CRealFormatBase<T>::Format(T value, const CDataObject*) const
{
    using Limits = RealLimits<T>;
    const char prefix = EffectiveCharacter(m_prefix);
    const char suffix = EffectiveCharacter(m_suffix);

    char buffer[64];
    char* p = buffer;
    if (value > -Limits::kZeroBand && value < Limits::kZeroBand) {
        if (!m_showZero)
            return {};
        if (prefix)
            *p++ = prefix;
        *p++ = '0';
        if (suffix)
            *p++ = suffix;
        return std::string(buffer, p);
    }
    const bool negative = value < 0;
    const T magnitude = negative ? -value : value;
    if (!std::isfinite(value) || value >= Limits::kExponentAbove || magnitude < Limits::kExponentBelow)
        return ExponentText(static_cast<double>(value), m_precision);

    const T rounded = magnitude + Limits::kHalfUlp[m_precision];
    if (rounded >= kInt64Limit<T>)
        return ExponentText(static_cast<double>(value), m_precision); // no fixed text for it

    const int64_t integerPart = static_cast<int64_t>(rounded);
    const T scaledFraction = (rounded - static_cast<T>(integerPart)) * Limits::kPow10[m_precision];
    int64_t fraction = static_cast<int64_t>(scaledFraction);
    const int64_t fractionLimit = static_cast<int64_t>(Limits::kPow10[m_precision]);
    if (fraction >= fractionLimit)
        fraction = fractionLimit - 1;

    if (prefix)
        *p++ = prefix;
    if (negative)
        *p++ = '-';
    char digits[kMaxIntegerText];
    char* const digitsEnd = digits + sizeof(digits);
    for (const char* d = WriteDecimalBackwards(digitsEnd, static_cast<uint64_t>(integerPart),
                                               EffectiveCharacter(m_groupSeparator));
         d != digitsEnd; ++d)
        *p++ = *d;
    if (m_precision > 0 && (m_keepTrailingZeros || fraction != 0)) {
        *p++ = ',';
        char* const fractionStart = p;
        for (int i = m_precision - 1; i >= 0; --i) {
            fractionStart[i] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        p += m_precision;
        if (!m_keepTrailingZeros) {
            while (p > fractionStart && p[-1] == '0')
                --p;
        }
    }
    if (suffix)
        *p++ = suffix;
    return std::string(buffer, p);
}

template <class T>
bool CRealFormatBase<T>::Parse(const std::string& text, T& value, const CDataObject*) const
{
    std::string number = text;
    // 1. A leading decimal point gets a zero in front.
    if (!number.empty() && (number[0] == '.' || number[0] == ','))
        number.insert(number.begin(), '0');
    // 2. From the first digit or '-' to the last digit; a text whose only
    //    digit is its first character keeps its tail.
    const size_t first = number.find_first_of("0123456789-");
    if (first == std::string::npos) {
        number.clear();
    } else {
        number.erase(0, first);
        const size_t last = number.find_last_of("0123456789");
        if (last == std::string::npos)
            number.clear();
        else if (last > 0)
            number.erase(last + 1);
    }
    // 3. Only number-like characters stay.
    std::erase_if(number, [](char c) { return !Contains("0123456789deDE.,-+", c); });
    // 4. One decimal comma becomes a point; exponent letters go lower case.
    ReplaceFirst(number, ',', '.');
    ReplaceFirst(number, 'E', 'e');
    ReplaceFirst(number, 'D', 'd');
    // 5. Blanks and group separators go.
    const char separator = EffectiveCharacter(m_groupSeparator);
    std::erase_if(number, [separator](char c) { return Contains(" \t\r\n", c) || (separator && c == separator); });
    // 6. 'd' marks the exponent as 'e' does.
    for (char& c : number) {
        if (c == 'd')
            c = 'e';
    }
    value = number.empty() ? T(0) : ConvertDecimal<T>(number);
    return true;
}

template <class T>
void CRealFormatBase<T>::Serialize(CSerializer& serializer)
{
    if (!SerializeVersion(serializer))
        return;
    if (!serializer.IsRestoring()) {
        serializer.WriteInt8(m_precision);
        serializer.WriteBool(m_showZero);
        serializer.WriteBool(m_keepTrailingZeros);
        serializer.WriteInt8(static_cast<int8_t>(m_prefix));
        serializer.WriteInt8(static_cast<int8_t>(m_suffix));
        serializer.WriteInt8(static_cast<int8_t>(m_groupSeparator));
        return;
    }
    // A damaged stream must not hand the text code a precision it has no
    // table entry for: clamp as the constructor does.
    m_precision = ClampPrecision(serializer.ReadInt8());
    m_showZero = serializer.ReadBool();
    m_keepTrailingZeros = serializer.ReadBool();
    m_prefix = static_cast<char>(serializer.ReadInt8());
    m_suffix = static_cast<char>(serializer.ReadInt8());
    m_groupSeparator = static_cast<char>(serializer.ReadInt8());
}

template class CRealFormatBase<float>;
template class CRealFormatBase<double>;

} // namespace Brivel::Common
