// Micro-benchmarks of the drawing surface: the per-cell operations of the
// grid's paint pass on a 1280 x 800 memory surface (the double buffer), and a
// simulated frame of 600 cells.
//
//   build/release/bench/brivel_platform_bench --benchmark_filter=Draw
#include "platform/dc.h"

#include <QApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <array>
#include <string>

using namespace Brivel::Platform;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kCellWidth = 80;
constexpr int kCellHeight = 18;
constexpr int kColumns = kWidth / kCellWidth; // 16
constexpr int kRows = kHeight / kCellHeight;  // 44
constexpr unsigned kCellFormat = DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;

CRect CellRect(int64_t n)
{
    const int column = int(n % kColumns);
    const int row = int((n / kColumns) % kRows);
    return CRect(column * kCellWidth, row * kCellHeight, (column + 1) * kCellWidth, (row + 1) * kCellHeight);
}

void DrawCellText(benchmark::State& state, const char* text, unsigned format)
{
    CMemoryDC dc(kWidth, kHeight);
    dc.FillSolidRect(CRect(0, 0, kWidth, kHeight), RGB(255, 255, 255));
    dc.SetBkMode(TRANSPARENT);
    int64_t n = 0;
    for (auto _ : state) {
        CRect cell = CellRect(n++);
        cell.DeflateRect(2, 0);
        benchmark::DoNotOptimize(dc.DrawText(text, cell, format));
    }
    state.SetItemsProcessed(state.iterations());
}

// The same cell over and over: its pixels stay in the cache, so this is the
// cost of the text itself (lookup, positioning, blending), without the memory
// traffic of the surface.
void BM_DrawText_WarmCell(benchmark::State& state)
{
    CMemoryDC dc(kWidth, kHeight);
    dc.SetBkMode(TRANSPARENT);
    for (auto _ : state) {
        CRect cell(2, 0, kCellWidth - 2, kCellHeight);
        benchmark::DoNotOptimize(dc.DrawText("1 073 676 289", cell, kCellFormat));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawText_WarmCell);

void BM_DrawText_Number(benchmark::State& state) { DrawCellText(state, "1 073 676 289", kCellFormat); }
BENCHMARK(BM_DrawText_Number);

void BM_DrawText_Item(benchmark::State& state) { DrawCellText(state, "Item 123", DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS); }
BENCHMARK(BM_DrawText_Item);

void BM_DrawText_Elided(benchmark::State& state) { DrawCellText(state, "A caption far too long for its cell", kCellFormat); }
BENCHMARK(BM_DrawText_Elided);

// Every call a text never seen before: the cost of laying out (a cache miss).
void BM_DrawText_NewText(benchmark::State& state)
{
    CMemoryDC dc(kWidth, kHeight);
    dc.SetBkMode(TRANSPARENT);
    int64_t n = 0;
    std::string text;
    for (auto _ : state) {
        text = std::to_string(1000000007 + n);
        CRect cell = CellRect(n++);
        benchmark::DoNotOptimize(dc.DrawText(text, cell, kCellFormat));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawText_NewText);

// The same text drawn through a QPainter (a surface that is not a memory one).
void BM_DrawText_ThroughPainter(benchmark::State& state)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CDC dc(painter);
    dc.SetBkMode(TRANSPARENT);
    int64_t n = 0;
    for (auto _ : state) {
        CRect cell = CellRect(n++);
        benchmark::DoNotOptimize(dc.DrawText("1 073 676 289", cell, kCellFormat));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawText_ThroughPainter);

void BM_GetTextExtent(benchmark::State& state)
{
    CMemoryDC dc(16, 16);
    for (auto _ : state)
        benchmark::DoNotOptimize(dc.GetTextExtent("1 073 676 289"));
}
BENCHMARK(BM_GetTextExtent);

void BM_SelectFontAndRestore(benchmark::State& state)
{
    CMemoryDC dc(16, 16);
    QFont font = GetDefaultGuiFont();
    font.setBold(true);
    dc.SelectFont(font);
    const QFont cellFont = font;
    for (auto _ : state) {
        const QFont old = dc.SelectFont(cellFont);
        benchmark::DoNotOptimize(dc.SelectFont(old));
    }
}
BENCHMARK(BM_SelectFontAndRestore);

void BM_FillSolidRect_Cell(benchmark::State& state)
{
    CMemoryDC dc(kWidth, kHeight);
    int64_t n = 0;
    for (auto _ : state) {
        dc.FillSolidRect(CellRect(n), (n & 1) ? RGB(255, 255, 255) : RGB(240, 240, 255));
        ++n;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FillSolidRect_Cell);

void BM_DottedLines_Cell(benchmark::State& state)
{
    CMemoryDC dc(kWidth, kHeight);
    dc.SelectPen(CPen::Dotted(RGB(128, 128, 128)));
    int64_t n = 0;
    for (auto _ : state) {
        const CRect cell = CellRect(n++);
        dc.MoveTo(cell.left, cell.bottom - 1);
        dc.LineTo(cell.right, cell.bottom - 1);
        dc.MoveTo(cell.right - 1, cell.top);
        dc.LineTo(cell.right - 1, cell.bottom);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DottedLines_Cell);

// A cell's translucent highlight, the way the paint pass makes it: a memory
// surface of the cell's size, filled, then AlphaBlend-ed.
void BM_AlphaBlendedFill_Cell(benchmark::State& state)
{
    CMemoryDC dc(kWidth, kHeight);
    int64_t n = 0;
    for (auto _ : state) {
        const CRect cell = CellRect(n++);
        CMemoryDC scratch(dc, cell.Width(), cell.Height());
        scratch.FillSolidRect(CRect(0, 0, cell.Width(), cell.Height()), RGB(255, 0, 0));
        BLENDFUNCTION blend;
        blend.SourceConstantAlpha = 150;
        dc.AlphaBlend(cell.left, cell.top, cell.Width(), cell.Height(), scratch, 0, 0, cell.Width(), cell.Height(), blend);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AlphaBlendedFill_Cell);

void BM_FillAlphaRect_Cell(benchmark::State& state)
{
    CMemoryDC dc(kWidth, kHeight);
    int64_t n = 0;
    for (auto _ : state)
        dc.FillAlphaRect(CellRect(n++), RGB(255, 0, 0), 150);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FillAlphaRect_Cell);

void BM_ExcludeAndRestoreClip_Cell(benchmark::State& state)
{
    CMemoryDC dc(kWidth, kHeight);
    int64_t n = 0;
    for (auto _ : state) {
        const CRect cell = CellRect(n++);
        const int saved = dc.SaveDC();
        dc.ExcludeClipRect(CRect(cell.left, cell.top, cell.left + 20, cell.bottom));
        dc.FillSolidRect(cell, RGB(250, 250, 250));
        dc.RestoreDC(saved);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExcludeAndRestoreClip_Cell);

// One frame of the grid: 600 cells, each filled, given a text and a dotted
// bottom line; the numbers change from frame to frame in a tenth of the
// cells, as a stream of updates would make them.
void BM_Frame600Cells(benchmark::State& state)
{
    CMemoryDC dc(kWidth, kHeight);
    dc.SetBkMode(TRANSPARENT);
    const CPen dotted = CPen::Dotted(RGB(128, 128, 128));
    std::array<std::string, 600> texts;
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i] = (i % kColumns == 0) ? "Item " + std::to_string(i / kColumns) : std::to_string(1073676289 + i * 7919);
    int64_t frame = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < texts.size(); i += 10)
            texts[(i + size_t(frame)) % texts.size()] = std::to_string(1073676289 + i * 31 + size_t(frame));
        for (size_t i = 0; i < texts.size(); ++i) {
            const CRect cell = CellRect(int64_t(i));
            dc.FillSolidRect(cell, (i / kColumns) & 1 ? RGB(245, 245, 255) : RGB(255, 255, 255));
            CRect textRect = cell;
            textRect.DeflateRect(2, 0);
            dc.DrawText(texts[i], textRect, i % kColumns == 0 ? (DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS) : kCellFormat);
            const CPen old = dc.SelectPen(dotted);
            dc.MoveTo(cell.left, cell.bottom - 1);
            dc.LineTo(cell.right, cell.bottom - 1);
            dc.SelectPen(old);
        }
        ++frame;
    }
    state.SetItemsProcessed(state.iterations() * int64_t(texts.size()));
}
BENCHMARK(BM_Frame600Cells)->Unit(benchmark::kMicrosecond);

// The double buffer's copy to the window surface: a full frame BitBlt.
void BM_BitBlt_Frame(benchmark::State& state)
{
    CMemoryDC buffer(kWidth, kHeight);
    CMemoryDC window(kWidth, kHeight);
    for (auto _ : state)
        window.BitBlt(0, 0, kWidth, kHeight, &buffer, 0, 0, SRCCOPY);
}
BENCHMARK(BM_BitBlt_Frame)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
