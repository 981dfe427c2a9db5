#pragma once
// CLiveItems: the set of every CGridItem alive in the process, so that a
// handle that arrives from outside (an item, a parent or a position passed
// to a grid operation) is looked up before it is followed. A pointer that
// was never an item, or whose item was destroyed, is not in the set.
//
// Every item enters the set in its constructor and leaves it in its
// destructor; the grid asks Contains before it reads anything through a
// handle (CGrid::CGridImpl::ListOf). A freed item's address may be reused by
// a new item; the handle then names that new item, which the grid checks
// like any other (its list, its grid).
//
// Items of CGridItem's size live in the item pool (item_pool.h), which keeps
// a live bit per cell: for them the answer comes from the address's chunk,
// with no table of its own. Larger items (of derived classes) come from the
// heap and are kept in an open-addressing set of pointers (COpenHashTable).
//
// Thread: GUI thread only, like the items themselves. After the process's
// static objects are destroyed at exit the set is gone: Add and Remove do
// nothing and Contains answers false.

#include <cstddef>
#include <cstdint>

namespace Brivel::GUI {

class CGridItem;

class CLiveItems {
public:
    // The item's constructor and destructor call these.
    static void Add(const CGridItem* item);
    static void Remove(const CGridItem* item) noexcept;
    // Whether `handle` is the address of a live item. Never dereferences it.
    static bool Contains(const void* handle) noexcept;
    // The live items (a test seam).
    static size_t Count() noexcept;
};

} // namespace Brivel::GUI
