#pragma once
// IntroSort: the grid's in-place sort of a children vector.
//
// An introspective quicksort: the pivot is the median of the first, middle
// and last element, the range is split by a Hoare partition, the smaller part
// is sorted by recursion and the larger one by the loop (so the stack depth
// stays below log2 n), ranges of kInsertionSortLimit or fewer elements go to
// insertion sort, and a range that has been split more than 2 log2 n times
// (an adversarial input) is finished by heap sort. Equal elements keep no
// defined order.
//
// `before(a, b)` is true when a goes before b. The scans are guarded by the
// range bounds, so a comparison that is not a strict weak order (the grid's
// comparison calls values of different kinds equal) gives some order, never
// an access outside the range.
//
// Thread: any (it touches only the range).

#include <algorithm>
#include <bit>
#include <cstddef>
#include <utility>

namespace Brivel::GUI {

inline constexpr std::ptrdiff_t kInsertionSortLimit = 16; // ranges this short go to insertion sort

namespace Detail {

template <class T, class Before>
void InsertionSort(T* first, T* last, Before& before)
{
    for (T* i = first + 1; i < last; ++i) {
        T value = std::move(*i);
        T* j = i;
        for (; j > first && before(value, *(j - 1)); --j)
            *j = std::move(*(j - 1));
        *j = std::move(value);
    }
}

// Orders *a, *b, *c so that *b is their median.
template <class T, class Before>
void OrderThree(T* a, T* b, T* c, Before& before)
{
    if (before(*b, *a))
        std::swap(*a, *b);
    if (before(*c, *b)) {
        std::swap(*b, *c);
        if (before(*b, *a))
            std::swap(*a, *b);
    }
}

template <class T, class Before>
void IntroSortLoop(T* first, T* last, int depth, Before& before)
{
    while (last - first > kInsertionSortLimit) {
        if (depth-- == 0) {
            std::make_heap(first, last, before);
            std::sort_heap(first, last, before);
            return;
        }
        T* const mid = first + (last - first) / 2;
        OrderThree(first, mid, last - 1, before);
        const T pivot = *mid;
        T* i = first;
        T* j = last - 1;
        for (;;) {
            while (i < last && before(*i, pivot))
                ++i;
            while (j > first && before(pivot, *j))
                --j;
            if (i >= j)
                break;
            std::swap(*i, *j);
            ++i;
            --j;
        }
        // [first, j] goes before or with the pivot, [j + 1, last) after or with it.
        T* cut = j + 1;
        if (cut <= first || cut >= last)
            cut = mid; // degenerate split of an inconsistent comparison: still make progress
        if (cut - first < last - cut) {
            IntroSortLoop(first, cut, depth, before);
            first = cut;
        } else {
            IntroSortLoop(cut, last, depth, before);
            last = cut;
        }
    }
    InsertionSort(first, last, before);
}

} // namespace Detail

// Sorts [first, last) by `before` (see the top of this file).
template <class T, class Before>
void IntroSort(T* first, T* last, Before before)
{
    const std::ptrdiff_t n = last - first;
    if (n < 2)
        return;
    const int depth = 2 * (std::bit_width(static_cast<size_t>(n)) - 1);
    Detail::IntroSortLoop(first, last, depth, before);
}

} // namespace Brivel::GUI
