#pragma once
// IPaintHost: what the painting code (the paint pass, the paint formats and
// the custom draw) reads from, and asks of, the grid it paints.
//
// The grid implements it; tests implement it over a bare CRowList and CHeader,
// so that painting can be exercised without a grid window. Every operation
// has a neutral default (nothing there, option off), so that a host overrides
// only what it has.
// The pinned (1) and body (2) lists come through GetRowList (from
// IRowLayoutSource).
//
// Ownership: the host owns everything it hands out; the pointers stay valid
// for the duration of one paint pass.
// Thread: the grid's GUI thread only (painting runs there).

#include "gui/paint/appearance.h"
#include "gui/paint/paint_format.h"
#include "gui/rows/row_layout.h"
#include "platform/rect.h"

#include <cstdint>

class QFont;
class QImage;
class QWidget;

namespace Brivel::Platform {
class CImageList;
}

namespace Brivel::GUI {

class CColumn;
class CGrid;
class CGridItem;
class CHeader;
class CRowList;
class ICustomDraw;
class IHorizontalScrollSource;
struct CellInfo;
struct PaintContext;

// How a background picture is laid out under the rows.
enum BackgroundMode : int32_t {
    kBackgroundCentred = 0,
    kBackgroundStretched = 1,
    kBackgroundTiled = 2,
};

// A column drag or resize in the header, as the header strip shows it.
struct HeaderDragState {
    CColumn* dragged = nullptr; // the column being dragged or resized; null: none
    CColumn* target = nullptr;  // during a drag: the column under the cursor
    int32_t side = 0;           // of the target: 1 left half, 2 right half, 0 none
};

// Where dragged rows would drop, as the rows show it.
struct RowDropMark {
    // Where the bar goes: none, at the row's top edge, at its bottom edge.
    enum Where : int32_t { kNone = 0, kAbove = 1, kBelow = 2 };
    CGridItem* item = nullptr; // the row that shows the mark; null: no drag over the rows
    int32_t where = kNone;     // the bar at the row's top (kAbove) or bottom (kBelow) edge
    COLORREF color = Platform::RGB(0, 0, 0); // the bar's colour
};

// What in-place editing adds to the drawing of a cell: it may change the
// paint elements of the cell first, and draws its mark into the cell last.
class ICellEditorPaint {
public:
    // The elements to draw of the cell; the base keeps `mask`.
    virtual PaintElementMask FilterPaintElements(const CellInfo& /*cell*/, PaintContext& /*context*/,
                                                 PaintElementMask mask) const
    {
        return mask;
    }
    // Draws the editor's mark into the cell, last; the base draws nothing.
    virtual void DrawEditorMark(const CellInfo& /*cell*/, PaintContext& /*context*/, PaintElementMask /*mask*/) const {}

protected:
    ICellEditorPaint() = default;
    ICellEditorPaint(const ICellEditorPaint&) = default;
    ICellEditorPaint& operator=(const ICellEditorPaint&) = default;
    ~ICellEditorPaint() = default;
};

// The host is also the source of the rows' layout (row_layout.h): its
// frame follows from the client rectangle, the header strip, the separator
// and the top row below.
class IPaintHost : public IRowLayoutSource {
public:
    // The grid window (handed to custom-draw overrides); null outside a grid.
    virtual CGrid* GetGrid() const { return nullptr; }
    // The window painted (the grid's widget); null outside a window.
    virtual QWidget* GetWindow() const { return nullptr; }

    // ---- What is painted ----
    // The header; null: none.
    virtual CHeader* GetHeader() const { return nullptr; }
    virtual bool IsHeaderShown() const { return true; } // the header strip is shown
    // The source of the horizontal scroll position handed to the header's
    // hit tests and column rectangles; null: not scrolled.
    virtual const IHorizontalScrollSource* GetScrollSource() const { return nullptr; }
    // The first body row drawn (the vertical scroll position); -1: none yet.
    virtual int32_t GetTopRow() const { return -1; }
    // The client rectangle (the widget's area without its scroll bars).
    virtual Platform::CRect GetClientRect() const { return {}; }
    // The focus row of a list kind, -1 when the focus is elsewhere or nowhere.
    virtual int32_t GetFocusRow(int32_t /*kind*/) const { return -1; }
    // The rubber-band selection rectangle, normalized; empty when none.
    virtual Platform::CRect GetRubberBand() const { return {}; }
    // The header's column drag or resize in progress; none by default.
    virtual HeaderDragState GetHeaderDragState() const { return {}; }
    // The drop mark of a row drag over the rows; none by default.
    virtual RowDropMark GetRowDropMark() const { return {}; }
    // Whether rows are drawn as a tree: indentation, expand buttons and tree
    // lines in the tree column (the header's focus column), each under its
    // paint element bit.
    virtual bool IsTreeShown() const { return true; }

    // ---- Options ----
    // The grid's colours.
    virtual const Appearance& GetAppearance() const
    {
        static const Appearance defaults;
        return defaults;
    }
    // How changed cells are highlighted.
    virtual const HighlightSettings& GetHighlightSettings() const
    {
        static const HighlightSettings defaults;
        return defaults;
    }
    virtual bool IsHighlightChangedValues() const { return false; } // changed cells are highlighted
    virtual PaintElementMask GetPaintElementMask() const { return PaintElement::kAll; } // the elements painted
    virtual bool IsDoubleBuffered() const { return true; } // rows are painted into a back buffer first
    virtual bool IsSeparatorShown() const { return true; } // the band between the pinned and the body list
    virtual int32_t GetSeparatorHeight() const { return 2; } // its height in pixels
    // The grid font; null: the shared default font.
    virtual const QFont* GetFont() const { return nullptr; }
    // The grid's custom draw; null: the shared default.
    virtual ICustomDraw* GetCustomDraw() const { return nullptr; }
    virtual Platform::CImageList* GetCellImageList() const { return nullptr; } // the cells' images; null: none
    virtual bool IsStretchImages() const { return false; } // cell images are scaled to the cell's height
    // The background picture (null: none), its mode and its overlay alpha
    // (-1: the picture is not used).
    virtual const QImage* GetBackgroundPicture() const { return nullptr; }
    virtual int32_t GetBackgroundMode() const { return kBackgroundCentred; } // a BackgroundMode
    virtual int32_t GetBackgroundAlpha() const { return -1; } // the rows' alpha over the picture; -1: not used

    // ---- Editing and embedded controls (none by default) ----
    // The in-place editing that takes part in drawing cells: the grid's
    // editor when in-place editing is configured, else null.
    virtual const ICellEditorPaint* GetCellEditorPaint() const { return nullptr; }
    // Whether `item`'s row has controls embedded in its cells.
    virtual bool HasEmbeddedControls(const CGridItem& /*item*/) const { return false; }
    // Lets the control embedded in the cell draw itself; the caller saves and
    // restores the surface's state around the call.
    virtual void DrawEmbeddedControl(const CellInfo& /*cell*/, PaintContext& /*context*/) {}

    // ---- Highlights ----
    // Called once after a paint pass that drew running change highlights:
    // the highlighted cells on screen want repainting `ms` milliseconds from
    // now (the nearest fade step or end among them). The pass itself only
    // reads the grid.
    virtual void RefreshHighlightsIn(int32_t /*ms*/) {}

    // ---- The rows' layout ----
    // The frame of the rows' layout, from the operations above.
    RowLayoutFrame GetRowLayoutFrame() const override;

protected:
    // The frame from its parts, as GetRowLayoutFrame composes them:
    // headerHeight is the header's (0 without one), bodyRowCount the body
    // list's rows. A host asked for the frame on every delivered change
    // answers from its own members through this (inline) instead of a dozen
    // virtual calls.
    static RowLayoutFrame MakeRowLayoutFrame(const Platform::CRect& client, int32_t headerHeight, bool headerShown,
                                             bool separatorShown, int32_t separatorHeight, int32_t bodyRowCount,
                                             int32_t topRow)
    {
        RowLayoutFrame frame;
        frame.client = client;
        frame.headerStrip = headerShown && headerHeight > 0 ? headerHeight : 0;
        frame.separatorHeight = separatorShown && separatorHeight > 0 ? separatorHeight : 0;
        // A host that never scrolled shows its body rows from the first.
        frame.topRow = topRow < 0 && bodyRowCount > 0 ? 0 : topRow;
        return frame;
    }

    IPaintHost() = default;
    IPaintHost(const IPaintHost&) = default;
    IPaintHost& operator=(const IPaintHost&) = default;
    ~IPaintHost() = default;
};

} // namespace Brivel::GUI
