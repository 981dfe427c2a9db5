// The set of live items: every item made is found until it is destroyed,
// through growth, deletions in the middle of probe runs and shrinking.

#include "gui/rows/live_items.h"

#include "gui/rows/grid_item.h"
#include "gui/rows/item_pool.h"
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

// A derived item too large for a pool cell: made on the heap, known to the
// set all the same.
class CLargeItem : public CGridItem {
public:
    CLargeItem() = default;
    char payload[256] = {};
};

TEST(LiveItemsTest, PoolCellsAndHeapItemsAreBothCheckedAndEmptyChunksGoBack)
{
    CRowList list(CRowList::kBodyList, nullptr);
    CGridItem* const pooled = CGridItem::Create();
    CGridItem* const large = CGridItem::Adopt(std::make_unique<CLargeItem>());
    ASSERT_TRUE(pooled && large);
    EXPECT_EQ(CItemPool::CellOf(pooled), CItemPool::ECell::kLive);
    EXPECT_EQ(CItemPool::CellOf(large), CItemPool::ECell::kNone);
    EXPECT_TRUE(CLiveItems::Contains(pooled));
    EXPECT_TRUE(CLiveItems::Contains(large));
    // Inside a live cell, or in a chunk's header: not an item.
    EXPECT_FALSE(CLiveItems::Contains(reinterpret_cast<const char*>(pooled) + 16));
    EXPECT_FALSE(CLiveItems::Contains(reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(pooled) & ~uintptr_t{0x1FFFFF})));
    ASSERT_TRUE(CRowList::DestroyItem(pooled));
    ASSERT_TRUE(CRowList::DestroyItem(large));
    EXPECT_EQ(CItemPool::CellOf(pooled), CItemPool::ECell::kFree);
    EXPECT_FALSE(CLiveItems::Contains(pooled));
    EXPECT_FALSE(CLiveItems::Contains(large));

    // Three chunks' worth of items, then none: the chunks go back but one.
    const size_t chunksBefore = CItemPool::ChunkCountForTesting();
    std::vector<CGridItem*> items;
    constexpr size_t kItems = 3 * (size_t{2} << 20) / CItemPool::kCellSize; // chunks are 2 MiB
    for (size_t i = 0; i < kItems; ++i) {
        items.push_back(CGridItem::Create());
        ASSERT_TRUE(list.InsertChild(nullptr, CRowList::kTail, items.back(), true));
    }
    EXPECT_GE(CItemPool::ChunkCountForTesting(), chunksBefore + 2);
    list.DestroyAll();
    EXPECT_LE(CItemPool::ChunkCountForTesting(), std::max<size_t>(chunksBefore, 1));
}

} // namespace
} // namespace Brivel::GUI
