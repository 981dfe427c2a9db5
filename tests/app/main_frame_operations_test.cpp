// The benchmark operations on the real frame: add runs at every position and
// from both threads, remove runs (preset count, refusal), the update stream
// from both sources with its catch-up, and the window's end while a worker
// run or the timer source is busy.
#include "frame_test_support.h"

#include <set>
#include <thread>
#include <vector>

namespace Quellon {
namespace {

using namespace Testing;
using Brivel::GUI::CGrid;

// Every value of every test object, row by row.
std::vector<int32_t> Snapshot(CGrid& grid)
{
    std::vector<int32_t> values;
    for (int32_t row = 0; row < grid.GetRowCount(); ++row) {
        auto* object = dynamic_cast<CTestObject*>(grid.GetItem(row)->GetDataObject());
        values.push_back(object->GetValue1());
        values.push_back(object->GetValue2());
        values.push_back(object->GetValue3());
        values.push_back(object->GetValue4());
        values.push_back(object->GetValue5());
        values.push_back(object->GetValue6());
        values.push_back(object->GetValue7());
        values.push_back(object->GetValue8());
        values.push_back(object->GetValue9());
        values.push_back(object->GetValue10());
    }
    return values;
}

// ---- Add runs ----

TEST_F(FrameTest, AddRunOfAThousandRowsAtTheHeadFromTheWorker)
{
    CMainFrame& frame = Start();
    RunOnWorker(kCmdAddItems, ItemsRunner("1000", 0, 1));
    EXPECT_EQ(TestGrid().GetRowCount(), 4000);
    EXPECT_EQ(frame.GetTestObjectCount(), 4000);
    // Each new row went to the head: the last one made is on top.
    EXPECT_EQ(NameOfRow(TestGrid(), 0), "Item 3999");
    EXPECT_EQ(NameOfRow(TestGrid(), 999), "Item 3000");
    EXPECT_EQ(NameOfRow(TestGrid(), 1000), "Item 0");
    EXPECT_EQ(LastLog().actionType, 0);
    EXPECT_TRUE(StartsWith(LastLog().text, "1000 items have been added to head from non-GUI thread in ")) << LastLog().text;
    EXPECT_TRUE(Contains(LastLog().text, "Items in grid 3000 => 4000.")) << LastLog().text;
    EXPECT_EQ(LogGrid().GetRowCount(), 2);
    // The dialog remembers what it was given.
    EXPECT_EQ(CAddItemsDlg::GetRememberedValues().count, 1000);
    EXPECT_EQ(CAddItemsDlg::GetRememberedValues().thread, 1);
}

TEST_F(FrameTest, AddRunsAtTheTailAndAtRandomPlaces)
{
    CMainFrame& frame = Start(0);
    EXPECT_TRUE(frame.GetLogLines().empty());
    // One row at a random place of an empty grid goes to the tail.
    Run(kCmdAddItems, ItemsRunner("1", 2, 0));
    ASSERT_EQ(TestGrid().GetRowCount(), 1);
    EXPECT_EQ(LastLog().text.rfind("1 items have been added from GUI thread in ", 0), 0u) << LastLog().text;

    Run(kCmdAddItems, ItemsRunner("99", 1, 0));
    EXPECT_EQ(NameOfRow(TestGrid(), 99), "Item 99");
    EXPECT_TRUE(StartsWith(LastLog().text, "99 items have been added to tail from GUI thread")) << LastLog().text;

    // Random places from the worker: the new rows land among the old ones.
    RunOnWorker(kCmdAddItems, ItemsRunner("400", 2, 1));
    ASSERT_EQ(TestGrid().GetRowCount(), 500);
    int32_t newRowsInFirstHundred = 0;
    for (int32_t row = 0; row < 100; ++row)
        newRowsInFirstHundred += std::stoi(NameOfRow(TestGrid(), row).substr(5)) >= 100;
    EXPECT_GT(newRowsInFirstHundred, 0);
    EXPECT_TRUE(Contains(LastLog().text, "Items in grid 100 => 500.")) << LastLog().text;
}

TEST_F(FrameTest, CountZeroCancelAndNegativeAddsDoNothing)
{
    CMainFrame& frame = Start(100);
    const size_t lines = frame.GetLogLines().size();
    Run(kCmdAddItems, ItemsRunner("0", 1, 0));
    Run(kCmdAddItems, ItemsRunner("50", 1, 0, false));
    Run(kCmdRemoveItems, ItemsRunner("0", 1, 0));
    Run(kCmdRemoveItems, ItemsRunner("50", 1, 0, false));
    EXPECT_EQ(frame.GetLogLines().size(), lines);
    EXPECT_EQ(TestGrid().GetRowCount(), 100);
    EXPECT_EQ(frame.GetWorkerRunsPosted(), 0u);

    // A negative add count would count down for billions of rows: refused.
    Run(kCmdAddItems, ItemsRunner("-5", 1, 0));
    EXPECT_EQ(TestGrid().GetRowCount(), 100);
    EXPECT_EQ(LastLog().actionType, 0);
    EXPECT_EQ(LastLog().text, "Can't add a negative count of items");
}

// ---- Remove runs ----

class RemoveRunTest : public FrameTest, public ::testing::WithParamInterface<int> {};

TEST_P(RemoveRunTest, PresetCountEmptiesTheGrid)
{
    CMainFrame& frame = Start();
    const int thread = GetParam();
    QString preset;
    auto fill = ItemsRunner("", 1, thread);
    auto runner = [&](QDialog& dialog) {
        preset = dialog.findChild<QLineEdit*>("1000")->text();
        return fill(dialog);
    };
    if (thread == 1)
        RunOnWorker(kCmdRemoveItems, runner);
    else
        Run(kCmdRemoveItems, runner);
    EXPECT_EQ(preset, "3000");
    EXPECT_EQ(TestGrid().GetRowCount(), 0);
    EXPECT_EQ(frame.GetTestObjectCount(), 0);
    EXPECT_EQ(LastLog().actionType, 1);
    const std::string expected = std::string("3000 items have been removed from tail from ") +
                                 (thread == 1 ? "non-GUI" : "GUI") + " thread in ";
    EXPECT_TRUE(StartsWith(LastLog().text, expected)) << LastLog().text;
    EXPECT_TRUE(Contains(LastLog().text, "Items in grid 3000 => 0.")) << LastLog().text;
}

INSTANTIATE_TEST_SUITE_P(GuiAndWorker, RemoveRunTest, ::testing::Values(0, 1));

TEST_F(FrameTest, RemoveRunTakesTheNewestObjectsWhereverTheirRowsAre)
{
    CMainFrame& frame = Start(10);
    Run(kCmdAddItems, ItemsRunner("5", 0, 0)); // Item 10 .. Item 14 at the head
    Run(kCmdRemoveItems, ItemsRunner("5", 2, 0));
    ASSERT_EQ(TestGrid().GetRowCount(), 10);
    for (int32_t row = 0; row < 10; ++row)
        EXPECT_EQ(NameOfRow(TestGrid(), row), "Item " + std::to_string(row));
    EXPECT_TRUE(StartsWith(LastLog().text, "5 items have been removed from GUI thread")) << LastLog().text;
    // Names restart from the number of objects.
    Run(kCmdAddItems, ItemsRunner("1", 1, 0));
    EXPECT_EQ(NameOfRow(TestGrid(), 10), "Item 10");
    EXPECT_EQ(frame.GetTestObjectCount(), 11);
}

TEST_F(FrameTest, RemovingMoreRowsThanShownIsRefused)
{
    CMainFrame& frame = Start();
    for (const char* count : {"3001", "-1"}) {
        Run(kCmdRemoveItems, ItemsRunner(count, 1, 0));
        EXPECT_EQ(TestGrid().GetRowCount(), 3000) << count;
        EXPECT_EQ(frame.GetTestObjectCount(), 3000) << count;
        EXPECT_EQ(LastLog().actionType, 1) << count;
        EXPECT_EQ(LastLog().text, "Can't remove requested count of items") << count;
    }
    RunOnWorker(kCmdRemoveItems, ItemsRunner("5000", 1, 1));
    EXPECT_EQ(TestGrid().GetRowCount(), 3000);
    EXPECT_EQ(LastLog().text, "Can't remove requested count of items");
}

TEST_F(FrameTest, GuiRemoveRunIsRefusedWhileTheWorkerAddsAtRandomPlaces)
{
    // The worker's run holds a row handle between GetItem and Add; a GUI
    // remove run in that gap would free it under the run.
    CMainFrame& frame = Start(100);
    Run(kCmdAddItems, ItemsRunner("1000000", 2, 1));
    ASSERT_TRUE(PumpUntil([&] { return TestGrid().GetRowCount() > 600; }));
    const int32_t objects = frame.GetTestObjectCount();
    Run(kCmdRemoveItems, ItemsRunner("50", 1, 0));
    EXPECT_EQ(LastLog().actionType, 1);
    EXPECT_EQ(LastLog().text, "Can't remove items while items are added at random places from non-GUI thread");
    EXPECT_GE(frame.GetTestObjectCount(), objects) << "nothing removed";
    frame.close();
    // Once the run is over, GUI remove runs work again.
    m_app.reset();
    CMainFrame& next = Start(100);
    RunOnWorker(kCmdAddItems, ItemsRunner("100", 2, 1));
    Run(kCmdRemoveItems, ItemsRunner("50", 1, 0));
    EXPECT_EQ(next.GetTestObjectCount(), 150);
}

// ---- The update stream ----

TEST_F(FrameTest, GuiSourceAtAThousandPerSecondChangesAboutAThousandValuesASecond)
{
    CMainFrame& frame = Start();
    Run(kCmdUpdateSettings, UpdateRunner(1000, 0));
    const std::vector<int32_t> before = Snapshot(TestGrid());
    const uint64_t made0 = frame.GetTotalUpdateCount();
    QElapsedTimer clock;
    clock.start();
    Pump(1000);
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    const uint64_t made = frame.GetTotalUpdateCount() - made0;
    const std::vector<int32_t> after = Snapshot(TestGrid());
    size_t changed = 0;
    for (size_t i = 0; i < before.size(); ++i)
        changed += before[i] != after[i];
    // Loose bounds on counts: the stream never runs ahead of its schedule,
    // and makes up for late ticks.
    EXPECT_LE(static_cast<double>(made), 1000.0 * seconds + 20);
    EXPECT_GE(static_cast<double>(made), 500.0 * seconds);
    EXPECT_LE(changed, made);
    EXPECT_GE(changed, made * 9 / 10) << "30 000 cells: few are hit twice";

    // The grid heard of the changes: some changed cell has a change age.
    int32_t withAge = 0;
    for (int32_t row = 0; row < TestGrid().GetRowCount() && !withAge; ++row)
        for (int32_t field = 1; field <= 10; ++field)
            if (before[row * 10 + field - 1] != after[row * 10 + field - 1]) {
                withAge += TestGrid().GetChangeAge(row, CGrid::kBodyList, nullptr, field) >= 0;
                break;
            }
    EXPECT_EQ(withAge, 1);
}

TEST_F(FrameTest, GuiSourceCatchesUpAfterTheGuiThreadWasBlocked)
{
    CMainFrame& frame = Start(100);
    Run(kCmdUpdateSettings, UpdateRunner(1000, 0));
    Pump(50);
    const uint64_t before = frame.GetTotalUpdateCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000)); // the GUI thread is busy
    EXPECT_EQ(frame.GetTotalUpdateCount(), before) << "the GUI source waits for its thread";
    frame.GenerateUpdates(0);
    const uint64_t burst = frame.GetTotalUpdateCount() - before;
    EXPECT_GE(burst, 990u) << "a second's worth at once";
    EXPECT_LT(burst, 1300u);
    frame.GenerateUpdates(1);
    EXPECT_EQ(frame.GetTotalUpdateCount() - before, burst) << "the other source does nothing";
}

TEST_F(FrameTest, TimerSourceRunsWhileTheGuiThreadIsBusy)
{
    CMainFrame& frame = Start(100);
    Run(kCmdUpdateSettings, UpdateRunner(5000, 1));
    EXPECT_EQ(LastLog().text, "Updates from non-GUI thead with frequency 5000 upd/sec. ");
    Pump(30);
    const uint64_t before = frame.GetTotalUpdateCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_GT(frame.GetTotalUpdateCount(), before) << "updates came from the timer thread";
    frame.GenerateUpdates(0);
    // Disabled, neither source does anything.
    frame.OnCommand(kCmdEnableUpdates);
    const uint64_t stopped = frame.GetTotalUpdateCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Pump(30);
    frame.GenerateUpdates(1);
    EXPECT_EQ(frame.GetTotalUpdateCount(), stopped);
}

TEST_F(FrameTest, AddRunRestartsTheUpdateSchedule)
{
    CMainFrame& frame = Start(100);
    Run(kCmdUpdateSettings, UpdateRunner(1000, 0));
    Pump(20);
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // 500 updates owed
    frame.AddItems(1, 1, false);                                 // drops them
    const uint64_t before = frame.GetTotalUpdateCount();
    frame.GenerateUpdates(0);
    EXPECT_LT(frame.GetTotalUpdateCount() - before, 100u);
}

// ---- The window's end ----

TEST_F(FrameTest, ClosingDuringAWorkerAddRunEndsTheRunAfterItsCurrentCall)
{
    CMainFrame& frame = Start(100);
    Run(kCmdAddItems, ItemsRunner("1000000", 1, 1));
    ASSERT_EQ(frame.GetWorkerRunsPosted(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return TestGrid().GetRowCount() > 600; }));
    const size_t lines = frame.GetLogLines().size();
    frame.close();
    EXPECT_TRUE(frame.IsDestroyed());
    EXPECT_EQ(frame.GetWorkerRunsFinished(), 1u);
    EXPECT_LT(frame.GetTestObjectCount(), 1000100) << "cut short";
    EXPECT_EQ(frame.GetLogLines().size(), lines) << "an interrupted run reports nothing";
    // Every object made has its row; the frame deletes both when it goes.
    EXPECT_EQ(TestGrid().GetRowCount(), frame.GetTestObjectCount());
    m_app.reset();
}

TEST_F(FrameTest, ClosingDuringAWorkerRemoveRunEndsPromptly)
{
    Start(20000);
    Run(kCmdRemoveItems, ItemsRunner("", 1, 1));
    Run(kCmdAddItems, ItemsRunner("10", 1, 1)); // queued behind: never runs once the window ends
    ASSERT_TRUE(PumpUntil([&] { return TestGrid().GetRowCount() < 19900; }));
    m_app->ExitInstance();
    EXPECT_EQ(m_app->GetMainFrame(), nullptr);
}

TEST_F(FrameTest, NoTimerCallbackReachesTheFrameAfterItsEnd)
{
    CMainFrame& frame = Start(1000);
    Run(kCmdUpdateSettings, UpdateRunner(1'000'000, 1));
    Pump(50);
    frame.OnDestroy();
    const uint64_t stopped = frame.GetTotalUpdateCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(frame.GetTotalUpdateCount(), stopped);
    // Destroying the frame right away is safe (AddressSanitizer watches).
    m_app.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

} // namespace
} // namespace Quellon
