// Row drag and drop between real grids: the drag started by the mouse, the
// places the mark names, copies, sorted and refusing targets, foreign text,
// the marks' pixels, the drop notifications, scrolling near the edges, and
// the faults: rows gone in flight, cancelled drags, drops onto themselves.
//
// Qt's drag loop cannot run without a display, so the source's runner is a
// double that plays the part of the loop: it sends the target the same
// QDragEnterEvent, QDragMoveEvent, QDragLeaveEvent and QDropEvent Qt would.

#include "tests/gui/grid/grid_test_support.h"
#include "tests/gui/paint/paint_test_support.h"

#include "gui/dragdrop/grid_drag_drop.h"
#include "gui/paint/grid_painter.h"

#include "platform/sys_color.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <thread>

namespace Brivel::GUI::Testing {
namespace {

using Platform::CPoint;

constexpr Qt::DropActions kBoth = Qt::CopyAction | Qt::MoveAction;

// Sends one drag event to `grid` and answers the action it accepted.
Qt::DropAction Send(CGrid& grid, QEvent::Type type, const QMimeData& data, QPoint at,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    if (type == QEvent::Drop) {
        QDropEvent drop(QPointF(at), kBoth, &data, Qt::NoButton, modifiers);
        QApplication::sendEvent(&grid, &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }
    if (type == QEvent::DragEnter) {
        QDragEnterEvent enter(at, kBoth, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(&grid, &enter);
        return enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction;
    }
    QDragMoveEvent move(at, kBoth, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(&grid, &move);
    return move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
}

void Leave(CGrid& grid)
{
    QDragLeaveEvent leave;
    QApplication::sendEvent(&grid, &leave);
}

// What Qt's loop sends a target for a drag that ends with a drop at `at`.
Qt::DropAction DragTo(CGrid& grid, const QMimeData& data, QPoint at,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    Send(grid, QEvent::DragEnter, data, at, modifiers);
    Send(grid, QEvent::DragMove, data, at, modifiers);
    return Send(grid, QEvent::Drop, data, at, modifiers);
}

// The drag loop's double: records the drag and runs `during` in its place.
class CScriptedRunner final : public IDragRunner {
public:
    Qt::DropAction Run(QWidget& /*window*/, std::unique_ptr<QMimeData> data, const QImage& image,
                       QPoint hotSpot) override
    {
        ++runs;
        m_image = image;
        m_hotSpot = hotSpot;
        return during ? during(*data) : Qt::IgnoreAction;
    }
    void Cancel() override { ++cancels; }

    std::function<Qt::DropAction(const QMimeData&)> during;
    int runs = 0;
    int cancels = 0;
    QImage m_image;
    QPoint m_hotSpot;
};

class CCountingImporter final : public CDropImporter {
public:
    explicit CCountingImporter(DropAction action) : m_action(action) {}
    DropAction GetDropAction(const DropRequest& request) override
    {
        ++asked;
        lastRows = request.rows.size();
        return m_action;
    }
    int asked = 0;
    size_t lastRows = 0;

private:
    DropAction m_action;
};

class RowDragDropTest : public GridTest {
protected:
    RowDragDropTest()
    {
        parent.resize(640, 300);
        right = std::make_unique<CGrid>(&parent);
        right->setGeometry(320, 0, 300, 200);
        right->show();
        for (CGrid* g : {grid.get(), right.get()}) {
            EXPECT_EQ(g->SetHeader(MakeHeader({{CRowObject::kName, 60}, {CRowObject::kValue, 60}})), nullptr);
            auto runner = std::make_unique<CScriptedRunner>();
            (g == grid.get() ? leftRunner : rightRunner) = runner.get();
            Source(*g).SetRunner(std::move(runner));
        }
        for (int32_t value = 0; value < 6; ++value) {
            objects.push_back(std::make_unique<CRowObject>(value, std::string(1, char('a' + value))));
            items.push_back(grid->Add(objects.back().get()));
        }
        for (int32_t value = 100; value < 103; ++value) {
            objects.push_back(std::make_unique<CRowObject>(value, "r"));
            right->Add(objects.back().get());
        }
        Pump(); // the windows take drops once initialised
    }
    ~RowDragDropTest() override
    {
        right.reset();
        grid.reset();
    }

    static CRowDragSource& Source(CGrid& g) { return g.GetImpl().GetDragDrop().GetSource(); }
    static RowDropMark MarkOf(CGrid& g) { return g.GetImpl().GetRowDropMark(); }

    // A point in the upper or lower half of `item`'s row.
    static QPoint At(CGrid& g, CGridItem* item, bool upper)
    {
        const CRowLayout::Row* const row = g.GetImpl().GetRowLayout().Find(*item);
        EXPECT_NE(row, nullptr);
        return row ? QPoint(70, upper ? row->top + 2 : row->top + row->height - 3) : QPoint();
    }
    // Selects exactly `rows` (body rows) of `g`.
    static void Select(CGrid& g, std::initializer_list<int32_t> rows)
    {
        g.ClearSelection();
        for (const int32_t row : rows)
            g.SelectRow(row, CGrid::kBodyList, true);
    }
    // Starts a drag of the selected rows of `g` as the mouse would.
    static CRowDragSource::Drag Begin(CGrid& g)
    {
        CRowDragSource::Drag drag;
        EXPECT_TRUE(Source(g).BeginDrag(CPoint(10, 30), drag));
        return drag;
    }
    // The drop notifications and the moves (3, 4, 13, 14) in order.
    std::vector<int32_t> DropCodes() const
    {
        std::vector<int32_t> codes;
        for (const int32_t code : recorder.Codes())
            if (code == 3 || code == 4 || code == kNotifyDropStarted || code == kNotifyDropEnded)
                codes.push_back(code);
        return codes;
    }

    std::unique_ptr<CGrid> right;
    CScriptedRunner* leftRunner = nullptr;  // owned by the left grid's source
    CScriptedRunner* rightRunner = nullptr; // owned by the right grid's source
    std::vector<std::unique_ptr<CRowObject>> objects;
    std::vector<CGridItem*> items; // the left grid's rows a-f (values 0-5)
};

TEST_F(RowDragDropTest, MouseDragMovesRowsToEachMarkedPlace)
{
    grid->EnableRowDragDrop(true);
    Select(*grid, {1, 2}); // b, c
    leftRunner->during = [&](const QMimeData& data) {
        const QPoint above = At(*grid, items[4], true);
        Send(*grid, QEvent::DragEnter, data, above);
        EXPECT_EQ(Send(*grid, QEvent::DragMove, data, above), Qt::MoveAction);
        EXPECT_EQ(MarkOf(*grid).item, items[4]);
        EXPECT_EQ(MarkOf(*grid).where, RowDropMark::kAbove);
        return Send(*grid, QEvent::Drop, data, above);
    };
    recorder.Clear();
    const QPoint press = At(*grid, items[1], true);
    QTest::mousePress(grid.get(), Qt::LeftButton, Qt::NoModifier, press);
    EXPECT_EQ(grid->GetSelectedCount(), 2) << "a press on a selected row keeps the selection";
    QMouseEvent move(QEvent::MouseMove, QPointF(press + QPoint(0, 40)), grid->mapToGlobal(QPointF(press)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.get(), &move);
    QTest::mouseRelease(grid.get(), Qt::LeftButton, Qt::NoModifier, press + QPoint(0, 40));
    ASSERT_EQ(leftRunner->runs, 1);
    EXPECT_FALSE(leftRunner->m_image.isNull());
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{0, 3, 1, 2, 4, 5}));
    EXPECT_EQ(DropCodes(), (std::vector<int32_t>{13, 4, 3, 4, 3, 14}));
    EXPECT_EQ(MarkOf(*grid).item, nullptr);
    EXPECT_FALSE(Source(*grid).IsDragging());

    // Below the last row: to the tail. Above the first: to the head.
    Select(*grid, {2, 3}); // b, c
    CRowDragSource::Drag drag = Begin(*grid);
    EXPECT_EQ(DragTo(*grid, *drag.data, QPoint(70, 160)), Qt::MoveAction);
    Source(*grid).FinishDrag(Qt::MoveAction);
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{0, 3, 4, 5, 1, 2}));
    Select(*grid, {3}); // f
    drag = Begin(*grid);
    EXPECT_EQ(DragTo(*grid, *drag.data, At(*grid, items[0], true)), Qt::MoveAction);
    Source(*grid).FinishDrag(Qt::MoveAction);
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{5, 0, 3, 4, 1, 2}));

    // A press on a selected row released without a drag is a plain click.
    Select(*grid, {0, 1});
    QTest::mouseClick(grid.get(), Qt::LeftButton, Qt::NoModifier, At(*grid, items[0], true));
    EXPECT_EQ(grid->GetSelectedCount(), 1);
    EXPECT_EQ(leftRunner->runs, 1);
}

TEST_F(RowDragDropTest, CopiesBindingsBetweenGridsAndIntoSortedPlaces)
{
    Select(*grid, {1, 2});
    CRowDragSource::Drag drag = Begin(*grid);
    EXPECT_EQ(DragTo(*right, *drag.data, At(*right, right->GetItem(0), false)), Qt::CopyAction);
    Source(*grid).FinishDrag(Qt::CopyAction);
    EXPECT_EQ(ValuesOf(*right), (std::vector<int32_t>{100, 1, 2, 101, 102}));
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{0, 1, 2, 3, 4, 5})) << "the source keeps its rows";
    std::vector<CGridItem*> bound;
    right->FindItems(objects[1].get(), bound);
    EXPECT_EQ(bound.size(), 1u);

    // A sorted list shows no mark and takes the rows to their sorted places.
    right->SetSortKey(0, CSortInfo(CRowObject::kValue, false));
    Select(*grid, {4, 5});
    drag = Begin(*grid);
    Send(*right, QEvent::DragEnter, *drag.data, At(*right, right->GetItem(0), true));
    EXPECT_EQ(MarkOf(*right).item, nullptr);
    EXPECT_EQ(Send(*right, QEvent::Drop, *drag.data, At(*right, right->GetItem(0), true)), Qt::CopyAction);
    Source(*grid).FinishDrag(Qt::CopyAction);
    EXPECT_EQ(ValuesOf(*right), (std::vector<int32_t>{1, 2, 4, 5, 100, 101, 102}));
}

TEST_F(RowDragDropTest, RefusedDropChangesNothingAndStillEnds)
{
    CCountingImporter refusing(DropAction::kRefuse);
    EXPECT_EQ(right->SetDropImporter(&refusing), &CDropImporter::Shared());
    Select(*grid, {0});
    CRowDragSource::Drag drag = Begin(*grid);
    recorder.Clear();
    EXPECT_EQ(DragTo(*right, *drag.data, At(*right, right->GetItem(1), true)), Qt::IgnoreAction);
    Source(*grid).FinishDrag(Qt::IgnoreAction);
    EXPECT_GE(refusing.asked, 2);
    EXPECT_EQ(refusing.lastRows, 1u);
    EXPECT_EQ(MarkOf(*right).item, nullptr);
    EXPECT_EQ(ValuesOf(*right), (std::vector<int32_t>{100, 101, 102}));
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(DropCodes(), (std::vector<int32_t>{13, 14}));
    right->SetDropImporter(nullptr);
}

TEST_F(RowDragDropTest, ForeignTextIsRefusedByDefaultAndImportedAsDynamicRows)
{
    QMimeData text;
    text.setText(QStringLiteral("x\t7\r\ny\t8\r\n"));
    EXPECT_EQ(DragTo(*right, text, At(*right, right->GetItem(0), true)), Qt::IgnoreAction);
    EXPECT_EQ(right->GetRowCount(), 3);

    CTextDropImporter importer;
    right->SetDropImporter(&importer);
    EXPECT_EQ(DragTo(*right, text, At(*right, right->GetItem(0), true)), Qt::CopyAction);
    ASSERT_EQ(right->GetRowCount(), 5);
    EXPECT_EQ(right->GetCellText(right->GetItem(0), CRowObject::kName), "x");
    EXPECT_EQ(right->GetCellText(right->GetItem(1), CRowObject::kValue), "8");
    EXPECT_EQ(importer.GetObjects().size(), 2u);
    right->SetDropImporter(nullptr);
    right->Clear(); // the rows go before the objects they are bound to
}

TEST_F(RowDragDropTest, MarkAndArrowsArePaintedInTheMarkedRow)
{
    Select(*grid, {0});
    CRowDragSource::Drag drag = Begin(*grid);
    const CGridItem* const target = right->GetItem(1);
    const CRowLayout::Row row = *right->GetImpl().GetRowLayout().Find(*target);
    const COLORREF mark = Platform::GetSysColor(Platform::COLOR_HIGHLIGHT);
    Send(*right, QEvent::DragEnter, *drag.data, At(*right, right->GetItem(1), false));
    ASSERT_EQ(MarkOf(*right).where, RowDropMark::kBelow);
    QImage image = right->GetImpl().GetPainter().RenderClient();
    const int bottom = row.top + row.height;
    EXPECT_EQ(PixelAt(image, 90, bottom - 1), mark) << "the bar, 2 pixels at the row's bottom";
    EXPECT_EQ(PixelAt(image, 90, bottom - 2), mark);
    EXPECT_NE(PixelAt(image, 90, bottom - 3), mark);
    EXPECT_EQ(PixelAt(image, 1, bottom - 5), mark) << "the left arrow";
    EXPECT_EQ(PixelAt(image, right->width() - 3, bottom - 5), mark) << "the right arrow";

    right->SetPaintElementMask(PaintElement::kAll & ~(PaintElement::kInsertionMark | PaintElement::kDropArrows));
    image = right->GetImpl().GetPainter().RenderClient();
    EXPECT_NE(PixelAt(image, 90, bottom - 1), mark);
    EXPECT_NE(PixelAt(image, 1, bottom - 5), mark);

    right->SetPaintElementMask(PaintElement::kAll);
    Leave(*right);
    Source(*grid).FinishDrag(Qt::IgnoreAction);
    image = right->GetImpl().GetPainter().RenderClient();
    EXPECT_NE(PixelAt(image, 90, bottom - 1), mark);
}

TEST_F(RowDragDropTest, DragRestingNearTheBottomScrollsTheBody)
{
    for (int32_t value = 200; value < 230; ++value) {
        objects.push_back(std::make_unique<CRowObject>(value, "s"));
        right->Add(objects.back().get());
    }
    Pump();
    Select(*grid, {0});
    CRowDragSource::Drag drag = Begin(*grid);
    const int32_t bottom = right->GetImpl().GetRowLayout().GetAreas().bottom;
    Send(*right, QEvent::DragEnter, *drag.data, QPoint(70, bottom - 3));
    EXPECT_TRUE(PumpUntil([&] { return right->GetTopRow() > 1; }));
    Leave(*right);
    const int32_t top = right->GetTopRow();
    Pump(200);
    EXPECT_EQ(right->GetTopRow(), top) << "leaving stops the scrolling";
    Source(*grid).FinishDrag(Qt::IgnoreAction);
}

// ---- Faults ----

TEST_F(RowDragDropTest, DropMovesOnlyRowsThatStillExistAfterAnotherThreadRemovedOne)
{
    Select(*grid, {1, 2, 3}); // b, c, d
    CRowDragSource::Drag drag = Begin(*grid);
    std::atomic<bool> removed{false};
    std::thread worker([&] {
        grid->Remove(items[2]);
        removed = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return removed.load(); }));
    worker.join();
    EXPECT_EQ(DragTo(*grid, *drag.data, At(*grid, items[5], true)), Qt::MoveAction);
    Source(*grid).FinishDrag(Qt::MoveAction);
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{0, 4, 1, 3, 5}));
}

TEST_F(RowDragDropTest, CancelledDragLeavesBothGridsAsTheyWere)
{
    // Escape: Qt's loop tells the target the drag left, and the drag returns
    // without a drop.
    Select(*grid, {1, 2});
    CRowDragSource::Drag drag = Begin(*grid);
    recorder.Clear();
    Send(*right, QEvent::DragEnter, *drag.data, At(*right, right->GetItem(0), true));
    EXPECT_NE(MarkOf(*right).item, nullptr);
    Leave(*right);
    Source(*grid).FinishDrag(Qt::IgnoreAction);
    EXPECT_EQ(MarkOf(*right).item, nullptr);
    EXPECT_EQ(DropCodes(), (std::vector<int32_t>{13, 14}));
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(ValuesOf(*right), (std::vector<int32_t>{100, 101, 102}));

    // The target's window goes while the drag is over it: the drop ends.
    drag = Begin(*grid);
    recorder.Clear();
    Send(*right, QEvent::DragEnter, *drag.data, At(*right, right->GetItem(0), true));
    right->DestroyWindow();
    EXPECT_EQ(recorder.CountOf(kNotifyDropEnded), 1);
    EXPECT_EQ(Send(*right, QEvent::Drop, *drag.data, QPoint(70, 30)), Qt::IgnoreAction);
    Source(*grid).FinishDrag(Qt::IgnoreAction);
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));

    // The source's window goes mid-drag: the drag is cancelled, and a drop
    // that still arrives follows none of its handles.
    Select(*grid, {1, 2});
    drag = Begin(*grid);
    auto other = std::make_unique<CGrid>(&parent);
    other->setGeometry(320, 0, 300, 200);
    EXPECT_EQ(other->SetHeader(MakeHeader({{CRowObject::kName, 60}})), nullptr);
    other->show();
    Pump();
    Send(*other, QEvent::DragEnter, *drag.data, QPoint(70, 30));
    grid->DestroyWindow();
    EXPECT_EQ(leftRunner->cancels, 1);
    EXPECT_EQ(Send(*other, QEvent::Drop, *drag.data, QPoint(70, 30)), Qt::IgnoreAction);
    Source(*grid).FinishDrag(Qt::IgnoreAction);
    EXPECT_EQ(other->GetRowCount(), 0);
}

TEST_F(RowDragDropTest, DropAfterTheSourceGridWasDeletedFollowsNoHandle)
{
    Select(*grid, {1, 2});
    CRowDragSource::Drag drag = Begin(*grid);
    Send(*right, QEvent::DragEnter, *drag.data, At(*right, right->GetItem(0), true));
    grid.reset(); // the source and its rows go while the drag is over the target
    EXPECT_EQ(Send(*right, QEvent::Drop, *drag.data, At(*right, right->GetItem(0), true)), Qt::IgnoreAction);
    EXPECT_EQ(ValuesOf(*right), (std::vector<int32_t>{100, 101, 102}));
}

TEST_F(RowDragDropTest, RowsDroppedOntoThemselvesOrIntoTheirSubtreeAreRefused)
{
    objects.push_back(std::make_unique<CRowObject>(10, "child"));
    CGridItem* const child = grid->Add(objects.back().get(), items[1]);
    ASSERT_TRUE(grid->Expand(items[1]));
    Select(*grid, {1}); // b, with its child shown below it
    CRowDragSource::Drag drag = Begin(*grid);
    Send(*grid, QEvent::DragEnter, *drag.data, At(*grid, child, false));
    EXPECT_EQ(Send(*grid, QEvent::DragMove, *drag.data, At(*grid, child, false)), Qt::IgnoreAction);
    EXPECT_EQ(MarkOf(*grid).item, nullptr);
    EXPECT_EQ(Send(*grid, QEvent::DragMove, *drag.data, At(*grid, items[1], true)), Qt::IgnoreAction);
    EXPECT_EQ(Send(*grid, QEvent::DragMove, *drag.data, At(*grid, items[1], false)), Qt::IgnoreAction)
        << "the lower half of an open row drops into its own children";
    EXPECT_EQ(Send(*grid, QEvent::Drop, *drag.data, At(*grid, child, true)), Qt::IgnoreAction);
    Source(*grid).FinishDrag(Qt::IgnoreAction);
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{0, 1, 10, 2, 3, 4, 5}));

    // Elsewhere the subtree moves as one.
    drag = Begin(*grid);
    EXPECT_EQ(DragTo(*grid, *drag.data, At(*grid, items[4], false)), Qt::MoveAction);
    Source(*grid).FinishDrag(Qt::MoveAction);
    EXPECT_EQ(ValuesOf(*grid), (std::vector<int32_t>{0, 2, 3, 4, 1, 10, 5}));
}

} // namespace
} // namespace Brivel::GUI::Testing
