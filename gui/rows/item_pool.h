#pragma once
// CItemPool: the memory grid items live in. A grid holds a million items and
// more, each the size of CGridItem: from the general heap each would cost a
// block header, and a bulk add would fault in fresh 4 KiB pages one by one
// (on a virtual machine some microseconds each, a large share of an add).
// The pool carves them from 2 MiB chunks, 2 MiB aligned and offered huge
// pages (common/large_array.h), so a million items take some 55 chunks and
// as few page faults.
//
// It also answers, without touching the cell, whether an address is the
// start of a live item's cell: the chunk is found from the address (its
// 2 MiB boundary, looked up among the pool's chunks) and each chunk keeps a
// bit per cell, set while an item lives in it (CLiveItems, live_items.h,
// uses this for items of the pool's size).
//
// Layout of a chunk: a header (free list, counts, links, the live bits),
// then kCellSize-byte cells. Cells are handed out from a chunk's free list,
// else from its untouched tail, so a new chunk's pages are faulted in only as
// items arrive. A chunk whose cells are all free is given back, unless every
// other chunk is full (then it is kept as the one spare until another chunk
// has room again).
//
// Ownership: the pool owns its chunks; it is never destroyed (items may be
// destroyed by other static objects at exit). Thread: GUI thread only, like
// the items.

#include <cstddef>

namespace Brivel::GUI {

class CItemPool {
public:
    static constexpr size_t kCellSize = 64; // CGridItem's size, checked beside it
    static constexpr size_t kCellAlignment = 64; // each cell one cache line (chunks are huge-page aligned)

    // What an address is to the pool.
    enum class ECell { kNone, kFree, kLive };

    // A cell of kCellSize bytes; throws std::bad_alloc.
    static void* Allocate();
    // Gives back a cell that Allocate returned; false, doing nothing, when
    // `cell` is not one of the pool's cells.
    static bool Free(void* cell) noexcept;
    // Marks a cell as holding a live item, or not; false, doing nothing,
    // when `cell` is not one of the pool's cells.
    static bool SetLive(const void* cell, bool live) noexcept;
    // kNone when `address` is not the start of one of the pool's cells.
    // Never dereferences `address`.
    static ECell CellOf(const void* address) noexcept;
    static size_t LiveCount() noexcept; // cells marked live
    static size_t ChunkCountForTesting() noexcept; // the chunks held
};

} // namespace Brivel::GUI
