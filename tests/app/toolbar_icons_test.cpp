// The toolbar images drawn in code: one 24 x 24 image per button, each
// different, with a transparent background and something drawn on it.
#include "app/commands.h"
#include "app/toolbar_icons.h"

#include <gtest/gtest.h>

#include <set>

namespace Quellon {
namespace {

TEST(ToolbarIconsTest, EveryButtonHasItsOwnImage)
{
    std::set<QByteArray> seen;
    for (int32_t id : kToolbarLayout) {
        if (id == kSeparator)
            continue;
        const QImage image = DrawCommandImage(id);
        ASSERT_FALSE(image.isNull()) << id;
        EXPECT_EQ(image.size(), QSize(24, 24)) << id;
        EXPECT_EQ(qAlpha(image.pixel(0, 23)), 0) << id << ": the corner is background";
        int opaque = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                opaque += qAlpha(image.pixel(x, y)) == 255;
        EXPECT_GT(opaque, 24) << id << ": draws something";
        seen.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(seen.size(), 10u);
    EXPECT_TRUE(DrawCommandImage(kCmdAppExit).isNull());
    EXPECT_FALSE(MakeApplicationIcon().isNull());
}

TEST(ToolbarIconsTest, CommandTableHoldsEverySettingsCommandOnce)
{
    std::set<int32_t> ids;
    for (const CommandInfo& info : kCommandTable)
        EXPECT_TRUE(ids.insert(info.id).second) << info.id;
    EXPECT_EQ(ids.size(), 10u);
    for (int32_t id : kSettingsMenuLayout)
        EXPECT_TRUE(id == kSeparator || FindCommand(id)) << id;
    EXPECT_STREQ(FindCommand(kCmdNotificationsOptimization)->prompt,
                 "Prevent the grid from sending notifications to the parent window");
    EXPECT_EQ(FindCommand(12345), nullptr);
}

} // namespace
} // namespace Quellon
