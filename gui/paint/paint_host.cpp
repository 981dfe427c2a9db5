#include "gui/paint/paint_host.h"

#include "gui/header/header.h"
#include "gui/rows/row_list.h"

#include <algorithm>

namespace Brivel::GUI {

RowLayoutFrame IPaintHost::GetRowLayoutFrame() const
{
    RowLayoutFrame frame;
    frame.client = GetClientRect();
    const CHeader* const header = GetHeader();
    frame.headerStrip = header != nullptr && IsHeaderShown() ? std::max(header->GetHeight(), 0) : 0;
    frame.separatorHeight = IsSeparatorShown() ? std::max(GetSeparatorHeight(), 0) : 0;
    // A host that never scrolled shows its body rows from the first.
    const CRowList* const body = GetRowList(CRowList::kBodyList);
    frame.topRow = GetTopRow() < 0 && body != nullptr && body->GetRowCount() > 0 ? 0 : GetTopRow();
    return frame;
}

} // namespace Brivel::GUI
