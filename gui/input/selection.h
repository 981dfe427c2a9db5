#pragma once
// CGridSelection: a grid's focus row and the selection of its rows, with the
// operations that read and change them.
//
// Focus is a position: a row index and a list kind (1 pinned, 2 body; 0 and
// -1: none). The lists move it with its item when rows come and go
// (FollowFocus); sorting, filtering and removal from the focused list clear
// it. Selection is a property of items (their selected bit, mirrored by each
// list's selection set); the grid's selected count is the sum of both sets.
//
// What the options say (the host's): selection enabled, multiple selection,
// the selectable-lists mask (where a row may be selected) and the focus mask
// (where a row may take the focus).
//
// Repaints: a row whose selection changes is repainted one pixel into a
// selected neighbour (across the boundary between the lists too), so that
// the frame drawn around a block of selected rows is repainted whole. Ranges
// and select-all are one operation per list (CRowList::SelectRows): a
// million rows cost no repaint or event each.
//
// Ownership: borrows its host, the row layout and the pacer (all the grid's,
// declared before it; they outlive it).
// Thread: GUI thread only.

#include <cstdint>
#include <vector>

namespace Brivel::GUI {

class CGridItem;
class CRepaintPacer;
class CRowLayout;
class CRowList;

// What the selection reads from and tells the grid.
class ISelectionHost {
public:
    // The pinned (1) or body (2) list; null for any other kind.
    virtual CRowList* GetRowList(int32_t kind) const = 0;
    virtual bool IsSelectionEnabled() const = 0; // selection is on
    virtual bool IsMultipleSelection() const = 0; // more than one row may be selected
    virtual int32_t GetSelectableLists() const = 0; // lists (mask bits) in which rows can be selected
    virtual int32_t GetFocusMask() const = 0; // lists (mask bits) in which a row can take the focus
    // Parent notification `code` about `item` (5: the focus moved).
    virtual void NotifyItem(int32_t code, CGridItem& item) = 0;

protected:
    ISelectionHost() = default;
    ISelectionHost(const ISelectionHost&) = default;
    ISelectionHost& operator=(const ISelectionHost&) = default;
    ~ISelectionHost() = default;
};

class CGridSelection {
public:
    // The strategies of GetSelectedItems for one list: gather the selection
    // set and sort it by row, or walk the rows and take the selected ones.
    enum class Gather { kChoose, kSortSet, kWalkRows };
    // Below this many selected items (and with rows enough), sorting the set
    // beats walking the rows.
    static constexpr int32_t kSortSetLimit = 1024;

    // No focus, for the grid behind `host`.
    CGridSelection(ISelectionHost& host, const CRowLayout& layout, CRepaintPacer& pacer)
        : m_host(host), m_layout(layout), m_pacer(pacer)
    {
    }
    CGridSelection(const CGridSelection&) = delete;
    CGridSelection& operator=(const CGridSelection&) = delete;

    // ---- Focus ----
    int32_t GetFocusRow() const { return m_focusRow; } // -1: no focus
    int32_t GetFocusKind() const { return m_focusKind; } // the focus row's list kind; 0: no focus
    // The focus row when the focus is in `kind`, else -1.
    int32_t GetFocusRow(int32_t kind) const { return kind != 0 && kind == m_focusKind ? m_focusRow : -1; }
    // The focused item; null without focus.
    CGridItem* GetFocusItem() const;
    bool IsFocusAllowed(int32_t kind) const; // the focus mask allows the list kind
    // Moves the focus to `row` of `kind` (kind 0 with row -1: no focus):
    // false for a row out of range or a kind outside the focus mask; true
    // when the focus is there afterwards. With `repaint` the old and the new
    // row are repainted. Notification 5 goes for the item at the old focus,
    // then for the item at the new one.
    bool SetFocusRow(int32_t row, int32_t kind, bool repaint);
    // A list keeps the focus on its item: stores the new row silently.
    void FollowFocus(const CRowList& list, int32_t row);
    // Drops the focus silently (sorting, filtering, clearing).
    void ClearFocus()
    {
        m_focusRow = -1;
        m_focusKind = 0;
    }

    // ---- Selection ----
    int32_t GetSelectedCount() const; // selected rows of both lists
    // Appends the selected items of the pinned list (mask bit 1), then of the
    // body list (bit 2), each in display order.
    void GetSelectedItems(std::vector<CGridItem*>& items, int32_t listMask, Gather gather = Gather::kChoose) const;
    bool IsRowSelected(int32_t row, int32_t kind) const; // the shown row of the list kind is selected
    // Selects or deselects the shown row: false for kind 0, a row that is
    // not there, or a selection the options refuse (a list outside the
    // selectable mask, selection off, a second row in single selection).
    bool SelectRow(int32_t row, int32_t kind, bool select);
    // SelectRow at a shown item's row; an item that is not shown can only be
    // deselected. `item` must be an item of the grid's lists.
    bool SelectItem(CGridItem& item, bool select);
    // Selects (or deselects) rows first .. last of one list as one operation;
    // selecting honours the selectable mask. The number of rows changed.
    int32_t SelectRows(int32_t kind, int32_t first, int32_t last, bool select);
    // Selects every row between two positions, whatever their order: the
    // pinned list comes before the body list. Repaints the band between the
    // lists when the range crosses it.
    void SelectRange(int32_t fromKind, int32_t fromRow, int32_t toKind, int32_t toRow);
    // Every row of the selectable lists; only with selection and multiple
    // selection on.
    bool SelectAll();
    void ClearSelection(); // deselects every row of both lists

private:
    CRowList* ListOfKind(int32_t kind) const;
    bool IsSelectable(int32_t kind) const;
    // The row before (-1) or after (+1) `row` of `kind`, across the boundary
    // between the lists; false when there is none.
    bool Neighbour(int32_t kind, int32_t row, int32_t step, int32_t& neighbourKind, int32_t& neighbourRow) const;
    void InvalidateRow(int32_t kind, int32_t row, bool intoSelectedNeighbours);
    void InvalidateBoundary();
    static void GatherList(const CRowList& list, std::vector<CGridItem*>& items, Gather gather);

    ISelectionHost& m_host;     // Not owned; outlives this.
    const CRowLayout& m_layout; // Not owned; outlives this.
    CRepaintPacer& m_pacer;     // Not owned; outlives this.

    int32_t m_focusRow = -1;
    int32_t m_focusKind = 0;
};

} // namespace Brivel::GUI
