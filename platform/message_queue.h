#pragma once
// CMessageQueue: the messages waiting for the windows of one thread; CSyncWaiter
// and CSyncCall: how a thread blocked in SendMessage waits for its reply.
// Internal to the messaging layer; other code uses message_window.h.
//
// Why a queue of our own: one QCoreApplication::postEvent costs about 4 us (two
// allocations and a wake-up system call), and a posted event plus a wait about
// 28 us round trip. So senders and posters append a flat record here and post a
// single wake-up event only when no wake-up is pending and no drain is running;
// the owner thread then drains the queue in order and, after answering a send,
// spins briefly before going back to sleep, so that a sender that calls again
// at once finds it awake. Both spins yield the processor as they go.
//
// Call flow of a cross-thread send:
//
//   sender                          table lock    owner thread (event loop)
//   SendMessage(h) --> WithSlot --> Push (queue lock)
//                  --> Wake: postEvent(pump) only when no wake-up is pending
//                  --> WaitForReply: spin, then futex wait
//                                                 pump event --> Drain
//                                                   pop --> table lookup -->
//                                                   OnMessage --> Complete
//                  <-- reply (done flag + epoch)     spin for more sends, then leave
//
// Order: one queue per thread holds sends and posts alike, so everything queued
// to one thread is handled in queueing order. Two exceptions, both about sends
// (see message_window.h): a send on the window's own thread is a direct call,
// and a thread blocked in SendMessage serves the sends queued to it early.
//
// Lifecycle: created on a thread's first window; closed (pending sends answered
// with 0, pending posts disposed, pump deleted) when the thread ends or, for the
// application thread, when the QCoreApplication is destroyed. Pushes to a closed
// queue fail. The queue object itself lives on while a table slot or a sender
// holds a reference.
//
// Thread: as stated per member; "owner" is the thread the queue serves.

#include "platform/message_types.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

class QObject;

namespace Brivel::Platform::Detail {

// Wakes one thread that waits for replies. One per thread, shared by the
// thread's CSyncCall records and by its queue (which signals it when a send
// arrives while the thread is blocked), so that a signal after the waiting
// thread has gone on still finds the object alive.
// Thread: any thread signals; only its own thread waits.
class CSyncWaiter {
public:
    uint32_t Epoch() const { return m_epoch.load(std::memory_order_acquire); }
    void Signal()
    {
        m_epoch.fetch_add(1, std::memory_order_release);
        m_epoch.notify_all();
    }
    void WaitWhileEpoch(uint32_t epoch) const { m_epoch.wait(epoch, std::memory_order_acquire); }

    // The calling thread's waiter, created on first use.
    static const std::shared_ptr<CSyncWaiter>& ForCurrentThread();

private:
    std::atomic<uint32_t> m_epoch{0};
};

// One blocked SendMessage: lives on the sender's stack until `done` is set.
// Whoever completes it (the owner thread, or whoever drops the message) writes
// `result`, then `done`, and touches the record no more.
struct CSyncCall {
    LRESULT result = 0;
    std::atomic<bool> done{false};
    std::shared_ptr<CSyncWaiter> waiter; // the sender's; kept alive for the signal
};

// Completes a blocked send with its result. Thread: any thread, once per call.
void CompleteSyncCall(CSyncCall& call, LRESULT result);

// Waits until the call is complete, serving the sends queued to the calling
// thread's own windows meanwhile (ownQueue, null when it has none).
// Thread: the sender's thread.
LRESULT WaitForReply(CSyncCall& call, class CMessageQueue* ownQueue);

// One message waiting in a queue. Flat and copied by value.
struct CQueuedMessage {
    HWND target{};
    uint32_t msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    CSyncCall* call = nullptr;         // sends: the blocked sender's record; null for posts
    MessageDisposer dispose = nullptr; // posts: frees what the message carries when dropped
};
static_assert(sizeof(CQueuedMessage) <= 48, "queued by value on every send and post; keep it small");

class CMessageQueue : public std::enable_shared_from_this<CMessageQueue> {
public:
    // Posted messages one queue holds at most; past it PostMessage fails, as a
    // full message queue does. Sends are not counted: each blocks its sender.
    static constexpr size_t kDefaultPostLimit = 1u << 20;

    // What Push did and what the caller must do once it has left the table lock.
    struct PushResult {
        bool accepted = false;  // false: the queue is closed or full
        bool postWake = false;  // post the wake-up event
        bool signalOwner = false; // the owner is blocked in SendMessage: signal its waiter
    };

    // The calling thread's queue, created on first use (or after it was closed).
    // Thread: any thread, for itself.
    static std::shared_ptr<CMessageQueue> ForCurrentThread();
    // The calling thread's open queue, or null when it has none.
    static CMessageQueue* FindForCurrentThread();

    ~CMessageQueue();
    CMessageQueue(const CMessageQueue&) = delete;
    CMessageQueue& operator=(const CMessageQueue&) = delete;

    // Appends a message. Thread: any thread; the caller holds the table lock, so
    // that a window released after the lookup cannot miss this message in Purge.
    PushResult Push(const CQueuedMessage& message);
    // Does what Push asked for. Thread: any thread, with no lock held.
    void Notify(const PushResult& result);

    // Drops every queued message for the window: sends are answered with 0,
    // posts disposed. Thread: any thread (normally the owner, in DestroyWindow).
    void Purge(HWND target);

    // Handles queued messages in order until the queue is empty (after a short
    // spin) or the time slice is used up. Re-entrant: a handler that runs a
    // nested event loop gets the rest drained there. Thread: owner.
    void Drain();

    // Handles only the queued sends, in order. Thread: owner, while it is
    // blocked in SendMessage.
    void ServeSends();
    // Handles the sends at the front of the queue, in order, from inside a
    // handler that runs long: stops at a post (the queue's order is kept),
    // when no send follows a handled one within kDrainSpin, or after
    // `budget`. Answers the number handled. Thread: owner.
    size_t ServeLeadingSends(std::chrono::microseconds budget);
    bool HasPendingSends() const { return m_pendingSends.load(std::memory_order_acquire) != 0; }

    // Marks the owner as blocked in SendMessage (nesting allowed), so that a new
    // send signals its waiter. Thread: owner.
    void EnterBlocked();
    void LeaveBlocked();

    // Answers pending sends with 0, disposes pending posts, deletes the pump;
    // later pushes fail. Idempotent. Thread: owner.
    void Close();

    std::thread::id OwnerThread() const { return m_owner; }

    size_t PendingCountForTesting() const;
    void SetPostLimitForTesting(size_t limit);

private:
    class CPump;
    struct PrivateTag {};

public:
    CMessageQueue(PrivateTag, std::shared_ptr<CSyncWaiter> ownerWaiter);

private:
    void PostWakeEvent();
    void Deliver(CQueuedMessage& message);
    static void Drop(CQueuedMessage& message);
    void UpdateCountsLocked();                                  // requires m_mutex
    bool SpinForMore(std::unique_lock<std::mutex>& lock,
                     std::chrono::steady_clock::time_point deadline); // requires m_mutex

    mutable std::mutex m_mutex;
    std::deque<CQueuedMessage> m_items; // Guarded by m_mutex. Queueing order.
    size_t m_sendCount = 0;             // Guarded by m_mutex. Sends among m_items.
    size_t m_postLimit = kDefaultPostLimit; // Guarded by m_mutex.
    bool m_wakePosted = false;  // Guarded by m_mutex. A wake-up event is posted and not yet begun.
    bool m_activeDrain = false; // Guarded by m_mutex. A drain will look at the queue again
                                // before returning to the event loop (not while it runs a handler).
    int m_blockedDepth = 0;     // Guarded by m_mutex. Nesting of the owner's blocking sends.
    bool m_closed = false;      // Guarded by m_mutex.

    // Mirrors of the guarded counts, written under m_mutex, read without it by
    // the spinning drain and by the blocked owner.
    std::atomic<size_t> m_size{0};
    std::atomic<size_t> m_pendingSends{0};

    std::mutex m_pumpMutex;       // leaf lock: taken alone, only around the pump pointer
    std::unique_ptr<CPump> m_pump; // Guarded by m_pumpMutex. Receives the wake-up events; lives on the owner thread.

    const std::thread::id m_owner;
    const std::shared_ptr<CSyncWaiter> m_ownerWaiter; // the owner's waiter, for signalOwner
};

} // namespace Brivel::Platform::Detail
