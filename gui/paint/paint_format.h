#pragma once
// The paint-format interfaces: the strategy objects that draw the grid.
//   ICellPaintFormat    one cell
//   IColumnPaintFormat  one header cell (a column's caption box)
//   IHeaderPaintFormat  the whole header strip
//   ILinePaintFormat    one row
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

#include "platform/colorref.h"
#include "platform/rect.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Brivel::Platform {
class CArchive;
}

namespace Brivel::GUI {

// Paint records, defined by the paint pass in gui/paint_records.h.
struct PaintContext;
struct LineInfo;
struct CellInfo;
struct HeaderInfo;
struct ColumnInfo;
// The drawing dispatcher that chooses the format of each piece (custom_draw.h).
class ICustomDraw;

// The paint element mask: 19 bits, one per drawable element.
using PaintElementMask = uint32_t;

namespace PaintElement {
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

class ICellPaintFormat {
public:
    virtual ~ICellPaintFormat() = default;
    virtual void Draw(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const = 0;
    virtual Platform::COLORREF GetBackColor(const CellInfo& cell, PaintContext& context,
                                            PaintElementMask mask) const = 0;
    virtual Platform::COLORREF GetTextColor(const CellInfo& cell, PaintContext& context,
                                            PaintElementMask mask) const = 0;
    // The width in pixels that the cell's content needs.
    virtual int32_t MeasureWidth(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const = 0;
    virtual void GetImageRect(Platform::CRect& result, const CellInfo& cell, PaintContext& context,
                              PaintElementMask mask) const = 0;
    virtual void GetTextRect(Platform::CRect& result, const CellInfo& cell, PaintContext& context,
                             PaintElementMask mask) const = 0;
    // A new default instance of the same class.
    virtual std::unique_ptr<ICellPaintFormat> Clone() const = 0;
    // Whether a column stores this format (its class name, then Serialize).
    virtual bool IsSerializable() const { return false; }
    // The registry name ("GUI::CCellPaintFormat"); empty when not registered.
    virtual std::string GetClassName() const { return {}; }
    virtual void Serialize(Platform::CArchive& /*ar*/) {}

protected:
    ICellPaintFormat() = default;
    ICellPaintFormat(const ICellPaintFormat&) = default;
    ICellPaintFormat& operator=(const ICellPaintFormat&) = default;
};

class IColumnPaintFormat {
public:
    virtual ~IColumnPaintFormat() = default;
    virtual void Draw(const ColumnInfo& column, PaintContext& context, PaintElementMask mask) const = 0;
    virtual std::unique_ptr<IColumnPaintFormat> Clone() const = 0;
    virtual bool IsSerializable() const { return false; }
    virtual std::string GetClassName() const { return {}; }
    virtual void Serialize(Platform::CArchive& /*ar*/) {}

protected:
    IColumnPaintFormat() = default;
    IColumnPaintFormat(const IColumnPaintFormat&) = default;
    IColumnPaintFormat& operator=(const IColumnPaintFormat&) = default;
};

class IHeaderPaintFormat {
public:
    virtual ~IHeaderPaintFormat() = default;
    // customDraw is the grid's custom draw, or the default one when the grid
    // has none; the format calls it back for each column.
    virtual void Draw(const HeaderInfo& header, PaintContext& context, PaintElementMask mask,
                      ICustomDraw& customDraw) const = 0;
    virtual bool IsSerializable() const { return false; }
    virtual std::string GetClassName() const { return {}; }
    virtual void Serialize(Platform::CArchive& /*ar*/) {}

protected:
    IHeaderPaintFormat() = default;
    IHeaderPaintFormat(const IHeaderPaintFormat&) = default;
    IHeaderPaintFormat& operator=(const IHeaderPaintFormat&) = default;
};

class ILinePaintFormat {
public:
    virtual ~ILinePaintFormat() = default;
    // customDraw as for IHeaderPaintFormat::Draw; called back for each cell.
    virtual void Draw(const LineInfo& line, PaintContext& context, PaintElementMask mask,
                      ICustomDraw& customDraw) const = 0;
    virtual bool IsSerializable() const { return false; }
    virtual std::string GetClassName() const { return {}; }
    virtual void Serialize(Platform::CArchive& /*ar*/) {}

protected:
    ILinePaintFormat() = default;
    ILinePaintFormat(const ILinePaintFormat&) = default;
    ILinePaintFormat& operator=(const ILinePaintFormat&) = default;
};

} // namespace Brivel::GUI
