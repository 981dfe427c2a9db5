#include "gui/dragdrop/grid_drag_drop.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QWidget>

#include <utility>

namespace Brivel::GUI {

namespace {

Platform::CPoint PointOf(const QDropEvent& event)
{
    return Platform::CPoint(event.position().toPoint());
}

// Accepts `event` with `action`, or ignores it for Qt::IgnoreAction.
void Answer(QDropEvent& event, Qt::DropAction action)
{
    if (action == Qt::IgnoreAction) {
        event.ignore();
        return;
    }
    event.setDropAction(action);
    event.accept();
}

} // namespace

CGridDragDrop::CGridDragDrop(std::unique_ptr<IDragDropHost> host) : m_host(std::move(host))
{
    m_host->SetRowDragStarter(&m_source);
}

CGridDragDrop::~CGridDragDrop()
{
    OnWindowDestroyed();
    m_host->SetRowDragStarter(nullptr);
}

void CGridDragDrop::OnWindowCreated()
{
    if (m_accepting || m_host->IsWindowDestroyed())
        return;
    m_accepting = true;
    m_host->GetDragDropWindow().setAcceptDrops(true);
}

void CGridDragDrop::OnWindowDestroyed()
{
    m_source.Cancel();
    m_target.Cancel();
    if (std::exchange(m_accepting, false))
        m_host->GetDragDropWindow().setAcceptDrops(false);
}

bool CGridDragDrop::HandleEvent(QEvent& event)
{
    switch (event.type()) {
    case QEvent::DragEnter: {
        auto& enter = static_cast<QDragEnterEvent&>(event);
        const Qt::DropAction action =
            m_accepting ? m_target.DragEnter(*enter.mimeData(), PointOf(enter), enter.modifiers()) : Qt::IgnoreAction;
        // A drag the target took stays its own, even where it is refused for
        // now: only an accepted enter brings the moves and the leave.
        if (m_target.IsDropOver() && action == Qt::IgnoreAction)
            enter.accept();
        else
            Answer(enter, action);
        return true;
    }
    case QEvent::DragMove: {
        auto& move = static_cast<QDragMoveEvent&>(event);
        Answer(move, m_target.DragMove(PointOf(move), move.modifiers()));
        return true;
    }
    case QEvent::DragLeave:
        m_target.DragLeave();
        event.accept();
        return true;
    case QEvent::Drop: {
        auto& drop = static_cast<QDropEvent&>(event);
        const Qt::DropAction action =
            m_accepting ? m_target.Drop(*drop.mimeData(), PointOf(drop), drop.modifiers()) : Qt::IgnoreAction;
        Answer(drop, action);
        return true;
    }
    default:
        return false;
    }
}

} // namespace Brivel::GUI
