// ---- Index ----
// State          CDispatcher::Impl, the window
// Lifecycle      construction, EnsureWindow, Shutdown, the post routine
// Sink           OnUpdate (producer side), OnDelete
// Drain          DrainUpdates (GUI thread)

#include "gui/rows/dispatcher.h"

#include "gui/rows/data_object_registry.h"
#include "platform/message_window.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <span>
#include <vector>

namespace Brivel::GUI {

using Common::CDataObject;
using Platform::HWND;
using Platform::LPARAM;
using Platform::LRESULT;
using Platform::WPARAM;

// ---- State ----

struct CDispatcher::Impl {
    explicit Impl(CDataObjectRegistry& owner) : registry(owner) {}

    CDataObjectRegistry& registry; // Not owned; owns the dispatcher.
    const uint32_t message = Platform::RegisterMessage(kMessageName);

    std::atomic<HWND> hwnd{HWND{}};                 // the window's handle, HWND{} when none
    std::atomic<std::thread::id> guiThread{};       // set at construction
    std::atomic<bool> shutDown{false};
    std::atomic<uint64_t> dropped{0};
    std::atomic<uint64_t> drains{0};                // DrainUpdates begun (a test seam)
    int32_t maxLagForCallsUs = kMaxLagForCallsUs;   // GUI thread only
    std::unique_ptr<CWindow> window;                // GUI thread only

    // The producers' queue.
    mutable std::mutex queueMutex;                  // leaf lock
    std::vector<CUpdatePacket> pending;             // Guarded by queueMutex. Posting order.
    // Written under queueMutex (so packets are numbered in queue order), read
    // without it: a binding only needs a value no packet queued after it can
    // be below.
    std::atomic<uint64_t> nextSequence{1};
    bool wakePending = false;                       // Guarded by queueMutex. A wake-up is posted or a drain runs.
    bool overflowed = false;                        // Guarded by queueMutex. Changes were dropped since the last swap.
    size_t limit = kMaxQueuedUpdates;               // Guarded by queueMutex.

    // The batch being delivered. GUI thread only; a nested drain (a handler
    // running an event loop) goes on where the outer one stopped.
    std::vector<CUpdatePacket> draining;
    size_t drainPosition = 0;

    // Posts the wake-up; when that fails (no window, or its thread's queue is
    // full or closed) the next change tries again.
    void PostWake()
    {
        if (Platform::PostMessage(hwnd.load(std::memory_order_acquire), message, kDrainUpdates, 0))
            return;
        std::lock_guard lock(queueMutex);
        wakePending = false;
    }
};

// The hidden window: a plain QObject on the GUI thread that receives the
// registered message.
class CDispatcher::CWindow final : public QObject, public Platform::CMessageWindow {
public:
    explicit CWindow(CDispatcher& dispatcher) : QObject(nullptr), CMessageWindow(this), m_dispatcher(dispatcher)
    {
        setObjectName(QString::fromLatin1(kWindowClassName));
    }
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;
    ~CWindow() override { DestroyWindow(); }

protected:
    LRESULT OnMessage(uint32_t msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != m_dispatcher.m_impl->message)
            return 0;
        if (wParam == kDrainUpdates) {
            m_dispatcher.DrainUpdates();
            return 0;
        }
        if (wParam == kDeliverDisposal)
            return m_dispatcher.m_impl->registry.DeliverDisposal(reinterpret_cast<CDataObject*>(lParam)) ? 1 : 0;
        return 0;
    }

private:
    CDispatcher& m_dispatcher; // Not owned; owns this.
};

// ---- Lifecycle ----

namespace {

// Runs in ~QCoreApplication, on the application's thread, while the
// application object still exists: the window must go before Qt does.
void ShutDownDispatcherWithApplication()
{
    CDataObjectRegistry::GetInstance().GetDispatcher().Shutdown();
}

} // namespace

CDispatcher::CDispatcher(CDataObjectRegistry& registry) : m_impl(std::make_unique<Impl>(registry))
{
    m_impl->guiThread.store(std::this_thread::get_id(), std::memory_order_release);
    EnsureWindow();
}

CDispatcher::~CDispatcher()
{
    // Only a dispatcher whose registry is destroyed gets here (the
    // process-wide one never is); its window must go on its own thread.
    if (m_impl->window && IsGuiThread())
        m_impl->window.reset();
    else
        static_cast<void>(m_impl->window.release()); // another thread's QObject: not ours to delete here
}

bool CDispatcher::EnsureWindow()
{
    Impl& d = *m_impl;
    if (d.hwnd.load(std::memory_order_acquire) != HWND{})
        return true;
    if (d.shutDown.load(std::memory_order_acquire) || !IsGuiThread())
        return false;
    const QCoreApplication* const app = QCoreApplication::instance();
    if (!app || app->thread() != QThread::currentThread())
        return false; // no event loop here would ever drain the queue
    d.window = std::make_unique<CWindow>(*this);
    d.hwnd.store(d.window->GetSafeHwnd(), std::memory_order_release);
    qAddPostRoutine(&ShutDownDispatcherWithApplication);
    // Changes queued before the window existed get their wake-up now.
    bool wake = false;
    {
        std::lock_guard lock(d.queueMutex);
        wake = !d.pending.empty() && !d.wakePending;
        d.wakePending = d.wakePending || wake;
    }
    if (wake)
        d.PostWake();
    return d.hwnd.load(std::memory_order_acquire) != HWND{};
}

void CDispatcher::Shutdown()
{
    Impl& d = *m_impl;
    if (!IsGuiThread() || d.shutDown.exchange(true, std::memory_order_acq_rel))
        return;
    d.hwnd.store(HWND{}, std::memory_order_release);
    d.window.reset(); // DestroyWindow: drops a queued wake-up, releases blocked senders with 0
    std::vector<CUpdatePacket> pending;
    {
        std::lock_guard lock(d.queueMutex);
        pending.swap(d.pending);
        d.wakePending = false;
        d.overflowed = false;
    }
    // A drain still on the stack (Shutdown from inside a handler) finds the
    // batch empty and stops.
    std::vector<CUpdatePacket>().swap(d.draining);
    d.drainPosition = 0;
}

HWND CDispatcher::GetSafeHwnd() const noexcept
{
    return m_impl->hwnd.load(std::memory_order_acquire);
}

std::thread::id CDispatcher::GetGuiThreadId() const noexcept
{
    return m_impl->guiThread.load(std::memory_order_acquire);
}

bool CDispatcher::IsShutDown() const noexcept
{
    return m_impl->shutDown.load(std::memory_order_acquire);
}

uint64_t CDispatcher::GetSequence() const noexcept
{
    return m_impl->nextSequence.load(std::memory_order_acquire);
}

uint64_t CDispatcher::GetDroppedUpdateCount() const noexcept
{
    return m_impl->dropped.load(std::memory_order_relaxed);
}

size_t CDispatcher::GetQueuedUpdateCountForTesting() const
{
    std::lock_guard lock(m_impl->queueMutex);
    return m_impl->pending.size() + (m_impl->draining.size() - m_impl->drainPosition);
}

void CDispatcher::SetQueueLimitForTesting(size_t limit)
{
    std::lock_guard lock(m_impl->queueMutex);
    m_impl->limit = limit;
}

// ---- Sink ----

void CDispatcher::OnUpdate(const Common::FieldIdSet&, CDataObject*)
{
}

void CDispatcher::OnUpdate(int32_t id, CDataObject* object)
{
    // Hot path, any thread: one uncontended lock and an append into capacity
    // that the swapped-out vector kept; the Qt post only for the first change
    // of a batch.
    if (!object)
        return;
    Impl& d = *m_impl;
    if (d.shutDown.load(std::memory_order_relaxed)) [[unlikely]] {
        d.dropped.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    bool wake = false;
    {
        std::lock_guard lock(d.queueMutex);
        if (d.pending.size() >= d.limit) [[unlikely]] {
            d.overflowed = true; // the drain refreshes every row instead
            d.dropped.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        const uint64_t sequence = d.nextSequence.load(std::memory_order_relaxed);
        d.pending.push_back(CUpdatePacket{object, id, sequence});
        d.nextSequence.store(sequence + 1, std::memory_order_release);
        wake = !d.wakePending;
        d.wakePending = true;
    }
    if (wake)
        d.PostWake();
}

void CDispatcher::OnDelete(CDataObject* object)
{
    if (!object)
        return;
    Impl& d = *m_impl;
    CDataObjectRegistry& registry = d.registry;
    if (IsGuiThread()) {
        registry.DeliverDisposal(object);
    } else {
        // The object is being torn down: its queued changes are no longer
        // delivered, and its rows go before this returns.
        registry.MarkDying(object);
        const HWND window = d.hwnd.load(std::memory_order_acquire);
        LRESULT delivered = 0;
        if (window != HWND{} && !d.shutDown.load(std::memory_order_acquire))
            delivered = Platform::SendMessage(window, d.message, kDeliverDisposal, reinterpret_cast<LPARAM>(object));
        if (delivered != 1)
            registry.ClearRowsOfDisposedObject(object); // no GUI thread to do it: at least no row keeps the object
    }
    registry.WaitForSubscriptionCalls(object);
}

// ---- Drain ----

void CDispatcher::SetMaxLagForCallsForTesting(int32_t microseconds)
{
    m_impl->maxLagForCallsUs = microseconds;
}

uint64_t CDispatcher::GetDrainCountForTesting() const
{
    return m_impl->drains.load(std::memory_order_relaxed);
}

void CDispatcher::DrainUpdates()
{
    Impl& d = *m_impl;
    d.drains.fetch_add(1, std::memory_order_relaxed);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point sliceEnd = Clock::now() + std::chrono::milliseconds(kDrainSliceMs);
    Clock::time_point nextSendService = Clock::now();
    Clock::time_point batchTaken = Clock::now(); // when the batch being delivered was taken
    for (;;) {
        if (d.drainPosition >= d.draining.size()) {
            // The batch is done: take the next one. The old batch's capacity
            // goes back to the producers, so steady state allocates nothing.
            d.draining.clear();
            d.drainPosition = 0;
            bool overflowed = false;
            {
                std::lock_guard lock(d.queueMutex);
                d.draining.swap(d.pending);
                overflowed = d.overflowed;
                d.overflowed = false;
                if (d.draining.empty() && !overflowed) {
                    d.wakePending = false; // the next change posts again
                    // Idle: a past backlog's buffers go back to the heap, so
                    // that one burst does not hold its peak for the life of
                    // the process. Below the threshold they stay, and steady
                    // streams allocate nothing.
                    if (d.pending.capacity() > kIdleBufferPackets)
                        std::vector<CUpdatePacket>().swap(d.pending);
                    if (d.draining.capacity() > kIdleBufferPackets)
                        std::vector<CUpdatePacket>().swap(d.draining);
                    return;
                }
            }
            batchTaken = Clock::now();
            if (overflowed)
                d.registry.RefreshAllRows();
            if (d.shutDown.load(std::memory_order_acquire))
                return;
            continue;
        }
        // A run of up to kDeliveryRun packets at a time: the registry loads
        // the next packets' bindings and rows while it delivers (and catches
        // what a row's handler throws). The run is copied out first, since
        // a handler that runs a nested event loop drains the batch further.
        // The queue's own checks come between runs.
        std::array<CUpdatePacket, kDeliveryRun> run;
        const size_t count = std::min(run.size(), d.draining.size() - d.drainPosition);
        std::copy_n(d.draining.begin() + static_cast<ptrdiff_t>(d.drainPosition), count, run.begin());
        d.drainPosition += count;
        d.registry.DeliverUpdates(std::span<const CUpdatePacket>(run.data(), count));
        if (Platform::HasWaitingSends() && Clock::now() >= nextSendService &&
            Clock::now() - batchTaken < std::chrono::microseconds(d.maxLagForCallsUs)) {
            // Other threads wait in their grid calls: answer them now rather
            // than behind the whole backlog, a burst at a time, each followed
            // by at least a slice of deliveries, so that neither side starves.
            Platform::ServeWaitingSends(std::chrono::microseconds(kSendBurstUs));
            nextSendService = Clock::now() + std::chrono::microseconds(kDeliverySliceUs);
            if (d.shutDown.load(std::memory_order_acquire))
                return;
        }
        if (Clock::now() >= sliceEnd) {
            // Let the event loop paint and take input; wakePending stays set,
            // so the producers keep appending without posting.
            d.PostWake();
            return;
        }
    }
}

} // namespace Brivel::GUI
