#pragma once
// The integer formats: CCharFormat and CUCharFormat (8-bit, by mode),
// CShortFormat, CUShortFormat, CLongFormat, CULongFormat and CInt64Format.
//
// Text of the 16/32/64-bit formats (CLongFormat shown; the others differ only
// in width and sign):
//   - 0 with show zero off is the empty text;
//   - hexadecimal: upper-case digits of the value's bits, at least one, or
//     exactly width/4 digits with hex zero-fill; "0x" in front with hex
//     prefix; no sign, no grouping;
//   - decimal: "-" for a negative value, the digits of the magnitude, the
//     group separator (when its code is 32 or more) between groups of three:
//     -1234 gives "-1 234" with the default space.
// Parse: hexadecimal when the format is in hexadecimal mode or the text
// contains "0x"; else decimal, keeping only the digits and '-' between the
// first such character and the last digit ("abc 1 234 kg" gives 1234, an
// empty text 0). Hexadecimal fails on a non-digit, on 17 or more digits and
// on a number wider than the format.
//
// The 8-bit formats work by mode: 0 decimal ("%d"), 1 hexadecimal (2 digits
// with zero-fill), 2 the byte itself as a one-character text (the byte 0 is
// the empty text); any other mode prints nothing and parses nothing.
//
// Stored settings (after the version): 8-bit: mode (int32), spare flag,
// hex prefix, hex zero-fill (booleans); 16/32/64-bit: hexadecimal (int32),
// show zero (boolean), group separator (1 byte), hex prefix, hex zero-fill.
//
// Thread: any thread; instances are immutable after construction.

#include "common/format.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Brivel::Common {

// The modes of the 8-bit formats.
inline constexpr int32_t ByteModeDecimal = 0;
inline constexpr int32_t ByteModeHexadecimal = 1;
inline constexpr int32_t ByteModeCharacter = 2;

// Shared implementation of the 16-, 32- and 64-bit formats; T is the value
// type of the kind. The concrete classes below add the type name and Clone,
// and inherit the constructor, whose defaults are the registry's settings.
template <class T>
class CIntegerFormatBase : public CFormat {
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

    // The settings, as constructed: hexadecimal text (any non-zero mode).
    bool IsHexadecimal() const noexcept { return m_hexadecimal != 0; }
    int32_t GetHexadecimal() const noexcept { return m_hexadecimal; } // the mode as constructed
    // 0 shows as "0" (else as the empty text).
    bool GetShowZero() const noexcept { return m_showZero; }
    // The separator character; meaningful only when HasGroupSeparator().
    char GetGroupSeparator() const noexcept { return m_groupSeparator; }
    // Whether groups of three digits are separated (the separator's code is
    // 32 or more).
    bool HasGroupSeparator() const noexcept { return static_cast<unsigned char>(m_groupSeparator) >= 32; }
    // "0x" in front of hexadecimal text.
    bool GetHexPrefix() const noexcept { return m_hexPrefix; }
    // Exactly width/4 hexadecimal digits.
    bool GetHexZeroFill() const noexcept { return m_hexZeroFill; }

    // Hex zero-fill is on by default for the 16-bit formats only.
    explicit CIntegerFormatBase(int32_t hexadecimal = 0, bool showZero = true, char groupSeparator = ' ',
                                bool hexPrefix = true, bool hexZeroFill = sizeof(T) == 2) noexcept
        : CFormat(KindOf<T>), m_hexadecimal(hexadecimal), m_showZero(showZero),
          m_groupSeparator(groupSeparator), m_hexPrefix(hexPrefix), m_hexZeroFill(hexZeroFill)
    {
    }

private:
    int32_t m_hexadecimal; // non-zero: hexadecimal text
    bool m_showZero;
    char m_groupSeparator; // none when its code is below 32
    bool m_hexPrefix;
    bool m_hexZeroFill;
};

extern template class CIntegerFormatBase<int16_t>;
extern template class CIntegerFormatBase<uint16_t>;
extern template class CIntegerFormatBase<int32_t>;
extern template class CIntegerFormatBase<uint32_t>;
extern template class CIntegerFormatBase<int64_t>;

// Kind 5. Decimal parse fails above 65535; a negative number is kept,
// truncated to 16 bits.
class CShortFormat : public CConcreteFormat<CShortFormat, CIntegerFormatBase<int16_t>> {
public:
    static constexpr char TypeName[] = "Common::CShortFormat"; // the registry name
    using CConcreteFormat::CConcreteFormat;
};

// Kind 6. Never prints a "-"; parses as CShortFormat.
class CUShortFormat : public CConcreteFormat<CUShortFormat, CIntegerFormatBase<uint16_t>> {
public:
    static constexpr char TypeName[] = "Common::CUShortFormat"; // the registry name
    using CConcreteFormat::CConcreteFormat;
};

// Kind 7, the value type of the benchmark's columns.
class CLongFormat : public CConcreteFormat<CLongFormat, CIntegerFormatBase<int32_t>> {
public:
    static constexpr char TypeName[] = "Common::CLongFormat"; // the registry name
    using CConcreteFormat::CConcreteFormat;
};

// Kind 8. Never prints a "-". Decimal parse reads a signed number, so "-1"
// gives 4294967295, and also takes numbers up to 4294967295 as they are.
class CULongFormat : public CConcreteFormat<CULongFormat, CIntegerFormatBase<uint32_t>> {
public:
    static constexpr char TypeName[] = "Common::CULongFormat"; // the registry name
    using CConcreteFormat::CConcreteFormat;
};

// Kind 9; hexadecimal accepts the full 64 bits.
class CInt64Format : public CConcreteFormat<CInt64Format, CIntegerFormatBase<int64_t>> {
public:
    static constexpr char TypeName[] = "Common::CInt64Format"; // the registry name
    using CConcreteFormat::CConcreteFormat;
};

// Shared implementation of CCharFormat (int8_t) and CUCharFormat (uint8_t).
// Decimal parse strips leading "-" (a failure for the unsigned format) and
// "0" characters, then takes at most three digits up to 255.
template <class T>
class CByteFormatBase : public CFormat {
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

    // ByteModeDecimal, ByteModeHexadecimal or ByteModeCharacter.
    int32_t GetMode() const noexcept { return m_mode; }
    // Stored with the settings, not used for text.
    bool GetSpareFlag() const noexcept { return m_spareFlag; }
    // "0x" in front of hexadecimal text.
    bool GetHexPrefix() const noexcept { return m_hexPrefix; }
    // Two hexadecimal digits always.
    bool GetHexZeroFill() const noexcept { return m_hexZeroFill; }

    // The settings; the defaults are the registry's.
    explicit CByteFormatBase(int32_t mode = ByteModeCharacter, bool spareFlag = true, bool hexPrefix = true,
                             bool hexZeroFill = true) noexcept
        : CFormat(KindOf<T>), m_mode(mode), m_spareFlag(spareFlag), m_hexPrefix(hexPrefix), m_hexZeroFill(hexZeroFill)
    {
    }

private:
    int32_t m_mode;
    bool m_spareFlag;
    bool m_hexPrefix;
    bool m_hexZeroFill;
};

extern template class CByteFormatBase<int8_t>;
extern template class CByteFormatBase<uint8_t>;

// Kind 3.
class CCharFormat : public CConcreteFormat<CCharFormat, CByteFormatBase<int8_t>> {
public:
    static constexpr char TypeName[] = "Common::CCharFormat"; // the registry name
    using CConcreteFormat::CConcreteFormat;
};

// Kind 4.
class CUCharFormat : public CConcreteFormat<CUCharFormat, CByteFormatBase<uint8_t>> {
public:
    static constexpr char TypeName[] = "Common::CUCharFormat"; // the registry name
    using CConcreteFormat::CConcreteFormat;
};

} // namespace Brivel::Common
