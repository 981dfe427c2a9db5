// Rows entering and leaving the grid: parent and position handles, sorted
// placement, removal notifications and the top row, Clear, FindItems,
// RemoveObject, Attach and Detach, and objects deleted while shown.

#include "tests/gui/grid/grid_test_support.h"

#include "gui/rows/data_object_registry.h"

#include <array>

namespace Brivel::GUI::Testing {
namespace {

class GridInsertionTest : public GridTest {
protected:
    CRowObject* Object(int32_t value)
    {
        objects.push_back(std::make_unique<CRowObject>(value));
        return objects.back().get();
    }
    CGridItem* AddValue(int32_t value, CGridItem* parent = CGrid::kBodyRoot, CGridItem* position = CGrid::kTail)
    {
        return grid->Add(Object(value), parent, position);
    }

    // Deleted before the grid: their rows go with them.
    std::vector<std::unique_ptr<CRowObject>> objects;
};

TEST_F(GridInsertionTest, PositionHandlesPlaceTopLevelRows)
{
    AddValue(1);
    AddValue(2, CGrid::kBodyRoot, nullptr);        // 0: tail
    AddValue(0, CGrid::kBodyRoot, CGrid::kHead);   // head
    AddValue(3, CGrid::kBodyRoot, CGrid::kBodyRoot);
    AddValue(4, CGrid::kBodyRoot, CGrid::kPinnedRoot);
    CGridItem* second = grid->GetItem(1);
    AddValue(9, CGrid::kBodyRoot, second); // right after it
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{0, 1, 9, 2, 3, 4}));
    // Pinned rows go to their own list.
    AddValue(7, CGrid::kPinnedRoot);
    EXPECT_EQ(ValuesOf(*grid, CGrid::kPinnedList), std::vector<int32_t>{7});
    EXPECT_EQ(grid->GetRowCount(CGrid::kBodyList), 6);
    EXPECT_EQ(grid->GetRowCount(3), 0);
}

TEST_F(GridInsertionTest, ChildPositionsAndDeeperPositionItems)
{
    CGridItem* parent = AddValue(100);
    CGridItem* a = AddValue(1, parent);
    CGridItem* b = AddValue(2, parent);
    CGridItem* deep = AddValue(10, a); // a's child
    AddValue(0, parent, parent);       // the parent itself: head
    AddValue(5, parent, deep);         // after the child of parent that holds `deep` (a)
    std::vector<int32_t> children;
    for (CGridItem* child : parent->GetChildren())
        children.push_back(static_cast<CRowObject*>(child->GetDataObject())->GetValue());
    EXPECT_EQ(children, (std::vector<int32_t>{0, 1, 5, 2}));
    EXPECT_EQ(b->GetParent(), parent);
    // A position item that is not under the parent means the tail.
    CGridItem* other = AddValue(200);
    AddValue(6, parent, other);
    EXPECT_EQ(static_cast<CRowObject*>(parent->GetChild(parent->GetChildCount() - 1)->GetDataObject())->GetValue(), 6);
}

TEST_F(GridInsertionTest, BadParentsFailAndLeaveNothingBound)
{
    CRowObject object(1);
    EXPECT_EQ(grid->Add(&object, CGrid::kHead), nullptr);
    EXPECT_EQ(grid->Add(&object, CGrid::kTail), nullptr);
    EXPECT_EQ(grid->Add(&object, nullptr), nullptr);
    CGrid other(&parent);
    CGridItem* foreign = other.Add(Object(2));
    EXPECT_EQ(grid->Add(&object, foreign), nullptr); // another grid's item
    // Reserved handles that name no list, and the first page: refused, never followed.
    for (const uintptr_t reserved : {uintptr_t{0xFFFF0004}, uintptr_t{0xFFFFFFFF}, uintptr_t{0x10}}) {
        CGridItem* const handle = reinterpret_cast<CGridItem*>(reserved);
        EXPECT_EQ(grid->Add(&object, handle), nullptr);
        EXPECT_FALSE(grid->Remove(handle));
        EXPECT_FALSE(grid->SelectItem(handle));
        EXPECT_FALSE(grid->SetCellText(handle, CRowObject::kValue, "1", nullptr, true));
    }
    EXPECT_EQ(grid->GetRowCount(), 0);
    std::vector<CGridItem*> found;
    grid->FindItems(&object, found);
    EXPECT_TRUE(found.empty());
    EXPECT_FALSE(CDataObjectRegistry::GetInstance().IsBound(&object));
}

// Every operation that takes an item, given a handle it must not follow.
// Counts the calls that did not refuse.
int32_t AcceptedBadHandleCalls(CGrid& grid, CGridItem* bad, Common::CDataObject* object)
{
    int32_t accepted = 0;
    accepted += grid.Add(object, bad) != nullptr;
    accepted += grid.Add(object, CGrid::kBodyRoot, bad) != nullptr;
    accepted += grid.Attach(bad);
    accepted += grid.Detach(bad);
    accepted += grid.Remove(bad);
    accepted += grid.GetRowIndex(bad) != -1;
    accepted += grid.SelectItem(bad);
    accepted += grid.IsItemSelected(bad);
    accepted += grid.Expand(bad);
    accepted += grid.Collapse(bad);
    accepted += grid.GetChangeAge(-1, 0, bad, CRowObject::kValue) != -1;
    grid.SetHighlightExpiry(-1, 0, bad, CRowObject::kValue, 100);
    grid.SetRowHighlightExpiry(-1, 0, bad, 100);
    grid.MarkChanged(-1, 0, bad, CRowObject::kValue);
    accepted += grid.GetRowHeight(bad) != 0;
    accepted += grid.SetRowHeight(bad, 30);
    accepted += !grid.GetCellValue(bad, CRowObject::kValue).IsEqual(Common::CFieldValue{});
    accepted += !grid.GetCellText(bad, CRowObject::kValue).empty();
    accepted += grid.SetCellText(bad, CRowObject::kValue, "1", nullptr, true);
    accepted += grid.StartEdit(bad, CRowObject::kValue);
    grid.EnsureVisible(-1, bad);
    return accepted;
}

TEST_F(GridInsertionTest, HandlesOfRemovedRowsOtherGridsAndNonItemsAreRefusedFromAnyThread)
{
    AddValue(1);
    CGridItem* removed = AddValue(2);
    ASSERT_TRUE(grid->Remove(removed)); // freed: the handle dangles
    CGrid other(&parent);
    CGridItem* foreign = other.Add(Object(3));
    auto junk = std::make_unique<std::array<uint64_t, 64>>();
    junk->fill(~uint64_t{0}); // followed as an item, this would crash
    CGridItem* const notAnItem = reinterpret_cast<CGridItem*>(junk->data());

    CRowObject object(9);
    for (CGridItem* bad : {removed, foreign, notAnItem}) {
        EXPECT_EQ(AcceptedBadHandleCalls(*grid, bad, &object), 0);
        int32_t fromWorker = -1;
        RunOnWorker([&] { fromWorker = AcceptedBadHandleCalls(*grid, bad, &object); });
        EXPECT_EQ(fromWorker, 0);
    }
    EXPECT_EQ(ValuesOf(*grid), std::vector<int32_t>{1});
    EXPECT_FALSE(CDataObjectRegistry::GetInstance().IsBound(&object));
    EXPECT_EQ(other.GetRowCount(), 1);
    EXPECT_EQ(foreign->GetRowHeight(), other.GetListRowHeight(CGrid::kBodyList));
}

TEST_F(GridInsertionTest, RemovalReportsTheSubtreeChildrenFirstLastChildFirst)
{
    CGridItem* root = AddValue(0);
    CGridItem* a = AddValue(1, root);
    CGridItem* a1 = AddValue(11, a);
    CGridItem* b = AddValue(2, root);
    recorder.Clear();
    EXPECT_TRUE(grid->Remove(root));
    std::vector<CGridItem*> removed;
    for (const auto& record : recorder.records)
        if (record.code == kNotifyItemRemoving)
            removed.push_back(record.item);
    EXPECT_EQ(removed, (std::vector<CGridItem*>{b, a1, a, root}));
    EXPECT_EQ(grid->GetRowCount(), 0);
    EXPECT_EQ(grid->GetTopRow(), -1);
    EXPECT_FALSE(grid->Remove(nullptr));
    EXPECT_FALSE(grid->Remove(CGrid::kBodyRoot));
}

TEST_F(GridInsertionTest, RemovingAtTheLastPageKeepsTheTopRowInRange)
{
    grid->SetListRowHeight(CGrid::kBodyList, 20);
    for (int i = 0; i < 10; ++i)
        AddValue(i);
    Pump();
    grid->SetTopRow(9);
    ASSERT_EQ(grid->GetTopRow(), 9);
    EXPECT_TRUE(grid->RemoveAt(9, CGrid::kBodyMask));
    EXPECT_EQ(grid->GetTopRow(), 8);
    EXPECT_FALSE(grid->RemoveAt(42, CGrid::kBothLists));
    EXPECT_EQ(grid->GetRowCount(), 9);
}

TEST_F(GridInsertionTest, RemoveAtChoosesListsByMask)
{
    AddValue(1);
    AddValue(2, CGrid::kPinnedRoot);
    EXPECT_TRUE(grid->RemoveAt(0, CGrid::kPinnedMask));
    EXPECT_EQ(grid->GetRowCount(CGrid::kPinnedList), 0);
    EXPECT_EQ(grid->GetRowCount(CGrid::kBodyList), 1);
    AddValue(3, CGrid::kPinnedRoot);
    EXPECT_TRUE(grid->RemoveAt(0, CGrid::kBothLists));
    EXPECT_EQ(grid->GetRowCount(CGrid::kPinnedList) + grid->GetRowCount(CGrid::kBodyList), 0);
}

TEST_F(GridInsertionTest, ClearEmptiesTheChosenListsAndKeepsTheHeaderSort)
{
    grid->SetHeader(MakeHeader({{CRowObject::kValue, 50}}));
    grid->SetSortKey(0, CSortInfo(CRowObject::kValue, false));
    AddValue(1);
    AddValue(2, CGrid::kPinnedRoot);
    recorder.Clear();
    EXPECT_TRUE(grid->Clear(CGrid::kBodyMask));
    EXPECT_EQ(recorder.CountOf(kNotifyItemRemoving), 1);
    EXPECT_EQ(grid->GetRowCount(CGrid::kBodyList), 0);
    EXPECT_EQ(grid->GetRowCount(CGrid::kPinnedList), 1);
    EXPECT_EQ(grid->GetTopRow(), -1);
    // The keys came back from the header: new rows are placed in order.
    AddValue(3);
    AddValue(1);
    AddValue(2);
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_FALSE(grid->Clear(0));
}

TEST_F(GridInsertionTest, FindItemsAndRemoveObject)
{
    CRowObject* shared = Object(5);
    CGridItem* top = grid->Add(shared);
    CGridItem* child = grid->Add(shared, top);
    CGridItem* pinned = grid->Add(shared, CGrid::kPinnedRoot);
    top->Collapse();
    std::vector<CGridItem*> found;
    grid->FindItems(shared, found);
    EXPECT_EQ(found.size(), 3u);
    found.clear();
    grid->FindItems(shared, found, true, CGrid::kBodyMask);
    EXPECT_EQ(found, std::vector<CGridItem*>{top}); // the child is hidden
    found.clear();
    grid->FindItems(shared, found, false, CGrid::kPinnedMask);
    EXPECT_EQ(found, std::vector<CGridItem*>{pinned});
    // Another grid's rows of the same object are not this grid's.
    CGrid other(&parent);
    other.Add(shared);
    EXPECT_EQ(grid->RemoveObject(shared), 3); // the child went with its parent, found all the same
    EXPECT_EQ(grid->GetRowCount(CGrid::kBodyList) + grid->GetRowCount(CGrid::kPinnedList), 0);
    EXPECT_EQ(other.GetRowCount(), 1);
    static_cast<void>(child);
}

TEST_F(GridInsertionTest, DetachKeepsTheItemForAttach)
{
    CGridItem* a = AddValue(1);
    CGridItem* b = AddValue(2);
    AddValue(3, b);
    recorder.Clear();
    EXPECT_TRUE(grid->Detach(b));
    EXPECT_EQ(recorder.Codes().front(), kNotifyItemDetached);
    EXPECT_EQ(grid->GetRowCount(), 1);
    EXPECT_FALSE(b->IsAttached());
    EXPECT_FALSE(grid->Detach(b)); // a detached item
    EXPECT_TRUE(grid->Attach(b, CGrid::kBodyRoot, CGrid::kHead));
    EXPECT_EQ(recorder.Codes().back(), kNotifyItemAttached);
    EXPECT_EQ(RowsOf(*grid).front(), b);
    EXPECT_EQ(b->GetChildCount(), 1); // with its subtree
    EXPECT_EQ(grid->GetRowCount(), 2); // collapsed, as it was
    EXPECT_FALSE(grid->Attach(b)); // already in
    EXPECT_FALSE(grid->Attach(a));
    // An item without a data object is refused.
    CGridItem* bare = CGridItem::Create(nullptr);
    EXPECT_FALSE(grid->Attach(bare));
    CRowList::DestroyItem(bare);
}

TEST_F(GridInsertionTest, DeletedObjectTakesItsRowsAlong)
{
    auto object = std::make_unique<CRowObject>(4);
    CGridItem* item = grid->Add(object.get());
    AddValue(5);
    recorder.Clear();
    object.reset();
    EXPECT_EQ(grid->GetRowCount(), 1);
    ASSERT_EQ(recorder.CountOf(kNotifyItemRemoving), 1);
    EXPECT_EQ(recorder.records[0].item, item);
}

TEST_F(GridInsertionTest, RemovalsPostOneLayoutUpdate)
{
    for (int i = 0; i < 50; ++i)
        AddValue(i);
    Pump(20);
    for (int i = 0; i < 40; ++i)
        grid->RemoveAt(0);
    EXPECT_EQ(Impl().VerticalScrollBar()->maximum() > 0, true); // not laid out per removal
    EXPECT_TRUE(PumpUntil([&] { return Impl().VerticalScrollBar()->maximum() == 0; }));
}

} // namespace
} // namespace Brivel::GUI::Testing
