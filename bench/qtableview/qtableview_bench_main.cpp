// qtableview-bench: quellon-bench's workload on Qt's QTableView over a
// QAbstractTableModel, the peer every published figure is a ratio against.
// Same command line (app/bench_options.h), same JSON lines; see
// peer_runner.h and docs/benchmarks.md.
#include "app/bench_options.h"
#include "bench/qtableview/peer_runner.h"

#include <QApplication>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    constexpr const char* kName = "qtableview-bench";
    std::vector<std::string> args(argv + 1, argv + argc);
    Quellon::BenchParseResult parsed = Quellon::ParseBenchCommandLine(args);
    if (!parsed.options) {
        std::cerr << kName << ": " << parsed.error << "\n" << Quellon::BenchUsage(kName);
        return Quellon::kBenchUsageExitCode;
    }
    if (parsed.options->scenario == Quellon::BenchScenario::Help) {
        std::cout << Quellon::BenchUsage(kName);
        return 0;
    }
    if (parsed.options->scenario == Quellon::BenchScenario::Default && parsed.options->screenshot == "quellon.png")
        parsed.options->screenshot = "qtableview.png";
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    QApplication::setApplicationName(QString::fromLatin1(kName));
    QuellonPeer::CPeerRunner runner(*parsed.options, std::cout);
    return runner.Run();
}
