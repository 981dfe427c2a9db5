// CPeerFrame: the QTableView peer's workload.
//
// ---- Sections ----
//   Construction and destruction
//   Add and remove runs (GUI thread, or the worker through blocking calls)
//   The update stream (GUI timer, or the timer thread posting batches)
//   Highlight refresh
//   Sorting, probe, flush
#include "bench/qtableview/peer_frame.h"

#include "bench/qtableview/peer_model.h"

#include "app/bench_support.h"
#include "app/random.h"
#include "app/test_object.h"
#include "common/performance_counter.h"
#include "common/tick_count.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <string>

namespace QuellonPeer {

using Brivel::Common::GetTickCount;
using Quellon::CTestObject;
using Quellon::Random;

namespace {

constexpr int kStepMs = 10;              // both update sources, as the frame's
constexpr int kRowHeight = 14;
constexpr int kNameWidth = 70;
constexpr int kValueWidth = 80;
// As the frame's update step: give the thread back after 50 ms even when
// updates are still owed, checking every 4096 updates.
constexpr int64_t kUpdateSliceNs = 50'000'000;
constexpr uint64_t kSliceCheckEvery = 4096;

int32_t NowMs()
{
    return static_cast<int32_t>(GetTickCount());
}

} // namespace

// ---- Construction and destruction ----

CPeerFrame::CPeerFrame(int32_t initialRows) : m_schedule(GetTickCount())
{
    setWindowTitle(QStringLiteral("QTableView peer"));
    m_model = new CPeerModel(this);                               // owned by parent
    m_delegate = new CPeerDelegate(*m_model, m_highlight, this);  // owned by parent
    m_view = new QTableView(this);                                // owned by parent
    m_view->setItemDelegate(m_delegate);
    m_view->setModel(m_model);
    m_view->setShowGrid(false);
    m_view->setWordWrap(false);
    m_view->setCornerButtonEnabled(false);
    QHeaderView* rows = m_view->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(kRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->hide(); // the grid shows no row header either
    ConfigureColumns();
    setCentralWidget(m_view);

    m_guiUpdateTimer = new QTimer(this); // owned by parent
    m_guiUpdateTimer->setTimerType(Qt::PreciseTimer);
    m_guiUpdateTimer->setInterval(kStepMs);
    QObject::connect(m_guiUpdateTimer, &QTimer::timeout, this, [this] { ApplyChanges(GenerateUpdates(0)); });
    m_guiUpdateTimer->start();

    m_highlightTimer = new QTimer(this); // owned by parent
    m_highlightTimer->setTimerType(Qt::PreciseTimer);
    m_highlightTimer->setInterval(m_highlight.refreshMs);
    QObject::connect(m_highlightTimer, &QTimer::timeout, this, [this] { OnHighlightRefresh(); });

    m_timerThread = std::thread([this] { TimerThreadMain(); });

    if (initialRows > 0)
        AddItems(initialRows, 1, false);
    {
        std::lock_guard guard(m_lock);
        m_updateFrequency = 5000;
        m_schedule.Restart(GetTickCount());
    }
}

CPeerFrame::~CPeerFrame()
{
    {
        std::lock_guard guard(m_timerLock);
        m_timerStop = true;
    }
    m_timerWake.notify_all();
    if (m_timerThread.joinable())
        m_timerThread.join();
    m_closing.store(true);
    JoinWorker();
    m_guiUpdateTimer->stop();
    m_highlightTimer->stop();
    // The rows go before their objects (members, deleted after this body).
    m_model->Clear();
}

void CPeerFrame::ConfigureColumns()
{
    QHeaderView* columns = m_view->horizontalHeader();
    columns->resizeSection(0, kNameWidth);
    for (int column = 1; column < CPeerModel::kColumnCount; ++column)
        columns->resizeSection(column, kValueWidth);
}

// ---- Add and remove runs (GUI thread, or the worker through blocking calls) ----

void CPeerFrame::AddItems(int32_t count, int32_t positionCode, bool fromWorker)
{
    if (fromWorker)
        StartWorker([this, count, positionCode] { AddItemsOnThisThread(count, positionCode, true); });
    else
        AddItemsOnThisThread(count, positionCode, false);
}

void CPeerFrame::RemoveItems(int32_t count, bool fromWorker)
{
    if (fromWorker)
        StartWorker([this, count] { RemoveItemsOnThisThread(count, true); });
    else
        RemoveItemsOnThisThread(count, false);
}

void CPeerFrame::AddItemsOnThisThread(int32_t count, int32_t positionCode, bool fromWorker)
{
    {
        std::lock_guard guard(m_lock);
        m_schedule.Restart(GetTickCount()); // as the frame's run: the stream restarts its schedule
    }
    int32_t n = 0;
    if (fromWorker)
        QMetaObject::invokeMethod(m_model, [&] { n = m_model->rowCount(); }, Qt::BlockingQueuedConnection);
    else
        n = m_model->rowCount();
    for (int32_t i = 0; i < count; ++i) {
        int32_t row = -1; // the tail
        if (positionCode == 0) {
            row = 0;
        } else if (positionCode == 2 && n != 0) {
            const int32_t r1 = Random();
            const int32_t r2 = Random();
            row = (r1 * r2) % n;
        }
        CTestObject* object = nullptr;
        {
            std::lock_guard guard(m_lock);
            auto created = std::make_unique<CTestObject>("Item " + std::to_string(m_objects.size()));
            object = created.get();
            m_objects.push_back(std::move(created));
        }
        if (fromWorker) {
            QMetaObject::invokeMethod(m_model, [&] { m_model->InsertRow(row, object); },
                                      Qt::BlockingQueuedConnection);
            if (m_closing.load())
                return;
        } else {
            m_model->InsertRow(row, object);
        }
        ++n;
    }
}

void CPeerFrame::RemoveItemsOnThisThread(int32_t count, bool fromWorker)
{
    for (int32_t i = 0; i < count; ++i) {
        // The most recently created object goes first, wherever its row is.
        std::unique_ptr<CTestObject> object;
        {
            std::lock_guard guard(m_lock);
            if (m_objects.empty())
                return;
            object = std::move(m_objects.back());
            m_objects.pop_back();
        }
        const auto remove = [&] { m_model->RemoveRow(m_model->RowOf(object.get())); };
        if (fromWorker) {
            QMetaObject::invokeMethod(m_model, remove, Qt::BlockingQueuedConnection);
            if (m_closing.load())
                return;
        } else {
            remove();
        }
        object.reset();
    }
}

void CPeerFrame::StartWorker(std::function<void()> run)
{
    JoinWorker();
    m_workerRunning.store(true);
    m_worker = std::thread([this, run = std::move(run)] {
        run();
        m_workerRunning.store(false);
    });
}

void CPeerFrame::JoinWorker()
{
    // The run's calls are served here until it ends.
    while (m_workerRunning.load())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (m_worker.joinable())
        m_worker.join();
}

void CPeerFrame::ShowAtTail(const std::vector<std::unique_ptr<CTestObject>>& objects)
{
    for (const auto& object : objects)
        m_model->InsertRow(-1, object.get());
}

void CPeerFrame::AdoptObjects(std::vector<std::unique_ptr<CTestObject>> objects)
{
    std::lock_guard guard(m_lock);
    for (auto& object : objects)
        m_objects.push_back(std::move(object));
}

// ---- The update stream (GUI timer, or the timer thread posting batches) ----

void CPeerFrame::SetUpdateSettings(int32_t rate, int32_t source)
{
    std::lock_guard guard(m_lock);
    m_updateFrequency = rate;
    m_updateSource = source;
    m_schedule.Restart(GetTickCount());
}

void CPeerFrame::SetUpdatesEnabled(bool enabled)
{
    std::lock_guard guard(m_lock);
    m_updatesEnabled = enabled;
    m_schedule.Restart(GetTickCount());
}

bool CPeerFrame::IsUpdatesEnabled()
{
    std::lock_guard guard(m_lock);
    return m_updatesEnabled;
}

std::vector<CPeerFrame::Change> CPeerFrame::GenerateUpdates(int32_t source)
{
    std::vector<Change> changes;
    std::lock_guard guard(m_lock);
    if (!m_updatesEnabled || m_updateFrequency == 0 || m_updateSource != source || m_objects.empty())
        return changes;
    const uint64_t owed = m_schedule.OwedAt(static_cast<uint32_t>(m_updateFrequency), GetTickCount());
    if (owed == 0)
        return changes;
    const uint32_t n = static_cast<uint32_t>(m_objects.size());
    changes.reserve(static_cast<size_t>(std::min<uint64_t>(owed, 1u << 20)));
    int64_t sliceStart = 0;
    Brivel::Common::QueryPerformanceCounter(&sliceStart);
    uint64_t made = 0;
    while (made < owed) {
        const int32_t r1 = Random();
        const int32_t r2 = Random();
        CTestObject* object = m_objects[static_cast<uint32_t>(r1 * r2) % n].get();
        changes.push_back({object, object->UpdateRandomValue()});
        ++made;
        if (made % kSliceCheckEvery == 0) {
            int64_t now = 0;
            if (Brivel::Common::QueryPerformanceCounter(&now) && now - sliceStart > kUpdateSliceNs)
                break;
        }
    }
    m_schedule.CountDone(made);
    m_totalUpdates.fetch_add(made, std::memory_order_relaxed);
    return changes;
}

void CPeerFrame::ApplyChanges(const std::vector<Change>& changes)
{
    if (changes.empty())
        return;
    const int32_t now = NowMs();
    const bool record = m_highlight.mode != PeerHighlight::Mode::None;
    for (const Change& change : changes)
        m_model->OnValueChanged(change.object, change.field, now, record);
    if (record && !m_highlightTimer->isActive()) {
        m_lastRefreshMs = now;
        m_highlightTimer->start();
    }
}

void CPeerFrame::TimerThreadMain()
{
    uint64_t step = 0;
    std::unique_lock lock(m_timerLock);
    for (;;) {
        // Re-armed after each step, as the frame's timer-service callback.
        const auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStepMs);
        if (m_timerWake.wait_until(lock, next, [this] { return m_timerStop; }))
            return;
        lock.unlock();
        std::vector<Change> changes = GenerateUpdates(1);
        const bool probe = ++step % 2 == 0 && m_probing.load();
        if (!changes.empty() || probe) {
            const double stamp = probe ? Quellon::NowSeconds() : 0.0;
            m_batchesPosted.fetch_add(1);
            QMetaObject::invokeMethod(
                this,
                [this, changes = std::move(changes), stamp] {
                    ApplyChanges(changes);
                    if (stamp > 0)
                        RecordDelay((Quellon::NowSeconds() - stamp) * 1000.0);
                    m_batchesHandled.fetch_add(1);
                },
                Qt::QueuedConnection);
        }
        m_timerSteps.fetch_add(1);
        lock.lock();
    }
}

// ---- Highlight refresh ----

// Every refresh interval while change times are kept: repaints the visible
// cells whose highlight changed its look since the last tick (fading: every
// live one and each that just ended; alpha-blended: each that just ended).
void CPeerFrame::OnHighlightRefresh()
{
    const int32_t now = NowMs();
    const int32_t last = m_lastRefreshMs;
    m_lastRefreshMs = now;
    const int32_t duration = m_highlight.durationMs;
    if (now - m_lastPruneMs >= 1000) {
        m_model->PruneChangeTimes(now, duration + m_highlight.refreshMs);
        m_lastPruneMs = now;
    }
    if (!m_model->HasChangeTimes() || m_highlight.mode == PeerHighlight::Mode::None) {
        m_highlightTimer->stop();
        return;
    }
    const int32_t viewRows = m_view->model()->rowCount();
    if (viewRows == 0)
        return;
    QWidget* viewport = m_view->viewport();
    const int top = std::max(0, m_view->rowAt(0));
    int bottom = m_view->rowAt(viewport->height() - 1);
    if (bottom < 0)
        bottom = viewRows - 1;
    const bool fading = m_highlight.mode == PeerHighlight::Mode::Fade;
    for (int viewRow = top; viewRow <= bottom; ++viewRow) {
        const int sourceRow = m_proxy ? m_proxy->mapToSource(m_proxy->index(viewRow, 0)).row() : viewRow;
        const CTestObject* object = m_model->ObjectAt(sourceRow);
        if (!object)
            continue;
        const int y = m_view->rowViewportPosition(viewRow);
        for (int column = 1; column < CPeerModel::kColumnCount; ++column) {
            const int32_t changed = m_model->ChangeTimeOf(object, column);
            if (changed < 0)
                continue;
            const int32_t before = last - changed;
            const int32_t age = now - changed;
            if (before < duration && (fading || age >= duration))
                viewport->update(m_view->columnViewportPosition(column), y, m_view->columnWidth(column), kRowHeight);
        }
    }
}

void CPeerFrame::SetHighlightMode(PeerHighlight::Mode mode)
{
    m_highlight.mode = mode;
    m_view->viewport()->update();
}

// ---- Sorting, probe, flush ----

void CPeerFrame::SortOnColumn(int32_t column)
{
    if (!m_proxy) {
        m_proxy = new QSortFilterProxyModel(this); // owned by parent
        m_proxy->setSortRole(CPeerModel::kSortRole);
        m_proxy->setDynamicSortFilter(true);
        m_proxy->setSourceModel(m_model);
        m_delegate->SetProxy(m_proxy);
        m_view->setModel(m_proxy);
        ConfigureColumns();
    }
    m_model->SetSortKeyColumn(column);
    m_proxy->sort(column, Qt::AscendingOrder);
}

bool CPeerFrame::RowsInSortOrder() const
{
    if (!m_proxy)
        return true;
    const int column = m_proxy->sortColumn();
    int32_t previous = INT32_MIN;
    for (int viewRow = 0; viewRow < m_proxy->rowCount(); ++viewRow) {
        const CTestObject* object = m_model->ObjectAt(m_proxy->mapToSource(m_proxy->index(viewRow, 0)).row());
        if (!object)
            return false;
        const int32_t value = CPeerModel::ValueOf(*object, column);
        if (value < previous)
            return false;
        previous = value;
    }
    return true;
}

void CPeerFrame::StartProbe()
{
    m_maxDelayMs = 0;
    m_windowMaxDelayMs = 0;
    m_probeSamples = 0;
    m_probing.store(true);
}

void CPeerFrame::RecordDelay(double ms)
{
    m_maxDelayMs = std::max(m_maxDelayMs, ms);
    m_windowMaxDelayMs = std::max(m_windowMaxDelayMs, ms);
    ++m_probeSamples;
}

double CPeerFrame::TakeWindowMaxDelayMs()
{
    return std::exchange(m_windowMaxDelayMs, 0.0);
}

bool CPeerFrame::Flush(int timeoutMs)
{
    // A step that began before this call has ended once the count moved on
    // by two.
    const uint64_t steps = m_timerSteps.load();
    return Quellon::PumpUntil([&] { return m_timerSteps.load() >= steps + 2; }, timeoutMs) &&
           Quellon::PumpUntil([this] { return m_batchesHandled.load() >= m_batchesPosted.load(); }, timeoutMs);
}

} // namespace QuellonPeer
