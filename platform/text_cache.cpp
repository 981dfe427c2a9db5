#include "platform/text_cache.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <climits>
#include <functional>

// ---- Sections ----
// Per-thread instance and its release at application shutdown.
// Layout table (set associative).
// Fonts.
// Laying out: simple path (raw font), complex path (QTextLayout), ellipsis.
// Glyph masks and runs.

namespace Brivel::Platform::Detail {

namespace {

constexpr size_t kSets = 1024;
constexpr size_t kWays = 4;
constexpr size_t kMaxGlyphs = 16384;
constexpr size_t kMaxRawFonts = 64;
constexpr size_t kMaxFonts = 64;
// Glyph masks larger than this (absurd font sizes) are not cached as masks;
// such glyphs are skipped by the direct path.
constexpr int kMaxGlyphExtent = 1024;

// ---- Per-thread instance ----

thread_local std::unique_ptr<CTextCache> t_cache;
thread_local const QCoreApplication* t_cacheApp = nullptr;   // the application t_cache was made under
thread_local const QCoreApplication* t_releasedApp = nullptr; // its cache was released at its shutdown

// Runs on the main thread while the application object is destroyed, while
// fonts are still usable: the cached glyphs and fonts must go before Qt's
// font engines do.
void ReleaseMainThreadCache()
{
    t_releasedApp = t_cacheApp;
    t_cache.reset();
    t_cacheApp = nullptr;
}

uint64_t HashKey(std::string_view bytes, uint32_t fontId, int32_t elideWidth)
{
    uint64_t h = std::hash<std::string_view>{}(bytes);
    h ^= (uint64_t(fontId) << 32 | uint32_t(elideWidth)) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
    return h;
}

bool IsSimpleChar(char16_t u)
{
    return (u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u < 0x300 && u != 0xAD) || (u >= 0x370 && u < 0x483) ||
           (u >= 0x48A && u < 0x530);
}

// Font ids are process-wide so that a surface carrying a font record made on
// one thread never meets a different font under the same id on another.
uint32_t NextFontId()
{
    static std::atomic<uint32_t> next{1};
    uint32_t id = next.fetch_add(1, std::memory_order_relaxed);
    while (id == 0)
        id = next.fetch_add(1, std::memory_order_relaxed);
    return id;
}

// The whole text of `layout` on one unbroken line.
QTextLine LayOutOneLine(QTextLayout& layout)
{
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(1e6);
    layout.endLayout();
    return line;
}

int32_t RoundToInt(qreal v)
{
    return static_cast<int32_t>(std::lround(std::clamp<qreal>(v, -1e9, 1e9)));
}

} // namespace

struct CTextCache::LayoutEntry {
    uint64_t hash = 0;
    uint32_t fontId = 0; // 0: unused
    int32_t elide = -1;
    uint32_t lastUse = 0;
    std::string key;
    CTextLayout layout;
};

CTextCache::CTextCache() : m_layouts(kSets * kWays), m_scratch(std::make_unique<LayoutEntry>()) {}

CTextCache::~CTextCache() = default;

CTextCache* CTextCache::ForThisThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    if (t_cache && t_cacheApp == app && app != nullptr) [[likely]]
        return t_cache.get();
    if (app == nullptr || QCoreApplication::closingDown() || app == t_releasedApp ||
        qobject_cast<const QGuiApplication*>(app) == nullptr)
        return nullptr;
    t_cache = std::make_unique<CTextCache>();
    t_cacheApp = app;
    if (QThread::currentThread() == app->thread()) {
        qAddPostRoutine(&ReleaseMainThreadCache);
        // Between the release and the end of the application object no cache
        // is made again; once it is gone, a later application may have one.
        QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [] { t_releasedApp = nullptr; });
    }
    return t_cache.get();
}

void CTextCache::BeginOperation()
{
    if (m_glyphs.size() > kMaxGlyphs || m_rawFonts.size() > kMaxRawFonts)
        Clear();
}

void CTextCache::Clear()
{
    for (LayoutEntry& e : m_layouts) {
        e.fontId = 0;
        e.lastUse = 0;
        e.key.clear();
        e.layout = CTextLayout();
    }
    *m_scratch = LayoutEntry();
    m_glyphs.clear();
    m_rawFonts.clear();
    ++m_stats.clears;
}

// ---- Layout table ----

const CTextLayout* CTextCache::GetLayout(std::string_view utf8, const CFontInfo& font, int32_t elideWidth)
{
    if (elideWidth < -1)
        elideWidth = 0;
    const uint64_t hash = HashKey(utf8, font.id, elideWidth);
    LayoutEntry* victim = m_scratch.get();
    if (utf8.size() <= kMaxCachedBytes) [[likely]] {
        LayoutEntry* set = &m_layouts[(hash % kSets) * kWays];
        victim = set;
        for (size_t way = 0; way < kWays; ++way) {
            LayoutEntry& e = set[way];
            if (e.fontId == font.id && e.hash == hash && e.elide == elideWidth && e.key == utf8) {
                e.lastUse = ++m_useClock;
                ++m_stats.layoutHits;
                return &e.layout;
            }
            if (e.lastUse < victim->lastUse)
                victim = &e;
        }
    }
    ++m_stats.layoutMisses;
    victim->hash = hash;
    victim->fontId = font.id;
    victim->elide = elideWidth;
    victim->lastUse = ++m_useClock;
    victim->key.assign(utf8.data(), utf8.size());
    CTextLayout& out = victim->layout;
    out.width = 0;
    out.glyphs.clear();
    out.masks.clear();
    out.masksResolved = false;
    out.textMask.clear();
    out.textMaskBuilt = false;
    out.directDraws = 0;
    out.runs.clear();
    out.runsBuilt = false;
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    if (elideWidth < 0)
        LayOut(text, font, out, nullptr);
    else
        LayOutElided(text, font, elideWidth, out);
    return &out;
}

// ---- Fonts ----

std::shared_ptr<const CFontInfo> CTextCache::GetFont(const QFont& font, const QPaintDevice& device)
{
    const int dpi = device.logicalDpiY();
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i]->dpi == dpi && m_fonts[i]->font == font) {
            if (i != 0)
                std::rotate(m_fonts.begin(), m_fonts.begin() + qsizetype(i), m_fonts.begin() + qsizetype(i) + 1);
            return m_fonts.front();
        }
    }
    auto info = std::make_shared<CFontInfo>();
    info->font = font;
    info->deviceFont = QFont(font, &device);
    info->dpi = dpi;
    info->owner = this;
    info->id = NextFontId();
    info->rawFont = QRawFont::fromFont(info->deviceFont);

    const QFontMetrics fm(font, &device);
    TEXTMETRIC& tm = info->metrics;
    tm.tmAscent = fm.ascent();
    tm.tmDescent = fm.descent();
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    const qreal em = info->rawFont.isValid() ? info->rawFont.pixelSize() : qreal(QFontInfo(info->deviceFont).pixelSize());
    tm.tmInternalLeading = std::max(0, tm.tmHeight - RoundToInt(em));
    tm.tmExternalLeading = std::max(0, fm.leading());
    tm.tmAveCharWidth = fm.averageCharWidth();
    tm.tmMaxCharWidth = fm.maxWidth();
    tm.tmWeight = font.weight();
    tm.tmItalic = font.italic() ? 1 : 0;
    tm.tmUnderlined = font.underline() ? 1 : 0;
    tm.tmStruckOut = font.strikeOut() ? 1 : 0;
    info->underlinePos = fm.underlinePos();
    info->strikeOutPos = fm.strikeOutPos();
    info->lineWidth = std::max(1, fm.lineWidth());

    CTextLayout dots;
    LayOut(QStringLiteral("..."), *info, dots, nullptr);
    info->dotsWidth = dots.width;

    m_fonts.insert(m_fonts.begin(), info);
    if (m_fonts.size() > kMaxFonts)
        m_fonts.pop_back();
    return info;
}

uint16_t CTextCache::SlotFor(const QRawFont& raw)
{
    for (size_t i = 0; i < m_rawFonts.size(); ++i) {
        if (m_rawFonts[i] == raw)
            return uint16_t(i);
    }
    m_rawFonts.push_back(raw);
    return uint16_t(m_rawFonts.size() - 1);
}

// ---- Laying out ----

void CTextCache::LayOut(const QString& text, const CFontInfo& font, CTextLayout& out, std::vector<int32_t>* ends)
{
    if (text.isEmpty())
        return;
    if (!LayOutSimple(text, font, out, ends))
        LayOutComplex(text, font, out);
}

// One glyph per character, positioned by the raw font's kerned advances and
// rounded to whole pixels. Declines (returns false) for anything that needs
// shaping or a fallback font.
bool CTextCache::LayOutSimple(const QString& text, const CFontInfo& font, CTextLayout& out, std::vector<int32_t>* ends)
{
    if (!font.rawFont.isValid())
        return false;
    for (QChar c : text) {
        if (!IsSimpleChar(c.unicode()))
            return false;
    }
    const QList<quint32> glyphs = font.rawFont.glyphIndexesForString(text);
    if (glyphs.size() != text.size())
        return false;
    for (quint32 g : glyphs) {
        if (g == 0)
            return false;
    }
    const QList<QPointF> advances = font.rawFont.advancesForGlyphIndexes(glyphs, QRawFont::KernedAdvances);
    if (advances.size() != glyphs.size())
        return false;
    const uint16_t slot = SlotFor(font.rawFont);
    out.glyphs.clear();
    out.glyphs.reserve(size_t(glyphs.size()));
    if (ends) {
        ends->clear();
        ends->reserve(size_t(glyphs.size()));
    }
    qreal pen = 0;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        out.glyphs.push_back(CPlacedGlyph{glyphs[i], slot, 0, RoundToInt(pen)});
        pen += advances[i].x();
        if (ends)
            ends->push_back(RoundToInt(pen));
    }
    out.width = RoundToInt(pen);
    return true;
}

void CTextCache::LayOutComplex(const QString& text, const CFontInfo& font, CTextLayout& out)
{
    QString single = text;
    // One line only: forced line breaks would start a second line.
    single.replace(QChar::LineSeparator, QLatin1Char(' ')).replace(QChar::ParagraphSeparator, QLatin1Char(' '));
    QTextLayout layout(single, font.deviceFont);
    const QTextLine line = LayOutOneLine(layout);
    out.glyphs.clear();
    if (!line.isValid())
        return;
    const qreal baseline = line.ascent();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    for (const QGlyphRun& run : runs) {
        const uint16_t slot = SlotFor(run.rawFont());
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i) {
            const int32_t y = std::clamp(RoundToInt(positions[i].y() - baseline), -32000, 32000);
            out.glyphs.push_back(CPlacedGlyph{indexes[i], slot, int16_t(y), RoundToInt(positions[i].x())});
        }
    }
    out.width = RoundToInt(line.horizontalAdvance());
}

void CTextCache::LayOutElided(const QString& text, const CFontInfo& font, int32_t elideWidth, CTextLayout& out)
{
    const int32_t target = elideWidth - font.dotsWidth;
    CTextLayout dots;
    std::vector<int32_t> ends;
    if (LayOutSimple(text, font, out, &ends)) {
        size_t keep = 0;
        while (keep < ends.size() && ends[keep] <= target)
            ++keep;
        const int32_t prefixWidth = keep > 0 ? ends[keep - 1] : 0;
        out.glyphs.resize(keep);
        LayOut(QStringLiteral("..."), font, dots, nullptr);
        for (CPlacedGlyph g : dots.glyphs) {
            g.x += prefixWidth;
            out.glyphs.push_back(g);
        }
        out.width = prefixWidth + dots.width;
        return;
    }

    // Shaped text: find the last cursor position whose x fits, at grapheme
    // boundaries, and lay the cut text out again with the ellipsis.
    QTextLayout layout(text, font.deviceFont);
    const QTextLine line = LayOutOneLine(layout);
    int pos = 0;
    if (line.isValid() && target > 0) {
        pos = line.xToCursor(target, QTextLine::CursorBetweenCharacters);
        while (pos > 0 && line.cursorToX(pos) > target)
            pos = layout.previousCursorPosition(pos);
    }
    for (int attempt = 0; attempt < 8; ++attempt) {
        out = CTextLayout();
        LayOutComplex(text.left(pos) + QStringLiteral("..."), font, out);
        if (out.width <= elideWidth || pos == 0)
            break;
        pos = layout.previousCursorPosition(pos);
    }
}

// ---- Glyph masks and runs ----

const CGlyphMask* CTextCache::GetGlyph(uint16_t slot, uint32_t glyphIndex)
{
    const uint64_t key = (uint64_t(slot) << 32) | glyphIndex;
    auto it = m_glyphs.find(key);
    if (it != m_glyphs.end())
        return it->second.get();

    auto mask = std::make_unique<CGlyphMask>();
    const QRawFont& raw = m_rawFonts[slot];
    const QRectF box = raw.boundingRect(glyphIndex);
    // A margin around the outline's box catches anti-aliasing and emboldening.
    constexpr int kPad = 4;
    const int x0 = int(std::floor(box.left())) - kPad;
    const int y0 = int(std::floor(box.top())) - kPad;
    const int w = int(std::ceil(box.right())) + kPad - x0;
    const int h = int(std::ceil(box.bottom())) + kPad - y0;
    if (!box.isEmpty() && w > 0 && h > 0 && w <= kMaxGlyphExtent && h <= kMaxGlyphExtent) {
        QImage image(w, h, QImage::Format_Alpha8);
        image.fill(0);
        {
            QPainter painter(&image);
            painter.setPen(QColor(0, 0, 0));
            QGlyphRun run;
            run.setRawFont(raw);
            run.setGlyphIndexes({glyphIndex});
            run.setPositions({QPointF(-x0, -y0)});
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
        int minX = w, minY = h, maxX = -1, maxY = -1;
        for (int y = 0; y < h; ++y) {
            const uchar* row = image.constScanLine(y);
            for (int x = 0; x < w; ++x) {
                if (row[x] != 0) {
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                    minY = std::min(minY, y);
                    maxY = std::max(maxY, y);
                }
            }
        }
        if (maxX >= 0) {
            mask->left = int16_t(minX + x0);
            mask->top = int16_t(minY + y0);
            mask->width = int16_t(maxX - minX + 1);
            mask->height = int16_t(maxY - minY + 1);
            mask->coverage.resize(size_t(mask->width) * size_t(mask->height));
            for (int y = 0; y < mask->height; ++y) {
                const uchar* row = image.constScanLine(minY + y) + minX;
                std::copy(row, row + mask->width, mask->coverage.begin() + qsizetype(y) * mask->width);
            }
        }
    }
    ++m_stats.glyphsRendered;
    const CGlyphMask* result = mask.get();
    m_glyphs.emplace(key, std::move(mask));
    return result;
}

void CTextCache::ResolveMasks(const CTextLayout& layout)
{
    if (layout.masksResolved)
        return;
    layout.masks.clear();
    layout.masks.reserve(layout.glyphs.size());
    for (const CPlacedGlyph& g : layout.glyphs) {
        const CGlyphMask* mask = g.fontSlot < m_rawFonts.size() ? GetGlyph(g.fontSlot, g.glyphIndex) : nullptr;
        layout.masks.push_back(mask != nullptr && mask->width > 0 ? mask : nullptr);
    }
    layout.masksResolved = true;
}

void CTextCache::BuildTextMask(const CTextLayout& layout)
{
    if (layout.textMaskBuilt || !layout.masksResolved)
        return;
    layout.textMaskBuilt = true;
    int32_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    for (size_t i = 0; i < layout.glyphs.size(); ++i) {
        const CGlyphMask* mask = layout.masks[i];
        if (mask == nullptr)
            continue;
        const CPlacedGlyph& g = layout.glyphs[i];
        left = std::min(left, g.x + mask->left);
        top = std::min(top, g.y + mask->top);
        right = std::max(right, g.x + mask->left + mask->width);
        bottom = std::max(bottom, g.y + mask->top + mask->height);
    }
    layout.textMask.clear();
    layout.textMaskWidth = layout.textMaskHeight = 0;
    if (right <= left || int64_t(right - left) * (bottom - top) > kMaxTextMask)
        return;
    // Where glyphs overlap (anti-aliased edges) coverages combine as two
    // blends in a row would: a + b - a * b / 255.
    layout.textMaskLeft = left;
    layout.textMaskTop = top;
    layout.textMaskWidth = right - left;
    layout.textMaskHeight = bottom - top;
    layout.textMask.assign(size_t(layout.textMaskWidth) * size_t(layout.textMaskHeight), 0);
    for (size_t i = 0; i < layout.glyphs.size(); ++i) {
        const CGlyphMask* mask = layout.masks[i];
        if (mask == nullptr)
            continue;
        const int32_t ox = layout.glyphs[i].x + mask->left - left;
        const int32_t oy = layout.glyphs[i].y + mask->top - top;
        for (int32_t y = 0; y < mask->height; ++y) {
            uint8_t* out = layout.textMask.data() + size_t(oy + y) * size_t(layout.textMaskWidth) + size_t(ox);
            const uint8_t* in = mask->coverage.data() + size_t(y) * size_t(mask->width);
            for (int32_t x = 0; x < mask->width; ++x) {
                const uint32_t o = out[x];
                // Most pixels belong to one glyph only.
                out[x] = o == 0 ? in[x] : uint8_t(o + in[x] - (o * in[x] + 127) / 255);
            }
        }
    }
}

void CTextCache::BuildRuns(const CTextLayout& layout)
{
    if (layout.runsBuilt)
        return;
    layout.runs.clear();
    std::vector<uint16_t> fontSlots;
    for (const CPlacedGlyph& g : layout.glyphs) {
        if (std::find(fontSlots.begin(), fontSlots.end(), g.fontSlot) == fontSlots.end())
            fontSlots.push_back(g.fontSlot);
    }
    for (uint16_t slot : fontSlots) {
        if (slot >= m_rawFonts.size())
            continue;
        QList<quint32> indexes;
        QList<QPointF> positions;
        for (const CPlacedGlyph& g : layout.glyphs) {
            if (g.fontSlot != slot)
                continue;
            indexes.push_back(g.glyphIndex);
            positions.push_back(QPointF(g.x, g.y));
        }
        QGlyphRun run;
        run.setRawFont(m_rawFonts[slot]);
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        layout.runs.push_back(run);
    }
    layout.runsBuilt = true;
}

} // namespace Brivel::Platform::Detail
