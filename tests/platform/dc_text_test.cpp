// Text output of CDC read back from rendered pixels: alignment, vertical
// centring, the end ellipsis, clipping, measurement, and the text cache.
#include "platform/dc.h"

#include "platform/text_cache.h"
#include "tests/platform/draw_test_support.h"

#include <gtest/gtest.h>

#include <QString>

#include <string>
#include <thread>

namespace Brivel::Platform {
namespace {

using Testing::CTestSurface;
using Testing::kBlack;
using Testing::kWhite;
using Testing::SurfaceKind;

constexpr unsigned kSingle = DT_SINGLELINE | DT_VCENTER;

class TextTest : public testing::TestWithParam<SurfaceKind> {
protected:
    TextTest()
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(13);
        dc.SelectFont(font);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(kBlack);
    }
    CTestSurface surface{GetParam(), 200, 60};
    CDC& dc = surface.dc();
};

INSTANTIATE_TEST_SUITE_P(BothPaths, TextTest, testing::Values(SurfaceKind::Memory, SurfaceKind::Painter),
                         Testing::SurfaceName);

TEST_P(TextTest, CutTextShowsAnEllipsisStaysInsideAndNeverWraps)
{
    const char* text = "A caption that is far too long for its cell";
    CRect cell(10, 10, 80, 28);
    TEXTMETRIC tm;
    ASSERT_TRUE(dc.GetTextMetrics(tm));
    ASSERT_GT(dc.GetTextExtent(text).cx, cell.Width());
    dc.DrawText(text, cell, DT_LEFT | kSingle | DT_END_ELLIPSIS);

    const CRect ink = surface.Ink();
    ASSERT_FALSE(ink.IsRectEmpty());
    EXPECT_LE(ink.right, cell.right) << "pixels right of the rectangle stay untouched";
    EXPECT_GE(ink.left, cell.left);
    EXPECT_LE(ink.Height(), tm.tmHeight) << "one line only";
    EXPECT_EQ(surface.CountNot(CRect(0, cell.bottom, 200, 60), kWhite), 0);

    // The cut text is the longest prefix that fits with "..." appended.
    std::string prefix;
    for (std::string candidate; candidate.size() < std::string(text).size();) {
        candidate = std::string(text, candidate.size() + 1);
        if (dc.GetTextExtent(candidate + "...").cx > cell.Width())
            break;
        prefix = candidate;
    }
    CTestSurface expected(GetParam(), 200, 60);
    expected.dc().SelectFont(dc.GetFont());
    expected.dc().SetBkMode(TRANSPARENT);
    CRect same = CRect(10, 10, 80, 28);
    expected.dc().DrawText(prefix + "...", same, DT_LEFT | kSingle | DT_NOCLIP);
    EXPECT_EQ(surface.Image(), expected.Image()) << "expected \"" << prefix << "...\"";
}

TEST_P(TextTest, EllipsisAloneIsClippedWhenNothingFits)
{
    CRect cell(20, 10, 25, 28);
    dc.DrawText("Wide text", cell, DT_LEFT | kSingle | DT_END_ELLIPSIS);
    const CRect ink = surface.Ink();
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.right, 25);
}

TEST_P(TextTest, RightAndCentreAlignmentPlaceTheTextByItsAdvance)
{
    const char* text = "1 073 676 289";
    const int width = dc.GetTextExtent(text).cx;
    CRect cell(10, 5, 190, 23);
    dc.DrawText(text, cell, DT_RIGHT | kSingle | DT_END_ELLIPSIS);
    CRect ink = surface.Ink();
    EXPECT_LE(ink.right, cell.right);
    EXPECT_GE(ink.right, cell.right - 2);
    EXPECT_GE(ink.left, cell.right - width - 1);

    CTestSurface centred(GetParam(), 200, 60);
    centred.dc().SelectFont(dc.GetFont());
    centred.dc().SetBkMode(TRANSPARENT);
    centred.dc().DrawText(text, cell, DT_CENTER | kSingle);
    ink = centred.Ink();
    const int inkCentre2 = ink.left + ink.right;
    EXPECT_NEAR(inkCentre2, cell.left + cell.right, 3) << "ink centred within a pixel or so";
}

TEST_P(TextTest, VerticalCentringUsesTheFontHeight)
{
    TEXTMETRIC tm;
    ASSERT_TRUE(dc.GetTextMetrics(tm));
    CRect cell(0, 10, 200, 50);
    const int result = dc.DrawText("Hxg", cell, DT_LEFT | kSingle);
    const int top = 10 + (40 - tm.tmHeight) / 2;
    EXPECT_EQ(result, top - 10 + tm.tmHeight);
    const CRect ink = surface.Ink();
    EXPECT_GE(ink.top, top);
    EXPECT_LE(ink.bottom, top + tm.tmHeight);
    EXPECT_GT(ink.bottom, top + tm.tmAscent) << "the descender of g reaches below the baseline";
}

TEST_P(TextTest, TextIsClippedToItsRectangleUnlessNoClip)
{
    CRect low(10, 10, 190, 15); // lower than the font
    dc.DrawText("Hxg", low, DT_LEFT | DT_SINGLELINE);
    CRect ink = surface.Ink();
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.bottom, 15);

    CRect free(10, 30, 190, 35);
    dc.DrawText("Hxg", free, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(surface.CountNot(CRect(0, 35, 200, 60), kWhite), 0);
}

TEST_P(TextTest, ExcludedClipRectProtectsTextPixels)
{
    dc.ExcludeClipRect(CRect(0, 0, 30, 60));
    CRect cell(5, 5, 190, 25);
    dc.DrawText("MMMMMMMMMM", cell, DT_LEFT | kSingle);
    EXPECT_EQ(surface.CountNot(CRect(0, 0, 30, 60), kWhite), 0);
    EXPECT_GT(surface.CountNot(CRect(30, 0, 200, 60), kWhite), 0);
}

TEST_P(TextTest, OpaqueModeFillsTheTextBoxWithTheBackgroundColour)
{
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(RGB(0, 255, 0));
    const CSize extent = dc.GetTextExtent("Hello");
    dc.TextOut(10, 10, "Hello");
    EXPECT_EQ(surface.Pixel(10, 10), RGB(0, 255, 0));
    EXPECT_EQ(surface.Pixel(10 + extent.cx - 1, 10 + extent.cy - 1), RGB(0, 255, 0));
    EXPECT_EQ(surface.Pixel(10 + extent.cx, 10), kWhite);
    EXPECT_EQ(surface.Pixel(10, 10 + extent.cy), kWhite);
}

TEST_P(TextTest, MeasurementAgreesWithTheInkAndCalcRect)
{
    const CSize extent = dc.GetTextExtent("Item 123");
    TEXTMETRIC tm;
    ASSERT_TRUE(dc.GetTextMetrics(tm));
    EXPECT_EQ(extent.cy, tm.tmHeight);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 13) << "a -13 pixel font: 13 pixel characters";
    EXPECT_EQ(dc.GetTextExtent("").cx, 0);
    EXPECT_GT(dc.GetTextExtent("Item 1234").cx, extent.cx);

    CRect calc(5, 7, 6, 8);
    EXPECT_EQ(dc.DrawText("Item 123", calc, DT_LEFT | DT_SINGLELINE | DT_CALCRECT), tm.tmHeight);
    EXPECT_EQ(calc, CRect(5, 7, 5 + extent.cx, 7 + tm.tmHeight));
    EXPECT_EQ(surface.Ink(), CRect()) << "measuring draws nothing";

    dc.TextOut(20, 20, "Item 123");
    const CRect ink = surface.Ink();
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.right, 20 + extent.cx + 1);
}

TEST_P(TextTest, LinesBreakAtNewlinesAndWordsWithoutSingleLine)
{
    TEXTMETRIC tm;
    ASSERT_TRUE(dc.GetTextMetrics(tm));
    CRect box(0, 0, 200, 60);
    EXPECT_EQ(dc.DrawText("one\ntwo", box, DT_LEFT), 2 * tm.tmHeight);
    EXPECT_GT(surface.CountNot(CRect(0, 0, 200, tm.tmHeight), kWhite), 0);
    EXPECT_GT(surface.CountNot(CRect(0, tm.tmHeight, 200, 2 * tm.tmHeight), kWhite), 0);

    CRect narrow(0, 0, dc.GetTextExtent("word word").cx + 2, 0);
    EXPECT_EQ(dc.DrawText("word word word", narrow, DT_LEFT | DT_WORDBREAK | DT_CALCRECT), 2 * tm.tmHeight);
    EXPECT_EQ(narrow.Width(), dc.GetTextExtent("word word").cx);
}

TEST_P(TextTest, Utf8BytesAndQStringDrawTheSame)
{
    CRect cell(5, 5, 195, 25);
    dc.DrawText("Grüße, Ωmega & co", cell, DT_LEFT | kSingle);
    CTestSurface other(GetParam(), 200, 60);
    other.dc().SelectFont(dc.GetFont());
    other.dc().SetBkMode(TRANSPARENT);
    other.dc().DrawText(QString::fromUtf8("Grüße, Ωmega & co"), cell, DT_LEFT | kSingle);
    EXPECT_EQ(surface.Image(), other.Image());
    EXPECT_GT(surface.CountNot(cell, kWhite), 0);
}

TEST_P(TextTest, ShapedAndBrokenInputDrawsWithinItsRectangle)
{
    CRect cell(5, 5, 120, 25);
    dc.DrawText("\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 text", cell, DT_RIGHT | kSingle | DT_END_ELLIPSIS); // Arabic
    EXPECT_GT(surface.CountNot(cell, kWhite), 0);
    CRect second(5, 30, 60, 50);
    dc.DrawText(std::string_view("\xFF\xFE bad \xC3", 9), second, DT_LEFT | kSingle | DT_END_ELLIPSIS);
    const CRect ink = surface.Ink();
    EXPECT_LE(ink.right, 120);
    EXPECT_EQ(surface.CountNot(CRect(60, 30, 200, 60), kWhite), 0);
}

TEST(TextPaths, FirstAndLaterDrawsOfATextLookTheSame)
{
    // The first draw blends glyph by glyph, later ones one combined mask.
    CMemoryDC dc(200, 40);
    dc.FillSolidRect(CRect(0, 0, 200, 40), kWhite);
    dc.SetBkMode(TRANSPARENT);
    const std::string text = "Wavy AVA fjord " + std::to_string(reinterpret_cast<uintptr_t>(&dc) % 1000);
    for (int y : {0, 20}) {
        CRect cell(0, y, 200, y + 20);
        dc.DrawText(text, cell, DT_LEFT | kSingle);
    }
    int worst = 0;
    int inked = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 200; ++x) {
            const COLORREF a = dc.GetPixel(x, y);
            const COLORREF b = dc.GetPixel(x, y + 20);
            worst = std::max(worst, std::abs(int(GetGValue(a)) - int(GetGValue(b))));
            inked += a != kWhite ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 100);
    EXPECT_LE(worst, 2);
}

TEST(TextPaths, DirectAndPainterPathsPlaceTextAlike)
{
    CTestSurface direct(SurfaceKind::Memory, 120, 30);
    CTestSurface painter(SurfaceKind::Painter, 120, 30);
    for (CTestSurface* s : {&direct, &painter}) {
        s->dc().SetBkMode(TRANSPARENT);
        CRect cell(2, 2, 118, 20);
        s->dc().DrawText("Item 123", cell, DT_RIGHT | kSingle);
    }
    const CRect a = direct.Ink();
    const CRect b = painter.Ink();
    EXPECT_NEAR(a.left, b.left, 1);
    EXPECT_NEAR(a.right, b.right, 1);
    EXPECT_NEAR(a.top, b.top, 1);
    EXPECT_NEAR(a.bottom, b.bottom, 1);
}

TEST(TextCache, VeryLongTextIsDrawnButNotKept)
{
    CMemoryDC dc(100, 20);
    dc.FillSolidRect(CRect(0, 0, 100, 20), kWhite);
    Detail::CTextCache* cache = Detail::CTextCache::ForThisThread();
    ASSERT_NE(cache, nullptr);
    std::string text;
    for (int i = 0; text.size() < 5000; ++i)
        text += std::to_string(i) + " ";
    const uint64_t missesBefore = cache->GetStatsForTesting().layoutMisses;
    for (int i = 0; i < 3; ++i) {
        CRect cell(0, 0, 60, 20);
        dc.DrawText(text, cell, DT_LEFT | kSingle | DT_END_ELLIPSIS);
    }
    EXPECT_GE(cache->GetStatsForTesting().layoutMisses - missesBefore, 3u);
    int ink = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x)
            ink += dc.GetPixel(x, y) != kWhite ? (x < 60 ? 1 : 1000) : 0;
    EXPECT_GT(ink, 0);
    EXPECT_LT(ink, 1000) << "nothing right of the cell";
}

TEST(TextThreads, MemorySurfacesDrawTextOnWorkerThreads)
{
    // Each thread has its own cache; a surface handed from one thread to
    // another (one at a time) takes its font along.
    CMemoryDC moved(120, 20);
    moved.FillSolidRect(CRect(0, 0, 120, 20), kWhite);
    moved.SetBkMode(TRANSPARENT);
    CRect cell(0, 0, 120, 20);
    moved.DrawText("before", cell, DT_LEFT | kSingle);
    int workerInk[2] = {0, 0};
    std::thread worker([&] {
        CMemoryDC own(120, 20);
        own.FillSolidRect(CRect(0, 0, 120, 20), kWhite);
        CRect r(0, 0, 120, 20);
        own.DrawText("1 073 676 289", r, DT_RIGHT | kSingle);
        moved.FillSolidRect(CRect(0, 0, 120, 20), kWhite);
        moved.DrawText("after", r, DT_LEFT | kSingle);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 120; ++x) {
                workerInk[0] += own.GetPixel(x, y) != kWhite ? 1 : 0;
                workerInk[1] += moved.GetPixel(x, y) != kWhite ? 1 : 0;
            }
    });
    worker.join();
    EXPECT_GT(workerInk[0], 50);
    EXPECT_GT(workerInk[1], 20);
    moved.DrawText("back", cell, DT_RIGHT | kSingle);
}

TEST(TextCache, RepeatedTextIsLaidOutOnce)
{
    CMemoryDC dc(100, 20);
    Detail::CTextCache* cache = Detail::CTextCache::ForThisThread();
    ASSERT_NE(cache, nullptr);
    const std::string text = "cache probe " + std::to_string(reinterpret_cast<uintptr_t>(&dc));
    const uint64_t missesBefore = cache->GetStatsForTesting().layoutMisses;
    for (int i = 0; i < 100; ++i) {
        CRect cell(0, 0, 100, 20);
        dc.DrawText(text, cell, DT_LEFT | kSingle);
    }
    EXPECT_EQ(cache->GetStatsForTesting().layoutMisses - missesBefore, 1u);

    // Another font is another layout; selecting the first again finds it.
    QFont bold = dc.GetFont();
    bold.setBold(true);
    const QFont normal = dc.SelectFont(bold);
    CRect cell(0, 0, 100, 20);
    dc.DrawText(text, cell, DT_LEFT | kSingle);
    dc.SelectFont(normal);
    dc.DrawText(text, cell, DT_LEFT | kSingle);
    EXPECT_EQ(cache->GetStatsForTesting().layoutMisses - missesBefore, 2u);
}

} // namespace
} // namespace Brivel::Platform
