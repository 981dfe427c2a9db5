#include "platform/raster.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define BRIVEL_RASTER_AVX2 1
#endif

// ---- Sections ----
// Channel arithmetic: two channels per 32-bit word (0x00XX00XX lanes).
// Fills and runs.
// Masks.
// Blits.

namespace Brivel::Platform::Detail {

namespace {

// ---- Channel arithmetic ----

constexpr uint32_t kLanes = 0x00FF00FFu;

// Per lane floor(t / 255) for t <= 255 * 255: (t + 1 + (t >> 8)) >> 8 is exact
// over that range.
inline uint32_t Div255Floor(uint32_t t)
{
    return ((t + 0x00010001u + ((t >> 8) & kLanes)) >> 8) & kLanes;
}
// Per lane round(t / 255).
inline uint32_t Div255Round(uint32_t t)
{
    t += 0x00800080u;
    return ((t + ((t >> 8) & kLanes)) >> 8) & kLanes;
}

// (dst * (255 - a) + src * a) / 255 on all four channels, truncating.
inline uint32_t LerpFloor(uint32_t dst, uint32_t src, uint32_t a)
{
    const uint32_t na = 255u - a;
    const uint32_t rb = Div255Floor((dst & kLanes) * na + (src & kLanes) * a);
    const uint32_t ag = Div255Floor(((dst >> 8) & kLanes) * na + ((src >> 8) & kLanes) * a);
    return rb | (ag << 8);
}
inline uint32_t LerpRound(uint32_t dst, uint32_t src, uint32_t a)
{
    const uint32_t na = 255u - a;
    const uint32_t rb = Div255Round((dst & kLanes) * na + (src & kLanes) * a);
    const uint32_t ag = Div255Round(((dst >> 8) & kLanes) * na + ((src >> 8) & kLanes) * a);
    return rb | (ag << 8);
}
// x * a / 255 on all four channels, rounded.
inline uint32_t ByteMul(uint32_t x, uint32_t a)
{
    return Div255Round((x & kLanes) * a) | (Div255Round(((x >> 8) & kLanes) * a) << 8);
}
// Premultiplied source-over.
inline uint32_t SourceOver(uint32_t dst, uint32_t src)
{
    const uint32_t sa = src >> 24;
    if (sa == 255)
        return src;
    if (sa == 0 && src == 0)
        return dst;
    return src + ByteMul(dst, 255u - sa);
}

#if defined(__SSE2__)
// Four pixels at once: per channel (d * (255 - a) + c * a) / 255, with a the
// per-pixel alpha spread over its four channels (16-bit lanes, two pixels per
// register). Round selects rounding to nearest, else truncation; both are
// exact over the 8-bit range, like the scalar versions above.
template <bool Round>
inline __m128i Lerp4(__m128i dst, __m128i colorLo, __m128i colorHi, __m128i alphaLo, __m128i alphaHi)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(255);
    const __m128i bias = Round ? _mm_set1_epi16(128) : _mm_set1_epi16(1);
    __m128i lo = _mm_unpacklo_epi8(dst, zero);
    __m128i hi = _mm_unpackhi_epi8(dst, zero);
    lo = _mm_add_epi16(_mm_mullo_epi16(lo, _mm_sub_epi16(full, alphaLo)), _mm_mullo_epi16(colorLo, alphaLo));
    hi = _mm_add_epi16(_mm_mullo_epi16(hi, _mm_sub_epi16(full, alphaHi)), _mm_mullo_epi16(colorHi, alphaHi));
    if (Round) {
        lo = _mm_add_epi16(lo, bias);
        hi = _mm_add_epi16(hi, bias);
        lo = _mm_srli_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), 8);
        hi = _mm_srli_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), 8);
    } else {
        lo = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(lo, bias), _mm_srli_epi16(lo, 8)), 8);
        hi = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(hi, bias), _mm_srli_epi16(hi, 8)), 8);
    }
    return _mm_packus_epi16(lo, hi);
}

// Four coverage bytes as 16-bit alphas, each repeated over a pixel's channels.
inline void SpreadAlpha(uint32_t coverage4, __m128i& alphaLo, __m128i& alphaHi)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i a = _mm_cvtsi32_si128(int(coverage4));
    a = _mm_unpacklo_epi8(a, a);
    a = _mm_unpacklo_epi16(a, a);
    alphaLo = _mm_unpacklo_epi8(a, zero);
    alphaHi = _mm_unpackhi_epi8(a, zero);
}
#endif

inline void FillRow(uint32_t* d, int32_t n, uint32_t pixel)
{
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi32(int(pixel));
    for (; n >= 8; n -= 8, d += 8) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4), v);
    }
    for (; n >= 4; n -= 4, d += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), v);
#endif
    for (; n > 0; --n)
        *d++ = pixel;
}

// The colour blend of one row at a constant alpha (truncating).
inline void BlendRow(uint32_t* d, int32_t n, uint32_t pixel, uint32_t alpha)
{
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i color = _mm_unpacklo_epi8(_mm_set1_epi32(int(pixel)), zero);
    const __m128i a = _mm_set1_epi16(int16_t(alpha));
    for (; n >= 4; n -= 4, d += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), Lerp4<false>(in, color, color, a, a));
    }
#endif
    for (; n > 0; --n, ++d)
        *d = LerpFloor(*d, pixel, alpha);
}

inline CRect Clipped(const CRect& r, const CRect& clip)
{
    return CRect(std::max(r.left, clip.left), std::max(r.top, clip.top), std::min(r.right, clip.right),
                 std::min(r.bottom, clip.bottom));
}

} // namespace

// ---- Fills and runs ----

void FillRect(const RasterSurface& s, const CRect& r, uint32_t pixel, ClipRects clip)
{
    if (s.opaque)
        pixel |= 0xFF000000u;
    for (const CRect& c : clip) {
        const CRect a = Clipped(r, c);
        if (a.IsRectEmpty())
            continue;
        const int32_t w = a.Width();
        for (int32_t y = a.top; y < a.bottom; ++y)
            FillRow(s.Row(y) + a.left, w, pixel);
    }
}

void BlendRect(const RasterSurface& s, const CRect& r, uint32_t pixel, uint8_t alpha, ClipRects clip)
{
    if (alpha == 0)
        return;
    pixel |= 0xFF000000u;
    if (alpha == 255) {
        FillRect(s, r, pixel, clip);
        return;
    }
    for (const CRect& c : clip) {
        const CRect a = Clipped(r, c);
        if (a.IsRectEmpty())
            continue;
        for (int32_t y = a.top; y < a.bottom; ++y)
            BlendRow(s.Row(y) + a.left, a.Width(), pixel, alpha);
    }
}

void InvertRect(const RasterSurface& s, const CRect& r, ClipRects clip)
{
    for (const CRect& c : clip) {
        const CRect a = Clipped(r, c);
        for (int32_t y = a.top; y < a.bottom; ++y) {
            uint32_t* row = s.Row(y);
            for (int32_t x = a.left; x < a.right; ++x)
                row[x] ^= 0x00FFFFFFu;
        }
    }
}

void PatternRun(const RasterSurface& s, int32_t x, int32_t y, int32_t length, bool vertical, uint32_t pattern,
                int32_t patternLength, int32_t phase, uint32_t pixel, ClipRects clip)
{
    if (length <= 0 || patternLength <= 0)
        return;
    if (s.opaque)
        pixel |= 0xFF000000u;
    const bool solid = (pattern & ((patternLength >= 32) ? 0xFFFFFFFFu : ((1u << patternLength) - 1u))) ==
                       ((patternLength >= 32) ? 0xFFFFFFFFu : ((1u << patternLength) - 1u));
    if (solid) {
        FillRect(s, vertical ? CRect(x, y, x + 1, AddSat(y, length)) : CRect(x, y, AddSat(x, length), y + 1), pixel,
                 clip);
        return;
    }
    const CRect run = vertical ? CRect(x, y, x + 1, AddSat(y, length)) : CRect(x, y, AddSat(x, length), y + 1);
    const int32_t start = vertical ? y : x;
    for (const CRect& c : clip) {
        const CRect a = Clipped(run, c);
        if (a.IsRectEmpty())
            continue;
        const int32_t from = vertical ? a.top : a.left;
        const int32_t to = vertical ? a.bottom : a.right;
        int32_t bit = static_cast<int32_t>((int64_t(phase) + (int64_t(from) - start)) % patternLength);
        if (bit < 0)
            bit += patternLength;
        if (patternLength == 2 && (pattern & 3u) != 0) {
            // The dotted pen (one of the two bits set): every other pixel,
            // from the first set one.
            const int32_t first = (pattern & (1u << bit)) ? from : from + 1;
            for (int32_t i = first; i < to; i += 2) {
                if (vertical)
                    s.Row(i)[x] = pixel;
                else
                    s.Row(y)[i] = pixel;
            }
            continue;
        }
        for (int32_t i = from; i < to; ++i) {
            if (pattern & (1u << bit)) {
                if (vertical)
                    s.Row(i)[x] = pixel;
                else
                    s.Row(y)[i] = pixel;
            }
            if (++bit == patternLength)
                bit = 0;
        }
    }
}

void PlotPixel(const RasterSurface& s, int32_t x, int32_t y, uint32_t pixel, ClipRects clip)
{
    if (s.opaque)
        pixel |= 0xFF000000u;
    for (const CRect& c : clip) {
        if (c.PtInRect(CPoint(x, y))) {
            s.Row(y)[x] = pixel;
            return;
        }
    }
}

// ---- Masks ----

namespace {

// One row of a coverage mask composited over n pixels: the portable version
// (SSE2 where the compiler targets it, four pixels a step).
void BlendMaskRowBase(uint32_t* d, const uint8_t* m, int32_t n, uint32_t pixel)
{
#if defined(__SSE2__)
    const __m128i color = _mm_unpacklo_epi8(_mm_set1_epi32(int(pixel)), _mm_setzero_si128());
    const __m128i solid = _mm_set1_epi32(int(pixel));
    // Most of a text's box is empty: four uncovered pixels cost one test.
    for (; n >= 4; n -= 4, m += 4, d += 4) {
        uint32_t cov4;
        std::memcpy(&cov4, m, 4);
        if (cov4 == 0)
            continue;
        if (cov4 == 0xFFFFFFFFu) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), solid);
            continue;
        }
        __m128i alphaLo, alphaHi;
        SpreadAlpha(cov4, alphaLo, alphaHi);
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), Lerp4<true>(in, color, color, alphaLo, alphaHi));
    }
#endif
    for (; n > 0; --n, ++m, ++d) {
        const uint32_t cov = *m;
        if (cov == 0)
            continue;
        *d = (cov == 255) ? pixel : LerpRound(*d, pixel, cov);
    }
}

#if defined(BRIVEL_RASTER_AVX2)
// The same arithmetic as Lerp4<true>, eight pixels a step, for processors
// with AVX2 (chosen at run time: the library is built for the baseline
// instruction set). Text compositing is most of a paint pass's work.
__attribute__((target("avx2"))) void BlendMaskRowAvx2(uint32_t* d, const uint8_t* m, int32_t n, uint32_t pixel)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i color = _mm256_unpacklo_epi8(_mm256_set1_epi32(int(pixel)), zero);
    const __m256i solid = _mm256_set1_epi32(int(pixel));
    const __m256i full = _mm256_set1_epi16(255);
    const __m256i bias = _mm256_set1_epi16(128);
    // Coverage byte i repeated over pixel i's four channels; each 128-bit
    // lane picks from its own copy of the eight bytes.
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, //
                                            4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7);
    for (; n >= 8; n -= 8, m += 8, d += 8) {
        uint64_t cov8;
        std::memcpy(&cov8, m, 8);
        if (cov8 == 0)
            continue;
        if (cov8 == ~uint64_t{0}) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), solid);
            continue;
        }
        const __m256i alpha = _mm256_shuffle_epi8(_mm256_set1_epi64x(static_cast<long long>(cov8)), spread);
        const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
        const __m256i alphaLo = _mm256_unpacklo_epi8(alpha, zero);
        const __m256i alphaHi = _mm256_unpackhi_epi8(alpha, zero);
        __m256i lo = _mm256_unpacklo_epi8(in, zero);
        __m256i hi = _mm256_unpackhi_epi8(in, zero);
        lo = _mm256_add_epi16(_mm256_mullo_epi16(lo, _mm256_sub_epi16(full, alphaLo)), _mm256_mullo_epi16(color, alphaLo));
        hi = _mm256_add_epi16(_mm256_mullo_epi16(hi, _mm256_sub_epi16(full, alphaHi)), _mm256_mullo_epi16(color, alphaHi));
        lo = _mm256_add_epi16(lo, bias);
        hi = _mm256_add_epi16(hi, bias);
        lo = _mm256_srli_epi16(_mm256_add_epi16(lo, _mm256_srli_epi16(lo, 8)), 8);
        hi = _mm256_srli_epi16(_mm256_add_epi16(hi, _mm256_srli_epi16(hi, 8)), 8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_packus_epi16(lo, hi));
    }
    // The rest (up to seven pixels) four and one at a time: masked stores or
    // a copy through a buffer measured slower here.
    BlendMaskRowBase(d, m, n, pixel);
}
#endif

using BlendMaskRowFn = void (*)(uint32_t*, const uint8_t*, int32_t, uint32_t);

BlendMaskRowFn ChooseBlendMaskRow()
{
#if defined(BRIVEL_RASTER_AVX2)
    if (__builtin_cpu_supports("avx2"))
        return BlendMaskRowAvx2;
#endif
    return BlendMaskRowBase;
}

} // namespace

void BlendMask(const RasterSurface& s, int32_t x, int32_t y, const uint8_t* mask, int32_t maskWidth,
               int32_t maskHeight, uint32_t pixel, ClipRects clip)
{
    static const BlendMaskRowFn blendRow = ChooseBlendMaskRow();
    if (maskWidth <= 0 || maskHeight <= 0)
        return;
    pixel |= 0xFF000000u;
    const CRect box(x, y, AddSat(x, maskWidth), AddSat(y, maskHeight));
    for (const CRect& c : clip) {
        const CRect a = Clipped(box, c);
        if (a.IsRectEmpty())
            continue;
        for (int32_t py = a.top; py < a.bottom; ++py)
            blendRow(s.Row(py) + a.left, mask + intptr_t(py - y) * maskWidth + (a.left - x), a.Width(), pixel);
    }
}

// ---- Blits ----

namespace {

template <typename Op>
void BlitRows(const RasterSurface& s, const CRect& dst, const BlitSource& src, ClipRects clip, Op op)
{
    const CRect& sr = src.rect;
    const int64_t dw = dst.Width();
    const int64_t dh = dst.Height();
    const int64_t sw = sr.Width();
    const int64_t sh = sr.Height();
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    const bool unscaled = dw == sw && dh == sh && !src.flipX && !src.flipY;
    for (const CRect& c : clip) {
        const CRect a = Clipped(dst, c);
        if (a.IsRectEmpty())
            continue;
        for (int32_t y = a.top; y < a.bottom; ++y) {
            const int64_t oy = (int64_t(y) - dst.top) * sh / dh;
            const int64_t syy = src.flipY ? sr.bottom - 1 - oy : sr.top + oy;
            if (syy < 0 || syy >= src.height)
                continue;
            const uint32_t* srow = src.bits + syy * src.stride;
            uint32_t* drow = s.Row(y);
            if (unscaled) {
                // Only the part of the row that lies inside the source is read.
                const int64_t shift = int64_t(sr.left) - dst.left;
                const int32_t x0 = static_cast<int32_t>(std::max<int64_t>(a.left, -shift));
                const int32_t x1 = static_cast<int32_t>(std::min<int64_t>(a.right, src.width - shift));
                op.Row(drow + x0, srow + (x0 + shift), x1 - x0);
                continue;
            }
            for (int32_t x = a.left; x < a.right; ++x) {
                const int64_t ox = (int64_t(x) - dst.left) * sw / dw;
                const int64_t sxx = src.flipX ? sr.right - 1 - ox : sr.left + ox;
                if (sxx < 0 || sxx >= src.width)
                    continue;
                op.Pixel(drow[x], srow[sxx]);
            }
        }
    }
}

template <typename PixelFn>
struct PerPixelOp {
    PixelFn fn;
    void Pixel(uint32_t& d, uint32_t sp) const { fn(d, sp); }
    void Row(uint32_t* d, const uint32_t* sp, int32_t n) const
    {
        for (int32_t i = 0; i < n; ++i)
            fn(d[i], sp[i]);
    }
};
template <typename PixelFn>
PerPixelOp<PixelFn> MakeOp(PixelFn fn) { return PerPixelOp<PixelFn>{fn}; }

// The colour blend of source over target at a constant alpha, the source's
// own alpha ignored.
struct ConstantAlphaOp {
    uint32_t alpha;
    uint32_t forceAlpha;
    void Pixel(uint32_t& d, uint32_t sp) const { d = LerpFloor(d, sp | 0xFF000000u, alpha) | forceAlpha; }
    void Row(uint32_t* d, const uint32_t* sp, int32_t n) const
    {
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        const __m128i a = _mm_set1_epi16(int16_t(alpha));
        const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
        const __m128i force = _mm_set1_epi32(int(forceAlpha));
        for (; n >= 4; n -= 4, d += 4, sp += 4) {
            const __m128i src = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sp)), opaque);
            const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
            const __m128i out = Lerp4<false>(in, _mm_unpacklo_epi8(src, zero), _mm_unpackhi_epi8(src, zero), a, a);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_or_si128(out, force));
        }
#endif
        for (; n > 0; --n, ++d, ++sp)
            Pixel(*d, *sp);
    }
};

struct CopyOp {
    uint32_t forceAlpha;
    void Pixel(uint32_t& d, uint32_t sp) const { d = sp | forceAlpha; }
    void Row(uint32_t* d, const uint32_t* sp, int32_t n) const
    {
        if (n <= 0)
            return;
        if (forceAlpha == 0) {
            std::memmove(d, sp, size_t(n) * sizeof(uint32_t));
            return;
        }
        for (int32_t i = 0; i < n; ++i)
            d[i] = sp[i] | forceAlpha;
    }
};

} // namespace

void Blit(const RasterSurface& s, const CRect& dst, const BlitSource& src, const BlitParams& params, ClipRects clip)
{
    if (!s.IsValid() || src.bits == nullptr)
        return;
    const uint32_t forceAlpha = s.opaque ? 0xFF000000u : 0u;
    switch (params.op) {
    case BlitOp::Copy:
        BlitRows(s, dst, src, clip, CopyOp{forceAlpha});
        break;
    case BlitOp::And:
        BlitRows(s, dst, src, clip, MakeOp([=](uint32_t& d, uint32_t sp) { d = (d & sp) | forceAlpha; }));
        break;
    case BlitOp::Or:
        BlitRows(s, dst, src, clip, MakeOp([=](uint32_t& d, uint32_t sp) { d = (d | sp) | forceAlpha; }));
        break;
    case BlitOp::Xor:
        BlitRows(s, dst, src, clip,
                 MakeOp([=](uint32_t& d, uint32_t sp) { d = ((d ^ sp) & 0x00FFFFFFu) | (d & 0xFF000000u) | forceAlpha; }));
        break;
    case BlitOp::ConstantAlpha: {
        const uint32_t a = params.alpha;
        if (a == 0)
            return;
        BlitRows(s, dst, src, clip, ConstantAlphaOp{a, forceAlpha});
        break;
    }
    case BlitOp::PixelAlpha: {
        const uint32_t a = params.alpha;
        if (a == 0)
            return;
        if (a == 255)
            BlitRows(s, dst, src, clip, MakeOp([=](uint32_t& d, uint32_t sp) { d = SourceOver(d, sp) | forceAlpha; }));
        else
            BlitRows(s, dst, src, clip,
                     MakeOp([=](uint32_t& d, uint32_t sp) { d = SourceOver(d, ByteMul(sp, a)) | forceAlpha; }));
        break;
    }
    case BlitOp::TransparentKey: {
        const uint32_t key = params.keyColor & 0x00FFFFFFu;
        BlitRows(s, dst, src, clip, MakeOp([=](uint32_t& d, uint32_t sp) {
                     if ((sp & 0x00FFFFFFu) != key)
                         d = sp | 0xFF000000u;
                 }));
        break;
    }
    }
}

} // namespace Brivel::Platform::Detail
