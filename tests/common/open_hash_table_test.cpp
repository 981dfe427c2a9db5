// COpenHashTable against a set: churn that keeps resizes under way (lookups
// over both arrays, erasures in the draining one), growth from empty to a
// two hundred thousand keys and back.

#include "common/open_hash_table.h"

#include <gtest/gtest.h>

#include <random>
#include <unordered_set>
#include <vector>

namespace Brivel::Common {
namespace {

struct CSlot {
    uintptr_t key;
    uint64_t payload;
};
struct CKeyOf {
    uintptr_t operator()(const CSlot& slot) const noexcept { return slot.key; }
};
using CTable = COpenHashTable<CSlot, CKeyOf>;

uintptr_t KeyAt(size_t n) { return (n + 1) * 16; } // aligned like objects

TEST(OpenHashTableTest, MatchesASetWhileResizesAreUnderWay)
{
    CTable table;
    std::unordered_set<uintptr_t> model;
    std::mt19937 random(11);
    bool sawResize = false;
    bool sawShrink = false;
    // Up to some 40 000 keys, down to a few thousand, up, down: inserts win
    // the even phases, erasures the odd ones.
    for (int step = 0; step < 400000; ++step) {
        const int phase = step / 100000;
        const bool insert = phase % 2 == 0 ? random() % 8 != 0 : random() % 16 == 0;
        const uintptr_t key = KeyAt(random() % 50000);
        if (insert && !model.count(key)) {
            const CSlot* slot = table.Insert({key, key * 3});
            ASSERT_EQ(slot->key, key);
            model.insert(key);
        } else if (!insert && model.count(key)) {
            CSlot* slot = table.Find(key);
            ASSERT_NE(slot, nullptr);
            table.Erase(slot);
            model.erase(key);
        }
        sawResize |= table.IsResizingForTesting();
        sawShrink |= phase == 1 && table.IsResizingForTesting();
        if (step % 9973 == 0) {
            ASSERT_EQ(table.CheckInvariantsForTesting(), "") << "step " << step;
            ASSERT_EQ(table.Size(), model.size());
            for (const uintptr_t present : model) {
                const CSlot* found = table.Find(present);
                ASSERT_TRUE(found && found->payload == present * 3);
            }
            EXPECT_EQ(table.Find(KeyAt(60000)), nullptr);
        }
    }
    EXPECT_TRUE(sawResize);
    EXPECT_TRUE(sawShrink);
    size_t visited = 0;
    table.ForEach([&](const CSlot& slot) { visited += model.count(slot.key); });
    EXPECT_EQ(visited, model.size());
}

TEST(OpenHashTableTest, ResizeFinishesWithinItsInsertsAndEmptyingGivesMemoryBack)
{
    CTable table;
    std::vector<uintptr_t> keys;
    size_t lastCapacity = 0;
    for (size_t n = 0; n < 200000; ++n) {
        // A doubling must be drained before the next one starts.
        if (table.CapacityForTesting() != lastCapacity) {
            ASSERT_TRUE(lastCapacity == 0 || table.CapacityForTesting() == lastCapacity * 2);
            lastCapacity = table.CapacityForTesting();
        }
        if (n > 0 && table.Size() * 4 + 4 > table.CapacityForTesting() * 3) {
            ASSERT_FALSE(table.IsResizingForTesting()) << "a doubling still draining at the next";
        }
        table.Insert({KeyAt(n), n});
        keys.push_back(KeyAt(n));
    }
    const size_t grown = table.CapacityForTesting();
    for (const uintptr_t key : keys)
        table.Erase(table.Find(key));
    EXPECT_EQ(table.Size(), 0u);
    EXPECT_FALSE(table.IsResizingForTesting());
    EXPECT_LT(table.CapacityForTesting(), grown / 256);
    EXPECT_EQ(table.CheckInvariantsForTesting(), "");
    EXPECT_EQ(table.Find(0), nullptr);
}

} // namespace
} // namespace Brivel::Common
