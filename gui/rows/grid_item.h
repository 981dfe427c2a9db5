#pragma once
// CGridItem: one node of a grid's row tree, and the handle users hold for a
// row.
//
// An item may carry one bound data object (never owned: the process-wide
// CDataObjectRegistry records which items show which object, so that a change
// of the object reaches them and its destruction removes them). It has a
// parent and ordered children, belongs to one row list (row_list.h), and is
// shown while it has an entry in its list's flat list of visible rows.
//
// The item is its own row entry: it is in its parent's children through one
// intrusive hook and in its list's flat list through another (both
// CIndexedList, common/indexed_list.h), so a row's index, the child at an
// index and the index of a child are all O(log n), with no renumbering and no
// entry allocated per shown row. While the list's rows are its root's
// children, a top-level item is in no flat list of its own (row_list.h);
// IsShown() is the shown flag, kept by the list in either case.
//
// Lifecycle: an item is created in the process-wide detached list (Create),
// inserted under a parent of a grid's list (CRowList::InsertChild), shown and
// hidden any number of times by expansion and filtering, possibly detached
// again (CRowList::DetachItem), and finally destroyed (CRowList::DestroyItem),
// which destroys its subtree too. Destruction unbinds the data object,
// deselects, hides the item's shown rows, leaves the parent and the list, and
// destroys the children (iteratively: a deep chain does not exhaust the stack).
//
// Ownership: the detached list owns the items at its top level, every item
// owns its children, a row list owns its root. Users hold plain pointers as
// handles. The grid's operations look every handle up in the set of live
// items (live_items.h) before they follow it, so a handle of a destroyed item
// is refused there; the item's own methods cannot check it.
//
// Highlight state (what OnDataChanged records, what the paint pass reads): a
// small vector of {field id, last change time, expiry} sorted by field id,
// made on the first change (a grid holds 100 000 items and more, most never
// changed), with the row's own change time and highlight expiry in a record
// of their own before the fields'. It shares a block with the cached sort
// values (row_extras.h). Times are on the process clock
// (common/process_clock.h); -1 means never / none.
//
// Thread: GUI thread only, except GetDataObject (any thread; the registry may
// clear it from another thread when an object is destroyed at shutdown).

#include "common/field_value.h"
#include "common/indexed_list.h"
#include "gui/rows/row_extras.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <vector>

namespace Brivel::Common {
class CDataObject;
}

namespace Brivel::GUI {

class CDataObjectRegistry;
class CGrid;
class CRowList;

// One field's highlight state on one row.
struct HighlightRecord {
    int32_t fieldId = 0; // the field the record is about
    int32_t lastChangeTime = -1; // process clock ms
    int32_t expiry = -1;         // process clock ms, -1 none

    // Member-wise equality.
    friend bool operator==(const HighlightRecord&, const HighlightRecord&) = default;
};
static_assert(sizeof(HighlightRecord) == 12);

class CGridItem {
private:
    // Declared first: the children list type names the hook.
    Common::CIndexedListHook m_childHook; // in the parent's children (detached top level: the detached root's)
    Common::CIndexedListHook m_flatHook;  // in the list's flat list while shown (unlinked while the list shares rows)

public:
    // The children of an item, in display order.
    using ChildList = Common::CIndexedList<CGridItem, &CGridItem::m_childHook>;

    static constexpr int32_t kSortValueCount = 5; // sort value slots, one per sort level
    static constexpr int32_t kNever = -1; // a time that never was: no change, no expiry
    static constexpr int32_t kAllFields = -1;  // field id: every field changed
    static constexpr int32_t kNoFieldSet = -2; // field id: changed, record no time

    // Creates an item in the detached list, bound to `object` (null: none).
    // The detached list owns it until it is inserted; the pointer is the
    // item's handle. An object that is being destroyed is not bound.
    static CGridItem* Create(Common::CDataObject* object = nullptr);
    // The same for an item of a derived class, handed over by its creator.
    static CGridItem* Adopt(std::unique_ptr<CGridItem> item, Common::CDataObject* object = nullptr);

    // Only the grid can make this key (see CreateForInsertion).
    class CInsertionKey {
        friend class CGrid;
        CInsertionKey() = default;
    };
    // For the grid's own adds: an item in no list, bound to `object`; the
    // caller inserts it into a list (CRowList::InsertChild) or destroys it
    // before anything else can see it. It saves the new row the detached
    // list's insertion and removal.
    static CGridItem* CreateForInsertion(Common::CDataObject* object, CInsertionKey);

    CGridItem(const CGridItem&) = delete;
    CGridItem& operator=(const CGridItem&) = delete;

    // Items of this class's size live in the item pool (item_pool.h: no heap
    // block per row, huge pages, a handle check without a hash lookup);
    // larger ones, of derived classes, on the heap.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;
    static void* operator new(std::size_t size, std::align_val_t alignment) // over-aligned derived classes
    {
        return ::operator new(size, alignment);
    }
    static void operator delete(void* block, std::size_t size, std::align_val_t alignment) noexcept // their pair
    {
        ::operator delete(block, size, alignment);
    }
    static void* operator new(std::size_t, void* place) noexcept { return place; } // placement, as the global one
    static void operator delete(void*, void*) noexcept {} // its pair

    // Destroys the subtree too. Prefer CRowList::DestroyItem, which refuses
    // a root.
    virtual ~CGridItem();

    // ---- Data object ----
    // Thread: any thread (see the top of this file).
    Common::CDataObject* GetDataObject() const noexcept { return m_dataObject.load(std::memory_order_acquire); }
    // Rebinds: unbinds the old object, binds the new one; nothing happens
    // when it is unchanged. False, leaving the item without an object, when
    // the new object is already being destroyed.
    bool SetDataObject(Common::CDataObject* object);
    // Unbinds the data objects of this item and its whole subtree.
    void DetachDataObjects();

    // ---- Tree ----
    // The parent: the list's root for a top-level row; null for a root and
    // for an item at the top of the detached list.
    CGridItem* GetParent() const noexcept { return m_parent; }
    // The list the item belongs to (null only for an item created after the
    // detached list was torn down at exit).
    CRowList* GetRowList() const noexcept { return m_list; }
    // 0 for the detached list (or none), 1 pinned, 2 body.
    int32_t GetListKind() const noexcept;
    // In a grid's pinned or body list.
    bool IsAttached() const noexcept { return GetListKind() != 0; }
    // The root of a row list (its rows are the root's children).
    bool IsRoot() const noexcept { return (m_flags & kRootFlag) != 0; }

    // The number of children.
    int32_t GetChildCount() const noexcept { return Children().Size(); }
    // The child at `index`; null when out of range.
    CGridItem* GetChild(int32_t index) const noexcept { return Children().At(index); }
    // The index of `child` among the children; -1 when it is not a child.
    int32_t GetChildIndex(const CGridItem* child) const noexcept { return Children().IndexOf(child); }
    // The children in display order (iterable; do not change the tree while
    // iterating).
    const ChildList& GetChildren() const noexcept { return Children(); }
    // Calls visit(CGridItem*) for every descendant in pre-order (display
    // order), descending into an item's children only when visit returns
    // true. Iterative: any depth. visit may change flat lists and item state,
    // not children lists.
    template <class Visit>
    void ForEachDescendant(Visit&& visit) const;

    // ---- State ----
    // The item has a row in its list's flat list of visible rows.
    bool IsShown() const noexcept { return (m_flags & kShownFlag) != 0; }
    // Its children are shown when it is.
    bool IsExpanded() const noexcept { return (m_flags & kExpandedFlag) != 0; }
    // The row is selected.
    bool IsSelected() const noexcept { return (m_flags & kSelectedFlag) != 0; }
    // The row filter hid the item when it was last asked about it.
    bool IsFilteredOut() const noexcept { return (m_flags & kFilteredFlag) != 0; }
    // Flat-list entries in the subtree below this item (0 when not shown).
    int32_t GetVisibleDescendantCount() const noexcept { return m_visibleDescendants; }
    // The last row of the item's shown subtree (the item itself when nothing
    // below it is shown); null when the item is not shown.
    CGridItem* GetLastShownDescendant() const noexcept;

    // Expansion and selection; see CRowList for the rules and notifications.
    void Expand(bool recursive = false);
    // Hides the children (with `recursive`, collapses the descendants too).
    void Collapse(bool recursive = false);
    // True when the selected state changed.
    bool Select(bool select);

    // Row height in pixels, copied from the list when the item joins it.
    int32_t GetRowHeight() const noexcept { return m_rowHeight; }
    // False, changing nothing, outside 1 .. CRowList::kMaxRowHeight.
    bool SetRowHeight(int32_t height);

    // ---- Sort values ----
    // Slot k holds the item's value for sort key k of its list; the grid
    // sizes and fills them, so that a row of an unsorted list holds none.
    std::span<Common::CFieldValue> GetSortValues() noexcept { return m_extras.SortValues(); }
    std::span<const Common::CFieldValue> GetSortValues() const noexcept { return m_extras.SortValues(); }
    // Gives the item `count` slots (at most kSortValueCount), keeping the
    // values when the count is unchanged and clearing them otherwise; 0 frees
    // them. Throws std::bad_alloc, leaving the slots as they were.
    void ResizeSortValues(size_t count);

    // ---- Change and highlight state ----
    // Starts loading the highlight records a change will look up; a hint
    // for a run of deliveries, changing nothing.
    void PrefetchChangeState() const noexcept { __builtin_prefetch(m_extras.Address()); }
    // The item step of a data change, on the process clock: a real field id
    // records the field's change time (one record per field, the latest
    // change); kAllFields sets the row change time; kNoFieldSet records
    // nothing. Then, for an attached item with a parent, the owner of its
    // list runs the grid's step (IRowListOwner::OnItemDataChanged).
    void OnDataChanged(int32_t fieldId);
    // The same at `now`, the process clock as the caller read it (once for
    // a run of deliveries: reading the clock costs more than a change's
    // record).
    void OnDataChanged(int32_t fieldId, int32_t now);

    // Age in ms of the field's last change at `now` (kAllFields or
    // kNoFieldSet: the row's), falling back to the row's age when the field
    // has no record; -1 when never changed.
    int32_t GetChangeAge(int32_t fieldId, int32_t now) const noexcept;

    // The fields' records, sorted by field id; the grid resets expiries in
    // place. (The row's own record, when it has one, comes before them and
    // is not part of this span.)
    std::span<HighlightRecord> GetHighlightRecords() noexcept { return FieldRecords(); }
    std::span<const HighlightRecord> GetHighlightRecords() const noexcept { return FieldRecords(); }
    // The field's record; null when it has none.
    HighlightRecord* FindHighlightRecord(int32_t fieldId) noexcept;
    const HighlightRecord* FindHighlightRecord(int32_t fieldId) const noexcept;
    // Sets the field's last change time to `now`, inserting {fieldId, now,
    // -1} when it has no record. Null only when the item already holds
    // kMaxHighlightRecords records.
    HighlightRecord* RecordFieldChange(int32_t fieldId, int32_t now);
    // Sets the field's highlight expiry, inserting {fieldId, now, expiry}
    // when it has no record. Null as for RecordFieldChange.
    HighlightRecord* SetFieldHighlightExpiry(int32_t fieldId, int32_t now, int32_t expiry);

    // The row's last change time (process clock ms; kNever: none). Kept in
    // the row's own highlight record, made by the first time or expiry set
    // (so a row that never changes as a whole carries none); a row that
    // already holds kMaxHighlightRecords field records keeps none. Setting
    // throws std::bad_alloc when the record cannot be made.
    int32_t GetRowChangeTime() const noexcept { return HasRowRecord() ? m_extras.Records()[0].lastChangeTime : kNever; }
    void SetRowChangeTime(int32_t time) { SetRowTime(&HighlightRecord::lastChangeTime, time); } // see the getter
    // When the row's highlight ends (process clock ms; kNever: none); kept
    // as the change time is.
    int32_t GetRowHighlightExpiry() const noexcept { return HasRowRecord() ? m_extras.Records()[0].expiry : kNever; }
    void SetRowHighlightExpiry(int32_t time) { SetRowTime(&HighlightRecord::expiry, time); } // see the getter

    static constexpr int32_t kMaxHighlightRecords = UINT16_MAX; // the most field records an item holds

protected:
    CGridItem();

private:
    friend class CRowList;
    friend class CDataObjectRegistry;

    enum : uint8_t {
        kExpandedFlag = 1 << 0,
        kSelectedFlag = 1 << 1,
        kFilteredFlag = 1 << 2,
        kRootFlag = 1 << 3,
        kRowRecordFlag = 1 << 4, // the first highlight record is the row's own
        kChildrenFlag = 1 << 5,  // the item has a children list (its address in m_extras)
        kShownFlag = 1 << 6,     // the item is a row of its list (in the flat list, or a root child while shared)
    };

    // The row record's field id: it sorts before every field's, and no
    // search by field id looks at it (FieldRecords leaves it out).
    static constexpr int32_t kRowRecordField = INT32_MIN;

    // The children; a shared empty list while the item has never had any
    // (read without touching the extras block).
    const ChildList& Children() const noexcept
    {
        return (m_flags & kChildrenFlag) != 0 ? *static_cast<const ChildList*>(m_extras.Children()) : kNoChildren;
    }
    // The children list, which the item must have (EnsureChildren).
    ChildList& OwnChildren() noexcept { return *static_cast<ChildList*>(m_extras.Children()); }
    // Makes the children list if there is none; false when it cannot be had.
    bool EnsureChildren() noexcept;
    void FreeChildren() noexcept; // the children list, emptied already, goes
    static const ChildList kNoChildren;

    bool HasRowRecord() const noexcept { return (m_flags & kRowRecordFlag) != 0; }
    std::span<HighlightRecord> FieldRecords() const noexcept
    {
        const size_t row = HasRowRecord() ? 1 : 0;
        return {m_extras.Records() + row, static_cast<size_t>(m_extras.RecordCount()) - row};
    }
    // The row's record, made (with kNever times) when it has none; null when
    // the item holds kMaxHighlightRecords records already.
    HighlightRecord* RowRecord();
    // Sets one time of the row's record (SetRowChangeTime, SetRowHighlightExpiry).
    void SetRowTime(int32_t HighlightRecord::*which, int32_t time);

    // Drops the binding of an object that is being destroyed without calling
    // back into it; the registry erases the pair itself. Thread: any thread,
    // under the registry's lock.
    void ClearDisposedDataObject() noexcept { m_dataObject.store(nullptr, std::memory_order_release); }

    // Inserts a field's `record` (it has none yet) at its place by field id.
    HighlightRecord* InsertFieldRecord(const HighlightRecord& record);
    // Inserts `record` at `slot` of the records, growing their room.
    HighlightRecord* InsertHighlightRecord(size_t slot, const HighlightRecord& record);

    std::atomic<Common::CDataObject*> m_dataObject{nullptr}; // Not owned; bound through the registry.
    CGridItem* m_parent = nullptr;    // Not owned; owns this.
    CRowList* m_list = nullptr;       // Not owned.
    int32_t m_visibleDescendants = 0; // flat entries below this item
    int16_t m_rowHeight = 14;         // 1 .. CRowList::kMaxRowHeight
    uint8_t m_flags = 0;
    // Sort values while the list is sorted, highlight records once changed,
    // and the address of the children list (owned items in display order,
    // made with the first child, owned by this item) once it has had one.
    CRowExtras m_extras;
};

template <class Visit>
void CGridItem::ForEachDescendant(Visit&& visit) const
{
    if (Children().Empty())
        return;
    std::vector<ChildList::ConstIterator> stack; // one iterator per level below this item
    stack.push_back(Children().begin());
    while (!stack.empty()) {
        ChildList::ConstIterator& next = stack.back();
        if (next == ChildList::ConstIterator()) {
            stack.pop_back();
            continue;
        }
        CGridItem* const item = *next;
        ++next; // before the push below moves the stack
        if (visit(item) && !item->Children().Empty())
            stack.push_back(item->Children().begin());
    }
}

// Every row of every grid is one of these, and a benchmark grid holds a
// million: growing the item is a decision, not an accident. 64 bytes, one
// cache line (a cell of the item pool, item_pool.h): the vtable, two hooks,
// four pointers (one to the parts made only when the row needs them: the
// sort values, the highlight records and their count, the children list's
// address) and 8 bytes of counts and flags. The selection is a set in the
// list.
static_assert(sizeof(CGridItem) <= 64, "CGridItem is allocated per row; keep it small");

} // namespace Brivel::GUI
