#include "gui/paint/custom_draw.h"

#include "gui/paint/cell_paint_format.h"
#include "gui/paint/column_paint_format.h"
#include "gui/rows/grid_item.h"
#include "gui/paint/header_paint_format.h"
#include "gui/paint/line_paint_format.h"

#include "platform/dc.h"
#include "platform/font.h"

#include <QFont>

namespace Brivel::GUI {

namespace {

// The objects behind GetSharedPaintDefaults. Made on first use (a function
// static: thread-safe), destroyed after main returns. Nothing here holds a
// Qt resource, so the order against QApplication's end does not matter.
struct CSharedDefaultsStorage {
    CCellPaintFormat cellFormat;
    CColumnPaintFormat columnFormat;
    CHeaderPaintFormat headerFormat;
    CLinePaintFormat lineFormat;
    CCustomDraw customDraw{false};
    SharedPaintDefaults view{cellFormat, columnFormat, headerFormat, lineFormat, customDraw};
};

// Runs `measure` on `dc`, or on a one-pixel scratch surface when it is null.
template <class Measure>
int32_t WithSurface(Platform::CDC* dc, Measure&& measure)
{
    if (dc != nullptr && dc->IsValid())
        return measure(*dc);
    Platform::CMemoryDC scratch(1, 1);
    return measure(scratch);
}

} // namespace

const SharedPaintDefaults& GetSharedPaintDefaults()
{
    static const CSharedDefaultsStorage storage;
    return storage.view;
}

const QFont& GetDefaultPaintFont()
{
    return Platform::GetDefaultGuiFont();
}

void CCustomDraw::DrawHeader(const HeaderInfo& header, PaintContext& context, PaintElementMask mask)
{
    GetSharedPaintDefaults().headerFormat.Draw(header, context, mask, *this);
}

void CCustomDraw::DrawColumnHeader(const ColumnInfo& column, PaintContext& context, PaintElementMask mask)
{
    // The column's own header-cell format is stored with it, but the default
    // drawing always uses the default one.
    GetSharedPaintDefaults().columnFormat.Draw(column, context, mask);
}

void CCustomDraw::DrawLine(const LineInfo& line, PaintContext& context, PaintElementMask mask)
{
    Common::CDataObject* const object = line.item ? line.item->GetDataObject() : nullptr;
    GetLinePaintFormat(object, line.item, context.grid, line, context).Draw(line, context, mask, *this);
}

void CCustomDraw::DrawCell(const CellInfo& cell, PaintContext& context, PaintElementMask mask)
{
    GetCellPaintFormat(cell.column, cell.object, cell.item, context.grid, cell, context).Draw(cell, context, mask);
}

const ILinePaintFormat& CCustomDraw::GetLinePaintFormat(Common::CDataObject* /*object*/, CGridItem* /*item*/,
                                                        CGrid* /*grid*/, const LineInfo& /*line*/,
                                                        PaintContext& /*context*/)
{
    return GetSharedPaintDefaults().lineFormat;
}

const ICellPaintFormat& CCustomDraw::GetCellPaintFormat(CColumn* column, Common::CDataObject* /*object*/,
                                                        CGridItem* /*item*/, CGrid* /*grid*/, const CellInfo& cell,
                                                        PaintContext& /*context*/)
{
    if (column != nullptr) {
        // The cell record carries the column's attributes read once; a
        // record built elsewhere may not, so ask the column then.
        const ICellPaintFormat* own =
            cell.column == column ? cell.attributes.cellPaintFormat : column->GetCellPaintFormat();
        if (own != nullptr)
            return *own;
    }
    return GetSharedPaintDefaults().cellFormat;
}

int32_t CCustomDraw::GetHeaderHeight(const HeaderInfo& header, PaintContext& context)
{
    if (header.font == nullptr || context.header == nullptr)
        return kDefaultHeaderHeight;
    return WithSurface(context.dc, [&](Platform::CDC& dc) {
        const QFont previous = dc.SelectFont(*header.font);
        Platform::TEXTMETRIC metrics;
        const bool ok = dc.GetTextMetrics(metrics);
        dc.SelectFont(previous);
        if (!ok || metrics.tmHeight <= 0)
            return kDefaultHeaderHeight;
        return metrics.tmHeight + metrics.tmInternalLeading + 4;
    });
}

int32_t CCustomDraw::GetLineHeight(const QFont* font, Platform::CDC* dc)
{
    if (font == nullptr)
        return 0;
    return WithSurface(dc, [&](Platform::CDC& surface) {
        const QFont previous = surface.SelectFont(*font);
        Platform::TEXTMETRIC metrics;
        const bool ok = surface.GetTextMetrics(metrics);
        surface.SelectFont(previous);
        return ok ? metrics.tmHeight + metrics.tmInternalLeading / 2 : 0;
    });
}

int32_t CCustomDraw::MeasureCell(const CellInfo& cell, PaintContext& context, PaintElementMask mask)
{
    return GetCellPaintFormat(cell.column, cell.object, cell.item, context.grid, cell, context)
        .MeasureWidth(cell, context, mask);
}

} // namespace Brivel::GUI
