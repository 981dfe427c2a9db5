#include "app/delay_probe.h"

#include "app/main_frame.h"
#include "app/test_object.h"

#include "common/performance_counter.h"
#include "gui/grid/grid.h"
#include "gui/rows/row_list_owner.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>

namespace Quellon {

using Brivel::GUI::CGrid;
using Brivel::GUI::CGridNotify;

namespace {

int64_t NowNs()
{
    int64_t now = 0;
    Brivel::Common::QueryPerformanceCounter(&now);
    return now;
}

} // namespace

CDelayProbe::CDelayProbe(CMainFrame& frame)
    : m_frame(frame), m_grid(std::make_unique<CGrid>()), m_owner(std::make_unique<QObject>()),
      m_object(std::make_unique<CTestObject>("probe"))
{
    m_receiver = std::make_unique<Brivel::Platform::CNotifyReceiver>(
        *m_owner, [this](const Brivel::Platform::CNotifyHeader& header) -> Brivel::Platform::LRESULT {
            if (header.code == Brivel::GUI::kNotifyDataChanged && CGridNotify::FromHeader(header).object == m_object.get())
                OnHandled();
            return 0;
        });
    m_grid->SetNotifyOwner(m_owner.get());
    m_grid->SetNotifyParent(true);
    m_grid->Add(m_object.get(), CGrid::kBodyRoot, CGrid::kTail);
}

CDelayProbe::~CDelayProbe()
{
    Stop();
    m_object.reset(); // its row goes first
    m_grid.reset();
}

void CDelayProbe::Start()
{
    m_maxNs = 0;
    m_windowMaxNs = 0;
    m_samples.store(0);
    Resume();
}

void CDelayProbe::Resume()
{
    m_running = true;
    m_frame.SetTimerStepObserver([this] { OnStep(); });
}

void CDelayProbe::Stop()
{
    if (!m_running)
        return;
    m_running = false;
    m_frame.SetTimerStepObserver({}); // synchronous: no OnStep afterwards
}

void CDelayProbe::OnStep()
{
    if (++m_steps % kStepsPerProbe != 0)
        return;
    if (!m_inFlight.load(std::memory_order_acquire))
        Send();
}

void CDelayProbe::Send()
{
    m_stampNs.store(NowNs(), std::memory_order_relaxed);
    m_inFlight.store(true, std::memory_order_release);
    m_object->UpdateRandomValue(); // queued behind every change made before it
}

void CDelayProbe::OnHandled()
{
    if (!m_inFlight.load(std::memory_order_acquire))
        return;
    const int64_t delay = NowNs() - m_stampNs.load(std::memory_order_relaxed);
    m_maxNs = std::max(m_maxNs, delay);
    m_windowMaxNs = std::max(m_windowMaxNs, delay);
    m_samples.fetch_add(1);
    m_inFlight.store(false, std::memory_order_release);
}

double CDelayProbe::OutstandingMs() const
{
    if (!m_inFlight.load(std::memory_order_acquire))
        return 0;
    return static_cast<double>(NowNs() - m_stampNs.load(std::memory_order_relaxed)) / 1e6;
}

double CDelayProbe::GetMaxDelayMs() const
{
    return std::max(static_cast<double>(m_maxNs) / 1e6, OutstandingMs());
}

double CDelayProbe::TakeWindowMaxDelayMs()
{
    const double window = std::max(static_cast<double>(m_windowMaxNs) / 1e6, OutstandingMs());
    m_windowMaxNs = 0;
    return window;
}

bool CDelayProbe::Flush(int timeoutMs)
{
    const bool wasRunning = m_running;
    Stop(); // the GUI thread sends the probe now; the timer must not race it
    QElapsedTimer waited;
    waited.start();
    // A probe the timer sent may still be on its way: it is handled first.
    while (m_inFlight.load() && waited.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    bool done = !m_inFlight.load();
    if (done) {
        Send();
        while (m_inFlight.load() && waited.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        done = !m_inFlight.load();
    }
    if (wasRunning)
        Resume();
    return done;
}

} // namespace Quellon
