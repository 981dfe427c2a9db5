#include "gui/grid/repaint_pacer.h"

#include "common/process_clock.h"

#include <algorithm>
#include <tuple>
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
        Hold(clipped.ToQRect());
        return;
    }
    // Within a frame of the last paint the region waits for the frame's end;
    // otherwise the window gets it now (and merges what follows until it paints).
    const int32_t wait = MsUntilNextFrame();
    if (wait <= 0) {
        m_target.UpdateWindow(clipped);
        return;
    }
    Hold(clipped.ToQRect()); // nothing is held outside a frame
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
    m_target.UpdateWindow(TakeHeld());
}

void CRepaintPacer::Hold(const QRect& rect)
{
    m_held.push_back(rect);
    if (m_held.size() >= m_compactAt) {
        CompactHeld();
        m_compactAt = std::max(kCompactAt, 2 * m_held.size());
    }
}

void CRepaintPacer::CompactHeld()
{
    std::sort(m_held.begin(), m_held.end(), [](const QRect& a, const QRect& b) {
        return std::tuple(a.top(), a.left(), a.bottom(), a.right()) <
               std::tuple(b.top(), b.left(), b.bottom(), b.right());
    });
    // Rectangles of one row (the same top and bottom) that overlap or touch
    // become one; repeats vanish on the way.
    size_t kept = 0;
    for (const QRect& rect : m_held) {
        if (kept > 0) {
            QRect& last = m_held[kept - 1];
            if (last.top() == rect.top() && last.bottom() == rect.bottom() && rect.left() <= last.right() + 1) {
                last.setRight(std::max(last.right(), rect.right()));
                continue;
            }
        }
        m_held[kept++] = rect;
    }
    m_held.resize(kept);
}

QRegion CRepaintPacer::TakeHeld()
{
    CompactHeld();
    // In this order each rectangle of a row lies right of the one before and
    // each row below the last, which a region appends without a merge.
    QRegion region;
    for (const QRect& rect : m_held)
        region += rect;
    m_held.clear();
    m_compactAt = kCompactAt;
    return region;
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
    m_held.clear();
    m_compactAt = kCompactAt;
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
