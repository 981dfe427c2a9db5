#pragma once
// Appearance and HighlightSettings: the colour settings a grid paints with.
//
// Appearance holds the row colours by parity (row 0 of each list is even),
// the grid-line colours and the four translucent tints that mark selected
// rows, the focus row, sorted columns and the rubber-band rectangle.
// HighlightSettings says how changed cells are highlighted: for how long, in
// which colours and alphas, how often a fading highlight is repainted, and in
// which mode (0 inverted, 1-3 solid, 4-6 alpha-blended, 7-9 fading; any other
// value highlights nothing).
//
// Both are plain values; a grid keeps its own copy of each. The stored forms
// (Serialize) are part of the grid's settings stream: a version (written as
// 1; a newer one raises CArchiveException kBadSchema, 0 or less ends the
// block), then the fields as listed in the .cpp.
//
// Thread: any thread (values).

#include "platform/colorref.h"

#include <cstdint>

namespace Brivel::Platform {
class CArchive;
}

namespace Brivel::GUI {

using Platform::COLORREF;

// A colour laid over another at an alpha (0 transparent, 255 opaque).
struct Tint {
    COLORREF color = Platform::RGB(255, 255, 255); // the colour laid over
    uint8_t alpha = 0; // its alpha; 0: the tint shows nothing

    // Member-wise equality.
    friend bool operator==(const Tint&, const Tint&) = default;
    // Stores or loads the tint (a version, then its fields).
    void Serialize(Platform::CArchive& archive);
};

// The colours a grid paints its rows, lines and marks with.
struct Appearance {
    COLORREF oddTextColor = Platform::RGB(0, 0, 0); // text of rows 1, 3, 5, ...
    COLORREF evenTextColor = Platform::RGB(0, 0, 0); // text of rows 0, 2, 4, ...
    COLORREF oddBackColor = Platform::RGB(255, 255, 255); // background of odd rows
    COLORREF evenBackColor = Platform::RGB(255, 255, 255); // background of even rows
    COLORREF verticalLineColor = Platform::RGB(128, 128, 128); // the lines between columns
    COLORREF horizontalLineColor = Platform::RGB(128, 128, 128); // the lines between rows
    Tint selectionTint{Platform::RGB(100, 100, 180), 60}; // over selected rows
    Tint focusTint{Platform::RGB(100, 100, 180), 30}; // over the focus row
    Tint sortedColumnTint{Platform::RGB(180, 150, 180), 50}; // over the cells of sorted columns
    Tint rubberBandTint{Platform::RGB(180, 180, 180), 128}; // over the rubber-band rectangle
    bool verticalLines = false; // lines between columns are drawn
    bool horizontalLines = false; // lines between rows are drawn

    // Row colours by the row's index within its list.
    COLORREF TextColorOfRow(int32_t row) const { return (row & 1) ? oddTextColor : evenTextColor; } // text
    COLORREF BackColorOfRow(int32_t row) const { return (row & 1) ? oddBackColor : evenBackColor; } // background

    // Member-wise equality.
    friend bool operator==(const Appearance&, const Appearance&) = default;
    // Stores or loads the record (a version, then its fields).
    void Serialize(Platform::CArchive& archive);
};

// Highlight modes.
enum HighlightMode : int32_t {
    kHighlightInvert = 0,          // text and background colours swap
    kHighlightText = 1,            // text highlight colour
    kHighlightBack = 2,            // background highlight colour
    kHighlightTextAndBack = 3,
    kHighlightAlphaText = 4,       // text highlight colour at text alpha
    kHighlightAlphaBack = 5,       // background highlight colour at background alpha
    kHighlightAlphaTextAndBack = 6,
    kHighlightFadeText = 7,        // alpha falls linearly over the duration
    kHighlightFadeBack = 8,
    kHighlightFadeTextAndBack = 9,
};

// The grid's highlight settings record, 24 bytes in this field order (the
// alphas are followed by two bytes of padding); operations 99 and 100 of the
// grid hand it over by pointer.
struct HighlightSettings {
    int32_t duration = 2000;                           // ms a highlight lasts
    COLORREF textColor = Platform::RGB(255, 0, 0); // the highlighted text's colour
    COLORREF backColor = Platform::RGB(255, 0, 0); // the highlighted background's colour
    uint8_t textAlpha = 150; // the text colour's alpha in the alpha and fading modes
    uint8_t backAlpha = 150; // the background colour's alpha in the alpha and fading modes
    int32_t refreshInterval = 30;                      // ms between repaints of a fading highlight
    int32_t mode = kHighlightFadeBack; // a HighlightMode

    // Member-wise equality.
    friend bool operator==(const HighlightSettings&, const HighlightSettings&) = default;
    // Stored form: version, duration, text colour, back colour (int32 each),
    // text alpha, back alpha (one byte each), refresh interval, mode (int32
    // each): 26 bytes.
    void Serialize(Platform::CArchive& archive);
};
static_assert(sizeof(HighlightSettings) == 24, "the highlight settings record has a fixed 24-byte layout");

} // namespace Brivel::GUI
