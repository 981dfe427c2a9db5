#include "platform/idle_hook.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace Brivel::Platform {
namespace {

using namespace std::chrono_literals;

// Runs a real event loop, one that waits when it has nothing to do (processing
// events without waiting never reaches the idle point), until pred() holds or
// the timeout passes.
bool RunLoopUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout = 20s)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (pred())
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop.exec();
    return pred();
}

void RunLoopFor(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(IdleHookTest, RunsWhenTheLoopRunsOutOfWorkAndStopsWhenRemoved)
{
    int idles = 0;
    auto hook = std::make_unique<CIdleHook>([&] { ++idles; });
    ASSERT_TRUE(hook->IsInstalled());
    ASSERT_TRUE(RunLoopUntil([&] { return idles > 0; }));

    hook.reset();
    const int idlesAtRemoval = idles;
    RunLoopFor(30ms);
    EXPECT_EQ(idles, idlesAtRemoval);
}

TEST(IdleHookTest, CallbackRunningAnEventLoopDoesNotReenterItself)
{
    int depth = 0;
    int maxDepth = 0;
    int calls = 0;
    CIdleHook hook([&] {
        ++calls;
        maxDepth = std::max(maxDepth, ++depth);
        if (calls == 1) {
            // A nested loop that waits, and so reaches aboutToBlock again.
            RunLoopFor(10ms);
        }
        --depth;
    });
    ASSERT_TRUE(RunLoopUntil([&] { return calls >= 2; }));
    EXPECT_EQ(maxDepth, 1);
}

TEST(IdleHookTest, ThreadWithoutEventLoopGetsAnInactiveHook)
{
    bool installed = true;
    std::thread([&] {
        CIdleHook hook([] {});
        installed = hook.IsInstalled();
    }).join();
    EXPECT_FALSE(installed);
}

} // namespace
} // namespace Brivel::Platform
