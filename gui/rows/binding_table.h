#pragma once
// CBindingTable: the data-object registry's map from a data object to the rows
// bound to it, in binding order. Internal to the registry
// (data_object_registry.h), which guards it with its lock.
//
// One entry per bound object, 12 bytes: the object's address (the key, never
// dereferenced here) with a dying flag in its low bit (the object announced
// its destruction; updates for it are no longer delivered), and its rows in
// binding order (one inline, more in a heap block, told apart by the low bit).
// Each address is kept in 48 bits, the user address space of the 64-bit
// platforms we run on (x86-64 and AArch64 hand out no higher addresses unless
// a program asks for them); an object or row beyond it is refused (Add).
//
// Stale packets (see dispatcher.h): a packet posted before an object's entry
// was made must not reach the entry's rows (the address may belong to a new
// object). Most entries are made while no packet is waiting at all; only an
// entry made while some were (a young entry) keeps the dispatcher's sequence
// number of its making, in a side table, until every packet older than that
// has been delivered. So the table's slots carry no sequence number, and the
// side table is empty whenever the dispatcher's queue has been drained.
//
// Structure: a COpenHashTable of entries keyed by the object's address
// (common/open_hash_table.h: linear probing, no tombstones, growing and
// shrinking a part at a time, so no Add or Remove pays for a whole rehash),
// and another of the young entries' sequence numbers. Add and Remove are O(1)
// expected plus O(rows of the object); nothing is allocated per binding while
// an object has one row and the tables do not grow.
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
    // One bound object: its address, its dying flag and its rows in binding
    // order. A plain record, moved as bytes by the table; the table frees its
    // heap block of rows, if any, when it erases the entry. All zero: a free
    // slot.
    class CEntry {
    public:
        // The key; null: a free slot.
        Common::CDataObject* Object() const noexcept
        {
            return reinterpret_cast<Common::CDataObject*>(ObjectWord() & ~kDyingBit);
        }
        bool IsDying() const noexcept { return (ObjectWord() & kDyingBit) != 0; } // the object announced its destruction
        void SetDying() noexcept { m_objectLow |= kDyingBit; } // marks it so

        // The rows of an entry in binding order, as a range of row pointers:
        // a copy of the one row, or the entry's heap block. Valid while this
        // range lives and the table does not change; name it before taking
        // begin and end apart (two calls give two ranges).
        class CRows {
        public:
            CGridItem* const* begin() const noexcept { return m_block ? m_block : &m_one; } // the first row
            CGridItem* const* end() const noexcept { return begin() + m_count; } // past the last row
            size_t size() const noexcept { return m_count; } // how many rows
            CGridItem* front() const noexcept { return *begin(); } // the first row (there is one)

        private:
            friend class CEntry;
            CGridItem* m_one = nullptr;
            CGridItem* const* m_block = nullptr;
            size_t m_count = 0;
        };
        // The rows bound to the object, in binding order.
        CRows Rows() const noexcept
        {
            CRows rows;
            if (HasBlock()) {
                rows.m_block = Block()->Rows();
                rows.m_count = Block()->count;
            } else {
                rows.m_one = OneRow();
                rows.m_count = rows.m_one ? 1 : 0;
            }
            return rows;
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

        // Objects and rows are at least pointer-aligned, heap blocks more:
        // their addresses' low bit is free for a flag.
        static constexpr uint64_t kDyingBit = 1; // in the object word
        static constexpr uint64_t kBlockBit = 1; // in the rows word: it holds a CRowBlock's address

        static constexpr int kAddressBits = 48; // see the top of this file
        static bool Fits(const void* address) noexcept
        {
            return (static_cast<uint64_t>(reinterpret_cast<uintptr_t>(address)) >> kAddressBits) == 0;
        }
        uint64_t ObjectWord() const noexcept { return uint64_t{m_objectHigh} << 32 | m_objectLow; }
        void SetObjectWord(uint64_t word) noexcept
        {
            m_objectLow = static_cast<uint32_t>(word);
            m_objectHigh = static_cast<uint16_t>(word >> 32);
        }
        uint64_t RowsWord() const noexcept { return uint64_t{m_rowsHigh} << 32 | m_rowsLow; }
        void SetRowsWord(uint64_t word) noexcept
        {
            m_rowsLow = static_cast<uint32_t>(word);
            m_rowsHigh = static_cast<uint16_t>(word >> 32);
        }
        // The one row; null without rows (and while there is a block).
        CGridItem* OneRow() const noexcept
        {
            return HasBlock() ? nullptr : reinterpret_cast<CGridItem*>(static_cast<uintptr_t>(RowsWord()));
        }
        void SetOneRow(CGridItem* row) noexcept { SetRowsWord(reinterpret_cast<uintptr_t>(row)); }
        bool HasBlock() const noexcept { return (m_rowsLow & kBlockBit) != 0; }
        CRowBlock* Block() const noexcept
        {
            return reinterpret_cast<CRowBlock*>(static_cast<uintptr_t>(RowsWord() & ~kBlockBit));
        }
        void SetBlock(CRowBlock* block) noexcept { SetRowsWord(reinterpret_cast<uintptr_t>(block) | kBlockBit); }
        static CRowBlock* NewRowBlock(uint32_t capacity); // throws std::bad_alloc
        static void FreeRowBlock(CRowBlock* block) noexcept;
        // Appends `row`; false, changing nothing, for a heap block beyond
        // the 48 bits. Throws std::bad_alloc, changing nothing.
        bool AddRow(CGridItem* row);
        bool RemoveRow(const CGridItem* row) noexcept;
        void FreeRows() noexcept; // frees the heap block of rows, if any; no rows after

        // Two 48-bit words in 4-byte pieces, so that a slot takes 12 bytes:
        // the object's address | kDyingBit (0: a free slot), and the one
        // row's address or a CRowBlock's | kBlockBit (0: no rows).
        uint32_t m_objectLow = 0;
        uint16_t m_objectHigh = 0;
        uint16_t m_rowsHigh = 0;
        uint32_t m_rowsLow = 0;
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

    // What Add did.
    enum class AddResult {
        kRefused, // nothing: an address beyond 48 bits (see the top of this file)
        kAdded,   // the row joined the object's entry
        kCreated, // the object's entry was made with the row
    };
    // Appends `row` to the object's rows, making the object's entry when it
    // had none: `sequence` is the dispatcher's sequence number now,
    // `processedThrough` the lowest one not delivered yet; below `sequence`
    // there are packets still to come, the entry is young (see the top of
    // this file). Throws std::bad_alloc, changing nothing.
    AddResult Add(Common::CDataObject* object, CGridItem* row, uint64_t sequence, uint64_t processedThrough);
    // Erases the first pair (object, row), keeping the order of the rest.
    RemoveResult Remove(const Common::CDataObject* object, const CGridItem* row) noexcept;
    // Erases the object's entry with all its rows; false when it had none.
    bool Erase(const Common::CDataObject* object) noexcept;

    // Whether a packet posted at `sequence` for `entry`'s object is older
    // than the entry, and so not about the object the entry is for.
    bool IsStale(const CEntry& entry, uint64_t sequence) const noexcept
    {
        if (m_young.Size() == 0) [[likely]]
            return false;
        const CYoung* const young = m_young.Find(KeyOf(entry.Object()));
        return young && sequence < young->sequence;
    }
    // Every packet below `processedThrough` has been delivered: the young
    // entries' sequence numbers go once none of them can matter any more.
    void ForgetYoungBefore(uint64_t processedThrough) noexcept;

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
    size_t YoungCountForTesting() const noexcept { return m_young.Size(); } // for tests: young entries remembered

private:
    static_assert(sizeof(CEntry) == 12, "one slot per bound object, and up to two slots' room each: keep it small");

    struct CKeyOf {
        uintptr_t operator()(const CEntry& entry) const noexcept { return KeyOf(entry.Object()); }
    };
    static uintptr_t KeyOf(const Common::CDataObject* object) noexcept
    {
        return reinterpret_cast<uintptr_t>(object);
    }
    // A young entry's object and the sequence number of its making.
    struct CYoung {
        uintptr_t object = 0; // 0: free slot
        uint64_t sequence = 0;
    };
    struct CYoungKeyOf {
        uintptr_t operator()(const CYoung& young) const noexcept { return young.object; }
    };

    void ForgetYoung(const Common::CDataObject* object) noexcept; // its entry is erased

    Common::COpenHashTable<CEntry, CKeyOf> m_entries;
    Common::COpenHashTable<CYoung, CYoungKeyOf> m_young; // empty but while a backlog that predates entries drains
    uint64_t m_youngMax = 0; // the highest sequence number in m_young
    size_t m_bindings = 0;
};

} // namespace Brivel::GUI
