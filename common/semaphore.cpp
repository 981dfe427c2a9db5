#include "common/semaphore.h"

#include <algorithm>
#include <chrono>

namespace Brivel::Common {

CSemaphore::CSemaphore(int32_t initialCount, int32_t maximumCount)
    : m_maximum(std::max<int32_t>(maximumCount, 1))
    , m_count(std::clamp<int32_t>(initialCount, 0, m_maximum))
{
}

bool CSemaphore::Release(int32_t count)
{
    if (count <= 0)
        return false;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        // Written as a subtraction so that a huge count cannot overflow.
        if (count > m_maximum - m_count)
            return false;
        m_count += count;
    }
    // Notified after unlocking, so that a woken waiter does not immediately
    // block again on the mutex we still hold.
    if (count == 1)
        m_available.notify_one();
    else
        m_available.notify_all();
    return true;
}

bool CSemaphore::Wait(uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto available = [this] { return m_count > 0; };
    if (timeoutMs == kInfiniteTimeout) {
        m_available.wait(lock, available);
    } else if (!m_available.wait_for(lock, std::chrono::milliseconds(timeoutMs), available)) {
        return false;
    }
    --m_count;
    return true;
}

} // namespace Brivel::Common
