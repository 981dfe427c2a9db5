#include "gui/input/header_mouse.h"

#include "gui/grid/grid.h"
#include "gui/header/header.h"
#include "gui/header/sort_info.h"
#include "gui/rows/row_layout.h"

#include "common/tick_count.h"
#include "platform/image_list.h"

#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace Brivel::GUI {

using Platform::CPoint;
using Platform::CRect;

CHeaderMouse::~CHeaderMouse() = default;

// ---- Geometry ----

CHeader* CHeaderMouse::ActiveHeader() const
{
    CHeader* const header = m_host.GetHeader();
    return header != nullptr && m_host.IsHeaderShown() ? header : nullptr;
}

CRect CHeaderMouse::HeaderStrip() const
{
    const CRowLayout::Areas& areas = m_layout.GetAreas();
    return CRect(areas.client.left, areas.client.top, areas.client.right, areas.pinnedTop);
}

bool CHeaderMouse::InStrip(CPoint point) const
{
    return HeaderStrip().PtInRect(point);
}

bool CHeaderMouse::HitStrip(CPoint point, int32_t& columnId) const
{
    CHeader* const header = ActiveHeader();
    if (header == nullptr || !InStrip(point))
        return false;
    CColumn* const column = header->HitTest(m_host.GetScrollSource(), point.x);
    columnId = column != nullptr ? column->GetId() : CColumn::kUnsetField;
    return true;
}

CColumn* CHeaderMouse::DividerAt(CHeader& header, int32_t x) const
{
    const IHorizontalScrollSource* const scroll = m_host.GetScrollSource();
    CColumn* const column = header.HitTest(scroll, x);
    if (column == nullptr)
        return nullptr;
    CColumn* candidate = column;
    // Just right of a left edge the divider is the previous visible column's.
    if (x <= header.GetColumnRect(scroll, column->GetId()).left + 3) {
        const int32_t visible = header.GetVisibleIndex(column->GetId());
        candidate = visible > 0 ? header.GetVisibleColumn(visible - 1) : nullptr;
        if (candidate == nullptr)
            return nullptr;
    }
    const int32_t right = header.GetColumnRect(scroll, candidate->GetId()).right;
    return right - kDividerSlop < x && x < right + kDividerSlop ? candidate : nullptr;
}

bool CHeaderMouse::MayMove(const CHeader& header, int32_t id)
{
    return header.IsFixed(id) ? header.AreFixedColumnsMovable() : header.AreScrollableColumnsMovable();
}

CColumn* CHeaderMouse::GestureColumn() const
{
    // The header may have been replaced or hidden, the column removed or
    // hidden by another thread since the last event.
    if (m_header == nullptr || m_header != ActiveHeader())
        return nullptr;
    return m_header->FindVisibleColumn(m_columnId);
}

CColumn* CHeaderMouse::DropTargetAt(CHeader& header, int32_t x, int32_t* side) const
{
    *side = 0;
    CColumn* const target = header.HitTest(m_host.GetScrollSource(), x);
    if (target == nullptr || !MayMove(header, target->GetId()))
        return nullptr;
    const CRect rect = header.GetClippedColumnRect(m_host.GetScrollSource(), target->GetId());
    *side = x < (rect.left + rect.right) / 2 ? 1 : 2;
    return target;
}

HeaderDragState CHeaderMouse::GetDragState() const
{
    HeaderDragState state;
    if (m_state != kResizing && m_state != kDragging)
        return state;
    state.dragged = GestureColumn();
    if (state.dragged != nullptr && m_state == kDragging)
        state.target = DropTargetAt(*m_header, m_lastPoint.x, &state.side);
    return state;
}

void CHeaderMouse::SetResizeCursor(bool on)
{
    QWidget* const window = m_host.GetWindow();
    if (on == m_cursorSet || window == nullptr)
        return;
    if (on)
        window->setCursor(Qt::SplitHCursor);
    else
        window->unsetCursor();
    m_cursorSet = on;
}

// ---- Events ----

bool CHeaderMouse::OnPress(CPoint point)
{
    CHeader* const header = ActiveHeader();
    if (header == nullptr || !InStrip(point))
        return false;
    Cancel(); // a gesture whose release never came
    m_header = header;
    if (CColumn* const divider = DividerAt(*header, point.x)) {
        m_state = kResizing;
        m_columnId = divider->GetId();
        m_originalWidth = divider->GetWidth();
        SetResizeCursor(true);
        m_host.Invalidate(HeaderStrip());
    } else if (CColumn* const column = header->HitTest(m_host.GetScrollSource(), point.x)) {
        m_state = kPressed;
        m_columnId = column->GetId();
        m_pressPoint = point;
    }
    // The strip is the header's even right of the last column: the rows
    // never see a press there.
    return true;
}

bool CHeaderMouse::OnMove(CPoint point, Qt::MouseButtons buttons)
{
    if (m_state == kIdle) {
        if (buttons != Qt::NoButton)
            return false;
        CHeader* const header = ActiveHeader();
        const bool overDivider = header != nullptr && InStrip(point) && DividerAt(*header, point.x) != nullptr;
        SetResizeCursor(overDivider);
        return overDivider;
    }
    CColumn* const column = GestureColumn();
    if (!buttons.testFlag(Qt::LeftButton) || column == nullptr) {
        Cancel(); // the release went elsewhere, or the column is gone
        return true;
    }
    switch (m_state) {
    case kPressed:
        if (std::abs(point.x - m_pressPoint.x) > kDragThreshold || std::abs(point.y - m_pressPoint.y) > kDragThreshold) {
            if (MayMove(*m_header, m_columnId))
                StartDrag(*m_header, *column, point);
            else
                End(false);
        }
        break;
    case kResizing: {
        const int32_t left = m_header->GetColumnRect(m_host.GetScrollSource(), m_columnId).left;
        // The grid lays out and repaints on the width's change.
        column->SetWidth(std::max(point.x, left + kMinResizeWidth) - left);
        break;
    }
    case kDragging:
        TrackDrag(*m_header, point);
        break;
    case kIdle:
        break;
    }
    return true;
}

bool CHeaderMouse::OnRelease(CPoint point, Qt::KeyboardModifiers modifiers)
{
    if (m_state == kIdle)
        return false;
    bool moved = false;
    if (GestureColumn() != nullptr) {
        if (m_state == kPressed && m_header->HitTest(m_host.GetScrollSource(), point.x) != nullptr) {
            // A click: the pressed column sorts (Shift: no sort at all).
            const int32_t id = m_columnId;
            End(false);
            if (modifiers.testFlag(Qt::ShiftModifier)) {
                if (CHeader* const header = m_host.GetHeader())
                    header->ClearSort();
            } else {
                SortByClick(id, modifiers.testFlag(Qt::ControlModifier));
            }
            return true;
        }
        if (m_state == kDragging)
            moved = Drop(*m_header, point);
    }
    End(moved);
    return true;
}

bool CHeaderMouse::OnDoubleClick(CPoint point)
{
    CHeader* const header = ActiveHeader();
    if (header == nullptr || !InStrip(point))
        return false;
    Cancel();
    // Off a divider the second click of a double click does nothing: the
    // first one has sorted already.
    if (CColumn* const divider = DividerAt(*header, point.x)) {
        const int32_t width = m_host.MeasureColumnContent(*divider);
        if (width > 0) {
            divider->SetWidth(width);
            m_host.InvalidateAll();
        }
    }
    return true;
}

bool CHeaderMouse::OnEscape()
{
    if (m_state == kIdle)
        return false;
    if (m_state == kResizing) {
        if (CColumn* const column = GestureColumn())
            column->SetWidth(m_originalWidth);
    }
    Cancel();
    return true;
}

void CHeaderMouse::Cancel()
{
    if (m_state != kIdle)
        End(false);
}

// ---- Column drag ----

void CHeaderMouse::StartDrag(CHeader& header, CColumn& column, CPoint point)
{
    m_state = kDragging;
    m_dropPosition = -1;
    m_lastPoint = point;
    const CRect cell = header.GetColumnRect(m_host.GetScrollSource(), m_columnId);
    const CRect strip = HeaderStrip();
    // The image is the whole header cell: the hot spot keeps the cursor
    // where it was inside the cell.
    m_dragImages = m_host.MakeColumnDragImage(column);
    if (m_dragImages != nullptr &&
        m_dragImage.Begin(*m_dragImages, 0, CPoint(point.x - cell.left, point.y - strip.top - cell.top))) {
        if (QWidget* const window = m_host.GetWindow())
            m_dragImage.Move(window->mapToGlobal(point.ToQPoint()));
    }
    m_host.Invalidate(strip);
    m_lastRepaint = Common::GetTickCount();
    m_host.NotifyHeaderEvent(kNotifyColumnDragStarted, &column, 0);
    TrackDrag(header, point);
}

void CHeaderMouse::TrackDrag(CHeader& header, CPoint point)
{
    m_lastPoint = point;
    int32_t side = 0;
    CColumn* const target = DropTargetAt(header, point.x, &side);
    const int32_t position = target != nullptr ? header.GetVisibleIndex(target->GetId()) + (side == 2 ? 1 : 0) : -1;
    const uint32_t now = Common::GetTickCount();
    if (position != m_dropPosition || Common::TickDifference(now, m_lastRepaint) >= kDragRepaintMs) {
        m_dropPosition = position;
        m_lastRepaint = now;
        m_host.Invalidate(HeaderStrip());
    }
    if (QWidget* const window = m_host.GetWindow())
        m_dragImage.Move(window->mapToGlobal(point.ToQPoint()));
}

bool CHeaderMouse::Drop(CHeader& header, CPoint point)
{
    // Released outside the window: nothing moves.
    if (!m_layout.GetAreas().client.PtInRect(point))
        return false;
    int32_t side = 0;
    CColumn* const target = DropTargetAt(header, point.x, &side);
    if (target == nullptr)
        return false;
    const int32_t targetId = target->GetId();
    const int32_t from = header.GetVisibleIndex(m_columnId);
    const int32_t to = header.GetVisibleIndex(targetId);
    // Onto itself, or onto the near edge of a neighbour: the order stays.
    if (targetId == m_columnId || (side == 1 && to == from + 1) || (side == 2 && to == from - 1))
        return false;
    const bool moved =
        side == 1 ? header.MoveColumnBefore(m_columnId, targetId) : header.MoveColumnAfter(m_columnId, targetId);
    if (moved)
        m_host.InvalidateAll();
    return moved;
}

void CHeaderMouse::End(bool moved)
{
    const bool wasDragging = m_state == kDragging;
    CColumn* const column = wasDragging ? GestureColumn() : nullptr;
    m_dragImage.End();
    m_dragImages.reset();
    m_state = kIdle;
    m_columnId = CColumn::kUnsetField;
    m_header = nullptr;
    m_pressPoint = CPoint();
    m_dropPosition = -1;
    SetResizeCursor(false);
    m_host.Invalidate(HeaderStrip());
    if (wasDragging)
        m_host.NotifyHeaderEvent(kNotifyColumnDragEnded, column, moved ? 1 : 0);
}

// ---- Sorting ----

void CHeaderMouse::SortByClick(int32_t fieldId, bool multi)
{
    CHeader* const header = m_host.GetHeader();
    if (header == nullptr || !header->IsSortingEnabled())
        return;
    const int32_t count = header->GetSortLevelCount();
    int32_t level = -1;
    for (int32_t i = 0; i < count && level < 0; ++i) {
        if (header->GetSortInfo(i).GetFieldId() == fieldId)
            level = i;
    }
    if (multi) {
        if (level >= 0)
            header->SetSortInfo(level, CSortInfo(fieldId, !header->GetSortInfo(level).IsDescending()));
        else if (count < CHeader::kMaxSortLevels)
            header->SetSortInfo(count, CSortInfo(fieldId, count > 0 && header->GetSortInfo(count - 1).IsDescending()));
        return;
    }
    const bool descending = count > 0 && header->GetSortInfo(0).IsDescending();
    if (count == 0)
        header->SetSortInfo(0, CSortInfo(fieldId, false));
    else if (count == 1 && level == 0)
        header->SetSortInfo(0, CSortInfo(fieldId, !descending));
    else
        m_host.ReplaceSort(CSortInfo(fieldId, descending)); // one re-sort, one notification
}

} // namespace Brivel::GUI
