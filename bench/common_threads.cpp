// Micro-benchmarks of the automat and the timer service:
//   BM_PostJobLatency     PostJob on an idle automat until the job runs (us)
//   BM_JobThroughput      jobs per second through one automat
//   BM_TimerLateness10ms  lateness of a 10 ms timer that re-arms itself,
//                         mean and maximum over 1000 firings (10 s)

#include "common/automat.h"
#include "common/job.h"
#include "common/performance_counter.h"
#include "common/semaphore.h"
#include "common/timer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace Brivel::Common {
namespace {

int64_t Now()
{
    int64_t count = 0;
    QueryPerformanceCounter(&count);
    return count;
}

class CStampJob final : public CJob {
public:
    CStampJob(std::atomic<int64_t>& stamp, CSemaphore& done) : m_stamp(stamp), m_done(done) {}
    void Execute(CAutomat&) override
    {
        m_stamp.store(Now());
        m_done.Release();
    }

private:
    std::atomic<int64_t>& m_stamp; // Not owned; outlives the job.
    CSemaphore& m_done;            // Not owned; outlives the job.
};

void BM_PostJobLatency(benchmark::State& state)
{
    CAutomat automat("Brivel.Bench");
    automat.Start();
    std::atomic<int64_t> ranAt{0};
    CSemaphore done(0, 1);
    for (auto _ : state) {
        // Let the loop go back to sleep, so that every post wakes it.
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        const int64_t postedAt = Now();
        automat.PostJob(std::make_unique<CStampJob>(ranAt, done));
        done.Wait(kInfiniteTimeout);
        state.SetIterationTime(static_cast<double>(ranAt.load() - postedAt) * 1e-9);
    }
    automat.RequestStop();
    automat.Stop(5000);
}
BENCHMARK(BM_PostJobLatency)->UseManualTime()->Unit(benchmark::kMicrosecond);

class CCountJob final : public CJob {
public:
    CCountJob(std::atomic<int64_t>& count, CSemaphore* done) : m_count(count), m_done(done) {}
    void Execute(CAutomat&) override
    {
        m_count.fetch_add(1, std::memory_order_relaxed);
        if (m_done != nullptr)
            m_done->Release();
    }

private:
    std::atomic<int64_t>& m_count; // Not owned; outlives the job.
    CSemaphore* m_done;            // Not owned; the batch's last job only.
};

void BM_JobThroughput(benchmark::State& state)
{
    const int64_t batch = state.range(0);
    CAutomat automat("Brivel.Bench");
    automat.Start();
    std::atomic<int64_t> count{0};
    CSemaphore done(0, 1);
    for (auto _ : state) {
        for (int64_t job = 0; job + 1 < batch; ++job)
            automat.PostJob(std::make_unique<CCountJob>(count, nullptr));
        automat.PostJob(std::make_unique<CCountJob>(count, &done));
        done.Wait(kInfiniteTimeout);
    }
    state.SetItemsProcessed(state.iterations() * batch);
    automat.RequestStop();
    automat.Stop(5000);
}
BENCHMARK(BM_JobThroughput)->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);

// Re-arms itself with 10 ms on every callback and records how late each
// callback came against the precise time of the arming call plus 10 ms.
class CLatenessSink final : public CTimer::ISink {
public:
    static constexpr int32_t kTimerId = 1000;
    static constexpr uint32_t kDelayMs = 10;
    static constexpr int kFirings = 1000;

    void OnTimer(int32_t timerId) override
    {
        const double lateMs = static_cast<double>(Now() - m_armedAt) * 1e-6 - kDelayMs;
        m_sumMs += lateMs;
        m_maxMs = std::max(m_maxMs, lateMs);
        m_minMs = std::min(m_minMs, lateMs);
        if (++m_firings < kFirings)
            Arm(timerId);
        else
            m_done.Release();
    }
    void Arm(int32_t timerId)
    {
        m_armedAt = Now();
        CTimer::StartTimer(this, timerId, kDelayMs);
    }
    void WaitUntilDone() { m_done.Wait(kInfiniteTimeout); }

    // Written on the timer thread only, read after WaitUntilDone.
    int m_firings = 0;
    int64_t m_armedAt = 0;
    double m_sumMs = 0;
    double m_maxMs = -1e9;
    double m_minMs = 1e9;

private:
    CSemaphore m_done{0, 1};
};

void BM_TimerLateness10ms(benchmark::State& state)
{
    if (!CTimer::Initialize()) {
        state.SkipWithError("timer service did not start");
        return;
    }
    double meanMs = 0;
    double maxMs = 0;
    double minMs = 0;
    for (auto _ : state) {
        CLatenessSink sink;
        sink.Arm(CLatenessSink::kTimerId);
        sink.WaitUntilDone();
        CTimer::StopTimer(&sink, CLatenessSink::kTimerId);
        meanMs = sink.m_sumMs / sink.m_firings;
        maxMs = sink.m_maxMs;
        minMs = sink.m_minMs;
    }
    state.counters["late_mean_ms"] = meanMs;
    state.counters["late_max_ms"] = maxMs;
    state.counters["late_min_ms"] = minMs;
}
BENCHMARK(BM_TimerLateness10ms)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
} // namespace Brivel::Common
