#pragma once
// CLock, the library's lock, and CLockGuard, its scope guard.
//
// CLock is a recursive mutual-exclusion lock: the thread that holds it may take
// it again, and must release it as often as it took it. Every lock of the
// library and of the benchmark is a CLock, so that an owner that calls back
// into itself while holding its own lock never deadlocks on it.
//
// Thread: any thread.

#include <mutex>

namespace Brivel::Common {

class CLock {
public:
    CLock() = default;
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;
    ~CLock() = default;

    void Lock() { m_mutex.lock(); } // waits for the lock (recursive: the owner may take it again)
    void Unlock() { m_mutex.unlock(); } // releases one level of it
    bool TryLock() { return m_mutex.try_lock(); } // takes it when free; false otherwise

    // BasicLockable spelling, so that standard helpers (std::scoped_lock,
    // std::condition_variable_any) accept a CLock.
    void lock() { Lock(); }
    void unlock() { Unlock(); } // Unlock
    bool try_lock() { return TryLock(); } // TryLock

private:
    std::recursive_mutex m_mutex;
};

// Takes the lock in its constructor and releases it in its destructor.
class CLockGuard {
public:
    explicit CLockGuard(CLock& lock) : m_lock(lock) { m_lock.Lock(); } // takes `lock`
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;
    ~CLockGuard() { m_lock.Unlock(); }

private:
    CLock& m_lock; // Not owned; outlives this.
};

} // namespace Brivel::Common
