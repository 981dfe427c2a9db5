// Quellon, the benchmark application: one window with the test grid and the
// log grid. It takes no options of its own (Qt's are accepted as usual).
#include "app/benchmark_app.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quellon"));
    Quellon::CBenchmarkApp benchmark;
    if (!benchmark.InitInstance())
        return 1;
    const int result = QApplication::exec();
    benchmark.ExitInstance(); // the frame goes while the application still exists
    return result;
}
