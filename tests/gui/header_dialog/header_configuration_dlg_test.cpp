// The header configuration dialog on a 12-column header, driven by real
// clicks and keys (offscreen), and the header strip's context menu.

#include "gui/header_dialog/header_configuration_dlg.h"

#include "gui/grid/grid.h"
#include "gui/grid/grid_impl.h"
#include "gui/header/column.h"
#include "gui/header/header.h"
#include "gui/paint/grid_painter.h"
#include "gui/rows/row_layout.h"
#include "platform/colorref.h"
#include "tests/gui/grid/grid_test_support.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <initializer_list>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

namespace Brivel::GUI {
namespace {

using Testing::Pump;
using Testing::PumpUntil;

std::vector<int32_t> Ids(std::initializer_list<int32_t> ids) { return ids; }

class HeaderDialogTest : public ::testing::Test {
protected:
    HeaderDialogTest()
    {
        for (int32_t id = 0; id < 12; ++id)
            header.AddColumn(std::make_unique<CColumn>(id, "C" + std::to_string(id), 40));
    }

    void Open()
    {
        dialog = std::make_unique<CHeaderConfigurationDlg>(header);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    CGrid& Grid() { return dialog->GetGrid(); }
    void Click(const char* name) { QTest::mouseClick(dialog->findChild<QPushButton*>(name), Qt::LeftButton); }
    void Select(std::initializer_list<int32_t> rows)
    {
        Grid().ClearSelection();
        for (const int32_t row : rows)
            Grid().SelectRow(row);
    }
    QPoint CellPoint(int32_t row, int32_t x)
    {
        CGrid::CGridImpl& impl = Grid().GetImpl();
        const Platform::CRect rect = impl.GetRowLayout().RowRect(*impl.ListOfKind(CGrid::kBodyList), row);
        return QPoint(x, (rect.top + rect.bottom) / 2);
    }
    void ToggleRow(int32_t row)
    {
        QTest::mouseClick(&Grid(), Qt::LeftButton, {}, CellPoint(row, 8));
        Pump(20);
    }
    std::vector<int32_t> HeaderOrder() const
    {
        std::vector<int32_t> ids;
        for (int32_t index = 0; index < header.GetColumnCount(); ++index)
            ids.push_back(header.GetColumn(index)->GetId());
        return ids;
    }
    static std::vector<int32_t> Range(int32_t from, int32_t to)
    {
        std::vector<int32_t> ids(static_cast<size_t>(to - from));
        std::iota(ids.begin(), ids.end(), from);
        return ids;
    }

    CHeader header{false};
    std::unique_ptr<CHeaderConfigurationDlg> dialog; // destroyed before the header
};

TEST_F(HeaderDialogTest, ButtonsMoveTheSelectedRowsAndOkAppliesTheOrder)
{
    Open();
    EXPECT_EQ(dialog->windowTitle(), "Header configuration dialog");
    EXPECT_EQ(dialog->GetRowIds(), Range(0, 12));

    Select({1, 3});
    Click(CHeaderConfigurationDlg::kTopName);
    EXPECT_EQ(dialog->GetRowIds(), Ids({1, 3, 0, 2, 4, 5, 6, 7, 8, 9, 10, 11})) << "relative order kept";
    EXPECT_TRUE(Grid().IsRowSelected(0) && Grid().IsRowSelected(1)) << "the moved rows stay selected";
    EXPECT_EQ(HeaderOrder(), Range(0, 12)) << "nothing reaches the header before OK";

    Select({0, 5});
    Click(CHeaderConfigurationDlg::kUpName);
    EXPECT_EQ(dialog->GetRowIds()[0], 1) << "the first row has no previous sibling: the pass stops";
    EXPECT_EQ(dialog->GetRowIds()[5], 5);

    Select({2, 3});
    Click(CHeaderConfigurationDlg::kUpName);
    EXPECT_EQ(dialog->GetRowIds(), Ids({1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));

    Select({4, 11});
    Click(CHeaderConfigurationDlg::kDownName);
    EXPECT_EQ(dialog->GetRowIds()[4], 4) << "the last row has no next sibling: the pass stops";

    Select({3, 4});
    Click(CHeaderConfigurationDlg::kDownName);
    EXPECT_EQ(dialog->GetRowIds(), Ids({1, 0, 2, 5, 3, 4, 6, 7, 8, 9, 10, 11}));

    Select({0, 1});
    Click(CHeaderConfigurationDlg::kBottomName);
    EXPECT_EQ(dialog->GetRowIds(), Ids({2, 5, 3, 4, 6, 7, 8, 9, 10, 11, 1, 0}));

    Click(CHeaderConfigurationDlg::kOkName);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(HeaderOrder(), Ids({2, 5, 3, 4, 6, 7, 8, 9, 10, 11, 1, 0}));
    EXPECT_EQ(header.CheckInvariantsForTesting(), "");
}

TEST_F(HeaderDialogTest, CheckBoxesHideAndShowOnOkOnly)
{
    header.HideColumn(5);
    for (const bool ok : {false, true}) {
        Open();
        EXPECT_FALSE(dialog->GetRowVisibility()[5]);
        ToggleRow(2);
        ToggleRow(5);
        EXPECT_FALSE(dialog->GetRowVisibility()[2]);
        EXPECT_TRUE(dialog->GetRowVisibility()[5]);
        Click(ok ? CHeaderConfigurationDlg::kOkName : CHeaderConfigurationDlg::kCancelName);
        EXPECT_EQ(header.FindColumn(2)->IsVisible(), !ok);
        EXPECT_EQ(header.FindColumn(5)->IsVisible(), ok);
        EXPECT_EQ(HeaderOrder(), Range(0, 12));
    }
}

TEST_F(HeaderDialogTest, SpinStaysWithinTheCheckedRowsAndAppliesAtOnce)
{
    Open();
    ToggleRow(3);
    ToggleRow(4); // ten rows checked
    auto* const spin = dialog->findChild<QAbstractSpinBox*>(CHeaderConfigurationDlg::kSpinName);
    auto* const count = dialog->findChild<QLineEdit*>(CHeaderConfigurationDlg::kFixedCountName);
    for (int step = 0; step < 15; ++step)
        QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(header.GetFixedColumnCount(), 10) << "no further than the visible rows";
    EXPECT_EQ(count->text(), "10");
    for (int step = 0; step < 13; ++step)
        QTest::keyClick(spin, Qt::Key_Down);
    EXPECT_EQ(header.GetFixedColumnCount(), 0);
    QTest::keyClick(spin, Qt::Key_Up);
    QTest::keyClick(spin, Qt::Key_Up);
    Click(CHeaderConfigurationDlg::kCancelName);
    EXPECT_EQ(header.GetFixedColumnCount(), 2) << "Cancel keeps the count the spin set";
    EXPECT_TRUE(header.FindColumn(3)->IsVisible()) << "but not the check boxes";
}

TEST_F(HeaderDialogTest, FixedRowsAreTheFirstCheckedOnesDrawnGreyItalicAndTinted)
{
    header.HideColumn(0);
    header.SetFixedColumnCount(2);
    Open();
    Pump(20);
    const QImage shot = Grid().GetImpl().GetPainter().RenderClient();
    const auto back = [&](int32_t row) { return shot.pixelColor(CellPoint(row, 150).x(), CellPoint(row, 150).y() - 4); };
    const auto darkest = [&](int32_t row) {
        int value = 255;
        const QPoint centre = CellPoint(row, 0);
        for (int x = 18; x < 60; ++x)
            for (int y = centre.y() - 4; y <= centre.y() + 4; ++y)
                value = std::min(value, shot.pixelColor(x, y).red());
        return value;
    };
    const auto color = [](COLORREF c) { return QColor(Platform::GetRValue(c), Platform::GetGValue(c), Platform::GetBValue(c)); };
    const COLORREF odd = Platform::RGB(240, 240, 255);
    const COLORREF even = Platform::RGB(255, 255, 255);
    const COLORREF tint = Platform::RGB(249, 254, 211);
    // Row 0's column is hidden, so the fixed rows are rows 1 and 2.
    EXPECT_EQ(back(1), color(Platform::BlendColor(tint, odd, 80)));
    EXPECT_EQ(back(2), color(Platform::BlendColor(tint, even, 80)));
    EXPECT_EQ(back(3), color(odd));
    EXPECT_EQ(back(4), color(even));
    EXPECT_GE(darkest(1), 100) << "grey text";
    EXPECT_LT(darkest(3), 80) << "black text";
}

TEST_F(HeaderDialogTest, RefusedMovesAndColumnsRemovedMeanwhileShowTheRealOrder)
{
    CGrid target;
    target.SetHeader(&header); // borrowed: the header answers IsAutoDelete false
    Open();
    Select({11});
    Click(CHeaderConfigurationDlg::kTopName);
    // A worker removes a column while the dialog is open; its change reaches
    // the grid on the GUI thread, so the loop runs while the worker waits.
    std::atomic<bool> removed{false};
    std::thread worker([&] {
        header.RemoveColumn(5);
        removed = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return removed.load(); }));
    worker.join();
    Click(CHeaderConfigurationDlg::kOkName);
    EXPECT_EQ(dialog->result(), QDialog::Accepted) << "the rest of the chain still goes after the gap";
    EXPECT_EQ(HeaderOrder(), Ids({11, 0, 1, 2, 3, 4, 6, 7, 8, 9, 10}));

    header.SetFixedColumnCount(2);
    header.SetFixedColumnsMovable(false);
    Open();
    Select({5});
    Click(CHeaderConfigurationDlg::kTopName);
    Click(CHeaderConfigurationDlg::kOkName);
    EXPECT_TRUE(dialog->isVisible()) << "a refused order is not reported as taken";
    EXPECT_EQ(HeaderOrder(), Ids({11, 0, 1, 2, 3, 4, 6, 7, 8, 9, 10})) << "nor half applied";
    EXPECT_EQ(dialog->GetRowIds(), HeaderOrder());
    Click(CHeaderConfigurationDlg::kOkName);
    EXPECT_EQ(dialog->result(), QDialog::Accepted) << "the header's own order is accepted as it is";
    dialog.reset();
    target.SetHeader(nullptr);
}

TEST_F(HeaderDialogTest, TheStripMenuHidesShowsAndOpensTheDialog)
{
    QWidget parent;
    CGrid grid(&parent);
    grid.setGeometry(0, 0, 400, 200);
    grid.SetHeader(&header);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    header.HideColumn(7);

    const auto chooseFromMenu = [&](const QString& prefix) {
        QStringList texts;
        QTimer::singleShot(0, &grid, [&] {
            auto* const menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr)
                return;
            for (QAction* const action : menu->actions()) {
                texts << action->text();
                if (!prefix.isEmpty() && action->text().startsWith(prefix))
                    action->trigger();
            }
            menu->close();
        });
        // Never left hanging should the first look miss the menu.
        QTimer::singleShot(3000, &grid, [] {
            if (QWidget* const popup = QApplication::activePopupWidget())
                popup->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(60, 5), grid.mapToGlobal(QPoint(60, 5)));
        QApplication::sendEvent(&grid, &event);
        return texts;
    };
    const QStringList texts = chooseFromMenu("Hide");
    EXPECT_TRUE(texts.contains("Configure columns..."));
    EXPECT_TRUE(texts.contains("Hide \"C1\""));
    EXPECT_TRUE(texts.contains("Show \"C7\""));
    EXPECT_FALSE(header.FindColumn(1)->IsVisible());
    chooseFromMenu("Show \"C7\"");
    EXPECT_TRUE(header.FindColumn(7)->IsVisible());

    QTimer::singleShot(0, &grid, [] {
        if (QWidget* const modal = QApplication::activeModalWidget())
            QTest::mouseClick(modal->findChild<QPushButton*>(CHeaderConfigurationDlg::kOkName), Qt::LeftButton);
    });
    QTimer::singleShot(3000, &grid, [] {
        if (auto* const modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            modal->reject();
    });
    EXPECT_EQ(grid.ShowHeaderConfiguration(), QDialog::Accepted);
    grid.SetHeader(nullptr);
}

} // namespace
} // namespace Brivel::GUI
