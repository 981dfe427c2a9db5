#include "platform/hover_tracker.h"

#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QTimerEvent>

#include <cstdlib>
#include <utility>

namespace Brivel::Platform {

CHoverTracker::CHoverTracker(QWidget& widget, HoverHandler onHover, LeaveHandler onLeave)
    : m_widget(&widget), m_onHover(std::move(onHover)), m_onLeave(std::move(onLeave))
{
    widget.setMouseTracking(true);
    widget.installEventFilter(this);
}

CHoverTracker::~CHoverTracker()
{
    if (QWidget* widget = m_widget.data())
        widget->removeEventFilter(this);
}

void CHoverTracker::TrackHover(int hoverMs)
{
    if (!m_widget)
        return;
    m_hoverMs = hoverMs < 1 ? 1 : hoverMs;
    m_anchor = CurrentMousePosition();
    m_hoverTimer.start(m_hoverMs, Qt::PreciseTimer, this);
}

void CHoverTracker::CancelHover()
{
    m_hoverTimer.stop();
}

QPoint CHoverTracker::CurrentMousePosition() const
{
    // The last move the filter saw is exact; before any, ask the cursor.
    if (m_seenPosition)
        return m_lastPosition;
    return m_widget ? m_widget->mapFromGlobal(QCursor::pos()) : QPoint();
}

bool CHoverTracker::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_widget.data())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove: {
        const QPoint position = static_cast<QMouseEvent*>(event)->position().toPoint();
        m_lastPosition = position;
        m_seenPosition = true;
        if (m_hoverTimer.isActive() && (std::abs(position.x() - m_anchor.x()) > m_tolerance ||
                                        std::abs(position.y() - m_anchor.y()) > m_tolerance)) {
            // Moved away: the rest starts again here.
            m_anchor = position;
            m_hoverTimer.start(m_hoverMs, Qt::PreciseTimer, this);
        }
        break;
    }
    case QEvent::Leave:
    case QEvent::Hide:
        Left();
        break;
    default:
        break;
    }
    return false; // the widget sees every event
}

void CHoverTracker::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_hoverTimer.timerId())
        return QObject::timerEvent(event);
    m_hoverTimer.stop();
    QWidget* widget = m_widget.data();
    if (!widget || !widget->isVisible())
        return;
    const QPoint position = CurrentMousePosition();
    if (widget->rect().contains(position) && m_onHover)
        m_onHover(position);
}

void CHoverTracker::Left()
{
    m_hoverTimer.stop();
    m_seenPosition = false;
    if (!m_leavePending)
        return;
    m_leavePending = false;
    if (m_onLeave)
        m_onLeave();
}

} // namespace Brivel::Platform
