// Paint pacing of the grid window: what is invalidated within a frame of the
// last paint is held and painted once at the frame's end; after a quiet frame
// it goes to Qt at once; a held region moves with the contents when the
// window scrolls; the highlight timer never fires before the frame ends. The
// process clock is frozen, so "within a frame" is exact; only the frame
// timer itself runs in real time, and the tests wait for it without bounding
// how long it takes.

#include "tests/gui/grid/grid_test_support.h"

#include "common/process_clock.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QRegion>

namespace Brivel::GUI::Testing {
namespace {

constexpr int32_t kStart = 200000;
constexpr int32_t kRowHeight = 20;

// Records the region of every paint event the watched widget receives.
class CPaintRecorder : public QObject {
public:
    explicit CPaintRecorder(QWidget& widget) : m_widget(&widget) { widget.installEventFilter(this); }
    ~CPaintRecorder() override
    {
        if (m_widget)
            m_widget->removeEventFilter(this);
    }

    std::vector<QRegion> regions;

    QRegion Union() const
    {
        QRegion all;
        for (const QRegion& region : regions)
            all += region;
        return all;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_widget && event->type() == QEvent::Paint)
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }

private:
    QPointer<QWidget> m_widget; // the widget may go first
};

class GridPaintPacingTest : public GridTest {
protected:
    GridPaintPacingTest()
    {
        Common::SetProcessClockForTesting(kStart);
        header = MakeHeader({{CRowObject::kValue, 100}, {CRowObject::kOther, 100}});
        grid->SetHeader(header);
        grid->SetListRowHeight(CGrid::kBodyList, kRowHeight);
        for (int i = 0; i < 30; ++i) {
            objects.push_back(std::make_unique<CRowObject>(i));
            grid->Add(objects.back().get());
        }
        // The first paint, at kStart: the frame that follows lasts until
        // kStart + CRepaintPacer::kPaintFrameMs on the frozen clock.
        EXPECT_TRUE(PumpUntil([&] { return !paints.regions.empty(); }));
        Pump(20);
        EXPECT_FALSE(Impl().GetPacer().IsFramePending());
        paints.regions.clear();
    }
    ~GridPaintPacingTest() override
    {
        grid.reset();
        Common::ResetProcessClockForTesting();
    }

    QRect CellRect(int32_t row, int32_t field) const
    {
        const Platform::CRect column = header->GetColumnRect(nullptr, field);
        const int32_t top = header->GetHeight() + (row - grid->GetTopRow()) * kRowHeight;
        return QRect(column.left, top, column.Width(), kRowHeight);
    }
    bool WaitForPaint() { return PumpUntil([&] { return !paints.regions.empty(); }); }

    CHeader* header = nullptr; // Owned by the grid.
    std::vector<std::unique_ptr<CRowObject>> objects;
    CPaintRecorder paints{*grid};
};

TEST_F(GridPaintPacingTest, ChangesWithinAFrameArePaintedOnceAtItsEnd)
{
    // MarkChanged on the GUI thread handles the change at once: no event
    // loop turn between the three changes and the checks.
    grid->MarkChanged(1, CGrid::kBodyList, nullptr, CRowObject::kValue);
    EXPECT_TRUE(Impl().GetPacer().IsFramePending());
    grid->MarkChanged(4, CGrid::kBodyList, nullptr, CRowObject::kOther);
    grid->MarkChanged(7, CGrid::kBodyList, nullptr, CRowObject::kValue);
    EXPECT_TRUE(Impl().GetPacer().IsFramePending());

    ASSERT_TRUE(WaitForPaint());
    EXPECT_FALSE(Impl().GetPacer().IsFramePending());
    Pump(3 * CRepaintPacer::kPaintFrameMs);
    ASSERT_EQ(paints.regions.size(), 1u); // one paint for the three
    const QRegion painted = paints.regions.front();
    for (const QRect& cell : {CellRect(1, CRowObject::kValue), CellRect(4, CRowObject::kOther),
                              CellRect(7, CRowObject::kValue)})
        EXPECT_TRUE(painted.contains(cell)) << cell.y();
    // Only the changed cells, not the rows around them.
    EXPECT_FALSE(painted.contains(CellRect(2, CRowObject::kValue)));
    EXPECT_FALSE(painted.contains(CellRect(1, CRowObject::kOther)));
}

TEST_F(GridPaintPacingTest, AfterAQuietFrameAChangeGoesToQtAtOnce)
{
    Common::AdvanceProcessClockForTesting(CRepaintPacer::kPaintFrameMs);
    grid->MarkChanged(3, CGrid::kBodyList, nullptr, CRowObject::kOther);
    EXPECT_FALSE(Impl().GetPacer().IsFramePending());
    ASSERT_TRUE(WaitForPaint());
    EXPECT_TRUE(paints.Union().contains(CellRect(3, CRowObject::kOther)));

    // That paint starts a new frame: the next change is held again.
    paints.regions.clear();
    grid->MarkChanged(5, CGrid::kBodyList, nullptr, CRowObject::kOther);
    EXPECT_TRUE(Impl().GetPacer().IsFramePending());
    ASSERT_TRUE(WaitForPaint());
    EXPECT_TRUE(paints.Union().contains(CellRect(5, CRowObject::kOther)));
}

TEST_F(GridPaintPacingTest, AHeldRegionMovesWithTheContentsWhenTheWindowScrolls)
{
    grid->MarkChanged(5, CGrid::kBodyList, nullptr, CRowObject::kValue);
    ASSERT_TRUE(Impl().GetPacer().IsFramePending());
    const QRect before = CellRect(5, CRowObject::kValue);
    grid->SetTopRow(1); // scrolls the window contents up by one row
    ASSERT_EQ(grid->GetTopRow(), 1);
    // The held cell went to Qt before the scroll, which moved it with the
    // pixels; what is held now is only the strip the scroll uncovered.

    ASSERT_TRUE(WaitForPaint());
    Pump(3 * CRepaintPacer::kPaintFrameMs);
    const QRect after = CellRect(5, CRowObject::kValue);
    EXPECT_EQ(after, before.translated(0, -kRowHeight));
    EXPECT_TRUE(paints.Union().contains(after));
}

TEST_F(GridPaintPacingTest, RemovingTopRowsRepaintsTheBodyFromItsTopOnly)
{
    for (int i = 0; i < 3; ++i)
        grid->RemoveAt(0); // each moves every row on screen up
    ASSERT_TRUE(WaitForPaint());
    Pump(3 * CRepaintPacer::kPaintFrameMs);
    const QRect client = grid->rect();
    const QRegion painted = paints.Union();
    const QRect body(0, header->GetHeight(), 200, client.height() - header->GetHeight() - 20);
    EXPECT_TRUE((QRegion(body) - painted).isEmpty()) << "all of the body, not a part"; // contains() means overlaps
    EXPECT_FALSE(painted.intersects(QRect(0, 0, 200, header->GetHeight()))) << "the header stays";
}

TEST_F(GridPaintPacingTest, TheHighlightTimerWaitsForTheFrameEnd)
{
    grid->SetHighlightExpiry(2, CGrid::kBodyList, nullptr, CRowObject::kValue, 3);
    EXPECT_EQ(Impl().GetHighlights().GetRemaining(), CRepaintPacer::kPaintFrameMs);
    Impl().GetHighlights().RunExpiry();
    // Later in the frame the wait is what is left of it, still at least 10 ms.
    Common::AdvanceProcessClockForTesting(4);
    grid->SetHighlightExpiry(2, CGrid::kBodyList, nullptr, CRowObject::kValue, 3);
    EXPECT_EQ(Impl().GetHighlights().GetRemaining(), std::max(10, CRepaintPacer::kPaintFrameMs - 4));
}

} // namespace
} // namespace Brivel::GUI::Testing
