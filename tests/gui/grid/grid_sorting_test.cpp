// Sorting: the introspective sort itself, placement of new rows, Sort and
// ClearSort, the sortable-lists mask, and Reposition after a value change
// (also from a worker thread: re-sorted on the GUI thread, notification 2,
// exact invalidation).

#include "tests/gui/grid/grid_test_support.h"

#include "gui/rows/item_sort.h"

#include <algorithm>
#include <random>

namespace Brivel::GUI::Testing {
namespace {

TEST(IntroSortTest, SortsLikeTheStandardSortAcrossSizesAndDuplicates)
{
    std::mt19937 random(7);
    for (int size : {0, 1, 2, 3, 15, 16, 17, 33, 100, 1000, 5000}) {
        for (int range : {3, 1000000}) {
            std::vector<int> values(static_cast<size_t>(size));
            for (int& v : values)
                v = static_cast<int>(random() % static_cast<unsigned>(range));
            std::vector<int> expected = values;
            std::sort(expected.begin(), expected.end());
            IntroSort(values.data(), values.data() + values.size(), [](int a, int b) { return a < b; });
            EXPECT_EQ(values, expected) << "size " << size << " range " << range;
        }
    }
}

TEST(IntroSortTest, SortedReversedAndOrganPipeInputs)
{
    for (int size : {17, 1000, 10000}) {
        std::vector<int> ascending(static_cast<size_t>(size));
        for (int i = 0; i < size; ++i)
            ascending[static_cast<size_t>(i)] = i;
        std::vector<int> reversed(ascending.rbegin(), ascending.rend());
        std::vector<int> pipe(ascending);
        std::reverse(pipe.begin() + size / 2, pipe.end());
        for (std::vector<int> input : {ascending, reversed, pipe}) {
            IntroSort(input.data(), input.data() + input.size(), [](int a, int b) { return a > b; });
            EXPECT_TRUE(std::is_sorted(input.begin(), input.end(), std::greater<>())) << size;
        }
    }
}

TEST(IntroSortTest, InconsistentComparisonStaysInsideTheRange)
{
    // Comparisons that call mixed kinds equal are not a strict weak order:
    // the sort must still end, keep every element, and touch nothing else.
    std::mt19937 random(3);
    std::vector<int> values(3000);
    for (int& v : values)
        v = static_cast<int>(random() % 100);
    std::vector<int> guarded(values.size() + 2, -1);
    std::copy(values.begin(), values.end(), guarded.begin() + 1);
    IntroSort(guarded.data() + 1, guarded.data() + 1 + values.size(), [](int a, int b) {
        if ((a % 3 == 0) != (b % 3 == 0))
            return false; // "different kinds": equal
        return a < b;
    });
    EXPECT_EQ(guarded.front(), -1);
    EXPECT_EQ(guarded.back(), -1);
    std::vector<int> after(guarded.begin() + 1, guarded.end() - 1);
    std::sort(after.begin(), after.end());
    std::sort(values.begin(), values.end());
    EXPECT_EQ(after, values);
}

class GridSortingTest : public GridTest {
protected:
    GridSortingTest()
    {
        header = MakeHeader({{CRowObject::kName, 80}, {CRowObject::kValue, 60}, {CRowObject::kOther, 60}});
        grid->SetHeader(header);
    }
    CRowObject* Object(int32_t value)
    {
        objects.push_back(std::make_unique<CRowObject>(value));
        return objects.back().get();
    }
    CGridItem* AddValue(int32_t value, CGridItem* parent = CGrid::kBodyRoot, CGridItem* position = CGrid::kTail)
    {
        return grid->Add(Object(value), parent, position);
    }
    static CRowObject& ObjectOf(CGridItem* item) { return *static_cast<CRowObject*>(item->GetDataObject()); }

    CHeader* header = nullptr; // Owned by the grid.
    std::vector<std::unique_ptr<CRowObject>> objects;
};

TEST_F(GridSortingTest, NewRowsArePlacedInOrderIgnoringThePosition)
{
    grid->SetSortKey(0, CSortInfo(CRowObject::kValue, false));
    AddValue(3);
    AddValue(1, CGrid::kBodyRoot, CGrid::kTail);
    AddValue(2, CGrid::kBodyRoot, CGrid::kHead);
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{1, 2, 3}));
    grid->SetSortKey(0, CSortInfo(CRowObject::kValue, true));
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{3, 2, 1}));
    AddValue(0, CGrid::kBodyRoot, CGrid::kHead);
    AddValue(4);
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{4, 3, 2, 1, 0}));
}

TEST_F(GridSortingTest, AnEqualRowGoesAfterTheExistingOne)
{
    grid->SetSortKey(0, CSortInfo(CRowObject::kValue, false));
    CGridItem* first = AddValue(5);
    AddValue(1);
    CGridItem* second = AddValue(5);
    EXPECT_EQ(RowsOf(*grid), (std::vector<CGridItem*>{RowsOf(*grid)[0], first, second}));
}

TEST_F(GridSortingTest, SecondKeyOrdersRowsEqualInTheFirst)
{
    grid->SetSortKey(0, CSortInfo(CRowObject::kValue, false), false);
    grid->SetSortKey(1, CSortInfo(CRowObject::kOther, true), false);
    EXPECT_EQ(grid->GetSortKeyCount(), 2);
    for (int i = 0; i < 6; ++i) {
        CRowObject* object = Object(i % 2);
        object->SetOther(i);
        grid->Add(object);
    }
    Pump(); // the announced values reach the grid (unsorted still)
    grid->Sort();
    std::vector<int32_t> others;
    for (CGridItem* item : RowsOf(*grid))
        others.push_back(ObjectOf(item).GetOther());
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{0, 0, 0, 1, 1, 1}));
    EXPECT_EQ(others, (std::vector<int32_t>{4, 2, 0, 5, 3, 1}));
    for (CGridItem* item : RowsOf(*grid))
        EXPECT_EQ(item->GetSortValues().size(), 2u); // one slot a key
}

TEST_F(GridSortingTest, ClearSortKeepsTheCurrentOrder)
{
    grid->SetSortKey(0, CSortInfo(CRowObject::kValue, true));
    AddValue(1);
    AddValue(3);
    AddValue(2);
    EXPECT_EQ(RowsOf(*grid)[0]->GetSortValues().size(), 1u);
    grid->ClearSort(true);
    EXPECT_EQ(grid->GetSortKeyCount(), 0);
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{3, 2, 1}));
    for (CGridItem* item : RowsOf(*grid))
        EXPECT_TRUE(item->GetSortValues().empty()); // unsorted rows hold no sort values
    AddValue(9); // unsorted: the tail
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{3, 2, 1, 9}));
}

TEST_F(GridSortingTest, SortableListsMaskLeavesOtherListsAlone)
{
    grid->SetSortableLists(CGrid::kBodyMask);
    AddValue(2, CGrid::kPinnedRoot);
    AddValue(1, CGrid::kPinnedRoot);
    AddValue(2);
    AddValue(1);
    grid->SetSortKey(0, CSortInfo(CRowObject::kValue, false));
    EXPECT_EQ(ValuesOf(*grid, CGrid::kPinnedList), (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(ValuesOf(*grid, CGrid::kBodyList), (std::vector<int32_t>{1, 2}));
}

TEST_F(GridSortingTest, HeaderSortChangeResortsAndNotifiesAfterwards)
{
    AddValue(2);
    AddValue(1);
    recorder.Clear();
    std::vector<int32_t> seen;
    recorder.onRecord = [&](const CNotifyRecorder::Record& record) {
        if (record.code == kNotifySortChanged)
            seen = ValuesOf(*grid);
    };
    header->SetSortInfo(0, CSortInfo(CRowObject::kValue, false)); // as a click on the column would
    EXPECT_EQ(recorder.CountOf(kNotifySortChanged), 1);
    EXPECT_EQ(seen, (std::vector<int32_t>{1, 2}));
}

TEST_F(GridSortingTest, SortKeepsTheFocusOnItsItemAndAMoveClearsIt)
{
    CGridItem* two = AddValue(2);
    AddValue(1);
    Impl().SetFocusRow(*Impl().ListOfKind(CGrid::kBodyList), 0);
    grid->SetSortKey(0, CSortInfo(CRowObject::kValue, false));
    EXPECT_EQ(grid->GetFocusRow(), 1);
    EXPECT_EQ(grid->GetItem(1), two);
    ObjectOf(two).SetValue(0);
    EXPECT_TRUE(PumpUntil([&] { return grid->GetItem(0) == two; }));
    EXPECT_EQ(grid->GetFocusRow(), -1);
}

TEST_F(GridSortingTest, AMovedRowTakesItsExpandedSubtreeAndKeepsTheOthersInOrder)
{
    grid->SetSortKey(0, CSortInfo(CRowObject::kValue, false));
    for (int i = 0; i < 20; ++i)
        AddValue(i * 10);
    CGridItem* moving = grid->GetItem(2); // value 20
    CGridItem* childB = AddValue(2, moving);
    CGridItem* childA = AddValue(1, moving);
    moving->Expand();
    ASSERT_EQ(grid->GetRowIndex(childA), 3);
    std::vector<CGridItem*> before = RowsOf(*grid);
    recorder.Clear();
    ObjectOf(moving).SetValue(125);
    ASSERT_TRUE(PumpUntil([&] { return recorder.CountOf(kNotifyItemMoved) == 1; }));
    std::vector<CGridItem*> rows = RowsOf(*grid);
    // After 120 (row 12 before the move), with its children in their order.
    const int32_t row = grid->GetRowIndex(moving);
    EXPECT_EQ(ObjectOf(rows[static_cast<size_t>(row - 1)]).GetValue(), 120);
    EXPECT_EQ(rows[static_cast<size_t>(row + 1)], childA);
    EXPECT_EQ(rows[static_cast<size_t>(row + 2)], childB);
    EXPECT_EQ(ObjectOf(rows[static_cast<size_t>(row + 3)]).GetValue(), 130);
    // Everything else kept its relative order.
    std::vector<CGridItem*> othersBefore, othersAfter;
    for (CGridItem* item : before)
        if (item != moving && item->GetParent() != moving)
            othersBefore.push_back(item);
    for (CGridItem* item : rows)
        if (item != moving && item->GetParent() != moving)
            othersAfter.push_back(item);
    EXPECT_EQ(othersBefore, othersAfter);
    // A change that keeps the order moves nothing.
    recorder.Clear();
    ObjectOf(moving).SetValue(126);
    Pump(10);
    EXPECT_EQ(recorder.CountOf(kNotifyItemMoved), 0);
    EXPECT_EQ(recorder.CountOf(kNotifyDataChanged), 1);
}

TEST_F(GridSortingTest, RandomChangesKeepTheListSortedAndConsistent)
{
    grid->SetSortKey(0, CSortInfo(CRowObject::kValue, true));
    std::mt19937 random(21);
    for (int i = 0; i < 300; ++i)
        AddValue(static_cast<int32_t>(random() % 50)); // many equal values
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 50; ++i)
            objects[random() % objects.size()]->SetValue(static_cast<int32_t>(random() % 50));
        Pump();
        const std::vector<int32_t> values = ValuesOf(*grid);
        ASSERT_TRUE(std::is_sorted(values.begin(), values.end(), std::greater<>())) << "round " << round;
        ASSERT_EQ(Impl().ListOfKind(CGrid::kBodyList)->CheckInvariantsForTesting(), "");
    }
    EXPECT_EQ(grid->GetRowCount(), 300);
}

TEST_F(GridSortingTest, WorkerChangeIsResortedOnTheGuiThreadWithExactInvalidation)
{
    grid->SetSortKey(0, CSortInfo(CRowObject::kValue, false));
    for (int i = 0; i < 6; ++i)
        AddValue(i * 10);
    Pump(20);
    const QRect client = Impl().ClientRect().ToQRect();
    const int32_t top = header->GetHeight(); // no pinned rows: the body starts under the header
    const int32_t height = grid->GetListRowHeight();
    CGridItem* moving = grid->GetItem(0);
    std::thread::id movedOn;
    recorder.Clear();
    recorder.onRecord = [&](const CNotifyRecorder::Record& record) {
        if (record.code == kNotifyItemMoved)
            movedOn = std::this_thread::get_id();
    };
    Impl().GetPacer().StartRecordingInvalidation();
    std::thread worker([&] { ObjectOf(moving).SetValue(35); });
    worker.join();
    ASSERT_TRUE(PumpUntil([&] { return recorder.CountOf(kNotifyDataChanged) == 1; }));
    EXPECT_EQ(grid->GetRowIndex(moving), 3);
    EXPECT_EQ(recorder.CountOf(kNotifyItemMoved), 1);
    EXPECT_EQ(movedOn, std::this_thread::get_id());
    // Rows 0..3 shifted; rows 4 and 5 did not.
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(QRect(client.left(), top, client.width(), 4 * height)));

    // A field that is no key: only its cell, and nothing moves.
    recorder.Clear();
    std::thread other([&] { ObjectOf(moving).SetOther(7); });
    other.join();
    ASSERT_TRUE(PumpUntil([&] { return recorder.CountOf(kNotifyDataChanged) == 1; }));
    EXPECT_EQ(recorder.CountOf(kNotifyItemMoved), 0);
    const Platform::CRect column = header->GetColumnRect(nullptr, CRowObject::kOther);
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(QRect(column.left, top + 3 * height, column.Width(), height)));
}

} // namespace
} // namespace Brivel::GUI::Testing
