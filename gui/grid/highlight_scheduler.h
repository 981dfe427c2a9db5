#pragma once
// CHighlightScheduler: when a grid repaints its change highlights.
//
// One window timer per grid serves every highlight on screen. It fires at
// the nearest moment a cell on screen must change its look, never sooner
// than 10 ms and never before the current paint frame ends (what it
// invalidates is then painted at once). Two kinds of moments count:
//
// - Expiries asked for explicitly (the grid's row and field highlight
//   expiry operations): the record's expiry time; once passed, the cell (or
//   row) is repainted and the expiry cleared.
// - Highlights the paint pass drew (the grid's highlight-changed-values
//   option): a cell changed at t looks different at t + duration, when its
//   highlight ends, and, in the fading modes, at every refresh interval
//   after t. The paint pass only reads: it reports the nearest such moment
//   among the cells it drew (RefreshIn), and the timer run repaints each cell
//   on screen whose moment passed since the previous run. No state is kept
//   per cell for this: the moments follow from the change times. Fading
//   cells share one beat (the refresh interval): changes scattered in time
//   cost one wake-up per interval, and a fade's end is repainted on the beat
//   after it.
//
// Only rows on screen (the row layout's table) are looked at: a change far
// off screen keeps its times and is looked at again when it is scrolled into
// view (the paint pass then reports it).
//
// Ownership: borrows the layout, the pacer, the target and the timer host
// (all the grid's; they outlive it).
// Thread: GUI thread only.

#include "gui/grid/timer_host.h"
#include "gui/paint/appearance.h"
#include "gui/paint/paint_format.h"

#include "platform/rect.h"

#include <cstdint>

namespace Brivel::GUI {

class CRepaintPacer;
class CRowLayout;

// What the scheduler repaints and what it reads: the grid.
class IHighlightTarget {
public:
    virtual const HighlightSettings& GetHighlightSettings() const = 0; // the grid's
    virtual bool IsHighlightChangedValues() const = 0; // highlighting is on
    virtual PaintElementMask GetPaintElementMask() const = 0; // the elements painted
    // Invalidates the cell of `fieldId` within the row at `rowRect`.
    virtual void InvalidateCell(const Platform::CRect& rowRect, int32_t fieldId) = 0;

protected:
    IHighlightTarget() = default;
    IHighlightTarget(const IHighlightTarget&) = default;
    IHighlightTarget& operator=(const IHighlightTarget&) = default;
    ~IHighlightTarget() = default;
};

class CHighlightScheduler {
public:
    // The shortest wait the timer is started with.
    static constexpr int32_t kMinWaitMs = 10;

    // Idle, for the grid behind `target`; `timerId` is the highlight timer.
    CHighlightScheduler(const CRowLayout& layout, CRepaintPacer& pacer, IHighlightTarget& target, ITimerHost& timers,
                        uintptr_t timerId)
        : m_layout(layout), m_pacer(pacer), m_target(target), m_timers(timers), m_timerId(timerId)
    {
    }
    CHighlightScheduler(const CHighlightScheduler&) = delete;
    CHighlightScheduler& operator=(const CHighlightScheduler&) = delete;

    // Runs the timer `waitMs` from now unless it is due sooner; a wait below
    // 1 runs the expiry now.
    void Schedule(int32_t waitMs);
    // The paint pass drew running highlights; the nearest wants repainting
    // `ms` from now. Fading highlights run on the refresh interval's beat.
    void RefreshIn(int32_t ms);
    // The timer fired: repaints what is due on screen, then waits for the next.
    void RunExpiry();
    // Stops the timer (the window goes).
    void Stop();
    // Remaining ms of the pending timer; -1 when none.
    int32_t GetRemaining() const;

private:
    // The nearest moment (as a wait from `now`) a row on screen needs; false
    // when none does.
    bool FindNextWait(int32_t now, int32_t& wait) const;
    // Whether a highlight drawn for a change at `changeTime` looks different
    // now than at the previous run.
    bool IsDrawnHighlightDue(int32_t changeTime, int32_t now) const;
    // The wait until a highlight drawn for a change at `changeTime` next
    // changes its look; false when it has ended.
    bool NextDrawnHighlightWait(int32_t changeTime, int32_t now, int32_t& wait) const;
    bool DrawsHighlights() const;
    bool IsFadingCadence() const;

    const CRowLayout& m_layout;  // Not owned; outlives this.
    CRepaintPacer& m_pacer;      // Not owned; outlives this.
    IHighlightTarget& m_target;  // Not owned; outlives this.
    ITimerHost& m_timers;        // Not owned; outlives this.
    const uintptr_t m_timerId;

    int32_t m_timerStart = 0;     // process clock
    int32_t m_timerInterval = -1; // -1: no timer
    bool m_hasRun = false;
    int32_t m_lastRun = 0;        // process clock of the previous run; meaningful once m_hasRun
};

} // namespace Brivel::GUI
