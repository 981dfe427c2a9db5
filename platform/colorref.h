#pragma once
// COLORREF: the colour value of the drawing interface, 0x00BBGGRR (red in
// the low byte), and the helpers around it: RGB, GetRValue/GetGValue/GetBValue,
// conversion to and from Qt's colour types, and BlendColor, the integer colour
// blend the grid's painters build their tints and highlights with.
//
// The top byte of a COLORREF is not part of the colour: conversions ignore it,
// and BlendColor's result always has it zero. CLR_NONE/CLR_INVALID
// (0xFFFFFFFF) are the "no colour" markers.
//
// Thread: any thread (pure functions).

#include <QColor>
#include <QRgb>

#include <cstdint>

namespace Brivel::Platform {

// A colour, 0x00BBGGRR.
using COLORREF = uint32_t;

// The "no colour" markers.
inline constexpr COLORREF CLR_NONE = 0xFFFFFFFFu;
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

// The colour of the three channels.
constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b)
{
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
// The red channel.
constexpr uint8_t GetRValue(COLORREF c) { return uint8_t(c & 0xFF); }
constexpr uint8_t GetGValue(COLORREF c) { return uint8_t((c >> 8) & 0xFF); }  // green
constexpr uint8_t GetBValue(COLORREF c) { return uint8_t((c >> 16) & 0xFF); } // blue

// Per channel (base * (255 - alpha) + over * alpha) / 255, truncating. Alpha 0
// gives base, 255 gives over; the top byte of the result is zero.
constexpr COLORREF BlendColor(COLORREF base, COLORREF over, uint8_t alpha)
{
    const uint32_t a = alpha;
    const uint32_t na = 255u - a;
    const auto channel = [&](uint32_t shift) {
        return (((base >> shift) & 0xFFu) * na + ((over >> shift) & 0xFFu) * a) / 255u;
    };
    return channel(0) | (channel(8) << 8) | (channel(16) << 16);
}

// Opaque Qt colours (alpha 255).
inline QRgb ToQRgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); } // as a QColor
// The alpha of the Qt colour is dropped.
inline COLORREF FromQRgb(QRgb rgb) { return RGB(uint8_t(qRed(rgb)), uint8_t(qGreen(rgb)), uint8_t(qBlue(rgb))); }
inline COLORREF FromQColor(const QColor& c) { return FromQRgb(c.rgb()); } // from a QColor

// The 32-bit pixel (0xAARRGGBB, opaque) that a COLORREF paints on a 32-bit surface.
constexpr uint32_t ToPixel(COLORREF c)
{
    return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}
// The colour of a 32-bit pixel (0xAARRGGBB; the alpha is dropped).
constexpr COLORREF FromPixel(uint32_t pixel)
{
    return RGB(uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel));
}

} // namespace Brivel::Platform
