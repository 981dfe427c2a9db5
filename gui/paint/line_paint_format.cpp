#include "gui/paint/line_paint_format.h"

#include "gui/rows/grid_item.h"
#include "gui/header/header.h"
#include "gui/paint/paint_format_registry.h"

#include "common/data_object.h"

#include <algorithm>

namespace Brivel::GUI {

using Platform::CRect;

namespace {

const CPaintFormatRegistrar<ILinePaintFormat> s_registrar(
    CLinePaintFormat::kClassName, &MakeDefaultPaintFormat<ILinePaintFormat, CLinePaintFormat>);

} // namespace

void CLinePaintFormat::BuildCellInfo(CellInfo& cell, const LineInfo& line, const PaintContext& context,
                                     CColumn* column, const CRect& columnRect, bool scrollable)
{
    static_cast<LineInfo&>(cell) = line;
    cell.line = &line;
    cell.column = column;

    cell.fullRect = CRect(columnRect.left, line.fullRect.top, columnRect.right, line.fullRect.bottom);
    CRect visible = cell.fullRect;
    if (scrollable) {
        visible.left = std::max(visible.left, context.fixedWidth);
        visible.right = std::max(visible.right, context.fixedWidth);
    }
    if (!cell.visibleRect.IntersectRect(visible, line.visibleRect))
        cell.visibleRect = CRect(visible.left, line.visibleRect.top, visible.left, line.visibleRect.top);
    if (!cell.paintRect.IntersectRect(cell.visibleRect, context.clip))
        cell.paintRect = CRect();

    cell.object = line.item ? line.item->GetDataObject() : nullptr;
    cell.kind = Common::KindNone;
    cell.format = nullptr;
    // One search of the row's change records per cell, against the pass's clock.
    const auto changeAge = [&](int32_t fieldId) {
        return context.highlightChangedValues && line.item != nullptr ? line.item->GetChangeAge(fieldId, context.now)
                                                                      : -1;
    };
    if (column == nullptr) {
        cell.attributes = CColumn::Attributes();
        cell.imageList = nullptr;
        cell.imageIndex = -1;
        cell.stretchImages = false;
        cell.changeAge = changeAge(CColumn::kUnsetField);
        return;
    }
    cell.attributes = column->GetAttributes();
    cell.changeAge = changeAge(cell.attributes.id);
    cell.imageList = context.cellImageList;
    cell.imageIndex = cell.attributes.cellImage;
    cell.stretchImages = context.stretchImages;
    if (cell.object != nullptr)
        cell.format = CellFormatOf(*cell.object, cell.attributes, cell.kind);
}

void CLinePaintFormat::Draw(const LineInfo& line, PaintContext& context, PaintElementMask mask,
                            ICustomDraw& customDraw) const
{
    const CRect& clip = context.clip;
    const int32_t rowRight = line.visibleRect.right;
    const int32_t clipRight = std::min(clip.right, rowRight);
    int32_t x = std::max(clip.left, line.visibleRect.left);
    CellInfo cell;

    if (CHeader* const header = context.header) {
        const IHorizontalScrollSource* const scroll = context.scroll;
        for (CColumn* column = header->HitTest(scroll, x); column != nullptr && x < clipRight;
             column = header->HitTest(scroll, x)) {
            // Below the fixed width the hit test finds fixed columns, at or
            // right of it scrollable ones.
            const bool scrollable = x >= context.fixedWidth;
            const CRect columnRect = header->GetColumnRect(scroll, column->GetId());
            if (x >= columnRect.right) {
                ++x; // a column the layout does not place under x: step over the pixel
                continue;
            }
            BuildCellInfo(cell, line, context, column, columnRect, scrollable);
            // The unclipped cell's part under the fixed columns stays out of
            // the clip while the cell draws.
            CRect hidden;
            if (cell.visibleRect.left > cell.fullRect.left)
                hidden = CRect(cell.fullRect.left, line.visibleRect.top, cell.visibleRect.left,
                               line.visibleRect.bottom);
            {
                CScopedClipExclusion exclusion(*context.dc, hidden);
                customDraw.DrawCell(cell, context, mask);
            }
            x = columnRect.right;
        }
    }

    // The rest of the row, right of the last column.
    if (x < clipRight) {
        const CRect rest(x, line.fullRect.top, rowRight, line.fullRect.bottom);
        BuildCellInfo(cell, line, context, nullptr, rest, false);
        if (!cell.paintRect.IsRectEmpty())
            customDraw.DrawCell(cell, context, mask);
    }
}

} // namespace Brivel::GUI
