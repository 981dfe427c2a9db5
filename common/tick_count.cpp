#include "common/tick_count.h"

#include <atomic>
#include <chrono>

namespace Brivel::Common {
namespace {

std::atomic<uint32_t> g_tickOffset{0};

} // namespace

uint32_t GetTickCount()
{
    const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
    // Truncation to 32 bits is the wrap; unsigned addition keeps it modular.
    return static_cast<uint32_t>(ms) + g_tickOffset.load(std::memory_order_relaxed);
}

void SetTickCountOffsetForTesting(uint32_t offset)
{
    g_tickOffset.store(offset, std::memory_order_relaxed);
}

uint32_t GetTickCountOffsetForTesting()
{
    return g_tickOffset.load(std::memory_order_relaxed);
}

} // namespace Brivel::Common
