// The paint pass as the benchmark grid uses it: a 1280 x 800 client area
// with the benchmark's 11 columns (a name and ten integer values) over 40 body
// rows of CTestObject.
//
//   BM_PaintFullFrame        one full repaint through the window's painter
//                            (arg: 1 double buffered, 0 straight on the
//                            window's painter); counter: allocations per
//                            painted cell
//   BM_PaintChangedCell      the repaint of one changed, fading cell (its
//                            update rectangle only)
//   BM_PaintFullFrameFresh   full frames where every visible value changed
//                            since the last one (no text-cache hits)
#include "allocation_counter.h"

#include "app/test_object.h"
#include "gui/header/column.h"
#include "gui/rows/grid_item.h"
#include "gui/paint/grid_painter.h"
#include "gui/header/header.h"
#include "gui/paint/paint_host.h"
#include "gui/rows/row_list.h"
#include "gui/header/scroll_position.h"

#include "common/process_clock.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegion>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Brivel::GUI;
using Brivel::Platform::CRect;
using Quellon::CTestObject;

constexpr int32_t kWidth = 1280;
constexpr int32_t kHeight = 800;
constexpr int32_t kRows = 40;
constexpr int32_t kRowHeight = 20;
constexpr int32_t kNameWidth = 160;
constexpr int32_t kValueWidth = 112; // 160 + 10 x 112 = 1280

class CNotScrolled final : public IHorizontalScrollSource {
public:
    bool GetHorizontalScrollPos(int32_t& pos) const override
    {
        pos = 0;
        return true;
    }
};

// The benchmark grid's painting side, without a window.
class CBenchHost final : public IPaintHost {
public:
    CBenchHost() : body(CRowList::kBodyList, nullptr), header(false)
    {
        font.setPixelSize(12);
        header.AddColumn(std::make_unique<CColumn>(CTestObject::kNameField, "Name", kNameWidth));
        for (int32_t id = CTestObject::kFirstValueField; id <= CTestObject::kLastValueField; ++id)
            header.AddColumn(std::make_unique<CColumn>(id, "Value " + std::to_string(id), kValueWidth,
                                                       CColumn::kAlignAuto));
        body.SetRowHeight(kRowHeight, true);
        for (int32_t row = 0; row < kRows; ++row) {
            objects.push_back(std::make_unique<CTestObject>("Object " + std::to_string(row)));
            CGridItem* const item = CGridItem::Create(objects.back().get());
            body.InsertChild(nullptr, CRowList::kTail, item, true);
        }
        appearance.evenBackColor = Brivel::Platform::RGB(230, 237, 237);
        highlight.mode = kHighlightFadeBack;
        mask = PaintElement::kAll & ~PaintElement::kTreeIndent;
    }

    CHeader* GetHeader() const override { return const_cast<CHeader*>(&header); }
    const IHorizontalScrollSource* GetScrollSource() const override { return &scroll; }
    CRowList* GetRowList(int32_t kind) const override
    {
        return kind == CRowList::kBodyList ? const_cast<CRowList*>(&body) : nullptr;
    }
    int32_t GetTopRow() const override { return 0; }
    CRect GetClientRect() const override { return {0, 0, kWidth, kHeight}; }
    const Appearance& GetAppearance() const override { return appearance; }
    const HighlightSettings& GetHighlightSettings() const override { return highlight; }
    bool IsHighlightChangedValues() const override { return true; }
    PaintElementMask GetPaintElementMask() const override { return mask; }
    bool IsDoubleBuffered() const override { return doubleBuffered; }
    const QFont* GetFont() const override { return &font; }
    void RefreshHighlightsIn(int32_t) override { ++refreshes; }

    std::vector<std::unique_ptr<CTestObject>> objects; // outlive the rows
    CRowList body;
    CHeader header;
    CNotScrolled scroll;
    QFont font{QStringLiteral("DejaVu Sans")};
    Appearance appearance;
    HighlightSettings highlight;
    PaintElementMask mask = PaintElement::kAll;
    bool doubleBuffered = true;
    int64_t refreshes = 0;
};

// Cells a full frame paints: 39 whole rows and one cut (11 cells each).
constexpr double kCellsPerFrame = double((kHeight - 20 + kRowHeight - 1) / kRowHeight) * 11;

void RunFullFrames(benchmark::State& state, bool freshValues)
{
    CBenchHost host;
    host.doubleBuffered = state.range(0) != 0;
    CGridPainter painter(host);
    // The window's backing store.
    QImage window(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    const QRegion full(0, 0, kWidth, kHeight);
    {
        QPainter warm(&window);
        painter.Paint(warm, full); // lay out the texts and make the buffer once
    }
    const uint64_t allocationsBefore = Brivel::Bench::AllocationsOnThisThread();
    {
        Brivel::Bench::CAllocationCounter allocations(state);
        for (auto _ : state) {
            if (freshValues) {
                state.PauseTiming();
                for (const auto& object : host.objects)
                    for (int32_t k = 0; k < 10; ++k)
                        object->UpdateRandomValue();
                state.ResumeTiming();
            }
            QPainter target(&window);
            painter.Paint(target, full);
        }
    }
    // Everything the frames allocated (the window painter's own start
    // included), spread over the cells they painted.
    state.counters["allocs_per_cell"] =
        benchmark::Counter(double(Brivel::Bench::AllocationsOnThisThread() - allocationsBefore) / kCellsPerFrame,
                           benchmark::Counter::kAvgIterations);
}

void BM_PaintFullFrame(benchmark::State& state)
{
    RunFullFrames(state, false);
}
BENCHMARK(BM_PaintFullFrame)->ArgName("buffered")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_PaintFullFrameFresh(benchmark::State& state)
{
    RunFullFrames(state, true);
}
BENCHMARK(BM_PaintFullFrameFresh)->ArgName("buffered")->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PaintChangedCell(benchmark::State& state)
{
    CBenchHost host;
    CGridPainter painter(host);
    QImage window(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter warm(&window);
        painter.Paint(warm, QRegion(0, 0, kWidth, kHeight));
    }
    // Row 17, value 5: the cell the update stream just changed.
    CGridItem* const item = host.body.GetItem(17);
    const int32_t left = kNameWidth + 4 * kValueWidth;
    const int32_t top = 20 + 17 * kRowHeight;
    const QRegion cell(left, top, kValueWidth, kRowHeight);
    item->OnDataChanged(5);
    {
        Brivel::Bench::CAllocationCounter allocations(state);
        for (auto _ : state) {
            QPainter target(&window);
            painter.Paint(target, cell);
        }
    }
}
BENCHMARK(BM_PaintChangedCell)->Unit(benchmark::kMicrosecond);

} // namespace
