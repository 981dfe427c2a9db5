#pragma once
// CMainFrame: the benchmark's main window. It shows the test grid (rows of
// CTestObject, upper pane) and the log grid (one CLogMessage per benchmark
// action, newest first, lower pane) in a vertical splitter, offers the
// benchmark's commands through the Settings menu and the toolbar, runs the
// timed add and remove runs (on the GUI thread or on its worker automat) and
// the paced stream of random value updates (from a 10 ms window timer on the
// GUI thread or from the timer service's thread), and every 3 s writes the
// row count, the test grid's size and the process's CPU usage into the
// window caption.
//
// Life cycle:
//   construction   members only (the update schedule starts at now)
//   LoadFrame      window creation: splitter, both grids with their headers
//                  and options, menus, toolbar, accelerators, worker thread,
//                  the two window timers and the timer-service callback, the
//                  first caption (0 rows), the first add run (3000 rows at
//                  the tail from the GUI thread, one log line), then the
//                  update stream at 5000 per second
//   OnDestroy      (closeEvent, or the destructor at the latest; idempotent)
//                  kills the window timers, stops the timer-service callback
//                  (synchronous: no OnTimer reaches this frame afterwards),
//                  ends a worker run in progress after its current grid call,
//                  stops the worker (5000 ms at most, normally at once)
//   destruction    under the lock every test object and log message is
//                  deleted (their rows go with them), then the grids
//
// Ownership: owns the grids (Qt children of the splitter), every test object
// and log message it created (the grids only point at them), the worker and
// the lock. Borrows the application (the OnIdle flag), which outlives it.
//
// Locking: m_lock guards the two object arrays and the update-stream state.
// It is held only around those: never across a grid call made from the
// worker (the GUI thread may be waiting for it), never while stopping the
// timer service (its callback takes it). GenerateUpdates holds it for a whole
// step, during which the updates only queue change notifications.
//
// Thread: GUI thread only, except where a method says otherwise.

#include "app/update_schedule.h"

#include "common/automat.h"
#include "common/lock.h"
#include "common/timer.h"

#include <QMainWindow>
#include <QRect>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QAction;
class QDialog;
class QMenu;
class QSplitter;
class QToolBar;

namespace Brivel::GUI {
class CGrid;
}

namespace Quellon {

class CBenchmarkApp;
class CLogMessage;
class CTestObject;

// What the frame's window creation does beyond the fixed steps.
struct MainFrameOptions {
    int32_t initialRows = 3000; // the add run of window creation (0: none, and no log line)
};

class CMainFrame : public QMainWindow, public Brivel::Common::CTimer::ISink {
public:
    using Options = MainFrameOptions;

    // One journal line, as the log grid shows it.
    struct LogLine {
        int32_t actionType;
        std::string text;
    };

    // `app` is borrowed: it must outlive the frame.
    explicit CMainFrame(CBenchmarkApp& app, Options options = {});
    ~CMainFrame() override;

    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // Window creation (see the class comment). False when it failed.
    bool LoadFrame();
    // Where a new frame opens on a screen whose available area is
    // `available`: about 80% of it, centred, never smaller than 1024 x 700
    // where the screen allows.
    static QRect InitialGeometry(const QRect& available);
    // The window's end (see the class comment). Idempotent.
    void OnDestroy();

    // ---- Commands ----
    // Runs the command `id` as the menu, the toolbar or an accelerator
    // would. False for an id the frame does not handle.
    bool OnCommand(int32_t id);
    // The idle-time command update: every toolbar and menu tick mark set
    // from the state it shows.
    void UpdateCommandStates();
    // Runs a modal dialog and gives its result (QDialog::Accepted or
    // Rejected). By default QDialog::exec; the bench and the tests fill the
    // controls and close the dialog themselves.
    using DialogRunner = std::function<int(QDialog&)>;
    void SetDialogRunner(DialogRunner runner);
    QAction* GetAction(int32_t id) const;

    // ---- Benchmark operations ----
    // Position codes: 0 head, 1 tail, 2 random. Thread: the GUI thread, or
    // the worker with fromWorker true.
    void AddItems(int32_t count, int32_t positionCode, bool fromWorker);
    void RemoveItems(int32_t count, int32_t positionCode, bool fromWorker);
    // One step of the update stream for source 0 (GUI thread) or 1 (timer
    // thread). Thread: any thread.
    void GenerateUpdates(int32_t source);
    // Appends a journal line to the log grid. Thread: any thread.
    void AddLogMessage(int32_t actionType, const std::string& text);
    // Refreshes the caption (see UpdateStatusCaption in the .cpp).
    void UpdateStatusCaption();

    // The dialog's radio index as a position code: 0 head, 2 random, any
    // other index the tail.
    static int32_t PositionCodeOfIndex(int32_t index) { return index == 0 || index == 2 ? index : 1; }

    // ---- CTimer::ISink (timer thread) ----
    // Timer 1000: an update step for source 1, then re-armed for 10 ms.
    void OnTimer(int32_t timerId) override;

    // Called on the timer thread after each step of timer 1000 (every 10 ms,
    // whether or not the step made updates): quellon-bench's delay probe
    // rides on these wake-ups instead of adding its own. An empty function
    // clears it; once that call returns, the old one is not called again.
    // Thread: any thread.
    void SetTimerStepObserver(std::function<void()> observer);

    // ---- State, for the bench and the tests ----
    Brivel::GUI::CGrid* GetTestGrid() const { return m_testGrid; }
    Brivel::GUI::CGrid* GetLogGrid() const { return m_logGrid; }
    QSplitter* GetSplitter() const { return m_splitter; }
    QToolBar* GetToolBar() const { return m_toolBar; }
    // Thread: any thread (each takes the lock).
    int32_t GetTestObjectCount();
    std::vector<LogLine> GetLogLines(); // in creation order
    bool IsUpdatesEnabled();
    int32_t GetUpdateSource();
    int32_t GetUpdateFrequency();
    // Window timer 1000 runs (GUI thread): only while the GUI thread is the source.
    bool IsWindowUpdateTimerRunning() const { return m_updateTimer != 0; }
    // Updates made by every step since creation (never reset).
    uint64_t GetTotalUpdateCount() const { return m_totalUpdates.load(std::memory_order_relaxed); }
    // Worker runs handed to the worker, and those finished (or skipped).
    uint64_t GetWorkerRunsPosted() const { return m_workerRunsPosted.load(); }
    uint64_t GetWorkerRunsFinished() const { return m_workerRunsFinished.load(); }
    bool IsDestroyed() const { return m_destroyed; }

protected:
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class CWorkerRunScope;

    void CreateGrids();
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    int RunDialog(QDialog& dialog);
    void OnAddItems();
    void OnRemoveItems();
    void OnUpdateSettings();
    void OnEnableUpdates();
    void OnToggleCommand(int32_t id);
    bool IsCommandChecked(int32_t id);
    void OnWindowTimer(int32_t id);
    // Runs window timer 1000 only while the GUI thread is the update source:
    // with the timer thread as source, its steps do nothing but wake the
    // GUI thread a hundred times a second.
    void SyncWindowUpdateTimer(int32_t source);

    CBenchmarkApp& m_app; // Not owned; outlives this.
    const Options m_options;

    QSplitter* m_splitter = nullptr;        // owned by this window (Qt child)
    Brivel::GUI::CGrid* m_testGrid = nullptr; // owned by the splitter (Qt child)
    Brivel::GUI::CGrid* m_logGrid = nullptr;  // owned by the splitter (Qt child)
    QToolBar* m_toolBar = nullptr;          // owned by this window (Qt child)
    QMenu* m_viewMenu = nullptr;            // owned by the menu bar (Qt child)
    std::map<int32_t, QAction*> m_actions;  // owned by this window (Qt children)
    DialogRunner m_dialogRunner;

    Brivel::Common::CLock m_lock;
    std::vector<std::unique_ptr<CTestObject>> m_testObjects; // Guarded by m_lock. Creation order.
    std::vector<std::unique_ptr<CLogMessage>> m_logMessages; // Guarded by m_lock. Creation order.
    bool m_updatesEnabled = true;    // Guarded by m_lock.
    int32_t m_updateSource = 0;      // Guarded by m_lock. 0 GUI thread, 1 timer thread.
    int32_t m_updateFrequency = 0;   // Guarded by m_lock. Updates per second.
    CUpdateSchedule m_schedule;      // Guarded by m_lock.

    uint32_t m_lastStatusTick = 0;   // GUI thread only.
    double m_lastCpuSeconds = 0;     // GUI thread only.
    int m_updateTimer = 0;           // Qt id of window timer 1000; 0 when not running (see SyncWindowUpdateTimer)
    int m_statusTimer = 0;           // Qt id of window timer 1001; 0 when not running
    bool m_created = false;
    bool m_destroyed = false;

    std::mutex m_stepObserverLock; // held while the observer runs
    std::function<void()> m_stepObserver; // Guarded by m_stepObserverLock.

    std::atomic<uint64_t> m_totalUpdates{0};
    // Set by OnDestroy: worker runs stop after their current grid call, and
    // runs still queued do nothing.
    std::atomic<bool> m_closing{false};
    std::atomic<int32_t> m_workerRunsActive{0};
    // Worker add runs at random places in progress. Such a run holds a row
    // handle (the position) between two grid calls; a GUI-thread remove run
    // in that gap could free the row, so it is refused meanwhile.
    std::atomic<int32_t> m_workerRandomAddsActive{0};
    std::atomic<uint64_t> m_workerRunsPosted{0};
    std::atomic<uint64_t> m_workerRunsFinished{0};

    // Last: its thread runs jobs on this frame, so it goes first.
    Brivel::Common::CAutomat m_worker;
};

} // namespace Quellon
