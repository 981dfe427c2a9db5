#pragma once
// CLargeArray<T>: a fixed-size, value-initialised array for the slots of
// large hash tables (the grid's binding table, the live-item set), which
// reach tens of megabytes with a million rows and double as they grow.
//
// Why not `std::unique_ptr<T[]>`: a doubling allocates and fills a new block
// at once, inside whatever call added the entry that crossed the threshold.
// On 4 KiB pages a 16 MiB block costs 4 096 page faults there (about 10 us
// each on a virtual machine: some 45 ms in one call), and its random probes
// miss the TLB later. A block of 2 MiB or more is therefore aligned to 2 MiB
// and offered to the kernel for transparent huge pages (madvise; a hint that
// changes nothing where the kernel does not use them); smaller blocks are
// plain allocations.
//
// Ownership: owns its elements. Thread: as the table that holds it.

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

namespace Brivel::Common {

namespace LargeArrayDetail {
inline constexpr size_t kHugePage = size_t{2} << 20;
// Asks for huge pages over [address, address + bytes); a hint only.
void AdviseHugePages(void* address, size_t bytes) noexcept;
} // namespace LargeArrayDetail

// See the top of this file.
template <class T>
class CLargeArray {
    static_assert(std::is_nothrow_default_constructible_v<T> && std::is_nothrow_destructible_v<T>,
                  "the block is filled and emptied without a way back");

public:
    CLargeArray() noexcept = default; // no elements
    // `count` value-initialised elements; throws std::bad_alloc (nothing held).
    explicit CLargeArray(size_t count) : m_count(count)
    {
        if (count == 0)
            return;
        const size_t bytes = count * sizeof(T);
        m_huge = bytes >= LargeArrayDetail::kHugePage;
        void* const block = ::operator new(bytes, Alignment());
        if (m_huge)
            LargeArrayDetail::AdviseHugePages(block, bytes);
        m_data = static_cast<T*>(block);
        std::uninitialized_value_construct_n(m_data, count); // cannot throw (see the static_assert)
    }
    // Takes `other`'s block; `other` is left empty.
    CLargeArray(CLargeArray&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)), m_count(std::exchange(other.m_count, 0)),
          m_huge(std::exchange(other.m_huge, false))
    {
    }
    // Frees this array, then takes `other`'s block; `other` is left empty.
    CLargeArray& operator=(CLargeArray&& other) noexcept
    {
        if (this != &other) {
            Free();
            m_data = std::exchange(other.m_data, nullptr);
            m_count = std::exchange(other.m_count, 0);
            m_huge = std::exchange(other.m_huge, false);
        }
        return *this;
    }
    CLargeArray(const CLargeArray&) = delete;
    CLargeArray& operator=(const CLargeArray&) = delete;
    ~CLargeArray() { Free(); } // destroys the elements and frees the block

    T& operator[](size_t index) noexcept { return m_data[index]; } // unchecked, as an array's
    const T& operator[](size_t index) const noexcept { return m_data[index]; } // unchecked, as an array's
    size_t Size() const noexcept { return m_count; } // the element count

private:
    std::align_val_t Alignment() const noexcept
    {
        return std::align_val_t{m_huge ? LargeArrayDetail::kHugePage : alignof(T) > alignof(std::max_align_t)
                                                                           ? alignof(T)
                                                                           : alignof(std::max_align_t)};
    }
    void Free() noexcept
    {
        if (m_data == nullptr)
            return;
        std::destroy_n(m_data, m_count);
        ::operator delete(static_cast<void*>(m_data), Alignment());
        m_data = nullptr;
        m_count = 0;
    }

    T* m_data = nullptr;
    size_t m_count = 0;
    bool m_huge = false; // the block is 2 MiB aligned (and offered huge pages)
};

} // namespace Brivel::Common
