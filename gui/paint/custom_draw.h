#pragma once
// CCustomDraw: the default ICustomDraw (declared with the paint-format
// interfaces in paint_format.h), the one entry point through which a grid
// draws and measures.
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

#include "gui/paint/paint_format.h"

#include <cstdint>

namespace Brivel::GUI {

class CCellPaintFormat;
class CColumnPaintFormat;
class CHeaderPaintFormat;
class CLinePaintFormat;

class CCustomDraw : public ICustomDraw {
public:
    static constexpr int32_t kDefaultHeaderHeight = 20; // the strip's height when no font can be measured

    // autoDelete is what IsAutoDelete answers: whether the grid that holds
    // this custom draw deletes it.
    explicit CCustomDraw(bool autoDelete = true) : m_autoDelete(autoDelete) {}
    CCustomDraw(const CCustomDraw&) = delete;
    CCustomDraw& operator=(const CCustomDraw&) = delete;
    ~CCustomDraw() override = default;

    bool IsAutoDelete() const override { return m_autoDelete; } // as constructed

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
    const CCellPaintFormat& cellFormat; // the default cell painter
    const CColumnPaintFormat& columnFormat; // the default header-cell painter
    const CHeaderPaintFormat& headerFormat; // the default header-strip painter
    const CLinePaintFormat& lineFormat; // the default row painter
    CCustomDraw& customDraw; // answers IsAutoDelete() false: no grid deletes it
};
const SharedPaintDefaults& GetSharedPaintDefaults();
// The font of a grid without one: the application's font, copied once
// (Platform::GetDefaultGuiFont). Thread: any thread.
const QFont& GetDefaultPaintFont();

} // namespace Brivel::GUI
