#pragma once
// CDataObjectRegistry: the process-wide record of which grid rows show which
// data object, and the owner of the dispatcher (dispatcher.h) that carries the
// objects' notifications to those rows.
//
// Bindings. One binding per (object, row) pair, kept per object in binding
// order (CBindingTable). The dispatcher's sink is attached to an object while
// it has at least one binding: Subscribe at its first AddBinding, Unsubscribe
// when RemoveBinding takes its last one. Subscribe and Unsubscribe are called
// after the binding call has released the registry's lock (so the object's
// lock is not taken under it, unless a delivery's handler holds it further
// out), and the calls for one object never overlap: a binding change of
// an object waits until a subscription call for it on another thread is over,
// and so does a disposal, so that an object is never freed while its
// subscription is being changed.
//
// Deliveries. DeliverUpdate runs, under the lock, the data-change step of
// every row bound to the packet's object (CGridItem::OnDataChanged), in
// binding order; DeliverDisposal removes every row of a disposed object: a row
// of a grid list through its owner's removal (IRowListOwner), a row of the
// detached list by destroying it. Rows may bind and unbind from inside both
// (the lock is recursive); a row unbound meanwhile is skipped. Bindings of an
// object being disposed are dropped without calling back into it.
//
// Lifecycle. Created on first use (GetInstance) and never destroyed: data
// objects may be deleted, and so call the dispatcher's sink, from any
// destructor at any time, also after main returns, so the sink must outlive
// every static. Its Qt part, the dispatcher window, goes with the
// QCoreApplication (see dispatcher.h); everything after that gets the
// documented results there. The memory it holds at exit stays reachable from
// a static pointer (no leak report).
//
// Thread: any thread for the binding operations and queries (the grid calls
// them on its GUI thread); DeliverUpdate and DeliverDisposal on the GUI
// thread only (see each).

#include "common/lock.h"
#include "gui/rows/binding_table.h"
#include "gui/rows/dispatcher.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace Brivel::Common {
class CDataObject;
}

namespace Brivel::GUI {

class CGridItem;
class IRowListOwner;

class CDataObjectRegistry {
public:
    // The registry; the first call creates it (and the dispatcher window, on
    // the calling thread, which becomes the GUI thread).
    static CDataObjectRegistry& GetInstance();

    CDataObjectRegistry(const CDataObjectRegistry&) = delete;
    CDataObjectRegistry& operator=(const CDataObjectRegistry&) = delete;

    // ---- Bindings ----
    // Adds the pair (a pair added twice gives two bindings; CGridItem never
    // does that). False, adding nothing, for a null argument, an object
    // that is already being destroyed (it refuses the sink), or an address
    // beyond the 48 bits the registry keeps (see binding_table.h).
    bool AddBinding(Common::CDataObject* object, CGridItem* row);
    // Removes the first binding of the pair; false when it had none (nothing
    // changes, the sink stays).
    bool RemoveBinding(Common::CDataObject* object, CGridItem* row);
    bool HasBinding(const Common::CDataObject* object, const CGridItem* row) const; // the pair is bound
    bool IsBound(const Common::CDataObject* object) const; // the object has rows
    // Appends the object's rows that lie in a grid's pinned or body list (not
    // the detached list), in binding order; with `owner`, only the rows of
    // lists it owns (one grid's). Thread: GUI thread (it reads the rows).
    void GetRows(const Common::CDataObject* object, std::vector<CGridItem*>& rows,
                 const IRowListOwner* owner = nullptr) const;
    size_t GetBindingCount() const; // (object, row) pairs
    size_t GetBoundObjectCount() const; // objects with rows

    // ---- Deliveries ----
    // The data-change step of every row of the packet's object, unless the
    // packet is older than the object's first binding or the object is being
    // destroyed. False (nothing delivered) for those, a null object, an
    // unbound one, or a call off the GUI thread. An exception from a row's
    // handler is swallowed; the other rows still get the change.
    bool DeliverUpdate(const CUpdatePacket& packet);
    // DeliverUpdate of each packet in order, under one taking of the lock,
    // loading the bindings and rows of the packets a few ahead while it
    // delivers (a long stream's objects are seldom in the cache). Answers
    // how many were delivered. GUI thread only (0 elsewhere). For the
    // dispatcher: the packets are the next ones of its queue, all earlier
    // ones delivered before, so that afterwards none up to the last one is
    // still to come (which tells which new bindings may meet stale packets).
    size_t DeliverUpdates(std::span<const CUpdatePacket> packets);
    // Removes every row of `object` (see the top of this file). On another
    // thread it only clears the object from its rows (as at shutdown) and
    // returns false. Never throws: a failing removal still leaves the row
    // without the object.
    bool DeliverDisposal(Common::CDataObject* object) noexcept;
    // A disposal is being delivered (on the GUI thread).
    bool IsDisposing() const;
    // Row handlers (data change, removal) that threw during a delivery.
    uint64_t GetFailedDeliveryCount() const;

    CDispatcher& GetDispatcher() noexcept { return m_dispatcher; } // the process-wide dispatcher

    // Checks the binding table. Empty when it holds.
    std::string CheckInvariantsForTesting() const;

private:
    friend class CDispatcher;

    CDataObjectRegistry();
    // Never runs (see Lifecycle above).
    ~CDataObjectRegistry() = default;

    // The dispatcher's side (dispatcher.cpp).
    void MarkDying(const Common::CDataObject* object);
    void ClearRowsOfDisposedObject(const Common::CDataObject* object) noexcept;
    void RefreshAllRows();
    void WaitForSubscriptionCalls(const Common::CDataObject* object) const;

    bool IsDisposingLocked(const Common::CDataObject* object) const;
    // `now`: the process clock for the rows' change records. Requires m_lock.
    bool DeliverUpdateLocked(const CUpdatePacket& packet, int32_t now);
    void BeginSubscriptionCall(const Common::CDataObject* object);
    void EndSubscriptionCall(const Common::CDataObject* object) noexcept;

    mutable Common::CLock m_lock;
    CBindingTable m_bindings;                        // Guarded by m_lock.
    std::vector<const Common::CDataObject*> m_disposing; // Guarded by m_lock. Objects being disposed (nested).
    uint64_t m_failedDeliveries = 0;                 // Guarded by m_lock.
    // The lowest sequence number of a packet that may still be delivered
    // (packets are numbered from 1), and how deeply DeliverUpdates is nested
    // (a handler's nested event loop delivers later packets before the outer
    // run's rest, so only the outermost run moves the mark). Guarded by m_lock.
    uint64_t m_processedThrough = 1;
    int32_t m_deliveryDepth = 0;
    uint64_t m_deliveryRuns = 0; // DeliverUpdates calls so far, nested ones included. Guarded by m_lock.

    // Objects whose Subscribe or Unsubscribe is running. A leaf lock of its
    // own, so that waiting for such a call never needs m_lock.
    mutable std::mutex m_subscriptionMutex;
    std::vector<const Common::CDataObject*> m_subscriptionCalls; // Guarded by m_subscriptionMutex.
    std::atomic<size_t> m_subscriptionCallCount{0}; // its size, written under m_subscriptionMutex

    CDispatcher m_dispatcher; // last: its window may deliver as soon as it exists
};

} // namespace Brivel::GUI
