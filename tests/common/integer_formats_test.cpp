#include "common/integer_formats.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace Brivel::Common {
namespace {

template <class Format, class T>
bool ParseAs(const Format& format, const std::string& text, T& value)
{
    return format.Parse(text, value);
}

TEST(CLongFormatText, DefaultsShowZeroAndGroupByThree)
{
    const CLongFormat format;
    EXPECT_EQ(format.Format(int32_t{0}), "0");
    EXPECT_EQ(format.Format(int32_t{999}), "999");
    EXPECT_EQ(format.Format(int32_t{1000}), "1 000");
    EXPECT_EQ(format.Format(int32_t{-1234}), "-1 234");
    EXPECT_EQ(format.Format(int32_t{1073676289}), "1 073 676 289");
}

TEST(CLongFormatText, MostNegativeValuePrintsItsFullMagnitude)
{
    EXPECT_EQ(CLongFormat().Format(std::numeric_limits<int32_t>::min()), "-2 147 483 648");
    EXPECT_EQ(CInt64Format().Format(std::numeric_limits<int64_t>::min()), "-9 223 372 036 854 775 808");
}

TEST(CLongFormatText, ShowZeroOffPrintsNothingForZero)
{
    const CLongFormat format(0, false);
    EXPECT_EQ(format.Format(int32_t{0}), "");
    EXPECT_EQ(format.Format(int32_t{7}), "7");
}

TEST(CLongFormatText, SeparatorBelowSpaceMeansNoGrouping)
{
    EXPECT_EQ(CLongFormat(0, true, '\0').Format(int32_t{1234567}), "1234567");
    EXPECT_EQ(CLongFormat(0, true, '\x1f').Format(int32_t{1234567}), "1234567");
    EXPECT_EQ(CLongFormat(0, true, '.').Format(int32_t{1234567}), "1.234.567");
}

TEST(CLongFormatText, HexadecimalWithPrefixAndOptionalZeroFill)
{
    EXPECT_EQ(CLongFormat(1, true, ' ', true, false).Format(int32_t{255}), "0xFF");
    EXPECT_EQ(CLongFormat(1, true, ' ', true, true).Format(int32_t{255}), "0x000000FF");
    EXPECT_EQ(CLongFormat(1, true, ' ', false, false).Format(int32_t{255}), "FF");
    EXPECT_EQ(CLongFormat(1, true, ' ', true, false).Format(int32_t{0}), "0x0");
    EXPECT_EQ(CLongFormat(1, true, ' ', true, false).Format(int32_t{-1}), "0xFFFFFFFF");
    EXPECT_EQ(CShortFormat(1).Format(int16_t{255}), "0x00FF"); // short zero-fills by default
    EXPECT_EQ(CInt64Format(1, true, ' ', true, true).Format(int64_t{1}), "0x0000000000000001");
}

TEST(CLongFormatText, UnsignedFormatsNeverPrintASign)
{
    EXPECT_EQ(CULongFormat().Format(uint32_t{4294967295u}), "4 294 967 295");
    EXPECT_EQ(CUShortFormat().Format(uint16_t{65535}), "65 535");
}

TEST(CLongFormatParse, KeepsTheNumberInsideText)
{
    const CLongFormat format;
    int32_t value = -1;
    EXPECT_TRUE(ParseAs(format, "abc 1 234 kg", value));
    EXPECT_EQ(value, 1234);
    EXPECT_TRUE(ParseAs(format, "", value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(ParseAs(format, "-5", value));
    EXPECT_EQ(value, -5);
    EXPECT_TRUE(ParseAs(format, "no digits", value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(ParseAs(format, "12-34", value)); // the conversion stops at the second '-'
    EXPECT_EQ(value, 12);
}

TEST(CLongFormatParse, HexPrefixSwitchesToHexadecimalEvenInDecimalMode)
{
    int32_t value = 0;
    EXPECT_TRUE(ParseAs(CLongFormat(), "0x1f", value));
    EXPECT_EQ(value, 31);
    EXPECT_TRUE(ParseAs(CLongFormat(), "0xFFFFFFFF", value));
    EXPECT_EQ(value, -1);
}

TEST(CLongFormatParse, HexadecimalRefusesTooManyDigitsAndStrayCharacters)
{
    const CLongFormat hex(1);
    int32_t value = 77;
    EXPECT_FALSE(ParseAs(hex, "0x123456789", value)); // nine significant digits: wider than 32 bits
    EXPECT_FALSE(ParseAs(hex, "12 34", value));
    EXPECT_EQ(value, 77);
    int64_t wide = 77;
    EXPECT_FALSE(ParseAs(CInt64Format(1), "0x10000000000000000", wide)); // 17 digits
    EXPECT_TRUE(ParseAs(CInt64Format(1), "0x1000000000000000", wide));  // 16 digits
    EXPECT_EQ(wide, int64_t{1} << 60);
    EXPECT_TRUE(ParseAs(hex, "zz", value)); // no significant digit reads as 0
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(ParseAs(hex, "0x0000000000FF", value)); // leading zeros are not significant
    EXPECT_EQ(value, 255);
}

TEST(CLongFormatParse, DecimalSaturatesAtTheRange)
{
    int32_t value = 0;
    EXPECT_TRUE(ParseAs(CLongFormat(), "99999999999", value));
    EXPECT_EQ(value, std::numeric_limits<int32_t>::max());
    EXPECT_TRUE(ParseAs(CLongFormat(), "-99999999999", value));
    EXPECT_EQ(value, std::numeric_limits<int32_t>::min());
    int64_t wide = 0;
    EXPECT_TRUE(ParseAs(CInt64Format(), "-9 223 372 036 854 775 808", wide));
    EXPECT_EQ(wide, std::numeric_limits<int64_t>::min());
    EXPECT_TRUE(ParseAs(CInt64Format(), "0xFFFFFFFFFFFFFFFF", wide));
    EXPECT_EQ(wide, -1);
}

TEST(CULongFormatParse, ReadsSignedAndFullRangeNumbers)
{
    uint32_t value = 0;
    EXPECT_TRUE(ParseAs(CULongFormat(), "-1", value));
    EXPECT_EQ(value, 4294967295u);
    EXPECT_TRUE(ParseAs(CULongFormat(), "4 000 000 000", value));
    EXPECT_EQ(value, 4000000000u);
}

TEST(CShortFormatParse, FailsAbove65535AndKeepsNegatives)
{
    int16_t value = 3;
    EXPECT_FALSE(ParseAs(CShortFormat(), "70000", value));
    EXPECT_EQ(value, 3);
    EXPECT_TRUE(ParseAs(CShortFormat(), "-5", value));
    EXPECT_EQ(value, -5);
    uint16_t unsignedValue = 0;
    EXPECT_TRUE(ParseAs(CUShortFormat(), "65535", unsignedValue));
    EXPECT_EQ(unsignedValue, 65535);
    EXPECT_FALSE(ParseAs(CUShortFormat(1), "0x10000", unsignedValue));
}

TEST(CCharFormatText, ByMode)
{
    EXPECT_EQ(CCharFormat(ByteModeDecimal).Format(int8_t{-5}), "-5");
    EXPECT_EQ(CUCharFormat(ByteModeDecimal).Format(uint8_t{250}), "250");
    EXPECT_EQ(CCharFormat(ByteModeDecimal).Format(int8_t{0}), "0");
    EXPECT_EQ(CCharFormat(ByteModeHexadecimal).Format(int8_t{10}), "0x0A");
    EXPECT_EQ(CCharFormat(ByteModeHexadecimal, true, true, false).Format(int8_t{10}), "0xA");
    EXPECT_EQ(CCharFormat(ByteModeHexadecimal, true, false, true).Format(int8_t{-1}), "FF");
    EXPECT_EQ(CCharFormat(ByteModeCharacter).Format(int8_t{'A'}), "A");
    EXPECT_EQ(CCharFormat(ByteModeCharacter).Format(int8_t{0}), "");
    EXPECT_EQ(CCharFormat(7).Format(int8_t{5}), "");
}

TEST(CCharFormatParse, DecimalStripsSignAndLeadingZeros)
{
    int8_t value = 0;
    EXPECT_TRUE(ParseAs(CCharFormat(ByteModeDecimal), "-0012", value));
    EXPECT_EQ(value, -12);
    EXPECT_FALSE(ParseAs(CCharFormat(ByteModeDecimal), "1000", value));
    EXPECT_FALSE(ParseAs(CCharFormat(ByteModeDecimal), "256", value));
    EXPECT_FALSE(ParseAs(CCharFormat(ByteModeDecimal), "12a", value));
    EXPECT_TRUE(ParseAs(CCharFormat(ByteModeDecimal), "000", value));
    EXPECT_EQ(value, 0);
    uint8_t unsignedValue = 0;
    EXPECT_FALSE(ParseAs(CUCharFormat(ByteModeDecimal), "-1", unsignedValue));
    EXPECT_TRUE(ParseAs(CUCharFormat(ByteModeDecimal), "255", unsignedValue));
    EXPECT_EQ(unsignedValue, 255);
}

TEST(CCharFormatParse, HexadecimalAndCharacterModes)
{
    uint8_t value = 0;
    EXPECT_TRUE(ParseAs(CUCharFormat(ByteModeHexadecimal), "0xff", value));
    EXPECT_EQ(value, 255);
    EXPECT_FALSE(ParseAs(CUCharFormat(ByteModeHexadecimal), "0x100", value));
    EXPECT_TRUE(ParseAs(CUCharFormat(ByteModeCharacter), "Qx", value));
    EXPECT_EQ(value, 'Q');
    EXPECT_TRUE(ParseAs(CUCharFormat(ByteModeCharacter), "", value));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(ParseAs(CUCharFormat(9), "1", value));
}

TEST(IntegerFormats, CStringFlavourMatchesTheStandardOne)
{
    const CLongFormat format;
    EXPECT_EQ(format.FormatCString(int32_t{-1234}), CString("-1 234"));
    int32_t value = 0;
    EXPECT_TRUE(format.Parse(CString("4 321"), value));
    EXPECT_EQ(value, 4321);
}

TEST(IntegerFormats, OtherKindsGiveEmptyTextAndFailingParse)
{
    const CLongFormat format;
    EXPECT_EQ(format.Format(int64_t{5}), "");
    EXPECT_EQ(format.Format(2.5), "");
    EXPECT_EQ(format.FormatCString(int16_t{5}), CString());
    double value = 1.0;
    EXPECT_FALSE(format.Parse(std::string("2"), value));
    EXPECT_EQ(value, 1.0);
}

} // namespace
} // namespace Brivel::Common
