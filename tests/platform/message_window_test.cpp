#include "platform/message_window.h"

#include "platform/message_queue.h"
#include "tests/platform/message_test_support.h"

#include <gtest/gtest.h>

#include <QEventLoop>

#include <atomic>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace Brivel::Platform {
namespace {

using namespace std::chrono_literals;
using Testing::CRecordingWindow;
using Testing::PumpFor;
using Testing::PumpUntil;
using Testing::WaitUntil;

constexpr uint32_t kMsgEcho = 0x8001;
constexpr uint32_t kMsgQuit = 0x8002;

// Counts live payload objects, so that a test sees whether dropped messages
// free what they carry.
struct CountedPayload {
    static inline std::atomic<int> live{0};
    int value;
    explicit CountedPayload(int v) : value(v) { ++live; }
    ~CountedPayload() { --live; }
    CountedPayload(const CountedPayload&) = delete;
    CountedPayload& operator=(const CountedPayload&) = delete;
};

// A thread that owns one message window and runs a Qt event loop until a
// kMsgQuit message arrives.
class CWindowThread {
public:
    explicit CWindowThread(std::function<LRESULT(CRecordingWindow&, uint32_t, WPARAM, LPARAM)> handler = {})
    {
        std::promise<HWND> ready;
        std::future<HWND> handle = ready.get_future();
        m_thread = std::thread([this, handler, &ready] {
            QEventLoop loop;
            CRecordingWindow window;
            window.onMessage = [&](uint32_t msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
                if (msg == kMsgQuit) {
                    loop.quit();
                    return 0;
                }
                return handler ? handler(window, msg, wParam, lParam) : 0;
            };
            ready.set_value(window.GetSafeHwnd());
            loop.exec();
            m_received = window.messages.size();
        });
        m_handle = handle.get();
    }
    ~CWindowThread() { Stop(); }

    CWindowThread(const CWindowThread&) = delete;
    CWindowThread& operator=(const CWindowThread&) = delete;

    HWND Handle() const { return m_handle; }
    void Stop()
    {
        if (!m_thread.joinable())
            return;
        PostMessage(m_handle, kMsgQuit, 0, 0);
        m_thread.join();
    }
    size_t Received() const { return m_received; }

private:
    std::thread m_thread;
    HWND m_handle{};
    size_t m_received = 0;
};

TEST(RegisterMessageTest, SameNameGivesSameIdOnEveryThread)
{
    const std::vector<std::string> names = {"Brivel.Test.Alpha", "Brivel.Test.Beta", "Brivel.Test.alpha"};
    std::vector<std::vector<uint32_t>> idsByThread(8);
    std::vector<std::thread> threads;
    for (auto& ids : idsByThread)
        threads.emplace_back([&names, &ids] {
            for (const std::string& name : names)
                ids.push_back(RegisterMessage(name));
        });
    for (std::thread& t : threads)
        t.join();

    for (const auto& ids : idsByThread)
        EXPECT_EQ(ids, idsByThread.front());
    const std::vector<uint32_t>& ids = idsByThread.front();
    EXPECT_EQ(std::set<uint32_t>(ids.begin(), ids.end()).size(), names.size()) << "names are compared exactly";
    for (uint32_t id : ids)
        EXPECT_GE(id, static_cast<uint32_t>(QEvent::User));
    EXPECT_EQ(RegisterMessage("Brivel.Test.Alpha"), ids[0]);
}

TEST(RegisterMessageTest, RefusesEmptyAndOverlongNames)
{
    EXPECT_EQ(RegisterMessage(""), 0u);
    EXPECT_EQ(RegisterMessage(std::string(kMaxMessageNameLength + 1, 'x')), 0u);
    EXPECT_NE(RegisterMessage(std::string(kMaxMessageNameLength, 'x')), 0u);
}

class MessageWindowTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        QCoreApplication::processEvents();
        EXPECT_EQ(CountedPayload::live.load(), 0) << "a message's payload leaked";
    }
};

TEST_F(MessageWindowTest, SendOnOwnThreadIsDirectCallAheadOfQueuedPosts)
{
    CRecordingWindow window;
    window.onMessage = [](uint32_t, WPARAM wParam, LPARAM) -> LRESULT { return static_cast<LRESULT>(wParam) + 1; };

    ASSERT_TRUE(PostMessage(window.GetSafeHwnd(), kMsgEcho, 10, 0));
    EXPECT_EQ(SendMessage(window.GetSafeHwnd(), kMsgEcho, 20, 0), 21);
    ASSERT_EQ(window.messages.size(), 1u) << "the send ran at once, without the event loop";
    EXPECT_EQ(window.messages[0].wParam, 20u);

    ASSERT_TRUE(PumpUntil([&] { return window.messages.size() == 2; }));
    EXPECT_EQ(window.messages[1].wParam, 10u);
}

TEST_F(MessageWindowTest, SendsFromFourThreadsEachGetTheirOwnResult)
{
    CRecordingWindow window;
    window.onMessage = [](uint32_t, WPARAM wParam, LPARAM lParam) -> LRESULT {
        return static_cast<LRESULT>(wParam) * 1000 + lParam;
    };
    const HWND handle = window.GetSafeHwnd();
    constexpr int kThreads = 4;
    constexpr int kSendsPerThread = 500;

    std::atomic<int> finished{0};
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t)
        senders.emplace_back([&, t] {
            for (int i = 0; i < kSendsPerThread; ++i)
                if (SendMessage(handle, kMsgEcho, static_cast<WPARAM>(t), i) != t * 1000 + i)
                    ++mismatches[t];
            ++finished;
        });
    const bool allFinished = PumpUntil([&] { return finished == kThreads; });
    for (std::thread& s : senders)
        s.join();

    ASSERT_TRUE(allFinished);
    EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
    ASSERT_EQ(window.messages.size(), static_cast<size_t>(kThreads * kSendsPerThread));
    for (const auto& received : window.messages)
        EXPECT_EQ(received.thread, std::this_thread::get_id()) << "handled on the window's thread";
}

TEST_F(MessageWindowTest, WindowDestroyedWhileThreeSendersBlockReleasesThemWithZero)
{
    auto window = std::make_unique<CRecordingWindow>();
    window->onMessage = [](uint32_t, WPARAM, LPARAM) -> LRESULT { return 42; };
    const HWND handle = window->GetSafeHwnd();

    std::vector<std::future<LRESULT>> results;
    for (int i = 0; i < 3; ++i)
        results.push_back(std::async(std::launch::async, [handle] { return SendMessage(handle, kMsgEcho, 0, 0); }));
    // Without pumping, the three sends wait in this thread's queue.
    ASSERT_TRUE(WaitUntil([] { return GetPendingMessageCountForTesting() == 3; }));

    window.reset();
    for (auto& result : results) {
        ASSERT_EQ(result.wait_for(20s), std::future_status::ready);
        EXPECT_EQ(result.get(), 0);
    }
    EXPECT_EQ(GetPendingMessageCountForTesting(), 0u);
}

TEST_F(MessageWindowTest, DestroyedWindowRefusesSendsAndPostsWithoutItsThread)
{
    auto window = std::make_unique<CRecordingWindow>();
    const HWND handle = window->GetSafeHwnd();
    window->DestroyWindow();
    window->DestroyWindow(); // idempotent
    EXPECT_EQ(window->GetSafeHwnd(), HWND{});
    EXPECT_FALSE(IsWindow(handle));

    // The worker must not need this thread's event loop to learn the window is gone.
    auto fromWorker = std::async(std::launch::async, [handle] {
        return std::pair{SendMessage(handle, kMsgEcho, 1, 1), PostMessage(handle, kMsgEcho, 1, 1)};
    });
    ASSERT_EQ(fromWorker.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(fromWorker.get(), std::pair(LRESULT{0}, false));
    EXPECT_EQ(SendMessage(handle, kMsgEcho, 2, 2), 0);
    EXPECT_FALSE(PostMessage(handle, kMsgEcho, 2, 2));
    EXPECT_FALSE(PostMessage(handle, kMsgEcho, 0, std::make_unique<CountedPayload>(1)));
    EXPECT_EQ(CountedPayload::live.load(), 0) << "a refused typed post frees its payload";

    PumpFor(20ms);
    EXPECT_TRUE(window->messages.empty());
}

TEST_F(MessageWindowTest, StaleHandleNeverReachesTheWindowThatReusesItsSlot)
{
    HWND stale{};
    {
        CRecordingWindow first;
        stale = first.GetSafeHwnd();
    }
    CRecordingWindow second;
    EXPECT_NE(second.GetSafeHwnd(), stale);
    EXPECT_EQ(SendMessage(stale, kMsgEcho, 0, 0), 0);
    EXPECT_FALSE(PostMessage(stale, kMsgEcho, 0, 0));
    EXPECT_EQ(SendMessage(HWND{}, kMsgEcho, 0, 0), 0);
    EXPECT_EQ(SendMessage(HWND{0xDEAD'BEEF'0000'0001u}, kMsgEcho, 0, 0), 0) << "forged handle";
    PumpFor(10ms);
    EXPECT_TRUE(second.messages.empty());
}

TEST_F(MessageWindowTest, PostsQueuedForADestroyedWindowAreDroppedAndFreed)
{
    auto window = std::make_unique<CRecordingWindow>();
    const HWND handle = window->GetSafeHwnd();
    static std::atomic<int> disposed{0};
    disposed = 0;
    const MessageDisposer countDisposal = [](uint32_t, WPARAM, LPARAM) { ++disposed; };

    std::thread poster([handle, countDisposal] {
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(PostMessage(handle, kMsgEcho, 0, std::make_unique<CountedPayload>(i)));
            EXPECT_TRUE(PostMessage(handle, kMsgEcho, 1, 0, countDisposal));
        }
    });
    poster.join();
    EXPECT_EQ(CountedPayload::live.load(), 3);

    window.reset(); // before the event loop ever ran them
    EXPECT_EQ(CountedPayload::live.load(), 0);
    EXPECT_EQ(disposed.load(), 3);
    EXPECT_EQ(GetPendingMessageCountForTesting(), 0u);
}

TEST_F(MessageWindowTest, DeliveredPayloadBelongsToTheHandler)
{
    CRecordingWindow window;
    std::vector<int> values;
    window.onMessage = [&](uint32_t, WPARAM, LPARAM lParam) -> LRESULT {
        values.push_back(TakePostedPayload<CountedPayload>(lParam)->value);
        return 0;
    };
    std::thread poster([handle = window.GetSafeHwnd()] {
        for (int i = 0; i < 5; ++i)
            PostMessage(handle, kMsgEcho, 0, std::make_unique<CountedPayload>(i));
    });
    poster.join();
    ASSERT_TRUE(PumpUntil([&] { return values.size() == 5; }));
    EXPECT_EQ(values, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(MessageWindowTest, PostedMessagesArriveInPostingOrder)
{
    CRecordingWindow window;
    const HWND handle = window.GetSafeHwnd();
    constexpr int kPerThread = 20000;

    std::vector<std::thread> posters;
    for (WPARAM source = 1; source <= 2; ++source)
        posters.emplace_back([handle, source] {
            for (int i = 0; i < kPerThread; ++i)
                ASSERT_TRUE(PostMessage(handle, kMsgEcho, source, i));
        });
    for (int i = 0; i < 100; ++i) // the window's own thread posts too
        ASSERT_TRUE(PostMessage(handle, kMsgEcho, 0, i));
    ASSERT_TRUE(PumpUntil([&] { return window.messages.size() == 2 * kPerThread + 100; }));
    for (std::thread& p : posters)
        p.join();

    std::vector<LPARAM> next(3, 0);
    for (const auto& received : window.messages) {
        ASSERT_EQ(received.lParam, next[received.wParam]) << "from source " << received.wParam;
        ++next[received.wParam];
    }
}

TEST_F(MessageWindowTest, PostingNeverWaitsForTheBusyWindowThread)
{
    CRecordingWindow window;
    const HWND handle = window.GetSafeHwnd();
    std::atomic<bool> inHandler{false};
    std::atomic<bool> postedAll{false};
    bool waitedInHandler = false;
    window.onMessage = [&](uint32_t, WPARAM wParam, LPARAM) -> LRESULT {
        if (wParam == 1) { // busy in a handler until the poster is through
            inHandler = true;
            waitedInHandler = WaitUntil([&] { return postedAll.load(); });
        }
        return 0;
    };
    ASSERT_TRUE(PostMessage(handle, kMsgEcho, 1, 0));
    std::thread poster([&] {
        WaitUntil([&] { return inHandler.load(); });
        for (int i = 0; i < 1000; ++i)
            PostMessage(handle, kMsgEcho, 2, i);
        postedAll = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return window.messages.size() == 1001; }));
    poster.join();
    EXPECT_TRUE(waitedInHandler);
}

TEST_F(MessageWindowTest, SendsAndPostsFromOneThreadKeepTheirRelativeOrder)
{
    CRecordingWindow window;
    const HWND handle = window.GetSafeHwnd();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (LPARAM i = 0; i < 200; i += 2) {
            PostMessage(handle, kMsgEcho, 0, i);
            PostMessage(handle, kMsgEcho, 0, i + 1);
            SendMessage(handle, kMsgEcho, 1, i + 1);
        }
        done = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    PumpUntil([&] { return window.messages.size() == 300; });

    // Every send comes right after the post of the same number.
    ASSERT_EQ(window.messages.size(), 300u);
    for (size_t i = 0; i < window.messages.size(); i += 3) {
        EXPECT_EQ(window.messages[i].wParam, 0u);
        EXPECT_EQ(window.messages[i + 1].wParam, 0u);
        EXPECT_EQ(window.messages[i + 2].wParam, 1u);
        EXPECT_EQ(window.messages[i + 2].lParam, window.messages[i + 1].lParam);
    }
}

TEST_F(MessageWindowTest, SendDuringPostFloodIsServedInItsTurn)
{
    CRecordingWindow window;
    window.onMessage = [](uint32_t, WPARAM wParam, LPARAM) -> LRESULT { return wParam == 1 ? 99 : 0; };
    const HWND handle = window.GetSafeHwnd();
    std::atomic<bool> stop{false};
    std::thread flood([&] {
        while (!stop)
            PostMessage(handle, kMsgEcho, 0, 0);
    });
    std::future<LRESULT> reply = std::async(std::launch::async, [handle] {
        std::this_thread::sleep_for(5ms);
        return SendMessage(handle, kMsgEcho, 1, 0);
    });
    const bool answered = PumpUntil([&] { return reply.wait_for(0s) == std::future_status::ready; });
    stop = true;
    flood.join();
    ASSERT_TRUE(answered);
    EXPECT_EQ(reply.get(), 99);
    PumpUntil([] { return GetPendingMessageCountForTesting() == 0; });
}

TEST_F(MessageWindowTest, WindowDestroyedByItsOwnHandlerAnswersThatSendAndDropsTheRest)
{
    auto window = std::make_unique<CRecordingWindow>();
    window->onMessage = [&](uint32_t, WPARAM wParam, LPARAM) -> LRESULT {
        if (wParam == 1)
            window->DestroyWindow();
        return 7;
    };
    const HWND handle = window->GetSafeHwnd();
    auto first = std::async(std::launch::async, [handle] { return SendMessage(handle, kMsgEcho, 1, 0); });
    ASSERT_TRUE(WaitUntil([] { return GetPendingMessageCountForTesting() == 1; }));
    auto second = std::async(std::launch::async, [handle] { return SendMessage(handle, kMsgEcho, 2, 0); });
    ASSERT_TRUE(WaitUntil([] { return GetPendingMessageCountForTesting() == 2; }));
    ASSERT_TRUE(PostMessage(handle, kMsgEcho, 3, std::make_unique<CountedPayload>(3)));

    ASSERT_TRUE(PumpUntil([&] { return second.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(first.get(), 7);
    EXPECT_EQ(second.get(), 0);
    EXPECT_EQ(window->messages.size(), 1u);
}

TEST_F(MessageWindowTest, NestedEventLoopInHandlerKeepsServingTheQueueInOrder)
{
    CRecordingWindow window;
    const HWND handle = window.GetSafeHwnd();
    constexpr WPARAM kModal = 1, kQueued = 2, kSent = 3;
    std::atomic<bool> inModal{false};
    std::vector<WPARAM> handledInsideModal;
    bool modal = false;
    window.onMessage = [&](uint32_t, WPARAM wParam, LPARAM) -> LRESULT {
        if (modal)
            handledInsideModal.push_back(wParam);
        if (wParam != kModal)
            return 5;
        // A modal dialog: a nested loop until the worker's send has been served.
        modal = true;
        inModal = true;
        EXPECT_TRUE(PumpUntil([&] {
            return std::count(handledInsideModal.begin(), handledInsideModal.end(), kSent) == 1;
        }));
        modal = false;
        return 0;
    };

    ASSERT_TRUE(PostMessage(handle, kMsgEcho, kModal, 0));
    ASSERT_TRUE(PostMessage(handle, kMsgEcho, kQueued, 0));
    ASSERT_TRUE(PostMessage(handle, kMsgEcho, kQueued, 1));
    auto reply = std::async(std::launch::async, [&] {
        WaitUntil([&] { return inModal.load(); });
        return SendMessage(handle, kMsgEcho, kSent, 0);
    });
    ASSERT_TRUE(PumpUntil([&] { return reply.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(reply.get(), 5);
    EXPECT_EQ(handledInsideModal, (std::vector<WPARAM>{kQueued, kQueued, kSent}));
}

TEST_F(MessageWindowTest, ThreadsSendingToEachOthersWindowsDoNotDeadlock)
{
    CRecordingWindow guiWindow;
    guiWindow.onMessage = [](uint32_t, WPARAM wParam, LPARAM) -> LRESULT { return static_cast<LRESULT>(wParam) * 2; };
    const HWND guiHandle = guiWindow.GetSafeHwnd();

    // The worker's handler calls back into this thread while this thread is
    // blocked sending to the worker.
    CWindowThread worker([guiHandle](CRecordingWindow&, uint32_t, WPARAM wParam, LPARAM) -> LRESULT {
        return SendMessage(guiHandle, kMsgEcho, wParam, 0) + 1;
    });
    EXPECT_EQ(SendMessage(worker.Handle(), kMsgEcho, 20, 0), 41);
    ASSERT_EQ(guiWindow.messages.size(), 1u);
    EXPECT_EQ(guiWindow.messages[0].thread, std::this_thread::get_id());
    worker.Stop();
}

TEST_F(MessageWindowTest, WindowThreadEndingReleasesBlockedSendersAndClosesItsQueue)
{
    std::promise<HWND> ready;
    std::atomic<bool> letThreadEnd{false};
    std::unique_ptr<CRecordingWindow> leftBehind;
    std::thread owner([&] {
        // Owns a window but never runs an event loop, then ends with the window alive.
        leftBehind = std::make_unique<CRecordingWindow>();
        ready.set_value(leftBehind->GetSafeHwnd());
        WaitUntil([&] { return letThreadEnd.load(); });
    });
    const HWND handle = ready.get_future().get();

    auto blocked = std::async(std::launch::async, [handle] { return SendMessage(handle, kMsgEcho, 0, 0); });
    ASSERT_TRUE(PostMessage(handle, kMsgEcho, 0, std::make_unique<CountedPayload>(1)));
    EXPECT_EQ(blocked.wait_for(20ms), std::future_status::timeout) << "queued until the thread serves or ends";
    letThreadEnd = true;
    owner.join();

    ASSERT_EQ(blocked.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(blocked.get(), 0);
    EXPECT_EQ(CountedPayload::live.load(), 0);
    EXPECT_TRUE(IsWindow(handle)) << "the window object still exists";
    EXPECT_EQ(SendMessage(handle, kMsgEcho, 0, 0), 0);
    EXPECT_FALSE(PostMessage(handle, kMsgEcho, 0, 0));
    leftBehind.reset(); // its thread is gone, so deleting it here is safe
    EXPECT_FALSE(IsWindow(handle));
}

TEST_F(MessageWindowTest, FullQueueRefusesPostsButStillTakesSends)
{
    CRecordingWindow window;
    window.onMessage = [](uint32_t, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (wParam == 1)
            return 1; // the send
        TakePostedPayload<CountedPayload>(lParam);
        return 0;
    };
    const HWND handle = window.GetSafeHwnd();
    const auto queue = Detail::CMessageQueue::ForCurrentThread();
    queue->SetPostLimitForTesting(3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(PostMessage(handle, kMsgEcho, 0, std::make_unique<CountedPayload>(i)));
    EXPECT_FALSE(PostMessage(handle, kMsgEcho, 0, std::make_unique<CountedPayload>(3)));
    EXPECT_EQ(CountedPayload::live.load(), 3) << "the refused payload was freed, the queued ones kept";
    auto reply = std::async(std::launch::async, [handle] { return SendMessage(handle, kMsgEcho, 1, 0); });
    ASSERT_TRUE(WaitUntil([] { return GetPendingMessageCountForTesting() == 4; }));
    queue->SetPostLimitForTesting(Detail::CMessageQueue::kDefaultPostLimit);
    ASSERT_TRUE(PumpUntil([&] { return reply.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(reply.get(), 1);
    EXPECT_EQ(CountedPayload::live.load(), 0);
}

TEST_F(MessageWindowTest, HandlesNameTheirThreadAndDieWithTheirWindow)
{
    const size_t liveBefore = GetLiveWindowCountForTesting();
    HWND handle{};
    {
        CRecordingWindow window;
        handle = window.GetSafeHwnd();
        EXPECT_TRUE(IsWindow(handle));
        EXPECT_EQ(GetWindowThreadId(handle), std::this_thread::get_id());
        EXPECT_EQ(GetLiveWindowCountForTesting(), liveBefore + 1);
    }
    EXPECT_EQ(GetWindowThreadId(handle), std::thread::id{});
    EXPECT_EQ(GetLiveWindowCountForTesting(), liveBefore);
}

} // namespace
} // namespace Brivel::Platform
