#include "platform/dc.h"

#include "platform/text_cache.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <utility>

// ---- Sections ----
// Construction and the two drawing paths (direct pixels, QPainter).
// State: save/restore, pens, brushes, fonts, colours, modes.
// Clipping.
// Primitive back ends: fills, pattern runs, points.
// Lines.
// Fills and shapes.
// Paths.
//
// Call flow of a drawing operation: the public function works out the pixels
// in raster terms (rectangles, runs, points), then hands each to a back end
// (FillBackend, RunBackend, PlotBackend). A back end asks PrepareDirect()
// whether it may write the image's pixels itself (clip as ClipRects()); if
// not it makes sure the QPainter exists and carries the clip (Painter(),
// SyncPainterClip()) and draws through it.
//
// Text output lives in dc_text.cpp, blits and CMemoryDC in dc_blit.cpp.

namespace Brivel::Platform {

namespace {

std::atomic<bool> g_blendAvailable{true};

bool Is32Bit(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied;
}

struct Pattern {
    uint32_t bits = 1;  // bit i: pixel i of the period is set
    int32_t length = 1; // period in pixels
};

// Cosmetic pen patterns; see pen.h.
Pattern PatternOf(int style)
{
    switch (style) {
    case PS_DOT:
    case PS_ALTERNATE:
        return {0b01, 2};
    case PS_DASH:
        return {0x3F, 8};
    case PS_DASHDOT:
        return {0x13F, 11};
    case PS_DASHDOTDOT:
        return {0x93F, 14};
    default:
        return {1, 1};
    }
}

Qt::PenStyle QtPenStyle(int style)
{
    switch (style) {
    case PS_DOT:
    case PS_ALTERNATE:
        return Qt::DotLine;
    case PS_DASH:
        return Qt::DashLine;
    case PS_DASHDOT:
        return Qt::DashDotLine;
    case PS_DASHDOTDOT:
        return Qt::DashDotDotLine;
    case PS_NULL:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

// A 2x2 texture setting the pixels whose (x + y) % 2 equals parity. Texture
// brushes follow logical coordinates, so the parity holds under translation.
QBrush MakeCheckerBrush(COLORREF color, int parity)
{
    QImage texture(2, 2, QImage::Format_ARGB32_Premultiplied);
    texture.fill(Qt::transparent);
    const QRgb pixel = ToQRgb(color);
    if (parity == 0) {
        texture.setPixel(0, 0, pixel);
        texture.setPixel(1, 1, pixel);
    } else {
        texture.setPixel(1, 0, pixel);
        texture.setPixel(0, 1, pixel);
    }
    return QBrush(texture);
}

int32_t Mod(int64_t value, int32_t period)
{
    const int32_t m = static_cast<int32_t>(value % period);
    return m < 0 ? m + period : m;
}

// Adds the figure through `points` to `path` as a new subpath.
void AppendFigure(QPainterPath& path, const CPoint* points, int count, bool close)
{
    path.moveTo(points[0].x, points[0].y);
    for (int i = 1; i < count; ++i)
        path.lineTo(points[i].x, points[i].y);
    if (close)
        path.closeSubpath();
}

// Lines longer than this along their major axis are handed to Qt's clipping
// rasterizer instead of being walked pixel by pixel.
constexpr int64_t kMaxWalkedLine = 1 << 16;

} // namespace

bool IsBlendLibraryAvailable() { return g_blendAvailable.load(std::memory_order_relaxed); }

void SetBlendLibraryAvailableForTesting(bool available) { g_blendAvailable.store(available, std::memory_order_relaxed); }

// ---- Construction ----

CDC::CDC(QPainter& painter) : m_painter(&painter), m_borrowed(true)
{
    m_valid = painter.isActive();
    if (m_valid) {
        // The painter's own state comes back in the destructor.
        painter.save();
        ApplyPainterDefaults();
    }
    m_state.font = GetDefaultGuiFont();
    ResolveFont();
}

CDC::CDC(QImage& image)
{
    AttachImage(&image);
    m_state.font = GetDefaultGuiFont();
    ResolveFont();
}

CDC::~CDC()
{
    if (m_borrowed) {
        if (m_valid && m_painter->isActive())
            m_painter->restore();
    } else if (m_ownedPainter && m_ownedPainter->isActive()) {
        m_ownedPainter->end();
    }
}

void CDC::AttachImage(QImage* image)
{
    if (m_ownedPainter && m_ownedPainter->isActive())
        m_ownedPainter->end();
    m_painter = nullptr;
    m_image = image;
    m_valid = image != nullptr && !image->isNull();
    m_direct = m_valid && Is32Bit(image->format());
    m_raster = Detail::RasterSurface();
    if (m_direct) {
        m_raster.bits = reinterpret_cast<uint32_t*>(image->bits());
        m_raster.stride = image->bytesPerLine() / 4;
        m_raster.width = image->width();
        m_raster.height = image->height();
        m_raster.opaque = image->format() == QImage::Format_RGB32;
    }
    m_clipRectsDirty = true;
    m_painterClipDirty = true;
    InvalidatePainterState();
}

void CDC::Retarget(QImage* image)
{
    AttachImage(image);
    m_state.hasClip = false;
    m_state.clip = QRegion();
    m_state.position = CPoint();
    m_state.patternPhase = 0;
    m_saved.clear();
    m_pathOpen = false;
    m_pathReady = false;
    m_path = QPainterPath();
    ResolveFont();
}

CSize CDC::GetSize() const
{
    if (!m_valid)
        return CSize();
    if (m_image != nullptr)
        return CSize(m_image->width(), m_image->height());
    const QPaintDevice* device = m_painter->device();
    return device != nullptr ? CSize(device->width(), device->height()) : CSize();
}

const QImage* CDC::GetImage() const
{
    if (!m_valid)
        return nullptr;
    if (m_image != nullptr)
        return m_image;
    QPaintDevice* device = m_painter->device();
    if (device != nullptr && device->devType() == QInternal::Image)
        return static_cast<const QImage*>(device);
    return nullptr;
}

QPainter* CDC::GetPainter()
{
    QPainter* painter = Painter();
    if (painter != nullptr) {
        // The caller may draw anything: bring the painter up to date and
        // assume nothing about it afterwards.
        SyncPainterClip();
        InvalidatePainterState();
    }
    return painter;
}

// Direct drawing needs a 32-bit image that no one else shares, and a painter
// (if one was made) left without a transform.
bool CDC::PrepareDirect()
{
    if (!m_direct)
        return false;
    if (!m_image->isDetached()) {
        // Someone copied the image: detach it as QPainter would, and let the
        // painter start again on the new pixels when it is needed.
        if (m_ownedPainter && m_ownedPainter->isActive())
            m_ownedPainter->end();
        m_raster.bits = reinterpret_cast<uint32_t*>(m_image->bits());
        m_raster.stride = m_image->bytesPerLine() / 4;
    }
    if (m_ownedPainter && m_ownedPainter->isActive()) {
        if (!m_ownedPainter->worldTransform().isIdentity() || m_ownedPainter->viewTransformEnabled())
            return false;
    }
    return true;
}

QPainter* CDC::Painter()
{
    if (!m_valid)
        return nullptr;
    if (m_borrowed)
        return m_painter;
    if (!m_ownedPainter)
        m_ownedPainter = std::make_unique<QPainter>();
    if (!m_ownedPainter->isActive()) {
        if (!m_ownedPainter->begin(m_image))
            return nullptr;
        if (m_direct) {
            // begin() may have detached the image.
            m_raster.bits = reinterpret_cast<uint32_t*>(m_image->bits());
            m_raster.stride = m_image->bytesPerLine() / 4;
        }
        ApplyPainterDefaults();
        m_painterClipDirty = true;
        InvalidatePainterState();
    }
    m_painter = m_ownedPainter.get();
    return m_painter;
}

void CDC::ApplyPainterDefaults()
{
    QPainter* p = m_borrowed ? m_painter : m_ownedPainter.get();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->setRenderHint(QPainter::TextAntialiasing, true);
    p->setBackgroundMode(Qt::TransparentMode);
    p->setBrushOrigin(0, 0);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setOpacity(1.0);
    p->setBrush(Qt::NoBrush);
    m_painterClipDirty = true;
}

void CDC::SyncPainterClip()
{
    if (!m_painterClipDirty || m_painter == nullptr)
        return;
    if (m_state.hasClip)
        m_painter->setClipRegion(m_state.clip);
    else
        m_painter->setClipping(false);
    m_painterClipDirty = false;
}

void CDC::SetPainterPenColor(COLORREF color)
{
    if (m_painterPenValid && m_painterPenColor == color)
        return;
    QPen pen(ToQColor(color));
    pen.setWidth(1);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::FlatCap);
    m_painter->setPen(pen);
    m_painterPenColor = color;
    m_painterPenValid = true;
}

void CDC::InvalidatePainterState() { m_painterPenValid = false; }

// ---- State ----

int CDC::SaveDC()
{
    m_saved.push_back(m_state);
    return static_cast<int>(m_saved.size());
}

bool CDC::RestoreDC(int saved)
{
    const int64_t count = static_cast<int64_t>(m_saved.size());
    const int64_t target = saved > 0 ? saved : count + 1 + int64_t(saved);
    if (saved == 0 || target < 1 || target > count)
        return false;
    m_state = m_saved[size_t(target - 1)];
    m_saved.resize(size_t(target - 1));
    m_clipRectsDirty = true;
    m_painterClipDirty = true;
    return true;
}

CPen CDC::SelectPen(const CPen& pen)
{
    const CPen old = m_state.pen;
    m_state.pen = pen;
    return old;
}

CBrush CDC::SelectBrush(const CBrush& brush)
{
    const CBrush old = m_state.brush;
    m_state.brush = brush;
    return old;
}

QFont CDC::SelectFont(const QFont& font)
{
    QFont old = m_state.font;
    // Selecting the font in use again is the common case (painters select and
    // restore around every cell): QFont's comparison is a pointer test then.
    if (m_state.fontInfo && font == m_state.font)
        return old;
    m_state.font = font;
    ResolveFont();
    return old;
}

void CDC::ResolveFont()
{
    m_state.fontInfo.reset();
    if (!m_valid)
        return;
    Detail::CTextCache* cache = Detail::CTextCache::ForThisThread();
    if (cache == nullptr)
        return;
    const QPaintDevice* device = m_image != nullptr ? static_cast<const QPaintDevice*>(m_image) : m_painter->device();
    if (device == nullptr)
        return;
    m_state.fontInfo = cache->GetFont(m_state.font, *device);
}

const Detail::CFontInfo* CDC::CurrentFont(Detail::CTextCache& cache) const
{
    if (m_state.fontInfo && m_state.fontInfo->owner != &cache) {
        const QPaintDevice* device = m_image != nullptr ? static_cast<const QPaintDevice*>(m_image) : m_painter->device();
        if (device != nullptr)
            m_state.fontInfo = cache.GetFont(m_state.font, *device);
    }
    return m_state.fontInfo.get();
}

COLORREF CDC::SetTextColor(COLORREF color) { return std::exchange(m_state.textColor, color & 0x00FFFFFFu); }

COLORREF CDC::SetBkColor(COLORREF color) { return std::exchange(m_state.bkColor, color & 0x00FFFFFFu); }

// The mode setters refuse unknown modes (answer 0, nothing changes).
int CDC::SetBkMode(int mode)
{
    return (mode == TRANSPARENT || mode == OPAQUE) ? std::exchange(m_state.bkMode, mode) : 0;
}

int CDC::SetPolyFillMode(int mode)
{
    return (mode == ALTERNATE || mode == WINDING) ? std::exchange(m_state.polyFillMode, mode) : 0;
}

int CDC::SetStretchBltMode(int mode)
{
    return (mode >= BLACKONWHITE && mode <= HALFTONE) ? std::exchange(m_state.stretchMode, mode) : 0;
}

// ---- Clipping ----

QRect CDC::DeviceRect() const
{
    if (!m_valid)
        return QRect();
    if (m_image != nullptr)
        return m_image->rect();
    const QPaintDevice* device = m_painter->device();
    if (device == nullptr)
        return QRect();
    const QRect deviceRect(0, 0, device->width(), device->height());
    bool invertible = false;
    const QTransform inverse = m_painter->combinedTransform().inverted(&invertible);
    return invertible ? inverse.mapRect(deviceRect) : deviceRect;
}

QRegion CDC::BaseClip() const { return m_state.hasClip ? m_state.clip : QRegion(DeviceRect()); }

int CDC::SetClip(const QRegion& region)
{
    m_state.hasClip = true;
    m_state.clip = region.intersected(DeviceRect());
    m_clipRectsDirty = true;
    m_painterClipDirty = true;
    return ClipKind();
}

int CDC::ClipKind() const
{
    if (!m_state.hasClip)
        return SIMPLEREGION;
    if (m_state.clip.isEmpty())
        return NULLREGION;
    return m_state.clip.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

int CDC::SelectClipRgn(const QRegion* region) { return ExtSelectClipRgn(region, RGN_COPY); }

int CDC::ExtSelectClipRgn(const QRegion* region, int mode)
{
    if (!m_valid)
        return RGN_ERROR;
    if (mode == RGN_COPY) {
        if (region == nullptr) {
            m_state.hasClip = false;
            m_state.clip = QRegion();
            m_clipRectsDirty = true;
            m_painterClipDirty = true;
            return SIMPLEREGION;
        }
        return SetClip(*region);
    }
    if (region == nullptr)
        return RGN_ERROR;
    switch (mode) {
    case RGN_AND:
        return SetClip(BaseClip().intersected(*region));
    case RGN_OR:
        return SetClip(BaseClip().united(*region));
    case RGN_XOR:
        return SetClip(BaseClip().xored(*region));
    case RGN_DIFF:
        return SetClip(BaseClip().subtracted(*region));
    default:
        return RGN_ERROR;
    }
}

int CDC::ExcludeClipRect(const CRect& rect)
{
    if (!m_valid)
        return RGN_ERROR;
    CRect r = rect;
    r.NormalizeRect();
    return SetClip(BaseClip().subtracted(QRegion(r.ToQRect())));
}

int CDC::IntersectClipRect(const CRect& rect)
{
    if (!m_valid)
        return RGN_ERROR;
    CRect r = rect;
    r.NormalizeRect();
    return SetClip(BaseClip().intersected(QRegion(r.ToQRect())));
}

int CDC::GetClipBox(CRect& box) const
{
    if (!m_valid) {
        box.SetRectEmpty();
        return RGN_ERROR;
    }
    box = CRect::FromQRect(m_state.hasClip ? m_state.clip.boundingRect() : DeviceRect());
    return ClipKind();
}

bool CDC::GetClipRgn(QRegion& region) const
{
    if (!m_valid || !m_state.hasClip)
        return false;
    region = m_state.clip;
    return true;
}

bool CDC::RectVisible(const CRect& rect) const
{
    if (!m_valid || rect.IsRectEmpty())
        return false;
    return m_state.hasClip ? m_state.clip.intersects(rect.ToQRect()) : DeviceRect().intersects(rect.ToQRect());
}

bool CDC::PtVisible(int x, int y) const
{
    if (!m_valid)
        return false;
    return m_state.hasClip ? m_state.clip.contains(QPoint(x, y)) : DeviceRect().contains(QPoint(x, y));
}

const std::vector<CRect>& CDC::ClipRects()
{
    if (m_clipRectsDirty) {
        m_clipRects.clear();
        const CRect bounds = m_raster.Bounds();
        if (!m_state.hasClip) {
            m_clipRects.push_back(bounds);
        } else {
            for (const QRect& r : m_state.clip) {
                const CRect c = CRect::FromQRect(r) & bounds;
                if (!c.IsRectEmpty())
                    m_clipRects.push_back(c);
            }
        }
        m_clipRectsDirty = false;
    }
    return m_clipRects;
}

// ---- Primitive back ends ----

void CDC::FillBackend(const CRect& rect, COLORREF color)
{
    if (rect.IsRectEmpty())
        return;
    if (PrepareDirect()) {
        Detail::FillRect(m_raster, rect, ToPixel(color), ClipRects());
        return;
    }
    QPainter* p = Painter();
    if (p == nullptr)
        return;
    SyncPainterClip();
    // Qt's rectangle arithmetic overflows near the int32 limits: hand it only
    // the part on the surface.
    const CRect onSurface = rect & CRect::FromQRect(DeviceRect());
    if (!onSurface.IsRectEmpty())
        p->fillRect(onSurface.ToQRect(), ToQColor(color));
}

void CDC::RunBackend(int32_t x, int32_t y, int32_t length, bool vertical, uint32_t pattern, int32_t patternLength,
                     int32_t phase, COLORREF color)
{
    if (length <= 0 || !m_valid)
        return;
    // Only the part of the run on the surface matters; the pattern phase
    // moves along with the skipped start.
    const QRect device = DeviceRect();
    const int64_t lo = vertical ? device.top() : device.left();
    const int64_t hi = vertical ? int64_t(device.bottom()) + 1 : int64_t(device.right()) + 1;
    const int64_t cross = vertical ? x : y;
    if (cross < (vertical ? device.left() : device.top()) || cross > (vertical ? device.right() : device.bottom()))
        return;
    int64_t start = vertical ? y : x;
    int64_t end = start + length;
    if (start < lo) {
        phase = Mod(int64_t(phase) + (lo - start), patternLength);
        start = lo;
    }
    end = std::min(end, hi);
    if (end <= start)
        return;
    const int32_t s = static_cast<int32_t>(start);
    const int32_t n = static_cast<int32_t>(end - start);
    const int32_t rx = vertical ? x : s;
    const int32_t ry = vertical ? s : y;

    if (PrepareDirect()) {
        Detail::PatternRun(m_raster, rx, ry, n, vertical, pattern, patternLength, phase, ToPixel(color), ClipRects());
        return;
    }
    QPainter* p = Painter();
    if (p == nullptr)
        return;
    SyncPainterClip();
    const CRect run = vertical ? CRect(rx, ry, rx + 1, ry + n) : CRect(rx, ry, rx + n, ry + 1);
    if (patternLength == 1 && (pattern & 1u)) {
        p->fillRect(run.ToQRect(), ToQColor(color));
        return;
    }
    if (patternLength == 2 && pattern == 0b01) {
        if (!m_dotBrushValid || m_dotBrushColor != color) {
            m_dotBrush[0] = MakeCheckerBrush(color, 0);
            m_dotBrush[1] = MakeCheckerBrush(color, 1);
            m_dotBrushColor = color;
            m_dotBrushValid = true;
        }
        // Pixel i of the run is set when (phase + i) is even; those are the
        // pixels whose (x + y) has the parity of (rx + ry + phase).
        const int parity = static_cast<int>((int64_t(rx) + ry + phase) & 1);
        p->fillRect(run.ToQRect(), m_dotBrush[parity]);
        return;
    }
    m_points.clear();
    for (int32_t i = 0; i < n; ++i) {
        if (pattern & (1u << Mod(int64_t(phase) + i, patternLength)))
            m_points.push_back(vertical ? QPoint(rx, ry + i) : QPoint(rx + i, ry));
    }
    PlotBackend(color);
}

void CDC::PlotBackend(COLORREF color)
{
    if (m_points.empty())
        return;
    if (PrepareDirect()) {
        const auto& clip = ClipRects();
        const uint32_t pixel = ToPixel(color);
        for (const QPoint& pt : m_points)
            Detail::PlotPixel(m_raster, pt.x(), pt.y(), pixel, clip);
        return;
    }
    QPainter* p = Painter();
    if (p == nullptr)
        return;
    SyncPainterClip();
    SetPainterPenColor(color);
    p->drawPoints(m_points.data(), static_cast<int>(m_points.size()));
}

// ---- Lines ----

CPoint CDC::MoveTo(int x, int y)
{
    const CPoint old = m_state.position;
    m_state.position = CPoint(x, y);
    m_state.patternPhase = 0;
    if (m_pathOpen)
        m_path.moveTo(x, y);
    return old;
}

bool CDC::LineTo(int x, int y)
{
    if (!m_valid)
        return false;
    const CPoint to(x, y);
    if (m_pathOpen)
        m_path.lineTo(x, y);
    else
        LineSegment(m_state.position, to, m_state.patternPhase);
    m_state.position = to;
    return true;
}

bool CDC::Polyline(const CPoint* points, int count)
{
    if (!m_valid || points == nullptr || count < 2)
        return false;
    if (m_pathOpen) {
        AppendFigure(m_path, points, count, false);
        return true;
    }
    int32_t phase = 0;
    for (int i = 1; i < count; ++i)
        LineSegment(points[i - 1], points[i], phase);
    return true;
}

// Draws from `from` up to, excluding, `to` with the selected pen; `phase`
// counts the pattern pixels used so far and is advanced.
void CDC::LineSegment(CPoint from, CPoint to, int32_t& phase)
{
    const CPen& pen = m_state.pen;
    if (pen.IsNull() || from == to)
        return;
    if (!pen.IsThin()) {
        QPainterPath path;
        path.moveTo(from.x, from.y);
        path.lineTo(to.x, to.y);
        StrokeWide(path);
        return;
    }
    const Pattern pat = PatternOf(pen.GetStyle());
    const COLORREF color = pen.GetColor();
    const int64_t dx = int64_t(to.x) - from.x;
    const int64_t dy = int64_t(to.y) - from.y;
    const int64_t steps = std::max(std::llabs(dx), std::llabs(dy));

    if (dy == 0 || dx == 0) {
        const bool vertical = dx == 0;
        const int64_t a = vertical ? from.y : from.x;
        const int64_t b = vertical ? to.y : to.x;
        const int32_t fixed = vertical ? from.x : from.y;
        const auto length = static_cast<int32_t>(std::min<int64_t>(std::llabs(b - a), INT32_MAX));
        if (b > a) {
            RunBackend(vertical ? fixed : int32_t(a), vertical ? int32_t(a) : fixed, length, vertical, pat.bits,
                       pat.length, phase, color);
        } else if (pat.length <= 2) {
            // Drawn backwards: the run starts at b + 1. A pattern of period 1
            // or 2 reads the same in both directions once its phase is moved
            // to that end.
            const int64_t first = b + 1;
            const int32_t runPhase = Mod(int64_t(phase) + (a - first), pat.length);
            RunBackend(vertical ? fixed : int32_t(first), vertical ? int32_t(first) : fixed, length, vertical,
                       pat.bits, pat.length, runPhase, color);
        } else if (length > kMaxWalkedLine) {
            QPainterPath path;
            path.moveTo(from.x, from.y);
            path.lineTo(to.x, to.y);
            StrokeWide(path);
        } else {
            m_points.clear();
            const int64_t step = b > a ? 1 : -1;
            const QRect device = DeviceRect();
            for (int64_t i = 0, v = a; i < length; ++i, v += step) {
                const QPoint pt = vertical ? QPoint(fixed, int(v)) : QPoint(int(v), fixed);
                if ((pat.bits & (1u << Mod(int64_t(phase) + i, pat.length))) && device.contains(pt))
                    m_points.push_back(pt);
            }
            PlotBackend(color);
        }
        phase = Mod(int64_t(phase) + length, pat.length);
        return;
    }

    if (steps > kMaxWalkedLine) {
        QPainterPath path;
        path.moveTo(from.x, from.y);
        path.lineTo(to.x, to.y);
        StrokeWide(path);
        return;
    }
    // Bresenham from `from`, stopping before `to`.
    m_points.clear();
    const int64_t ax = std::llabs(dx);
    const int64_t ay = -std::llabs(dy);
    const int sx = dx > 0 ? 1 : -1;
    const int sy = dy > 0 ? 1 : -1;
    int64_t err = ax + ay;
    int64_t x = from.x;
    int64_t y = from.y;
    const QRect device = DeviceRect();
    for (int64_t i = 0; !(x == to.x && y == to.y); ++i) {
        if ((pat.bits & (1u << Mod(int64_t(phase) + i, pat.length))) && device.contains(int(x), int(y)))
            m_points.push_back(QPoint(int(x), int(y)));
        const int64_t e2 = 2 * err;
        if (e2 >= ay) {
            err += ay;
            x += sx;
        }
        if (e2 <= ax) {
            err += ax;
            y += sy;
        }
    }
    PlotBackend(color);
    phase = Mod(int64_t(phase) + steps, pat.length);
}

// Wide pens (and absurdly long lines) are drawn by Qt: round caps and joins,
// not pixel exact.
void CDC::StrokeWide(const QPainterPath& path)
{
    QPainter* p = Painter();
    if (p == nullptr)
        return;
    SyncPainterClip();
    const CPen& pen = m_state.pen;
    QPen qpen(ToQColor(pen.GetColor()));
    qpen.setWidth(std::max(1, pen.GetWidth()));
    qpen.setCosmetic(pen.IsThin());
    qpen.setStyle(QtPenStyle(pen.GetStyle()));
    qpen.setCapStyle(Qt::RoundCap);
    qpen.setJoinStyle(Qt::RoundJoin);
    p->strokePath(path, qpen);
}

// ---- Fills and shapes ----

void CDC::FillRect(const CRect& rect, const CBrush& brush)
{
    if (brush.IsNull())
        return;
    FillBackend(rect, brush.GetColor());
}

void CDC::FillSolidRect(const CRect& rect, COLORREF color)
{
    CRect r = rect;
    r.NormalizeRect();
    FillBackend(r, color);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    FillSolidRect(CRect(CPoint(x, y), CSize(cx, cy)), color);
}

void CDC::FrameRect(const CRect& rect, const CBrush& brush)
{
    if (brush.IsNull() || rect.IsRectEmpty())
        return;
    const COLORREF c = brush.GetColor();
    FillBackend(CRect(rect.left, rect.top, rect.right, rect.top + 1), c);
    FillBackend(CRect(rect.left, rect.bottom - 1, rect.right, rect.bottom), c);
    FillBackend(CRect(rect.left, rect.top, rect.left + 1, rect.bottom), c);
    FillBackend(CRect(rect.right - 1, rect.top, rect.right, rect.bottom), c);
}

void CDC::InvertRect(const CRect& rect)
{
    if (rect.IsRectEmpty())
        return;
    if (PrepareDirect()) {
        Detail::InvertRect(m_raster, rect, ClipRects());
        return;
    }
    QPainter* p = Painter();
    if (p == nullptr)
        return;
    SyncPainterClip();
    p->setCompositionMode(QPainter::RasterOp_NotDestination);
    p->fillRect(rect.ToQRect(), Qt::black);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

bool CDC::FillAlphaRect(const CRect& rect, COLORREF color, uint8_t alpha)
{
    if (!m_valid || !IsBlendLibraryAvailable())
        return false;
    if (rect.IsRectEmpty() || alpha == 0)
        return true;
    if (PrepareDirect()) {
        Detail::BlendRect(m_raster, rect, ToPixel(color), alpha, ClipRects());
        return true;
    }
    QPainter* p = Painter();
    if (p == nullptr)
        return false;
    SyncPainterClip();
    QColor c = ToQColor(color);
    c.setAlpha(alpha);
    p->fillRect(rect.ToQRect(), c);
    return true;
}

void CDC::Draw3dRect(const CRect& rect, COLORREF topLeft, COLORREF bottomRight)
{
    Draw3dRect(rect.left, rect.top, rect.Width(), rect.Height(), topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight)
{
    if (cx <= 0 || cy <= 0)
        return;
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(CRect(x + cx - 1, y, x + cx, y + cy), bottomRight);
    FillSolidRect(CRect(x, y + cy - 1, x + cx, y + cy), bottomRight);
}

bool CDC::Rectangle(int left, int top, int right, int bottom)
{
    if (!m_valid)
        return false;
    CRect r(left, top, right, bottom);
    r.NormalizeRect();
    if (m_pathOpen) {
        m_path.moveTo(r.left, r.top);
        m_path.lineTo(r.right, r.top);
        m_path.lineTo(r.right, r.bottom);
        m_path.lineTo(r.left, r.bottom);
        m_path.closeSubpath();
        return true;
    }
    if (r.IsRectEmpty())
        return true;
    const CPen& pen = m_state.pen;
    const CBrush& brush = m_state.brush;
    if (pen.IsNull()) {
        if (!brush.IsNull())
            FillBackend(CRect(r.left, r.top, r.right - 1, r.bottom - 1), brush.GetColor());
        return true;
    }
    if (!pen.IsThin()) {
        if (!brush.IsNull())
            FillBackend(r, brush.GetColor());
        QPainterPath path;
        path.addRect(QRectF(r.left + 0.5, r.top + 0.5, r.Width() - 1, r.Height() - 1));
        StrokeWide(path);
        return true;
    }
    if (!brush.IsNull())
        FillBackend(CRect(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1), brush.GetColor());
    const Pattern pat = PatternOf(pen.GetStyle());
    const COLORREF c = pen.GetColor();
    if (pat.length == 1) {
        FillBackend(CRect(r.left, r.top, r.right, r.top + 1), c);
        FillBackend(CRect(r.left, r.bottom - 1, r.right, r.bottom), c);
        FillBackend(CRect(r.left, r.top + 1, r.left + 1, r.bottom - 1), c);
        FillBackend(CRect(r.right - 1, r.top + 1, r.right, r.bottom - 1), c);
        return true;
    }
    // A patterned outline runs clockwise from the top-left corner.
    int32_t phase = 0;
    LineSegment(CPoint(r.left, r.top), CPoint(r.right - 1, r.top), phase);
    LineSegment(CPoint(r.right - 1, r.top), CPoint(r.right - 1, r.bottom - 1), phase);
    LineSegment(CPoint(r.right - 1, r.bottom - 1), CPoint(r.left, r.bottom - 1), phase);
    LineSegment(CPoint(r.left, r.bottom - 1), CPoint(r.left, r.top), phase);
    if (r.Width() == 1 || r.Height() == 1)
        FillBackend(CRect(r.left, r.top, r.left + 1, r.top + 1), c);
    return true;
}

// A pixel is filled when its centre lies inside the figure (Qt's aliased
// fill rule): a figure on whole coordinates from (l, t) to (r, b) fills
// [l, r) x [t, b), as a rectangle fill does.
void CDC::FillPathInterior(const QPainterPath& path)
{
    const CBrush& brush = m_state.brush;
    if (brush.IsNull())
        return;
    QPainter* p = Painter();
    if (p == nullptr)
        return;
    SyncPainterClip();
    QPainterPath figure = path;
    figure.setFillRule(m_state.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    p->fillPath(figure, QBrush(ToQColor(brush.GetColor())));
}

bool CDC::Polygon(const CPoint* points, int count)
{
    if (!m_valid || points == nullptr || count < 2)
        return false;
    if (m_pathOpen) {
        AppendFigure(m_path, points, count, true);
        return true;
    }
    QPainterPath figure;
    AppendFigure(figure, points, count, true);
    if (count >= 3)
        FillPathInterior(figure);
    if (!m_state.pen.IsThin()) {
        StrokeWide(figure);
        return true;
    }
    int32_t phase = 0;
    for (int i = 0; i < count; ++i)
        LineSegment(points[i], points[(i + 1) % count], phase);
    return true;
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color)
{
    if (!m_valid || !DeviceRect().contains(x, y))
        return CLR_INVALID;
    m_points.clear();
    m_points.push_back(QPoint(x, y));
    PlotBackend(color);
    return color & 0x00FFFFFFu;
}

COLORREF CDC::GetPixel(int x, int y) const
{
    const QImage* image = GetImage();
    if (image == nullptr || !image->rect().contains(x, y))
        return CLR_INVALID;
    if (m_direct)
        return FromPixel(m_raster.Row(y)[x]);
    return FromQRgb(image->pixel(x, y));
}

// ---- Paths ----

bool CDC::BeginPath()
{
    if (!m_valid)
        return false;
    m_path = QPainterPath();
    m_path.moveTo(m_state.position.x, m_state.position.y);
    m_pathOpen = true;
    m_pathReady = false;
    return true;
}

bool CDC::EndPath()
{
    if (!m_pathOpen)
        return false;
    m_pathOpen = false;
    m_pathReady = true;
    return true;
}

bool CDC::AbortPath()
{
    m_pathOpen = false;
    m_pathReady = false;
    m_path = QPainterPath();
    return true;
}

bool CDC::CloseFigure()
{
    if (!m_pathOpen)
        return false;
    m_path.closeSubpath();
    return true;
}

void CDC::StrokePathOutline(const QPainterPath& path)
{
    if (m_state.pen.IsNull())
        return;
    if (!m_state.pen.IsThin()) {
        StrokeWide(path);
        return;
    }
    const QList<QPolygonF> polygons = path.toSubpathPolygons();
    for (const QPolygonF& polygon : polygons) {
        int32_t phase = 0;
        for (qsizetype i = 1; i < polygon.size(); ++i) {
            const QPoint a = polygon[i - 1].toPoint();
            const QPoint b = polygon[i].toPoint();
            LineSegment(CPoint(a), CPoint(b), phase);
        }
    }
}

bool CDC::FinishPath(bool fill, bool stroke)
{
    if (!m_pathReady)
        return false;
    if (fill)
        FillPathInterior(m_path);
    if (stroke)
        StrokePathOutline(m_path);
    AbortPath();
    return true;
}

bool CDC::FillPath() { return FinishPath(true, false); }

bool CDC::StrokePath() { return FinishPath(false, true); }

bool CDC::StrokeAndFillPath() { return FinishPath(true, true); }

} // namespace Brivel::Platform
