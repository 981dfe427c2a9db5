// The paint pass: what is drawn where (header, pinned rows, band, body from
// the top row, empty lines), which rectangles are painted, the back buffer,
// the background picture and the screenshot.

#include "tests/gui/paint/paint_test_support.h"

#include "gui/paint/cell_paint_format.h"
#include "gui/paint/column_paint_format.h"
#include "gui/paint/header_paint_format.h"
#include "gui/paint/line_paint_format.h"
#include "gui/paint/paint_format_registry.h"

#include "platform/sys_color.h"

#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QTemporaryDir>

namespace Brivel::GUI::Testing {
namespace {

using Platform::BlendColor;
using Platform::CRect;
using Platform::GetSysColor;
using Platform::RGB;

constexpr COLORREF kMagenta = RGB(255, 0, 255);

// Records the line records the pass hands out.
class CRecordingCustomDraw final : public CCustomDraw {
public:
    CRecordingCustomDraw() : CCustomDraw(false) {}
    void DrawLine(const LineInfo& line, PaintContext& context, PaintElementMask mask) override
    {
        lines.push_back(line);
        CCustomDraw::DrawLine(line, context, mask);
    }
    std::vector<LineInfo> lines;
};

class PaintPassTest : public PaintFixture {
protected:
    QImage Magenta() const
    {
        QImage image(host.client.right, host.client.bottom, QImage::Format_RGB32);
        image.fill(QColor(255, 0, 255));
        return image;
    }
};

TEST_F(PaintPassTest, EmptyLinesBelowTheLastRowKeepTheRowColoursByParity)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    host.appearance.oddBackColor = RGB(200, 210, 220);
    for (int i = 0; i < 3; ++i)
        AddBodyRow("row");
    const QImage image = Render();
    // Rows 0..2 are real, 3 and 4 are empty lines (height 20 like the rows).
    EXPECT_EQ(PixelAt(image, 250, BodyRowRect(0).top + 5), kWhite);
    EXPECT_EQ(PixelAt(image, 250, BodyRowRect(1).top + 5), RGB(200, 210, 220));
    EXPECT_EQ(PixelAt(image, 250, BodyRowRect(3).top + 5), RGB(200, 210, 220));
    EXPECT_EQ(PixelAt(image, 250, BodyRowRect(4).top + 5), kWhite);
    EXPECT_EQ(PixelAt(image, 50, BodyRowRect(5).top + 5), RGB(200, 210, 220)) << "in the columns too";
    EXPECT_EQ(PixelAt(image, 250, host.client.bottom - 1), kWhite) << "row 9, cut at the client bottom";
}

TEST_F(PaintPassTest, RowsAreLaidOutHeaderPinnedBandBodyFromTheTopRow)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    CRecordingCustomDraw draw;
    host.customDraw = &draw;
    CGridItem* pinned = host.AddRow(CRowList::kPinnedList, NewObject("pinned"));
    for (int i = 0; i < 5; ++i)
        AddBodyRow("body");
    host.topRow = 2;
    host.separatorHeight = 4;
    const QImage image = Render();

    ASSERT_GE(draw.lines.size(), 4u);
    EXPECT_EQ(draw.lines[0].item, pinned);
    EXPECT_EQ(draw.lines[0].fullRect, CRect(0, 20, 300, 40));
    EXPECT_EQ(draw.lines[1].item, host.body->GetItem(2)) << "the body starts at the top row";
    EXPECT_EQ(draw.lines[1].row, 2);
    EXPECT_EQ(draw.lines[1].fullRect, CRect(0, 44, 300, 64)) << "below the 4-pixel band";
    // Rows 2, 3, 4, then empty lines numbered on from the row count.
    EXPECT_EQ(draw.lines[4].item, nullptr);
    EXPECT_EQ(draw.lines[4].row, 5);
    // 200 - 44 = 156 pixels: 7 lines of 20, the last cut at the bottom.
    ASSERT_EQ(draw.lines.size(), 9u);
    EXPECT_EQ(draw.lines.back().visibleRect, CRect(0, 184, 300, 200));
    EXPECT_EQ(draw.lines.back().fullRect, CRect(0, 184, 300, 204));

    // The band: highlight above, shadow below, button face inside.
    EXPECT_EQ(PixelAt(image, 50, 40), GetSysColor(Platform::COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(image, 50, 41), GetSysColor(Platform::COLOR_BTNFACE));
    EXPECT_EQ(PixelAt(image, 50, 43), GetSysColor(Platform::COLOR_BTNSHADOW));
}

TEST_F(PaintPassTest, NoBandWithoutPinnedRowsOrWhenItIsHidden)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    CRecordingCustomDraw draw;
    host.customDraw = &draw;
    AddBodyRow("body");
    Render();
    EXPECT_EQ(draw.lines.at(0).fullRect.top, 20);

    host.AddRow(CRowList::kPinnedList, NewObject("pinned"));
    host.separatorShown = false;
    draw.lines.clear();
    Render();
    EXPECT_EQ(draw.lines.at(1).fullRect.top, 40);

    host.headerShown = false;
    draw.lines.clear();
    Render();
    EXPECT_EQ(draw.lines.at(0).fullRect.top, 0) << "no header strip when it is not shown";
}

TEST_F(PaintPassTest, NeighbourSelectionLooksAcrossThePinnedBodyBoundary)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    CRecordingCustomDraw draw;
    host.customDraw = &draw;
    CGridItem* pinned = host.AddRow(CRowList::kPinnedList, NewObject("pinned"));
    CGridItem* first = AddBodyRow("first");
    CGridItem* second = AddBodyRow("second");
    ASSERT_TRUE(pinned->Select(true));
    ASSERT_TRUE(first->Select(true));
    (void)second;
    Render();
    ASSERT_GE(draw.lines.size(), 4u);
    EXPECT_FALSE(draw.lines[0].prevSelected);
    EXPECT_TRUE(draw.lines[0].nextSelected) << "the last pinned row sees body row 0";
    EXPECT_TRUE(draw.lines[1].prevSelected) << "body row 0 sees the last pinned row";
    EXPECT_FALSE(draw.lines[1].nextSelected);
    EXPECT_TRUE(draw.lines[2].prevSelected);
    EXPECT_FALSE(draw.lines[3].prevSelected) << "the first empty line follows an unselected row";
}

TEST_F(PaintPassTest, WithoutAHeaderTheWholeClientAreaIsTheWindowColour)
{
    AddBodyRow("row");
    host.hasHeader = false;
    const QImage image = Render();
    EXPECT_EQ(PixelAt(image, 0, 0), GetSysColor(Platform::COLOR_WINDOW));
    EXPECT_EQ(PixelAt(image, 150, 30), GetSysColor(Platform::COLOR_WINDOW));
    EXPECT_EQ(PixelAt(image, 299, 199), GetSysColor(Platform::COLOR_WINDOW));
}

TEST_F(PaintPassTest, AScrolledColumnNeverPaintsOverTheFixedColumns)
{
    // Column 0 is fixed (60 wide); column 1 fills its whole unclipped
    // rectangle, and is scrolled so that half of it lies under column 0.
    host.AddColumn(CPaintRowObject::kNameField, "Fixed", 60);
    auto spill = std::make_unique<CSolidCellFormat>(RGB(255, 0, 0), true);
    ASSERT_TRUE(host.header->AddColumn(std::make_unique<CColumn>(CPaintRowObject::kNumberField, "Spill", 80,
                                                                  CColumn::kAlignLeft, false, -1, -1, nullptr,
                                                                  std::move(spill))));
    host.AddColumn(CPaintRowObject::kRealField, "Real", 80, CColumn::kAlignLeft);
    host.header->SetFixedColumnCount(1);
    AddBodyRow("fixed text", 5);
    host.scroll.position = 40;

    const QImage image = Render();
    const CRect row = BodyRowRect(0);
    for (int x = 0; x < 60; ++x)
        for (int y = row.top; y < row.bottom; ++y)
            ASSERT_NE(PixelAt(image, x, y), RGB(255, 0, 0)) << "at " << x << "," << y;
    // The visible part of the scrolled column is drawn: 60 .. 100.
    EXPECT_EQ(PixelAt(image, 61, row.top + 5), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(image, 99, row.top + 5), RGB(255, 0, 0));
    EXPECT_NE(PixelAt(image, 100, row.top + 5), RGB(255, 0, 0));
    // And the fixed column's own text is there.
    EXPECT_TRUE(HasInk(image, CRect(0, row.top, 60, row.bottom)));
}

TEST_F(PaintPassTest, AScrolledTextStaysOutOfTheFixedArea)
{
    host.AddColumn(CPaintRowObject::kNumberField, "Fixed", 60);
    host.AddColumn(CPaintRowObject::kNameField, "Scrolled", 120);
    host.header->SetFixedColumnCount(1);
    host.mask &= ~PaintElement::kTreeIndent;
    // The fixed column shows an empty text; the scrolled one a long text
    // whose start lies under the fixed column.
    host.AddRow(CRowList::kBodyList, NewObject("MMMMMMMMMMMMMMMMMMMM", 0));
    host.header->FindColumn(CPaintRowObject::kNumberField)->SetVisible(true);
    host.scroll.position = 50;
    const QImage image = Render();
    const CRect row = BodyRowRect(0);
    // Column 0 shows "0" near its left edge only; no text of the scrolled
    // column reaches into [20, 60).
    EXPECT_FALSE(HasInk(image, CRect(20, row.top, 60, row.bottom)));
    EXPECT_TRUE(HasInk(image, CRect(60, row.top, 130, row.bottom)));
}

TEST_F(PaintPassTest, OnlyTheUpdateRectanglesArePaintedAndRowsOutsideAreSkipped)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    for (int i = 0; i < 8; ++i)
        AddBodyRow("row");
    CRecordingCustomDraw draw;
    host.customDraw = &draw;
    QImage image = Magenta();
    const CRect row3 = BodyRowRect(3);
    painter.Render(image, QRegion(QRect(10, row3.top + 2, 30, 10)));
    ASSERT_EQ(draw.lines.size(), 1u) << "only the row that meets the rectangle is built";
    EXPECT_EQ(draw.lines[0].row, 3);
    EXPECT_EQ(draw.lines[0].paintRect, CRect(10, row3.top + 2, 40, row3.top + 12));
    EXPECT_EQ(PixelAt(image, 10, row3.top + 2), kWhite);
    EXPECT_EQ(PixelAt(image, 9, row3.top + 2), kMagenta);
    EXPECT_EQ(PixelAt(image, 40, row3.top + 2), kMagenta);
    EXPECT_EQ(PixelAt(image, 10, row3.top + 12), kMagenta);
    EXPECT_EQ(painter.GetCountersForTesting().headers, 0);
}

TEST_F(PaintPassTest, AManyRectangleRegionIsPaintedAsItsBoundingRectangle)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    AddBodyRow("row");

    std::vector<CRect> rects;
    QRegion few;
    for (int i = 0; i < 10; ++i)
        few += QRect(10 + 4 * i, 30 + 4 * i, 1, 1);
    CGridPainter::GetUpdateRects(few, rects);
    EXPECT_EQ(rects.size(), 10u);

    QRegion many;
    for (int row = 0; row < 15; ++row)
        for (int column = 0; column < 20; ++column)
            many += QRect(10 + 4 * column, 30 + 4 * row, 1, 1);
    ASSERT_GT(many.rectCount() * 16, 4096);
    CGridPainter::GetUpdateRects(many, rects);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0], CRect::FromQRect(many.boundingRect()));

    QImage image = Magenta();
    painter.Render(image, many);
    EXPECT_EQ(painter.GetCountersForTesting().rects, 1);
    EXPECT_EQ(PixelAt(image, 12, 31), kWhite) << "between the region's rectangles";
    EXPECT_EQ(PixelAt(image, 9, 31), kMagenta) << "outside the bounding rectangle";

    image = Magenta();
    painter.Render(image, few);
    EXPECT_EQ(PixelAt(image, 10, 30), kWhite);
    EXPECT_EQ(PixelAt(image, 12, 31), kMagenta) << "a small region is painted rectangle by rectangle";
    CGridPainter::GetUpdateRects(QRegion(), rects);
    EXPECT_TRUE(rects.empty());
}

TEST_F(PaintPassTest, DoubleBufferingDrawsIntoTheWindowsImageOrThroughTheBackBuffer)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    AddBodyRow("row");
    CPaintedWidget widget(host);
    widget.resize(300, 200);
    const auto counters = [&] { return widget.painter.GetCountersForTesting(); };

    // A 32-bit image at one pixel a pixel: straight into it, also at an
    // offset, and nothing outside the widget's part.
    QImage shown(320, 215, QImage::Format_RGB32);
    shown.fill(QColor(255, 0, 255));
    widget.render(&shown, QPoint(20, 15));
    EXPECT_FALSE(widget.painter.HasBackBufferForTesting());
    EXPECT_EQ(counters().directPasses, 1);
    EXPECT_EQ(counters().windowCopies, 0);
    EXPECT_EQ(PixelAt(shown, 270, 40), kWhite);
    EXPECT_NE(PixelAt(shown, 25, 20), kMagenta) << "the header's corner, moved by the offset";
    EXPECT_EQ(PixelAt(shown, 19, 100), kMagenta);
    EXPECT_EQ(PixelAt(shown, 100, 14), kMagenta);
    const QImage direct = shown.copy(20, 15, 300, 200);

    // Scaled, or an image the client does not fit into: the back buffer,
    // with the same pixels.
    QImage scaled(600, 400, QImage::Format_RGB32);
    scaled.setDevicePixelRatio(2.0);
    widget.render(&scaled);
    EXPECT_TRUE(widget.painter.HasBackBufferForTesting());
    EXPECT_GT(counters().windowCopies, 0);
    QImage small(300, 200, QImage::Format_RGB32);
    widget.render(&small, QPoint(10, 0));
    EXPECT_EQ(counters().directPasses, 1);
    EXPECT_EQ(small.copy(10, 0, 290, 200), direct.copy(0, 0, 290, 200)) << "both ways draw the same pixels";
    QImage buffered(300, 200, QImage::Format_RGB32);
    widget.render(&buffered);
    EXPECT_EQ(counters().directPasses, 2);
    EXPECT_EQ(buffered, direct);
    QPixmap pixmap(300, 200); // a raster pixmap draws on an image too
    widget.render(&pixmap);
    EXPECT_EQ(pixmap.toImage().convertToFormat(QImage::Format_RGB32), direct);

    host.doubleBuffered = false;
    widget.render(&shown);
    EXPECT_FALSE(widget.painter.HasBackBufferForTesting()) << "off means drawing on the window's painter";
    EXPECT_EQ(PixelAt(shown, 250, 25), kWhite);

    host.doubleBuffered = true;
    host.picture = QImage(10, 10, QImage::Format_RGB32);
    host.picture.fill(QColor(0, 0, 255));
    host.pictureAlpha = 0;
    const int64_t copies = counters().windowCopies;
    widget.render(&shown);
    EXPECT_TRUE(widget.painter.HasBackBufferForTesting()) << "a picture needs the buffer";
    EXPECT_GT(counters().windowCopies, copies);

    // The buffer is made again only when the client size changes.
    const int64_t builds = counters().bufferBuilds;
    widget.render(&shown);
    EXPECT_EQ(counters().bufferBuilds, builds);
    host.client = CRect(0, 0, 250, 150);
    widget.render(&shown);
    EXPECT_EQ(counters().bufferBuilds, builds + 1);
}

TEST_F(PaintPassTest, TheBackgroundPictureShowsThroughInItsThreeModes)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    host.picture = QImage(20, 10, QImage::Format_RGB32);
    host.picture.fill(QColor(0, 0, 255));
    for (int x = 10; x < 20; ++x)
        for (int y = 0; y < 10; ++y)
            host.picture.setPixel(x, y, qRgb(0, 255, 0));
    host.pictureAlpha = 0; // the rows lay nothing over the picture
    const COLORREF blue = RGB(0, 0, 255);
    const COLORREF green = RGB(0, 255, 0);

    // Centred in the area below the header (300 x 180 from y = 20): at x 140..160, y 105..115.
    host.pictureMode = kBackgroundCentred;
    QImage image = Render();
    EXPECT_EQ(PixelAt(image, 145, 110), blue);
    EXPECT_EQ(PixelAt(image, 155, 110), green);
    EXPECT_EQ(PixelAt(image, 139, 110), kWhite) << "outside the centred picture the rows' colour";
    EXPECT_EQ(PixelAt(image, 145, 104), kWhite);

    host.pictureMode = kBackgroundTiled;
    image = Render();
    EXPECT_EQ(PixelAt(image, 5, 25), blue);
    EXPECT_EQ(PixelAt(image, 15, 25), green);
    EXPECT_EQ(PixelAt(image, 25, 35), blue) << "the next tile";
    EXPECT_EQ(PixelAt(image, 295, 195), green);

    host.pictureMode = kBackgroundStretched;
    image = Render();
    EXPECT_EQ(PixelAt(image, 10, 100), blue);
    EXPECT_EQ(PixelAt(image, 290, 100), green);
    EXPECT_EQ(painter.GetCountersForTesting().pictureBuilds, 3);

    // The overlay alpha lays the row colour over the picture.
    host.pictureAlpha = 128;
    image = Render();
    EXPECT_EQ(PixelAt(image, 10, 100), BlendColor(blue, kWhite, 128));
    EXPECT_EQ(painter.GetCountersForTesting().pictureBuilds, 3) << "the alpha does not change the picture";

    // Without the blend functions the translucent layers are left out.
    Platform::SetBlendLibraryAvailableForTesting(false);
    image = Render();
    EXPECT_EQ(PixelAt(image, 10, 100), blue);
    Platform::SetBlendLibraryAvailableForTesting(true);

    // Overlay alpha -1: the picture is not used at all.
    host.pictureAlpha = -1;
    image = Render();
    EXPECT_EQ(PixelAt(image, 10, 100), kWhite);
}

TEST_F(PaintPassTest, TintsAreLaidOverThePictureTranslucently)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    CGridItem* item = AddBodyRow("");
    ASSERT_TRUE(item->Select(true));
    host.picture = QImage(10, 10, QImage::Format_RGB32);
    host.picture.fill(QColor(0, 0, 255));
    host.pictureMode = kBackgroundTiled;
    host.pictureAlpha = 0;
    const QImage image = Render();
    const Tint& tint = host.appearance.selectionTint;
    EXPECT_EQ(PixelAt(image, 50, BodyRowRect(0).top + 10), BlendColor(RGB(0, 0, 255), tint.color, tint.alpha));
}

TEST_F(PaintPassTest, AGetCellPaintFormatOverrideChangesOnlyItsColumn)
{
    class COneColumnDraw final : public CCustomDraw {
    public:
        COneColumnDraw() : CCustomDraw(false) {}
        const ICellPaintFormat& GetCellPaintFormat(CColumn* column, Common::CDataObject* object, CGridItem* item,
                                                   CGrid* grid, const CellInfo& cell, PaintContext& context) override
        {
            if (column != nullptr && column->GetId() == CPaintRowObject::kNumberField)
                return solid;
            return CCustomDraw::GetCellPaintFormat(column, object, item, grid, cell, context);
        }
        CSolidCellFormat solid{RGB(0, 128, 0)};
    } draw;
    host.customDraw = &draw;
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    host.AddColumn(CPaintRowObject::kNumberField, "Number", 100);
    AddBodyRow("text", 7);
    const QImage image = Render();
    const CRect row = BodyRowRect(0);
    EXPECT_EQ(PixelAt(image, 150, row.top + 10), RGB(0, 128, 0));
    EXPECT_EQ(PixelAt(image, 90, row.top + 10), kWhite);
    EXPECT_TRUE(HasInk(image, CRect(0, row.top, 100, row.bottom)));
    EXPECT_EQ(PixelAt(image, 150, 10), GetSysColor(Platform::COLOR_BTNFACE)) << "the header is unaffected";
    EXPECT_EQ(PixelAt(image, 250, row.top + 10), kWhite) << "right of the last column";
    EXPECT_EQ(draw.solid.draws, 9) << "one cell per line of the column: a real row and eight empty lines";
}

TEST_F(PaintPassTest, AColumnsOwnCellFormatIsUsedWithTheDefaultCustomDraw)
{
    auto own = std::make_unique<CSolidCellFormat>(RGB(0, 0, 128));
    const CSolidCellFormat* ownRaw = own.get();
    ASSERT_TRUE(host.header->AddColumn(std::make_unique<CColumn>(CPaintRowObject::kNumberField, "Own", 100,
                                                                  CColumn::kAlignLeft, false, -1, -1, nullptr,
                                                                  std::move(own))));
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    AddBodyRow("text", 7);
    ASSERT_EQ(host.customDraw, nullptr);
    const QImage image = Render();
    EXPECT_EQ(PixelAt(image, 50, BodyRowRect(0).top + 10), RGB(0, 0, 128));
    EXPECT_EQ(PixelAt(image, 190, BodyRowRect(0).top + 10), kWhite);
    EXPECT_GT(ownRaw->draws, 0);
}

TEST_F(PaintPassTest, TheScreenshotIsTheClientAreaAsAPng)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    host.AddColumn(CPaintRowObject::kNumberField, "Number", 80, CColumn::kAlignAuto);
    for (int i = 0; i < 4; ++i)
        AddBodyRow("row " + std::to_string(i), i * 1000);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("grid.png"));
    ASSERT_TRUE(painter.SaveScreenshot(path));
    QImage saved(path);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(300, 200));
    const QImage rendered = Render();
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), rendered);

    host.client = CRect();
    EXPECT_FALSE(painter.SaveScreenshot(dir.filePath(QStringLiteral("empty.png"))));
    EXPECT_FALSE(painter.SaveScreenshot(QStringLiteral("/nonexistent-dir/grid.png")));
}

TEST(PaintFormatDefaults, TheFourDefaultsAreRegisteredAndStoredByName)
{
    const std::unique_ptr<ICellPaintFormat> cell = CreatePaintFormat<ICellPaintFormat>("GUI::CCellPaintFormat");
    const std::unique_ptr<IColumnPaintFormat> column =
        CreatePaintFormat<IColumnPaintFormat>("GUI::CColumnPaintFormat");
    const std::unique_ptr<IHeaderPaintFormat> header =
        CreatePaintFormat<IHeaderPaintFormat>("GUI::CHeaderPaintFormat");
    const std::unique_ptr<ILinePaintFormat> line = CreatePaintFormat<ILinePaintFormat>("GUI::CLinePaintFormat");
    ASSERT_NE(dynamic_cast<CCellPaintFormat*>(cell.get()), nullptr);
    ASSERT_NE(dynamic_cast<CColumnPaintFormat*>(column.get()), nullptr);
    ASSERT_NE(dynamic_cast<CHeaderPaintFormat*>(header.get()), nullptr);
    ASSERT_NE(dynamic_cast<CLinePaintFormat*>(line.get()), nullptr);
    EXPECT_TRUE(cell->IsSerializable());
    EXPECT_EQ(cell->GetClassName(), "GUI::CCellPaintFormat");
    EXPECT_EQ(column->GetClassName(), "GUI::CColumnPaintFormat");
    EXPECT_EQ(header->GetClassName(), "GUI::CHeaderPaintFormat");
    EXPECT_EQ(line->GetClassName(), "GUI::CLinePaintFormat");
    EXPECT_NE(dynamic_cast<CCellPaintFormat*>(cell->Clone().get()), nullptr);
    EXPECT_NE(dynamic_cast<CColumnPaintFormat*>(column->Clone().get()), nullptr);

    const SharedPaintDefaults& defaults = GetSharedPaintDefaults();
    EXPECT_EQ(&defaults, &GetSharedPaintDefaults()) << "made once";
    EXPECT_FALSE(defaults.customDraw.IsAutoDelete()) << "no grid may delete the shared custom draw";
    EXPECT_TRUE(CCustomDraw().IsAutoDelete());
    EXPECT_FALSE(CCustomDraw(false).IsAutoDelete());
}

} // namespace
} // namespace Brivel::GUI::Testing

namespace Brivel::GUI::Testing {
namespace {

using Platform::CRect;
using Platform::GetSysColor;
using Platform::RGB;

class PaintDragImageTest : public PaintFixture {};

TEST_F(PaintDragImageTest, AColumnsDragImageIsItsHeaderCellInTheDraggedState)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    CColumn* number = host.AddColumn(CPaintRowObject::kNumberField, "Number", 80);
    const std::unique_ptr<Platform::CImageList> images = painter.MakeColumnDragImage(*number);
    ASSERT_NE(images, nullptr);
    ASSERT_EQ(images->GetImageCount(), 1);
    EXPECT_EQ(images->GetImageSize(), Platform::CSize(80, 20));
    const QImage& image = *images->GetImage(0);
    EXPECT_EQ(PixelAt(image, 70, 10), GetSysColor(Platform::COLOR_BTNHIGHLIGHT)) << "state 1";
    EXPECT_EQ(PixelAt(image, 79, 10), GetSysColor(Platform::COLOR_BTNSHADOW));
    EXPECT_EQ(qAlpha(image.pixel(40, 10)), 255);
    EXPECT_TRUE(HasInk(image, CRect(0, 0, 80, 20))) << "with its caption";

    CColumn other(99, "Elsewhere", 50);
    EXPECT_EQ(painter.MakeColumnDragImage(other), nullptr) << "not a column of this header";
}

TEST_F(PaintDragImageTest, TheRowsDragImageHoldsTheVisibleSelectedRowsOnTheirKey)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    host.appearance.evenBackColor = RGB(0, 200, 0);
    std::vector<CGridItem*> rows;
    for (int i = 0; i < 5; ++i)
        rows.push_back(AddBodyRow("row " + std::to_string(i)));
    EXPECT_EQ(painter.MakeRowDragImage(), nullptr) << "nothing selected";
    ASSERT_TRUE(rows[1]->Select(true));
    ASSERT_TRUE(rows[3]->Select(true));
    int32_t top = -1;
    const std::unique_ptr<Platform::CImageList> images = painter.MakeRowDragImage(&top);
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(top, BodyRowRect(1).top);
    EXPECT_EQ(images->GetImageSize(), Platform::CSize(300, 60)) << "from row 1 to row 3";
    const QImage& image = *images->GetImage(0);
    EXPECT_EQ(qAlpha(image.pixel(250, 10)), 255);
    EXPECT_EQ(PixelAt(image, 250, 10), kWhite) << "row 1 (odd) without any tint";
    EXPECT_EQ(qAlpha(image.pixel(250, 30)), 0) << "the unselected row between stays the key";
    EXPECT_EQ(qAlpha(image.pixel(250, 50)), 255);
    EXPECT_TRUE(HasInk(image, CRect(0, 0, 100, 20)));

    host.topRow = 4;
    EXPECT_EQ(painter.MakeRowDragImage(), nullptr) << "the selected rows scrolled out of view";
}

} // namespace
} // namespace Brivel::GUI::Testing
