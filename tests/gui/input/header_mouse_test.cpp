// The header gestures, sent as real mouse input to a shown grid: resizing
// and fitting by the divider, dragging columns (both halves of a target, the
// fixed edge, Escape, a release outside, a column removed meanwhile), the
// insertion bar's pixels, and sorting by click.

#include "tests/gui/input/input_test_support.h"

#include "gui/input/input_router.h"
#include "gui/paint/header_paint_format.h"

#include "gui/paint/paint_records.h"

#include <QFontMetrics>
#include <QMouseEvent>

#include <atomic>
#include <thread>

namespace Brivel::GUI::Testing {
namespace {

constexpr int32_t kName = CRowObject::kName;
constexpr int32_t kValue = CRowObject::kValue;
constexpr int32_t kOther = CRowObject::kOther;

class HeaderMouseTest : public InputTest {
protected:
    HeaderMouseTest()
    {
        // Name [0, 100), Value [100, 180), Other [180, 240).
        header = MakeHeader({{kName, 100}, {kValue, 80}, {kOther, 60}});
        std::unique_ptr<CHeader> previous(grid->SetHeader(header)); // comes back to us
        Pump();
        y = header->GetHeight() / 2;
    }

    CHeaderMouse& Mouse() { return Impl().GetInput().GetHeaderMouse(); }
    std::vector<int32_t> Order() const
    {
        std::vector<int32_t> ids;
        for (int32_t i = 0; i < header->GetVisibleColumnCount(); ++i)
            ids.push_back(header->GetVisibleColumn(i)->GetId());
        return ids;
    }
    void Press(int32_t x, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(grid.get(), Qt::LeftButton, modifiers, QPoint(x, y));
    }
    void MoveTo(int32_t x, int32_t atY = -1) { QTest::mouseMove(grid.get(), QPoint(x, atY < 0 ? y : atY)); }
    void Release(int32_t x, Qt::KeyboardModifiers modifiers = {}, int32_t atY = -1)
    {
        QTest::mouseRelease(grid.get(), Qt::LeftButton, modifiers, QPoint(x, atY < 0 ? y : atY));
    }
    void Drag(int32_t from, int32_t to)
    {
        Press(from);
        MoveTo(from + 10);
        MoveTo(to);
        Release(to);
    }
    // What a real double click sends: press, release, double click, release.
    void DoubleClick(int32_t x)
    {
        QTest::mouseClick(grid.get(), Qt::LeftButton, {}, QPoint(x, y));
        QTest::mouseDClick(grid.get(), Qt::LeftButton, {}, QPoint(x, y));
        QTest::mouseRelease(grid.get(), Qt::LeftButton, {}, QPoint(x, y));
    }
    void SortClick(int32_t x, Qt::KeyboardModifiers modifiers = {})
    {
        Press(x, modifiers);
        Release(x, modifiers);
    }
    std::vector<CSortInfo> Levels() const
    {
        std::vector<CSortInfo> levels;
        for (int32_t i = 0; i < header->GetSortLevelCount(); ++i)
            levels.push_back(header->GetSortInfo(i));
        return levels;
    }

    CHeader* header = nullptr;
    int32_t y = 0;
};

TEST_F(HeaderMouseTest, TheDividerResizesDownToTwoPixels)
{
    // Hovering a divider shows the resize cursor.
    QMouseEvent hover(QEvent::MouseMove, QPointF(99, y), grid->mapToGlobal(QPointF(99, y)), Qt::NoButton,
                      Qt::NoButton, {});
    QCoreApplication::sendEvent(grid.get(), &hover);
    EXPECT_EQ(grid->cursor().shape(), Qt::SplitHCursor);

    Press(101); // just right of Value's left edge: Name's divider
    EXPECT_EQ(Mouse().GetState(), CHeaderMouse::kResizing);
    EXPECT_EQ(Impl().GetHeaderDragState().dragged, header->FindColumn(kName)) << "drawn as the dragged column";
    MoveTo(150);
    EXPECT_EQ(header->FindColumn(kName)->GetWidth(), 150);
    MoveTo(-30);
    EXPECT_EQ(header->FindColumn(kName)->GetWidth(), 2);
    Release(-30);
    EXPECT_EQ(Mouse().GetState(), CHeaderMouse::kIdle);
    EXPECT_NE(grid->cursor().shape(), Qt::SplitHCursor);
    EXPECT_TRUE(Levels().empty()) << "a resize never sorts";

    // A hidden column between: the previous *visible* column's divider.
    header->FindColumn(kName)->SetWidth(100);
    header->HideColumn(kValue);
    Pump();
    Press(102); // Other now starts at 100
    MoveTo(120);
    Release(120);
    EXPECT_EQ(header->FindColumn(kName)->GetWidth(), 120);

    // Escape puts the width back.
    Press(119);
    MoveTo(200);
    QTest::keyClick(grid.get(), Qt::Key_Escape);
    EXPECT_EQ(header->FindColumn(kName)->GetWidth(), 120);
    EXPECT_EQ(Mouse().GetState(), CHeaderMouse::kIdle);
}

TEST_F(HeaderMouseTest, ADoubleClickOnTheDividerFitsTheWidestCell)
{
    objects[7]->SetValue(123456789);
    Pump(50);
    DoubleClick(179);
    // The long value's text with the cell's two 2-pixel margins (the text
    // cache and Qt may round a kerned advance apart by a pixel).
    Common::ValueKind kind = Common::KindNone;
    const CColumn::Attributes attributes = header->FindColumn(kValue)->GetAttributes();
    const Common::CFormat* format = CellFormatOf(*objects[7], attributes, kind);
    ASSERT_NE(format, nullptr);
    std::string text;
    FormatCellText(*format, kind, *objects[7], kValue, text);
    const int32_t expected = 4 + QFontMetrics(grid->GetGridFont()).horizontalAdvance(QString::fromStdString(text));
    const int32_t width = header->FindColumn(kValue)->GetWidth();
    EXPECT_NEAR(width, expected, 1) << text;

    // A double click on a header cell neither fits nor sorts twice.
    DoubleClick(140);
    EXPECT_EQ(header->FindColumn(kValue)->GetWidth(), width);
    EXPECT_EQ(Levels().size(), 1u) << "the first click sorted, the second did not";
}

TEST_F(HeaderMouseTest, DraggingAColumnDropsItOnEitherHalfOfTheTarget)
{
    recorder.Clear();
    Drag(50, 200); // Name onto Other's left half
    EXPECT_EQ(Order(), (std::vector<int32_t>{kValue, kName, kOther}));
    EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{kNotifyColumnDragStarted, kNotifyColumnMoved,
                                                        kNotifyColumnDragEnded}));
    EXPECT_EQ(recorder.records.back().argument, 1);
    EXPECT_EQ(recorder.records.back().column, header->FindColumn(kName));

    Drag(210, 20); // Other onto Value's left half
    EXPECT_EQ(Order(), (std::vector<int32_t>{kOther, kValue, kName}));
    Drag(20, 220); // Other onto Name's right half
    EXPECT_EQ(Order(), (std::vector<int32_t>{kValue, kName, kOther}));

    // Onto itself, or onto the near half of a neighbour: nothing moves or is sent.
    recorder.Clear();
    Drag(120, 130);
    Drag(120, 190);
    EXPECT_EQ(Order(), (std::vector<int32_t>{kValue, kName, kOther}));
    EXPECT_EQ(recorder.CountOf(kNotifyColumnMoved), 0);
    EXPECT_EQ(recorder.records.back().argument, 0);
    EXPECT_TRUE(Levels().empty()) << "a drag never sorts";
}

TEST_F(HeaderMouseTest, TheFixedEdgeFollowsTheMovabilitySettings)
{
    header->SetFixedColumnCount(1);
    header->SetFixedColumnsMovable(false);
    recorder.Clear();
    Drag(50, 200);
    EXPECT_EQ(Order(), (std::vector<int32_t>{kName, kValue, kOther})) << "a fixed column stays";
    EXPECT_EQ(recorder.CountOf(kNotifyColumnDragStarted), 0) << "and no drag starts";
    Drag(150, 20);
    EXPECT_EQ(Order(), (std::vector<int32_t>{kName, kValue, kOther})) << "nor can one be dropped on";
    Drag(150, 230);
    EXPECT_EQ(Order(), (std::vector<int32_t>{kName, kOther, kValue})) << "scrollable ones move among themselves";

    header->SetFixedColumnsMovable(true);
    Drag(150, 20); // Other onto Name's left half
    EXPECT_EQ(Order(), (std::vector<int32_t>{kOther, kName, kValue}));
    header->SetScrollableColumnsMovable(false);
    Drag(20, 150);
    EXPECT_EQ(Order(), (std::vector<int32_t>{kOther, kName, kValue})) << "the scrollable area refuses";
}

TEST_F(HeaderMouseTest, TheInsertionBarShowsWhereTheDropGoes)
{
    Press(50);
    MoveTo(60);
    MoveTo(170); // Value's right half: the bar at its right edge, 180
    EXPECT_EQ(Mouse().GetState(), CHeaderMouse::kDragging);
    EXPECT_EQ(Mouse().GetDropPosition(), 2);
    EXPECT_TRUE(Mouse().GetDragImage().IsActive());
    const QColor bar = QColor::fromRgb(Platform::GetRValue(CHeaderPaintFormat::kInsertionBarColor),
                                       Platform::GetGValue(CHeaderPaintFormat::kInsertionBarColor),
                                       Platform::GetBValue(CHeaderPaintFormat::kInsertionBarColor));
    QImage shot = Impl().GetPainter().RenderClient();
    EXPECT_EQ(shot.pixelColor(180, y), bar);
    EXPECT_NE(shot.pixelColor(100, y), bar);
    MoveTo(110); // the left half: the bar moves to 100
    shot = Impl().GetPainter().RenderClient();
    EXPECT_EQ(shot.pixelColor(100, y), bar);
    EXPECT_NE(shot.pixelColor(180, y), bar);

    // Escape: no drop, no bar, no image.
    QTest::keyClick(grid.get(), Qt::Key_Escape);
    Release(110);
    EXPECT_EQ(Order(), (std::vector<int32_t>{kName, kValue, kOther}));
    EXPECT_FALSE(Mouse().GetDragImage().IsActive());
    EXPECT_NE(Impl().GetPainter().RenderClient().pixelColor(100, y), bar);
}

TEST_F(HeaderMouseTest, AGestureEndsCleanlyWhateverEndsIt)
{
    // Released outside the window.
    recorder.Clear();
    Press(50);
    MoveTo(60);
    MoveTo(200);
    Release(500, {}, 500);
    EXPECT_EQ(Order(), (std::vector<int32_t>{kName, kValue, kOther}));
    EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{kNotifyColumnDragStarted, kNotifyColumnDragEnded}));

    // The focus goes elsewhere.
    Press(50);
    MoveTo(200);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(grid.get(), &focusOut);
    EXPECT_EQ(Mouse().GetState(), CHeaderMouse::kIdle);
    Release(200);
    EXPECT_EQ(Order(), (std::vector<int32_t>{kName, kValue, kOther}));

    // Another thread removes the dragged column: the gesture ends at the
    // next event and the paint pass draws no stale column.
    Press(150);
    MoveTo(220);
    std::atomic<bool> removed{false};
    std::thread worker([&] {
        header->RemoveColumn(kValue);
        removed = true;
    });
    PumpUntil([&] { return removed.load(); }); // the grid hears of it on the GUI thread
    worker.join();
    (void)Impl().GetPainter().RenderClient();
    MoveTo(30);
    EXPECT_EQ(Mouse().GetState(), CHeaderMouse::kIdle);
    EXPECT_EQ(Impl().GetHeaderDragState().dragged, nullptr);
    Release(30);
    EXPECT_EQ(Order(), (std::vector<int32_t>{kName, kOther}));

    // The window goes in the middle of a drag.
    Press(50);
    MoveTo(200);
    grid.reset();
    QTestPrivate::qtestMouseButtons = Qt::NoButton; // the release never comes
}

TEST_F(HeaderMouseTest, ClicksSortSingleMultiLevelAndShiftClears)
{
    recorder.Clear();
    SortClick(140); // Value, ascending
    EXPECT_EQ(ValuesOf(*grid).front(), 0);
    SortClick(140); // again: descending
    EXPECT_EQ(ValuesOf(*grid).front(), 19);
    EXPECT_EQ(recorder.CountOf(kNotifySortChanged), 2);

    SortClick(210, Qt::ControlModifier); // Other as a second level, descending like the last
    EXPECT_EQ(Levels(), (std::vector<CSortInfo>{{kValue, true}, {kOther, true}}));
    SortClick(210, Qt::ControlModifier); // inverted
    EXPECT_EQ(Levels(), (std::vector<CSortInfo>{{kValue, true}, {kOther, false}}));

    recorder.Clear();
    SortClick(50); // another column alone keeps level 0's direction: one re-sort, one notification
    EXPECT_EQ(Levels(), (std::vector<CSortInfo>{{kName, true}}));
    EXPECT_EQ(recorder.CountOf(kNotifySortChanged), 1);
    EXPECT_EQ(grid->GetItem(0)->GetDataObject(), objects.back().get()) << "b19 first";

    // Within 4 pixels a press is still a click; beyond, a drag that never sorts.
    Press(140);
    MoveTo(143);
    Release(143);
    EXPECT_EQ(Levels(), (std::vector<CSortInfo>{{kValue, true}}));
    Press(140);
    MoveTo(145);
    Release(145);
    EXPECT_EQ(Levels(), (std::vector<CSortInfo>{{kValue, true}}));

    SortClick(50, Qt::ShiftModifier);
    EXPECT_TRUE(Levels().empty());

    // At most five levels; with sorting disabled nothing happens.
    for (int32_t id = 10; id < 16; ++id)
        Mouse().SortByClick(id, true);
    EXPECT_EQ(header->GetSortLevelCount(), CHeader::kMaxSortLevels);
    EXPECT_EQ(header->GetSortInfo(4).GetFieldId(), 14);
    header->EnableSorting(false);
    SortClick(140);
    EXPECT_TRUE(Levels().empty());
}

} // namespace
} // namespace Brivel::GUI::Testing
