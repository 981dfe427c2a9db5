#pragma once
// CTimer::Impl: the timer service object. Internal to common/: included by
// timer.cpp and by tests, which build private instances of it so that they
// do not depend on the process-wide one or on each other's order.
//
// The service is an automat whose wait step is the firing step: after every
// pass over its jobs the loop fires the due entries of its table, then waits
// until the next entry falls due or a job arrives. The table lives on the
// timer thread only; other threads change it by posting a CStartTimer or a
// CStopTimer job.
//
// Synchronous stop. Every StartTimer and StopTimer call draws a sequence
// number under m_stateLock, in the same critical section in which it posts
// its job, so job order equals number order. StopTimer leaves a cancel record
// (sink, id, its number): an entry or start job of that pair with a smaller
// number is dead, and the firing step checks the record under m_stateLock
// before it starts a callback. A callback that re-arms its own timer passes
// on the number of the entry being fired, so a stop that came while it ran
// kills the re-arm too; StartTimer drops such a re-arm at once, which keeps
// every start job with a smaller number ahead of the stop job. The stop job
// removes the entry, erases the record (nothing older can follow it) and
// acknowledges the stop by advancing m_lastStopDone.
//
// Destruction order: the global "torn down" flag (process service only), the
// thread (stopped and joined, see CThread), then the table and locks.
//
// Thread: any thread, except where a method says otherwise.

#include "common/automat.h"
#include "common/lock.h"
#include "common/timer.h"

#include <condition_variable>
#include <cstdint>
#include <vector>

namespace Brivel::Common {

class CTimer::Impl final : public CAutomat {
public:
    // One armed timer. The sequence number orders it against stops.
    struct Entry {
        ISink* sink = nullptr; // Not owned; see CTimer's contract.
        int32_t id = 0;
        uint32_t dueTick = 0;  // GetTickCount() value at which it is due
        uint64_t sequence = 0;
    };
    static_assert(sizeof(Entry) <= 24, "Entry is moved on every insert; keep it small");

    struct TableSnapshot {
        std::vector<Entry> entries;
        bool consistent = false; // ordered by due tick, one entry per pair
        bool taken = false;      // false when the timer thread did not answer
    };

    // `processService` marks the one instance behind CTimer's statics, whose
    // destruction makes those statics return false.
    explicit Impl(bool processService = false);
    ~Impl() override;

    bool Initialize();
    bool StartTimer(ISink* sink, int32_t timerId, uint32_t delayMs);
    bool StopTimer(ISink* sink, int32_t timerId);

    // Copies the table on the timer thread (waiting at most 10 s for it) and
    // checks its order.
    TableSnapshot SnapshotTableForTesting();

    // How long StopTimer waits for the stop job to run.
    static constexpr uint32_t kStopAcknowledgeTimeoutMs = 1000;

protected:
    // The firing step.
    bool WaitForJobs(uint32_t timeoutMs) override;

private:
    class CStartTimer;
    class CStopTimer;
    class CSnapshotJob;

    struct CancelRecord {
        ISink* sink = nullptr;
        int32_t id = 0;
        uint64_t sequence = 0;
    };

    // Timer thread only: the job bodies and the firing step.
    void ApplyStart(const Entry& entry);
    void ApplyStop(ISink* sink, int32_t timerId, uint64_t sequence);
    void FireDueEntries(uint32_t now);
    bool IsTableConsistent() const;

    // Callers hold m_stateLock.
    bool IsCancelledLocked(ISink* sink, int32_t timerId, uint64_t sequence) const;
    bool IsRunningCallbackLocked(ISink* sink, int32_t timerId) const;

    const bool m_processService;

    CLock m_serviceLock;     // Serialises Initialize and teardown.
    bool m_tornDown = false; // Guarded by m_serviceLock.

    // Short critical sections only; never held while waiting or calling out.
    CLock m_stateLock;
    std::condition_variable_any m_stateChanged; // waits on m_stateLock
    uint64_t m_lastSequence = 0;         // Guarded by m_stateLock.
    uint64_t m_lastStopDone = 0;         // Guarded by m_stateLock.
    std::vector<CancelRecord> m_cancels; // Guarded by m_stateLock.
    int32_t m_stopWaiters = 0;           // Guarded by m_stateLock.
    // The callback running now, if any (written by the timer thread).
    bool m_inCallback = false;            // Guarded by m_stateLock.
    Entry m_current;                      // Guarded by m_stateLock.
    bool m_currentPassesSequence = false; // Guarded by m_stateLock. Cleared when
                                          // the callback stops its own timer.

    // Timer thread only.
    std::vector<Entry> m_table; // ordered by due tick (wrap-safe), earliest first
    std::vector<Entry> m_due;   // the entries being fired; kept for its capacity
};

} // namespace Brivel::Common
