// CGrid: the public operations of row drag and drop, each carried to the GUI
// thread by the calling rule.

#include "gui/grid/grid.h"

#include "gui/grid/grid_call.h"

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;

void CGrid::EnableRowDragDrop(bool enable)
{
    m_impl->Call(kOpEnableRowDragDrop, [&](CGridImpl& impl) { impl.GetOptions().rowDragDrop = enable; });
}

bool CGrid::IsRowDragDropEnabled()
{
    return m_impl->Call(kOpIsRowDragDropEnabled, [](CGridImpl& impl) { return impl.GetOptions().rowDragDrop; });
}

} // namespace Brivel::GUI
