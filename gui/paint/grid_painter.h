#pragma once
// CGridPainter: the grid's paint pass. It turns the window's update region
// into rectangles and paints each of them top to bottom: the header strip,
// the pinned rows, the separator band, the body rows from the top row, and
// empty lines below the last row (their indexes continue the row count, so
// they keep the row colours by parity). Everything is drawn through the
// grid's custom draw (custom_draw.h), which chooses the paint formats.
//
// Double buffering: with the option on, or whenever a background picture is
// used, the pass draws into the painter's own back buffer (a 32-bit memory
// surface of the client size) and copies only the update rectangles to the
// window; Qt's backing store sits below that, so switching the option off
// really draws on the window's painter. The buffer is made again when the
// client size changes and dropped when it is no longer needed.
//
// Background picture (host's picture with an overlay alpha other than -1):
// pre-rendered into a client-size surface whenever the picture, its mode,
// the client size or the header height changes (mode 1 stretched, 0 centred,
// 2 tiled, each over the area below the header), copied under each update
// rectangle before it is painted; cells then lay their colours over it
// translucently.
//
// Rows: where the rows are comes from the row layout (row_layout.h); each
// update rectangle starts at its first row, found by binary search.
//
// The pass only reads the grid: it reads the clock once, each cell's change
// age once, and collects the nearest repaint a running highlight needs,
// which it hands to the host once at the end (RefreshHighlightsIn).
//
// Cost: only the update rectangles are painted and copied; rows and columns
// outside them are skipped by geometry before any record is built. Per frame
// the pass allocates one clip region per update rectangle and nothing per
// row or cell (see the paint formats for the exceptions of images, clipped
// fixed-area cells and long texts); the update rectangle list and the text
// buffer keep their capacity from frame to frame.
//
// Ownership: borrows the host (which must outlive the painter); owns the
// back buffer and the pre-rendered picture.
// Thread: GUI thread only.

#include "gui/paint/paint_records.h"
#include "gui/rows/row_layout.h"

#include "platform/image_list.h"
#include "platform/rect.h"

#include <QFont>
#include <QImage>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class QPainter;
class QRegion;
class QString;

namespace Brivel::Platform {
class CDC;
class CMemoryDC;
} // namespace Brivel::Platform

namespace Brivel::GUI {

class CRowList;
class IPaintHost;

// Receives the paint record of one cell (valid during the call only).
class ICellVisitor {
public:
    virtual void Visit(const CellInfo& cell, PaintContext& context) = 0; // one cell

protected:
    ICellVisitor() = default;
    ICellVisitor(const ICellVisitor&) = default;
    ICellVisitor& operator=(const ICellVisitor&) = default;
    ~ICellVisitor() = default;
};

class CGridPainter {
public:
    // Region data above this many bytes (16 per rectangle) is painted as its
    // bounding rectangle instead.
    static constexpr int32_t kMaxRegionBytes = 4096;
    static constexpr int32_t kBytesPerRegionRect = 16;

    // Paints the rows where `layout` puts them (the grid's own layout);
    // without one the painter lays the host's rows out itself.
    explicit CGridPainter(IPaintHost& host, const CRowLayout* layout = nullptr);
    CGridPainter(const CGridPainter&) = delete;
    CGridPainter& operator=(const CGridPainter&) = delete;
    ~CGridPainter();

    // The window's paint request: paints `region` (client coordinates) on
    // `window`, the painter of the grid's paint event. Double buffered, the
    // pass draws straight into the image the painter draws on when that is
    // a 32-bit raster image at one device pixel a pixel and the client area
    // lies inside it (a widget's backing store, QWidget::render into a
    // QImage): that image is already a buffer the window system shows whole.
    // Otherwise it draws into its own back buffer and copies the updated
    // rectangles to the painter.
    void Paint(QPainter& window, const QRegion& region);
    // Paints `region` of the client area into `target` through the same pass
    // (an image at least the client size; 32-bit images are drawn on directly).
    void Render(QImage& target, const QRegion& region);
    // The whole client area, rendered into a new 32-bit image.
    QImage RenderClient();
    // Draws rows placed by the caller instead of the layout (printing): the
    // header strip at the top of `client` when `header` is set and the host
    // has a header, then each of `rows` at its top, all through the same
    // custom draw and paint formats as the window, clipped to `client`.
    // Draws nothing over the rest of the surface.
    void RenderRows(Platform::CDC& dc, const Platform::CRect& client, bool header,
                    std::span<const CRowLayout::Row> rows);
    // RenderClient saved as a PNG file; false when the client area is empty
    // or the file cannot be written.
    bool SaveScreenshot(const QString& path);

    // The header strip's height as the host's custom draw measures it: in
    // the header's font, else the grid's; 20 when there is neither (or no
    // header).
    static int32_t MeasureHeaderHeight(IPaintHost& host);
    // A row's height as the host's custom draw measures it, in the grid's
    // font, else the shared default font.
    static int32_t MeasureLineHeight(IPaintHost& host);

    static constexpr COLORREF kColumnDragKey = Platform::RGB(237, 238, 234); // see MakeColumnDragImage
    // The drag image of a column being dragged: its header cell drawn in
    // state 1 through the custom draw onto kColumnDragKey, made into a
    // one-image list masked by that colour. Null when the host has no
    // header or the column is not laid out.
    std::unique_ptr<Platform::CImageList> MakeColumnDragImage(CColumn& column);
    static constexpr COLORREF kRowDragKey = Platform::RGB(192, 127, 192); // see MakeRowDragImage
    static constexpr PaintElementMask kRowDragElements = 0xE00B;         // see MakeRowDragImage
    // The drag image of rows being dragged: the selected rows now visible,
    // drawn through DrawLine with the elements kRowDragElements onto a
    // bitmap reaching from the first to the last of them, pre-filled with
    // kRowDragKey, made into a one-image list masked by that colour. Null
    // when no selected row is visible. `top` receives the client y of the
    // image's top edge.
    std::unique_ptr<Platform::CImageList> MakeRowDragImage(int32_t* top = nullptr);

    // The widest content of `column`'s cells over every row of both lists,
    // as the custom draw measures each (MeasureCell); 0 when the column is
    // not the host header's or there are no rows. Text widths come from the
    // thread's text cache, as when painting.
    int32_t MeasureColumnContent(CColumn& column);

    // Builds the paint records of the cell at client `point` as a pass would
    // (its line, column, rectangles, object and format, on a 1 x 1 scratch
    // surface in the grid font) and hands them to `visitor`; false, with no
    // visit, over the header, the band, empty lines or no column. Allocates
    // nothing after its first call (grid_painter_probe.cpp).
    bool VisitCellAt(Platform::CPoint point, ICellVisitor& visitor);

    // Drops the back buffer and the pre-rendered picture; the next pass
    // makes what it needs again (the grid calls this when its window goes).
    void ReleaseBuffers();

    // The rectangles `region` is painted as: its own, or its bounding
    // rectangle when its data would take more than kMaxRegionBytes. Empty
    // for an empty region. Reuses the vector's capacity.
    static void GetUpdateRects(const QRegion& region, std::vector<Platform::CRect>& rects);

    // What the passes did, for tests and benchmarks.
    struct Counters {
        int64_t passes = 0;        // Paint and Render calls that painted something
        int64_t rects = 0;         // update rectangles painted
        int64_t lines = 0;         // DrawLine calls (rows and empty lines)
        int64_t headers = 0;       // DrawHeader calls
        int64_t bufferBuilds = 0;  // back buffers made
        int64_t pictureBuilds = 0; // background pictures pre-rendered
        int64_t windowCopies = 0;  // rectangles copied from the back buffer to the window
        int64_t directPasses = 0;  // double-buffered passes drawn straight into the painter's image
    };
    const Counters& GetCountersForTesting() const { return m_counters; } // for tests: the counters so far
    bool HasBackBufferForTesting() const { return m_buffer != nullptr; } // for tests: a back buffer exists

private:
    // What the pre-rendered picture was made from.
    struct PictureKey {
        const QImage* picture = nullptr;
        qint64 cacheKey = 0;
        int32_t mode = 0;
        int32_t top = 0; // the top of the area below the header
        Platform::CSize size;
        bool operator==(const PictureKey&) const = default;
    };

    bool UsesPicture() const;
    void PreparePass(const Platform::CRect& client);
    void EnsureBackBuffer(const Platform::CRect& client);
    // The part of the image `window` draws on that lies under the client
    // area, as an image sharing its pixels, in client coordinates; null when
    // the painter cannot be drawn through that way (see Paint).
    static QImage DirectTarget(QPainter& window, const Platform::CRect& client);
    // An image over `rect` of the 32-bit `image`'s own pixels: no copy, and
    // drawing on it draws on `image`.
    static QImage SharedPixels(const QImage& image, const Platform::CRect& rect);
    // PreparePass, PaintRects and FinishPass on `dc`.
    void RunPass(Platform::CDC& dc, const Platform::CRect& client);
    void EnsurePicture(const Platform::CRect& client);
    void PaintRects(Platform::CDC& target, const Platform::CRect& client);
    void PaintRect(Platform::CDC& dc, const Platform::CRect& client, const Platform::CRect& update);
    void PaintLine(CRowList* list, int32_t listKind, int32_t row, CGridItem* item, int32_t top, int32_t height,
                   const Platform::CRect& client, const Platform::CRect& update);
    bool IsRowSelected(CRowList* list, int32_t listKind, int32_t row) const;
    // Hands what the pass collected to the host (the highlight refresh).
    void FinishPass();

    IPaintHost& m_host; // Not owned; outlives this.
    std::unique_ptr<CRowLayout> m_ownLayout; // null when the host's layout is used
    const CRowLayout& m_layout; // m_ownLayout's, or borrowed: outlives this.
    std::unique_ptr<Platform::CMemoryDC> m_buffer;  // the back buffer; null while not double buffering
    std::unique_ptr<Platform::CMemoryDC> m_picture; // the pre-rendered background picture; null: none
    std::unique_ptr<Platform::CMemoryDC> m_probe;   // VisitCellAt's scratch surface; made on first use
    PictureKey m_pictureKey;
    Platform::CRect m_pictureRect;

    // Per pass (kept as members so that their capacity carries over).
    std::vector<Platform::CRect> m_rects;
    PaintContext m_context;
    HeaderInfo m_headerInfo;
    std::optional<QFont> m_headerFont;
    HighlightSettings m_highlight;
    CRowList* m_pinned = nullptr; // Not owned; valid during a pass.
    CRowList* m_body = nullptr;   // Not owned; valid during a pass.

    Counters m_counters;
};

} // namespace Brivel::GUI
