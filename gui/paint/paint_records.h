#pragma once
// The paint records: what the paint pass (grid_painter.h) hands to the
// custom draw (custom_draw.h) and the paint formats (paint_format.h) for each
// piece it draws. All rectangles are in client pixels.
//
//   PaintContext  one per paint pass: the surface, the clip rectangle (the
//                 update rectangle being painted), the grid and its settings
//                 read once for the whole pass, and a scratch text buffer.
//   LineInfo      one per row: colours by parity, the row's rectangles, font,
//                 margins, highlight settings, list, index, item and the
//                 selection state of its neighbours.
//   CellInfo      one per cell: the line's fields with the cell's rectangles,
//                 plus the column and what the cell's text and image need.
//   HeaderInfo    one per header strip: drag state, font, image list.
//   ColumnInfo    one per header cell.
//
// Flow: the paint pass fills a PaintContext (PreparePaintContext) and, per
// row, a LineInfo; the line format builds a CellInfo per cell on its stack
// and hands it to the custom draw; the header format does the same with a
// ColumnInfo per column. Records are plain values on the stack: building one
// allocates nothing.
//
// Ownership: every pointer in a record is borrowed for the duration of the
// call that receives the record (the host owns what it hands out).
// Thread: the GUI thread (painting runs there).

#include "gui/paint/appearance.h"
#include "gui/header/column.h"
#include "gui/header/header.h"
#include "gui/paint/paint_format.h"
#include "gui/paint/paint_host.h"

#include "common/value_kind.h"
#include "platform/rect.h"

#include <QRegion>

#include <array>
#include <cstdint>
#include <string>

class QFont;
class QImage;
class QWidget;

namespace Brivel::Common {
class CDataObject;
class CFormat;
} // namespace Brivel::Common

namespace Brivel::Platform {
class CDC;
class CImageList;
} // namespace Brivel::Platform

namespace Brivel::GUI {

class CGrid;
class CGridItem;
class CRowList;
class ICustomDraw;
class IHorizontalScrollSource;

// One per paint pass: the surface, the clip rectangle, the grid and its
// settings read once for the pass, and a scratch text buffer.
struct PaintContext {
    // ---- The window and what it shows ----
    IPaintHost* host = nullptr;   // the grid's painting side; never null in a pass
    CGrid* grid = nullptr;        // handed to custom-draw overrides; null outside a grid
    QWidget* window = nullptr;    // the grid window; null outside a window
    CHeader* header = nullptr;    // null: no header attached
    // For the header's hit tests and rectangles; never null in a pass (a
    // host without one is taken as not scrolled).
    const IHorizontalScrollSource* scroll = nullptr;
    Platform::CDC* dc = nullptr;  // the drawing surface; never null in a pass
    ICustomDraw* customDraw = nullptr; // the grid's or the shared default

    // The part being painted (the current update rectangle).
    Platform::CRect clip;
    // Reused for each cell's text: drawing a cell leaves its capacity to the
    // next one, so short texts never allocate.
    std::string text;

    // ---- Interaction state ----
    Platform::CRect rubberBand;      // normalized; empty when none
    int32_t focusListKind = 0;       // the list kind of the focus row; 0: no focus
    int32_t focusRow = -1;           // the focus row within that list
    RowDropMark dropMark;            // of a row drag over the rows; item null: none

    // ---- Images and the background picture ----
    Platform::CImageList* cellImageList = nullptr; // the grid's cell images; null: none
    bool stretchImages = false; // cell images are scaled to the cell's height
    const QImage* backgroundPicture = nullptr; // the pre-rendered picture (client size); null: none
    Platform::CRect pictureRect;               // where the picture shows (client pixels)
    int32_t backgroundAlpha = -1;              // overlay alpha; -1: the picture is not used

    // ---- Settings, read once per pass ----
    const Appearance* appearance = nullptr; // the grid's colours
    bool highlightChangedValues = false; // changed cells are highlighted
    int32_t now = 0; // the process clock at the start of the pass: every cell's change age is taken against it
    PaintElementMask mask = PaintElement::kAll; // the elements the grid paints
    const QFont* font = nullptr;     // the grid font, else the shared default font
    int32_t fixedWidth = 0;          // the header's fixed width
    int32_t treeColumnId = CColumn::kUnsetField; // the header's focus column; kUnsetField: none
    bool treeShown = true; // rows are drawn as a tree (IPaintHost::IsTreeShown)
    // The sort levels' field identifiers in level order; the list ends at the
    // first kNoField (at most five).
    std::array<int32_t, CHeader::kMaxSortLevels> sortFields{};
    std::array<bool, CHeader::kMaxSortLevels> sortDescending{}; // per level, as sortFields

    // ---- Collected during the pass ----
    // The nearest repaint a running change highlight asks for, in ms from
    // `now` (the minimum over the cells drawn); -1: none. The paint pass
    // hands it to the host once, after the pass (IPaintHost::RefreshHighlightsIn).
    int32_t highlightRefreshMs = -1;

    // The sort level of `fieldId` (0-based), or -1 when it is not sorted on.
    int32_t SortLevelOf(int32_t fieldId) const noexcept
    {
        for (int32_t level = 0; level < CHeader::kMaxSortLevels; ++level) {
            if (sortFields[level] == CSortInfo::kNoField)
                break;
            if (sortFields[level] == fieldId)
                return level;
        }
        return -1;
    }
    // Whether `row` of the list kind has the focus.
    bool IsFocusRow(int32_t listKind, int32_t row) const noexcept
    {
        return focusListKind != 0 && listKind == focusListKind && row == focusRow;
    }
};

// One per row: colours by parity, the row's rectangles, font, margins,
// highlight settings, list, index, item and the neighbours' selection.
struct LineInfo {
    COLORREF textColor = Platform::RGB(0, 0, 0);       // the row's, by parity
    COLORREF backColor = Platform::RGB(255, 255, 255); // the row's, by parity
    // In a LineInfo the row's rectangles; in a CellInfo the cell's (see there).
    Platform::CRect visibleRect; // the visible part (cut at the client or area bottom)
    Platform::CRect fullRect;    // the whole row, client width by row height
    Platform::CRect paintRect;   // the visible part within the clip rectangle
    const QFont* font = nullptr; // the grid font, else the shared default
    int32_t leftMargin = 2; // pixels between a cell's left edge and its content
    int32_t rightMargin = 2; // pixels between a cell's content and its right edge
    HighlightSettings highlight; // how changed cells are highlighted
    CRowList* list = nullptr;    // the pinned or body list; null only for a host without lists
    int32_t listKind = 0;        // 1 pinned, 2 body
    int32_t row = -1;            // index within the list; empty lines continue the row count
    CGridItem* item = nullptr;   // null for the empty lines below the last row
    bool prevSelected = false; // the row above is selected
    bool nextSelected = false; // the row below is selected

    bool IsSelected() const noexcept; // the row's item is selected
};

// A cell: the line's fields, with the rectangles standing for the cell:
//   visibleRect  the cell clipped at the fixed-area boundary and to the
//                visible part of the row;
//   fullRect     the column's unclipped extent by the row's full height;
//   paintRect    the visible cell within the clip rectangle.
struct CellInfo : LineInfo {
    const LineInfo* line = nullptr;   // the line the cell belongs to
    CColumn* column = nullptr;        // null for the area right of the last column
    CColumn::Attributes attributes;   // the column's, read once (defaults without a column)
    Platform::CImageList* imageList = nullptr; // the column's cell images (the grid's); null: none
    int32_t imageIndex = -1;          // the column's cell image; -1: none
    bool stretchImages = false; // as PaintContext::stretchImages; false right of the last column
    Common::CDataObject* object = nullptr; // the row's data object; null: none
    Common::ValueKind kind = Common::KindNone; // the kind of the column's field in the object
    const Common::CFormat* format = nullptr;   // the value format of the text; null: no text
    // Milliseconds since the cell's change (the row's when the field has no
    // record of its own), taken once when the cell is built; -1 when it never
    // changed or highlighting is off.
    int32_t changeAge = -1;

    int32_t ColumnId() const noexcept { return column ? attributes.id : CColumn::kUnsetField; } // the column's field id; kUnsetField without a column
};

// One per header strip: drag state, font, image list.
struct HeaderInfo {
    CColumn* dragged = nullptr;  // the column being dragged or resized
    CColumn* dropTarget = nullptr; // the column a drag would drop on; null: none
    int32_t dropSide = 0;        // 1 left half, 2 right half, 0 none
    const QFont* font = nullptr; // the header's font, else the grid's; null: none
    Platform::CImageList* imageList = nullptr; // the header's images; null: none
    COLORREF textColor = Platform::RGB(0, 0, 0); // the system window-text colour
    Platform::CRect rect;        // the header strip
};

// One per header cell.
struct ColumnInfo {
    const HeaderInfo* header = nullptr; // the strip the cell belongs to
    CColumn* column = nullptr; // the column drawn
    CColumn::Attributes attributes; // the column's, read once
    Platform::CRect visibleRect; // clipped at the fixed-area boundary
    Platform::CRect fullRect; // the column's unclipped extent by the strip's height
    int32_t state = 0;           // 1: the column being dragged or resized
    const QFont* font = nullptr; // the strip's (HeaderInfo::font)
    int32_t headerImage = -1; // the column's header image; -1: none
    COLORREF textColor = Platform::RGB(0, 0, 0); // the strip's (HeaderInfo::textColor)
};

// Keeps `rect` out of the surface's clip region while it lives and then puts
// the clip back exactly as it was (an empty rectangle changes nothing). Used
// for the part of a scrolled column that lies under the fixed columns. The
// two clip changes allocate (QRegion): only cells that straddle the fixed
// boundary pay them.
class CScopedClipExclusion {
public:
    // Excludes `rect` from `dc`'s clip region; the destructor restores it.
    CScopedClipExclusion(Platform::CDC& dc, const Platform::CRect& rect);
    CScopedClipExclusion(const CScopedClipExclusion&) = delete;
    CScopedClipExclusion& operator=(const CScopedClipExclusion&) = delete;
    ~CScopedClipExclusion();

private:
    Platform::CDC* m_dc = nullptr; // Not owned; null when nothing was excluded.
    bool m_hadClip = false;
    QRegion m_previous;
};

// The value format a cell of the column with `attributes` shows `object`'s
// field in: the column's own, else the field's; null when the object has no
// such field. `kind` receives the field's value kind (KindNone without one).
const Common::CFormat* CellFormatOf(const Common::CDataObject& object, const CColumn::Attributes& attributes,
                                    Common::ValueKind& kind);
// Writes the text of `object`'s field `fieldId` (of value kind `kind`) in
// `format` into `text`. A standard string is read and formatted typed, so
// that short texts stay in the string's inline buffer.
void FormatCellText(const Common::CFormat& format, Common::ValueKind kind, const Common::CDataObject& object,
                    int32_t fieldId, std::string& text);

// Fills the pass-wide part of `context` from `host`: everything but the
// surface, the clip and the background picture (the paint pass owns those).
// Reads the header's fixed width, focus column and sort levels once.
void PreparePaintContext(PaintContext& context, IPaintHost& host);

} // namespace Brivel::GUI
