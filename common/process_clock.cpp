#include "common/process_clock.h"

#include "common/tick_count.h"

#include <atomic>

namespace Brivel::Common {
namespace {

constexpr int32_t kNever = -1;

// The frozen test reading; meaningful while g_frozen is set.
std::atomic<bool> g_frozen{false};
std::atomic<int32_t> g_frozenNow{0};

uint32_t Origin()
{
    // The first real reading fixes the origin (thread-safe static init).
    static const uint32_t origin = GetTickCount();
    return origin;
}

} // namespace

int32_t GetProcessClock()
{
    if (g_frozen.load(std::memory_order_acquire)) [[unlikely]]
        return g_frozenNow.load(std::memory_order_relaxed);
    const uint32_t origin = Origin();
    const int32_t now = TickDifference(GetTickCount(), origin);
    return now == kNever ? kNever - 1 : now;
}

void SetProcessClockForTesting(int32_t now)
{
    g_frozenNow.store(now, std::memory_order_relaxed);
    g_frozen.store(true, std::memory_order_release);
}

void AdvanceProcessClockForTesting(int32_t ms)
{
    if (!g_frozen.load(std::memory_order_acquire))
        return;
    int32_t current = g_frozenNow.load(std::memory_order_relaxed);
    while (!g_frozenNow.compare_exchange_weak(current, ProcessClockAdd(current, ms), std::memory_order_relaxed)) {
    }
}

void ResetProcessClockForTesting()
{
    g_frozen.store(false, std::memory_order_release);
}

} // namespace Brivel::Common
