// CGridSelection: focus, selection and their repaints.
//
// ---- Sections ----
//   Focus        SetFocusRow (its six steps), FollowFocus
//   Selection    SelectRow, SelectItem, SelectRows, SelectRange, SelectAll
//   Reading      GetSelectedCount, GetSelectedItems (both strategies)
//   Repaints     a row with its selected neighbours, the band between lists

#include "gui/input/selection.h"

#include "gui/grid/repaint_pacer.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/item_sort.h"
#include "gui/rows/row_layout.h"
#include "gui/rows/row_list.h"
#include "gui/rows/row_list_owner.h"

#include <algorithm>
#include <utility>

namespace Brivel::GUI {

using Platform::CRect;

namespace {

bool IsListKind(int32_t kind)
{
    return kind == CRowList::kPinnedList || kind == CRowList::kBodyList;
}

} // namespace

CRowList* CGridSelection::ListOfKind(int32_t kind) const
{
    return IsListKind(kind) ? m_host.GetRowList(kind) : nullptr;
}

bool CGridSelection::IsSelectable(int32_t kind) const
{
    return IsListKind(kind) && (m_host.GetSelectableLists() & kind) != 0;
}

bool CGridSelection::IsFocusAllowed(int32_t kind) const
{
    return IsListKind(kind) && (m_host.GetFocusMask() & kind) != 0;
}

// ---- Focus ----

CGridItem* CGridSelection::GetFocusItem() const
{
    const CRowList* const list = ListOfKind(m_focusKind);
    return list ? list->GetItem(m_focusRow) : nullptr;
}

bool CGridSelection::SetFocusRow(int32_t row, int32_t kind, bool repaint)
{
    // 1. A row of a list, or no focus at all.
    if (IsListKind(kind)) {
        const CRowList* const list = ListOfKind(kind);
        if (list == nullptr || row < 0 || row >= list->GetRowCount())
            return false;
    } else if (kind != 0 || row != -1) {
        return false;
    }
    // 2. Already there.
    if (row == m_focusRow && kind == m_focusKind)
        return true;
    // 3. The old row loses its focus look.
    if (repaint && m_focusKind != 0)
        InvalidateRow(m_focusKind, m_focusRow, false);
    // 4. A list outside the focus mask.
    if (kind != 0 && !IsFocusAllowed(kind))
        return false;
    // 5. Store, and show the new row.
    CGridItem* const oldItem = GetFocusItem();
    m_focusRow = row;
    m_focusKind = kind;
    if (repaint && kind != 0)
        InvalidateRow(kind, row, false);
    // 6. Old item first, then the new one.
    CGridItem* const newItem = GetFocusItem();
    if (oldItem != nullptr)
        m_host.NotifyItem(kNotifyFocusMoved, *oldItem);
    if (newItem != nullptr)
        m_host.NotifyItem(kNotifyFocusMoved, *newItem);
    return true;
}

void CGridSelection::FollowFocus(const CRowList& list, int32_t row)
{
    if (row < 0) {
        if (list.GetKind() == m_focusKind)
            ClearFocus();
        return;
    }
    m_focusRow = row;
    m_focusKind = list.GetKind();
}

// ---- Selection ----

bool CGridSelection::IsRowSelected(int32_t row, int32_t kind) const
{
    const CRowList* const list = ListOfKind(kind);
    const CGridItem* const item = list ? list->GetItem(row) : nullptr;
    return item != nullptr && item->IsSelected();
}

bool CGridSelection::SelectRow(int32_t row, int32_t kind, bool select)
{
    CRowList* const list = ListOfKind(kind);
    CGridItem* const item = list ? list->GetItem(row) : nullptr;
    if (item == nullptr || !item->IsShown())
        return false;
    // A row that already is as asked succeeds, whatever the options: the
    // only selected row "selected" again in single selection included.
    if (item->IsSelected() == select)
        return true;
    if (select && (!IsSelectable(kind) || !m_host.IsSelectionEnabled() ||
                   (!m_host.IsMultipleSelection() && GetSelectedCount() > 0)))
        return false;
    if (!item->Select(select))
        return false;
    InvalidateRow(kind, row, true);
    return true;
}

bool CGridSelection::SelectItem(CGridItem& item, bool select)
{
    const CRowList* const list = item.GetRowList();
    if (list == nullptr)
        return false;
    if (item.IsShown())
        return SelectRow(list->GetRowIndex(&item), list->GetKind(), select);
    // A hidden item is never selected (hiding deselects): it can only be
    // asked to stay unselected.
    if (select)
        return false;
    item.Select(false);
    return true;
}

int32_t CGridSelection::SelectRows(int32_t kind, int32_t first, int32_t last, bool select)
{
    CRowList* const list = ListOfKind(kind);
    if (list == nullptr || (select && !IsSelectable(kind)))
        return 0;
    const int32_t changed = list->SelectRows(first, last, select);
    if (changed > 0) {
        // The rows themselves were repainted with the change; the frame
        // around the block reaches one pixel into the rows beyond it.
        InvalidateRow(kind, std::max(first, 0), true);
        InvalidateRow(kind, std::min(last, list->GetRowCount() - 1), true);
    }
    return changed;
}

void CGridSelection::SelectRange(int32_t fromKind, int32_t fromRow, int32_t toKind, int32_t toRow)
{
    if (!IsListKind(fromKind) || !IsListKind(toKind))
        return;
    // Pinned rows come before body rows, whichever end was given first.
    std::pair<int32_t, int32_t> start(fromKind, fromRow);
    std::pair<int32_t, int32_t> end(toKind, toRow);
    if (end < start)
        std::swap(start, end);
    if (start.first == end.first) {
        SelectRows(start.first, start.second, end.second, true);
        return;
    }
    const CRowList* const pinned = ListOfKind(CRowList::kPinnedList);
    SelectRows(CRowList::kPinnedList, start.second, pinned ? pinned->GetRowCount() - 1 : -1, true);
    SelectRows(CRowList::kBodyList, 0, end.second, true);
    InvalidateBoundary();
}

bool CGridSelection::SelectAll()
{
    if (!m_host.IsSelectionEnabled() || !m_host.IsMultipleSelection())
        return false;
    for (const int32_t kind : {int32_t(CRowList::kPinnedList), int32_t(CRowList::kBodyList)})
        if (const CRowList* const list = ListOfKind(kind); list != nullptr && IsSelectable(kind))
            SelectRows(kind, 0, list->GetRowCount() - 1, true);
    return true;
}

void CGridSelection::ClearSelection()
{
    const bool crossed = IsRowSelected(0, CRowList::kBodyList);
    for (const int32_t kind : {int32_t(CRowList::kPinnedList), int32_t(CRowList::kBodyList)})
        if (CRowList* const list = ListOfKind(kind))
            list->DeselectAll();
    if (crossed)
        InvalidateBoundary();
}

// ---- Reading ----

int32_t CGridSelection::GetSelectedCount() const
{
    int32_t count = 0;
    for (const int32_t kind : {int32_t(CRowList::kPinnedList), int32_t(CRowList::kBodyList)})
        if (const CRowList* const list = ListOfKind(kind))
            count += list->GetSelectedCount();
    return count;
}

void CGridSelection::GetSelectedItems(std::vector<CGridItem*>& items, int32_t listMask, Gather gather) const
{
    for (const int32_t kind : {int32_t(CRowList::kPinnedList), int32_t(CRowList::kBodyList)})
        if (const CRowList* const list = ListOfKind(kind); list != nullptr && (listMask & kind) != 0)
            GatherList(*list, items, gather);
}

void CGridSelection::GatherList(const CRowList& list, std::vector<CGridItem*>& items, Gather gather)
{
    const int32_t selected = list.GetSelectedCount();
    if (selected == 0)
        return;
    const int64_t rows = list.GetRowCount();
    if (gather == Gather::kChoose)
        gather = selected < kSortSetLimit && rows >= 100 * int64_t(selected - 1) ? Gather::kSortSet : Gather::kWalkRows;
    items.reserve(items.size() + static_cast<size_t>(selected));
    if (gather == Gather::kWalkRows) {
        list.ForEachRow(0, list.GetRowCount(), [&](CGridItem* item) {
            if (item->IsSelected())
                items.push_back(item);
        });
        return;
    }
    // Few selected among many rows: each row's index, then one sort. A
    // selected item without a row (none should be) is left out, as the walk
    // leaves it out.
    std::vector<std::pair<int32_t, CGridItem*>> byRow;
    byRow.reserve(static_cast<size_t>(selected));
    list.ForEachSelected([&](CGridItem* item) {
        if (const int32_t row = list.GetRowIndex(item); row >= 0)
            byRow.emplace_back(row, item);
    });
    IntroSort(byRow.data(), byRow.data() + byRow.size(),
              [](const std::pair<int32_t, CGridItem*>& a, const std::pair<int32_t, CGridItem*>& b) {
                  return a.first < b.first;
              });
    for (const auto& entry : byRow)
        items.push_back(entry.second);
}

// ---- Repaints ----

bool CGridSelection::Neighbour(int32_t kind, int32_t row, int32_t step, int32_t& neighbourKind,
                               int32_t& neighbourRow) const
{
    const CRowList* const list = ListOfKind(kind);
    if (list == nullptr)
        return false;
    neighbourKind = kind;
    neighbourRow = row + step;
    if (neighbourRow >= 0 && neighbourRow < list->GetRowCount())
        return true;
    // Across the boundary: before body row 0 the last pinned row, after the
    // last pinned row body row 0.
    const int32_t otherKind = kind == CRowList::kPinnedList ? CRowList::kBodyList : CRowList::kPinnedList;
    const CRowList* const other = ListOfKind(otherKind);
    if (other == nullptr || other->GetRowCount() == 0)
        return false;
    if (step < 0 && kind == CRowList::kBodyList) {
        neighbourKind = otherKind;
        neighbourRow = other->GetRowCount() - 1;
        return true;
    }
    if (step > 0 && kind == CRowList::kPinnedList) {
        neighbourKind = otherKind;
        neighbourRow = 0;
        return true;
    }
    return false;
}

void CGridSelection::InvalidateRow(int32_t kind, int32_t row, bool intoSelectedNeighbours)
{
    const CRowList* const list = ListOfKind(kind);
    if (list == nullptr)
        return;
    CRect rect = m_layout.RowRect(*list, row);
    if (rect.IsRectEmpty())
        return;
    int32_t otherKind = 0;
    int32_t otherRow = -1;
    if (intoSelectedNeighbours && Neighbour(kind, row, -1, otherKind, otherRow) && IsRowSelected(otherRow, otherKind))
        rect.top -= 1;
    if (intoSelectedNeighbours && Neighbour(kind, row, +1, otherKind, otherRow) && IsRowSelected(otherRow, otherKind))
        rect.bottom += 1;
    m_pacer.Invalidate(rect);
}

void CGridSelection::InvalidateBoundary()
{
    CRect band = m_layout.SeparatorBand();
    if (m_layout.PinnedArea().IsRectEmpty())
        return;
    band.top -= 1;
    band.bottom += 1;
    m_pacer.Invalidate(band);
}

} // namespace Brivel::GUI
