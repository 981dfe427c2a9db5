// The timer service: CTimer's statics, CTimer::Impl and its jobs.
//
// ---- Process service ----   the singleton behind CTimer's statics
// ---- Jobs ----              CStartTimer, CStopTimer, CSnapshotJob
// ---- Client side ----       Initialize, StartTimer, StopTimer (any thread)
// ---- Timer thread ----      ApplyStart, ApplyStop, the firing step
//
// Call flow of one periodic timer:
//   StartTimer -> CStartTimer job -> ApplyStart (table insert)
//   loop pass done -> WaitForJobs -> FireDueEntries -> sink->OnTimer
//     -> StartTimer (re-arm, passes the fired entry's number on) -> ...
//   StopTimer -> cancel record + CStopTimer job -> wait for a running
//     callback -> ApplyStop (table remove, record erased, acknowledged)

#include "common/timer_impl.h"

#include "common/job.h"
#include "common/tick_count.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>

namespace Brivel::Common {

// ---- Process service ----

namespace {

// Set when the process service is torn down. Trivially destructible, so it
// stays readable by calls that come in after static destruction began.
std::atomic<bool> g_processServiceGone{false};

CTimer::Impl* ProcessService()
{
    if (g_processServiceGone.load())
        return nullptr;
    // Destroyed at exit, which stops and joins the thread (see ~Impl).
    static CTimer::Impl service(true);
    return &service;
}

} // namespace

bool CTimer::Initialize()
{
    Impl* service = ProcessService();
    return service != nullptr && service->Initialize();
}

bool CTimer::StartTimer(ISink* sink, int32_t timerId, uint32_t delayMs)
{
    Impl* service = ProcessService();
    return service != nullptr && service->StartTimer(sink, timerId, delayMs);
}

bool CTimer::StopTimer(ISink* sink, int32_t timerId)
{
    Impl* service = ProcessService();
    return service != nullptr && service->StopTimer(sink, timerId);
}

// ---- Jobs ----

class CTimer::Impl::CStartTimer final : public CJob {
public:
    CStartTimer(Impl& service, const Entry& entry) : m_service(service), m_entry(entry) {}
    void SetSequence(uint64_t sequence) { m_entry.sequence = sequence; }
    void Execute(CAutomat&) override { m_service.ApplyStart(m_entry); }

private:
    Impl& m_service; // Not owned; runs the job.
    Entry m_entry;
};

class CTimer::Impl::CStopTimer final : public CJob {
public:
    CStopTimer(Impl& service, ISink* sink, int32_t timerId)
        : m_service(service), m_sink(sink), m_timerId(timerId)
    {
    }
    void SetSequence(uint64_t sequence) { m_sequence = sequence; }
    void Execute(CAutomat&) override { m_service.ApplyStop(m_sink, m_timerId, m_sequence); }

private:
    Impl& m_service; // Not owned; runs the job.
    ISink* m_sink;   // Not owned; only compared.
    int32_t m_timerId;
    uint64_t m_sequence = 0;
};

// Shared with the waiting test thread, which may give up before the job runs.
struct SnapshotResult {
    std::mutex mutex;
    std::condition_variable ready;
    CTimer::Impl::TableSnapshot snapshot; // Guarded by mutex.
};

class CTimer::Impl::CSnapshotJob final : public CJob {
public:
    CSnapshotJob(Impl& service, std::shared_ptr<SnapshotResult> result)
        : m_service(service), m_result(std::move(result))
    {
    }
    void Execute(CAutomat&) override
    {
        std::lock_guard<std::mutex> guard(m_result->mutex);
        m_result->snapshot.entries = m_service.m_table;
        m_result->snapshot.consistent = m_service.IsTableConsistent();
        m_result->snapshot.taken = true;
        m_result->ready.notify_all();
    }

private:
    Impl& m_service; // Not owned; runs the job.
    std::shared_ptr<SnapshotResult> m_result;
};

// ---- Client side ----

CTimer::Impl::Impl(bool processService) : CAutomat(std::string()), m_processService(processService) {}

CTimer::Impl::~Impl()
{
    if (m_processService)
        g_processServiceGone.store(true);
    {
        CLockGuard guard(m_serviceLock);
        m_tornDown = true;
    }
    // Before any member goes: the loop and the callbacks use them. A running
    // callback is finished; no new one starts once the stop is requested.
    StopAndJoin();
}

bool CTimer::Impl::Initialize()
{
    CLockGuard guard(m_serviceLock);
    if (m_tornDown)
        return false;
    return Start();
}

bool CTimer::Impl::StartTimer(ISink* sink, int32_t timerId, uint32_t delayMs)
{
    if (sink == nullptr || !IsRunning() || IsStopRequested())
        return false;
    Entry entry;
    entry.sink = sink;
    entry.id = timerId;
    entry.dueTick = GetTickCount() + std::min(delayMs, CTimer::kMaxDelayMs);
    // Allocated outside the lock; the number is filled in under it.
    auto job = std::make_unique<CStartTimer>(*this, entry);

    CLockGuard guard(m_stateLock);
    const bool reArmFromOwnCallback = m_inCallback && m_currentPassesSequence && m_current.sink == sink
                                      && m_current.id == timerId && IsCurrentThread();
    if (reArmFromOwnCallback) {
        // The re-arm belongs to the entry being fired: a stop of that entry,
        // also one that came while the callback ran, stops the re-arm too.
        if (IsCancelledLocked(sink, timerId, m_current.sequence))
            return false;
        job->SetSequence(m_current.sequence);
    } else {
        job->SetSequence(++m_lastSequence);
    }
    PostJob(std::move(job));
    return true;
}

bool CTimer::Impl::StopTimer(ISink* sink, int32_t timerId)
{
    if (sink == nullptr || !IsRunning())
        return false;
    auto job = std::make_unique<CStopTimer>(*this, sink, timerId);

    std::unique_lock<CLock> lock(m_stateLock);
    const uint64_t sequence = ++m_lastSequence;
    job->SetSequence(sequence);
    auto record = std::find_if(m_cancels.begin(), m_cancels.end(), [&](const CancelRecord& cancel) {
        return cancel.sink == sink && cancel.id == timerId;
    });
    if (record != m_cancels.end())
        record->sequence = sequence;
    else
        m_cancels.push_back(CancelRecord{sink, timerId, sequence});
    PostJob(std::move(job));

    if (IsCurrentThread()) {
        // Inside a callback: the stop job runs after it, so there is nothing
        // to wait for. A re-arm that follows the stop in this callback is a
        // new timer, not a continuation of the stopped one.
        if (IsRunningCallbackLocked(sink, timerId))
            m_currentPassesSequence = false;
        return true;
    }

    ++m_stopWaiters;
    // A callback of this timer that is running now must end before the
    // client may assume it is never called again. No time limit: returning
    // earlier would let the client free the sink under the callback.
    m_stateChanged.wait(lock, [&] { return !IsRunningCallbackLocked(sink, timerId); });
    // The stop already took effect through the record; this only lets the
    // table catch up, so a busy timer thread costs a bounded wait, and a
    // loop that is ending (and will not run the job) costs none.
    if (!IsStopRequested()) {
        m_stateChanged.wait_for(lock, std::chrono::milliseconds(kStopAcknowledgeTimeoutMs),
                                [&] { return m_lastStopDone >= sequence; });
    }
    --m_stopWaiters;
    return true;
}

CTimer::Impl::TableSnapshot CTimer::Impl::SnapshotTableForTesting()
{
    if (IsCurrentThread())
        return TableSnapshot{m_table, IsTableConsistent(), true};
    auto result = std::make_shared<SnapshotResult>();
    PostJob(std::make_unique<CSnapshotJob>(*this, result));
    std::unique_lock<std::mutex> lock(result->mutex);
    result->ready.wait_for(lock, std::chrono::seconds(10), [&] { return result->snapshot.taken; });
    return result->snapshot;
}

bool CTimer::Impl::IsCancelledLocked(ISink* sink, int32_t timerId, uint64_t sequence) const
{
    for (const CancelRecord& cancel : m_cancels) {
        if (cancel.sink == sink && cancel.id == timerId)
            return cancel.sequence > sequence;
    }
    return false;
}

bool CTimer::Impl::IsRunningCallbackLocked(ISink* sink, int32_t timerId) const
{
    return m_inCallback && m_current.sink == sink && m_current.id == timerId;
}

// ---- Timer thread ----

namespace {

bool SameTimer(const CTimer::Impl::Entry& entry, CTimer::ISink* sink, int32_t timerId)
{
    return entry.sink == sink && entry.id == timerId;
}

} // namespace

void CTimer::Impl::ApplyStart(const Entry& entry)
{
    // Re-arming replaces: the pair has at most one entry.
    auto old = std::find_if(m_table.begin(), m_table.end(),
                            [&](const Entry& armed) { return SameTimer(armed, entry.sink, entry.id); });
    if (old != m_table.end())
        m_table.erase(old);
    {
        CLockGuard guard(m_stateLock);
        if (IsCancelledLocked(entry.sink, entry.id, entry.sequence))
            return; // stopped after it was armed; the old entry was older still
    }
    // Before the first entry not earlier than this one: the newest of equal
    // due ticks fires first.
    auto position = std::lower_bound(m_table.begin(), m_table.end(), entry.dueTick,
                                     [](const Entry& armed, uint32_t due) { return IsTickLater(due, armed.dueTick); });
    m_table.insert(position, entry);
}

void CTimer::Impl::ApplyStop(ISink* sink, int32_t timerId, uint64_t sequence)
{
    auto armed = std::find_if(m_table.begin(), m_table.end(), [&](const Entry& entry) {
        return SameTimer(entry, sink, timerId) && entry.sequence < sequence;
    });
    if (armed != m_table.end())
        m_table.erase(armed);

    CLockGuard guard(m_stateLock);
    // Every start job numbered below this stop has run by now (job order is
    // number order), so the record has nothing left to kill; a later stop of
    // the same pair has replaced the number and erases it itself.
    auto record = std::find_if(m_cancels.begin(), m_cancels.end(), [&](const CancelRecord& cancel) {
        return cancel.sink == sink && cancel.id == timerId && cancel.sequence == sequence;
    });
    if (record != m_cancels.end())
        m_cancels.erase(record);
    m_lastStopDone = std::max(m_lastStopDone, sequence);
    if (m_stopWaiters > 0)
        m_stateChanged.notify_all();
}

bool CTimer::Impl::WaitForJobs(uint32_t timeoutMs)
{
    if (IsStopRequested())
        return false; // shutting down: the loop ends, no callback starts

    uint32_t now = GetTickCount();
    const bool fired = !m_table.empty() && !IsTickLater(m_table.front().dueTick, now);
    if (fired) {
        FireDueEntries(now);
        // Callbacks take time; measure the wait from the present, not from
        // before them, so that the next entry is not fired late.
        now = GetTickCount();
    }

    uint32_t waitMs = timeoutMs;
    if (!m_table.empty()) {
        const int32_t untilDue = TickDifference(m_table.front().dueTick, now);
        waitMs = std::min(waitMs, untilDue > 0 ? static_cast<uint32_t>(untilDue) : 0u);
    }
    return CAutomat::WaitForJobs(waitMs);
}

void CTimer::Impl::FireDueEntries(uint32_t now)
{
    // The table is ordered, so the due entries are a prefix of it.
    auto firstLater = std::partition_point(m_table.begin(), m_table.end(),
                                           [now](const Entry& entry) { return !IsTickLater(entry.dueTick, now); });
    m_due.assign(m_table.begin(), firstLater);
    m_table.erase(m_table.begin(), firstLater);

    for (const Entry& entry : m_due) {
        if (IsStopRequested())
            break;
        {
            CLockGuard guard(m_stateLock);
            if (IsCancelledLocked(entry.sink, entry.id, entry.sequence))
                continue;
            m_inCallback = true;
            m_current = entry;
            m_currentPassesSequence = true;
        }
        try {
            entry.sink->OnTimer(entry.id);
        } catch (...) {
            // A failing client must not starve the others; its entry is gone.
        }
        CLockGuard guard(m_stateLock);
        m_inCallback = false;
        if (m_stopWaiters > 0)
            m_stateChanged.notify_all();
    }
    m_due.clear();
}

bool CTimer::Impl::IsTableConsistent() const
{
    for (size_t index = 1; index < m_table.size(); ++index) {
        if (IsTickLater(m_table[index - 1].dueTick, m_table[index].dueTick))
            return false;
    }
    for (size_t index = 0; index < m_table.size(); ++index) {
        for (size_t other = index + 1; other < m_table.size(); ++other) {
            if (SameTimer(m_table[other], m_table[index].sink, m_table[index].id))
                return false;
        }
    }
    return true;
}

} // namespace Brivel::Common
