#include "app/update_schedule.h"

#include "common/tick_count.h"

namespace Quellon {

uint64_t CUpdateSchedule::TargetAt(uint32_t frequency, uint32_t now)
{
    const uint32_t start = m_startTick;
    if (static_cast<int32_t>(start) > static_cast<int32_t>(now))
        Restart(now);
    const int32_t elapsed = Brivel::Common::TickDifference(now, start);
    if (elapsed <= 0)
        return 0;
    return static_cast<uint64_t>(frequency) * static_cast<uint64_t>(elapsed) / 1000u;
}

} // namespace Quellon
