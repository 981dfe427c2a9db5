// CBindingTable against a plain model: random adds and removes over few and
// many objects, so that probe chains wrap, the table grows and shrinks, and
// objects get several rows.

#include "gui/rows/binding_table.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace Brivel::GUI {
namespace {

using Common::CDataObject;

// Distinct fake addresses (never dereferenced), aligned like objects and
// rows, high in the 48-bit address space so that every bit a slot keeps
// is used.
CDataObject* ObjectAt(size_t n) { return reinterpret_cast<CDataObject*>(0x7ffe'f000'0000 + (n + 1) * 16); }
CGridItem* RowAt(size_t n) { return reinterpret_cast<CGridItem*>(0x5a5a'0000'0000 + (n + 1) * 64); }

class BindingTableTest : public ::testing::TestWithParam<size_t> {};

TEST_P(BindingTableTest, MatchesAModelUnderRandomChurn)
{
    const size_t objectCount = GetParam();
    std::mt19937 random(7);
    CBindingTable table;
    std::map<CDataObject*, std::vector<CGridItem*>> model;
    uint64_t sequence = 100;
    for (int step = 0; step < 40000; ++step) {
        CDataObject* object = ObjectAt(random() % objectCount);
        CGridItem* row = RowAt(random() % 4);
        // Grow first, then drain towards empty, then grow again.
        const bool add = (step / 10000) % 2 == 0 ? random() % 3 != 0 : random() % 3 == 0;
        if (add) {
            // Every other entry is made while older packets are to come.
            const uint64_t processedThrough = step % 2 == 0 ? sequence + 1 : sequence - 5;
            const bool created = table.Add(object, row, ++sequence, processedThrough) == CBindingTable::AddResult::kCreated;
            EXPECT_EQ(created, model[object].empty());
            if (created) {
                EXPECT_EQ(table.IsStale(*table.Find(object), sequence - 1), step % 2 != 0);
                EXPECT_FALSE(table.IsStale(*table.Find(object), sequence));
            }
            model[object].push_back(row);
        } else {
            auto& rows = model[object];
            const auto found = std::find(rows.begin(), rows.end(), row);
            const CBindingTable::RemoveResult result = table.Remove(object, row);
            ASSERT_EQ(result.erased, found != rows.end());
            if (found != rows.end())
                rows.erase(found);
            EXPECT_EQ(result.stillBound, !rows.empty());
        }
        if (model[object].empty())
            model.erase(object);
        if (step % 97 == 0) {
            ASSERT_EQ(table.CheckInvariantsForTesting(), "") << "step " << step;
            for (const auto& [key, rows] : model) {
                const CBindingTable::CEntry* entry = table.Find(key);
                ASSERT_NE(entry, nullptr);
                const CBindingTable::CEntry::CRows bound = entry->Rows();
                ASSERT_TRUE(std::equal(rows.begin(), rows.end(), bound.begin(), bound.end()));
            }
        }
    }
    EXPECT_EQ(table.ObjectCount(), model.size());
    EXPECT_EQ(table.CheckInvariantsForTesting(), "");
}

INSTANTIATE_TEST_SUITE_P(ObjectCounts, BindingTableTest, ::testing::Values(size_t{3}, size_t{50}, size_t{5000}));

TEST(BindingTable, EraseDropsEveryRowAndTheTableShrinksBack)
{
    CBindingTable table;
    for (size_t n = 0; n < 10000; ++n)
        table.Add(ObjectAt(n), RowAt(n % 3), n, n);
    table.Add(ObjectAt(5), RowAt(9), 0, 0);
    EXPECT_EQ(table.BindingCount(), 10001u);
    EXPECT_TRUE(table.Erase(ObjectAt(5)));
    EXPECT_FALSE(table.Erase(ObjectAt(5)));
    EXPECT_EQ(table.BindingCount(), 9999u);
    const size_t grown = table.CapacityForTesting();
    for (size_t n = 0; n < 10000; ++n)
        table.Remove(ObjectAt(n), RowAt(n % 3));
    EXPECT_EQ(table.ObjectCount(), 0u);
    EXPECT_LT(table.CapacityForTesting(), grown / 64);
    EXPECT_EQ(table.CheckInvariantsForTesting(), "");
    EXPECT_EQ(table.Find(nullptr), nullptr);

    // An address beyond the 48 bits a slot keeps is refused, changing nothing.
    const auto beyond = reinterpret_cast<uintptr_t>(ObjectAt(0)) | uint64_t{1} << 48;
    EXPECT_EQ(table.Add(reinterpret_cast<CDataObject*>(beyond), RowAt(0), 0, 0), CBindingTable::AddResult::kRefused);
    EXPECT_EQ(table.Add(ObjectAt(0), reinterpret_cast<CGridItem*>(beyond), 0, 0), CBindingTable::AddResult::kRefused);
    EXPECT_EQ(table.ObjectCount(), 0u);
}

TEST(BindingTable, YoungEntriesAndTheDyingFlagLiveBesideTheRows)
{
    CBindingTable table;
    table.Add(ObjectAt(1), RowAt(1), 10, 10); // nothing older to come
    table.Add(ObjectAt(2), RowAt(2), 20, 15); // packets 15 to 19 to come
    EXPECT_FALSE(table.IsStale(*table.Find(ObjectAt(1)), 0));
    EXPECT_TRUE(table.IsStale(*table.Find(ObjectAt(2)), 19));
    EXPECT_FALSE(table.IsStale(*table.Find(ObjectAt(2)), 20));

    table.Find(ObjectAt(2))->SetDying();
    table.Add(ObjectAt(2), RowAt(3), 21, 21); // a second row moves the rows to a block
    const CBindingTable::CEntry* entry = table.Find(ObjectAt(2));
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->IsDying());
    EXPECT_EQ(entry->Object(), ObjectAt(2));
    EXPECT_EQ(entry->RowCount(), 2u);
    EXPECT_TRUE(table.IsStale(*entry, 19));
    EXPECT_EQ(table.CheckInvariantsForTesting(), "");

    // An erased entry's record goes with it; a new one at the address is
    // young only if made with older packets to come.
    EXPECT_TRUE(table.Erase(ObjectAt(2)));
    EXPECT_EQ(table.YoungCountForTesting(), 0u);
    table.Add(ObjectAt(2), RowAt(2), 30, 30);
    EXPECT_FALSE(table.IsStale(*table.Find(ObjectAt(2)), 19));

    // Records are kept until every packet older than the youngest is delivered.
    table.Add(ObjectAt(3), RowAt(3), 40, 35);
    table.ForgetYoungBefore(39);
    EXPECT_TRUE(table.IsStale(*table.Find(ObjectAt(3)), 39));
    table.ForgetYoungBefore(40);
    EXPECT_EQ(table.YoungCountForTesting(), 0u);
    EXPECT_FALSE(table.IsStale(*table.Find(ObjectAt(3)), 39));
}

} // namespace
} // namespace Brivel::GUI
