#pragma once
// CTextCache: the per-thread cache behind CDC's text output. It keeps
//
// - font records (CFontInfo): a selected QFont resolved for a device's
//   resolution, with its metrics and raw font, shared by the surfaces that
//   select it;
// - laid-out texts (CTextLayout), keyed by the UTF-8 bytes, the font record
//   and the width an ellipsis cut the text to: glyph indexes at whole-pixel
//   positions and the advance width;
// - glyph coverage masks (CGlyphMask), rendered once per glyph and
//   combined into one mask per laid-out text, which the direct path blends
//   onto 32-bit memory surfaces in one pass.
//
// Text is laid out with the raw font's own glyphs and kerned advances when
// every character is a simple one (Latin, Greek, Cyrillic without combining
// marks) that the font has; anything else goes through QTextLayout, which
// shapes it and picks fallback fonts.
//
// Bounds: 4096 layouts of texts up to 1 KiB (4-way set associative, least
// recently used replaced; longer texts are laid out per call),
// 16384 glyph masks, 64 raw fonts and 64 font records. When the glyph or raw
// font tables overflow, layouts, masks and raw fonts are dropped together at
// the start of the next operation (layouts point into the mask table).
// Allocation budget: none on a hit; a miss allocates the layout's glyph
// vector, the key copy and, for new glyphs, the mask.
//
// Lifetime: one cache per thread, made on first use while a QGuiApplication
// exists. The main thread's cache is released when the application object is
// destroyed (a Qt post routine), before Qt's font machinery goes; other
// threads' caches go when the thread ends. After the application is gone,
// ForThisThread() answers null and text is not drawn.
//
// Thread: the owning thread only (ForThisThread() gives each thread its own).

#include "platform/font.h"

#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QList>
#include <QRawFont>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QPaintDevice;

namespace Brivel::Platform::Detail {

// A QFont resolved for one device resolution. Immutable once made.
struct CFontInfo {
    QFont font;       // as the caller selected it
    QFont deviceFont; // resolved for the device's dpi
    QRawFont rawFont; // the primary face at the device size
    const void* owner = nullptr; // the CTextCache (thread) that made it
    int dpi = 96;
    uint32_t id = 0; // unique in the process (a surface may move between threads); keys the layouts
    TEXTMETRIC metrics;
    int32_t dotsWidth = 0; // advance of "..."
    int32_t underlinePos = 0;
    int32_t strikeOutPos = 0;
    int32_t lineWidth = 1;
};

// Coverage of one glyph, cut to its ink.
struct CGlyphMask {
    int16_t left = 0; // offset of the first column from the pen position
    int16_t top = 0;  // offset of the first row from the baseline (negative: above)
    int16_t width = 0;
    int16_t height = 0;
    std::vector<uint8_t> coverage; // width * height bytes, row by row
};

struct CPlacedGlyph {
    uint32_t glyphIndex = 0;
    uint16_t fontSlot = 0; // index into the cache's raw font table
    int16_t y = 0;         // from the baseline
    int32_t x = 0;         // from the text's left edge
};
static_assert(sizeof(CPlacedGlyph) <= 12, "placed glyphs are stored per laid-out text; keep them small");

struct CTextLayout {
    int32_t width = 0; // advance width in pixels
    std::vector<CPlacedGlyph> glyphs;
    // cache; filled on the first direct draw: one mask per glyph (null for
    // blank ones); on the second, all of them composited into one coverage
    // mask of the text (left empty when the text is too large for one, see
    // kMaxTextMask). A text drawn once never pays for the composite.
    mutable std::vector<const CGlyphMask*> masks;
    mutable uint32_t directDraws = 0;
    mutable bool textMaskBuilt = false;
    mutable std::vector<uint8_t> textMask;
    mutable int32_t textMaskLeft = 0; // from the text's left edge
    mutable int32_t textMaskTop = 0;  // from the baseline
    mutable int32_t textMaskWidth = 0;
    mutable int32_t textMaskHeight = 0;
    mutable bool masksResolved = false;
    // cache; filled on the first draw through a QPainter: one run per raw font
    mutable QList<QGlyphRun> runs;
    mutable bool runsBuilt = false;
};

class CTextCache {
public:
    CTextCache();
    CTextCache(const CTextCache&) = delete;
    CTextCache& operator=(const CTextCache&) = delete;
    ~CTextCache();

    // This thread's cache; null without a QGuiApplication or once it is
    // being destroyed.
    static CTextCache* ForThisThread();

    // Drops what overflowed its bound. Call once at the start of a text
    // operation: layouts handed out stay valid until the next call.
    void BeginOperation();

    // The font record for `font` on `device` (made on first use).
    std::shared_ptr<const CFontInfo> GetFont(const QFont& font, const QPaintDevice& device);

    // The layout of `utf8` in `font`. With elideWidth >= 0 the text is cut at
    // the end so that, with "..." appended, it is at most elideWidth pixels
    // wide ("..." alone when nothing else fits); callers ask for this only
    // when the whole text is wider. The pointer is valid until the next
    // BeginOperation().
    const CTextLayout* GetLayout(std::string_view utf8, const CFontInfo& font, int32_t elideWidth = -1);

    // Longer texts are laid out on every call rather than kept.
    static constexpr size_t kMaxCachedBytes = 1024;
    // Texts whose combined mask would exceed this many pixels keep per-glyph masks only.
    static constexpr int64_t kMaxTextMask = 1 << 18;

    // Resolves the per-glyph masks of a layout (direct path), the combined
    // text mask (BuildTextMask, after ResolveMasks), or its glyph runs
    // (painter path).
    void ResolveMasks(const CTextLayout& layout);
    void BuildTextMask(const CTextLayout& layout);
    void BuildRuns(const CTextLayout& layout);

    // Counters for tests and benchmarks.
    struct Stats {
        uint64_t layoutHits = 0;
        uint64_t layoutMisses = 0;
        uint64_t glyphsRendered = 0;
        uint64_t clears = 0;
    };
    const Stats& GetStatsForTesting() const { return m_stats; }

private:
    struct LayoutEntry;

    uint16_t SlotFor(const QRawFont& raw);
    const CGlyphMask* GetGlyph(uint16_t slot, uint32_t glyphIndex);
    void LayOut(const QString& text, const CFontInfo& font, CTextLayout& out, std::vector<int32_t>* ends);
    bool LayOutSimple(const QString& text, const CFontInfo& font, CTextLayout& out, std::vector<int32_t>* ends);
    void LayOutComplex(const QString& text, const CFontInfo& font, CTextLayout& out);
    void LayOutElided(const QString& text, const CFontInfo& font, int32_t elideWidth, CTextLayout& out);
    void Clear();

    std::vector<LayoutEntry> m_layouts; // kSets * kWays entries
    // Texts longer than kMaxCachedBytes are laid out here, one at a time, so
    // that the cache never holds more than 4096 short keys.
    std::unique_ptr<LayoutEntry> m_scratch;
    uint32_t m_useClock = 0;
    std::unordered_map<uint64_t, std::unique_ptr<CGlyphMask>> m_glyphs; // (slot << 32 | glyph) -> mask
    std::vector<QRawFont> m_rawFonts;
    std::vector<std::shared_ptr<const CFontInfo>> m_fonts; // most recently used first
    Stats m_stats;
};

} // namespace Brivel::Platform::Detail
