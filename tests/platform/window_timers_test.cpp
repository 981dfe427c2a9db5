#include "platform/message_window.h"

#include "tests/platform/message_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <memory>

namespace Brivel::Platform {
namespace {

using namespace std::chrono_literals;
using Testing::CRecordingWindow;
using Testing::PumpFor;
using Testing::PumpUntil;

size_t CountOf(const std::vector<uintptr_t>& ticks, uintptr_t id)
{
    return static_cast<size_t>(std::count(ticks.begin(), ticks.end(), id));
}

class WindowTimersTest : public ::testing::Test {
protected:
    CRecordingWindow window;
};

TEST_F(WindowTimersTest, TimerFiresOnTheWindowThreadWithItsIdUntilKilled)
{
    ASSERT_TRUE(window.SetTimer(5, 5));
    ASSERT_TRUE(PumpUntil([&] { return window.ticks.size() >= 3; }));
    EXPECT_EQ(CountOf(window.ticks, 5), window.ticks.size());
    for (std::thread::id thread : window.tickThreads)
        EXPECT_EQ(thread, std::this_thread::get_id());

    EXPECT_TRUE(window.KillTimer(5));
    const size_t ticksAtKill = window.ticks.size();
    PumpFor(50ms);
    EXPECT_EQ(window.ticks.size(), ticksAtKill);
    EXPECT_FALSE(window.KillTimer(5)) << "already killed";
    EXPECT_FALSE(window.KillTimer(77)) << "never set";
}

TEST_F(WindowTimersTest, SettingAnIdAgainRestartsItWithTheNewInterval)
{
    ASSERT_TRUE(window.SetTimer(1, 3'600'000));
    ASSERT_TRUE(window.SetTimer(1, 5));
    ASSERT_TRUE(PumpUntil([&] { return window.ticks.size() >= 2; }));
    // One timer per id: a single kill stops it.
    EXPECT_TRUE(window.KillTimer(1));
    const size_t ticksAtKill = window.ticks.size();
    PumpFor(50ms);
    EXPECT_EQ(window.ticks.size(), ticksAtKill);
}

TEST_F(WindowTimersTest, IdsAreIndependentAndReachableByHandle)
{
    const HWND handle = window.GetSafeHwnd();
    ASSERT_TRUE(SetTimer(handle, 1, 5));
    ASSERT_TRUE(SetTimer(handle, 2, 5));
    ASSERT_TRUE(PumpUntil([&] { return CountOf(window.ticks, 1) >= 1 && CountOf(window.ticks, 2) >= 1; }));
    EXPECT_TRUE(KillTimer(handle, 1));
    const size_t ones = CountOf(window.ticks, 1);
    const size_t twos = CountOf(window.ticks, 2);
    ASSERT_TRUE(PumpUntil([&] { return CountOf(window.ticks, 2) >= twos + 3; }));
    EXPECT_EQ(CountOf(window.ticks, 1), ones);
    EXPECT_TRUE(KillTimer(handle, 2));
}

TEST_F(WindowTimersTest, OtherThreadsAndDeadWindowsCannotSetTimers)
{
    const HWND handle = window.GetSafeHwnd();
    auto fromWorker = std::async(std::launch::async, [&] {
        return std::pair{window.SetTimer(1, 5), SetTimer(handle, 2, 5)};
    });
    EXPECT_EQ(fromWorker.get(), std::pair(false, false));

    window.DestroyWindow();
    EXPECT_FALSE(window.SetTimer(3, 5));
    EXPECT_FALSE(SetTimer(handle, 3, 5));
    PumpFor(30ms);
    EXPECT_TRUE(window.ticks.empty());
}

TEST_F(WindowTimersTest, DestroyWindowStopsItsTimers)
{
    ASSERT_TRUE(window.SetTimer(1, 5));
    ASSERT_TRUE(PumpUntil([&] { return !window.ticks.empty(); }));
    window.DestroyWindow();
    const size_t ticksAtDestroy = window.ticks.size();
    PumpFor(50ms);
    EXPECT_EQ(window.ticks.size(), ticksAtDestroy);
}

TEST(WindowTimersLifetimeTest, WindowDeletedInsideItsOwnTimerCallbackIsSafe)
{
    auto window = std::make_unique<CRecordingWindow>();
    int calls = 0;
    window->onTimer = [&](uintptr_t) {
        ++calls;
        window.reset(); // deletes the window, and with it its timers, mid-callback
    };
    ASSERT_TRUE(window->SetTimer(9, 1));
    ASSERT_TRUE(window->SetTimer(10, 1));
    ASSERT_TRUE(PumpUntil([&] { return window == nullptr; }));
    PumpFor(30ms);
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace Brivel::Platform
