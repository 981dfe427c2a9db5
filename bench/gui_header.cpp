// The header's hot paths as the paint pass uses them: hit testing in the
// fixed and the scrolled area, column rectangles, one row's walk across a
// 1280-pixel window, and column attribute reads.
#include "gui/header/column.h"
#include "gui/header/header.h"
#include "gui/header/scroll_position.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace Brivel::GUI;

constexpr int32_t kColumns = 50;
constexpr int32_t kWidth = 80;
constexpr int32_t kFixed = 3;
constexpr int32_t kWindowWidth = 1280;

class CScrolledBy : public IHorizontalScrollSource {
public:
    explicit CScrolledBy(int32_t pos) : m_pos(pos) {}
    bool GetHorizontalScrollPos(int32_t& pos) const override
    {
        pos = m_pos;
        return true;
    }

private:
    int32_t m_pos;
};

// 50 columns of 80 pixels, the first 3 fixed.
std::unique_ptr<CHeader> MakeHeader()
{
    auto header = std::make_unique<CHeader>(false);
    for (int32_t id = 0; id < kColumns; ++id)
        header->AddColumn(std::make_unique<CColumn>(id, "Column", kWidth));
    header->SetFixedColumnCount(kFixed);
    return header;
}

// Arg 0: x in the fixed area; 1: x in the scrolled area.
void BM_HeaderHitTest(benchmark::State& state)
{
    const std::unique_ptr<CHeader> header = MakeHeader();
    const CScrolledBy window(1000);
    const int32_t first = state.range(0) == 0 ? 0 : kFixed * kWidth;
    const int32_t end = state.range(0) == 0 ? kFixed * kWidth : kWindowWidth;
    int32_t x = first;
    for (auto _ : state) {
        benchmark::DoNotOptimize(header->HitTest(&window, x));
        x = x + 37 < end ? x + 37 : first;
    }
}
BENCHMARK(BM_HeaderHitTest)->ArgName("scrolled")->Arg(0)->Arg(1);

// Arg 0: GetColumnRect; 1: GetClippedColumnRect.
void BM_HeaderColumnRect(benchmark::State& state)
{
    const std::unique_ptr<CHeader> header = MakeHeader();
    const CScrolledBy window(1000);
    const bool clipped = state.range(0) != 0;
    int32_t id = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(clipped ? header->GetClippedColumnRect(&window, id)
                                         : header->GetColumnRect(&window, id));
        id = (id + 7) % kColumns;
    }
}
BENCHMARK(BM_HeaderColumnRect)->ArgName("clipped")->Arg(0)->Arg(1);

// One painted row: walk x across the window column by column, as the line
// painter does (HitTest, then the column's rectangle, then its right edge).
void BM_HeaderRowWalk(benchmark::State& state)
{
    const std::unique_ptr<CHeader> header = MakeHeader();
    const CScrolledBy window(1000);
    int64_t cells = 0;
    for (auto _ : state) {
        int32_t x = 0;
        while (x < kWindowWidth) {
            CColumn* column = header->HitTest(&window, x);
            if (column == nullptr)
                break;
            const Brivel::Platform::CRect rect = header->GetColumnRect(&window, column->GetId());
            benchmark::DoNotOptimize(rect);
            x = rect.right > x ? rect.right : x + 1;
            ++cells;
        }
    }
    state.counters["cells_per_row"] = benchmark::Counter(double(cells) / double(state.iterations()));
}
BENCHMARK(BM_HeaderRowWalk);

void BM_ColumnGetWidth(benchmark::State& state)
{
    const CColumn column(1, "Column", kWidth);
    for (auto _ : state)
        benchmark::DoNotOptimize(column.GetWidth());
}
BENCHMARK(BM_ColumnGetWidth);

// The four reads a cell painter makes, one lock each.
void BM_ColumnFourGetters(benchmark::State& state)
{
    const CColumn column(1, "Column", kWidth);
    for (auto _ : state) {
        benchmark::DoNotOptimize(column.GetId());
        benchmark::DoNotOptimize(column.GetWidth());
        benchmark::DoNotOptimize(column.GetAlignment());
        benchmark::DoNotOptimize(column.GetFormat());
    }
}
BENCHMARK(BM_ColumnFourGetters);

// The same reads from one copy under one lock.
void BM_ColumnGetAttributes(benchmark::State& state)
{
    const CColumn column(1, "Column", kWidth);
    for (auto _ : state)
        benchmark::DoNotOptimize(column.GetAttributes());
}
BENCHMARK(BM_ColumnGetAttributes);

} // namespace
