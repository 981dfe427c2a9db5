// The header strip and its cells: background and frame, sort marks by level
// and direction, captions and images, the insertion bar of a column drag,
// the fixed-area exclusion, and the heights measured from fonts.

#include "tests/gui/paint/paint_test_support.h"

#include "gui/paint/column_paint_format.h"
#include "gui/paint/header_paint_format.h"

#include "platform/image_list.h"
#include "platform/sys_color.h"

namespace Brivel::GUI::Testing {
namespace {

using Platform::CRect;
using Platform::GetSysColor;
using Platform::RGB;

class PaintHeaderTest : public PaintFixture {
protected:
    PaintHeaderTest()
    {
        face = GetSysColor(Platform::COLOR_BTNFACE);
        shadow = GetSysColor(Platform::COLOR_BTNSHADOW);
        light = GetSysColor(Platform::COLOR_BTNHIGHLIGHT);
    }
    COLORREF face = 0;
    COLORREF shadow = 0;
    COLORREF light = 0;
};

TEST_F(PaintHeaderTest, CellsAreRaisedButtonFacesAndTheRestOfTheStripIsFace)
{
    host.AddColumn(1, "", 100);
    host.AddColumn(2, "", 80);
    const QImage image = Render();
    EXPECT_EQ(PixelAt(image, 50, 10), face);
    EXPECT_EQ(PixelAt(image, 0, 10), light) << "left edge";
    EXPECT_EQ(PixelAt(image, 50, 0), light) << "top edge";
    EXPECT_EQ(PixelAt(image, 99, 10), shadow) << "right edge";
    EXPECT_EQ(PixelAt(image, 50, 19), shadow) << "bottom edge";
    EXPECT_EQ(PixelAt(image, 100, 10), light) << "the next cell starts";
    EXPECT_EQ(PixelAt(image, 250, 10), face) << "right of the last column";
    EXPECT_EQ(PixelAt(image, 250, 0), face);

    // The column being dragged is lit.
    host.drag.dragged = host.header->FindColumn(2);
    const QImage dragged = Render();
    EXPECT_EQ(PixelAt(dragged, 140, 10), light);
    EXPECT_EQ(PixelAt(dragged, 50, 10), face);
}

TEST_F(PaintHeaderTest, TheSortMarkOfLevelTwoHasTwoDarkBoxesAndALowerTriangle)
{
    host.AddColumn(1, "", 100);
    host.AddColumn(2, "", 100);
    host.AddColumn(3, "", 100);
    host.header->EnableSorting(true);
    host.header->EnableMultiSort(true);
    host.header->SetSortInfo(0, CSortInfo(1, false));
    host.header->SetSortInfo(1, CSortInfo(2, true));
    host.header->SetSortInfo(2, CSortInfo(3, false));
    ASSERT_EQ(host.header->GetSortLevelCount(), 3);
    const QImage image = Render();
    const int c = 10; // (0 + 20) / 2

    // Level 2 (column 3, ascending): boxes at x0 + 2j, x0 = 300 - 12.
    {
        const int x0 = 288;
        EXPECT_EQ(PixelAt(image, x0, c - 5), shadow) << "box outline";
        EXPECT_EQ(PixelAt(image, x0 + 1, c - 4), shadow) << "box 0 dark";
        EXPECT_EQ(PixelAt(image, x0 + 3, c - 4), shadow) << "box 1 dark";
        EXPECT_EQ(PixelAt(image, x0 + 5, c - 4), RGB(255, 255, 255)) << "box 2 white";
        EXPECT_EQ(PixelAt(image, x0 + 7, c - 4), RGB(255, 255, 255)) << "box 3 white";
        EXPECT_EQ(PixelAt(image, x0 + 9, c - 4), face) << "only four boxes";
        // Apex down between c + 1 and c + 5.
        EXPECT_EQ(PixelAt(image, x0 + 1, c + 1), shadow) << "the base";
        EXPECT_EQ(PixelAt(image, x0 + 4, c + 3), shadow);
        EXPECT_EQ(PixelAt(image, x0 + 1, c + 3), face) << "narrowing towards the apex";
        EXPECT_EQ(PixelAt(image, x0 + 4, c - 1), face) << "nothing where level 0 has its triangle";
    }
    // Level 1 (column 2, descending): one dark box, apex up.
    {
        const int x0 = 188;
        EXPECT_EQ(PixelAt(image, x0 + 1, c - 4), shadow);
        EXPECT_EQ(PixelAt(image, x0 + 3, c - 4), RGB(255, 255, 255));
        EXPECT_EQ(PixelAt(image, x0 + 1, c + 5), shadow) << "the base at the bottom";
        EXPECT_EQ(PixelAt(image, x0 + 1, c + 3), face);
        EXPECT_EQ(PixelAt(image, x0 + 4, c + 3), shadow);
    }
    // Level 0 (column 1, ascending): no boxes; the triangle 4 pixels higher.
    {
        const int x0 = 88;
        EXPECT_EQ(PixelAt(image, x0 + 1, c - 4), face);
        EXPECT_EQ(PixelAt(image, x0 + 1, c - 3), shadow) << "the base at c - 3";
        EXPECT_EQ(PixelAt(image, x0 + 4, c - 1), shadow);
        EXPECT_EQ(PixelAt(image, x0 + 4, c + 3), face);
    }
}

TEST_F(PaintHeaderTest, CaptionsFollowTheColumnAlignmentAndLeaveRoomForTheSortMark)
{
    host.AddColumn(1, "Left", 100, CColumn::kAlignLeft);
    host.AddColumn(2, "Right", 100, CColumn::kAlignRight);
    host.AddColumn(3, "WWWWWWWWWWWWWWWWWWWW", 100, CColumn::kAlignRight);
    host.header->EnableSorting(true);
    host.header->SetSortInfo(0, CSortInfo(3, false));
    const QImage image = Render();
    EXPECT_GE(LeftmostInk(image, CRect(1, 1, 99, 19)), 2);
    EXPECT_LE(LeftmostInk(image, CRect(1, 1, 99, 19)), 4);
    EXPECT_GE(RightmostInk(image, CRect(101, 1, 199, 19)), 200 - 4 - 3);
    EXPECT_LT(RightmostInk(image, CRect(101, 1, 199, 19)), 200 - 4);
    // The sorted column's caption stops before the mark (12) and the margin (4).
    EXPECT_LT(RightmostInk(image, CRect(201, 1, 287, 19), 60), 300 - 12 - 4);
}

TEST_F(PaintHeaderTest, HeaderImagesAreStretchedIntoTheirBoxOnlyWithTheBlendFunctions)
{
    Platform::CImageList images(8);
    QImage green(8, 8, QImage::Format_ARGB32_Premultiplied);
    green.fill(QColor(0, 255, 0));
    ASSERT_EQ(images.Add(green), 0);
    host.header->SetImageList(&images);
    ASSERT_TRUE(host.header->AddColumn(
        std::make_unique<CColumn>(1, "Caption", 120, CColumn::kAlignLeft, false, -1, 0)));
    QImage image = Render();
    // Box: (0, 0, 20, 20) deflated by 2.
    EXPECT_EQ(PixelAt(image, 2, 2), RGB(0, 255, 0));
    EXPECT_EQ(PixelAt(image, 17, 17), RGB(0, 255, 0));
    EXPECT_EQ(PixelAt(image, 18, 10), face);
    EXPECT_GE(LeftmostInk(image, CRect(1, 1, 119, 19)), 20 + 2) << "the caption moves right of the image";

    Platform::SetBlendLibraryAvailableForTesting(false);
    image = Render();
    EXPECT_EQ(PixelAt(image, 10, 10), face);
    Platform::SetBlendLibraryAvailableForTesting(true);

    host.mask &= ~PaintElement::kHeaderImages;
    image = Render();
    EXPECT_EQ(PixelAt(image, 10, 10), face);
    EXPECT_LE(LeftmostInk(image, CRect(1, 1, 119, 19)), 4);
}

TEST_F(PaintHeaderTest, AColumnDragShowsTheInsertionBarAtTheTargetSide)
{
    host.AddColumn(1, "", 100);
    host.AddColumn(2, "", 100);
    host.drag = {host.header->FindColumn(1), host.header->FindColumn(2), 2};
    QImage image = Render();
    const COLORREF bar = CHeaderPaintFormat::kInsertionBarColor;
    EXPECT_EQ(PixelAt(image, 199, 10), bar);
    EXPECT_EQ(PixelAt(image, 201, 10), bar);
    EXPECT_NE(PixelAt(image, 202, 10), bar);
    EXPECT_NE(PixelAt(image, 198, 10), bar);

    host.drag.side = 1;
    image = Render();
    EXPECT_EQ(PixelAt(image, 99, 0), bar);
    EXPECT_EQ(PixelAt(image, 101, 19), bar);
    EXPECT_NE(PixelAt(image, 199, 10), bar);

    host.drag.side = 0;
    image = Render();
    EXPECT_NE(PixelAt(image, 100, 10), bar);
}

TEST_F(PaintHeaderTest, AScrolledHeaderCellNeverCoversTheFixedCells)
{
    host.AddColumn(1, "", 60);
    host.AddColumn(2, "", 100);
    host.header->SetFixedColumnCount(1);
    host.scroll.position = 30;
    const QImage image = Render();
    // Column 2 lies at 30 .. 130 scrolled; its left edge (light) would be at 30.
    EXPECT_EQ(PixelAt(image, 30, 10), face);
    EXPECT_EQ(PixelAt(image, 59, 10), shadow) << "the fixed cell's own right edge";
    EXPECT_EQ(PixelAt(image, 129, 10), shadow) << "the scrolled cell's right edge";
}

TEST_F(PaintHeaderTest, HeightsComeFromTheFonts)
{
    host.font.reset();
    EXPECT_EQ(CGridPainter::MeasureHeaderHeight(host), 20) << "no font anywhere";
    host.hasHeader = false;
    host.font = TestFont(12);
    EXPECT_EQ(CGridPainter::MeasureHeaderHeight(host), 20) << "no header";
    host.hasHeader = true;

    Platform::CMemoryDC dc(4, 4);
    Platform::TEXTMETRIC metrics;
    dc.SelectFont(TestFont(24));
    ASSERT_TRUE(dc.GetTextMetrics(metrics));
    host.header->SetFont(TestFont(24));
    EXPECT_EQ(CGridPainter::MeasureHeaderHeight(host), metrics.tmHeight + metrics.tmInternalLeading + 4)
        << "the header's own font";
    host.header->SetFont(std::nullopt);
    dc.SelectFont(TestFont(12));
    ASSERT_TRUE(dc.GetTextMetrics(metrics));
    EXPECT_EQ(CGridPainter::MeasureHeaderHeight(host), metrics.tmHeight + metrics.tmInternalLeading + 4)
        << "else the grid's";

    EXPECT_EQ(CGridPainter::MeasureLineHeight(host), metrics.tmHeight + metrics.tmInternalLeading / 2);
    EXPECT_EQ(GetSharedPaintDefaults().customDraw.GetLineHeight(nullptr, nullptr), 0);
    host.font.reset();
    EXPECT_GT(CGridPainter::MeasureLineHeight(host), 0) << "the default font";
}

} // namespace
} // namespace Brivel::GUI::Testing
