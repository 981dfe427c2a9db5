#include "common/real_formats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace Brivel::Common {
namespace {

double ParseDouble(const std::string& text, const CDoubleFormat& format = CDoubleFormat())
{
    double value = -12345.0;
    EXPECT_TRUE(format.Parse(text, value)) << text;
    return value;
}

TEST(CDoubleFormatText, FixedFormWithDefaults)
{
    const CDoubleFormat format;
    EXPECT_EQ(format.Format(1234567.5), "1 234 567,5");
    EXPECT_EQ(format.Format(2.0), "2");
    EXPECT_EQ(format.Format(-0.25), "-0,25");
    EXPECT_EQ(format.Format(0.1234567), "0,123");
    EXPECT_EQ(format.Format(12345.0), "12 345");
    EXPECT_EQ(format.Format(0.0005), "0,001"); // rounded half up
    EXPECT_EQ(format.Format(9.9996), "10");
}

TEST(CDoubleFormatText, ZeroBand)
{
    EXPECT_EQ(CDoubleFormat().Format(0.00000000005), "0");
    EXPECT_EQ(CDoubleFormat().Format(-0.00000000005), "0");
    EXPECT_EQ(CDoubleFormat(3, false, false).Format(0.0), "");
    EXPECT_EQ(CDoubleFormat(3, false, true, '$', '%').Format(0.0), "$0%");
}

TEST(CDoubleFormatText, ExponentFormAtTheBands)
{
    const CDoubleFormat format;
    EXPECT_EQ(format.Format(1e13), "1e+13");
    EXPECT_EQ(format.Format(1.5e13), "1.5e+13");
    EXPECT_EQ(format.Format(2.25e20), "2.25e+20");
    EXPECT_EQ(format.Format(5e-10), "5e-10");
    EXPECT_EQ(format.Format(-5e-10), "-5e-10");
    EXPECT_EQ(CDoubleFormat(0).Format(1e13), "1e+13");
    EXPECT_EQ(CDoubleFormat(3, false, true, '$', '%').Format(1e13), "1e+13"); // no prefix or suffix
}

TEST(CDoubleFormatText, LargeNegativeValuesUseTheFixedForm)
{
    EXPECT_EQ(CDoubleFormat().Format(-2e13), "-20 000 000 000 000");
}

TEST(CDoubleFormatText, ValuesWithoutAFixedTextUseTheExponentForm)
{
    EXPECT_EQ(CDoubleFormat().Format(-1e19), "-1e+19");
    EXPECT_NE(CDoubleFormat().Format(std::numeric_limits<double>::quiet_NaN()).find("nan"), std::string::npos);
    EXPECT_EQ(CDoubleFormat().Format(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(CDoubleFormat().Format(-std::numeric_limits<double>::infinity()), "-inf");
}

TEST(CDoubleFormatText, PrefixSuffixKeepTrailingZerosAndPrecision)
{
    EXPECT_EQ(CDoubleFormat(3, false, true, '$', '%').Format(5.5), "$5,5%");
    EXPECT_EQ(CDoubleFormat(3, false, true, '$').Format(-5.5), "$-5,5");
    EXPECT_EQ(CDoubleFormat(3, true).Format(2.0), "2,000");
    EXPECT_EQ(CDoubleFormat(3, true).Format(2.5), "2,500");
    EXPECT_EQ(CDoubleFormat(0).Format(2.5), "3");
    EXPECT_EQ(CDoubleFormat(9).Format(0.123456789), "0,123456789");
    EXPECT_EQ(CDoubleFormat(3, false, true, '\0', '\0', '\0').Format(1234567.0), "1234567");
}

TEST(CDoubleFormatText, PrecisionIsClamped)
{
    EXPECT_EQ(CDoubleFormat(20).GetPrecision(), 9);
    EXPECT_EQ(CDoubleFormat(-3).GetPrecision(), 0);
    EXPECT_EQ(CFloatFormat(7).GetPrecision(), 6);
}

TEST(CFloatFormatText, OwnBandsAndDefaults)
{
    const CFloatFormat format;
    EXPECT_EQ(format.Format(1234.5f), "1 234,5");
    EXPECT_EQ(format.Format(0.125f), "0,13");
    EXPECT_EQ(format.Format(1e10f), "1e+10");
    EXPECT_EQ(format.Format(5e-8f), "0");
    EXPECT_EQ(format.Format(5e-7f), "5e-07");
    EXPECT_EQ(format.Format(-3.4e38f), "-3.4e+38");
}

TEST(CDoubleFormatParse, ReadsTheNumberInsideText)
{
    EXPECT_DOUBLE_EQ(ParseDouble(",5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseDouble(".25"), 0.25);
    EXPECT_DOUBLE_EQ(ParseDouble("1 234,5"), 1234.5);
    EXPECT_DOUBLE_EQ(ParseDouble("1,5E3"), 1500.0);
    EXPECT_DOUBLE_EQ(ParseDouble("1,5D3"), 1500.0);
    EXPECT_DOUBLE_EQ(ParseDouble("1.5e-3"), 0.0015);
    EXPECT_DOUBLE_EQ(ParseDouble("price: -2,75 EUR"), -2.75);
    EXPECT_DOUBLE_EQ(ParseDouble("x"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDouble(""), 0.0);
    EXPECT_DOUBLE_EQ(ParseDouble("5 kg"), 5.0);
    EXPECT_DOUBLE_EQ(ParseDouble("1 234 567,5"), 1234567.5);
}

TEST(CDoubleFormatParse, ReadsItsOwnTextBack)
{
    const CDoubleFormat format;
    for (const double value : {1234567.5, -0.25, 2.0, 1.5e13, 5e-10, 98765.432}) {
        const double back = ParseDouble(format.Format(value));
        EXPECT_NEAR(back, value, std::abs(value) * 1e-9) << format.Format(value);
    }
}

TEST(CFloatFormatParse, ReadsSinglePrecision)
{
    float value = 0;
    EXPECT_TRUE(CFloatFormat().Parse(std::string("1 234,5"), value));
    EXPECT_FLOAT_EQ(value, 1234.5f);
    EXPECT_TRUE(CFloatFormat().Parse(std::string("1e60"), value)); // out of range reads as infinity
    EXPECT_TRUE(std::isinf(value));
}

TEST(RealFormats, CStringFlavourMatchesTheStandardOne)
{
    EXPECT_EQ(CDoubleFormat().FormatCString(1234567.5), CString("1 234 567,5"));
    double value = 0;
    EXPECT_TRUE(CDoubleFormat().Parse(CString("2,5"), value));
    EXPECT_DOUBLE_EQ(value, 2.5);
}

} // namespace
} // namespace Brivel::Common
