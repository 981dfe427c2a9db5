#pragma once
// CRowDropTarget: a grid as the place dragged rows are dropped on.
//
// Every grid accepts drops from when its window is made until it goes. Qt's
// drag events reach this class through the grid (CGrid::event); tests call
// the same entry points, or send the same events.
//
//   DragEnter  reads what the drag carries (drag_payload.h): rows of this
//              process, or foreign text. Anything else is ignored. A drag
//              taken tells the parent that a drop over the grid started
//              (notification 13), then goes on as DragMove.
//   DragMove   finds the place under the cursor and shows it: the insertion
//              mark (a bar at the top or bottom edge of a row) and the drop
//              arrows at the row's ends; in a sorted list no mark shows, as
//              the rows go to their sorted places. Near the top or bottom
//              edge of the body the body scrolls a row per kScrollMs. The
//              answer (the cursor's) is the importer's action for the place.
//   DragLeave  the mark goes, the scrolling stops, the parent is told that
//              the drop ended (notification 14).
//   Drop       asks the importer once more and does what it answers at the
//              marked place, then ends as DragLeave does.
//
// The place under a point: in the upper half of a row, before that row
// (after its previous sibling); in the lower half, after it, or as the
// first child of an expanded row with children; below the last row, at the
// tail of the body; on the separator band, at the tail of the pinned list.
//
// Rows of this process are trusted only while the active drag session
// vouches for their grid (row_drag_source.h), and each handle only when that
// grid still has the row bound to the recorded data object: rows removed
// while the drag was in flight are left out, and a drag whose source window
// has gone is refused. Dropping rows of this grid onto themselves or into
// their own subtree is refused.
//
// Ownership: holds the importer (deleted at the end when it answers
// IsAutoDelete() true); borrows the host (the grid's; it outlives this).
// Thread: GUI thread only.

#include "gui/dragdrop/drag_payload.h"
#include "gui/dragdrop/drop_importer.h"
#include "gui/paint/paint_host.h"

#include "platform/rect.h"

#include <Qt>

#include <cstdint>
#include <vector>

class QMimeData;

namespace Brivel::GUI {

class CGrid;
class CGridItem;
class IDragDropHost;

class CRowDropTarget {
public:
    /// Between two scroll steps while a drag rests near the body's edges.
    static constexpr uint32_t kScrollMs = 50;
    /// How near (pixels) to the top or bottom edge of the body a drag scrolls.
    static constexpr int32_t kScrollZone = 12;

    /// Borrows the host for its life.
    explicit CRowDropTarget(IDragDropHost& host);
    CRowDropTarget(const CRowDropTarget&) = delete;
    CRowDropTarget& operator=(const CRowDropTarget&) = delete;
    ~CRowDropTarget();

    // ---- Entry points (client coordinates) ----
    /// Each answers the action a drop at the point would take:
    /// Qt::MoveAction, Qt::CopyAction (copy or import), or Qt::IgnoreAction.
    /// DragEnter answers Qt::IgnoreAction, and takes nothing, for a drag it
    /// cannot read.
    Qt::DropAction DragEnter(const QMimeData& data, Platform::CPoint point, Qt::KeyboardModifiers modifiers);
    /// The drag moved to `point`: the mark follows it.
    Qt::DropAction DragMove(Platform::CPoint point, Qt::KeyboardModifiers modifiers);
    /// The drag left the window (or was cancelled): the mark goes.
    void DragLeave();
    /// Carries the drop out; a drop without an enter enters first.
    Qt::DropAction Drop(const QMimeData& data, Platform::CPoint point, Qt::KeyboardModifiers modifiers);
    /// The scroll timer fired.
    void OnScrollTimer();
    /// The window goes: a drop in progress ends (notification 14).
    void Cancel() { DragLeave(); }

    /// Whether a drag is over the grid.
    bool IsDropOver() const { return m_over; }
    /// The mark the rows show; none without a drag over them.
    RowDropMark GetDropMark() const { return m_mark; }

    /// Answers the previous importer, which goes back to the caller; null
    /// restores the shared default one.
    IDropImporter* SetImporter(IDropImporter* importer);
    IDropImporter* GetImporter() const { return m_importer; }

private:
    // Where rows would go (CGrid::Attach's parent and position handles).
    struct Place {
        bool valid = false;
        int32_t kind = 0;              // the list: 1 pinned, 2 body
        CGridItem* parent = nullptr;
        CGridItem* position = nullptr;
        CGridItem* markItem = nullptr; // the row that shows the mark; null: none
        int32_t where = RowDropMark::kNone;
        Platform::CRect markRect;       // that row on screen
    };
    // A decision for the place: the action, the grid the rows come from and
    // the rows of it still there.
    struct Decision {
        DropAction action = DropAction::kRefuse;
        CGrid* source = nullptr;
        std::vector<CGridItem*> rows;
    };

    Place PlaceAt(Platform::CPoint point) const;
    Place Before(CGridItem& item) const;
    Place After(CGridItem& item) const;
    Decision Decide(const Place& place) const;
    // Whether `item` is one of `rows` or lies in the subtree of one.
    static bool IsInRows(const CGridItem* item, const std::vector<CGridItem*>& rows);
    bool IsSorted(int32_t kind) const;
    // Re-reads the place at the last point: mark, scrolling, answer.
    Qt::DropAction Update();
    void ShowMark(const Place& place);
    void UpdateScroll();
    void StopScroll();
    void Perform(const Decision& decision, const Place& place);
    void MoveRows(const std::vector<CGridItem*>& rows, const Place& place);
    CGridItem* CopyRow(CGridItem& row, CGridItem* parent, CGridItem* position);
    static Qt::DropAction QtActionOf(DropAction action);

    IDragDropHost& m_host;      // Not owned; outlives this.
    IDropImporter* m_importer;  // Deleted at the end when it answers IsAutoDelete() true.

    // The drag over the grid.
    bool m_over = false;
    DragPayload m_payload;
    Platform::CPoint m_point;
    Qt::KeyboardModifiers m_modifiers;
    RowDropMark m_mark;
    Platform::CRect m_markRect;     // where the mark was drawn (never read through its item)
    int32_t m_scrollDirection = 0;  // -1 up, +1 down, 0: the timer is off
};

} // namespace Brivel::GUI
