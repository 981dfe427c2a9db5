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
    // as bytes by the table; the table frees its heap array of rows, if any,
    // when it erases the entry. All zero: a free slot.
    class CEntry {
    public:
        Common::CDataObject* Object() const noexcept { return m_object; } // the key; null: a free slot
        uint64_t Sequence() const noexcept { return m_sequence; } // the dispatcher's sequence number at the first binding
        bool IsDying() const noexcept { return m_dying; } // the object announced its destruction
        void SetDying() noexcept { m_dying = true; } // marks it so
        // The rows bound to the object, in binding order; valid until the
        // next change of the table.
        std::span<CGridItem* const> Rows() const noexcept
        {
            return {m_count > 1 ? m_many : &m_one, m_count};
        }
        bool ContainsRow(const CGridItem* row) const noexcept; // `row` is one of them

    private:
        friend class CBindingTable;
        void AddRow(CGridItem* row);
        bool RemoveRow(const CGridItem* row) noexcept;
        void FreeRows() noexcept; // frees the heap array of rows, if any; no rows after

        // 32 bytes, half a cache line: a million bound objects take a table
        // of two million of these.
        Common::CDataObject* m_object = nullptr; // null: free slot
        uint64_t m_sequence = 0;
        union {
            CGridItem* m_one = nullptr; // the row, while m_count is at most 1
            CGridItem** m_many;         // while m_count > 1: 1 << m_capacityLog2 slots,
                                        // owned (made and freed by AddRow, RemoveRow, FreeRows)
        };
        uint32_t m_count = 0;
        uint8_t m_capacityLog2 = 0;
        bool m_dying = false;
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
    bool IsResizingForTesting() const noexcept { return m_entries.IsResizingForTesting(); } // for tests: a resize is under way

private:
    static_assert(sizeof(CEntry) == 32, "one slot per bound object, doubled at most: keep it small");

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
