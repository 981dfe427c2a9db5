// ---- Index ----
// Row buffer          CRowBuffer: a copy of one object's rows
// Instance            GetInstance, construction
// Bindings            AddBinding, RemoveBinding, queries
// Subscription calls  the per-object guard around Subscribe / Unsubscribe
// Deliveries          DeliverUpdate, DeliverDisposal
// Dispatcher's side   MarkDying, ClearRowsOfDisposedObject, RefreshAllRows

#include "gui/rows/data_object_registry.h"

#include "common/data_object.h"
#include "common/process_clock.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/row_list.h"

#include <algorithm>
#include <array>
#include <thread>

namespace Brivel::GUI {

using Common::CDataObject;
using Common::CLockGuard;

// ---- Row buffer ----

namespace {

// The rows of one object, copied before their handlers run (a handler may
// bind and unbind). Most objects have one row: up to 8 live on the stack.
class CRowBuffer {
public:
    explicit CRowBuffer(const CBindingTable::CEntry::CRows& rows)
    {
        if (rows.size() <= m_inline.size()) {
            std::copy(rows.begin(), rows.end(), m_inline.begin());
            m_rows = {m_inline.data(), rows.size()};
        } else {
            m_heap.assign(rows.begin(), rows.end());
            m_rows = m_heap;
        }
    }
    CRowBuffer(const CRowBuffer&) = delete;
    CRowBuffer& operator=(const CRowBuffer&) = delete;

    std::span<CGridItem* const> Rows() const noexcept { return m_rows; }

private:
    std::array<CGridItem*, 8> m_inline{};
    std::vector<CGridItem*> m_heap;
    std::span<CGridItem* const> m_rows;
};

} // namespace

// ---- Instance ----

CDataObjectRegistry& CDataObjectRegistry::GetInstance()
{
    // Never destroyed (see the header): a plain pointer keeps the registry
    // reachable, and no exit-time destructor can run before an object's last
    // call into its sink.
    static CDataObjectRegistry* const instance = new CDataObjectRegistry(); // private constructor; lives until exit
    return *instance;
}

CDataObjectRegistry::CDataObjectRegistry() : m_dispatcher(*this)
{
}

// ---- Bindings ----

bool CDataObjectRegistry::AddBinding(CDataObject* object, CGridItem* row)
{
    if (!object || !row)
        return false;
    // The first binding on the GUI thread after an application appeared
    // gives the dispatcher its window, if it had none.
    m_dispatcher.EnsureWindow();
    bool first = false;
    {
        CLockGuard guard(m_lock);
        WaitForSubscriptionCalls(object);
        // The sequence numbers matter only for a new entry (its first
        // binding): packets older than it, if some are still to come, are
        // stale for this object.
        const CBindingTable::AddResult added =
            m_bindings.Add(object, row, m_dispatcher.GetSequence(), m_processedThrough);
        if (added == CBindingTable::AddResult::kRefused)
            return false;
        first = added == CBindingTable::AddResult::kCreated;
        if (first)
            BeginSubscriptionCall(object);
    }
    if (!first)
        return true;
    const bool subscribed = object->Subscribe(&m_dispatcher);
    EndSubscriptionCall(object);
    if (subscribed)
        return true;
    // Refused: the object announced its destruction already, and no disposal
    // will come for it. Nothing may stay bound to it.
    ClearRowsOfDisposedObject(object);
    return false;
}

bool CDataObjectRegistry::RemoveBinding(CDataObject* object, CGridItem* row)
{
    if (!object || !row)
        return false;
    bool unsubscribe = false;
    CBindingTable::RemoveResult removed;
    {
        CLockGuard guard(m_lock);
        WaitForSubscriptionCalls(object);
        removed = m_bindings.Remove(object, row);
        unsubscribe = removed.erased && !removed.stillBound && !IsDisposingLocked(object);
        if (unsubscribe)
            BeginSubscriptionCall(object);
    }
    if (unsubscribe) {
        object->Unsubscribe(&m_dispatcher);
        EndSubscriptionCall(object);
    }
    return removed.erased;
}

bool CDataObjectRegistry::HasBinding(const CDataObject* object, const CGridItem* row) const
{
    if (!object || !row)
        return false;
    CLockGuard guard(m_lock);
    return m_bindings.Contains(object, row);
}

bool CDataObjectRegistry::IsBound(const CDataObject* object) const
{
    if (!object)
        return false;
    CLockGuard guard(m_lock);
    return m_bindings.Find(object) != nullptr;
}

void CDataObjectRegistry::GetRows(const CDataObject* object, std::vector<CGridItem*>& rows,
                                  const IRowListOwner* owner) const
{
    if (!object)
        return;
    CLockGuard guard(m_lock);
    const CBindingTable::CEntry* const entry = m_bindings.Find(object);
    if (!entry)
        return;
    for (CGridItem* row : entry->Rows()) {
        const CRowList* const list = row->GetRowList();
        if (!list || list->GetKind() == CRowList::kDetachedList)
            continue;
        if (owner && list->GetOwner() != owner)
            continue;
        rows.push_back(row);
    }
}

size_t CDataObjectRegistry::GetBindingCount() const
{
    CLockGuard guard(m_lock);
    return m_bindings.BindingCount();
}

uint64_t CDataObjectRegistry::GetFailedDeliveryCount() const
{
    CLockGuard guard(m_lock);
    return m_failedDeliveries;
}

size_t CDataObjectRegistry::GetBoundObjectCount() const
{
    CLockGuard guard(m_lock);
    return m_bindings.ObjectCount();
}

bool CDataObjectRegistry::IsDisposing() const
{
    CLockGuard guard(m_lock);
    return !m_disposing.empty();
}

bool CDataObjectRegistry::IsDisposingLocked(const CDataObject* object) const
{
    return std::find(m_disposing.begin(), m_disposing.end(), object) != m_disposing.end();
}

std::string CDataObjectRegistry::CheckInvariantsForTesting() const
{
    CLockGuard guard(m_lock);
    return m_bindings.CheckInvariantsForTesting();
}

// ---- Subscription calls ----

void CDataObjectRegistry::BeginSubscriptionCall(const CDataObject* object)
{
    std::lock_guard lock(m_subscriptionMutex);
    m_subscriptionCalls.push_back(object);
    m_subscriptionCallCount.fetch_add(1, std::memory_order_release);
}

void CDataObjectRegistry::EndSubscriptionCall(const CDataObject* object) noexcept
{
    std::lock_guard lock(m_subscriptionMutex);
    const auto found = std::find(m_subscriptionCalls.begin(), m_subscriptionCalls.end(), object);
    if (found != m_subscriptionCalls.end()) {
        m_subscriptionCalls.erase(found);
        m_subscriptionCallCount.fetch_sub(1, std::memory_order_release);
    }
}

void CDataObjectRegistry::WaitForSubscriptionCalls(const CDataObject* object) const
{
    // Fast path: no call at all. A call begun under m_lock by another thread
    // is seen here (the binding operations wait under m_lock too); one that
    // ended late only sends us through the slow path.
    if (m_subscriptionCallCount.load(std::memory_order_acquire) == 0)
        return;
    // Such a call takes only the object's own lock, never held while sinks
    // run, and ends at once: a short yield loop is enough. The calling
    // thread may hold m_lock; the call being waited for never needs it.
    for (;;) {
        {
            std::lock_guard lock(m_subscriptionMutex);
            if (std::find(m_subscriptionCalls.begin(), m_subscriptionCalls.end(), object) == m_subscriptionCalls.end())
                return;
        }
        std::this_thread::yield();
    }
}

// ---- Deliveries ----

bool CDataObjectRegistry::DeliverUpdate(const CUpdatePacket& packet)
{
    if (!packet.object || !m_dispatcher.IsGuiThread())
        return false;
    CLockGuard guard(m_lock);
    return DeliverUpdateLocked(packet, Common::GetProcessClock());
}

size_t CDataObjectRegistry::DeliverUpdates(std::span<const CUpdatePacket> packets)
{
    if (!m_dispatcher.IsGuiThread())
        return 0;
    // Three stages ahead of the delivery: the binding slot of the packet
    // kSlotAhead on, then (its slot loaded by now) the first row of the
    // packet kRowAhead on, then (that row loaded) its highlight records for
    // the packet kRecordsAhead on. Only hints: nothing found ahead is kept,
    // since the handlers may change the table in between.
    constexpr size_t kSlotAhead = 8;
    constexpr size_t kRowAhead = 4;
    constexpr size_t kRecordsAhead = 2;
    CLockGuard guard(m_lock);
    ++m_deliveryDepth;
    struct CDepth {
        int32_t& depth;
        ~CDepth() { --depth; }
    } depth{m_deliveryDepth};
    // The clock is read once for a stretch of packets: again every
    // kClockEvery of them, and after a handler's nested event loop delivered
    // a run of its own (it may have lasted).
    constexpr size_t kClockEvery = 16;
    uint64_t runs = ++m_deliveryRuns;
    int32_t now = 0;
    size_t delivered = 0;
    for (size_t i = 0; i < packets.size(); ++i) {
        if (i % kClockEvery == 0 || m_deliveryRuns != runs) {
            now = Common::GetProcessClock();
            runs = m_deliveryRuns;
        }
        if (i + kSlotAhead < packets.size())
            m_bindings.Prefetch(packets[i + kSlotAhead].object);
        if (i + kRowAhead < packets.size()) {
            if (const CBindingTable::CEntry* ahead = m_bindings.Find(packets[i + kRowAhead].object)) {
                const CGridItem* const row = ahead->Rows().front();
                __builtin_prefetch(row);
                __builtin_prefetch(reinterpret_cast<const char*>(row) + 64);
            }
        }
        if (i + kRecordsAhead < packets.size()) {
            if (const CBindingTable::CEntry* ahead = m_bindings.Find(packets[i + kRecordsAhead].object))
                ahead->Rows().front()->PrefetchChangeState();
        }
        if (packets[i].object && DeliverUpdateLocked(packets[i], now))
            ++delivered;
    }
    if (m_deliveryDepth == 1 && !packets.empty()) {
        m_processedThrough = std::max(m_processedThrough, packets.back().sequence + 1);
        m_bindings.ForgetYoungBefore(m_processedThrough);
    }
    return delivered;
}

bool CDataObjectRegistry::DeliverUpdateLocked(const CUpdatePacket& packet, int32_t now)
{
    const auto current = [&]() -> const CBindingTable::CEntry* {
        const CBindingTable::CEntry* const entry = m_bindings.Find(packet.object);
        return entry && !entry->IsDying() && !m_bindings.IsStale(*entry, packet.sequence) ? entry : nullptr;
    };
    const CBindingTable::CEntry* entry = current();
    if (!entry)
        return false;
    const CRowBuffer rows(entry->Rows());
    bool first = true;
    for (CGridItem* row : rows.Rows()) {
        // A handler may have unbound, destroyed or rebound rows: the pair is
        // checked again before each later row.
        if (!first) {
            entry = current();
            if (!entry)
                break;
            if (!entry->ContainsRow(row))
                continue;
        }
        first = false;
        try {
            row->OnDataChanged(packet.fieldId, now);
        } catch (...) {
            // A failing handler costs only its own row the change: the event
            // loop must not see it, and the other rows still get theirs.
            ++m_failedDeliveries;
        }
    }
    return true;
}

bool CDataObjectRegistry::DeliverDisposal(CDataObject* object) noexcept
{
    if (!object)
        return false;
    if (!m_dispatcher.IsGuiThread()) {
        ClearRowsOfDisposedObject(object);
        return false;
    }
    CLockGuard guard(m_lock);
    m_disposing.push_back(object);
    std::vector<CGridItem*> rows;
    if (const CBindingTable::CEntry* const entry = m_bindings.Find(object)) {
        try {
            const CBindingTable::CEntry::CRows bound = entry->Rows();
            rows.assign(bound.begin(), bound.end());
        } catch (...) {
            // No memory for the copy: clear the rows in place instead.
        }
    }
    for (CGridItem* row : rows) {
        if (!m_bindings.Contains(object, row))
            continue; // an earlier removal took it (a descendant of a removed row)
        try {
            CRowList* const list = row->GetRowList();
            IRowListOwner* const owner = list ? list->GetOwner() : nullptr;
            if (owner && list->GetKind() != CRowList::kDetachedList)
                owner->RemoveItemOfDisposedObject(*row);
            else
                CRowList::DestroyItem(row);
        } catch (...) {
            // The row stays, but not with the object (below).
            ++m_failedDeliveries;
        }
        if (m_bindings.Contains(object, row)) {
            row->ClearDisposedDataObject();
            m_bindings.Remove(object, row);
        }
    }
    // Whatever is left (rows bound during the removals, or no copy made).
    if (const CBindingTable::CEntry* const entry = m_bindings.Find(object))
        for (CGridItem* row : entry->Rows())
            row->ClearDisposedDataObject();
    m_bindings.Erase(object);
    m_disposing.erase(std::find(m_disposing.begin(), m_disposing.end(), object));
    return true;
}

// ---- Dispatcher's side ----

void CDataObjectRegistry::MarkDying(const CDataObject* object)
{
    CLockGuard guard(m_lock);
    if (CBindingTable::CEntry* const entry = m_bindings.Find(object))
        entry->SetDying();
}

void CDataObjectRegistry::ClearRowsOfDisposedObject(const CDataObject* object) noexcept
{
    CLockGuard guard(m_lock);
    if (const CBindingTable::CEntry* const entry = m_bindings.Find(object))
        for (CGridItem* row : entry->Rows())
            row->ClearDisposedDataObject();
    m_bindings.Erase(object);
}

void CDataObjectRegistry::RefreshAllRows()
{
    std::vector<CDataObject*> objects;
    {
        CLockGuard guard(m_lock);
        objects.reserve(m_bindings.ObjectCount());
        m_bindings.ForEach([&objects](const CBindingTable::CEntry& entry) { objects.push_back(entry.Object()); });
    }
    // Each object is looked up again at delivery: one unbound meanwhile is
    // skipped, and none is dereferenced here.
    for (CDataObject* object : objects)
        DeliverUpdate({object, CDispatcher::kRefreshFieldId, UINT64_MAX});
}

} // namespace Brivel::GUI
