#include "gui/rows/binding_table.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <utility>

namespace Brivel::GUI {

using Common::CDataObject;

// ---- Entry ----

namespace {

// Frees a heap array of rows that an entry owned.
void FreeRowArray(CGridItem** rows) noexcept
{
    const std::unique_ptr<CGridItem*[]> owned(rows);
}

} // namespace

bool CBindingTable::CEntry::ContainsRow(const CGridItem* row) const noexcept
{
    const std::span<CGridItem* const> rows = Rows();
    return std::find(rows.begin(), rows.end(), row) != rows.end();
}

CBindingTable::CEntry& CBindingTable::CEntry::operator=(CEntry&& other) noexcept
{
    if (this != &other) {
        FreeRows();
        TakeFrom(other);
    }
    return *this;
}

void CBindingTable::CEntry::TakeFrom(CEntry& other) noexcept
{
    m_object = std::exchange(other.m_object, nullptr);
    m_sequence = std::exchange(other.m_sequence, 0);
    m_count = std::exchange(other.m_count, 0);
    m_capacityLog2 = std::exchange(other.m_capacityLog2, 0);
    m_dying = std::exchange(other.m_dying, false);
    if (m_count > 1)
        m_many = other.m_many; // the array changes hands
    else
        m_one = other.m_one;
    other.m_one = nullptr;
}

void CBindingTable::CEntry::FreeRows() noexcept
{
    if (m_count > 1)
        FreeRowArray(m_many);
    m_one = nullptr;
    m_count = 0;
    m_capacityLog2 = 0;
}

void CBindingTable::CEntry::AddRow(CGridItem* row)
{
    if (m_count == 0) {
        m_one = row;
        m_count = 1;
        return;
    }
    const uint32_t capacity = m_count == 1 ? 1 : 1u << m_capacityLog2;
    if (m_count == capacity) {
        // Full (or a second row): a larger heap array, made before anything
        // changes, so that a failure leaves the entry as it was.
        const uint32_t log2 = m_count == 1 ? 2 : m_capacityLog2 + 1; // rows are items in memory: far below 2^31
        auto grown = std::make_unique<CGridItem*[]>(size_t{1} << log2);
        std::copy_n(Rows().begin(), m_count, grown.get());
        if (m_count > 1)
            FreeRowArray(m_many);
        m_many = grown.release(); // owned by the entry from here
        m_capacityLog2 = static_cast<uint8_t>(log2);
    }
    m_many[m_count++] = row;
}

bool CBindingTable::CEntry::RemoveRow(const CGridItem* row) noexcept
{
    if (m_count <= 1) {
        if (m_count == 0 || m_one != row)
            return false;
        m_one = nullptr;
        m_count = 0;
        return true;
    }
    CGridItem** const begin = m_many;
    CGridItem** const end = begin + m_count;
    CGridItem** const found = std::find(begin, end, row);
    if (found == end)
        return false;
    std::copy(found + 1, end, found);
    if (m_count == 2) {
        CGridItem* const last = begin[0];
        FreeRows();
        m_one = last;
        m_count = 1;
        return true;
    }
    --m_count;
    return true;
}

// ---- Table ----

size_t CBindingTable::HomeOf(const CDataObject* object) const noexcept
{
    // Fibonacci hashing: the multiplication spreads the address bits (objects
    // are 16-byte aligned, so the low ones say nothing) into the top bits.
    const uint64_t key = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(object));
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> m_shift);
}

size_t CBindingTable::FindSlot(const CDataObject* object) const noexcept
{
    if (m_capacity == 0 || !object)
        return m_capacity;
    const size_t mask = m_capacity - 1;
    for (size_t slot = HomeOf(object);; slot = (slot + 1) & mask) {
        const CDataObject* const here = m_slots[slot].m_object;
        if (here == object)
            return slot;
        if (!here)
            return m_capacity;
    }
}

CBindingTable::CEntry* CBindingTable::Find(const CDataObject* object) noexcept
{
    const size_t slot = FindSlot(object);
    return slot == m_capacity ? nullptr : &m_slots[slot];
}

const CBindingTable::CEntry* CBindingTable::Find(const CDataObject* object) const noexcept
{
    const size_t slot = FindSlot(object);
    return slot == m_capacity ? nullptr : &m_slots[slot];
}

bool CBindingTable::Add(CDataObject* object, CGridItem* row, uint64_t sequence)
{
    assert(object && row);
    if (CEntry* const entry = Find(object)) {
        entry->AddRow(row);
        ++m_bindings;
        return false;
    }
    if ((m_objects + 1) * 4 > m_capacity * 3)
        Rehash(std::max(kMinCapacity, m_capacity * 2));
    const size_t mask = m_capacity - 1;
    size_t slot = HomeOf(object);
    while (m_slots[slot].m_object)
        slot = (slot + 1) & mask;
    CEntry& entry = m_slots[slot];
    entry.m_object = object;
    entry.m_sequence = sequence;
    entry.m_dying = false;
    entry.AddRow(row); // the first row: no allocation
    ++m_objects;
    ++m_bindings;
    return true;
}

CBindingTable::RemoveResult CBindingTable::Remove(const CDataObject* object, const CGridItem* row) noexcept
{
    const size_t slot = FindSlot(object);
    if (slot == m_capacity)
        return {};
    CEntry& entry = m_slots[slot];
    if (!entry.RemoveRow(row))
        return {false, true};
    --m_bindings;
    if (entry.m_count > 0)
        return {true, true};
    EraseSlot(slot);
    return {true, false};
}

bool CBindingTable::Erase(const CDataObject* object) noexcept
{
    const size_t slot = FindSlot(object);
    if (slot == m_capacity)
        return false;
    m_bindings -= m_slots[slot].m_count;
    EraseSlot(slot);
    return true;
}

void CBindingTable::EraseSlot(size_t slot) noexcept
{
    m_slots[slot] = CEntry();
    --m_objects;
    // Shift back the entries after the hole that may live there: those whose
    // home is not in the cyclic range (hole, next].
    const size_t mask = m_capacity - 1;
    size_t hole = slot;
    for (size_t next = (hole + 1) & mask; m_slots[next].m_object; next = (next + 1) & mask) {
        const size_t home = HomeOf(m_slots[next].m_object);
        const bool homeInRange = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
        if (!homeInRange) {
            m_slots[hole] = std::move(m_slots[next]);
            m_slots[next] = CEntry();
            hole = next;
        }
    }
    // Give memory back after a bulk removal; a failed allocation only keeps
    // the larger table.
    if (m_objects * 8 < m_capacity && m_capacity > kMinCapacity) {
        try {
            Rehash(m_capacity / 2);
        } catch (...) {
        }
    }
}

void CBindingTable::Rehash(size_t capacity)
{
    Common::CLargeArray<CEntry> slots(capacity); // may throw: nothing changed yet
    const int shift = 64 - std::countr_zero(capacity);
    const size_t mask = capacity - 1;
    for (size_t old = 0; old < m_capacity; ++old) {
        CEntry& entry = m_slots[old];
        if (!entry.m_object)
            continue;
        const uint64_t key = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(entry.m_object));
        size_t slot = static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> shift);
        while (slots[slot].m_object)
            slot = (slot + 1) & mask;
        slots[slot] = std::move(entry);
    }
    m_slots = std::move(slots);
    m_capacity = capacity;
    m_shift = shift;
}

std::string CBindingTable::CheckInvariantsForTesting() const
{
    size_t objects = 0;
    size_t bindings = 0;
    for (size_t slot = 0; slot < m_capacity; ++slot) {
        const CEntry& entry = m_slots[slot];
        if (!entry.m_object) {
            if (entry.m_count || entry.m_one)
                return "a free slot holds rows";
            continue;
        }
        ++objects;
        bindings += entry.m_count;
        if (entry.m_count == 0)
            return "an entry without rows";
        if (entry.m_count > 1 && (entry.m_many == nullptr || (1u << entry.m_capacityLog2) < entry.m_count))
            return "the heap array of rows is missing or too small";
        if (entry.m_count == 1 && entry.m_one == nullptr)
            return "an entry's one row is null";
        if (FindSlot(entry.m_object) != slot)
            return "an entry is not reachable from its home slot";
    }
    if (objects != m_objects || bindings != m_bindings)
        return "object or binding count wrong";
    if (m_capacity && m_objects * 4 > m_capacity * 3)
        return "table over its load limit";
    return {};
}

} // namespace Brivel::GUI
