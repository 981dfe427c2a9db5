// CHeader: the public operations, in slot order.
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
// The Impl's helpers (pins, notification, rebuild and relayout, column
// changes) are in header_impl.cpp, the stored form in header_archive.cpp.
//
// Call flow of a change: take m_lock, change the state, Rebuild() or
// Relayout(), let m_lock go, then Notify(). A change that hands a column
// pointer past the lock holds a Pin from before the lookup to after the
// delivery.
#include "gui/header/header.h"

#include "gui/header/header_impl.h"
#include "gui/header/scroll_position.h"

#include <algorithm>

namespace Brivel::GUI {

BRIVEL_IMPLEMENT_RUNTIME_CLASS(CHeader, Platform::CObject, "CHeader", 1)

namespace {

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

void CHeader::UnadviseAndWait(INotify* subscriber) { m_impl->m_subscribers.RemoveAndWait(subscriber); }

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

int32_t CHeader::GetFixedColumnCount() const { return m_impl->Read(m_impl->m_fixedCount); }

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

bool CHeader::AreFixedColumnsMovable() const { return m_impl->Read(m_impl->m_fixedMovable); }

bool CHeader::AreScrollableColumnsMovable() const { return m_impl->Read(m_impl->m_scrollableMovable); }

bool CHeader::GetThirdFlag() const { return m_impl->Read(m_impl->m_thirdFlag); }

void CHeader::SetFixedColumnsMovable(bool movable) { m_impl->Write(m_impl->m_fixedMovable, movable); }

void CHeader::SetScrollableColumnsMovable(bool movable) { m_impl->Write(m_impl->m_scrollableMovable, movable); }

void CHeader::SetThirdFlag(bool value) { m_impl->Write(m_impl->m_thirdFlag, value); }

// ---- Moving ----

bool CHeader::MoveColumnBefore(int32_t id, int32_t targetId) { return m_impl->MoveColumn(id, targetId, false); }

bool CHeader::MoveColumnAfter(int32_t id, int32_t targetId) { return m_impl->MoveColumn(id, targetId, true); }

bool CHeader::MoveColumnTo(int32_t id, int32_t index) { return m_impl->MoveColumnTo(id, index, false); }

bool CHeader::MoveColumnToVisible(int32_t id, int32_t visibleIndex)
{
    return m_impl->MoveColumnTo(id, visibleIndex, true);
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

int32_t CHeader::GetHeight() const { return m_impl->m_height.load(std::memory_order_relaxed); }

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

int32_t CHeader::GetFixedWidth() const { return m_impl->Read(m_impl->m_fixedWidth); }

int32_t CHeader::GetScrollableWidth() const { return m_impl->Read(m_impl->m_scrollableWidth); }

// ---- Search and focus column ----

void CHeader::SetSearchColumn(int32_t visibleIndex) { m_impl->Write(m_impl->m_searchColumn, visibleIndex); }

int32_t CHeader::GetSearchColumn() const { return m_impl->Read(m_impl->m_searchColumn); }

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

bool CHeader::IsSortingEnabled() const { return m_impl->Read(m_impl->m_sortingEnabled); }

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

bool CHeader::IsMultiSortEnabled() const { return m_impl->Read(m_impl->m_multiSortEnabled); }

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

std::optional<QFont> CHeader::GetFont() const { return m_impl->Read(m_impl->m_font); }

Platform::CImageList* CHeader::SetImageList(Platform::CImageList* imageList)
{
    {
        CLockGuard guard(m_impl->m_lock);
        std::swap(m_impl->m_imageList, imageList);
    }
    m_impl->Notify(nullptr, CHeader::INotify::kImageListChanged);
    return imageList;
}

Platform::CImageList* CHeader::GetImageList() const { return m_impl->Read(m_impl->m_imageList); }

} // namespace Brivel::GUI
