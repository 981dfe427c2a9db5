// CHeader::Impl: pins, notification, the membership, visibility and move
// helpers, geometry, rebuild and relayout, and the handling of column
// changes; and the header's invariant check, which recomputes what Rebuild
// and Relayout derive.
//
// ---- Sections ----
//   Invariants
//   Impl: pins, notification
//   Impl: membership, visibility, moving
//   Impl: geometry
//   Impl: rebuild and relayout (under m_lock)
//   Impl: column changes
#include "gui/header/header_impl.h"

#include "gui/header/scroll_position.h"

#include "platform/rect.h"

#include <algorithm>
#include <string>

namespace Brivel::GUI {

using Platform::SaturateInt32;

using Common::CLockGuard;

// ---- Invariants ----

std::string CHeader::CheckInvariantsForTesting() const
{
    const Impl& impl = *m_impl;
    CLockGuard guard(impl.m_lock);
    int64_t x = 0;
    int64_t fixedWidth = 0;
    int64_t scrollableWidth = 0;
    size_t visibleIndex = 0;
    size_t edge = 0;
    for (size_t index = 0; index < impl.m_columns.size(); ++index) {
        const Impl::ColumnSlot& slot = impl.m_columns[index];
        if (slot.id != slot.column->GetId())
            return "cached identifier differs at index " + std::to_string(index);
        if (impl.IndexOf(slot.id) != int32_t(index))
            return "identifier lookup misses index " + std::to_string(index);
        if (!slot.column->IsVisible()) {
            if (slot.visibleIndex != -1)
                return "hidden column with a visible index at index " + std::to_string(index);
            continue;
        }
        if (slot.visibleIndex != int32_t(visibleIndex) || visibleIndex >= impl.m_visible.size() ||
            impl.m_visible[visibleIndex].column != slot.column.get())
            return "visible order differs at index " + std::to_string(index);
        const int64_t width = std::max(slot.column->GetWidth(), 0);
        const Impl::VisibleSlot& layout = impl.m_visible[visibleIndex];
        if (layout.left != SaturateInt32(x) || layout.right != SaturateInt32(x + width))
            return "layout differs at visible index " + std::to_string(visibleIndex);
        if (width > 0) {
            x += width;
            if (edge >= impl.m_rightEdges.size() || impl.m_rightEdges[edge] != SaturateInt32(x) ||
                impl.m_edgeVisible[edge] != int32_t(visibleIndex))
                return "right edge differs at visible index " + std::to_string(visibleIndex);
            ++edge;
        }
        (int32_t(visibleIndex) < impl.m_fixedCount ? fixedWidth : scrollableWidth) += width;
        ++visibleIndex;
    }
    if (visibleIndex != impl.m_visible.size())
        return "visible list is longer than the visible columns";
    if (edge != impl.m_rightEdges.size() || edge != impl.m_edgeVisible.size())
        return "right-edge list is longer than the columns of positive width";
    if (impl.m_byId.size() != impl.m_columns.size())
        return "identifier lookup has extra entries";
    if (impl.m_fixedWidth != SaturateInt32(fixedWidth) || impl.m_scrollableWidth != SaturateInt32(scrollableWidth))
        return "fixed or scrollable width differs";
    if (impl.m_sort.size() > size_t(kMaxSortLevels))
        return "more than five sort levels";
    return {};
}

// ---- Impl: pins, notification ----

CHeader::Impl::Pin::Pin(Impl& impl) : m_impl(impl)
{
    CLockGuard guard(m_impl.m_lock);
    ++m_impl.m_pins;
}

CHeader::Impl::Pin::~Pin()
{
    std::vector<std::unique_ptr<CColumn>> released;
    {
        CLockGuard guard(m_impl.m_lock);
        if (--m_impl.m_pins == 0)
            released.swap(m_impl.m_graveyard);
    }
    // released dies here, with no lock held: each column tells its own
    // subscribers (code 11) as it goes.
}

void CHeader::Impl::Discard(std::unique_ptr<CColumn> column)
{
    {
        CLockGuard guard(m_lock);
        if (m_pins > 0) {
            m_graveyard.push_back(std::move(column));
            return;
        }
    }
    column.reset();
}

void CHeader::Impl::Notify(CColumn* column, int32_t code)
{
    m_subscribers.ForEach(
        [this, column, code](CHeader::INotify* subscriber) { subscriber->OnHeaderChanged(&m_owner, column, code); });
}

// ---- Impl: membership, visibility, moving ----

void CHeader::Impl::RemoveAll()
{
    std::vector<ColumnSlot> former;
    {
        CLockGuard guard(m_lock);
        m_focus = nullptr;
        former.swap(m_columns);
        Rebuild();
        for (ColumnSlot& slot : former)
            slot.column->Unadvise(this);
    }
    for (ColumnSlot& slot : former) {
        Notify(slot.column.get(), CHeader::INotify::kColumnRemoved);
        Discard(std::move(slot.column));
    }
}

bool CHeader::Impl::SetColumnVisible(int32_t id, bool visible)
{
    Pin pin(*this);
    CColumn* column = nullptr;
    {
        CLockGuard guard(m_lock);
        const int32_t index = IndexOf(id);
        if (index < 0)
            return false;
        column = m_columns[size_t(index)].column.get();
    }
    if (column->IsVisible() == visible)
        return true;
    // Through the column, so that its other subscribers hear of it too; its
    // code 9 makes this header rebuild and send code 4 once already.
    column->SetVisible(visible);
    {
        CLockGuard guard(m_lock);
        if (IndexOf(column) < 0)
            return true; // removed meanwhile by another thread
        Rebuild();
    }
    Notify(column, CHeader::INotify::kColumnVisibilityChanged);
    return true;
}

bool CHeader::Impl::MayMove(int32_t index) const
{
    const int32_t visibleIndex = m_columns[size_t(index)].visibleIndex;
    if (visibleIndex < 0)
        return true;
    return visibleIndex < m_fixedCount ? m_fixedMovable : m_scrollableMovable;
}

bool CHeader::Impl::MoveColumn(int32_t id, int32_t targetId, bool after)
{
    if (id == targetId)
        return false;
    Pin pin(*this);
    CColumn* moved = nullptr;
    {
        CLockGuard guard(m_lock);
        const int32_t from = IndexOf(id);
        const int32_t target = IndexOf(targetId);
        if (from < 0 || target < 0 || !MayMove(from) || !MayMove(target))
            return false;
        ColumnSlot slot = std::move(m_columns[size_t(from)]);
        moved = slot.column.get();
        m_columns.erase(m_columns.begin() + from);
        // The target's position once the moved column is out of the order.
        const int32_t targetNow = target > from ? target - 1 : target;
        m_columns.insert(m_columns.begin() + targetNow + (after ? 1 : 0), std::move(slot));
        Rebuild();
    }
    Notify(moved, CHeader::INotify::kColumnMoved);
    return true;
}

bool CHeader::Impl::MoveColumnTo(int32_t id, int32_t position, bool visiblePositions)
{
    int32_t targetId = CColumn::kUnsetField;
    bool after = false;
    {
        CLockGuard guard(m_lock);
        const int32_t count = int32_t(visiblePositions ? m_visible.size() : m_columns.size());
        if (position < 0 || position > count || count == 0)
            return false;
        after = position == count;
        const size_t target = size_t(after ? count - 1 : position);
        targetId = visiblePositions ? m_visible[target].id : m_columns[target].id;
    }
    return MoveColumn(id, targetId, after);
}

// ---- Impl: geometry ----

std::optional<int32_t> CHeader::Impl::ScrollPosOf(const IHorizontalScrollSource* window)
{
    int32_t pos = 0;
    if (window == nullptr || !window->GetHorizontalScrollPos(pos))
        return std::nullopt;
    // A negative position would pull fixed columns under the scrolled area.
    return std::max(pos, 0);
}

Platform::CRect CHeader::Impl::ColumnRect(const IHorizontalScrollSource* window, int32_t id, bool clipped) const
{
    // Asked before the lock, as in HitTest.
    const int32_t scrollPos = ScrollPosOf(window).value_or(0);
    CLockGuard guard(m_lock);
    Platform::CRect rect(0, 0, 0, m_height);
    const VisibleSlot* slot = VisibleSlotOf(id);
    if (slot == nullptr)
        return rect;
    rect.left = slot->left;
    rect.right = slot->right;
    if (rect.left < m_fixedWidth)
        return rect;
    rect.OffsetRect(-scrollPos, 0);
    if (clipped) {
        rect.left = std::max(rect.left, m_fixedWidth);
        rect.right = std::max(rect.right, m_fixedWidth);
    }
    return rect;
}

CColumn* CHeader::Impl::ColumnAt(int64_t x) const
{
    // First right edge above x; edges are strictly increasing.
    const auto it = std::upper_bound(m_rightEdges.begin(), m_rightEdges.end(), x,
                                     [](int64_t value, int32_t edge) { return value < edge; });
    if (it == m_rightEdges.end())
        return nullptr;
    return m_visible[size_t(m_edgeVisible[size_t(it - m_rightEdges.begin())])].column;
}

// ---- Impl: rebuild and relayout (under m_lock) ----

int32_t CHeader::Impl::IndexOf(int32_t id) const
{
    if (!m_dense.empty()) [[likely]]
        return uint32_t(id) < m_dense.size() ? m_dense[uint32_t(id)] : -1;
    const auto it = std::lower_bound(m_byId.begin(), m_byId.end(), id,
                                     [](const IdIndex& entry, int32_t value) { return entry.id < value; });
    return it != m_byId.end() && it->id == id ? it->index : -1;
}

int32_t CHeader::Impl::IndexOf(const CColumn* column) const
{
    for (size_t index = 0; index < m_columns.size(); ++index) {
        if (m_columns[index].column.get() == column)
            return int32_t(index);
    }
    return -1;
}

const CHeader::Impl::VisibleSlot* CHeader::Impl::VisibleSlotOf(int32_t id) const
{
    const int32_t index = IndexOf(id);
    if (index < 0)
        return nullptr;
    const int32_t visibleIndex = m_columns[size_t(index)].visibleIndex;
    return visibleIndex >= 0 ? &m_visible[size_t(visibleIndex)] : nullptr;
}

void CHeader::Impl::Rebuild()
{
    m_visible.clear();
    m_byId.clear();
    for (size_t index = 0; index < m_columns.size(); ++index) {
        ColumnSlot& slot = m_columns[index];
        m_byId.push_back(IdIndex{slot.id, int32_t(index)});
        if (slot.column->IsVisible()) {
            slot.visibleIndex = int32_t(m_visible.size());
            m_visible.push_back(VisibleSlot{slot.column.get(), slot.id, 0, 0});
        } else {
            slot.visibleIndex = -1;
        }
    }
    std::sort(m_byId.begin(), m_byId.end(), [](const IdIndex& a, const IdIndex& b) { return a.id < b.id; });
    // The direct table pays when the identifiers are small and non-negative;
    // its size is bounded by the column count, so odd identifiers never make
    // it large.
    m_dense.clear();
    if (!m_byId.empty() && m_byId.front().id >= 0 && size_t(m_byId.back().id) < 4 * m_byId.size() + 64) {
        m_dense.assign(size_t(m_byId.back().id) + 1, -1);
        for (const IdIndex& entry : m_byId)
            m_dense[size_t(entry.id)] = entry.index;
    }
    Relayout();
}

void CHeader::Impl::Relayout()
{
    m_rightEdges.clear();
    m_edgeVisible.clear();
    int64_t x = 0;
    int64_t fixedWidth = 0;
    int64_t scrollableWidth = 0;
    for (size_t visibleIndex = 0; visibleIndex < m_visible.size(); ++visibleIndex) {
        VisibleSlot& slot = m_visible[visibleIndex];
        // A width below 1 can only come from construction or loading, which
        // store it unchecked: such a column occupies no pixels.
        const int64_t width = std::max(slot.column->GetWidth(), 0);
        slot.left = SaturateInt32(x);
        slot.right = SaturateInt32(x + width);
        if (width > 0) {
            x += width;
            m_rightEdges.push_back(SaturateInt32(x));
            m_edgeVisible.push_back(int32_t(visibleIndex));
        }
        (int32_t(visibleIndex) < m_fixedCount ? fixedWidth : scrollableWidth) += width;
    }
    m_fixedWidth = SaturateInt32(fixedWidth);
    m_scrollableWidth = SaturateInt32(scrollableWidth);
}

// ---- Impl: column changes ----

void CHeader::Impl::OnColumnChanged(CColumn* column, int32_t code)
{
    if (code == CColumn::INotify::kDestroyed) {
        ForgetDestroyedColumn(column);
        return;
    }
    if (code > 10)
        return;
    Pin pin(*this);
    int32_t headerCode = CHeader::INotify::kColumnChanged;
    {
        CLockGuard guard(m_lock);
        if (IndexOf(column) < 0)
            return; // no longer ours: removed while it was notifying
        if (code == CColumn::INotify::kWidthChanged) {
            Relayout();
            headerCode = CHeader::INotify::kColumnWidthChanged;
        } else if (code == CColumn::INotify::kVisibilityChanged) {
            Rebuild();
            headerCode = CHeader::INotify::kColumnVisibilityChanged;
        }
    }
    Notify(column, headerCode);
}

void CHeader::Impl::ForgetDestroyedColumn(CColumn* column)
{
    {
        CLockGuard guard(m_lock);
        const int32_t index = IndexOf(column);
        if (index < 0)
            return;
        // Its destroyer frees it; the header only lets go of it.
        [[maybe_unused]] CColumn* released = m_columns[size_t(index)].column.release();
        if (m_focus == column)
            m_focus = nullptr;
        m_columns.erase(m_columns.begin() + index);
        Rebuild();
    }
    Notify(column, CHeader::INotify::kColumnRemoved);
}

} // namespace Brivel::GUI
