// quellon-bench's scenarios on the real frame.
//
// ---- Sections ----
//   Helpers: dialogs (the measuring helpers are shared with the QTableView peer: bench_support.h)
//   Scenarios: add, remove, updates, paint, memory
//   The default scenario
//   Run
#include "app/bench_runner.h"

#include "app/soak_run.h"

#include "app/bench_figures.h"
#include "app/bench_support.h"
#include "app/benchmark_app.h"
#include "app/commands.h"
#include "app/delay_probe.h"
#include "app/main_frame.h"
#include "app/test_object.h"

#include "common/performance_counter.h"
#include "common/process_times.h"
#include "gui/rows/dispatcher.h"
#include "gui/rows/data_object_registry.h"
#include "gui/grid/grid.h"
#include "gui/rows/grid_item.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Quellon {

using Brivel::GUI::CGrid;

namespace {

// ---- Helpers: dialogs ----

void SetText(QDialog& dialog, int32_t id, const QString& text)
{
    if (auto* edit = dialog.findChild<QLineEdit*>(QString::number(id)))
        edit->setText(text);
}

void Click(QDialog& dialog, int32_t id)
{
    if (auto* button = dialog.findChild<QAbstractButton*>(QString::number(id)))
        button->click();
}

// Fills an add or remove dialog (count: -1 keeps the preset) and presses OK.
CMainFrame::DialogRunner ItemsDialog(int32_t count, int32_t positionIndex, bool fromWorker)
{
    return [=](QDialog& dialog) {
        if (count >= 0)
            SetText(dialog, kIdcCount, QString::number(count));
        Click(dialog, kIdcPositionHead + positionIndex);
        Click(dialog, fromWorker ? kIdcThreadWorker : kIdcThreadGui);
        Click(dialog, kIdOk);
        return dialog.result();
    };
}

CMainFrame::DialogRunner UpdateDialog(int32_t rate, int32_t source)
{
    return [=](QDialog& dialog) {
        SetText(dialog, kIdcFrequency, QString::number(rate));
        Click(dialog, source == 1 ? kIdcSourceWorker : kIdcSourceGui);
        Click(dialog, kIdOk);
        return dialog.result();
    };
}

// Runs one add or remove command and waits until its run is over; the
// seconds it took.
double RunItemsCommand(CMainFrame& frame, int32_t command, CMainFrame::DialogRunner runner, bool fromWorker)
{
    frame.SetDialogRunner(std::move(runner));
    const uint64_t posted = frame.GetWorkerRunsPosted();
    const double start = NowSeconds();
    frame.OnCommand(command);
    if (fromWorker && frame.GetWorkerRunsPosted() != posted) {
        // Served at 1 ms steps: the worker's grid calls run on this thread.
        PumpUntil([&] { return frame.GetWorkerRunsFinished() >= frame.GetWorkerRunsPosted(); }, 600'000);
    }
    const double seconds = NowSeconds() - start;
    frame.SetDialogRunner(nullptr);
    return seconds;
}

const int32_t kHighlightCommands[] = {kCmdNoHighlighting, kCmdAlphaHighlighting, kCmdFadingHighlighting};

struct Context {
    const BenchOptions& options;
    std::ostream& out;
    CBenchmarkApp& app;
    CMainFrame& frame;
};

// ---- Scenarios: add, remove, updates, paint ----

void RunAdd(Context& c)
{
    CPaintCounter paints(*c.frame.GetTestGrid());
    CCpuMeter cpu;
    const double seconds = RunItemsCommand(c.frame, kCmdAddItems,
                                           ItemsDialog(c.options.rows, c.options.position, c.options.fromWorker),
                                           c.options.fromWorker);
    const double cpuPct = cpu.CpuPercent();
    Pump(50);
    c.out << ToJson(AddFigures{c.options.rows, c.options.position, c.options.fromWorker, seconds,
                               c.frame.GetTestGrid()->GetRowCount(), cpuPct, paints.Count()})
                 .Text()
          << "\n";
}

void RunRemove(Context& c)
{
    CPaintCounter paints(*c.frame.GetTestGrid());
    CCpuMeter cpu;
    const int32_t rows = c.frame.GetTestGrid()->GetRowCount();
    const double seconds = RunItemsCommand(c.frame, kCmdRemoveItems, ItemsDialog(-1, 1, c.options.fromWorker),
                                           c.options.fromWorker);
    const double cpuPct = cpu.CpuPercent();
    Pump(50);
    c.out << ToJson(RemoveFigures{rows, c.options.fromWorker, seconds, c.frame.GetTestGrid()->GetRowCount(), cpuPct,
                                  paints.Count()})
                 .Text()
          << "\n";
}

// True when the body rows are in ascending order of Value1.
bool RowsInSortOrder(CGrid& grid)
{
    const int32_t rows = grid.GetRowCount();
    int32_t previous = INT32_MIN;
    for (int32_t row = 0; row < rows; ++row) {
        Brivel::GUI::CGridItem* item = grid.GetItem(row);
        auto* object = item ? dynamic_cast<CTestObject*>(item->GetDataObject()) : nullptr;
        if (!object)
            return false;
        const int32_t value = object->GetValue1();
        if (value < previous)
            return false;
        previous = value;
    }
    return true;
}

// The update stream as configured, for the given seconds; the figures.
CJsonLine MeasureUpdates(Context& c, int32_t rate, int32_t source, int32_t highlight, bool sorted, double seconds)
{
    CMainFrame& frame = c.frame;
    CGrid& grid = *frame.GetTestGrid();
    frame.OnCommand(kHighlightCommands[highlight]);
    if (sorted)
        grid.SetSortKey(0, Brivel::GUI::CSortInfo(CTestObject::kFirstValueField, false), true);
    Brivel::GUI::CDispatcher& dispatcher = Brivel::GUI::CDataObjectRegistry::GetInstance().GetDispatcher();
    const uint64_t dropped0 = dispatcher.GetDroppedUpdateCount();

    CDelayProbe probe(frame);
    probe.Flush();
    CPaintCounter paints(grid);
    probe.Start();
    // The settings command restarts the schedule: the stream starts now.
    frame.SetDialogRunner(UpdateDialog(rate, source));
    frame.OnCommand(kCmdUpdateSettings);
    frame.SetDialogRunner(nullptr);
    if (!frame.IsUpdatesEnabled())
        frame.OnCommand(kCmdEnableUpdates);
    const CStreamWindow window(frame.GetTotalUpdateCount());
    const double lastSecondMax = PumpAndTakeLastSecondMax(seconds, [&] { return probe.TakeWindowMaxDelayMs(); });
    const StreamFigures stream =
        window.Finish(frame.GetTotalUpdateCount(), probe.GetMaxDelayMs(), probe.GetSampleCount());
    probe.Stop();

    // Stop the stream and let the grid handle what is still queued.
    frame.OnCommand(kCmdEnableUpdates);
    probe.Flush(60'000);
    const bool inOrder = !sorted || RowsInSortOrder(grid);
    const CJsonLine line = ToJson(UpdatesFigures{grid.GetRowCount(), rate, source, highlight, sorted, stream,
                                                 lastSecondMax, dispatcher.GetDroppedUpdateCount() - dropped0,
                                                 paints.Count(), inOrder});
    if (sorted)
        grid.ClearSort();
    return line;
}

// An add run of N rows from the worker while updates stream at R per second
// from the timer thread, after the same add with the stream off: how fairly
// the GUI thread serves the worker's grid calls under a flood of changes.
void RunMixed(Context& c)
{
    CMainFrame& frame = c.frame;
    frame.OnCommand(kHighlightCommands[c.options.highlight]);
    const auto add = [&] {
        return RunItemsCommand(frame, kCmdAddItems, ItemsDialog(c.options.rows, c.options.position, true), true);
    };
    if (frame.IsUpdatesEnabled())
        frame.OnCommand(kCmdEnableUpdates);
    const double quietSeconds = add();

    Brivel::GUI::CDispatcher& dispatcher = Brivel::GUI::CDataObjectRegistry::GetInstance().GetDispatcher();
    const uint64_t dropped0 = dispatcher.GetDroppedUpdateCount();
    CDelayProbe probe(frame);
    probe.Flush();
    frame.SetDialogRunner(UpdateDialog(c.options.rate, 1));
    frame.OnCommand(kCmdUpdateSettings);
    frame.SetDialogRunner(nullptr);
    if (!frame.IsUpdatesEnabled())
        frame.OnCommand(kCmdEnableUpdates);
    Pump(300); // the stream runs before the add starts
    probe.Start();
    const CStreamWindow window(frame.GetTotalUpdateCount());
    const double seconds = add();
    const StreamFigures stream =
        window.Finish(frame.GetTotalUpdateCount(), probe.GetMaxDelayMs(), probe.GetSampleCount());
    probe.Stop();
    frame.OnCommand(kCmdEnableUpdates); // the stream stops; what is queued is handled
    probe.Flush(60'000);

    c.out << ToJson(MixedFigures{c.options.rows, c.options.position, c.options.rate, c.options.highlight, quietSeconds,
                                 seconds, stream, dispatcher.GetDroppedUpdateCount() - dropped0,
                                 frame.GetTestGrid()->GetRowCount()})
                 .Text()
          << "\n";
}

void RunUpdates(Context& c)
{
    c.out << MeasureUpdates(c, c.options.rate, c.options.source, c.options.highlight, c.options.sorted,
                            c.options.seconds)
                 .Text()
          << "\n";
}

void RunPaint(Context& c)
{
    CGrid& grid = *c.frame.GetTestGrid();
    CPaintCounter paints(grid);
    Pump(100); // layout settles
    const uint64_t paints0 = paints.Count();
    const double start = NowSeconds();
    for (int32_t frame = 0; frame < c.options.frames; ++frame)
        grid.repaint(); // a full, synchronous repaint of the test grid
    const double seconds = NowSeconds() - start;
    c.out << ToJson(PaintFigures{grid.GetRowCount(), c.options.width, c.options.height, grid.width(), grid.height(),
                                 c.options.frames, seconds, paints.Count() - paints0})
                 .Text()
          << "\n";
}

// The grid's own memory per row: the process's memory with the frame empty,
// after N test objects are made (not yet shown), and after each is added at
// the tail of the test grid; the grid's share is the last step over N. The
// objects are the runner's, so that they are measured apart from the rows.
void RunMemory(Context& c)
{
    CGrid& grid = *c.frame.GetTestGrid();
    if (c.frame.IsUpdatesEnabled())
        c.frame.OnCommand(kCmdEnableUpdates); // nothing changes while measuring
    Pump(50);
    const int32_t rows = c.options.rows;
    const MemorySample empty = SampleMemory();
    std::vector<std::unique_ptr<CTestObject>> objects;
    objects.reserve(static_cast<size_t>(rows));
    for (int32_t i = 0; i < rows; ++i)
        objects.push_back(std::make_unique<CTestObject>("Item " + std::to_string(i)));
    const MemorySample made = SampleMemory();
    const double start = NowSeconds();
    for (const auto& object : objects)
        grid.Add(object.get(), CGrid::kBodyRoot, CGrid::kTail);
    const double seconds = NowSeconds() - start;
    Pump(50);
    const MemorySample shown = SampleMemory();
    c.out << ToJson(MemoryFigures{grid.GetRowCount(), seconds, empty, made, shown,
                                  static_cast<int64_t>(sizeof(Brivel::GUI::CGridItem))})
                 .Text()
          << "\n";
    // Each object's deletion takes its row with it.
    objects.clear();
}

// ---- The default scenario ----

const char* ActionWord(int32_t actionType)
{
    static const char* const kWords[] = {"Add", "Remove", "Update", "Settings"};
    return actionType >= 0 && actionType < 4 ? kWords[actionType] : "?";
}

void RunDefault(Context& c)
{
    CMainFrame& frame = c.frame;
    CGrid& grid = *frame.GetTestGrid();
    struct Step {
        std::string what;
        std::string figure;
    };
    std::vector<Step> summary;
    std::vector<std::string> json;
    char figure[128];

    summary.push_back({"start-up (3000 rows at the tail, GUI thread)", std::to_string(grid.GetRowCount()) + " rows"});

    const double guiAdd = RunItemsCommand(frame, kCmdAddItems, ItemsDialog(1000, 1, false), false);
    std::snprintf(figure, sizeof figure, "%.0f rows/s", 1000 / guiAdd);
    summary.push_back({"add 1000 rows at the tail from the GUI thread", figure});
    const double workerAdd = RunItemsCommand(frame, kCmdAddItems, ItemsDialog(1000, 0, true), true);
    std::snprintf(figure, sizeof figure, "%.0f rows/s", 1000 / workerAdd);
    summary.push_back({"add 1000 rows at the head from the worker", figure});
    const double guiRemove = RunItemsCommand(frame, kCmdRemoveItems, ItemsDialog(1000, 1, false), false);
    std::snprintf(figure, sizeof figure, "%.0f rows/s", 1000 / guiRemove);
    summary.push_back({"remove 1000 rows from the GUI thread", figure});

    const CJsonLine updates = MeasureUpdates(c, 5000, frame.GetUpdateSource(), 2, false, 5.0);
    json.push_back(updates.Text());
    // Back to the stream the application runs by default.
    frame.OnCommand(kCmdEnableUpdates);
    Pump(300);

    c.out << "Log grid (oldest first):\n";
    for (const CMainFrame::LogLine& line : frame.GetLogLines())
        c.out << "  " << ActionWord(line.actionType) << "\t" << line.text << "\n";
    c.out << "\nSummary:\n";
    summary.push_back({"5 s of updates at 5000/s, fading highlighting", "see the JSON line below"});
    for (const Step& step : summary) {
        char row[200];
        std::snprintf(row, sizeof row, "  %-52s %s\n", step.what.c_str(), step.figure.c_str());
        c.out << row;
    }
    for (const std::string& line : json)
        c.out << line << "\n";
}

} // namespace

// ---- Run ----

CBenchRunner::CBenchRunner(const BenchOptions& options, std::ostream& out) : m_options(options), m_out(out) {}

int CBenchRunner::Run()
{
    if (m_options.scenario == BenchScenario::Soak)
        return RunSoak(m_options.rows, m_options.seconds, m_out); // a grid of its own, no frame
    CMainFrame::Options frameOptions;
    switch (m_options.scenario) {
    case BenchScenario::Add: frameOptions.initialRows = 0; break;
    case BenchScenario::Memory: frameOptions.initialRows = 0; break;
    case BenchScenario::Mixed: frameOptions.initialRows = 3000; break;
    case BenchScenario::Default: frameOptions.initialRows = 3000; break;
    default: frameOptions.initialRows = m_options.rows; break;
    }
    CBenchmarkApp app;
    if (!app.InitInstance(frameOptions, false)) {
        m_out << "quellon-bench: the main frame could not be created\n";
        return 1;
    }
    CMainFrame& frame = *app.GetMainFrame();
    if (m_options.scenario == BenchScenario::Paint)
        frame.resize(m_options.width, m_options.height);
    else
        frame.resize(1280, 800);
    frame.show();
    Pump(100);
    if (m_options.scenario != BenchScenario::Default && m_options.scenario != BenchScenario::Add &&
        m_options.scenario != BenchScenario::Mixed && m_options.scenario != BenchScenario::Memory) {
        // Measure the operation, not the start-up run's leftovers.
        frame.OnCommand(kCmdEnableUpdates); // off while setting up
        CDelayProbe settle(frame);
        settle.Flush();
        frame.OnCommand(kCmdEnableUpdates); // on again, schedule restarted
    }

    Context context{m_options, m_out, app, frame};
    switch (m_options.scenario) {
    case BenchScenario::Add: RunAdd(context); break;
    case BenchScenario::Remove: RunRemove(context); break;
    case BenchScenario::Updates: RunUpdates(context); break;
    case BenchScenario::Paint: RunPaint(context); break;
    case BenchScenario::Mixed: RunMixed(context); break;
    case BenchScenario::Memory: RunMemory(context); break;
    case BenchScenario::Default: RunDefault(context); break;
    case BenchScenario::Soak:
    case BenchScenario::Help: break;
    }
    m_out.flush();

    int result = 0;
    if (!m_options.screenshot.empty()) {
        Pump(100);
        if (!frame.grab().save(QString::fromStdString(m_options.screenshot), "PNG")) {
            m_out << "quellon-bench: could not write " << m_options.screenshot << "\n";
            result = 1;
        } else {
            m_out << "screenshot: " << m_options.screenshot << "\n";
        }
    }
    app.ExitInstance();
    return result;
}

} // namespace Quellon
