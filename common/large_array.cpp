#include "common/large_array.h"

#include "common/sanitizers.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace Brivel::Common {

namespace {

// Under AddressSanitizer every block comes from the heap, which its leak
// checker scans for pointers; mappings it does not look into.
#if defined(BRIVEL_ADDRESS_SANITIZER)
constexpr bool kMapLargeBlocks = false;
#else
constexpr bool kMapLargeBlocks = true;
#endif

bool IsMapped(size_t bytes) noexcept
{
    return kMapLargeBlocks && bytes >= kHugePageBytes;
}

// A mapping of `bytes` (a multiple of nothing in particular) starting on a
// 2 MiB boundary: map 2 MiB more, then unmap the ends around the aligned part.
void* MapAligned(size_t bytes)
{
    const size_t length = (bytes + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
    const size_t mapped = length + kHugePageBytes;
    void* const raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
    if (aligned > start)
        munmap(raw, aligned - start);
    const uintptr_t end = start + mapped;
    if (end > aligned + length)
        munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
#ifdef MADV_HUGEPAGE
    // Fails harmlessly where transparent huge pages are off or unknown.
    (void)madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void*>(aligned);
}

} // namespace

void* AllocateZeroedBlock(size_t bytes)
{
    if (IsMapped(bytes))
        return MapAligned(bytes);
    if (bytes >= kHugePageBytes) {
        // From the heap, but aligned as a mapping would be.
        void* const block = std::aligned_alloc(kHugePageBytes, (bytes + kHugePageBytes - 1) & ~(kHugePageBytes - 1));
        if (block == nullptr)
            throw std::bad_alloc();
        std::memset(block, 0, bytes);
        return block;
    }
    void* const block = std::calloc(1, bytes); // 16-byte aligned on this platform
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void FreeZeroedBlock(void* block, size_t bytes) noexcept
{
    if (IsMapped(bytes))
        munmap(block, (bytes + kHugePageBytes - 1) & ~(kHugePageBytes - 1));
    else
        std::free(block);
}

} // namespace Brivel::Common
