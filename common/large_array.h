#pragma once
// CLargeArray<T>: a fixed-size, zero-filled array for the slots of large hash
// tables (COpenHashTable: the grid's binding table, the live-item set), which
// reach tens of megabytes with a million rows.
//
// Why not `std::unique_ptr<T[]>`: that allocates and fills the whole block at
// once, inside whatever call made the table grow. On 4 KiB pages a 16 MiB
// block costs 4 096 page faults there (about 10 us each on a virtual machine:
// some 45 ms in one call), and its random probes miss the TLB later. A block
// of 2 MiB or more is therefore mapped straight from the kernel, whose pages
// are zero until first touched: it is never filled, each page is faulted in
// by the first entry that lands on it. It is 2 MiB aligned and offered
// transparent huge pages (madvise; a hint that changes nothing where the
// kernel does not use them). Smaller blocks, and every block in builds with
// AddressSanitizer (whose leak checker looks for pointers only in the heap),
// come zero-filled from the heap.
//
// T: trivially copyable and destructible, its all-zero value meaningful (a
// free slot): elements are never constructed or destroyed, only zeroed.
//
// Ownership: owns its block. Thread: as the table that holds it.

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

namespace Brivel::Common {

// The blocks under CLargeArray, also used on their own (the grid's item
// pool takes its 2 MiB chunks from here).
inline constexpr size_t kHugePageBytes = size_t{2} << 20;
// A zero-filled block of `bytes`, aligned to 16 bytes, or to 2 MiB when it is
// that large (in every build), mapped as described at the top of this file;
// throws std::bad_alloc.
void* AllocateZeroedBlock(size_t bytes);
// Frees a block that AllocateZeroedBlock returned for the same `bytes`.
void FreeZeroedBlock(void* block, size_t bytes) noexcept;

// See the top of this file.
template <class T>
class CLargeArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                  "elements are zeroed, never constructed or destroyed");
    static_assert(alignof(T) <= 16, "blocks are 16-byte aligned");

public:
    CLargeArray() noexcept = default; // no elements
    // `count` zero-filled elements; throws std::bad_alloc (nothing held).
    explicit CLargeArray(size_t count)
    {
        if (count == 0)
            return;
        if (count > SIZE_MAX / sizeof(T))
            throw std::bad_array_new_length();
        m_data = static_cast<T*>(AllocateZeroedBlock(count * sizeof(T)));
        m_count = count;
    }
    // Takes `other`'s block; `other` is left empty.
    CLargeArray(CLargeArray&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)), m_count(std::exchange(other.m_count, 0))
    {
    }
    // Frees this array, then takes `other`'s block; `other` is left empty.
    CLargeArray& operator=(CLargeArray&& other) noexcept
    {
        if (this != &other) {
            Release();
            m_data = std::exchange(other.m_data, nullptr);
            m_count = std::exchange(other.m_count, 0);
        }
        return *this;
    }
    CLargeArray(const CLargeArray&) = delete;
    CLargeArray& operator=(const CLargeArray&) = delete;
    ~CLargeArray() { Release(); } // frees the block

    T& operator[](size_t index) noexcept { return m_data[index]; } // unchecked, as an array's
    const T& operator[](size_t index) const noexcept { return m_data[index]; } // unchecked, as an array's
    size_t Size() const noexcept { return m_count; } // the element count
    const T* Data() const noexcept { return m_data; } // the first element; null when there are none

private:
    void Release() noexcept
    {
        if (m_data == nullptr)
            return;
        FreeZeroedBlock(m_data, m_count * sizeof(T));
        m_data = nullptr;
        m_count = 0;
    }

    T* m_data = nullptr;
    size_t m_count = 0;
};

} // namespace Brivel::Common
