#pragma once
// CHeader: owns a grid's columns and answers every question the grid and the
// painters ask about them: the columns in their order, which are visible and
// in what order, how many leading visible columns are fixed (they do not
// scroll horizontally), where each visible column lies, which column is
// under an x coordinate, the header strip's height, font and image list, the
// focus column, the search column and the sort levels (at most five).
//
// Index spaces, always named: an index is a position in the column order
// (every column); a visible index is a position among the visible columns,
// in column order. The fixed column count counts visible positions, so
// hiding a fixed column moves the next visible column into the fixed area.
//
// Geometry: each visible column occupies [left, right) in header
// coordinates, left to right from 0, width pixels wide (a column of width 0
// or less occupies none and is never hit). The fixed width is the sum of the
// fixed visible columns' widths, the scrollable width that of the others. In
// window coordinates a scrollable column is shifted left by the window's
// horizontal scroll position (read from an IHorizontalScrollSource).
//
// Notifications (CHeader::INotify, codes below) go to every subscriber after
// each change, on the thread that made it, with no lock of the header held.
// Column changes reach the header as CColumn::INotify codes: a width change
// relays out and sends kColumnWidthChanged, a visibility change rebuilds and
// sends kColumnVisibilityChanged, other codes send kColumnChanged, and a
// column destroyed by someone else while the header owns it is dropped from
// the header (kColumnRemoved) instead of being left dangling.
//
// Stored form (CArchive, little-endian; flags one byte):
//   int32 version (1); int32 column count; per column a class reference
//   followed by the column's own form (column.h); int32 fixed column count;
//   int32 height; flag sorting enabled; flag multi-level sorting enabled;
//   int32 sort level count and each CSortInfo's form; flag fixed columns
//   movable; flag scrollable columns movable; the third flag; int32 search
//   column.
// Loading: a version above 1 raises CArchiveException kBadSchema (7); one of
// 0 or less reads nothing more. A column class that is not registered is
// loaded into a temporary CColumn and dropped; a registered one is created,
// loads itself and is added (AddColumn: one it refuses is dropped); a stored
// class that is not a column, cannot be created, or is the null reference
// raises kBadClass (6), a newer schema of a known class kBadSchema. The whole
// form is read first, so a load that raises leaves the header unchanged;
// only then are the old columns removed (kColumnRemoved each) and the new
// ones added (kColumnAdded each), the fixed count, height, flags and search
// column taken (kFixedCountChanged, kHeightChanged when they differ,
// kSortChanged when old sort levels are dropped), and each stored sort level
// applied with SetSortInfo (at most five; further stored levels are read and
// ignored).
//
// Ownership: the header owns its columns (from AddColumn until they are
// removed) and borrows its subscribers and its image list. A removed
// column is destroyed after its kColumnRemoved delivery, at once unless
// another operation of this header is still using it (an enclosing
// notification, or another thread showing it): then when that operation ends.
// Pointers to columns handed out stay valid until the column is removed.
// Destruction: RemoveAllColumns (kColumnRemoved to the subscribers, then each
// column destroyed), then the state. A header must not be destroyed from
// inside one of its own notifications.
//
// Thread: any thread. Every operation holds the state lock for its reads
// and changes; the scroll source is asked with no header lock held.
//
// Virtual operations are declared in their slot order (0 is the destructor,
// 1 IsAutoDelete, then 2-54 as below); keep it when editing.

#include "gui/grid/auto_delete.h"
#include "gui/header/column.h"
#include "gui/header/sort_info.h"

#include "platform/rect.h"
#include "platform/runtime_class.h"

#include <QFont>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace Brivel::Platform {
class CImageList;
}

namespace Brivel::GUI {

class IHorizontalScrollSource;

class CHeader : public IAutoDelete, public Platform::CObject {
public:
    static constexpr int32_t kMaxSortLevels = 5; // the most sort levels a header keeps
    static constexpr int32_t kDefaultHeight = 20; // the strip's height in pixels until one is set or loaded
    static constexpr int32_t kVersion = 1; // the version of the stored form this code writes and reads

    // Subscriber interface. column is null for the codes about the whole header.
    class INotify {
    public:
        // The notification codes.
        static constexpr int32_t kColumnAdded = 0;
        static constexpr int32_t kColumnRemoved = 1; // sent before the column is destroyed
        static constexpr int32_t kColumnWidthChanged = 2;
        static constexpr int32_t kColumnChanged = 3; // another column attribute
        static constexpr int32_t kColumnVisibilityChanged = 4;
        static constexpr int32_t kColumnMoved = 5;
        static constexpr int32_t kFixedCountChanged = 6;
        static constexpr int32_t kSortChanged = 7;
        static constexpr int32_t kHeightChanged = 9;
        static constexpr int32_t kFontChanged = 10;
        static constexpr int32_t kImageListChanged = 11;

        // Called after each change, on the changing thread, with no header lock
        // held; `column` is null for the codes about the whole header.
        virtual void OnHeaderChanged(CHeader* header, CColumn* column, int32_t code) = 0;

    protected:
        INotify() = default;
        INotify(const INotify&) = default;
        INotify& operator=(const INotify&) = default;
        virtual ~INotify() = default;
    };

    // autoDelete is the answer of IsAutoDelete. Creation by class name
    // (loading) uses true.
    explicit CHeader(bool autoDelete = true);
    CHeader(const CHeader&) = delete;
    CHeader& operator=(const CHeader&) = delete;

    ~CHeader() override;                                                        // 0
    bool IsAutoDelete() const override;                                         // 1 // as constructed: whether the grid deletes the header

    // Takes the column when it is not null, its identifier is neither -1 nor
    // -2, and no column of the header carries that identifier: appends it,
    // subscribes to it, sends kColumnAdded; true. Refused: false, and the
    // column stays with the caller.
    virtual bool AddColumn(std::unique_ptr<CColumn>&& column);                   // 2
    // False for -1, -2 or an absent identifier. Otherwise clears the focus
    // column when it is this one, removes it, sends kColumnRemoved and
    // destroys it (see Ownership); true.
    virtual bool RemoveColumn(int32_t id);                                       // 3
    // Removes every column as RemoveColumn does, in order.
    virtual void RemoveAllColumns();                                             // 4
    // The number of columns.
    virtual int32_t GetColumnCount() const;                                      // 5
    virtual int32_t GetVisibleColumnCount() const;                               // 6 (the visible columns)
    // When different: stores it (a negative count is taken as 0), rebuilds,
    // sends kFixedCountChanged.
    virtual void SetFixedColumnCount(int32_t count);                             // 7
    virtual int32_t GetFixedColumnCount() const;                                 // 8 (the fixed column count)
    // The column is visible and its visible index is below the fixed count.
    virtual bool IsFixed(int32_t id) const;                                      // 9
    // False when absent. When hidden: shows it through the column (whose own
    // notification makes this header send kColumnVisibilityChanged), then
    // rebuilds and sends kColumnVisibilityChanged again; true.
    virtual bool ShowColumn(int32_t id);                                         // 10
    // The same, hiding.
    virtual bool HideColumn(int32_t id);                                         // 11
    // Whether the user may move columns of the fixed area.
    virtual bool AreFixedColumnsMovable() const;                                 // 12
    virtual bool AreScrollableColumnsMovable() const;                            // 13 (the same for the scrollable area)
    // A reserved flag: stored and offered, with no further meaning.
    virtual bool GetThirdFlag() const;                                           // 14
    // Sets whether columns of the fixed area may move.
    virtual void SetFixedColumnsMovable(bool movable);                           // 15
    virtual void SetScrollableColumnsMovable(bool movable);                      // 16 (see AreScrollableColumnsMovable)
    virtual void SetThirdFlag(bool value);                                       // 17 (see GetThirdFlag)
    // Moves the column to just before (after) the target in the column
    // order; sends kColumnMoved; true. False, changing nothing, for the same
    // identifier twice, an absent column or target, or when the moved or the
    // target column is visible and its area (fixed or scrollable) does not
    // allow moves. Hidden columns impose no condition.
    virtual bool MoveColumnBefore(int32_t id, int32_t targetId);                 // 18
    // As MoveColumnBefore, after the target.
    virtual bool MoveColumnAfter(int32_t id, int32_t targetId);                  // 19
    // Before the column at index; index == column count: after the last.
    virtual bool MoveColumnTo(int32_t id, int32_t index);                        // 20
    // The same in visible positions.
    virtual bool MoveColumnToVisible(int32_t id, int32_t visibleIndex);          // 21
    // The column at an index; null when out of range.
    virtual CColumn* GetColumn(int32_t index) const;                             // 22
    virtual CColumn* GetVisibleColumn(int32_t visibleIndex) const;               // 23 (the same by visible index)
    // The column with the identifier; null when there is none.
    virtual CColumn* FindColumn(int32_t id) const;                               // 24
    virtual CColumn* FindVisibleColumn(int32_t id) const;                        // 25 (the same, visible columns only)
    virtual int32_t GetColumnIndex(int32_t id) const;                            // 26 (-1: absent)
    virtual int32_t GetVisibleIndex(int32_t id) const;                           // 27 (-1: absent or hidden)
    // The first column; null when there is none.
    virtual CColumn* GetFirstColumn() const;                                     // 28
    virtual CColumn* GetFirstVisibleColumn() const;                              // 29 (the first visible column; null: none)
    virtual CColumn* GetLastColumn() const;                                      // 30 (the last column; null: none)
    virtual CColumn* GetLastVisibleColumn() const;                               // 31 (the last visible column; null: none)
    // The visible column under x (window coordinates): below the fixed width
    // the first column whose right edge exceeds x; at or right of it the same
    // for x plus the window's scroll position. Null right of the last column,
    // and at or right of the fixed width when window is null or cannot tell
    // its scroll position.
    virtual CColumn* HitTest(const IHorizontalScrollSource* window, int32_t x) const;    // 32
    // The column's rectangle in window coordinates: left and right of its
    // layout, top 0, bottom the height; a scrollable column (left at or right
    // of the fixed width) shifted left by the scroll position (0 when window
    // is null or cannot tell). An identifier not laid out (absent or hidden)
    // gives (0, 0, 0, height).
    virtual Platform::CRect GetColumnRect(const IHorizontalScrollSource* window, int32_t id) const;        // 33
    // GetColumnRect with a scrollable column's left and right raised to at
    // least the fixed width, so that it never reaches into the fixed area.
    virtual Platform::CRect GetClippedColumnRect(const IHorizontalScrollSource* window, int32_t id) const; // 34
    // The header strip's height in pixels.
    virtual int32_t GetHeight() const;                                           // 35
    // When different: stores it (no range check) and sends kHeightChanged.
    virtual void SetHeight(int32_t height);                                      // 36
    // The width of the fixed visible columns.
    virtual int32_t GetFixedWidth() const;                                       // 37
    virtual int32_t GetScrollableWidth() const;                                  // 38 (the scrollable visible columns' width)
    // The visible index of the column keyboard type-ahead searches in.
    virtual void SetSearchColumn(int32_t visibleIndex);                          // 39
    virtual int32_t GetSearchColumn() const;                                     // 40 (the search column's visible index)
    // The focus column when it is set and visible, else the first visible
    // column (null when none is visible).
    virtual CColumn* GetFocusColumn() const;                                     // 41
    // The focus column becomes the visible column with that identifier, or
    // none; whether there was one. No notification.
    virtual bool SetFocusColumn(int32_t id);                                     // 42
    // Disabling first clears the sort levels (kSortChanged when there were any).
    virtual void EnableSorting(bool enable);                                     // 43
    virtual bool IsSortingEnabled() const;                                       // 44 (a click on a header cell sorts)
    // Disabling with more than one level first clears them all (one kSortChanged).
    virtual void EnableMultiSort(bool enable);                                   // 45
    virtual bool IsMultiSortEnabled() const;                                     // 46 (more than one sort level is allowed)
    // Ignored when sorting is disabled, when multi-level sorting is disabled
    // and level is not 0, and when level is outside 0..4 or above the level
    // count. level == count appends; a lower level is replaced when it
    // differs. Any change sends kSortChanged.
    virtual void SetSortInfo(int32_t level, const CSortInfo& info);              // 47
    // A copy; {-2, ascending} for a level that does not exist.
    virtual CSortInfo GetSortInfo(int32_t level) const;                          // 48
    // The number of sort levels (0-5).
    virtual int32_t GetSortLevelCount() const;                                   // 49
    // Empties the sort levels; kSortChanged when there were any.
    virtual void ClearSort();                                                    // 50
    // The header strip's font; none means the grid's font. Sends
    // kFontChanged every time; answers the previous font.
    virtual std::optional<QFont> SetFont(std::optional<QFont> font);            // 51
    virtual std::optional<QFont> GetFont() const;                                // 52
    // The images drawn beside the captions (borrowed; must outlive its use
    // here). Sends kImageListChanged every time; answers the previous list.
    virtual Platform::CImageList* SetImageList(Platform::CImageList* imageList); // 53
    virtual Platform::CImageList* GetImageList() const;                          // 54

    // Subscribes; a null pointer or one already subscribed is ignored.
    void Advise(INotify* subscriber);
    // Unsubscribes when subscribed; a notification being delivered on another
    // thread no longer calls it once its turn comes.
    void Unadvise(INotify* subscriber);
    // The same, then waits until no other thread is inside a call to it, so
    // that the subscriber may be destroyed. Only where such a call cannot be
    // waiting for the caller (see CSubscriberList::RemoveAndWait).
    void UnadviseAndWait(INotify* subscriber);

    // Stores or loads the form in the class comment.
    void Serialize(Platform::CArchive& ar) override;

    // Empty when the derived state (visible list, identifier lookup, layout,
    // right edges, widths) is what a rebuild from the columns gives, else a
    // description of the first difference.
    std::string CheckInvariantsForTesting() const;

    BRIVEL_DECLARE_RUNTIME_CLASS(CHeader)

private:
    struct Impl;
    friend struct Impl;

    void Store(Platform::CArchive& ar) const;
    void Load(Platform::CArchive& ar);

    std::unique_ptr<Impl> m_impl;
};

} // namespace Brivel::GUI
