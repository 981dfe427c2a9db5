// Focus and selection operations of the grid: the focus steps and the order
// of notification 5, the selection rules (with the mended faults), ranges
// across both lists, both strategies of GetSelectedItems, calls from a
// worker thread, and the selected look on screen.

#include "tests/gui/input/input_test_support.h"

#include <atomic>
#include <thread>

namespace Brivel::GUI::Testing {
namespace {

using SelectionTest = InputTest;

TEST_F(SelectionTest, FocusMovesInSixStepsAndReportsTheOldItemThenTheNew)
{
    recorder.Clear();
    EXPECT_TRUE(grid->SetFocusRow(2, CGrid::kBodyList));
    EXPECT_TRUE(grid->SetFocusRow(1, CGrid::kPinnedList));
    std::vector<CGridItem*> reported;
    for (const auto& record : recorder.records)
        if (record.code == kNotifyFocusMoved)
            reported.push_back(record.item);
    EXPECT_EQ(reported, (std::vector<CGridItem*>{grid->GetItem(2), grid->GetItem(2), grid->GetItem(1, CGrid::kPinnedList)}));

    EXPECT_FALSE(grid->SetFocusRow(20, CGrid::kBodyList)) << "out of range";
    EXPECT_FALSE(grid->SetFocusRow(0, 0)) << "kind 0 takes only row -1";
    EXPECT_FALSE(grid->SetFocusRow(0, 3));
    grid->SetFocusMask(CGrid::kPinnedMask);
    EXPECT_FALSE(grid->SetFocusRow(0, CGrid::kBodyList)) << "not in the focus mask";
    EXPECT_EQ(Focus(), std::make_pair(CGrid::kPinnedList, 1));
    EXPECT_TRUE(grid->SetFocusRow(1, CGrid::kPinnedList)) << "already there";
    EXPECT_TRUE(grid->SetFocusRow(-1, 0));
    EXPECT_EQ(Focus(), std::make_pair(0, -1));
}

TEST_F(SelectionTest, SelectionRulesAndTheirMendedFaults)
{
    grid->SetMultipleSelection(false);
    EXPECT_TRUE(grid->SelectRow(3));
    EXPECT_TRUE(grid->SelectRow(3)) << "the only selected row selected again succeeds";
    EXPECT_FALSE(grid->SelectRow(4)) << "a second row in single selection";
    EXPECT_FALSE(grid->SelectRow(0, 0));
    EXPECT_FALSE(grid->SelectRow(99));
    EXPECT_FALSE(grid->SelectAll());
    grid->SetMultipleSelection(true);
    grid->SetSelectableLists(CGrid::kBodyMask);
    EXPECT_FALSE(grid->SelectRow(0, CGrid::kPinnedList)) << "not a selectable list";
    EXPECT_TRUE(grid->SelectItem(grid->GetItem(5)));
    EXPECT_TRUE(grid->IsItemSelected(grid->GetItem(5)));
    EXPECT_TRUE(grid->IsRowSelected(5));
    CRowObject stranger(1);
    CGrid other;
    CGridItem* foreign = other.Add(&stranger);
    EXPECT_FALSE(grid->SelectItem(foreign));
    EXPECT_FALSE(grid->IsItemSelected(foreign));
    EXPECT_EQ(grid->GetSelectedCount(), 2);
    grid->ClearSelection();
    EXPECT_EQ(grid->GetSelectedCount(), 0);
}

TEST_F(SelectionTest, ARangeFromABodyRowUpToAPinnedRowTakesBothEnds)
{
    recorder.Clear();
    Impl().GetSelection().SelectRange(CGrid::kBodyList, 2, CGrid::kPinnedList, 1);
    EXPECT_EQ(Selected(CGrid::kPinnedList), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(Selected(), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(recorder.CountOf(kNotifySelectionChanged), 5);

    // Display order whatever the order of selection, by either strategy,
    // and pinned before body.
    grid->SelectRow(15);
    std::vector<CGridItem*> items;
    grid->GetSelectedItems(items);
    std::vector<CGridItem*> expected{grid->GetItem(1, CGrid::kPinnedList), grid->GetItem(2, CGrid::kPinnedList),
                                     grid->GetItem(0), grid->GetItem(1), grid->GetItem(2), grid->GetItem(15)};
    EXPECT_EQ(items, expected);
    for (const auto gather : {CGridSelection::Gather::kSortSet, CGridSelection::Gather::kWalkRows}) {
        items.clear();
        Impl().GetSelection().GetSelectedItems(items, CGrid::kBothLists, gather);
        EXPECT_EQ(items, expected);
    }
    items.clear();
    grid->GetSelectedItems(items, CGrid::kBodyMask);
    EXPECT_EQ(items.size(), 4u);

    // A selected row that a collapse hides leaves the selection.
    CGridItem* child = Add(grid->GetItem(15), 100, "child");
    grid->Expand(grid->GetItem(15));
    EXPECT_TRUE(grid->SelectItem(child));
    grid->Collapse(grid->GetItem(15));
    EXPECT_FALSE(grid->IsItemSelected(child));
    EXPECT_FALSE(grid->SelectItem(child)) << "a hidden item cannot be selected";
    EXPECT_TRUE(grid->SelectItem(child, false));
}

TEST_F(SelectionTest, SelectAllTakesTheSelectableListsAndPaintsTheSelectedLook)
{
    const QImage before = Impl().GetPainter().RenderClient();
    grid->SetSelectableLists(CGrid::kBodyMask);
    EXPECT_TRUE(grid->SelectAll());
    EXPECT_EQ(grid->GetSelectedCount(), 20);
    EXPECT_TRUE(Selected(CGrid::kPinnedList).empty());
    const QImage after = Impl().GetPainter().RenderClient();
    const QPoint pinned = PointOf(CGrid::kPinnedList, 0) + QPoint(60, 0);
    const QPoint body = PointOf(CGrid::kBodyList, 1) + QPoint(60, 0);
    EXPECT_EQ(after.pixel(pinned), before.pixel(pinned)) << "the pinned rows are not selectable";
    EXPECT_NE(after.pixel(body), before.pixel(body)) << "a selected row takes the selection tint";
}

TEST_F(SelectionTest, WorkerThreadCallsWhileTheGuiThreadScrolls)
{
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::atomic<int> rounds{0};
    std::thread worker([&] {
        std::vector<CGridItem*> items;
        while (!stop.load()) {
            grid->SelectRow(rounds % 20);
            grid->SetFocusRow(rounds % 20);
            items.clear();
            grid->GetSelectedItems(items);
            EXPECT_LE(items.size(), 23u);
            EXPECT_FALSE(grid->SelectRow(-5));
            grid->ClearSelection();
            ++rounds;
        }
        done = true;
    });
    for (int i = 0; i < 200 && rounds < 50; ++i) {
        grid->SetTopRow(i % 10);
        Pump(1);
    }
    stop = true;
    // The worker's last calls wait for this thread.
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_GT(rounds.load(), 0);
    EXPECT_EQ(grid->GetSelectedCount(), 0);
}

} // namespace
} // namespace Brivel::GUI::Testing
