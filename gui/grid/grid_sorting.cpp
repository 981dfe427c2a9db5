// CGrid::CGridImpl: sorting. Each list keeps a copy of the header's keys (at
// most five) and its tree in that order level by level: the children of every
// item are sorted among themselves and the flat list follows the tree.
//
// Three moments use the order: Resort (the whole list, when the keys change),
// the placement of a new row (upper bound among its siblings: after every
// equal one), and Reposition (one row after a value change: the smallest move
// that restores the order, done by rotation, its shown subtree moving with it
// as one block).
//
// Sort values: slot k of an item holds its object's value for key k, read
// when the item is placed, when its object reports a change, and by Resort.
// Comparisons use only the values, never the objects.

#include "gui/grid/grid_impl.h"

#include "gui/rows/grid_item.h"
#include "gui/rows/item_sort.h"

#include "common/data_object.h"

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;

namespace {

// Unsorted, the rows give their sort values back (32 bytes a row for one
// key, in a list of a million).
void DropSortValues(CRowList& list)
{
    list.GetRoot()->ForEachDescendant([](CGridItem* item) {
        item->ResizeSortValues(0);
        return true;
    });
}

} // namespace

int32_t CGridImpl::Compare(const CGridItem& a, const CGridItem& b, const std::vector<CSortInfo>& keys)
{
    const auto slotsA = a.GetSortValues();
    const auto slotsB = b.GetSortValues();
    const size_t count = std::min(keys.size(), static_cast<size_t>(CGridItem::kSortValueCount));
    for (size_t k = 0; k < count; ++k) {
        if (k >= slotsA.size() || k >= slotsB.size())
            return 0; // not read yet: compares as no value
        const Common::CFieldValue& va = slotsA[k];
        const Common::CFieldValue& vb = slotsB[k];
        if (va.GetKind() != vb.GetKind() || va.GetKind() == Common::KindNone)
            return 0;
        if (va.IsEqual(vb))
            continue;
        const int32_t r = va.IsGreater(vb) ? 1 : -1;
        return keys[k].IsDescending() ? r : -r;
    }
    return 0;
}

const std::vector<CSortInfo>& CGridImpl::GetListKeys(const CRowList& list) const
{
    return m_keys[static_cast<size_t>(list.GetKind() == CRowList::kPinnedList ? 1 : 2)];
}

void CGridImpl::RefreshSortValues(CGridItem& item, const CRowList& list) const
{
    Common::CDataObject* const object = item.GetDataObject();
    if (object == nullptr)
        return;
    const std::vector<CSortInfo>& keys = GetListKeys(list);
    item.ResizeSortValues(keys.size());
    const auto values = item.GetSortValues();
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = object->GetValue(keys[k].GetFieldId());
}

int32_t CGridImpl::SortedChildIndex(const CGridItem& parentNode, const CGridItem& item,
                                    const std::vector<CSortInfo>& keys) const
{
    // Upper bound: the first child the item goes before.
    int32_t lo = 0;
    int32_t hi = parentNode.GetChildCount();
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (Compare(item, *parentNode.GetChild(mid), keys) > 0)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

void CGridImpl::SortChildrenOf(CRowList& list, CGridItem& node, const std::vector<CSortInfo>& keys)
{
    if (node.GetChildCount() < 2)
        return;
    std::vector<CGridItem*> order(node.GetChildren().begin(), node.GetChildren().end());
    IntroSort(order.data(), order.data() + order.size(),
              [&keys](const CGridItem* a, const CGridItem* b) { return Compare(*a, *b, keys) > 0; });
    list.SetChildOrder(node.IsRoot() ? nullptr : &node, order);
}

void CGridImpl::SortSubtree(CRowList& list, CGridItem& node)
{
    const std::vector<CSortInfo>& keys = GetListKeys(list);
    if (keys.empty())
        return;
    // The nodes first, then their children: a children list must not change
    // under the walk.
    std::vector<CGridItem*> parents;
    if (node.GetChildCount() > 1)
        parents.push_back(&node);
    node.ForEachDescendant([&](CGridItem* item) {
        RefreshSortValues(*item, list);
        if (item->GetChildCount() > 1)
            parents.push_back(item);
        return true;
    });
    for (CGridItem* parent : parents)
        SortChildrenOf(list, *parent, keys);
    list.RebuildFlatList();
}

void CGridImpl::Resort(CRowList& list)
{
    if (GetListKeys(list).empty()) {
        DropSortValues(list);
        return;
    }
    SortSubtree(list, *list.GetRoot());
}

void CGridImpl::Sort()
{
    CRowList* const focusList = ListOfKind(m_selection.GetFocusKind());
    CGridItem* const focusItem = m_selection.GetFocusItem();
    for (CRowList* list : {&m_pinned, &m_body}) {
        std::vector<CSortInfo>& keys = m_keys[static_cast<size_t>(list->GetKind())];
        keys.clear();
        if (m_header == nullptr || !KindInMask(list->GetKind(), m_options.sortableLists))
            continue;
        const int32_t levels = std::min(m_header->GetSortLevelCount(), CHeader::kMaxSortLevels);
        for (int32_t level = 0; level < levels; ++level) {
            const CSortInfo key = m_header->GetSortInfo(level);
            if (key.GetFieldId() != CSortInfo::kNoField)
                keys.push_back(key);
        }
        Resort(*list);
    }
    InvalidateAll();
    m_selection.ClearFocus();
    if (focusItem != nullptr && focusItem->IsShown())
        m_selection.FollowFocus(*focusList, focusList->GetRowIndex(focusItem));
}

void CGridImpl::SetSortKey(int32_t level, const CSortInfo& key, bool resortNow)
{
    if (m_header == nullptr)
        return;
    ++m_suppressSortReaction;
    m_header->SetSortInfo(level, key);
    --m_suppressSortReaction;
    if (resortNow) {
        Sort();
        NotifyHeaderEvent(kNotifySortChanged, nullptr, CHeader::INotify::kSortChanged);
    }
}

void CGridImpl::ClearSort(bool repaint)
{
    if (m_header != nullptr) {
        ++m_suppressSortReaction;
        m_header->ClearSort();
        --m_suppressSortReaction;
    }
    m_keys[CRowList::kPinnedList].clear();
    m_keys[CRowList::kBodyList].clear();
    DropSortValues(m_pinned);
    DropSortValues(m_body);
    if (repaint)
        InvalidateAll();
}

void CGridImpl::ReplaceSort(const CSortInfo& key)
{
    ClearSort(false);
    SetSortKey(0, key, true);
}

CSortInfo CGridImpl::GetSortKey(int32_t level) const
{
    return m_header ? m_header->GetSortInfo(level) : CSortInfo();
}

int32_t CGridImpl::GetSortKeyCount() const
{
    return m_header ? m_header->GetSortLevelCount() : 0;
}

bool CGridImpl::Reposition(CGridItem& item)
{
    CRowList* const list = ListOf(&item);
    if (list == nullptr)
        return false;
    const std::vector<CSortInfo>& keys = GetListKeys(*list);
    CGridItem* const parent = item.GetParent();
    if (keys.empty() || parent == nullptr)
        return false;
    try {
        const int32_t index = parent->GetChildIndex(&item);
        if (index < 0)
            return false;
        const int32_t oldRow = list->GetRowIndex(&item);
        RefreshSortValues(item, *list);

        // First the upper bound among the siblings before it; if that is its
        // own index, the lower bound among the siblings after it. The
        // siblings are in order, so one comparison with the neighbour says
        // whether a side needs its search at all.
        const int32_t count = parent->GetChildCount();
        int32_t target = index;
        if (index > 0 && Compare(item, *parent->GetChild(index - 1), keys) > 0) {
            int32_t lo = 0;
            int32_t hi = index - 1;
            while (lo < hi) {
                const int32_t mid = lo + (hi - lo) / 2;
                if (Compare(item, *parent->GetChild(mid), keys) > 0)
                    hi = mid;
                else
                    lo = mid + 1;
            }
            target = lo;
        } else if (index + 1 < count && Compare(*parent->GetChild(index + 1), item, keys) > 0) {
            int32_t lo = index + 2;
            int32_t hi = count;
            while (lo < hi) {
                const int32_t mid = lo + (hi - lo) / 2;
                if (Compare(*parent->GetChild(mid), item, keys) > 0)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            target = lo - 1;
        }
        if (target == index)
            return false;
        if (!list->MoveToChildIndex(&item, target))
            return false;
        if (item.IsShown()) {
            const int32_t newRow = list->GetRowIndex(&item);
            const int32_t block = item.GetVisibleDescendantCount();
            InvalidateRows(*list, std::min(oldRow, newRow), std::max(oldRow, newRow) + block);
        }
        m_selection.ClearFocus();
        NotifyItem(kNotifyItemMoved, item);
        return true;
    } catch (...) {
        // A value getter that throws leaves the row where it is.
        return false;
    }
}

} // namespace Brivel::GUI
