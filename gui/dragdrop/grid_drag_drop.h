#pragma once
// CGridDragDrop: a grid's row drag and drop, both ways.
//
// It puts together the grid's drag source (row_drag_source.h: dragging the
// selected rows out, when CGrid::EnableRowDragDrop is on) and its drop
// target (row_drop_target.h: rows dropped on the grid, always on while the
// window exists), and routes Qt's drag events to the target.
//
// Lifecycle: the window accepts drops from OnWindowCreated (the grid's
// initialisation) until OnWindowDestroyed, which also ends a drag of its
// own and a drop in progress over it. Both are idempotent.
//
// Ownership: owned by the grid; owns its host, the source and the target,
// and through the target the drop importer.
// Thread: GUI thread only.

#include "gui/dragdrop/drag_drop_host.h"
#include "gui/dragdrop/row_drag_source.h"
#include "gui/dragdrop/row_drop_target.h"

#include <memory>

class QEvent;

namespace Brivel::GUI {

class CGridDragDrop {
public:
    /// Takes the host through which it reaches its grid.
    explicit CGridDragDrop(std::unique_ptr<IDragDropHost> host);
    CGridDragDrop(const CGridDragDrop&) = delete;
    CGridDragDrop& operator=(const CGridDragDrop&) = delete;
    ~CGridDragDrop();

    /// The window was made: it takes drops from now on.
    void OnWindowCreated();
    /// The window goes: a drag from it is cancelled, a drop over it ends,
    /// and it takes no more drops.
    void OnWindowDestroyed();

    /// Hands a QDragEnterEvent, QDragMoveEvent, QDragLeaveEvent or QDropEvent
    /// of the window to the target, accepting or ignoring it by the answer;
    /// false for any other event.
    bool HandleEvent(QEvent& event);
    /// The drop scroll timer fired.
    void OnScrollTimer() { m_target.OnScrollTimer(); }

    /// The insertion mark the rows show while a drag is over them.
    RowDropMark GetDropMark() const { return m_target.GetDropMark(); }
    /// Whether a drag is over the window now.
    bool IsDropOver() const { return m_target.IsDropOver(); }

    /// The drag source and the drop target (their entry points are what
    /// tests drive where Qt's drag loop cannot run).
    CRowDragSource& GetSource() { return m_source; }
    /// See GetSource.
    CRowDropTarget& GetTarget() { return m_target; }

private:
    std::unique_ptr<IDragDropHost> m_host;
    CRowDragSource m_source{*m_host};
    CRowDropTarget m_target{*m_host};
    bool m_accepting = false; // the window takes drops
};

} // namespace Brivel::GUI
