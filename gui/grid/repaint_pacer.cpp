#include "gui/grid/repaint_pacer.h"

#include "common/process_clock.h"

#include <utility>

namespace Brivel::GUI {

using Platform::CRect;

void CRepaintPacer::Invalidate(const CRect& rect)
{
    const CRect clipped = rect & m_target.GetClientRect();
    if (clipped.IsRectEmpty())
        return;
    if (m_recording)
        m_recorded += clipped.ToQRect();
    if (m_framePending) {
        m_held += clipped.ToQRect();
        return;
    }
    // Within a frame of the last paint the region waits for the frame's end;
    // otherwise the window gets it now (and merges what follows until it paints).
    const int32_t wait = MsUntilNextFrame();
    if (wait <= 0) {
        m_target.UpdateWindow(clipped);
        return;
    }
    m_held = clipped.ToQRect();
    m_framePending = true;
    m_timers.StartTimer(m_timerId, static_cast<uint32_t>(wait));
}

int32_t CRepaintPacer::MsUntilNextFrame() const
{
    if (!m_hasPainted)
        return 0;
    // The process clock, so that a test with a frozen clock sees the same
    // frames every run.
    const int32_t sinceLastPaint = Common::ProcessClockDifference(Common::GetProcessClock(), m_lastPaint);
    if (sinceLastPaint >= kPaintFrameMs || sinceLastPaint < 0)
        return 0;
    return kPaintFrameMs - sinceLastPaint;
}

void CRepaintPacer::Flush()
{
    if (!m_framePending)
        return;
    m_timers.StopTimer(m_timerId);
    m_framePending = false;
    m_target.UpdateWindow(std::exchange(m_held, QRegion()));
}

void CRepaintPacer::OnPaint()
{
    m_hasPainted = true;
    m_lastPaint = Common::GetProcessClock();
}

void CRepaintPacer::Reset()
{
    m_timers.StopTimer(m_timerId);
    m_framePending = false;
    m_held = QRegion();
}

void CRepaintPacer::StartRecordingInvalidation()
{
    m_recording = true;
    m_recorded = QRegion();
}

QRegion CRepaintPacer::TakeInvalidatedRegion()
{
    return std::exchange(m_recorded, QRegion());
}

} // namespace Brivel::GUI
