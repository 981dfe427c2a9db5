#pragma once
// CDC, the drawing surface the grid's painters draw on, and CMemoryDC, a
// 32-bit memory surface (the double buffer, scratch surfaces for blended
// fills and header images).
//
// A CDC draws either
// - on a QImage it was given (CDC(QImage&)) or owns (CMemoryDC): 32-bit
//   images (RGB32 or premultiplied ARGB32) are drawn on directly, pixel by
//   pixel, which is what makes the grid's paint pass cheap; other formats
//   go through a QPainter made on first need; or
// - through a QPainter it borrows (CDC(QPainter&)), e.g. the painter of a
//   widget's paint event or of a printer. The painter's state is saved at
//   construction and restored at destruction; while the CDC lives it owns the
//   painter's clip, pen, brush and hints.
//
// The operations follow the raster rules of the classic drawing interface
// the painters are written against, pixel exact and without anti-aliasing:
// - FillRect/FillSolidRect cover [left, right) x [top, bottom).
// - LineTo draws from the current position up to, but excluding, the end
//   point, and moves the current position there. One-pixel pens are exact
//   in every direction; the dotted pen (PS_DOT) sets every other pixel,
//   starting with the first; the pattern restarts at MoveTo and continues
//   across consecutive LineTo calls.
// - Rectangle's one-pixel outline lies inside the rectangle (right and bottom
//   edges at right - 1 and bottom - 1) and the brush fills the inside; with
//   the null pen the filled area loses its right column and bottom row.
// - Polygon and path fills fill the pixels whose centre lies inside the
//   figure (a figure from (l, t) to (r, b) fills [l, r) x [t, b)); the
//   outline is drawn with the pen as LineTo would.
// - Draw3dRect: top and left edges in the first colour, right and bottom
//   edges (including the top-right and bottom-left corners) in the second.
// Coordinates are logical (the painter's, for a borrowed painter); clip
// operations take and keep logical coordinates too.
//
// Text comes in as UTF-8 bytes (the fast path: laid-out text is cached by its
// bytes, see text_cache.h) or as QString. DrawText is single-line text with
// DT_LEFT/DT_CENTER/DT_RIGHT, DT_VCENTER/DT_BOTTOM, DT_END_ELLIPSIS (a cut
// text ends in "..." and never wraps), DT_NOCLIP and DT_CALCRECT; without
// DT_SINGLELINE, lines break at '\n' and, with DT_WORDBREAK, at spaces. An
// '&' is drawn as it is: there is no mnemonic prefix processing. Glyphs are
// anti-aliased and placed on whole pixels; text is clipped to its rectangle
// unless DT_NOCLIP. Text needs a QGuiApplication: without one (or after it is
// gone) text operations draw nothing and measure zero.
//
// Blits: BitBlt/StretchBlt (SRCCOPY, SRCAND, SRCPAINT, SRCINVERT, and the
// source-less PATCOPY, DSTINVERT, BLACKNESS, WHITENESS), AlphaBlend (constant
// alpha: the colour blend of colorref.h per channel; or premultiplied
// per-pixel alpha) and TransparentBlt (pixels of the key colour leave the
// target untouched). The source must be a surface with pixels to read (an
// image or memory surface); stretching picks the nearest pixel, or smooths
// in HALFTONE mode.
//
// Allocation budget of the hot operations on a memory surface: FillRect,
// FillSolidRect, Draw3dRect, MoveTo/LineTo (horizontal and vertical), DrawText
// and GetTextExtent of cached text, SelectFont of a font already in use,
// BitBlt/AlphaBlend/TransparentBlt between 32-bit surfaces: none. Clip
// changes allocate (QRegion).
//
// Thread: the thread that owns the surface. A memory surface may be used on
// any one thread at a time; a CDC on a widget's painter belongs to the GUI
// thread.

#include "platform/colorref.h"
#include "platform/font.h"
#include "platform/pen.h"
#include "platform/raster.h"
#include "platform/rect.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QRegion>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class QPainter;
class QString;

namespace Brivel::Platform {

namespace Detail {
struct CFontInfo;
struct CTextLayout;
class CTextCache;
} // namespace Detail

// DrawText formats.
inline constexpr unsigned DT_TOP = 0x0000;
inline constexpr unsigned DT_LEFT = 0x0000;
inline constexpr unsigned DT_CENTER = 0x0001;
inline constexpr unsigned DT_RIGHT = 0x0002;
inline constexpr unsigned DT_VCENTER = 0x0004;
inline constexpr unsigned DT_BOTTOM = 0x0008;
inline constexpr unsigned DT_WORDBREAK = 0x0010;
inline constexpr unsigned DT_SINGLELINE = 0x0020;
inline constexpr unsigned DT_NOCLIP = 0x0100;
inline constexpr unsigned DT_CALCRECT = 0x0400;
inline constexpr unsigned DT_NOPREFIX = 0x0800; // accepted; prefixes are never processed
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;

// Background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Clip combination modes.
inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;

// Clip region kinds answered by the clip operations.
inline constexpr int RGN_ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

// Polygon fill modes.
inline constexpr int ALTERNATE = 1;
inline constexpr int WINDING = 2;

// Stretch modes.
inline constexpr int BLACKONWHITE = 1;
inline constexpr int WHITEONBLACK = 2;
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;

// Raster operations.
inline constexpr uint32_t SRCCOPY = 0x00CC0020;
inline constexpr uint32_t SRCPAINT = 0x00EE0086;
inline constexpr uint32_t SRCAND = 0x008800C6;
inline constexpr uint32_t SRCINVERT = 0x00660046;
inline constexpr uint32_t PATCOPY = 0x00F00021;
inline constexpr uint32_t DSTINVERT = 0x00550009;
inline constexpr uint32_t BLACKNESS = 0x00000042;
inline constexpr uint32_t WHITENESS = 0x00FF0062;

// AlphaBlend.
inline constexpr uint8_t AC_SRC_OVER = 0x00;
inline constexpr uint8_t AC_SRC_ALPHA = 0x01;
// How AlphaBlend mixes the source over the destination.
struct BLENDFUNCTION {
    uint8_t BlendOp = AC_SRC_OVER; // AC_SRC_OVER, the only operation
    uint8_t BlendFlags = 0; // always 0
    uint8_t SourceConstantAlpha = 255; // applied to the whole source, 0-255
    uint8_t AlphaFormat = 0; // 0: constant alpha only; AC_SRC_ALPHA: premultiplied per-pixel alpha too
};

// AlphaBlend, TransparentBlt and FillAlphaRect are always available on this
// platform; tests switch them off to reach the callers' fallbacks, and then
// they draw nothing and return false. Thread: any thread.
bool IsBlendLibraryAvailable();
void SetBlendLibraryAvailableForTesting(bool available);

class CDC {
public:
    // Draws through `painter`, which must be active and outlive this.
    explicit CDC(QPainter& painter);
    // Draws on `image`, which must outlive this (and not be resized meanwhile).
    explicit CDC(QImage& image);
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // False for a surface without pixels (a null image, an inactive painter):
    // every operation then does nothing and reports failure.
    bool IsValid() const { return m_valid; }
    CSize GetSize() const; // the surface's size in pixels
    // Vertical resolution of the device (fonts given in points scale with it); 96 when unknown.
    int GetLogicalDpiY() const;
    // The image drawn on, when there is one (also for a borrowed painter on an image).
    const QImage* GetImage() const;
    // The painter under this surface, for drawing this class does not offer.
    // Whoever changes its transform, composition mode or opacity restores them
    // before the next call on this CDC. Null for an invalid surface.
    QPainter* GetPainter();

    // ---- State ----
    // Saves pen, brush, font, colours, modes, current position and clip;
    // answers the saved state's number (1, 2, ...).
    int SaveDC();
    // Restores state `saved` (or, when negative, the one that many saves back:
    // -1 = the last) and drops it and all later ones. False for an unknown number.
    bool RestoreDC(int saved);

    // Selects a pen and answers the previous one.
    CPen SelectPen(const CPen& pen);
    CBrush SelectBrush(const CBrush& brush); // see SelectPen
    // Answers the previous font so that it can be selected back.
    QFont SelectFont(const QFont& font);
    // The selected pen.
    const CPen& GetPen() const { return m_state.pen; }
    const CBrush& GetBrush() const { return m_state.brush; } // the selected brush
    const QFont& GetFont() const { return m_state.font; } // the selected font

    COLORREF SetTextColor(COLORREF color); // answers the previous colour
    COLORREF GetTextColor() const { return m_state.textColor; } // the colour text is drawn in
    COLORREF SetBkColor(COLORREF color); // answers the previous colour
    COLORREF GetBkColor() const { return m_state.bkColor; } // the colour of opaque text boxes
    // TRANSPARENT or OPAQUE (the initial mode: text boxes are filled with the
    // background colour). Answers the previous mode; other values are refused (0).
    int SetBkMode(int mode);
    int GetBkMode() const { return m_state.bkMode; }
    int SetPolyFillMode(int mode); // ALTERNATE or WINDING; answers the previous mode
    int SetStretchBltMode(int mode); // BLACKONWHITE .. HALFTONE; answers the previous mode

    // ---- Lines ----
    // Moves the current position; answers the previous one.
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(CPoint p) { return MoveTo(p.x, p.y); }
    // A line with the selected pen from the current position to (x, y), which
    // is excluded and becomes the current position.
    bool LineTo(int x, int y);
    bool LineTo(CPoint p) { return LineTo(p.x, p.y); }
    CPoint GetCurrentPosition() const { return m_state.position; } // where the next LineTo starts
    // Lines through the points (the last point excluded); does not move the current position.
    bool Polyline(const CPoint* points, int count);

    // ---- Fills and shapes ----
    void FillRect(const CRect& rect, const CBrush& brush); // fills with the brush
    // The rectangle is normalized first (a negative extent fills the mirrored span).
    void FillSolidRect(const CRect& rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    // A one-pixel frame just inside the rectangle.
    void FrameRect(const CRect& rect, const CBrush& brush);
    void InvertRect(const CRect& rect); // inverts the colours of the pixels
    // Blends `color` over the rectangle at `alpha` (the colour blend): the same
    // pixels as filling a memory surface and AlphaBlend-ing it, without one.
    bool FillAlphaRect(const CRect& rect, COLORREF color, uint8_t alpha);
    // A one-pixel frame: the top and left edges in `topLeft`, the bottom and
    // right edges in `bottomRight`.
    void Draw3dRect(const CRect& rect, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
    // A rectangle outlined with the pen and filled with the brush.
    bool Rectangle(int left, int top, int right, int bottom);
    bool Rectangle(const CRect& rect) { return Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    bool Polygon(const CPoint* points, int count); // outlined with the pen, filled with the brush in the fill mode
    COLORREF SetPixel(int x, int y, COLORREF color); // answers the colour set
    // CLR_INVALID outside the surface or when its pixels cannot be read.
    COLORREF GetPixel(int x, int y) const;

    // ---- Paths ----
    // Between BeginPath and EndPath, MoveTo, LineTo, Polyline, Polygon and
    // Rectangle add figures to the path instead of drawing.
    bool BeginPath();
    // Ends the path.
    bool EndPath();
    bool AbortPath(); // drops the path
    bool CloseFigure(); // closes the current figure
    // Fill with the brush / stroke with the pen, then discard the path.
    bool FillPath();
    bool StrokePath(); // with the pen
    bool StrokeAndFillPath(); // both

    // ---- Text ----
    // Answers the text height (with DT_VCENTER or DT_BOTTOM: the distance from
    // the rectangle's top to the bottom of the text), 0 on failure. With
    // DT_CALCRECT nothing is drawn and `rect` receives the text's extent.
    int DrawText(std::string_view utf8, CRect& rect, unsigned format);
    int DrawText(const QString& text, CRect& rect, unsigned format);
    int DrawText(const char* utf8, CRect& rect, unsigned format) { return DrawText(std::string_view(utf8 ? utf8 : ""), rect, format); }
    // One line with its top-left corner at (x, y), not clipped to any rectangle.
    bool TextOut(int x, int y, std::string_view utf8);
    bool TextOut(int x, int y, const QString& text);
    bool TextOut(int x, int y, const char* utf8) { return TextOut(x, y, std::string_view(utf8 ? utf8 : "")); }
    // Advance width and text height of one line in the selected font.
    CSize GetTextExtent(std::string_view utf8) const;
    CSize GetTextExtent(const QString& text) const;
    CSize GetTextExtent(const char* utf8) const { return GetTextExtent(std::string_view(utf8 ? utf8 : "")); }
    bool GetTextMetrics(TEXTMETRIC& metrics) const; // of the selected font

    // ---- Clipping ----
    // Each answers the kind of the new clip region (NULLREGION, SIMPLEREGION,
    // COMPLEXREGION) or RGN_ERROR. With no clip region the whole surface is
    // drawable; combining with no clip region combines with the whole surface.
    int SelectClipRgn(const QRegion* region); // null removes the clip region
    int ExtSelectClipRgn(const QRegion* region, int mode); // combines with RGN_AND .. RGN_COPY
    // Removes the rectangle from the clip region.
    int ExcludeClipRect(const CRect& rect);
    int ExcludeClipRect(int left, int top, int right, int bottom) { return ExcludeClipRect(CRect(left, top, right, bottom)); }
    int IntersectClipRect(const CRect& rect); // keeps only the part inside the rectangle
    int GetClipBox(CRect& box) const; // the smallest rectangle around what is drawable
    // False when there is no clip region.
    bool GetClipRgn(QRegion& region) const;
    bool RectVisible(const CRect& rect) const; // some of the rectangle is drawable
    bool PtVisible(int x, int y) const; // the point is drawable

    // ---- Blits ----
    // `source` may be null for the source-less operations.
    bool BitBlt(int x, int y, int width, int height, const CDC* source, int xSrc, int ySrc, uint32_t rop);
    // BitBlt that scales the source rectangle to the target rectangle in the
    // stretch mode.
    bool StretchBlt(int x, int y, int width, int height, const CDC* source, int xSrc, int ySrc, int widthSrc,
                    int heightSrc, uint32_t rop);
    // False (nothing drawn) for negative sizes, a source rectangle outside the
    // source, or blend functions switched off.
    bool AlphaBlend(int x, int y, int width, int height, const CDC& source, int xSrc, int ySrc, int widthSrc,
                    int heightSrc, BLENDFUNCTION blend);
    // Copies the source rectangle, scaled, leaving out the pixels of colour
    // `transparent`; false as AlphaBlend.
    bool TransparentBlt(int x, int y, int width, int height, const CDC& source, int xSrc, int ySrc, int widthSrc,
                        int heightSrc, COLORREF transparent);
    // Draws an image with its own (per-pixel) alpha.
    bool DrawImage(int x, int y, const QImage& image);
    bool DrawImage(const CRect& target, const QImage& image, const CRect& source);

    // True when the operations go straight to the pixels (tests check that
    // both paths agree).
    bool IsDirectForTesting() const { return m_direct; }

protected:
    // For CMemoryDC: point this surface at a new image (its size changed).
    // Pen, brush, font, colours and modes stay; the clip, path and saved
    // states are dropped.
    void Retarget(QImage* image);

private:
    struct State {
        CPen pen;
        CBrush brush;
        QFont font;
        // cache; null without a QGuiApplication, made again by CurrentFont()
        // when the surface has moved to another thread
        mutable std::shared_ptr<const Detail::CFontInfo> fontInfo;
        COLORREF textColor = RGB(0, 0, 0);
        COLORREF bkColor = RGB(255, 255, 255);
        int bkMode = OPAQUE;
        int polyFillMode = ALTERNATE;
        int stretchMode = BLACKONWHITE;
        CPoint position;
        int32_t patternPhase = 0; // pixels of the pen pattern used since MoveTo
        bool hasClip = false;
        QRegion clip; // logical coordinates; meaningful when hasClip
    };

    void AttachImage(QImage* image);
    bool PrepareDirect();
    QPainter* Painter();
    void ApplyPainterDefaults();
    void SyncPainterClip();
    void SetPainterPenColor(COLORREF color);
    void InvalidatePainterState();
    QRect DeviceRect() const;
    QRegion BaseClip() const;
    int SetClip(const QRegion& region);
    int ClipKind() const;
    const std::vector<CRect>& ClipRects();

    void FillBackend(const CRect& rect, COLORREF color);
    void RunBackend(int32_t x, int32_t y, int32_t length, bool vertical, uint32_t pattern, int32_t patternLength,
                    int32_t phase, COLORREF color);
    void PlotBackend(COLORREF color);
    void LineSegment(CPoint from, CPoint to, int32_t& phase);
    void StrokeWide(const QPainterPath& path);
    void FillPathInterior(const QPainterPath& path);
    void StrokePathOutline(const QPainterPath& path);
    bool FinishPath(bool fill, bool stroke);

    bool BlitImpl(const CRect& target, const QImage& source, const CRect& sourceRect, bool flipX, bool flipY,
                  const Detail::BlitParams& params);
    void ResolveFont();
    const Detail::CFontInfo* CurrentFont(Detail::CTextCache& cache) const;
    void DrawLayout(Detail::CTextCache& cache, const Detail::CTextLayout& layout, int32_t x, int32_t y,
                    const CRect* clip);
    int DrawTextLines(std::string_view utf8, CRect& rect, unsigned format);

    State m_state;
    std::vector<State> m_saved;

    bool m_valid = false;
    bool m_direct = false;           // m_image is 32-bit: draw on its pixels
    QImage* m_image = nullptr;       // Not owned; the image drawn on (image surfaces only)
    QPainter* m_painter = nullptr;   // Not owned when borrowed; else points at m_ownedPainter
    std::unique_ptr<QPainter> m_ownedPainter; // made on first need for image surfaces
    bool m_borrowed = false;
    Detail::RasterSurface m_raster;  // valid when m_direct

    std::vector<CRect> m_clipRects;  // cache; the clip cut to the surface, refreshed when dirty
    bool m_clipRectsDirty = true;
    bool m_painterClipDirty = true;

    bool m_painterPenValid = false;  // the painter's pen is the one-pixel pen of m_painterPenColor
    COLORREF m_painterPenColor = 0;
    bool m_dotBrushValid = false;    // m_dotBrush holds the checker brushes of m_dotBrushColor
    COLORREF m_dotBrushColor = 0;
    QBrush m_dotBrush[2];            // checker patterns: pixels with (x + y) % 2 == index

    std::vector<QPoint> m_points;    // scratch for PlotBackend

    bool m_pathOpen = false;
    bool m_pathReady = false;
    QPainterPath m_path;
};

namespace Detail {
// Holds the image of a CMemoryDC so that it exists before the CDC base.
struct CImageHolder {
    QImage m_memoryImage;
};
} // namespace Detail

// A 32-bit memory surface (RGB32) of a given size, initially black.
// Sizes are clamped at 0; a side above 32767 pixels or more than 2^28 pixels
// in all gives an invalid (empty) surface instead of a huge allocation.
// Thread: any one thread at a time.
class CMemoryDC : private Detail::CImageHolder, public CDC {
public:
    // A surface over a new, black 32-bit image of that size.
    CMemoryDC(int width, int height);
    // The same pixel format and resolution as `compatible` (a surface may be
    // made compatible with a window's surface).
    CMemoryDC(const CDC& compatible, int width, int height);

    // A new, black image of the given size; keeps pen, brush, font and colours.
    bool Resize(int width, int height);
    const QImage& Image() const { return m_memoryImage; } // the image drawn on
};

} // namespace Brivel::Platform
