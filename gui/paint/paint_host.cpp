#include "gui/paint/paint_host.h"

#include "gui/header/header.h"
#include "gui/rows/row_list.h"

#include <algorithm>

namespace Brivel::GUI {

RowLayoutFrame IPaintHost::GetRowLayoutFrame() const
{
    return MakeRowLayoutFrame(GetClientRect(), GetHeader(), IsHeaderShown(), IsSeparatorShown(), GetSeparatorHeight(),
                              GetRowList(CRowList::kBodyList), GetTopRow());
}

RowLayoutFrame IPaintHost::MakeRowLayoutFrame(const Platform::CRect& client, const CHeader* header, bool headerShown,
                                              bool separatorShown, int32_t separatorHeight, const CRowList* body,
                                              int32_t topRow)
{
    RowLayoutFrame frame;
    frame.client = client;
    frame.headerStrip = header != nullptr && headerShown ? std::max(header->GetHeight(), 0) : 0;
    frame.separatorHeight = separatorShown ? std::max(separatorHeight, 0) : 0;
    // A host that never scrolled shows its body rows from the first.
    frame.topRow = topRow < 0 && body != nullptr && body->GetRowCount() > 0 ? 0 : topRow;
    return frame;
}

} // namespace Brivel::GUI
