#include "common/thread.h"

#include "common/semaphore.h"
#include "threading_test_support.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace Brivel::Common {
namespace {

using Testing::CGate;
using Testing::WaitUntil;

// A body that polls the stop flag, records what it saw, and can be told to
// keep running after the stop request until `release` opens.
class CPollingThread final : public CThread {
public:
    explicit CPollingThread(std::string name = std::string()) : CThread(std::move(name)) {}
    ~CPollingThread() override { StopAndJoin(); }

    std::atomic<int> runs{0};
    std::atomic<bool> holdAfterStop{false};
    std::atomic<bool> stopItself{false};
    std::atomic<bool> selfStopResult{true};
    std::atomic<bool> sawItselfRunning{false};
    // Shared, so that a test may still open it while the object is destroyed.
    std::shared_ptr<CGate> release = std::make_shared<CGate>();
    std::mutex nameMutex;
    std::string osName; // Guarded by nameMutex.

protected:
    uint32_t Run() override
    {
        sawItselfRunning = IsRunning() && IsCurrentThread();
        char name[32] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        {
            std::lock_guard<std::mutex> guard(nameMutex);
            osName = name;
        }
        ++runs; // after the name: OsNameOf waits for this count
        if (stopItself) {
            selfStopResult = Stop(kInfiniteTimeout);
            return 7;
        }
        while (!IsStopRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (holdAfterStop)
            release->Wait();
        return 42;
    }
};

class CThreadTest : public ::testing::Test {
protected:
    void TearDown() override { CThread::SetThreadCreationFailsForTesting(false); }

    static std::string OsNameOf(CPollingThread& thread)
    {
        EXPECT_TRUE(WaitUntil([&] { return thread.runs.load() > 0; }));
        std::lock_guard<std::mutex> guard(thread.nameMutex);
        return thread.osName;
    }
};

TEST_F(CThreadTest, StartRunsTheBodyOnItsOwnNamedThread)
{
    CPollingThread thread("Brivel.Worker");
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_NE(thread.GetThreadId(), 0u);
    EXPECT_FALSE(thread.IsCurrentThread());
    EXPECT_EQ(OsNameOf(thread), "Brivel.Worker");
    EXPECT_TRUE(thread.sawItselfRunning.load());
    EXPECT_TRUE(thread.Stop(5000));
}

TEST_F(CThreadTest, LongNamesAreCutToFifteenBytesOnACharacterBoundary)
{
    CPollingThread ascii("Brivel.Grid.Dispatcher");
    ASSERT_TRUE(ascii.Start());
    EXPECT_EQ(OsNameOf(ascii), "Brivel.Grid.Dis");
    EXPECT_EQ(ascii.GetThreadName(), "Brivel.Grid.Dispatcher");

    // Bytes 14 and 15 are one two-byte character: cutting at 15 would split it.
    CPollingThread accented("Brivel.Worker\xC3\xA9ter");
    ASSERT_TRUE(accented.Start());
    EXPECT_EQ(OsNameOf(accented), "Brivel.Worker\xC3\xA9");

    CPollingThread split("Brivel.Workers\xC3\xA9");
    ASSERT_TRUE(split.Start());
    EXPECT_EQ(OsNameOf(split), "Brivel.Workers");
}

TEST_F(CThreadTest, StartOnARunningThreadCreatesNoSecondThread)
{
    CPollingThread thread;
    ASSERT_TRUE(thread.Start());
    const uint32_t firstId = thread.GetThreadId();
    EXPECT_TRUE(thread.Start());
    EXPECT_EQ(thread.GetThreadId(), firstId);
    EXPECT_TRUE(thread.Stop(5000));
    EXPECT_EQ(thread.runs.load(), 1);
}

TEST_F(CThreadTest, StopWithoutAStartReturnsAtOnceAndIsIdempotent)
{
    CPollingThread thread;
    EXPECT_TRUE(thread.Stop(kInfiniteTimeout)); // would hang if it waited
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.Stop(kInfiniteTimeout));
    EXPECT_TRUE(thread.Stop(kInfiniteTimeout));
    EXPECT_FALSE(thread.IsRunning());
}

TEST_F(CThreadTest, StopAloneEndsAPollingBodyAndKeepsItsExitCode)
{
    CPollingThread thread;
    uint32_t exitCode = 0;
    EXPECT_FALSE(thread.GetExitCode(&exitCode));
    ASSERT_TRUE(thread.Start());
    EXPECT_FALSE(thread.IsStopRequested());
    EXPECT_TRUE(thread.Stop(5000));
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(thread.IsStopRequested());
    ASSERT_TRUE(thread.GetExitCode(&exitCode));
    EXPECT_EQ(exitCode, 42u);
}

TEST_F(CThreadTest, StartAfterStopRunsAFreshBodyWithTheStopFlagCleared)
{
    CPollingThread thread;
    ASSERT_TRUE(thread.Start());
    thread.RequestStop();
    EXPECT_TRUE(thread.Stop(5000));
    ASSERT_TRUE(thread.Start());
    EXPECT_FALSE(thread.IsStopRequested());
    uint32_t exitCode = 0;
    EXPECT_FALSE(thread.GetExitCode(&exitCode)); // the new body runs
    EXPECT_TRUE(thread.Stop(5000));
    EXPECT_EQ(thread.runs.load(), 2);
}

TEST_F(CThreadTest, TimedOutStopAbandonsTheBodyAndStartRefusesUntilItEnds)
{
    CPollingThread thread;
    thread.holdAfterStop = true;
    ASSERT_TRUE(thread.Start());
    EXPECT_FALSE(thread.Stop(20));
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_FALSE(thread.Start()); // two bodies would share one object
    EXPECT_EQ(thread.runs.load(), 1);

    thread.release->Open();
    uint32_t exitCode = 0;
    EXPECT_TRUE(WaitUntil([&] { return thread.GetExitCode(&exitCode); }));
    EXPECT_EQ(exitCode, 42u);
    thread.holdAfterStop = false;
    EXPECT_TRUE(thread.Start());
    EXPECT_TRUE(thread.Stop(5000));
    EXPECT_EQ(thread.runs.load(), 2);
}

TEST_F(CThreadTest, DestructionWaitsForAnAbandonedBodyInsteadOfFreeingItsMemory)
{
    auto thread = std::make_unique<CPollingThread>();
    thread->holdAfterStop = true;
    ASSERT_TRUE(thread->Start());
    EXPECT_FALSE(thread->Stop(10));
    std::thread opener([release = thread->release] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        release->Open();
    });
    thread.reset(); // the body still reads members after the release opens
    opener.join();
    SUCCEED();
}

TEST_F(CThreadTest, StartReportsThatTheThreadCouldNotBeCreated)
{
    CPollingThread thread;
    CThread::SetThreadCreationFailsForTesting(true);
    EXPECT_FALSE(thread.Start());
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(thread.Stop(kInfiniteTimeout));
    CThread::SetThreadCreationFailsForTesting(false);
    EXPECT_TRUE(thread.Start());
    EXPECT_TRUE(thread.Stop(5000));
    EXPECT_EQ(thread.runs.load(), 1);
}

TEST_F(CThreadTest, StopCalledByTheBodyItselfDoesNotDeadlock)
{
    CPollingThread thread;
    thread.stopItself = true;
    ASSERT_TRUE(thread.Start());
    uint32_t exitCode = 0;
    EXPECT_TRUE(WaitUntil([&] { return thread.GetExitCode(&exitCode); }));
    EXPECT_EQ(exitCode, 7u);
    EXPECT_FALSE(thread.selfStopResult.load()); // it cannot wait for itself
    EXPECT_FALSE(thread.IsRunning());
    thread.stopItself = false;
    EXPECT_TRUE(thread.Start()); // the detached body has ended
    EXPECT_TRUE(thread.Stop(5000));
}

} // namespace
} // namespace Brivel::Common
