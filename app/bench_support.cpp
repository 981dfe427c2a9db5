#include "app/bench_support.h"

#include "common/performance_counter.h"
#include "common/process_times.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <malloc.h>

#include <cstdio>
#include <fstream>

namespace Quellon {

CJsonLine& CJsonLine::Add(const char* key, const std::string& value)
{
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return Raw(key, quoted + "\"");
}

CJsonLine& CJsonLine::Add(const char* key, double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return Raw(key, text);
}

CJsonLine& CJsonLine::Raw(const char* key, const std::string& value)
{
    if (!m_body.empty())
        m_body += ",";
    m_body += "\"" + std::string(key) + "\":" + value;
    return *this;
}

double NowSeconds()
{
    int64_t now = 0;
    Brivel::Common::QueryPerformanceCounter(&now);
    return static_cast<double>(now) / 1e9;
}

void Pump(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double RssMb()
{
    return static_cast<double>(SampleMemory().rssBytes) / (1024.0 * 1024.0);
}

MemorySample SampleMemory()
{
    MemorySample sample;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            sample.rssBytes = std::stoll(line.substr(6)) * 1024; // the kernel counts kB
            break;
        }
    }
    const struct mallinfo2 info = mallinfo2();
    sample.heapBytes = static_cast<int64_t>(info.uordblks + info.hblkhd); // arena and mmapped blocks in use
    return sample;
}

CPaintCounter::CPaintCounter(QWidget& widget) : m_widget(widget)
{
    m_widget.installEventFilter(this);
}

CPaintCounter::~CPaintCounter()
{
    m_widget.removeEventFilter(this);
}

bool CPaintCounter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_widget && event->type() == QEvent::Paint)
        ++m_count;
    return false;
}

CCpuMeter::CCpuMeter() : m_wall0(NowSeconds()), m_cpu0(Brivel::Common::GetProcessCpuSeconds()) {}

double CCpuMeter::CpuPercent() const
{
    const double wall = WallSeconds();
    return wall > 0 ? (Brivel::Common::GetProcessCpuSeconds() - m_cpu0) * 100.0 / wall : 0.0;
}

} // namespace Quellon
