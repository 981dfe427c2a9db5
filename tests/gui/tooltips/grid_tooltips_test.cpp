// Tooltips over a shown grid: the in-place tooltip over a clipped cell only,
// at the text's place with the whole text (pixels read back), the movement
// rule, hiding on scroll and after the auto-hide delay, the ordinary
// tooltip's placement at the screen's edges, and the stored settings.

#include "tests/gui/grid/grid_test_support.h"

#include "gui/paint/paint_records.h"
#include "gui/tooltips/grid_tooltips.h"

#include "platform/archive.h"
#include "platform/popup_window.h"

#include <QTest>

namespace Brivel::GUI::Testing {
namespace {

constexpr Platform::COLORREF kBack = Platform::RGB(255, 255, 0);
constexpr Platform::COLORREF kBorder = Platform::RGB(255, 0, 0);
constexpr Platform::COLORREF kText = Platform::RGB(0, 0, 0);

// The text rectangle of the cell at a point, as its paint format gives it.
class CTextRectProbe final : public ICellVisitor {
public:
    explicit CTextRectProbe(CGrid& grid) : m_grid(grid) {}
    void Visit(const CellInfo& cell, PaintContext& context) override
    {
        context.customDraw->GetCellPaintFormat(cell.column, cell.object, cell.item, &m_grid, cell, context)
            .GetTextRect(rect, cell, context, context.mask);
    }
    Platform::CRect rect;

private:
    CGrid& m_grid;
};

class TooltipTest : public GridTest {
protected:
    TooltipTest()
    {
        grid->SetHeader(MakeHeader({{CRowObject::kName, 60}, {CRowObject::kValue, 80}}));
        objects.push_back(std::make_unique<CRowObject>(1, "a name far too long for its column"));
        grid->Add(objects.back().get());
        for (int32_t i = 0; i < 30; ++i) {
            objects.push_back(std::make_unique<CRowObject>(i, "ab"));
            grid->Add(objects.back().get());
        }
        TooltipSettings settings = grid->GetTooltipSettings(TooltipKind::kInPlace);
        settings.backColor = kBack;
        settings.borderColor = kBorder;
        settings.textColor = kText;
        grid->SetTooltipSettings(TooltipKind::kInPlace, settings);
        Pump();
        // The first synthetic move enters the window; the tests' moves come after it.
        QTest::mouseMove(grid.get(), QPoint(250, 5));
        QTest::mouseMove(grid.get(), QPoint(260, 5));
    }

    CGridTooltips& Tips() { return Impl().GetTooltips(); }
    QWidget* InPlaceWindow() { return static_cast<CTooltipCtrl*>(Tips().GetCtrl(TooltipKind::kInPlace))->GetWindowForTesting(); }
    // A point in the Name cell of a body row.
    QPoint NameCell(int32_t row)
    {
        const Platform::CRect rect = Impl().GetRowLayout().RowRect(*Impl().ListOfKind(CGrid::kBodyList), row);
        return QPoint(40, (rect.top + rect.bottom) / 2);
    }
    void MoveAndRest(QPoint at)
    {
        QTest::mouseMove(grid.get(), at);
        Tips().OnHover(Platform::CPoint(at)); // the hover report, on the test's clock
    }

    std::vector<std::unique_ptr<CRowObject>> objects;
};

TEST_F(TooltipTest, InPlaceShowsOverAClippedCellOnlyWithTheWholeText)
{
    MoveAndRest(NameCell(1)); // "ab" fits
    EXPECT_EQ(Tips().GetShowing(), TooltipKind::kNone);
    EXPECT_FALSE(InPlaceWindow()->isVisible());

    const QPoint at = NameCell(0);
    MoveAndRest(at);
    ASSERT_EQ(Tips().GetShowing(), TooltipKind::kInPlace);
    QWidget* const window = InPlaceWindow();
    ASSERT_TRUE(window->isVisible());

    CTextRectProbe probe(*grid);
    ASSERT_TRUE(Impl().GetPainter().VisitCellAt(Platform::CPoint(at), probe));
    EXPECT_EQ(window->geometry().topLeft(), grid->mapToGlobal(QPoint(probe.rect.left, probe.rect.top)));
    EXPECT_EQ(window->height(), probe.rect.Height());
    EXPECT_GT(window->width(), probe.rect.Width());

    const QImage image = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), qRgb(255, 0, 0));
    // Text pixels lie beyond the width the cell had for its text: the tooltip
    // shows what the cell cut off.
    int32_t rightmostInk = -1;
    for (int32_t y = 1; y < image.height() - 1; ++y)
        for (int32_t x = 1; x < image.width() - 1; ++x)
            if (qGray(image.pixel(x, y)) < 100)
                rightmostInk = std::max(rightmostInk, x);
    EXPECT_GT(rightmostInk, probe.rect.Width() + 20);
    EXPECT_EQ(image.pixel(image.width() - 2, image.height() - 2), qRgb(255, 255, 0)); // the background
}

TEST_F(TooltipTest, MovementRuleAndScrollHide)
{
    const QPoint at = NameCell(0);
    MoveAndRest(at);
    ASSERT_EQ(Tips().GetShowing(), TooltipKind::kInPlace);
    QTest::mouseMove(grid.get(), at + QPoint(3, 0));
    EXPECT_EQ(Tips().GetShowing(), TooltipKind::kInPlace); // 3 pixels keep it
    QTest::mouseMove(grid.get(), at + QPoint(5, 0));
    EXPECT_EQ(Tips().GetShowing(), TooltipKind::kNone); // 5 hide it
    EXPECT_TRUE(Tips().IsSuppressed());
    EXPECT_FALSE(Tips().IsHoverPending()); // and it does not come back by itself
    QTest::mouseMove(grid.get(), at + QPoint(7, 0));
    EXPECT_FALSE(Tips().IsHoverPending()); // a move that is no move
    QTest::mouseMove(grid.get(), at + QPoint(12, 0));
    EXPECT_TRUE(Tips().IsHoverPending()); // moved again: it rests anew

    MoveAndRest(at);
    ASSERT_TRUE(InPlaceWindow()->isVisible());
    grid->SetTopRow(1);
    EXPECT_FALSE(InPlaceWindow()->isVisible());
    EXPECT_EQ(Tips().GetShowing(), TooltipKind::kNone);
}

TEST_F(TooltipTest, ShowsAfterTheHoverTimeAndHidesAfterTheAutoHideDelay)
{
    TooltipSettings settings = grid->GetTooltipSettings(TooltipKind::kInPlace);
    settings.hoverMs = 1;
    settings.autoHideMs = 30;
    grid->SetTooltipSettings(TooltipKind::kInPlace, settings);
    QTest::mouseMove(grid.get(), NameCell(0));
    ASSERT_TRUE(PumpUntil([&] { return InPlaceWindow()->isVisible(); }));
    ASSERT_TRUE(PumpUntil([&] { return !InPlaceWindow()->isVisible(); }));
    EXPECT_TRUE(Tips().IsSuppressed());
}

TEST_F(TooltipTest, OrdinaryTooltipTakesPrecedenceAndStaysOnScreen)
{
    grid->EnableTooltip(TooltipKind::kOrdinary, true);
    MoveAndRest(NameCell(1)); // ordinary tooltips show fitting texts too
    ASSERT_EQ(Tips().GetShowing(), TooltipKind::kOrdinary);
    QWidget* const window = static_cast<CTooltipCtrl*>(Tips().GetCtrl(TooltipKind::kOrdinary))->GetWindowForTesting();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(Platform::GetVirtualScreenRect().contains(window->geometry()));
}

TEST(TooltipPlacementTest, EachEdgeOfAScreenWithANegativeOrigin)
{
    const QRect screen(-1000, -200, 2000, 1000); // x -1000..999, y -200..799
    TooltipSettings settings;
    const QSize size(100, 20);
    // Above, near the top edge: pushed down onto the screen.
    EXPECT_EQ(PlaceTooltip(QPoint(0, -190), size, settings, 22, screen), QRect(-50, -200, 100, 20));
    // Below, near the bottom edge: ends at the edge.
    settings.position = TooltipSettings::kBelow;
    settings.distanceY = 5;
    EXPECT_EQ(PlaceTooltip(QPoint(0, 790), size, settings, 22, screen), QRect(-50, 780, 100, 20));
    EXPECT_EQ(PlaceTooltip(QPoint(0, 100), size, settings, 22, screen), QRect(-50, 127, 100, 20));
    // Left, near the left edge (negative coordinates are on screen here).
    settings.position = TooltipSettings::kLeft;
    settings.distanceX = 4;
    EXPECT_EQ(PlaceTooltip(QPoint(-980, 0), size, settings, 22, screen), QRect(-1000, -10, 100, 20));
    EXPECT_EQ(PlaceTooltip(QPoint(-500, 0), size, settings, 22, screen), QRect(-604, -10, 100, 20));
    // Right, near the right edge: ends at the edge.
    settings.position = TooltipSettings::kRight;
    EXPECT_EQ(PlaceTooltip(QPoint(990, 0), size, settings, 22, screen), QRect(900, -10, 100, 20));
    // Wider than the screen: starts at its left edge rather than off it.
    EXPECT_EQ(PlaceTooltip(QPoint(0, 0), QSize(2500, 20), settings, 22, screen).left(), -1000);
}

TEST(TooltipSettingsTest, LoadedNegativeTimesAndMarginsAreClamped)
{
    TooltipSettings stored = TooltipSettings::Defaults();
    stored.hoverMs = -5;
    stored.autoHideMs = -1;
    stored.marginX = -3;
    stored.marginY = 5000;
    stored.distanceX = -7;
    Platform::CArchive store;
    stored.Serialize(store);
    TooltipSettings loaded;
    Platform::CArchive load(store.GetData());
    loaded.Serialize(load);
    EXPECT_EQ(loaded.hoverMs, 0);
    EXPECT_EQ(loaded.autoHideMs, 0);
    EXPECT_EQ(loaded.marginX, 0);
    EXPECT_EQ(loaded.marginY, TooltipSettings::kMaxMargin);
    EXPECT_EQ(loaded.distanceX, 0);

    // Version 0, as older grid streams hold: nothing read, nothing changed.
    Platform::CArchive empty;
    empty << int32_t{0};
    Platform::CArchive loadEmpty(empty.GetData());
    TooltipSettings kept = stored;
    kept.Serialize(loadEmpty);
    EXPECT_EQ(kept, stored);
}

TEST_F(TooltipTest, SettingsTravelWithTheGrid)
{
    grid->EnableTooltip(TooltipKind::kOrdinary, true);
    grid->EnableTooltip(TooltipKind::kInPlace, false);
    TooltipSettings ordinary = grid->GetTooltipSettings(TooltipKind::kOrdinary);
    ordinary.position = TooltipSettings::kRight;
    ordinary.hoverMs = 250;
    grid->SetTooltipSettings(TooltipKind::kOrdinary, ordinary);
    grid->SetClipboardFormats(3);
    Platform::CArchive store;
    grid->Serialize(store);
    CGrid copy;
    Platform::CArchive load(store.GetData());
    copy.Serialize(load);
    EXPECT_EQ(load.GetRemainingForTesting(), 0);
    EXPECT_TRUE(copy.IsTooltipEnabled(TooltipKind::kOrdinary));
    EXPECT_FALSE(copy.IsTooltipEnabled(TooltipKind::kInPlace));
    EXPECT_EQ(copy.GetTooltipSettings(TooltipKind::kOrdinary), ordinary);
    EXPECT_EQ(copy.GetTooltipSettings(TooltipKind::kInPlace), grid->GetTooltipSettings(TooltipKind::kInPlace));
    EXPECT_EQ(copy.GetClipboardFormats(), 3);
}

} // namespace
} // namespace Brivel::GUI::Testing
