// CGrid::CGridImpl: what a data change does on the GUI thread, and how
// highlights expire.
//
// The dispatcher delivers each change of a bound object to every row showing
// it: CGridItem::OnDataChanged records the change time (the item step), then
// calls OnItemDataChanged here (the list step): re-filter, re-sort, invalidate
// exactly the changed cells (or the row), notify the parent (10).
//
// Highlight expiry: one window timer (0) per grid, always at the nearest
// expiry of an on-screen row, never shorter than 10 ms and never before the
// paint frame that began with the last paint ends. The expiry step
// and the search for the nearest expiry walk only the on-screen rows: a
// change far off screen records its time, and is looked at again once it is
// scrolled into view (by the paint pass, which asks for the expiry it needs).

#include "gui/grid/grid_impl.h"

#include "gui/rows/grid_item.h"

#include "common/process_clock.h"

#include <cassert>

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;
using Common::GetProcessClock;
using Common::ProcessClockAdd;
using Common::ProcessClockDifference;

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
    CRowList* const list = ListOf(&item);
    if (list == nullptr || item.GetParent() == nullptr)
        return;
    if (m_rowFilter != nullptr && list->ApplyFilter(&item)) // sends 8 when the shown state changed
        ClearFocus();
    const std::vector<CSortInfo>& keys = GetListKeys(*list);
    // A change of a field that is no key cannot change the order.
    if (!keys.empty() && (fieldId < 0 || IsKeyField(keys, fieldId)))
        Reposition(item);
    if (item.IsShown()) {
        const QRect rowRect = OnScreenItemRect(item);
        assert(rowRect == ItemRect(item)); // the cached layout is never stale
        if (fieldId < 0)
            Invalidate(rowRect);
        else
            InvalidateFieldInRow(rowRect, fieldId);
    }
    NotifyItem(kNotifyDataChanged, item);
}

void CGridImpl::InvalidateFieldInRow(const QRect& rowRect, int32_t fieldId)
{
    if (rowRect.isEmpty() || m_header == nullptr)
        return;
    // A hidden or absent column has an empty rectangle; a scrolled column is
    // clipped at the fixed area so that it never reaches into it.
    const Platform::CRect column = m_header->GetClippedColumnRect(this, fieldId);
    if (column.Width() <= 0)
        return;
    Invalidate(QRect(column.left, rowRect.top(), column.Width(), rowRect.height()));
}

void CGridImpl::InvalidateField(CGridItem& item, int32_t fieldId)
{
    if (fieldId < 0) {
        InvalidateItem(item);
        return;
    }
    if (m_header == nullptr)
        return;
    InvalidateFieldInRow(ItemRect(item), fieldId);
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

int32_t CGridImpl::GetChangeAge(CGridItem& item, int32_t fieldId)
{
    return ListOf(&item) ? item.GetChangeAge(fieldId, GetProcessClock()) : -1;
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
        ScheduleHighlightTimer(ms);
}

void CGridImpl::SetHighlightExpiry(CGridItem& item, int32_t fieldId, int32_t ms)
{
    SetHighlightExpiry(-1, 0, &item, fieldId, ms);
}

void CGridImpl::SetRowHighlightExpiry(int32_t row, int32_t kind, CGridItem* item, int32_t ms)
{
    CGridItem* const target = ResolveRow(row, kind, item);
    if (target == nullptr)
        return;
    if (ms > 0) {
        target->SetRowHighlightExpiry(ProcessClockAdd(GetProcessClock(), ms));
        ScheduleHighlightTimer(ms);
    } else if (target->IsShown()) {
        InvalidateItem(*target);
    }
}

void CGridImpl::MarkChanged(int32_t row, int32_t kind, CGridItem* item, int32_t fieldId)
{
    if (CGridItem* const target = ResolveRow(row, kind, item))
        target->OnDataChanged(fieldId); // the item step, then the list step here
}

int32_t CGridImpl::GetHighlightTimerRemaining() const
{
    if (m_highlightTimerInterval < 0)
        return -1;
    const int32_t remaining =
        ProcessClockDifference(ProcessClockAdd(m_highlightTimerStart, m_highlightTimerInterval), GetProcessClock());
    return remaining < 0 ? -1 : remaining;
}

void CGridImpl::ScheduleHighlightTimer(int32_t waitMs)
{
    if (waitMs < 1) {
        RunHighlightExpiry();
        return;
    }
    // Never before the current paint frame ends: what the timer invalidates
    // is then painted at once, not held for one more wake-up.
    waitMs = std::max({waitMs, 10, MsUntilNextFrame()});
    const int32_t remaining = GetHighlightTimerRemaining();
    if (remaining >= 0 && remaining <= waitMs)
        return; // the pending timer comes first and reschedules then
    m_highlightTimerStart = GetProcessClock();
    m_highlightTimerInterval = waitMs;
    SetTimer(kHighlightTimer, static_cast<uint32_t>(waitMs));
}

int32_t CGridImpl::EarliestExpiry(const CRowList& list, int32_t first, int32_t last, int32_t now, bool& found) const
{
    int32_t earliest = INT32_MAX; // as a wait from now
    if (first < 0 || last < first)
        return earliest;
    list.ForEachRow(first, last + 1, [&](const CGridItem* item) {
        if (item->GetRowHighlightExpiry() != CGridItem::kNever) {
            earliest = std::min(earliest, ProcessClockDifference(item->GetRowHighlightExpiry(), now));
            found = true;
        }
        for (const HighlightRecord& record : item->GetHighlightRecords()) {
            if (record.expiry != CGridItem::kNever) {
                earliest = std::min(earliest, ProcessClockDifference(record.expiry, now));
                found = true;
            }
        }
    });
    return earliest;
}

void CGridImpl::RescheduleHighlightTimer()
{
    const int32_t now = GetProcessClock();
    bool found = false;
    const int32_t pinned = EarliestExpiry(m_pinned, 0, LastVisibleRow(CRowList::kPinnedList), now, found);
    const int32_t body =
        EarliestExpiry(m_body, std::max(m_topRow, 0), LastVisibleRow(CRowList::kBodyList), now, found);
    if (found)
        ScheduleHighlightTimer(std::min(pinned, body));
}

void CGridImpl::ExpireRows(CRowList& list, int32_t first, int32_t last, int32_t now)
{
    if (first < 0 || last < first)
        return;
    const Areas areas = ComputeAreas();
    int32_t y = RowTop(list, first, areas);
    if (y < 0)
        return;
    const int32_t areaBottom = list.GetKind() == CRowList::kPinnedList ? areas.pinnedBottom : areas.bottom;
    list.ForEachRow(first, last + 1, [&](CGridItem* item) {
        const int32_t height = item->GetRowHeight();
        const QRect rowRect(areas.client.left(), y, areas.client.width(), std::min(height, areaBottom - y));
        y += height;
        if (item->GetRowHighlightExpiry() != CGridItem::kNever &&
            ProcessClockDifference(now, item->GetRowHighlightExpiry()) >= 0) {
            item->SetRowHighlightExpiry(CGridItem::kNever);
            Invalidate(rowRect);
        }
        for (HighlightRecord& record : item->GetHighlightRecords()) {
            if (record.expiry != CGridItem::kNever && ProcessClockDifference(now, record.expiry) >= 0) {
                record.expiry = CGridItem::kNever;
                InvalidateFieldInRow(rowRect, record.fieldId);
            }
        }
    });
}

void CGridImpl::RunHighlightExpiry()
{
    KillTimer(kHighlightTimer);
    m_highlightTimerInterval = -1;
    const int32_t now = GetProcessClock();
    ExpireRows(m_pinned, 0, LastVisibleRow(CRowList::kPinnedList), now);
    ExpireRows(m_body, std::max(m_topRow, 0), LastVisibleRow(CRowList::kBodyList), now);
    RescheduleHighlightTimer();
}

} // namespace Brivel::GUI
