#pragma once
// IRowListOwner: what a row list (row_list.h) needs from the grid that owns it,
// and the item notification codes the grid reports to its parent window.
//
// The row tree is built so that it works without a grid window: the grid
// implements this interface for its pinned and body lists, and tests fake it.
// The process-wide detached list has no owner; lists without an owner notify
// nobody, have selection enabled with multiple selection, no filter and no
// focus.
//
// Order of calls within one row-list operation: the structure is brought to
// its final state first; then the focus is moved (SetFocusRow) so that it
// stays on its item, then OnRowsChanged reports the affected rows once, then
// the item notifications follow in tree order. A handler may change the tree
// again; rows it destroys are not reported afterwards.
//
// Ownership: the grid owns its lists; a list borrows its owner, which must
// outlive it (the list calls nothing on its owner from its destructor).
//
// Thread: GUI thread only.

#include <cstdint>

namespace Brivel::GUI {

class CGrid;
class CGridItem;
class CRowList;
class IRowFilter;

// Item event codes of the grid's parent-window notifications. The row lists
// raise 6, 7, 8 and 9; the others belong to the grid's own operations.
enum ItemNotification : int32_t {
    kNotifyItemAdded = 0,
    kNotifyItemRemoving = 1,       // about to be removed, children before parents
    kNotifyItemMoved = 2,          // moved by re-sorting
    kNotifyItemAttached = 3,
    kNotifyItemDetached = 4,
    kNotifyFocusMoved = 5,
    kNotifySelectionChanged = 6,
    kNotifyExpandedChanged = 7,
    kNotifyFilterChanged = 8,      // shown or hidden by the row filter
    kNotifyItemShown = 9,          // entered the flat list of visible rows
    kNotifyDataChanged = 10,
};

// "Through the end of the list": the lastRow of OnRowsChanged when rows were
// inserted or removed, so every row from firstRow on moved.
inline constexpr int32_t kThroughLastRow = -1;

class IRowListOwner {
public:
    // Parent-window notification `code` (ItemNotification) about `item`, an
    // item of one of the owner's lists (never a root).
    virtual void NotifyItem(int32_t code, CGridItem& item) = 0;
    // Whether NotifyItem reaches anyone; a list records no notification
    // while it does not.
    virtual bool IsNotifyingItems() const { return true; }

    // Rows firstRow .. lastRow of `list` changed (lastRow kThroughLastRow:
    // through the end, because rows were inserted or removed): the grid
    // recomputes scrolling and layout and repaints those rows.
    virtual void OnRowsChanged(CRowList& list, int32_t firstRow, int32_t lastRow) = 0;

    // Repaint `item`'s row (its expand button, its selection state).
    virtual void InvalidateItem(CGridItem& item) = 0;

    // The focus row when the focus is in `list`, else -1.
    virtual int32_t GetFocusRow(const CRowList& list) const = 0;
    // Moves the focus to `row` of `list`; -1 clears it.
    virtual void SetFocusRow(CRowList& list, int32_t row) = 0;

    // The grid's selection options, and whether any of its items is selected
    // (single selection selects only when none is).
    virtual bool IsSelectionEnabled() const = 0;
    virtual bool IsMultipleSelection() const = 0; // more than one item may be selected
    virtual bool HasSelection() const = 0;        // an item of the grid is selected

    // The row filter (null: none) and the grid that hands it to IsFiltered
    // (null when the owner is not a grid).
    virtual IRowFilter* GetRowFilter() const = 0;
    virtual CGrid* GetGrid() const = 0; // null when the owner is not a grid

    // The grid's step of a data change of `item` (an attached item with a
    // parent): re-filter, re-sort, invalidate, notify. See
    // CGridItem::OnDataChanged.
    virtual void OnItemDataChanged(CGridItem& item, int32_t fieldId) = 0;

    // The data object of `item` is being destroyed: remove the row as the
    // grid's Remove does (it destroys the item, and with it the binding). When
    // the item is still bound afterwards, the registry clears the binding
    // itself, so that no row keeps the object.
    virtual void RemoveItemOfDisposedObject(CGridItem& item) = 0;

protected:
    IRowListOwner() = default;
    IRowListOwner(const IRowListOwner&) = default;
    IRowListOwner& operator=(const IRowListOwner&) = default;
    ~IRowListOwner() = default;
};

} // namespace Brivel::GUI
