// The highlight scheduler: which cells on screen a timer run repaints, for
// explicit expiries and for the highlights the paint pass drew, and when the
// timer runs next.

#include "gui/grid/highlight_scheduler.h"

#include "gui/grid/repaint_pacer.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/row_layout.h"
#include "gui/rows/row_list.h"

#include "common/process_clock.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace Brivel::GUI::Testing {
namespace {

using Platform::CRect;

constexpr int32_t kField = 5;
constexpr int32_t kStart = 100000;

// Ten body rows of 15 pixels in a 200 x 100 client (rows 0..6 on screen),
// with the grid's side of the scheduler recorded.
class CHighlightFixtureHost final : public IRowLayoutSource,
                                    public IRepaintTarget,
                                    public ITimerHost,
                                    public IHighlightTarget {
public:
    CRowList* GetRowList(int32_t kind) const override { return kind == CRowList::kBodyList ? &body : nullptr; }
    RowLayoutFrame GetRowLayoutFrame() const override { return {CRect(0, 0, 200, 100), 0, 0, 0}; }
    CRect GetClientRect() const override { return {0, 0, 200, 100}; }
    void UpdateWindow(const CRect& rect) override { rows += rect.ToQRect(); }
    void UpdateWindow(const QRegion& region) override { rows += region; }
    void StartTimer(uintptr_t, uint32_t) override { ++timerStarts; }
    void StopTimer(uintptr_t) override {}
    const HighlightSettings& GetHighlightSettings() const override { return settings; }
    bool IsHighlightChangedValues() const override { return highlight; }
    PaintElementMask GetPaintElementMask() const override { return mask; }
    void InvalidateCell(const CRect& rowRect, int32_t fieldId) override { cells.emplace_back(rowRect.top / 15, fieldId); }

    mutable CRowList body{CRowList::kBodyList, nullptr};
    HighlightSettings settings; // fade mode 8, 2000 ms, every 30 ms
    bool highlight = true;
    PaintElementMask mask = PaintElement::kAll;
    QRegion rows;                                 // whole rows invalidated (and cells, by the pacer)
    std::vector<std::pair<int32_t, int32_t>> cells; // (row, field) of InvalidateCell
    int timerStarts = 0;
};

class HighlightSchedulerTest : public ::testing::Test {
protected:
    HighlightSchedulerTest()
    {
        Common::SetProcessClockForTesting(kStart);
        for (int32_t row = 0; row < 10; ++row) {
            CGridItem* const item = CGridItem::Create();
            EXPECT_TRUE(host.body.InsertChild(nullptr, CRowList::kTail, item, true));
            EXPECT_TRUE(item->SetRowHeight(15));
        }
    }
    ~HighlightSchedulerTest() override { Common::ResetProcessClockForTesting(); }

    CGridItem& Row(int32_t row) { return *host.body.GetItem(row); }
    // Runs the timer `ms` after the clock's current reading.
    void RunAfter(int32_t ms)
    {
        Common::AdvanceProcessClockForTesting(ms);
        host.cells.clear();
        host.rows = QRegion();
        scheduler.RunExpiry();
    }

    CHighlightFixtureHost host;
    CRowLayout layout{host};
    CRepaintPacer pacer{host, host, 6};
    CHighlightScheduler scheduler{layout, pacer, host, host, 0};
};

TEST_F(HighlightSchedulerTest, FadingHighlightsStepOnOneBeatAndAreRepaintedOnceAfterTheirEnd)
{
    Row(0).RecordFieldChange(kField, kStart);
    Row(1).RecordFieldChange(kField, kStart + 10);
    scheduler.RefreshIn(12); // what the paint pass reports: the beat is the refresh interval
    EXPECT_EQ(scheduler.GetRemaining(), 30);

    RunAfter(30);
    EXPECT_EQ(host.cells, (std::vector<std::pair<int32_t, int32_t>>{{0, kField}})) << "row 1 is 20 ms old";
    EXPECT_EQ(scheduler.GetRemaining(), 30) << "the next beat";
    RunAfter(30);
    EXPECT_EQ(host.cells, (std::vector<std::pair<int32_t, int32_t>>{{0, kField}, {1, kField}}))
        << "each stepped once since the last beat";

    RunAfter(3000);
    EXPECT_EQ(host.cells.size(), 2u) << "both ended since the previous run";
    EXPECT_EQ(scheduler.GetRemaining(), -1) << "nothing is left to wait for";
    RunAfter(100);
    EXPECT_TRUE(host.cells.empty());
}

TEST_F(HighlightSchedulerTest, ASolidHighlightOrAWholeRowChangeIsRepaintedOnceWhenItEnds)
{
    host.settings.mode = kHighlightBack;
    Row(2).RecordFieldChange(kField, kStart);
    Row(3).SetRowChangeTime(kStart);
    scheduler.RefreshIn(2000);
    RunAfter(1500);
    EXPECT_TRUE(host.cells.empty());
    EXPECT_TRUE(host.rows.isEmpty());
    EXPECT_EQ(scheduler.GetRemaining(), 500);
    RunAfter(500);
    EXPECT_EQ(host.cells, (std::vector<std::pair<int32_t, int32_t>>{{2, kField}}));
    EXPECT_EQ(host.rows, QRegion(0, 45, 200, 15)) << "the whole row of the row change";
    EXPECT_EQ(scheduler.GetRemaining(), -1);
}

TEST_F(HighlightSchedulerTest, DrawnHighlightsCountOnlyWhileTheGridDrawsThem)
{
    Row(0).RecordFieldChange(kField, kStart);
    Row(8).RecordFieldChange(kField, kStart); // off screen
    host.highlight = false;
    RunAfter(2000);
    EXPECT_TRUE(host.cells.empty());
    host.highlight = true;
    host.mask = PaintElement::kAll & ~PaintElement::kChangeHighlight;
    Row(0).RecordFieldChange(kField, Common::GetProcessClock());
    RunAfter(2000);
    EXPECT_TRUE(host.cells.empty());
    EXPECT_EQ(host.timerStarts, 0);
}

TEST_F(HighlightSchedulerTest, ExplicitExpiriesAreClearedAndTheNearestOneWaitsAtLeastTenMs)
{
    host.highlight = false;
    Row(0).SetFieldHighlightExpiry(kField, kStart, kStart + 3);
    Row(1).SetFieldHighlightExpiry(kField, kStart, kStart + 50);
    scheduler.Schedule(3);
    EXPECT_EQ(scheduler.GetRemaining(), CHighlightScheduler::kMinWaitMs);
    scheduler.Schedule(50);
    EXPECT_EQ(scheduler.GetRemaining(), CHighlightScheduler::kMinWaitMs) << "the pending timer comes first";
    RunAfter(10);
    EXPECT_EQ(host.cells, (std::vector<std::pair<int32_t, int32_t>>{{0, kField}}));
    EXPECT_EQ(Row(0).FindHighlightRecord(kField)->expiry, CGridItem::kNever);
    EXPECT_EQ(scheduler.GetRemaining(), 40);
    scheduler.Stop();
    EXPECT_EQ(scheduler.GetRemaining(), -1);
}

} // namespace
} // namespace Brivel::GUI::Testing
