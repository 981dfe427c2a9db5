#include "app/soak_run.h"

#include "app/bench_support.h"
#include "app/test_object.h"

#include "gui/grid/grid.h"
#include "gui/header/column.h"
#include "gui/header/header.h"
#include "gui/header/sort_info.h"
#include "gui/rows/data_object_registry.h"
#include "gui/rows/dispatcher.h"
#include "gui/rows/grid_item.h"

#include <QCoreApplication>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace Quellon {

namespace {

using Brivel::GUI::CColumn;
using Brivel::GUI::CGrid;
using Brivel::GUI::CGridItem;
using Brivel::GUI::CHeader;
using Brivel::GUI::CSortInfo;

constexpr int32_t kSortField = CTestObject::kFirstValueField;

// The number a cell's text shows: its digits with the sign, grouping
// separators and anything else left out; false when it shows no digit.
bool NumberShown(const std::string& text, int64_t& number)
{
    bool any = false;
    bool negative = false;
    number = 0;
    for (const char c : text) {
        if (c == '-' && !any)
            negative = true;
        else if (c >= '0' && c <= '9') {
            number = number * 10 + (c - '0');
            any = true;
        }
    }
    if (negative)
        number = -number;
    return any;
}

std::unique_ptr<CHeader> MakeHeader()
{
    auto header = std::make_unique<CHeader>(true);
    header->AddColumn(std::make_unique<CColumn>(CTestObject::kNameField, "Name", 70, CColumn::kAlignAuto));
    for (int32_t id = CTestObject::kFirstValueField; id <= CTestObject::kLastValueField; ++id)
        header->AddColumn(std::make_unique<CColumn>(id, "Column" + std::to_string(id), 80, CColumn::kAlignAuto));
    return header;
}

// The workers: each runs until `stop`, counting what took effect.
struct SoakCounters {
    std::atomic<bool> stop{false};
    std::atomic<int32_t> running{0};
    std::atomic<int64_t> adds{0};
    std::atomic<int64_t> removes{0};
    std::atomic<int64_t> changes{0};
    std::atomic<int64_t> resorts{0};
};

template <class Work>
std::thread StartWorker(SoakCounters& counters, uint32_t seed, Work work)
{
    counters.running.fetch_add(1);
    return std::thread([&counters, seed, work]() mutable {
        std::mt19937 random(seed);
        while (!counters.stop.load(std::memory_order_relaxed))
            work(random);
        counters.running.fetch_sub(1);
    });
}

} // namespace

int RunSoak(int32_t rows, double seconds, std::ostream& out)
{
    const int32_t maxRows = std::max(rows, 2);
    const int32_t minRows = maxRows / 2;

    // The pool outlives the grid: objects are never destroyed while shown.
    std::vector<std::unique_ptr<CTestObject>> pool;
    for (int32_t i = 0; i < maxRows * 2; ++i)
        pool.push_back(std::make_unique<CTestObject>("Item " + std::to_string(i)));

    QWidget window;
    window.resize(1000, 600);
    auto grid = std::make_unique<CGrid>(&window);
    grid->setGeometry(0, 0, 1000, 600);
    grid->SetHeader(MakeHeader().release()); // the grid deletes an auto-delete header
    grid->SetHighlightChangedValues(true);
    grid->SetSortKey(0, CSortInfo(kSortField, false), true);
    for (int32_t i = 0; i < minRows; ++i)
        grid->Add(pool[static_cast<size_t>(i)].get());
    window.show();
    CPaintCounter paints(*grid);
    const int32_t initialRows = grid->GetRowCount();

    SoakCounters counters;
    CGrid& g = *grid;
    const auto poolSize = static_cast<uint32_t>(pool.size());
    std::vector<std::thread> workers;
    workers.push_back(StartWorker(counters, 1, [&](std::mt19937& random) {
        if (g.GetRowCount() >= maxRows) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            return;
        }
        if (g.Add(pool[random() % poolSize].get()) != nullptr)
            counters.adds.fetch_add(1, std::memory_order_relaxed);
    }));
    workers.push_back(StartWorker(counters, 2, [&](std::mt19937& random) {
        const int32_t count = g.GetRowCount();
        if (count <= minRows) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            return;
        }
        CGridItem* const item = g.GetItem(static_cast<int32_t>(random() % static_cast<uint32_t>(count)));
        if (item != nullptr && g.Remove(item))
            counters.removes.fetch_add(1, std::memory_order_relaxed);
    }));
    workers.push_back(StartWorker(counters, 3, [&](std::mt19937& random) {
        for (int i = 0; i < 100; ++i)
            pool[random() % poolSize]->UpdateRandomValue();
        counters.changes.fetch_add(100, std::memory_order_relaxed);
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }));
    workers.push_back(StartWorker(counters, 4, [&](std::mt19937&) {
        const bool descending = !g.GetSortKey(0).IsDescending();
        g.SetSortKey(0, CSortInfo(kSortField, descending), true);
        counters.resorts.fetch_add(1, std::memory_order_relaxed);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }));

    Pump(static_cast<int>(seconds * 1000));
    counters.stop = true;
    // The workers may be waiting in calls only this thread answers.
    PumpUntil([&] { return counters.running.load() == 0; }, 60'000);
    for (std::thread& worker : workers)
        worker.join();
    // The last changes are delivered and placed: however long the backlog
    // (a slow machine, or one under a sanitizer, may still be working
    // through seconds of changes), then the deferred layout and paint.
    const Brivel::GUI::CDispatcher& dispatcher = Brivel::GUI::CDataObjectRegistry::GetInstance().GetDispatcher();
    PumpUntil([&] { return dispatcher.GetQueuedUpdateCountForTesting() == 0; }, 120'000);
    Pump(200);

    // The checks, on what the grid shows now.
    const int32_t rowCount = g.GetRowCount();
    const int64_t expectedRows = initialRows + counters.adds.load() - counters.removes.load();
    const bool descending = g.GetSortKey(0).IsDescending();
    int64_t cellsChecked = 0;
    int64_t badCells = 0;
    int64_t outOfOrder = 0;
    int64_t previous = 0;
    for (int32_t row = 0; row < rowCount; ++row) {
        CGridItem* const item = g.GetItem(row);
        auto* const object = item ? dynamic_cast<CTestObject*>(item->GetDataObject()) : nullptr;
        if (object == nullptr) {
            ++badCells;
            continue;
        }
        ++cellsChecked;
        if (g.GetCellText(item, CTestObject::kNameField) != object->GetName())
            ++badCells;
        for (int32_t field = CTestObject::kFirstValueField; field <= CTestObject::kLastValueField; ++field) {
            ++cellsChecked;
            int64_t shown = 0;
            const int64_t value = g.GetCellValue(item, field).GetLong();
            if (!NumberShown(g.GetCellText(item, field), shown) || shown != value)
                ++badCells;
            if (field == kSortField) {
                if (row > 0 && (descending ? value > previous : value < previous))
                    ++outOfOrder;
                previous = value;
            }
        }
    }
    const bool ok = badCells == 0 && outOfOrder == 0 && rowCount == expectedRows;

    out << CJsonLine()
               .Add("scenario", "soak")
               .Add("rows", maxRows)
               .Add("seconds", seconds, 1)
               .Add("adds", counters.adds.load())
               .Add("removes", counters.removes.load())
               .Add("changes", counters.changes.load())
               .Add("resorts", counters.resorts.load())
               .Add("paints", paints.Count())
               .Add("cells_checked", cellsChecked)
               .Add("bad_cells", badCells)
               .Add("out_of_order", outOfOrder)
               .Add("row_count", rowCount)
               .Add("expected_rows", expectedRows)
               .Add("ok", ok)
               .Add("rss_mb", RssMb(), 1)
               .Text()
        << std::endl;
    return ok ? 0 : 1; // the paint counter goes first, then the grid, the window and the pool

}

} // namespace Quellon
