// Change handling on the GUI thread and the highlight state: change times,
// ages, exact invalidation of the changed cells or row, expiries and the one
// highlight timer, bounded by the on-screen rows. The process clock is frozen
// by each test, so times are exact.

#include "tests/gui/grid/grid_test_support.h"

#include "common/process_clock.h"
#include "gui/rows/row_filter.h"

namespace Brivel::GUI::Testing {
namespace {

constexpr int32_t kStart = 100000;

class GridChangesTest : public GridTest {
protected:
    GridChangesTest()
    {
        Common::SetProcessClockForTesting(kStart);
        header = MakeHeader({{CRowObject::kName, 80}, {CRowObject::kValue, 60}, {CRowObject::kOther, 60}});
        grid->SetHeader(header);
        grid->SetListRowHeight(CGrid::kBodyList, 20);
        for (int i = 0; i < 30; ++i) {
            objects.push_back(std::make_unique<CRowObject>(i));
            grid->Add(objects.back().get());
        }
        Pump(20);
        Impl().GetPacer().StartRecordingInvalidation();
    }
    ~GridChangesTest() override { Common::ResetProcessClockForTesting(); }

    QRect RowRect(int32_t row) const
    {
        const QRect client = grid->GetImpl().ClientRect().ToQRect();
        return QRect(client.left(), header->GetHeight() + (row - grid->GetTopRow()) * 20, client.width(), 20);
    }
    QRect CellRect(int32_t row, int32_t field) const
    {
        const Platform::CRect column = header->GetColumnRect(nullptr, field);
        return QRect(column.left, RowRect(row).top(), column.Width(), 20);
    }
    // Delivers pending changes.
    void Deliver(int expectedChanges)
    {
        ASSERT_TRUE(PumpUntil([&] { return recorder.CountOf(kNotifyDataChanged) >= expectedChanges; }));
    }

    CHeader* header = nullptr; // Owned by the grid.
    std::vector<std::unique_ptr<CRowObject>> objects;
};

TEST_F(GridChangesTest, FieldChangeRecordsItsTimeAndInvalidatesItsCell)
{
    objects[2]->SetOther(5);
    Deliver(1);
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(CellRect(2, CRowObject::kOther)));
    CGridItem* item = grid->GetItem(2);
    EXPECT_EQ(grid->GetChangeAge(2, CGrid::kBodyList, nullptr, CRowObject::kOther), 0);
    Common::AdvanceProcessClockForTesting(250);
    EXPECT_EQ(grid->GetChangeAge(-1, 0, item, CRowObject::kOther), 250);
    // The row itself never changed, and neither did the other field.
    EXPECT_EQ(grid->GetChangeAge(-1, 0, item, CGridItem::kAllFields), -1);
    EXPECT_EQ(grid->GetChangeAge(-1, 0, item, CRowObject::kValue), -1);
    EXPECT_EQ(recorder.records.back().item, item);
}

TEST_F(GridChangesTest, TwoChangesKeepOneRecordWithTheLaterTime)
{
    objects[1]->SetValue(7);
    Deliver(1);
    Common::AdvanceProcessClockForTesting(5);
    objects[1]->SetValue(8);
    Deliver(2);
    const CGridItem* item = grid->GetItem(1);
    ASSERT_EQ(item->GetHighlightRecords().size(), 1u);
    EXPECT_EQ(item->GetHighlightRecords()[0].lastChangeTime, kStart + 5);
}

TEST_F(GridChangesTest, HiddenColumnRecordsTheTimeButInvalidatesNothing)
{
    header->HideColumn(CRowObject::kOther);
    Pump();
    Impl().GetPacer().TakeInvalidatedRegion();
    objects[0]->SetOther(1);
    Deliver(1);
    EXPECT_TRUE(Impl().GetPacer().TakeInvalidatedRegion().isEmpty());
    EXPECT_EQ(grid->GetChangeAge(0, CGrid::kBodyList, nullptr, CRowObject::kOther), 0);
}

TEST_F(GridChangesTest, AllFieldsChangeInvalidatesTheRowAndIsTheFallbackAge)
{
    grid->MarkChanged(4, CGrid::kBodyList, nullptr, CGridItem::kAllFields);
    EXPECT_EQ(recorder.CountOf(kNotifyDataChanged), 1); // at once on the GUI thread
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(RowRect(4)));
    Common::AdvanceProcessClockForTesting(40);
    EXPECT_EQ(grid->GetChangeAge(4, CGrid::kBodyList, nullptr, CRowObject::kValue), 40);
    EXPECT_EQ(grid->GetChangeAge(4, CGrid::kBodyList, nullptr, CGridItem::kNoFieldSet), 40);
    // -2 invalidates the row too, but records no time.
    Common::AdvanceProcessClockForTesting(10);
    // The posted form: a heap record the grid frees.
    auto record = std::make_unique<CMarkChangedRecord>(CMarkChangedRecord{5, CGrid::kBodyList, nullptr, CGridItem::kNoFieldSet});
    ASSERT_TRUE(Platform::PostMessage(grid->GetSafeHwnd(), CGrid::CGridImpl::SyncMessageId(), kOpMarkChanged, std::move(record)));
    Deliver(2);
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(RowRect(5)));
    EXPECT_EQ(grid->GetChangeAge(5, CGrid::kBodyList, nullptr, CGridItem::kAllFields), -1);
}

TEST_F(GridChangesTest, UnknownRowsAndKindsAreRefused)
{
    EXPECT_EQ(grid->GetChangeAge(99, CGrid::kBodyList, nullptr, 1), -1);
    EXPECT_EQ(grid->GetChangeAge(0, 3, nullptr, 1), -1);
    CGrid other(&parent);
    CGridItem* foreign = other.Add(objects[0].get());
    other.MarkChanged(0, CGrid::kBodyList, nullptr, 1);
    PumpUntil([&] { return foreign->GetChangeAge(1, kStart) == 0; });
    EXPECT_EQ(grid->GetChangeAge(-1, 0, foreign, 1), -1);
    grid->SetHighlightExpiry(-1, 0, foreign, 1, 100);
    EXPECT_EQ(Impl().GetHighlights().GetRemaining(), -1);
}

TEST_F(GridChangesTest, OneTimerAtTheNearestExpiryNeverUnderTenMs)
{
    // Past the frame of the fixture's paint, whose end would come first.
    Common::AdvanceProcessClockForTesting(CRepaintPacer::kPaintFrameMs);
    const int32_t t0 = kStart + CRepaintPacer::kPaintFrameMs;
    grid->SetHighlightExpiry(0, CGrid::kBodyList, nullptr, CRowObject::kValue, 3);
    EXPECT_EQ(Impl().GetHighlights().GetRemaining(), 10);
    grid->SetHighlightExpiry(1, CGrid::kBodyList, nullptr, CRowObject::kValue, 50);
    EXPECT_EQ(Impl().GetHighlights().GetRemaining(), 10); // the pending one comes first
    // A record made by the expiry call itself.
    const HighlightRecord* record = grid->GetItem(1)->FindHighlightRecord(CRowObject::kValue);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->lastChangeTime, t0);
    EXPECT_EQ(record->expiry, t0 + 50);

    Common::AdvanceProcessClockForTesting(10);
    Impl().GetPacer().TakeInvalidatedRegion();
    Impl().GetHighlights().RunExpiry();
    EXPECT_EQ(grid->GetItem(0)->FindHighlightRecord(CRowObject::kValue)->expiry, CGridItem::kNever);
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(CellRect(0, CRowObject::kValue)));
    EXPECT_EQ(Impl().GetHighlights().GetRemaining(), 40); // rescheduled at the next one

    Common::AdvanceProcessClockForTesting(40);
    Impl().GetHighlights().RunExpiry();
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(CellRect(1, CRowObject::kValue)));
    EXPECT_EQ(Impl().GetHighlights().GetRemaining(), -1);
}

TEST_F(GridChangesTest, RowExpiryAndImmediateRepaints)
{
    grid->SetRowHighlightExpiry(3, CGrid::kBodyList, nullptr, 0);
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(RowRect(3)));
    grid->SetHighlightExpiry(3, CGrid::kBodyList, nullptr, CRowObject::kOther, 0);
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(CellRect(3, CRowObject::kOther)));
    grid->SetRowHighlightExpiry(3, CGrid::kBodyList, nullptr, 30);
    EXPECT_EQ(Impl().GetHighlights().GetRemaining(), 30);
    EXPECT_TRUE(Impl().GetPacer().TakeInvalidatedRegion().isEmpty());
    Common::AdvanceProcessClockForTesting(30);
    Impl().GetHighlights().RunExpiry();
    EXPECT_EQ(grid->GetItem(3)->GetRowHighlightExpiry(), CGridItem::kNever);
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(RowRect(3)));
}

TEST_F(GridChangesTest, ExpiryIgnoresRowsOffScreenUntilTheyAreShown)
{
    const int32_t last = grid->GetLastVisibleRow();
    ASSERT_GT(last, 0);
    ASSERT_LT(last, 25);
    grid->SetHighlightExpiry(28, CGrid::kBodyList, nullptr, CRowObject::kValue, 20);
    Common::AdvanceProcessClockForTesting(25);
    Impl().GetHighlights().RunExpiry();
    EXPECT_EQ(grid->GetItem(28)->FindHighlightRecord(CRowObject::kValue)->expiry, kStart + 20);
    EXPECT_EQ(Impl().GetHighlights().GetRemaining(), -1); // nothing on screen to wait for
    grid->EnsureVisible(28);
    Pump(20);
    grid->EnsureVisible(28);
    ASSERT_LE(grid->GetTopRow(), 28);
    Impl().GetHighlights().RunExpiry();
    EXPECT_EQ(grid->GetItem(28)->FindHighlightRecord(CRowObject::kValue)->expiry, CGridItem::kNever);
}

TEST_F(GridChangesTest, FilterReevaluatedOnChange)
{
    class CValueFilter final : public IRowFilter {
    public:
        bool IsFiltered(CGrid*, CGridItem*, Common::CDataObject* object) override
        {
            return object && static_cast<CRowObject*>(object)->GetValue() < 0;
        }
    } filter;
    grid->SetRowFilter(&filter);
    objects[0]->SetValue(-1);
    Deliver(1);
    EXPECT_EQ(grid->GetRowCount(), 29);
    EXPECT_EQ(recorder.CountOf(kNotifyFilterChanged), 1);
    objects[0]->SetValue(1);
    Deliver(2);
    EXPECT_EQ(grid->GetRowCount(), 30);
    EXPECT_EQ(recorder.CountOf(kNotifyFilterChanged), 2);
    grid->SetRowFilter(nullptr);
}

// The grid keeps a layout of the rows on screen; after every kind of layout
// change it must give exactly the rectangle a layout made afresh gives, for
// rows on screen and off it, pinned and body.
TEST_F(GridChangesTest, TheOnScreenLayoutFollowsEveryLayoutChange)
{
    std::vector<std::unique_ptr<CRowObject>> extra;
    const auto expectExact = [&](const char* step) {
        const CRowLayout fresh(Impl());
        for (CGridItem* item : RowsOf(*grid, CGrid::kPinnedList))
            EXPECT_EQ(Impl().GetRowLayout().ItemRect(*item).ToQRect(), fresh.ItemRect(*item).ToQRect()) << step << " (pinned)";
        int row = 0;
        for (CGridItem* item : RowsOf(*grid))
            EXPECT_EQ(Impl().GetRowLayout().ItemRect(*item).ToQRect(), fresh.ItemRect(*item).ToQRect()) << step << ", row " << row++;
    };
    expectExact("start");
    grid->SetTopRow(3);
    expectExact("scrolled");
    extra.push_back(std::make_unique<CRowObject>(100));
    grid->Add(extra.back().get(), CGrid::kBodyRoot, CGrid::kHead);
    expectExact("added at the head");
    ASSERT_TRUE(grid->RemoveAt(4));
    expectExact("a row on screen removed");
    ASSERT_TRUE(grid->SetRowHeight(grid->GetItem(5), 33));
    expectExact("one row taller");
    grid->SetListRowHeight(CGrid::kBodyList, 17);
    expectExact("every row height");
    extra.push_back(std::make_unique<CRowObject>(200));
    grid->Add(extra.back().get(), CGrid::kPinnedRoot, CGrid::kTail);
    expectExact("a pinned row");
    grid->SetSeparatorShown(true);
    grid->SetSeparatorHeight(7);
    expectExact("separator band");
    grid->SetHeaderShown(false);
    expectExact("header strip hidden");
    grid->setGeometry(0, 0, 250, 120);
    Pump();
    expectExact("resized");
    grid->SetSortKey(0, CSortInfo(CRowObject::kValue, true));
    expectExact("sorted");
    // A change through the real path invalidates the cell of the row's new place.
    Impl().GetPacer().TakeInvalidatedRegion();
    CGridItem* const item = grid->GetItem(grid->GetTopRow() + 1);
    grid->MarkChanged(-1, 0, item, CRowObject::kOther);
    const Platform::CRect column = header->GetClippedColumnRect(&Impl(), CRowObject::kOther);
    const QRect row = Impl().GetRowLayout().ItemRect(*item).ToQRect();
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(QRect(column.left, row.top(), column.Width(), row.height())));
}

} // namespace
} // namespace Brivel::GUI::Testing
