#include "common/automat.h"

#include "common/job.h"
#include "common/semaphore.h"
#include "threading_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Brivel::Common {
namespace {

using Testing::CGate;
using Testing::MakeJob;
using Testing::WaitUntil;

// Counts the loop's waits, so that a job can tell which pass runs it.
class CCountingAutomat final : public CAutomat {
public:
    CCountingAutomat() : CAutomat("Brivel.Test") {}
    ~CCountingAutomat() override { StopAndJoin(); } // WaitForJobs uses m_waits

    int Waits() const { return m_waits.load(); }
    int Runs() const { return m_runs.load(); }

protected:
    uint32_t Run() override
    {
        ++m_runs;
        return CAutomat::Run();
    }
    bool WaitForJobs(uint32_t timeoutMs) override
    {
        ++m_waits;
        return CAutomat::WaitForJobs(timeoutMs);
    }

private:
    std::atomic<int> m_waits{0};
    std::atomic<int> m_runs{0};
};

// What the jobs of one test saw, in the order they ran.
struct CJobLog {
    std::mutex mutex;
    std::vector<std::string> names;          // Guarded by mutex.
    std::vector<std::thread::id> threads;    // Guarded by mutex.
    std::atomic<int> destroyed{0};

    void Add(const std::string& name)
    {
        std::lock_guard<std::mutex> guard(mutex);
        names.push_back(name);
        threads.push_back(std::this_thread::get_id());
    }
    size_t Count()
    {
        std::lock_guard<std::mutex> guard(mutex);
        return names.size();
    }
    std::vector<std::string> Names()
    {
        std::lock_guard<std::mutex> guard(mutex);
        return names;
    }
};

class CRecordingJob final : public CJob {
public:
    CRecordingJob(CJobLog& log, std::string name, std::function<void(CAutomat&)> then = {})
        : m_log(log), m_name(std::move(name)), m_then(std::move(then))
    {
    }
    ~CRecordingJob() override { ++m_log.destroyed; }
    void Execute(CAutomat& automat) override
    {
        m_log.Add(m_name);
        if (m_then)
            m_then(automat);
    }

private:
    CJobLog& m_log; // Not owned; outlives the automat.
    std::string m_name;
    std::function<void(CAutomat&)> m_then;
};

class CAutomatTest : public ::testing::Test {
protected:
    std::unique_ptr<CJob> Record(std::string name, std::function<void(CAutomat&)> then = {})
    {
        return std::make_unique<CRecordingJob>(m_log, std::move(name), std::move(then));
    }

    // Declared first, so that it outlives the automat and its queued jobs.
    CJobLog m_log;
    CAutomat m_automat{"Brivel.Test"};
};

TEST_F(CAutomatTest, JobsPostedBeforeStartRunInOrderOnTheAutomatThread)
{
    m_automat.PostJob(Record("first"));
    m_automat.PostJob(Record("second"));
    m_automat.PostJob(Record("third"));
    ASSERT_TRUE(m_automat.Start());
    ASSERT_TRUE(WaitUntil([&] { return m_log.Count() == 3; }));
    EXPECT_EQ(m_log.Names(), (std::vector<std::string>{"first", "second", "third"}));
    std::lock_guard<std::mutex> guard(m_log.mutex);
    for (const std::thread::id& thread : m_log.threads)
        EXPECT_NE(thread, std::this_thread::get_id());
    EXPECT_EQ(m_log.threads[0], m_log.threads[2]);
    EXPECT_EQ(m_log.destroyed.load(), 3); // deleted right after running
}

TEST_F(CAutomatTest, JobPostedByAJobRunsAfterTheRestOfThePass)
{
    m_automat.PostJob(Record("a", [this](CAutomat& automat) { automat.PostJob(Record("posted by a")); }));
    m_automat.PostJob(Record("b"));
    ASSERT_TRUE(m_automat.Start());
    ASSERT_TRUE(WaitUntil([&] { return m_log.Count() == 3; }));
    EXPECT_EQ(m_log.Names(), (std::vector<std::string>{"a", "b", "posted by a"}));
}

TEST_F(CAutomatTest, NullJobIsIgnored)
{
    ASSERT_TRUE(m_automat.Start());
    m_automat.PostJob(nullptr);
    m_automat.PostJob(Record("real"));
    ASSERT_TRUE(WaitUntil([&] { return m_log.Count() == 1; }));
    EXPECT_EQ(m_log.destroyed.load(), 1);
}

TEST(CAutomatLifecycle, StartTwiceCreatesOneThread)
{
    CCountingAutomat automat;
    ASSERT_TRUE(automat.Start());
    const uint32_t threadId = automat.GetThreadId();
    ASSERT_TRUE(automat.Start());
    EXPECT_EQ(automat.GetThreadId(), threadId);
    EXPECT_TRUE(automat.Stop(5000));
    EXPECT_EQ(automat.Runs(), 1);
}

TEST_F(CAutomatTest, RequestStopThenStopEndsAnIdleAutomat)
{
    ASSERT_TRUE(m_automat.Start());
    m_automat.PostJob(Record("one"));
    ASSERT_TRUE(WaitUntil([&] { return m_log.Count() == 1; })); // idle now
    m_automat.RequestStop();
    EXPECT_TRUE(m_automat.Stop(5000));
    EXPECT_FALSE(m_automat.IsRunning());
    uint32_t exitCode = 1;
    ASSERT_TRUE(m_automat.GetExitCode(&exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(CAutomatTest, StopOnANeverStartedAutomatReturnsAtOnce)
{
    EXPECT_TRUE(m_automat.Stop(kInfiniteTimeout)); // would hang if it waited
    EXPECT_TRUE(m_automat.Stop(kInfiniteTimeout));
    EXPECT_FALSE(m_automat.IsRunning());
}

TEST_F(CAutomatTest, StopRequestedByAJobStillRunsTheRestOfItsPass)
{
    m_automat.PostJob(Record("stopper", [this](CAutomat& automat) {
        automat.RequestStop();
        automat.PostJob(Record("next pass"));
    }));
    m_automat.PostJob(Record("same pass"));
    ASSERT_TRUE(m_automat.Start());
    uint32_t exitCode = 1;
    ASSERT_TRUE(WaitUntil([&] { return m_automat.GetExitCode(&exitCode); }));
    EXPECT_EQ(m_log.Names(), (std::vector<std::string>{"stopper", "same pass"}));
    EXPECT_TRUE(m_automat.Stop(5000));

    // The job left queued runs when the automat is started again.
    ASSERT_TRUE(m_automat.Start());
    ASSERT_TRUE(WaitUntil([&] { return m_log.Count() == 3; }));
    EXPECT_EQ(m_log.Names().back(), "next pass");
}

TEST_F(CAutomatTest, QueuedJobsAreDeletedUnrunWithTheAutomat)
{
    auto automat = std::make_unique<CAutomat>("Brivel.Test");
    automat->PostJob(Record("never 1"));
    automat->PostJob(Record("never 2"));
    automat.reset();
    EXPECT_EQ(m_log.destroyed.load(), 2);
    EXPECT_EQ(m_log.Count(), 0u);
}

TEST_F(CAutomatTest, DestroyingARunningAutomatFinishesItsJobAndJoins)
{
    auto automat = std::make_unique<CAutomat>("Brivel.Test");
    CGate entered;
    std::atomic<bool> finished{false};
    automat->PostJob(MakeJob([&](CAutomat&) {
        entered.Open();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        finished = true;
    }));
    ASSERT_TRUE(automat->Start());
    ASSERT_TRUE(entered.Wait());
    automat.reset(); // no std::terminate, no job running on freed memory
    EXPECT_TRUE(finished.load());
}

TEST(CAutomatPasses, PostsDuringAPassWakeTheLoopOnceAndRunTogether)
{
    CGate entered;
    CGate gate;
    std::mutex mutex;
    std::vector<int> passes; // Guarded by mutex. The wait count each job saw.
    CCountingAutomat automat;
    automat.PostJob(MakeJob([&](CAutomat&) {
        entered.Open();
        gate.Wait();
    }));
    ASSERT_TRUE(automat.Start());
    ASSERT_TRUE(entered.Wait()); // the first pass is blocked in its job
    constexpr int kPosts = 100;
    for (int post = 0; post < kPosts; ++post) {
        automat.PostJob(MakeJob([&](CAutomat&) {
            std::lock_guard<std::mutex> guard(mutex);
            passes.push_back(automat.Waits());
        }));
    }
    gate.Open();
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> guard(mutex);
        return passes.size() == kPosts;
    }));
    std::lock_guard<std::mutex> guard(mutex);
    // A hundred releases of a maximum-1 semaphore: one wake-up, one pass.
    for (int wait : passes)
        EXPECT_EQ(wait, 1);
}

} // namespace
} // namespace Brivel::Common
