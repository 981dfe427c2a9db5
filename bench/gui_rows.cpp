// Costs of the row tree, the data-object registry and the dispatcher.
//
//   RowInsertAtHead          1 000 000 insertions at the head of a body list
//   RowIndexAfterHeadInserts GetRowIndex of a random row / of the last row, in
//                            a list built by 1 000 000 head insertions
//   BindingAddRemove/0, /1   AddBinding + RemoveBinding of one pair, with
//                            1 000 000 bindings in the registry: random
//                            pairs, pairs in binding order
//   DispatcherSaturation     NotifyUpdate on a worker as fast as it goes, the
//                            GUI thread (this one) draining: deliveries per
//                            second end to end, and the producer's own cost
//                            and allocations per change
//   DispatcherLatency        a worker at 1 000 000 changes per second (bursts
//                            of 1000 each millisecond): largest and mean
//                            delay from NotifyUpdate to the row's
//                            data-change step on the GUI thread
//
// The main thread is the GUI thread (gui_bench_main.cpp gives it the
// QApplication); the dispatcher benchmarks run its event loop while they
// wait for the worker's changes.
//
// Run: build/release/bench/brivel_gui_bench --benchmark_filter='Row|Binding|Dispatcher'

#include "bench/allocation_counter.h"
#include "common/data_object.h"
#include "gui/rows/data_object_registry.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/row_list.h"
#include "gui/rows/row_list_owner.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace Brivel::GUI;
using Brivel::Common::CDataObject;
using Clock = std::chrono::steady_clock;

class CBenchObject final : public CDataObject {
public:
    ~CBenchObject() override { AnnounceDeletion(); }
    const Brivel::Common::CFieldMap* GetFieldMap() const override { return nullptr; }
};

// The grid's part of a change, reduced to counting (and, when stamps are
// given, measuring each change's delay).
class CCountingOwner final : public IRowListOwner {
public:
    void NotifyItem(int32_t, CGridItem&) override {}
    void OnRowsChanged(CRowList&, int32_t, int32_t) override {}
    void InvalidateItem(CGridItem&) override {}
    int32_t GetFocusRow(const CRowList&) const override { return -1; }
    void SetFocusRow(CRowList&, int32_t) override {}
    bool IsSelectionEnabled() const override { return true; }
    bool IsMultipleSelection() const override { return true; }
    bool HasSelection() const override { return false; }
    IRowFilter* GetRowFilter() const override { return nullptr; }
    CGrid* GetGrid() const override { return nullptr; }
    void OnItemDataChanged(CGridItem&, int32_t fieldId) override
    {
        if (stamps) {
            const int64_t delay = Clock::now().time_since_epoch().count() - stamps[fieldId];
            maxDelay = std::max(maxDelay, delay);
            totalDelay += delay;
        }
        delivered.store(delivered.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    }
    void RemoveItemOfDisposedObject(CGridItem& item) override { CRowList::DestroyItem(&item); }

    std::atomic<int64_t> delivered{0};
    const int64_t* stamps = nullptr; // steady-clock ticks at each change, indexed by field id
    int64_t maxDelay = 0;
    int64_t totalDelay = 0;
};

// ---- Row tree ----

void RowInsertAtHead(benchmark::State& state)
{
    const int32_t count = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        auto list = std::make_unique<CRowList>(CRowList::kBodyList, nullptr);
        for (int32_t i = 0; i < count; ++i)
            list->InsertChild(nullptr, 0, CGridItem::Create(), true);
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(RowInsertAtHead)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

// One list of a million rows, each inserted at the head, shared by the
// index benchmarks.
struct CHeadInsertedList {
    CRowList list{CRowList::kBodyList, nullptr};
    std::vector<CGridItem*> items; // in insertion order: items[0] is the last row
    CHeadInsertedList()
    {
        items.reserve(1000000);
        for (int i = 0; i < 1000000; ++i) {
            items.push_back(CGridItem::Create());
            list.InsertChild(nullptr, 0, items.back(), true);
        }
    }
    static CHeadInsertedList& Get()
    {
        static CHeadInsertedList instance;
        return instance;
    }
};

void RowIndexAfterHeadInsertsRandom(benchmark::State& state)
{
    CHeadInsertedList& shared = CHeadInsertedList::Get();
    uint32_t x = 2463534242u;
    for (auto _ : state) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        benchmark::DoNotOptimize(shared.list.GetRowIndex(shared.items[x % shared.items.size()]));
    }
}
BENCHMARK(RowIndexAfterHeadInsertsRandom);

void RowIndexAfterHeadInsertsLast(benchmark::State& state)
{
    CHeadInsertedList& shared = CHeadInsertedList::Get();
    for (auto _ : state)
        benchmark::DoNotOptimize(shared.list.GetRowIndex(shared.items.front()));
}
BENCHMARK(RowIndexAfterHeadInsertsLast);

// ---- Registry ----

void BindingAddRemove(benchmark::State& state)
{
    constexpr size_t kBindings = 1000000;
    CDataObjectRegistry& registry = CDataObjectRegistry::GetInstance();
    std::vector<std::unique_ptr<CBenchObject>> objects(kBindings);
    for (auto& object : objects)
        object = std::make_unique<CBenchObject>();
    // Rows are only addresses to the registry here; never dereferenced.
    const auto rowOf = [](size_t n) { return reinterpret_cast<CGridItem*>((n + 1) * 256); };
    for (size_t n = 0; n < kBindings; ++n)
        registry.AddBinding(objects[n].get(), rowOf(n));
    uint32_t x = 88172645u;
    const bool sequential = state.range(0) != 0;
    size_t next = 0;
    {
        Brivel::Bench::CAllocationCounter allocations(state);
        for (auto _ : state) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            // Random pairs (every access a cache and TLB miss over the table
            // and the objects), or pairs in binding order (arg 1).
            const size_t n = sequential ? ++next % kBindings : x % kBindings;
            registry.RemoveBinding(objects[n].get(), rowOf(n));
            registry.AddBinding(objects[n].get(), rowOf(n));
        }
    }
    for (size_t n = 0; n < kBindings; ++n)
        registry.RemoveBinding(objects[n].get(), rowOf(n));
    state.counters["bindings"] = static_cast<double>(kBindings);
}
BENCHMARK(BindingAddRemove)->Arg(0)->Arg(1);

// ---- Dispatcher ----

// Runs the GUI thread's event loop until `owner` has seen `count` changes.
void PumpUntilDelivered(const CCountingOwner& owner, int64_t count)
{
    while (owner.delivered.load(std::memory_order_relaxed) < count)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
}

void DispatcherSaturation(benchmark::State& state)
{
    constexpr int32_t kChanges = 200000;
    CCountingOwner owner;
    CRowList list(CRowList::kBodyList, &owner);
    CBenchObject object;
    list.InsertChild(nullptr, 0, CGridItem::Create(&object), true);
    double producerSeconds = 0;
    uint64_t producerAllocations = 0;
    for (auto _ : state) {
        owner.delivered = 0;
        std::thread producer([&] {
            const uint64_t allocationsBefore = Brivel::Bench::AllocationsOnThisThread();
            const auto start = Clock::now();
            for (int32_t field = 0; field < kChanges; ++field)
                object.NotifyUpdate(field % 16);
            producerSeconds += std::chrono::duration<double>(Clock::now() - start).count();
            producerAllocations += Brivel::Bench::AllocationsOnThisThread() - allocationsBefore;
        });
        PumpUntilDelivered(owner, kChanges);
        producer.join();
    }
    const double changes = static_cast<double>(state.iterations()) * kChanges;
    state.SetItemsProcessed(static_cast<int64_t>(changes));
    state.counters["producer_ns_per_change"] = producerSeconds * 1e9 / changes;
    state.counters["producer_allocs_per_change"] = static_cast<double>(producerAllocations) / changes;
}
BENCHMARK(DispatcherSaturation)->Unit(benchmark::kMillisecond)->UseRealTime();

void DispatcherLatency(benchmark::State& state)
{
    // Half a second at 1 000 000 changes per second, in bursts of 1000 every
    // millisecond (the producer sleeps in between, as a timer-driven one does).
    constexpr int32_t kChanges = 500000;
    constexpr int32_t kBurst = 1000;
    constexpr auto kBurstInterval = std::chrono::milliseconds(1);
    CCountingOwner owner;
    CRowList list(CRowList::kBodyList, &owner);
    CBenchObject object;
    list.InsertChild(nullptr, 0, CGridItem::Create(&object), true);
    std::vector<int64_t> stamps(kChanges);
    owner.stamps = stamps.data();
    for (auto _ : state) {
        owner.delivered = 0;
        std::thread producer([&] {
            const auto start = Clock::now();
            for (int32_t field = 0; field < kChanges; ++field) {
                if (field % kBurst == 0)
                    std::this_thread::sleep_until(start + (field / kBurst) * kBurstInterval);
                stamps[static_cast<size_t>(field)] = Clock::now().time_since_epoch().count();
                object.NotifyUpdate(field);
            }
        });
        PumpUntilDelivered(owner, kChanges);
        producer.join();
    }
    const double changes = static_cast<double>(state.iterations()) * kChanges;
    state.SetItemsProcessed(static_cast<int64_t>(changes));
    const double tickSeconds = static_cast<double>(Clock::period::num) / Clock::period::den;
    state.counters["max_delay_ms"] = static_cast<double>(owner.maxDelay) * tickSeconds * 1e3;
    state.counters["mean_delay_us"] = static_cast<double>(owner.totalDelay) / changes * tickSeconds * 1e6;
}
BENCHMARK(DispatcherLatency)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
