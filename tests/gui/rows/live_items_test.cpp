// The set of live items: every item made is found until it is destroyed,
// through growth, deletions in the middle of probe runs and shrinking.

#include "gui/rows/live_items.h"

#include "gui/rows/grid_item.h"
#include "gui/rows/row_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace Brivel::GUI {
namespace {

TEST(LiveItemsTest, ItemsAreFoundFromCreationToDestructionThroughGrowthAndShrinking)
{
    CRowList list(CRowList::kBodyList, nullptr);
    CRowList::GetDetachedList(); // its root is an item too, made on first use
    const size_t before = CLiveItems::Count();
    std::vector<CGridItem*> items;
    for (int i = 0; i < 20000; ++i) {
        items.push_back(CGridItem::Create());
        ASSERT_TRUE(list.InsertChild(nullptr, CRowList::kTail, items.back(), true));
    }
    EXPECT_EQ(CLiveItems::Count(), before + items.size());

    // Destroy a random half: each destroyed one is gone, every other stays
    // found (a deletion must not cut another item's probe run).
    std::mt19937 random(7);
    std::shuffle(items.begin(), items.end(), random);
    const std::vector<CGridItem*> destroyed(items.begin(), items.begin() + 10000);
    items.erase(items.begin(), items.begin() + 10000);
    for (CGridItem* item : destroyed)
        ASSERT_TRUE(list.DestroyItem(item));
    for (const CGridItem* item : destroyed)
        EXPECT_FALSE(CLiveItems::Contains(item));
    for (const CGridItem* item : items)
        ASSERT_TRUE(CLiveItems::Contains(item));

    list.DestroyAll(); // shrinks the table on the way down
    EXPECT_EQ(CLiveItems::Count(), before);
    for (const CGridItem* item : items)
        EXPECT_FALSE(CLiveItems::Contains(item));
    EXPECT_FALSE(CLiveItems::Contains(nullptr));
    int notAnItem = 0;
    EXPECT_FALSE(CLiveItems::Contains(&notAnItem));
}

} // namespace
} // namespace Brivel::GUI
