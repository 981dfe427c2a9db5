// CGridPainter: the paint pass.
//
// ---- Sections ----
//   Update rectangles     GetUpdateRects
//   Entry points          Paint, Render, RenderClient, RenderRows, SaveScreenshot
//   Buffers               the back buffer and the pre-rendered picture
//   One rectangle         header strip, pinned rows, band, body, empty lines
//   Drag images           a column's header cell, the selected rows
//
// Call flow of a paint request:
//   Paint(window, region)
//     GetUpdateRects -> [no header: fill COLOR_WINDOW]
//     PreparePass (context, header information, lists)
//     [double buffered, no picture, the painter's image reachable: DirectTarget]
//     else EnsureBackBuffer / EnsurePicture
//     per update rectangle U:
//       [picture: BitBlt the picture under U] -> PaintRect(U)
//         -> customDraw.DrawHeader -> per row meeting U: PaintLine -> customDraw.DrawLine
//       [buffered: copy U to the window]

#include "gui/paint/grid_painter.h"

#include "gui/paint/custom_draw.h"
#include "gui/rows/grid_item.h"
#include "gui/header/header.h"
#include "gui/paint/paint_host.h"
#include "gui/rows/row_list.h"

#include "platform/dc.h"
#include "platform/image_list.h"
#include "platform/sys_color.h"

#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <QString>

#include <algorithm>
#include <cmath>
#include <span>
#include <utility>

namespace Brivel::GUI {

using Platform::CDC;
using Platform::CMemoryDC;
using Platform::CRect;

// ---- Update rectangles ----

void CGridPainter::GetUpdateRects(const QRegion& region, std::vector<CRect>& rects)
{
    rects.clear();
    if (region.isEmpty())
        return;
    if (int64_t(region.rectCount()) * kBytesPerRegionRect > kMaxRegionBytes) {
        rects.push_back(CRect::FromQRect(region.boundingRect()));
        return;
    }
    for (const QRect& rect : region)
        rects.push_back(CRect::FromQRect(rect));
}

// ---- Entry points ----

CGridPainter::CGridPainter(IPaintHost& host, const CRowLayout* layout)
    : m_host(host), m_ownLayout(layout ? nullptr : std::make_unique<CRowLayout>(host)),
      m_layout(layout ? *layout : *m_ownLayout)
{
}

void CGridPainter::FinishPass()
{
    if (m_context.highlightRefreshMs >= 0)
        m_host.RefreshHighlightsIn(std::exchange(m_context.highlightRefreshMs, -1));
}

CGridPainter::~CGridPainter() = default;

bool CGridPainter::UsesPicture() const
{
    const QImage* const picture = m_host.GetBackgroundPicture();
    return picture != nullptr && !picture->isNull() && m_host.GetBackgroundAlpha() != -1;
}

void CGridPainter::Paint(QPainter& window, const QRegion& region)
{
    const CRect client = m_host.GetClientRect();
    GetUpdateRects(region, m_rects);
    if (m_rects.empty() || client.IsRectEmpty())
        return;
    ++m_counters.passes;

    if (m_host.GetHeader() == nullptr) {
        // Nothing to lay rows out with: the bare window colour.
        CDC dc(window);
        dc.FillSolidRect(client, Platform::GetSysColor(Platform::COLOR_WINDOW));
        return;
    }

    const bool picture = UsesPicture();
    if (!m_host.IsDoubleBuffered() && !picture) {
        m_buffer.reset();
        CDC dc(window);
        RunPass(dc, client);
        return;
    }

    if (!picture) {
        if (QImage target = DirectTarget(window, client); !target.isNull()) {
            m_buffer.reset();
            ++m_counters.directPasses;
            CDC dc(target);
            RunPass(dc, client);
            return;
        }
    }

    EnsureBackBuffer(client);
    if (!m_buffer->IsValid())
        return;
    RunPass(*m_buffer, client);
    const QImage& image = m_buffer->Image();
    for (const CRect& update : m_rects) {
        CRect part;
        if (!part.IntersectRect(update, client))
            continue;
        // A view of the buffer's pixels, not a copy: Qt copies a source
        // rectangle into a temporary image first, a fresh allocation per
        // paint for every update rectangle.
        window.drawImage(part.TopLeft().ToQPoint(), SharedPixels(image, part));
        ++m_counters.windowCopies;
    }
}

QImage CGridPainter::SharedPixels(const QImage& image, const CRect& rect)
{
    // Only 32-bit images reach here (the back buffer, DirectTarget's).
    uchar* const first = const_cast<uchar*>(image.constBits()) + static_cast<qsizetype>(rect.top) * image.bytesPerLine() +
                         static_cast<qsizetype>(rect.left) * 4;
    return QImage(first, rect.Width(), rect.Height(), image.bytesPerLine(), image.format());
}

void CGridPainter::RunPass(CDC& dc, const CRect& client)
{
    PreparePass(client);
    PaintRects(dc, client);
    FinishPass();
}

QImage CGridPainter::DirectTarget(QPainter& window, const CRect& client)
{
    QPaintEngine* const engine = window.paintEngine();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster || engine->paintDevice() == nullptr ||
        engine->paintDevice()->devType() != QInternal::Image)
        return {};
    const QImage& image = *static_cast<const QImage*>(engine->paintDevice());
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32_Premultiplied)
        return {};
    // Only a whole-pixel shift (the widget's place in its window) maps client
    // coordinates onto the image one to one.
    const QTransform& transform = window.deviceTransform();
    if (image.devicePixelRatio() != 1.0 || transform.type() > QTransform::TxTranslate ||
        transform.dx() != std::floor(transform.dx()) || transform.dy() != std::floor(transform.dy()))
        return {};
    const int x = static_cast<int>(transform.dx());
    const int y = static_cast<int>(transform.dy());
    if (client.left < 0 || client.top < 0 || x < 0 || y < 0 || int64_t(x) + client.right > image.width() ||
        int64_t(y) + client.bottom > image.height())
        return {};
    // The engine draws on these very pixels (SharedPixels reads them through
    // constBits: bits() would detach a shared image from the one the engine
    // holds).
    return SharedPixels(image, CRect(x, y, x + client.right, y + client.bottom));
}

void CGridPainter::Render(QImage& target, const QRegion& region)
{
    CRect client = m_host.GetClientRect();
    client &= CRect(0, 0, target.width(), target.height());
    GetUpdateRects(region, m_rects);
    if (m_rects.empty() || client.IsRectEmpty())
        return;
    ++m_counters.passes;
    CDC dc(target);
    if (m_host.GetHeader() == nullptr) {
        dc.FillSolidRect(client, Platform::GetSysColor(Platform::COLOR_WINDOW));
        return;
    }
    RunPass(dc, client);
}

QImage CGridPainter::RenderClient()
{
    const CRect client = m_host.GetClientRect();
    if (client.IsRectEmpty() || client.left < 0 || client.top < 0)
        return {};
    QImage image(client.right, client.bottom, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(Qt::white);
    Render(image, QRegion(client.ToQRect()));
    if (client.left > 0 || client.top > 0)
        return image.copy(client.ToQRect());
    return image;
}

bool CGridPainter::SaveScreenshot(const QString& path)
{
    const QImage image = RenderClient();
    return !image.isNull() && image.save(path, "PNG");
}

void CGridPainter::RenderRows(CDC& dc, const CRect& client, bool header, std::span<const CRowLayout::Row> rows)
{
    if (client.IsRectEmpty() || !dc.IsValid())
        return;
    ++m_counters.passes;
    PreparePass(client);
    m_context.dc = &dc;
    m_context.clip = client;
    dc.SelectFont(*m_context.font);
    const QRegion clip(client.ToQRect());
    dc.SelectClipRgn(&clip);
    if (CHeader* const columns = m_context.header; header && columns != nullptr) {
        m_headerInfo.rect = CRect(client.left, client.top, client.right, client.top + std::max(columns->GetHeight(), 0));
        ++m_counters.headers;
        m_context.customDraw->DrawHeader(m_headerInfo, m_context, m_context.mask);
    }
    for (const CRowLayout::Row& row : rows) {
        CRowList* const list = row.kind == CRowList::kPinnedList ? m_pinned : m_body;
        PaintLine(list, row.kind, row.row, row.item, row.top, row.height, client, client);
    }
    dc.SelectClipRgn(nullptr);
    m_context.dc = nullptr;
    m_pinned = nullptr;
    m_body = nullptr;
    FinishPass();
}

int32_t CGridPainter::MeasureHeaderHeight(IPaintHost& host)
{
    PaintContext context;
    PreparePaintContext(context, host);
    HeaderInfo info;
    std::optional<QFont> headerFont;
    if (context.header != nullptr) {
        headerFont = context.header->GetFont();
        info.imageList = context.header->GetImageList();
    }
    info.font = headerFont ? &*headerFont : host.GetFont();
    CMemoryDC scratch(1, 1);
    context.dc = &scratch;
    return context.customDraw->GetHeaderHeight(info, context);
}

int32_t CGridPainter::MeasureLineHeight(IPaintHost& host)
{
    ICustomDraw* const customDraw = host.GetCustomDraw();
    const QFont* const font = host.GetFont();
    return (customDraw ? *customDraw : GetSharedPaintDefaults().customDraw)
        .GetLineHeight(font ? font : &GetDefaultPaintFont(), nullptr);
}

void CGridPainter::ReleaseBuffers()
{
    m_buffer.reset();
    m_picture.reset();
    m_pictureKey = {};
}

// ---- Buffers ----

void CGridPainter::EnsureBackBuffer(const CRect& client)
{
    const int32_t width = client.right;
    const int32_t height = client.bottom;
    if (m_buffer != nullptr && m_buffer->GetSize() == Platform::CSize(width, height))
        return;
    m_buffer = std::make_unique<CMemoryDC>(width, height);
    ++m_counters.bufferBuilds;
}

void CGridPainter::EnsurePicture(const CRect& client)
{
    if (!UsesPicture()) {
        m_picture.reset();
        m_pictureKey = {};
        return;
    }
    const QImage& source = *m_host.GetBackgroundPicture();
    CHeader* const header = m_host.GetHeader();
    const int32_t headerHeight = header != nullptr && m_host.IsHeaderShown() ? std::max(header->GetHeight(), 0) : 0;
    PictureKey key;
    key.picture = &source;
    key.cacheKey = source.cacheKey();
    key.mode = m_host.GetBackgroundMode();
    key.top = client.top + headerHeight;
    key.size = Platform::CSize(client.right, client.bottom);
    if (m_picture != nullptr && key == m_pictureKey)
        return;

    m_picture = std::make_unique<CMemoryDC>(client.right, client.bottom);
    m_pictureKey = key;
    ++m_counters.pictureBuilds;
    CMemoryDC& dc = *m_picture;
    dc.FillSolidRect(client, Platform::GetSysColor(Platform::COLOR_WINDOW));
    QImage pixels = source.convertToFormat(QImage::Format_RGB32);
    CDC sourceDc(pixels);
    const CRect area(client.left, key.top, client.right, client.bottom);
    const int32_t width = pixels.width();
    const int32_t height = pixels.height();
    m_pictureRect = client;
    if (area.IsRectEmpty() || width <= 0 || height <= 0)
        return;
    switch (key.mode) {
    case kBackgroundStretched:
        dc.SetStretchBltMode(Platform::HALFTONE);
        dc.StretchBlt(area.left, area.top, area.Width(), area.Height(), &sourceDc, 0, 0, width, height,
                      Platform::SRCCOPY);
        break;
    case kBackgroundTiled:
        for (int32_t y = area.top; y < area.bottom; y += height)
            for (int32_t x = area.left; x < area.right; x += width)
                dc.BitBlt(x, y, width, height, &sourceDc, 0, 0, Platform::SRCCOPY);
        break;
    default: {
        const int32_t x = area.left + (area.Width() - width) / 2;
        const int32_t y = area.top + (area.Height() - height) / 2;
        dc.BitBlt(x, y, width, height, &sourceDc, 0, 0, Platform::SRCCOPY);
        m_pictureRect = CRect(x, y, x + width, y + height);
        break;
    }
    }
}

// ---- One rectangle ----

void CGridPainter::PreparePass(const CRect& client)
{
    PreparePaintContext(m_context, m_host);
    EnsurePicture(client);
    m_context.backgroundPicture = m_picture ? &m_picture->Image() : nullptr;
    m_context.pictureRect = m_picture ? m_pictureRect : CRect();
    m_context.backgroundAlpha = m_picture ? m_host.GetBackgroundAlpha() : -1;

    m_highlight = m_host.GetHighlightSettings();
    m_pinned = m_host.GetRowList(CRowList::kPinnedList);
    m_body = m_host.GetRowList(CRowList::kBodyList);

    m_headerInfo = HeaderInfo();
    if (CHeader* const header = m_context.header) {
        const HeaderDragState drag = m_host.GetHeaderDragState();
        m_headerInfo.dragged = drag.dragged;
        m_headerInfo.dropTarget = drag.target;
        m_headerInfo.dropSide = drag.side;
        m_headerFont = header->GetFont();
        m_headerInfo.font = m_headerFont ? &*m_headerFont : m_host.GetFont();
        m_headerInfo.imageList = header->GetImageList();
        m_headerInfo.textColor = Platform::GetSysColor(Platform::COLOR_WINDOWTEXT);
    }
}

void CGridPainter::PaintRects(CDC& target, const CRect& client)
{
    m_context.dc = &target;
    target.SelectFont(*m_context.font);
    for (const CRect& update : m_rects) {
        CRect part;
        if (part.IntersectRect(update, client))
            PaintRect(target, client, part);
    }
    target.SelectClipRgn(nullptr);
    m_context.dc = nullptr;
    m_pinned = nullptr;
    m_body = nullptr;
}

void CGridPainter::PaintRect(CDC& dc, const CRect& client, const CRect& update)
{
    ++m_counters.rects;
    dc.SelectClipRgn(nullptr);
    if (m_picture != nullptr)
        dc.BitBlt(update.left, update.top, update.Width(), update.Height(), m_picture.get(), update.left, update.top,
                  Platform::SRCCOPY);
    const QRegion clip(update.ToQRect());
    dc.SelectClipRgn(&clip);
    m_context.clip = update;
    ICustomDraw& customDraw = *m_context.customDraw;
    const PaintElementMask mask = m_context.mask;
    int32_t top = client.top;

    // 1. The header strip.
    if (CHeader* const header = m_context.header; header != nullptr && m_host.IsHeaderShown()) {
        const int32_t height = std::max(header->GetHeight(), 0);
        m_headerInfo.rect = CRect(client.left, top, client.right, top + height);
        CRect meets;
        if (meets.IntersectRect(m_headerInfo.rect, update)) {
            ++m_counters.headers;
            customDraw.DrawHeader(m_headerInfo, m_context, mask);
        }
        top += height;
    }

    // 2-4. The rows that reach into the update rectangle (found by search in
    // the layout), with the separator band between the pinned rows and the
    // body.
    const CRowLayout::Areas& areas = m_layout.GetAreas();
    const int32_t bandHeight = m_host.IsSeparatorShown() ? m_host.GetSeparatorHeight() : 0;
    const bool band = bandHeight > 0 && m_pinned != nullptr && m_pinned->GetRowCount() > 0 &&
                      areas.pinnedBottom < client.bottom;
    bool bandDrawn = false;
    const auto drawBand = [&] {
        bandDrawn = true;
        const CRect bandRect(client.left, areas.pinnedBottom, client.right, areas.pinnedBottom + bandHeight);
        CRect meets;
        if (!meets.IntersectRect(bandRect, update))
            return;
        dc.Draw3dRect(bandRect, Platform::GetSysColor(Platform::COLOR_BTNHIGHLIGHT),
                      Platform::GetSysColor(Platform::COLOR_BTNSHADOW));
        CRect inside = bandRect;
        inside.DeflateRect(1, 1);
        if (!inside.IsRectEmpty())
            dc.FillSolidRect(inside, Platform::GetSysColor(Platform::COLOR_BTNFACE));
    };
    for (const CRowLayout::Row& row : m_layout.GetRowsFrom(update.top)) {
        if (row.top >= update.bottom || row.top >= client.bottom)
            break;
        if (band && !bandDrawn && row.kind == CRowList::kBodyList)
            drawBand();
        CRowList* const list = row.kind == CRowList::kPinnedList ? m_pinned : m_body;
        PaintLine(list, row.kind, row.row, row.item, row.top, row.height, client, update);
    }
    if (band && !bandDrawn)
        drawBand();

    // 5. Empty lines to the bottom, numbered on from the row count.
    const std::span<const CRowLayout::Row> bodyRows = m_layout.GetRows(CRowList::kBodyList);
    const int32_t bodyCount = m_body ? m_body->GetRowCount() : 0;
    if (!bodyRows.empty() && bodyRows.back().row != bodyCount - 1)
        return; // body rows reach the bottom
    top = bodyRows.empty() ? areas.bodyTop : bodyRows.back().top + bodyRows.back().height;
    int32_t emptyHeight = m_body ? m_body->GetRowHeight() : CRowList::kDefaultRowHeight;
    if (emptyHeight <= 0)
        emptyHeight = CRowList::kDefaultRowHeight;
    int32_t row = bodyCount;
    if (top < update.top) {
        // Straight to the first empty line that meets the update rectangle.
        const int32_t skipped = (update.top - top) / emptyHeight;
        row += skipped;
        top += skipped * emptyHeight;
    }
    for (; top < client.bottom && top < update.bottom; ++row) {
        PaintLine(m_body, CRowList::kBodyList, row, nullptr, top, emptyHeight, client, update);
        top += emptyHeight;
    }
}

bool CGridPainter::IsRowSelected(CRowList* list, int32_t listKind, int32_t row) const
{
    // Across the boundary: before body row 0 comes the last pinned row, after
    // the last pinned row comes body row 0.
    if (listKind == CRowList::kBodyList && row < 0) {
        list = m_pinned;
        row = m_pinned ? m_pinned->GetRowCount() - 1 : -1;
    } else if (listKind == CRowList::kPinnedList && list != nullptr && row >= list->GetRowCount()) {
        list = m_body;
        row = 0;
    }
    const CGridItem* const item = list ? list->GetItem(row) : nullptr;
    return item != nullptr && item->IsSelected();
}

void CGridPainter::PaintLine(CRowList* list, int32_t listKind, int32_t row, CGridItem* item, int32_t top,
                             int32_t height, const CRect& client, const CRect& update)
{
    if (height <= 0 || top + height <= update.top)
        return; // above the update rectangle: nothing is built for it
    LineInfo line;
    line.fullRect = CRect(client.left, top, client.right, top + height);
    line.visibleRect = CRect(client.left, top, client.right, std::min(top + height, client.bottom));
    if (!line.paintRect.IntersectRect(line.visibleRect, update))
        return;
    const Appearance& appearance = *m_context.appearance;
    line.textColor = appearance.TextColorOfRow(row);
    line.backColor = appearance.BackColorOfRow(row);
    line.font = m_context.font;
    line.highlight = m_highlight;
    line.list = list;
    line.listKind = listKind;
    line.row = row;
    line.item = item;
    line.prevSelected = IsRowSelected(list, listKind, row - 1);
    line.nextSelected = item != nullptr && IsRowSelected(list, listKind, row + 1);
    ++m_counters.lines;
    m_context.customDraw->DrawLine(line, m_context, m_context.mask);
}

} // namespace Brivel::GUI

// ---- Drag images ----

namespace Brivel::GUI {

std::unique_ptr<Platform::CImageList> CGridPainter::MakeColumnDragImage(CColumn& column)
{
    CHeader* const header = m_host.GetHeader();
    if (header == nullptr || header->FindVisibleColumn(column.GetId()) != &column)
        return nullptr;
    const CRect client = m_host.GetClientRect();
    PreparePass(client);
    const CRect cell = header->GetColumnRect(m_context.scroll, column.GetId());
    const int32_t width = cell.Width();
    const int32_t height = cell.Height();
    if (width <= 0 || height <= 0)
        return nullptr;
    CMemoryDC dc(width, height);
    if (!dc.IsValid())
        return nullptr;
    dc.FillSolidRect(CRect(0, 0, width, height), kColumnDragKey);
    dc.SelectFont(*m_context.font);
    m_context.dc = &dc;
    m_context.clip = CRect(0, 0, width, height);
    ColumnInfo info;
    info.header = &m_headerInfo;
    info.column = &column;
    info.attributes = column.GetAttributes();
    info.fullRect = info.visibleRect = CRect(0, 0, width, height);
    info.state = 1;
    info.font = m_headerInfo.font;
    info.headerImage = info.attributes.headerImage;
    info.textColor = m_headerInfo.textColor;
    m_context.customDraw->DrawColumnHeader(info, m_context, m_context.mask);
    m_context.dc = nullptr;

    auto images = std::make_unique<Platform::CImageList>(width, height);
    if (images->AddMasked(dc.Image(), kColumnDragKey) < 0)
        return nullptr;
    return images;
}

std::unique_ptr<Platform::CImageList> CGridPainter::MakeRowDragImage(int32_t* top)
{
    const CRect client = m_host.GetClientRect();
    if (client.IsRectEmpty())
        return nullptr;
    // The band from the first to the last selected row now visible.
    int32_t first = -1;
    int32_t last = -1;
    for (const CRowLayout::Row& row : m_layout.GetRows()) {
        if (row.item->IsSelected()) {
            if (first < 0)
                first = row.top;
            last = std::min(row.top + row.height, client.bottom);
        }
    }
    if (first < 0 || last <= first)
        return nullptr;
    const int32_t width = client.Width();
    const int32_t height = last - first;
    CMemoryDC dc(width, height);
    if (!dc.IsValid())
        return nullptr;
    dc.FillSolidRect(CRect(0, 0, width, height), kRowDragKey);
    PreparePass(client);
    m_context.backgroundPicture = nullptr;
    m_context.backgroundAlpha = -1;
    for (const CRowLayout::Row& shown : m_layout.GetRows()) {
        if (shown.top >= last)
            break;
        if (!shown.item->IsSelected())
            continue;
        CRowList* const list = shown.kind == CRowList::kPinnedList ? m_pinned : m_body;
        const int32_t row = shown.row;
        const int32_t rowHeight = shown.height;
        // Each row is drawn at the top of a scratch surface of its own
        // height, then copied to its place in the band.
        CMemoryDC line(width, rowHeight);
        line.SelectFont(*m_context.font);
        m_context.dc = &line;
        LineInfo info;
        info.fullRect = info.visibleRect = info.paintRect = CRect(client.left, 0, client.right, rowHeight);
        info.textColor = m_context.appearance->TextColorOfRow(row);
        info.backColor = m_context.appearance->BackColorOfRow(row);
        info.font = m_context.font;
        info.highlight = m_highlight;
        info.list = list;
        info.listKind = shown.kind;
        info.row = row;
        info.item = shown.item;
        info.prevSelected = IsRowSelected(list, shown.kind, row - 1);
        info.nextSelected = IsRowSelected(list, shown.kind, row + 1);
        m_context.clip = info.paintRect;
        m_context.customDraw->DrawLine(info, m_context, kRowDragElements);
        dc.BitBlt(0, shown.top - first, width, std::min(rowHeight, last - shown.top), &line, client.left, 0,
                  Platform::SRCCOPY);
    }
    m_context.dc = nullptr;
    m_pinned = nullptr;
    m_body = nullptr;
    if (top != nullptr)
        *top = first;
    auto images = std::make_unique<Platform::CImageList>(width, height);
    if (images->AddMasked(dc.Image(), kRowDragKey) < 0)
        return nullptr;
    return images;
}

} // namespace Brivel::GUI
