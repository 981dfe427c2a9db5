// ---- Index ----
// Registered messages   RegisterMessage
// CMessageWindow        handle lifecycle, timers, notification target
// Handle functions      IsWindow, SendMessage, PostMessage, timers by handle

#include "platform/message_window.h"

#include "platform/message_queue.h"
#include "platform/window_table.h"
#include "platform/window_timers.h"

#include <QEvent>
#include <QObject>

#include <cassert>
#include <map>
#include <mutex>
#include <string>

namespace Brivel::Platform {

using Detail::CMessageQueue;
using Detail::CWindowTable;

// ---- Registered messages ----

uint32_t RegisterMessage(std::string_view name)
{
    if (name.empty() || name.size() > kMaxMessageNameLength)
        return 0;
    static std::mutex mutex;
    static std::map<std::string, uint32_t, std::less<>> ids; // Guarded by mutex.
    std::lock_guard lock(mutex);
    if (const auto it = ids.find(name); it != ids.end())
        return it->second;
    const int type = QEvent::registerEventType();
    if (type <= 0)
        return 0; // Qt's event type range is used up
    ids.emplace(std::string(name), static_cast<uint32_t>(type));
    return static_cast<uint32_t>(type);
}

// ---- CMessageWindow ----

CMessageWindow::CMessageWindow(QObject* object)
    : m_object(object), m_thread(std::this_thread::get_id())
{
    assert(m_object && "a message window needs the QObject that is the window");
    m_handle.store(CWindowTable::Instance().Allocate(*this, CMessageQueue::ForCurrentThread()),
                   std::memory_order_release);
}

CMessageWindow::~CMessageWindow()
{
    DestroyWindow();
}

void CMessageWindow::DestroyWindow()
{
    const HWND handle = m_handle.exchange(HWND{}, std::memory_order_acq_rel);
    if (handle == HWND{})
        return;
    // From here no new message can be queued for the handle (senders queue
    // under the table lock and find it released), so the purge below catches
    // every message still waiting, and blocked senders are released with 0.
    const std::shared_ptr<CMessageQueue> queue = CWindowTable::Instance().Release(handle);
    Detail::CWindowTimers::Dispose(std::move(m_timers));
    if (queue)
        queue->Purge(handle);
}

bool CMessageWindow::SetTimer(uintptr_t id, uint32_t elapseMs)
{
    if (!IsWindowThread() || GetSafeHwnd() == HWND{})
        return false;
    if (!m_timers)
        m_timers = std::make_unique<Detail::CWindowTimers>(*this);
    return m_timers->Set(id, elapseMs);
}

bool CMessageWindow::KillTimer(uintptr_t id)
{
    if (!IsWindowThread() || !m_timers)
        return false;
    return m_timers->Kill(id);
}

QObject* CMessageWindow::GetNotifyTarget() const
{
    if (QObject* owner = m_owner.data())
        return owner;
    return m_object ? m_object->parent() : nullptr;
}

LRESULT CMessageWindow::OnMessage(uint32_t, WPARAM, LPARAM)
{
    return 0;
}

void CMessageWindow::OnTimer(uintptr_t)
{
}

// ---- Handle functions ----

bool IsWindow(HWND window)
{
    return CWindowTable::Instance().WithSlot(window, false, [](const CWindowTable::Slot&) { return true; });
}

std::thread::id GetWindowThreadId(HWND window)
{
    return CWindowTable::Instance().WithSlot(window, std::thread::id{},
                                             [](const CWindowTable::Slot& slot) { return slot.thread; });
}

namespace {

// Where a message for a live window went, decided under the table lock.
struct Routing {
    CMessageWindow* direct = nullptr;     // the window, when it is the caller's own
    std::shared_ptr<CMessageQueue> queue; // else its thread's queue, when queued
    CMessageQueue::PushResult push;
};

Routing Route(HWND window, const Detail::CQueuedMessage& message, bool directOnOwnThread)
{
    return CWindowTable::Instance().WithSlot(window, Routing{}, [&](const CWindowTable::Slot& slot) {
        Routing routing;
        if (directOnOwnThread && slot.thread == std::this_thread::get_id()) {
            routing.direct = slot.window;
            return routing;
        }
        routing.push = slot.queue->Push(message);
        if (routing.push.accepted)
            routing.queue = slot.queue;
        return routing;
    });
}

} // namespace

LRESULT SendMessage(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam)
{
    Detail::CSyncCall call;
    call.waiter = Detail::CSyncWaiter::ForCurrentThread();
    const Detail::CQueuedMessage message{window, msg, wParam, lParam, &call, nullptr};

    const Routing routing = Route(window, message, /*directOnOwnThread=*/true);
    if (routing.direct) // a window is destroyed only on its own thread: this one
        return Detail::CMessageDelivery::Message(*routing.direct, msg, wParam, lParam);
    if (!routing.queue)
        return 0; // no such window (any more), or its thread's queue is closed
    routing.queue->Notify(routing.push);
    return Detail::WaitForReply(call, CMessageQueue::FindForCurrentThread());
}

bool PostMessage(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam, MessageDisposer dispose)
{
    const Detail::CQueuedMessage message{window, msg, wParam, lParam, nullptr, dispose};
    const Routing routing = Route(window, message, /*directOnOwnThread=*/false);
    if (!routing.queue)
        return false;
    routing.queue->Notify(routing.push);
    return true;
}

bool SetTimer(HWND window, uintptr_t id, uint32_t elapseMs)
{
    CMessageWindow* target = CWindowTable::Instance().FindOnCurrentThread(window);
    return target && target->SetTimer(id, elapseMs);
}

bool KillTimer(HWND window, uintptr_t id)
{
    CMessageWindow* target = CWindowTable::Instance().FindOnCurrentThread(window);
    return target && target->KillTimer(id);
}

bool HasWaitingSends()
{
    const CMessageQueue* queue = CMessageQueue::FindForCurrentThread();
    return queue != nullptr && queue->HasPendingSends();
}

size_t ServeWaitingSends(std::chrono::microseconds budget)
{
    CMessageQueue* queue = CMessageQueue::FindForCurrentThread();
    return queue ? queue->ServeLeadingSends(budget) : 0;
}

size_t GetPendingMessageCountForTesting()
{
    const CMessageQueue* queue = CMessageQueue::FindForCurrentThread();
    return queue ? queue->PendingCountForTesting() : 0;
}

size_t GetLiveWindowCountForTesting()
{
    return CWindowTable::Instance().LiveCountForTesting();
}

} // namespace Brivel::Platform
