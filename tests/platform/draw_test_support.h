#pragma once
// Drawing test helpers: a surface of either kind a CDC draws on (its own
// memory surface, drawn on pixel by pixel, or a borrowed QPainter on an
// image, drawn through Qt), and probes that read the pixels back.

#include "platform/dc.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <memory>
#include <ostream>
#include <string>

namespace Brivel::Platform::Testing {

enum class SurfaceKind { Memory, Painter };

inline std::ostream& operator<<(std::ostream& os, SurfaceKind kind)
{
    return os << (kind == SurfaceKind::Memory ? "Memory" : "Painter");
}

inline std::string SurfaceName(const testing::TestParamInfo<SurfaceKind>& info)
{
    return info.param == SurfaceKind::Memory ? "Memory" : "Painter";
}

inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kBlack = RGB(0, 0, 0);

class CTestSurface {
public:
    CTestSurface(SurfaceKind kind, int width, int height, COLORREF background = kWhite) : m_kind(kind)
    {
        if (kind == SurfaceKind::Memory) {
            m_memory = std::make_unique<CMemoryDC>(width, height);
            m_memory->FillSolidRect(CRect(0, 0, width, height), background);
        } else {
            m_image = QImage(width, height, QImage::Format_RGB32);
            m_image.fill(ToQColor(background));
            m_painter = std::make_unique<QPainter>(&m_image);
            m_onPainter = std::make_unique<CDC>(*m_painter);
        }
    }

    CDC& dc() { return m_memory ? static_cast<CDC&>(*m_memory) : *m_onPainter; }

    const QImage& Image() const { return m_memory ? m_memory->Image() : m_image; }
    int Width() const { return Image().width(); }
    int Height() const { return Image().height(); }

    COLORREF Pixel(int x, int y) const { return FromQRgb(Image().pixel(x, y)); }

    // One character per pixel of row y in [x0, x1): '#' for `on`, '.' otherwise.
    std::string Row(int y, int x0, int x1, COLORREF on) const
    {
        std::string out;
        for (int x = x0; x < x1; ++x)
            out += Pixel(x, y) == on ? '#' : '.';
        return out;
    }
    std::string Column(int x, int y0, int y1, COLORREF on) const
    {
        std::string out;
        for (int y = y0; y < y1; ++y)
            out += Pixel(x, y) == on ? '#' : '.';
        return out;
    }

    // Pixels in `rect` that differ from `color`.
    int CountNot(const CRect& rect, COLORREF color) const
    {
        int count = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                count += Pixel(x, y) != color ? 1 : 0;
        return count;
    }
    int Count(const CRect& rect, COLORREF color) const
    {
        return rect.Width() * rect.Height() - CountNot(rect, color);
    }

    // Bounding box of the pixels that differ from `background` (empty when none).
    CRect Ink(COLORREF background = kWhite) const
    {
        CRect box(Width(), Height(), -1, -1);
        for (int y = 0; y < Height(); ++y) {
            for (int x = 0; x < Width(); ++x) {
                if (Pixel(x, y) == background)
                    continue;
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
        return box.IsRectEmpty() ? CRect() : box;
    }

private:
    SurfaceKind m_kind;
    std::unique_ptr<CMemoryDC> m_memory;
    QImage m_image;
    std::unique_ptr<QPainter> m_painter;
    std::unique_ptr<CDC> m_onPainter;
};

} // namespace Brivel::Platform::Testing
