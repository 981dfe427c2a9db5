#pragma once
// CRepaintPacer: how a grid asks to be repainted. Invalidation only
// accumulates, and paints are paced to one per frame: a stream of changes
// asks for a repaint far more often than a screen shows a frame, so what
// comes within a frame (kPaintFrameMs) of the last paint is held in one
// region and handed to the window when that frame ends (the frame timer).
// Outside a frame the rectangle goes to the window at once, where Qt merges
// what follows until it paints.
//
// The held rectangles are kept as a list, not merged into a region one by
// one: under a stream the same cells come many times a frame and in no
// order, and each merge into a region of many rectangles is a pass over it.
// The list is sorted, stripped of repeats and joined along rows when it
// grows long and when it goes out, and the region is then made in order,
// where appending a rectangle costs no pass.
//
// Scrolling the window's pixels must first flush the held region (Flush), so
// that Qt moves it with the contents. A test seam records every invalidated
// rectangle (StartRecordingInvalidation).
//
// Ownership: borrows its target and timer host (the grid; both outlive it).
// Thread: GUI thread only.

#include "gui/grid/timer_host.h"

#include "platform/rect.h"

#include <QRegion>

#include <cstdint>
#include <vector>

namespace Brivel::GUI {

// What the pacer invalidates: the grid window.
class IRepaintTarget {
public:
    // The client area; every invalidation is clipped to it.
    virtual Platform::CRect GetClientRect() const = 0;
    // Hands a part of the window to the window system for its next paint.
    virtual void UpdateWindow(const Platform::CRect& rect) = 0;
    virtual void UpdateWindow(const QRegion& region) = 0;

protected:
    IRepaintTarget() = default;
    IRepaintTarget(const IRepaintTarget&) = default;
    IRepaintTarget& operator=(const IRepaintTarget&) = default;
    ~IRepaintTarget() = default;
};

class CRepaintPacer {
public:
    // The shortest time between two paints of a grid.
    static constexpr int32_t kPaintFrameMs = 16;

    // `timerId` is the timer of `timers` the pacer owns for the frame's end.
    CRepaintPacer(IRepaintTarget& target, ITimerHost& timers, uintptr_t timerId)
        : m_target(target), m_timers(timers), m_timerId(timerId)
    {
    }
    CRepaintPacer(const CRepaintPacer&) = delete;
    CRepaintPacer& operator=(const CRepaintPacer&) = delete;

    // Asks for `rect` to be repainted: at once outside a frame, else held
    // until the frame ends.
    void Invalidate(const Platform::CRect& rect);
    void InvalidateAll() { Invalidate(m_target.GetClientRect()); } // the whole client area
    // Hands the held region to the window now.
    void Flush();
    // The frame timer fired.
    void OnFrameTimer() { Flush(); }
    // A paint begins: the frame starts now (on the process clock).
    void OnPaint();
    // Drops the held region and stops the timer (the window goes).
    void Reset();

    bool HasPainted() const { return m_hasPainted; } // a paint has happened
    bool IsFramePending() const { return m_framePending; } // a frame is running (its timer runs)
    // 0 when a paint may happen now, else the milliseconds (>= 1) until the
    // frame that began with the last paint ends.
    int32_t MsUntilNextFrame() const;

    // Test seam: from now on every invalidated rectangle is also collected.
    void StartRecordingInvalidation();
    QRegion TakeInvalidatedRegion(); // the rectangles recorded so far; recording goes on

private:
    // Held rectangles are compacted once there are this many, and again at
    // twice what a compaction left.
    static constexpr size_t kCompactAt = 256;

    void Hold(const QRect& rect);
    void CompactHeld(); // sorted by top, then left; no repeats; joined along rows
    QRegion TakeHeld(); // the held rectangles as one region; none are left

    IRepaintTarget& m_target; // Not owned; outlives this.
    ITimerHost& m_timers;     // Not owned; outlives this.
    const uintptr_t m_timerId;

    std::vector<QRect> m_held;    // the rectangles held until the frame ends
    size_t m_compactAt = kCompactAt;
    bool m_framePending = false; // the frame timer runs
    bool m_hasPainted = false;
    int32_t m_lastPaint = 0;     // process clock; meaningful once m_hasPainted

    bool m_recording = false;
    QRegion m_recorded;
};

} // namespace Brivel::GUI
