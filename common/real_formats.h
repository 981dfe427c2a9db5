#pragma once
// The real formats: CFloatFormat (kind 11) and CDoubleFormat (kind 12).
//
// Text (CDoubleFormat limits; CFloatFormat's in brackets):
//   - zero band: |value| < 1e-10 [1e-7] is zero: with show zero on the
//     prefix, "0" and the suffix; with it off, nothing;
//   - exponent form: value >= 1e13 [1e10], or a non-zero |value| < 1e-9
//     [1e-6]: the C library's "%.<precision>e" text, with the fraction's
//     trailing zeros and then a bare decimal point dropped ("1.5e+13");
//   - fixed form otherwise: prefix, "-" for a negative value, the integer part
//     grouped by the group separator, and, when precision > 0 and (keep
//     trailing zeros is on or the fraction is not zero), "," and the fraction
//     as precision digits, trailing zeros dropped unless kept; then the
//     suffix. Rounding adds 0.5 x 10^-precision to the magnitude first.
//     With the defaults, 1234567.5 gives "1 234 567,5" and -0.25 "-0,25".
// A value the fixed form cannot hold (not finite, or a magnitude of 2^63 or
// more, which only negative values reach) takes the exponent form instead.
// The decimal separator of the fixed form is always ','; the exponent form
// always uses '.'. Neither depends on the process locale.
//
// Parse always succeeds: it keeps the number-like part of the text (',' or
// '.' as decimal point, 'e'/'E'/'d'/'D' as exponent, the group separator and
// blanks removed) and converts it; a text without digits gives 0.
//
// Precision is clamped to 0..9 [0..6] at construction and on restore.
// Stored settings (after the version): precision (1 byte), show zero, keep
// trailing zeros (booleans), prefix, suffix, group separator (1 byte each).
//
// Thread: any thread; instances are immutable after construction.

#include "common/format.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Brivel::Common {

// Shared implementation of the two real formats; T is float or double.
template <class T>
class CRealFormatBase : public CFormat {
public:
    using CFormat::Format;
    using CFormat::FormatCString;
    using CFormat::Parse;

    // The text of a value, as described at the top of this file.
    std::string Format(T value, const CDataObject* context = nullptr) const override;
    // Reads a value, as described at the top of this file; false, value
    // untouched, when the text is refused.
    bool Parse(const std::string& text, T& value, const CDataObject* context = nullptr) const override;
    bool IsSerializable() const override { return true; } // the settings are stored
    void Serialize(CSerializer& serializer) override; // the stored settings above

    int8_t GetPrecision() const noexcept { return m_precision; } // digits after the decimal point
    bool GetKeepTrailingZeros() const noexcept { return m_keepTrailingZeros; } // zeros at the end are kept
    bool GetShowZero() const noexcept { return m_showZero; } // 0 has a text (else the empty text)
    // Characters; each counts only when its code is 32 or more.
    char GetPrefix() const noexcept { return m_prefix; }
    char GetSuffix() const noexcept { return m_suffix; } // after the number
    char GetGroupSeparator() const noexcept { return m_groupSeparator; } // between groups of three digits

    // The largest precision of this type: 9 for double, 6 for float.
    static constexpr int kMaxPrecision = sizeof(T) == sizeof(double) ? 9 : 6;

    // The settings, as the getters name them (a precision is clamped to
    // 0 .. kMaxPrecision). The default precision is 3 for double and 2 for
    // float.
    explicit CRealFormatBase(int precision = sizeof(T) == sizeof(double) ? 3 : 2, bool keepTrailingZeros = false,
                             bool showZero = true, char prefix = '\0', char suffix = '\0',
                             char groupSeparator = ' ') noexcept
        : CFormat(KindOf<T>), m_precision(ClampPrecision(precision)), m_keepTrailingZeros(keepTrailingZeros),
          m_showZero(showZero), m_prefix(prefix), m_suffix(suffix), m_groupSeparator(groupSeparator)
    {
    }
private:
    static int8_t ClampPrecision(int precision) noexcept
    {
        return static_cast<int8_t>(precision < 0 ? 0 : (precision > kMaxPrecision ? kMaxPrecision : precision));
    }

    int8_t m_precision; // 0 .. kMaxPrecision
    bool m_keepTrailingZeros;
    bool m_showZero;
    char m_prefix;
    char m_suffix;
    char m_groupSeparator;
};

extern template class CRealFormatBase<float>;
extern template class CRealFormatBase<double>;

// Kind 11.
class CFloatFormat : public CConcreteFormat<CFloatFormat, CRealFormatBase<float>> {
public:
    static constexpr char TypeName[] = "Common::CFloatFormat"; // the registry name
    using CConcreteFormat::CConcreteFormat;
};

// Kind 12.
class CDoubleFormat : public CConcreteFormat<CDoubleFormat, CRealFormatBase<double>> {
public:
    static constexpr char TypeName[] = "Common::CDoubleFormat"; // the registry name
    using CConcreteFormat::CConcreteFormat;
};

} // namespace Brivel::Common
