#include "gui/input/row_mouse.h"

#include "gui/header/column.h"
#include "gui/header/header.h"
#include "gui/input/selection.h"
#include "gui/paint/cell_paint_format.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/row_layout.h"
#include "gui/rows/row_list.h"

#include <cstdlib>

namespace Brivel::GUI {

using Platform::CPoint;
using Platform::CRect;

namespace {

constexpr int32_t kBody = CRowList::kBodyList;

} // namespace

CRowMouse::Position CRowMouse::RowAt(CPoint point) const
{
    if (!m_layout.GetAreas().client.PtInRect(point))
        return {};
    const CRowLayout::Row* const row = m_layout.RowAt(point.y);
    return row ? Position{row->kind, row->row} : Position{};
}

bool CRowMouse::OnExpandButton(CPoint point)
{
    const CRowLayout::Row* const row = m_layout.RowAt(point.y);
    CHeader* const header = m_host.GetHeader();
    if (row == nullptr || header == nullptr || row->item->GetChildCount() == 0 ||
        (m_host.GetPaintElementMask() & PaintElement::kTreeIndent) == 0)
        return false;
    const CColumn* const treeColumn = header->GetFocusColumn();
    if (treeColumn == nullptr)
        return false;
    const CRect column = header->GetColumnRect(m_host.GetScrollSource(), treeColumn->GetId());
    const int32_t size = row->height;
    const int32_t left = column.left + CCellPaintFormat::GetTreeDepth(*row->item) * size;
    if (point.x < left || point.x >= left + size || point.x >= column.right)
        return false;

    CGridItem* const item = row->item;
    CGridItem* const focused = m_selection.GetFocusItem();
    if (item->IsExpanded())
        item->Collapse();
    else
        item->Expand();
    // The focus follows its item while that is shown; a row the collapse hid
    // loses it.
    const CRowList* const list = focused ? focused->GetRowList() : nullptr;
    if (focused != nullptr && focused->IsShown() && list != nullptr && m_selection.IsFocusAllowed(list->GetKind()))
        m_selection.SetFocusRow(list->GetRowIndex(focused), list->GetKind(), true);
    else
        m_selection.SetFocusRow(-1, 0, true);
    return true;
}

bool CRowMouse::OnPress(CPoint point, Qt::KeyboardModifiers modifiers)
{
    Cancel();
    if (OnExpandButton(point))
        return true;
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const Position position = RowAt(point);
    const int32_t focusKind = m_selection.GetFocusKind();

    if (shift && m_host.IsSelectionEnabled() && m_host.IsMultipleSelection() && focusKind != 0) {
        Position target = position;
        if (target.kind == 0 && point.y >= m_layout.GetAreas().bodyTop) {
            // Below the rows: to the last row of the body.
            const CRowList* const body = m_host.GetRowList(kBody);
            target = {kBody, body ? body->GetRowCount() - 1 : -1};
        }
        if (target.kind != 0 && target.row >= 0) {
            m_selection.ClearSelection();
            m_selection.SelectRange(focusKind, m_selection.GetFocusRow(), target.kind, target.row);
            m_anchor = {focusKind, m_selection.GetFocusRow()};
            m_current = target;
            m_tracking = true;
        }
    } else if (ctrl) {
        if (position.kind != 0) {
            if (m_selection.IsFocusAllowed(position.kind))
                m_selection.SetFocusRow(position.row, position.kind, true);
            m_selection.SelectRow(position.row, position.kind, !m_selection.IsRowSelected(position.row, position.kind));
        }
    } else if (position.kind != 0 && m_dragStarter != nullptr && m_dragStarter->IsRowDragEnabled() &&
               m_selection.IsRowSelected(position.row, position.kind)) {
        // The selection stays for a drag; a release without one is a click.
        if (m_selection.IsFocusAllowed(position.kind))
            m_selection.SetFocusRow(position.row, position.kind, true);
        m_anchor = position;
        m_current = position;
        m_dragPending = true;
    } else {
        m_selection.ClearSelection();
        if (position.kind != 0) {
            m_selection.SelectRow(position.row, position.kind, true);
            if (m_selection.IsFocusAllowed(position.kind))
                m_selection.SetFocusRow(position.row, position.kind, true);
            m_anchor = position;
            m_current = position;
            m_tracking = true;
        } else {
            m_selection.SetFocusRow(-1, 0, true);
        }
    }
    m_press = {true, position.kind, point};
    return true;
}

void CRowMouse::ExtendDragTo(Position position)
{
    if (position.kind == 0 || position.row < 0 ||
        (position.kind == m_current.kind && position.row == m_current.row))
        return;
    m_current = position;
    m_selection.ClearSelection();
    if (m_host.IsMultipleSelection())
        m_selection.SelectRange(m_anchor.kind, m_anchor.row, position.kind, position.row);
    else
        m_selection.SelectRow(position.row, position.kind, true);
    if (m_selection.IsFocusAllowed(position.kind))
        m_selection.SetFocusRow(position.row, position.kind, true);
}

void CRowMouse::UpdateDragScroll(CPoint point)
{
    const CRowLayout::Areas& areas = m_layout.GetAreas();
    int32_t direction = 0;
    if (point.y >= areas.bottom)
        direction = 1;
    else if (point.y < areas.bodyTop && m_anchor.kind == kBody)
        direction = -1;
    if (direction == m_scrollDirection)
        return;
    m_scrollDirection = direction;
    if (direction == 0)
        m_timers.StopTimer(m_timerId);
    else
        m_timers.StartTimer(m_timerId, kDragScrollMs);
}

bool CRowMouse::OnMove(CPoint point)
{
    if (m_dragPending) {
        const int32_t threshold = m_dragStarter->GetDragThreshold();
        if (std::abs(point.x - m_press.point.x) <= threshold && std::abs(point.y - m_press.point.y) <= threshold)
            return true;
        m_dragPending = false;
        // The drag runs until the drop; the grid may be gone when it returns,
        // so nothing of this object is touched afterwards.
        m_dragStarter->StartRowDrag(m_press.point, point);
        return true;
    }
    if (!m_tracking)
        return false;
    UpdateDragScroll(point);
    Position position = RowAt(point);
    if (position.kind == 0) {
        // Off the rows: the nearest end of what is on screen.
        const std::span<const CRowLayout::Row> rows = m_layout.GetRows();
        if (rows.empty())
            return true;
        const CRowLayout::Row& edge = point.y < rows.front().top ? rows.front() : rows.back();
        position = {edge.kind, edge.row};
    }
    ExtendDragTo(position);
    return true;
}

void CRowMouse::OnDragScrollTimer()
{
    if (!m_tracking || m_scrollDirection == 0) {
        m_timers.StopTimer(m_timerId);
        return;
    }
    m_host.ScrollBodyLines(m_scrollDirection);
    const std::span<const CRowLayout::Row> body = m_layout.GetRows(kBody);
    if (!body.empty())
        ExtendDragTo(m_scrollDirection < 0 ? Position{kBody, body.front().row} : Position{kBody, body.back().row});
}

bool CRowMouse::OnRelease()
{
    if (m_dragPending) {
        // A click on a selected row after all: it alone stays selected.
        m_dragPending = false;
        m_selection.ClearSelection();
        m_selection.SelectRow(m_anchor.row, m_anchor.kind, true);
        return true;
    }
    const bool wasTracking = m_tracking;
    Cancel();
    return wasTracking;
}

void CRowMouse::Cancel()
{
    m_dragPending = false;
    m_tracking = false;
    if (m_scrollDirection != 0)
        m_timers.StopTimer(m_timerId);
    m_scrollDirection = 0;
}

void CRowMouse::OnScrolled(int32_t dy)
{
    if (m_press.valid)
        m_press.point.y += dy;
}

} // namespace Brivel::GUI
