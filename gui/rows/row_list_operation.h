#pragma once
// The row lists' operation context and tree walk, shared by row_list.cpp
// and row_list_order.cpp only (not part of the list's interface).
//
// Thread: GUI thread only (as the lists).

#include "gui/rows/row_list.h"

#include <climits>
#include <cstdint>

namespace Brivel::GUI {

// ---- Operation context ----

// One operation's deferred work. Owner calls (focus, rows changed, item
// notifications and repaints) wait until the structure is consistent again;
// items destroyed meanwhile (by a filter, or by a handler of an earlier
// notification) are forgotten, so nothing is sent for them. Operations nest
// (a handler may change the tree); the innermost one is t_active.
class CRowList::COperation {
public:
    explicit COperation(CRowList& list)
        : m_list(list), m_active(list.m_kind != kDetachedList && list.m_owner),
          m_notifying(m_active && list.m_owner->IsNotifyingItems())
    {
        if (m_active) {
            m_focusRow = list.m_owner->GetFocusRow(list);
            m_focusItem = list.GetItem(m_focusRow);
        }
        m_outer = t_active;
        t_active = this;
    }
    COperation(const COperation&) = delete;
    COperation& operator=(const COperation&) = delete;
    ~COperation() { t_active = m_outer; }

    void RowsInserted(int32_t row) noexcept { RowsFrom(row); }
    void RowsRemoved(int32_t row) noexcept { RowsFrom(row); }
    void RowsChanged(int32_t first, int32_t last) noexcept
    {
        m_first = std::min(m_first, first);
        m_last = std::max(m_last, last);
    }
    // Notifications nobody receives are not recorded (a bulk selection of
    // a million rows then costs no event each); repaints always are.
    void Event(int32_t code, CGridItem* item)
    {
        if (code == kRepaint ? m_active : m_notifying)
            m_events.Push({code, item});
    }
    void Invalidate(CGridItem* item) { Event(kRepaint, item); }
    void ClearFocus() noexcept { m_clearFocus = true; }

    void Finish();

    // Called by every item's destructor.
    static void ForgetItem(const CGridItem* item) noexcept
    {
        for (COperation* op = t_active; op; op = op->m_outer) {
            if (op->m_focusItem == item) {
                op->m_focusItem = nullptr;
                op->m_focusLost = true;
            }
            op->m_events.Forget(item);
        }
    }

private:
    static constexpr int32_t kRepaint = -1; // pseudo event: InvalidateItem

    struct Event_ {
        int32_t code;
        CGridItem* item; // null once forgotten
    };
    // A few events inline (most operations raise one), the rest on the heap.
    class CEvents {
    public:
        void Push(Event_ event)
        {
            if (m_inlineCount < m_inline.size())
                m_inline[m_inlineCount++] = event;
            else
                m_more.push_back(event);
        }
        void Forget(const CGridItem* item) noexcept
        {
            for (size_t i = 0; i < m_inlineCount; ++i)
                if (m_inline[i].item == item)
                    m_inline[i].item = nullptr;
            for (Event_& event : m_more)
                if (event.item == item)
                    event.item = nullptr;
        }
        size_t Size() const noexcept { return m_inlineCount + m_more.size(); }
        const Event_& At(size_t i) const noexcept { return i < m_inline.size() ? m_inline[i] : m_more[i - m_inline.size()]; }

    private:
        std::array<Event_, 4> m_inline{};
        size_t m_inlineCount = 0;
        std::vector<Event_> m_more;
    };

    void RowsFrom(int32_t row) noexcept
    {
        m_first = std::min(m_first, row);
        m_throughEnd = true;
    }

    static thread_local COperation* t_active;

    CRowList& m_list;
    const bool m_active;    // a grid list with an owner
    const bool m_notifying; // and the owner's item notifications reach someone
    int32_t m_focusRow = -1;
    CGridItem* m_focusItem = nullptr;
    bool m_focusLost = false;
    bool m_clearFocus = false;
    int32_t m_first = INT32_MAX;
    int32_t m_last = -1;
    bool m_throughEnd = false;
    CEvents m_events;
    COperation* m_outer = nullptr;
};

// ---- Tree walks ----

namespace RowListDetail {

using ChildIterator = CGridItem::ChildList::ConstIterator;

// Calls visit(item) for `top` and then its subtree in pre-order, descending
// into an item's children only when visit returns true (see
// CGridItem::ForEachDescendant).
template <class Visit>
void WalkSubtree(CGridItem* top, Visit&& visit)
{
    if (visit(top))
        top->ForEachDescendant(visit);
}

} // namespace RowListDetail

} // namespace Brivel::GUI
