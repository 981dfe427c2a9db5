#include "gui/dragdrop/row_drag_source.h"

#include "gui/dragdrop/drag_drop_host.h"
#include "gui/dragdrop/drag_payload.h"
#include "gui/grid/grid.h"
#include "gui/header/header.h"

#include "platform/image_list.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QPixmap>

#include <algorithm>

namespace Brivel::GUI {

using Platform::CPoint;

// ---- CQtDragRunner ----

Qt::DropAction CQtDragRunner::Run(QWidget& window, std::unique_ptr<QMimeData> data, const QImage& image,
                                  QPoint hotSpot)
{
    // Qt deletes the drag (its child of the window) once the drag is over.
    auto* const drag = new QDrag(&window); // owned by parent
    m_drag = drag;
    drag->setMimeData(data.release());      // the drag takes the data
    if (!image.isNull()) {
        drag->setPixmap(QPixmap::fromImage(image));
        drag->setHotSpot(hotSpot);
    }
    // Nothing of this object is touched after the loop: the grid, and this
    // runner with it, may be gone when it returns.
    return drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

void CQtDragRunner::Cancel()
{
    if (!m_drag.isNull())
        QDrag::cancel();
}

// ---- CRowDragSource ----

CRowDragSource::CRowDragSource(IDragDropHost& host) : m_host(host), m_runner(std::make_unique<CQtDragRunner>()) {}

CRowDragSource::~CRowDragSource()
{
    if (IsDragging())
        s_active = nullptr;
}

bool CRowDragSource::IsRowDragEnabled() const
{
    return !m_host.IsWindowDestroyed() && m_host.GetDragDropGrid().IsRowDragDropEnabled();
}

int32_t CRowDragSource::GetDragThreshold() const
{
    return std::max(QApplication::startDragDistance(), 1);
}

void CRowDragSource::SetRunner(std::unique_ptr<IDragRunner> runner)
{
    m_runner = runner ? std::move(runner) : std::make_unique<CQtDragRunner>();
}

bool CRowDragSource::BeginDrag(CPoint press, Drag& drag)
{
    if (s_active != nullptr || m_host.IsWindowDestroyed())
        return false;
    CGrid& grid = m_host.GetDragDropGrid();
    std::vector<CGridItem*> rows;
    grid.GetSelectedItems(rows, CGrid::kBothLists);
    std::vector<CColumn*> columns;
    if (const CHeader* const header = grid.GetHeader()) {
        const int32_t count = header->GetVisibleColumnCount();
        for (int32_t visibleIndex = 0; visibleIndex < count; ++visibleIndex)
            if (CColumn* const column = header->GetVisibleColumn(visibleIndex))
                columns.push_back(column);
    }
    drag.data = MakeDragMimeData(grid, rows, columns);
    if (!drag.data)
        return false;
    int32_t top = 0;
    drag.image = QImage();
    if (const std::unique_ptr<Platform::CImageList> images = m_host.MakeRowDragImage(&top))
        if (const QImage* const image = images->GetImage(0))
            drag.image = *image;
    // The image keeps the rows where they were under the pressed point.
    const Platform::CRect client = m_host.GetDragDropLayout().GetAreas().client;
    drag.hotSpot = QPoint(press.x - client.left, press.y - top);
    m_session.source = &grid;
    s_active = &m_session;
    return true;
}

void CRowDragSource::FinishDrag(Qt::DropAction /*result*/)
{
    if (IsDragging())
        s_active = nullptr;
    m_session.source = nullptr;
}

void CRowDragSource::Cancel()
{
    if (!IsDragging())
        return;
    // The session stays active until the running drag returns, but no drop
    // may follow its handles any more.
    m_session.source = nullptr;
    m_runner->Cancel();
}

void CRowDragSource::StartRowDrag(CPoint press, CPoint /*point*/)
{
    Drag drag;
    if (!BeginDrag(press, drag))
        return;
    QPointer<QWidget> window(&m_host.GetDragDropWindow());
    const Qt::DropAction result = m_runner->Run(*window, std::move(drag.data), drag.image, drag.hotSpot);
    if (window.isNull())
        return; // the grid was deleted during the drag; its session ended with it
    FinishDrag(result);
}

} // namespace Brivel::GUI
