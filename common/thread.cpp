#include "common/thread.h"

#include "common/semaphore.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace Brivel::Common {

// ---- Private records ----

// Completion record of one run of the body, shared by the object and the
// thread's entry routine, so that the routine's last signal never touches a
// destroyed object.
struct CThread::RunState {
    std::mutex mutex;
    std::condition_variable changed;
    bool started = false;   // Guarded by mutex. The entry routine has begun.
    bool finished = false;  // Guarded by mutex. Run has returned.
    uint32_t exitCode = 0;  // Guarded by mutex. Valid once finished.

    // Waits at most `timeoutMs` (kInfiniteTimeout: no limit) for Run to
    // return; true when it has.
    bool WaitUntilFinished(uint32_t timeoutMs)
    {
        std::unique_lock<std::mutex> lock(mutex);
        const auto done = [this] { return finished; };
        if (timeoutMs == kInfiniteTimeout) {
            changed.wait(lock, done);
            return true;
        }
        return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
    }
};

struct CThread::Impl {
    explicit Impl(std::string threadName) : name(std::move(threadName)) {}

    const std::string name; // Immutable, so read without a lock.

    std::mutex lifecycle;             // Serialises Start, Stop and StopAndJoin.
    std::thread thread;               // Guarded by lifecycle.
    std::shared_ptr<RunState> state;  // Guarded by lifecycle. The latest run.

    // Single flags written by one side and read by the other.
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> running{false};
    std::atomic<uint32_t> threadId{0};
    // The body's thread while Run runs; cleared before the run is marked
    // finished, so that a later thread reusing the id is not mistaken for it.
    std::atomic<std::thread::id> bodyThread{};
};

namespace {

std::atomic<bool> g_creationFailsForTesting{false};

// Linux keeps at most 15 bytes of a thread name; cut there, but never inside
// a UTF-8 sequence, so that tools show a valid (if shorter) name.
std::string MakeOsThreadName(const std::string& name)
{
    constexpr size_t kMaxBytes = 15;
    if (name.size() <= kMaxBytes)
        return name;
    size_t length = kMaxBytes;
    while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0u) == 0x80u)
        --length;
    return name.substr(0, length);
}

} // namespace

// ---- CThread ----

CThread::CThread(std::string name) : m_impl(std::make_unique<Impl>(std::move(name))) {}

CThread::~CThread()
{
    StopAndJoin();
}

bool CThread::Start()
{
    std::unique_lock<std::mutex> lock(m_impl->lifecycle);
    if (m_impl->running.load())
        return true;
    if (m_impl->state) {
        std::lock_guard<std::mutex> stateGuard(m_impl->state->mutex);
        // The running flag is clear but the body is not done: a timed-out
        // Stop abandoned it. A second body on the same object is refused.
        if (!m_impl->state->finished)
            return false;
    }
    if (m_impl->thread.joinable())
        m_impl->thread.join(); // already finished, see above
    if (g_creationFailsForTesting.load())
        return false;

    m_impl->stopRequested.store(false);
    // Set before the body starts, so that the body sees itself running.
    m_impl->running.store(true);
    auto state = std::make_shared<RunState>();
    try {
        m_impl->thread = std::thread(&CThread::Entry, this, state);
    } catch (const std::system_error&) {
        m_impl->running.store(false);
        return false;
    }
    m_impl->state = state;
    lock.unlock();

    // The new thread names itself and records its ids first; waiting for that
    // makes both visible when Start returns, without a fixed sleep.
    std::unique_lock<std::mutex> stateLock(state->mutex);
    state->changed.wait(stateLock, [&state] { return state->started; });
    return true;
}

void CThread::RequestStop()
{
    m_impl->stopRequested.store(true);
}

bool CThread::Stop(uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_impl->lifecycle);
    if (!m_impl->running.load())
        return true;
    m_impl->running.store(false);
    std::thread thread = std::move(m_impl->thread);
    std::shared_ptr<RunState> state = m_impl->state;
    // Not held while waiting: the body may itself call Stop or IsRunning.
    lock.unlock();

    RequestStop();
    if (thread.get_id() == std::this_thread::get_id()) {
        thread.detach();
        return false;
    }
    const bool ended = state->WaitUntilFinished(timeoutMs);
    if (ended)
        thread.join(); // Run has returned; only the routine's exit remains
    else
        thread.detach(); // the body finishes by itself; see the class comment
    return ended;
}

void CThread::StopAndJoin()
{
    RequestStop();
    std::unique_lock<std::mutex> lock(m_impl->lifecycle);
    m_impl->running.store(false);
    std::thread thread = std::move(m_impl->thread);
    std::shared_ptr<RunState> state = m_impl->state;
    lock.unlock();

    if (!state)
        return; // never started
    if (IsCurrentThread()) {
        // A body cannot wait for itself; the caller broke the rule that an
        // object is never destroyed from its own body.
        if (thread.joinable())
            thread.detach();
        return;
    }
    state->WaitUntilFinished(kInfiniteTimeout);
    if (thread.joinable())
        thread.join();
}

std::string CThread::GetThreadName() const
{
    return m_impl->name;
}

bool CThread::IsRunning() const
{
    return m_impl->running.load();
}

bool CThread::IsStopRequested() const
{
    return m_impl->stopRequested.load();
}

uint32_t CThread::GetThreadId() const
{
    return m_impl->threadId.load();
}

bool CThread::IsCurrentThread() const
{
    return m_impl->bodyThread.load() == std::this_thread::get_id();
}

bool CThread::GetExitCode(uint32_t* exitCode) const
{
    if (exitCode == nullptr)
        return false;
    std::shared_ptr<RunState> state;
    {
        std::lock_guard<std::mutex> guard(m_impl->lifecycle);
        state = m_impl->state;
    }
    if (!state)
        return false;
    std::lock_guard<std::mutex> guard(state->mutex);
    if (!state->finished)
        return false;
    *exitCode = state->exitCode;
    return true;
}

void CThread::SetThreadCreationFailsForTesting(bool fails)
{
    g_creationFailsForTesting.store(fails);
}

// ---- Entry routine ----

void CThread::Entry(CThread* self, std::shared_ptr<RunState> state)
{
    Impl& impl = *self->m_impl;
    if (!impl.name.empty())
        pthread_setname_np(pthread_self(), MakeOsThreadName(impl.name).c_str());
    impl.threadId.store(static_cast<uint32_t>(gettid()));
    impl.bodyThread.store(std::this_thread::get_id());
    {
        std::lock_guard<std::mutex> guard(state->mutex);
        state->started = true;
    }
    state->changed.notify_all();

    const uint32_t exitCode = self->Run();

    // The object stays alive until `finished` is set: Stop either joins or
    // leaves the wait to the destructor, which waits for it. Past the signal
    // below, only `state` may be touched.
    impl.bodyThread.store(std::thread::id{});
    std::lock_guard<std::mutex> guard(state->mutex);
    state->finished = true;
    state->exitCode = exitCode;
    // Notified under the lock: a waiter may destroy the object as soon as it
    // sees `finished`, and `state` is kept alive by our own reference.
    state->changed.notify_all();
}

} // namespace Brivel::Common
