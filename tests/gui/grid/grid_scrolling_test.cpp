// Scrolling and layout: the vertical actions with ten 20-pixel rows in a
// 100-pixel body, resizing, the wheel, EnsureVisible (also before the first
// paint), SetTopRow's invalidation, and the horizontal actions against a
// header with a 70-pixel fixed area.

#include "tests/gui/grid/grid_test_support.h"

#include <QWheelEvent>

#include <limits>

namespace Brivel::GUI::Testing {
namespace {

class GridScrollingTest : public GridTest {
protected:
    GridScrollingTest()
    {
        grid->setGeometry(0, 0, 200, 100);
        grid->SetListRowHeight(CGrid::kBodyList, 20);
        for (int i = 0; i < 10; ++i) {
            objects.push_back(std::make_unique<CRowObject>(i));
            grid->Add(objects.back().get());
        }
        Pump(20);
    }
    int32_t After(VScrollAction action, int32_t position = 0)
    {
        Impl().VScroll(action, position);
        return grid->GetTopRow();
    }

    std::vector<std::unique_ptr<CRowObject>> objects;
};

TEST_F(GridScrollingTest, BodyAreaAndPage)
{
    EXPECT_EQ(Impl().GetRowLayout().BodyArea().ToQRect().height(), 100);
    EXPECT_EQ(grid->GetTopRow(), 0);
    EXPECT_EQ(grid->GetRowsThatFit(true), 5);
    EXPECT_EQ(grid->GetLastVisibleRow(CGrid::kBodyList), 4);
    EXPECT_EQ(grid->GetLastVisibleRow(CGrid::kPinnedList), -1);
    EXPECT_EQ(Impl().GetRowLayout().LastPageTop(), 5);
    // The vertical bar sits beside the client area, its range up to the
    // last page top.
    EXPECT_TRUE(Impl().VerticalScrollBar()->isVisible());
    EXPECT_EQ(Impl().ClientRect().ToQRect().right() + 1, Impl().VerticalScrollBar()->geometry().left());
    EXPECT_EQ(Impl().VerticalScrollBar()->maximum(), 5);
}

TEST_F(GridScrollingTest, PageLineAndEndActions)
{
    EXPECT_EQ(After(VScrollAction::PageDown), 4);
    EXPECT_EQ(After(VScrollAction::PageDown), 5); // the last page top
    EXPECT_EQ(After(VScrollAction::LineDown), 5); // nothing further
    EXPECT_EQ(After(VScrollAction::LineUp), 4);
    EXPECT_EQ(After(VScrollAction::LineDown), 5);
    EXPECT_EQ(After(VScrollAction::PageUp), 1);  // five fit backward, less one
    EXPECT_EQ(After(VScrollAction::PageUp), 0);
    EXPECT_EQ(After(VScrollAction::LineUp), 0);
    EXPECT_EQ(After(VScrollAction::ThumbTrack, 3), 3);
    EXPECT_EQ(After(VScrollAction::ThumbPosition, 10), 3); // not a row
    EXPECT_EQ(After(VScrollAction::Bottom), 5);
    EXPECT_EQ(After(VScrollAction::Top), 0);
    EXPECT_EQ(After(VScrollAction::EndScroll), 0);
    EXPECT_EQ(Impl().VerticalScrollBar()->value(), 0);
}

TEST_F(GridScrollingTest, ScrollBarActionsScrollTheRows)
{
    QScrollBar* bar = Impl().VerticalScrollBar();
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(grid->GetTopRow(), 4);
    EXPECT_EQ(bar->value(), 4);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(grid->GetTopRow(), 3);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(grid->GetTopRow(), 5);
    bar->setValue(2);
    EXPECT_EQ(grid->GetTopRow(), 2);
}

TEST_F(GridScrollingTest, ResizingKeepsTheLastPageFull)
{
    grid->SetTopRow(5);
    grid->setGeometry(0, 0, 200, 160); // eight rows fit
    Pump();
    EXPECT_EQ(grid->GetTopRow(), 2);
    grid->setGeometry(0, 0, 200, 300); // all fit
    Pump();
    EXPECT_EQ(grid->GetTopRow(), 0);
    EXPECT_FALSE(Impl().VerticalScrollBar()->isVisible());
}

TEST_F(GridScrollingTest, WheelScrollsLinesOrPages)
{
    grid->SetWheelLines(3);
    Impl().OnWheel(-120);
    EXPECT_EQ(grid->GetTopRow(), 3);
    Impl().OnWheel(60); // half a notch: 1.5 lines, one now
    EXPECT_EQ(grid->GetTopRow(), 2);
    grid->SetWheelLines(-1);
    grid->SetTopRow(0);
    Impl().OnWheel(-120);
    EXPECT_EQ(grid->GetTopRow(), 4);
    Impl().OnWheel(120);
    EXPECT_EQ(grid->GetTopRow(), 0);
    // Through a real wheel event too.
    QWheelEvent wheel(QPointF(50, 50), grid->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(grid.get(), &wheel);
    EXPECT_EQ(grid->GetTopRow(), 5);
}

TEST_F(GridScrollingTest, EnsureVisibleScrollsByTheRowsNeeded)
{
    grid->EnsureVisible(5);
    EXPECT_EQ(grid->GetTopRow(), 1);
    grid->EnsureVisible(3); // inside the page
    EXPECT_EQ(grid->GetTopRow(), 1);
    grid->EnsureVisible(0);
    EXPECT_EQ(grid->GetTopRow(), 0);
    grid->EnsureVisible(-1, grid->GetItem(9));
    EXPECT_EQ(grid->GetTopRow(), 5);
    grid->EnsureVisible(42);
    EXPECT_EQ(grid->GetTopRow(), 5);
}

TEST(GridEnsureVisibleTest, RequestBeforeTheFirstPaintIsServedLater)
{
    CGrid grid; // never shown: never painted
    grid.resize(200, 100);
    grid.SetListRowHeight(CGrid::kBodyList, 20);
    std::vector<std::unique_ptr<CRowObject>> objects;
    for (int i = 0; i < 10; ++i) {
        objects.push_back(std::make_unique<CRowObject>(i));
        grid.Add(objects.back().get());
    }
    grid.EnsureVisible(7);
    EXPECT_EQ(grid.GetTopRow(), 0);
    EXPECT_TRUE(PumpUntil([&] { return grid.GetTopRow() == 3; }));
}

TEST(GridEnsureVisibleTest, DeferredItemRemovedMeanwhileIsForgotten)
{
    CGrid grid; // never painted: requests wait for timer 4
    grid.resize(200, 100);
    grid.SetListRowHeight(CGrid::kBodyList, 20);
    std::vector<std::unique_ptr<CRowObject>> objects;
    for (int i = 0; i < 10; ++i) {
        objects.push_back(std::make_unique<CRowObject>(i));
        grid.Add(objects.back().get());
    }
    CGridItem* parent = grid.GetItem(8);
    CGridItem* child = grid.Add(objects[0].get(), parent);
    parent->Expand();
    grid.EnsureVisible(-1, child);
    EXPECT_TRUE(grid.Remove(parent)); // the requested item goes with its parent
    Pump(30);
    EXPECT_EQ(grid.GetTopRow(), 0);
    // Handles that are no items are refused, not followed.
    grid.EnsureVisible(-1, CGrid::kHead);
    grid.EnsureVisible(-1, CGrid::kBodyRoot);
    Pump(30);
    EXPECT_EQ(grid.GetTopRow(), 0);
    EXPECT_EQ(grid.GetRowHeight(CGrid::kTail), 0);
    EXPECT_FALSE(grid.SetRowHeight(CGrid::kPinnedRoot, 5));
    EXPECT_EQ(grid.GetRowIndex(CGrid::kHead), -1);
    EXPECT_FALSE(grid.Detach(CGrid::kHead));
    EXPECT_FALSE(grid.Attach(CGrid::kTail));
    EXPECT_EQ(grid.GetChangeAge(-1, 0, CGrid::kHead, 1), -1);
}

TEST_F(GridScrollingTest, SetTopRowScrollsAndInvalidatesOnlyTheUncoveredStrip)
{
    const QRect body = Impl().GetRowLayout().BodyArea().ToQRect();
    Impl().GetPacer().StartRecordingInvalidation();
    grid->SetTopRow(1);
    // 20 pixels uncovered at the bottom, plus the last two rows of the page.
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(QRect(body.left(), body.bottom() + 1 - 60, body.width(), 60)));
    grid->SetTopRow(0);
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(QRect(body.left(), body.top(), body.width(), 20)));
    grid->SetTopRow(5); // a whole page or more: everything
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(body));
    // Ignored: the current top, a negative row, a row past the end.
    grid->SetTopRow(5);
    grid->SetTopRow(-1);
    grid->SetTopRow(10);
    EXPECT_EQ(grid->GetTopRow(), 5);
    EXPECT_TRUE(Impl().GetPacer().TakeInvalidatedRegion().isEmpty());
    // Without redraw only the value changes.
    grid->SetTopRow(2, false);
    EXPECT_EQ(grid->GetTopRow(), 2);
    EXPECT_TRUE(Impl().GetPacer().TakeInvalidatedRegion().isEmpty());
    // With a background picture the whole body is repainted.
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    grid->SetBackgroundPicture(picture, kBackgroundTiled, 128);
    Impl().GetPacer().TakeInvalidatedRegion();
    grid->SetTopRow(3);
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(body));
}

TEST_F(GridScrollingTest, PinnedRowsAndTheSeparatorComeBeforeTheBody)
{
    CRowObject pinned(0);
    grid->Add(&pinned, CGrid::kPinnedRoot);
    grid->SetListRowHeight(CGrid::kPinnedList, 10);
    Pump(20);
    EXPECT_EQ(Impl().GetRowLayout().PinnedArea().ToQRect(), QRect(0, 0, Impl().ClientRect().ToQRect().width(), 10));
    EXPECT_EQ(Impl().GetRowLayout().SeparatorBand().ToQRect().height(), 2);
    EXPECT_EQ(Impl().GetRowLayout().BodyArea().ToQRect().top(), 12);
    EXPECT_EQ(grid->GetRowsThatFit(true), 4); // 88 pixels
    grid->SetSeparatorShown(false);
    EXPECT_EQ(Impl().GetRowLayout().BodyArea().ToQRect().top(), 10);
    EXPECT_EQ(grid->GetLastVisibleRow(CGrid::kPinnedList), 0);
    EXPECT_EQ(Impl().GetRowLayout().RowRect(*Impl().ListOfKind(CGrid::kBodyList), 0).ToQRect(), QRect(0, 10, Impl().ClientRect().ToQRect().width(), 20));
}

TEST_F(GridScrollingTest, AddsAtTheTailBelowThePageInvalidateNothingOnScreen)
{
    Impl().GetPacer().StartRecordingInvalidation();
    CRowObject object(99);
    grid->Add(&object);
    EXPECT_TRUE(Impl().GetPacer().TakeInvalidatedRegion().isEmpty());
    CRowObject head(98);
    grid->Add(&head, CGrid::kBodyRoot, CGrid::kHead);
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(Impl().GetRowLayout().BodyArea().ToQRect()));
}

class GridHorizontalScrollTest : public GridTest {
protected:
    GridHorizontalScrollTest()
    {
        grid->setGeometry(0, 0, 200, 100);
        grid->SetHeader(MakeHeader({{1, 70}, {2, 50}, {3, 60}, {4, 80}, {5, 90}, {6, 100}, {7, 100}}, 1));
        Pump(20);
    }
    int32_t After(HScrollAction action, int32_t position = 0)
    {
        Impl().HScroll(action, position);
        return grid->GetHorizontalScrollPos();
    }
};

TEST_F(GridHorizontalScrollTest, LineRightScrollsByTheBoundaryColumnAndLineLeftBringsItBack)
{
    ASSERT_EQ(grid->GetHeader()->GetFixedWidth(), 70);
    EXPECT_EQ(Impl().ClientRect().ToQRect().width(), 200);
    EXPECT_EQ(Impl().HorizontalScrollBar()->maximum(), 550 - 200);
    EXPECT_EQ(After(HScrollAction::LineRight), 50);
    EXPECT_EQ(After(HScrollAction::LineLeft), 0);
    EXPECT_EQ(After(HScrollAction::LineRight), 50);
    EXPECT_EQ(After(HScrollAction::LineRight), 110);
    EXPECT_EQ(After(HScrollAction::LineLeft), 50);
    // The header follows: the second scrollable column starts at the fixed edge.
    EXPECT_EQ(grid->GetHeader()->GetColumnRect(&Impl(), 3).left, 70);
}

TEST_F(GridHorizontalScrollTest, PagesEndsThumbAndInvalidation)
{
    Impl().GetPacer().StartRecordingInvalidation();
    EXPECT_EQ(After(HScrollAction::PageRight), 190); // the column at the right edge comes to the fixed edge
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), QRegion(Impl().ClientRect().ToQRect()));
    EXPECT_EQ(After(HScrollAction::PageLeft), 80);
    EXPECT_EQ(After(HScrollAction::RightEnd), 350); // clamped by the bar
    EXPECT_EQ(After(HScrollAction::ThumbTrack, 120), 120);
    EXPECT_EQ(After(HScrollAction::LeftEnd), 0);
    Impl().GetPacer().TakeInvalidatedRegion();
    EXPECT_EQ(After(HScrollAction::LineLeft), 0); // no column before the first: nothing
    EXPECT_TRUE(Impl().GetPacer().TakeInvalidatedRegion().isEmpty());
    EXPECT_EQ(After(HScrollAction::LeftEnd), 0); // the ends always repaint
    EXPECT_FALSE(Impl().GetPacer().TakeInvalidatedRegion().isEmpty());
    // Without a header nothing happens. (The grid hands its header back.)
    const std::unique_ptr<CHeader> previous(grid->SetHeader(nullptr));
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(After(HScrollAction::RightEnd), 0);
}

TEST_F(GridHorizontalScrollTest, AbsurdWidthsSaturateInsteadOfOverflowing)
{
    // Columns as wide as a loaded layout may claim: the total width and the
    // scroll positions saturate at the largest int.
    constexpr int32_t kHuge = std::numeric_limits<int32_t>::max() - 10;
    const std::unique_ptr<CHeader> previous(grid->SetHeader(MakeHeader({{1, kHuge}, {2, kHuge}, {3, kHuge}}, 1)));
    Pump(20);
    constexpr int32_t kEnd = std::numeric_limits<int32_t>::max() - 200;
    EXPECT_EQ(Impl().HorizontalScrollBar()->maximum(), kEnd);
    EXPECT_EQ(After(HScrollAction::RightEnd), kEnd);
    // From the end the page and line actions stay there; a wrapped sum
    // would have sent the position to the start.
    EXPECT_EQ(After(HScrollAction::PageRight), kEnd);
    EXPECT_EQ(After(HScrollAction::LineRight), kEnd);
    EXPECT_EQ(After(HScrollAction::LineLeft), kEnd);
    EXPECT_FALSE(grid->grab().isNull()); // and paints
}

} // namespace
} // namespace Brivel::GUI::Testing
