#pragma once
// Counting heap allocations in a micro-benchmark.
//
// allocation_counter.cpp replaces the global operator new with one that
// counts the calling thread's allocations; a benchmark executable that links
// it (see bench/CMakeLists.txt) can report allocations per iteration:
//
//   CAllocationCounter counter(state); // reports "allocs_per_op" when it goes
//   for (auto _ : state) { ... }
//
// The counter is per thread and not atomic, so every allocation of the
// executable pays one thread-local increment.

#include <benchmark/benchmark.h>

#include <cstdint>

namespace Brivel::Bench {

// Allocations made by the calling thread so far.
uint64_t AllocationsOnThisThread() noexcept;

// Reports the allocations of the running thread between its construction and
// its destruction as the counter "allocs_per_op", averaged over iterations.
class CAllocationCounter {
public:
    explicit CAllocationCounter(benchmark::State& state) : m_state(state), m_start(AllocationsOnThisThread()) {}
    CAllocationCounter(const CAllocationCounter&) = delete;
    CAllocationCounter& operator=(const CAllocationCounter&) = delete;
    ~CAllocationCounter()
    {
        m_state.counters["allocs_per_op"] = benchmark::Counter(
            static_cast<double>(AllocationsOnThisThread() - m_start), benchmark::Counter::kAvgIterations);
    }

private:
    benchmark::State& m_state;
    uint64_t m_start;
};

} // namespace Brivel::Bench
