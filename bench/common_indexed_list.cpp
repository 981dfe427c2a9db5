// CIndexedList on the grid's hot paths: building row lists by insertion at
// the head, the tail or random places, row-index lookups (IndexOf, At),
// painting-style iteration of a screenful of rows, erasure of the newest rows,
// block moves after a value change, and the bulk rebuild after a sort.
//
//   build/release/bench/brivel_common_bench --benchmark_filter=IndexedList

#include "common/indexed_list.h"

#include <benchmark/benchmark.h>

#include <algorithm>
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

std::vector<int32_t> RandomIndices(int32_t count, int32_t bound, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int32_t> pick(0, bound - 1);
    std::vector<int32_t> indices(static_cast<std::size_t>(count));
    for (auto& index : indices)
        index = pick(random);
    return indices;
}

enum class Where { Head, Tail, Random };

// Inserts N rows one by one into an empty list; the time per row is the
// inverse of items_per_second.
template <Where where>
void BM_IndexedListInsert(benchmark::State& state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    std::vector<Row> rows(static_cast<std::size_t>(n));
    std::vector<int32_t> positions(static_cast<std::size_t>(n));
    std::mt19937 random(1);
    for (int32_t i = 0; i < n; ++i)
        positions[static_cast<std::size_t>(i)] = std::uniform_int_distribution<int32_t>(0, i)(random);
    for (auto _ : state) {
        FlatList list;
        for (int32_t i = 0; i < n; ++i) {
            Row* row = &rows[static_cast<std::size_t>(i)];
            if constexpr (where == Where::Head)
                list.PushFront(row);
            else if constexpr (where == Where::Tail)
                list.PushBack(row);
            else
                list.Insert(positions[static_cast<std::size_t>(i)], row);
        }
        state.PauseTiming();
        list.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_IndexedListInsert<Where::Head>)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexedListInsert<Where::Tail>)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexedListInsert<Where::Random>)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The baseline this container replaces: a vector of row pointers filled at
// the head (the renumbering of the cached indices is not even counted).
void BM_VectorInsertHead(benchmark::State& state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    std::vector<Row> rows(static_cast<std::size_t>(n));
    for (auto _ : state) {
        std::vector<Row*> list;
        for (int32_t i = 0; i < n; ++i)
            list.insert(list.begin(), &rows[static_cast<std::size_t>(i)]);
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_VectorInsertHead)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

// A list of N rows built at the head, as after N insertions at the head.
class HeadBuiltList : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State& state) override
    {
        const auto n = static_cast<int32_t>(state.range(0));
        m_rows = std::vector<Row>(static_cast<std::size_t>(n));
        for (Row& row : m_rows)
            m_list.PushFront(&row);
        m_probes = RandomIndices(1 << 16, n, 2);
    }
    void TearDown(const benchmark::State&) override
    {
        m_list.Clear();
        m_rows.clear();
    }

protected:
    std::vector<Row> m_rows; // outlives m_list's contents: TearDown clears the list first
    FlatList m_list;
    std::vector<int32_t> m_probes;
};

BENCHMARK_DEFINE_F(HeadBuiltList, IndexOf)(benchmark::State& state)
{
    std::size_t probe = 0;
    for (auto _ : state) {
        const Row* row = &m_rows[static_cast<std::size_t>(m_probes[probe++ & 0xFFFF])];
        benchmark::DoNotOptimize(m_list.IndexOf(row));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_REGISTER_F(HeadBuiltList, IndexOf)->Arg(100000)->Arg(1000000);

BENCHMARK_DEFINE_F(HeadBuiltList, At)(benchmark::State& state)
{
    std::size_t probe = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(m_list.At(m_probes[probe++ & 0xFFFF]));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_REGISTER_F(HeadBuiltList, At)->Arg(100000)->Arg(1000000);

// One screenful: 60 consecutive rows from a random top row.
BENCHMARK_DEFINE_F(HeadBuiltList, Iterate60)(benchmark::State& state)
{
    std::size_t probe = 0;
    for (auto _ : state) {
        const int32_t top = m_probes[probe++ & 0xFFFF];
        int64_t sum = 0;
        m_list.ForEach(top, top + 60, [&](const Row* row) { sum += row->m_key; });
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 60);
}
BENCHMARK_REGISTER_F(HeadBuiltList, Iterate60)->Arg(100000)->Arg(1000000);

BENCHMARK_DEFINE_F(HeadBuiltList, LowerBound)(benchmark::State& state)
{
    // Keys ascend along the list: rows were pushed at the head in reverse.
    const auto n = static_cast<int32_t>(m_rows.size());
    for (int32_t i = 0; i < n; ++i)
        m_rows[static_cast<std::size_t>(i)].m_key = n - 1 - i;
    std::size_t probe = 0;
    for (auto _ : state) {
        const int32_t key = m_probes[probe++ & 0xFFFF];
        benchmark::DoNotOptimize(m_list.LowerBound(key, [](const Row* row, int32_t k) { return row->m_key < k; }));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_REGISTER_F(HeadBuiltList, LowerBound)->Arg(1000000);

// A row moved after a value change: by a few rows (rotation in place), or a
// row with a small shown subtree to a random place.
BENCHMARK_DEFINE_F(HeadBuiltList, MoveBlockNear)(benchmark::State& state)
{
    const int32_t n = m_list.Size();
    std::size_t probe = 0;
    for (auto _ : state) {
        const int32_t from = m_probes[probe++ & 0xFFFF] % (n - 20);
        m_list.MoveBlock(from, 1, from + 10);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_REGISTER_F(HeadBuiltList, MoveBlockNear)->Arg(100000);

BENCHMARK_DEFINE_F(HeadBuiltList, MoveBlockFar)(benchmark::State& state)
{
    const int32_t n = m_list.Size();
    std::size_t probe = 0;
    for (auto _ : state) {
        const int32_t from = m_probes[probe++ & 0xFFFF] % (n - 5);
        const int32_t to = m_probes[probe++ & 0xFFFF] % (n - 5);
        m_list.MoveBlock(from, 5, to);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_REGISTER_F(HeadBuiltList, MoveBlockFar)->Arg(100000);

// The bulk rebuild after a full sort: the same rows in a new order.
BENCHMARK_DEFINE_F(HeadBuiltList, AssignSameRows)(benchmark::State& state)
{
    std::vector<Row*> order;
    for (Row& row : m_rows)
        order.push_back(&row);
    std::shuffle(order.begin(), order.end(), std::mt19937(3));
    for (auto _ : state)
        m_list.Assign(order);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(order.size()));
}
BENCHMARK_REGISTER_F(HeadBuiltList, AssignSameRows)->Arg(100000)->Unit(benchmark::kMillisecond);

// Erasing rows, newest first, from a list of N built at the tail.
void BM_IndexedListEraseNewest(benchmark::State& state)
{
    const auto n = static_cast<int32_t>(state.range(0));
    std::vector<Row> rows(static_cast<std::size_t>(n));
    FlatList list;
    for (auto _ : state) {
        state.PauseTiming();
        for (Row& row : rows)
            list.PushBack(&row);
        state.ResumeTiming();
        for (int32_t i = n; i-- > 0;)
            list.Erase(&rows[static_cast<std::size_t>(i)]);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_IndexedListEraseNewest)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace Brivel::Common
