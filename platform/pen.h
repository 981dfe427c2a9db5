#pragma once
// CPen and CBrush: the line and fill styles a CDC draws with. Both are small
// values (selecting one into a surface is a copy, no allocation), so painters
// may make them per cell.
//
// Pen styles (the low four bits of the style): PS_SOLID; the cosmetic
// patterns PS_DOT (one pixel on, one off — also PS_ALTERNATE), PS_DASH (six
// on, two off), PS_DASHDOT and PS_DASHDOTDOT; PS_NULL draws nothing. A pen of
// width 0 or 1 is the one-pixel pen and is pixel exact; PS_COSMETIC and
// PS_GEOMETRIC are accepted in the high bits and otherwise ignored. Wider pens
// are drawn through Qt with round caps and are not pixel exact.
//
// Thread: any thread (plain values).

#include "platform/colorref.h"

#include <cstdint>

namespace Brivel::Platform {

// Pen styles (the low four bits, PS_STYLE_MASK) and the pen types.
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_DASH = 1;
inline constexpr int PS_DOT = 2;
inline constexpr int PS_DASHDOT = 3;
inline constexpr int PS_DASHDOTDOT = 4;
inline constexpr int PS_NULL = 5;
inline constexpr int PS_INSIDEFRAME = 6;
inline constexpr int PS_ALTERNATE = 8;
inline constexpr int PS_STYLE_MASK = 0x0000000F;
inline constexpr int PS_COSMETIC = 0x00000000;
inline constexpr int PS_GEOMETRIC = 0x00010000;

// A line style: style, width in pixels and colour.
class CPen {
public:
    // The default pen: solid, one pixel, black.
    constexpr CPen() = default;
    constexpr CPen(int style, int width, COLORREF color) : m_style(style & PS_STYLE_MASK), m_width(width < 0 ? 0 : width), m_color(color & 0x00FFFFFFu) {}

    // The pen that draws nothing.
    static constexpr CPen Null() { return CPen(PS_NULL, 0, 0); }
    // The one-pixel pen that sets every other pixel (1 on, 1 off).
    static constexpr CPen Dotted(COLORREF color) { return CPen(PS_DOT, 1, color); }

    constexpr int GetStyle() const { return m_style; } // a PS_ style
    constexpr int GetWidth() const { return m_width; } // in pixels
    constexpr COLORREF GetColor() const { return m_color; } // the line's colour
    constexpr bool IsNull() const { return m_style == PS_NULL; } // draws nothing
    // Width 0 and 1 both draw one pixel wide.
    constexpr bool IsThin() const { return m_width <= 1; }

    // Member-wise equality.
    constexpr bool operator==(const CPen&) const = default;

private:
    int m_style = PS_SOLID;
    int m_width = 1;
    COLORREF m_color = 0;
};

// A fill: a solid colour, or nothing (the null brush).
class CBrush {
public:
    // The default brush: solid white.
    constexpr CBrush() = default;
    constexpr explicit CBrush(COLORREF color) : m_color(color & 0x00FFFFFFu) {}

    // The brush that fills nothing.
    static constexpr CBrush Null()
    {
        CBrush b;
        b.m_null = true;
        return b;
    }

    constexpr bool IsNull() const { return m_null; } // fills nothing
    constexpr COLORREF GetColor() const { return m_color; } // the fill colour

    // Member-wise equality.
    constexpr bool operator==(const CBrush&) const = default;

private:
    COLORREF m_color = RGB(255, 255, 255);
    bool m_null = false;
};

} // namespace Brivel::Platform
