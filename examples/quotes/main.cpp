// Quotes: 2,000 instruments whose prices a worker thread changes 20,000 times
// a second, in a Brivel grid. Headless (QT_QPA_PLATFORM=offscreen):
//   quotes --seconds S [--screenshot file.png] [--click-header COLUMN_ID]
#include "quotes_window.h"

#include <gui/grid/grid.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Brivel"));
    QApplication::setApplicationName(QStringLiteral("Quotes"));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("Exit after S seconds."), "S");
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QStringLiteral("Save the window as PNG on exit."),
                                        "file");
    const QCommandLineOption click(QStringLiteral("click-header"), QStringLiteral("Click a column's header."), "id");
    parser.addOptions({seconds, screenshot, click});
    parser.process(application);

    auto window = std::make_unique<CQuotesWindow>(2000, 20000);
    window->show();

    if (parser.isSet(click)) {
        const int32_t column = parser.value(click).toInt();
        QTimer::singleShot(300, window.get(), [&window, column] { window->ClickHeader(column); });
    }
    if (parser.isSet(seconds)) {
        const int ms = static_cast<int>(parser.value(seconds).toDouble() * 1000);
        QTimer::singleShot(ms, window.get(), [&] {
            if (parser.isSet(screenshot) && !window->grab().save(parser.value(screenshot)))
                std::fprintf(stderr, "quotes: cannot write %s\n", qPrintable(parser.value(screenshot)));
            std::printf("quotes: %d rows, %llu price changes, sorted by %s\n", window->Grid().GetRowCount(),
                        static_cast<unsigned long long>(window->GetChangeCount()), window->DescribeSort().c_str());
            window->close();
        });
    }
    const int result = QApplication::exec();
    window.reset(); // the feed stops, then the rows and objects go, while the application lives
    return result;
}
