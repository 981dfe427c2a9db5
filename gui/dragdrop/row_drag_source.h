#pragma once
// CRowDragSource: dragging a grid's selected rows out of it.
//
// With row drag and drop on (CGrid::EnableRowDragDrop), the mouse on rows
// (gui/input/row_mouse.h) hands it a drag that started on a selected row.
// A drag goes in three steps, which tests may also take one by one:
//   BeginDrag   the selected rows (pinned list, then body, in display order)
//               under the header's visible columns become the drag's mime
//               data (drag_payload.h), their drag image is drawn, and the
//               drag becomes the process's active drag session;
//   (run)       the drag runner carries it until the user drops or cancels
//               (Qt's QDrag::exec; every grid of the process under the cursor
//               receives it as a drop target, row_drop_target.h);
//   FinishDrag  the session ends.
// The source itself never changes its rows: a move is carried out by the
// grid dropped on, which finds the rows through the active session. So a
// drag that is cancelled (Escape) or dropped where it is refused leaves the
// source as it was, and a drop on another program only ever copies.
//
// The active session tells a drop target that the rows of a local record
// belong to a grid that still exists. When the source's window goes during
// a drag (Cancel), the session forgets its grid and the running drag is
// cancelled, so that no drop follows a handle of the gone grid.
//
// Ownership: owns its runner and the session of its own drag; borrows the
// host (the grid's; it outlives this).
// Thread: GUI thread only.

#include "gui/input/row_mouse.h"

#include "platform/rect.h"

#include <QDrag>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <Qt>

#include <memory>

class QMimeData;
class QWidget;

namespace Brivel::GUI {

class CGrid;
class IDragDropHost;

/// The drag of rows in flight in this process (at most one: a drag holds
/// the mouse).
struct RowDragSession {
    /// The grid the rows come from; null once its window has gone.
    CGrid* source = nullptr;
};

/// Carries a prepared drag until it ends.
class IDragRunner {
public:
    virtual ~IDragRunner() = default;
    /// Runs the drag of `data` out of `window`, with `image` under the cursor
    /// at `hotSpot`, until it is dropped or cancelled; answers the action the
    /// drop took (Qt::IgnoreAction when none).
    virtual Qt::DropAction Run(QWidget& window, std::unique_ptr<QMimeData> data, const QImage& image,
                               QPoint hotSpot) = 0;
    /// Ends a running drag at once, as Escape does.
    virtual void Cancel() = 0;

protected:
    IDragRunner() = default;
    IDragRunner(const IDragRunner&) = default;
    IDragRunner& operator=(const IDragRunner&) = default;
};

/// Qt's drag loop (QDrag::exec), offering copy and move.
class CQtDragRunner final : public IDragRunner {
public:
    Qt::DropAction Run(QWidget& window, std::unique_ptr<QMimeData> data, const QImage& image,
                       QPoint hotSpot) override;
    /// Cancels only a drag this runner started and Qt still runs.
    void Cancel() override;

private:
    QPointer<QDrag> m_drag; // Qt's; null once Qt has deleted it after the drag
};

class CRowDragSource final : public IRowDragStarter {
public:
    /// A prepared drag: what it carries and how it shows.
    struct Drag {
        std::unique_ptr<QMimeData> data; ///< the local record and the text
        QImage image;  // null when no dragged row is on screen
        QPoint hotSpot; // the point of the image under the cursor
    };

    /// Borrows the host for its life.
    explicit CRowDragSource(IDragDropHost& host);
    CRowDragSource(const CRowDragSource&) = delete;
    CRowDragSource& operator=(const CRowDragSource&) = delete;
    ~CRowDragSource();

    // ---- IRowDragStarter ----
    bool IsRowDragEnabled() const override;
    int32_t GetDragThreshold() const override;
    /// BeginDrag, the runner, FinishDrag.
    void StartRowDrag(Platform::CPoint press, Platform::CPoint point) override;

    // ---- The steps of a drag ----
    /// Prepares the drag of the selected rows pressed at `press` (client
    /// coordinates) and makes it the active session; false (no session)
    /// without a selection, while another drag is active, or without a window.
    bool BeginDrag(Platform::CPoint press, Drag& drag);
    /// Ends this source's session; nothing when it has none.
    void FinishDrag(Qt::DropAction result);
    /// The window goes: a drag of this source is cancelled and its session
    /// forgets the grid. Idempotent.
    void Cancel();
    /// Whether a drag of this source is in flight.
    bool IsDragging() const { return s_active == &m_session; }

    /// Replaces the runner (a test's double); null restores Qt's.
    void SetRunner(std::unique_ptr<IDragRunner> runner);

    /// The active drag of this process; null when none.
    static const RowDragSession* GetActiveSession() { return s_active; }

private:
    IDragDropHost& m_host; // Not owned; outlives this.
    std::unique_ptr<IDragRunner> m_runner;
    RowDragSession m_session;
    static inline RowDragSession* s_active = nullptr; // GUI thread only
};

} // namespace Brivel::GUI
