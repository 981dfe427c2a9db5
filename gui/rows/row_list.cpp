// ---- Index ----
// Operation context    COperation: focus, rows changed, deferred notifications
// Tree walks           WalkSubtree (row_list_operation.h)
// Detached list        the process-wide list and its teardown at exit
// Construction         CRowList, ~CRowList
// Rows and members     GetRowIndex, Contains, SetRowHeight, selection set
// Showing and hiding   FlatPositionFor, ShowSubtree, HideSubtree, ...
// Structure            InsertChild, DetachItem, DestroyItem, DestroyAll, Unlink
// (row_list_order.cpp: order, expansion, selection, filter, invariants)
// (row_list_operation.h: the operation context and the tree walk)
//
// Call flow of an operation that changes rows (InsertChild, Expand, ...):
//
//   COperation op(list)        remembers the focused item
//   structural change          flat list, visible descendant counts, flags;
//                              op collects the first changed row and the
//                              notifications (and filter calls happen here)
//   op.Finish()                focus to its item's new row, OnRowsChanged once,
//                              then the notifications in order
//
// Every tree walk is iterative (an explicit stack of child iterators), so a
// deep chain of items cannot exhaust the call stack.

#include "gui/rows/row_list.h"
#include "gui/rows/row_list_operation.h"

#include "gui/rows/row_filter.h"

#include <array>
#include <cassert>
#include <climits>
#include <optional>
#include <utility>

namespace Brivel::GUI {

using RowListDetail::ChildIterator;
using RowListDetail::WalkSubtree;

thread_local CRowList::COperation* CRowList::COperation::t_active = nullptr;

void CRowList::ForgetItem(const CGridItem* item) noexcept
{
    COperation::ForgetItem(item);
}

void CRowList::COperation::Finish()
{
    if (!m_active)
        return;
    IRowListOwner& owner = *m_list.m_owner;

    // The focus follows its item, or its nearest shown ancestor.
    if (m_focusRow >= 0) {
        int32_t row = m_focusRow;
        if (m_clearFocus || m_focusLost) {
            row = -1;
        } else if (m_focusItem) {
            const CGridItem* item = m_focusItem;
            while (item && !(item->IsShown() && item->m_list == &m_list))
                item = item->m_parent;
            row = item ? m_list.RowOf(item) : -1;
        }
        if (row != m_focusRow)
            owner.SetFocusRow(m_list, row);
    }

    if (m_first != INT32_MAX)
        owner.OnRowsChanged(m_list, m_first, m_throughEnd ? kThroughLastRow : m_last);

    // Handlers may destroy items still waiting here: ForgetItem nulls them.
    for (size_t i = 0; i < m_events.Size(); ++i) {
        const Event_ event = m_events.At(i);
        CGridItem* const item = event.item;
        if (!item)
            continue;
        CRowList* const list = item->m_list; // may have changed in a handler
        if (!list || list->m_kind == kDetachedList || !list->m_owner)
            continue;
        if (event.code == kRepaint)
            list->m_owner->InvalidateItem(*item);
        else
            list->m_owner->NotifyItem(event.code, *item);
    }
}

// ---- Detached list ----

namespace {

// Set once the detached list has been torn down at exit. Written and read on
// the thread that runs the exit-time destructors, like every use of the list.
bool g_detachedListGone = false;

} // namespace

struct CRowList::CDetachedListHolder {
    std::unique_ptr<CRowList> list{new CRowList(kDetachedList)}; // private constructor: handed over here
    CDetachedListHolder() = default;
    CDetachedListHolder(const CDetachedListHolder&) = delete;
    CDetachedListHolder& operator=(const CDetachedListHolder&) = delete;
    ~CDetachedListHolder()
    {
        // Items destroyed from here on must not find a list being torn down.
        g_detachedListGone = true;
        list.reset();
    }
};

CRowList* CRowList::GetDetachedList()
{
    if (g_detachedListGone)
        return nullptr;
    static CDetachedListHolder holder;
    return holder.list.get();
}

// ---- Construction ----

CRowList::CRowList(int32_t kind, IRowListOwner* owner)
    : m_kind(kind == kPinnedList ? kPinnedList : kBodyList), m_owner(owner), m_shared(true)
{
    Init();
}

CRowList::CRowList(Kind kind) : m_kind(kind), m_owner(nullptr), m_shared(false) // shows nothing
{
    Init();
}

void CRowList::Init()
{
    m_root.reset(new CGridItem()); // protected constructor: the list owns its root
    m_root->m_flags = CGridItem::kRootFlag | CGridItem::kExpandedFlag;
    m_root->m_list = this;
    m_root->m_rowHeight = static_cast<int16_t>(m_rowHeight);
    if (!m_root->EnsureChildren())
        throw std::bad_alloc();
}

CRowList::~CRowList()
{
    m_tearingDown = true;
    ClearRows();
    DestroyChildren(m_root.get());
    m_root.reset();
    assert(m_memberCount == 0 && m_selection.Size() == 0 && "items outlived their list");
}

// ---- Rows and members ----

int32_t CRowList::GetRowIndex(const CGridItem* item) const noexcept
{
    return item && item->m_list == this && item->IsShown() ? RowOf(item) : -1;
}

bool CRowList::Contains(const CGridItem* item) const noexcept
{
    return item && item->m_list == this && !item->IsRoot();
}

bool CRowList::SetRowHeight(int32_t height, bool applyToAll)
{
    if (height < 1 || height > kMaxRowHeight)
        return false;
    m_rowHeight = height;
    m_root->m_rowHeight = static_cast<int16_t>(height);
    ++m_heightVersion;
    if (!applyToAll)
        return true;
    COperation op(*this);
    WalkSubtree(m_root.get(), [height](CGridItem* item) {
        item->m_rowHeight = static_cast<int16_t>(height);
        return true;
    });
    if (GetRowCount() > 0)
        op.RowsInserted(0); // every row's position may have moved
    op.Finish();
    return true;
}

void CRowList::OnItemRowHeightChanged(CGridItem* item)
{
    ++m_heightVersion;
    if (!item->IsShown() || m_kind == kDetachedList || !m_owner)
        return;
    COperation op(*this);
    op.RowsInserted(RowOf(item)); // the rows below moved
    op.Finish();
}

bool CRowList::AddToSelection(CGridItem* item) noexcept
{
    assert(!m_selection.Find(reinterpret_cast<uintptr_t>(item)));
    try {
        m_selection.Insert(reinterpret_cast<uintptr_t>(item));
    } catch (const std::bad_alloc&) {
        item->m_flags &= static_cast<uint8_t>(~CGridItem::kSelectedFlag);
        return false;
    }
    item->m_flags |= CGridItem::kSelectedFlag;
    return true;
}

void CRowList::RemoveFromSelection(CGridItem* item) noexcept
{
    item->m_flags &= static_cast<uint8_t>(~CGridItem::kSelectedFlag);
    if (uintptr_t* const slot = m_selection.Find(reinterpret_cast<uintptr_t>(item)))
        m_selection.Erase(slot);
}

// ---- Showing and hiding ----

void CRowList::StopSharing()
{
    if (!m_shared)
        return;
    std::vector<CGridItem*> rows;
    rows.reserve(static_cast<size_t>(m_root->Children().Size()));
    for (CGridItem* child : m_root->Children())
        if (child->IsShown())
            rows.push_back(child);
    if (!m_flat.Assign(rows))
        throw std::bad_alloc(); // refused only for want of memory: the items are distinct and unlinked
    m_shared = false;
}

void CRowList::ClearRows() noexcept
{
    ForEachRow(0, GetRowCount(), [](CGridItem* item) {
        item->m_flags &= static_cast<uint8_t>(~CGridItem::kShownFlag);
    });
    m_flat.Clear();
    m_root->m_visibleDescendants = 0;
}

CGridItem* CRowList::TreeParentOf(const CGridItem* item) const noexcept
{
    if (item->m_parent)
        return item->m_parent;
    // Top of the detached list: in the detached root's children, no parent.
    return item->m_childHook.IsLinked() && item->m_list ? item->m_list->m_root.get() : nullptr;
}

bool CRowList::IsEligibleParent(const CGridItem* parent) const noexcept
{
    if (m_kind == kDetachedList)
        return false;
    return parent->IsRoot() || (parent->IsShown() && parent->IsExpanded());
}

bool CRowList::PassesFilter(CGridItem* item)
{
    IRowFilter* const filter = m_owner ? m_owner->GetRowFilter() : nullptr;
    const bool hidden = filter && filter->IsFiltered(m_owner->GetGrid(), item, item->GetDataObject());
    if (hidden)
        item->m_flags |= CGridItem::kFilteredFlag;
    else
        item->m_flags &= static_cast<uint8_t>(~CGridItem::kFilteredFlag);
    return !hidden;
}

int32_t CRowList::FlatPositionFor(const CGridItem* item, int32_t childIndex) const
{
    const CGridItem* const parent = TreeParentOf(item);
    if (childIndex < 0)
        childIndex = parent->Children().IndexOf(item);
    // Shared rows: every child of the root before the item is one row.
    if (m_shared)
        return childIndex;
    // The last top-level row (an add at the tail): every shown row of the
    // list lies before it. Saves the walk back to a shown sibling and its
    // index, two climbs of the trees.
    if (parent->IsRoot() && childIndex == parent->Children().Size() - 1 && !item->IsShown())
        return m_flat.Size();
    for (int32_t index = childIndex - 1; index >= 0; --index) {
        const CGridItem* const sibling = parent->Children().At(index);
        if (sibling->IsShown())
            return m_flat.IndexOf(sibling) + sibling->m_visibleDescendants + 1;
    }
    return parent->IsRoot() ? 0 : m_flat.IndexOf(parent) + 1;
}

void CRowList::AddToAncestors(CGridItem* from, int32_t delta) noexcept
{
    for (CGridItem* item = from; item; item = item->m_parent)
        item->m_visibleDescendants += delta;
}

void CRowList::ShowSubtree(CGridItem* item, COperation& op, int32_t childIndex)
{
    assert(!item->IsShown() && IsEligibleParent(TreeParentOf(item)));
    // A nested row, or a top-level one bringing its own rows, ends shared
    // rows; a plain top-level row is already in place among the root's
    // children.
    const bool nestedRows = item->IsExpanded() && !item->Children().Empty();
    if (m_shared && (!TreeParentOf(item)->IsRoot() || nestedRows))
        StopSharing();
    const int32_t row = FlatPositionFor(item, childIndex);
    if (m_shared)
        m_flat.Touch();
    else
        m_flat.Insert(row, item);
    item->m_flags |= CGridItem::kShownFlag;
    op.Event(kNotifyItemShown, item);
    int32_t shown = 1; // rows inserted so far, from `row` on
    item->m_visibleDescendants = 0;
    if (item->IsExpanded() && !item->Children().Empty()) {
        struct Level {
            CGridItem* item;
            ChildIterator next;
            int32_t firstBelow; // value of `shown` right after the item's own row
        };
        std::vector<Level> stack;
        stack.push_back({item, item->Children().begin(), shown});
        while (!stack.empty()) {
            Level& level = stack.back();
            if (level.next == ChildIterator()) {
                level.item->m_visibleDescendants = shown - level.firstBelow;
                stack.pop_back();
                continue;
            }
            CGridItem* const child = *level.next;
            ++level.next;
            if (!PassesFilter(child))
                continue;
            m_flat.Insert(row + shown, child);
            child->m_flags |= CGridItem::kShownFlag;
            op.Event(kNotifyItemShown, child);
            ++shown;
            child->m_visibleDescendants = 0;
            if (child->IsExpanded() && !child->Children().Empty())
                stack.push_back({child, child->Children().begin(), shown});
        }
    }
    AddToAncestors(TreeParentOf(item), shown);
    op.RowsInserted(row);
}

void CRowList::EraseRows(int32_t row, int32_t count) noexcept
{
    for (int32_t i = 0; i < count; ++i) {
        CGridItem* const item = m_flat.EraseAt(row);
        assert(item);
        item->m_flags &= static_cast<uint8_t>(~CGridItem::kShownFlag);
        item->m_visibleDescendants = 0;
    }
}

void CRowList::DeselectRows(int32_t row, int32_t count, COperation& op)
{
    if (m_selection.Size() == 0)
        return;
    ForEachRow(row, row + count, [&](CGridItem* item) {
        if (!item->IsSelected())
            return;
        RemoveFromSelection(item);
        op.Event(kNotifySelectionChanged, item);
    });
}

void CRowList::DeselectSubtreeRows(CGridItem* item, COperation& op)
{
    if (item->IsShown())
        DeselectRows(RowOf(item), 1 + item->m_visibleDescendants, op);
}

void CRowList::HideSubtree(CGridItem* item, COperation& op, bool leaving)
{
    // Shared rows hold while the item leaves the root's children with its
    // row; a top-level row that stays hidden ends them.
    if (m_shared && !leaving)
        StopSharing();
    const int32_t row = RowOf(item);
    assert(row >= 0);
    const int32_t count = 1 + item->m_visibleDescendants;
    if (m_shared) {
        assert(count == 1);
        item->m_flags &= static_cast<uint8_t>(~CGridItem::kShownFlag);
        m_flat.Touch();
    } else {
        EraseRows(row, count);
    }
    AddToAncestors(TreeParentOf(item), -count);
    op.RowsRemoved(row);
}

void CRowList::HideDescendants(CGridItem* item, COperation& op)
{
    if (!item->IsShown() || item->m_visibleDescendants == 0)
        return;
    const int32_t row = RowOf(item) + 1;
    const int32_t count = item->m_visibleDescendants;
    DeselectRows(row, count, op);
    EraseRows(row, count);
    AddToAncestors(item, -count);
    op.RowsRemoved(row);
}

void CRowList::ShowEligibleDescendants(CGridItem* item, COperation& op)
{
    assert(IsEligibleParent(item) && item->IsExpanded());
    item->ForEachDescendant([&](CGridItem* child) {
        if (child->IsShown())
            return child->IsExpanded();
        if (PassesFilter(child))
            ShowSubtree(child, op); // with its own eligible subtree
        return false;
    });
}

// ---- Structure ----

bool CRowList::InsertChild(CGridItem* parent, int32_t childIndex, CGridItem* item, bool show)
{
    if (!item || item->IsRoot() || item->m_parent)
        return false;
    if (item->m_list && item->m_list->m_kind != kDetachedList)
        return false;
    CGridItem* const node = parent ? parent : m_root.get();
    if (node->m_list != this)
        return false;
    // `item` is in the detached list, so only there can the parent lie in its
    // subtree (a grid list's parent never does: no walk up a deep tree).
    if (m_kind == kDetachedList)
        for (const CGridItem* ancestor = node; ancestor; ancestor = ancestor->m_parent)
            if (ancestor == item)
                return false;
    const int32_t childCount = node->Children().Size();
    if (childIndex == kTail)
        childIndex = childCount;
    if (childIndex < 0 || childIndex > childCount || !node->EnsureChildren())
        return false;
    // A top-level row that may stay hidden ends shared rows, before anything
    // changes (the filter is asked only once the item is in place).
    if (m_shared && node->IsRoot() && (!show || (m_owner && m_owner->GetRowFilter())))
        StopSharing();

    COperation op(*this);
    // Leave the detached list's top level (the item has no parent).
    if (CRowList* const from = item->m_list)
        from->m_root->OwnChildren().Erase(item);
    MoveSubtreeToList(item, this);
    node->OwnChildren().Insert(childIndex, item);
    item->m_parent = node->IsRoot() && m_kind == kDetachedList ? nullptr : node;

    if (show && IsEligibleParent(node) && PassesFilter(item))
        ShowSubtree(item, op, childIndex);
    // The parent's expand button appears with its first child.
    if (m_kind != kDetachedList && !node->IsRoot() && node->IsShown() && node->Children().Size() == 1)
        op.Invalidate(node);
    op.Finish();
    return true;
}

bool CRowList::DetachItem(CGridItem* item)
{
    if (!item || item->IsRoot() || item->m_list != this || m_kind == kDetachedList)
        return false;
    COperation op(*this);
    Unlink(item, &op);
    CRowList* const detached = GetDetachedList();
    MoveSubtreeToList(item, detached);
    if (detached)
        detached->m_root->OwnChildren().PushBack(item);
    op.Finish();
    return true;
}

bool CRowList::DestroyItem(CGridItem* item)
{
    if (!item || item->IsRoot())
        return false;
    delete item; // owned by its parent or the detached list: handed back here
    return true;
}

void CRowList::DestroyAll()
{
    COperation op(*this);
    if (GetRowCount() > 0) {
        ClearRows();
        op.RowsRemoved(0);
    }
    // Nothing is shown now, so each item leaves its parent without hiding.
    DestroyChildren(m_root.get());
    m_shared = m_kind != kDetachedList; // no rows: the root's children serve again
    op.Finish();
}

void CRowList::Unlink(CGridItem* item, COperation* op)
{
    CGridItem* const parent = TreeParentOf(item);
    if (!parent)
        return;
    const bool parentLosesButton = !parent->IsRoot() && parent->IsShown() && parent->Children().Size() == 1;
    std::optional<COperation> local;
    if (!op && !m_tearingDown && (item->IsShown() || parentLosesButton)) {
        local.emplace(*this);
        op = &*local;
    }
    if (item->IsShown() && op)
        HideSubtree(item, *op, true);
    parent->OwnChildren().Erase(item);
    item->m_parent = nullptr;
    if (parentLosesButton && op)
        op->Invalidate(parent);
    if (local)
        local->Finish();
}

void CRowList::MoveSubtreeToList(CGridItem* item, CRowList* to)
{
    WalkSubtree(item, [to](CGridItem* node) {
        const bool selected = node->IsSelected();
        if (CRowList* const from = node->m_list) {
            --from->m_memberCount;
            if (selected)
                from->RemoveFromSelection(node);
        }
        node->m_list = to;
        if (to) {
            ++to->m_memberCount;
            if (selected)
                to->AddToSelection(node); // unselected should the set not grow
            node->m_rowHeight = to->m_rowHeight;
            ++to->m_heightVersion;
        }
        return true;
    });
}

void CRowList::DestroyChildren(CGridItem* top)
{
    // Leaf first, last child first: each deletion removes the last child of
    // `item`, so the walk needs no stack.
    CGridItem* item = top;
    for (;;) {
        if (CGridItem* const last = item->Children().Back()) {
            item = last;
            continue;
        }
        if (item == top)
            return;
        CGridItem* const up = item->m_parent ? item->m_parent : item->m_list->m_root.get();
        delete item; // owned by `up`: its destructor leaves up's children
        item = up;
    }
}

} // namespace Brivel::GUI
