// CGrid::CGridImpl: what a data change does on the GUI thread, and how
// highlights expire.
//
// The dispatcher delivers each change of a bound object to every row showing
// it: CGridItem::OnDataChanged records the change time (the item step), then
// calls OnItemDataChanged here (the list step): re-filter, re-sort, invalidate
// exactly the changed cells (or the row), notify the parent (10).
//
// The highlight operations (80, 81) record expiries and hand the wait to the
// highlight scheduler (highlight_scheduler.h), which owns the timer.

#include "gui/grid/grid_impl.h"

#include "gui/rows/grid_item.h"

#include "common/process_clock.h"


namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;
using Common::GetProcessClock;
using Common::ProcessClockAdd;

namespace {

bool IsKeyField(const std::vector<CSortInfo>& keys, int32_t fieldId)
{
    for (const CSortInfo& key : keys)
        if (key.GetFieldId() == fieldId)
            return true;
    return false;
}

} // namespace

void CGridImpl::OnItemDataChanged(CGridItem& item, int32_t fieldId)
{
    // The item itself calls this, so it is live: no look-up in the live-item
    // set (ListOf), which would cost every delivered change a cache miss.
    CRowList* const list = item.GetRowList();
    if ((list != &m_pinned && list != &m_body) || item.GetParent() == nullptr)
        return;
    if (m_rowFilter != nullptr && list->ApplyFilter(&item)) // sends 8 when the shown state changed
        m_selection.ClearFocus();
    const std::vector<CSortInfo>& keys = GetListKeys(*list);
    // A change of a field that is no key cannot change the order.
    if (!keys.empty() && (fieldId < 0 || IsKeyField(keys, fieldId)))
        Reposition(item);
    if (item.IsShown()) {
        const Platform::CRect rowRect = m_layout.ItemRect(item);
        if (fieldId < 0)
            Invalidate(rowRect);
        else
            InvalidateCell(rowRect, fieldId);
    }
    NotifyItem(kNotifyDataChanged, item);
}

void CGridImpl::InvalidateCell(const Platform::CRect& rowRect, int32_t fieldId)
{
    if (rowRect.IsRectEmpty() || m_header == nullptr)
        return;
    // A hidden or absent column has an empty rectangle; a scrolled column is
    // clipped at the fixed area so that it never reaches into it.
    const Platform::CRect column = m_header->GetClippedColumnRect(this, fieldId);
    if (column.Width() <= 0)
        return;
    Invalidate(CRowLayout::CellRect(rowRect, column.left, column.right));
}

void CGridImpl::InvalidateField(CGridItem& item, int32_t fieldId)
{
    if (fieldId < 0) {
        InvalidateItem(item);
        return;
    }
    if (m_header == nullptr)
        return;
    InvalidateCell(m_layout.ItemRect(item), fieldId);
}

CGridItem* CGridImpl::ResolveRow(int32_t row, int32_t kind, CGridItem* item) const
{
    if (item != nullptr)
        return ListOf(item) ? item : nullptr;
    const CRowList* const list = ListOfKind(kind);
    return list ? list->GetItem(row) : nullptr;
}

int32_t CGridImpl::GetChangeAge(int32_t row, int32_t kind, CGridItem* item, int32_t fieldId)
{
    CGridItem* const target = ResolveRow(row, kind, item);
    return target ? target->GetChangeAge(fieldId, GetProcessClock()) : -1;
}

void CGridImpl::SetHighlightExpiry(int32_t row, int32_t kind, CGridItem* item, int32_t fieldId, int32_t ms)
{
    CGridItem* const target = ResolveRow(row, kind, item);
    if (target == nullptr)
        return;
    if (fieldId < 0) {
        SetRowHighlightExpiry(-1, 0, target, ms);
        return;
    }
    if (ms < 1) {
        if (target->IsShown())
            InvalidateField(*target, fieldId);
        return;
    }
    const int32_t now = GetProcessClock();
    if (target->SetFieldHighlightExpiry(fieldId, now, ProcessClockAdd(now, ms)) != nullptr)
        m_highlights.Schedule(ms);
}

void CGridImpl::SetRowHighlightExpiry(int32_t row, int32_t kind, CGridItem* item, int32_t ms)
{
    CGridItem* const target = ResolveRow(row, kind, item);
    if (target == nullptr)
        return;
    if (ms > 0) {
        target->SetRowHighlightExpiry(ProcessClockAdd(GetProcessClock(), ms));
        m_highlights.Schedule(ms);
    } else if (target->IsShown()) {
        InvalidateItem(*target);
    }
}

void CGridImpl::MarkChanged(int32_t row, int32_t kind, CGridItem* item, int32_t fieldId)
{
    if (CGridItem* const target = ResolveRow(row, kind, item))
        target->OnDataChanged(fieldId); // the item step, then the list step here
}

} // namespace Brivel::GUI
