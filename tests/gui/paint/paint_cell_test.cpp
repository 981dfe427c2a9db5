// One cell: text placement and cutting, images, the tree column, frames,
// grid lines, the rubber band, drop marks, measuring, and the hooks of
// in-place editing and embedded controls.

#include "tests/gui/paint/paint_test_support.h"

#include "gui/paint/cell_paint_format.h"
#include "gui/paint/line_paint_format.h"

#include "platform/image_list.h"
#include "platform/sys_color.h"

namespace Brivel::GUI::Testing {
namespace {

using Platform::BlendColor;
using Platform::CRect;
using Platform::RGB;

constexpr unsigned kCellTextFlags = Platform::DT_VCENTER | Platform::DT_SINGLELINE | Platform::DT_END_ELLIPSIS;

class PaintCellTest : public PaintFixture {
protected:
    PaintCellTest() { host.mask &= ~PaintElement::kTreeIndent; }

    // `text` drawn as a cell draws it, black on white, into an image of the
    // client size.
    QImage Reference(const std::string& text, CRect rect, unsigned format) const
    {
        QImage image(host.client.right, host.client.bottom, QImage::Format_RGB32);
        image.fill(Qt::white);
        Platform::CDC dc(image);
        dc.SelectFont(*host.font);
        dc.SetBkMode(Platform::TRANSPARENT);
        dc.DrawText(std::string_view(text), rect, format);
        return image;
    }
    static bool SameIn(const QImage& a, const QImage& b, const CRect& rect)
    {
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                if (a.pixel(x, y) != b.pixel(x, y))
                    return false;
        return true;
    }
};

TEST_F(PaintCellTest, ANarrowCellCutsItsTextWithAnEllipsisOnOneLine)
{
    host.body->SetRowHeight(60, true);
    host.AddColumn(CPaintRowObject::kNameField, "Name", 60);
    const std::string text = "several words that never fit";
    AddBodyRow(text);
    const QImage image = Render();
    const CRect cell(0, 20, 60, 80);
    const CRect textRect(2, 20, 58, 80);

    const QImage cut = Reference(text, textRect, Platform::DT_LEFT | kCellTextFlags);
    const QImage plain = Reference(text, textRect, Platform::DT_LEFT | Platform::DT_VCENTER | Platform::DT_SINGLELINE);
    EXPECT_TRUE(SameIn(image, cut, cell)) << "the cell shows the text cut with an ellipsis";
    EXPECT_FALSE(SameIn(image, plain, cell)) << "not merely clipped";
    // One line, vertically centred: nothing in the top or bottom third.
    EXPECT_FALSE(HasInk(image, CRect(0, 20, 60, 40)));
    EXPECT_FALSE(HasInk(image, CRect(0, 60, 60, 80)));
    EXPECT_TRUE(HasInk(image, CRect(0, 40, 60, 60)));
    EXPECT_FALSE(HasInk(image, CRect(58, 20, 300, 80))) << "the text stays inside its cell";
}

TEST_F(PaintCellTest, AutomaticAlignmentPutsNumbersRightAndEverythingElseLeft)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 70, CColumn::kAlignAuto);
    host.AddColumn(CPaintRowObject::kNumberField, "Number", 70, CColumn::kAlignAuto);
    host.AddColumn(CPaintRowObject::kFlagField, "Flag", 70, CColumn::kAlignAuto);
    host.AddColumn(CPaintRowObject::kRealField, "Real", 70, CColumn::kAlignAuto);
    host.AddRow(CRowList::kBodyList, NewObject("ab", 42, true, 1.5));
    const QImage image = Render();
    const CRect row = BodyRowRect(0);
    const auto cell = [&](int index) { return CRect(70 * index, row.top, 70 * index + 70, row.bottom); };
    // Text and boolean from the left margin; integer and real to the right margin.
    EXPECT_LE(LeftmostInk(image, cell(0)), 4);
    EXPECT_LE(LeftmostInk(image, cell(2)), 140 + 4);
    EXPECT_GE(RightmostInk(image, cell(1)), 140 - 5);
    EXPECT_GT(LeftmostInk(image, cell(1)), 70 + 30);
    EXPECT_GE(RightmostInk(image, cell(3)), 280 - 5);
    EXPECT_GT(LeftmostInk(image, cell(3)), 210 + 30);

    // Explicit alignments win over the kind: a number aligned left, centred.
    host.header->RemoveAllColumns();
    host.AddColumn(CPaintRowObject::kNumberField, "Number", 70, CColumn::kAlignLeft);
    host.AddColumn(CPaintRowObject::kNameField, "Name", 70, CColumn::kAlignCenter);
    host.AddColumn(CPaintRowObject::kNameField + 100, "None", 70, CColumn::kAlignRight);
    const QImage aligned = Render();
    EXPECT_LE(LeftmostInk(aligned, cell(0)), 4);
    const int left = LeftmostInk(aligned, cell(1)) - 70;
    const int right = 140 - 1 - RightmostInk(aligned, cell(1));
    EXPECT_LE(std::abs(left - right), 2) << "centred";
    EXPECT_FALSE(HasInk(aligned, cell(2))) << "a field the object does not have shows no text";
}

TEST_F(PaintCellTest, TheImageBoxPushesTheTextAsideOnlyWhileTheImageBitIsSet)
{
    Platform::CImageList images(16);
    QImage red(16, 16, QImage::Format_ARGB32_Premultiplied);
    red.fill(QColor(255, 0, 0));
    ASSERT_EQ(images.Add(red), 0);
    host.imageList = &images;
    ASSERT_TRUE(host.header->AddColumn(std::make_unique<CColumn>(CPaintRowObject::kNameField, "Name", 100,
                                                                  CColumn::kAlignLeft, false, 0)));
    AddBodyRow("text");
    const CRect row = BodyRowRect(0);

    QImage image = Render();
    // Natural size (16) in a box one row high (20), vertically centred.
    EXPECT_EQ(PixelAt(image, 0, row.top + 2), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(image, 15, row.top + 17), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(image, 16, row.top + 10), kWhite);
    EXPECT_EQ(PixelAt(image, 5, row.top + 1), kWhite);
    EXPECT_GE(LeftmostInk(image, CRect(0, row.top, 100, row.bottom)), 20 + 2) << "text right of the box";

    host.mask &= ~PaintElement::kCellImages;
    image = Render();
    EXPECT_EQ(PixelAt(image, 5, row.top + 10), kWhite);
    EXPECT_LE(LeftmostInk(image, CRect(0, row.top, 100, row.bottom)), 4) << "text at the left margin";

    // Stretched: the box is as wide as the row is high, deflated by one.
    host.mask |= PaintElement::kCellImages;
    host.stretchImages = true;
    image = Render();
    EXPECT_EQ(PixelAt(image, 1, row.top + 1), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(image, 18, row.top + 18), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(image, 19, row.top + 10), kWhite);
}

TEST_F(PaintCellTest, TheTreeColumnIndentsByDepthAndDrawsButtonsAndLines)
{
    host.mask |= PaintElement::kTreeIndent;
    host.AddColumn(CPaintRowObject::kNameField, "Name", 150);
    host.AddColumn(CPaintRowObject::kNumberField, "Number", 100, CColumn::kAlignLeft);
    CGridItem* parent = AddBodyRow("parent", 1);
    CGridItem* child = host.AddRow(CRowList::kBodyList, NewObject("child", 2), parent);
    host.AddRow(CRowList::kBodyList, NewObject("grandchild", 3), child);
    parent->Expand(true);
    ASSERT_EQ(host.body->GetRowCount(), 3);
    const QImage image = Render();
    const auto nameCell = [&](int row) {
        const CRect r = BodyRowRect(row);
        return CRect(0, r.top, 150, r.bottom);
    };
    // (depth + 1) x row height before the text, plus the margin.
    EXPECT_GE(LeftmostInk(image, nameCell(0), 100), 20);
    EXPECT_LE(LeftmostInk(image, nameCell(0), 100), 20 + 4);
    EXPECT_GE(LeftmostInk(image, nameCell(2), 100), 60);
    EXPECT_LE(LeftmostInk(image, nameCell(2), 100), 60 + 4);
    // Only the tree column is indented.
    const CRect number(150, BodyRowRect(2).top, 250, BodyRowRect(2).bottom);
    EXPECT_LE(LeftmostInk(image, number), 150 + 4);

    // The parent's button: the square 0..20 deflated by 3/3/2/2, in grey.
    const COLORREF gray = Platform::GetSysColor(Platform::COLOR_GRAYTEXT);
    const int top = BodyRowRect(0).top;
    EXPECT_EQ(PixelAt(image, 3, top + 3), gray);
    EXPECT_EQ(PixelAt(image, 17, top + 17), gray);
    EXPECT_EQ(PixelAt(image, 10, top + 10), gray) << "the minus stroke";
    EXPECT_NE(PixelAt(image, 10, top + 7), gray) << "expanded: no vertical stroke";
    // The child's button one level to the right, and its tree line at h / 2.
    EXPECT_EQ(PixelAt(image, 23, BodyRowRect(1).top + 3), gray);
    EXPECT_TRUE(PixelAt(image, 10, BodyRowRect(1).top) == gray || PixelAt(image, 10, BodyRowRect(1).top + 1) == gray);
    // A leaf has no button.
    EXPECT_NE(PixelAt(image, 43, BodyRowRect(2).top + 3), gray);

    parent->Collapse();
    const QImage collapsed = Render();
    EXPECT_EQ(PixelAt(collapsed, 10, top + 7), gray) << "collapsed: the plus";

    host.mask &= ~PaintElement::kTreeButtons;
    const QImage noButtons = Render();
    EXPECT_NE(PixelAt(noButtons, 3, top + 3), gray);
}

TEST_F(PaintCellTest, SelectionFramesJoinAdjacentSelectedRowsAndTheFocusFrameIsDotted)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    host.AddColumn(CPaintRowObject::kNumberField, "Number", 100);
    CGridItem* first = AddBodyRow("");
    CGridItem* second = AddBodyRow("");
    AddBodyRow("");
    ASSERT_TRUE(first->Select(true));
    ASSERT_TRUE(second->Select(true));
    host.mask &= ~PaintElement::kSelectionTint;
    const QImage image = Render();
    const COLORREF frame = host.appearance.selectionTint.color;
    const CRect r0 = BodyRowRect(0);
    const CRect r1 = BodyRowRect(1);
    EXPECT_EQ(PixelAt(image, 50, r0.top), frame);
    EXPECT_NE(PixelAt(image, 50, r0.bottom - 1), frame) << "the next row is selected";
    EXPECT_NE(PixelAt(image, 50, r1.top), frame) << "the previous row is selected";
    EXPECT_EQ(PixelAt(image, 50, r1.bottom - 1), frame);
    EXPECT_EQ(PixelAt(image, 0, r0.top + 10), frame) << "left edge at the row's left";
    EXPECT_EQ(PixelAt(image, 299, r0.top + 10), frame) << "right edge one pixel inside the row's right";
    EXPECT_NE(PixelAt(image, 100, r0.top + 10), frame) << "no edge between cells";

    host.focusKind = CRowList::kBodyList;
    host.focusRow = 2;
    const QImage focused = Render();
    const COLORREF dots = host.appearance.focusTint.color;
    const CRect r2 = BodyRowRect(2);
    EXPECT_EQ(PixelAt(focused, 50, r2.top), dots);
    EXPECT_NE(PixelAt(focused, 51, r2.top), dots);
    EXPECT_EQ(PixelAt(focused, 100, r2.top), dots) << "the next cell's dots start at an even x";
    EXPECT_EQ(PixelAt(focused, 50, r2.bottom - 1), dots);
    EXPECT_EQ(PixelAt(focused, 0, r2.top + 10), dots);
}

TEST_F(PaintCellTest, GridLinesAreDottedAndOnlyWhereTheAppearanceAsks)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    AddBodyRow("");
    const CRect row = BodyRowRect(0);
    QImage image = Render();
    EXPECT_EQ(PixelAt(image, 99, row.top + 4), kWhite);
    EXPECT_EQ(PixelAt(image, 40, row.bottom - 1), kWhite);

    host.appearance.verticalLines = true;
    host.appearance.horizontalLines = true;
    host.appearance.verticalLineColor = RGB(1, 2, 3);
    host.appearance.horizontalLineColor = RGB(4, 5, 6);
    image = Render();
    EXPECT_EQ(PixelAt(image, 99, row.top), RGB(1, 2, 3));
    EXPECT_NE(PixelAt(image, 99, row.top + 1), RGB(1, 2, 3));
    EXPECT_EQ(PixelAt(image, 99, row.top + 2), RGB(1, 2, 3));
    EXPECT_EQ(PixelAt(image, 40, row.bottom - 1), RGB(4, 5, 6));
    EXPECT_NE(PixelAt(image, 41, row.bottom - 1), RGB(4, 5, 6));
    EXPECT_NE(PixelAt(image, 299, row.top), RGB(1, 2, 3)) << "no vertical line right of the last column";
    EXPECT_EQ(PixelAt(image, 200, row.bottom - 1), RGB(4, 5, 6)) << "the horizontal line crosses it";

    host.mask &= ~(PaintElement::kVerticalLines | PaintElement::kHorizontalLines);
    image = Render();
    EXPECT_NE(PixelAt(image, 99, row.top), RGB(1, 2, 3));
    EXPECT_NE(PixelAt(image, 40, row.bottom - 1), RGB(4, 5, 6));
}

TEST_F(PaintCellTest, TheRubberBandIsBlendedInsideAndOutlinedWhereItCrossesTheCell)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    AddBodyRow("");
    host.rubberBand = CRect(110, 25, 150, 35);
    const QImage image = Render();
    const Tint& tint = host.appearance.rubberBandTint;
    EXPECT_EQ(PixelAt(image, 120, 30), BlendColor(kWhite, tint.color, tint.alpha));
    EXPECT_EQ(PixelAt(image, 110, 30), tint.color);
    EXPECT_EQ(PixelAt(image, 149, 30), tint.color) << "right edge one pixel inside";
    EXPECT_EQ(PixelAt(image, 120, 25), tint.color);
    EXPECT_EQ(PixelAt(image, 120, 34), tint.color);
    EXPECT_EQ(PixelAt(image, 150, 30), kWhite);
    EXPECT_EQ(PixelAt(image, 120, 36), kWhite);
}

TEST_F(PaintCellTest, TheDropMarkOfARowDragIsABarAtTheNamedEdge)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    AddBodyRow("");
    CGridItem* target = AddBodyRow("");
    host.dropMark = {target, RowDropMark::kBelow, RGB(0, 0, 200)};
    QImage image = Render();
    const CRect r1 = BodyRowRect(1);
    EXPECT_EQ(PixelAt(image, 50, r1.bottom - 1), RGB(0, 0, 200));
    EXPECT_EQ(PixelAt(image, 50, r1.bottom - 2), RGB(0, 0, 200));
    EXPECT_EQ(PixelAt(image, 50, r1.bottom - 3), kWhite);
    // The arrows at the row's ends: filled, outlined towards the background.
    EXPECT_EQ(PixelAt(image, 2, r1.bottom - 5), RGB(0, 0, 200));
    EXPECT_EQ(PixelAt(image, 0, r1.bottom - 5), BlendColor(RGB(0, 0, 200), kWhite, 120));
    EXPECT_EQ(PixelAt(image, 297, r1.bottom - 5), RGB(0, 0, 200));

    host.mask &= ~(PaintElement::kInsertionMark | PaintElement::kDropArrows);
    image = Render();
    EXPECT_EQ(PixelAt(image, 50, r1.bottom - 1), kWhite);
    EXPECT_EQ(PixelAt(image, 2, r1.bottom - 5), kWhite);
}

TEST_F(PaintCellTest, MeasureCellIsTheTextWidthWithMarginsAndIndentation)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 50);
    CGridItem* item = AddBodyRow("measured text");
    PaintContext context;
    PreparePaintContext(context, host);
    Platform::CMemoryDC dc(10, 10);
    dc.SelectFont(*host.font);
    context.dc = &dc;
    LineInfo line;
    line.item = item;
    line.fullRect = line.visibleRect = CRect(0, 20, 300, 40);
    line.font = &*host.font;
    line.listKind = CRowList::kBodyList;
    line.row = 0;
    CellInfo cell;
    CLinePaintFormat::BuildCellInfo(cell, line, context, host.header->GetColumn(0), CRect(0, 0, 50, 20), false);
    const int32_t textWidth = dc.GetTextExtent("measured text").cx;
    ASSERT_GT(textWidth, 50);
    EXPECT_EQ(context.customDraw->MeasureCell(cell, context, host.mask), textWidth + 4);
    EXPECT_EQ(context.customDraw->MeasureCell(cell, context, PaintElement::kAll), textWidth + 4 + 20)
        << "the tree column adds (depth + 1) x row height";
}

// In-place editing's part: a mask filter and a mark.
class CEditorPaint final : public ICellEditorPaint {
public:
    PaintElementMask FilterPaintElements(const CellInfo& cell, PaintContext&, PaintElementMask mask) const override
    {
        return cell.ColumnId() == CPaintRowObject::kNameField ? mask & ~PaintElement::kCellText : mask;
    }
    void DrawEditorMark(const CellInfo& cell, PaintContext& context, PaintElementMask) const override
    {
        if (cell.column != nullptr)
            context.dc->SetPixel(cell.fullRect.right - 2, cell.fullRect.top + 2, RGB(0, 200, 0));
    }
};

class CEditingHost final : public IPaintHost {
public:
    explicit CEditingHost(CFakePaintHost& inner) : m_inner(inner) {}
    CHeader* GetHeader() const override { return m_inner.GetHeader(); }
    CRowList* GetRowList(int32_t kind) const override { return m_inner.GetRowList(kind); }
    Platform::CRect GetClientRect() const override { return m_inner.GetClientRect(); }
    const QFont* GetFont() const override { return m_inner.GetFont(); }
    PaintElementMask GetPaintElementMask() const override { return m_inner.GetPaintElementMask(); }
    const ICellEditorPaint* GetCellEditorPaint() const override { return &editor; }
    bool HasEmbeddedControls(const CGridItem&) const override { return true; }
    void DrawEmbeddedControl(const CellInfo& cell, PaintContext& context) override
    {
        ++controls;
        // A control that leaves the surface changed: the format restores it.
        context.dc->SetTextColor(RGB(255, 0, 0));
        context.dc->SelectFont(TestFont(30));
        (void)cell;
    }
    CEditorPaint editor;
    int controls = 0;

private:
    CFakePaintHost& m_inner;
};

TEST_F(PaintCellTest, EditingMayFilterACellsElementsAndDrawItsMarkAndControlsKeepTheSurface)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    host.AddColumn(CPaintRowObject::kNumberField, "Number", 100);
    AddBodyRow("hidden", 5);
    CEditingHost editing(host);
    CGridPainter editingPainter(editing);
    const QImage image = editingPainter.RenderClient();
    const CRect row = BodyRowRect(0);
    EXPECT_FALSE(HasInk(image, CRect(0, row.top, 100, row.bottom))) << "the editor removed the text";
    EXPECT_TRUE(HasInk(image, CRect(100, row.top, 200, row.bottom)));
    EXPECT_EQ(PixelAt(image, 98, row.top + 2), RGB(0, 200, 0));
    EXPECT_EQ(PixelAt(image, 198, row.top + 2), RGB(0, 200, 0));
    EXPECT_GT(editing.controls, 0);
    // The number was drawn after the name's control had run: still black and small.
    EXPECT_TRUE(HasInk(image, CRect(100, row.top + 3, 200, row.bottom - 3), 60));
    EXPECT_FALSE(HasInk(image, CRect(100, row.top, 200, row.top + 3)));
}

} // namespace
} // namespace Brivel::GUI::Testing
