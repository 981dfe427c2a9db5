// CGridPrinter: geometry, bands, pages across and the page loop.
//
// ---- Sections ----
//   Geometry        ComputeGeometry
//   Layout          FirstCursor, LayoutBand, ComputeSpans, Prepare, PlanDocument
//   The page loop   Print, DrawBand, PrintPage
//
// Call flow of a print:
//   Print
//     Prepare: geometry, spans (pages across), a counting pass over the
//              bands (the page count, the range check), the band bitmap
//     StartDoc
//     per band: LayoutBand
//       [a page of the band in the range] DrawBand (once) -> CGridPainter::RenderRows
//       per page across in the range: PrintPage (map, white page, StretchBlt)
//                                     -> progress (may cancel)
//     EndDoc (or AbortDoc on failure and cancel)
//
// The rows of a band hold item pointers; they are laid out and drawn with
// no event processed in between (the progress runs after the band is drawn),
// so a row removed meanwhile is never followed.

#include "gui/print/grid_printer.h"

#include "gui/header/header.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/row_list.h"

#include "platform/dc.h"
#include "platform/printer.h"

#include <QString>

#include <algorithm>
#include <cmath>

namespace Brivel::GUI {

using Platform::CMemoryDC;
using Platform::CRect;
using Platform::CSize;

namespace {

// `value` x `numerator` / `denominator`, rounded, multiplied first so that
// small values do not vanish; 0 for a zero denominator.
int32_t MulDiv(int64_t value, int64_t numerator, int64_t denominator)
{
    if (denominator == 0)
        return 0;
    const int64_t product = value * numerator;
    const int64_t half = denominator / 2;
    return static_cast<int32_t>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

int32_t Scaled(int32_t value, double scale)
{
    return static_cast<int32_t>(std::floor(value / scale));
}

} // namespace

// ---- Geometry ----

CGridPrinter::Geometry CGridPrinter::ComputeGeometry(const CSize& printable, const CSize& printerDpi,
                                                     const CSize& screenDpi, const PrintSettings& settings)
{
    Geometry geometry;
    if (printable.cx <= 0 || printable.cy <= 0 || printerDpi.cx <= 0 || printerDpi.cy <= 0 || screenDpi.cx <= 0 ||
        screenDpi.cy <= 0)
        return geometry;
    const PrintSettings s = settings.Sanitized();
    geometry.page = CSize(MulDiv(printable.cx, screenDpi.cx, printerDpi.cx),
                          MulDiv(printable.cy, screenDpi.cy, printerDpi.cy));
    // Millimetres to page units: mm x dpi / 25.4, as mm x 10 x dpi / 254.
    const int32_t left = MulDiv(int64_t(s.leftMargin) * 10, screenDpi.cx, 254);
    const int32_t right = MulDiv(int64_t(s.rightMargin) * 10, screenDpi.cx, 254);
    const int32_t top = MulDiv(int64_t(s.topMargin) * 10, screenDpi.cy, 254);
    const int32_t bottom = MulDiv(int64_t(s.bottomMargin) * 10, screenDpi.cy, 254);
    geometry.drawing = CRect(left, top, geometry.page.cx - right, geometry.page.cy - bottom);
    if (geometry.drawing.Width() > 0 && geometry.drawing.Height() > 0)
        geometry.band = CSize(Scaled(geometry.drawing.Width(), s.scale), Scaled(geometry.drawing.Height(), s.scale));
    if (geometry.band.cx <= 0 || geometry.band.cy <= 0)
        geometry.band = CSize();
    return geometry;
}

// ---- Layout ----

CGridPrinter::CGridPrinter(const IPaintHost& grid) : m_host(grid) {}

CGridPrinter::~CGridPrinter() = default;

CGridPrinter::Cursor CGridPrinter::FirstCursor(const PrintSettings& settings) const
{
    const CRowList* const pinned = m_host.GetRowList(CRowList::kPinnedList);
    const CRowList* const body = m_host.GetRowList(CRowList::kBodyList);
    if (settings.printPinned && pinned != nullptr && pinned->GetRowCount() > 0)
        return {CRowList::kPinnedList, 0};
    if (settings.printBody && body != nullptr && body->GetRowCount() > 0)
        return {CRowList::kBodyList, 0};
    return {};
}

CGridPrinter::Cursor CGridPrinter::LayoutBand(Cursor cursor, bool header, int32_t bandHeight,
                                              const PrintSettings& settings)
{
    ++m_counters.bandsLaidOut;
    m_rows.clear();
    m_headerHeight = 0;
    if (CHeader* const columns = m_host.GetHeader(); header && columns != nullptr)
        m_headerHeight = std::clamp(columns->GetHeight(), 0, bandHeight / 2);
    int32_t used = m_headerHeight;
    while (cursor.kind != 0) {
        CRowList* const list = m_host.GetRowList(cursor.kind);
        const int32_t count = list != nullptr ? list->GetRowCount() : 0;
        for (; cursor.row < count; ++cursor.row) {
            if (used >= bandHeight)
                break;
            CGridItem* const item = list->GetItem(cursor.row);
            const int32_t height = item != nullptr ? std::max(item->GetRowHeight(), 1) : 1;
            // A band takes at least one row, however tall.
            if (used + height > bandHeight && !m_rows.empty())
                break;
            CRowLayout::Row row;
            row.item = item;
            row.kind = cursor.kind;
            row.row = cursor.row;
            row.top = used;
            row.height = height;
            row.visibleHeight = std::min(height, bandHeight - used);
            m_rows.push_back(row);
            used += height;
        }
        if (cursor.row < count)
            break; // the band is full
        // The list is exhausted: the body list follows the pinned list.
        if (cursor.kind == CRowList::kPinnedList && settings.printBody)
            cursor = {CRowList::kBodyList, 0};
        else
            cursor = {};
    }
    m_used = std::min(used, bandHeight);
    return cursor;
}

void CGridPrinter::ComputeSpans(int32_t bandWidth)
{
    m_spans.clear();
    m_totalWidth = 0;
    CHeader* const header = m_host.GetHeader();
    if (header == nullptr || bandWidth <= 0)
        return;
    // Unscrolled: the columns lie left to right from 0 (no scroll source).
    Span span{0, -1};
    const int32_t count = header->GetVisibleColumnCount();
    for (int32_t visibleIndex = 0; visibleIndex < count; ++visibleIndex) {
        const CColumn* const column = header->GetVisibleColumn(visibleIndex);
        if (column == nullptr)
            continue;
        const CRect rect = header->GetColumnRect(nullptr, column->GetId());
        if (rect.Width() <= 0)
            continue;
        m_totalWidth = std::max(m_totalWidth, rect.right);
        if (span.right < 0) {
            span = {rect.left, rect.right};
        } else if (int64_t(rect.right) - span.left > bandWidth) {
            m_spans.push_back(span);
            span = {rect.left, rect.right};
        } else {
            span.right = rect.right;
        }
    }
    if (span.right >= 0)
        m_spans.push_back(span);
    // A column wider than the band prints cut at the band's width.
    for (Span& page : m_spans)
        page.right = std::min<int64_t>(page.right, int64_t(page.left) + bandWidth);
}

CGridPrinter::Plan CGridPrinter::Prepare(const Platform::CPrinter& printer, const PrintSettings& settings,
                                         Geometry& geometry)
{
    Plan plan;
    geometry = ComputeGeometry(printer.GetPrintableSize(), printer.GetResolution(), Platform::GetScreenResolution(),
                               settings);
    if (geometry.page.cx < 1 || geometry.page.cy < 1) {
        plan.result = PrintResult::kPrinterFailed;
        return plan;
    }
    if (geometry.band.cx < 1 || geometry.band.cy < 1) {
        plan.result = PrintResult::kMarginsTooLarge;
        return plan;
    }
    ComputeSpans(geometry.band.cx);
    Cursor cursor = FirstCursor(settings);
    if (m_spans.empty() || cursor.kind == 0) {
        plan.result = PrintResult::kNothingToPrint;
        return plan;
    }
    plan.pagesAcross = static_cast<int32_t>(m_spans.size());
    // Counting pass: the bands, without drawing.
    bool header = settings.printHeader;
    while (cursor.kind != 0) {
        cursor = LayoutBand(cursor, header, geometry.band.cy, settings);
        header = settings.printHeader && settings.repeatHeader;
        ++plan.bands;
    }
    plan.pages = static_cast<int32_t>(std::min<int64_t>(int64_t(plan.bands) * plan.pagesAcross, INT32_MAX));
    return plan;
}

CGridPrinter::Plan CGridPrinter::PlanDocument(const Platform::CPrinter& printer, const PrintSettings& settings)
{
    Geometry geometry;
    return Prepare(printer, settings.Sanitized(), geometry);
}

// ---- The page loop ----

PrintResult CGridPrinter::Print(Platform::CPrinter& printer, const PrintSettings& requested, IPrintProgress* progress)
{
    const PrintSettings settings = requested.Sanitized();
    Geometry geometry;
    const Plan plan = Prepare(printer, settings, geometry);
    if (plan.result != PrintResult::kPrinted)
        return plan.result;

    const int32_t fromPage = std::max(printer.GetFromPage(), 1);
    const int32_t toPage = printer.GetToPage() > 0 ? std::min(printer.GetToPage(), plan.pages) : plan.pages;
    if (fromPage > plan.pages || (printer.GetToPage() > 0 && printer.GetToPage() < fromPage))
        return PrintResult::kBadPageRange;
    const int32_t total = toPage - fromPage + 1;

    const CSize bitmapSize(m_totalWidth, geometry.band.cy);
    if (int64_t(bitmapSize.cx) * bitmapSize.cy > kMaxBandPixels)
        return PrintResult::kBandTooLarge;
    if (m_bitmap == nullptr || m_bitmap->GetSize() != bitmapSize) {
        m_bitmap = std::make_unique<CMemoryDC>(bitmapSize.cx, bitmapSize.cy);
        ++m_counters.bitmapBuilds;
    }
    if (!m_bitmap->IsValid()) {
        m_bitmap.reset();
        return PrintResult::kBandTooLarge;
    }

    printer.SetDocumentName(QString::fromUtf8(kDocumentName));
    if (!printer.StartDoc())
        return PrintResult::kPrinterFailed;
    const auto fail = [&](PrintResult result) {
        printer.AbortDoc();
        return result;
    };

    Cursor cursor = FirstCursor(settings);
    bool header = settings.printHeader;
    int32_t page = 0; // pages numbered so far
    int32_t printed = 0;
    while (cursor.kind != 0 && page < toPage) {
        const bool bandHeader = header;
        cursor = LayoutBand(cursor, bandHeader, geometry.band.cy, settings);
        header = settings.printHeader && settings.repeatHeader;
        const int32_t across = static_cast<int32_t>(m_spans.size());
        if (page + across < fromPage) {
            page += across; // a band wholly before the range: counted, not drawn
            continue;
        }
        if (m_rows.empty())
            break; // rows vanished since the counting pass
        DrawBand(bitmapSize.cx, bitmapSize.cy, bandHeader);
        for (const Span& span : m_spans) {
            ++page;
            if (page < fromPage)
                continue;
            if (page > toPage)
                break;
            if (!PrintPage(printer, geometry, span))
                return fail(PrintResult::kPrinterFailed);
            ++printed;
            if (progress != nullptr && !progress->OnPagePrinted(printed, total))
                return fail(PrintResult::kCancelled);
        }
    }
    if (printed == 0)
        return fail(PrintResult::kNothingToPrint);
    return printer.EndDoc() ? PrintResult::kPrinted : PrintResult::kPrinterFailed;
}

void CGridPrinter::DrawBand(int32_t width, int32_t height, bool header)
{
    ++m_counters.bandsDrawn;
    CMemoryDC& dc = *m_bitmap;
    const CRect band(0, 0, width, height);
    dc.FillSolidRect(band, Platform::RGB(255, 255, 255));
    m_host.SetBand(band);
    // Clipped to the used height; a header strip cut to half the band has
    // its lower part covered by the rows drawn after it.
    m_painter.RenderRows(dc, CRect(0, 0, width, m_used), header && m_headerHeight > 0, m_rows);
}

bool CGridPrinter::PrintPage(Platform::CPrinter& printer, const Geometry& geometry, const Span& span)
{
    if (!printer.StartPage() || !printer.SetPageMapping(geometry.page) || printer.GetPainter() == nullptr)
        return false;
    {
        Platform::CDC dc(*printer.GetPainter());
        dc.FillSolidRect(CRect(0, 0, geometry.page.cx, geometry.page.cy), Platform::RGB(255, 255, 255));
        const CRect& target = geometry.drawing;
        const int32_t sourceWidth = span.right - span.left;
        // Multiplied before divided, so that no width rounds to 0.
        const int32_t width = std::max(MulDiv(sourceWidth, target.Width(), geometry.band.cx), 1);
        const int32_t height = std::max(MulDiv(m_used, target.Height(), geometry.band.cy), 1);
        if (sourceWidth > 0 && m_used > 0)
            dc.StretchBlt(target.left, target.top, width, height, m_bitmap.get(), span.left, 0, sourceWidth, m_used,
                          Platform::SRCCOPY);
    }
    ++m_counters.pagesPrinted;
    return printer.EndPage();
}

} // namespace Brivel::GUI
