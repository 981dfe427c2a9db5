// Costs of selection, type-ahead and the keyboard on large grids.
//
//   InputSelectAll/1000000        SelectAll of a million body rows
//   InputSelectedItems/1000000/N  GetSelectedItems with N rows selected (all,
//                                 or 500 spread out: the sort strategy)
//   InputTypeAheadWrap/100000     a search that finds nothing: from the focus
//                                 (the middle row) to the end and round again
//   InputShiftEnd/100000          Shift+End from row 0 through the key manager
//   InputClickRepaint             a click on a row of a 1280 x 800 grid and the
//                                 paint of what it invalidated (the old and the
//                                 new row)
//   InputHeaderFit/100000/F       the double-click fit of column F (0: names,
//                                 1: numbers) over 100,000 rows
//   InputHeaderDragFrame/3000     one 16 ms frame of a column drag over 3,000
//                                 rows receiving 5,000 updates per second: 80
//                                 changes, a cursor move, their delivery and
//                                 the paint of what they invalidated;
//                                 max_frame_ms is the slowest frame
//   InputEditStart/100000         F2 on a row of 100,000 to a focused editor
//   InputEditCommit/100000        Enter in an editor of a grid sorted by the
//                                 edited field: the write, its delivery, the
//                                 row's move and the repaint
//
// The grid is a hidden top-level widget with no parent: nobody receives its
// notifications, so none is recorded. Figures go to docs/benchmarks.md.
//
// Run: build/release/bench/brivel_gui_bench --benchmark_filter='Input'

#include "common/data_object.h"
#include "common/field_table.h"
#include "gui/grid/grid.h"
#include "gui/grid/grid_impl.h"
#include "gui/header/header.h"
#include "gui/editing/edit_in_place.h"
#include "gui/input/input_router.h"
#include "gui/input/key_manager.h"

#include <QCoreApplication>
#include <QImage>
#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Brivel::GUI;

class CNamedRow final : public Brivel::Common::CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()

public:
    CNamedRow(std::string name, int32_t value) : m_name(std::move(name)), m_value(value) {}
    ~CNamedRow() override { AnnounceDeletion(); }
    std::string GetName() const { return m_name; }
    int32_t GetValue() const { return m_value.load(std::memory_order_relaxed); }
    void SetValue(int32_t value)
    {
        StoreValue(value);
        NotifyUpdate(1);
    }
    void StoreValue(int32_t value) { m_value.store(value, std::memory_order_relaxed); }

private:
    std::string m_name;
    std::atomic<int32_t> m_value;
};

BRIVEL_BEGIN_FIELD_MAP(CNamedRow)
    BRIVEL_FIELD(0, "Name", &CNamedRow::GetName, 0, nullptr)
    BRIVEL_FIELD(1, "Value", &CNamedRow::GetValue, &CNamedRow::StoreValue, nullptr)
BRIVEL_END_FIELD_MAP()

// A grid of `count` body rows named "r0000000".. with values 0.., kept for
// every benchmark of the same size (making a million rows takes seconds).
struct BigGrid {
    explicit BigGrid(int32_t count)
    {
        grid = std::make_unique<CGrid>();
        grid->resize(1280, 800);
        auto header = std::make_unique<CHeader>(true);
        header->AddColumn(std::make_unique<CColumn>(0, "Name", 120));
        header->AddColumn(std::make_unique<CColumn>(1, "Value", 100, CColumn::kAlignAuto, true));
        header->SetSearchColumn(0);
        grid->SetHeader(header.release()); // auto-delete: the grid owns it
        rows.reserve(static_cast<size_t>(count));
        char name[16];
        for (int32_t i = 0; i < count; ++i) {
            std::snprintf(name, sizeof(name), "r%07d", static_cast<int>(i));
            rows.push_back(std::make_unique<CNamedRow>(name, i));
            grid->Add(rows.back().get());
        }
        QCoreApplication::processEvents();
    }
    ~BigGrid()
    {
        grid.reset(); // the rows first: they are the grid's
        rows.clear();
    }
    std::vector<std::unique_ptr<CNamedRow>> rows;
    std::unique_ptr<CGrid> grid;
};

std::unique_ptr<BigGrid> s_grid;

BigGrid& GridOf(int32_t count)
{
    if (!s_grid) // the grid goes with the application, not after it
        qAddPostRoutine([] { s_grid.reset(); });
    if (!s_grid || s_grid->grid->GetRowCount() != count) {
        s_grid.reset();
        s_grid = std::make_unique<BigGrid>(count);
    }
    return *s_grid;
}

void BM_InputSelectAll(benchmark::State& state)
{
    CGrid& grid = *GridOf(static_cast<int32_t>(state.range(0))).grid;
    for (auto _ : state) {
        state.PauseTiming();
        grid.ClearSelection();
        state.ResumeTiming();
        grid.SelectAll();
    }
    if (grid.GetSelectedCount() != state.range(0))
        state.SkipWithError("not all selected");
    state.SetItemsProcessed(state.iterations() * state.range(0));
    grid.ClearSelection();
}
BENCHMARK(BM_InputSelectAll)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_InputSelectedItems(benchmark::State& state)
{
    CGrid& grid = *GridOf(static_cast<int32_t>(state.range(0))).grid;
    grid.ClearSelection();
    const int32_t selected = static_cast<int32_t>(state.range(1));
    if (selected >= grid.GetRowCount())
        grid.SelectAll();
    else
        for (int32_t i = 0; i < selected; ++i)
            grid.SelectRow(static_cast<int32_t>((int64_t(i) * 7919) % grid.GetRowCount()));
    std::vector<CGridItem*> items;
    for (auto _ : state) {
        items.clear();
        grid.GetSelectedItems(items);
        benchmark::DoNotOptimize(items.data());
    }
    if (static_cast<int32_t>(items.size()) != grid.GetSelectedCount())
        state.SkipWithError("items missing");
    grid.ClearSelection();
}
BENCHMARK(BM_InputSelectedItems)->Args({1000000, 1000000})->Args({1000000, 500})->Unit(benchmark::kMillisecond);

void BM_InputTypeAheadWrap(benchmark::State& state)
{
    CGrid& grid = *GridOf(static_cast<int32_t>(state.range(0))).grid;
    grid.SetFocusRow(grid.GetRowCount() / 2);
    CTypeAhead& typeAhead = grid.GetImpl().GetInput().GetTypeAhead();
    uint32_t tick = 0;
    for (auto _ : state) {
        tick += 10000; // past the reset delay: a search of its own each time
        if (typeAhead.Type('x', tick))
            state.SkipWithError("nothing should match");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_InputTypeAheadWrap)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_InputShiftEnd(benchmark::State& state)
{
    CGrid& grid = *GridOf(static_cast<int32_t>(state.range(0))).grid;
    CKeyManager keys(false);
    for (auto _ : state) {
        state.PauseTiming();
        grid.ClearSelection();
        grid.SetTopRow(0);
        grid.SetFocusRow(0);
        grid.SelectRow(0);
        state.ResumeTiming();
        keys.End(grid, true, false);
    }
    if (grid.GetSelectedCount() != state.range(0))
        state.SkipWithError("the range is incomplete");
    grid.ClearSelection();
}
BENCHMARK(BM_InputShiftEnd)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_InputClickRepaint(benchmark::State& state)
{
    CGrid& grid = *GridOf(100000).grid;
    CGrid::CGridImpl& impl = grid.GetImpl();
    grid.SetTopRow(0);
    impl.GetPacer().StartRecordingInvalidation();
    QImage target(1280, 800, QImage::Format_RGB32);
    int32_t row = 0;
    for (auto _ : state) {
        row = (row + 1) % 40;
        const Brivel::Platform::CRect rect = impl.GetRowLayout().RowRect(*impl.ListOfKind(CGrid::kBodyList), row);
        const Brivel::Platform::CPoint point(60, (rect.top + rect.bottom) / 2);
        impl.GetInput().OnMousePress(point, Qt::LeftButton, {});
        impl.GetInput().OnMouseRelease(point, Qt::LeftButton, {});
        impl.GetPainter().Render(target, impl.GetPacer().TakeInvalidatedRegion());
    }
    grid.ClearSelection();
}
BENCHMARK(BM_InputClickRepaint)->Unit(benchmark::kMicrosecond);

void BM_InputHeaderFit(benchmark::State& state)
{
    CGrid& grid = *GridOf(static_cast<int32_t>(state.range(0))).grid;
    CGrid::CGridImpl& impl = grid.GetImpl();
    CColumn& column = *impl.GetHeader()->FindColumn(static_cast<int32_t>(state.range(1)));
    int32_t width = 0;
    for (auto _ : state)
        width = impl.GetPainter().MeasureColumnContent(column);
    if (width <= 0)
        state.SkipWithError("nothing measured");
    state.counters["width"] = width;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_InputHeaderFit)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond);

void BM_InputHeaderDragFrame(benchmark::State& state)
{
    BigGrid& big = GridOf(static_cast<int32_t>(state.range(0)));
    CGrid& grid = *big.grid;
    CGrid::CGridImpl& impl = grid.GetImpl();
    grid.SetTopRow(0);
    impl.GetPainter().RenderClient();
    impl.GetPacer().StartRecordingInvalidation();
    QImage target(1280, 800, QImage::Format_RGB32);
    const int32_t y = impl.GetHeader()->GetHeight() / 2;
    // Press on Name and drag it back and forth over the header.
    impl.GetInput().OnMousePress({60, y}, Qt::LeftButton, {});
    int32_t x = 60;
    int32_t step = 7;
    uint32_t seed = 1;
    double slowest = 0;
    constexpr int32_t kChangesPerFrame = 5000 * 16 / 1000;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int32_t i = 0; i < kChangesPerFrame; ++i) {
            seed = seed * 1103515245u + 12345u;
            big.rows[(seed >> 8) % big.rows.size()]->SetValue(static_cast<int32_t>(seed >> 12));
        }
        x += step;
        if (x > 250 || x < 10)
            step = -step;
        impl.GetInput().OnMouseMove({x, y}, Qt::LeftButton);
        QCoreApplication::processEvents();
        impl.GetPainter().Render(target, impl.GetPacer().TakeInvalidatedRegion());
        slowest = std::max(slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    if (impl.GetInput().GetHeaderMouse().GetState() != CHeaderMouse::kDragging)
        state.SkipWithError("the drag did not start");
    impl.GetInput().GetHeaderMouse().Cancel();
    state.counters["max_frame_ms"] = slowest;
}
void BM_InputEditStart(benchmark::State& state)
{
    CGrid& grid = *GridOf(static_cast<int32_t>(state.range(0))).grid;
    CGrid::CGridImpl& impl = grid.GetImpl();
    CEditInPlace& editor = impl.GetInput().GetEditor();
    grid.show();
    grid.SetTopRow(grid.GetRowCount() / 2); // the focus row on screen, as where a user presses F2
    grid.SetFocusRow(grid.GetRowCount() / 2);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        impl.GetInput().OnKeyPress(Qt::Key_F2, {}, false, {});
        state.PauseTiming();
        // The window's focus widget (the window itself is not active here).
        QWidget* const control = editor.GetControl();
        if (control == nullptr || control->window()->focusWidget() != control) {
            state.SkipWithError("no focused editor");
            break;
        }
        editor.EndEdit(kEndCancel);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the control goes, as in the event loop
        state.ResumeTiming();
    }
    grid.hide();
}
BENCHMARK(BM_InputEditStart)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_InputEditCommit(benchmark::State& state)
{
    BigGrid& big = GridOf(static_cast<int32_t>(state.range(0)));
    CGrid& grid = *big.grid;
    CGrid::CGridImpl& impl = grid.GetImpl();
    CEditInPlace& editor = impl.GetInput().GetEditor();
    grid.show();
    grid.SetSortKey(0, CSortInfo(1, false));
    QCoreApplication::processEvents();
    impl.GetPacer().StartRecordingInvalidation();
    QImage target(1280, 800, QImage::Format_RGB32);
    uint32_t seed = 7;
    for (auto _ : state) {
        state.PauseTiming();
        CGridItem* const item = grid.GetItem(grid.GetRowCount() / 2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        editor.StartEdit(item, 1, kTriggerKey);
        seed = seed * 1103515245u + 12345u;
        auto* const line = qobject_cast<QLineEdit*>(editor.GetControl());
        if (line == nullptr) {
            state.SkipWithError("no editor");
            break;
        }
        line->setText(QString::number(seed % 100000));
        impl.GetPainter().Render(target, impl.GetPacer().TakeInvalidatedRegion());
        state.ResumeTiming();
        editor.OnKeyAction(item, 1, kActionCommit);   // what Enter posts
        QCoreApplication::processEvents();             // the announcement: the row moves
        impl.GetPainter().Render(target, impl.GetPacer().TakeInvalidatedRegion());
    }
    grid.ClearSort();
    grid.hide();
}
BENCHMARK(BM_InputEditCommit)->Arg(100000)->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_InputHeaderDragFrame)->Arg(3000)->Unit(benchmark::kMicrosecond)->Iterations(600);

} // namespace
