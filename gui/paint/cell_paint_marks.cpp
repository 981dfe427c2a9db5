// CCellPaintFormat: the steps that draw over a cell's colours and text: the
// focus and selection frames, the tree, the drag marks, the grid lines and
// the editor's mark (the rest is in cell_paint_format.cpp).

#include "gui/paint/cell_paint_format.h"
#include "gui/paint/cell_paint_detail.h"

#include "gui/rows/grid_item.h"

#include "platform/dc.h"
#include "platform/pen.h"
#include "platform/sys_color.h"

#include <algorithm>

namespace Brivel::GUI {

using namespace CellPaintDetail;
using Platform::CDC;
using Platform::CPen;
using Platform::CRect;

namespace {

bool IsLastChild(const CGridItem& item)
{
    const CGridItem* const parent = item.GetParent();
    return parent == nullptr || parent->GetChild(parent->GetChildCount() - 1) == &item;
}

// The first even coordinate at or after `x`: dotted lines start there so that
// the dots of neighbouring cells line up.
int32_t EvenAtOrAfter(int32_t x)
{
    return x + (x & 1);
}

} // namespace

void CCellPaintFormat::DrawFocusFrame(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    const CRect& cellRect = cell.visibleRect;
    if ((mask & PaintElement::kFocusFrame) == 0 || cell.item == nullptr ||
        !context.IsFocusRow(cell.listKind, cell.row) || cellRect.IsRectEmpty())
        return;
    CDC& dc = *context.dc;
    const CPen previous = dc.SelectPen(CPen::Dotted(AppearanceOf(context).focusTint.color));
    const int32_t left = EvenAtOrAfter(cellRect.left);
    dc.MoveTo(left, cellRect.top);
    dc.LineTo(cellRect.right, cellRect.top);
    dc.MoveTo(left, cellRect.bottom - 1);
    dc.LineTo(cellRect.right, cellRect.bottom - 1);
    const CRect& rowRect = cell.line ? cell.line->visibleRect : cellRect;
    if (cellRect.left == rowRect.left) {
        dc.MoveTo(cellRect.left, cellRect.top);
        dc.LineTo(cellRect.left, cellRect.bottom);
    }
    if (cellRect.right == rowRect.right) {
        dc.MoveTo(cellRect.right - 1, cellRect.top);
        dc.LineTo(cellRect.right - 1, cellRect.bottom);
    }
    dc.SelectPen(previous);
}

void CCellPaintFormat::DrawSelectionFrame(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    const CRect& cellRect = cell.visibleRect;
    if ((mask & PaintElement::kSelectionFrame) == 0 || !cell.IsSelected() || cellRect.IsRectEmpty())
        return;
    CDC& dc = *context.dc;
    const CPen previous = dc.SelectPen(CPen(Platform::PS_SOLID, 1, AppearanceOf(context).selectionTint.color));
    if (!cell.prevSelected) {
        dc.MoveTo(cellRect.left, cellRect.top);
        dc.LineTo(cellRect.right, cellRect.top);
    }
    if (!cell.nextSelected) {
        dc.MoveTo(cellRect.left, cellRect.bottom - 1);
        dc.LineTo(cellRect.right, cellRect.bottom - 1);
    }
    const CRect& rowRect = cell.line ? cell.line->visibleRect : cellRect;
    if (cellRect.left == rowRect.left) {
        dc.MoveTo(cellRect.left, cellRect.top);
        dc.LineTo(cellRect.left, cellRect.bottom);
    }
    if (cellRect.right == rowRect.right) {
        dc.MoveTo(cellRect.right - 1, cellRect.top);
        dc.LineTo(cellRect.right - 1, cellRect.bottom);
    }
    dc.SelectPen(previous);
}

void CCellPaintFormat::DrawTree(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    if ((mask & PaintElement::kTreeIndent) == 0 || !IsTreeColumn(cell, context) || cell.paintRect.IsRectEmpty())
        return;
    CDC& dc = *context.dc;
    const CGridItem& item = *cell.item;
    const CRect& full = cell.fullRect;
    const int32_t h = full.Height();
    const int32_t depth = GetTreeDepth(item);
    const int32_t middle = full.top + h / 2;
    const COLORREF gray = Platform::GetSysColor(Platform::COLOR_GRAYTEXT);

    if ((mask & PaintElement::kTreeButtons) != 0 && item.GetChildCount() > 0) {
        CRect box(full.left + depth * h, full.top, full.left + depth * h + h, full.top + h);
        box.DeflateRect(3, 3, 2, 2);
        if (!box.IsRectEmpty()) {
            const CPen previousPen = dc.SelectPen(CPen(Platform::PS_SOLID, 1, gray));
            const Platform::CBrush previousBrush = dc.SelectBrush(Platform::CBrush::Null());
            dc.Rectangle(box);
            CRect inner = box;
            inner.DeflateRect(2, 2);
            if (!inner.IsRectEmpty()) {
                const int32_t y = (inner.top + inner.bottom) / 2;
                dc.MoveTo(inner.left, y);
                dc.LineTo(inner.right, y);
                if (!item.IsExpanded()) {
                    const int32_t x = (inner.left + inner.right) / 2;
                    dc.MoveTo(x, inner.top);
                    dc.LineTo(x, inner.bottom);
                }
            }
            dc.SelectBrush(previousBrush);
            dc.SelectPen(previousPen);
        }
    }

    if ((mask & PaintElement::kTreeLines) != 0 && depth > 0) {
        const CPen previousPen = dc.SelectPen(CPen::Dotted(gray));
        const int32_t x = full.left + (depth - 1) * h + h / 2;
        dc.MoveTo(x, full.top);
        dc.LineTo(x, IsLastChild(item) ? middle : full.bottom);
        dc.MoveTo(x, middle);
        dc.LineTo(full.left + depth * h + 3, middle);
        // Ancestors that have siblings below them continue their lines
        // through this row.
        int32_t level = depth - 1;
        for (const CGridItem* ancestor = item.GetParent(); ancestor != nullptr && !ancestor->IsRoot() && level >= 1;
             ancestor = ancestor->GetParent(), --level) {
            if (IsLastChild(*ancestor))
                continue;
            const int32_t ax = full.left + (level - 1) * h + h / 2;
            dc.MoveTo(ax, full.top);
            dc.LineTo(ax, full.bottom);
        }
        dc.SelectPen(previousPen);
    }
}

void CCellPaintFormat::DrawInsertionMark(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    const RowDropMark& drop = context.dropMark;
    if ((mask & PaintElement::kInsertionMark) == 0 || drop.item == nullptr || drop.item != cell.item ||
        drop.where == RowDropMark::kNone)
        return;
    const CRect& v = cell.visibleRect;
    const CRect bar = drop.where == RowDropMark::kAbove ? CRect(v.left, v.top, v.right, v.top + 2)
                                                        : CRect(v.left, v.bottom - 2, v.right, v.bottom);
    FillClipped(*context.dc, bar, cell.paintRect, drop.color);
}

void CCellPaintFormat::DrawDropArrows(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    const RowDropMark& drop = context.dropMark;
    if ((mask & PaintElement::kDropArrows) == 0 || drop.item == nullptr || drop.item != cell.item ||
        drop.where == RowDropMark::kNone || cell.line == nullptr)
        return;
    const CRect& v = cell.visibleRect;
    const CRect& row = cell.line->visibleRect;
    const bool atLeft = v.left == row.left;
    const bool atRight = v.right == row.right;
    if (!atLeft && !atRight)
        return;
    CDC& dc = *context.dc;
    // Small triangles inside the row at the bar's height, pointing inwards,
    // outlined in the fill colour blended towards the cell's background.
    const int32_t y = drop.where == RowDropMark::kAbove ? v.top + 4 : v.bottom - 5;
    const COLORREF outline = Platform::BlendColor(drop.color, GetBackColor(cell, context, mask), 120);
    const CPen previousPen = dc.SelectPen(CPen(Platform::PS_SOLID, 1, outline));
    const Platform::CBrush previousBrush = dc.SelectBrush(Platform::CBrush(drop.color));
    if (atLeft) {
        const Platform::CPoint points[3] = {{row.left, y - 4}, {row.left + 4, y}, {row.left, y + 4}};
        dc.Polygon(points, 3);
    }
    if (atRight) {
        const Platform::CPoint points[3] = {{row.right - 1, y - 4}, {row.right - 5, y}, {row.right - 1, y + 4}};
        dc.Polygon(points, 3);
    }
    dc.SelectBrush(previousBrush);
    dc.SelectPen(previousPen);
}

void CCellPaintFormat::DrawVerticalLine(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    const Appearance& appearance = AppearanceOf(context);
    if ((mask & PaintElement::kVerticalLines) == 0 || !appearance.verticalLines || cell.column == nullptr ||
        cell.visibleRect.IsRectEmpty())
        return;
    CDC& dc = *context.dc;
    const CPen previous = dc.SelectPen(CPen::Dotted(appearance.verticalLineColor));
    const int32_t x = cell.fullRect.right - 1;
    dc.MoveTo(x, cell.visibleRect.top);
    dc.LineTo(x, cell.visibleRect.bottom);
    dc.SelectPen(previous);
}

void CCellPaintFormat::DrawHorizontalLine(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    const Appearance& appearance = AppearanceOf(context);
    if ((mask & PaintElement::kHorizontalLines) == 0 || !appearance.horizontalLines || cell.visibleRect.IsRectEmpty())
        return;
    CDC& dc = *context.dc;
    const CPen previous = dc.SelectPen(CPen::Dotted(appearance.horizontalLineColor));
    const int32_t y = cell.fullRect.bottom - 1;
    dc.MoveTo(EvenAtOrAfter(cell.visibleRect.left), y);
    dc.LineTo(cell.visibleRect.right, y);
    dc.SelectPen(previous);
}

void CCellPaintFormat::DrawEditorMark(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    if (const ICellEditorPaint* const editor = context.host->GetCellEditorPaint())
        editor->DrawEditorMark(cell, context, mask);
}

} // namespace Brivel::GUI
