#pragma once
// COpenHashTable<TSlot, TKeyOf>: a hash table keyed by an address, for the
// grid's per-row tables (the registry's binding table, the live-item set),
// which reach millions of entries and must never stall the call that makes
// them grow.
//
// Structure: open addressing with linear probing over a power-of-two array of
// slots, Fibonacci hashing of the key, at most 3/4 full, shrinking below 1/8.
// Erasure shifts the following entries back, so there are no tombstones and
// a steady churn never degrades lookups.
//
// Resizing is incremental. When the table must grow (or may shrink), a new
// array is made and the old one is kept as the draining table; every later
// Insert and Erase moves a few of its entries across (kDrainStep, an empty
// slot passed counting an eighth of an entry), a whole run of occupied slots
// at a time, starting from an empty slot. A run is taken
// whole because an entry's probe chain lies within its run: lookups in the
// draining table stay correct for whatever it still holds. Lookups search
// both arrays while a resize is under way. The step is large enough that the
// draining table is empty long before the new array can need to grow again
// (a doubling from C slots moves 3/4 C entries and passes C/4 empty slots
// within some C/70 inserts; the next doubling comes 3/4 C inserts later; a
// halving below C/8 entries is drained within C/256 erases, the next halving
// comes C/16 erases later); should one still be pending then, it is finished
// first. A new array's pages are zero and touched only
// as entries arrive (CLargeArray), so neither its allocation nor its filling
// happens inside one call.
//
// TSlot: trivially copyable (the table moves slots as bytes), whose all-zero
// value is a free slot and whose key, read by TKeyOf()(slot), is non-zero in
// every used one. The table never dereferences keys and owns nothing the slots
// point to: whoever erases a slot first releases what it owns.
//
// Slot addresses returned by Find and Insert are valid until the next Insert
// or Erase. Thread: one thread at a time, as the owner's rules say.

#include "common/large_array.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>

namespace Brivel::Common {

// See the top of this file.
template <class TSlot, class TKeyOf>
class COpenHashTable {
    static_assert(std::is_trivially_copyable_v<TSlot> && std::is_trivially_destructible_v<TSlot>,
                  "slots are moved as bytes and freed without destructors");

public:
    // `minCapacity` (a power of two) is the smallest array the table keeps.
    explicit COpenHashTable(size_t minCapacity = 16) noexcept : m_minCapacity(minCapacity)
    {
        assert(minCapacity >= 2 && std::has_single_bit(minCapacity) && "the minimum capacity is a power of two");
    }
    COpenHashTable(const COpenHashTable&) = delete;
    COpenHashTable& operator=(const COpenHashTable&) = delete;
    ~COpenHashTable() = default;

    size_t Size() const noexcept { return m_table.size + m_draining.size; } // used slots
    // The slot whose key is `key`; null when there is none (and for key 0).
    TSlot* Find(uintptr_t key) noexcept { return const_cast<TSlot*>(std::as_const(*this).Find(key)); }
    const TSlot* Find(uintptr_t key) const noexcept
    {
        if (key == 0)
            return nullptr;
        if (m_draining.size == 0) [[likely]]
            return m_table.Find(key);
        // Search the fuller array first: most keys are found at the first try.
        const CArray& first = m_draining.size > m_table.size ? m_draining : m_table;
        const CArray& second = &first == &m_table ? m_draining : m_table;
        if (const TSlot* const slot = first.Find(key))
            return slot;
        return second.Find(key);
    }
    // Starts loading the cache line where a search for `key` begins; a hint only.
    void Prefetch(uintptr_t key) const noexcept
    {
        // Without branches: an absent array has a null block and a zero mask,
        // and a prefetch of any address is harmless.
        PrefetchSlot(m_table.slots.Data() + m_table.Home(key));
        PrefetchSlot(m_draining.slots.Data() + m_draining.Home(key));
    }

    // Stores `slot`, whose key must be non-zero and not in the table yet;
    // returns where it now lives. Throws std::bad_alloc when a larger array
    // cannot be had (nothing changed then).
    TSlot* Insert(const TSlot& slot);
    // Frees `slot`, a used slot returned by Find or Insert, shifting back the
    // entries after it.
    void Erase(TSlot* slot) noexcept;
    // Frees every slot and gives the arrays back.
    void Clear() noexcept
    {
        m_table = CArray();
        m_draining = CArray();
        m_cursor = 0;
    }

    // Calls f(TSlot&) or f(const TSlot&) for every used slot; f must not
    // change the table.
    template <class F>
    void ForEach(F&& f) const
    {
        VisitUsed(*this, f);
    }
    template <class F>
    void ForEach(F&& f)
    {
        VisitUsed(*this, f);
    }

    // Probe chains unbroken, counts right, load within bounds. Empty when
    // they hold, else the first fault found.
    std::string CheckInvariantsForTesting() const;
    size_t CapacityForTesting() const noexcept { return m_table.Capacity(); } // the receiving array's slots
    bool IsResizingForTesting() const noexcept { return m_draining.size != 0; } // a draining array is left

private:
    // Entries moved out of the draining array per Insert or Erase; an empty
    // slot passed costs 1/kEmptyPerEntry of one (a sequential read).
    // Large, so that a resize is soon over: meanwhile a lookup may search
    // two arrays. A few microseconds of moves per call at most.
    static constexpr size_t kDrainStep = 64;
    static constexpr size_t kEmptyPerEntry = 8;

    static uintptr_t KeyOf(const TSlot& slot) noexcept { return TKeyOf()(slot); }
    static void PrefetchSlot(const TSlot* slot) noexcept
    {
        __builtin_prefetch(slot);
        // GCC judges a function whose only effect is a prefetch to have none
        // and drops the calls to it (Prefetch above): the empty statement
        // marks an effect it cannot see through.
        asm volatile("" : : "r"(slot));
    }

    // One power-of-two array of slots.
    struct CArray {
        CLargeArray<TSlot> slots;
        size_t mask = 0;  // capacity - 1; capacity 0: no array
        int shift = 63;   // 64 - log2(capacity); any shift below 64 while there is no array
        size_t size = 0;  // used slots

        size_t Capacity() const noexcept { return slots.Size(); }
        size_t Home(uintptr_t key) const noexcept
        {
            // Fibonacci hashing: the multiplication spreads the address bits
            // (the low ones are zero by alignment) into the top bits.
            return static_cast<size_t>((static_cast<uint64_t>(key) * 0x9E3779B97F4A7C15ull) >> shift) & mask;
        }
        const TSlot* Find(uintptr_t key) const noexcept
        {
            if (size == 0)
                return nullptr;
            for (size_t index = Home(key);; index = (index + 1) & mask) {
                const uintptr_t here = KeyOf(slots[index]);
                if (here == key)
                    return &slots[index];
                if (here == 0)
                    return nullptr;
            }
        }
        TSlot* Place(const TSlot& slot) noexcept // room is known to be there
        {
            size_t index = Home(KeyOf(slot));
            while (KeyOf(slots[index]) != 0)
                index = (index + 1) & mask;
            slots[index] = slot;
            ++size;
            return &slots[index];
        }
        void EraseAt(size_t index) noexcept;
    };

    // ForEach for a const or non-const table: `self`'s constness reaches f.
    template <class Self, class F>
    static void VisitUsed(Self& self, F& f)
    {
        for (auto* array : {&self.m_table, &self.m_draining})
            for (size_t index = 0; index < array->slots.Size() && array->size != 0; ++index)
                if (KeyOf(array->slots[index]) != 0)
                    f(array->slots[index]);
    }

    static CArray MakeArray(size_t capacity); // may throw std::bad_alloc
    void StartResize(size_t capacity);        // may throw std::bad_alloc: nothing changed then
    void Drain(size_t budget) noexcept; // budget: in empty slots, an entry costs kEmptyPerEntry

    size_t m_minCapacity;
    CArray m_table;      // receives every insert
    CArray m_draining;   // the previous array while a resize is under way
    size_t m_cursor = 0; // the next slot of m_draining to move: the start of a run or empty
};

// ---- Out of line: erasure, resizing, checks ----

template <class TSlot, class TKeyOf>
void COpenHashTable<TSlot, TKeyOf>::CArray::EraseAt(size_t index) noexcept
{
    // Shift back the entries after the hole that may live there: those whose
    // home is not in the cyclic range (hole, next]. Entries only move back,
    // within their own run.
    size_t hole = index;
    for (size_t next = (hole + 1) & mask; KeyOf(slots[next]) != 0; next = (next + 1) & mask) {
        const size_t home = Home(KeyOf(slots[next]));
        if (((next - home) & mask) >= ((next - hole) & mask)) {
            slots[hole] = slots[next];
            hole = next;
        }
    }
    std::memset(static_cast<void*>(&slots[hole]), 0, sizeof(TSlot));
    --size;
}

template <class TSlot, class TKeyOf>
typename COpenHashTable<TSlot, TKeyOf>::CArray COpenHashTable<TSlot, TKeyOf>::MakeArray(size_t capacity)
{
    assert(capacity >= 2 && std::has_single_bit(capacity));
    CArray array;
    array.slots = CLargeArray<TSlot>(capacity);
    array.mask = capacity - 1;
    array.shift = 64 - std::countr_zero(capacity);
    return array;
}

template <class TSlot, class TKeyOf>
void COpenHashTable<TSlot, TKeyOf>::StartResize(size_t capacity)
{
    assert(m_draining.size == 0 && "one resize at a time");
    CArray fresh = MakeArray(capacity); // may throw: nothing changed yet
    m_draining = std::move(m_table);
    m_table = std::move(fresh);
    if (m_draining.size == 0) {
        m_draining = CArray();
        return;
    }
    // Start at an empty slot, so that every run is met from its first slot;
    // at most 3/4 of the array is used, so one is near.
    m_cursor = 0;
    while (KeyOf(m_draining.slots[m_cursor]) != 0)
        ++m_cursor;
}

template <class TSlot, class TKeyOf>
void COpenHashTable<TSlot, TKeyOf>::Drain(size_t budget) noexcept
{
    while (m_draining.size != 0 && budget != 0) {
        // A whole run at a time: a run cut in two would break the probe
        // chains of what stays behind.
        while (KeyOf(m_draining.slots[m_cursor]) != 0) {
            m_table.Place(m_draining.slots[m_cursor]);
            std::memset(static_cast<void*>(&m_draining.slots[m_cursor]), 0, sizeof(TSlot));
            --m_draining.size;
            m_cursor = (m_cursor + 1) & m_draining.mask;
            budget -= std::min(budget, kEmptyPerEntry);
        }
        m_cursor = (m_cursor + 1) & m_draining.mask;
        if (budget != 0)
            --budget;
    }
    if (m_draining.size == 0 && m_draining.Capacity() != 0)
        m_draining = CArray(); // gives the old array back
}

template <class TSlot, class TKeyOf>
TSlot* COpenHashTable<TSlot, TKeyOf>::Insert(const TSlot& slot)
{
    assert(KeyOf(slot) != 0 && !Find(KeyOf(slot)) && "a new, non-zero key");
    if ((Size() + 1) * 4 > m_table.Capacity() * 3) {
        Drain(SIZE_MAX); // only when the last resize is still pending: see the top of the file
        StartResize(m_table.Capacity() == 0 ? m_minCapacity : m_table.Capacity() * 2);
    } else {
        Drain(kDrainStep * kEmptyPerEntry);
    }
    return m_table.Place(slot);
}

template <class TSlot, class TKeyOf>
void COpenHashTable<TSlot, TKeyOf>::Erase(TSlot* slot) noexcept
{
    const auto within = [slot](const CArray& array) {
        return array.Capacity() != 0 && slot >= &array.slots[0] && slot < &array.slots[0] + array.Capacity();
    };
    CArray& array = within(m_table) ? m_table : m_draining;
    assert(within(array) && KeyOf(*slot) != 0 && "a used slot of this table");
    array.EraseAt(static_cast<size_t>(slot - &array.slots[0]));
    Drain(kDrainStep * kEmptyPerEntry);
    // Give memory back after a bulk removal; a failed allocation only keeps
    // the larger array.
    if (m_draining.size == 0 && m_table.Capacity() > m_minCapacity && m_table.size * 8 < m_table.Capacity()) {
        try {
            StartResize(m_table.Capacity() / 2);
        } catch (...) {
        }
    }
}

template <class TSlot, class TKeyOf>
std::string COpenHashTable<TSlot, TKeyOf>::CheckInvariantsForTesting() const
{
    for (const CArray* array : {&m_table, &m_draining}) {
        size_t used = 0;
        for (size_t index = 0; index < array->Capacity(); ++index) {
            const uintptr_t key = KeyOf(array->slots[index]);
            if (key == 0)
                continue;
            ++used;
            if (array->Find(key) != &array->slots[index])
                return "an entry is not reachable from its home slot";
            if (array == &m_table && m_draining.Find(key))
                return "a key is in both arrays";
        }
        if (used != array->size)
            return "a used-slot count is wrong";
    }
    if (m_table.Capacity() != 0 && Size() * 4 > m_table.Capacity() * 3)
        return "the table is over its load limit";
    if (m_draining.size == 0 && m_draining.Capacity() != 0)
        return "an empty draining array is kept";
    return {};
}

// The key of a slot that is an address itself.
struct CAddressKey {
    uintptr_t operator()(uintptr_t slot) const noexcept { return slot; } // the slot is the key
};
// A set of addresses (non-zero), each slot one of them.
using CAddressSet = COpenHashTable<uintptr_t, CAddressKey>;

} // namespace Brivel::Common
