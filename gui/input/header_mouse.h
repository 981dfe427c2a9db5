#pragma once
// CHeaderMouse: the left mouse button on the header strip. It resizes a
// column by its divider, fits a column to its content on a double click of
// the divider, reorders columns by dragging their header cells and sorts by
// a click on a header cell.
//
// States: idle; resizing (pressed on a divider); pressed on a header cell
// (a click or a drag may follow); dragging a column. A press in the strip is
// always taken here, so the rows never see it. The gesture holds the
// column's identifier, never its pointer: every event looks the column up
// again, and a column that another thread has removed or hidden ends the
// gesture. The header strip shows the gesture through GetDragState, which
// the paint pass reads (again by identifier).
//
// Divider: the right edge of a visible column, hit within 3 pixels either
// side; a point at most 3 pixels right of a column's left edge belongs to
// the previous visible column's divider.
//
// A gesture ends on the button's release (wherever the cursor is), on a
// move that arrives without the button (the release was lost), on Escape,
// when the window loses the focus and when the window goes. A column drag
// that ends any other way than a drop moves nothing. Parent notifications:
// column drag started when a drag begins, column drag ended when it ends
// (however it ends).
//
// Ownership: borrows its host and the row layout (the grid's; they outlive
// it); owns the drag image shown during a column drag.
// Thread: GUI thread only.

#include "gui/header/column.h"
#include "gui/paint/paint_host.h"

#include "platform/drag_image.h"
#include "platform/image_list.h"
#include "platform/rect.h"

#include <Qt>

#include <cstdint>
#include <memory>

class QWidget;

namespace Brivel::GUI {

class CHeader;
class CRowLayout;
class CSortInfo;
class IHorizontalScrollSource;

// What the header gestures read from and ask of the grid.
class IHeaderMouseHost {
public:
    virtual CHeader* GetHeader() const = 0; // the grid's header; null: none
    virtual bool IsHeaderShown() const = 0; // the strip is shown
    virtual const IHorizontalScrollSource* GetScrollSource() const = 0; // for the header's column rectangles
    // The grid window (cursor, screen coordinates); null outside a window.
    virtual QWidget* GetWindow() const = 0;
    virtual void Invalidate(const Platform::CRect& rect) = 0; // repaints a part of the window
    virtual void InvalidateAll() = 0; // repaints the whole window
    // A parent notification about the header (code, column, argument).
    virtual void NotifyHeaderEvent(int32_t code, CColumn* column, int32_t argument) = 0;
    // The widest content of `column`'s cells over every row of both lists.
    virtual int32_t MeasureColumnContent(CColumn& column) = 0;
    // The image of `column`'s header cell for dragging; null when none.
    virtual std::unique_ptr<Platform::CImageList> MakeColumnDragImage(CColumn& column) = 0;
    // Makes `key` the only sort level, re-sorting and notifying once.
    virtual void ReplaceSort(const CSortInfo& key) = 0;

protected:
    IHeaderMouseHost() = default;
    IHeaderMouseHost(const IHeaderMouseHost&) = default;
    IHeaderMouseHost& operator=(const IHeaderMouseHost&) = default;
    ~IHeaderMouseHost() = default;
};

class CHeaderMouse {
public:
    // The gesture in progress (see the top of this file).
    enum State : int32_t { kIdle = 0, kResizing = 1, kDragging = 2, kPressed = 3 };
    // How far the cursor must move from the press before a drag starts.
    static constexpr int32_t kDragThreshold = 4;
    // The half width of a divider's hot zone.
    static constexpr int32_t kDividerSlop = 4;
    // The narrowest width a resize leaves.
    static constexpr int32_t kMinResizeWidth = 2;
    // The header strip is repainted at least this often during a drag.
    static constexpr int32_t kDragRepaintMs = 200;

    // Idle, for the grid behind `host`.
    CHeaderMouse(IHeaderMouseHost& host, const CRowLayout& layout) : m_host(host), m_layout(layout) {}
    CHeaderMouse(const CHeaderMouse&) = delete;
    CHeaderMouse& operator=(const CHeaderMouse&) = delete;
    ~CHeaderMouse();

    // Each answers whether the event was the header's.
    bool OnPress(Platform::CPoint point);
    bool OnMove(Platform::CPoint point, Qt::MouseButtons buttons); // a move (with the buttons held)
    bool OnRelease(Platform::CPoint point, Qt::KeyboardModifiers modifiers); // the button's release
    bool OnDoubleClick(Platform::CPoint point); // fits a column on its divider
    // Escape: ends a gesture in progress without its effect (a resize puts
    // the width back). True when there was one.
    bool OnEscape();
    // Ends a gesture in progress without its effect (focus lost, window gone,
    // header replaced).
    void Cancel();

    // The sort a click on the column with `fieldId` gives (multi: Ctrl held).
    void SortByClick(int32_t fieldId, bool multi);

    // For the strip's context menu: whether point is in the shown header's
    // strip, and then the identifier of the visible column under it
    // (CColumn::kUnsetField beside the columns).
    bool HitStrip(Platform::CPoint point, int32_t& columnId) const;

    State GetState() const { return m_state; } // the gesture in progress
    bool IsActive() const { return m_state != kIdle; } // a gesture is in progress
    // The gesture as the header strip shows it (columns looked up now).
    HeaderDragState GetDragState() const;
    // The visible index before which a drop would put the dragged column;
    // -1 when none.
    int32_t GetDropPosition() const { return m_dropPosition; }
    const Platform::CDragImage& GetDragImage() const { return m_dragImage; } // shown during a column drag

private:
    // The header to work on: null when none is attached or shown.
    CHeader* ActiveHeader() const;
    Platform::CRect HeaderStrip() const;
    bool InStrip(Platform::CPoint point) const;
    // The visible column whose divider is at x; null when none.
    CColumn* DividerAt(CHeader& header, int32_t x) const;
    // Whether the column with `id` may be dragged or dropped on.
    static bool MayMove(const CHeader& header, int32_t id);
    // The gesture's column, looked up now; null when it is gone or hidden.
    CColumn* GestureColumn() const;
    void SetResizeCursor(bool on);
    void StartDrag(CHeader& header, CColumn& column, Platform::CPoint point);
    void TrackDrag(CHeader& header, Platform::CPoint point);
    // Moves the dragged column where `point` drops it; true when it moved.
    bool Drop(CHeader& header, Platform::CPoint point);
    // The drop target under x and the side of it (1 left half, 2 right half).
    CColumn* DropTargetAt(CHeader& header, int32_t x, int32_t* side) const;
    // Back to idle, the header strip repainted; a drag is notified as ended
    // (its argument: 1 when the drop moved the column, else 0).
    void End(bool moved);

    IHeaderMouseHost& m_host;   // Not owned; outlives this.
    const CRowLayout& m_layout; // Not owned; outlives this.

    State m_state = kIdle;
    int32_t m_columnId = CColumn::kUnsetField; // the gesture's column
    CHeader* m_header = nullptr;    // the header the gesture began on; Not owned
    Platform::CPoint m_pressPoint;  // where a press on a header cell went down
    Platform::CPoint m_lastPoint;   // the cursor during a drag
    int32_t m_originalWidth = 0;    // of a resized column, for Escape
    int32_t m_dropPosition = -1;
    uint32_t m_lastRepaint = 0;     // tick of the last header repaint during a drag
    bool m_cursorSet = false;
    std::unique_ptr<Platform::CImageList> m_dragImages;
    Platform::CDragImage m_dragImage;
};

} // namespace Brivel::GUI
