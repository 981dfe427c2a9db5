#include "gui/rows/live_items.h"

#include "common/large_array.h"

#include <bit>
#include <memory>
#include <new>

namespace Brivel::GUI {

namespace {

class CPointerSet {
public:
    CPointerSet() = default;
    CPointerSet(const CPointerSet&) = delete;
    CPointerSet& operator=(const CPointerSet&) = delete;

    void Insert(uintptr_t key)
    {
        if ((m_size + 1) * 4 > m_capacity * 3)
            Rehash(m_capacity == 0 ? kMinCapacity : m_capacity * 2);
        size_t i = Home(key);
        while (m_slots[i] != 0) {
            if (m_slots[i] == key)
                return;
            i = (i + 1) & m_mask;
        }
        m_slots[i] = key;
        ++m_size;
    }

    void Erase(uintptr_t key) noexcept
    {
        if (m_size == 0)
            return;
        size_t i = Home(key);
        while (m_slots[i] != key) {
            if (m_slots[i] == 0)
                return;
            i = (i + 1) & m_mask;
        }
        // Backward shift: move later entries of the run into the hole when
        // the hole lies between their home and where they sit, so that no
        // lookup ever stops early at an empty slot.
        size_t hole = i;
        for (size_t j = (i + 1) & m_mask; m_slots[j] != 0; j = (j + 1) & m_mask) {
            const size_t home = Home(m_slots[j]);
            if (((j - home) & m_mask) >= ((j - hole) & m_mask)) {
                m_slots[hole] = m_slots[j];
                hole = j;
            }
        }
        m_slots[hole] = 0;
        --m_size;
        if (m_capacity > kMinCapacity && m_size * 8 < m_capacity) {
            try {
                Rehash(m_capacity / 2);
            } catch (const std::bad_alloc&) {
                // Keeping the larger table is correct too; only memory is lost.
            }
        }
    }

    bool Contains(uintptr_t key) const noexcept
    {
        if (m_size == 0 || key == 0)
            return false;
        for (size_t i = Home(key);; i = (i + 1) & m_mask) {
            if (m_slots[i] == key)
                return true;
            if (m_slots[i] == 0)
                return false;
        }
    }

    size_t Size() const noexcept { return m_size; }

private:
    static constexpr size_t kMinCapacity = 1024;

    size_t Home(uintptr_t key) const noexcept
    {
        // Items are at least 16-byte aligned: the low bits carry nothing.
        const uint64_t h = static_cast<uint64_t>(key >> 4) * 0x9E3779B97F4A7C15ull;
        return static_cast<size_t>(h >> m_shift) & m_mask;
    }

    void Rehash(size_t capacity)
    {
        auto old = std::move(m_slots);
        const size_t oldCapacity = m_capacity;
        m_slots = Common::CLargeArray<uintptr_t>(capacity); // zeroed: every slot empty
        m_capacity = capacity;
        m_mask = capacity - 1;
        m_shift = 64 - std::countr_zero(capacity);
        m_size = 0;
        for (size_t i = 0; i < oldCapacity; ++i)
            if (old[i] != 0)
                Insert(old[i]);
    }

    Common::CLargeArray<uintptr_t> m_slots;
    size_t m_capacity = 0;
    size_t m_mask = 0;
    int m_shift = 64;
    size_t m_size = 0;
};

bool g_liveItemsGone = false;

struct CLiveItemsHolder {
    CPointerSet set;
    CLiveItemsHolder() = default;
    CLiveItemsHolder(const CLiveItemsHolder&) = delete;
    CLiveItemsHolder& operator=(const CLiveItemsHolder&) = delete;
    ~CLiveItemsHolder() { g_liveItemsGone = true; }
};

CPointerSet* Set()
{
    if (g_liveItemsGone)
        return nullptr;
    static CLiveItemsHolder holder;
    return &holder.set;
}

} // namespace

void CLiveItems::Add(const CGridItem* item)
{
    if (CPointerSet* const set = Set())
        set->Insert(reinterpret_cast<uintptr_t>(item));
}

void CLiveItems::Remove(const CGridItem* item) noexcept
{
    if (CPointerSet* const set = Set())
        set->Erase(reinterpret_cast<uintptr_t>(item));
}

bool CLiveItems::Contains(const void* handle) noexcept
{
    const CPointerSet* const set = Set();
    return set != nullptr && set->Contains(reinterpret_cast<uintptr_t>(handle));
}

size_t CLiveItems::Count() noexcept
{
    const CPointerSet* const set = Set();
    return set ? set->Size() : 0;
}

} // namespace Brivel::GUI
