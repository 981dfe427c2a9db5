// ---- Index ----
// Operation context    COperation: focus, rows changed, deferred notifications
// Tree walks           WalkSubtree
// Detached list        the process-wide list and its teardown at exit
// Construction         CRowList, ~CRowList
// Rows and members     GetRowIndex, Contains, SetRowHeight, selection set
// Showing and hiding   FlatPositionFor, ShowSubtree, HideSubtree, ...
// Structure            InsertChild, DetachItem, DestroyItem, DestroyAll, Unlink
// Order                MoveToChildIndex, SetChildOrder, RebuildFlatList
// Expansion, selection Expand, Collapse, Select, DeselectAll
// Filter               ApplyFilter, Refilter
// Invariants           CheckInvariantsForTesting
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

#include "gui/rows/row_filter.h"

#include <array>
#include <cassert>
#include <climits>
#include <optional>
#include <utility>

namespace Brivel::GUI {

// ---- Operation context ----

// One operation's deferred work. Owner calls (focus, rows changed, item
// notifications and repaints) wait until the structure is consistent again;
// items destroyed meanwhile (by a filter, or by a handler of an earlier
// notification) are forgotten, so nothing is sent for them. Operations nest
// (a handler may change the tree); the innermost one is t_active.
class CRowList::COperation {
public:
    explicit COperation(CRowList& list) : m_list(list), m_active(list.m_kind != kDetachedList && list.m_owner)
    {
        if (m_active) {
            m_focusRow = list.m_owner->GetFocusRow(list);
            m_focusItem = list.m_flat.At(m_focusRow);
        }
        m_outer = t_active;
        t_active = this;
    }
    COperation(const COperation&) = delete;
    COperation& operator=(const COperation&) = delete;
    ~COperation() { t_active = m_outer; }

    void RowsInserted(int32_t row) noexcept { RowsFrom(row); }
    void RowsRemoved(int32_t row) noexcept { RowsFrom(row); }
    void RowsChanged(int32_t first, int32_t last) noexcept
    {
        m_first = std::min(m_first, first);
        m_last = std::max(m_last, last);
    }
    void Event(int32_t code, CGridItem* item)
    {
        if (m_active)
            m_events.Push({code, item});
    }
    void Invalidate(CGridItem* item) { Event(kRepaint, item); }
    void ClearFocus() noexcept { m_clearFocus = true; }

    void Finish();

    // Called by every item's destructor.
    static void ForgetItem(const CGridItem* item) noexcept
    {
        for (COperation* op = t_active; op; op = op->m_outer) {
            if (op->m_focusItem == item) {
                op->m_focusItem = nullptr;
                op->m_focusLost = true;
            }
            op->m_events.Forget(item);
        }
    }

private:
    static constexpr int32_t kRepaint = -1; // pseudo event: InvalidateItem

    struct Event_ {
        int32_t code;
        CGridItem* item; // null once forgotten
    };
    // A few events inline (most operations raise one), the rest on the heap.
    class CEvents {
    public:
        void Push(Event_ event)
        {
            if (m_inlineCount < m_inline.size())
                m_inline[m_inlineCount++] = event;
            else
                m_more.push_back(event);
        }
        void Forget(const CGridItem* item) noexcept
        {
            for (size_t i = 0; i < m_inlineCount; ++i)
                if (m_inline[i].item == item)
                    m_inline[i].item = nullptr;
            for (Event_& event : m_more)
                if (event.item == item)
                    event.item = nullptr;
        }
        size_t Size() const noexcept { return m_inlineCount + m_more.size(); }
        const Event_& At(size_t i) const noexcept { return i < m_inline.size() ? m_inline[i] : m_more[i - m_inline.size()]; }

    private:
        std::array<Event_, 4> m_inline{};
        size_t m_inlineCount = 0;
        std::vector<Event_> m_more;
    };

    void RowsFrom(int32_t row) noexcept
    {
        m_first = std::min(m_first, row);
        m_throughEnd = true;
    }

    static thread_local COperation* t_active;

    CRowList& m_list;
    const bool m_active; // a grid list with an owner
    int32_t m_focusRow = -1;
    CGridItem* m_focusItem = nullptr;
    bool m_focusLost = false;
    bool m_clearFocus = false;
    int32_t m_first = INT32_MAX;
    int32_t m_last = -1;
    bool m_throughEnd = false;
    CEvents m_events;
    COperation* m_outer = nullptr;
};

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
            row = item ? m_list.m_flat.IndexOf(item) : -1;
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

// ---- Tree walks ----

namespace {

using ChildIterator = CGridItem::ChildList::ConstIterator;

// Calls visit(item) for `top` and then its subtree in pre-order, descending
// into an item's children only when visit returns true (see
// CGridItem::ForEachDescendant).
template <class Visit>
void WalkSubtree(CGridItem* top, Visit&& visit)
{
    if (visit(top))
        top->ForEachDescendant(visit);
}

} // namespace

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
    : m_kind(kind == kPinnedList ? kPinnedList : kBodyList), m_owner(owner)
{
    Init();
}

CRowList::CRowList(Kind kind) : m_kind(kind), m_owner(nullptr)
{
    Init();
}

void CRowList::Init()
{
    m_root.reset(new CGridItem()); // protected constructor: the list owns its root
    m_root->m_flags = CGridItem::kRootFlag | CGridItem::kExpandedFlag;
    m_root->m_list = this;
    m_root->m_rowHeight = m_rowHeight;
}

CRowList::~CRowList()
{
    m_tearingDown = true;
    m_flat.Clear();
    DestroyChildren(m_root.get());
    m_root.reset();
    assert(m_memberCount == 0 && m_selection.empty() && "items outlived their list");
}

// ---- Rows and members ----

int32_t CRowList::GetRowIndex(const CGridItem* item) const noexcept
{
    return item && item->m_list == this && item->IsShown() ? m_flat.IndexOf(item) : -1;
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
    m_root->m_rowHeight = height;
    ++m_heightVersion;
    if (!applyToAll)
        return true;
    COperation op(*this);
    WalkSubtree(m_root.get(), [height](CGridItem* item) {
        item->m_rowHeight = height;
        return true;
    });
    if (!m_flat.Empty())
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
    op.RowsInserted(m_flat.IndexOf(item)); // the rows below moved
    op.Finish();
}

void CRowList::AddToSelection(CGridItem* item)
{
    assert(item->m_selectionIndex < 0);
    m_selection.push_back(item);
    item->m_selectionIndex = static_cast<int32_t>(m_selection.size()) - 1;
}

void CRowList::RemoveFromSelection(CGridItem* item) noexcept
{
    const int32_t index = item->m_selectionIndex;
    if (index < 0)
        return;
    CGridItem* const last = m_selection.back();
    m_selection[static_cast<size_t>(index)] = last;
    last->m_selectionIndex = index;
    m_selection.pop_back();
    item->m_selectionIndex = -1;
}

// ---- Showing and hiding ----

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

int32_t CRowList::FlatPositionFor(const CGridItem* item) const
{
    const CGridItem* const parent = TreeParentOf(item);
    for (int32_t index = parent->m_children.IndexOf(item) - 1; index >= 0; --index) {
        const CGridItem* const sibling = parent->m_children.At(index);
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

void CRowList::ShowSubtree(CGridItem* item, COperation& op)
{
    assert(!item->IsShown() && IsEligibleParent(TreeParentOf(item)));
    const int32_t row = FlatPositionFor(item);
    m_flat.Insert(row, item);
    op.Event(kNotifyItemShown, item);
    int32_t shown = 1; // rows inserted so far, from `row` on
    item->m_visibleDescendants = 0;
    if (item->IsExpanded() && !item->m_children.Empty()) {
        struct Level {
            CGridItem* item;
            ChildIterator next;
            int32_t firstBelow; // value of `shown` right after the item's own row
        };
        std::vector<Level> stack;
        stack.push_back({item, item->m_children.begin(), shown});
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
            op.Event(kNotifyItemShown, child);
            ++shown;
            child->m_visibleDescendants = 0;
            if (child->IsExpanded() && !child->m_children.Empty())
                stack.push_back({child, child->m_children.begin(), shown});
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
        item->m_visibleDescendants = 0;
    }
}

void CRowList::HideSubtree(CGridItem* item, COperation& op)
{
    const int32_t row = m_flat.IndexOf(item);
    assert(row >= 0);
    const int32_t count = 1 + item->m_visibleDescendants;
    EraseRows(row, count);
    AddToAncestors(TreeParentOf(item), -count);
    op.RowsRemoved(row);
}

void CRowList::HideDescendants(CGridItem* item, COperation& op)
{
    if (!item->IsShown() || item->m_visibleDescendants == 0)
        return;
    const int32_t row = m_flat.IndexOf(item) + 1;
    const int32_t count = item->m_visibleDescendants;
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
    const int32_t childCount = node->m_children.Size();
    if (childIndex == kTail)
        childIndex = childCount;
    if (childIndex < 0 || childIndex > childCount)
        return false;

    COperation op(*this);
    // Leave the detached list's top level (the item has no parent).
    if (CRowList* const from = item->m_list)
        from->m_root->m_children.Erase(item);
    MoveSubtreeToList(item, this);
    node->m_children.Insert(childIndex, item);
    item->m_parent = node->IsRoot() && m_kind == kDetachedList ? nullptr : node;

    if (show && IsEligibleParent(node) && PassesFilter(item))
        ShowSubtree(item, op);
    // The parent's expand button appears with its first child.
    if (m_kind != kDetachedList && !node->IsRoot() && node->IsShown() && node->m_children.Size() == 1)
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
        detached->m_root->m_children.PushBack(item);
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
    if (!m_flat.Empty()) {
        m_flat.Clear();
        m_root->m_visibleDescendants = 0;
        op.RowsRemoved(0);
    }
    // Nothing is shown now, so each item leaves its parent without hiding.
    DestroyChildren(m_root.get());
    op.Finish();
}

void CRowList::Unlink(CGridItem* item, COperation* op)
{
    CGridItem* const parent = TreeParentOf(item);
    if (!parent)
        return;
    const bool parentLosesButton = !parent->IsRoot() && parent->IsShown() && parent->m_children.Size() == 1;
    std::optional<COperation> local;
    if (!op && !m_tearingDown && (item->IsShown() || parentLosesButton)) {
        local.emplace(*this);
        op = &*local;
    }
    if (item->IsShown() && op)
        HideSubtree(item, *op);
    parent->m_children.Erase(item);
    item->m_parent = nullptr;
    if (parentLosesButton && op)
        op->Invalidate(parent);
    if (local)
        local->Finish();
}

void CRowList::MoveSubtreeToList(CGridItem* item, CRowList* to)
{
    WalkSubtree(item, [to](CGridItem* node) {
        if (CRowList* const from = node->m_list) {
            --from->m_memberCount;
            if (node->IsSelected())
                from->RemoveFromSelection(node);
        }
        node->m_list = to;
        if (to) {
            ++to->m_memberCount;
            if (node->IsSelected())
                to->AddToSelection(node);
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
        if (CGridItem* const last = item->m_children.Back()) {
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

// ---- Order ----

bool CRowList::MoveToChildIndex(CGridItem* item, int32_t childIndex)
{
    if (!item || item->IsRoot() || item->m_list != this)
        return false;
    CGridItem* const parent = TreeParentOf(item);
    if (!parent)
        return false;
    const int32_t childCount = parent->m_children.Size();
    if (childIndex == kTail)
        childIndex = childCount - 1;
    if (childIndex < 0 || childIndex >= childCount)
        return false;
    const int32_t oldIndex = parent->m_children.IndexOf(item);
    if (oldIndex == childIndex)
        return true;

    COperation op(*this);
    const bool shown = item->IsShown();
    const int32_t oldRow = shown ? m_flat.IndexOf(item) : -1;
    const int32_t blockSize = 1 + item->m_visibleDescendants;
    parent->m_children.MoveBlock(oldIndex, 1, childIndex);
    if (shown) {
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
    if (node->m_list != this || order.size() != static_cast<size_t>(node->m_children.Size()))
        return false;
    for (const CGridItem* child : order)
        if (!child || TreeParentOf(child) != node)
            return false;
    return node->m_children.Assign(order); // refuses duplicates
}

void CRowList::RebuildFlatList()
{
    if (m_kind == kDetachedList || m_flat.Empty())
        return;
    COperation op(*this);
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
            for (CGridItem* child : item->m_children)
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
    COperation op(*this);
    if (select) {
        item->m_flags |= CGridItem::kSelectedFlag;
        AddToSelection(item);
    } else {
        item->m_flags &= static_cast<uint8_t>(~CGridItem::kSelectedFlag);
        RemoveFromSelection(item);
    }
    op.Event(kNotifySelectionChanged, item);
    if (item->IsShown())
        op.Invalidate(item);
    op.Finish();
    return true;
}

void CRowList::DeselectAll()
{
    if (m_selection.empty())
        return;
    COperation op(*this);
    std::vector<CGridItem*> items;
    items.swap(m_selection);
    for (CGridItem* item : items) {
        item->m_selectionIndex = -1;
        item->m_flags &= static_cast<uint8_t>(~CGridItem::kSelectedFlag);
        op.Event(kNotifySelectionChanged, item);
        if (item->IsShown())
            op.Invalidate(item);
    }
    op.Finish();
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
        if (wasShown)
            HideSubtree(child, op);
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
    const CGridItem* const root = m_root.get();
    if (!root->IsRoot() || !root->IsExpanded() || root->m_list != this || root->m_parent || root->IsShown() ||
        root->m_childHook.IsLinked())
        return "root: bad flags or links";
    if (root->m_visibleDescendants != m_flat.Size())
        return "root: visible descendant count is not the row count";

    struct Level {
        const CGridItem* item;
        ChildIterator next;
        int32_t rowAfterItem; // the next expected row once the item itself is passed
    };
    int32_t row = 0;
    int32_t members = 0;
    std::vector<Level> stack;
    stack.push_back({root, root->m_children.begin(), 0});
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == ChildIterator()) {
            const CGridItem* const item = level.item;
            if (item->m_visibleDescendants != row - level.rowAfterItem)
                return "visible descendant count wrong at row " + std::to_string(m_flat.IndexOf(item));
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
        if (item->IsShown()) {
            if (!eligible)
                return "an item is shown under a parent that is not shown and expanded";
            if (item->IsFilteredOut())
                return "an item hidden by the filter is shown";
            if (m_flat.At(row) != item)
                return "flat list out of tree order at row " + std::to_string(row);
            ++row;
        } else if (item->m_visibleDescendants != 0) {
            return "a hidden item counts visible descendants";
        }
        if (item->IsSelected() != (item->m_selectionIndex >= 0))
            return "selected flag and selection set disagree";
        if (item->m_selectionIndex >= 0 &&
            (static_cast<size_t>(item->m_selectionIndex) >= m_selection.size() ||
             m_selection[static_cast<size_t>(item->m_selectionIndex)] != item))
            return "selection back-index wrong";
        stack.push_back({item, item->m_children.begin(), row});
    }
    if (row != m_flat.Size())
        return "flat list holds rows the tree does not show";
    if (members != m_memberCount)
        return "member count " + std::to_string(m_memberCount) + ", tree holds " + std::to_string(members);
    for (size_t index = 0; index < m_selection.size(); ++index) {
        const CGridItem* const item = m_selection[index];
        if (item->m_list != this || item->m_selectionIndex != static_cast<int32_t>(index) || !item->IsSelected())
            return "selection set holds an item that is not selected here";
    }
    return {};
}

} // namespace Brivel::GUI
