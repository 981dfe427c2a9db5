// CMainFrame: the benchmark operations. Add and remove runs are timed with
// the performance counter and logged with their average speed; the update
// stream is paced by CUpdateSchedule.
//
// Locking, once more: m_lock is taken around the object arrays and the
// update-stream state only. Every grid call below runs with it released, so
// that a worker blocked in a grid call (which waits for the GUI thread) never
// holds what the GUI thread's own update step or log line needs.
//
// ---- Sections ----
//   Worker runs and the window's end
//   AddItems
//   RemoveItems
//   GenerateUpdates
//   AddLogMessage
#include "app/main_frame.h"

#include "app/log_message.h"
#include "app/random.h"
#include "app/test_object.h"

#include "common/performance_counter.h"
#include "common/tick_count.h"
#include "gui/grid/grid.h"

#include <cstdio>
#include <string>

namespace Quellon {

using Brivel::Common::CLockGuard;
using Brivel::Common::GetTickCount;
using Brivel::Common::QueryPerformanceCounter;
using Brivel::Common::QueryPerformanceFrequency;
using Brivel::GUI::CGrid;
using Brivel::GUI::CGridItem;

namespace {

constexpr int32_t kAddAction = static_cast<int32_t>(CLogMessage::ActionType::Add);
constexpr int32_t kRemoveAction = static_cast<int32_t>(CLogMessage::ActionType::Remove);

// An update step gives its thread back after this long even when updates are
// still owed (they stay owed: the next step goes on with them). Without it an
// absurd rate would keep the GUI or the timer thread, and the frame lock, in
// one step for good. Checked every kSliceCheckEvery updates.
constexpr int64_t kUpdateSliceNs = 50'000'000;
constexpr uint64_t kSliceCheckEvery = 4096;

// Times one add or remove run with the performance counter and writes its
// log line. The counter is read when the run starts (construction) and when
// it ends (Stop); seconds and the average speed are 0 when it could not be
// read.
class CRunTiming {
public:
    CRunTiming() { m_usable = QueryPerformanceFrequency(&m_frequency) && QueryPerformanceCounter(&m_t0); }

    void Stop() { m_usable = QueryPerformanceCounter(&m_t1) && m_usable; }

    // "<count> items have been <what>from <thread> thread in <s> sec. Items in
    // grid <before> => <after>. Average speed = <speed> lines/sec."
    std::string Text(const char* what, int32_t count, bool fromWorker, int32_t before, int32_t after) const
    {
        double seconds = 0;
        int32_t speed = 0;
        if (m_usable && m_frequency > 0) {
            seconds = static_cast<double>(m_t1 - m_t0) / static_cast<double>(m_frequency);
            if (seconds > 0)
                speed = static_cast<int32_t>(static_cast<double>(count) / seconds);
        }
        char text[256];
        std::snprintf(text, sizeof text,
                      "%d items have been %sfrom %s thread in %f sec. Items in grid %d => %d. Average speed = %d "
                      "lines/sec.",
                      count, what, fromWorker ? "non-GUI" : "GUI", seconds, before, after, speed);
        return text;
    }

private:
    int64_t m_frequency = 0;
    int64_t m_t0 = 0;
    int64_t m_t1 = 0;
    bool m_usable = false;
};

} // namespace

// ---- Worker runs and the window's end ----

// Marks a run made on the worker as in progress, so that OnDestroy can serve
// its grid calls until it has ended. Stopping() is true once the window is
// ending: the run then does nothing more.
class CMainFrame::CWorkerRunScope {
public:
    CWorkerRunScope(CMainFrame& frame, bool fromWorker) : m_frame(frame), m_fromWorker(fromWorker)
    {
        if (m_fromWorker)
            m_frame.m_workerRunsActive.fetch_add(1); // before reading m_closing: see OnDestroy
    }
    ~CWorkerRunScope()
    {
        if (m_fromWorker) {
            m_frame.m_workerRunsActive.fetch_sub(1);
            m_frame.m_workerRunsFinished.fetch_add(1);
        }
    }
    CWorkerRunScope(const CWorkerRunScope&) = delete;
    CWorkerRunScope& operator=(const CWorkerRunScope&) = delete;

    bool Stopping() const { return m_fromWorker && m_frame.m_closing.load(); }

private:
    CMainFrame& m_frame;
    const bool m_fromWorker;
};

// ---- AddItems ----

void CMainFrame::AddItems(int32_t count, int32_t positionCode, bool fromWorker)
{
    CWorkerRunScope run(*this, fromWorker);
    if (run.Stopping() || !m_testGrid)
        return;
    if (count < 0) {
        // The run would count down without a lower bound: billions of rows.
        AddLogMessage(kAddAction, "Can't add a negative count of items");
        return;
    }
    // Between GetItem and Add below the position is only a handle; see
    // m_workerRandomAddsActive.
    const bool randomFromWorker = fromWorker && positionCode == 2;
    if (randomFromWorker)
        m_workerRandomAddsActive.fetch_add(1);
    struct RandomRunEnd {
        std::atomic<int32_t>* counter;
        ~RandomRunEnd()
        {
            if (counter)
                counter->fetch_sub(1);
        }
    } randomRunEnd{randomFromWorker ? &m_workerRandomAddsActive : nullptr};

    CRunTiming timing;
    {
        CLockGuard guard(m_lock);
        m_schedule.Restart(GetTickCount()); // the stream restarts its schedule
    }
    const int32_t before = m_testGrid->GetRowCount(CGrid::kBodyList);
    int32_t n = before;
    for (int32_t i = 0; i < count; ++i) {
        CGridItem* position = CGrid::kTail;
        if (positionCode == 0) {
            position = CGrid::kHead;
        } else if (positionCode == 2 && n != 0) {
            const int32_t r1 = Random();
            const int32_t r2 = Random();
            position = m_testGrid->GetItem((r1 * r2) % n, CGrid::kBodyList); // null: the tail
            if (!position)
                position = CGrid::kTail;
        }
        CTestObject* object = nullptr;
        {
            CLockGuard guard(m_lock);
            auto created = std::make_unique<CTestObject>("Item " + std::to_string(m_testObjects.size()));
            object = created.get();
            m_testObjects.push_back(std::move(created));
        }
        m_testGrid->Add(object, CGrid::kBodyRoot, position);
        ++n;
        if (run.Stopping())
            return; // the window is ending: no log line, the rows stay
    }
    timing.Stop();
    const int32_t after = m_testGrid->GetRowCount(CGrid::kBodyList);
    const char* what = positionCode == 0 ? "added to head " : positionCode == 1 ? "added to tail " : "added ";
    AddLogMessage(kAddAction, timing.Text(what, count, fromWorker, before, after));
}

// ---- RemoveItems ----

void CMainFrame::RemoveItems(int32_t count, int32_t positionCode, bool fromWorker)
{
    CWorkerRunScope run(*this, fromWorker);
    if (run.Stopping() || !m_testGrid)
        return;
    // A worker add run at random places holds a row handle between two grid
    // calls; removing rows under it from here would leave it dangling. (The
    // worker's own runs never overlap: they run one after the other.)
    if (!fromWorker && m_workerRandomAddsActive.load() > 0) {
        AddLogMessage(kRemoveAction, "Can't remove items while items are added at random places from non-GUI thread");
        return;
    }
    // Compared as unsigned: a negative count is refused as too large.
    if (static_cast<uint32_t>(m_testGrid->GetRowCount(CGrid::kBodyList)) < static_cast<uint32_t>(count)) {
        AddLogMessage(kRemoveAction, "Can't remove requested count of items");
        return;
    }
    CRunTiming timing;
    const int32_t before = m_testGrid->GetRowCount(CGrid::kBodyList);
    for (int32_t i = 0; i < count; ++i) {
        // The most recently created object goes first, wherever its rows are.
        std::unique_ptr<CTestObject> object;
        {
            CLockGuard guard(m_lock);
            if (!m_testObjects.empty()) {
                object = std::move(m_testObjects.back());
                m_testObjects.pop_back();
            }
        }
        if (object) {
            m_testGrid->RemoveObject(object.get());
            object.reset(); // tells its sinks; any row left is removed first
        }
        if (run.Stopping())
            return;
    }
    timing.Stop();
    const int32_t after = m_testGrid->GetRowCount(CGrid::kBodyList);
    const char* what = positionCode == 0 ? "removed from head " : positionCode == 1 ? "removed from tail " : "removed ";
    AddLogMessage(kRemoveAction, timing.Text(what, count, fromWorker, before, after));
}

// ---- GenerateUpdates ----

void CMainFrame::GenerateUpdates(int32_t source)
{
    CLockGuard guard(m_lock);
    if (!m_updatesEnabled || m_updateFrequency == 0 || m_updateSource != source || m_testObjects.empty())
        return;
    const uint64_t owed = m_schedule.OwedAt(static_cast<uint32_t>(m_updateFrequency), GetTickCount());
    if (owed == 0)
        return;
    const uint32_t n = static_cast<uint32_t>(m_testObjects.size());
    int64_t sliceStart = 0;
    QueryPerformanceCounter(&sliceStart);
    uint64_t made = 0;
    while (made < owed) {
        const int32_t r1 = Random();
        const int32_t r2 = Random();
        const uint32_t index = static_cast<uint32_t>(r1 * r2) % n;
        m_testObjects[index]->UpdateRandomValue();
        ++made;
        if (made % kSliceCheckEvery == 0) {
            int64_t now = 0;
            if (QueryPerformanceCounter(&now) && now - sliceStart > kUpdateSliceNs)
                break;
        }
    }
    m_schedule.CountDone(made);
    m_totalUpdates.fetch_add(made, std::memory_order_relaxed);
}

// ---- AddLogMessage ----

void CMainFrame::AddLogMessage(int32_t actionType, const std::string& text)
{
    auto message = std::make_unique<CLogMessage>(static_cast<CLogMessage::ActionType>(actionType), text);
    CLogMessage* row = message.get();
    {
        CLockGuard guard(m_lock);
        m_logMessages.push_back(std::move(message));
    }
    if (m_logGrid)
        m_logGrid->Add(row, CGrid::kBodyRoot, CGrid::kTail);
}

} // namespace Quellon
