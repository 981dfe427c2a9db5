#include "platform/window_table.h"

#include "platform/message_queue.h"

#include <cassert>
#include <utility>

namespace Brivel::Platform::Detail {

namespace {

constexpr uint32_t HandleIndex(HWND handle)
{
    return static_cast<uint32_t>(static_cast<uintptr_t>(handle) & 0xFFFFFFFFu);
}

constexpr uint32_t HandleGeneration(HWND handle)
{
    return static_cast<uint32_t>(static_cast<uint64_t>(handle) >> 32);
}

constexpr HWND MakeHandle(uint32_t index, uint32_t generation)
{
    return HWND{(static_cast<uintptr_t>(generation) << 32) | (static_cast<uintptr_t>(index) + 1)};
}

static_assert(sizeof(uintptr_t) == 8, "handles pack a 32-bit generation above a 32-bit index");

} // namespace

CWindowTable& CWindowTable::Instance()
{
    // Constructed on first use, which is inside the first window's constructor,
    // so it outlives every window, static ones included.
    static CWindowTable table;
    return table;
}

HWND CWindowTable::Allocate(CMessageWindow& window, std::shared_ptr<CMessageQueue> queue)
{
    std::lock_guard lock(m_mutex);
    uint32_t index = m_freeHead;
    if (index != kNoSlot) {
        m_freeHead = m_slots[index].nextFree;
    } else {
        if (m_slots.size() >= kMaxSlots)
            return HWND{};
        index = static_cast<uint32_t>(m_slots.size());
        m_slots.emplace_back();
    }
    Slot& slot = m_slots[index];
    slot.window = &window;
    slot.queue = std::move(queue);
    slot.thread = std::this_thread::get_id();
    slot.nextFree = kNoSlot;
    ++m_liveCount;
    return MakeHandle(index, slot.generation);
}

std::shared_ptr<CMessageQueue> CWindowTable::Release(HWND handle)
{
    std::lock_guard lock(m_mutex);
    if (!FindLocked(handle))
        return nullptr;
    const uint32_t index = HandleIndex(handle) - 1;
    Slot& slot = m_slots[index];
    std::shared_ptr<CMessageQueue> queue = std::move(slot.queue);
    slot.window = nullptr;
    slot.thread = {};
    // Generation 0 never appears in a handle, so a wrapped counter skips it.
    if (++slot.generation == 0)
        slot.generation = 1;
    slot.nextFree = m_freeHead;
    m_freeHead = index;
    --m_liveCount;
    return queue;
}

CMessageWindow* CWindowTable::FindOnCurrentThread(HWND handle) const
{
    std::lock_guard lock(m_mutex);
    const Slot* slot = FindLocked(handle);
    if (!slot || slot->thread != std::this_thread::get_id())
        return nullptr;
    return slot->window;
}

uint32_t CWindowTable::LiveCountForTesting() const
{
    std::lock_guard lock(m_mutex);
    return m_liveCount;
}

const CWindowTable::Slot* CWindowTable::FindLocked(HWND handle) const
{
    const uint32_t index = HandleIndex(handle);
    if (index == 0 || index > m_slots.size())
        return nullptr;
    const Slot& slot = m_slots[index - 1];
    if (!slot.window || slot.generation != HandleGeneration(handle))
        return nullptr;
    return &slot;
}

} // namespace Brivel::Platform::Detail
