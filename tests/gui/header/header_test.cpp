// CHeader: layout, hit testing and rectangles with fixed and scrolled
// columns, membership and moves, sort levels, and how notifications are
// delivered (order, codes, no lock held, re-entrant subscribers).
#include "gui/header/header.h"

#include "tests/gui/header/header_test_support.h"

#include "platform/image_list.h"

#include <gtest/gtest.h>

#include <QFont>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

namespace Brivel::GUI {
namespace {

using Platform::CRect;
using Testing::CColumnRecorder;
using Testing::CFakeScroll;
using Testing::CHeaderRecorder;
using Testing::HeaderEvent;
using Testing::MakeColumn;
using Codes = std::vector<int32_t>;

class HeaderTest : public ::testing::Test {
protected:
    HeaderTest() { header.Advise(&recorder); }
    ~HeaderTest() override { header.Unadvise(&recorder); }

    CColumn* Add(int32_t id, int32_t width = 50)
    {
        std::unique_ptr<CColumn> column = MakeColumn(id, width);
        CColumn* raw = column.get();
        EXPECT_TRUE(header.AddColumn(std::move(column)));
        return raw;
    }

    // Identifiers in column order.
    std::vector<int32_t> Order() const
    {
        std::vector<int32_t> ids;
        for (int32_t index = 0; index < header.GetColumnCount(); ++index)
            ids.push_back(header.GetColumn(index)->GetId());
        return ids;
    }

    void ExpectConsistent() const { EXPECT_EQ(header.CheckInvariantsForTesting(), ""); }

    CHeader header{false};
    CHeaderRecorder recorder;
};

// ---- Layout, hit testing, rectangles ----

// Fixed count 2; visible widths 50, 60 | 70, 80, 90.
class HeaderGeometryTest : public HeaderTest {
protected:
    HeaderGeometryTest()
    {
        for (int32_t id = 1; id <= 5; ++id)
            columns.push_back(Add(id, 40 + 10 * id));
        header.SetFixedColumnCount(2);
    }
    int32_t IdAt(const IHorizontalScrollSource* window, int32_t x) const
    {
        CColumn* column = header.HitTest(window, x);
        return column != nullptr ? column->GetId() : -1;
    }
    std::vector<CColumn*> columns;
};

TEST_F(HeaderGeometryTest, FixedAndScrollableWidths)
{
    EXPECT_EQ(header.GetFixedWidth(), 110);
    EXPECT_EQ(header.GetScrollableWidth(), 240);
    EXPECT_TRUE(header.IsFixed(2));
    EXPECT_FALSE(header.IsFixed(3));
    ExpectConsistent();
}

TEST_F(HeaderGeometryTest, HitTestUnscrolled)
{
    const CFakeScroll unscrolled(0);
    EXPECT_EQ(IdAt(&unscrolled, 0), 1);
    EXPECT_EQ(IdAt(&unscrolled, 49), 1);
    EXPECT_EQ(IdAt(&unscrolled, 50), 2);
    EXPECT_EQ(IdAt(&unscrolled, 109), 2);
    EXPECT_EQ(IdAt(&unscrolled, 110), 3);
    EXPECT_EQ(IdAt(&unscrolled, 349), 5);
    EXPECT_EQ(IdAt(&unscrolled, 350), -1);
}

TEST_F(HeaderGeometryTest, ThreeColumnsOf50_60_70)
{
    header.RemoveColumn(4);
    header.RemoveColumn(5);
    const CFakeScroll unscrolled(0);
    EXPECT_EQ(header.GetFixedWidth(), 110);
    EXPECT_EQ(header.GetScrollableWidth(), 70);
    EXPECT_EQ(IdAt(&unscrolled, 49), 1);
    EXPECT_EQ(IdAt(&unscrolled, 50), 2);
    EXPECT_EQ(IdAt(&unscrolled, 180), -1);
}

TEST_F(HeaderGeometryTest, HitTestScrolledShiftsOnlyTheScrollableArea)
{
    const CFakeScroll scrolled(100);
    EXPECT_EQ(IdAt(&scrolled, 49), 1);   // fixed: not shifted
    EXPECT_EQ(IdAt(&scrolled, 109), 2);
    EXPECT_EQ(IdAt(&scrolled, 110), 4);  // 210 in header coordinates
    EXPECT_EQ(IdAt(&scrolled, 159), 4);  // 259
    EXPECT_EQ(IdAt(&scrolled, 160), 5);  // 260
    EXPECT_EQ(IdAt(&scrolled, 250), -1); // 350
}

TEST_F(HeaderGeometryTest, HitTestWithoutAScrollPositionFindsOnlyFixedColumns)
{
    const CFakeScroll unreadable(0, false);
    for (const IHorizontalScrollSource* window : {static_cast<const IHorizontalScrollSource*>(nullptr),
                                                  static_cast<const IHorizontalScrollSource*>(&unreadable)}) {
        EXPECT_EQ(IdAt(window, 49), 1);
        EXPECT_EQ(IdAt(window, 109), 2);
        EXPECT_EQ(IdAt(window, 110), -1);
        EXPECT_EQ(IdAt(window, 200), -1);
    }
}

TEST_F(HeaderGeometryTest, RectanglesFixedAndScrolled)
{
    const CFakeScroll scrolled(100);
    EXPECT_EQ(header.GetColumnRect(&scrolled, 1), CRect(0, 0, 50, 20));
    EXPECT_EQ(header.GetColumnRect(&scrolled, 2), CRect(50, 0, 110, 20));
    EXPECT_EQ(header.GetColumnRect(&scrolled, 3), CRect(10, 0, 80, 20));
    EXPECT_EQ(header.GetColumnRect(&scrolled, 4), CRect(80, 0, 160, 20));
    EXPECT_EQ(header.GetColumnRect(nullptr, 4), CRect(180, 0, 260, 20));
    header.SetHeight(24);
    EXPECT_EQ(header.GetColumnRect(&scrolled, 5), CRect(160, 0, 250, 24));
}

TEST_F(HeaderGeometryTest, ClippedRectangleNeverReachesIntoTheFixedArea)
{
    const CFakeScroll scrolled(100);
    EXPECT_EQ(header.GetClippedColumnRect(&scrolled, 3), CRect(110, 0, 110, 20)); // wholly under the fixed area
    EXPECT_EQ(header.GetClippedColumnRect(&scrolled, 4), CRect(110, 0, 160, 20)); // partly
    EXPECT_EQ(header.GetClippedColumnRect(&scrolled, 5), CRect(160, 0, 250, 20));
    EXPECT_EQ(header.GetClippedColumnRect(&scrolled, 1), CRect(0, 0, 50, 20));
    for (int32_t pos : {0, 37, 110, 240, 1000}) {
        const CFakeScroll window(pos);
        for (int32_t id = 3; id <= 5; ++id)
            EXPECT_GE(header.GetClippedColumnRect(&window, id).left, header.GetFixedWidth()) << pos << " " << id;
    }
}

TEST_F(HeaderGeometryTest, ColumnsWithoutLayoutGiveAnEmptyRectangle)
{
    header.HideColumn(4);
    const CFakeScroll scrolled(100);
    EXPECT_EQ(header.GetColumnRect(&scrolled, 4), CRect(0, 0, 0, 20));
    EXPECT_EQ(header.GetClippedColumnRect(&scrolled, 99), CRect(0, 0, 0, 20));
}

TEST_F(HeaderGeometryTest, HidingAFixedColumnPullsTheNextIntoTheFixedArea)
{
    EXPECT_TRUE(header.HideColumn(1));
    EXPECT_EQ(header.GetFixedColumnCount(), 2);
    EXPECT_TRUE(header.IsFixed(3));
    EXPECT_FALSE(header.IsFixed(1));
    EXPECT_EQ(header.GetFixedWidth(), 130);
    EXPECT_EQ(header.GetScrollableWidth(), 170);
    EXPECT_EQ(IdAt(nullptr, 0), 2);
    ExpectConsistent();
}

TEST_F(HeaderGeometryTest, ZeroWidthColumnOccupiesNoPixelsAndIsNeverHit)
{
    auto zero = std::make_unique<CColumn>(6, "zero", 0);
    auto negative = std::make_unique<CColumn>(7, "negative", -30);
    ASSERT_TRUE(header.AddColumn(std::move(zero)));
    ASSERT_TRUE(header.AddColumn(std::move(negative)));
    Add(8, 10);
    header.MoveColumnAfter(6, 3);
    const CFakeScroll unscrolled(0);
    EXPECT_EQ(header.GetColumnRect(&unscrolled, 6), CRect(180, 0, 180, 20));
    EXPECT_EQ(header.GetColumnRect(&unscrolled, 7), CRect(350, 0, 350, 20));
    EXPECT_EQ(header.GetScrollableWidth(), 250);
    for (int32_t x = -5; x < 400; ++x) {
        const int32_t id = IdAt(&unscrolled, x);
        EXPECT_TRUE(id != 6 && id != 7) << x;
    }
    EXPECT_EQ(IdAt(&unscrolled, 180), 4);
    EXPECT_EQ(IdAt(&unscrolled, 350), 8);
    ExpectConsistent();
}

TEST_F(HeaderGeometryTest, WidthChangeOfAColumnRelaysOut)
{
    recorder.events.clear();
    ASSERT_TRUE(columns[0]->SetWidth(20));
    EXPECT_EQ(recorder.events, (std::vector<HeaderEvent>{{columns[0], CHeader::INotify::kColumnWidthChanged}}));
    EXPECT_EQ(header.GetFixedWidth(), 80);
    EXPECT_EQ(IdAt(nullptr, 20), 2);
    ExpectConsistent();
}

TEST_F(HeaderGeometryTest, NegativeScrollPositionsAreTakenAsZero)
{
    const CFakeScroll negative(-500);
    EXPECT_EQ(IdAt(&negative, 110), 3);
    EXPECT_EQ(header.GetColumnRect(&negative, 3), CRect(110, 0, 180, 20));
}

// ---- Membership ----

TEST_F(HeaderTest, RefusedColumnsStayWithTheCaller)
{
    CColumn* first = Add(1);
    header.HideColumn(1);
    auto duplicate = MakeColumn(1);
    EXPECT_FALSE(header.AddColumn(std::move(duplicate)));
    ASSERT_NE(duplicate, nullptr);
    EXPECT_EQ(header.FindColumn(1), first);

    for (int32_t invalid : {CColumn::kNoField, CColumn::kUnsetField}) {
        auto column = MakeColumn(invalid);
        EXPECT_FALSE(header.AddColumn(std::move(column)));
        EXPECT_NE(column, nullptr);
    }
    std::unique_ptr<CColumn> none;
    EXPECT_FALSE(header.AddColumn(std::move(none)));
    EXPECT_EQ(header.GetColumnCount(), 1);
    EXPECT_FALSE(header.RemoveColumn(CColumn::kNoField));
    EXPECT_FALSE(header.RemoveColumn(CColumn::kUnsetField));
    EXPECT_FALSE(header.RemoveColumn(2));
}

TEST_F(HeaderTest, LookupsByIndexVisibleIndexAndIdentifier)
{
    CColumn* a = Add(10);
    CColumn* b = Add(20);
    CColumn* c = Add(30);
    header.HideColumn(20);
    EXPECT_EQ(header.GetColumnCount(), 3);
    EXPECT_EQ(header.GetVisibleColumnCount(), 2);
    EXPECT_EQ(header.GetColumn(1), b);
    EXPECT_EQ(header.GetVisibleColumn(1), c);
    EXPECT_EQ(header.GetColumn(3), nullptr);
    EXPECT_EQ(header.GetVisibleColumn(-1), nullptr);
    EXPECT_EQ(header.FindColumn(20), b);
    EXPECT_EQ(header.FindVisibleColumn(20), nullptr);
    EXPECT_EQ(header.GetColumnIndex(30), 2);
    EXPECT_EQ(header.GetVisibleIndex(30), 1);
    EXPECT_EQ(header.GetVisibleIndex(20), -1);
    EXPECT_EQ(header.GetColumnIndex(99), -1);
    EXPECT_EQ(header.GetFirstColumn(), a);
    EXPECT_EQ(header.GetLastColumn(), c);
    header.HideColumn(30);
    EXPECT_EQ(header.GetLastColumn(), c);
    EXPECT_EQ(header.GetLastVisibleColumn(), a);
    header.HideColumn(10);
    EXPECT_EQ(header.GetFirstVisibleColumn(), nullptr);
    header.RemoveAllColumns();
    EXPECT_EQ(header.GetFirstColumn(), nullptr);
    ExpectConsistent();
}

TEST_F(HeaderTest, LookupsByIdentifierWorkForNegativeAndLargeIdentifiers)
{
    // Small identifiers are looked up in a direct table, others by search;
    // the header switches between the two as columns come and go.
    CColumn* small = Add(3);
    CColumn* negative = Add(-5);
    CColumn* large = Add(1'000'000);
    EXPECT_EQ(header.FindColumn(-5), negative);
    EXPECT_EQ(header.FindColumn(1'000'000), large);
    EXPECT_EQ(header.GetColumnIndex(3), 0);
    EXPECT_EQ(header.GetColumnIndex(4), -1);
    EXPECT_FALSE(header.AddColumn(MakeColumn(-5)));
    ExpectConsistent();
    header.RemoveColumn(-5);
    header.RemoveColumn(1'000'000);
    EXPECT_EQ(header.FindColumn(3), small);
    EXPECT_EQ(header.FindColumn(-5), nullptr);
    EXPECT_EQ(header.FindColumn(1'000'000), nullptr);
    EXPECT_EQ(header.GetVisibleIndex(-1), -1);
    ExpectConsistent();
}

TEST_F(HeaderTest, RemovalNotifiesBeforeTheColumnIsDestroyed)
{
    std::vector<std::string> log;
    CColumnRecorder watchers[2];
    for (int32_t id : {1, 2}) {
        CColumn* column = Add(id);
        watchers[id - 1].onEvent = [&log, id](CColumn*, int32_t code) {
            log.push_back("column " + std::to_string(id) + " code " + std::to_string(code));
        };
        column->Advise(&watchers[id - 1]);
    }
    recorder.onEvent = [&log](CColumn* column, int32_t code) {
        log.push_back("header code " + std::to_string(code) + " for " + column->GetCaption());
    };

    EXPECT_TRUE(header.RemoveColumn(1));
    EXPECT_EQ(log, (std::vector<std::string>{"header code 1 for C1", "column 1 code 11"}));
    log.clear();
    Add(3);
    log.clear();
    header.RemoveAllColumns();
    EXPECT_EQ(log, (std::vector<std::string>{"header code 1 for C2", "column 2 code 11", "header code 1 for C3"}));
    EXPECT_EQ(header.GetColumnCount(), 0);
    ExpectConsistent();
}

TEST_F(HeaderTest, DestructionRemovesEveryColumnFirst)
{
    auto owned = std::make_unique<CHeader>(true);
    EXPECT_TRUE(owned->IsAutoDelete());
    EXPECT_FALSE(header.IsAutoDelete());
    CHeaderRecorder watcher;
    owned->Advise(&watcher);
    CColumnRecorder columnWatcher;
    auto column = MakeColumn(4);
    column->Advise(&columnWatcher);
    owned->AddColumn(std::move(column));
    ASSERT_TRUE(owned->AddColumn(MakeColumn(5)));
    watcher.events.clear();
    owned.reset();
    EXPECT_EQ(watcher.Codes(), (Codes{1, 1}));
    EXPECT_EQ(columnWatcher.codes, Codes{11});
}

TEST_F(HeaderTest, ColumnDestroyedByItsHolderIsDroppedNotLeftDangling)
{
    CColumn* doomed = Add(1);
    Add(2);
    header.SetFocusColumn(1);
    CColumnRecorder watcher;
    doomed->Advise(&watcher);
    bool intactForHeader = false;
    recorder.onEvent = [&](CColumn* column, int32_t code) {
        intactForHeader = code == CHeader::INotify::kColumnRemoved && column == doomed &&
                          column->GetCaption() == "C1";
    };
    // Someone deletes a column the header owns.
    std::unique_ptr<CColumn>(doomed).reset();
    EXPECT_TRUE(intactForHeader);
    EXPECT_EQ(watcher.codes, Codes{11});
    EXPECT_EQ(header.GetColumnCount(), 1);
    EXPECT_EQ(header.FindColumn(1), nullptr);
    EXPECT_EQ(header.GetFocusColumn()->GetId(), 2);
    ExpectConsistent();
}

TEST_F(HeaderTest, FocusColumnFallsBackToTheFirstVisible)
{
    EXPECT_EQ(header.GetFocusColumn(), nullptr);
    Add(1);
    CColumn* second = Add(2);
    EXPECT_EQ(header.GetFocusColumn()->GetId(), 1);
    EXPECT_TRUE(header.SetFocusColumn(2));
    EXPECT_EQ(header.GetFocusColumn(), second);
    header.HideColumn(2);
    EXPECT_EQ(header.GetFocusColumn()->GetId(), 1);
    header.ShowColumn(2);
    EXPECT_EQ(header.GetFocusColumn(), second);
    header.HideColumn(2);
    EXPECT_FALSE(header.SetFocusColumn(2)) << "a hidden column cannot take the focus";
    header.ShowColumn(2);
    EXPECT_EQ(header.GetFocusColumn()->GetId(), 1);
    EXPECT_TRUE(header.SetFocusColumn(2));
    header.RemoveColumn(2);
    EXPECT_EQ(header.GetFocusColumn()->GetId(), 1);
}

// ---- Visibility ----

TEST_F(HeaderTest, ShowAndHideNotifyTwiceOnlyWhenTheVisibilityChanges)
{
    CColumn* column = Add(1);
    recorder.events.clear();
    EXPECT_TRUE(header.HideColumn(1));
    EXPECT_EQ(recorder.events, (std::vector<HeaderEvent>{{column, 4}, {column, 4}}));
    EXPECT_TRUE(header.HideColumn(1));
    EXPECT_EQ(recorder.events.size(), 2u);
    EXPECT_FALSE(header.ShowColumn(7));
    column->SetVisible(true);
    EXPECT_EQ(recorder.events.size(), 3u);
    EXPECT_EQ(header.GetVisibleIndex(1), 0);
    ExpectConsistent();
}

// ---- Moving ----

class HeaderMoveTest : public HeaderTest {
protected:
    HeaderMoveTest()
    {
        for (int32_t id = 1; id <= 5; ++id)
            Add(id);
        header.SetFixedColumnCount(2);
        recorder.events.clear();
    }
};

TEST_F(HeaderMoveTest, BeforeAfterAndToAnIndex)
{
    EXPECT_TRUE(header.MoveColumnBefore(5, 2));
    EXPECT_EQ(Order(), (std::vector<int32_t>{1, 5, 2, 3, 4}));
    EXPECT_TRUE(header.MoveColumnAfter(1, 3));
    EXPECT_EQ(Order(), (std::vector<int32_t>{5, 2, 3, 1, 4}));
    EXPECT_TRUE(header.MoveColumnTo(2, 5));
    EXPECT_EQ(Order(), (std::vector<int32_t>{5, 3, 1, 4, 2}));
    EXPECT_TRUE(header.MoveColumnTo(4, 0));
    EXPECT_EQ(Order(), (std::vector<int32_t>{4, 5, 3, 1, 2}));
    EXPECT_EQ(recorder.Codes(), (Codes{5, 5, 5, 5}));
    EXPECT_EQ(recorder.events.back().column, header.FindColumn(4));
    ExpectConsistent();
}

TEST_F(HeaderMoveTest, RefusedMovesChangeNothing)
{
    EXPECT_FALSE(header.MoveColumnBefore(3, 3));
    EXPECT_FALSE(header.MoveColumnAfter(3, 99));
    EXPECT_FALSE(header.MoveColumnAfter(99, 3));
    EXPECT_FALSE(header.MoveColumnTo(3, 6));
    EXPECT_FALSE(header.MoveColumnTo(3, -1));
    EXPECT_FALSE(header.MoveColumnTo(5, 5)) << "already last: a move after itself";
    EXPECT_FALSE(header.MoveColumnToVisible(3, 6));
    EXPECT_EQ(Order(), (std::vector<int32_t>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(HeaderMoveTest, InVisiblePositions)
{
    header.HideColumn(2);
    recorder.events.clear();
    EXPECT_TRUE(header.MoveColumnToVisible(1, 4)); // after the last visible column
    EXPECT_EQ(Order(), (std::vector<int32_t>{2, 3, 4, 5, 1}));
    EXPECT_TRUE(header.MoveColumnToVisible(5, 0)); // before the first visible column, 3
    EXPECT_EQ(Order(), (std::vector<int32_t>{2, 5, 3, 4, 1}));
    ExpectConsistent();
}

TEST_F(HeaderMoveTest, MovabilityOfFixedAndScrollableAreas)
{
    header.SetFixedColumnsMovable(false);
    EXPECT_FALSE(header.MoveColumnAfter(1, 4));  // a fixed column
    EXPECT_FALSE(header.MoveColumnBefore(4, 2)); // onto a fixed column
    EXPECT_TRUE(header.MoveColumnAfter(3, 5));   // within the scrollable area
    header.HideColumn(1);                        // 2 and 4 are fixed now
    recorder.events.clear();
    EXPECT_TRUE(header.MoveColumnAfter(1, 5)) << "hidden columns impose no condition";
    EXPECT_FALSE(header.MoveColumnBefore(3, 4));

    header.SetFixedColumnsMovable(true);
    header.SetScrollableColumnsMovable(false);
    EXPECT_FALSE(header.MoveColumnBefore(3, 2));
    EXPECT_TRUE(header.MoveColumnBefore(4, 2));
    EXPECT_FALSE(header.AreScrollableColumnsMovable());
    EXPECT_TRUE(header.AreFixedColumnsMovable());
    ExpectConsistent();
}

// ---- Sort levels ----

class HeaderSortTest : public HeaderTest {
protected:
    void Set(int32_t level, int32_t id, bool descending = false) { header.SetSortInfo(level, CSortInfo(id, descending)); }
};

TEST_F(HeaderSortTest, LevelsAppendReplaceAndStopAtFive)
{
    Set(1, 10);
    EXPECT_EQ(header.GetSortLevelCount(), 0) << "level 1 before level 0";
    for (int32_t level = 0; level < 6; ++level)
        Set(level, 10 + level);
    EXPECT_EQ(header.GetSortLevelCount(), 5);
    EXPECT_EQ(recorder.Codes(), (Codes{7, 7, 7, 7, 7}));
    Set(2, 12);
    EXPECT_EQ(recorder.events.size(), 5u) << "an equal key is no change";
    Set(2, 12, true);
    EXPECT_EQ(header.GetSortInfo(2), CSortInfo(12, true));
    EXPECT_EQ(recorder.events.size(), 6u);
    EXPECT_EQ(header.GetSortInfo(5), CSortInfo(-2, false));
    EXPECT_EQ(header.GetSortInfo(-1), CSortInfo(-2, false));
    ExpectConsistent();
}

TEST_F(HeaderSortTest, LevelBeyondTheCountChangesNothing)
{
    Set(0, 1);
    recorder.events.clear();
    Set(3, 2);
    EXPECT_EQ(header.GetSortLevelCount(), 1);
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(HeaderSortTest, SingleLevelModeTakesOnlyLevelZero)
{
    header.EnableMultiSort(false);
    Set(0, 1);
    Set(1, 2);
    EXPECT_EQ(header.GetSortLevelCount(), 1);
    EXPECT_EQ(recorder.Codes(), Codes{7});
    Set(0, 3, true);
    EXPECT_EQ(header.GetSortInfo(0), CSortInfo(3, true));
}

TEST_F(HeaderSortTest, DisablingMultiSortClearsSeveralLevelsOnce)
{
    Set(0, 1);
    Set(1, 2);
    recorder.events.clear();
    header.EnableMultiSort(false);
    EXPECT_EQ(header.GetSortLevelCount(), 0);
    EXPECT_EQ(recorder.Codes(), Codes{7});

    header.EnableMultiSort(true);
    Set(0, 1);
    recorder.events.clear();
    header.EnableMultiSort(false);
    EXPECT_EQ(header.GetSortLevelCount(), 1) << "one level survives single-level mode";
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(HeaderSortTest, DisablingSortingClearsAndBlocksLevels)
{
    Set(0, 1);
    recorder.events.clear();
    header.EnableSorting(false);
    EXPECT_EQ(recorder.Codes(), Codes{7});
    Set(0, 1);
    EXPECT_EQ(header.GetSortLevelCount(), 0);
    header.EnableSorting(false);
    header.ClearSort();
    EXPECT_EQ(recorder.events.size(), 1u) << "nothing left to clear";
    header.EnableSorting(true);
    Set(0, 1);
    header.ClearSort();
    EXPECT_EQ(recorder.Codes(), (Codes{7, 7, 7}));
}

// ---- Header-wide settings ----

TEST_F(HeaderTest, SettingsNotifyAsDocumented)
{
    header.SetHeight(20);
    header.SetFixedColumnCount(0);
    EXPECT_TRUE(recorder.events.empty());
    header.SetHeight(30);
    header.SetFixedColumnCount(-4);
    header.SetFixedColumnCount(3);
    EXPECT_EQ(header.GetFixedColumnCount(), 3);

    QFont font("DejaVu Sans", 11);
    EXPECT_FALSE(header.SetFont(font).has_value());
    EXPECT_EQ(header.SetFont(font), font) << "the same font again still notifies";
    EXPECT_EQ(header.SetFont(std::nullopt), font);
    Platform::CImageList images(16);
    EXPECT_EQ(header.SetImageList(&images), nullptr);
    EXPECT_EQ(header.SetImageList(&images), &images);
    EXPECT_EQ(header.GetImageList(), &images);

    header.SetSearchColumn(2);
    header.SetThirdFlag(false);
    EXPECT_EQ(recorder.Codes(), (Codes{9, 6, 10, 10, 10, 11, 11}));
    for (const HeaderEvent& event : recorder.events)
        EXPECT_EQ(event.column, nullptr);
    EXPECT_EQ(recorder.lastHeader, &header);
}

// ---- Delivery ----

TEST_F(HeaderTest, NotificationsAreSentWithNoLockHeld)
{
    CColumn* column = Add(1, 40);
    Add(2, 40);
    int32_t seenOnOtherThread = -1;
    recorder.onEvent = [&](CColumn* changed, int32_t code) {
        if (code != CHeader::INotify::kColumnWidthChanged)
            return;
        // Another thread must get through both locks while this delivery runs.
        auto probe = std::async(std::launch::async, [&] {
            return header.GetFixedWidth() + header.GetScrollableWidth() + changed->GetWidth();
        });
        ASSERT_EQ(probe.wait_for(std::chrono::seconds(30)), std::future_status::ready) << "a lock was held";
        seenOnOtherThread = probe.get();
    };
    column->SetWidth(60);
    EXPECT_EQ(seenOnOtherThread, 160);
}

TEST_F(HeaderTest, SubscriberMayChangeTheHeaderFromItsCallback)
{
    CHeaderRecorder second;
    header.Advise(&second);
    int32_t idSeenBySecond = 0;
    recorder.onEvent = [&](CColumn* column, int32_t code) {
        if (code == CHeader::INotify::kColumnAdded && column->GetId() == 1)
            header.RemoveColumn(1);
    };
    second.onEvent = [&](CColumn* column, int32_t code) {
        // The first subscriber removed it already; it is still alive here.
        if (code == CHeader::INotify::kColumnAdded)
            idSeenBySecond = column->GetId();
    };
    Add(1);
    EXPECT_EQ(recorder.Codes(), (Codes{0, 1}));
    EXPECT_EQ(second.Codes(), (Codes{1, 0}));
    EXPECT_EQ(idSeenBySecond, 1);
    EXPECT_EQ(header.GetColumnCount(), 0);
    header.Unadvise(&second);
    ExpectConsistent();
}

TEST_F(HeaderTest, ChangesFromOtherThreadsKeepTheHeaderConsistent)
{
    // Columns 1 and 2 stay; 3 to 8 are changed, removed and added again.
    CColumn* stable[2] = {Add(1, 30), Add(2, 30)};
    for (int32_t id = 3; id <= 8; ++id)
        Add(id, 30);
    header.SetFixedColumnCount(2);
    header.Unadvise(&recorder);
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        const CFakeScroll window(45);
        while (!stop.load()) {
            for (int32_t x = 0; x < 300; x += 7) {
                // A pointer handed out is valid until its column is
                // removed: only the columns that stay are read.
                CColumn* column = header.HitTest(&window, x);
                if (column == stable[0] || column == stable[1])
                    (void)column->GetWidth();
            }
            (void)header.GetClippedColumnRect(&window, 5);
        }
    });
    std::thread writer([&] {
        for (int32_t round = 0; round < 300; ++round) {
            const int32_t id = 3 + round % 6;
            if (CColumn* column = header.FindColumn(id))
                column->SetWidth(10 + round % 40);
            header.HideColumn(id);
            header.MoveColumnTo(id, 0);
            header.ShowColumn(id);
            header.RemoveColumn(id);
            header.AddColumn(MakeColumn(id, 25));
        }
    });
    writer.join();
    stop = true;
    reader.join();
    EXPECT_EQ(header.GetColumnCount(), 8);
    ExpectConsistent();
}

} // namespace
} // namespace Brivel::GUI
