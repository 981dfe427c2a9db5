#pragma once
// IRowFilter: the application's say in which rows a grid hides.
//
// A grid holds at most one filter and does not own it; without one no row is
// hidden. The row lists ask it whenever a row could enter the flat list of
// visible rows (insertion, expansion, re-filtering, a change of the row's data
// object), so IsFiltered must be cheap and must not change the grid (no rows
// added, removed, expanded or selected from inside it).
//
// Thread: GUI thread only (the grid's thread calls it).

namespace Brivel::Common {
class CDataObject;
}

namespace Brivel::GUI {

class CGrid;
class CGridItem;

class IRowFilter {
public:
    // True to hide `item`. `grid` is the grid asking (null for a row list that
    // has no grid, as in tests); `object` is the item's data object or null.
    virtual bool IsFiltered(CGrid* grid, CGridItem* item, Common::CDataObject* object) = 0;

protected:
    IRowFilter() = default;
    IRowFilter(const IRowFilter&) = default;
    IRowFilter& operator=(const IRowFilter&) = default;
    ~IRowFilter() = default;
};

} // namespace Brivel::GUI
