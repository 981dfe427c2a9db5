#include "platform/frame_control.h"

#include "platform/dc.h"
#include "platform/sys_color.h"

#include <algorithm>

namespace Brivel::Platform {

void DrawCheckBox(CDC& dc, const CRect& box, bool checked)
{
    if (box.IsRectEmpty())
        return;
    dc.FillSolidRect(box, GetSysColor(COLOR_WINDOW));
    const COLORREF frame = GetSysColor(COLOR_BTNSHADOW);
    dc.Draw3dRect(box, frame, frame);
    const int32_t side = std::min(box.Width(), box.Height());
    if (!checked || side < 6)
        return;
    // The mark: down from the left third, then up to the right edge, two
    // pixels thick, stepped pixel by pixel.
    const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
    const int32_t x0 = box.left + side / 5;
    const int32_t y0 = box.top + side / 2 - 1;
    const int32_t down = std::max(side / 4, 1);
    for (int32_t i = 0; i <= down; ++i)
        dc.FillSolidRect(x0 + i, y0 + i, 2, 2, ink);
    const int32_t x1 = x0 + down;
    const int32_t y1 = y0 + down;
    const int32_t up = std::max(box.left + side - side / 5 - 2 - x1, 1);
    for (int32_t i = 0; i <= up && y1 - i >= box.top + 2; ++i)
        dc.FillSolidRect(x1 + i, y1 - i, 2, 2, ink);
}

} // namespace Brivel::Platform
