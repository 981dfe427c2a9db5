#include "platform/window_timers.h"

#include "platform/message_window.h"

#include <QTimerEvent>

#include <algorithm>
#include <climits>

namespace Brivel::Platform::Detail {

CWindowTimers::~CWindowTimers()
{
    KillAll();
}

bool CWindowTimers::Set(uintptr_t id, uint32_t elapseMs)
{
    if (!m_window)
        return false;
    const int interval = static_cast<int>(std::clamp<uint32_t>(elapseMs, 1, INT_MAX));
    const int qtTimerId = startTimer(interval, Qt::PreciseTimer);
    if (qtTimerId == 0)
        return false;
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [id](const Entry& e) { return e.id == id; });
    if (it != m_entries.end()) {
        // Same id again: the old timer stops and the new interval counts from now.
        killTimer(it->qtTimerId);
        it->qtTimerId = qtTimerId;
    } else {
        m_entries.push_back({id, qtTimerId});
    }
    return true;
}

bool CWindowTimers::Kill(uintptr_t id)
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [id](const Entry& e) { return e.id == id; });
    if (it == m_entries.end())
        return false;
    killTimer(it->qtTimerId);
    m_entries.erase(it);
    return true;
}

void CWindowTimers::KillAll()
{
    for (const Entry& entry : m_entries)
        killTimer(entry.qtTimerId);
    m_entries.clear();
}

void CWindowTimers::Dispose(std::unique_ptr<CWindowTimers> timers)
{
    if (!timers)
        return;
    timers->KillAll();
    timers->m_window = nullptr;
    if (timers->m_callbackDepth > 0)
        timers.release()->deleteLater(); // ownership passes to Qt's deferred deletion
}

void CWindowTimers::timerEvent(QTimerEvent* event)
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [event](const Entry& e) { return e.qtTimerId == event->timerId(); });
    if (it == m_entries.end() || !m_window)
        return;
    const uintptr_t id = it->id;
    // The callback may kill or restart timers, or destroy the window (and with it
    // detach this object): nothing of ours is touched after it but the depth.
    struct DepthScope {
        int& depth;
        explicit DepthScope(int& d) : depth(d) { ++depth; }
        ~DepthScope() { --depth; }
        DepthScope(const DepthScope&) = delete;
        DepthScope& operator=(const DepthScope&) = delete;
    } scope(m_callbackDepth);
    CMessageDelivery::Timer(*m_window, id);
}

} // namespace Brivel::Platform::Detail
