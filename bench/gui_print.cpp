// Printing the benchmark grid to PDF: 100,000 rows of CTestObject under the
// benchmark's 11 columns (a name and ten integer values), default print
// settings, A4.
//
//   BM_PrintToPdf   one whole document per iteration; counters: pages,
//                   pages_per_s (goal: at least 20) and peak_rss_mb, the
//                   process's peak resident set so far (goal: under 200 MB)
#include "app/test_object.h"
#include "gui/header/column.h"
#include "gui/header/header.h"
#include "gui/paint/paint_host.h"
#include "gui/print/grid_printer.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/row_list.h"

#include "platform/printer.h"

#include <QFont>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Brivel::GUI;
using Quellon::CTestObject;

constexpr int32_t kRows = 100000;

class CPrintBenchHost final : public IPaintHost {
public:
    CPrintBenchHost() : body(CRowList::kBodyList, nullptr), header(false)
    {
        font.setPixelSize(12);
        header.AddColumn(std::make_unique<CColumn>(CTestObject::kNameField, "Name", 160));
        for (int32_t id = CTestObject::kFirstValueField; id <= CTestObject::kLastValueField; ++id)
            header.AddColumn(std::make_unique<CColumn>(id, "Value " + std::to_string(id), 64, CColumn::kAlignAuto));
        body.SetRowHeight(18, true);
        objects.reserve(kRows);
        for (int32_t row = 0; row < kRows; ++row) {
            objects.push_back(std::make_unique<CTestObject>("Object " + std::to_string(row)));
            body.InsertChild(nullptr, CRowList::kTail, CGridItem::Create(objects.back().get()), true);
        }
    }

    CHeader* GetHeader() const override { return const_cast<CHeader*>(&header); }
    CRowList* GetRowList(int32_t kind) const override
    {
        return kind == CRowList::kBodyList ? const_cast<CRowList*>(&body) : nullptr;
    }
    const QFont* GetFont() const override { return &font; }

    std::vector<std::unique_ptr<CTestObject>> objects; // outlive the rows
    CRowList body;
    CHeader header;
    QFont font{QStringLiteral("DejaVu Sans")};
};

double PeakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

void BM_PrintToPdf(benchmark::State& state)
{
    CPrintBenchHost host;
    QTemporaryDir dir;
    CGridPrinter printer(host);
    int64_t pages = 0;
    double seconds = 0;
    for (auto _ : state) {
        Brivel::Platform::CPrinter device;
        device.SetOutputFile(dir.filePath("bench.pdf"));
        device.GetQPrinter().setPageSize(QPageSize(QPageSize::A4));
        const int64_t before = printer.GetCountersForTesting().pagesPrinted;
        const auto start = std::chrono::steady_clock::now();
        if (printer.Print(device, PrintSettings{}, nullptr) != PrintResult::kPrinted) {
            state.SkipWithError("the print failed");
            return;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        pages += printer.GetCountersForTesting().pagesPrinted - before;
    }
    state.counters["pages"] = double(pages) / double(state.iterations());
    state.counters["pages_per_s"] = seconds > 0 ? double(pages) / seconds : 0;
    state.counters["peak_rss_mb"] = PeakRssMb();
}
BENCHMARK(BM_PrintToPdf)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
