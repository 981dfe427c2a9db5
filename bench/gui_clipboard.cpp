// Costs of copying rows to the clipboard and of the tooltips beside a
// stream of updates.
//
//   ClipboardCopy/100000         Copy of 100,000 selected rows of 11 columns
//                                (a name and ten integers) to the system
//                                clipboard: every cell formatted as the paint
//                                pass formats it (CellFormatOf, FormatCellText)
//                                into text, HTML and the local record
//   TooltipUpdateFrame/3000/T    one 16 ms frame of a grid of 3,000 rows
//                                receiving 5,000 updates per second (80
//                                changes, their delivery and the paint of what
//                                they invalidated) with the mouse resting over
//                                a clipped cell and no tooltip shown; T = 0:
//                                tooltips off, T = 1: in-place on with a hover
//                                pending. tooltip_probes counts the cell
//                                look-ups the tooltips made during the frames
//                                (0: the update path does no tooltip work)
//
// Run: build/release/bench/brivel_gui_bench --benchmark_filter='Clipboard|Tooltip'

#include "common/data_object.h"
#include "common/field_table.h"
#include "gui/grid/grid.h"
#include "gui/grid/grid_impl.h"
#include "gui/header/header.h"

#include <QCoreApplication>
#include <QImage>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Brivel::GUI;

class CWideRow final : public Brivel::Common::CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()

public:
    CWideRow(std::string name, int32_t base) : m_name(std::move(name)), m_base(base) {}
    ~CWideRow() override { AnnounceDeletion(); }
    std::string GetName() const { return m_name; }
    template <int32_t Id>
    int32_t Get() const
    {
        return m_base + Id * 7919;
    }
    void Touch(int32_t base)
    {
        m_base = base;
        NotifyUpdate(1);
    }

private:
    std::string m_name;
    int32_t m_base;
};

BRIVEL_BEGIN_FIELD_MAP(CWideRow)
    BRIVEL_FIELD(0, "Name", &CWideRow::GetName, 0, nullptr)
    BRIVEL_FIELD(1, "V1", &CWideRow::Get<1>, 0, nullptr)
    BRIVEL_FIELD(2, "V2", &CWideRow::Get<2>, 0, nullptr)
    BRIVEL_FIELD(3, "V3", &CWideRow::Get<3>, 0, nullptr)
    BRIVEL_FIELD(4, "V4", &CWideRow::Get<4>, 0, nullptr)
    BRIVEL_FIELD(5, "V5", &CWideRow::Get<5>, 0, nullptr)
    BRIVEL_FIELD(6, "V6", &CWideRow::Get<6>, 0, nullptr)
    BRIVEL_FIELD(7, "V7", &CWideRow::Get<7>, 0, nullptr)
    BRIVEL_FIELD(8, "V8", &CWideRow::Get<8>, 0, nullptr)
    BRIVEL_FIELD(9, "V9", &CWideRow::Get<9>, 0, nullptr)
    BRIVEL_FIELD(10, "V10", &CWideRow::Get<10>, 0, nullptr)
BRIVEL_END_FIELD_MAP()

struct WideGrid {
    explicit WideGrid(int32_t count)
    {
        grid = std::make_unique<CGrid>();
        grid->resize(1280, 800);
        auto header = std::make_unique<CHeader>(true);
        header->AddColumn(std::make_unique<CColumn>(0, "Name", 40)); // narrow: names are clipped
        for (int32_t id = 1; id <= 10; ++id)
            header->AddColumn(std::make_unique<CColumn>(id, "V" + std::to_string(id), 100));
        grid->SetHeader(header.release()); // auto-delete: the grid owns it
        rows.reserve(static_cast<size_t>(count));
        char name[32];
        for (int32_t i = 0; i < count; ++i) {
            std::snprintf(name, sizeof(name), "row number %07d", static_cast<int>(i));
            rows.push_back(std::make_unique<CWideRow>(name, i));
            grid->Add(rows.back().get());
        }
        QCoreApplication::processEvents();
    }
    ~WideGrid()
    {
        grid.reset();
        rows.clear();
    }
    std::vector<std::unique_ptr<CWideRow>> rows;
    std::unique_ptr<CGrid> grid;
};

void BM_ClipboardCopy(benchmark::State& state)
{
    WideGrid wide(static_cast<int32_t>(state.range(0)));
    CGrid& grid = *wide.grid;
    grid.SelectAll();
    bool copied = true;
    for (auto _ : state)
        copied = grid.Copy() && copied;
    if (!copied)
        state.SkipWithError("the copy placed nothing");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ClipboardCopy)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(5);

void BM_TooltipUpdateFrame(benchmark::State& state)
{
    WideGrid wide(static_cast<int32_t>(state.range(0)));
    CGrid& grid = *wide.grid;
    CGrid::CGridImpl& impl = grid.GetImpl();
    const bool tooltips = state.range(1) != 0;
    grid.EnableTooltip(TooltipKind::kInPlace, tooltips);
    grid.EnableTooltip(TooltipKind::kOrdinary, false);
    // A hover that stays pending for the whole run: the frames measure the
    // state in which the mouse rests and no tooltip shows yet.
    TooltipSettings settings = grid.GetTooltipSettings(TooltipKind::kInPlace);
    settings.hoverMs = 1000000;
    grid.SetTooltipSettings(TooltipKind::kInPlace, settings);
    grid.show();
    impl.GetPainter().RenderClient();
    impl.GetPacer().StartRecordingInvalidation();
    // The mouse rests over a clipped name: a hover is pending, nothing shows.
    impl.GetTooltips().OnMouseMove({20, impl.GetHeader()->GetHeight() + 30}, false);
    const int64_t probesBefore = impl.GetTooltips().GetProbeCount();
    QImage target(1280, 800, QImage::Format_RGB32);
    uint32_t seed = 1;
    constexpr int32_t kChangesPerFrame = 5000 * 16 / 1000;
    for (auto _ : state) {
        for (int32_t i = 0; i < kChangesPerFrame; ++i) {
            seed = seed * 1103515245u + 12345u;
            wide.rows[(seed >> 8) % wide.rows.size()]->Touch(static_cast<int32_t>(seed >> 12));
        }
        QCoreApplication::processEvents();
        impl.GetPainter().Render(target, impl.GetPacer().TakeInvalidatedRegion());
    }
    state.counters["tooltip_probes"] = static_cast<double>(impl.GetTooltips().GetProbeCount() - probesBefore);
    if (impl.GetTooltips().GetShowing() != TooltipKind::kNone)
        state.SkipWithError("a tooltip showed");
}
BENCHMARK(BM_TooltipUpdateFrame)->Args({3000, 0})->Args({3000, 1})->Unit(benchmark::kMicrosecond)->Iterations(600)->Repetitions(3);

} // namespace
