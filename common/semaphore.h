#pragma once
// CSemaphore: a counting semaphore with a maximum count and a timed wait.
//
// std::counting_semaphore has neither a run-time maximum nor a way to refuse a
// release, and the automat relies on both: its wake semaphore has a maximum
// count of 1, so that any number of posts between two waits wakes its loop
// exactly once. A release that would pass the maximum fails and changes
// nothing, as callers expect from the kernel semaphores this stands in for.
//
// Thread: any thread. The object must outlive every waiter.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace Brivel::Common {

// Timeout value meaning "wait without a time limit" for every timed wait of
// the library (semaphores, CThread::Stop, CAutomat::WaitForJobs).
inline constexpr uint32_t kInfiniteTimeout = 0xFFFFFFFFu;

class CSemaphore {
public:
    // A maximum below 1 is raised to 1 and an initial count above the maximum
    // is lowered to it, so that a constructed semaphore is always usable.
    CSemaphore(int32_t initialCount, int32_t maximumCount);
    CSemaphore(const CSemaphore&) = delete;
    CSemaphore& operator=(const CSemaphore&) = delete;
    ~CSemaphore() = default;

    // Adds `count` to the count and wakes as many waiters. Returns false and
    // changes nothing when `count` is not positive or the count would pass the
    // maximum.
    bool Release(int32_t count = 1);

    // Takes one unit, waiting at most `timeoutMs` milliseconds for one
    // (kInfiniteTimeout: no limit, 0: just try). Returns false on timeout.
    bool Wait(uint32_t timeoutMs);

    int32_t GetMaximumCount() const { return m_maximum; } // as constructed

private:
    const int32_t m_maximum;
    std::mutex m_mutex;
    std::condition_variable m_available;
    int32_t m_count = 0; // Guarded by m_mutex.
};

} // namespace Brivel::Common
