// CGridItem: the item step of a data change (change times on the process
// clock, highlight records, hand-over to the owner), change ages, and the
// binding of data objects through the registry.

#include "gui/rows/grid_item.h"

#include "common/process_clock.h"
#include "gui/rows/data_object_registry.h"
#include "tests/gui/rows/row_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <climits>

namespace Brivel::GUI {
namespace {

using Common::SetProcessClockForTesting;
using Common::AdvanceProcessClockForTesting;
using Testing::CFakeOwner;
using Testing::CProbeObject;

class GridItemChangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetProcessClockForTesting(1000);
        m_item = CGridItem::Create();
        ASSERT_TRUE(m_owner.body.InsertChild(nullptr, CRowList::kTail, m_item, true));
    }
    void TearDown() override { Common::ResetProcessClockForTesting(); }

    CFakeOwner m_owner;
    CGridItem* m_item = nullptr;
};

TEST_F(GridItemChangeTest, FieldChangesKeepOneSortedRecordPerField)
{
    m_item->OnDataChanged(7);
    AdvanceProcessClockForTesting(5);
    m_item->OnDataChanged(7);
    m_item->OnDataChanged(3);
    m_item->OnDataChanged(12);
    const auto records = m_item->GetHighlightRecords();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].fieldId, 3);
    EXPECT_EQ(records[1].fieldId, 7);
    EXPECT_EQ(records[1].lastChangeTime, 1005); // the later of the two changes
    EXPECT_EQ(records[1].expiry, -1);
    EXPECT_EQ(records[2].fieldId, 12);
    EXPECT_EQ(m_item->GetRowChangeTime(), CGridItem::kNever);
    // Every change reaches the grid's step, in order.
    ASSERT_EQ(m_owner.dataChanges.size(), 4u);
    EXPECT_EQ(m_owner.dataChanges[3].fieldId, 12);
    EXPECT_EQ(m_owner.dataChanges[3].item, m_item);
}

TEST_F(GridItemChangeTest, RecordsGrowThroughEveryCapacityUpToTheirLimit)
{
    // 4, 8, ... 32 768, then the limit: every field kept, in order, until
    // the limit, and nothing past it.
    const int32_t fields = CGridItem::kMaxHighlightRecords + 10;
    for (int32_t field = 2 * (fields / 2) - 1; field > 0; field -= 2) // odd ones, descending
        m_item->OnDataChanged(field);
    for (int32_t field = 0; field < fields; field += 2) // even ones, ascending
        m_item->OnDataChanged(field);
    const auto records = m_item->GetHighlightRecords();
    ASSERT_EQ(records.size(), static_cast<size_t>(CGridItem::kMaxHighlightRecords));
    EXPECT_TRUE(std::is_sorted(records.begin(), records.end(),
                               [](const HighlightRecord& a, const HighlightRecord& b) { return a.fieldId < b.fieldId; }));
    EXPECT_EQ(std::adjacent_find(records.begin(), records.end(),
                                 [](const HighlightRecord& a, const HighlightRecord& b) { return a.fieldId == b.fieldId; }),
              records.end());
}

TEST_F(GridItemChangeTest, RowChangesAndAges)
{
    EXPECT_EQ(m_item->GetChangeAge(4, 1000), -1); // never changed
    m_item->OnDataChanged(CGridItem::kAllFields);
    EXPECT_EQ(m_item->GetRowChangeTime(), 1000);
    EXPECT_TRUE(m_item->GetHighlightRecords().empty());
    // A field without a record of its own answers with the row's age.
    EXPECT_EQ(m_item->GetChangeAge(4, 1250), 250);
    AdvanceProcessClockForTesting(100);
    m_item->OnDataChanged(4);
    EXPECT_EQ(m_item->GetChangeAge(4, 1250), 150);
    EXPECT_EQ(m_item->GetChangeAge(CGridItem::kAllFields, 1250), 250);
    EXPECT_EQ(m_item->GetChangeAge(CGridItem::kNoFieldSet, 1250), 250);
    EXPECT_EQ(m_item->GetChangeAge(4, 900), 0); // a clock set back gives no negative age

    // -2 records no time at all, but still reaches the grid's step.
    m_owner.ClearRecords();
    m_item->OnDataChanged(CGridItem::kNoFieldSet);
    EXPECT_EQ(m_item->GetHighlightRecords().size(), 1u);
    EXPECT_EQ(m_item->GetRowChangeTime(), 1000);
    EXPECT_EQ(m_owner.dataChanges.size(), 1u);
}

TEST_F(GridItemChangeTest, TheRowsTimesStayApartFromEveryFieldsRecord)
{
    m_item->SetRowHighlightExpiry(CGridItem::kNever); // nothing to keep: nothing made
    EXPECT_EQ(m_item->GetRowHighlightExpiry(), CGridItem::kNever);
    m_item->OnDataChanged(INT32_MIN); // a field with the lowest id of all
    m_item->OnDataChanged(-7);
    m_item->SetRowHighlightExpiry(4000);
    AdvanceProcessClockForTesting(10);
    m_item->OnDataChanged(CGridItem::kAllFields);
    m_item->OnDataChanged(INT32_MIN);
    EXPECT_EQ(m_item->GetRowChangeTime(), 1010);
    EXPECT_EQ(m_item->GetRowHighlightExpiry(), 4000);
    const auto records = m_item->GetHighlightRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], (HighlightRecord{INT32_MIN, 1010, CGridItem::kNever}));
    EXPECT_EQ(records[1].fieldId, -7);
    EXPECT_EQ(m_item->FindHighlightRecord(INT32_MIN), &records[0]);
    m_item->SetRowHighlightExpiry(CGridItem::kNever);
    EXPECT_EQ(m_item->GetRowHighlightExpiry(), CGridItem::kNever);
    EXPECT_EQ(m_item->GetRowChangeTime(), 1010);
}

TEST(RowExtrasTest, SortValuesAndRecordsShareOneBlockAndKeepEachOther)
{
    CRowExtras extras;
    EXPECT_TRUE(extras.SortValues().empty());
    EXPECT_EQ(extras.RecordCapacity(), 0);
    extras.ResetSortValues(2);
    extras.SortValues()[0] = Common::CFieldValue(std::string(40, 'x')); // a value that owns memory
    extras.SortValues()[1] = Common::CFieldValue(int32_t{7});
    extras.GrowRecords(4);
    extras.Records()[0] = HighlightRecord{3, 10, 20};
    extras.SetRecordCount(1);
    extras.GrowRecords(8); // the values move across, the record and its count are copied
    ASSERT_EQ(extras.SortValues().size(), 2u);
    EXPECT_TRUE(extras.SortValues()[0].IsEqual(Common::CFieldValue(std::string(40, 'x'))));
    EXPECT_TRUE(extras.SortValues()[1].IsEqual(Common::CFieldValue(int32_t{7})));
    EXPECT_EQ(extras.RecordCapacity(), 8);
    EXPECT_EQ(extras.RecordCount(), 1);
    EXPECT_EQ(extras.Records()[0], (HighlightRecord{3, 10, 20}));
    extras.ResetSortValues(5); // fresh values, the records kept
    EXPECT_EQ(extras.SortValues().size(), 5u);
    EXPECT_TRUE(extras.SortValues()[0].IsEqual(Common::CFieldValue()));
    EXPECT_EQ(extras.Records()[0], (HighlightRecord{3, 10, 20}));
    EXPECT_EQ(extras.RecordCount(), 1);
    CRowExtras sortedOnly;
    sortedOnly.ResetSortValues(3);
    sortedOnly.ResetSortValues(0); // neither left: no block
    EXPECT_EQ(sortedOnly.Address(), nullptr);

    // A children list's address stays through the block's changes and keeps
    // the block alive on its own.
    int list = 0;
    CRowExtras parent;
    ASSERT_TRUE(parent.SetChildren(&list));
    parent.ResetSortValues(2);
    parent.GrowRecords(4);
    parent.ResetSortValues(0);
    EXPECT_EQ(parent.Children(), &list);
    ASSERT_TRUE(parent.SetChildren(nullptr));
    EXPECT_EQ(parent.RecordCapacity(), 4);
    CRowExtras childrenOnly;
    ASSERT_TRUE(childrenOnly.SetChildren(&list));
    ASSERT_TRUE(childrenOnly.SetChildren(nullptr)); // nothing else: no block
    EXPECT_EQ(childrenOnly.Address(), nullptr);
}

TEST_F(GridItemChangeTest, AgesAcrossTheClockWrap)
{
    SetProcessClockForTesting(INT32_MAX - 10);
    m_item->OnDataChanged(1);
    EXPECT_EQ(m_item->GetChangeAge(1, Common::ProcessClockAdd(INT32_MAX - 10, 40)), 40);
}

TEST_F(GridItemChangeTest, ExpiriesInsertRecordsAtTheirPlace)
{
    m_item->OnDataChanged(5);
    HighlightRecord* record = m_item->SetFieldHighlightExpiry(2, 1000, 3000);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(*record, (HighlightRecord{2, 1000, 3000}));
    EXPECT_EQ(m_item->SetFieldHighlightExpiry(5, 1200, 2200)->lastChangeTime, 1000); // kept
    EXPECT_EQ(m_item->GetHighlightRecords()[0].fieldId, 2);
    EXPECT_EQ(m_item->FindHighlightRecord(9), nullptr);
    // Many fields: the records grow past their first allocation and stay sorted.
    for (int32_t field = 100; field > 60; --field)
        m_item->OnDataChanged(field);
    const auto records = m_item->GetHighlightRecords();
    ASSERT_EQ(records.size(), 42u);
    for (size_t i = 1; i < records.size(); ++i)
        ASSERT_LT(records[i - 1].fieldId, records[i].fieldId);
}

TEST_F(GridItemChangeTest, OnlyAttachedRowsWithAParentReachTheGrid)
{
    CGridItem* detached = CGridItem::Create();
    detached->OnDataChanged(1);
    EXPECT_EQ(detached->GetHighlightRecords().size(), 1u); // the item step still runs
    EXPECT_TRUE(m_owner.dataChanges.empty());
    m_owner.body.GetRoot()->OnDataChanged(1);
    EXPECT_TRUE(m_owner.dataChanges.empty());
    CRowList::DestroyItem(detached);
}

// ---- Bindings ----

class GridItemBindingTest : public ::testing::Test {
protected:
    CDataObjectRegistry& m_registry = CDataObjectRegistry::GetInstance();
};

TEST_F(GridItemBindingTest, SetDataObjectRebindsThroughTheRegistry)
{
    CProbeObject first;
    CProbeObject second;
    CGridItem* item = CGridItem::Create(&first);
    EXPECT_EQ(item->GetDataObject(), &first);
    EXPECT_TRUE(m_registry.HasBinding(&first, item));
    EXPECT_EQ(first.GetSubscriberCountForTesting(), 1u);

    // Unchanged: nothing happens (a second binding would keep `first` bound
    // below).
    EXPECT_TRUE(item->SetDataObject(&first));
    EXPECT_TRUE(item->SetDataObject(&second));
    EXPECT_FALSE(m_registry.IsBound(&first));
    EXPECT_EQ(first.GetSubscriberCountForTesting(), 0u);
    EXPECT_TRUE(m_registry.HasBinding(&second, item));
    CRowList::DestroyItem(item);
    EXPECT_FALSE(m_registry.IsBound(&second));
    EXPECT_EQ(second.GetSubscriberCountForTesting(), 0u);
}

TEST_F(GridItemBindingTest, DetachDataObjectsClearsTheWholeSubtree)
{
    CProbeObject object;
    CFakeOwner owner;
    CGridItem* parent = CGridItem::Create(&object);
    CGridItem* child = CGridItem::Create(&object);
    CGridItem* grandchild = CGridItem::Create(&object);
    ASSERT_TRUE(owner.body.InsertChild(nullptr, 0, parent, true));
    ASSERT_TRUE(owner.body.InsertChild(parent, 0, child, true));
    ASSERT_TRUE(owner.body.InsertChild(child, 0, grandchild, true));
    EXPECT_GE(m_registry.GetBindingCount(), 3u);
    EXPECT_EQ(object.GetSubscriberCountForTesting(), 1u);
    parent->DetachDataObjects();
    EXPECT_EQ(grandchild->GetDataObject(), nullptr);
    EXPECT_FALSE(m_registry.IsBound(&object));
    EXPECT_EQ(object.GetSubscriberCountForTesting(), 0u);
}

} // namespace
} // namespace Brivel::GUI
