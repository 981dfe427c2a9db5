// The QTableView peer's scenarios, measured as quellon-bench measures the
// benchmark's own frame (app/bench_runner.cpp).
#include "bench/qtableview/peer_runner.h"

#include "bench/qtableview/peer_frame.h"
#include "bench/qtableview/peer_model.h"

#include "app/bench_figures.h"
#include "app/bench_support.h"
#include "app/test_object.h"

#include <QHeaderView>
#include <QTableView>

#include <memory>
#include <string>
#include <vector>

namespace QuellonPeer {

using Quellon::BenchOptions;
using Quellon::BenchScenario;
using Quellon::CCpuMeter;
using Quellon::CJsonLine;
using Quellon::CPaintCounter;
using Quellon::NowSeconds;
using Quellon::PerSecond;
using Quellon::ToJson;
using Quellon::Pump;

namespace {

constexpr PeerHighlight::Mode kHighlightModes[] = {PeerHighlight::Mode::None, PeerHighlight::Mode::Alpha,
                                                   PeerHighlight::Mode::Fade};

// One add or remove run; its seconds (a worker run: until it ended).
template <typename Start>
double TimeRun(CPeerFrame& frame, Start start)
{
    const double t0 = NowSeconds();
    start();
    Quellon::PumpUntil([&] { return !frame.IsWorkerRunning(); }, 600'000);
    return NowSeconds() - t0;
}

struct Context {
    const BenchOptions& options;
    std::ostream& out;
    CPeerFrame& frame;
};

void RunAdd(Context& c)
{
    CPaintCounter paints(*c.frame.GetView().viewport());
    CCpuMeter cpu;
    const double seconds = TimeRun(c.frame, [&] {
        c.frame.AddItems(c.options.rows, c.options.position, c.options.fromWorker);
    });
    const double cpuPct = cpu.CpuPercent();
    Pump(50);
    c.out << ToJson(Quellon::AddFigures{c.options.rows, c.options.position, c.options.fromWorker, seconds,
                                        c.frame.GetModel().rowCount(), cpuPct, paints.Count()})
                 .Text()
          << "\n";
}

void RunRemove(Context& c)
{
    CPaintCounter paints(*c.frame.GetView().viewport());
    CCpuMeter cpu;
    const int32_t rows = c.frame.GetModel().rowCount();
    const double seconds = TimeRun(c.frame, [&] { c.frame.RemoveItems(rows, c.options.fromWorker); });
    const double cpuPct = cpu.CpuPercent();
    Pump(50);
    c.out << ToJson(Quellon::RemoveFigures{rows, c.options.fromWorker, seconds, c.frame.GetModel().rowCount(), cpuPct,
                                           paints.Count()})
                 .Text()
          << "\n";
}

// The stream as asked for S seconds; the figures, keyed as quellon-bench's.
CJsonLine MeasureUpdates(Context& c, int32_t rate, int32_t source, int32_t highlight, bool sorted, double seconds)
{
    CPeerFrame& frame = c.frame;
    frame.SetHighlightMode(kHighlightModes[highlight]);
    if (sorted)
        frame.SortOnColumn(Quellon::CTestObject::kFirstValueField);
    frame.Flush();
    CPaintCounter paints(*frame.GetView().viewport());
    frame.StartProbe();
    frame.SetUpdateSettings(rate, source); // the stream starts now
    frame.SetUpdatesEnabled(true);
    const Quellon::CStreamWindow window(frame.GetTotalUpdateCount());
    const double lastSecondMax =
        Quellon::PumpAndTakeLastSecondMax(seconds, [&] { return frame.TakeWindowMaxDelayMs(); });
    const Quellon::StreamFigures stream =
        window.Finish(frame.GetTotalUpdateCount(), frame.GetMaxDelayMs(), frame.GetProbeSamples());
    frame.StopProbe();

    frame.SetUpdatesEnabled(false);
    frame.Flush(60'000);
    const bool inOrder = !sorted || frame.RowsInSortOrder();
    return ToJson(Quellon::UpdatesFigures{frame.GetModel().rowCount(), rate, source, highlight, sorted, stream,
                                          lastSecondMax, 0, paints.Count(), inOrder});
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
    QTableView& view = c.frame.GetView();
    CPaintCounter paints(*view.viewport());
    Pump(100); // layout settles
    const uint64_t paints0 = paints.Count();
    const double start = NowSeconds();
    // A full, synchronous repaint of the header and the cells (the view's own
    // repaint leaves its viewports alone).
    QWidget& header = *view.horizontalHeader()->viewport();
    for (int32_t frame = 0; frame < c.options.frames; ++frame) {
        header.repaint();
        view.viewport()->repaint();
    }
    const double seconds = NowSeconds() - start;
    c.out << ToJson(Quellon::PaintFigures{c.frame.GetModel().rowCount(), c.options.width, c.options.height, view.width(),
                                          view.height(), c.options.frames, seconds, paints.Count() - paints0})
                 .Text()
          << "\n";
}

// As quellon-bench's: the add run of N rows from the worker with the stream
// off, then again with the stream at R per second from the timer thread.
void RunMixed(Context& c)
{
    CPeerFrame& frame = c.frame;
    frame.SetHighlightMode(kHighlightModes[c.options.highlight]);
    const auto add = [&] {
        return TimeRun(frame, [&] { frame.AddItems(c.options.rows, c.options.position, true); });
    };
    frame.SetUpdatesEnabled(false);
    const double quietSeconds = add();
    frame.Flush();
    frame.SetUpdateSettings(c.options.rate, 1);
    frame.SetUpdatesEnabled(true);
    Pump(300); // the stream runs before the add starts
    frame.StartProbe();
    const Quellon::CStreamWindow window(frame.GetTotalUpdateCount());
    const double seconds = add();
    const Quellon::StreamFigures stream =
        window.Finish(frame.GetTotalUpdateCount(), frame.GetMaxDelayMs(), frame.GetProbeSamples());
    frame.StopProbe();
    frame.SetUpdatesEnabled(false);
    frame.Flush(60'000);
    c.out << ToJson(Quellon::MixedFigures{c.options.rows, c.options.position, c.options.rate, c.options.highlight,
                                          quietSeconds, seconds, stream, 0, frame.GetModel().rowCount()})
                 .Text()
          << "\n";
}

// As quellon-bench's: memory with the view empty, after N objects are made,
// and after each is shown at the tail.
void RunMemory(Context& c)
{
    c.frame.SetUpdatesEnabled(false);
    Pump(50);
    const int32_t rows = c.options.rows;
    const Quellon::MemorySample empty = Quellon::SampleMemory();
    std::vector<std::unique_ptr<Quellon::CTestObject>> objects;
    objects.reserve(static_cast<size_t>(rows));
    for (int32_t i = 0; i < rows; ++i)
        objects.push_back(std::make_unique<Quellon::CTestObject>("Item " + std::to_string(i)));
    const Quellon::MemorySample made = Quellon::SampleMemory();
    const double start = NowSeconds();
    c.frame.ShowAtTail(objects);
    const double seconds = NowSeconds() - start;
    Pump(50);
    const Quellon::MemorySample shown = Quellon::SampleMemory();
    c.out << ToJson(Quellon::MemoryFigures{c.frame.GetModel().rowCount(), seconds, empty, made, shown,
                                           static_cast<int64_t>(sizeof(Quellon::CTestObject*))})
                 .Text()
          << "\n";
    c.frame.AdoptObjects(std::move(objects));
}

// The default scenario, reduced to its measured steps: an add run from each
// thread, a remove run, and 5 s of fading updates at 5000 per second.
void RunDefault(Context& c)
{
    CPeerFrame& frame = c.frame;
    const double guiAdd = TimeRun(frame, [&] { frame.AddItems(1000, 1, false); });
    const double workerAdd = TimeRun(frame, [&] { frame.AddItems(1000, 0, true); });
    const double guiRemove = TimeRun(frame, [&] { frame.RemoveItems(1000, false); });
    c.out << "Summary:\n"
          << "  add 1000 rows at the tail from the GUI thread        " << PerSecond(1000, guiAdd) << " rows/s\n"
          << "  add 1000 rows at the head from the worker            " << PerSecond(1000, workerAdd) << " rows/s\n"
          << "  remove 1000 rows from the GUI thread                 " << PerSecond(1000, guiRemove) << " rows/s\n";
    c.out << MeasureUpdates(c, 5000, 0, 2, false, 5.0).Text() << "\n";
}

} // namespace

CPeerRunner::CPeerRunner(const BenchOptions& options, std::ostream& out) : m_options(options), m_out(out) {}

int CPeerRunner::Run()
{
    if (m_options.scenario == BenchScenario::Soak) {
        m_out << "qtableview-bench: the soak checks Brivel's grid only\n";
        return Quellon::kBenchUsageExitCode;
    }
    int32_t initialRows = m_options.rows;
    switch (m_options.scenario) {
    case BenchScenario::Add:
    case BenchScenario::Memory: initialRows = 0; break;
    case BenchScenario::Mixed:
    case BenchScenario::Default: initialRows = 3000; break;
    default: break;
    }
    int result = 0;
    {
        CPeerFrame frame(initialRows);
        if (m_options.scenario == BenchScenario::Paint)
            frame.resize(m_options.width, m_options.height);
        else
            frame.resize(1280, 800);
        frame.show();
        Pump(100);
        if (m_options.scenario != BenchScenario::Default && m_options.scenario != BenchScenario::Add &&
            m_options.scenario != BenchScenario::Mixed && m_options.scenario != BenchScenario::Memory) {
            // Measure the operation, not the start-up run's leftovers.
            frame.SetUpdatesEnabled(false);
            frame.Flush();
            frame.SetUpdatesEnabled(true);
        }
        Context context{m_options, m_out, frame};
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
        if (!m_options.screenshot.empty()) {
            Pump(100);
            if (!frame.grab().save(QString::fromStdString(m_options.screenshot), "PNG")) {
                m_out << "qtableview-bench: could not write " << m_options.screenshot << "\n";
                result = 1;
            } else {
                m_out << "screenshot: " << m_options.screenshot << "\n";
            }
        }
    }
    return result;
}

} // namespace QuellonPeer
