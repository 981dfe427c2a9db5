// CGridPainter: fitting a column to its content. Each row of both lists is
// measured through the custom draw exactly as the paint pass would draw its
// cell (same records, same font, same text cache), on a one-pixel surface.

#include "gui/paint/grid_painter.h"

#include "gui/header/header.h"
#include "gui/paint/custom_draw.h"
#include "gui/paint/line_paint_format.h"
#include "gui/rows/row_list.h"

#include "platform/dc.h"

#include <algorithm>

namespace Brivel::GUI {

int32_t CGridPainter::MeasureColumnContent(CColumn& column)
{
    CHeader* const header = m_host.GetHeader();
    if (header == nullptr || header->FindColumn(column.GetId()) != &column)
        return 0;
    Platform::CMemoryDC dc(1, 1);
    if (!dc.IsValid())
        return 0;
    PreparePass(m_host.GetClientRect());
    m_context.highlightChangedValues = false; // widths do not depend on change ages
    dc.SelectFont(*m_context.font);
    m_context.dc = &dc;
    m_context.clip = Platform::CRect();
    const Platform::CRect columnRect = header->GetColumnRect(m_context.scroll, column.GetId());

    LineInfo line;
    line.font = m_context.font;
    line.highlight = m_highlight;
    CellInfo cell;
    int32_t widest = 0;
    for (CRowList* const list : {m_pinned, m_body}) {
        if (list == nullptr)
            continue;
        line.list = list;
        line.listKind = list->GetKind();
        const int32_t count = list->GetRowCount();
        for (int32_t row = 0; row < count; ++row) {
            line.row = row;
            line.item = list->GetItem(row);
            CLinePaintFormat::BuildCellInfo(cell, line, m_context, &column, columnRect, false);
            widest = std::max(widest, m_context.customDraw->MeasureCell(cell, m_context, m_context.mask));
        }
    }
    m_context.dc = nullptr;
    m_pinned = nullptr;
    m_body = nullptr;
    return widest;
}

} // namespace Brivel::GUI
