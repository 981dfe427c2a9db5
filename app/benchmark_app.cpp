#include "app/benchmark_app.h"

#include "common/tick_count.h"
#include "common/timer.h"
#include "platform/idle_hook.h"

#include <QScreen>

#include <cstdlib>

namespace Quellon {

using Brivel::Common::GetTickCount;
using Brivel::Common::TickDifference;

CBenchmarkApp::CBenchmarkApp() = default;

CBenchmarkApp::~CBenchmarkApp()
{
    ExitInstance();
}

bool CBenchmarkApp::InitInstance(CMainFrame::Options options, bool show)
{
    if (m_frame)
        return true;
    Brivel::Common::CTimer::Initialize();
    m_frame = std::make_unique<CMainFrame>(*this, options);
    if (!m_frame->LoadFrame()) {
        m_frame.reset();
        return false;
    }
    m_idleHook = std::make_unique<Brivel::Platform::CIdleHook>([this] { OnIdle(); });
    if (show) {
        if (const QScreen* screen = m_frame->screen())
            m_frame->setGeometry(CMainFrame::InitialGeometry(screen->availableGeometry()));
        m_frame->show();
        m_frame->update();
    }
    return true;
}

bool CBenchmarkApp::OnIdle()
{
    return OnIdle(GetTickCount());
}

bool CBenchmarkApp::OnIdle(uint32_t now)
{
    if (!m_frame)
        return false;
    if (m_onIdleOptimization) {
        if (!m_lastIdleTick)
            m_lastIdleTick = now; // so the very first moment is skipped too
        if (std::abs(static_cast<int64_t>(TickDifference(now, *m_lastIdleTick))) <= 10)
            return false;
        m_lastIdleTick = now;
    }
    ++m_idleUpdates;
    m_frame->UpdateCommandStates();
    return false;
}

void CBenchmarkApp::ExitInstance()
{
    m_idleHook.reset();
    if (m_frame) {
        m_frame->OnDestroy();
        m_frame.reset();
    }
}

} // namespace Quellon
