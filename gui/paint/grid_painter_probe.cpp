// CGridPainter::VisitCellAt: the paint records of one cell, built as the
// paint pass builds them (PaintLine, then CLinePaintFormat::Draw), for those
// who need to know what a cell shows and where (the tooltips).

#include "gui/paint/grid_painter.h"

#include "gui/header/header.h"
#include "gui/paint/line_paint_format.h"
#include "gui/rows/row_list.h"

#include "platform/dc.h"

namespace Brivel::GUI {

using Platform::CRect;

bool CGridPainter::VisitCellAt(Platform::CPoint point, ICellVisitor& visitor)
{
    const CRowLayout::Row* const row = m_layout.RowAt(point.y);
    CHeader* const header = m_host.GetHeader();
    if (row == nullptr || row->item == nullptr || header == nullptr)
        return false;
    const CRect client = m_host.GetClientRect();
    if (!client.PtInRect(point))
        return false;
    if (m_probe == nullptr)
        m_probe = std::make_unique<Platform::CMemoryDC>(1, 1);
    if (!m_probe->IsValid())
        return false;

    PreparePaintContext(m_context, m_host);
    m_highlight = m_host.GetHighlightSettings();
    m_pinned = m_host.GetRowList(CRowList::kPinnedList);
    m_body = m_host.GetRowList(CRowList::kBodyList);
    CColumn* const column = header->HitTest(m_context.scroll, point.x);
    const CRect columnRect = column ? header->GetColumnRect(m_context.scroll, column->GetId()) : CRect();
    bool visited = false;
    if (column != nullptr && point.x < columnRect.right) {
        CRowList* const list = row->kind == CRowList::kPinnedList ? m_pinned : m_body;
        LineInfo line;
        line.fullRect = CRect(client.left, row->top, client.right, row->top + row->height);
        line.visibleRect = CRect(client.left, row->top, client.right, row->VisibleBottom());
        line.paintRect = line.visibleRect;
        const Appearance& appearance = *m_context.appearance;
        line.textColor = appearance.TextColorOfRow(row->row);
        line.backColor = appearance.BackColorOfRow(row->row);
        line.font = m_context.font;
        line.highlight = m_highlight;
        line.list = list;
        line.listKind = row->kind;
        line.row = row->row;
        line.item = row->item;
        line.prevSelected = IsRowSelected(list, row->kind, row->row - 1);
        line.nextSelected = IsRowSelected(list, row->kind, row->row + 1);

        m_probe->SelectFont(*m_context.font);
        m_context.dc = m_probe.get();
        m_context.clip = line.visibleRect;
        CellInfo cell;
        CLinePaintFormat::BuildCellInfo(cell, line, m_context, column, columnRect, point.x >= m_context.fixedWidth);
        visitor.Visit(cell, m_context);
        visited = true;
    }
    m_context.dc = nullptr;
    m_pinned = nullptr;
    m_body = nullptr;
    return visited;
}

} // namespace Brivel::GUI
