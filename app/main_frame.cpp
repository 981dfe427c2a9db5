// CMainFrame: window creation, the window's end and the frame's destruction,
// the timers, and the caption. The commands are in main_frame_commands.cpp,
// the benchmark operations in main_frame_operations.cpp.
//
// ---- Sections ----
//   Construction and destruction
//   Window creation (LoadFrame)
//   The window's end (OnDestroy)
//   Timers
//   Caption
//   State getters
#include "app/main_frame.h"

#include "app/benchmark_app.h"
#include "app/commands.h"
#include "app/log_message.h"
#include "app/test_object.h"
#include "app/toolbar_icons.h"

#include "common/process_times.h"
#include "common/tick_count.h"
#include "gui/header/column.h"
#include "gui/grid/grid.h"
#include "gui/header/header.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSplitter>
#include <QTimerEvent>

#include <cmath>
#include <cstdio>
#include <utility>

namespace Quellon {

using Brivel::Common::CLockGuard;
using Brivel::Common::CTimer;
using Brivel::Common::GetTickCount;
using Brivel::GUI::CColumn;
using Brivel::GUI::CGrid;
using Brivel::GUI::CHeader;

namespace {

// Longest time OnDestroy serves a worker run that is finishing its current
// grid call; the run checks the closing flag after each call, so it normally
// ends within one call. The worker's own stop below allows as much again.
constexpr int kWorkerRunDrainMs = 5000;
constexpr uint32_t kWorkerStopTimeoutMs = 5000;

} // namespace

// ---- Construction and destruction ----

CMainFrame::CMainFrame(CBenchmarkApp& app, Options options)
    : m_app(app), m_options(options), m_schedule(GetTickCount()), m_worker("")
{
    setWindowTitle(QString::fromUtf8(kApplicationTitle));
    setWindowIcon(MakeApplicationIcon());
    SetDialogRunner(nullptr);
}

CMainFrame::~CMainFrame()
{
    OnDestroy();
    // The objects go before the grids: each deletion removes its rows first
    // (synchronously, on this thread), so no row outlives its object.
    {
        CLockGuard guard(m_lock);
        m_testObjects.clear();
        m_logMessages.clear();
    }
    // The grids and the splitter are Qt children: ~QWidget deletes them after
    // the members (the worker first) are gone.
}

// ---- Window creation (LoadFrame) ----

QRect CMainFrame::InitialGeometry(const QRect& available)
{
    const int width = std::min(std::max(available.width() * 4 / 5, 1024), available.width());
    const int height = std::min(std::max(available.height() * 4 / 5, 700), available.height());
    return QRect(available.left() + (available.width() - width) / 2, available.top() + (available.height() - height) / 2,
                 width, height);
}

bool CMainFrame::LoadFrame()
{
    if (m_created)
        return !m_destroyed;
    m_created = true;

    // 1. The frame itself: menus, accelerators, icon, title.
    CreateActions();
    CreateMenus();

    // 2. The splitter: two rows, one column; ideal heights 350 and 60, both
    //    panes may shrink to nothing.
    m_splitter = new QSplitter(Qt::Vertical, this); // owned by parent
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setChildrenCollapsible(true);
    setCentralWidget(m_splitter);

    // 3., 4. The two grids with their headers and options.
    CreateGrids();
    m_splitter->setSizes({350, 60});
    setFocusProxy(m_testGrid); // the frame's focus goes to the test grid

    // 5. The toolbar.
    CreateToolBar();

    // 6. The worker.
    m_worker.Start();

    // 7. The update generator's two sources and the caption timer.
    SyncWindowUpdateTimer(GetUpdateSource());
    m_statusTimer = startTimer(static_cast<int>(kStatusTimerPeriodMs));
    CTimer::StartTimer(this, kUpdateTimerId, kUpdateTimerPeriodMs);

    // 8. The first caption, before any row exists.
    m_lastStatusTick = GetTickCount();
    UpdateStatusCaption();

    // 9. The first rows (and the first log line).
    if (m_options.initialRows != 0)
        AddItems(m_options.initialRows, 1, false);

    // 10. The update stream.
    {
        CLockGuard guard(m_lock);
        m_updateFrequency = 5000;
        m_schedule.Restart(GetTickCount());
    }
    UpdateCommandStates();
    return true;
}

void CMainFrame::CreateGrids()
{
    // The test grid: the name and the ten values, alternate rows tinted,
    // changes alpha-blended in red.
    m_testGrid = new CGrid(m_splitter); // owned by parent
    m_testGrid->setObjectName(QStringLiteral("testGrid"));
    m_testGrid->SetControlId(kSplitterId); // pane (0, 0)
    {
        auto header = std::make_unique<CHeader>(true);
        header->AddColumn(std::make_unique<CColumn>(0, "Name", 70, CColumn::kAlignAuto));
        for (int32_t id = 1; id <= 10; ++id)
            header->AddColumn(std::make_unique<CColumn>(id, "Column" + std::to_string(id), 80, CColumn::kAlignAuto));
        m_testGrid->SetHeader(header.release()); // the grid owns it: auto-delete
    }
    m_testGrid->SetNotifyParent(false);
    Brivel::GUI::HighlightSettings highlight = m_testGrid->GetHighlightSettings();
    highlight.backColor = Brivel::Platform::RGB(230, 10, 14);
    highlight.mode = Brivel::GUI::kHighlightAlphaBack;
    m_testGrid->SetHighlightSettings(highlight);
    m_testGrid->SetHighlightChangedValues(true);
    m_testGrid->SetPaintElementMask(m_testGrid->GetPaintElementMask() & ~Brivel::GUI::PaintElement::kTreeIndent);
    Brivel::GUI::Appearance testAppearance = m_testGrid->GetAppearance();
    testAppearance.evenBackColor = Brivel::Platform::RGB(230, 237, 237);
    m_testGrid->SetAppearance(testAppearance);

    // The log grid: time, action and message, newest first.
    m_logGrid = new CGrid(m_splitter); // owned by parent
    m_logGrid->setObjectName(QStringLiteral("logGrid"));
    m_logGrid->SetControlId(kSplitterId + 16); // pane (1, 0)
    {
        auto header = std::make_unique<CHeader>(true);
        header->AddColumn(std::make_unique<CColumn>(1, "Time", 70, CColumn::kAlignAuto));
        header->AddColumn(std::make_unique<CColumn>(0, "Action", 50, CColumn::kAlignLeft));
        header->AddColumn(std::make_unique<CColumn>(2, "Message", 700, CColumn::kAlignAuto));
        m_logGrid->SetHeader(header.release()); // the grid owns it: auto-delete
    }
    Brivel::GUI::Appearance logAppearance = m_logGrid->GetAppearance();
    logAppearance.evenBackColor = Brivel::Platform::RGB(240, 240, 240);
    m_logGrid->SetAppearance(logAppearance);
    m_logGrid->SetSortKey(0, Brivel::GUI::CSortInfo(CLogMessage::kTimestampField, true), true);
    m_logGrid->SetPaintElementMask(m_logGrid->GetPaintElementMask() & ~Brivel::GUI::PaintElement::kTreeIndent);
    m_logGrid->SetHighlightChangedValues(false);
}

// ---- The window's end (OnDestroy) ----

void CMainFrame::OnDestroy()
{
    if (!m_created || m_destroyed)
        return;
    m_destroyed = true;

    if (m_statusTimer)
        killTimer(m_statusTimer);
    if (m_updateTimer)
        killTimer(m_updateTimer);
    m_statusTimer = m_updateTimer = 0;
    // Synchronous: once it returns, no OnTimer runs on this frame. The lock
    // is not held here, so a running callback can finish.
    CTimer::StopTimer(this, kUpdateTimerId);

    // A worker run in progress is blocked in a grid call (or an object's
    // deletion) that waits for this thread. Tell it to stop after that call,
    // and serve the calls it makes until it has; a plain wait here would
    // hold it up for the whole stop timeout.
    m_closing.store(true);
    m_worker.RequestStop();
    QElapsedTimer waited;
    waited.start();
    while (m_workerRunsActive.load() > 0 && waited.elapsed() < kWorkerRunDrainMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
    m_worker.Stop(kWorkerStopTimeoutMs);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    OnDestroy();
    QMainWindow::closeEvent(event);
}

// ---- Timers ----

void CMainFrame::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_updateTimer && m_updateTimer)
        OnWindowTimer(kUpdateTimerId);
    else if (event->timerId() == m_statusTimer && m_statusTimer)
        OnWindowTimer(kStatusTimerId);
    else
        QMainWindow::timerEvent(event);
}

void CMainFrame::SyncWindowUpdateTimer(int32_t source)
{
    if (source == 0 && m_updateTimer == 0 && !m_destroyed)
        m_updateTimer = startTimer(static_cast<int>(kUpdateTimerPeriodMs), Qt::PreciseTimer);
    else if (source != 0 && m_updateTimer != 0)
        killTimer(std::exchange(m_updateTimer, 0));
}

void CMainFrame::OnWindowTimer(int32_t id)
{
    if (id == kUpdateTimerId)
        GenerateUpdates(0);
    else if (id == kStatusTimerId)
        UpdateStatusCaption();
}

void CMainFrame::OnTimer(int32_t timerId)
{
    if (timerId != kUpdateTimerId)
        return;
    GenerateUpdates(1);
    {
        std::lock_guard lock(m_stepObserverLock);
        if (m_stepObserver)
            m_stepObserver();
    }
    CTimer::StartTimer(this, kUpdateTimerId, kUpdateTimerPeriodMs);
}

void CMainFrame::SetTimerStepObserver(std::function<void()> observer)
{
    std::lock_guard lock(m_stepObserverLock);
    m_stepObserver = std::move(observer);
}

// ---- Caption ----

// "Brivel grid: items = N, size = WxH, CPU usage = P%": the test grid's rows,
// its size, and the process's CPU time since the last caption over the wall
// time since then (a fraction of one processor, so above 100% on several).
void CMainFrame::UpdateStatusCaption()
{
    const uint32_t now = GetTickCount();
    const int64_t elapsed = std::llabs(static_cast<int64_t>(Brivel::Common::TickDifference(now, m_lastStatusTick)));
    uint64_t kernel = 0;
    uint64_t user = 0;
    double cpuSeconds = m_lastCpuSeconds;
    if (Brivel::Common::GetProcessTimes(&kernel, &user))
        cpuSeconds = static_cast<double>(kernel + user) * 1e-7;
    const double usage = elapsed > 0 ? (cpuSeconds - m_lastCpuSeconds) * 1000.0 / static_cast<double>(elapsed) : 0.0;
    m_lastCpuSeconds = cpuSeconds;
    m_lastStatusTick = GetTickCount();

    int width = 0;
    int height = 0;
    int32_t rows = 0;
    if (m_testGrid) {
        const QRect normal = m_testGrid->geometry();
        width = normal.width();
        height = normal.height();
        rows = m_testGrid->GetRowCount(CGrid::kBodyList);
    }
    char caption[160];
    std::snprintf(caption, sizeof caption, "Brivel grid: items = %d, size = %dx%d, CPU usage = %.2f%%", rows, width,
                  height, usage * 100.0);
    setWindowTitle(QString::fromUtf8(caption));
}

// ---- State getters ----

int32_t CMainFrame::GetTestObjectCount()
{
    CLockGuard guard(m_lock);
    return static_cast<int32_t>(m_testObjects.size());
}

std::vector<CMainFrame::LogLine> CMainFrame::GetLogLines()
{
    CLockGuard guard(m_lock);
    std::vector<LogLine> lines;
    lines.reserve(m_logMessages.size());
    for (const auto& message : m_logMessages)
        lines.push_back({message->GetActionType(), message->GetMessage()});
    return lines;
}

bool CMainFrame::IsUpdatesEnabled()
{
    CLockGuard guard(m_lock);
    return m_updatesEnabled;
}

int32_t CMainFrame::GetUpdateSource()
{
    CLockGuard guard(m_lock);
    return m_updateSource;
}

int32_t CMainFrame::GetUpdateFrequency()
{
    CLockGuard guard(m_lock);
    return m_updateFrequency;
}

} // namespace Quellon
