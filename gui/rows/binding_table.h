#pragma once
// CBindingTable: the data-object registry's map from a data object to the rows
// bound to it, in binding order. Internal to the registry
// (data_object_registry.h), which guards it with its lock.
//
// One entry per bound object: the object's address (the key, never
// dereferenced here), its rows in binding order (one inline, more on the
// heap), the sequence number of the dispatcher at the object's first binding
// (update packets posted before it are stale, see dispatcher.h) and a dying
// flag (the object announced its destruction; updates for it are no longer
// delivered).
//
// Structure: a COpenHashTable of entries keyed by the object's address
// (common/open_hash_table.h: linear probing, no tombstones, growing and
// shrinking a part at a time, so no Add or Remove pays for a whole rehash).
// Add and Remove are O(1) expected plus O(rows of the object); nothing is
// allocated per binding while an object has one row and the table does not
// grow.
//
// Ownership: owns its slots and the heap arrays of rows; borrows the objects
// and rows (plain addresses).
//
// Thread: one thread at a time (the registry's lock).

#include "common/open_hash_table.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace Brivel::Common {
class CDataObject;
}

namespace Brivel::GUI {

class CGridItem;

// The registry's map from a data object to its rows (see the top of this file).
class CBindingTable {
public:
    // One bound object: its address, its rows in binding order, the sequence
    // number of its first binding and its dying flag. A plain record, moved
    // as bytes by the table; the table frees its heap block of rows, if any,
    // when it erases the entry. All zero: a free slot.
    class CEntry {
    public:
        Common::CDataObject* Object() const noexcept { return m_object; } // the key; null: a free slot
        // The dispatcher's sequence number at the first binding (kept in 56
        // bits: numbers from 2^56 on, some centuries of changes away, are
        // kept as 2^56 - 1).
        uint64_t Sequence() const noexcept { return m_state & kSequenceMask; }
        bool IsDying() const noexcept { return (m_state & kDyingBit) != 0; } // the object announced its destruction
        void SetDying() noexcept { m_state |= kDyingBit; } // marks it so
        // The rows bound to the object, in binding order; valid until the
        // next change of the table.
        std::span<CGridItem* const> Rows() const noexcept
        {
            if (m_state & kManyBit)
                return {m_many->Rows(), m_many->count};
            return {&m_one, m_one ? 1u : 0u};
        }
        size_t RowCount() const noexcept { return Rows().size(); } // how many rows
        bool ContainsRow(const CGridItem* row) const noexcept; // `row` is one of them

    private:
        friend class CBindingTable;

        // The rows while there are more than one: a header, then `capacity`
        // row slots, in one block of raw memory owned by the entry (made by
        // AddRow, freed by RemoveRow and FreeRows).
        struct CRowBlock {
            uint32_t count;
            uint32_t capacity;
            CGridItem** Rows() noexcept { return reinterpret_cast<CGridItem**>(this + 1); }
        };

        static constexpr uint64_t kSequenceMask = (uint64_t{1} << 56) - 1;
        static constexpr uint64_t kDyingBit = uint64_t{1} << 62;
        static constexpr uint64_t kManyBit = uint64_t{1} << 63; // m_many holds the rows

        void SetSequence(uint64_t sequence) noexcept
        {
            m_state = (m_state & ~kSequenceMask) | std::min(sequence, kSequenceMask);
        }
        static CRowBlock* NewRowBlock(uint32_t capacity); // throws std::bad_alloc
        static void FreeRowBlock(CRowBlock* block) noexcept;
        void AddRow(CGridItem* row);
        bool RemoveRow(const CGridItem* row) noexcept;
        void FreeRows() noexcept; // frees the heap block of rows, if any; no rows after

        // 24 bytes: a million bound objects take a table of two million of these.
        Common::CDataObject* m_object = nullptr; // null: free slot
        uint64_t m_state = 0; // the sequence number (bits 0 to 55), kDyingBit, kManyBit
        union {
            CGridItem* m_one = nullptr; // the row or null, while kManyBit is clear
            CRowBlock* m_many;          // while kManyBit is set
        };
    };

    // What Remove did.
    struct RemoveResult {
        bool erased = false;     // the pair had an entry
        bool stillBound = false; // the object has rows left
    };

    CBindingTable() = default;
    CBindingTable(const CBindingTable&) = delete;
    CBindingTable& operator=(const CBindingTable&) = delete;
    ~CBindingTable(); // frees the entries' heap arrays of rows

    // Appends `row` to the object's rows. When the object had no entry, it is
    // created with `sequence` and the result is true.
    bool Add(Common::CDataObject* object, CGridItem* row, uint64_t sequence);
    // Erases the first pair (object, row), keeping the order of the rest.
    RemoveResult Remove(const Common::CDataObject* object, const CGridItem* row) noexcept;
    // Erases the object's entry with all its rows; false when it had none.
    bool Erase(const Common::CDataObject* object) noexcept;

    // Starts loading the cache line where the object's entry would begin
    // its search, ahead of a Find; a hint only, changing nothing.
    void Prefetch(const Common::CDataObject* object) const noexcept { m_entries.Prefetch(KeyOf(object)); }

    // The object's entry; null when it has none.
    CEntry* Find(const Common::CDataObject* object) noexcept { return m_entries.Find(KeyOf(object)); }
    const CEntry* Find(const Common::CDataObject* object) const noexcept { return m_entries.Find(KeyOf(object)); }
    // Whether the pair (object, row) is bound.
    bool Contains(const Common::CDataObject* object, const CGridItem* row) const noexcept
    {
        const CEntry* entry = Find(object);
        return entry && entry->ContainsRow(row);
    }

    size_t ObjectCount() const noexcept { return m_entries.Size(); } // objects with an entry
    size_t BindingCount() const noexcept { return m_bindings; } // (object, row) pairs

    // Calls f(const CEntry&) for every entry; f must not change the table.
    template <class F>
    void ForEach(F&& f) const
    {
        m_entries.ForEach([&f](const CEntry& entry) { f(entry); });
    }

    // Probe chains unbroken, counts right, every entry non-empty. Empty when
    // they hold, else the first fault found.
    std::string CheckInvariantsForTesting() const;
    size_t CapacityForTesting() const noexcept { return m_entries.CapacityForTesting(); } // for tests: the slot count

private:
    static_assert(sizeof(CEntry) == 24, "one slot per bound object, doubled at most: keep it small");

    struct CKeyOf {
        uintptr_t operator()(const CEntry& entry) const noexcept { return KeyOf(entry.Object()); }
    };
    static uintptr_t KeyOf(const Common::CDataObject* object) noexcept
    {
        return reinterpret_cast<uintptr_t>(object);
    }

    Common::COpenHashTable<CEntry, CKeyOf> m_entries;
    size_t m_bindings = 0;
};

} // namespace Brivel::GUI
