#pragma once
// CUpdateSchedule: the catch-up schedule of the benchmark's update stream.
//
// The stream aims at frequency x elapsed / 1000 updates since its start tick
// and makes up at once for ticks that came late: a step that finds fewer
// updates done than that target makes the difference, so a period in which
// the driving thread was busy is followed by a burst. Restarting (every
// change of the stream's settings, every add run) sets the count to 0 and
// the start to now, which drops what was owed before.
//
// Ticks are the 32-bit millisecond counter (common/tick_count.h). A start
// that reads later than now as signed 32-bit values (the counter crossed a
// sign boundary, or the start was set after now was read) restarts the
// schedule at now; the elapsed time is the wrap-safe difference from the old
// start, and a step with no time elapsed owes nothing.
//
// Thread: not synchronised; the benchmark frame guards it with its lock.

#include <cstdint>

namespace Quellon {

class CUpdateSchedule {
public:
    explicit CUpdateSchedule(uint32_t startTick = 0) : m_startTick(startTick) {}

    void Restart(uint32_t now)
    {
        m_updatesDone = 0;
        m_startTick = now;
    }

    // The number of updates the stream should have made by `now` at
    // `frequency` updates per second (64-bit: frequency x elapsed / 1000),
    // after restarting on a start later than now. 0 when no time elapsed.
    uint64_t TargetAt(uint32_t frequency, uint32_t now);

    // The updates still owed at `now` (target minus done, never negative).
    uint64_t OwedAt(uint32_t frequency, uint32_t now)
    {
        const uint64_t target = TargetAt(frequency, now);
        return target > m_updatesDone ? target - m_updatesDone : 0;
    }

    void CountDone(uint64_t count) { m_updatesDone += count; }

    uint64_t GetUpdatesDone() const { return m_updatesDone; }
    uint32_t GetStartTick() const { return m_startTick; }

private:
    uint64_t m_updatesDone = 0;
    uint32_t m_startTick;
};

} // namespace Quellon
