#include "common/lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace Brivel::Common {
namespace {

TEST(CLock, IsRecursiveForItsOwner)
{
    CLock lock;
    CLockGuard outer(lock);
    CLockGuard inner(lock); // would deadlock on a plain mutex
    SUCCEED();
}

TEST(CLock, ExcludesOtherThreads)
{
    CLock lock;
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                CLockGuard guard(lock);
                ++counter;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 40000);
}

TEST(CLock, TryLockFailsWhileAnotherThreadHoldsIt)
{
    CLock lock;
    lock.Lock();
    std::atomic<bool> acquired{true};
    std::thread other([&] { acquired = lock.TryLock(); });
    other.join();
    EXPECT_FALSE(acquired.load());
    lock.Unlock();
}

} // namespace
} // namespace Brivel::Common
