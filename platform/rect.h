#pragma once
// CPoint, CSize and CRect: the integer geometry of the drawing surface.
//
// CRect follows the raster convention the painters are written against: a
// rectangle covers the pixels [left, right) x [top, bottom), so right and
// bottom are exclusive and Width() is right - left. A rectangle whose width or
// height is not positive is empty. Arithmetic saturates at the int32 range, so
// absurd coordinates never overflow (they clamp).
//
// Conversion to and from Qt: QRect stores an inclusive right/bottom edge;
// ToQRect()/FromQRect() translate between the two conventions without losing
// the size (CRect(0, 0, 10, 5) is QRect(0, 0, 10, 5), whose right() is 9).
//
// Thread: any thread (plain values).

#include <QPoint>
#include <QRect>
#include <QSize>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace Brivel::Platform {

// Clamps a wide intermediate result to the int32 range: coordinates and
// sizes computed in 64 bits and stored in 32.
constexpr int32_t SaturateInt32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

namespace Detail {
constexpr int32_t AddSat(int32_t a, int64_t b) { return SaturateInt32(static_cast<int64_t>(a) + b); }
} // namespace Detail

// A width and a height in pixels.
struct CSize {
    int32_t cx = 0; // width
    int32_t cy = 0; // height

    // Zero by zero; a size from its width and height; from a QSize.
    constexpr CSize() = default;
    constexpr CSize(int32_t width, int32_t height) : cx(width), cy(height) {}
    explicit CSize(const QSize& size) : cx(size.width()), cy(size.height()) {}

    // The same size as a QSize.
    QSize ToQSize() const { return QSize(cx, cy); }

    // Member-wise equality; the sum and difference of the two extents (saturating).
    constexpr bool operator==(const CSize&) const = default;
    constexpr CSize operator+(CSize o) const { return {Detail::AddSat(cx, o.cx), Detail::AddSat(cy, o.cy)}; }
    constexpr CSize operator-(CSize o) const { return {Detail::AddSat(cx, -int64_t(o.cx)), Detail::AddSat(cy, -int64_t(o.cy))}; }
};

// A point in pixels.
struct CPoint {
    int32_t x = 0; // horizontal coordinate
    int32_t y = 0; // vertical coordinate

    // Zero; a point from its coordinates; from a QPoint.
    constexpr CPoint() = default;
    constexpr CPoint(int32_t px, int32_t py) : x(px), y(py) {}
    explicit CPoint(const QPoint& point) : x(point.x()), y(point.y()) {}

    // The same point as a QPoint.
    QPoint ToQPoint() const { return QPoint(x, y); }

    // Moves the point by (dx, dy), saturating.
    constexpr void Offset(int32_t dx, int32_t dy)
    {
        x = Detail::AddSat(x, dx);
        y = Detail::AddSat(y, dy);
    }

    // Member-wise equality; sums and differences of coordinates (saturating).
    constexpr bool operator==(const CPoint&) const = default;
    constexpr CPoint operator+(CPoint o) const { return {Detail::AddSat(x, o.x), Detail::AddSat(y, o.y)}; }
    constexpr CPoint operator-(CPoint o) const { return {Detail::AddSat(x, -int64_t(o.x)), Detail::AddSat(y, -int64_t(o.y))}; }
    constexpr CPoint operator+(CSize s) const { return {Detail::AddSat(x, s.cx), Detail::AddSat(y, s.cy)}; }
    constexpr CPoint& operator+=(CPoint o) { return *this = *this + o; }
    constexpr CPoint& operator-=(CPoint o) { return *this = *this - o; }
};

// A rectangle covering [left, right) x [top, bottom) (see the top of this file).
struct CRect {
    int32_t left = 0; // first column inside
    int32_t top = 0; // first row inside
    int32_t right = 0; // first column outside (exclusive)
    int32_t bottom = 0; // first row outside (exclusive)

    // The null rectangle; one from its four edges; from the top-left corner and
    // a size; from the two corners.
    constexpr CRect() = default;
    constexpr CRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}
    constexpr CRect(CPoint topLeft, CSize size)
        : left(topLeft.x), top(topLeft.y), right(Detail::AddSat(topLeft.x, size.cx)),
          bottom(Detail::AddSat(topLeft.y, size.cy)) {}
    constexpr CRect(CPoint topLeft, CPoint bottomRight)
        : left(topLeft.x), top(topLeft.y), right(bottomRight.x), bottom(bottomRight.y) {}

    // A QRect with an inclusive right/bottom edge becomes the exclusive form.
    static CRect FromQRect(const QRect& r);
    // The same pixels as a QRect (x, y, width, height). Non-normalized
    // rectangles keep their negative extent.
    QRect ToQRect() const { return QRect(left, top, Width(), Height()); }

    // right - left.
    constexpr int32_t Width() const { return SaturateInt32(int64_t(right) - left); }
    constexpr int32_t Height() const { return SaturateInt32(int64_t(bottom) - top); } // bottom - top
    constexpr CSize Size() const { return {Width(), Height()}; } // width and height
    constexpr CPoint TopLeft() const { return {left, top}; } // the first pixel's corner
    constexpr CPoint BottomRight() const { return {right, bottom}; } // the exclusive corner
    // The centre, rounded towards zero.
    constexpr CPoint CenterPoint() const
    {
        return {static_cast<int32_t>((int64_t(left) + right) / 2), static_cast<int32_t>((int64_t(top) + bottom) / 2)};
    }

    // Empty: covers no pixel (width or height not positive).
    constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }
    // Null: all four coordinates are zero.
    constexpr bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    // Inside when left <= x < right and top <= y < bottom.
    constexpr bool PtInRect(CPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    constexpr bool EqualRect(const CRect& o) const { return *this == o; } // the same four edges

    // Replaces the edges; SetRectEmpty makes the null rectangle.
    constexpr void SetRect(int32_t l, int32_t t, int32_t r, int32_t b) { *this = CRect(l, t, r, b); }
    constexpr void SetRectEmpty() { *this = CRect(); } // the null rectangle

    // Grows by dx on the left and the right and by dy at the top and the bottom.
    constexpr void InflateRect(int32_t dx, int32_t dy) { InflateRect(dx, dy, dx, dy); }
    constexpr void InflateRect(int32_t l, int32_t t, int32_t r, int32_t b)
    {
        left = Detail::AddSat(left, -int64_t(l));
        top = Detail::AddSat(top, -int64_t(t));
        right = Detail::AddSat(right, r);
        bottom = Detail::AddSat(bottom, b);
    }
    // Shrinks, as InflateRect grows.
    constexpr void DeflateRect(int32_t dx, int32_t dy) { InflateRect(-dx, -dy); }
    constexpr void DeflateRect(int32_t l, int32_t t, int32_t r, int32_t b) { InflateRect(-l, -t, -r, -b); }

    // Moves the rectangle by (dx, dy), by a point's or a size's extent (saturating).
    constexpr void OffsetRect(int32_t dx, int32_t dy)
    {
        left = Detail::AddSat(left, dx);
        right = Detail::AddSat(right, dx);
        top = Detail::AddSat(top, dy);
        bottom = Detail::AddSat(bottom, dy);
    }
    constexpr void OffsetRect(CPoint p) { OffsetRect(p.x, p.y); }
    constexpr void OffsetRect(CSize s) { OffsetRect(s.cx, s.cy); }
    // Moves the rectangle so that its top-left corner is at (x, y), keeping its size.
    constexpr void MoveToXY(int32_t x, int32_t y) { OffsetRect(SaturateInt32(int64_t(x) - left), SaturateInt32(int64_t(y) - top)); }
    constexpr void MoveToX(int32_t x) { MoveToXY(x, top); } // MoveToXY keeping top
    constexpr void MoveToY(int32_t y) { MoveToXY(left, y); } // MoveToXY keeping left

    // Swaps left/right and top/bottom where they are reversed.
    constexpr void NormalizeRect()
    {
        if (left > right)
            std::swap(left, right);
        if (top > bottom)
            std::swap(top, bottom);
    }

    // Sets this to the intersection of a and b. When they do not overlap the
    // result is the null rectangle and the answer is false.
    constexpr bool IntersectRect(const CRect& a, const CRect& b)
    {
        CRect r(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom));
        if (r.IsRectEmpty() || a.IsRectEmpty() || b.IsRectEmpty()) {
            SetRectEmpty();
            return false;
        }
        *this = r;
        return true;
    }
    // Sets this to the smallest rectangle holding a and b. Empty rectangles
    // take no part; when both are empty the result is null and the answer false.
    constexpr bool UnionRect(const CRect& a, const CRect& b)
    {
        const bool aEmpty = a.IsRectEmpty();
        const bool bEmpty = b.IsRectEmpty();
        if (aEmpty && bEmpty) {
            SetRectEmpty();
            return false;
        }
        if (aEmpty) {
            *this = b;
            return true;
        }
        if (bEmpty) {
            *this = a;
            return true;
        }
        *this = CRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                      std::max(a.bottom, b.bottom));
        return true;
    }

    // Member-wise equality; intersection and union (as IntersectRect and
    // UnionRect) and moving by a point (+ and -).
    constexpr bool operator==(const CRect&) const = default;
    constexpr CRect operator&(const CRect& o) const { CRect r; r.IntersectRect(*this, o); return r; }
    constexpr CRect operator|(const CRect& o) const { CRect r; r.UnionRect(*this, o); return r; }
    constexpr CRect& operator&=(const CRect& o) { return *this = *this & o; }
    constexpr CRect& operator|=(const CRect& o) { return *this = *this | o; }
    constexpr CRect operator+(CPoint p) const { CRect r = *this; r.OffsetRect(p); return r; }
    constexpr CRect operator-(CPoint p) const { CRect r = *this; r.OffsetRect(SaturateInt32(-int64_t(p.x)), SaturateInt32(-int64_t(p.y))); return r; }
};

inline CRect CRect::FromQRect(const QRect& r)
{
    // QRect keeps x1/x2 inclusive; width() = x2 - x1 + 1 is the pixel count.
    return CRect(r.left(), r.top(), Detail::AddSat(r.left(), r.width()), Detail::AddSat(r.top(), r.height()));
}

} // namespace Brivel::Platform
