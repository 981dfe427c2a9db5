#pragma once
// CHoverTracker: hover and leave reports for one widget. Asked with TrackHover,
// it reports "hover" once the mouse has rested for the given time at one place
// inside the widget (moving no more than the tolerance); asked with TrackLeave,
// it reports "leave" once the mouse leaves the widget or the widget is hidden.
// Each request is one-shot and cancellable, and asking again restarts it.
// Leaving the widget also ends a pending hover request.
//
// It watches the widget through an event filter and turns on the widget's mouse
// tracking (moves without a button pressed are what it watches). The widget's
// own handlers see every event as before.
//
// Owns: its timer and handlers. Borrows: the widget (tracked; when the widget
// goes first the tracker reports nothing more). The handlers must not destroy
// the tracker.
//
// Thread: GUI thread only.

#include <QBasicTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace Brivel::Platform {

// Hover and leave reports for one widget (see the top of this file).
class CHoverTracker : public QObject {
public:
    // Hover position in the widget's coordinates.
    using HoverHandler = std::function<void(QPoint)>;
    using LeaveHandler = std::function<void()>; // called when the mouse has left

    // How far the mouse may move, in pixels along either axis, and still rest
    // at one place.
    static constexpr int kDefaultTolerance = 2;

    // Watches `widget`; nothing is tracked until asked.
    CHoverTracker(QWidget& widget, HoverHandler onHover, LeaveHandler onLeave);
    ~CHoverTracker() override;

    CHoverTracker(const CHoverTracker&) = delete;
    CHoverTracker& operator=(const CHoverTracker&) = delete;

    // Reports a hover after the mouse rests `hoverMs` milliseconds (0 counts as
    // 1) from now at its current place; a pending request starts over.
    void TrackHover(int hoverMs);
    void CancelHover(); // drops a pending hover request
    bool IsHoverPending() const { return m_hoverTimer.isActive(); } // a hover report is awaited

    // Reports the next time the mouse leaves the widget.
    void TrackLeave() { m_leavePending = true; }
    void CancelLeave() { m_leavePending = false; } // drops a pending leave request
    bool IsLeavePending() const { return m_leavePending; } // a leave report is awaited

    void SetTolerance(int pixels) { m_tolerance = pixels < 0 ? 0 : pixels; } // how far the mouse may move and still rest

protected:
    bool eventFilter(QObject* watched, QEvent* event) override; // watches the widget's moves and leave
    void timerEvent(QTimerEvent* event) override; // the hover time has passed

private:
    QPoint CurrentMousePosition() const;
    void Left();

    QPointer<QWidget> m_widget; // Not owned.
    HoverHandler m_onHover;
    LeaveHandler m_onLeave;
    QBasicTimer m_hoverTimer;
    int m_hoverMs = 0;
    QPoint m_anchor;            // where the mouse rests, widget coordinates
    QPoint m_lastPosition;      // the last mouse position seen
    bool m_seenPosition = false;
    bool m_leavePending = false;
    int m_tolerance = kDefaultTolerance;
};

} // namespace Brivel::Platform
