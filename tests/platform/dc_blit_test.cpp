// Block transfers between surfaces: copies, stretches, the constant-alpha
// blend against the colour blend, the colour key, and the switch that makes
// the blend functions unavailable.
#include "platform/dc.h"

#include "tests/platform/draw_test_support.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPicture>

#include <cstdlib>

namespace Brivel::Platform {
namespace {

using Testing::CTestSurface;
using Testing::kBlack;
using Testing::kWhite;
using Testing::SurfaceKind;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kKey = RGB(237, 238, 234);

int ChannelDistance(COLORREF a, COLORREF b)
{
    return std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                     std::abs(GetBValue(a) - GetBValue(b))});
}

class BlitTest : public testing::TestWithParam<SurfaceKind> {
protected:
    void TearDown() override { SetBlendLibraryAvailableForTesting(true); }

    CTestSurface target{GetParam(), 32, 24};
    CDC& dc = target.dc();
};

INSTANTIATE_TEST_SUITE_P(BothPaths, BlitTest, testing::Values(SurfaceKind::Memory, SurfaceKind::Painter),
                         Testing::SurfaceName);

TEST_P(BlitTest, BitBltCopiesExactlyTheRectangleWithinTheClip)
{
    CMemoryDC source(8, 8);
    source.FillSolidRect(CRect(0, 0, 8, 8), kRed);
    source.SetPixel(0, 0, kBlack);
    dc.ExcludeClipRect(CRect(10, 10, 11, 11));
    ASSERT_TRUE(dc.BitBlt(5, 6, 8, 8, &source, 0, 0, SRCCOPY));
    EXPECT_EQ(target.Pixel(5, 6), kBlack);
    EXPECT_EQ(target.Count(CRect(5, 6, 13, 14), kRed), 64 - 2);
    EXPECT_EQ(target.Pixel(10, 10), kWhite) << "excluded from the clip";
    EXPECT_EQ(target.CountNot(CRect(0, 0, 32, 24), kWhite), 63);

    EXPECT_FALSE(dc.BitBlt(0, 0, 4, 4, nullptr, 0, 0, SRCCOPY)) << "a copy needs a source";
    EXPECT_TRUE(dc.BitBlt(0, 0, 2, 2, nullptr, 0, 0, BLACKNESS));
    EXPECT_EQ(target.Count(CRect(0, 0, 2, 2), kBlack), 4);
}

TEST_P(BlitTest, AlphaBlendMatchesTheColourBlendWithinOnePerChannel)
{
    const COLORREF base = RGB(250, 128, 3);
    const COLORREF over = RGB(12, 200, 255);
    CMemoryDC source(4, 4);
    source.FillSolidRect(CRect(0, 0, 4, 4), over);
    int column = 0;
    for (int alpha : {0, 1, 60, 128, 150, 254, 255}) {
        const CRect cell(column, 0, column + 4, 4);
        dc.FillSolidRect(cell, base);
        BLENDFUNCTION blend;
        blend.SourceConstantAlpha = uint8_t(alpha);
        ASSERT_TRUE(dc.AlphaBlend(cell.left, 0, 4, 4, source, 0, 0, 4, 4, blend));
        const COLORREF expected = BlendColor(base, over, uint8_t(alpha));
        EXPECT_LE(ChannelDistance(target.Pixel(column + 1, 1), expected), 1) << "alpha " << alpha;
        column += 4;
    }
    // The direct blend, and the blended fill, are exact.
    if (GetParam() == SurfaceKind::Memory) {
        EXPECT_EQ(target.Pixel(4 * 4 + 1, 1), BlendColor(base, over, 150)) << "the fifth cell, alpha 150";
        dc.FillSolidRect(CRect(0, 10, 4, 14), base);
        ASSERT_TRUE(dc.FillAlphaRect(CRect(0, 10, 4, 14), over, 150));
        EXPECT_EQ(target.Pixel(2, 12), BlendColor(base, over, 150));
    }
}

TEST_P(BlitTest, AlphaBlendRefusesBadArgumentsAndAMissingLibrary)
{
    CMemoryDC source(4, 4);
    source.FillSolidRect(CRect(0, 0, 4, 4), kRed);
    BLENDFUNCTION blend;
    blend.SourceConstantAlpha = 128;
    EXPECT_FALSE(dc.AlphaBlend(0, 0, 4, 4, source, 2, 2, 4, 4, blend)) << "source rectangle outside the source";
    EXPECT_FALSE(dc.AlphaBlend(0, 0, -4, 4, source, 0, 0, 4, 4, blend));
    SetBlendLibraryAvailableForTesting(false);
    EXPECT_FALSE(dc.AlphaBlend(0, 0, 4, 4, source, 0, 0, 4, 4, blend));
    EXPECT_FALSE(dc.TransparentBlt(0, 0, 4, 4, source, 0, 0, 4, 4, kKey));
    EXPECT_FALSE(dc.FillAlphaRect(CRect(0, 0, 4, 4), kRed, 128));
    EXPECT_EQ(target.CountNot(CRect(0, 0, 32, 24), kWhite), 0);
    // Opaque drawing is unaffected.
    EXPECT_TRUE(dc.BitBlt(0, 0, 4, 4, &source, 0, 0, SRCCOPY));
}

TEST_P(BlitTest, TransparentBltLeavesKeyColouredPixelsUntouched)
{
    // A header image drawn the way the painters do it: rendered onto a
    // surface pre-filled with the key colour, then transferred stretched.
    CMemoryDC image(4, 4);
    image.FillSolidRect(CRect(0, 0, 4, 4), kKey);
    image.FillSolidRect(CRect(1, 1, 3, 3), kRed);
    dc.FillSolidRect(CRect(0, 0, 32, 24), RGB(0, 0, 255));
    ASSERT_TRUE(dc.TransparentBlt(4, 4, 8, 8, image, 0, 0, 4, 4, kKey));
    EXPECT_EQ(target.Count(CRect(6, 6, 10, 10), kRed), 16) << "the 2x2 centre stretched to 4x4";
    EXPECT_EQ(target.Count(CRect(0, 0, 32, 24), kRed), 16);
    EXPECT_EQ(target.Pixel(4, 4), RGB(0, 0, 255));
    EXPECT_EQ(target.Pixel(11, 11), RGB(0, 0, 255));
}

TEST_P(BlitTest, StretchBltRepeatsSourcePixelsAndMirrorsOnNegativeWidth)
{
    CMemoryDC source(2, 1);
    source.SetPixel(0, 0, kRed);
    source.SetPixel(1, 0, kBlack);
    ASSERT_TRUE(dc.StretchBlt(0, 0, 4, 2, &source, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(target.Row(0, 0, 5, kRed), "##...");
    EXPECT_EQ(target.Row(1, 0, 5, kBlack), "..##.");
    ASSERT_TRUE(dc.StretchBlt(10, 5, 2, 1, &source, 2, 0, -2, 1, SRCCOPY));
    EXPECT_EQ(target.Pixel(10, 5), kBlack);
    EXPECT_EQ(target.Pixel(11, 5), kRed);
}

TEST(BlitWithinOneSurface, OverlappingCopyReadsTheOriginalPixels)
{
    // Scrolling a surface by one row: every row moves down intact.
    CMemoryDC dc(4, 6);
    for (int y = 0; y < 6; ++y)
        dc.FillSolidRect(CRect(0, y, 4, y + 1), RGB(uint8_t(y * 40), 0, 0));
    ASSERT_TRUE(dc.BitBlt(0, 1, 4, 5, &dc, 0, 0, SRCCOPY));
    for (int y = 1; y < 6; ++y)
        EXPECT_EQ(dc.GetPixel(2, y), RGB(uint8_t((y - 1) * 40), 0, 0)) << "row " << y;
}

TEST(BlitFromWidgetSurfaces, UnreadableSourcesAreRefused)
{
    CMemoryDC target(8, 8);
    QPicture picture; // a device without pixels
    QPainter painter(&picture);
    CDC pictureDc(painter);
    EXPECT_EQ(pictureDc.GetImage(), nullptr);
    EXPECT_FALSE(target.BitBlt(0, 0, 8, 8, &pictureDc, 0, 0, SRCCOPY));
    EXPECT_EQ(pictureDc.GetPixel(0, 0), CLR_INVALID);
}

} // namespace
} // namespace Brivel::Platform
