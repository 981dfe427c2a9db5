#pragma once
// CDispatcher: the one CDataObject::ISink attached to every data object that
// a grid row shows, and the hidden window that carries the object's change
// notifications from whatever thread raised them to the GUI thread.
//
// How an update travels:
//
//   producer thread (any)                       GUI thread
//   obj->NotifyUpdate(id)
//     OnUpdate(id, obj)
//       queue lock: append {obj, id, seq}
//       queue was idle? post ONE wake-up  ----> "Brivel.Grid.Dispatcher.SyncMessage" (wParam 0)
//                                                 DrainUpdates: swap the queue out,
//                                                 DeliverUpdate each packet in order
//                                                 (registry: every row of obj,
//                                                 CGridItem::OnDataChanged)
//
// One packet per change, delivered one by one in posting order, as if each
// had been posted on its own; but a producer pays one Qt post per batch, not
// per change (a post costs about 4 us here), and nothing is allocated per
// change once the two queue vectors have grown to the batch size. A change
// raised on the GUI thread is queued too: the rows learn of it when the event
// loop next runs, never in the middle of the changing call.
//
// Fairness: a drain hands the thread back to the event loop after
// kDrainSliceMs (painting and input go on under a flood of changes) and posts
// a wake-up for the rest. Within a drain, synchronous calls that other
// threads make to this thread's windows (a worker adding rows) are answered
// between slices of deliveries: when one waits, a burst of up to
// kSendBurstUs answers it and whatever follows it at once, then at least
// kDeliverySliceUs of deliveries run before the next burst. This happens
// only while the deliveries keep up (the batch being delivered was taken
// from the producers less than kMaxLagForCallsUs ago): when they fall
// behind, the changes come first and the calls wait for the drain's end, as
// any other message does. Every change is still delivered, in order.
//
// Bound: at most kMaxQueuedUpdates packets wait (about a second of changes at
// a million per second, 24 MiB). Beyond that a change is not queued: the
// producer never blocks and never allocates for it; it is counted
// (GetDroppedUpdateCount) and, once the GUI thread drains again, every bound
// row is refreshed once with field id -2 (re-read everything, no change time
// recorded), so no row is left showing a value whose change was dropped.
//
// Stale packets. A packet names its object by address and carries the
// dispatcher's sequence number at posting. An object's first binding made
// while older packets are still to come records the sequence number of its
// making, and the registry drops packets older than it, so a packet for an
// object deleted after posting never reaches a new object that was allocated
// at the same address and bound before the packet's delivery; a packet whose
// object has no binding any more finds no rows.
//
// Disposal (OnDelete): on the GUI thread the registry delivers it at once; on
// another thread the object's updates stop being delivered, the disposal is
// sent to the window (wParam 1) and the caller waits until the GUI thread has
// removed every row of the object. When the window is gone (after the
// application object was destroyed) or the send fails, the caller clears the
// object from every row itself, under the registry's lock, touching nothing
// else of the rows, and returns at once: it never hangs and no row keeps
// pointing at the dead object. The GUI thread must not be waiting for the
// deleting thread meanwhile (that is a deadlock the dispatcher cannot see).
//
// Lifecycle: owned by the process-wide registry, which is never destroyed, so
// the sink stays valid for objects deleted at any time, even by exit-time
// destructors. The window is created on the GUI thread (the thread that first
// asks for the registry, or the first binding on the application's thread
// when no application existed yet) and destroyed when the QCoreApplication is
// destroyed (a post routine) or by Shutdown; from then on changes are dropped
// and disposals are handled as described above. Shutdown is idempotent.
//
// Thread: the ISink operations and the getters: any thread. EnsureWindow,
// Shutdown and the delivery itself: GUI thread only.

#include "common/data_object.h"
#include "platform/message_types.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

namespace Brivel::GUI {

class CDataObjectRegistry;

// One change of one data object, as queued by the dispatcher.
struct CUpdatePacket {
    Common::CDataObject* object = nullptr; // Not owned; may be gone by delivery.
    int32_t fieldId = 0; // the changed field
    uint64_t sequence = 0; // the dispatcher's sequence number at posting
};
static_assert(sizeof(CUpdatePacket) <= 24, "one packet is queued per change; keep it small");

class CDispatcher final : public Common::CDataObject::ISink {
public:
    static constexpr const char* kMessageName = "Brivel.Grid.Dispatcher.SyncMessage"; // the registered message of the dispatcher's window
    // The dispatcher window's object name (Qt's place for a window class).
    static constexpr const char* kWindowClassName = "Brivel.Grid.Dispatcher";
    // wParam of the registered message.
    static constexpr Platform::WPARAM kDrainUpdates = 0;
    static constexpr Platform::WPARAM kDeliverDisposal = 1; // lParam: the object; result 1 when delivered

    static constexpr size_t kMaxQueuedUpdates = size_t{1} << 20; // packets that may wait (see Bound above)
    // The queue's buffers keep at most this many packets' room while no
    // change waits (1.5 MB); more is freed when the queue runs empty.
    static constexpr size_t kIdleBufferPackets = size_t{1} << 16;
    static constexpr size_t kDeliveryRun = 64; // packets delivered between two looks at the clock and the waiting calls
    static constexpr int kDrainSliceMs = 8; // the longest drain before the event loop runs again
    // The longest burst of other threads' synchronous calls answered within a
    // drain, and the deliveries that run at least between two bursts.
    static constexpr int kSendBurstUs = 1000;
    static constexpr int kDeliverySliceUs = 1000;
    // Calls are answered within a drain only while the changes being
    // delivered were taken from the producers less than this long ago: when
    // the deliveries fall behind, the changes come first.
    static constexpr int kMaxLagForCallsUs = 1000;
    // Field id of the refresh after dropped changes.
    static constexpr int32_t kRefreshFieldId = -2;

    // `registry` owns the dispatcher. Records the calling thread as the GUI
    // thread and creates the window when an application exists on it.
    explicit CDispatcher(CDataObjectRegistry& registry);
    CDispatcher(const CDispatcher&) = delete;
    CDispatcher& operator=(const CDispatcher&) = delete;
    ~CDispatcher();

    // ---- CDataObject::ISink ----
    using Common::CDataObject::ISink::OnUpdate;
    // Slot 0: nothing (the objects of this system announce one field at a
    // time).
    void OnUpdate(const Common::FieldIdSet& ids, Common::CDataObject* object) override;
    // Slot 1: queues the change (see the top of this file). Never blocks.
    void OnUpdate(int32_t id, Common::CDataObject* object) override;
    // Slot 2: removes every row of the object before returning.
    void OnDelete(Common::CDataObject* object) override;

    // ---- State ----
    Platform::HWND GetSafeHwnd() const noexcept; // the window's handle; HWND{} when there is none
    std::thread::id GetGuiThreadId() const noexcept; // the thread of the window
    bool IsGuiThread() const noexcept { return std::this_thread::get_id() == GetGuiThreadId(); } // the calling thread is that thread
    bool IsShutDown() const noexcept; // Shutdown has run
    // Packets posted from now on carry this sequence number or a higher one.
    uint64_t GetSequence() const noexcept;
    // Changes not queued because the queue was full.
    uint64_t GetDroppedUpdateCount() const noexcept;

    // Creates the window when there is none yet, an application exists and
    // this is its thread (the GUI thread). True when a window exists after.
    // Thread: any thread (does nothing elsewhere).
    bool EnsureWindow();
    // Destroys the window and drops what is queued; later changes are
    // dropped. Idempotent. Thread: GUI thread only.
    void Shutdown();

    size_t GetQueuedUpdateCountForTesting() const; // for tests: packets waiting
    // Test seam: drains begun so far (each turn of the event loop that
    // delivers changes is one). Thread: any thread.
    uint64_t GetDrainCountForTesting() const;
    // Test seam: how long the batch being delivered may have waited for calls
    // to be answered within a drain (kMaxLagForCallsUs by default); a test
    // lifts it to watch the answering itself. GUI thread only.
    void SetMaxLagForCallsForTesting(int32_t microseconds);
    // Lowers the bound (tests fill the queue without a million changes).
    void SetQueueLimitForTesting(size_t limit);

private:
    class CWindow;
    struct Impl;

    void DrainUpdates();

    std::unique_ptr<Impl> m_impl;
};

} // namespace Brivel::GUI
