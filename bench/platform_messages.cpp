// Cross-thread messaging costs: what bounds how fast a worker can call the
// grid (one SendMessage per operation) and how many changes per second the
// dispatcher can carry (one PostMessage per change).
//
// The main thread runs a QApplication and its event loop with the target
// window, as the GUI thread does in the application; the benchmarks run on a
// second thread, the worker, and quit the application when they are done.
//
//   SendRoundTrip            back-to-back sends: the round trip while both sides are awake
//   SendRoundTripAfterIdle   one send after the GUI thread went back to sleep (wake-up path)
//   SendDirect               a send on the window's own thread (a table lookup and a call)
//   PostThroughput           posts delivered per second, end to end, with and without a payload
//   Qt*                      the same done the plain Qt way, for comparison
//
// Run: build/release/bench/brivel_platform_bench [--benchmark_filter=...]

#include "platform/message_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using namespace Brivel::Platform;

constexpr uint32_t kMsgBench = 0x8100;

// The GUI thread's target: answers sends, counts what it handles.
class CBenchWindow : public QObject, public CMessageWindow {
public:
    CBenchWindow() : CMessageWindow(this) {}
    ~CBenchWindow() override { DestroyWindow(); }

    std::atomic<uint64_t> handled{0};

protected:
    LRESULT OnMessage(uint32_t, WPARAM wParam, LPARAM lParam) override
    {
        if (wParam == 1)
            TakePostedPayload<uint64_t>(lParam);
        handled.fetch_add(1, std::memory_order_relaxed);
        return lParam + 1;
    }
};

// The plain-Qt comparison target: counts posted events.
class CCountingObject : public QObject {
public:
    std::atomic<uint64_t> events{0};

    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        events.fetch_add(1, std::memory_order_relaxed);
        return true;
    }
};

CBenchWindow* g_window = nullptr;      // lives on the main thread for the whole run
CCountingObject* g_qtTarget = nullptr; // likewise

void WaitUntilHandled(const std::atomic<uint64_t>& counter, uint64_t target)
{
    while (counter.load(std::memory_order_relaxed) < target)
        std::this_thread::yield();
}

void SendRoundTrip(benchmark::State& state)
{
    const HWND window = g_window->GetSafeHwnd();
    LPARAM value = 0;
    for (auto _ : state)
        value = SendMessage(window, kMsgBench, 0, value);
    benchmark::DoNotOptimize(value);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SendRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);

void SendRoundTripAfterIdle(benchmark::State& state)
{
    const HWND window = g_window->GetSafeHwnd();
    for (auto _ : state) {
        // Long enough for the GUI thread to stop spinning and sleep in its loop.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(SendMessage(window, kMsgBench, 0, 1));
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(SendRoundTripAfterIdle)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);

void SendDirect(benchmark::State& state)
{
    CBenchWindow local; // on this thread: sends are direct calls
    const HWND window = local.GetSafeHwnd();
    LPARAM value = 0;
    for (auto _ : state)
        value = SendMessage(window, kMsgBench, 0, value);
    benchmark::DoNotOptimize(value);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SendDirect);

// Arg 0: plain posts; arg 1: each post carries a heap payload, as the
// dispatcher's update packets do.
void PostThroughput(benchmark::State& state)
{
    constexpr int kBatch = 20000;
    const HWND window = g_window->GetSafeHwnd();
    const bool withPayload = state.range(0) == 1;
    for (auto _ : state) {
        const uint64_t target = g_window->handled.load() + kBatch;
        for (int i = 0; i < kBatch; ++i) {
            if (withPayload)
                PostMessage(window, kMsgBench, 1, std::make_unique<uint64_t>(i));
            else
                PostMessage(window, kMsgBench, 0, i);
        }
        WaitUntilHandled(g_window->handled, target);
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(PostThroughput)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void QtBlockingQueuedRoundTrip(benchmark::State& state)
{
    int value = 0;
    for (auto _ : state)
        QMetaObject::invokeMethod(g_qtTarget, [&value] { ++value; }, Qt::BlockingQueuedConnection);
    benchmark::DoNotOptimize(value);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(QtBlockingQueuedRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);

void QtPostEventThroughput(benchmark::State& state)
{
    constexpr int kBatch = 20000;
    for (auto _ : state) {
        const uint64_t target = g_qtTarget->events.load() + kBatch;
        for (int i = 0; i < kBatch; ++i)
            QCoreApplication::postEvent(g_qtTarget, new QEvent(QEvent::User)); // Qt owns the event
        WaitUntilHandled(g_qtTarget->events, target);
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(QtPostEventThroughput)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    QApplication app(argc, argv);
    CBenchWindow window;
    CCountingObject qtTarget;
    g_window = &window;
    g_qtTarget = &qtTarget;

    std::thread worker([&app] {
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    const int result = app.exec();
    worker.join();
    return result;
}
