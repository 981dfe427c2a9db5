// ---- Index ----
// Tuning             spin and time-slice budgets
// Thread state       the per-thread queue holder and waiter
// Replies            CompleteSyncCall, WaitForReply
// CMessageQueue      push and wake, drain, serve sends, purge, close

#include "platform/message_queue.h"

#include "common/sanitizers.h"
#include "platform/message_window.h"
#include "platform/window_table.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <algorithm>
#include <cassert>
#include <vector>

namespace Brivel::Platform::Detail {

// ---- Tuning ----

namespace {

using Clock = std::chrono::steady_clock;

// Spinning saves a sleep and a wake-up: a reply from an awake owner thread
// comes within a microsecond or two, while waking a thread asleep in its event
// loop or on a futex takes 60 to 90 us on the project's virtual machines.
// After their first kPureSpin, both spins yield the processor every few
// hundred nanoseconds: on a machine with more runnable threads than cores (two
// cores, and compilers running beside us) a pure spin keeps the very thread it
// waits for from running, and the sender and the owner then share one core,
// handing it over at each yield.
// Measured there (pause 32 ns, sched_yield 0.5 us): pure spins let back-to-back
// sends range up to 220 us; a yield every 64 pauses gave 9 us on a shared core,
// every 8 pauses under 5 us on a shared core and 1 to 2 us on two free cores.
// Yielding from the first pause cost a worker's one-call-per-row add a fifth
// of its rate on two free cores (each yield about a microsecond of system
// call), hence the short pure spin first.
//
// A sender spins this long for its reply before it sleeps, long enough to cover
// the owner thread's wake-up, so that both sides are not asleep in turn.
constexpr auto kSendSpin = std::chrono::microseconds(100);
// A drain that answered a send spins this long for the next one before it
// returns to the event loop (a worker adding rows one call at a time). Posts
// alone do not make it spin: a steady trickle of posts would keep the thread
// spinning between them.
constexpr auto kDrainSpin = std::chrono::microseconds(100);
// Pauses between two yields and two looks at the clock.
constexpr unsigned kSpinBatch = 8;
// How long both spins go without yielding first: longer than a round trip
// between two threads on free cores, short enough that on a shared core the
// thread waited for loses little.
constexpr auto kPureSpin = std::chrono::microseconds(3);

// Longest a drain keeps its thread before it lets the event loop run (painting,
// input, timers); the rest is drained on the next pass.
constexpr auto kDrainSlice = std::chrono::milliseconds(4);

inline void CpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

// Spins while `waiting()` holds, until `deadline`: without yielding for the
// first kPureSpin (a reply between two awake threads comes within it, and a
// yield is a system call of about a microsecond that the reply would wait
// behind), then yielding every kSpinBatch pauses (see above).
template <class Waiting>
void SpinWhile(Clock::time_point deadline, Waiting waiting)
{
    const auto pureEnd = std::min(Clock::now() + kPureSpin, deadline);
    bool pure = true;
    for (unsigned n = 1; waiting(); ++n) {
        CpuRelax();
        if (n % kSpinBatch == 0) {
            const auto now = Clock::now();
            if (now >= deadline)
                return;
            pure = pure && now < pureEnd;
            if (!pure)
                std::this_thread::yield();
        }
    }
}

// Qt hands a posted event to the receiving thread under its own locks,
// which ThreadSanitizer cannot see (Qt is not built with it): without these
// two it takes the event's construction on one thread and its reading on
// the other for a race. Nothing happens in other builds.
#if defined(BRIVEL_THREAD_SANITIZER)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
inline void ReleaseToReceiver(QEvent* event)
{
    __tsan_release(event);
}
inline void AcquireFromSender(QEvent* event)
{
    __tsan_acquire(event);
}
#else
inline void ReleaseToReceiver(QEvent*) {}
inline void AcquireFromSender(QEvent*) {}
#endif

QEvent::Type WakeEventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// ---- Thread state ----

// Holds the calling thread's queue and closes it when the thread ends.
struct CThreadQueueHolder {
    std::shared_ptr<CMessageQueue> queue;
    CThreadQueueHolder() = default;
    CThreadQueueHolder(const CThreadQueueHolder&) = delete;
    CThreadQueueHolder& operator=(const CThreadQueueHolder&) = delete;
    ~CThreadQueueHolder()
    {
        if (queue)
            queue->Close();
    }
};

thread_local CThreadQueueHolder t_queue;

// Runs in ~QCoreApplication, on the application thread: no event loop will
// serve that thread's queue any more.
void CloseApplicationThreadQueue()
{
    if (t_queue.queue) {
        t_queue.queue->Close();
        t_queue.queue.reset();
    }
}

} // namespace

const std::shared_ptr<CSyncWaiter>& CSyncWaiter::ForCurrentThread()
{
    thread_local const std::shared_ptr<CSyncWaiter> waiter = std::make_shared<CSyncWaiter>();
    return waiter;
}

// ---- Replies ----

void CompleteSyncCall(CSyncCall& call, LRESULT result)
{
    // The sender may return, and its record go, as soon as `done` is set; the
    // waiter reference taken out first keeps the waiter alive for the signal.
    const std::shared_ptr<CSyncWaiter> waiter = std::move(call.waiter);
    call.result = result;
    call.done.store(true, std::memory_order_release);
    waiter->Signal();
}

LRESULT WaitForReply(CSyncCall& call, CMessageQueue* ownQueue)
{
    CSyncWaiter& waiter = *CSyncWaiter::ForCurrentThread();

    SpinWhile(Clock::now() + kSendSpin, [&] {
        return !call.done.load(std::memory_order_acquire) && !(ownQueue && ownQueue->HasPendingSends());
    });
    if (call.done.load(std::memory_order_acquire))
        return call.result;

    struct BlockedScope {
        CMessageQueue* queue;
        explicit BlockedScope(CMessageQueue* q) : queue(q)
        {
            if (queue)
                queue->EnterBlocked();
        }
        ~BlockedScope()
        {
            if (queue)
                queue->LeaveBlocked();
        }
        BlockedScope(const BlockedScope&) = delete;
        BlockedScope& operator=(const BlockedScope&) = delete;
    } blocked(ownQueue);

    for (;;) {
        // Read the epoch before testing, so that a completion or an incoming send
        // between the tests and the wait changes it and the wait returns.
        const uint32_t epoch = waiter.Epoch();
        if (call.done.load(std::memory_order_acquire))
            break;
        if (ownQueue && ownQueue->HasPendingSends()) {
            ownQueue->ServeSends();
            continue;
        }
        waiter.WaitWhileEpoch(epoch);
    }
    return call.result;
}

// ---- CMessageQueue ----

// Receives the wake-up events on the owner thread and drains the queue.
class CMessageQueue::CPump : public QObject {
public:
    explicit CPump(CMessageQueue& queue) : m_queue(queue) {}

    bool event(QEvent* event) override
    {
        AcquireFromSender(event);
        if (event->type() != WakeEventType())
            return QObject::event(event);
        m_queue.Drain();
        return true;
    }

private:
    CMessageQueue& m_queue; // Not owned; owns this.
};

CMessageQueue::CMessageQueue(PrivateTag, std::shared_ptr<CSyncWaiter> ownerWaiter)
    : m_owner(std::this_thread::get_id()), m_ownerWaiter(std::move(ownerWaiter))
{
}

CMessageQueue::~CMessageQueue()
{
    // Close() ran on the owner thread before the last reference went.
    assert(!m_pump && "a message queue was released without being closed on its thread");
}

std::shared_ptr<CMessageQueue> CMessageQueue::ForCurrentThread()
{
    // Qt's per-thread data first, so that it outlives the holder below and the
    // pump can still be deleted when the thread ends.
    QThread* const currentThread = QThread::currentThread();

    if (t_queue.queue) {
        std::lock_guard lock(t_queue.queue->m_mutex);
        if (!t_queue.queue->m_closed)
            return t_queue.queue;
    }

    auto queue = std::make_shared<CMessageQueue>(PrivateTag{}, CSyncWaiter::ForCurrentThread());
    const QCoreApplication* app = QCoreApplication::instance();
    if (app) {
        queue->m_pump = std::make_unique<CPump>(*queue);
        if (app->thread() == currentThread)
            qAddPostRoutine(&CloseApplicationThreadQueue);
    } else {
        // No application, no event loop: nothing would ever drain the queue, so
        // queued messages fail at once instead of waiting forever.
        queue->m_closed = true;
    }
    t_queue.queue = queue;
    return queue;
}

CMessageQueue* CMessageQueue::FindForCurrentThread()
{
    CMessageQueue* queue = t_queue.queue.get();
    if (!queue)
        return nullptr;
    std::lock_guard lock(queue->m_mutex);
    return queue->m_closed ? nullptr : queue;
}

CMessageQueue::PushResult CMessageQueue::Push(const CQueuedMessage& message)
{
    PushResult result;
    std::lock_guard lock(m_mutex);
    if (m_closed)
        return result;
    if (!message.call && m_items.size() - m_sendCount >= m_postLimit)
        return result;
    m_items.push_back(message);
    if (message.call) {
        ++m_sendCount;
        result.signalOwner = m_blockedDepth > 0;
    }
    UpdateCountsLocked();
    result.accepted = true;
    // One wake-up per batch: none while one is pending or a drain will look again.
    if (!m_wakePosted && !m_activeDrain) {
        m_wakePosted = true;
        result.postWake = true;
    }
    return result;
}

void CMessageQueue::Notify(const PushResult& result)
{
    if (result.postWake)
        PostWakeEvent();
    if (result.signalOwner)
        m_ownerWaiter->Signal();
}

void CMessageQueue::PostWakeEvent()
{
    std::lock_guard lock(m_pumpMutex);
    if (m_pump) {
        auto event = std::make_unique<QEvent>(WakeEventType());
        ReleaseToReceiver(event.get());
        QCoreApplication::postEvent(m_pump.get(), event.release()); // Qt owns the event from here
    }
}

void CMessageQueue::Drain()
{
    assert(std::this_thread::get_id() == m_owner);
    const auto sliceEnd = Clock::now() + kDrainSlice;
    bool answeredSend = false; // spin for more only after a send (see kDrainSpin)

    std::unique_lock lock(m_mutex);
    m_wakePosted = false; // this drain is that wake-up
    m_activeDrain = true;
    for (;;) {
        if (m_items.empty()) {
            if (!answeredSend || !SpinForMore(lock, sliceEnd))
                break;
            continue;
        }
        CQueuedMessage message = m_items.front();
        m_items.pop_front();
        if (message.call)
            --m_sendCount;
        UpdateCountsLocked();

        // The handler may run a nested event loop: while it runs, new messages
        // must post a wake-up, and what is queued already needs one too, so that
        // the nested loop drains the rest in order.
        m_activeDrain = false;
        const bool postWake = !m_items.empty() && !m_wakePosted;
        if (postWake)
            m_wakePosted = true;
        lock.unlock();
        if (postWake)
            PostWakeEvent();

        Deliver(message);
        answeredSend = answeredSend || message.call != nullptr;

        lock.lock();
        m_activeDrain = true;
        if (Clock::now() >= sliceEnd)
            break;
    }
    m_activeDrain = false;
    const bool postWake = !m_items.empty() && !m_wakePosted && !m_closed;
    if (postWake)
        m_wakePosted = true;
    lock.unlock();
    if (postWake)
        PostWakeEvent();
}

bool CMessageQueue::SpinForMore(std::unique_lock<std::mutex>& lock, Clock::time_point sliceEnd)
{
    // m_activeDrain stays set, so producers add without posting a wake-up.
    lock.unlock();
    SpinWhile(std::min(Clock::now() + kDrainSpin, sliceEnd),
              [this] { return m_size.load(std::memory_order_acquire) == 0; });
    lock.lock();
    return !m_items.empty();
}

void CMessageQueue::ServeSends()
{
    assert(std::this_thread::get_id() == m_owner);
    for (;;) {
        CQueuedMessage message;
        {
            std::lock_guard lock(m_mutex);
            if (m_sendCount == 0)
                return;
            const auto it = std::find_if(m_items.begin(), m_items.end(),
                                         [](const CQueuedMessage& m) { return m.call != nullptr; });
            assert(it != m_items.end());
            message = *it;
            m_items.erase(it);
            --m_sendCount;
            UpdateCountsLocked();
        }
        Deliver(message);
    }
}

size_t CMessageQueue::ServeLeadingSends(std::chrono::microseconds budget)
{
    assert(std::this_thread::get_id() == m_owner);
    const auto end = Clock::now() + budget;
    size_t served = 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_items.empty() && served > 0) {
            // A caller that just got its reply usually calls again at once.
            if (!SpinForMore(lock, end))
                break;
        }
        if (m_items.empty() || m_items.front().call == nullptr)
            break;
        CQueuedMessage message = m_items.front();
        m_items.pop_front();
        --m_sendCount;
        UpdateCountsLocked();
        lock.unlock();
        Deliver(message);
        ++served;
        lock.lock();
        if (Clock::now() >= end)
            break;
    }
    return served;
}

void CMessageQueue::EnterBlocked()
{
    std::lock_guard lock(m_mutex);
    ++m_blockedDepth;
}

void CMessageQueue::LeaveBlocked()
{
    std::lock_guard lock(m_mutex);
    --m_blockedDepth;
}

void CMessageQueue::Deliver(CQueuedMessage& message)
{
    CMessageWindow* window = CWindowTable::Instance().FindOnCurrentThread(message.target);
    if (!window) {
        Drop(message); // destroyed after the message was queued
        return;
    }
    if (!message.call) {
        CMessageDelivery::Message(*window, message.msg, message.wParam, message.lParam);
        return;
    }
    // A handler that throws still releases its sender, with 0.
    struct ReleaseOnThrow {
        CSyncCall* call;
        ~ReleaseOnThrow()
        {
            if (call)
                CompleteSyncCall(*call, 0);
        }
    } guard{message.call};
    const LRESULT result = CMessageDelivery::Message(*window, message.msg, message.wParam, message.lParam);
    guard.call = nullptr;
    CompleteSyncCall(*message.call, result);
}

void CMessageQueue::Drop(CQueuedMessage& message)
{
    if (message.call)
        CompleteSyncCall(*message.call, 0);
    else if (message.dispose)
        message.dispose(message.msg, message.wParam, message.lParam);
}

void CMessageQueue::Purge(HWND target)
{
    std::vector<CQueuedMessage> dropped;
    {
        std::lock_guard lock(m_mutex);
        for (const CQueuedMessage& message : m_items) {
            if (message.target == target) {
                dropped.push_back(message);
                if (message.call)
                    --m_sendCount;
            }
        }
        if (dropped.empty())
            return;
        std::erase_if(m_items, [target](const CQueuedMessage& m) { return m.target == target; });
        UpdateCountsLocked();
    }
    for (CQueuedMessage& message : dropped)
        Drop(message);
}

void CMessageQueue::Close()
{
    assert(std::this_thread::get_id() == m_owner);
    std::deque<CQueuedMessage> dropped;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        dropped.swap(m_items);
        m_sendCount = 0;
        UpdateCountsLocked();
    }
    for (CQueuedMessage& message : dropped)
        Drop(message);

    std::unique_ptr<CPump> pump;
    {
        std::lock_guard lock(m_pumpMutex);
        pump = std::move(m_pump);
    }
    pump.reset(); // on the owner thread; takes its pending wake-up events with it
}

void CMessageQueue::UpdateCountsLocked()
{
    m_size.store(m_items.size(), std::memory_order_release);
    m_pendingSends.store(m_sendCount, std::memory_order_release);
}

size_t CMessageQueue::PendingCountForTesting() const
{
    std::lock_guard lock(m_mutex);
    return m_items.size();
}

void CMessageQueue::SetPostLimitForTesting(size_t limit)
{
    std::lock_guard lock(m_mutex);
    m_postLimit = limit;
}

} // namespace Brivel::Platform::Detail
