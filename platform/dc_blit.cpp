// Block transfers of CDC (BitBlt, StretchBlt, AlphaBlend, TransparentBlt,
// DrawImage) and CMemoryDC.
//
// Call flow: the public function checks its arguments and turns the raster
// operation into a BlitParams; BlitImpl copies a source that shares the
// target's pixels first, then either runs the direct blit of raster.h (a
// 32-bit target without transform, no smoothing) or draws the image through
// the QPainter with the matching composition mode.

#include "platform/dc.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>

namespace Brivel::Platform {

namespace {

constexpr int32_t kMaxSurfaceSide = 32767;
constexpr int64_t kMaxSurfacePixels = int64_t(1) << 28;

bool SourceOp(uint32_t rop, Detail::BlitOp& op)
{
    switch (rop) {
    case SRCCOPY:
        op = Detail::BlitOp::Copy;
        return true;
    case SRCAND:
        op = Detail::BlitOp::And;
        return true;
    case SRCPAINT:
        op = Detail::BlitOp::Or;
        return true;
    case SRCINVERT:
        op = Detail::BlitOp::Xor;
        return true;
    default:
        return false;
    }
}

// A rectangle from a corner and a signed extent: a negative extent reaches
// left (up) from the corner. Answers whether the extent was negative.
CRect SignedRect(int x, int y, int width, int height, bool& flipX, bool& flipY)
{
    CRect r(CPoint(x, y), CSize(width, height));
    flipX = width < 0;
    flipY = height < 0;
    r.NormalizeRect();
    return r;
}

QImage MakeSurface(int width, int height, int dotsPerMeterX, int dotsPerMeterY)
{
    if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
        int64_t(width) * height > kMaxSurfacePixels)
        return QImage();
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::black);
    if (dotsPerMeterX > 0 && dotsPerMeterY > 0) {
        image.setDotsPerMeterX(dotsPerMeterX);
        image.setDotsPerMeterY(dotsPerMeterY);
    }
    return image;
}

int DotsPerMeter(int dpi) { return int(dpi / 0.0254 + 0.5); }

} // namespace

int CDC::GetLogicalDpiY() const
{
    if (!m_valid)
        return 96;
    if (m_image != nullptr)
        return m_image->logicalDpiY();
    const QPaintDevice* device = m_painter->device();
    return device != nullptr ? device->logicalDpiY() : 96;
}

bool CDC::BitBlt(int x, int y, int width, int height, const CDC* source, int xSrc, int ySrc, uint32_t rop)
{
    return StretchBlt(x, y, width, height, source, xSrc, ySrc, width, height, rop);
}

bool CDC::StretchBlt(int x, int y, int width, int height, const CDC* source, int xSrc, int ySrc, int widthSrc,
                     int heightSrc, uint32_t rop)
{
    if (!m_valid)
        return false;
    bool dstFlipX = false;
    bool dstFlipY = false;
    const CRect target = SignedRect(x, y, width, height, dstFlipX, dstFlipY);
    switch (rop) {
    case PATCOPY:
        FillRect(target, m_state.brush);
        return true;
    case BLACKNESS:
        FillBackend(target, RGB(0, 0, 0));
        return true;
    case WHITENESS:
        FillBackend(target, RGB(255, 255, 255));
        return true;
    case DSTINVERT:
        InvertRect(target);
        return true;
    default:
        break;
    }
    Detail::BlitParams params;
    if (!SourceOp(rop, params.op) || source == nullptr)
        return false;
    const QImage* image = source->GetImage();
    if (image == nullptr || image->isNull())
        return false;
    bool srcFlipX = false;
    bool srcFlipY = false;
    const CRect sourceRect = SignedRect(xSrc, ySrc, widthSrc, heightSrc, srcFlipX, srcFlipY);
    if (target.IsRectEmpty() || sourceRect.IsRectEmpty())
        return true;
    return BlitImpl(target, *image, sourceRect, dstFlipX != srcFlipX, dstFlipY != srcFlipY, params);
}

bool CDC::AlphaBlend(int x, int y, int width, int height, const CDC& source, int xSrc, int ySrc, int widthSrc,
                     int heightSrc, BLENDFUNCTION blend)
{
    if (!m_valid || !IsBlendLibraryAvailable() || blend.BlendOp != AC_SRC_OVER)
        return false;
    if (width < 0 || height < 0 || widthSrc < 0 || heightSrc < 0)
        return false;
    const QImage* image = source.GetImage();
    if (image == nullptr || image->isNull())
        return false;
    const CRect sourceRect(CPoint(xSrc, ySrc), CSize(widthSrc, heightSrc));
    if ((sourceRect & CRect::FromQRect(image->rect())) != sourceRect && !sourceRect.IsRectEmpty())
        return false;
    if (width == 0 || height == 0 || sourceRect.IsRectEmpty())
        return true;
    Detail::BlitParams params;
    params.op = (blend.AlphaFormat & AC_SRC_ALPHA) ? Detail::BlitOp::PixelAlpha : Detail::BlitOp::ConstantAlpha;
    params.alpha = blend.SourceConstantAlpha;
    return BlitImpl(CRect(CPoint(x, y), CSize(width, height)), *image, sourceRect, false, false, params);
}

bool CDC::TransparentBlt(int x, int y, int width, int height, const CDC& source, int xSrc, int ySrc, int widthSrc,
                         int heightSrc, COLORREF transparent)
{
    if (!m_valid || !IsBlendLibraryAvailable())
        return false;
    if (width < 0 || height < 0 || widthSrc < 0 || heightSrc < 0)
        return false;
    const QImage* image = source.GetImage();
    if (image == nullptr || image->isNull())
        return false;
    if (width == 0 || height == 0 || widthSrc == 0 || heightSrc == 0)
        return true;
    Detail::BlitParams params;
    params.op = Detail::BlitOp::TransparentKey;
    params.keyColor = ToPixel(transparent) & 0x00FFFFFFu;
    return BlitImpl(CRect(CPoint(x, y), CSize(width, height)), *image, CRect(CPoint(xSrc, ySrc), CSize(widthSrc, heightSrc)),
                    false, false, params);
}

bool CDC::DrawImage(int x, int y, const QImage& image)
{
    return DrawImage(CRect(CPoint(x, y), CSize(image.width(), image.height())), image,
                     CRect::FromQRect(image.rect()));
}

bool CDC::DrawImage(const CRect& target, const QImage& image, const CRect& source)
{
    if (!m_valid || image.isNull())
        return false;
    if (target.IsRectEmpty() || source.IsRectEmpty())
        return true;
    Detail::BlitParams params;
    params.op = Detail::BlitOp::PixelAlpha;
    params.alpha = 255;
    return BlitImpl(target, image, source, false, false, params);
}

bool CDC::BlitImpl(const CRect& target, const QImage& sourceImage, const CRect& sourceRect, bool flipX, bool flipY,
                   const Detail::BlitParams& params)
{
    const bool scaled = target.Width() != sourceRect.Width() || target.Height() != sourceRect.Height();
    const bool smooth = scaled && m_state.stretchMode == HALFTONE;

    // A source that shares the target's pixels (a blit within one surface) is
    // copied first, so that the transfer never reads what it already wrote.
    // Only the part inside the source image is copied; the rest stays "outside".
    const QImage* source = &sourceImage;
    CRect rect = sourceRect;
    QImage copy;
    const QImage* own = GetImage();
    if (own != nullptr && own->constBits() == sourceImage.constBits()) {
        const CRect inside = sourceRect & CRect::FromQRect(sourceImage.rect());
        if (inside.IsRectEmpty())
            return true;
        copy = sourceImage.copy(inside.ToQRect());
        rect.OffsetRect(-inside.left, -inside.top);
        source = &copy;
    }

    if (!smooth && PrepareDirect()) {
        QImage converted;
        if (source->format() != QImage::Format_RGB32 && source->format() != QImage::Format_ARGB32_Premultiplied) {
            converted = source->convertToFormat(QImage::Format_ARGB32_Premultiplied);
            source = &converted;
        }
        Detail::BlitSource bs;
        bs.bits = reinterpret_cast<const uint32_t*>(source->constBits());
        bs.stride = source->bytesPerLine() / 4;
        bs.width = source->width();
        bs.height = source->height();
        bs.rect = rect;
        bs.flipX = flipX;
        bs.flipY = flipY;
        Detail::Blit(m_raster, target, bs, params, ClipRects());
        return true;
    }

    QPainter* p = Painter();
    if (p == nullptr)
        return false;
    SyncPainterClip();
    QImage piece;
    QRect from = rect.ToQRect();
    if (flipX || flipY) {
        piece = source->copy(from).mirrored(flipX, flipY);
        source = &piece;
        from = piece.rect();
    }
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    qreal opacity = 1.0;
    QImage view;
    switch (params.op) {
    case Detail::BlitOp::Copy:
        mode = QPainter::CompositionMode_Source;
        break;
    case Detail::BlitOp::And:
        mode = QPainter::RasterOp_SourceAndDestination;
        break;
    case Detail::BlitOp::Or:
        mode = QPainter::RasterOp_SourceOrDestination;
        break;
    case Detail::BlitOp::Xor:
        mode = QPainter::RasterOp_SourceXorDestination;
        break;
    case Detail::BlitOp::ConstantAlpha:
        // The source's own alpha takes no part; the constant alpha goes into
        // every pixel (Qt's per-pixel blend is within one of the colour blend,
        // its opacity path is not).
        view = source->copy(from).convertToFormat(QImage::Format_ARGB32);
        for (int yy = 0; yy < view.height(); ++yy) {
            auto* line = reinterpret_cast<QRgb*>(view.scanLine(yy));
            for (int xx = 0; xx < view.width(); ++xx)
                line[xx] = (line[xx] & 0x00FFFFFFu) | (uint32_t(params.alpha) << 24);
        }
        source = &view;
        from = view.rect();
        break;
    case Detail::BlitOp::PixelAlpha:
        opacity = params.alpha / 255.0;
        break;
    case Detail::BlitOp::TransparentKey: {
        view = source->copy(from).convertToFormat(QImage::Format_ARGB32);
        for (int yy = 0; yy < view.height(); ++yy) {
            auto* line = reinterpret_cast<QRgb*>(view.scanLine(yy));
            for (int xx = 0; xx < view.width(); ++xx)
                line[xx] = (line[xx] & 0x00FFFFFFu) == params.keyColor ? 0u : (line[xx] | 0xFF000000u);
        }
        source = &view;
        from = view.rect();
        break;
    }
    }
    const bool rasterOp = mode >= QPainter::RasterOp_SourceOrDestination;
    if (rasterOp && (p->paintEngine() == nullptr || !p->paintEngine()->hasFeature(QPaintEngine::RasterOpModes)))
        return false;
    p->setCompositionMode(mode);
    p->setOpacity(opacity);
    p->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    p->drawImage(target.ToQRect(), *source, from);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->setOpacity(1.0);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return true;
}

// ---- CMemoryDC ----

CMemoryDC::CMemoryDC(int width, int height)
    : Detail::CImageHolder{MakeSurface(width, height, 0, 0)}, CDC(m_memoryImage)
{
}

CMemoryDC::CMemoryDC(const CDC& compatible, int width, int height)
    : Detail::CImageHolder{MakeSurface(width, height, DotsPerMeter(compatible.GetLogicalDpiY()),
                                       DotsPerMeter(compatible.GetLogicalDpiY()))},
      CDC(m_memoryImage)
{
}

bool CMemoryDC::Resize(int width, int height)
{
    const int dpmX = m_memoryImage.isNull() ? 0 : m_memoryImage.dotsPerMeterX();
    const int dpmY = m_memoryImage.isNull() ? 0 : m_memoryImage.dotsPerMeterY();
    // The painter (if any) lets go of the old image before it is replaced.
    Retarget(nullptr);
    m_memoryImage = MakeSurface(width, height, dpmX, dpmY);
    Retarget(&m_memoryImage);
    return IsValid();
}

} // namespace Brivel::Platform
