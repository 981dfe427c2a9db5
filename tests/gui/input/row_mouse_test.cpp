// The mouse on rows: plain, Shift and Ctrl clicks across both lists, the
// expand button of a tree row, and a drag that selects and scrolls.

#include "tests/gui/input/input_test_support.h"

#include "gui/input/input_router.h"

#include <QMouseEvent>

namespace Brivel::GUI::Testing {
namespace {

using RowMouseTest = InputTest;
constexpr int32_t kPinned = CGrid::kPinnedList;
constexpr int32_t kBody = CGrid::kBodyList;

TEST_F(RowMouseTest, PlainShiftAndCtrlClicks)
{
    Click(kBody, 3);
    EXPECT_EQ(Selected(), std::vector<int32_t>{3});
    EXPECT_EQ(Focus(), std::make_pair(kBody, 3));
    EXPECT_EQ(Impl().GetInput().GetRowMouse().GetPress().kind, kBody) << "the press is remembered";

    Click(kPinned, 1, Qt::ShiftModifier);
    EXPECT_EQ(Selected(kPinned), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(Selected(), (std::vector<int32_t>{0, 1, 2, 3})) << "a range up across the band";
    EXPECT_EQ(Focus(), std::make_pair(kBody, 3)) << "Shift keeps the focus where the range starts";

    Click(kBody, 1, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (std::vector<int32_t>{0, 2, 3})) << "Ctrl toggles";
    EXPECT_EQ(Focus(), std::make_pair(kBody, 1));
    Click(kBody, 1, Qt::ControlModifier);
    EXPECT_TRUE(grid->IsRowSelected(1));

    // Below the last row: nothing selected, no focus.
    grid->Clear(CGrid::kBodyMask);
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, QPoint(70, 190));
    EXPECT_EQ(grid->GetSelectedCount(), 0);
    EXPECT_EQ(Focus(), std::make_pair(0, -1));
}

TEST_F(RowMouseTest, TheExpandButtonTogglesTheRowAndTheFocusFollows)
{
    CGridItem* parent = grid->GetItem(2);
    Add(parent, 100, "child");
    const QPoint row = PointOf(kBody, 2);
    const int32_t height = Impl().GetRowLayout().RowRect(*Impl().ListOfKind(kBody), 2).Height();
    const QPoint button(height / 2, row.y()); // depth 0: the first square of the tree column
    grid->SetFocusRow(5);
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, button);
    EXPECT_TRUE(parent->IsExpanded());
    EXPECT_EQ(Focus(), std::make_pair(kBody, 6)) << "the focus stays on its item";
    EXPECT_EQ(grid->GetSelectedCount(), 0) << "a button click selects nothing";
    grid->SetFocusRow(3);
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, button);
    EXPECT_FALSE(parent->IsExpanded());
    EXPECT_EQ(Focus(), std::make_pair(0, -1)) << "the focused row was hidden";

    grid->SetPaintElementMask(PaintElement::kAll & ~PaintElement::kTreeIndent);
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, button);
    EXPECT_FALSE(parent->IsExpanded()) << "without indentation there is no button";
    EXPECT_EQ(Selected(), std::vector<int32_t>{2});
}

TEST_F(RowMouseTest, DraggingSelectsTheRangeAndScrollsBelowTheBody)
{
    const auto move = [&](QPoint at) {
        QMouseEvent event(QEvent::MouseMove, at, grid->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(grid.get(), &event);
    };
    QTest::mousePress(grid.get(), Qt::LeftButton, {}, PointOf(kBody, 1));
    move(PointOf(kBody, 4));
    EXPECT_EQ(Selected(), (std::vector<int32_t>{1, 2, 3, 4}));
    move(PointOf(kPinned, 2));
    EXPECT_EQ(Selected(kPinned), std::vector<int32_t>{2});
    EXPECT_EQ(Selected(), (std::vector<int32_t>{0, 1}));

    const int32_t bottom = Impl().GetRowLayout().GetAreas().bottom;
    move(QPoint(70, bottom + 5));
    EXPECT_TRUE(PumpUntil([&] { return grid->GetTopRow() >= 3; })) << "the body scrolls while the cursor is below it";
    QTest::mouseRelease(grid.get(), Qt::LeftButton, {}, QPoint(70, bottom + 5));
    const int32_t top = grid->GetTopRow();
    const std::vector<int32_t> rows = Selected();
    EXPECT_EQ(rows.front(), 1);
    EXPECT_EQ(rows.back(), grid->GetLastVisibleRow()) << "the range reaches the last row on screen";
    Pump(3 * static_cast<int>(CRowMouse::kDragScrollMs));
    EXPECT_EQ(grid->GetTopRow(), top) << "released: the scrolling stops";
}

} // namespace
} // namespace Brivel::GUI::Testing
