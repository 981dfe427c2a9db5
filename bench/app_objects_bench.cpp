// The benchmark's row objects on the grid's read path: the text of a
// CTestObject integer field through its field map (what a cell paint asks
// for), the typed read alone, a random update with one subscriber, and the
// text of a log time stamp.
//
// Goal for the integer text: under 100 ns and no allocation beyond the
// result string's (none while the text fits its inline buffer, as the
// benchmark's values do). allocs_per_op counts the calling thread's
// allocations (bench/allocation_counter.h).

#include "app/log_message.h"
#include "app/test_object.h"
#include "bench/allocation_counter.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace Quellon {
namespace {

// Many rows, so that the reads do not all hit one object in the cache.
std::vector<std::unique_ptr<CTestObject>> MakeRows(size_t count)
{
    std::vector<std::unique_ptr<CTestObject>> rows;
    rows.reserve(count);
    for (size_t index = 0; index < count; ++index)
        rows.push_back(std::make_unique<CTestObject>("Item " + std::to_string(index)));
    return rows;
}

constexpr size_t kRows = 4096; // a power of two: the next row is a mask away

void BM_TestObject_GetText(benchmark::State& state)
{
    const auto rows = MakeRows(kRows);
    size_t index = 0;
    Brivel::Common::CDataObject* row = nullptr;
    Brivel::Bench::CAllocationCounter counter(state);
    for (auto _ : state) {
        row = rows[index & (kRows - 1)].get();
        std::string text = row->GetText(static_cast<int32_t>(index % 10) + 1);
        benchmark::DoNotOptimize(text);
        ++index;
    }
}
BENCHMARK(BM_TestObject_GetText);

void BM_TestObject_GetLong(benchmark::State& state)
{
    const auto rows = MakeRows(kRows);
    size_t index = 0;
    Brivel::Bench::CAllocationCounter counter(state);
    for (auto _ : state) {
        const Brivel::Common::CDataObject& row = *rows[index & (kRows - 1)];
        benchmark::DoNotOptimize(row.GetLong(static_cast<int32_t>(index % 10) + 1));
        ++index;
    }
}
BENCHMARK(BM_TestObject_GetLong);

class CNullSink final : public Brivel::Common::CDataObject::ISink {
public:
    using Brivel::Common::CDataObject::ISink::OnUpdate;
    void OnUpdate(int32_t id, Brivel::Common::CDataObject*) override { benchmark::DoNotOptimize(id); }
};

void BM_TestObject_UpdateRandomValue(benchmark::State& state)
{
    CTestObject object("Item 1");
    CNullSink sink;
    object.Subscribe(&sink);
    {
        Brivel::Bench::CAllocationCounter counter(state);
        for (auto _ : state)
            object.UpdateRandomValue();
    }
    object.Unsubscribe(&sink);
}
BENCHMARK(BM_TestObject_UpdateRandomValue);

void BM_LogMessage_TimestampText(benchmark::State& state)
{
    const CLogMessage message(CLogMessage::ActionType::Add, "Added 1000 rows");
    Brivel::Bench::CAllocationCounter counter(state);
    for (auto _ : state) {
        std::string text = message.GetText(CLogMessage::kTimestampField);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_LogMessage_TimestampText);

} // namespace
} // namespace Quellon
