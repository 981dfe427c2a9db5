// The repaint pacer: what reaches the window at once, what waits for the end
// of the paint frame, and the flush before scrolling.

#include "gui/grid/repaint_pacer.h"

#include "common/process_clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace Brivel::GUI::Testing {
namespace {

using Platform::CRect;

// A window of 100 x 100 pixels that records what it is handed, and its timers.
class CFakeWindow final : public IRepaintTarget, public ITimerHost {
public:
    CRect GetClientRect() const override { return {0, 0, 100, 100}; }
    void UpdateWindow(const CRect& rect) override { updates += rect.ToQRect(); ++updateCalls; }
    void UpdateWindow(const QRegion& region) override { updates += region; ++updateCalls; }
    void StartTimer(uintptr_t id, uint32_t ms) override { timers.push_back({id, ms}); }
    void StopTimer(uintptr_t id) override { stopped.push_back(id); }

    struct Timer {
        uintptr_t id;
        uint32_t ms;
    };
    QRegion updates;
    int updateCalls = 0;
    std::vector<Timer> timers;
    std::vector<uintptr_t> stopped;
};

class RepaintPacerTest : public ::testing::Test {
protected:
    RepaintPacerTest() { Common::SetProcessClockForTesting(1000); }
    ~RepaintPacerTest() override { Common::ResetProcessClockForTesting(); }

    CFakeWindow window;
    CRepaintPacer pacer{window, window, 7};
};

TEST_F(RepaintPacerTest, BeforeTheFirstPaintEveryRectangleGoesOutClippedToTheClient)
{
    pacer.Invalidate(CRect(90, 90, 150, 150));
    pacer.Invalidate(CRect(200, 0, 300, 10)); // outside: nothing at all
    EXPECT_EQ(window.updates, QRegion(90, 90, 10, 10));
    EXPECT_EQ(window.updateCalls, 1);
    EXPECT_TRUE(window.timers.empty());
    EXPECT_EQ(pacer.MsUntilNextFrame(), 0);
}

TEST_F(RepaintPacerTest, WithinAFrameOfAPaintTheRegionWaitsForTheFrameEnd)
{
    pacer.OnPaint();
    Common::AdvanceProcessClockForTesting(6);
    pacer.Invalidate(CRect(0, 0, 10, 10));
    pacer.Invalidate(CRect(20, 0, 30, 10));
    EXPECT_EQ(window.updateCalls, 0);
    ASSERT_EQ(window.timers.size(), 1u) << "one timer for the held region";
    EXPECT_EQ(window.timers[0].id, 7u);
    EXPECT_EQ(window.timers[0].ms, uint32_t(CRepaintPacer::kPaintFrameMs - 6));
    EXPECT_TRUE(pacer.IsFramePending());

    pacer.OnFrameTimer();
    EXPECT_EQ(window.updates, QRegion(0, 0, 10, 10) + QRegion(20, 0, 10, 10));
    EXPECT_EQ(window.updateCalls, 1) << "handed over in one piece";
    EXPECT_FALSE(pacer.IsFramePending());
    EXPECT_EQ(window.stopped, std::vector<uintptr_t>{7});

    // Once the frame is over, a rectangle goes out at once.
    Common::AdvanceProcessClockForTesting(CRepaintPacer::kPaintFrameMs);
    pacer.Invalidate(CRect(50, 50, 60, 60));
    EXPECT_EQ(window.updateCalls, 2);
    EXPECT_EQ(window.timers.size(), 1u);
}

TEST_F(RepaintPacerTest, AFrameOfManyCellsInNoOrderGoesOutAsTheirUnion)
{
    // Cells of 10 x 7 pixels hit in a scrambled order, most of them many
    // times (past several compactions), with rows and a block across rows
    // among them.
    pacer.OnPaint();
    QRegion expected;
    uint32_t seed = 12345;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int32_t cell = static_cast<int32_t>((seed >> 8) % 140);
        CRect rect(cell % 10 * 10, cell / 10 * 7, cell % 10 * 10 + 10, cell / 10 * 7 + 7);
        if (i % 500 == 0)
            rect = CRect(0, rect.top, 100, rect.bottom); // a whole row
        if (i == 1234)
            rect = CRect(15, 3, 47, 60); // across rows and cells
        pacer.Invalidate(rect);
        expected += rect.ToQRect();
    }
    EXPECT_EQ(window.updateCalls, 0);
    pacer.OnFrameTimer();
    EXPECT_EQ(window.updates, expected);
    EXPECT_EQ(window.updateCalls, 1);
}

TEST_F(RepaintPacerTest, FlushAndResetAndTheRecordingSeam)
{
    pacer.StartRecordingInvalidation();
    pacer.OnPaint();
    pacer.Invalidate(CRect(0, 0, 10, 10));
    pacer.Flush(); // before scrolling: the held region goes out now
    EXPECT_EQ(window.updates, QRegion(0, 0, 10, 10));
    pacer.Flush(); // nothing held: nothing more
    EXPECT_EQ(window.updateCalls, 1);

    pacer.Invalidate(CRect(0, 20, 10, 30));
    pacer.Reset(); // the window goes: the held region is dropped
    EXPECT_FALSE(pacer.IsFramePending());
    EXPECT_EQ(window.updateCalls, 1);
    EXPECT_EQ(pacer.TakeInvalidatedRegion(), QRegion(0, 0, 10, 10) + QRegion(0, 20, 10, 10));
    EXPECT_TRUE(pacer.TakeInvalidatedRegion().isEmpty());
}

} // namespace
} // namespace Brivel::GUI::Testing
