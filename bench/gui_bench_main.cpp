// Entry point of the grid library's micro-benchmarks: a QApplication on the
// main thread (offscreen unless the caller chose a platform), then the
// registered benchmarks. Benchmarks that need the GUI thread's event loop run
// it themselves while they wait for work they handed to other threads.
#include <QApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    if (::benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
