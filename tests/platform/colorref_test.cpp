// COLORREF helpers and the colour blend the highlights are built from.
#include "platform/colorref.h"

#include <gtest/gtest.h>

namespace Brivel::Platform {
namespace {

TEST(ColorRef, ChannelsSitRedLowBlueHigh)
{
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x00563412u);
    EXPECT_EQ(GetRValue(0x00563412u), 0x12);
    EXPECT_EQ(GetGValue(0x00563412u), 0x34);
    EXPECT_EQ(GetBValue(0x00563412u), 0x56);
    EXPECT_EQ(FromQColor(ToQColor(RGB(1, 2, 3))), RGB(1, 2, 3));
    EXPECT_EQ(ToQRgb(0xFF000000u | RGB(9, 8, 7)), qRgb(9, 8, 7)) << "the top byte is not colour";
    EXPECT_EQ(FromPixel(ToPixel(RGB(200, 100, 50))), RGB(200, 100, 50));
}

TEST(ColorRef, BlendOfTheFadingHighlightOnAWhiteRow)
{
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF red = RGB(255, 0, 0);
    EXPECT_EQ(BlendColor(white, red, 150), RGB(255, 105, 105)) << "right after the change";
    EXPECT_EQ(BlendColor(white, red, 75), RGB(255, 180, 180)) << "one second later";
    EXPECT_EQ(BlendColor(white, red, 0), white);
    EXPECT_EQ(BlendColor(white, red, 255), red);
}

TEST(ColorRef, BlendTruncatesAndClearsTheTopByte)
{
    // (10 * 155 + 11 * 100) / 255 = 2650 / 255 = 10.39 -> 10
    EXPECT_EQ(GetRValue(BlendColor(RGB(10, 0, 0), RGB(11, 0, 0), 100)), 10);
    EXPECT_EQ(BlendColor(0xFF000000u | RGB(1, 2, 3), 0xFF000000u | RGB(1, 2, 3), 128) >> 24, 0u);
    for (int a = 0; a <= 255; ++a) {
        const COLORREF c = BlendColor(RGB(0, 255, 37), RGB(255, 0, 200), uint8_t(a));
        ASSERT_EQ(GetRValue(c), (255 * a) / 255);
        ASSERT_EQ(GetGValue(c), (255 * (255 - a)) / 255);
        ASSERT_EQ(GetBValue(c), (37 * (255 - a) + 200 * a) / 255);
    }
}

} // namespace
} // namespace Brivel::Platform
