// The coverage-mask composite against its per-channel definition, over the
// widths, offsets and clips that exercise every step size of the row loop
// (the wide steps, the four-pixel steps and the single pixels after them).
#include "platform/raster.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace Brivel::Platform::Detail {
namespace {

// round((d * (255 - a) + c * a) / 255) per channel; the alpha byte of an
// opaque surface stays 0xFF.
uint32_t Composite(uint32_t d, uint32_t c, uint32_t a)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t dc = (d >> shift) & 0xFF;
        const uint32_t cc = (c >> shift) & 0xFF;
        const uint32_t v = (dc * (255 - a) + cc * a + 127) / 255;
        out |= v << shift;
    }
    return out;
}

TEST(RasterMask, CompositesEveryPixelByItsCoverageInsideTheClipOnly)
{
    constexpr int32_t kWidth = 48;
    constexpr int32_t kHeight = 6;
    std::mt19937 random(7);
    const uint32_t color = 0xFF1E90C8u;
    for (int32_t maskWidth = 1; maskWidth <= 37; ++maskWidth) {
        // Runs of empty and full coverage between partial values, so that
        // whole steps of each kind occur.
        std::vector<uint8_t> mask(size_t(maskWidth) * 3);
        for (size_t i = 0; i < mask.size(); ++i) {
            const uint32_t kind = (i / 9) % 3;
            mask[i] = kind == 0 ? 0 : kind == 1 ? 255 : uint8_t(random() % 256);
        }
        std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
        for (uint32_t& p : pixels)
            p = 0xFF000000u | (random() & 0xFFFFFFu);
        const std::vector<uint32_t> before = pixels;
        const RasterSurface surface{pixels.data(), kWidth, kWidth, kHeight, true};
        const int32_t x = maskWidth % 5 - 2; // partly left of the surface for some widths
        const std::array<CRect, 2> clip{CRect(0, 0, kWidth, 2), CRect(3, 3, kWidth - 1, kHeight)};
        BlendMask(surface, x, 1, mask.data(), maskWidth, 3, color, clip);

        for (int32_t py = 0; py < kHeight; ++py) {
            for (int32_t px = 0; px < kWidth; ++px) {
                const CPoint point(px, py);
                const bool inMask = px >= x && px < x + maskWidth && py >= 1 && py < 4;
                const bool inClip = clip[0].PtInRect(point) || clip[1].PtInRect(point);
                const uint32_t old = before[size_t(py) * kWidth + px];
                const uint32_t expected =
                    inMask && inClip ? Composite(old, color, mask[size_t(py - 1) * maskWidth + (px - x)]) : old;
                ASSERT_EQ(pixels[size_t(py) * kWidth + px], expected)
                    << "mask width " << maskWidth << " at (" << px << ", " << py << ")";
            }
        }
    }
}

} // namespace
} // namespace Brivel::Platform::Detail
