#pragma once
// CPeerFrame: the QTableView peer of the benchmark's main frame. It runs the
// same workload on a QTableView over CPeerModel, drawn by CPeerDelegate:
//
//   - add and remove runs on the GUI thread, or on a worker thread whose every
//     model call is a blocking queued call to the GUI thread
//     (QMetaObject::invokeMethod with Qt::BlockingQueuedConnection), with the
//     same positions and random draws as the frame's runs;
//   - the paced stream of random value updates (the same CUpdateSchedule and
//     draws) from a 10 ms timer on the GUI thread, or from a timer thread
//     that makes each step's changes and posts them to the GUI thread as one
//     batch;
//   - highlighting of changed cells, alpha-blended or fading, with a refresh
//     timer that repaints the visible cells whose highlight changed its look;
//   - sorting through a QSortFilterProxyModel with dynamic sorting, put
//     between the view and the model only when sorting is asked for, so that
//     the unsorted runs pay nothing for it.
//
// Like the frame's delay probe, every second step of the timer thread (right
// after the step) stamps its post; the GUI thread, having applied the batch,
// records the time since the stamp.
//
// Ownership: owns the objects, the view, the model, the proxy and the
// delegate (Qt children), the timer thread and a worker run's thread.
// Locking: m_lock guards the objects and the stream's state; it is never held
// across a blocking call to the GUI thread.
// Thread: GUI thread only, except where a method says otherwise.

#include "app/update_schedule.h"
#include "bench/qtableview/peer_delegate.h"

#include <QMainWindow>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QSortFilterProxyModel;
class QTableView;
class QTimer;

namespace Quellon {
class CTestObject;
}

namespace QuellonPeer {

class CPeerModel;

class CPeerFrame : public QMainWindow {
public:
    // Makes the view and starts both update sources; adds `initialRows` rows
    // at the tail from the GUI thread; the stream then runs at 5000 per
    // second from the GUI thread with alpha-blended highlighting, as the
    // benchmark application starts.
    explicit CPeerFrame(int32_t initialRows);
    ~CPeerFrame() override;

    CPeerFrame(const CPeerFrame&) = delete;
    CPeerFrame& operator=(const CPeerFrame&) = delete;

    // Position codes as the frame's: 0 head, 1 tail, 2 random. From the
    // worker, the call returns at once; IsWorkerRunning tells when it ended.
    void AddItems(int32_t count, int32_t positionCode, bool fromWorker);
    // Removes `count` rows, newest object first, and deletes the objects.
    void RemoveItems(int32_t count, bool fromWorker);
    bool IsWorkerRunning() const { return m_workerRunning.load(); }

    // Rate and source (0 GUI thread, 1 timer thread); restarts the schedule.
    void SetUpdateSettings(int32_t rate, int32_t source);
    void SetUpdatesEnabled(bool enabled);
    bool IsUpdatesEnabled();
    void SetHighlightMode(PeerHighlight::Mode mode);
    // Sorts the view on a value column (1 .. 10), ascending, dynamically.
    void SortOnColumn(int32_t column);
    // True when the view's rows are in ascending order of the sorted column.
    bool RowsInSortOrder() const;

    // Every change made so far handled: the timer thread's step in progress
    // ends and posts, and every posted batch is handled (up to timeoutMs).
    bool Flush(int timeoutMs = 10'000);
    // The delay probe: the largest delay since Start, and since the last
    // TakeWindowMax.
    void StartProbe();
    void StopProbe() { m_probing.store(false); }
    double GetMaxDelayMs() const { return m_maxDelayMs; }
    double TakeWindowMaxDelayMs();
    uint64_t GetProbeSamples() const { return m_probeSamples; }

    uint64_t GetTotalUpdateCount() const { return m_totalUpdates.load(std::memory_order_relaxed); }
    QTableView& GetView() const { return *m_view; }
    CPeerModel& GetModel() const { return *m_model; }

    // The memory scenario: shows objects the caller made at the tail, one
    // insertion each, then takes them over (their rows go before them).
    void ShowAtTail(const std::vector<std::unique_ptr<Quellon::CTestObject>>& objects);
    void AdoptObjects(std::vector<std::unique_ptr<Quellon::CTestObject>> objects);

private:
    struct Change {
        const Quellon::CTestObject* object;
        int32_t field;
    };

    void AddItemsOnThisThread(int32_t count, int32_t positionCode, bool fromWorker);
    void RemoveItemsOnThisThread(int32_t count, bool fromWorker);
    void StartWorker(std::function<void()> run);
    void JoinWorker();
    // One step of the stream for `source`: the changes it made. Thread: any.
    std::vector<Change> GenerateUpdates(int32_t source);
    void ApplyChanges(const std::vector<Change>& changes);
    void TimerThreadMain();
    void OnHighlightRefresh();
    void InsertRowOnGuiThread(int32_t row, Quellon::CTestObject* object);
    void ConfigureColumns();
    void RecordDelay(double ms);

    PeerHighlight m_highlight;
    CPeerModel* m_model = nullptr;              // owned by this window (Qt child)
    QSortFilterProxyModel* m_proxy = nullptr;   // owned by this window (Qt child); null while unsorted
    CPeerDelegate* m_delegate = nullptr;        // owned by this window (Qt child)
    QTableView* m_view = nullptr;               // owned by this window (Qt child)
    QTimer* m_guiUpdateTimer = nullptr;         // owned by this window (Qt child)
    QTimer* m_highlightTimer = nullptr;         // owned by this window (Qt child)
    int32_t m_lastRefreshMs = 0;                // GUI thread only
    int32_t m_lastPruneMs = 0;                  // GUI thread only

    std::mutex m_lock;
    std::vector<std::unique_ptr<Quellon::CTestObject>> m_objects; // Guarded by m_lock. Creation order.
    bool m_updatesEnabled = true;   // Guarded by m_lock.
    int32_t m_updateSource = 0;     // Guarded by m_lock.
    int32_t m_updateFrequency = 0;  // Guarded by m_lock.
    Quellon::CUpdateSchedule m_schedule; // Guarded by m_lock.

    std::atomic<uint64_t> m_totalUpdates{0};
    std::atomic<uint64_t> m_batchesPosted{0};
    std::atomic<uint64_t> m_batchesHandled{0};
    std::atomic<uint64_t> m_timerSteps{0}; // steps the timer thread ended, its batch posted
    std::atomic<bool> m_probing{false};
    double m_maxDelayMs = 0;        // GUI thread only
    double m_windowMaxDelayMs = 0;  // GUI thread only
    uint64_t m_probeSamples = 0;    // GUI thread only

    std::mutex m_timerLock;
    std::condition_variable m_timerWake;
    bool m_timerStop = false; // Guarded by m_timerLock.
    std::thread m_timerThread;

    std::atomic<bool> m_closing{false}; // set by the destructor: a worker run stops after its current call
    std::atomic<bool> m_workerRunning{false};
    std::thread m_worker; // the current or last worker run
};

} // namespace QuellonPeer
