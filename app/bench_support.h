#pragma once
// What quellon-bench and the QTableView peer (bench/qtableview) measure
// with, so that both print the same figures measured the same way: the JSON
// line, the clocks (wall, process CPU), the process's memory, running the
// event loop for a while, and counting a widget's paint events.
//
// Thread: GUI thread for Pump, PumpUntil and CPaintCounter; the rest any
// thread.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QCoreApplication>
#include <QObject>

#include <cstdint>
#include <string>

class QWidget;

namespace Quellon {

// One line of JSON: keys in the order they are added, no nesting.
class CJsonLine {
public:
    CJsonLine& Add(const char* key, const std::string& value);
    CJsonLine& Add(const char* key, const char* value) { return Add(key, std::string(value)); }
    CJsonLine& Add(const char* key, int64_t value) { return Raw(key, std::to_string(value)); }
    CJsonLine& Add(const char* key, int32_t value) { return Raw(key, std::to_string(value)); }
    CJsonLine& Add(const char* key, uint64_t value) { return Raw(key, std::to_string(value)); }
    CJsonLine& Add(const char* key, bool value) { return Raw(key, value ? "true" : "false"); }
    CJsonLine& Add(const char* key, double value, int decimals);
    std::string Text() const { return "{" + m_body + "}"; }

private:
    CJsonLine& Raw(const char* key, const std::string& value);
    std::string m_body;
};

// The performance counter in seconds.
double NowSeconds();

// Runs the application's event loop for `ms`, as QApplication::exec would.
void Pump(int ms);

// Serves events at 5 ms steps until done() holds; false after timeoutMs.
template <typename Done>
bool PumpUntil(Done done, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The process's resident set (VmRSS) in MiB.
double RssMb();

// The process's memory at one moment: resident bytes and the bytes the heap
// has handed out and not taken back (malloc's in-use count, which no page
// granularity or retained free memory blurs).
struct MemorySample {
    int64_t rssBytes = 0;
    int64_t heapBytes = 0;
};
MemorySample SampleMemory();

// Counts the paint events a widget receives.
class CPaintCounter : public QObject {
public:
    explicit CPaintCounter(QWidget& widget);
    ~CPaintCounter() override;
    uint64_t Count() const { return m_count; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_widget; // Not owned; outlives this.
    uint64_t m_count = 0;
};

// The process's CPU time and the wall time from construction on.
class CCpuMeter {
public:
    CCpuMeter();
    double WallSeconds() const { return NowSeconds() - m_wall0; }
    // CPU time over wall time, 100 = one core.
    double CpuPercent() const;

private:
    double m_wall0;
    double m_cpu0;
};

// The words of the command line's choices, by their index.
inline constexpr const char* kPositionWords[] = {"head", "tail", "random"};
inline constexpr const char* kHighlightWords[] = {"none", "alpha", "fade"};

} // namespace Quellon
