// Costs of the grid window's row operations and of a change's way through it.
//
//   GridAdd/<where>/<thread>   100 000 Adds at the tail (0), head (1) or random
//                              places (2), from the GUI thread (0) or a worker
//                              (1); rows per second, data objects made before
//   GridRemoveObject           RemoveObject of the most recent rows of 100 000
//   GridChange/<sorted>        a change of one field on the GUI thread, through
//                              the dispatcher to the row (re-read, re-sort when
//                              sorted, exact invalidation, notification):
//                              changes per second (items_per_second) and
//                              allocations per change, 100 000 rows
//   GridResort                 Sort of 100 000 rows (the key flips each time)
//
// The main thread is the GUI thread (gui_bench_main.cpp). The grid is a
// hidden top-level widget: invalidation costs what it costs, nothing is
// painted. Figures go to docs/grid.md.
//
// Run: build/release/bench/brivel_gui_bench --benchmark_filter='Grid'

#include "bench/allocation_counter.h"
#include "common/data_object.h"
#include "common/field_table.h"
#include "gui/grid/grid.h"
#include "gui/header/header.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

using namespace Brivel::GUI;

class CBenchRow final : public Brivel::Common::CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()

public:
    explicit CBenchRow(int32_t value) : m_value(value) {}
    ~CBenchRow() override { AnnounceDeletion(); }
    int32_t GetValue() const { return m_value.load(std::memory_order_relaxed); }
    int32_t GetOther() const { return m_other.load(std::memory_order_relaxed); }
    void SetValue(int32_t value)
    {
        m_value.store(value, std::memory_order_relaxed);
        NotifyUpdate(1);
    }
    void SetOther(int32_t value)
    {
        m_other.store(value, std::memory_order_relaxed);
        NotifyUpdate(2);
    }

private:
    std::atomic<int32_t> m_value;
    std::atomic<int32_t> m_other{0};
};

BRIVEL_BEGIN_FIELD_MAP(CBenchRow)
    BRIVEL_FIELD(1, "Value", &CBenchRow::GetValue, 0, nullptr)
    BRIVEL_FIELD(2, "Other", &CBenchRow::GetOther, 0, nullptr)
BRIVEL_END_FIELD_MAP()

constexpr int kRows = 100000;

std::vector<std::unique_ptr<CBenchRow>> MakeRows(int count)
{
    std::mt19937 random(11);
    std::vector<std::unique_ptr<CBenchRow>> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        rows.push_back(std::make_unique<CBenchRow>(static_cast<int32_t>(random() % 1000000)));
    return rows;
}

std::unique_ptr<CGrid> MakeGrid()
{
    auto grid = std::make_unique<CGrid>();
    grid->resize(1280, 800);
    auto header = std::make_unique<CHeader>(true);
    header->AddColumn(std::make_unique<CColumn>(1, "Value", 100));
    header->AddColumn(std::make_unique<CColumn>(2, "Other", 100));
    grid->SetHeader(header.release()); // auto-delete: the grid owns it
    QCoreApplication::processEvents();
    return grid;
}

void Drain()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Adds `rows` to `grid` at `where` (0 tail, 1 head, 2 random).
void AddRows(CGrid& grid, const std::vector<std::unique_ptr<CBenchRow>>& rows, int where)
{
    std::mt19937 random(5);
    for (size_t i = 0; i < rows.size(); ++i) {
        CGridItem* position = CGrid::kTail;
        if (where == 1)
            position = CGrid::kHead;
        else if (where == 2 && i > 0)
            position = grid.GetItem(static_cast<int32_t>(random() % i));
        grid.Add(rows[i].get(), CGrid::kBodyRoot, position);
    }
}

void BM_GridAdd(benchmark::State& state)
{
    const int where = static_cast<int>(state.range(0));
    const bool worker = state.range(1) != 0;
    const auto rows = MakeRows(kRows);
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = MakeGrid();
        state.ResumeTiming();
        if (!worker) {
            AddRows(*grid, rows, where);
        } else {
            std::atomic<bool> done{false};
            std::thread thread([&] {
                AddRows(*grid, rows, where);
                done = true;
            });
            while (!done.load())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            thread.join();
        }
        Drain(); // the deferred layout update is part of the cost
        state.PauseTiming();
        if (grid->GetRowCount() != kRows)
            state.SkipWithError("rows missing");
        grid.reset();
        state.ResumeTiming();
    }
    state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(kRows) * static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GridAdd)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->ArgNames({"where", "worker"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Arg 0: the last row first (off screen); 1: the top row first, every
// removal moving every row on screen up.
void BM_GridRemoveObject(benchmark::State& state)
{
    const bool fromTop = state.range(0) != 0;
    const auto rows = MakeRows(kRows);
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = MakeGrid();
        AddRows(*grid, rows, 0);
        Drain();
        state.ResumeTiming();
        if (fromTop) {
            for (const auto& row : rows)
                grid->RemoveObject(row.get());
        } else {
            for (auto it = rows.rbegin(); it != rows.rend(); ++it)
                grid->RemoveObject(it->get());
        }
        Drain();
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
    state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(kRows) * static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GridRemoveObject)->Arg(0)->Arg(1)->ArgName("top")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GridChange(benchmark::State& state)
{
    const bool sorted = state.range(0) != 0;
    const auto rows = MakeRows(kRows);
    auto grid = MakeGrid();
    AddRows(*grid, rows, 0);
    if (sorted)
        grid->SetSortKey(0, CSortInfo(1, false));
    Drain();
    std::mt19937 random(9);
    constexpr int kBatch = 1000;
    // Warm up the queues and Qt's dirty region.
    for (int i = 0; i < kBatch; ++i)
        rows[random() % kRows]->SetValue(static_cast<int32_t>(random() % 1000000));
    Drain();
    {
        Brivel::Bench::CAllocationCounter allocations(state);
        for (auto _ : state) {
            for (int i = 0; i < kBatch; ++i)
                rows[random() % kRows]->SetValue(static_cast<int32_t>(random() % 1000000));
            Drain();
        }
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    // Per change, not per batch.
    state.counters["allocs_per_op"] =
        benchmark::Counter(state.counters["allocs_per_op"].value / kBatch, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_GridChange)->Arg(0)->Arg(1)->ArgName("sorted")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GridResort(benchmark::State& state)
{
    const auto rows = MakeRows(kRows);
    auto grid = MakeGrid();
    AddRows(*grid, rows, 0);
    Drain();
    bool descending = false;
    for (auto _ : state) {
        grid->SetSortKey(0, CSortInfo(1, descending));
        descending = !descending;
    }
    Drain();
}
BENCHMARK(BM_GridResort)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
