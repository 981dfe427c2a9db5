// CGrid::CGridImpl: how rows enter and leave the grid. Add, Attach, Detach,
// Remove, RemoveAt, Clear, FindItems, RemoveObject, and the deferred layout
// update that follows removals (operation 49, posted once until it has run).
//
// Every operation here runs on the GUI thread (CGrid carries calls there) and
// leaves the row tree, the flat lists, the focus and the top row consistent
// before it notifies the parent window.

#include "gui/grid/grid_impl.h"

#include "gui/rows/data_object_registry.h"
#include "gui/rows/grid_item.h"

#include "common/data_object.h"

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;

namespace {

bool IsRootHandle(const CGridItem* handle)
{
    return handle == CGrid::kBodyRoot || handle == CGrid::kPinnedRoot;
}

bool IsPositionHandle(const CGridItem* handle)
{
    return handle == nullptr || IsRootHandle(handle) || handle == CGrid::kHead || handle == CGrid::kTail;
}

} // namespace

CGridItem* CGridImpl::Add(Common::CDataObject* object, CGridItem* parent, CGridItem* position, bool marshalled)
{
    CGridItem* const item = CGridItem::CreateForInsertion(object, {});
    if (!Insert(item, parent, position, true, marshalled)) {
        item->DetachDataObjects();
        CRowList::DestroyItem(item);
        return nullptr;
    }
    NotifyItem(kNotifyItemAdded, *item);
    return item;
}

bool CGridImpl::Insert(CGridItem* item, CGridItem* parent, CGridItem* position, bool show, bool marshalled)
{
    // Only an item at the top of the detached list may go in.
    if (item == nullptr || item->GetParent() != nullptr || item->IsAttached() || item->IsRoot())
        return false;

    CRowList* list = nullptr;
    CGridItem* node = nullptr; // the parent node, the root for a top-level row
    if (parent == CGrid::kBodyRoot) {
        list = &m_body;
        node = m_body.GetRoot();
    } else if (parent == CGrid::kPinnedRoot) {
        list = &m_pinned;
        node = m_pinned.GetRoot();
    } else if (IsPositionHandle(parent) || (list = ListOf(parent)) == nullptr) {
        return false;
    } else {
        node = parent;
    }
    // A position is a position handle or an item of this grid (of either
    // list: one that is not under the parent means the tail); anything else
    // is refused rather than taken for the tail.
    if (!IsPositionHandle(position) && ListOf(position) == nullptr)
        return false;

    const std::vector<CSortInfo>& keys = GetListKeys(*list);
    int32_t index = CRowList::kTail;
    if (!keys.empty()) {
        item->ForEachDescendant([&](CGridItem* descendant) {
            RefreshSortValues(*descendant, *list);
            return true;
        });
        RefreshSortValues(*item, *list);
        index = SortedChildIndex(*node, *item, keys);
    } else if (position == CGrid::kHead || (position == parent && !IsRootHandle(parent))) {
        index = 0;
    } else if (!IsPositionHandle(position) && ListOf(position) == list) {
        // After the parent's child that contains the position item; the tail
        // when it is not under the parent.
        const CGridItem* child = position;
        while (child != nullptr && child->GetParent() != node)
            child = child->GetParent();
        if (child != nullptr)
            index = node->GetChildIndex(child) + 1;
    }

    const bool parentShown = node->IsRoot() || node->IsShown();
    if (!list->InsertChild(node->IsRoot() ? nullptr : node, index, item, show))
        return false;
    if (!keys.empty() && item->GetChildCount() > 0)
        SortSubtree(*list, *item);
    if (!item->IsShown() && parentShown && !node->IsRoot() && node->GetChildCount() == 1)
        InvalidateItem(*node); // its expand button appears
    if (list == &m_body && m_topRow < 0 && m_body.GetRowCount() > 0)
        m_topRow = 0;
    if (marshalled)
        StartAddBurstTimer();
    return true;
}

bool CGridImpl::Attach(CGridItem* item, CGridItem* parent, CGridItem* position)
{
    if (!IsLiveItem(item) || item->GetParent() != nullptr || item->IsAttached())
        return false;
    Common::CDataObject* const object = item->GetDataObject();
    if (object == nullptr || !CDataObjectRegistry::GetInstance().HasBinding(object, item))
        return false;
    if (!Insert(item, parent, position, true, false))
        return false;
    NotifyItem(kNotifyItemAttached, *item);
    return true;
}

bool CGridImpl::Detach(CGridItem* item)
{
    CRowList* const list = ListOf(item);
    if (list == nullptr || m_removing > 0)
        return false;
    NotifyItem(kNotifyItemDetached, *item);
    if (ListOf(item) != list)
        return false; // the handler took it away
    m_selection.ClearFocus();
    ForgetPendingEnsureItemIn(*item);
    CGridItem* const parent = item->GetParent();
    if (!list->DetachItem(item))
        return false;
    AfterChildRemoved(*list, parent);
    return true;
}

void CGridImpl::SendRemovalNotifications(CGridItem& item)
{
    if (!m_options.notifyParent)
        return;
    if (item.GetChildCount() == 0) {
        NotifyItem(kNotifyItemRemoving, item);
        return;
    }
    // Children before parents, the last child first: the reverse of the
    // pre-order walk.
    std::vector<CGridItem*> order;
    order.push_back(&item);
    item.ForEachDescendant([&](CGridItem* descendant) {
        order.push_back(descendant);
        return true;
    });
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        NotifyItem(kNotifyItemRemoving, **it);
}

bool CGridImpl::Remove(CGridItem* item)
{
    CRowList* const list = ListOf(item);
    // Removals from inside a removal notification are refused: the rows being
    // reported must stay alive until the report is over.
    if (list == nullptr || m_removing > 0)
        return false;
    if (list->GetKind() == m_selection.GetFocusKind())
        m_selection.ClearFocus();
    const int32_t bodyRows = m_body.GetRowCount();
    ++m_removing;
    SendRemovalNotifications(*item);
    --m_removing;
    if (ListOf(item) != list)
        return false;
    CGridItem* const parent = item->GetParent();
    ForgetPendingEnsureItemIn(*item);
    item->DetachDataObjects();
    CRowList::DestroyItem(item);
    AfterChildRemoved(*list, parent);
    if (m_body.GetRowCount() != bodyRows)
        RequestDeferredLayout();
    return true;
}

void CGridImpl::AfterChildRemoved(CRowList& list, CGridItem* parent)
{
    if (parent != nullptr && !parent->IsRoot() && parent->IsShown() && parent->GetChildCount() == 0)
        InvalidateItem(*parent); // its expand button goes
    if (&list == &m_body)
        ClampTopRowAfterRemoval();
}

void CGridImpl::ClampTopRowAfterRemoval()
{
    const int32_t count = m_body.GetRowCount();
    if (m_topRow >= count)
        m_topRow = count - 1; // without scrolling; the layout update repaints
}

void CGridImpl::ForgetPendingEnsureItemIn(const CGridItem& subtree)
{
    m_input.GetEditor().ForgetItemsIn(subtree); // no write after the row goes
    // The deferred EnsureVisible must never follow a pointer to an item that
    // left the grid.
    for (const CGridItem* item = m_pendingEnsureItem; item != nullptr; item = item->GetParent()) {
        if (item == &subtree) {
            m_pendingEnsureItem = nullptr;
            return;
        }
    }
}

bool CGridImpl::RemoveAt(int32_t row, int32_t listMask)
{
    bool removed = false;
    if (listMask & CGrid::kPinnedMask)
        removed = Remove(m_pinned.GetItem(row)) || removed;
    if (listMask & CGrid::kBodyMask)
        removed = Remove(m_body.GetItem(row)) || removed;
    return removed;
}

bool CGridImpl::Clear(int32_t listMask)
{
    if (m_removing > 0)
        return false;
    m_selection.ClearFocus();
    m_keys[CRowList::kPinnedList].clear();
    m_keys[CRowList::kBodyList].clear();
    bool cleared = false;
    for (CRowList* list : {&m_pinned, &m_body}) {
        if ((listMask & list->GetKind()) == 0)
            continue;
        cleared = true;
        CGridItem* const root = list->GetRoot();
        ForgetPendingEnsureItemIn(*root);
        ++m_removing;
        for (int32_t i = root->GetChildCount() - 1; i >= 0; --i)
            SendRemovalNotifications(*root->GetChild(i));
        --m_removing;
        root->DetachDataObjects();
        list->DestroyAll();
    }
    ClampTopRowAfterRemoval();
    RequestDeferredLayout();
    Sort(); // restores the header's keys, repaints
    return cleared;
}

void CGridImpl::FindItems(Common::CDataObject* object, std::vector<CGridItem*>& items, bool shownOnly,
                          int32_t listMask)
{
    if (object == nullptr)
        return;
    const size_t first = items.size();
    CDataObjectRegistry::GetInstance().GetRows(object, items, this);
    size_t kept = first;
    for (size_t i = first; i < items.size(); ++i) {
        CGridItem* const item = items[i];
        if ((listMask & item->GetListKind()) == 0 || (shownOnly && !item->IsShown()))
            continue;
        items[kept++] = item;
    }
    items.resize(kept);
}

int32_t CGridImpl::RemoveObject(Common::CDataObject* object)
{
    if (object == nullptr)
        return 0;
    std::vector<CGridItem*> items;
    FindItems(object, items, false, CGrid::kBothLists);
    CDataObjectRegistry& registry = CDataObjectRegistry::GetInstance();
    for (CGridItem* item : items) {
        // An item below another bound item went with its ancestor: its
        // binding is gone, and the pointer must not be followed.
        if (registry.HasBinding(object, item))
            Remove(item);
    }
    return static_cast<int32_t>(items.size());
}

void CGridImpl::RequestDeferredLayout()
{
    if (IsDestroyed())
        return;
    if (m_inMarshalledCall) {
        // Calls from another thread arrive one by one through the queue, and
        // a posted update would run between every two of them: a burst of
        // them gets one layout update per 10 ms instead (timer 3).
        StartAddBurstTimer();
        return;
    }
    if (m_pendingLayout > 0)
        return;
    if (Platform::PostMessage(GetSafeHwnd(), SyncMessageId(), kOpDeferredLayout, 0))
        ++m_pendingLayout;
}

void CGridImpl::StartAddBurstTimer()
{
    // One layout update per 10 ms of marshalled calls, not one per row;
    // started once, not restarted, so that a long burst shows progress.
    if (!m_addBurstPending)
        m_addBurstPending = SetTimer(kAddBurstTimer, 10);
}

void CGridImpl::RunDeferredLayout()
{
    if (m_pendingLayout > 0)
        --m_pendingLayout;
    UpdateLayout();
}

} // namespace Brivel::GUI
