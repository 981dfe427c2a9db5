#include "common/timer.h"

#include "common/automat.h"
#include "common/tick_count.h"
#include "common/timer_impl.h"
#include "threading_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace Brivel::Common {
namespace {

using Testing::CGate;
using Testing::MakeJob;
using Testing::WaitUntil;
using Entry = CTimer::Impl::Entry;

// One callback as the sink saw it.
struct Firing {
    std::string sink;
    int32_t id = 0;
    uint32_t tick = 0;
    std::thread::id thread;
};

// Every firing of every sink of one test, in the order they happened.
class CFiringLog {
public:
    void Add(Firing firing)
    {
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_firings.push_back(std::move(firing));
        }
        m_changed.notify_all();
    }
    bool WaitForCount(size_t count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, Testing::kGenerousTimeout, [&] { return m_firings.size() >= count; });
    }
    std::vector<Firing> Firings()
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_firings;
    }
    std::vector<std::string> Sinks()
    {
        std::vector<std::string> sinks;
        for (const Firing& firing : Firings())
            sinks.push_back(firing.sink);
        return sinks;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Firing> m_firings; // Guarded by m_mutex.
};

class CRecordingSink final : public CTimer::ISink {
public:
    CRecordingSink(CFiringLog& log, std::string name) : m_log(log), m_name(std::move(name)) {}

    void OnTimer(int32_t timerId) override
    {
        ++calls;
        m_log.Add(Firing{m_name, timerId, GetTickCount(), std::this_thread::get_id()});
        if (onTimer)
            onTimer(timerId);
    }

    std::atomic<int> calls{0};
    std::function<void(int32_t)> onTimer; // set before arming

private:
    CFiringLog& m_log; // Not owned; outlives the sink.
    std::string m_name;
};

class CTimerServiceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service->Initialize()); }

    // Runs on the timer thread after every job posted so far; two in a row
    // also let one firing step pass.
    CTimer::Impl::TableSnapshot Snapshot()
    {
        CTimer::Impl::TableSnapshot snapshot = m_service->SnapshotTableForTesting();
        EXPECT_TRUE(snapshot.taken);
        EXPECT_TRUE(snapshot.consistent);
        return snapshot;
    }
    void LetTheTimerThreadCatchUp()
    {
        Snapshot();
        Snapshot();
    }
    // Holds the timer thread in a job until the returned gate opens, so that
    // the next arms are applied and fired together.
    std::shared_ptr<CGate> BlockTimerThread()
    {
        auto entered = std::make_shared<CGate>();
        auto release = std::make_shared<CGate>();
        m_service->PostJob(MakeJob([entered, release](CAutomat&) {
            entered->Open();
            release->Wait();
        }));
        EXPECT_TRUE(entered->Wait());
        return release;
    }

    // The log and sinks outlive the service, whose destructor joins the
    // timer thread.
    CFiringLog m_log;
    CRecordingSink m_a{m_log, "a"};
    CRecordingSink m_b{m_log, "b"};
    CRecordingSink m_c{m_log, "c"};
    std::unique_ptr<CTimer::Impl> m_service = std::make_unique<CTimer::Impl>();
};

// ---- Arming and firing ----

TEST(CTimerServiceLifecycle, CallsBeforeInitializeFailAndDoNothing)
{
    CFiringLog log;
    CRecordingSink sink(log, "s");
    CTimer::Impl service;
    EXPECT_FALSE(service.StartTimer(&sink, 1, 0));
    EXPECT_FALSE(service.StopTimer(&sink, 1));
    EXPECT_TRUE(service.Initialize());
    EXPECT_TRUE(service.Initialize()); // already running: no second thread
    EXPECT_TRUE(service.StartTimer(&sink, 1, 0));
    EXPECT_TRUE(log.WaitForCount(1));
}

TEST(CTimerServiceLifecycle, DestroyingANeverInitialisedServiceReturns)
{
    auto service = std::make_unique<CTimer::Impl>();
    service.reset();
    SUCCEED();
}

TEST_F(CTimerServiceTest, NullSinkIsRefused)
{
    EXPECT_FALSE(m_service->StartTimer(nullptr, 1, 0));
    EXPECT_FALSE(m_service->StopTimer(nullptr, 1));
    EXPECT_TRUE(Snapshot().entries.empty());
}

TEST_F(CTimerServiceTest, FiresOnceOnTheTimerThreadNotBeforeItsDueTick)
{
    const uint32_t before = GetTickCount();
    ASSERT_TRUE(m_service->StartTimer(&m_a, 7, 20));
    ASSERT_TRUE(m_log.WaitForCount(1));
    LetTheTimerThreadCatchUp();
    const std::vector<Firing> firings = m_log.Firings();
    ASSERT_EQ(firings.size(), 1u);
    EXPECT_EQ(firings[0].id, 7);
    EXPECT_NE(firings[0].thread, std::this_thread::get_id());
    EXPECT_GE(TickDifference(firings[0].tick, before), 20);
    EXPECT_TRUE(Snapshot().entries.empty());
}

TEST_F(CTimerServiceTest, StartingTwiceLeavesOneEntryDueAfterTheSecondCall)
{
    constexpr uint32_t kDelay = 100000; // stays armed for the test
    ASSERT_TRUE(m_service->StartTimer(&m_a, 1000, kDelay));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const uint32_t before = GetTickCount();
    ASSERT_TRUE(m_service->StartTimer(&m_a, 1000, kDelay));
    const uint32_t after = GetTickCount();

    const auto entries = Snapshot().entries;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].sink, &m_a);
    EXPECT_EQ(entries[0].id, 1000);
    EXPECT_GE(TickDifference(entries[0].dueTick, before), static_cast<int32_t>(kDelay));
    EXPECT_LE(TickDifference(entries[0].dueTick, after), static_cast<int32_t>(kDelay));
}

TEST_F(CTimerServiceTest, EntriesDueOnTheSameTickFireNewestFirst)
{
    // Both arms must read the same millisecond; retry (under a fresh id)
    // until they do.
    int32_t sameTickId = -1;
    for (int32_t attempt = 0; attempt < 100 && sameTickId < 0; ++attempt) {
        const uint32_t tick = GetTickCount();
        ASSERT_TRUE(m_service->StartTimer(&m_a, attempt, 30));
        ASSERT_TRUE(m_service->StartTimer(&m_b, attempt, 30));
        if (GetTickCount() == tick) {
            sameTickId = attempt;
        } else {
            m_service->StopTimer(&m_a, attempt);
            m_service->StopTimer(&m_b, attempt);
        }
    }
    ASSERT_GE(sameTickId, 0);
    std::vector<std::string> order;
    ASSERT_TRUE(WaitUntil([&] {
        order.clear();
        for (const Firing& firing : m_log.Firings()) {
            if (firing.id == sameTickId)
                order.push_back(firing.sink);
        }
        return order.size() == 2;
    }));
    EXPECT_EQ(order, (std::vector<std::string>{"b", "a"}));
}

TEST_F(CTimerServiceTest, StopTimerOfAnUnarmedIdReturnsTrueAndRemovesNothing)
{
    ASSERT_TRUE(m_service->StartTimer(&m_a, 1, 100000));
    EXPECT_TRUE(m_service->StopTimer(&m_a, 2));
    EXPECT_TRUE(m_service->StopTimer(&m_b, 1));
    const auto entries = Snapshot().entries;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].sink, &m_a);
    EXPECT_EQ(entries[0].id, 1);
    EXPECT_TRUE(m_service->StopTimer(&m_a, 1));
    EXPECT_TRUE(Snapshot().entries.empty());
}

TEST_F(CTimerServiceTest, ThrowingCallbackDoesNotPreventTheOtherDueCallbacks)
{
    m_a.onTimer = [](int32_t) { throw std::runtime_error("client failure"); };
    const std::shared_ptr<CGate> release = BlockTimerThread();
    ASSERT_TRUE(m_service->StartTimer(&m_a, 1, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(2)); // a due before b
    ASSERT_TRUE(m_service->StartTimer(&m_b, 1, 0));
    release->Open(); // both are applied in one pass and fired in one step
    ASSERT_TRUE(m_log.WaitForCount(2));
    EXPECT_EQ(m_log.Sinks(), (std::vector<std::string>{"a", "b"}));

    ASSERT_TRUE(m_service->StartTimer(&m_c, 1, 0)); // the service lives on
    EXPECT_TRUE(m_log.WaitForCount(3));
}

TEST_F(CTimerServiceTest, ReArmingCallbackFiresRepeatedlyUntilStopped)
{
    m_a.onTimer = [this](int32_t id) {
        if (m_a.calls.load() < 5)
            m_service->StartTimer(&m_a, id, 1);
    };
    ASSERT_TRUE(m_service->StartTimer(&m_a, 3, 1));
    ASSERT_TRUE(m_log.WaitForCount(5));
    LetTheTimerThreadCatchUp();
    EXPECT_EQ(m_a.calls.load(), 5);
    EXPECT_TRUE(Snapshot().entries.empty());
}

// ---- Wrap of the tick counter ----

class CTimerWrapTest : public CTimerServiceTest {
protected:
    void SetUp() override
    {
        // Reads 200 ms below 2^32, so the test's timers straddle the wrap.
        const uint32_t natural = GetTickCount() - m_savedOffset;
        SetTickCountOffsetForTesting((0xFFFFFFFFu - 200) - natural);
        CTimerServiceTest::SetUp();
    }
    void TearDown() override
    {
        m_service.reset();
        SetTickCountOffsetForTesting(m_savedOffset);
    }

    const uint32_t m_savedOffset = GetTickCountOffsetForTesting();
};

TEST_F(CTimerWrapTest, EntriesDueJustAfterTheWrapFireInDueOrderNotAtOnce)
{
    ASSERT_TRUE(m_service->StartTimer(&m_c, 3, 500)); // after the wrap
    ASSERT_TRUE(m_service->StartTimer(&m_a, 1, 100)); // before it
    ASSERT_TRUE(m_service->StartTimer(&m_b, 2, 300)); // after it

    const auto entries = Snapshot().entries;
    ASSERT_FALSE(entries.empty());
    EXPECT_LT(entries.back().dueTick, 0x1000u); // c's due tick has wrapped

    ASSERT_TRUE(m_log.WaitForCount(3));
    EXPECT_EQ(m_log.Sinks(), (std::vector<std::string>{"a", "b", "c"}));
    // A plain unsigned comparison would take the wrapped due ticks as long
    // past and fire b and c at once, before a and before they are due.
    for (const Firing& firing : m_log.Firings()) {
        for (const Entry& entry : entries) {
            if (entry.id == firing.id) {
                EXPECT_GE(TickDifference(firing.tick, entry.dueTick), 0) << firing.sink;
            }
        }
    }
    EXPECT_LT(m_log.Firings()[2].tick, 0x1000u); // c fired after the wrap
}

// ---- Synchronous stop ----

TEST_F(CTimerServiceTest, NoCallbackAfterStopTimerReturnsEvenWhenItReArmedItself)
{
    std::atomic<bool> stopped{false};
    std::atomic<int> lateCalls{0};
    m_a.onTimer = [&](int32_t id) {
        if (stopped.load())
            ++lateCalls;
        // Stay in the callback a little so that StopTimer often meets it.
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(200);
        while (std::chrono::steady_clock::now() < until) {
        }
        m_service->StartTimer(&m_a, id, 0);
    };
    for (int round = 0; round < 50; ++round) {
        stopped = false;
        const int callsBefore = m_a.calls.load();
        ASSERT_TRUE(m_service->StartTimer(&m_a, 1, 0));
        ASSERT_TRUE(WaitUntil([&] { return m_a.calls.load() >= callsBefore + 3; }));
        ASSERT_TRUE(m_service->StopTimer(&m_a, 1));
        stopped = true;
        LetTheTimerThreadCatchUp();
        ASSERT_EQ(lateCalls.load(), 0) << "round " << round;
        ASSERT_TRUE(Snapshot().entries.empty()) << "round " << round;
    }
}

TEST_F(CTimerServiceTest, StopTimerWaitsForTheRunningCallbackOfThatTimer)
{
    CGate entered;
    CGate release;
    m_a.onTimer = [&](int32_t) {
        entered.Open();
        release.Wait();
    };
    ASSERT_TRUE(m_service->StartTimer(&m_a, 1, 0));
    ASSERT_TRUE(entered.Wait());

    std::atomic<bool> returned{false};
    std::thread stopper([&] {
        EXPECT_TRUE(m_service->StopTimer(&m_a, 1));
        returned = true;
    });
    // Time for a faulty StopTimer to return early; the callback is blocked,
    // so a correct one cannot.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(returned.load());
    // A stop of another id of the same sink does not wait for this callback;
    // it only gives the busy timer thread its bounded time to drop the entry.
    EXPECT_TRUE(m_service->StopTimer(&m_a, 2));
    EXPECT_FALSE(returned.load());
    release.Open();
    stopper.join();
    EXPECT_TRUE(returned.load());
}

TEST_F(CTimerServiceTest, StopTimerFromItsOwnCallbackNeitherWaitsNorFiresAgain)
{
    std::atomic<bool> stopResult{false};
    m_a.onTimer = [&](int32_t id) {
        m_service->StartTimer(&m_a, id, 0); // re-armed, then stopped
        stopResult = m_service->StopTimer(&m_a, id);
    };
    ASSERT_TRUE(m_service->StartTimer(&m_a, 1, 0));
    ASSERT_TRUE(m_log.WaitForCount(1));
    LetTheTimerThreadCatchUp();
    EXPECT_TRUE(stopResult.load());
    EXPECT_EQ(m_a.calls.load(), 1);
    EXPECT_TRUE(Snapshot().entries.empty());
}

TEST_F(CTimerServiceTest, ReArmAfterStoppingInTheSameCallbackIsANewTimer)
{
    m_a.onTimer = [&](int32_t id) {
        if (m_a.calls.load() == 1) {
            m_service->StopTimer(&m_a, id);
            m_service->StartTimer(&m_a, id, 0);
        }
    };
    ASSERT_TRUE(m_service->StartTimer(&m_a, 1, 0));
    ASSERT_TRUE(m_log.WaitForCount(2));
    LetTheTimerThreadCatchUp();
    EXPECT_EQ(m_a.calls.load(), 2);
}

TEST_F(CTimerServiceTest, StopTimerFromAnotherCallbackStopsThatTimerAtOnce)
{
    // a is due first and stops b, which is due in the same step.
    m_a.onTimer = [&](int32_t) { m_service->StopTimer(&m_b, 1); };
    const std::shared_ptr<CGate> release = BlockTimerThread();
    ASSERT_TRUE(m_service->StartTimer(&m_a, 1, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(m_service->StartTimer(&m_b, 1, 0));
    release->Open();
    ASSERT_TRUE(m_log.WaitForCount(1));
    LetTheTimerThreadCatchUp();
    EXPECT_EQ(m_b.calls.load(), 0);
}

// ---- Teardown ----

TEST_F(CTimerServiceTest, DestroyingTheServiceFinishesASlowCallbackAndDropsTheRest)
{
    CGate entered;
    std::atomic<bool> finished{false};
    m_a.onTimer = [&](int32_t) {
        entered.Open();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        finished = true;
    };
    ASSERT_TRUE(m_service->StartTimer(&m_b, 1, 100000));
    ASSERT_TRUE(m_service->StartTimer(&m_a, 1, 0));
    ASSERT_TRUE(entered.Wait());
    m_service.reset();
    EXPECT_TRUE(finished.load());
    EXPECT_EQ(m_b.calls.load(), 0);
}

TEST_F(CTimerServiceTest, CallsAfterTheThreadStoppedFail)
{
    m_service->RequestStop();
    ASSERT_TRUE(m_service->Stop(5000));
    EXPECT_FALSE(m_service->StartTimer(&m_a, 1, 0));
    EXPECT_FALSE(m_service->StopTimer(&m_a, 1));
}

// ---- The process-wide service ----

TEST(CTimerProcessService, RunsCallbacksOnItsOwnThreadAndStopsSynchronously)
{
    CFiringLog log;
    CRecordingSink sink(log, "frame");
    EXPECT_FALSE(CTimer::StartTimer(nullptr, 1000, 10));
    ASSERT_TRUE(CTimer::Initialize());
    ASSERT_TRUE(CTimer::Initialize());
    sink.onTimer = [&sink](int32_t id) { CTimer::StartTimer(&sink, id, 10); };
    ASSERT_TRUE(CTimer::StartTimer(&sink, 1000, 10));
    ASSERT_TRUE(log.WaitForCount(3));
    EXPECT_TRUE(CTimer::StopTimer(&sink, 1000));
    const int calls = sink.calls.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(30)); // three periods
    EXPECT_EQ(sink.calls.load(), calls);
    EXPECT_NE(log.Firings()[0].thread, std::this_thread::get_id());
}

// ---- Stress: several threads arming, stopping and posting at once ----

TEST(CTimerStress, ConcurrentArmsStopsAndJobsKeepEveryGuarantee)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 150;
    CTimer::Impl service;
    ASSERT_TRUE(service.Initialize());
    CAutomat worker("Brivel.Stress");
    ASSERT_TRUE(worker.Start());
    std::atomic<int> jobsRun{0};
    std::atomic<int> lateCalls{0};

    struct CStressSink final : CTimer::ISink {
        CTimer::Impl* service = nullptr;
        std::atomic<int>* lateCalls = nullptr;
        std::atomic<bool> stopped{true};
        std::atomic<int> calls{0};
        void OnTimer(int32_t id) override
        {
            if (stopped.load())
                ++*lateCalls;
            if (++calls % 2 == 0)
                service->StartTimer(this, id, 0); // re-arm every other time
        }
    };
    std::vector<std::unique_ptr<CStressSink>> sinks;
    for (int index = 0; index < kThreads * 2; ++index) {
        auto sink = std::make_unique<CStressSink>();
        sink->service = &service;
        sink->lateCalls = &lateCalls;
        sinks.push_back(std::move(sink));
    }

    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back([&, thread] {
            std::minstd_rand random(static_cast<unsigned>(thread + 1));
            CStressSink& mine = *sinks[thread * 2];
            CStressSink& other = *sinks[thread * 2 + 1];
            for (int round = 0; round < kRounds; ++round) {
                mine.stopped = false;
                other.stopped = false;
                service.StartTimer(&mine, round % 3, random() % 3);
                service.StartTimer(&other, 1, random() % 2);
                worker.PostJob(MakeJob([&jobsRun](CAutomat&) { ++jobsRun; }));
                if (random() % 2 == 0)
                    std::this_thread::sleep_for(std::chrono::microseconds(random() % 500));
                for (int32_t id = 0; id < 3; ++id)
                    service.StopTimer(&mine, id);
                mine.stopped = true;
                service.StopTimer(&other, 1);
                other.stopped = true;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();

    ASSERT_TRUE(WaitUntil([&] { return jobsRun.load() == kThreads * kRounds; }));
    const auto snapshot = service.SnapshotTableForTesting();
    EXPECT_TRUE(snapshot.consistent);
    EXPECT_TRUE(snapshot.entries.empty());
    EXPECT_EQ(lateCalls.load(), 0);
    worker.RequestStop();
    EXPECT_TRUE(worker.Stop(5000));
}

} // namespace
} // namespace Brivel::Common
