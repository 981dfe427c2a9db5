#pragma once
// CIndexedList, an intrusive sequence with O(log n) positional access, and
// CIndexedListHook, the link an element embeds once per list it can be in.
//
// The grid keeps its rows in such lists: per row list the flat sequence of the
// visible rows in display order, and per tree node the sequence of its
// children. Both need the element at an index (painting, hit tests), the index
// of an element (every change notification), insertion at any place, removal,
// moving a block of consecutive rows (a row with its shown subtree) after a
// re-sort, a bulk rebuild and ordered iteration from an index. A vector makes
// insertion O(n) and index lookups need renumbering; this container does all
// of them in O(log n).
//
// Structure: a B+tree whose leaves hold element pointers in sequence order and
// whose internal nodes hold, per child, the number of elements below it. An
// element's hook points at the leaf that holds it, so IndexOf climbs from the
// leaf to the root adding the counts of the siblings on the left.
//
//     struct Row {
//         CIndexedListHook m_childHook; // in the parent's children
//         CIndexedListHook m_flatHook;  // in the flat list of visible rows
//         ...
//     };
//     CIndexedList<Row, &Row::m_flatHook> flat;
//
// Cost of each operation, n = Size() (leaves hold 16 to 64 elements, internal
// nodes 8 to 32 children: three levels above the leaves for a million rows):
//
//   Size, Empty, hook.IsLinked()                O(1)
//   At, IteratorAt, Contains                     O(log n)
//   IndexOf                                      O(log n) (scans one leaf)
//   Insert, InsertAfter/Before, PushFront/Back   O(log n)
//   EraseAt, Erase                               O(log n)
//   MoveBlock(from, count, to)                   O(min(span, count * log n)),
//                                                span = |to - from| + count
//   LowerBound, UpperBound, PartitionPoint       O(log n) comparisons
//   iteration, ForEach                           O(1) amortised per element
//   Assign                                       O(n); Clear, destructor O(n)
//
// Allocation: an empty list owns no node (the object itself is 16 bytes). The
// first element allocates a single leaf of 4 slots, which doubles up to 64 as
// the list grows; beyond that nodes are allocated only when a full node
// splits and freed only when an underfull one merges. Nodes split in two and
// merge only below a quarter full, so a steady mix of insertions and erasures
// at one place allocates or frees at most once every 16 operations. A full
// leaf that takes an element at its end first moves entries into the previous
// leaf if that has room (at its front, into the next), so a list filled from
// one end keeps its leaves full. Erasing
// the last element keeps the last leaf (Clear and the destructor free it).
// Assign of as many elements as the list holds reuses its nodes; of another
// count it builds a new tree with leaves packed full (the first insertion
// into each one splits it) and two temporary vectors of n / 64 entries.
// A MoveBlock over a short distance rotates in place and allocates nothing.
//
// Exceptions: only allocation can fail (std::bad_alloc). Insert and Assign
// allocate every node they need before touching the list, which is then
// unchanged. A long MoveBlock moves element by element, so a failure leaves
// part of the block moved, with every element still in the list. Lookups,
// erasure, Clear and iteration never throw.
//
// Ownership: the list owns its nodes; it never owns the elements, which must
// stay at one address while they are in the list and must be removed (or the
// list cleared or destroyed) before they are destroyed; the hook's destructor
// asserts this. Clear and the destructor unlink every element's hook.
//
// Bad input gets a documented result and changes nothing: a null element, an
// element already in some list through this hook, an index out of range or
// an element of another list make the operation return false, null or -1.
//
// Iterators are invalidated by any change to the list.
//
// Thread: any thread, one at a time (no internal locking). The grid uses its
// lists on the GUI thread only.

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
#include <string>

namespace Brivel::Common {

namespace IndexedListDetail {
class CTree;
struct HookAccess;
struct Node;
struct Leaf;
struct Internal;
} // namespace IndexedListDetail

// The link an element embeds for each list it can be in: one pointer, null
// while the element is in no list through this hook. Only CIndexedList changes
// it. Copying an element never copies its membership: a copy starts unlinked
// and an assignment keeps the target's own link.
//
// Thread: the thread that uses the list the element is in.
class CIndexedListHook {
public:
    CIndexedListHook() noexcept = default;
    // A copy starts unlinked; an assignment keeps the target's own link.
    CIndexedListHook(const CIndexedListHook&) noexcept {}
    CIndexedListHook& operator=(const CIndexedListHook&) noexcept { return *this; } // keeps this hook's link
    ~CIndexedListHook() { assert(!IsLinked() && "element destroyed while still in a CIndexedList"); }

    // True while the element is in a list through this hook.
    bool IsLinked() const noexcept { return m_leaf != nullptr; }

private:
    friend struct IndexedListDetail::HookAccess;

    IndexedListDetail::Node* m_leaf = nullptr; // Not owned; the leaf holding the element.
};
static_assert(sizeof(CIndexedListHook) == sizeof(void*), "the hook is embedded in every row; keep it one pointer");

namespace IndexedListDetail {

// Node sizes. Leaves of 64 pointers keep a leaf scan within 8 cache lines;
// internal nodes of 32 children keep the count scans short.
inline constexpr int32_t kLeafCapacity = 64;
inline constexpr int32_t kFanout = 32;
inline constexpr int32_t kFirstLeafCapacity = 4;

struct NodeDeleter {
    void operator()(Node* node) const noexcept;
};
using NodePtr = std::unique_ptr<Node, NodeDeleter>;

// Gives the hook of an untyped element (CIndexedList<T, Hook>::HookOf).
using HookOf = CIndexedListHook& (*)(void* element) noexcept;
// Reads element `index` of an untyped array of elements.
using ElementAt = void* (*)(const void* elements, std::size_t index) noexcept;
// A predicate over one element with its context (a type-erased callable).
using Predicate = bool (*)(void* context, void* element);

// The consecutive elements held by one leaf; an empty chunk (leaf null) marks
// the end of the sequence.
struct Chunk {
    const Node* leaf = nullptr;
    void* const* items = nullptr;
    int32_t count = 0;
};

// The untyped counted B+tree behind every CIndexedList<T, Hook>: it stores
// elements as void* and reaches their hooks through a HookOf function, so that
// the tree algorithms are compiled once, in indexed_list.cpp, for all element
// types. The typed wrapper below documents the operations.
//
// Ownership: owns its nodes. Its destructor frees them without touching the
// elements' hooks; the wrapper clears the list first.
//
// Thread: any thread, one at a time.
class CTree {
public:
    CTree() noexcept = default;
    CTree(CTree&& other) noexcept;
    // Requires this tree to be empty (the wrapper clears it first).
    CTree& operator=(CTree&& other) noexcept;
    CTree(const CTree&) = delete;
    CTree& operator=(const CTree&) = delete;
    ~CTree();

    int32_t Size() const noexcept { return m_size; }
    int32_t Height() const noexcept { return m_height; }

    void* At(int32_t index) const noexcept;
    int32_t IndexOf(const CIndexedListHook& hook, const void* element) const noexcept;
    bool Contains(const CIndexedListHook& hook) const noexcept;

    bool Insert(int32_t index, void* element, HookOf hookOf);
    bool InsertNextTo(const CIndexedListHook& positionHook, const void* position, void* element, bool after,
                      HookOf hookOf);
    void* EraseAt(int32_t index, HookOf hookOf) noexcept;
    bool Erase(void* element, HookOf hookOf) noexcept;
    bool MoveBlock(int32_t from, int32_t count, int32_t to, HookOf hookOf);
    bool Assign(std::size_t count, const void* elements, ElementAt elementAt, HookOf hookOf);
    void Clear(HookOf hookOf) noexcept;

    // The chunk holding `index` (0 <= index < Size()) with the slot of
    // `index` in it; an empty chunk for any other index.
    Chunk ChunkAt(int32_t index, int32_t& slot) const noexcept;
    static Chunk NextChunk(const Chunk& chunk) noexcept;

    int32_t PartitionPoint(Predicate predicate, void* context) const;

    std::string CheckInvariants(HookOf hookOf) const;
    static int64_t NodeAllocations() noexcept;

private:
    Leaf* LeafForInsert(int32_t& index) const noexcept;
    void InsertInLeaf(Leaf* leaf, int32_t slot, void* element, HookOf hookOf);
    Leaf* GrowRootLeaf(HookOf hookOf);
    bool MakeRoomInSibling(Leaf* leaf, int32_t& slot, HookOf hookOf) noexcept;
    void SplitAndInsert(Leaf* leaf, int32_t slot, void* element, HookOf hookOf);
    void RemoveFromLeaf(Leaf* leaf, int32_t slot, HookOf hookOf) noexcept;
    void Rebalance(Node* node, HookOf hookOf) noexcept;
    void Rotate(int32_t first, int32_t middle, int32_t last, HookOf hookOf) noexcept;
    void MoveOne(int32_t from, int32_t to, HookOf hookOf);
    void LinkAll(bool linked, HookOf hookOf) noexcept;

    NodePtr m_root;        // Null until the first insertion, and after Clear.
    int32_t m_size = 0;    // Number of elements.
    int32_t m_height = 0;  // Levels of internal nodes above the leaves.
};
static_assert(sizeof(CTree) == 2 * sizeof(void*), "every row owns a children list; keep an empty one two words");

} // namespace IndexedListDetail

// An ordered sequence of non-owning T* with O(log n) access by index and by
// element (see the top of this file for costs and allocation). `Hook` names
// the CIndexedListHook member of T that this list uses; an element may be in
// several lists at once through different hooks, and in at most one list
// through each hook.
//
// Indices are int32_t; -1 means none.
//
// Thread: any thread, one at a time (see the top of this file).
template <class T, CIndexedListHook T::*Hook>
class CIndexedList {
public:
    // The node sizes: elements per leaf, children per internal node.
    static constexpr int32_t kLeafCapacity = IndexedListDetail::kLeafCapacity;
    static constexpr int32_t kFanout = IndexedListDetail::kFanout;

    // Forward iterator over the elements in sequence order, yielding T*.
    class ConstIterator {
    public:
        // The standard iterator types: a forward iterator yielding T* by value.
        using iterator_concept = std::forward_iterator_tag;
        using iterator_category = std::input_iterator_tag; // yields values, not references
        using value_type = T*;                // the element pointer
        using difference_type = std::ptrdiff_t; // a distance in elements
        using reference = T*;                 // yielded by value

        ConstIterator() noexcept = default;

        T* operator*() const noexcept { return static_cast<T*>(m_chunk.items[m_slot]); } // the element
        // The next element.
        ConstIterator& operator++() noexcept
        {
            if (++m_slot == m_chunk.count) {
                m_chunk = IndexedListDetail::CTree::NextChunk(m_chunk);
                m_slot = 0;
            }
            return *this;
        }
        ConstIterator operator++(int) noexcept
        {
            ConstIterator old = *this;
            ++*this;
            return old;
        }
        // At the same place.
        friend bool operator==(const ConstIterator& a, const ConstIterator& b) noexcept
        {
            return a.m_chunk.leaf == b.m_chunk.leaf && a.m_slot == b.m_slot;
        }

    private:
        friend class CIndexedList;
        ConstIterator(IndexedListDetail::Chunk chunk, int32_t slot) noexcept : m_chunk(chunk), m_slot(slot) {}

        IndexedListDetail::Chunk m_chunk; // leaf null at the end
        int32_t m_slot = 0;
    };

    CIndexedList() noexcept = default;
    CIndexedList(const CIndexedList&) = delete;
    CIndexedList& operator=(const CIndexedList&) = delete;
    // Moving hands the nodes over; the elements' hooks stay valid since they
    // point at leaves, not at the list. The source is left empty.
    CIndexedList(CIndexedList&& other) noexcept = default;
    // Clears this list, then takes the other's nodes.
    CIndexedList& operator=(CIndexedList&& other) noexcept
    {
        if (this != &other) {
            Clear();
            m_tree = std::move(other.m_tree);
        }
        return *this;
    }
    ~CIndexedList() { Clear(); }

    int32_t Size() const noexcept { return m_tree.Size(); } // the number of elements
    bool Empty() const noexcept { return m_tree.Size() == 0; } // no elements

    // The element at `index`; null when out of range.
    T* At(int32_t index) const noexcept { return static_cast<T*>(m_tree.At(index)); }
    T* Front() const noexcept { return At(0); }         // the first element; null when empty
    T* Back() const noexcept { return At(Size() - 1); } // the last element; null when empty

    // The index of `element`; -1 when it is null or not in this list.
    int32_t IndexOf(const T* element) const noexcept
    {
        return element ? m_tree.IndexOf(element->*Hook, element) : -1;
    }
    // Whether `element` is in this list (IsLinked() on its hook only says
    // whether it is in some list through this hook, in O(1)).
    bool Contains(const T* element) const noexcept { return element && m_tree.Contains(element->*Hook); }

    // Inserts `element` so that it lands at `index` (0 <= index <= Size()).
    // False, and nothing changes, when the element is null or already linked
    // through this hook, or the index is out of range.
    bool Insert(int32_t index, T* element) { return element && m_tree.Insert(index, element, &HookOf); }
    bool PushFront(T* element) { return Insert(0, element); }     // Insert at the front
    bool PushBack(T* element) { return Insert(Size(), element); } // Insert at the back
    // Inserts `element` right after / before `position`, which must be in this
    // list. Cheaper than Insert(IndexOf(position) + 1, ...): no index is
    // computed. False, and nothing changes, on bad input as for Insert.
    bool InsertAfter(const T* position, T* element) { return InsertNextTo(position, element, true); }
    bool InsertBefore(const T* position, T* element) { return InsertNextTo(position, element, false); } // see InsertAfter

    // Removes and returns the element at `index`; null when out of range.
    T* EraseAt(int32_t index) noexcept { return static_cast<T*>(m_tree.EraseAt(index, &HookOf)); }
    // Removes `element`; false when it is not in this list.
    bool Erase(T* element) noexcept { return element && m_tree.Erase(element, &HookOf); }

    // Moves the block [from, from + count) so that it starts at `to` in the
    // resulting order (0 <= to <= Size() - count); the other elements keep
    // their relative order. Short moves rotate the affected range in place;
    // long ones move the block element by element. False, and nothing
    // changes, when a range is out of bounds.
    bool MoveBlock(int32_t from, int32_t count, int32_t to) { return m_tree.MoveBlock(from, count, to, &HookOf); }

    // Replaces the contents with `elements` in order, in O(n). Each element
    // must be non-null, appear once, and be either unlinked or in this list;
    // otherwise the result is false and the list is unchanged. Elements of
    // the old contents that are not in `elements` end up unlinked.
    bool Assign(std::span<T* const> elements)
    {
        return m_tree.Assign(elements.size(), elements.data(), &ElementOf, &HookOf);
    }

    // Removes every element (unlinking its hook) and frees every node.
    void Clear() noexcept { m_tree.Clear(&HookOf); }

    // Calls f(T*) for each element of [first, last), clamped to [0, Size()).
    // f must not change the list.
    template <class F>
    void ForEach(int32_t first, int32_t last, F&& f) const
    {
        first = std::max(first, 0);
        last = std::min(last, Size());
        if (first >= last)
            return;
        int32_t slot = 0;
        IndexedListDetail::Chunk chunk = m_tree.ChunkAt(first, slot);
        for (int32_t remaining = last - first;;) {
            const int32_t n = std::min(chunk.count - slot, remaining);
            for (int32_t i = 0; i < n; ++i)
                f(static_cast<T*>(chunk.items[slot + i]));
            remaining -= n;
            if (remaining == 0)
                return;
            chunk = IndexedListDetail::CTree::NextChunk(chunk);
            slot = 0;
        }
    }

    ConstIterator begin() const noexcept { return IteratorAt(0); } // the first element
    ConstIterator end() const noexcept { return ConstIterator(); } // past the last element
    // The iterator at `index`; end() when out of range.
    ConstIterator IteratorAt(int32_t index) const noexcept
    {
        int32_t slot = 0;
        const IndexedListDetail::Chunk chunk = m_tree.ChunkAt(index, slot);
        return ConstIterator(chunk, slot);
    }

    // Binary searches by descent, for a list ordered by `less`:
    // the first index whose element is not less than `key`
    // (less(const T* element, const Key& key)), ...
    template <class Key, class Less>
    int32_t LowerBound(const Key& key, Less less) const
    {
        return PartitionPoint([&](const T* element) { return less(element, key); });
    }
    // ... the first index whose element is greater than `key`
    // (less(const Key& key, const T* element)), ...
    template <class Key, class Less>
    int32_t UpperBound(const Key& key, Less less) const
    {
        return PartitionPoint([&](const T* element) { return !less(key, element); });
    }
    // ... and the first index whose element fails `predicate`, for a
    // predicate that holds for a prefix of the list (Size() when it holds
    // for all).
    template <class Pred>
    int32_t PartitionPoint(Pred predicate) const
    {
        const IndexedListDetail::Predicate thunk = [](void* context, void* element) -> bool {
            return (*static_cast<Pred*>(context))(static_cast<const T*>(element));
        };
        return m_tree.PartitionPoint(thunk, &predicate);
    }

    // Checks node counts, occupancy, parent links, leaf depths and every
    // element's hook. Empty when they all hold, else the first fault found.
    std::string CheckInvariantsForTesting() const { return m_tree.CheckInvariants(&HookOf); }
    int32_t HeightForTesting() const noexcept { return m_tree.Height(); } // for tests: the tree's height
    // Nodes allocated so far by all lists of the process.
    static int64_t NodeAllocationsForTesting() noexcept { return IndexedListDetail::CTree::NodeAllocations(); }

private:
    static CIndexedListHook& HookOf(void* element) noexcept { return static_cast<T*>(element)->*Hook; }
    static void* ElementOf(const void* elements, std::size_t index) noexcept
    {
        return static_cast<T* const*>(elements)[index];
    }

    bool InsertNextTo(const T* position, T* element, bool after)
    {
        return position && element && m_tree.InsertNextTo(position->*Hook, position, element, after, &HookOf);
    }

    IndexedListDetail::CTree m_tree;
};

} // namespace Brivel::Common
