// CHighlightScheduler: the timer run and the search for the next moment.
//
// Call flow: the paint pass -> IPaintHost::RefreshHighlightsIn -> RefreshIn
// -> Schedule; the timer -> RunExpiry -> [explicit expiries passed, drawn
// highlights due: invalidate] -> FindNextWait -> Schedule.

#include "gui/grid/highlight_scheduler.h"

#include "gui/grid/repaint_pacer.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/row_layout.h"

#include "common/process_clock.h"

#include <algorithm>

namespace Brivel::GUI {

using Common::GetProcessClock;
using Common::ProcessClockAdd;
using Common::ProcessClockDifference;

namespace {

bool IsFading(int32_t mode)
{
    return mode == kHighlightFadeText || mode == kHighlightFadeBack || mode == kHighlightFadeTextAndBack;
}

bool IsPassed(int32_t expiry, int32_t now)
{
    return expiry != CGridItem::kNever && ProcessClockDifference(now, expiry) >= 0;
}

} // namespace

int32_t CHighlightScheduler::GetRemaining() const
{
    if (m_timerInterval < 0)
        return -1;
    const int32_t remaining =
        ProcessClockDifference(ProcessClockAdd(m_timerStart, m_timerInterval), GetProcessClock());
    return remaining < 0 ? -1 : remaining;
}

void CHighlightScheduler::Schedule(int32_t waitMs)
{
    if (waitMs < 1) {
        RunExpiry();
        return;
    }
    // Never before the current paint frame ends: what the timer invalidates
    // is then painted at once, not held for one more wake-up.
    waitMs = std::max({waitMs, kMinWaitMs, m_pacer.MsUntilNextFrame()});
    const int32_t remaining = GetRemaining();
    if (remaining >= 0 && remaining <= waitMs)
        return; // the pending timer comes first and reschedules then
    m_timerStart = GetProcessClock();
    m_timerInterval = waitMs;
    m_timers.StartTimer(m_timerId, static_cast<uint32_t>(waitMs));
}

void CHighlightScheduler::Stop()
{
    m_timers.StopTimer(m_timerId);
    m_timerInterval = -1;
}

bool CHighlightScheduler::DrawsHighlights() const
{
    const HighlightSettings& settings = m_target.GetHighlightSettings();
    return m_target.IsHighlightChangedValues() && (m_target.GetPaintElementMask() & PaintElement::kChangeHighlight) &&
           settings.duration > 0 && settings.mode >= kHighlightInvert && settings.mode <= kHighlightFadeTextAndBack;
}

bool CHighlightScheduler::IsDrawnHighlightDue(int32_t changeTime, int32_t now) const
{
    if (changeTime == CGridItem::kNever)
        return false;
    const HighlightSettings& settings = m_target.GetHighlightSettings();
    const int32_t age = std::max(ProcessClockDifference(now, changeTime), 0);
    // The age at the previous run; negative: changed since (or no run yet).
    const int32_t before = m_hasRun ? ProcessClockDifference(m_lastRun, changeTime) : -1;
    if (before >= settings.duration)
        return false; // ended before the previous run, which repainted it
    if (age >= settings.duration)
        return true; // ended since
    if (!IsFading(settings.mode) || settings.refreshInterval <= 0)
        return false;
    // A fading highlight steps at every refresh interval after the change.
    const int32_t stepBefore = before < 0 ? 0 : before / settings.refreshInterval;
    return age / settings.refreshInterval > stepBefore;
}

bool CHighlightScheduler::IsFadingCadence() const
{
    const HighlightSettings& settings = m_target.GetHighlightSettings();
    return IsFading(settings.mode) && settings.refreshInterval > 0;
}

void CHighlightScheduler::RefreshIn(int32_t ms)
{
    // Fading cells step on one shared beat: each run repaints every cell
    // whose step passed since the run before, so a screen of cells changed
    // at scattered times costs one wake-up per interval, not one per cell.
    if (IsFadingCadence() && DrawsHighlights())
        ms = std::max(ms, m_target.GetHighlightSettings().refreshInterval);
    Schedule(ms);
}

bool CHighlightScheduler::NextDrawnHighlightWait(int32_t changeTime, int32_t now, int32_t& wait) const
{
    if (changeTime == CGridItem::kNever)
        return false;
    const HighlightSettings& settings = m_target.GetHighlightSettings();
    const int32_t age = std::max(ProcessClockDifference(now, changeTime), 0);
    if (age >= settings.duration)
        return false;
    // A fading cell waits for the next beat (its end is repainted on the beat
    // after it, when its alpha is already all but gone); a solid one for its end.
    wait = IsFadingCadence() ? settings.refreshInterval : settings.duration - age;
    return true;
}

void CHighlightScheduler::RunExpiry()
{
    Stop();
    const int32_t now = GetProcessClock();
    const bool drawn = DrawsHighlights();
    for (const CRowLayout::Row& row : m_layout.GetRows()) {
        CGridItem& item = *row.item;
        const Platform::CRect rowRect = m_layout.RowRect(row);
        bool rowDone = false;
        if (IsPassed(item.GetRowHighlightExpiry(), now)) {
            item.SetRowHighlightExpiry(CGridItem::kNever);
            m_pacer.Invalidate(rowRect);
            rowDone = true;
        }
        if (drawn && !rowDone && IsDrawnHighlightDue(item.GetRowChangeTime(), now)) {
            m_pacer.Invalidate(rowRect);
            rowDone = true;
        }
        for (HighlightRecord& record : item.GetHighlightRecords()) {
            bool due = false;
            if (IsPassed(record.expiry, now)) {
                record.expiry = CGridItem::kNever;
                due = true;
            }
            if (drawn && !due)
                due = IsDrawnHighlightDue(record.lastChangeTime, now);
            if (due && !rowDone)
                m_target.InvalidateCell(rowRect, record.fieldId);
        }
    }
    m_hasRun = true;
    m_lastRun = now;
    if (int32_t wait = 0; FindNextWait(now, wait))
        Schedule(wait);
}

bool CHighlightScheduler::FindNextWait(int32_t now, int32_t& wait) const
{
    const bool drawn = DrawsHighlights();
    bool found = false;
    int32_t earliest = INT32_MAX;
    const auto consider = [&](int32_t candidate) {
        earliest = std::min(earliest, candidate);
        found = true;
    };
    for (const CRowLayout::Row& row : m_layout.GetRows()) {
        const CGridItem& item = *row.item;
        if (item.GetRowHighlightExpiry() != CGridItem::kNever)
            consider(ProcessClockDifference(item.GetRowHighlightExpiry(), now));
        int32_t drawnWait = 0;
        if (drawn && NextDrawnHighlightWait(item.GetRowChangeTime(), now, drawnWait))
            consider(drawnWait);
        for (const HighlightRecord& record : item.GetHighlightRecords()) {
            if (record.expiry != CGridItem::kNever)
                consider(ProcessClockDifference(record.expiry, now));
            if (drawn && NextDrawnHighlightWait(record.lastChangeTime, now, drawnWait))
                consider(drawnWait);
        }
    }
    wait = earliest;
    return found;
}

} // namespace Brivel::GUI
