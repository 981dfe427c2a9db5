// CRowList: the order of rows, expansion, selection, the filter and the
// invariant check. The call flow of an operation is described at the top of
// row_list.cpp.
//
// ---- Index ----
// Order                MoveToChildIndex, SetChildOrder, RebuildFlatList
// Expansion, selection Expand, Collapse, Select, DeselectAll
// Filter               ApplyFilter, Refilter
// Invariants           CheckInvariantsForTesting

#include "gui/rows/row_list.h"
#include "gui/rows/row_list_operation.h"

#include "gui/rows/row_filter.h"

#include <cassert>
#include <climits>
#include <string>
#include <utility>
#include <vector>

namespace Brivel::GUI {

using RowListDetail::ChildIterator;
using RowListDetail::WalkSubtree;

// ---- Order ----

bool CRowList::MoveToChildIndex(CGridItem* item, int32_t childIndex)
{
    if (!item || item->IsRoot() || item->m_list != this)
        return false;
    CGridItem* const parent = TreeParentOf(item);
    if (!parent)
        return false;
    const int32_t childCount = parent->Children().Size();
    if (childIndex == kTail)
        childIndex = childCount - 1;
    if (childIndex < 0 || childIndex >= childCount)
        return false;
    const int32_t oldIndex = parent->Children().IndexOf(item);
    if (oldIndex == childIndex)
        return true;

    COperation op(*this);
    const bool shown = item->IsShown();
    const int32_t oldRow = shown ? RowOf(item) : -1;
    const int32_t blockSize = 1 + item->m_visibleDescendants;
    parent->OwnChildren().MoveBlock(oldIndex, 1, childIndex);
    if (shown && m_shared) {
        // The move among the root's children was the rows' move.
        m_flat.Touch();
        op.RowsChanged(std::min(oldIndex, childIndex), std::max(oldIndex, childIndex));
    } else if (shown) {
        // FlatPositionFor reads rows of the list as it is, with the block
        // still at its old place; past the block the start shifts back.
        const int32_t position = FlatPositionFor(item);
        const int32_t newRow = position > oldRow ? position - blockSize : position;
        if (newRow != oldRow) {
            m_flat.MoveBlock(oldRow, blockSize, newRow);
            op.RowsChanged(std::min(oldRow, newRow), std::max(oldRow, newRow) + blockSize - 1);
        }
    }
    op.Finish();
    return true;
}

bool CRowList::SetChildOrder(CGridItem* parent, std::span<CGridItem* const> order)
{
    CGridItem* const node = parent ? parent : m_root.get();
    if (node->m_list != this || order.size() != static_cast<size_t>(node->Children().Size()))
        return false;
    for (const CGridItem* child : order)
        if (!child || TreeParentOf(child) != node)
            return false;
    if (order.empty())
        return true;
    if (!node->OwnChildren().Assign(order)) // refuses duplicates
        return false;
    if (m_shared && node->IsRoot())
        m_flat.Touch(); // the rows are in the new order already
    return true;
}

void CRowList::RebuildFlatList()
{
    if (m_kind == kDetachedList || GetRowCount() == 0)
        return;
    COperation op(*this);
    if (m_shared) {
        // The root's children are the rows, in their new order already.
        m_flat.Touch();
        op.RowsChanged(0, GetRowCount() - 1);
        op.Finish();
        return;
    }
    std::vector<CGridItem*> rows;
    rows.reserve(static_cast<size_t>(m_flat.Size()));
    WalkSubtree(m_root.get(), [&rows](CGridItem* item) {
        if (item->IsRoot())
            return true;
        if (!item->IsShown())
            return false;
        rows.push_back(item);
        return item->IsExpanded();
    });
    const bool assigned = m_flat.Assign(rows);
    assert(assigned && static_cast<int32_t>(rows.size()) == m_flat.Size());
    static_cast<void>(assigned);
    op.RowsChanged(0, m_flat.Size() - 1);
    op.Finish();
}

// ---- Expansion, selection ----

void CRowList::Expand(CGridItem* item, bool recursive)
{
    COperation op(*this);
    const auto setFlag = [&op](CGridItem* node) {
        if (!node->IsExpanded()) {
            node->m_flags |= CGridItem::kExpandedFlag;
            if (!node->IsRoot())
                op.Event(kNotifyExpandedChanged, node);
        }
        return true;
    };
    if (recursive)
        WalkSubtree(item, setFlag);
    else
        setFlag(item);
    if (IsEligibleParent(item))
        ShowEligibleDescendants(item, op);
    op.Finish();
}

void CRowList::Collapse(CGridItem* item, bool recursive)
{
    COperation op(*this);
    const auto clearFlag = [&op](CGridItem* node) {
        if (!node->IsRoot() && node->IsExpanded()) {
            node->m_flags &= static_cast<uint8_t>(~CGridItem::kExpandedFlag);
            op.Event(kNotifyExpandedChanged, node);
        }
        return true;
    };
    if (recursive)
        WalkSubtree(item, clearFlag);
    else
        clearFlag(item);
    if (m_kind != kDetachedList) {
        if (!item->IsRoot()) {
            HideDescendants(item, op);
        } else if (recursive) {
            // The root stays expanded: its children stay, their subtrees go.
            for (CGridItem* child : item->Children())
                HideDescendants(child, op);
        }
    }
    op.Finish();
}

bool CRowList::Select(CGridItem* item, bool select)
{
    if (item->IsRoot() || item->IsSelected() == select)
        return false;
    if (select) {
        if (m_kind == kDetachedList || !item->IsShown())
            return false;
        if (m_owner && (!m_owner->IsSelectionEnabled() || (!m_owner->IsMultipleSelection() && m_owner->HasSelection())))
            return false;
    }
    if (select && !AddToSelection(item))
        return false;
    COperation op(*this);
    if (!select)
        RemoveFromSelection(item);
    op.Event(kNotifySelectionChanged, item);
    if (item->IsShown())
        op.Invalidate(item);
    op.Finish();
    return true;
}

void CRowList::DeselectAll()
{
    if (m_selection.Size() == 0)
        return;
    std::vector<CGridItem*> items;
    items.reserve(m_selection.Size());
    ForEachSelected([&items](CGridItem* item) { items.push_back(item); });
    m_selection.Clear();
    COperation op(*this);
    // Past a few rows one repaint of the list's rows on screen is cheaper
    // than finding each row.
    const bool repaintAll = items.size() > kSelectionRepaintLimit;
    for (CGridItem* item : items) {
        item->m_flags &= static_cast<uint8_t>(~CGridItem::kSelectedFlag);
        op.Event(kNotifySelectionChanged, item);
        if (!repaintAll && item->IsShown())
            op.Invalidate(item);
    }
    if (repaintAll)
        op.RowsChanged(0, GetRowCount() - 1);
    op.Finish();
}

int32_t CRowList::SelectRows(int32_t first, int32_t last, bool select)
{
    first = std::max(first, 0);
    last = std::min(last, GetRowCount() - 1);
    if (m_kind == kDetachedList || first > last)
        return 0;
    if (select && m_owner != nullptr &&
        (!m_owner->IsSelectionEnabled() ||
         (!m_owner->IsMultipleSelection() && (first != last || m_owner->HasSelection()))))
        return 0;
    COperation op(*this);
    int32_t changed = 0;
    ForEachRow(first, last + 1, [&](CGridItem* item) {
        if (item->IsSelected() == select)
            return;
        if (!select)
            RemoveFromSelection(item);
        else if (!AddToSelection(item))
            return; // no room for it in the set: it stays unselected
        op.Event(kNotifySelectionChanged, item);
        ++changed;
    });
    if (changed > 0)
        op.RowsChanged(first, last);
    op.Finish();
    return changed;
}

// ---- Filter ----

bool CRowList::ApplyFilter(CGridItem* item)
{
    if (!item || item->IsRoot() || item->m_list != this || m_kind == kDetachedList)
        return false;
    CGridItem* const parent = TreeParentOf(item);
    if (!parent)
        return false;
    const bool passes = PassesFilter(item);
    COperation op(*this);
    bool changed = false;
    if (item->IsShown() && !passes) {
        DeselectSubtreeRows(item, op);
        HideSubtree(item, op);
        changed = true;
    } else if (!item->IsShown() && passes && IsEligibleParent(parent)) {
        ShowSubtree(item, op);
        changed = true;
    }
    if (changed)
        op.Event(kNotifyFilterChanged, item);
    op.Finish();
    return changed;
}

void CRowList::Refilter()
{
    if (m_kind == kDetachedList)
        return;
    COperation op(*this);
    op.ClearFocus();
    // Only children of the root and of shown expanded items are visited:
    // their parents are eligible, so shown == passes the filter.
    m_root->ForEachDescendant([&](CGridItem* child) {
        const bool wasShown = child->IsShown();
        const bool passes = PassesFilter(child);
        if (wasShown == passes)
            return wasShown && child->IsExpanded();
        if (wasShown) {
            DeselectSubtreeRows(child, op);
            HideSubtree(child, op);
        }
        else
            ShowSubtree(child, op);
        op.Event(kNotifyFilterChanged, child);
        return false;
    });
    op.Finish();
}

// ---- Invariants ----

std::string CRowList::CheckInvariantsForTesting() const
{
    if (std::string fault = m_flat.CheckInvariantsForTesting(); !fault.empty())
        return "flat list: " + fault;
    if (m_shared && (m_kind == kDetachedList || !m_flat.Empty()))
        return "shared rows with a flat list of its own, or in the detached list";
    const CGridItem* const root = m_root.get();
    if (!root->IsRoot() || !root->IsExpanded() || root->m_list != this || root->m_parent || root->IsShown() ||
        root->m_childHook.IsLinked())
        return "root: bad flags or links";
    if (root->m_visibleDescendants != GetRowCount())
        return "root: visible descendant count is not the row count";

    struct Level {
        const CGridItem* item;
        ChildIterator next;
        int32_t rowAfterItem; // the next expected row once the item itself is passed
    };
    int32_t row = 0;
    int32_t members = 0;
    std::vector<Level> stack;
    stack.push_back({root, root->Children().begin(), 0});
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == ChildIterator()) {
            const CGridItem* const item = level.item;
            if (item->m_visibleDescendants != row - level.rowAfterItem)
                return "visible descendant count wrong at row " + std::to_string(item->IsShown() ? RowOf(item) : -1);
            stack.pop_back();
            continue;
        }
        const CGridItem* const parent = level.item;
        const CGridItem* const item = *level.next;
        ++level.next;
        ++members;
        if (item->m_list != this)
            return "an item of the tree names another list";
        if (item->IsRoot())
            return "a root inside the tree";
        const CGridItem* const expectedParent = parent->IsRoot() && m_kind == kDetachedList ? nullptr : parent;
        if (item->m_parent != expectedParent)
            return "an item's parent is not the item whose children hold it";
        const bool eligible = IsEligibleParent(parent);
        if (item->IsShown() != (m_shared ? parent->IsRoot() : item->m_flatHook.IsLinked()))
            return "an item's shown flag disagrees with the flat list";
        if (item->IsShown()) {
            if (!eligible)
                return "an item is shown under a parent that is not shown and expanded";
            if (item->IsFilteredOut())
                return "an item hidden by the filter is shown";
            if (GetItem(row) != item)
                return "flat list out of tree order at row " + std::to_string(row);
            ++row;
        } else if (item->m_visibleDescendants != 0) {
            return "a hidden item counts visible descendants";
        }
        if (item->IsSelected() != (m_selection.Find(reinterpret_cast<uintptr_t>(item)) != nullptr))
            return "selected flag and selection set disagree";
        stack.push_back({item, item->Children().begin(), row});
    }
    if (row != GetRowCount())
        return "flat list holds rows the tree does not show";
    if (members != m_memberCount)
        return "member count " + std::to_string(m_memberCount) + ", tree holds " + std::to_string(members);
    std::string selectionFault;
    ForEachSelected([&](const CGridItem* item) {
        if (selectionFault.empty() && (item->m_list != this || !item->IsSelected()))
            selectionFault = "selection set holds an item that is not selected here";
    });
    if (!selectionFault.empty())
        return selectionFault;
    return {};
}

} // namespace Brivel::GUI
