// Shapes, lines and clipping of CDC, read back pixel by pixel on both kinds
// of surface (drawn directly, and through a borrowed QPainter).
#include "platform/dc.h"

#include "tests/platform/draw_test_support.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace Brivel::Platform {
namespace {

using Testing::CTestSurface;
using Testing::kBlack;
using Testing::kWhite;
using Testing::SurfaceKind;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);

class DrawingTest : public testing::TestWithParam<SurfaceKind> {
protected:
    CTestSurface surface{GetParam(), 40, 30};
    CDC& dc = surface.dc();
};

INSTANTIATE_TEST_SUITE_P(BothPaths, DrawingTest, testing::Values(SurfaceKind::Memory, SurfaceKind::Painter),
                         Testing::SurfaceName);

TEST_P(DrawingTest, FillSolidRectCoversExactlyLeftTopInclusiveRightBottomExclusive)
{
    dc.FillSolidRect(CRect(3, 4, 10, 9), kRed);
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            ASSERT_EQ(surface.Pixel(x, y), (x >= 3 && x < 10 && y >= 4 && y < 9) ? kRed : kWhite) << x << "," << y;

    // A negative extent fills the mirrored span; a null brush fills nothing.
    dc.FillSolidRect(20, 10, -3, -2, kBlue);
    EXPECT_EQ(surface.Count(CRect(17, 8, 20, 10), kBlue), 6);
    dc.FillRect(CRect(0, 20, 40, 30), CBrush::Null());
    EXPECT_EQ(surface.CountNot(CRect(0, 20, 40, 30), kWhite), 0);
}

TEST_P(DrawingTest, Draw3dRectPutsTheSecondColourOnRightAndBottomEdgesAndCorners)
{
    dc.Draw3dRect(CRect(2, 2, 8, 6), kRed, kBlue);
    EXPECT_EQ(surface.Row(2, 2, 8, kRed), "#####.");   // top row; top-right corner is the second colour
    EXPECT_EQ(surface.Pixel(7, 2), kBlue);
    EXPECT_EQ(surface.Column(2, 2, 6, kRed), "###."); // left column; bottom-left corner is the second colour
    EXPECT_EQ(surface.Row(5, 2, 8, kBlue), "######");
    EXPECT_EQ(surface.Column(7, 2, 6, kBlue), "####");
    EXPECT_EQ(surface.CountNot(CRect(3, 3, 7, 5), kWhite), 0); // inside untouched
    EXPECT_EQ(surface.Pixel(8, 2), kWhite);
    EXPECT_EQ(surface.Pixel(2, 6), kWhite);
}

TEST_P(DrawingTest, SolidLineExcludesItsEndPointInEveryDirection)
{
    dc.SelectPen(CPen(PS_SOLID, 1, kBlack));
    dc.MoveTo(2, 1);
    dc.LineTo(8, 1); // right
    EXPECT_EQ(surface.Row(1, 0, 10, kBlack), "..######..");
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(8, 1));

    dc.MoveTo(8, 3);
    dc.LineTo(2, 3); // left: 8 drawn, 2 not
    EXPECT_EQ(surface.Row(3, 0, 10, kBlack), "...######.");

    dc.MoveTo(12, 2);
    dc.LineTo(12, 7); // down
    EXPECT_EQ(surface.Column(12, 0, 9, kBlack), "..#####..");

    // A diagonal sets one pixel per step of its major axis, the start
    // included and the end excluded.
    dc.MoveTo(20, 10);
    dc.LineTo(30, 15);
    EXPECT_EQ(surface.Pixel(20, 10), kBlack);
    EXPECT_EQ(surface.Pixel(30, 15), kWhite);
    EXPECT_EQ(surface.CountNot(CRect(19, 9, 32, 17), kWhite), 10);
}

TEST_P(DrawingTest, DottedPenSetsEveryOtherPixelStartingOnAndContinuesAcrossLineTo)
{
    dc.SelectPen(CPen::Dotted(kGrey));
    dc.MoveTo(3, 0);
    dc.LineTo(13, 0);
    EXPECT_EQ(surface.Row(0, 0, 15, kGrey), "...#.#.#.#.#...");

    dc.MoveTo(5, 2);
    dc.LineTo(5, 9);
    EXPECT_EQ(surface.Column(5, 2, 10, kGrey), "#.#.#.#.");

    // The pattern runs on through consecutive LineTo calls: 3 pixels, then 5.
    dc.MoveTo(0, 12);
    dc.LineTo(3, 12);
    dc.LineTo(8, 12);
    EXPECT_EQ(surface.Row(12, 0, 9, kGrey), "#.#.#.#..");

    // Drawn right to left it starts on its first pixel too.
    dc.MoveTo(20, 14);
    dc.LineTo(13, 14);
    EXPECT_EQ(surface.Row(14, 12, 22, kGrey), "..#.#.#.#.");
}

TEST_P(DrawingTest, RectangleOutlineLiesInsideAndTheBrushFillsTheRest)
{
    dc.SelectPen(CPen(PS_SOLID, 1, kBlack));
    dc.SelectBrush(CBrush(kGrey));
    ASSERT_TRUE(dc.Rectangle(2, 2, 8, 6));
    EXPECT_EQ(surface.Row(2, 1, 9, kBlack), ".######.");
    EXPECT_EQ(surface.Row(5, 1, 9, kBlack), ".######.");
    EXPECT_EQ(surface.Column(2, 1, 7, kBlack), ".####.");
    EXPECT_EQ(surface.Column(7, 1, 7, kBlack), ".####.");
    EXPECT_EQ(surface.Count(CRect(3, 3, 7, 5), kGrey), 8);

    // With the null pen the filled area loses its right column and bottom row.
    dc.SelectPen(CPen::Null());
    dc.Rectangle(10, 2, 16, 6);
    EXPECT_EQ(surface.Count(CRect(10, 2, 15, 5), kGrey), 15);
    EXPECT_EQ(surface.CountNot(CRect(15, 2, 17, 7), kWhite) + surface.CountNot(CRect(10, 5, 17, 7), kWhite), 0);
}

TEST_P(DrawingTest, SortMarkTriangleIsFilledAndSymmetric)
{
    // The header's sort mark: corners (x0, y1), (x0 + 8, y1), (x0 + 4, y2).
    dc.SelectPen(CPen(PS_SOLID, 1, kGrey));
    dc.SelectBrush(CBrush(kGrey));
    const CPoint apexDown[3] = {{10, 10}, {18, 10}, {14, 14}};
    ASSERT_TRUE(dc.Polygon(apexDown, 3));
    EXPECT_EQ(surface.Row(10, 9, 20, kGrey), ".#########.");
    EXPECT_EQ(surface.Pixel(14, 14), kGrey);
    EXPECT_EQ(surface.Pixel(14, 15), kWhite);
    for (int y = 10; y <= 14; ++y)
        for (int d = 0; d <= 5; ++d)
            EXPECT_EQ(surface.Pixel(14 - d, y), surface.Pixel(14 + d, y)) << "row " << y << " offset " << d;
    EXPECT_EQ(surface.Row(13, 9, 20, kGrey), "....###....") << "narrows towards the apex";
}

TEST_P(DrawingTest, PathFillCoversThePixelsInsideTheFigure)
{
    dc.SelectBrush(CBrush(kBlue));
    ASSERT_TRUE(dc.BeginPath());
    dc.MoveTo(4, 4);
    dc.LineTo(12, 4);
    dc.LineTo(12, 9);
    dc.LineTo(4, 9);
    dc.CloseFigure();
    EXPECT_EQ(surface.CountNot(CRect(0, 0, 40, 30), kWhite), 0) << "nothing is drawn while the path is open";
    ASSERT_TRUE(dc.EndPath());
    ASSERT_TRUE(dc.FillPath());
    EXPECT_EQ(surface.Count(CRect(4, 4, 12, 9), kBlue), 40);
    EXPECT_EQ(surface.CountNot(CRect(0, 0, 40, 30), kWhite), 40);
    EXPECT_FALSE(dc.FillPath()) << "a filled path is gone";
}

TEST_P(DrawingTest, ExcludeClipRectProtectsItsPixelsUntilRestored)
{
    const int saved = dc.SaveDC();
    EXPECT_EQ(dc.ExcludeClipRect(CRect(5, 5, 10, 10)), COMPLEXREGION);
    dc.FillSolidRect(CRect(0, 0, 20, 20), kRed);
    EXPECT_EQ(surface.Count(CRect(5, 5, 10, 10), kWhite), 25);
    EXPECT_EQ(surface.Count(CRect(0, 0, 20, 20), kRed), 400 - 25);
    // Lines and text-free shapes obey it as well.
    dc.SelectPen(CPen(PS_SOLID, 1, kBlue));
    dc.MoveTo(0, 7);
    dc.LineTo(20, 7);
    EXPECT_EQ(surface.Row(7, 4, 11, kBlue), "#.....#");

    ASSERT_TRUE(dc.RestoreDC(saved));
    dc.FillSolidRect(CRect(5, 5, 10, 10), kBlue);
    EXPECT_EQ(surface.Count(CRect(5, 5, 10, 10), kBlue), 25);
}

TEST_P(DrawingTest, ClipRegionUnionAndIntersection)
{
    // Start from one rectangle, OR in a second: both are drawable, nothing else.
    const QRegion first(QRect(0, 0, 4, 4));
    const QRegion second(QRect(10, 10, 4, 4));
    EXPECT_EQ(dc.SelectClipRgn(&first), SIMPLEREGION);
    EXPECT_EQ(dc.ExtSelectClipRgn(&second, RGN_OR), COMPLEXREGION);
    dc.FillSolidRect(CRect(0, 0, 40, 30), kRed);
    EXPECT_EQ(surface.Count(CRect(0, 0, 40, 30), kRed), 32);
    CRect box;
    EXPECT_EQ(dc.GetClipBox(box), COMPLEXREGION);
    EXPECT_EQ(box, CRect(0, 0, 14, 14));
    EXPECT_TRUE(dc.RectVisible(CRect(11, 11, 12, 12)));
    EXPECT_FALSE(dc.RectVisible(CRect(5, 5, 9, 9)));

    EXPECT_EQ(dc.IntersectClipRect(CRect(20, 20, 30, 30)), NULLREGION);
    dc.FillSolidRect(CRect(0, 0, 40, 30), kBlue);
    EXPECT_EQ(surface.Count(CRect(0, 0, 40, 30), kBlue), 0);

    EXPECT_EQ(dc.SelectClipRgn(nullptr), SIMPLEREGION);
    dc.FillSolidRect(CRect(0, 0, 40, 30), kBlue);
    EXPECT_EQ(surface.Count(CRect(0, 0, 40, 30), kBlue), 1200);
    EXPECT_EQ(dc.ExtSelectClipRgn(nullptr, RGN_OR), RGN_ERROR);
}

TEST_P(DrawingTest, RestoreDCBringsBackPenBrushColoursAndPosition)
{
    dc.SelectPen(CPen(PS_SOLID, 1, kRed));
    dc.MoveTo(1, 1);
    const int saved = dc.SaveDC();
    dc.SelectPen(CPen(PS_SOLID, 1, kBlue));
    dc.MoveTo(30, 20);
    dc.SetTextColor(kBlue);
    EXPECT_FALSE(dc.RestoreDC(saved + 1));
    ASSERT_TRUE(dc.RestoreDC(-1));
    EXPECT_EQ(dc.GetPen(), CPen(PS_SOLID, 1, kRed));
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(1, 1));
    EXPECT_EQ(dc.GetTextColor(), kBlack);
    EXPECT_FALSE(dc.RestoreDC(-1)) << "the state was dropped by restoring it";
}

TEST_P(DrawingTest, AbsurdCoordinatesAreClippedNotWalked)
{
    dc.SelectPen(CPen::Dotted(kBlack));
    dc.MoveTo(-2000000000, 5);
    dc.LineTo(2000000000, 5);
    EXPECT_EQ(surface.Row(5, 0, 4, kBlack), "#.#.") << "the phase follows the skipped start";
    dc.SelectPen(CPen(PS_SOLID, 1, kBlack));
    dc.MoveTo(-2000000000, -1500000000);
    dc.LineTo(2000000000, 1900000000);
    dc.FillSolidRect(CRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), kRed);
    EXPECT_EQ(surface.Count(CRect(0, 0, 40, 30), kRed), 1200);
    EXPECT_EQ(dc.SetPixel(-1, 3, kBlue), CLR_INVALID);
    EXPECT_EQ(dc.SetPixel(3, 3, kBlue), kBlue);
    EXPECT_EQ(surface.Pixel(3, 3), kBlue);
}

TEST(DrawingOnPainter, BorrowedPainterGetsItsStateBack)
{
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setClipRect(QRect(0, 0, 10, 10));
    painter.setPen(QPen(Qt::green, 3));
    {
        CDC dc(painter);
        dc.SelectClipRgn(nullptr);
        dc.FillSolidRect(CRect(0, 0, 20, 20), kRed);
        EXPECT_EQ(FromQRgb(image.pixel(15, 15)), kRed) << "the CDC owns the clip while it lives";
    }
    EXPECT_TRUE(painter.hasClipping());
    EXPECT_EQ(painter.clipBoundingRect().toRect(), QRect(0, 0, 10, 10));
    EXPECT_EQ(painter.pen().width(), 3);
}

TEST(MemorySurface, AbsurdSizesGiveAnInvalidSurfaceThatRefusesEverything)
{
    CMemoryDC huge(100000, 100000);
    EXPECT_FALSE(huge.IsValid());
    EXPECT_FALSE(huge.LineTo(5, 5));
    EXPECT_EQ(huge.GetPixel(0, 0), CLR_INVALID);
    CRect r(0, 0, 10, 10);
    EXPECT_EQ(huge.DrawText("text", r, DT_SINGLELINE), 0);
    CMemoryDC empty(-5, 10);
    EXPECT_FALSE(empty.IsValid());

    // Resizing makes a fresh black surface and keeps the selected pen and colours.
    CMemoryDC dc(4, 4);
    dc.SelectPen(CPen::Dotted(kRed));
    dc.SetTextColor(kBlue);
    ASSERT_TRUE(dc.Resize(8, 3));
    EXPECT_EQ(dc.GetSize(), CSize(8, 3));
    EXPECT_EQ(dc.GetPixel(7, 2), kBlack);
    EXPECT_EQ(dc.GetPen(), CPen::Dotted(kRed));
    EXPECT_EQ(dc.GetTextColor(), kBlue);
    EXPECT_FALSE(dc.Resize(0, 3));
}

TEST(MemorySurface, CopyOfTheImageTakenWhileDrawingKeepsItsPixels)
{
    CMemoryDC dc(4, 4);
    dc.FillSolidRect(CRect(0, 0, 4, 4), kWhite);
    const QImage snapshot = dc.Image();
    dc.FillSolidRect(CRect(0, 0, 4, 4), kRed);
    EXPECT_EQ(FromQRgb(snapshot.pixel(1, 1)), kWhite);
    EXPECT_EQ(dc.GetPixel(1, 1), kRed);
}

} // namespace
} // namespace Brivel::Platform
