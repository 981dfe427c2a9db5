#include "platform/popup_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTest>

namespace Brivel::Platform {
namespace {

// A popup that paints itself one colour, as a tooltip paints its text.
class CFilledPopup : public CPopupWindow {
public:
    using CPopupWindow::CPopupWindow;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        ++paints;
        QPainter(this).fillRect(rect(), Qt::red);
    }
};

class PopupWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame.resize(320, 240);
        edit = new QLineEdit(&frame); // owned by parent
        frame.show();
        frame.activateWindow();
        edit->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    }

    QWidget frame;
    QLineEdit* edit = nullptr;
};

TEST_F(PopupWindowTest, ShowsWhereToldWithoutTakingActivationOrFocus)
{
    CFilledPopup popup(&frame);
    const QRect where(frame.mapToGlobal(QPoint(40, 30)), QSize(120, 20));
    popup.ShowAt(where);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&popup));
    QTest::qWait(20);

    EXPECT_TRUE(popup.isVisible());
    EXPECT_TRUE(popup.isWindow());
    EXPECT_EQ(popup.windowType(), Qt::ToolTip);
    EXPECT_EQ(popup.geometry(), where);
    EXPECT_EQ(QApplication::activeWindow(), &frame);
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_GT(popup.paints, 0);
    EXPECT_EQ(popup.grab().toImage().pixelColor(5, 5), QColor(Qt::red));

    const QRect moved = where.translated(10, 50);
    popup.ShowAt(moved);
    EXPECT_EQ(popup.geometry(), moved);
    EXPECT_EQ(QApplication::activeWindow(), &frame);
}

TEST_F(PopupWindowTest, OwnerDeletesItsPopup)
{
    QPointer<CPopupWindow> popup;
    {
        QWidget owner;
        popup = new CPopupWindow(&owner); // owned by parent
        popup->ShowAt(QRect(0, 0, 10, 10));
    }
    EXPECT_TRUE(popup.isNull());
}

TEST(VirtualScreenTest, SpansEveryScreen)
{
    const QRect virtualScreen = GetVirtualScreenRect();
    ASSERT_FALSE(virtualScreen.isEmpty());
    for (const QScreen* screen : QGuiApplication::screens())
        EXPECT_TRUE(virtualScreen.contains(screen->geometry()));
}

} // namespace
} // namespace Brivel::Platform
