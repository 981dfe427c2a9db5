#pragma once
// CRowMouse: the left mouse button on the rows.
//
// A press, after the header and in-place editing have declined it:
//   1. on the expand button of a tree row (a row with children, in the
//      header's focus column, the square at the row's indentation level,
//      with the tree-indentation paint bit set): toggles the row, then the
//      focus follows its item when that is still shown, else it is cleared;
//   2. plain: the selection is cleared, the row under the point selected and
//      focused (below the rows: no focus);
//   3. with Shift (multiple selection on and a focus row present): the
//      selection becomes the range from the focus row to the row under the
//      point, or to the last row of that list below the rows;
//   4. with Ctrl: the row takes the focus and its selection toggles;
//   5. the press (list kind and point) is remembered for drag detection.
//
// Dragging with the button held (beyond the press rules, as users expect):
// the selection follows the range from the pressed row to the row under the
// cursor; when the cursor leaves the body above or below, the body scrolls a
// row per tick (kDragScrollMs) and the range follows. The remembered press
// moves with the scrolled pixels, so that it stays on its row.
//
// Row drag (with a drag starter set and its row drag enabled): a plain press
// on a row that is already selected keeps the selection, so that all of it
// can be dragged; once the cursor is more than the starter's threshold away
// from the remembered press, the starter drags the selected rows. A release
// before that is a plain click after all (the selection becomes that row). A
// press on an unselected row drag-selects as above.
//
// Ownership: borrows its host, the selection, the layout, the timer host
// and the drag starter (the grid's; they outlive it).
// Thread: GUI thread only.

#include "gui/grid/timer_host.h"
#include "gui/paint/paint_format.h"

#include "platform/rect.h"

#include <Qt>

#include <cstdint>
#include <span>

namespace Brivel::GUI {

class CGridSelection;
class CHeader;
class CRowLayout;
class CRowList;
class IHorizontalScrollSource;

// What the mouse on rows reads from and asks of the grid.
class IRowMouseHost {
public:
    virtual CRowList* GetRowList(int32_t kind) const = 0; // the pinned (1) or body (2) list
    virtual CHeader* GetHeader() const = 0; // the header; null: none
    virtual const IHorizontalScrollSource* GetScrollSource() const = 0; // for the header's column rectangles
    virtual PaintElementMask GetPaintElementMask() const = 0; // the elements painted (the tree's buttons)
    virtual bool IsSelectionEnabled() const = 0; // selection is on
    virtual bool IsMultipleSelection() const = 0; // more than one row may be selected
    // Scrolls the body by `lines` rows (negative: up), as the scroll bar's
    // line buttons do.
    virtual void ScrollBodyLines(int32_t lines) = 0;

protected:
    IRowMouseHost() = default;
    IRowMouseHost(const IRowMouseHost&) = default;
    IRowMouseHost& operator=(const IRowMouseHost&) = default;
    ~IRowMouseHost() = default;
};

/// Starts row drags for the mouse on rows (gui/dragdrop/row_drag_source.h).
class IRowDragStarter {
public:
    /// Whether a press on a selected row may begin a drag.
    virtual bool IsRowDragEnabled() const = 0;
    /// How far, in pixels along either axis, the cursor must move from the
    /// press before the drag starts.
    virtual int32_t GetDragThreshold() const = 0;
    /// Drags the selected rows; returns when the drag has ended. `press` is
    /// the remembered press, `point` the cursor now (client coordinates).
    virtual void StartRowDrag(Platform::CPoint press, Platform::CPoint point) = 0;

protected:
    IRowDragStarter() = default;
    IRowDragStarter(const IRowDragStarter&) = default;
    IRowDragStarter& operator=(const IRowDragStarter&) = default;
    ~IRowDragStarter() = default;
};

class CRowMouse {
public:
    // Between two scroll steps of a drag-selection outside the body.
    static constexpr uint32_t kDragScrollMs = 50;

    // The press remembered for drag detection.
    struct Press {
        bool valid = false; // a press is remembered
        int32_t kind = 0;       // the list kind pressed (0: none, below or above the rows)
        Platform::CPoint point; // client coordinates; moves with the scrolled pixels
    };

    // Idle, for the grid behind `host`; `timerId` is the drag-scroll timer.
    CRowMouse(IRowMouseHost& host, CGridSelection& selection, const CRowLayout& layout, ITimerHost& timers,
              uintptr_t timerId)
        : m_host(host), m_selection(selection), m_layout(layout), m_timers(timers), m_timerId(timerId)
    {
    }
    CRowMouse(const CRowMouse&) = delete;
    CRowMouse& operator=(const CRowMouse&) = delete;

    // The left button went down at `point`; true when the press was taken.
    bool OnPress(Platform::CPoint point, Qt::KeyboardModifiers modifiers);
    // The cursor moved with the left button held.
    bool OnMove(Platform::CPoint point);
    // The left button went up.
    bool OnRelease();
    // The drag-scroll timer fired.
    void OnDragScrollTimer();
    // The body's contents moved by `dy` pixels (positive: down).
    void OnScrolled(int32_t dy);
    // Ends a drag in progress (the window goes, or the grid takes the input).
    void Cancel();

    /// Sets who starts row drags (null: none; presses only select).
    void SetDragStarter(IRowDragStarter* starter) { m_dragStarter = starter; }

    // Whether a press on the rows is being tracked (drag-selection).
    bool IsTracking() const { return m_tracking; }
    const Press& GetPress() const { return m_press; } // the press remembered

private:
    // The position of the row at `point`: (kind, row), kind 0 when none.
    struct Position {
        int32_t kind = 0;
        int32_t row = -1;
    };
    Position RowAt(Platform::CPoint point) const;
    bool OnExpandButton(Platform::CPoint point);
    void ExtendDragTo(Position position);
    void UpdateDragScroll(Platform::CPoint point);

    IRowMouseHost& m_host;       // Not owned; outlives this.
    CGridSelection& m_selection; // Not owned; outlives this.
    const CRowLayout& m_layout;  // Not owned; outlives this.
    ITimerHost& m_timers;        // Not owned; outlives this.
    const uintptr_t m_timerId;

    Press m_press;
    bool m_tracking = false;     // a drag-selection may follow the press
    Position m_anchor;           // the pressed row
    Position m_current;          // the row the range reaches now
    int32_t m_scrollDirection = 0; // -1 up, +1 down, 0: the timer is off
    IRowDragStarter* m_dragStarter = nullptr; // Not owned; unset by its owner before it goes.
    bool m_dragPending = false;    // pressed on a selected row: a drag or a click follows
};

} // namespace Brivel::GUI
