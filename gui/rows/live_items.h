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
// The set is an open-addressing hash table of pointers (COpenHashTable, with
// linear probing, backward-shift deletion and resizing a part at a time): one
// multiply and, at the load kept here (at most 3/4), one or two cache lines
// per lookup; 8 bytes a slot, 11 to 22 bytes per live item. It shrinks when
// it falls below 1/8 full, so a grid that cleared a million rows gives the
// memory back.
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
    static void Add(const CGridItem* item);
    static void Remove(const CGridItem* item) noexcept;
    // Whether `handle` is the address of a live item. Never dereferences it.
    static bool Contains(const void* handle) noexcept;
    // The live items (a test seam).
    static size_t Count() noexcept;
};

} // namespace Brivel::GUI
