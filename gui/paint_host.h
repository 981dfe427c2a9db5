#pragma once
// IPaintHost: what the painting code (the paint pass, the paint formats and
// the custom draw) reads from, and asks of, the grid it paints.
//
// The grid implements it; tests implement it over a bare CRowList and CHeader,
// so that painting can be exercised without a grid window. Every operation
// has a neutral default (nothing there, option off), so that a host overrides
// only what it has.
//
// Ownership: the host owns everything it hands out; the pointers stay valid
// for the duration of one paint pass.
// Thread: the grid's GUI thread only (painting runs there).

#include "gui/appearance.h"
#include "gui/paint_format.h"
#include "platform/rect.h"

#include <cstdint>

class QFont;
class QImage;

namespace Brivel::Platform {
class CImageList;
}

namespace Brivel::GUI {

class CGrid;
class CGridItem;
class CHeader;
class CRowList;
class ICustomDraw;
class IHorizontalScrollSource;

// How a background picture is laid out under the rows.
enum BackgroundMode : int32_t {
    kBackgroundCentred = 0,
    kBackgroundStretched = 1,
    kBackgroundTiled = 2,
};

class IPaintHost {
public:
    // The grid window (handed to custom-draw overrides); null outside a grid.
    virtual CGrid* GetGrid() const { return nullptr; }

    // ---- What is painted ----
    virtual CHeader* GetHeader() const { return nullptr; }
    virtual bool IsHeaderShown() const { return true; }
    // The source of the horizontal scroll position handed to the header's
    // hit tests and column rectangles; null: not scrolled.
    virtual const IHorizontalScrollSource* GetScrollSource() const { return nullptr; }
    // The pinned (1) or body (2) list; null for any other kind.
    virtual CRowList* GetRowList(int32_t /*kind*/) const { return nullptr; }
    // The first body row drawn (the vertical scroll position); -1: none yet.
    virtual int32_t GetTopRow() const { return -1; }
    // The client rectangle (the widget's area without its scroll bars).
    virtual Platform::CRect GetClientRect() const { return {}; }
    // The focus row of a list kind, -1 when the focus is elsewhere or nowhere.
    virtual int32_t GetFocusRow(int32_t /*kind*/) const { return -1; }
    // The rubber-band selection rectangle, normalized; empty when none.
    virtual Platform::CRect GetRubberBand() const { return {}; }

    // ---- Options ----
    virtual const Appearance& GetAppearance() const
    {
        static const Appearance defaults;
        return defaults;
    }
    virtual const HighlightSettings& GetHighlightSettings() const
    {
        static const HighlightSettings defaults;
        return defaults;
    }
    virtual bool IsHighlightChangedValues() const { return false; }
    virtual PaintElementMask GetPaintElementMask() const { return PaintElement::kAll; }
    virtual bool IsDoubleBuffered() const { return true; }
    virtual bool IsSeparatorShown() const { return true; }
    virtual int32_t GetSeparatorHeight() const { return 2; }
    // The grid font; null: the shared default font.
    virtual const QFont* GetFont() const { return nullptr; }
    // The grid's custom draw; null: the shared default.
    virtual ICustomDraw* GetCustomDraw() const { return nullptr; }
    virtual Platform::CImageList* GetCellImageList() const { return nullptr; }
    virtual bool IsStretchImages() const { return false; }
    // The background picture (null: none), its mode and its overlay alpha
    // (-1: the picture is not used).
    virtual const QImage* GetBackgroundPicture() const { return nullptr; }
    virtual int32_t GetBackgroundMode() const { return kBackgroundCentred; }
    virtual int32_t GetBackgroundAlpha() const { return -1; }

    // ---- Highlight state (the grid's change records) ----
    // Milliseconds since the cell's (or, for field -1/-2, the row's) last
    // change; -1 when it never changed or the item is not the host's.
    virtual int32_t GetChangeAge(CGridItem& /*item*/, int32_t /*fieldId*/) { return -1; }
    // Repaint the cell of `fieldId` in `item`'s row `ms` milliseconds from now.
    virtual void SetHighlightExpiry(CGridItem& /*item*/, int32_t /*fieldId*/, int32_t /*ms*/) {}

protected:
    IPaintHost() = default;
    IPaintHost(const IPaintHost&) = default;
    IPaintHost& operator=(const IPaintHost&) = default;
    ~IPaintHost() = default;
};

} // namespace Brivel::GUI
