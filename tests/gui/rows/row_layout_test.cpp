// The row layout: areas, the on-screen table and its searches, rows at the
// edges of their areas, and when the table is laid out again.

#include "gui/rows/row_layout.h"

#include "gui/rows/grid_item.h"
#include "gui/rows/row_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace Brivel::GUI::Testing {
namespace {

using Platform::CRect;

class CLayoutSource final : public IRowLayoutSource {
public:
    CRowList* GetRowList(int32_t kind) const override
    {
        return kind == CRowList::kPinnedList ? &pinned : kind == CRowList::kBodyList ? &body : nullptr;
    }
    RowLayoutFrame GetRowLayoutFrame() const override { return frame; }

    mutable CRowList pinned{CRowList::kPinnedList, nullptr};
    mutable CRowList body{CRowList::kBodyList, nullptr};
    RowLayoutFrame frame{CRect(0, 0, 200, 100), 20, 2, 0};
};

class RowLayoutTest : public ::testing::Test {
protected:
    // Appends rows of the given heights to `list`.
    static void AddRows(CRowList& list, const std::vector<int32_t>& heights)
    {
        for (const int32_t height : heights) {
            CGridItem* const item = CGridItem::Create();
            ASSERT_TRUE(list.InsertChild(nullptr, CRowList::kTail, item, true));
            ASSERT_TRUE(item->SetRowHeight(height));
        }
    }

    CLayoutSource source;
    CRowLayout layout{source};
};

TEST_F(RowLayoutTest, PinnedRowsBandAndBodyFromTheTopRowCutAtTheBottom)
{
    AddRows(source.pinned, {10, 10});
    AddRows(source.body, {15, 15, 15, 15, 15, 15});
    source.frame.topRow = 1;
    // Header 0..20, pinned 20..40, band 40..42, body rows 1.. from 42.
    EXPECT_EQ(layout.PinnedArea(), CRect(0, 20, 200, 40));
    EXPECT_EQ(layout.SeparatorBand(), CRect(0, 40, 200, 42));
    EXPECT_EQ(layout.BodyArea(), CRect(0, 42, 200, 100));
    ASSERT_EQ(layout.GetRows(CRowList::kPinnedList).size(), 2u);
    const auto body = layout.GetRows(CRowList::kBodyList);
    ASSERT_EQ(body.size(), 4u) << "rows 1..4 start above the bottom";
    EXPECT_EQ(body.front().row, 1);
    EXPECT_EQ(body.back().row, 4);
    EXPECT_EQ(body.back().top, 87);
    EXPECT_EQ(body.back().visibleHeight, 13) << "cut at the client bottom";
    EXPECT_EQ(layout.RowRect(source.body, 4), CRect(0, 87, 200, 100));
    EXPECT_EQ(layout.RowRect(source.body, 0), CRect()) << "above the top row";
    EXPECT_EQ(layout.RowRect(source.body, 5), CRect()) << "below the bottom";
    EXPECT_EQ(layout.LastVisibleRow(CRowList::kBodyList), 4);
    EXPECT_EQ(layout.ItemRect(*source.pinned.GetItem(1)), CRect(0, 30, 200, 40));

    // Without pinned rows there is no band.
    source.pinned.DestroyAll();
    EXPECT_EQ(layout.BodyArea().top, 20);
}

TEST_F(RowLayoutTest, SearchesFindTheRowAtYAndTheFirstRowOfARectangle)
{
    AddRows(source.pinned, {10});
    AddRows(source.body, {5, 30, 5, 30});
    // Pinned 20..30, band 30..32, body 32..37, 37..67, 67..72, 72..100 (cut).
    const auto rowAt = [&](int32_t y) {
        const CRowLayout::Row* row = layout.RowAt(y);
        return row ? row->kind * 100 + row->row : -1;
    };
    EXPECT_EQ(rowAt(19), -1) << "the header";
    EXPECT_EQ(rowAt(20), 100);
    EXPECT_EQ(rowAt(30), -1) << "the band";
    EXPECT_EQ(rowAt(32), 200);
    EXPECT_EQ(rowAt(37), 201);
    EXPECT_EQ(rowAt(66), 201);
    EXPECT_EQ(rowAt(67), 202);
    EXPECT_EQ(rowAt(99), 203);
    EXPECT_EQ(rowAt(100), -1);
    EXPECT_EQ(layout.GetRowsFrom(0).size(), 5u);
    EXPECT_EQ(layout.GetRowsFrom(31).front().row, 0) << "below the band: the first body row";
    EXPECT_EQ(layout.GetRowsFrom(50).front().row, 1);
    EXPECT_TRUE(layout.GetRowsFrom(100).empty());
}

TEST_F(RowLayoutTest, EveryItemOnScreenIsFoundAtItsRowAndNoOtherIs)
{
    // One-pixel rows: 80 body rows on screen (more than the smallest index
    // holds), 120 below it; then scrolled, so the index is built again.
    source.frame.headerStrip = 0;
    AddRows(source.body, std::vector<int32_t>(200, 1));
    for (const int32_t top : {0, 50, 150}) {
        source.frame.topRow = top;
        for (int32_t row = 0; row < 200; ++row) {
            const CRowLayout::Row* const found = layout.Find(*source.body.GetItem(row));
            const bool shown = row >= top && row < top + 100;
            ASSERT_EQ(found != nullptr, shown) << "row " << row << " from " << top;
            if (found) {
                EXPECT_EQ(found->row, row);
            }
        }
    }
    EXPECT_EQ(layout.Find(*CGridItem::Create()), nullptr) << "an item in no list laid out";
}

TEST_F(RowLayoutTest, WhereTheNextRowWouldStart)
{
    AddRows(source.body, {15, 15});
    source.frame.headerStrip = 0;
    EXPECT_EQ(layout.RowTop(source.body, 2), 30) << "right below the last row";
    EXPECT_EQ(layout.RowTop(source.body, 3), -1);
    source.body.DestroyAll();
    source.frame.topRow = -1;
    EXPECT_EQ(layout.RowTop(source.body, 0), -1) << "an empty body without a top row has no rows at all";
    source.frame.topRow = 0;
    EXPECT_EQ(layout.RowTop(source.body, 0), 0);
    // A list of another grid is never laid out here.
    CRowList foreign(CRowList::kBodyList, nullptr);
    EXPECT_EQ(layout.RowTop(foreign, 0), -1);
}

TEST_F(RowLayoutTest, PagesCountWholeRows)
{
    source.frame.headerStrip = 0;
    AddRows(source.body, {30, 30, 30, 30, 30, 30, 30});
    EXPECT_EQ(layout.RowsThatFit(0, true), 3);
    EXPECT_EQ(layout.RowsThatFit(6, false), 3);
    EXPECT_EQ(layout.RowsThatFit(7, true), 0) << "out of range";
    EXPECT_EQ(layout.LastPageTop(), 4);
    EXPECT_EQ(layout.BodyRowsHeight(0, 7, 100), 120) << "stops once the limit is reached";
}

TEST_F(RowLayoutTest, TheTableIsLaidOutAgainOnlyWhenTheListsOrTheFrameChange)
{
    AddRows(source.body, {15, 15, 15, 15, 15, 15, 15, 15});
    (void)layout.GetRows();
    (void)layout.RowAt(50);
    (void)layout.BodyArea();
    EXPECT_EQ(layout.GetBuildCountForTesting(), 1);
    source.frame.topRow = 2;
    EXPECT_EQ(layout.GetRows().front().row, 2);
    EXPECT_EQ(layout.GetBuildCountForTesting(), 2);
    ASSERT_TRUE(source.body.GetItem(3)->SetRowHeight(40));
    EXPECT_EQ(layout.RowRect(source.body, 4).top, 20 + 15 + 40);
    EXPECT_EQ(layout.GetBuildCountForTesting(), 3);
    AddRows(source.body, {15});
    source.frame.client = CRect(0, 0, 200, 300);
    EXPECT_EQ(layout.LastVisibleRow(CRowList::kBodyList), 8);
    EXPECT_EQ(layout.GetBuildCountForTesting(), 4);
}

TEST_F(RowLayoutTest, TheAreasOverTheBodyRowsIgnoreOnlyTheBodyRows)
{
    AddRows(source.pinned, {10});
    AddRows(source.body, {15, 15, 15});
    EXPECT_EQ(layout.GetAreasOverBodyRows().bodyTop, 32);
    ASSERT_TRUE(source.body.GetItem(0)->SetRowHeight(40));
    AddRows(source.body, {15});
    EXPECT_EQ(layout.GetAreasOverBodyRows().bodyTop, 32);
    EXPECT_EQ(layout.GetBuildCountForTesting(), 1) << "body rows changed only";
    AddRows(source.pinned, {10});
    EXPECT_EQ(layout.GetAreasOverBodyRows().bodyTop, 42);
    source.frame.separatorHeight = 5;
    EXPECT_EQ(layout.GetAreasOverBodyRows().bodyTop, 45);
    EXPECT_EQ(layout.GetBuildCountForTesting(), 3);
    EXPECT_EQ(layout.GetRows(CRowList::kBodyList).front().top, 45) << "the body laid out at the full look";
}

} // namespace
} // namespace Brivel::GUI::Testing
