#include "gui/rows/item_pool.h"

#include "common/large_array.h"
#include "common/sanitizers.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <new>
#include <vector>

#ifdef BRIVEL_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#endif

namespace Brivel::GUI {

namespace {

// Free cells are poisoned under AddressSanitizer, so that a use of a
// destroyed item is still reported although its memory stays in the pool.
void Poison([[maybe_unused]] const void* address, [[maybe_unused]] size_t bytes) noexcept
{
#ifdef BRIVEL_ADDRESS_SANITIZER
    ASAN_POISON_MEMORY_REGION(address, bytes);
#endif
}
void Unpoison([[maybe_unused]] const void* address, [[maybe_unused]] size_t bytes) noexcept
{
#ifdef BRIVEL_ADDRESS_SANITIZER
    ASAN_UNPOISON_MEMORY_REGION(address, bytes);
#endif
}

constexpr size_t kChunkBytes = Common::kHugePageBytes;
constexpr size_t kCellSize = CItemPool::kCellSize;
static_assert(kCellSize % CItemPool::kCellAlignment == 0);

// The header's size: the fields (64 bytes at most), then a live bit per cell.
constexpr size_t kFieldBytes = 64;
constexpr size_t kCellsAtMost = (kChunkBytes - kFieldBytes) * 8 / (kCellSize * 8 + 1);
constexpr size_t kBitWords = (kCellsAtMost + 63) / 64;
constexpr size_t kHeaderBytes = (kFieldBytes + kBitWords * 8 + 63) / 64 * 64;
constexpr size_t kCells = (kChunkBytes - kHeaderBytes) / kCellSize;
static_assert(kCells <= kBitWords * 64 && kHeaderBytes % CItemPool::kCellAlignment == 0);

// The header at the start of every chunk.
struct CChunk {
    void* freeList = nullptr;      // free cells, each holding the next one's address
    CChunk* nextPartial = nullptr; // in the pool's list of chunks with room
    CChunk* prevPartial = nullptr;
    uint32_t allocated = 0;  // cells handed out
    uint32_t untouched = 0;  // the first cell never handed out
    bool inPartial = false;
    uint64_t liveBits[kBitWords] = {};
};
static_assert(offsetof(CChunk, liveBits) <= kFieldBytes && sizeof(CChunk) <= kHeaderBytes);

bool IsLiveAt(const CChunk& chunk, size_t index) noexcept
{
    return (chunk.liveBits[index / 64] & (uint64_t{1} << (index % 64))) != 0;
}

char* CellAt(CChunk* chunk, size_t index) noexcept
{
    return reinterpret_cast<char*>(chunk) + kHeaderBytes + index * kCellSize;
}

struct CPool {
    std::vector<uintptr_t> chunks; // the chunks' addresses, sorted
    CChunk* partial = nullptr;     // chunks with a free or untouched cell
    CChunk* spare = nullptr;       // an empty chunk kept while every other one is full
    size_t liveCount = 0;          // cells marked live

    void AddPartial(CChunk* chunk) noexcept
    {
        chunk->nextPartial = partial;
        chunk->prevPartial = nullptr;
        if (partial)
            partial->prevPartial = chunk;
        partial = chunk;
        chunk->inPartial = true;
    }
    void RemovePartial(CChunk* chunk) noexcept
    {
        (chunk->prevPartial ? chunk->prevPartial->nextPartial : partial) = chunk->nextPartial;
        if (chunk->nextPartial)
            chunk->nextPartial->prevPartial = chunk->prevPartial;
        chunk->nextPartial = chunk->prevPartial = nullptr;
        chunk->inPartial = false;
    }
    CChunk* AddChunk()
    {
        chunks.reserve(chunks.size() + 1); // may throw: nothing changed yet
        void* const block = Common::AllocateZeroedBlock(kChunkBytes); // 2 MiB aligned
        const auto base = reinterpret_cast<uintptr_t>(block);
        chunks.insert(std::lower_bound(chunks.begin(), chunks.end(), base), base);
        CChunk* const chunk = new (block) CChunk(); // placement: the chunk owns its own header
        Poison(CellAt(chunk, 0), kCells * kCellSize);
        AddPartial(chunk);
        return chunk;
    }
    void ReleaseChunk(CChunk* chunk) noexcept
    {
        if (spare == chunk)
            spare = nullptr;
        if (chunk->inPartial)
            RemovePartial(chunk);
        const auto base = reinterpret_cast<uintptr_t>(chunk);
        chunks.erase(std::lower_bound(chunks.begin(), chunks.end(), base));
        Unpoison(CellAt(chunk, 0), kCells * kCellSize);
        Common::FreeZeroedBlock(chunk, kChunkBytes);
    }
    void MarkLive(CChunk* chunk, size_t index, bool live) noexcept
    {
        if (IsLiveAt(*chunk, index) == live)
            return;
        chunk->liveBits[index / 64] ^= uint64_t{1} << (index % 64);
        live ? ++liveCount : --liveCount;
    }
    // The chunk and cell index of `address`; false when it is no cell's start.
    bool Locate(const void* address, CChunk*& chunk, size_t& index) const noexcept
    {
        const auto value = reinterpret_cast<uintptr_t>(address);
        const uintptr_t base = value & ~uintptr_t{kChunkBytes - 1};
        if (!std::binary_search(chunks.begin(), chunks.end(), base))
            return false;
        const size_t offset = value - base;
        if (offset < kHeaderBytes || (offset - kHeaderBytes) % kCellSize != 0)
            return false;
        index = (offset - kHeaderBytes) / kCellSize;
        if (index >= kCells)
            return false;
        chunk = reinterpret_cast<CChunk*>(base);
        return true;
    }
};

CPool& Pool()
{
    static CPool* const pool = new CPool(); // never destroyed: see the header
    return *pool;
}

} // namespace

void* CItemPool::Allocate()
{
    CPool& pool = Pool();
    CChunk* const chunk = pool.partial ? pool.partial : pool.AddChunk();
    void* cell = nullptr;
    if (chunk->freeList) {
        cell = chunk->freeList;
        Unpoison(cell, sizeof(void*));
        chunk->freeList = *static_cast<void**>(cell);
    } else {
        cell = CellAt(chunk, chunk->untouched++);
    }
    ++chunk->allocated;
    if (!chunk->freeList && chunk->untouched == kCells)
        pool.RemovePartial(chunk);
    Unpoison(cell, kCellSize);
    return cell;
}

bool CItemPool::Free(void* cell) noexcept
{
    CPool& pool = Pool();
    CChunk* chunk = nullptr;
    size_t index = 0;
    if (!pool.Locate(cell, chunk, index))
        return false;
    assert(chunk->allocated > 0 && "a cell handed out");
    pool.MarkLive(chunk, index, false); // normally done by the item's destructor already
    *static_cast<void**>(cell) = chunk->freeList;
    chunk->freeList = cell;
    Poison(cell, kCellSize);
    --chunk->allocated;
    if (!chunk->inPartial)
        pool.AddPartial(chunk);
    // An empty chunk goes back as soon as another one has room: while every
    // other one is full it stays as the spare, so that an item made and
    // destroyed over and over at a chunk's edge does not map and unmap.
    if (pool.spare && pool.spare != chunk && pool.spare->allocated == 0)
        pool.ReleaseChunk(pool.spare);
    if (chunk->allocated == 0) {
        if (chunk->nextPartial || chunk->prevPartial)
            pool.ReleaseChunk(chunk);
        else
            pool.spare = chunk;
    }
    return true;
}

bool CItemPool::SetLive(const void* cell, bool live) noexcept
{
    CPool& pool = Pool();
    CChunk* chunk = nullptr;
    size_t index = 0;
    if (!pool.Locate(cell, chunk, index))
        return false;
    pool.MarkLive(chunk, index, live);
    return true;
}

CItemPool::ECell CItemPool::CellOf(const void* address) noexcept
{
    const CPool& pool = Pool();
    CChunk* chunk = nullptr;
    size_t index = 0;
    if (!pool.Locate(address, chunk, index))
        return ECell::kNone;
    return IsLiveAt(*chunk, index) ? ECell::kLive : ECell::kFree;
}

size_t CItemPool::LiveCount() noexcept
{
    return Pool().liveCount;
}

size_t CItemPool::ChunkCountForTesting() noexcept
{
    return Pool().chunks.size();
}

} // namespace Brivel::GUI
