#pragma once
// ICustomDraw: the one entry point through which a grid draws and measures.
// The paint pass never calls a paint format itself: it asks the grid's
// custom draw to draw the header strip, a header cell, a line or a cell, and
// to choose the paint formats. CCustomDraw is the default; an application
// derives from it and overrides single operations to change how particular
// rows or cells look, or to hand out paint formats of its own. A grid without
// a custom draw of its own uses the shared default instance.
//
// Operations in slot order (after IAutoDelete's), with what CCustomDraw does:
//   0 DrawHeader          the default CHeaderPaintFormat draws the strip,
//                         calling DrawColumnHeader back for each column
//   1 DrawColumnHeader    the default CColumnPaintFormat draws the cell
//   2 DrawLine            GetLinePaintFormat, then its Draw, which calls
//                         DrawCell back for each cell
//   3 DrawCell            GetCellPaintFormat, then its Draw
//   4 GetLinePaintFormat  the default CLinePaintFormat
//   5 GetCellPaintFormat  the column's own cell paint format, else the
//                         default CCellPaintFormat
//   6 GetHeaderHeight     20 without a header font or a header; else text
//                         height + internal leading + 4 in the header font
//   7 GetLineHeight       0 without a font; else text height + internal
//                         leading / 2 in that font
//   8 MeasureCell         GetCellPaintFormat, then its MeasureWidth
//
// The shared defaults (GetSharedPaintDefaults) are one instance of each
// default paint format, the default custom draw and the default font (a copy
// of the application's font, made once). They are made on first use and
// live until the process exits; they hold no resources that need the
// application, so their destruction after QApplication is gone is safe.
//
// Ownership: a grid holds its custom draw and deletes it at its own end when
// IsAutoDelete() answers true. Formats returned by the choosers are borrowed
// for the duration of the drawing call: the defaults live for the process, a
// column's own format as long as the column.
// Thread: GUI thread (drawing); the shared defaults may be reached from any
// thread.

#include "gui/grid/auto_delete.h"
#include "gui/paint/paint_format.h"
#include "gui/paint/paint_records.h"

#include <cstdint>

class QFont;

namespace Brivel::Common {
class CDataObject;
}

namespace Brivel::Platform {
class CDC;
}

namespace Brivel::GUI {

class CCellPaintFormat;
class CColumnPaintFormat;
class CHeaderPaintFormat;
class CLinePaintFormat;
class CColumn;
class CGrid;
class CGridItem;

class ICustomDraw : public virtual IAutoDelete {
public:
    virtual void DrawHeader(const HeaderInfo& header, PaintContext& context, PaintElementMask mask) = 0;       // 0
    virtual void DrawColumnHeader(const ColumnInfo& column, PaintContext& context, PaintElementMask mask) = 0; // 1
    virtual void DrawLine(const LineInfo& line, PaintContext& context, PaintElementMask mask) = 0;             // 2
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
    virtual int32_t MeasureCell(const CellInfo& cell, PaintContext& context, PaintElementMask mask) = 0;       // 8

protected:
    ICustomDraw() = default;
    ICustomDraw(const ICustomDraw&) = default;
    ICustomDraw& operator=(const ICustomDraw&) = default;
};

class CCustomDraw : public ICustomDraw {
public:
    static constexpr int32_t kDefaultHeaderHeight = 20;

    // autoDelete is what IsAutoDelete answers: whether the grid that holds
    // this custom draw deletes it.
    explicit CCustomDraw(bool autoDelete = true) : m_autoDelete(autoDelete) {}
    CCustomDraw(const CCustomDraw&) = delete;
    CCustomDraw& operator=(const CCustomDraw&) = delete;
    ~CCustomDraw() override = default;

    bool IsAutoDelete() const override { return m_autoDelete; }

    void DrawHeader(const HeaderInfo& header, PaintContext& context, PaintElementMask mask) override;
    void DrawColumnHeader(const ColumnInfo& column, PaintContext& context, PaintElementMask mask) override;
    void DrawLine(const LineInfo& line, PaintContext& context, PaintElementMask mask) override;
    void DrawCell(const CellInfo& cell, PaintContext& context, PaintElementMask mask) override;
    const ILinePaintFormat& GetLinePaintFormat(Common::CDataObject* object, CGridItem* item, CGrid* grid,
                                               const LineInfo& line, PaintContext& context) override;
    const ICellPaintFormat& GetCellPaintFormat(CColumn* column, Common::CDataObject* object, CGridItem* item,
                                               CGrid* grid, const CellInfo& cell, PaintContext& context) override;
    int32_t GetHeaderHeight(const HeaderInfo& header, PaintContext& context) override;
    int32_t GetLineHeight(const QFont* font, Platform::CDC* dc) override;
    int32_t MeasureCell(const CellInfo& cell, PaintContext& context, PaintElementMask mask) override;

private:
    const bool m_autoDelete;
};

// The process-wide defaults of painting (see the top of this file).
struct SharedPaintDefaults {
    const CCellPaintFormat& cellFormat;
    const CColumnPaintFormat& columnFormat;
    const CHeaderPaintFormat& headerFormat;
    const CLinePaintFormat& lineFormat;
    CCustomDraw& customDraw; // answers IsAutoDelete() false: no grid deletes it
};
const SharedPaintDefaults& GetSharedPaintDefaults();
// The font of a grid without one: the application's font, copied once
// (Platform::GetDefaultGuiFont). Thread: any thread.
const QFont& GetDefaultPaintFont();

} // namespace Brivel::GUI
