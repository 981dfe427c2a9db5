#pragma once
// The paint-format interfaces: the strategy objects that draw the grid.
//   ICellPaintFormat    one cell
//   IColumnPaintFormat  one header cell (a column's caption box)
//   IHeaderPaintFormat  the whole header strip
//   ILinePaintFormat    one row
//   ICustomDraw         the one entry point through which a grid draws and
//                       measures: it chooses the format of each piece (the
//                       default, CCustomDraw, and its slots: custom_draw.h)
// The default implementations (CCellPaintFormat, ...) live with the painting
// code; a column may carry its own cell and column paint formats, which it
// owns and stores by class name (paint_format_registry.h re-creates them).
//
// Every drawing operation takes the paint records built by the paint pass
// (paint_records.h) and the grid's paint element mask: a step draws only when
// its bit is set (PaintElement below). The records are read-only to a format;
// the context is not, because it carries the drawing surface and a scratch
// text buffer.
//
// The virtual operations are declared in their slot order; keep it when
// editing. Formats are meant to be stateless and shared (one default instance
// serves every grid), hence the const drawing operations; Serialize is the
// one mutation, made while a column loads, before the format is shared.
//
// Ownership: a format belongs to whoever holds it (a column, the painting
// code's defaults). Clone gives the caller a new default instance it owns.
// Thread: drawing and measuring on the thread that owns the surface (the GUI
// thread); Clone, IsSerializable and GetClassName on any thread.

#include "gui/grid/auto_delete.h"

#include "platform/colorref.h"
#include "platform/rect.h"

#include <cstdint>
#include <memory>
#include <string>

class QFont;

namespace Brivel::Common {
class CDataObject;
}

namespace Brivel::Platform {
class CArchive;
class CDC;
}

namespace Brivel::GUI {

// Paint records, defined by the paint pass in gui/paint_records.h.
struct PaintContext;
struct LineInfo;
struct CellInfo;
struct HeaderInfo;
struct ColumnInfo;
class ICustomDraw;
class CColumn;
class CGrid;
class CGridItem;

// The paint element mask: 19 bits, one per drawable element.
using PaintElementMask = uint32_t;

// The bits of PaintElementMask.
namespace PaintElement {
// One bit per element: texts, images, backgrounds and tints, frames, the
// change highlight, drag marks, the tree's indent, buttons and lines, grid
// lines and embedded controls.
inline constexpr PaintElementMask kCellText = 0x1;
inline constexpr PaintElementMask kCellImages = 0x2;
inline constexpr PaintElementMask kHeaderImages = 0x4;
inline constexpr PaintElementMask kCellBackground = 0x8;
inline constexpr PaintElementMask kSelectionTint = 0x10;
inline constexpr PaintElementMask kSelectionFrame = 0x20;
inline constexpr PaintElementMask kSortedColumnTint = 0x40;
inline constexpr PaintElementMask kRubberBand = 0x80;
inline constexpr PaintElementMask kFocusRowTint = 0x100;
inline constexpr PaintElementMask kFocusFrame = 0x200;
inline constexpr PaintElementMask kChangeHighlight = 0x400;
inline constexpr PaintElementMask kInsertionMark = 0x800;
inline constexpr PaintElementMask kDropArrows = 0x1000;
inline constexpr PaintElementMask kTreeIndent = 0x2000;
inline constexpr PaintElementMask kTreeButtons = 0x4000;
inline constexpr PaintElementMask kTreeLines = 0x8000;
inline constexpr PaintElementMask kHorizontalLines = 0x10000;
inline constexpr PaintElementMask kVerticalLines = 0x20000;
inline constexpr PaintElementMask kEmbeddedControls = 0x40000;
// Every element: the grid's default mask.
inline constexpr PaintElementMask kAll = 0x7FFFF;
} // namespace PaintElement

// Draws and measures one cell.
class ICellPaintFormat {
public:
    virtual ~ICellPaintFormat() = default;
    // Draws the cell (the elements in `mask`) on context.dc.
    virtual void Draw(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const = 0;
    // The colour the cell's background is painted in.
    virtual Platform::COLORREF GetBackColor(const CellInfo& cell, PaintContext& context,
                                            PaintElementMask mask) const = 0;
    // The colour the cell's text is drawn in.
    virtual Platform::COLORREF GetTextColor(const CellInfo& cell, PaintContext& context,
                                            PaintElementMask mask) const = 0;
    // The width in pixels that the cell's content needs.
    virtual int32_t MeasureWidth(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const = 0;
    // Where the cell's image goes (`result`).
    virtual void GetImageRect(Platform::CRect& result, const CellInfo& cell, PaintContext& context,
                              PaintElementMask mask) const = 0;
    // Where the cell's text goes (`result`).
    virtual void GetTextRect(Platform::CRect& result, const CellInfo& cell, PaintContext& context,
                             PaintElementMask mask) const = 0;
    // A new default instance of the same class.
    virtual std::unique_ptr<ICellPaintFormat> Clone() const = 0;
    // Whether a column stores this format (its class name, then Serialize).
    virtual bool IsSerializable() const { return false; }
    // The registry name ("GUI::CCellPaintFormat"); empty when not registered.
    virtual std::string GetClassName() const { return {}; }
    // Stores or loads the format's settings; the base has none.
    virtual void Serialize(Platform::CArchive& /*ar*/) {}

protected:
    ICellPaintFormat() = default;
    ICellPaintFormat(const ICellPaintFormat&) = default;
    ICellPaintFormat& operator=(const ICellPaintFormat&) = default;
};

// Draws one header cell (a column's caption box).
class IColumnPaintFormat {
public:
    virtual ~IColumnPaintFormat() = default;
    // Draws the header cell on context.dc.
    virtual void Draw(const ColumnInfo& column, PaintContext& context, PaintElementMask mask) const = 0;
    // A new default instance of the same class.
    virtual std::unique_ptr<IColumnPaintFormat> Clone() const = 0;
    // As ICellPaintFormat's: whether a holder stores the format, its registry
    // name, and its settings (none in the base).
    virtual bool IsSerializable() const { return false; }
    virtual std::string GetClassName() const { return {}; } // empty when not registered
    virtual void Serialize(Platform::CArchive& /*ar*/) {} // the base stores nothing

protected:
    IColumnPaintFormat() = default;
    IColumnPaintFormat(const IColumnPaintFormat&) = default;
    IColumnPaintFormat& operator=(const IColumnPaintFormat&) = default;
};

// Draws the whole header strip.
class IHeaderPaintFormat {
public:
    virtual ~IHeaderPaintFormat() = default;
    // customDraw is the grid's custom draw, or the default one when the grid
    // has none; the format calls it back for each column.
    virtual void Draw(const HeaderInfo& header, PaintContext& context, PaintElementMask mask,
                      ICustomDraw& customDraw) const = 0;
    // As ICellPaintFormat's: whether a holder stores the format, its registry
    // name, and its settings (none in the base).
    virtual bool IsSerializable() const { return false; }
    virtual std::string GetClassName() const { return {}; } // empty when not registered
    virtual void Serialize(Platform::CArchive& /*ar*/) {} // the base stores nothing

protected:
    IHeaderPaintFormat() = default;
    IHeaderPaintFormat(const IHeaderPaintFormat&) = default;
    IHeaderPaintFormat& operator=(const IHeaderPaintFormat&) = default;
};

// Draws one row.
class ILinePaintFormat {
public:
    virtual ~ILinePaintFormat() = default;
    // customDraw as for IHeaderPaintFormat::Draw; called back for each cell.
    virtual void Draw(const LineInfo& line, PaintContext& context, PaintElementMask mask,
                      ICustomDraw& customDraw) const = 0;
    // As ICellPaintFormat's: whether a holder stores the format, its registry
    // name, and its settings (none in the base).
    virtual bool IsSerializable() const { return false; }
    virtual std::string GetClassName() const { return {}; } // empty when not registered
    virtual void Serialize(Platform::CArchive& /*ar*/) {} // the base stores nothing

protected:
    ILinePaintFormat() = default;
    ILinePaintFormat(const ILinePaintFormat&) = default;
    ILinePaintFormat& operator=(const ILinePaintFormat&) = default;
};

// The one entry point through which a grid draws and measures: it draws
// the header, header cells, rows and cells, and chooses the format of each
// (CCustomDraw, custom_draw.h, is the default).
class ICustomDraw : public virtual IAutoDelete {
public:
    // Draws the header strip.
    virtual void DrawHeader(const HeaderInfo& header, PaintContext& context, PaintElementMask mask) = 0;       // 0
    // Draws one header cell.
    virtual void DrawColumnHeader(const ColumnInfo& column, PaintContext& context, PaintElementMask mask) = 0; // 1
    // Draws one row.
    virtual void DrawLine(const LineInfo& line, PaintContext& context, PaintElementMask mask) = 0;             // 2
    // Draws one cell.
    virtual void DrawCell(const CellInfo& cell, PaintContext& context, PaintElementMask mask) = 0;             // 3
    // The format that draws the row of `item` (null: an empty line), which
    // shows `object` (null: none). `line` is the row being drawn.
    virtual const ILinePaintFormat& GetLinePaintFormat(Common::CDataObject* object, CGridItem* item, CGrid* grid,
                                                       const LineInfo& line, PaintContext& context) = 0;       // 4
    // The format that draws the cell of `column` (null: right of the last
    // column) in the row of `item`, which shows `object`.
    virtual const ICellPaintFormat& GetCellPaintFormat(CColumn* column, Common::CDataObject* object, CGridItem* item,
                                                       CGrid* grid, const CellInfo& cell, PaintContext& context) = 0; // 5
    // The header strip's height for the header information's font, measured
    // on context.dc (a scratch surface when it is null).
    virtual int32_t GetHeaderHeight(const HeaderInfo& header, PaintContext& context) = 0;                      // 6
    // A row's height for `font`, measured on `dc` (null: a scratch surface).
    virtual int32_t GetLineHeight(const QFont* font, Platform::CDC* dc) = 0;                                   // 7
    // The width in pixels that the cell's content needs.
    virtual int32_t MeasureCell(const CellInfo& cell, PaintContext& context, PaintElementMask mask) = 0;       // 8

protected:
    ICustomDraw() = default;
    ICustomDraw(const ICustomDraw&) = default;
    ICustomDraw& operator=(const ICustomDraw&) = default;
};

} // namespace Brivel::GUI
