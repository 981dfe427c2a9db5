// System colours from the application palette.
#include "platform/sys_color.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>

namespace Brivel::Platform {
namespace {

TEST(SysColor, FollowsTheApplicationPalette)
{
    const QPalette original = QApplication::palette();
    QPalette palette = original;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Dark, QColor(4, 5, 6));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(7, 8, 9));
    palette.setColor(QPalette::ToolTipBase, QColor(10, 11, 12));
    QApplication::setPalette(palette);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(1, 2, 3));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(4, 5, 6));
    EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), RGB(7, 8, 9));
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(10, 11, 12));
    QApplication::setPalette(original);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), FromQColor(original.color(QPalette::Active, QPalette::Base)));
}

TEST(SysColor, UnknownIndexIsBlackAndFallbacksAreDistinct)
{
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(999), 0u);
    EXPECT_NE(GetDefaultSysColor(COLOR_BTNFACE), GetDefaultSysColor(COLOR_BTNSHADOW));
    EXPECT_NE(GetDefaultSysColor(COLOR_BTNHIGHLIGHT), GetDefaultSysColor(COLOR_BTNSHADOW));
    EXPECT_NE(GetDefaultSysColor(COLOR_WINDOW), GetDefaultSysColor(COLOR_WINDOWTEXT));
}

} // namespace
} // namespace Brivel::Platform
