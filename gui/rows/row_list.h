#pragma once
// CRowList: one row tree of a grid and its flat list of visible rows.
//
// Every grid owns two lists, the pinned list (kind 1, does not scroll
// vertically) and the body list (kind 2); a third, process-wide list of kind 0,
// the detached list, holds every item that is in no grid (new items before
// insertion, detached items). Each list has an invisible root item, always
// expanded and never shown; the rows the user sees are the shown part of the
// tree in depth-first pre-order, children in their display order.
//
// How the flat list is kept. The flat list is a CIndexedList (a counted
// B+tree) of the items themselves, linked through each item's flat hook.
// Each item's children are another CIndexedList, through the child hook.
// This gives the behaviour of a vector of separately allocated row entries
// renumbered from a watermark (the row index of a shown item, the item at a
// row, the index of a child) with O(log n) costs for every lookup,
// insertion, removal and block move, and no entry allocation per shown row.
// Each item also counts the flat entries below it (its visible descendant
// count), so the shown subtree of an item is the block of rows from its own
// row to row + that count.
//
// A list whose shown rows are exactly the root's children (no nested row
// shown, no top-level row hidden: every grid without nested rows or a
// filter) keeps no flat list of its own: the root's children list serves as
// the flat list (shared rows). That saves a B+tree entry per row and its
// upkeep on every add and removal. The first operation that would make the
// two differ (showing a nested row, hiding or inserting a hidden top-level
// row, a row filter at an insertion) first builds the flat list from the
// root's children, O(n) once; an emptied list shares again. Which items are
// shown is their shown flag in either case.
//
// When an item is shown. An item has a row exactly while its parent is
// the root or is itself shown and expanded, and the row filter (asked through
// the owner) does not hide it. Lists of kind 0 show nothing, notify nobody and
// repaint nothing.
//
// Where a newly shown item goes: right after the last shown row of its
// nearest preceding shown sibling's subtree, or right after its parent (at the
// top of the list for a child of the root). In a sorted list the grid places
// the item among its siblings first (the children are in sorted order), so the
// same rule gives the sorted row without comparing anything. Finding the
// preceding shown sibling steps over hidden siblings one by one, O(log n)
// each: a long run of filtered siblings makes that one insertion slower.
//
// Selection set: the selected items of the list in no particular order (a
// hash set of their addresses: O(1) expected to add, remove and count, and
// nothing in an item but its selected flag); display order is a sort by row
// index away. Rows hidden by a collapse or by
// the filter leave the selection (notification 6), so every selected item of
// a grid list is shown. Member count: an item knows its list, so membership
// needs no set.
//
// Notifications and the owner: see row_list_owner.h for the order of the
// calls an operation makes. The list raises 6 (selection), 7 (expanded),
// 8 (shown or hidden by the filter) and 9 (item shown).
//
// Focus: every operation keeps the focus on its item. When the focused item
// leaves the flat list the focus moves to its nearest shown ancestor, or is
// cleared when none is shown; re-filtering clears it.
//
// Ownership: owns its root, and through it every item of its tree (the
// detached list owns its top-level items). Borrows its owner (see
// row_list_owner.h).
//
// Thread: GUI thread only.

#include "common/open_hash_table.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/row_list_owner.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace Brivel::GUI {

class IRowFilter;

class CRowList {
public:
    // Which list: the process-wide detached list, a grid's pinned or body list.
    enum Kind : int32_t { kDetachedList = 0, kPinnedList = 1, kBodyList = 2 };

    static constexpr int32_t kDefaultRowHeight = 14; // a new list's row height, in pixels
    // Past this many rows a selection change repaints the list's rows on
    // screen at once instead of finding each row.
    static constexpr size_t kSelectionRepaintLimit = 32;
    static constexpr int32_t kMaxRowHeight = 32767;
    // Child index meaning "after the last child".
    static constexpr int32_t kTail = -1;

    // A grid's list: kind 1 or 2 (any other value is taken as 2). The owner
    // may be null (no notifications, no filter, no focus).
    CRowList(int32_t kind, IRowListOwner* owner);
    CRowList(const CRowList&) = delete;
    CRowList& operator=(const CRowList&) = delete;
    // Destroys every item of the tree, calling nothing on the owner.
    ~CRowList();

    // The process-wide detached list, created on first use. Its items are
    // destroyed at exit (after main returns); from then on this is null and
    // items created later belong to no list.
    static CRowList* GetDetachedList();

    int32_t GetKind() const noexcept { return m_kind; } // a Kind
    IRowListOwner* GetOwner() const noexcept { return m_owner; } // the grid; null for the detached list
    // The invisible root; its children are the top-level rows.
    CGridItem* GetRoot() const noexcept { return m_root.get(); }

    // ---- Rows ----
    // Rows shown (the flat list's length).
    int32_t GetRowCount() const noexcept { return m_shared ? m_root->Children().Size() : m_flat.Size(); }
    // Grows with every change of the shown rows' order, membership or
    // heights: a cached layout of them is current while this is unchanged.
    uint64_t GetLayoutVersion() const noexcept { return m_flat.GetVersion() + m_heightVersion; }
    // The item at `row`; null when out of range.
    CGridItem* GetItem(int32_t row) const noexcept { return m_shared ? m_root->Children().At(row) : m_flat.At(row); }
    // The row of `item`; -1 when it is null, not shown or of another list.
    int32_t GetRowIndex(const CGridItem* item) const noexcept;
    // Whether `item` (a live item) belongs to this list; false for null and
    // for the root.
    bool Contains(const CGridItem* item) const noexcept;
    // Calls f(CGridItem*) for the rows first .. last - 1 (clamped), in order.
    // f must not change the list.
    template <class F>
    void ForEachRow(int32_t first, int32_t last, F&& f) const
    {
        if (m_shared)
            m_root->Children().ForEach(first, last, std::forward<F>(f));
        else
            m_flat.ForEach(first, last, std::forward<F>(f));
    }
    // Whether the root's children serve as the flat list (see the top of
    // this file); for tests.
    bool SharesRowsForTesting() const noexcept { return m_shared; }
    // Items of the list, the root not counted.
    int32_t GetMemberCount() const noexcept { return m_memberCount; }

    int32_t GetRowHeight() const noexcept { return m_rowHeight; } // the height new rows take, in pixels
    // The height items take when they join the list; with `applyToAll` every
    // member takes it now. False, changing nothing, outside 1 .. kMaxRowHeight.
    bool SetRowHeight(int32_t height, bool applyToAll);

    // ---- Selection ----
    int32_t GetSelectedCount() const noexcept { return static_cast<int32_t>(m_selection.Size()); } // selected rows
    // Calls f(CGridItem*) for every selected item, in no particular order;
    // f must not change the selection.
    template <class F>
    void ForEachSelected(F&& f) const
    {
        m_selection.ForEach([&f](uintptr_t item) { f(reinterpret_cast<CGridItem*>(item)); });
    }
    // Deselects every item (notification 6 for each, and a repaint of the
    // rows on screen).
    void DeselectAll();
    // Selects (or deselects) the shown rows first .. last (clamped), as one
    // operation: notification 6 for each item that changed, one repaint of
    // the range. Selecting needs the owner's selection enabled and, in
    // single selection, a single row and nothing selected yet. Answers the
    // number of items that changed.
    int32_t SelectRows(int32_t first, int32_t last, bool select);

    // ---- Structure ----
    // Inserts `item` (an item at the top of the detached list, with its
    // subtree) as the child at `childIndex` (0 .. child count, or kTail) of
    // `parent` (an item of this list; null: the root). The subtree joins this
    // list: member count, selection set and row height. With `show`, the item
    // is shown when its parent is the root or shown and expanded and the
    // filter passes, and with it its expanded subtree. False, changing
    // nothing, for a null or inserted item, a root, a parent of another list
    // or inside the item's subtree, or a bad index.
    bool InsertChild(CGridItem* parent, int32_t childIndex, CGridItem* item, bool show);
    // Takes an item of this grid list (kind 1 or 2) out of its parent, hiding
    // its shown rows, and moves it with its subtree to the top of the detached
    // list, keeping data objects, expansion and selection. False for a null
    // item, a root, an item of another list, or when this is the detached list.
    bool DetachItem(CGridItem* item);
    // Destroys `item` and its subtree (see CGridItem). False for null or a
    // root.
    static bool DestroyItem(CGridItem* item);
    // Destroys every item of the list; the root stays.
    void DestroyAll();

    // Moves `item` to child index `childIndex` (0 .. child count - 1, or
    // kTail for the last) among its siblings, and its shown rows with it as
    // one block. The rows in between shift; their relative order stays.
    // False for a null item, a root, an item of another list or a bad index.
    bool MoveToChildIndex(CGridItem* item, int32_t childIndex);
    // Replaces the order of `parent`'s children (null: the root's) by
    // `order`, which must hold exactly those children. The flat list is not
    // touched: call RebuildFlatList once the tree is in its new order. False,
    // changing nothing, when `order` is not a permutation of the children.
    bool SetChildOrder(CGridItem* parent, std::span<CGridItem* const> order);
    // Sorts `parent`'s children (null: the root's) by `less` (strict weak
    // order over const CGridItem*; unstable, like the grid's re-sort). As for
    // SetChildOrder, the flat list follows at RebuildFlatList.
    template <class Less>
    bool SortChildren(CGridItem* parent, Less less);
    // Puts the flat list in tree order again after children were reordered:
    // the same rows, walked in pre-order. O(n).
    void RebuildFlatList();

    // ---- Filter ----
    // Asks the filter about `item` (an item of this list with a parent) and
    // hides or shows it accordingly (showing needs the parent to be the root
    // or shown and expanded); sends 8 and returns true when its shown state
    // changed.
    bool ApplyFilter(CGridItem* item);
    // Re-filters the whole list: every child of the root and of every shown
    // expanded item is asked again (hidden or shown, 8 when its state
    // changes), descending only into children that were shown before and
    // still are. Clears the focus.
    void Refilter();

    // Checks the whole structure: the flat list against a walk of the tree,
    // visible descendant counts, parent and list links, member count, the
    // selection set and the filter state. Empty when all hold, else the first
    // fault found.
    std::string CheckInvariantsForTesting() const;

private:
    friend class CGridItem;
    class COperation;
    struct CDetachedListHolder;

    // The shown rows in order, counting every call that may change them
    // (a cached layout compares the count); every mutator is wrapped.
    class FlatList : public Common::CIndexedList<CGridItem, &CGridItem::m_flatHook> {
        using Base = Common::CIndexedList<CGridItem, &CGridItem::m_flatHook>;

    public:
        uint64_t GetVersion() const noexcept { return m_version; }
        bool Insert(int32_t index, CGridItem* item) { return ++m_version, Base::Insert(index, item); }
        bool PushFront(CGridItem* item) { return ++m_version, Base::PushFront(item); }
        bool PushBack(CGridItem* item) { return ++m_version, Base::PushBack(item); }
        bool InsertAfter(const CGridItem* position, CGridItem* item) { return ++m_version, Base::InsertAfter(position, item); }
        bool InsertBefore(const CGridItem* position, CGridItem* item) { return ++m_version, Base::InsertBefore(position, item); }
        CGridItem* EraseAt(int32_t index) noexcept { return ++m_version, Base::EraseAt(index); }
        bool Erase(CGridItem* item) noexcept { return ++m_version, Base::Erase(item); }
        bool MoveBlock(int32_t from, int32_t count, int32_t to) { return ++m_version, Base::MoveBlock(from, count, to); }
        bool Assign(std::span<CGridItem* const> items) { return ++m_version, Base::Assign(items); }
        void Clear() noexcept
        {
            ++m_version;
            Base::Clear();
        }
        // Counts a change of the shown rows made in the root's children
        // while they serve as the flat list.
        void Touch() noexcept { ++m_version; }

    private:
        uint64_t m_version = 0;
    };

    explicit CRowList(Kind kind); // the detached list

    void Init();
    // Forgets `item` in every operation still running (its destructor).
    static void ForgetItem(const CGridItem* item) noexcept;
    // The item whose children list holds `item`: its parent, or the detached
    // root for an item at the top of the detached list.
    CGridItem* TreeParentOf(const CGridItem* item) const noexcept;
    bool IsEligibleParent(const CGridItem* parent) const noexcept;
    bool PassesFilter(CGridItem* item);
    // Where `item` (not shown, or shown and being moved) goes in the flat
    // list. `childIndex`, its index among its parent's children, saves a
    // look-up when the caller knows it (-1: looked up).
    int32_t FlatPositionFor(const CGridItem* item, int32_t childIndex = -1) const;
    // The row of `item`, a shown item of this list.
    int32_t RowOf(const CGridItem* item) const noexcept
    {
        return m_shared ? m_root->Children().IndexOf(item) : m_flat.IndexOf(item);
    }
    // Ends shared rows: the flat list is built from the root's children that
    // are shown. Throws std::bad_alloc, changing nothing.
    void StopSharing();
    // Hides every row at once (their shown flags cleared, the flat list
    // emptied) without notifying; the rows' items are about to go.
    void ClearRows() noexcept;
    void ShowSubtree(CGridItem* item, COperation& op, int32_t childIndex = -1);
    // `leaving`: the item leaves its parent right after (Unlink).
    void HideSubtree(CGridItem* item, COperation& op, bool leaving = false);
    void HideDescendants(CGridItem* item, COperation& op);
    void ShowEligibleDescendants(CGridItem* item, COperation& op);
    void EraseRows(int32_t row, int32_t count) noexcept;
    // Deselects the items of the shown rows row .. row + count - 1 (rows
    // about to be hidden by a collapse or the filter leave the selection).
    void DeselectRows(int32_t row, int32_t count, COperation& op);
    void DeselectSubtreeRows(CGridItem* item, COperation& op);
    static void AddToAncestors(CGridItem* from, int32_t delta) noexcept;
    // Takes `item` out of its parent's children (hiding its shown rows);
    // `item` then has no parent and belongs to no children list.
    void Unlink(CGridItem* item, COperation* op);
    static void MoveSubtreeToList(CGridItem* item, CRowList* to);
    static void DestroyChildren(CGridItem* item);
    // Adds `item` to the selection set and flags it selected; false, leaving
    // it unselected, when the set cannot grow.
    bool AddToSelection(CGridItem* item) noexcept;
    // Takes `item` out of the set, if there, and clears its selected flag.
    void RemoveFromSelection(CGridItem* item) noexcept;

    // Behind CGridItem's public operations.
    void Expand(CGridItem* item, bool recursive);
    void Collapse(CGridItem* item, bool recursive);
    bool Select(CGridItem* item, bool select);
    void OnItemRowHeightChanged(CGridItem* item);

    const Kind m_kind;
    IRowListOwner* const m_owner;      // Not owned; outlives this.
    std::unique_ptr<CGridItem> m_root;
    FlatList m_flat; // empty while the root's children serve as the flat list
    uint64_t m_heightVersion = 0; // counts row height changes
    Common::CAddressSet m_selection; // the selected items (not owned), as addresses
    int32_t m_memberCount = 0;
    int32_t m_rowHeight = kDefaultRowHeight;
    bool m_tearingDown = false; // in the destructor: items leave without hiding or notifying
    bool m_shared;              // the root's children are the flat list (see the top of this file)
};

template <class Less>
bool CRowList::SortChildren(CGridItem* parent, Less less)
{
    CGridItem* const node = parent ? parent : m_root.get();
    if (node->m_list != this)
        return false;
    std::vector<CGridItem*> order(node->Children().begin(), node->Children().end());
    std::sort(order.begin(), order.end(), [&](const CGridItem* a, const CGridItem* b) { return less(a, b); });
    return SetChildOrder(node, order);
}

} // namespace Brivel::GUI
