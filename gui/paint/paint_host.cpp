#include "gui/paint/paint_host.h"

#include "gui/header/header.h"
#include "gui/rows/row_list.h"

namespace Brivel::GUI {

RowLayoutFrame IPaintHost::GetRowLayoutFrame() const
{
    const CHeader* const header = GetHeader();
    const CRowList* const body = GetRowList(CRowList::kBodyList);
    return MakeRowLayoutFrame(GetClientRect(), header ? header->GetHeight() : 0, IsHeaderShown(), IsSeparatorShown(),
                              GetSeparatorHeight(), body ? body->GetRowCount() : 0, GetTopRow());
}

} // namespace Brivel::GUI
