// CImageList: images cut from a masked strip and drawn at a position.
#include "platform/image_list.h"

#include "platform/dc.h"

#include <gtest/gtest.h>

namespace Brivel::Platform {
namespace {

constexpr COLORREF kMask = RGB(255, 0, 255);

// A strip of `count` 4x4 images: image n is a 2x2 square of colour n at
// (1, 1) on the mask colour.
QImage MakeStrip(int count)
{
    QImage strip(4 * count, 4, QImage::Format_RGB32);
    strip.fill(ToQColor(kMask));
    for (int n = 0; n < count; ++n)
        for (int y = 1; y < 3; ++y)
            for (int x = 1; x < 3; ++x)
                strip.setPixel(4 * n + x, y, ToQRgb(RGB(uint8_t(10 + n), 0, 0)));
    return strip;
}

TEST(ImageList, AddMaskedCutsTheStripAndMakesTheMaskColourTransparent)
{
    CImageList list(4);
    EXPECT_EQ(list.AddMasked(MakeStrip(3), kMask), 0);
    EXPECT_EQ(list.AddMasked(MakeStrip(2), kMask), 3);
    ASSERT_EQ(list.GetImageCount(), 5);
    IMAGEINFO info;
    ASSERT_TRUE(list.GetImageInfo(4, info));
    EXPECT_EQ(info.rcImage, CRect(16, 0, 20, 4));
    EXPECT_FALSE(list.GetImageInfo(5, info));

    CMemoryDC dc(10, 10);
    dc.FillSolidRect(CRect(0, 0, 10, 10), RGB(0, 0, 255));
    ASSERT_TRUE(list.Draw(dc, 1, CPoint(3, 3)));
    EXPECT_EQ(dc.GetPixel(4, 4), RGB(11, 0, 0));
    EXPECT_EQ(dc.GetPixel(5, 5), RGB(11, 0, 0));
    EXPECT_EQ(dc.GetPixel(3, 3), RGB(0, 0, 255)) << "mask pixels leave the target untouched";
    EXPECT_EQ(dc.GetPixel(6, 6), RGB(0, 0, 255));
    EXPECT_FALSE(list.Draw(dc, 7, CPoint(0, 0)));
    EXPECT_FALSE(list.Draw(dc, -1, CPoint(0, 0)));
}

TEST(ImageList, RefusesWhatItCannotHold)
{
    CImageList list(8);
    EXPECT_EQ(list.AddMasked(MakeStrip(1), kMask), -1) << "a strip narrower than one image";
    EXPECT_EQ(list.AddMasked(QImage(), kMask), -1);
    CImageList none(0);
    EXPECT_EQ(none.Add(MakeStrip(1)), -1);
    EXPECT_EQ(list.Add(MakeStrip(1)), 0) << "an image of another size is scaled";
    EXPECT_EQ(list.GetImage(0)->size(), QSize(8, 8));
    EXPECT_TRUE(list.Remove(0));
    EXPECT_FALSE(list.Remove(0));
}

} // namespace
} // namespace Brivel::Platform
