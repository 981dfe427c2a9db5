#include "gui/paint/header_paint_format.h"

#include "gui/header/header.h"
#include "gui/paint/paint_format_registry.h"

#include "platform/dc.h"
#include "platform/sys_color.h"

#include <algorithm>

namespace Brivel::GUI {

using Platform::CRect;

namespace {

const CPaintFormatRegistrar<IHeaderPaintFormat> s_registrar(
    CHeaderPaintFormat::kClassName, &MakeDefaultPaintFormat<IHeaderPaintFormat, CHeaderPaintFormat>);

// A header rectangle (top 0, the header's height) moved to the strip.
CRect InStrip(CRect rect, const CRect& strip)
{
    rect.top = strip.top;
    rect.bottom = strip.bottom;
    return rect;
}

} // namespace

void CHeaderPaintFormat::Draw(const HeaderInfo& header, PaintContext& context, PaintElementMask mask,
                              ICustomDraw& customDraw) const
{
    CHeader* const columns = context.header;
    const CRect& clip = context.clip;
    const CRect& strip = header.rect;
    Platform::CDC& dc = *context.dc;
    int32_t x = std::max(clip.left, strip.left);
    const int32_t clipRight = std::min(clip.right, strip.right);

    if (columns != nullptr) {
        const IHorizontalScrollSource* const scroll = context.scroll;
        ColumnInfo info;
        info.header = &header;
        info.font = header.font;
        info.textColor = header.textColor;
        for (CColumn* column = columns->HitTest(scroll, x); column != nullptr && x < clipRight;
             column = columns->HitTest(scroll, x)) {
            const bool scrollable = x >= context.fixedWidth;
            const int32_t id = column->GetId();
            const CRect full = InStrip(columns->GetColumnRect(scroll, id), strip);
            if (x >= full.right) {
                ++x;
                continue;
            }
            info.column = column;
            info.attributes = column->GetAttributes();
            info.fullRect = full;
            info.visibleRect = full;
            if (scrollable) {
                info.visibleRect.left = std::max(full.left, context.fixedWidth);
                info.visibleRect.right = std::max(full.right, context.fixedWidth);
            }
            info.state = column == header.dragged ? 1 : 0;
            info.headerImage = info.attributes.headerImage;
            CRect hidden;
            if (info.visibleRect.left > full.left)
                hidden = CRect(full.left, full.top, info.visibleRect.left, full.bottom);
            {
                CScopedClipExclusion exclusion(dc, hidden);
                customDraw.DrawColumnHeader(info, context, mask);
            }
            x = full.right;
        }
    }

    // Right of the last column: the bare button face.
    if (x < clipRight)
        dc.FillSolidRect(CRect(x, strip.top, clipRight, strip.bottom),
                         Platform::GetSysColor(Platform::COLOR_BTNFACE));

    // The insertion bar of a column drag, centred on the target's edge.
    if (columns != nullptr && header.dropTarget != nullptr && (header.dropSide == 1 || header.dropSide == 2)) {
        const CRect target = columns->GetClippedColumnRect(context.scroll, header.dropTarget->GetId());
        const int32_t edge = header.dropSide == 1 ? target.left : target.right;
        dc.FillSolidRect(CRect(edge - 1, strip.top, edge + 2, strip.bottom), kInsertionBarColor);
    }
}

} // namespace Brivel::GUI
