// The counted B+tree behind CIndexedList (IndexedListDetail::CTree).
//
// ---- Sections ----
//   Nodes        layout, allocation, small helpers
//   Lookup       At, IndexOf, Contains, chunks
//   Insertion    growth of the first leaf, splits
//   Erasure      merges and redistribution
//   Block moves  rotation in place, element by element
//   Bulk         Assign, Clear
//   Search       PartitionPoint
//   Invariants
//
// Shape. Every leaf is at the same depth, below m_height levels of internal
// nodes. An internal node keeps, per child, the number of elements under it,
// so positions are found by descending and summing counts. A node other than
// the root holds at least a quarter of its capacity (16 elements per leaf, 8
// children per internal node); an internal root has at least two children.
// A full node splits in two; a node that drops below a quarter merges with a
// sibling when both fit in three quarters of a node, else takes from it until
// the two are even. The gap between splitting (at full) and merging (below a
// quarter) keeps a steady insert/erase mix from allocating on every operation.
//
// Only the root leaf of a one-leaf tree may have fewer than 64 slots (4, 8, 16
// or 32): most lists of the grid are the children lists of a few rows.
//
// Hooks. Each element's hook points at the leaf holding it; whatever moves an
// element to another leaf (split, merge, redistribution, growth, rotation)
// updates its hook through the HookOf function of the typed list.

#include "common/indexed_list.h"

#include <array>
#include <atomic>
#include <limits>
#include <new>
#include <utility>
#include <vector>

namespace Brivel::Common::IndexedListDetail {

// ---- Nodes ----

struct Node {
    Internal* m_parent = nullptr; // Not owned: the parent owns this node. Null for the root.
    int32_t m_count = 0;          // elements (leaf) or children (internal node)
    int16_t m_slot = 0;           // index of this node among m_parent's children
    uint8_t m_capacity = 0;       // most elements or children the node holds
    bool m_isLeaf = false;
};
static_assert(sizeof(Node) == 16, "node header");

// A leaf: the header, then m_capacity element slots in the same allocation.
struct Leaf final : Node {
    void** Items() noexcept { return std::launder(reinterpret_cast<void**>(this + 1)); }
    void* const* Items() const noexcept { return std::launder(reinterpret_cast<void* const*>(this + 1)); }
};
static_assert(sizeof(Leaf) % alignof(void*) == 0, "element slots follow the leaf header");

struct Internal final : Node {
    int32_t m_counts[kFanout] = {}; // elements under each child
    NodePtr m_children[kFanout];    // owned; null from m_count on
};

struct HookAccess {
    static Node*& LeafOf(CIndexedListHook& hook) noexcept { return hook.m_leaf; }
    static const Node* LeafOf(const CIndexedListHook& hook) noexcept { return hook.m_leaf; }
};

namespace {

constexpr int32_t kLeafMinimum = kLeafCapacity / 4;
constexpr int32_t kFanoutMinimum = kFanout / 4;
constexpr int32_t kLeafMergeLimit = kLeafCapacity * 3 / 4;
constexpr int32_t kFanoutMergeLimit = kFanout * 3 / 4;
static_assert(kLeafCapacity <= std::numeric_limits<uint8_t>::max() && kFanout <= std::numeric_limits<int16_t>::max());
static_assert((kFirstLeafCapacity & (kFirstLeafCapacity - 1)) == 0 && kLeafCapacity % kFirstLeafCapacity == 0);

// A block move rotates the affected range in place while that range is at
// most this many times the block; beyond, moving element by element
// (O(log n) each) is cheaper.
constexpr int32_t kRotateSpanPerElement = 32;

// The most internal levels a tree of at most INT32_MAX elements can have: the
// thinnest tree of height h holds 2 * kFanoutMinimum^(h-1) * kLeafMinimum.
constexpr int32_t MaxHeight()
{
    int64_t thinnest = 2 * kLeafMinimum;
    int32_t height = 1;
    while (thinnest * kFanoutMinimum <= std::numeric_limits<int32_t>::max()) {
        thinnest *= kFanoutMinimum;
        ++height;
    }
    return height;
}
constexpr int32_t kMaxHeight = MaxHeight();

// Stands in a hook while Assign checks its input for duplicates.
Node g_assignMark;

std::atomic<int64_t> g_nodeAllocations{0};

Node*& LeafOf(CIndexedListHook& hook) noexcept { return HookAccess::LeafOf(hook); }
const Node* LeafOf(const CIndexedListHook& hook) noexcept { return HookAccess::LeafOf(hook); }

std::size_t LeafBytes(int32_t capacity) noexcept { return sizeof(Leaf) + sizeof(void*) * capacity; }

// Nodes are created here and destroyed by NodeDeleter only. A leaf is one
// allocation holding its header and its slots, hence the placement new.
NodePtr NewLeaf(int32_t capacity)
{
    void* raw = ::operator new(LeafBytes(capacity));
    Leaf* leaf = ::new (raw) Leaf();
    leaf->m_capacity = static_cast<uint8_t>(capacity);
    leaf->m_isLeaf = true;
    g_nodeAllocations.fetch_add(1, std::memory_order_relaxed);
    return NodePtr(leaf);
}

NodePtr NewInternal()
{
    auto node = std::make_unique<Internal>();
    node->m_capacity = static_cast<uint8_t>(kFanout);
    g_nodeAllocations.fetch_add(1, std::memory_order_relaxed);
    return NodePtr(node.release());
}

Leaf* AsLeaf(Node* node) noexcept
{
    assert(node->m_isLeaf);
    return static_cast<Leaf*>(node);
}
const Leaf* AsLeaf(const Node* node) noexcept
{
    assert(node->m_isLeaf);
    return static_cast<const Leaf*>(node);
}
Internal* AsInternal(Node* node) noexcept
{
    assert(!node->m_isLeaf);
    return static_cast<Internal*>(node);
}
const Internal* AsInternal(const Node* node) noexcept
{
    assert(!node->m_isLeaf);
    return static_cast<const Internal*>(node);
}

int32_t MinimumOf(const Node* node) noexcept { return node->m_isLeaf ? kLeafMinimum : kFanoutMinimum; }
int32_t MergeLimitOf(const Node* node) noexcept { return node->m_isLeaf ? kLeafMergeLimit : kFanoutMergeLimit; }

// Elements under the children before `slot`.
int32_t CountBefore(const Internal* node, int32_t slot) noexcept
{
    int32_t sum = 0;
    for (int32_t child = 0; child < slot; ++child)
        sum += node->m_counts[child];
    return sum;
}

void AddToAncestors(Node* node, int32_t delta) noexcept
{
    for (Node* child = node; child->m_parent; child = child->m_parent)
        child->m_parent->m_counts[child->m_slot] += delta;
}

int32_t SlotOf(const Leaf* leaf, const void* element) noexcept
{
    void* const* items = leaf->Items();
    for (int32_t slot = 0; slot < leaf->m_count; ++slot) {
        if (items[slot] == element)
            return slot;
    }
    return -1;
}

// Points the children [first, last) of `parent` back at it.
void Reslot(Internal* parent, int32_t first, int32_t last) noexcept
{
    for (int32_t slot = first; slot < last; ++slot) {
        Node* child = parent->m_children[slot].get();
        child->m_parent = parent;
        child->m_slot = static_cast<int16_t>(slot);
    }
}

// Points the hooks of the elements [first, last) of `leaf` at it.
void Rehook(Leaf* leaf, int32_t first, int32_t last, HookOf hookOf) noexcept
{
    void** items = leaf->Items();
    for (int32_t slot = first; slot < last; ++slot)
        LeafOf(hookOf(items[slot])) = leaf;
}

// The leaf holding position `index` (0 <= index < size of the subtree);
// `index` becomes the slot in that leaf. A position on a boundary between
// two leaves is the first slot of the later one.
const Leaf* LeafAt(const Node* node, int32_t& index) noexcept
{
    while (!node->m_isLeaf) {
        const Internal* internal = AsInternal(node);
        int32_t child = 0;
        while (index >= internal->m_counts[child])
            index -= internal->m_counts[child++];
        node = internal->m_children[child].get();
    }
    return AsLeaf(node);
}
Leaf* LeafAt(Node* node, int32_t& index) noexcept
{
    return const_cast<Leaf*>(LeafAt(static_cast<const Node*>(node), index));
}

const Leaf* FirstLeaf(const Node* node) noexcept
{
    while (!node->m_isLeaf)
        node = AsInternal(node)->m_children[0].get();
    return AsLeaf(node);
}
Leaf* FirstLeaf(Node* node) noexcept { return const_cast<Leaf*>(FirstLeaf(static_cast<const Node*>(node))); }

// The leaf after `leaf` in sequence order, null after the last. Amortised
// O(1) over a walk: each internal node is climbed out of once.
const Leaf* NextLeaf(const Leaf* leaf) noexcept
{
    const Node* node = leaf;
    while (node->m_parent && node->m_slot + 1 == node->m_parent->m_count)
        node = node->m_parent;
    if (!node->m_parent)
        return nullptr;
    return FirstLeaf(node->m_parent->m_children[node->m_slot + 1].get());
}
Leaf* NextLeaf(Leaf* leaf) noexcept { return const_cast<Leaf*>(NextLeaf(static_cast<const Leaf*>(leaf))); }

void* FirstElementOf(const Node* node) noexcept { return FirstLeaf(node)->Items()[0]; }

Chunk MakeChunk(const Leaf* leaf) noexcept
{
    return leaf ? Chunk{leaf, leaf->Items(), leaf->m_count} : Chunk{};
}

} // namespace

void NodeDeleter::operator()(Node* node) const noexcept
{
    if (node->m_isLeaf) {
        Leaf* leaf = static_cast<Leaf*>(node);
        const std::size_t bytes = LeafBytes(leaf->m_capacity);
        std::destroy_at(leaf);
        ::operator delete(static_cast<void*>(leaf), bytes);
    } else {
        delete static_cast<Internal*>(node); // frees the subtree through m_children
    }
}

CTree::CTree(CTree&& other) noexcept
    : m_root(std::move(other.m_root)),
      m_size(std::exchange(other.m_size, 0)),
      m_height(std::exchange(other.m_height, 0))
{
}

CTree& CTree::operator=(CTree&& other) noexcept
{
    assert(m_size == 0 && "clear the list before moving another into it");
    if (this != &other) {
        m_root = std::move(other.m_root);
        m_size = std::exchange(other.m_size, 0);
        m_height = std::exchange(other.m_height, 0);
    }
    return *this;
}

CTree::~CTree() = default;

int64_t CTree::NodeAllocations() noexcept { return g_nodeAllocations.load(std::memory_order_relaxed); }

// ---- Lookup ----

void* CTree::At(int32_t index) const noexcept
{
    if (index < 0 || index >= m_size)
        return nullptr;
    const Leaf* leaf = LeafAt(m_root.get(), index);
    return leaf->Items()[index];
}

int32_t CTree::IndexOf(const CIndexedListHook& hook, const void* element) const noexcept
{
    const Node* node = LeafOf(hook);
    if (!node || !m_root)
        return -1;
    int32_t index = SlotOf(AsLeaf(node), element);
    if (index < 0)
        return -1;
    for (; node->m_parent; node = node->m_parent)
        index += CountBefore(node->m_parent, node->m_slot);
    return node == m_root.get() ? index : -1;
}

bool CTree::Contains(const CIndexedListHook& hook) const noexcept
{
    const Node* node = LeafOf(hook);
    if (!node || !m_root)
        return false;
    while (node->m_parent)
        node = node->m_parent;
    return node == m_root.get();
}

Chunk CTree::ChunkAt(int32_t index, int32_t& slot) const noexcept
{
    slot = 0;
    if (index < 0 || index >= m_size)
        return {};
    const Leaf* leaf = LeafAt(m_root.get(), index);
    slot = index;
    return MakeChunk(leaf);
}

Chunk CTree::NextChunk(const Chunk& chunk) noexcept
{
    return chunk.leaf ? MakeChunk(NextLeaf(AsLeaf(chunk.leaf))) : Chunk{};
}

// ---- Insertion ----

namespace {

// How many of the capacity + 1 entries stay in the left node when a full node
// splits for an insertion at `at`: half, except that an insertion at the end
// leaves the right node at the minimum and one at the front leaves the left
// node there, so that filling a list from one end packs its internal nodes
// three quarters full rather than half (its leaves fill up entirely: a full
// leaf first hands entries to a sibling with room, MakeRoomInSibling).
int32_t SplitPoint(int32_t at, int32_t capacity, int32_t minimum) noexcept
{
    if (at == capacity)
        return capacity + 1 - minimum;
    if (at == 0)
        return minimum;
    return (capacity + 1) / 2;
}

void InsertChild(Internal* parent, int32_t at, NodePtr child, int32_t count) noexcept
{
    const int32_t n = parent->m_count;
    std::move_backward(parent->m_children + at, parent->m_children + n, parent->m_children + n + 1);
    std::copy_backward(parent->m_counts + at, parent->m_counts + n, parent->m_counts + n + 1);
    parent->m_children[at] = std::move(child);
    parent->m_counts[at] = count;
    parent->m_count = n + 1;
    Reslot(parent, at, n + 1);
}

// Splits the full `node` into itself and the empty `sibling`, with `child`
// (holding `count` elements) inserted at `at` among the kFanout + 1 children.
void SplitInternal(Internal* node, int32_t at, NodePtr child, int32_t count, Internal* sibling) noexcept
{
    const int32_t total = kFanout + 1;
    const int32_t leftCount = SplitPoint(at, kFanout, kFanoutMinimum);
    // Fill the sibling from the tail first: it reads slots the left part no
    // longer needs.
    for (int32_t entry = leftCount; entry < total; ++entry) {
        const int32_t to = entry - leftCount;
        if (entry == at) {
            sibling->m_children[to] = std::move(child);
            sibling->m_counts[to] = count;
        } else {
            const int32_t from = entry < at ? entry : entry - 1;
            sibling->m_children[to] = std::move(node->m_children[from]);
            sibling->m_counts[to] = node->m_counts[from];
        }
    }
    if (at < leftCount) {
        std::move_backward(node->m_children + at, node->m_children + leftCount - 1, node->m_children + leftCount);
        std::copy_backward(node->m_counts + at, node->m_counts + leftCount - 1, node->m_counts + leftCount);
        node->m_children[at] = std::move(child);
        node->m_counts[at] = count;
        Reslot(node, at, leftCount);
    }
    node->m_count = leftCount;
    sibling->m_count = total - leftCount;
    Reslot(sibling, 0, sibling->m_count);
}

} // namespace

bool CTree::Insert(int32_t index, void* element, HookOf hookOf)
{
    if (!element || hookOf(element).IsLinked() || index < 0 || index > m_size ||
        m_size == std::numeric_limits<int32_t>::max())
        return false;
    if (!m_root)
        m_root = NewLeaf(kFirstLeafCapacity);
    Leaf* leaf = LeafForInsert(index);
    InsertInLeaf(leaf, index, element, hookOf);
    return true;
}

bool CTree::InsertNextTo(const CIndexedListHook& positionHook, const void* position, void* element, bool after,
                         HookOf hookOf)
{
    if (!element || hookOf(element).IsLinked() || !Contains(positionHook) ||
        m_size == std::numeric_limits<int32_t>::max())
        return false;
    Leaf* leaf = AsLeaf(const_cast<Node*>(LeafOf(positionHook)));
    const int32_t slot = SlotOf(leaf, position);
    if (slot < 0)
        return false;
    InsertInLeaf(leaf, after ? slot + 1 : slot, element, hookOf);
    return true;
}

// Like LeafAt, but `index` may be the size of the tree, and a position on a
// boundary between two leaves is the end of the earlier one.
Leaf* CTree::LeafForInsert(int32_t& index) const noexcept
{
    Node* node = m_root.get();
    if (index == m_size) {
        // Appending, the common case of a bulk add: no counts to scan.
        while (!node->m_isLeaf)
            node = AsInternal(node)->m_children[node->m_count - 1].get();
        index = node->m_count;
        return AsLeaf(node);
    }
    while (!node->m_isLeaf) {
        Internal* internal = AsInternal(node);
        const int32_t last = internal->m_count - 1;
        int32_t child = 0;
        while (child < last && index > internal->m_counts[child])
            index -= internal->m_counts[child++];
        node = internal->m_children[child].get();
    }
    return AsLeaf(node);
}

void CTree::InsertInLeaf(Leaf* leaf, int32_t slot, void* element, HookOf hookOf)
{
    if (leaf->m_count == leaf->m_capacity) {
        if (leaf->m_capacity < kLeafCapacity) {
            leaf = GrowRootLeaf(hookOf);
        } else if (!MakeRoomInSibling(leaf, slot, hookOf)) {
            SplitAndInsert(leaf, slot, element, hookOf);
            ++m_size;
            return;
        }
    }
    void** items = leaf->Items();
    std::copy_backward(items + slot, items + leaf->m_count, items + leaf->m_count + 1);
    items[slot] = element;
    ++leaf->m_count;
    LeafOf(hookOf(element)) = leaf;
    AddToAncestors(leaf, 1);
    ++m_size;
}

// Replaces the full root leaf of a one-leaf tree by one of twice its slots.
Leaf* CTree::GrowRootLeaf(HookOf hookOf)
{
    Leaf* old = AsLeaf(m_root.get());
    assert(!old->m_parent);
    NodePtr grownNode = NewLeaf(std::min<int32_t>(old->m_capacity * 2, kLeafCapacity));
    Leaf* grown = AsLeaf(grownNode.get());
    std::copy_n(old->Items(), old->m_count, grown->Items());
    grown->m_count = old->m_count;
    Rehook(grown, 0, grown->m_count, hookOf);
    m_root = std::move(grownNode);
    return grown;
}

// Splits the full `leaf` with `element` inserted at `slot`, then inserts the
// new right leaf into the parent, splitting full ancestors up to a new root
// as needed. The caller counts the new element in m_size.
void CTree::SplitAndInsert(Leaf* leaf, int32_t slot, void* element, HookOf hookOf)
{
    // Every node the cascade needs is allocated before the tree is touched,
    // so that a failed allocation leaves it as it was.
    NodePtr rightNode = NewLeaf(kLeafCapacity);
    std::array<NodePtr, kMaxHeight + 1> spares;
    int32_t spareCount = 0;
    Internal* ancestor = leaf->m_parent;
    for (; ancestor && ancestor->m_count == kFanout; ancestor = ancestor->m_parent) {
        assert(spareCount < static_cast<int32_t>(spares.size()));
        spares[spareCount++] = NewInternal();
    }
    if (!ancestor)
        spares[spareCount++] = NewInternal(); // the split reaches the root

    Leaf* right = AsLeaf(rightNode.get());
    const int32_t total = kLeafCapacity + 1;
    const int32_t leftCount = SplitPoint(slot, kLeafCapacity, kLeafMinimum);
    void** left = leaf->Items();
    void** rightItems = right->Items();
    for (int32_t entry = leftCount; entry < total; ++entry)
        rightItems[entry - leftCount] = entry < slot ? left[entry] : entry == slot ? element : left[entry - 1];
    if (slot < leftCount) {
        std::copy_backward(left + slot, left + leftCount - 1, left + leftCount);
        left[slot] = element;
        LeafOf(hookOf(element)) = leaf;
    }
    leaf->m_count = leftCount;
    right->m_count = total - leftCount;
    Rehook(right, 0, right->m_count, hookOf);

    Node* lower = leaf;
    int32_t lowerTotal = leftCount;
    int32_t newTotal = total - leftCount;
    NodePtr newNode = std::move(rightNode);
    int32_t spareUsed = 0;
    for (;;) {
        Internal* parent = lower->m_parent;
        if (!parent) {
            assert(lower == m_root.get());
            NodePtr rootNode = std::move(spares[spareUsed++]);
            Internal* root = AsInternal(rootNode.get());
            root->m_children[0] = std::move(m_root);
            root->m_children[1] = std::move(newNode);
            root->m_counts[0] = lowerTotal;
            root->m_counts[1] = newTotal;
            root->m_count = 2;
            Reslot(root, 0, 2);
            m_root = std::move(rootNode);
            ++m_height;
            return;
        }
        const int32_t at = lower->m_slot + 1;
        parent->m_counts[lower->m_slot] = lowerTotal;
        if (parent->m_count < kFanout) {
            InsertChild(parent, at, std::move(newNode), newTotal);
            AddToAncestors(parent, 1);
            return;
        }
        NodePtr siblingNode = std::move(spares[spareUsed++]);
        Internal* sibling = AsInternal(siblingNode.get());
        SplitInternal(parent, at, std::move(newNode), newTotal, sibling);
        lower = parent;
        lowerTotal = CountBefore(parent, parent->m_count);
        newTotal = CountBefore(sibling, sibling->m_count);
        newNode = std::move(siblingNode);
    }
}

// ---- Erasure ----

namespace {

void RemoveChild(Internal* parent, int32_t at) noexcept
{
    NodePtr removed = std::move(parent->m_children[at]);
    const int32_t n = parent->m_count;
    std::move(parent->m_children + at + 1, parent->m_children + n, parent->m_children + at);
    std::copy(parent->m_counts + at + 1, parent->m_counts + n, parent->m_counts + at);
    parent->m_count = n - 1;
    Reslot(parent, at, n - 1);
}

// Moves everything of the child at leftSlot + 1 into the child at leftSlot
// and frees the emptied node.
void MergeSiblings(Internal* parent, int32_t leftSlot, HookOf hookOf) noexcept
{
    Node* left = parent->m_children[leftSlot].get();
    Node* right = parent->m_children[leftSlot + 1].get();
    const int32_t first = left->m_count;
    if (left->m_isLeaf) {
        Leaf* leftLeaf = AsLeaf(left);
        std::copy_n(AsLeaf(right)->Items(), right->m_count, leftLeaf->Items() + first);
        leftLeaf->m_count = first + right->m_count;
        Rehook(leftLeaf, first, leftLeaf->m_count, hookOf);
    } else {
        Internal* leftNode = AsInternal(left);
        Internal* rightNode = AsInternal(right);
        for (int32_t child = 0; child < rightNode->m_count; ++child) {
            leftNode->m_children[first + child] = std::move(rightNode->m_children[child]);
            leftNode->m_counts[first + child] = rightNode->m_counts[child];
        }
        leftNode->m_count = first + rightNode->m_count;
        Reslot(leftNode, first, leftNode->m_count);
    }
    right->m_count = 0;
    parent->m_counts[leftSlot] += parent->m_counts[leftSlot + 1];
    RemoveChild(parent, leftSlot + 1);
}

// Moves the boundary between the children at leftSlot and leftSlot + 1 so
// that the left one holds `leftCount` of their entries (both within their
// capacity afterwards).
void MoveBoundary(Internal* parent, int32_t leftSlot, int32_t leftCount, HookOf hookOf) noexcept
{
    Node* left = parent->m_children[leftSlot].get();
    Node* right = parent->m_children[leftSlot + 1].get();
    const int32_t total = left->m_count + right->m_count;
    const int32_t rightCount = total - leftCount;
    assert(leftCount <= left->m_capacity && rightCount <= right->m_capacity);
    int32_t movedRight = 0; // elements that went from left to right (negative: the other way)
    if (left->m_isLeaf) {
        Leaf* leftLeaf = AsLeaf(left);
        Leaf* rightLeaf = AsLeaf(right);
        void** leftItems = leftLeaf->Items();
        void** rightItems = rightLeaf->Items();
        if (left->m_count > leftCount) {
            const int32_t k = left->m_count - leftCount;
            std::copy_backward(rightItems, rightItems + right->m_count, rightItems + right->m_count + k);
            std::copy_n(leftItems + leftCount, k, rightItems);
            Rehook(rightLeaf, 0, k, hookOf);
            movedRight = k;
        } else {
            const int32_t k = leftCount - left->m_count;
            std::copy_n(rightItems, k, leftItems + left->m_count);
            std::copy(rightItems + k, rightItems + right->m_count, rightItems);
            Rehook(leftLeaf, left->m_count, leftCount, hookOf);
            movedRight = -k;
        }
    } else {
        Internal* leftNode = AsInternal(left);
        Internal* rightNode = AsInternal(right);
        const int32_t oldLeft = leftNode->m_count;
        const int32_t oldRight = rightNode->m_count;
        if (oldLeft > leftCount) {
            const int32_t k = oldLeft - leftCount;
            std::move_backward(rightNode->m_children, rightNode->m_children + oldRight,
                               rightNode->m_children + oldRight + k);
            std::copy_backward(rightNode->m_counts, rightNode->m_counts + oldRight, rightNode->m_counts + oldRight + k);
            for (int32_t child = 0; child < k; ++child) {
                rightNode->m_children[child] = std::move(leftNode->m_children[leftCount + child]);
                rightNode->m_counts[child] = leftNode->m_counts[leftCount + child];
                movedRight += rightNode->m_counts[child];
            }
        } else {
            const int32_t k = leftCount - oldLeft;
            for (int32_t child = 0; child < k; ++child) {
                leftNode->m_children[oldLeft + child] = std::move(rightNode->m_children[child]);
                leftNode->m_counts[oldLeft + child] = rightNode->m_counts[child];
                movedRight -= rightNode->m_counts[child];
            }
            std::move(rightNode->m_children + k, rightNode->m_children + oldRight, rightNode->m_children);
            std::copy(rightNode->m_counts + k, rightNode->m_counts + oldRight, rightNode->m_counts);
        }
        Reslot(leftNode, std::min(oldLeft, leftCount), leftCount);
        Reslot(rightNode, 0, rightCount);
    }
    left->m_count = leftCount;
    right->m_count = rightCount;
    parent->m_counts[leftSlot] -= movedRight;
    parent->m_counts[leftSlot + 1] += movedRight;
}

// Evens out the children at leftSlot and leftSlot + 1.
void BalanceSiblings(Internal* parent, int32_t leftSlot, HookOf hookOf) noexcept
{
    const Node* left = parent->m_children[leftSlot].get();
    const Node* right = parent->m_children[leftSlot + 1].get();
    MoveBoundary(parent, leftSlot, (left->m_count + right->m_count) / 2, hookOf);
}

} // namespace

// An insertion at the end of a full leaf moves its first entries into the
// previous leaf, if that has room, and one at its front its last entries into
// the next: a list filled from one end then packs its leaves full, not three
// quarters, and nothing is allocated. `slot` follows its entries. False when
// the insertion is elsewhere or the sibling is full (the leaf splits).
bool CTree::MakeRoomInSibling(Leaf* leaf, int32_t& slot, HookOf hookOf) noexcept
{
    Internal* const parent = leaf->m_parent;
    if (!parent)
        return false;
    const int32_t at = leaf->m_slot;
    if (slot == leaf->m_count && at > 0) {
        const Node* const previous = parent->m_children[at - 1].get();
        const int32_t room = kLeafCapacity - previous->m_count;
        if (room == 0)
            return false;
        MoveBoundary(parent, at - 1, kLeafCapacity, hookOf);
        slot -= room;
        return true;
    }
    if (slot == 0 && at + 1 < parent->m_count) {
        const Node* const next = parent->m_children[at + 1].get();
        const int32_t room = kLeafCapacity - next->m_count;
        if (room == 0)
            return false;
        MoveBoundary(parent, at, leaf->m_count - room, hookOf);
        return true;
    }
    return false;
}

void* CTree::EraseAt(int32_t index, HookOf hookOf) noexcept
{
    if (index < 0 || index >= m_size)
        return nullptr;
    Leaf* leaf = LeafAt(m_root.get(), index);
    void* element = leaf->Items()[index];
    RemoveFromLeaf(leaf, index, hookOf);
    LeafOf(hookOf(element)) = nullptr;
    return element;
}

bool CTree::Erase(void* element, HookOf hookOf) noexcept
{
    if (!element)
        return false;
    CIndexedListHook& hook = hookOf(element);
    if (!Contains(hook))
        return false;
    Leaf* leaf = AsLeaf(LeafOf(hook));
    const int32_t slot = SlotOf(leaf, element);
    if (slot < 0)
        return false;
    RemoveFromLeaf(leaf, slot, hookOf);
    LeafOf(hook) = nullptr;
    return true;
}

// Takes the element at `slot` out of `leaf` without touching its hook.
void CTree::RemoveFromLeaf(Leaf* leaf, int32_t slot, HookOf hookOf) noexcept
{
    void** items = leaf->Items();
    std::copy(items + slot + 1, items + leaf->m_count, items + slot);
    --leaf->m_count;
    AddToAncestors(leaf, -1);
    --m_size;
    Rebalance(leaf, hookOf);
}

// Restores the occupancy of `node` and its ancestors after a removal, then
// drops root levels left with a single child.
void CTree::Rebalance(Node* node, HookOf hookOf) noexcept
{
    while (node->m_parent && node->m_count < MinimumOf(node)) {
        Internal* parent = node->m_parent;
        const int32_t leftSlot = node->m_slot > 0 ? node->m_slot - 1 : 0;
        const int32_t pairCount =
            parent->m_children[leftSlot]->m_count + parent->m_children[leftSlot + 1]->m_count;
        if (pairCount > MergeLimitOf(node)) {
            BalanceSiblings(parent, leftSlot, hookOf);
            break;
        }
        MergeSiblings(parent, leftSlot, hookOf);
        node = parent;
    }
    while (!m_root->m_isLeaf && m_root->m_count == 1) {
        NodePtr child = std::move(AsInternal(m_root.get())->m_children[0]);
        child->m_parent = nullptr;
        child->m_slot = 0;
        m_root = std::move(child);
        --m_height;
    }
}

// ---- Block moves ----

namespace {

// A forward iterator over the element slots, for std::rotate.
struct SlotIterator {
    using iterator_category = std::forward_iterator_tag;
    using value_type = void*;
    using difference_type = std::ptrdiff_t;
    using pointer = void**;
    using reference = void*&;

    Leaf* leaf = nullptr; // null at the end
    int32_t slot = 0;

    reference operator*() const noexcept { return leaf->Items()[slot]; }
    SlotIterator& operator++() noexcept
    {
        if (++slot == leaf->m_count) {
            leaf = NextLeaf(leaf);
            slot = 0;
        }
        return *this;
    }
    SlotIterator operator++(int) noexcept
    {
        SlotIterator old = *this;
        ++*this;
        return old;
    }
    bool operator==(const SlotIterator&) const noexcept = default;
};

SlotIterator SlotAt(Node* root, int32_t index, int32_t size) noexcept
{
    if (index >= size)
        return {};
    Leaf* leaf = LeafAt(root, index);
    return {leaf, index};
}

} // namespace

bool CTree::MoveBlock(int32_t from, int32_t count, int32_t to, HookOf hookOf)
{
    if (count < 0 || from < 0 || to < 0 || from > m_size - count || to > m_size - count)
        return false;
    if (count == 0 || from == to)
        return true;
    const int32_t first = std::min(from, to);
    const int32_t last = std::max(from, to) + count;
    if ((last - first) / count <= kRotateSpanPerElement) {
        Rotate(first, to < from ? from : from + count, last, hookOf);
    } else if (to < from) {
        for (int32_t i = 0; i < count; ++i)
            MoveOne(from + i, to + i, hookOf);
    } else {
        for (int32_t i = count; i-- > 0;)
            MoveOne(from + i, to + i, hookOf);
    }
    return true;
}

// Rotates [first, last) so that the element at `middle` comes first. The
// tree's shape does not change, so nothing is allocated; only elements that
// land in another leaf get their hook updated.
void CTree::Rotate(int32_t first, int32_t middle, int32_t last, HookOf hookOf) noexcept
{
    const SlotIterator begin = SlotAt(m_root.get(), first, m_size);
    const SlotIterator end = SlotAt(m_root.get(), last, m_size);
    std::rotate(begin, SlotAt(m_root.get(), middle, m_size), end);
    for (SlotIterator it = begin; it != end; ++it) {
        Node*& leafOfElement = LeafOf(hookOf(*it));
        if (leafOfElement != it.leaf)
            leafOfElement = it.leaf;
    }
}

// Moves the element at `from` so that it ends at `to`.
void CTree::MoveOne(int32_t from, int32_t to, HookOf hookOf)
{
    int32_t slot = from;
    void* element = LeafAt(m_root.get(), slot)->Items()[slot];
    // The element is inserted at its new place before it leaves the old one,
    // so that a failed allocation leaves the list as it was. Meanwhile it sits
    // in two slots, and its hook is set once it is down to one.
    slot = to < from ? to : to + 1;
    Leaf* target = LeafForInsert(slot);
    InsertInLeaf(target, slot, element, hookOf);
    slot = to < from ? from + 1 : from;
    Leaf* source = LeafAt(m_root.get(), slot);
    assert(source->Items()[slot] == element);
    RemoveFromLeaf(source, slot, hookOf);
    slot = to;
    LeafOf(hookOf(element)) = LeafAt(m_root.get(), slot);
}

// ---- Bulk ----

namespace {

void FillLeaf(Leaf* leaf, int32_t first, int32_t count, const void* elements, ElementAt elementAt,
              HookOf hookOf) noexcept
{
    void** items = leaf->Items();
    for (int32_t slot = 0; slot < count; ++slot)
        items[slot] = elementAt(elements, static_cast<std::size_t>(first + slot));
    leaf->m_count = count;
    Rehook(leaf, 0, count, hookOf);
}

// One level of a tree under construction: its nodes in order and the number
// of elements under each.
struct Level {
    explicit Level(int32_t count)
    {
        nodes.reserve(static_cast<std::size_t>(count));
        sizes.reserve(static_cast<std::size_t>(count));
    }
    void Add(NodePtr node, int32_t size)
    {
        nodes.push_back(std::move(node));
        sizes.push_back(size);
    }
    std::vector<NodePtr> nodes;
    std::vector<int32_t> sizes;
};

// What part `part` of `parts` gets when `total` is spread evenly.
int32_t EvenShare(int32_t total, int32_t parts, int32_t part) noexcept
{
    return total / parts + (part < total % parts ? 1 : 0);
}

// Builds a tree of the n (> 0) elements bottom up, every node as full as an
// even spread allows (so at least half full), and sets their hooks.
NodePtr BuildTree(int32_t n, const void* elements, ElementAt elementAt, HookOf hookOf, int32_t& height)
{
    height = 0;
    if (n <= kLeafCapacity) {
        int32_t capacity = kFirstLeafCapacity;
        while (capacity < n)
            capacity *= 2;
        NodePtr leaf = NewLeaf(capacity);
        FillLeaf(AsLeaf(leaf.get()), 0, n, elements, elementAt, hookOf);
        return leaf;
    }
    const int32_t leafCount = (n + kLeafCapacity - 1) / kLeafCapacity;
    Level level(leafCount);
    for (int32_t leafIndex = 0, first = 0; leafIndex < leafCount; ++leafIndex) {
        const int32_t size = EvenShare(n, leafCount, leafIndex);
        NodePtr leaf = NewLeaf(kLeafCapacity);
        FillLeaf(AsLeaf(leaf.get()), first, size, elements, elementAt, hookOf);
        first += size;
        level.Add(std::move(leaf), size);
    }
    while (level.nodes.size() > 1) {
        const auto childCount = static_cast<int32_t>(level.nodes.size());
        const int32_t parentCount = (childCount + kFanout - 1) / kFanout;
        Level parents(parentCount);
        for (int32_t parentIndex = 0, child = 0; parentIndex < parentCount; ++parentIndex) {
            const int32_t fanout = EvenShare(childCount, parentCount, parentIndex);
            NodePtr parentNode = NewInternal();
            Internal* parent = AsInternal(parentNode.get());
            int32_t total = 0;
            for (int32_t slot = 0; slot < fanout; ++slot, ++child) {
                parent->m_children[slot] = std::move(level.nodes[static_cast<std::size_t>(child)]);
                parent->m_counts[slot] = level.sizes[static_cast<std::size_t>(child)];
                total += parent->m_counts[slot];
            }
            parent->m_count = fanout;
            Reslot(parent, 0, fanout);
            parents.Add(std::move(parentNode), total);
        }
        level = std::move(parents);
        ++height;
    }
    return std::move(level.nodes.front());
}

} // namespace

bool CTree::Assign(std::size_t count, const void* elements, ElementAt elementAt, HookOf hookOf)
{
    if (count > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
        return false;
    const auto n = static_cast<int32_t>(count);
    // Unlink the old contents, then mark each new element: a mark already
    // there is a duplicate, any other link an element of another list.
    LinkAll(false, hookOf);
    const auto unmark = [&](int32_t marked) noexcept {
        for (int32_t i = 0; i < marked; ++i)
            LeafOf(hookOf(elementAt(elements, static_cast<std::size_t>(i)))) = nullptr;
        LinkAll(true, hookOf);
    };
    for (int32_t i = 0; i < n; ++i) {
        void* element = elementAt(elements, static_cast<std::size_t>(i));
        if (!element || hookOf(element).IsLinked()) {
            unmark(i);
            return false;
        }
        LeafOf(hookOf(element)) = &g_assignMark;
    }

    if (n == 0) {
        m_root.reset();
        m_size = 0;
        m_height = 0;
    } else if (n == m_size) {
        // As many as before: refill the existing leaves, allocating nothing.
        int32_t next = 0;
        for (Leaf* leaf = FirstLeaf(m_root.get()); leaf; leaf = NextLeaf(leaf)) {
            FillLeaf(leaf, next, leaf->m_count, elements, elementAt, hookOf);
            next += leaf->m_count;
        }
    } else {
        int32_t height = 0;
        NodePtr root;
        try {
            root = BuildTree(n, elements, elementAt, hookOf, height);
        } catch (...) {
            unmark(n);
            throw;
        }
        m_root = std::move(root);
        m_size = n;
        m_height = height;
    }
    return true;
}

void CTree::Clear(HookOf hookOf) noexcept
{
    LinkAll(false, hookOf);
    m_root.reset();
    m_size = 0;
    m_height = 0;
}

// Points every element's hook at its leaf, or clears them all.
void CTree::LinkAll(bool linked, HookOf hookOf) noexcept
{
    if (!m_root)
        return;
    for (Leaf* leaf = FirstLeaf(m_root.get()); leaf; leaf = NextLeaf(leaf)) {
        void** items = leaf->Items();
        for (int32_t slot = 0; slot < leaf->m_count; ++slot)
            LeafOf(hookOf(items[slot])) = linked ? leaf : nullptr;
    }
}

// ---- Search ----

// Descends keeping the invariant that the first element under `node`
// satisfies the predicate: at each internal node, a binary search over the
// first elements of its children picks the last child that starts inside
// the prefix.
int32_t CTree::PartitionPoint(Predicate predicate, void* context) const
{
    if (m_size == 0 || !predicate(context, FirstElementOf(m_root.get())))
        return 0;
    const Node* node = m_root.get();
    int32_t base = 0;
    while (!node->m_isLeaf) {
        const Internal* internal = AsInternal(node);
        int32_t low = 1;
        int32_t high = internal->m_count;
        while (low < high) {
            const int32_t mid = low + (high - low) / 2;
            if (predicate(context, FirstElementOf(internal->m_children[mid].get())))
                low = mid + 1;
            else
                high = mid;
        }
        base += CountBefore(internal, low - 1);
        node = internal->m_children[low - 1].get();
    }
    void* const* items = AsLeaf(node)->Items();
    int32_t low = 1;
    int32_t high = node->m_count;
    while (low < high) {
        const int32_t mid = low + (high - low) / 2;
        if (predicate(context, items[mid]))
            low = mid + 1;
        else
            high = mid;
    }
    return base + low;
}

// ---- Invariants ----

namespace {

struct CheckState {
    HookOf hookOf;
    int32_t leafDepth = -1;
    std::string fault;
};

// The number of elements under `node`, or -1 after recording a fault.
int64_t CheckNode(const Node* node, const Internal* parent, int32_t slot, int32_t depth, CheckState& state)
{
    const auto fail = [&](const std::string& what) {
        state.fault = what + " (depth " + std::to_string(depth) + ", slot " + std::to_string(slot) + ")";
        return int64_t{-1};
    };
    if (node->m_parent != parent || node->m_slot != slot)
        return fail("wrong parent link");
    const bool isRoot = !parent;
    const int32_t count = node->m_count;
    if (node->m_isLeaf) {
        const Leaf* leaf = AsLeaf(node);
        if (state.leafDepth < 0)
            state.leafDepth = depth;
        else if (state.leafDepth != depth)
            return fail("leaves at different depths");
        const int32_t capacity = leaf->m_capacity;
        const bool capacityOk = isRoot ? capacity >= kFirstLeafCapacity && capacity <= kLeafCapacity &&
                                             (capacity & (capacity - 1)) == 0
                                       : capacity == kLeafCapacity;
        if (!capacityOk)
            return fail("leaf of " + std::to_string(capacity) + " slots");
        if (count > capacity || count < (isRoot ? 0 : kLeafMinimum))
            return fail("leaf holding " + std::to_string(count) + " elements");
        void* const* items = leaf->Items();
        for (int32_t i = 0; i < count; ++i) {
            if (!items[i])
                return fail("null element");
            if (LeafOf(state.hookOf(items[i])) != leaf)
                return fail("element " + std::to_string(i) + " whose hook is not its leaf");
        }
        return count;
    }
    const Internal* internal = AsInternal(node);
    if (internal->m_capacity != kFanout || count > kFanout || count < (isRoot ? 2 : kFanoutMinimum))
        return fail("internal node with " + std::to_string(count) + " children");
    int64_t total = 0;
    for (int32_t child = 0; child < kFanout; ++child) {
        const Node* childNode = internal->m_children[child].get();
        if (child >= count) {
            if (childNode)
                return fail("child beyond the count");
            continue;
        }
        if (!childNode)
            return fail("missing child");
        const int64_t size = CheckNode(childNode, internal, child, depth + 1, state);
        if (size < 0)
            return -1;
        if (size != internal->m_counts[child])
            return fail("count " + std::to_string(internal->m_counts[child]) + " for a child holding " +
                        std::to_string(size));
        total += size;
    }
    return total;
}

} // namespace

std::string CTree::CheckInvariants(HookOf hookOf) const
{
    if (!m_root)
        return m_size == 0 && m_height == 0 ? std::string() : "no nodes, but a size or height";
    CheckState state{hookOf, -1, {}};
    const int64_t total = CheckNode(m_root.get(), nullptr, 0, 0, state);
    if (total < 0)
        return state.fault;
    if (total != m_size)
        return "size " + std::to_string(m_size) + " but " + std::to_string(total) + " elements";
    if (state.leafDepth != m_height)
        return "height " + std::to_string(m_height) + " but leaves at depth " + std::to_string(state.leafDepth);
    return {};
}

} // namespace Brivel::Common::IndexedListDetail
