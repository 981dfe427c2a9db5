#pragma once
// CGridPrinter: prints a grid as a document. The rows are drawn into
// off-screen bands exactly as the window paints them (the same paint pass,
// custom draw and paint formats), one band of rows per printed page height,
// and each band is stretched onto as many pages across as its columns need.
//
// Geometry, in page units (screen pixels at scale 1, so that a page shows
// the grid at its size on screen):
//   page        the printable area: its device pixels times the screen's
//               resolution over the printer's, per axis. The page is mapped
//               anisotropically onto the printable area and filled white.
//   margins     millimetres times the screen's resolution / 25.4 (vertical
//               resolution for top and bottom): their size on paper holds at
//               every scale.
//   drawing     the page less its margins; each band is stretched into it.
//   band        the drawing rectangle divided by the scale, in screen
//               pixels: at scale 2 a band holds half the rows and columns,
//               drawn twice as large. The scale is applied here only.
//
// Bands: from the first printed list (the pinned list when it is printed and
// has rows, else the body list) rows are laid out from the band's top: the
// header strip first (on the first band when the header is printed; on
// every band when it is also repeated), then whole rows while they fit. The
// body list continues in the same band once the pinned list is exhausted.
// A band always takes at least one row, clipped when it is taller than the
// band, so printing always ends; the header strip takes at most half a band.
// The band bitmap is as wide as the visible columns together, drawn with the
// columns unscrolled, and kept for the next band while its size holds.
//
// Pages across: the visible columns in order, a column that would take the
// sum past the band width starting the next page. A column wider than the
// band takes a page of its own and prints cut at the band's width. Every
// band has the same pages across (the columns do not change while printing).
// Pages are numbered band by band, across within a band, from 1.
//
// Page range: from 0 means from the first page, to 0 up to the last. Bands
// before the range are laid out (to count their rows) but never drawn.
//
// Results: see PrintResult. A document is started only when there is
// something to print; it is discarded (AbortDoc) when the print fails or is
// cancelled. The grid is only read: its scroll position, selection and
// layout stay as they were whatever the outcome.
//
// Cost: one band bitmap (visible columns' width x band height, 32 bits per
// pixel, at most kMaxBandPixels) and the rows of one band; each band is
// drawn once, whatever its pages across.
//
// Ownership: borrows the grid's paint host (which must outlive this); owns
// its paint pass, the band bitmap and the band's row table.
// Thread: GUI thread only.

#include "gui/paint/grid_painter.h"
#include "gui/print/print_paint_host.h"
#include "gui/print/print_settings.h"
#include "gui/rows/row_layout.h"

#include "platform/rect.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Brivel::Platform {
class CMemoryDC;
class CPrinter;
} // namespace Brivel::Platform

namespace Brivel::GUI {

// Told of each page printed; may stop the print between pages.
class IPrintProgress {
public:
    // `printed` of `total` pages are done; false stops the print here.
    virtual bool OnPagePrinted(int32_t printed, int32_t total) = 0;

protected:
    IPrintProgress() = default;
    IPrintProgress(const IPrintProgress&) = default;
    IPrintProgress& operator=(const IPrintProgress&) = default;
    ~IPrintProgress() = default;
};

class CGridPrinter {
public:
    static constexpr const char* kDocumentName = "Brivel.Grid document"; // the document's name
    // The largest band bitmap, in pixels (128 MB at 32 bits per pixel).
    static constexpr int64_t kMaxBandPixels = int64_t(32) << 20;

    // Where a page's drawing goes and how large a band of rows is.
    struct Geometry {
        Platform::CSize page;    // in page units
        Platform::CRect drawing; // the page less its margins, in page units
        Platform::CSize band;    // in screen pixels; empty when the margins leave no room
    };
    // The geometry of a printable area of `printable` device pixels at
    // `printerDpi`, for a screen at `screenDpi`. A zero resolution or size
    // gives an empty page.
    static Geometry ComputeGeometry(const Platform::CSize& printable, const Platform::CSize& printerDpi,
                                    const Platform::CSize& screenDpi, const PrintSettings& settings);

    // What a document would hold.
    struct Plan {
        PrintResult result = PrintResult::kPrinted; // kPrinted when there is something to print
        int32_t bands = 0; // bands of rows, top to bottom
        int32_t pagesAcross = 0; // pages side by side for the columns
        int32_t pages = 0; // bands x pages across
    };

    // A printer of the grid behind `grid` (its paint host, read only).
    explicit CGridPrinter(const IPaintHost& grid);
    CGridPrinter(const CGridPrinter&) = delete;
    CGridPrinter& operator=(const CGridPrinter&) = delete;
    ~CGridPrinter();

    // The pages the grid would print on `printer` with `settings`.
    Plan PlanDocument(const Platform::CPrinter& printer, const PrintSettings& settings);
    // Prints the pages of the printer's page range, telling `progress` (may
    // be null) of each page.
    PrintResult Print(Platform::CPrinter& printer, const PrintSettings& settings, IPrintProgress* progress);

    // What the prints did, for tests and benchmarks.
    struct Counters {
        int64_t bandsLaidOut = 0; // counting passes included
        int64_t bandsDrawn = 0; // bands drawn into a bitmap
        int64_t bitmapBuilds = 0; // band bitmaps made
        int64_t pagesPrinted = 0; // pages sent to the printer
    };
    const Counters& GetCountersForTesting() const { return m_counters; } // the counters so far

private:
    // Where the next band starts: a list kind (0: nothing left) and a row.
    struct Cursor {
        int32_t kind = 0;
        int32_t row = 0;
    };
    // One page across: the header x range it shows.
    struct Span {
        int32_t left = 0;
        int32_t right = 0;
    };

    Cursor FirstCursor(const PrintSettings& settings) const;
    // Lays out the band starting at `cursor` into m_rows (and m_used,
    // m_headerHeight); answers the cursor of the next band.
    Cursor LayoutBand(Cursor cursor, bool header, int32_t bandHeight, const PrintSettings& settings);
    void ComputeSpans(int32_t bandWidth);
    // Everything a print needs before its document starts; kPrinted when it
    // can go ahead.
    Plan Prepare(const Platform::CPrinter& printer, const PrintSettings& settings, Geometry& geometry);
    void DrawBand(int32_t width, int32_t height, bool header);
    bool PrintPage(Platform::CPrinter& printer, const Geometry& geometry, const Span& span);

    CPrintPaintHost m_host;
    CGridPainter m_painter{m_host};
    std::unique_ptr<Platform::CMemoryDC> m_bitmap; // the band bitmap, kept while its size holds
    std::vector<CRowLayout::Row> m_rows;           // the current band's rows; items valid until events run
    std::vector<Span> m_spans;
    int32_t m_used = 0;         // the band's used height: header strip and rows
    int32_t m_headerHeight = 0; // the band's header strip; 0: none
    int32_t m_totalWidth = 0;   // the visible columns together
    Counters m_counters;
};

} // namespace Brivel::GUI
