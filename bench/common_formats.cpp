// Text conversion of the formats every painted cell goes through: CLongFormat
// and CDoubleFormat text (standard-string Format) and CLongFormat parse, on
// the benchmark's typical values (products of two draws of 0..32767, so up
// to about 1.07e9, printed with the default space grouping).
//
// Each case reports allocs_per_op: heap allocations per conversion (see
// bench/allocation_counter.h). The goal for a grouped 32-bit integer is no
// allocation beyond the result string's own (and none at all while the text
// fits the string's inline buffer).

#include "bench/allocation_counter.h"
#include "common/field_value.h"
#include "common/integer_formats.h"
#include "common/real_formats.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Brivel::Common {
namespace {

// The benchmark's own value source: the C runtime's generator from state 1,
// each value the product of two draws.
std::vector<int32_t> TypicalValues()
{
    uint32_t state = 1;
    auto draw = [&state] {
        state = state * 214013u + 2531011u;
        return static_cast<int32_t>((state >> 16) & 0x7FFF);
    };
    std::vector<int32_t> values(4096);
    for (auto& value : values)
        value = draw() * draw();
    return values;
}

// Runs convert over the values in turn, one conversion per iteration. The
// count of values is a power of two, so picking the next one is a mask.
template <class Value, class Convert>
void RunConversions(benchmark::State& state, const std::vector<Value>& values, Convert&& convert)
{
    const size_t mask = values.size() - 1;
    if ((values.size() & mask) != 0) {
        state.SkipWithError("the count of values must be a power of two");
        return;
    }
    size_t i = 0;
    Bench::CAllocationCounter counter(state);
    for (auto _ : state) {
        auto result = convert(values[i++ & mask]);
        benchmark::DoNotOptimize(result);
    }
}

void BM_LongFormat_Format(benchmark::State& state)
{
    const CLongFormat format;
    RunConversions(state, TypicalValues(), [&](int32_t value) { return format.Format(value); });
}
BENCHMARK(BM_LongFormat_Format);

// The path a cell takes when the caller holds a CFieldValue.
void BM_LongFormat_FormatFieldValue(benchmark::State& state)
{
    std::vector<CFieldValue> values;
    for (const int32_t value : TypicalValues())
        values.emplace_back(value);
    const CLongFormat format;
    RunConversions(state, values, [&](const CFieldValue& value) { return format.Format(value); });
}
BENCHMARK(BM_LongFormat_FormatFieldValue);

// Framework-string text: the result string's buffer is one allocation.
void BM_LongFormat_FormatCString(benchmark::State& state)
{
    const CLongFormat format;
    RunConversions(state, TypicalValues(), [&](int32_t value) { return format.FormatCString(value); });
}
BENCHMARK(BM_LongFormat_FormatCString);

void BM_LongFormat_Parse(benchmark::State& state)
{
    const CLongFormat format;
    std::vector<std::string> texts;
    for (const int32_t value : TypicalValues())
        texts.push_back(format.Format(value));
    RunConversions(state, texts, [&](const std::string& text) {
        int32_t value = 0;
        return format.Parse(text, value) ? value : -1;
    });
}
BENCHMARK(BM_LongFormat_Parse);

// Integer-valued doubles of the same range: integer part grouped, no fraction.
void BM_DoubleFormat_FormatWhole(benchmark::State& state)
{
    std::vector<double> values;
    for (const int32_t value : TypicalValues())
        values.push_back(value);
    const CDoubleFormat format;
    RunConversions(state, values, [&](double value) { return format.Format(value); });
}
BENCHMARK(BM_DoubleFormat_FormatWhole);

// The same range with a three-digit fraction ("1 073 676,289").
void BM_DoubleFormat_FormatFraction(benchmark::State& state)
{
    std::vector<double> values;
    for (const int32_t value : TypicalValues())
        values.push_back(value / 1000.0);
    const CDoubleFormat format;
    RunConversions(state, values, [&](double value) { return format.Format(value); });
}
BENCHMARK(BM_DoubleFormat_FormatFraction);

} // namespace
} // namespace Brivel::Common
