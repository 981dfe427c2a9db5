// Text output of CDC: DrawText, TextOut, GetTextExtent, GetTextMetrics.
//
// Call flow of DrawText (single line): the thread's text cache gives the
// layout of the bytes in the selected font (a hit costs one hash and one
// comparison); when an ellipsis is asked for and the text is wider than the
// rectangle, a second lookup gives the cut layout. The position follows from
// the alignment flags and the font's height; DrawLayout then fills the
// background box (opaque mode), composites the glyph masks straight into a
// 32-bit image (clipped to the clip region and the rectangle) or hands the
// glyph runs to the QPainter, and draws underline and strike-out.

#include "platform/dc.h"

#include "platform/text_cache.h"

#include <QPainter>
#include <QString>

#include <array>
#include <span>

namespace Brivel::Platform {

namespace {

// The clip of one text output: the surface's clip rectangles cut to the text
// rectangle, on the stack for the usual few.
class CTextClip {
public:
    CTextClip(std::span<const CRect> clip, const CRect* limit)
    {
        if (limit == nullptr) {
            m_view = clip;
            return;
        }
        for (const CRect& r : clip) {
            const CRect c = r & *limit;
            if (c.IsRectEmpty())
                continue;
            if (m_overflow.empty() && m_count < m_local.size()) {
                m_local[m_count++] = c;
                continue;
            }
            if (m_overflow.empty())
                m_overflow.assign(m_local.begin(), m_local.begin() + qsizetype(m_count));
            m_overflow.push_back(c);
        }
        m_view = m_overflow.empty() ? std::span<const CRect>(m_local.data(), m_count) : std::span<const CRect>(m_overflow);
    }
    std::span<const CRect> View() const { return m_view; }

private:
    std::array<CRect, 16> m_local;
    size_t m_count = 0;
    std::vector<CRect> m_overflow;
    std::span<const CRect> m_view;
};

int32_t AlignedX(const CRect& rect, int32_t width, unsigned format)
{
    if (format & DT_CENTER)
        return rect.left + (rect.Width() - width) / 2;
    if (format & DT_RIGHT)
        return rect.right - width;
    return rect.left;
}

} // namespace

int CDC::DrawText(std::string_view utf8, CRect& rect, unsigned format)
{
    if (!m_valid || !m_state.fontInfo)
        return 0;
    Detail::CTextCache* cache = Detail::CTextCache::ForThisThread();
    if (cache == nullptr || CurrentFont(*cache) == nullptr)
        return 0;
    cache->BeginOperation();
    if (!(format & DT_SINGLELINE))
        return DrawTextLines(utf8, rect, format);

    const Detail::CFontInfo& font = *m_state.fontInfo;
    const TEXTMETRIC& tm = font.metrics;
    const Detail::CTextLayout* layout = cache->GetLayout(utf8, font);
    const int32_t fullWidth = layout->width;
    if (format & DT_CALCRECT) {
        rect.right = Detail::AddSat(rect.left, fullWidth);
        rect.bottom = Detail::AddSat(rect.top, tm.tmHeight);
        return tm.tmHeight;
    }
    const int32_t available = rect.Width();
    if ((format & DT_END_ELLIPSIS) && fullWidth > available)
        layout = cache->GetLayout(utf8, font, std::max(available, 0));

    const int32_t x = AlignedX(rect, layout->width, format);
    int32_t y = rect.top;
    if (format & DT_VCENTER)
        y = rect.top + (rect.Height() - tm.tmHeight) / 2;
    else if (format & DT_BOTTOM)
        y = rect.bottom - tm.tmHeight;
    DrawLayout(*cache, *layout, x, y, (format & DT_NOCLIP) ? nullptr : &rect);
    return (format & (DT_VCENTER | DT_BOTTOM)) ? (y - rect.top) + tm.tmHeight : tm.tmHeight;
}

int CDC::DrawText(const QString& text, CRect& rect, unsigned format)
{
    const QByteArray utf8 = text.toUtf8();
    return DrawText(std::string_view(utf8.constData(), size_t(utf8.size())), rect, format);
}

// Several lines: broken at '\n' ("\r\n" too) and, with DT_WORDBREAK, at spaces
// where a line would be wider than the rectangle (a word wider than the
// rectangle stands alone on its line). Lines start at the rectangle's top.
int CDC::DrawTextLines(std::string_view utf8, CRect& rect, unsigned format)
{
    Detail::CTextCache* cache = Detail::CTextCache::ForThisThread();
    const Detail::CFontInfo& font = *m_state.fontInfo;
    const TEXTMETRIC& tm = font.metrics;
    const int32_t available = rect.Width();
    const auto widthOf = [&](std::string_view line) { return cache->GetLayout(line, font)->width; };

    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start <= utf8.size()) {
        size_t end = utf8.find('\n', start);
        if (end == std::string_view::npos)
            end = utf8.size();
        std::string_view paragraph = utf8.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == '\r')
            paragraph.remove_suffix(1);
        if ((format & DT_WORDBREAK) && available > 0 && !paragraph.empty()) {
            size_t s = 0;
            while (s < paragraph.size()) {
                size_t lineEnd = std::string_view::npos;
                size_t from = s;
                for (;;) {
                    const size_t space = paragraph.find(' ', from);
                    const size_t candidate = space == std::string_view::npos ? paragraph.size() : space;
                    const bool fits = widthOf(paragraph.substr(s, candidate - s)) <= available;
                    if (!fits && lineEnd != std::string_view::npos)
                        break;
                    lineEnd = candidate;
                    if (!fits || space == std::string_view::npos)
                        break;
                    from = space + 1;
                }
                lines.push_back(paragraph.substr(s, lineEnd - s));
                s = lineEnd;
                while (s < paragraph.size() && paragraph[s] == ' ')
                    ++s;
            }
        } else {
            lines.push_back(paragraph);
        }
        if (end == utf8.size())
            break;
        start = end + 1;
    }

    const int32_t total = static_cast<int32_t>(std::min<int64_t>(int64_t(lines.size()) * tm.tmHeight, INT32_MAX));
    if (format & DT_CALCRECT) {
        int32_t widest = 0;
        for (std::string_view line : lines)
            widest = std::max(widest, widthOf(line));
        rect.right = Detail::AddSat(rect.left, widest);
        rect.bottom = Detail::AddSat(rect.top, total);
        return total;
    }
    int32_t y = rect.top;
    for (std::string_view line : lines) {
        const Detail::CTextLayout* layout = cache->GetLayout(line, font);
        if ((format & DT_END_ELLIPSIS) && layout->width > available)
            layout = cache->GetLayout(line, font, std::max(available, 0));
        DrawLayout(*cache, *layout, AlignedX(rect, layout->width, format), y, (format & DT_NOCLIP) ? nullptr : &rect);
        y = Detail::AddSat(y, tm.tmHeight);
    }
    return total;
}

void CDC::DrawLayout(Detail::CTextCache& cache, const Detail::CTextLayout& layout, int32_t x, int32_t y,
                     const CRect* clip)
{
    const Detail::CFontInfo& font = *m_state.fontInfo;
    const TEXTMETRIC& tm = font.metrics;
    const int32_t baseline = y + tm.tmAscent;
    const auto fillClipped = [&](const CRect& r, COLORREF color) { FillBackend(clip ? (r & *clip) : r, color); };

    if (m_state.bkMode == OPAQUE)
        fillClipped(CRect(x, y, x + layout.width, y + tm.tmHeight), m_state.bkColor);

    if (PrepareDirect()) {
        const CTextClip textClip(ClipRects(), clip);
        if (!textClip.View().empty()) {
            cache.ResolveMasks(layout);
            if (++layout.directDraws == 2)
                cache.BuildTextMask(layout);
            const uint32_t pixel = ToPixel(m_state.textColor);
            if (!layout.textMask.empty()) {
                Detail::BlendMask(m_raster, x + layout.textMaskLeft, baseline + layout.textMaskTop,
                                  layout.textMask.data(), layout.textMaskWidth, layout.textMaskHeight, pixel,
                                  textClip.View());
            } else {
                for (size_t i = 0; i < layout.glyphs.size(); ++i) {
                    const Detail::CGlyphMask* mask = layout.masks[i];
                    if (mask == nullptr)
                        continue;
                    const Detail::CPlacedGlyph& g = layout.glyphs[i];
                    Detail::BlendMask(m_raster, x + g.x + mask->left, baseline + g.y + mask->top,
                                      mask->coverage.data(), mask->width, mask->height, pixel, textClip.View());
                }
            }
        }
    } else if (QPainter* p = Painter()) {
        SyncPainterClip();
        SetPainterPenColor(m_state.textColor);
        cache.BuildRuns(layout);
        if (clip != nullptr) {
            p->save();
            p->setClipRect(clip->ToQRect(), Qt::IntersectClip);
        }
        for (const QGlyphRun& run : layout.runs)
            p->drawGlyphRun(QPointF(x, baseline), run);
        if (clip != nullptr)
            p->restore();
    }

    if (font.font.underline()) {
        const int32_t top = baseline + font.underlinePos;
        fillClipped(CRect(x, top, x + layout.width, top + font.lineWidth), m_state.textColor);
    }
    if (font.font.strikeOut()) {
        const int32_t top = baseline - font.strikeOutPos;
        fillClipped(CRect(x, top, x + layout.width, top + font.lineWidth), m_state.textColor);
    }
}

bool CDC::TextOut(int x, int y, std::string_view utf8)
{
    if (!m_valid || !m_state.fontInfo)
        return false;
    Detail::CTextCache* cache = Detail::CTextCache::ForThisThread();
    if (cache == nullptr || CurrentFont(*cache) == nullptr)
        return false;
    cache->BeginOperation();
    DrawLayout(*cache, *cache->GetLayout(utf8, *m_state.fontInfo), x, y, nullptr);
    return true;
}

bool CDC::TextOut(int x, int y, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return TextOut(x, y, std::string_view(utf8.constData(), size_t(utf8.size())));
}

CSize CDC::GetTextExtent(std::string_view utf8) const
{
    if (!m_valid || !m_state.fontInfo)
        return CSize();
    Detail::CTextCache* cache = Detail::CTextCache::ForThisThread();
    if (cache == nullptr || CurrentFont(*cache) == nullptr)
        return CSize();
    cache->BeginOperation();
    return CSize(cache->GetLayout(utf8, *m_state.fontInfo)->width, m_state.fontInfo->metrics.tmHeight);
}

CSize CDC::GetTextExtent(const QString& text) const
{
    const QByteArray utf8 = text.toUtf8();
    return GetTextExtent(std::string_view(utf8.constData(), size_t(utf8.size())));
}

bool CDC::GetTextMetrics(TEXTMETRIC& metrics) const
{
    if (!m_valid || !m_state.fontInfo)
        return false;
    metrics = m_state.fontInfo->metrics;
    return true;
}

} // namespace Brivel::Platform
