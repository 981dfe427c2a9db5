// Change notification of a data object: NotifyUpdate with no, one, eight and
// nine subscribers (nine is one past the stack buffer, so it shows the heap
// fallback), and a subscribe/unsubscribe pair.
//
// Goal for one subscriber, the grid's case: under 50 ns per call and no heap
// allocation, although the list is copied on every call. allocs_per_op
// counts the calling thread's allocations (bench/allocation_counter.h).

#include "bench/allocation_counter.h"
#include "common/data_object.h"
#include "common/field_map.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace Brivel::Common {
namespace {

class CBenchObject final : public CDataObject {
public:
    const CFieldMap* GetFieldMap() const override
    {
        static const CFieldMap s_map;
        return &s_map;
    }
};

class CCountingSink final : public CDataObject::ISink {
public:
    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int32_t id, CDataObject*) override { m_sum += static_cast<uint32_t>(id); }
    uint32_t Sum() const { return m_sum; }

private:
    uint32_t m_sum = 0;
};

void BM_NotifyUpdate(benchmark::State& state)
{
    const int sinkCount = static_cast<int>(state.range(0));
    CBenchObject object;
    std::vector<CCountingSink> sinks(static_cast<size_t>(sinkCount));
    for (auto& sink : sinks)
        object.Subscribe(&sink);
    int32_t id = 0;
    {
        Bench::CAllocationCounter counter(state);
        for (auto _ : state)
            object.NotifyUpdate(id++ & 15);
    }
    uint32_t sum = 0;
    for (const auto& sink : sinks)
        sum += sink.Sum();
    benchmark::DoNotOptimize(sum);
    for (auto& sink : sinks)
        object.Unsubscribe(&sink);
}
BENCHMARK(BM_NotifyUpdate)->Arg(0)->Arg(1)->Arg(8)->Arg(9);

// What a row costs when it is bound to and released from a grid.
void BM_SubscribeUnsubscribe(benchmark::State& state)
{
    CBenchObject object;
    CCountingSink sink;
    Bench::CAllocationCounter counter(state);
    for (auto _ : state) {
        object.Subscribe(&sink);
        object.Unsubscribe(&sink);
    }
}
BENCHMARK(BM_SubscribeUnsubscribe);

} // namespace
} // namespace Brivel::Common
