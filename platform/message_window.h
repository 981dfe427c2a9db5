#pragma once
// Window messages: registered message ids, message windows reached through
// handles, SendMessage and PostMessage from any thread, and window timers by id.
//
// The model
// ---------
// A message window is a QObject (usually a QWidget; hidden windows are plain
// QObjects) that also derives from CMessageWindow. It lives on the thread that
// constructed it, normally the GUI thread, and that thread must run a Qt event
// loop for queued messages to arrive. It is reached through its HWND, which any
// thread may keep and use: once the window is destroyed every send to the handle
// returns 0 and every post returns false, and nothing dereferences the freed
// object. The window handles messages in the virtual OnMessage and timers in
// OnTimer, both on its own thread.
//
// Sending and posting
// -------------------
// - SendMessage on the window's thread calls OnMessage directly. From another
//   thread it queues the call to the window's thread and blocks until the call
//   has been handled, returning OnMessage's result. It returns 0 when the window
//   is already gone (at once) or is destroyed before its handler runs (the
//   blocked sender is released then); it never hangs on a destroyed window.
// - PostMessage queues the message and returns at once; false when the window
//   is gone or its thread's queue is full (kDefaultPostLimit posts) or closed.
//   A message still queued when its window is destroyed is dropped; its
//   MessageDisposer (if any) then frees what it carries. The typed overload
//   below hands over a std::unique_ptr, so that nothing leaks either way.
//
// Order
// -----
// Each thread has one queue for sends from other threads and for posts, to any
// of its windows; it is handled in queueing order. So the sends and posts one
// thread addresses to the windows of another thread arrive in the order they
// were made (a send blocks its sender, so it cannot be overtaken by that
// sender's later posts, and it does not overtake its earlier ones). Exceptions:
// - a send made on the window's own thread is a direct call and runs at once,
//   ahead of anything still queued (posts to itself included);
// - a thread that is itself blocked in a cross-thread SendMessage handles the
//   sends queued for its own windows while it waits (so two threads that send to
//   each other's windows do not deadlock); those sends overtake posts queued
//   before them, which wait until the thread is back in its event loop.
// A handler that runs a nested event loop (a modal dialog) keeps the queue
// served: the rest of the queue is drained inside the nested loop, in order.
//
// Threads without windows (workers) cannot be sent to, so a worker blocked in
// SendMessage to the GUI thread never deadlocks with it through messages. What
// still deadlocks is outside this layer's sight: a sender holding a lock the
// target thread needs, or a target thread waiting for the sender by other means
// (joining it, waiting on its semaphore) while the send is queued.
//
// Shutdown: when a window's thread ends, or, for the application thread, when
// the QCoreApplication is destroyed, the thread's queue closes: blocked senders
// get 0, queued posts are disposed, and later sends and posts to its windows fail
// at once. Likewise a window created while no QCoreApplication exists gets
// direct sends only: with no event loop to drain them, queued messages fail.
//
// What it costs: see bench/platform_messages.cpp. The hot paths take one
// process-wide table lock and one queue lock, and allocate nothing except a
// deque block now and then and one wake-up event per batch of messages.

#include "platform/message_types.h"

#include <QPointer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>
#include <thread>

class QObject;

namespace Brivel::Platform {

namespace Detail {
class CWindowTimers;
struct CMessageDelivery;
} // namespace Detail

struct CNotifyHeader;

// Longest name RegisterMessage accepts.
inline constexpr size_t kMaxMessageNameLength = 255;

// The process-wide id of a named message: the same name (compared exactly, case
// included) always gives the same id, a number from QEvent::registerEventType.
// Returns 0 for an empty name, a name longer than kMaxMessageNameLength, or
// when Qt has no event types left.
// Thread: any thread.
uint32_t RegisterMessage(std::string_view name);

// Mixin that makes a QObject a message window. Not itself a QObject: it is
// constructed with the QObject that is the window, normally `this` of a class
// that derives from both (QObject or QWidget first):
//
//     class CMyWindow : public QWidget, public CMessageWindow {
//     public:
//         explicit CMyWindow(QWidget* parent) : QWidget(parent), CMessageWindow(this) {}
//         ~CMyWindow() override { DestroyWindow(); }
//     protected:
//         LRESULT OnMessage(uint32_t msg, WPARAM wParam, LPARAM lParam) override;
//     };
//
// Lifecycle: the handle is allocated in the constructor, on the constructing
// thread, which becomes the window's thread. DestroyWindow() releases it: it is
// idempotent, drops what is still queued for the window, kills its timers, and
// after it no message or timer reaches the object. A derived class calls it at
// the start of its own destructor, so that nothing reaches a half-destroyed
// object; ~CMessageWindow calls it again as a safety net.
//
// Owns: its handle and its timers. Borrows: the QObject (it is the object that
// contains this mixin, or outlives it) and the notification owner (tracked with a
// QPointer, so an owner that goes away simply stops being the owner).
//
// Thread: GUI thread only, meaning the window's own thread, except where a
// member says otherwise. Destroy the window on its own thread.
class CMessageWindow {
public:
    // `object` is the window's QObject; it must not be null.
    explicit CMessageWindow(QObject* object);
    virtual ~CMessageWindow();

    CMessageWindow(const CMessageWindow&) = delete;
    CMessageWindow& operator=(const CMessageWindow&) = delete;

    // The window's handle; HWND{} after DestroyWindow (or when the process ran
    // out of handles, in which case every message to it fails).
    // Thread: any thread.
    HWND GetSafeHwnd() const { return m_handle.load(std::memory_order_acquire); }

    // The thread the window belongs to. Thread: any thread.
    std::thread::id GetWindowThreadId() const { return m_thread; }
    bool IsWindowThread() const { return std::this_thread::get_id() == m_thread; } // the calling thread is the window's. Thread: any thread.

    // The QObject that is this window.
    QObject* GetObject() const { return m_object; }

    void DestroyWindow(); // see Lifecycle above; idempotent

    // Starts timer `id` firing OnTimer(id) every `elapseMs` milliseconds (0
    // counts as 1) on the window's thread; setting an id that runs already
    // restarts it with the new interval. False on another thread or after
    // DestroyWindow.
    bool SetTimer(uintptr_t id, uint32_t elapseMs);
    // Stops timer `id`; false when no such timer runs (or on another thread).
    bool KillTimer(uintptr_t id);

    // Notifications (see notify.h) go to the owner when one is set and still
    // alive, else to the QObject's parent.
    void SetOwner(QObject* owner) { m_owner = owner; }
    QObject* GetOwner() const { return m_owner.data(); }
    QObject* GetNotifyTarget() const; // the owner when alive, else the parent

    // The control id carried in notifications (WPARAM of the notification).
    void SetControlId(uintptr_t controlId) { m_controlId = controlId; }
    uintptr_t GetControlId() const { return m_controlId; }

    // Fills the header's window, control id and both code fields, and sends it
    // synchronously to GetNotifyTarget(). Returns the receiver's result; 0 when
    // there is no target or nothing handled it.
    LRESULT SendNotify(int32_t code, CNotifyHeader& header) const;

protected:
    // Handles one message; the result is SendMessage's result (ignored for
    // posts). For a posted message the handler owns what the message carries
    // (see TakePostedPayload).
    virtual LRESULT OnMessage(uint32_t msg, WPARAM wParam, LPARAM lParam);
    // Handles one tick of timer `id`.
    virtual void OnTimer(uintptr_t id);

private:
    friend struct Detail::CMessageDelivery;

    QObject* const m_object;               // Not owned; the window itself.
    const std::thread::id m_thread;        // the constructing thread
    std::atomic<HWND> m_handle{HWND{}};    // written on the window's thread, read anywhere
    std::unique_ptr<Detail::CWindowTimers> m_timers; // created by the first SetTimer
    QPointer<QObject> m_owner;             // notification owner; Not owned.
    uintptr_t m_controlId = 0;
};

// Whether the handle names a live window. Thread: any thread.
bool IsWindow(HWND window);

// The thread of a live window; a default-constructed id when the handle is not
// a live window. Thread: any thread.
std::thread::id GetWindowThreadId(HWND window);

// See the top of this file. Thread: any thread.
LRESULT SendMessage(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam);

// See the top of this file. When it returns true the message is either
// delivered (the handler then owns what lParam carries) or dropped, and then
// `dispose` runs once. When it returns false nothing was taken: `dispose` is not
// called and the caller still owns what it meant to send.
// Thread: any thread; never blocks on the window's thread.
bool PostMessage(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam,
                 MessageDisposer dispose = nullptr);

// Takes back the payload of a message posted with the typed PostMessage.
template <class T>
std::unique_ptr<T> TakePostedPayload(LPARAM lParam)
{
    return std::unique_ptr<T>(reinterpret_cast<T*>(lParam));
}

// Posts an owned payload as lParam. Whatever happens, nothing leaks: on
// delivery the handler takes it back with TakePostedPayload<T>(lParam); when the
// message is dropped, or the post fails, the payload is deleted.
template <class T>
bool PostMessage(HWND window, uint32_t msg, WPARAM wParam, std::unique_ptr<T> payload)
{
    const MessageDisposer dispose = [](uint32_t, WPARAM, LPARAM lParam) {
        const std::unique_ptr<T> owned = TakePostedPayload<T>(lParam); // dropped: freed here
    };
    if (!PostMessage(window, msg, wParam, reinterpret_cast<LPARAM>(payload.get()), dispose))
        return false; // payload is still ours and is deleted here
    static_cast<void>(payload.release()); // the queue owns it now, see dispose
    return true;
}

// For a handler that runs long on its thread (a drain of a flood of changes),
// so that other threads' synchronous calls are not held behind it.
// HasWaitingSends: whether another thread waits in SendMessage for one of
// this thread's windows (one atomic read). ServeWaitingSends: answers the
// sends at the front of this thread's queue now, in queueing order, as the
// event loop would right after the handler; after each it looks briefly for
// the next. It stops at a posted message (the queue's order is kept), when
// no send follows, or once `budget` has passed, and answers how many it
// answered. Thread: the thread that owns the windows.
bool HasWaitingSends();
size_t ServeWaitingSends(std::chrono::microseconds budget); // see above

// Timers of a window by handle; see CMessageWindow::SetTimer. False unless the
// window is live and belongs to the calling thread.
bool SetTimer(HWND window, uintptr_t id, uint32_t elapseMs);
bool KillTimer(HWND window, uintptr_t id); // see CMessageWindow::KillTimer

// Test seams: messages waiting in the calling thread's queue, and the number of
// live windows in the process.
size_t GetPendingMessageCountForTesting();
size_t GetLiveWindowCountForTesting(); // see above

namespace Detail {

// The messaging layer's access to a window's handlers.
struct CMessageDelivery {
    static LRESULT Message(CMessageWindow& window, uint32_t msg, WPARAM wParam, LPARAM lParam)
    {
        return window.OnMessage(msg, wParam, lParam);
    }
    static void Timer(CMessageWindow& window, uintptr_t id) { window.OnTimer(id); }
};

} // namespace Detail

} // namespace Brivel::Platform
