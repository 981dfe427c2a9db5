// CGrid: the public operations of selection, focus, expansion and the
// keyboard, each carried to the GUI thread by the calling rule; and the grid's
// side of the header gestures.

#include "gui/grid/grid.h"

#include "gui/grid/grid_call.h"
#include "gui/input/input_router.h"
#include "gui/input/key_manager.h"
#include "gui/rows/grid_item.h"

#include "platform/image_list.h"

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;

int32_t CGrid::GetSelectedCount()
{
    return m_impl->Call(kOpGetSelectedCount, [&](CGridImpl& impl) { return impl.GetSelection().GetSelectedCount(); });
}

void CGrid::GetSelectedItems(std::vector<CGridItem*>& items, int32_t listMask)
{
    m_impl->Call(kOpGetSelectedItems,
                 [&](CGridImpl& impl) { impl.GetSelection().GetSelectedItems(items, listMask); });
}

bool CGrid::SelectItem(CGridItem* item, bool select)
{
    return m_impl->Call(kOpSelectItem, [&](CGridImpl& impl) {
        return impl.ListOf(item) != nullptr && impl.GetSelection().SelectItem(*item, select);
    });
}

bool CGrid::SelectRow(int32_t row, int32_t kind, bool select)
{
    return m_impl->Call(kOpSelectRow, [&](CGridImpl& impl) { return impl.GetSelection().SelectRow(row, kind, select); });
}

int32_t CGrid::SelectRows(int32_t kind, int32_t first, int32_t last, bool select)
{
    return m_impl->Call(kOpSelectRows,
                        [&](CGridImpl& impl) { return impl.GetSelection().SelectRows(kind, first, last, select); });
}

bool CGrid::IsRowSelected(int32_t row, int32_t kind)
{
    return m_impl->Call(kOpIsRowSelected, [&](CGridImpl& impl) { return impl.GetSelection().IsRowSelected(row, kind); });
}

bool CGrid::IsItemSelected(CGridItem* item)
{
    return m_impl->Call(kOpIsItemSelected,
                        [&](CGridImpl& impl) { return impl.ListOf(item) != nullptr && item->IsSelected(); });
}

bool CGrid::SelectAll()
{
    return m_impl->Call(kOpSelectAll, [&](CGridImpl& impl) { return impl.GetSelection().SelectAll(); });
}

void CGrid::ClearSelection()
{
    m_impl->Call(kOpClearSelection, [&](CGridImpl& impl) { impl.GetSelection().ClearSelection(); });
}

bool CGrid::SetFocusRow(int32_t row, int32_t kind)
{
    return m_impl->Call(kOpSetFocusRow, [&](CGridImpl& impl) { return impl.GetSelection().SetFocusRow(row, kind, true); });
}

bool CGrid::Expand(CGridItem* item, bool recursive)
{
    return m_impl->Call(kOpExpand, [&](CGridImpl& impl) {
        if (impl.ListOf(item) == nullptr)
            return false;
        item->Expand(recursive);
        return true;
    });
}

bool CGrid::Collapse(CGridItem* item, bool recursive)
{
    return m_impl->Call(kOpCollapse, [&](CGridImpl& impl) {
        if (impl.ListOf(item) == nullptr)
            return false;
        item->Collapse(recursive);
        return true;
    });
}

IKeyManager* CGrid::SetKeyManager(IKeyManager* keyManager)
{
    return m_impl->Call(kOpSetKeyManager, [&](CGridImpl& impl) { return impl.GetInput().SetKeyManager(keyManager); });
}

IKeyManager* CGrid::GetKeyManager()
{
    return m_impl->Call(kOpGetKeyManager, [&](CGridImpl& impl) { return impl.GetInput().GetKeyManager(); });
}

// ---- The header gestures' host side ----

int32_t CGridImpl::MeasureColumnContent(CColumn& column)
{
    return m_painter.MeasureColumnContent(column);
}

std::unique_ptr<Platform::CImageList> CGridImpl::MakeColumnDragImage(CColumn& column)
{
    return m_painter.MakeColumnDragImage(column);
}

} // namespace Brivel::GUI
