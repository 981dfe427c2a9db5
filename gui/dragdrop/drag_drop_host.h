#pragma once
// IDragDropHost: what row drag and drop reads from, and asks of, its grid.
//
// Row drag and drop works through the grid's public operations (selection,
// Detach, Attach, Add, Remove, FindItems, the header) and, beyond them, only
// through this interface: the window, where the rows are on screen, the drag
// image, invalidation, scrolling, one timer and the drop notifications. The
// grid implements it beside its drag-and-drop operations
// (gui/grid/grid_dragdrop_ops.cpp); tests may implement it over a grid.
//
// Ownership: the host and everything it hands out belong to the grid; the
// references stay valid while the grid's window exists.
// Thread: GUI thread only.

#include "gui/rows/row_layout.h"

#include "platform/colorref.h"
#include "platform/rect.h"

#include <cstdint>
#include <memory>

class QWidget;

namespace Brivel::Platform {
class CImageList;
}

namespace Brivel::GUI {

class CGrid;
class IRowDragStarter;

class IDragDropHost {
public:
    virtual ~IDragDropHost() = default;

    /// The grid, for its public operations.
    virtual CGrid& GetDragDropGrid() = 0;
    /// The window drags start from and drops land on.
    virtual QWidget& GetDragDropWindow() = 0;
    /// Whether the window is gone (CGrid::DestroyWindow).
    virtual bool IsWindowDestroyed() const = 0;
    /// Where the rows are on screen now.
    virtual const CRowLayout& GetDragDropLayout() const = 0;
    /// The drag image of the selected rows on screen (CGridPainter::
    /// MakeRowDragImage); `top` receives the client y of its top edge.
    virtual std::unique_ptr<Platform::CImageList> MakeRowDragImage(int32_t* top) = 0;
    /// The colour of the insertion mark and the drop arrows.
    virtual Platform::COLORREF GetDropMarkColor() const = 0;
    /// Repaints a client rectangle on the next frame.
    virtual void InvalidateDropRect(const Platform::CRect& rect) = 0;
    /// Scrolls the body by `lines` rows (negative: up).
    virtual void ScrollBodyLines(int32_t lines) = 0;
    /// The timer that scrolls the body while a drag rests near its edges.
    virtual void StartDropScrollTimer(uint32_t ms) = 0;
    /// Stops that timer.
    virtual void StopDropScrollTimer() = 0;
    /// Tells the parent that a drop over the grid started (kNotifyDropStarted)
    /// or ended (kNotifyDropEnded).
    virtual void NotifyDrop(int32_t code) = 0;
    /// Hands the mouse on rows who starts row drags (null: nobody).
    virtual void SetRowDragStarter(IRowDragStarter* starter) = 0;

protected:
    IDragDropHost() = default;
    IDragDropHost(const IDragDropHost&) = default;
    IDragDropHost& operator=(const IDragDropHost&) = default;
};

} // namespace Brivel::GUI
