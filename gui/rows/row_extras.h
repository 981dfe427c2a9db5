#pragma once
// CRowExtras: the parts of a row item that most rows never need, kept in one
// heap block behind one pointer: the cached sort values (while the row's list
// is sorted), the highlight records (once the row has changed) and the address
// of the row's children list (once it has had a child). A row with none of
// them holds no block. A grid holds a million rows and more, so the item
// itself carries only this pointer.
//
// Block layout: a header (the sort value count, the record count, the
// records' room and the children list's address), then the sort values, then
// the records' room.
//
// Ownership: owns the block, its sort values and records; the children list
// is the item's (the block only keeps its address across its own changes).
// Thread: that of its item (the GUI thread).

#include "common/field_value.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>

namespace Brivel::GUI {

struct HighlightRecord;

// See the top of this file.
class CRowExtras {
public:
    CRowExtras() noexcept = default;
    CRowExtras(const CRowExtras&) = delete;
    CRowExtras& operator=(const CRowExtras&) = delete;
    ~CRowExtras() { Free(); }

    // The cached sort values; empty without a block.
    std::span<Common::CFieldValue> SortValues() const noexcept
    {
        if (!m_block)
            return {};
        return {ValuesOf(m_block), Header().sortCount};
    }
    // The records' room: RecordCapacity() slots; null without a block.
    HighlightRecord* Records() const noexcept
    {
        return m_block ? reinterpret_cast<HighlightRecord*>(m_block + RecordsOffset(Header().sortCount)) : nullptr;
    }
    // How many records the block has room for; 0 without a block.
    int32_t RecordCapacity() const noexcept { return m_block ? Header().capacity : 0; }
    // How many of them are in use; 0 without a block.
    int32_t RecordCount() const noexcept { return m_block ? Header().recordCount : 0; }
    // Sets that count: 0 to RecordCapacity(), which must not be 0.
    void SetRecordCount(int32_t count) noexcept
    {
        Header().recordCount = static_cast<uint16_t>(count);
    }
    // The first cache line of the block (a hint for a run of changes).
    const void* Address() const noexcept { return m_block; }

    // The children list's address kept here; null without one.
    void* Children() const noexcept { return m_block ? Header().children : nullptr; }
    // Keeps `children` (null: none), making a block for it if there is
    // none; false, changing nothing, when that block cannot be had.
    bool SetChildren(void* children) noexcept;

    // Replaces the sort values by `count` (at most 65 535) empty ones,
    // keeping the records and their room. Throws std::bad_alloc, leaving
    // everything as it was.
    void ResetSortValues(size_t count);
    // Gives the records room for `capacity` (at most 65 535), keeping them
    // and the sort values. Throws std::bad_alloc, leaving everything as it
    // was.
    void GrowRecords(int32_t capacity);

private:
    struct CHeader {
        uint16_t sortCount;
        uint16_t recordCount;
        int32_t capacity;
        void* children; // not owned here: the item's
    };
    // Where the sort values begin, aligned for them; the records follow them.
    static constexpr size_t kValuesOffset = std::max(sizeof(CHeader), alignof(Common::CFieldValue));
    static_assert(kValuesOffset % alignof(Common::CFieldValue) == 0);

    const CHeader& Header() const noexcept { return *std::launder(reinterpret_cast<const CHeader*>(m_block)); }
    CHeader& Header() noexcept { return *std::launder(reinterpret_cast<CHeader*>(m_block)); }
    static Common::CFieldValue* ValuesOf(std::byte* block) noexcept
    {
        return std::launder(reinterpret_cast<Common::CFieldValue*>(block + kValuesOffset));
    }
    static size_t RecordsOffset(size_t sortCount) noexcept
    {
        return kValuesOffset + sortCount * sizeof(Common::CFieldValue);
    }

    // A new block with `sortCount` empty sort values and room for
    // `capacity` records, this one's records and children address copied
    // into it.
    std::byte* MakeBlock(size_t sortCount, int32_t capacity) const;
    // Destroys this block's sort values and frees it, taking `next` instead.
    void Replace(std::byte* next) noexcept;
    void Free() noexcept { Replace(nullptr); }

    std::byte* m_block = nullptr; // CHeader, sort values, records; null: none
};

} // namespace Brivel::GUI
