#include "platform/hover_tracker.h"

#include "tests/platform/message_test_support.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include <vector>

namespace Brivel::Platform {
namespace {

using namespace std::chrono_literals;
using Testing::PumpFor;
using Testing::PumpUntil;

// A tracked child inside a larger frame, so that the mouse can leave the
// child without leaving the window.
class HoverTrackerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame.resize(300, 200);
        child = new QWidget(&frame); // owned by parent
        child->setGeometry(50, 50, 100, 80);
        tracker = std::make_unique<CHoverTracker>(
            *child, [this](QPoint at) { hovers.push_back(at); }, [this] { ++leaves; });
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        // The cursor stays where the last test left it, and a move to the same
        // place makes no event: two distinct points outside the child first, so
        // that the move into it is a real one and the child sees the mouse enter.
        QTest::mouseMove(&frame, QPoint(5, 5));
        QTest::mouseMove(&frame, QPoint(7, 7));
        QTest::mouseMove(child, QPoint(20, 20));
    }

    QWidget frame;
    QWidget* child = nullptr;
    std::unique_ptr<CHoverTracker> tracker;
    std::vector<QPoint> hovers;
    int leaves = 0;
};

TEST_F(HoverTrackerTest, ReportsOneHoverWhereTheMouseRests)
{
    tracker->TrackHover(30);
    EXPECT_TRUE(tracker->IsHoverPending());
    ASSERT_TRUE(PumpUntil([&] { return !hovers.empty(); }));
    EXPECT_EQ(hovers, std::vector<QPoint>{QPoint(20, 20)});
    EXPECT_FALSE(tracker->IsHoverPending());
    PumpFor(60ms);
    EXPECT_EQ(hovers.size(), 1u) << "one report per request";
}

TEST_F(HoverTrackerTest, MovingBeyondTheToleranceRestartsTheRest)
{
    tracker->TrackHover(40);
    QTest::mouseMove(child, QPoint(21, 22)); // within the tolerance: still resting
    QTest::mouseMove(child, QPoint(30, 20)); // moved: the rest starts again here
    ASSERT_TRUE(PumpUntil([&] { return !hovers.empty(); }));
    EXPECT_EQ(hovers, std::vector<QPoint>{QPoint(30, 20)});
}

TEST_F(HoverTrackerTest, CancelledHoverIsNotReported)
{
    tracker->TrackHover(20);
    tracker->CancelHover();
    EXPECT_FALSE(tracker->IsHoverPending());
    PumpFor(60ms);
    EXPECT_TRUE(hovers.empty());
}

TEST_F(HoverTrackerTest, LeavingReportsLeaveOnceAndEndsAPendingHover)
{
    tracker->TrackHover(40);
    tracker->TrackLeave();
    QTest::mouseMove(&frame, QPoint(250, 180)); // out of the child, still in the frame
    ASSERT_TRUE(PumpUntil([&] { return leaves == 1; }));
    EXPECT_FALSE(tracker->IsLeavePending());
    EXPECT_FALSE(tracker->IsHoverPending());

    QTest::mouseMove(child, QPoint(10, 10));
    QTest::mouseMove(&frame, QPoint(260, 190));
    PumpFor(60ms);
    EXPECT_EQ(leaves, 1) << "one report per request";
    EXPECT_TRUE(hovers.empty());
}

TEST_F(HoverTrackerTest, CancelledLeaveIsNotReportedAndHidingCountsAsLeaving)
{
    tracker->TrackLeave();
    tracker->CancelLeave();
    QTest::mouseMove(&frame, QPoint(250, 180));
    PumpFor(30ms);
    EXPECT_EQ(leaves, 0);

    QTest::mouseMove(child, QPoint(10, 10));
    tracker->TrackLeave();
    child->hide();
    EXPECT_EQ(leaves, 1);
}

TEST_F(HoverTrackerTest, WidgetDeletedBeforeTheTrackerIsHarmless)
{
    tracker->TrackHover(10);
    delete child;
    child = nullptr;
    PumpFor(30ms);
    EXPECT_TRUE(hovers.empty());
    tracker->TrackHover(10);
    tracker.reset();
}

} // namespace
} // namespace Brivel::Platform
