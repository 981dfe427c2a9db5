#include "gui/paint/column_paint_format.h"

#include "gui/paint/paint_format_registry.h"

#include "platform/dc.h"
#include "platform/image_list.h"
#include "platform/pen.h"
#include "platform/sys_color.h"

namespace Brivel::GUI {

using Platform::CDC;
using Platform::CRect;

namespace {

const CPaintFormatRegistrar<IColumnPaintFormat> s_registrar(
    CColumnPaintFormat::kClassName, &MakeDefaultPaintFormat<IColumnPaintFormat, CColumnPaintFormat>);

} // namespace

std::unique_ptr<IColumnPaintFormat> CColumnPaintFormat::Clone() const
{
    return std::make_unique<CColumnPaintFormat>();
}

bool CColumnPaintFormat::HasHeaderImage(const ColumnInfo& column, PaintElementMask mask)
{
    return (mask & PaintElement::kHeaderImages) != 0 && column.header != nullptr &&
           column.header->imageList != nullptr && column.headerImage >= 0;
}

void CColumnPaintFormat::Draw(const ColumnInfo& column, PaintContext& context, PaintElementMask mask) const
{
    DrawBackground(column, context, mask);
    DrawSortMark(column, context, mask);
    DrawCaption(column, context, mask);
    if (HasHeaderImage(column, mask)) {
        const CRect& full = column.fullRect;
        CRect box(full.left, full.top, full.left + full.Height(), full.bottom);
        box.DeflateRect(2, 2);
        DrawImage(column, context, column.headerImage, box);
    }
}

void CColumnPaintFormat::DrawBackground(const ColumnInfo& column, PaintContext& context,
                                        PaintElementMask /*mask*/) const
{
    CDC& dc = *context.dc;
    CRect fill;
    if (fill.IntersectRect(column.visibleRect, context.clip))
        dc.FillSolidRect(fill, Platform::GetSysColor(column.state == 1 ? Platform::COLOR_BTNHIGHLIGHT
                                                                       : Platform::COLOR_BTNFACE));
    dc.Draw3dRect(column.fullRect, Platform::GetSysColor(Platform::COLOR_BTNHIGHLIGHT),
                  Platform::GetSysColor(Platform::COLOR_BTNSHADOW));
}

void CColumnPaintFormat::DrawSortMark(const ColumnInfo& column, PaintContext& context,
                                      PaintElementMask /*mask*/) const
{
    if (column.column == nullptr)
        return;
    const int32_t level = context.SortLevelOf(column.attributes.id);
    if (level < 0)
        return;
    CDC& dc = *context.dc;
    const CRect& full = column.fullRect;
    const COLORREF shadow = Platform::GetSysColor(Platform::COLOR_BTNSHADOW);
    const int32_t x0 = full.right - 12;
    const int32_t c = (full.top + full.bottom) / 2;
    const Platform::CPen previousPen = dc.SelectPen(Platform::CPen(Platform::PS_SOLID, 1, shadow));
    const Platform::CBrush previousBrush = dc.SelectBrush(Platform::CBrush(shadow));

    // Four level boxes for the levels after the first, the first `level` of
    // them dark.
    if (level > 0) {
        for (int32_t j = 0; j < 4; ++j) {
            dc.SelectBrush(Platform::CBrush(j < level ? shadow : Platform::RGB(255, 255, 255)));
            dc.Rectangle(x0 + 2 * j, c - 5, x0 + 2 * j + 3, c - 1);
        }
        dc.SelectBrush(Platform::CBrush(shadow));
    }

    // The direction triangle: apex up for a descending level, down otherwise;
    // below the boxes when there are boxes.
    const int32_t shift = level > 0 ? 4 : 0;
    const int32_t upper = c - 1 + shift - 2;
    const int32_t lower = c - 1 + shift + 2;
    const bool descending = context.sortDescending[level];
    const int32_t base = descending ? lower : upper;
    const int32_t apex = descending ? upper : lower;
    const Platform::CPoint triangle[3] = {{x0, base}, {x0 + 8, base}, {x0 + 4, apex}};
    dc.Polygon(triangle, 3);

    dc.SelectBrush(previousBrush);
    dc.SelectPen(previousPen);
}

void CColumnPaintFormat::DrawCaption(const ColumnInfo& column, PaintContext& context, PaintElementMask mask) const
{
    if (column.column == nullptr)
        return;
    CRect rect = column.fullRect;
    if (context.SortLevelOf(column.attributes.id) >= 0)
        rect.right -= GetSortMarkWidth();
    if (HasHeaderImage(column, mask))
        rect.left += column.fullRect.Height();
    rect.left += 2;
    rect.right -= 4;
    if (rect.IsRectEmpty())
        return;
    context.text = column.column->GetCaption();
    if (context.text.empty())
        return;
    unsigned align = Platform::DT_LEFT;
    if (column.attributes.alignment == CColumn::kAlignRight)
        align = Platform::DT_RIGHT;
    else if (column.attributes.alignment == CColumn::kAlignCenter)
        align = Platform::DT_CENTER;

    CDC& dc = *context.dc;
    const COLORREF previousColor = dc.SetTextColor(column.textColor);
    const int previousMode = dc.SetBkMode(Platform::TRANSPARENT);
    const QFont previousFont = column.font ? dc.SelectFont(*column.font) : dc.GetFont();
    dc.DrawText(std::string_view(context.text), rect,
                align | Platform::DT_VCENTER | Platform::DT_SINGLELINE | Platform::DT_END_ELLIPSIS);
    dc.SelectFont(previousFont);
    dc.SetBkMode(previousMode);
    dc.SetTextColor(previousColor);
}

void CColumnPaintFormat::DrawImage(const ColumnInfo& column, PaintContext& context, int32_t image,
                                   const CRect& box) const
{
    Platform::CImageList* const list = column.header ? column.header->imageList : nullptr;
    if (list == nullptr || box.IsRectEmpty() || list->GetImage(image) == nullptr ||
        !Platform::IsBlendLibraryAvailable())
        return; // without TransparentBlt no header image is drawn
    CDC& dc = *context.dc;
    const Platform::CSize size = list->GetImageSize();
    Platform::CMemoryDC scratch(dc, size.cx, size.cy);
    scratch.FillSolidRect(0, 0, size.cx, size.cy, kImageKeyColor);
    list->Draw(scratch, image, Platform::CPoint(0, 0));
    dc.TransparentBlt(box.left, box.top, box.Width(), box.Height(), scratch, 0, 0, size.cx, size.cy, kImageKeyColor);
}

} // namespace Brivel::GUI
