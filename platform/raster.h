#pragma once
// Direct pixel operations on a 32-bit surface, the fast path of CDC on memory
// surfaces. Not part of the public drawing interface: CDC decides when they
// apply (a 32-bit image target with no transform) and falls back to QPainter
// otherwise.
//
// Every operation takes the clip as a list of non-overlapping rectangles in
// surface coordinates (already cut to the surface), touches only pixels inside
// them and never reads or writes outside the surface. Colour arguments are
// 32-bit pixels 0xAARRGGBB; on an RGB32 surface the alpha byte is kept at 0xFF.
// None of them allocates.
//
// Thread: the thread that owns the surface.

#include "platform/rect.h"

#include <cstdint>
#include <span>

namespace Brivel::Platform::Detail {

// A view of 32-bit pixels; does not own them.
struct RasterSurface {
    uint32_t* bits = nullptr; // Not owned; the image outlives the view.
    intptr_t stride = 0;      // in pixels
    int32_t width = 0;
    int32_t height = 0;
    bool opaque = true; // RGB32 (alpha forced to 0xFF) rather than premultiplied ARGB

    bool IsValid() const { return bits != nullptr && width > 0 && height > 0; }
    uint32_t* Row(int32_t y) const { return bits + y * stride; }
    CRect Bounds() const { return CRect(0, 0, width, height); }
};

using ClipRects = std::span<const CRect>;

// Fills r with an opaque pixel.
void FillRect(const RasterSurface& s, const CRect& r, uint32_t pixel, ClipRects clip);

// Blends a colour over r at a constant alpha, per channel
// (dst * (255 - alpha) + color * alpha) / 255, truncating (the colour blend).
void BlendRect(const RasterSurface& s, const CRect& r, uint32_t pixel, uint8_t alpha, ClipRects clip);

// Inverts the colour bits of r (alpha kept).
void InvertRect(const RasterSurface& s, const CRect& r, ClipRects clip);

// A horizontal (or vertical) run of `length` pixels from (x, y) drawn with a
// repeating on/off pattern: bit ((phase + i) % patternLength) of `pattern`
// decides pixel i. A solid run is pattern 1, length 1.
void PatternRun(const RasterSurface& s, int32_t x, int32_t y, int32_t length, bool vertical, uint32_t pattern,
                int32_t patternLength, int32_t phase, uint32_t pixel, ClipRects clip);

// One pixel, when it lies inside the clip.
void PlotPixel(const RasterSurface& s, int32_t x, int32_t y, uint32_t pixel, ClipRects clip);

// Composites a coverage mask (one byte per pixel, 0 = untouched, 255 = the
// colour) with its top-left corner at (x, y), rounding to nearest.
void BlendMask(const RasterSurface& s, int32_t x, int32_t y, const uint8_t* mask, int32_t maskWidth,
               int32_t maskHeight, uint32_t pixel, ClipRects clip);

enum class BlitOp : uint8_t {
    Copy,           // dst = src
    And,            // dst &= src (colour bits)
    Or,             // dst |= src
    Xor,            // dst ^= src
    ConstantAlpha,  // colour blend of src over dst at a constant alpha, source alpha ignored
    PixelAlpha,     // premultiplied src scaled by the constant alpha, then source-over
    TransparentKey, // src copied where its colour differs from the key colour
};

// A source of 32-bit pixels and the rectangle read from it. A source width or
// height that differs from the destination's stretches (nearest pixel); flipX
// and flipY mirror. Pixels that map outside the source leave the target as it is.
struct BlitSource {
    const uint32_t* bits = nullptr; // Not owned.
    intptr_t stride = 0;            // in pixels
    int32_t width = 0;
    int32_t height = 0;
    CRect rect; // normalized
    bool flipX = false;
    bool flipY = false;
};

struct BlitParams {
    BlitOp op = BlitOp::Copy;
    uint8_t alpha = 255;    // ConstantAlpha, PixelAlpha
    uint32_t keyColor = 0;  // TransparentKey: 0x00RRGGBB compared with the source's colour bits
};

// dst is normalized. The source may not overlap the target (callers copy
// overlapping sources first).
void Blit(const RasterSurface& s, const CRect& dst, const BlitSource& src, const BlitParams& params, ClipRects clip);

} // namespace Brivel::Platform::Detail
