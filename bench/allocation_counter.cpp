#include "bench/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {

thread_local uint64_t t_allocations = 0;

} // namespace

namespace Brivel::Bench {

uint64_t AllocationsOnThisThread() noexcept
{
    return t_allocations;
}

} // namespace Brivel::Bench

// Not inlined: the compiler would otherwise pair the malloc inside with the
// library's operator delete and warn of a mismatch.
[[gnu::noinline]] void* operator new(std::size_t size)
{
    ++t_allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return ::operator new(size);
}

// The library's own operator delete frees with std::free, which matches the
// std::malloc above, so the deletes are not replaced.
