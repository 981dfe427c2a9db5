// CHeader: the public operations first (in slot order), then the Impl.
//
// ---- Sections ----
//   Construction and subscribers
//   Membership (AddColumn, RemoveColumn, RemoveAllColumns)
//   Fixed columns, visibility, movability
//   Moving
//   Lookups
//   Geometry (HitTest, rectangles, height, widths)
//   Search and focus column
//   Sorting
//   Font and image list
//   Invariants
//   Impl: pins, notification, rebuild and relayout, column changes
//
// Call flow of a change: take m_lock, change the state, Rebuild() or
// Relayout(), let m_lock go, then Notify(). A change that hands a column
// pointer past the lock holds a Pin from before the lookup to after the
// delivery.
#include "gui/header.h"

#include "gui/header_impl.h"
#include "gui/scroll_position.h"

#include <algorithm>
#include <limits>

namespace Brivel::GUI {

BRIVEL_IMPLEMENT_RUNTIME_CLASS(CHeader, Platform::CObject, "CHeader", 1)

namespace {

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

bool IsValidId(int32_t id) { return id != CColumn::kNoField && id != CColumn::kUnsetField; }

} // namespace

using Common::CLockGuard;

// ---- Construction and subscribers ----

CHeader::CHeader(bool autoDelete) : m_impl(std::make_unique<Impl>(*this, autoDelete)) {}

CHeader::~CHeader()
{
    m_impl->RemoveAll();
}

bool CHeader::IsAutoDelete() const { return m_impl->m_autoDelete; }

void CHeader::Advise(INotify* subscriber) { m_impl->m_subscribers.Add(subscriber); }

void CHeader::Unadvise(INotify* subscriber) { m_impl->m_subscribers.Remove(subscriber); }

// ---- Membership ----

bool CHeader::AddColumn(std::unique_ptr<CColumn>&& column)
{
    if (!column)
        return false;
    const int32_t id = column->GetId();
    if (!IsValidId(id))
        return false;
    Impl& impl = *m_impl;
    Impl::Pin pin(impl);
    CColumn* added = nullptr;
    {
        CLockGuard guard(impl.m_lock);
        if (impl.IndexOf(id) >= 0)
            return false;
        added = column.get();
        impl.m_columns.push_back(Impl::ColumnSlot{std::move(column), id, -1});
        impl.Rebuild();
        added->Advise(&impl);
    }
    impl.Notify(added, CHeader::INotify::kColumnAdded);
    return true;
}

bool CHeader::RemoveColumn(int32_t id)
{
    if (!IsValidId(id))
        return false;
    Impl& impl = *m_impl;
    std::unique_ptr<CColumn> removed;
    {
        CLockGuard guard(impl.m_lock);
        const int32_t index = impl.IndexOf(id);
        if (index < 0)
            return false;
        removed = std::move(impl.m_columns[size_t(index)].column);
        if (impl.m_focus == removed.get())
            impl.m_focus = nullptr;
        impl.m_columns.erase(impl.m_columns.begin() + index);
        impl.Rebuild();
        removed->Unadvise(&impl);
    }
    impl.Notify(removed.get(), CHeader::INotify::kColumnRemoved);
    impl.Discard(std::move(removed));
    return true;
}

void CHeader::RemoveAllColumns() { m_impl->RemoveAll(); }

int32_t CHeader::GetColumnCount() const
{
    CLockGuard guard(m_impl->m_lock);
    return int32_t(m_impl->m_columns.size());
}

int32_t CHeader::GetVisibleColumnCount() const
{
    CLockGuard guard(m_impl->m_lock);
    return int32_t(m_impl->m_visible.size());
}

// ---- Fixed columns, visibility, movability ----

void CHeader::SetFixedColumnCount(int32_t count)
{
    count = std::max(count, 0);
    {
        CLockGuard guard(m_impl->m_lock);
        if (m_impl->m_fixedCount == count)
            return;
        m_impl->m_fixedCount = count;
        m_impl->Rebuild();
    }
    m_impl->Notify(nullptr, CHeader::INotify::kFixedCountChanged);
}

int32_t CHeader::GetFixedColumnCount() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_fixedCount;
}

bool CHeader::IsFixed(int32_t id) const
{
    CLockGuard guard(m_impl->m_lock);
    const int32_t index = m_impl->IndexOf(id);
    if (index < 0)
        return false;
    const int32_t visibleIndex = m_impl->m_columns[size_t(index)].visibleIndex;
    return visibleIndex >= 0 && visibleIndex < m_impl->m_fixedCount;
}

bool CHeader::ShowColumn(int32_t id) { return m_impl->SetColumnVisible(id, true); }

bool CHeader::HideColumn(int32_t id) { return m_impl->SetColumnVisible(id, false); }

bool CHeader::AreFixedColumnsMovable() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_fixedMovable;
}

bool CHeader::AreScrollableColumnsMovable() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_scrollableMovable;
}

bool CHeader::GetThirdFlag() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_thirdFlag;
}

void CHeader::SetFixedColumnsMovable(bool movable)
{
    CLockGuard guard(m_impl->m_lock);
    m_impl->m_fixedMovable = movable;
}

void CHeader::SetScrollableColumnsMovable(bool movable)
{
    CLockGuard guard(m_impl->m_lock);
    m_impl->m_scrollableMovable = movable;
}

void CHeader::SetThirdFlag(bool value)
{
    CLockGuard guard(m_impl->m_lock);
    m_impl->m_thirdFlag = value;
}

// ---- Moving ----

bool CHeader::MoveColumnBefore(int32_t id, int32_t targetId) { return m_impl->MoveColumn(id, targetId, false); }

bool CHeader::MoveColumnAfter(int32_t id, int32_t targetId) { return m_impl->MoveColumn(id, targetId, true); }

bool CHeader::MoveColumnTo(int32_t id, int32_t index)
{
    int32_t targetId = CColumn::kUnsetField;
    bool after = false;
    {
        CLockGuard guard(m_impl->m_lock);
        const int32_t count = int32_t(m_impl->m_columns.size());
        if (index < 0 || index > count || count == 0)
            return false;
        after = index == count;
        targetId = m_impl->m_columns[size_t(after ? count - 1 : index)].id;
    }
    return m_impl->MoveColumn(id, targetId, after);
}

bool CHeader::MoveColumnToVisible(int32_t id, int32_t visibleIndex)
{
    int32_t targetId = CColumn::kUnsetField;
    bool after = false;
    {
        CLockGuard guard(m_impl->m_lock);
        const int32_t count = int32_t(m_impl->m_visible.size());
        if (visibleIndex < 0 || visibleIndex > count || count == 0)
            return false;
        after = visibleIndex == count;
        targetId = m_impl->m_visible[size_t(after ? count - 1 : visibleIndex)].id;
    }
    return m_impl->MoveColumn(id, targetId, after);
}

// ---- Lookups ----

CColumn* CHeader::GetColumn(int32_t index) const
{
    CLockGuard guard(m_impl->m_lock);
    if (index < 0 || size_t(index) >= m_impl->m_columns.size())
        return nullptr;
    return m_impl->m_columns[size_t(index)].column.get();
}

CColumn* CHeader::GetVisibleColumn(int32_t visibleIndex) const
{
    CLockGuard guard(m_impl->m_lock);
    if (visibleIndex < 0 || size_t(visibleIndex) >= m_impl->m_visible.size())
        return nullptr;
    return m_impl->m_visible[size_t(visibleIndex)].column;
}

CColumn* CHeader::FindColumn(int32_t id) const
{
    CLockGuard guard(m_impl->m_lock);
    const int32_t index = m_impl->IndexOf(id);
    return index >= 0 ? m_impl->m_columns[size_t(index)].column.get() : nullptr;
}

CColumn* CHeader::FindVisibleColumn(int32_t id) const
{
    CLockGuard guard(m_impl->m_lock);
    const Impl::VisibleSlot* slot = m_impl->VisibleSlotOf(id);
    return slot != nullptr ? slot->column : nullptr;
}

int32_t CHeader::GetColumnIndex(int32_t id) const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->IndexOf(id);
}

int32_t CHeader::GetVisibleIndex(int32_t id) const
{
    CLockGuard guard(m_impl->m_lock);
    const int32_t index = m_impl->IndexOf(id);
    return index >= 0 ? m_impl->m_columns[size_t(index)].visibleIndex : -1;
}

CColumn* CHeader::GetFirstColumn() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_columns.empty() ? nullptr : m_impl->m_columns.front().column.get();
}

CColumn* CHeader::GetFirstVisibleColumn() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_visible.empty() ? nullptr : m_impl->m_visible.front().column;
}

CColumn* CHeader::GetLastColumn() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_columns.empty() ? nullptr : m_impl->m_columns.back().column.get();
}

CColumn* CHeader::GetLastVisibleColumn() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_visible.empty() ? nullptr : m_impl->m_visible.back().column;
}

// ---- Geometry ----

CColumn* CHeader::HitTest(const IHorizontalScrollSource* window, int32_t x) const
{
    // The window is asked before the lock is taken: it may have to reach its
    // own thread, which may be painting and reading this header. Asking it
    // for every x costs one virtual call and saves a second lock for x in
    // the scrollable area.
    const std::optional<int32_t> scrollPos = Impl::ScrollPosOf(window);
    CLockGuard guard(m_impl->m_lock);
    if (x < m_impl->m_fixedWidth)
        return m_impl->ColumnAt(x);
    return scrollPos ? m_impl->ColumnAt(int64_t(x) + *scrollPos) : nullptr;
}

Platform::CRect CHeader::GetColumnRect(const IHorizontalScrollSource* window, int32_t id) const
{
    return m_impl->ColumnRect(window, id, false);
}

Platform::CRect CHeader::GetClippedColumnRect(const IHorizontalScrollSource* window, int32_t id) const
{
    return m_impl->ColumnRect(window, id, true);
}

int32_t CHeader::GetHeight() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_height;
}

void CHeader::SetHeight(int32_t height)
{
    {
        CLockGuard guard(m_impl->m_lock);
        if (m_impl->m_height == height)
            return;
        m_impl->m_height = height;
    }
    m_impl->Notify(nullptr, CHeader::INotify::kHeightChanged);
}

int32_t CHeader::GetFixedWidth() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_fixedWidth;
}

int32_t CHeader::GetScrollableWidth() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_scrollableWidth;
}

// ---- Search and focus column ----

void CHeader::SetSearchColumn(int32_t visibleIndex)
{
    CLockGuard guard(m_impl->m_lock);
    m_impl->m_searchColumn = visibleIndex;
}

int32_t CHeader::GetSearchColumn() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_searchColumn;
}

CColumn* CHeader::GetFocusColumn() const
{
    CLockGuard guard(m_impl->m_lock);
    if (m_impl->m_focus != nullptr) {
        const int32_t index = m_impl->IndexOf(m_impl->m_focus);
        if (index >= 0 && m_impl->m_columns[size_t(index)].visibleIndex >= 0)
            return m_impl->m_focus;
    }
    return m_impl->m_visible.empty() ? nullptr : m_impl->m_visible.front().column;
}

bool CHeader::SetFocusColumn(int32_t id)
{
    CLockGuard guard(m_impl->m_lock);
    const Impl::VisibleSlot* slot = m_impl->VisibleSlotOf(id);
    m_impl->m_focus = slot != nullptr ? slot->column : nullptr;
    return slot != nullptr;
}

// ---- Sorting ----

void CHeader::EnableSorting(bool enable)
{
    bool cleared = false;
    {
        CLockGuard guard(m_impl->m_lock);
        if (!enable && !m_impl->m_sort.empty()) {
            m_impl->m_sort.clear();
            cleared = true;
        }
        m_impl->m_sortingEnabled = enable;
    }
    if (cleared)
        m_impl->Notify(nullptr, CHeader::INotify::kSortChanged);
}

bool CHeader::IsSortingEnabled() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_sortingEnabled;
}

void CHeader::EnableMultiSort(bool enable)
{
    bool cleared = false;
    {
        CLockGuard guard(m_impl->m_lock);
        if (!enable && m_impl->m_sort.size() > 1) {
            m_impl->m_sort.clear();
            cleared = true;
        }
        m_impl->m_multiSortEnabled = enable;
    }
    if (cleared)
        m_impl->Notify(nullptr, CHeader::INotify::kSortChanged);
}

bool CHeader::IsMultiSortEnabled() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_multiSortEnabled;
}

void CHeader::SetSortInfo(int32_t level, const CSortInfo& info)
{
    {
        CLockGuard guard(m_impl->m_lock);
        std::vector<CSortInfo>& levels = m_impl->m_sort;
        if (!m_impl->m_sortingEnabled || (!m_impl->m_multiSortEnabled && level != 0))
            return;
        if (level < 0 || level >= kMaxSortLevels || size_t(level) > levels.size())
            return;
        if (size_t(level) == levels.size())
            levels.push_back(info);
        else if (levels[size_t(level)] != info)
            levels[size_t(level)] = info;
        else
            return;
    }
    m_impl->Notify(nullptr, CHeader::INotify::kSortChanged);
}

CSortInfo CHeader::GetSortInfo(int32_t level) const
{
    CLockGuard guard(m_impl->m_lock);
    if (level < 0 || size_t(level) >= m_impl->m_sort.size())
        return CSortInfo(CSortInfo::kNoField, false);
    return m_impl->m_sort[size_t(level)];
}

int32_t CHeader::GetSortLevelCount() const
{
    CLockGuard guard(m_impl->m_lock);
    return int32_t(m_impl->m_sort.size());
}

void CHeader::ClearSort()
{
    {
        CLockGuard guard(m_impl->m_lock);
        if (m_impl->m_sort.empty())
            return;
        m_impl->m_sort.clear();
    }
    m_impl->Notify(nullptr, CHeader::INotify::kSortChanged);
}

// ---- Font and image list ----

std::optional<QFont> CHeader::SetFont(std::optional<QFont> font)
{
    {
        CLockGuard guard(m_impl->m_lock);
        std::swap(m_impl->m_font, font);
    }
    m_impl->Notify(nullptr, CHeader::INotify::kFontChanged);
    return font;
}

std::optional<QFont> CHeader::GetFont() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_font;
}

Platform::CImageList* CHeader::SetImageList(Platform::CImageList* imageList)
{
    {
        CLockGuard guard(m_impl->m_lock);
        std::swap(m_impl->m_imageList, imageList);
    }
    m_impl->Notify(nullptr, CHeader::INotify::kImageListChanged);
    return imageList;
}

Platform::CImageList* CHeader::GetImageList() const
{
    CLockGuard guard(m_impl->m_lock);
    return m_impl->m_imageList;
}

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
        if (layout.left != Saturate(x) || layout.right != Saturate(x + width))
            return "layout differs at visible index " + std::to_string(visibleIndex);
        if (width > 0) {
            x += width;
            if (edge >= impl.m_rightEdges.size() || impl.m_rightEdges[edge] != Saturate(x) ||
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
    if (impl.m_fixedWidth != Saturate(fixedWidth) || impl.m_scrollableWidth != Saturate(scrollableWidth))
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
        slot.left = Saturate(x);
        slot.right = Saturate(x + width);
        if (width > 0) {
            x += width;
            m_rightEdges.push_back(Saturate(x));
            m_edgeVisible.push_back(int32_t(visibleIndex));
        }
        (int32_t(visibleIndex) < m_fixedCount ? fixedWidth : scrollableWidth) += width;
    }
    m_fixedWidth = Saturate(fixedWidth);
    m_scrollableWidth = Saturate(scrollableWidth);
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
