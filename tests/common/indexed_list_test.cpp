#include "common/indexed_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <vector>

namespace Brivel::Common {
namespace {

struct Row {
    CIndexedListHook m_childHook;
    CIndexedListHook m_flatHook;
    int32_t m_key = 0;
};
using FlatList = CIndexedList<Row, &Row::m_flatHook>;
using ChildList = CIndexedList<Row, &Row::m_childHook>;

constexpr int32_t kLeaf = FlatList::kLeafCapacity;

int64_t Allocations() { return FlatList::NodeAllocationsForTesting(); }

// Rows are declared before the lists so that they outlive them, as the hooks
// require.
class IndexedListTest : public ::testing::Test {
protected:
    void MakeRows(int32_t count)
    {
        m_rows = std::vector<Row>(static_cast<std::size_t>(count));
        for (int32_t i = 0; i < count; ++i)
            m_rows[static_cast<std::size_t>(i)].m_key = i;
    }
    Row* RowAt(int32_t i) { return &m_rows[static_cast<std::size_t>(i)]; }
    std::vector<Row*> FirstRows(int32_t count)
    {
        std::vector<Row*> rows;
        for (int32_t i = 0; i < count; ++i)
            rows.push_back(RowAt(i));
        return rows;
    }

    // Compares the list with the expected sequence through every way of
    // reading it, after checking the tree's own invariants.
    static void ExpectSequence(const FlatList& list, const std::vector<Row*>& expected)
    {
        ASSERT_EQ(list.CheckInvariantsForTesting(), "");
        ASSERT_EQ(list.Size(), static_cast<int32_t>(expected.size()));
        std::vector<Row*> iterated(list.begin(), list.end());
        ASSERT_EQ(iterated, expected);
        for (int32_t i = 0; i < list.Size(); ++i) {
            ASSERT_EQ(list.At(i), expected[static_cast<std::size_t>(i)]) << "index " << i;
            ASSERT_EQ(list.IndexOf(expected[static_cast<std::size_t>(i)]), i);
        }
        EXPECT_EQ(list.At(list.Size()), nullptr);
    }

    std::vector<Row> m_rows;
    FlatList m_list;
};

TEST_F(IndexedListTest, EmptyListAnswersNoneAndOwnsNothing)
{
    const int64_t before = Allocations();
    std::vector<ChildList> childLists(1000); // every row owns one, most stay empty
    EXPECT_EQ(Allocations(), before);
    static_assert(sizeof(ChildList) <= 2 * sizeof(void*));

    MakeRows(1);
    EXPECT_TRUE(m_list.Empty());
    EXPECT_EQ(m_list.At(0), nullptr);
    EXPECT_EQ(m_list.At(-1), nullptr);
    EXPECT_EQ(m_list.Back(), nullptr);
    EXPECT_EQ(m_list.IndexOf(RowAt(0)), -1);
    EXPECT_FALSE(m_list.Contains(RowAt(0)));
    EXPECT_EQ(m_list.EraseAt(0), nullptr);
    EXPECT_FALSE(m_list.Erase(RowAt(0)));
    EXPECT_FALSE(m_list.MoveBlock(0, 1, 0));
    EXPECT_TRUE(m_list.begin() == m_list.end());
    m_list.ForEach(-10, 10, [](Row*) { ADD_FAILURE(); });
    EXPECT_EQ(m_list.LowerBound(0, [](const Row* row, int key) { return row->m_key < key; }), 0);
    EXPECT_EQ(m_list.CheckInvariantsForTesting(), "");
}

TEST_F(IndexedListTest, OneElementTakesOneSmallNodeKeptUntilClear)
{
    MakeRows(2);
    const int64_t before = Allocations();
    ASSERT_TRUE(m_list.PushBack(RowAt(0)));
    EXPECT_EQ(Allocations(), before + 1);
    ExpectSequence(m_list, {RowAt(0)});
    EXPECT_TRUE(RowAt(0)->m_flatHook.IsLinked());
    EXPECT_FALSE(RowAt(0)->m_childHook.IsLinked());

    // Emptying by erasure keeps the leaf, so toggling one child allocates nothing.
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(m_list.Erase(RowAt(0)));
        ASSERT_TRUE(m_list.PushFront(RowAt(0)));
    }
    EXPECT_EQ(Allocations(), before + 1);
    m_list.Clear();
    EXPECT_FALSE(RowAt(0)->m_flatHook.IsLinked());
    ASSERT_TRUE(m_list.PushBack(RowAt(1)));
    EXPECT_EQ(Allocations(), before + 2);
}

TEST_F(IndexedListTest, RefusesBadInputAndChangesNothing)
{
    MakeRows(4);
    ASSERT_TRUE(m_list.Assign(FirstRows(2)));
    FlatList other;
    EXPECT_FALSE(m_list.Insert(0, nullptr));
    EXPECT_FALSE(m_list.Insert(-1, RowAt(2)));
    EXPECT_FALSE(m_list.Insert(3, RowAt(2)));
    EXPECT_FALSE(m_list.PushBack(RowAt(0)));   // already in this list
    EXPECT_FALSE(other.PushBack(RowAt(1)));    // in another list through the same hook
    EXPECT_FALSE(other.Erase(RowAt(1)));
    EXPECT_EQ(other.IndexOf(RowAt(1)), -1);
    EXPECT_FALSE(m_list.InsertAfter(RowAt(3), RowAt(2))); // position not in the list
    EXPECT_FALSE(m_list.InsertAfter(RowAt(0), RowAt(1)));
    EXPECT_FALSE(m_list.InsertBefore(nullptr, RowAt(2)));
    EXPECT_FALSE(m_list.MoveBlock(1, 2, 0));
    EXPECT_FALSE(m_list.MoveBlock(0, 1, 2));
    EXPECT_FALSE(m_list.MoveBlock(0, -1, 0));
    EXPECT_EQ(m_list.EraseAt(2), nullptr);
    EXPECT_FALSE(RowAt(2)->m_flatHook.IsLinked());
    ExpectSequence(m_list, {RowAt(0), RowAt(1)});
    EXPECT_TRUE(other.Empty());
}

TEST_F(IndexedListTest, HeadInsertionsKeepEveryIndexRight)
{
    MakeRows(1000);
    for (int32_t i = 0; i < 1000; ++i)
        ASSERT_TRUE(m_list.PushFront(RowAt(i)));
    EXPECT_EQ(m_list.IndexOf(RowAt(0)), 999);
    std::vector<Row*> expected = FirstRows(1000);
    std::reverse(expected.begin(), expected.end());
    ExpectSequence(m_list, expected);
}

TEST_F(IndexedListTest, FillingFromEitherEndPacksTheLeavesFull)
{
    constexpr int32_t kLeaves = 100;
    MakeRows(kLeaves * kLeaf);
    for (const bool back : {true, false}) {
        FlatList list;
        const int64_t before = Allocations();
        for (int32_t i = 0; i < kLeaves * kLeaf; ++i)
            ASSERT_TRUE(back ? list.PushBack(RowAt(i)) : list.PushFront(RowAt(i)));
        // Every leaf but the last two full, a few internal nodes, and the
        // small first leaves the root grew through.
        EXPECT_LE(Allocations() - before, kLeaves + 2 + 4 + 4) << (back ? "back" : "front");
        EXPECT_EQ(list.CheckInvariantsForTesting(), "");
        EXPECT_EQ(list.At(kLeaf * 50), RowAt(back ? kLeaf * 50 : kLeaves * kLeaf - 1 - kLeaf * 50));
        list.Clear();
    }
}

// Sizes around the first leaf's growth steps, a full leaf, a full root and a
// second internal level, filled from either end or in bulk, then emptied
// from the front, the back and the middle.
enum class Fill { Back, Front, Bulk };
void PrintTo(Fill fill, std::ostream* out)
{
    *out << (fill == Fill::Back ? "PushBack" : fill == Fill::Front ? "PushFront" : "Assign");
}
class IndexedListBoundaryTest : public IndexedListTest,
                                public ::testing::WithParamInterface<std::tuple<int32_t, Fill>> {};

TEST_P(IndexedListBoundaryTest, FillsAndEmptiesInOrder)
{
    const auto [size, fill] = GetParam();
    MakeRows(size);
    std::vector<Row*> expected = FirstRows(size);
    if (fill == Fill::Bulk) {
        ASSERT_TRUE(m_list.Assign(expected));
    } else {
        for (int32_t i = 0; i < size; ++i) {
            const int32_t row = fill == Fill::Back ? i : size - 1 - i;
            ASSERT_TRUE(fill == Fill::Back ? m_list.PushBack(RowAt(row)) : m_list.PushFront(RowAt(row)));
        }
    }
    ExpectSequence(m_list, expected);

    for (int32_t step = 0; !expected.empty(); ++step) {
        const std::size_t at = step % 3 == 0 ? 0 : step % 3 == 1 ? expected.size() - 1 : expected.size() / 2;
        ASSERT_EQ(m_list.EraseAt(static_cast<int32_t>(at)), expected[at]);
        EXPECT_FALSE(expected[at]->m_flatHook.IsLinked());
        expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(at));
        ASSERT_EQ(m_list.CheckInvariantsForTesting(), "") << "after " << step + 1 << " erasures";
    }
    ExpectSequence(m_list, {});
}

INSTANTIATE_TEST_SUITE_P(Sizes, IndexedListBoundaryTest,
                         ::testing::Combine(::testing::Values(1, 4, 5, 33, kLeaf, kLeaf + 1, 2 * kLeaf + 1,
                                                              kLeaf * FlatList::kFanout + 1, 5000),
                                            ::testing::Values(Fill::Back, Fill::Front, Fill::Bulk)));

// Random operations checked against a vector after every mutation.
class IndexedListDifferentialTest : public IndexedListTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(IndexedListDifferentialTest, MatchesAVector)
{
    std::mt19937 random(GetParam());
    const int32_t poolSize = 3000;
    MakeRows(poolSize);
    std::vector<Row*> model;
    std::vector<Row*> spare = FirstRows(poolSize);
    const auto pick = [&](int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(random);
    };
    const auto takeSpare = [&] {
        std::swap(spare[static_cast<std::size_t>(pick(0, static_cast<int32_t>(spare.size()) - 1))], spare.back());
        Row* row = spare.back();
        spare.pop_back();
        return row;
    };
    // Grow most of the time in the first half, shrink in the second.
    for (int32_t op = 0; op < 6000; ++op) {
        const auto size = static_cast<int32_t>(model.size());
        const bool grow = !spare.empty() && (size == 0 || pick(0, 99) < (op < 3000 ? 70 : 30));
        const int32_t kind = pick(0, 9);
        if (grow && kind < 5) {
            Row* row = takeSpare();
            const int32_t at = kind == 0 ? 0 : kind == 1 ? size : pick(0, size);
            ASSERT_TRUE(m_list.Insert(at, row));
            model.insert(model.begin() + at, row);
        } else if (grow) {
            Row* row = takeSpare();
            const int32_t at = size ? pick(0, size - 1) : 0;
            const bool after = kind % 2 == 0;
            ASSERT_TRUE(size == 0 ? m_list.PushBack(row)
                                  : after ? m_list.InsertAfter(model[at], row) : m_list.InsertBefore(model[at], row));
            model.insert(model.begin() + (size == 0 ? 0 : after ? at + 1 : at), row);
        } else if (kind < 6 && size > 0) {
            const int32_t at = pick(0, size - 1);
            Row* row = model[static_cast<std::size_t>(at)];
            if (kind < 3) {
                ASSERT_EQ(m_list.EraseAt(at), row);
            } else {
                ASSERT_TRUE(m_list.Erase(row));
            }
            model.erase(model.begin() + at);
            spare.push_back(row);
        } else if (kind < 9 && size > 0) {
            // Mostly short blocks, sometimes long ones, moved near or far.
            const int32_t count = pick(1, pick(0, 9) == 0 ? size : std::min(size, 8));
            const int32_t from = pick(0, size - count);
            const int32_t to = pick(0, 3) == 0 ? pick(0, size - count)
                                               : std::clamp(from + pick(-20, 20), 0, size - count);
            ASSERT_TRUE(m_list.MoveBlock(from, count, to));
            std::vector<Row*> block(model.begin() + from, model.begin() + from + count);
            model.erase(model.begin() + from, model.begin() + from + count);
            model.insert(model.begin() + to, block.begin(), block.end());
        } else if (pick(0, 19) == 0) {
            std::shuffle(model.begin(), model.end(), random);
            ASSERT_TRUE(m_list.Assign(model));
        } else {
            continue;
        }
        ASSERT_EQ(m_list.CheckInvariantsForTesting(), "") << "operation " << op;
        ASSERT_TRUE(std::equal(m_list.begin(), m_list.end(), model.begin(), model.end())) << "operation " << op;
        if (!model.empty()) {
            const int32_t probe = pick(0, static_cast<int32_t>(model.size()) - 1);
            ASSERT_EQ(m_list.IndexOf(model[static_cast<std::size_t>(probe)]), probe);
            ASSERT_EQ(m_list.At(probe), model[static_cast<std::size_t>(probe)]);
        }
    }
    for (Row* row : spare)
        EXPECT_FALSE(row->m_flatHook.IsLinked());
}

INSTANTIATE_TEST_SUITE_P(Seeds, IndexedListDifferentialTest, ::testing::Values(1u, 2u, 3u, 20240611u));

// MoveBlock(from, count, to) on 0..size-1, against std::rotate. Short moves
// rotate in place; far moves of few elements go element by element.
struct MoveCase {
    int32_t size, from, count, to;
};
void PrintTo(const MoveCase& c, std::ostream* out)
{
    *out << "size " << c.size << ": [" << c.from << ", " << c.from + c.count << ") to " << c.to;
}
class IndexedListMoveBlockTest : public IndexedListTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(IndexedListMoveBlockTest, MovesTheBlockAsARotation)
{
    const MoveCase c = GetParam();
    MakeRows(c.size);
    std::vector<Row*> expected = FirstRows(c.size);
    ASSERT_TRUE(m_list.Assign(expected));
    ASSERT_TRUE(m_list.MoveBlock(c.from, c.count, c.to));
    if (c.to < c.from)
        std::rotate(expected.begin() + c.to, expected.begin() + c.from, expected.begin() + c.from + c.count);
    else
        std::rotate(expected.begin() + c.from, expected.begin() + c.from + c.count, expected.begin() + c.to + c.count);
    ExpectSequence(m_list, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IndexedListMoveBlockTest,
                         ::testing::Values(MoveCase{10, 3, 0, 7},           // nothing to move
                                           MoveCase{10, 0, 10, 0},          // the whole list
                                           MoveCase{10, 4, 3, 0},           // to the front
                                           MoveCase{10, 4, 3, 7},           // to the back
                                           MoveCase{10, 2, 5, 3},           // overlapping, one step later
                                           MoveCase{10, 3, 5, 2},           // overlapping, one step earlier
                                           MoveCase{5000, 100, 200, 150},   // long block, short way
                                           MoveCase{5000, 4990, 10, 0},     // far to the front
                                           MoveCase{5000, 0, 1, 4999},      // far to the back
                                           MoveCase{5000, 10, 40, 4000},    // long block, far
                                           MoveCase{5000, 63, 2, 64}));     // across a leaf boundary

class IndexedListAssignTest : public IndexedListTest {};

TEST_F(IndexedListAssignTest, RebuildsInOrderAndReusesNodesForTheSameSize)
{
    MakeRows(5000);
    std::vector<Row*> rows = FirstRows(5000);
    ASSERT_TRUE(m_list.Assign(rows));
    ExpectSequence(m_list, rows);
    EXPECT_GE(m_list.HeightForTesting(), 2);

    // A full re-sort hands back the same rows in a new order.
    std::reverse(rows.begin(), rows.end());
    const int64_t before = Allocations();
    ASSERT_TRUE(m_list.Assign(rows));
    EXPECT_EQ(Allocations(), before);
    ExpectSequence(m_list, rows);

    // Rows left out of a smaller set are unlinked.
    ASSERT_TRUE(m_list.Assign(std::vector<Row*>{RowAt(7)}));
    ExpectSequence(m_list, {RowAt(7)});
    EXPECT_FALSE(RowAt(8)->m_flatHook.IsLinked());
    ASSERT_TRUE(m_list.Assign({}));
    ExpectSequence(m_list, {});
    EXPECT_FALSE(RowAt(7)->m_flatHook.IsLinked());
}

TEST_F(IndexedListAssignTest, RefusesNullDuplicateOrForeignElementsAndKeepsTheOldContents)
{
    MakeRows(200);
    const std::vector<Row*> old = FirstRows(100);
    ASSERT_TRUE(m_list.Assign(old));
    FlatList other;
    ASSERT_TRUE(other.PushBack(RowAt(150)));

    std::vector<Row*> withNull = FirstRows(120);
    withNull[110] = nullptr;
    std::vector<Row*> withDuplicate = FirstRows(120);
    withDuplicate[110] = RowAt(105);
    std::vector<Row*> withForeign = FirstRows(120);
    withForeign[110] = RowAt(150);
    for (const auto& bad : {withNull, withDuplicate, withForeign}) {
        EXPECT_FALSE(m_list.Assign(bad));
        ExpectSequence(m_list, old);
        for (int32_t i = 100; i < 120; ++i)
            EXPECT_FALSE(RowAt(i)->m_flatHook.IsLinked());
    }
    EXPECT_EQ(other.IndexOf(RowAt(150)), 0);
}

TEST_F(IndexedListTest, ElementsSitInTwoListsThroughTwoHooks)
{
    MakeRows(300);
    ChildList children;
    for (int32_t i = 0; i < 300; ++i) {
        ASSERT_TRUE(m_list.PushBack(RowAt(i)));
        ASSERT_TRUE(children.PushFront(RowAt(i)));
    }
    EXPECT_EQ(m_list.IndexOf(RowAt(10)), 10);
    EXPECT_EQ(children.IndexOf(RowAt(10)), 289);
    ASSERT_TRUE(children.Erase(RowAt(10)));
    EXPECT_FALSE(RowAt(10)->m_childHook.IsLinked());
    EXPECT_TRUE(m_list.Contains(RowAt(10)));
    EXPECT_EQ(m_list.IndexOf(RowAt(11)), 11);
    EXPECT_EQ(children.IndexOf(RowAt(11)), 288);
    ASSERT_TRUE(m_list.MoveBlock(0, 50, 250));
    EXPECT_EQ(children.IndexOf(RowAt(0)), 298);
    EXPECT_EQ(children.CheckInvariantsForTesting(), "");
    EXPECT_EQ(m_list.CheckInvariantsForTesting(), "");
}

TEST_F(IndexedListTest, ClearDestructionAndMovesKeepHooksTrue)
{
    MakeRows(500);
    ASSERT_TRUE(m_list.Assign(FirstRows(300)));
    {
        FlatList scoped;
        for (int32_t i = 300; i < 500; ++i)
            ASSERT_TRUE(scoped.PushBack(RowAt(i)));
        FlatList moved(std::move(scoped));
        EXPECT_TRUE(scoped.Empty());
        EXPECT_EQ(moved.IndexOf(RowAt(499)), 199);
        EXPECT_EQ(scoped.IndexOf(RowAt(499)), -1);
        scoped = std::move(moved);
        EXPECT_EQ(scoped.IndexOf(RowAt(300)), 0);
    }
    for (int32_t i = 300; i < 500; ++i)
        ASSERT_FALSE(RowAt(i)->m_flatHook.IsLinked());

    // A copied row starts outside every list.
    Row copy = *RowAt(5);
    EXPECT_FALSE(copy.m_flatHook.IsLinked());
    m_list.Clear();
    for (int32_t i = 0; i < 300; ++i)
        ASSERT_FALSE(RowAt(i)->m_flatHook.IsLinked());
    ExpectSequence(m_list, {});
}

TEST_F(IndexedListTest, IteratesAndSearchesFromAnyIndex)
{
    MakeRows(3000);
    std::vector<Row*> rows = FirstRows(3000);
    for (int32_t i = 0; i < 3000; ++i)
        rows[static_cast<std::size_t>(i)]->m_key = i / 7; // runs of equal keys
    ASSERT_TRUE(m_list.Assign(rows));

    for (int32_t first : {0, 63, 64, 1000, 2950}) {
        std::vector<Row*> visited;
        m_list.ForEach(first, first + 60, [&](Row* row) { visited.push_back(row); });
        const auto end = std::min<std::size_t>(rows.size(), static_cast<std::size_t>(first + 60));
        EXPECT_EQ(visited, std::vector<Row*>(rows.begin() + first, rows.begin() + static_cast<std::ptrdiff_t>(end)));
        EXPECT_EQ(*m_list.IteratorAt(first), rows[static_cast<std::size_t>(first)]);
    }
    int visits = 0;
    m_list.ForEach(-5, 3, [&](Row*) { ++visits; });
    EXPECT_EQ(visits, 3);
    EXPECT_TRUE(m_list.IteratorAt(3000) == m_list.end());

    const auto keyLess = [](const Row* row, int key) { return row->m_key < key; };
    const auto lessKey = [](int key, const Row* row) { return key < row->m_key; };
    for (int key = -1; key <= 430; ++key) {
        const auto lower = std::lower_bound(rows.begin(), rows.end(), key, keyLess) - rows.begin();
        const auto upper = std::upper_bound(rows.begin(), rows.end(), key, lessKey) - rows.begin();
        ASSERT_EQ(m_list.LowerBound(key, keyLess), lower) << "key " << key;
        ASSERT_EQ(m_list.UpperBound(key, lessKey), upper) << "key " << key;
    }
    EXPECT_EQ(m_list.PartitionPoint([](const Row*) { return true; }), 3000);
}

TEST_F(IndexedListTest, SteadyInsertEraseMixRarelyAllocates)
{
    MakeRows(20002);
    for (int32_t i = 0; i < 20000; ++i)
        ASSERT_TRUE(m_list.PushBack(RowAt(i)));
    Row* extra[2] = {RowAt(20000), RowAt(20001)};

    // Two in, two out at one place: a tree that splits and merges at the same
    // threshold would allocate and free on every round of this.
    int64_t before = Allocations();
    for (int round = 0; round < 2000; ++round) {
        for (int32_t at : {4000, 4064, 4100}) {
            ASSERT_TRUE(m_list.Insert(at, extra[0]));
            ASSERT_TRUE(m_list.Insert(at, extra[1]));
            ASSERT_EQ(m_list.EraseAt(at), extra[1]);
            ASSERT_EQ(m_list.EraseAt(at), extra[0]);
        }
    }
    EXPECT_LE(Allocations() - before, 3);

    // Random places, the size kept steady.
    std::mt19937 random(7);
    before = Allocations();
    for (int round = 0; round < 4000; ++round) {
        const int32_t from = std::uniform_int_distribution<int32_t>(0, m_list.Size() - 1)(random);
        Row* row = m_list.EraseAt(from);
        ASSERT_TRUE(m_list.Insert(std::uniform_int_distribution<int32_t>(0, m_list.Size())(random), row));
    }
    EXPECT_LE(Allocations() - before, 8000 / 16);
    EXPECT_EQ(m_list.CheckInvariantsForTesting(), "");
}

TEST_F(IndexedListTest, DeepTreeShrinksBackToOneLeaf)
{
    MakeRows(200000);
    for (int32_t i = 0; i < 200000; ++i)
        ASSERT_TRUE(m_list.PushFront(RowAt(i)));
    EXPECT_GE(m_list.HeightForTesting(), 3);
    ASSERT_EQ(m_list.CheckInvariantsForTesting(), "");
    EXPECT_EQ(m_list.IndexOf(RowAt(0)), 199999);

    std::mt19937 random(11);
    while (m_list.Size() > 10) {
        const int32_t at = std::uniform_int_distribution<int32_t>(0, m_list.Size() - 1)(random);
        ASSERT_NE(m_list.EraseAt(at), nullptr);
        if (m_list.Size() % 4096 == 0) {
            ASSERT_EQ(m_list.CheckInvariantsForTesting(), "") << "at size " << m_list.Size();
        }
    }
    EXPECT_EQ(m_list.HeightForTesting(), 0);
    EXPECT_EQ(m_list.CheckInvariantsForTesting(), "");
}

} // namespace
} // namespace Brivel::Common
