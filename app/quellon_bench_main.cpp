// quellon-bench: the benchmark's main frame and operations driven headless
// from the command line (see app/bench_options.h); prints one JSON line of
// figures per scenario. A bad command line prints the reason and the usage
// to stderr and exits with code 2.
#include "app/bench_options.h"
#include "app/bench_runner.h"

#include <QApplication>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const Quellon::BenchParseResult parsed = Quellon::ParseBenchCommandLine(args);
    if (!parsed.options) {
        std::cerr << "quellon-bench: " << parsed.error << "\n" << Quellon::BenchUsage();
        return Quellon::kBenchUsageExitCode;
    }
    if (parsed.options->scenario == Quellon::BenchScenario::Help) {
        std::cout << Quellon::BenchUsage();
        return 0;
    }
    // Headless unless the caller chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("quellon-bench"));
    Quellon::CBenchRunner runner(*parsed.options, std::cout);
    return runner.Run();
}
