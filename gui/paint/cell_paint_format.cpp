// CCellPaintFormat: the default cell painter.
//
// ---- Sections ----
//   Highlight layers      the colour a change highlight adds, per mode
//   Colours               GetBackColor, GetTextColor
//   Geometry              tree indentation, image and text rectangles, width
//   Draw                  the steps in their order
//   Steps                 one function per paint element up to DrawImage (the
//                         frames, tree, marks and lines: cell_paint_marks.cpp)
//
// Call flow of one cell (from CLinePaintFormat through the custom draw):
//   Draw -> [editor filters the mask] -> ScheduleHighlightRefresh
//        -> DrawBackground (GetBackColor) -> DrawSelectionRect
//        -> DrawText (ReadCellText, GetTextRect, GetTextColor) -> DrawImage
//        -> DrawFocusFrame -> DrawSelectionFrame -> DrawTree
//        -> DrawInsertionMark -> DrawDropArrows -> DrawVerticalLine
//        -> DrawHorizontalLine -> [embedded control] -> DrawEditorMark

#include "gui/paint/cell_paint_format.h"
#include "gui/paint/cell_paint_detail.h"

#include "gui/rows/grid_item.h"
#include "gui/paint/paint_format_registry.h"
#include "gui/paint/paint_host.h"
#include "gui/rows/row_list.h"

#include "common/data_object.h"
#include "common/field_value.h"
#include "common/format.h"
#include "platform/dc.h"
#include "platform/image_list.h"
#include "platform/pen.h"
#include "platform/sys_color.h"

#include <algorithm>

namespace Brivel::GUI {

using Platform::CDC;
using Platform::CPen;
using Platform::CRect;

using namespace CellPaintDetail;

namespace {

const CPaintFormatRegistrar<ICellPaintFormat> s_registrar(
    CCellPaintFormat::kClassName, &MakeDefaultPaintFormat<ICellPaintFormat, CCellPaintFormat>);

bool IsNumericKind(Common::ValueKind kind)
{
    return (kind >= Common::KindChar && kind <= Common::KindInt64) || kind == Common::KindFloat ||
           kind == Common::KindDouble;
}

bool IsFadingMode(int32_t mode)
{
    return mode == kHighlightFadeText || mode == kHighlightFadeBack || mode == kHighlightFadeTextAndBack;
}

bool IsHighlightAgeInRange(const HighlightSettings& settings, int32_t elapsed)
{
    return settings.duration > 0 && elapsed >= 0 && elapsed < settings.duration;
}

// The alpha of a fading highlight: falls linearly from maxAlpha at the change
// to 0 at the end of the duration (integer arithmetic, 64-bit so that long
// durations cannot overflow).
uint8_t FadedAlpha(const HighlightSettings& settings, int32_t elapsed, uint8_t maxAlpha)
{
    const int64_t left = int64_t(settings.duration) - elapsed;
    return static_cast<uint8_t>(left * maxAlpha / settings.duration);
}

} // namespace

// ---- Highlight layers ----

HighlightLayer GetBackHighlightLayer(const HighlightSettings& settings, int32_t elapsed, COLORREF cellTextColor)
{
    if (!IsHighlightAgeInRange(settings, elapsed))
        return {};
    switch (settings.mode) {
    case kHighlightInvert:
        return {cellTextColor, 255, true};
    case kHighlightBack:
    case kHighlightTextAndBack:
        return {settings.backColor, 255, true};
    case kHighlightAlphaBack:
    case kHighlightAlphaTextAndBack:
        return {settings.backColor, settings.backAlpha, true};
    case kHighlightFadeBack:
    case kHighlightFadeTextAndBack:
        return {settings.backColor, FadedAlpha(settings, elapsed, settings.backAlpha), true};
    default:
        return {};
    }
}

HighlightLayer GetTextHighlightLayer(const HighlightSettings& settings, int32_t elapsed, COLORREF cellBackColor)
{
    if (!IsHighlightAgeInRange(settings, elapsed))
        return {};
    switch (settings.mode) {
    case kHighlightInvert:
        return {cellBackColor, 255, true};
    case kHighlightText:
    case kHighlightTextAndBack:
        return {settings.textColor, 255, true};
    case kHighlightAlphaText:
    case kHighlightAlphaTextAndBack:
        return {settings.textColor, settings.textAlpha, true};
    case kHighlightFadeText:
    case kHighlightFadeTextAndBack:
        return {settings.textColor, FadedAlpha(settings, elapsed, settings.textAlpha), true};
    default:
        return {};
    }
}

// ---- Colours ----

int32_t CCellPaintFormat::GetHighlightAge(const CellInfo& cell, PaintContext& context, PaintElementMask mask)
{
    if (!context.highlightChangedValues || (mask & PaintElement::kChangeHighlight) == 0 || cell.item == nullptr)
        return -1;
    return cell.changeAge;
}

COLORREF CCellPaintFormat::GetBackColor(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    const Appearance& appearance = AppearanceOf(context);
    COLORREF color = cell.backColor;
    if (const int32_t age = GetHighlightAge(cell, context, mask); age >= 0) {
        const HighlightLayer layer = GetBackHighlightLayer(cell.highlight, age, cell.textColor);
        if (layer.active)
            color = Platform::BlendColor(color, layer.color, layer.alpha);
    }
    if ((mask & PaintElement::kSelectionTint) != 0 && cell.IsSelected())
        color = Platform::BlendColor(color, appearance.selectionTint.color, appearance.selectionTint.alpha);
    if ((mask & PaintElement::kSortedColumnTint) != 0 && cell.column != nullptr &&
        context.SortLevelOf(cell.attributes.id) >= 0)
        color = Platform::BlendColor(color, appearance.sortedColumnTint.color, appearance.sortedColumnTint.alpha);
    if ((mask & PaintElement::kFocusRowTint) != 0 && cell.item != nullptr &&
        context.IsFocusRow(cell.listKind, cell.row))
        color = Platform::BlendColor(color, appearance.focusTint.color, appearance.focusTint.alpha);
    return color;
}

COLORREF CCellPaintFormat::GetTextColor(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    COLORREF color = cell.textColor;
    if (const int32_t age = GetHighlightAge(cell, context, mask); age >= 0) {
        const HighlightLayer layer = GetTextHighlightLayer(cell.highlight, age, cell.backColor);
        if (layer.active)
            color = Platform::BlendColor(color, layer.color, layer.alpha);
    }
    return color;
}

// ---- Geometry ----

int32_t CCellPaintFormat::GetTreeDepth(const CGridItem& item)
{
    int32_t depth = 0;
    for (const CGridItem* parent = item.GetParent(); parent != nullptr && !parent->IsRoot();
         parent = parent->GetParent())
        ++depth;
    return depth;
}

int32_t CCellPaintFormat::GetTreeIndent(const CellInfo& cell, const PaintContext& context, PaintElementMask mask)
{
    if ((mask & PaintElement::kTreeIndent) == 0 || !IsTreeColumn(cell, context))
        return 0;
    return (GetTreeDepth(*cell.item) + 1) * cell.fullRect.Height();
}

void CCellPaintFormat::GetImageRect(CRect& result, const CellInfo& cell, PaintContext& context,
                                    PaintElementMask mask) const
{
    const CRect& full = cell.fullRect;
    const int32_t left = full.left + GetTreeIndent(cell, context, mask);
    result = CRect(left, full.top, left, full.bottom);
    if ((mask & PaintElement::kCellImages) == 0 || cell.imageList == nullptr || cell.imageIndex < 0 ||
        cell.imageIndex >= cell.imageList->GetImageCount())
        return;
    const int32_t height = full.Height();
    const Platform::CSize size = cell.imageList->GetImageSize();
    const int32_t width = cell.stretchImages && size.cy > 0 ? height * size.cx / size.cy : height;
    switch (cell.attributes.imageAlignment) {
    case CColumn::kImageRight:
        result.left = full.right - width;
        break;
    case CColumn::kImageCenter:
        result.left = left + (full.right - left - width) / 2;
        break;
    default:
        break;
    }
    result.right = result.left + width;
}

void CCellPaintFormat::GetTextRect(CRect& result, const CellInfo& cell, PaintContext& context,
                                   PaintElementMask mask) const
{
    result = cell.fullRect;
    CRect image;
    GetImageRect(image, cell, context, mask);
    switch (cell.attributes.imageAlignment) {
    case CColumn::kImageLeft:
        // Also moves the text past the tree indentation when there is no image.
        result.left = std::max(result.left, image.right);
        break;
    case CColumn::kImageRight:
        // Only a real image takes room at the right: an empty box would leave
        // the text no room at all.
        if (!image.IsRectEmpty())
            result.right = std::min(result.right, image.left);
        break;
    default:
        break;
    }
    result.left += cell.leftMargin;
    result.right -= cell.rightMargin;
}

const std::string& CCellPaintFormat::ReadCellText(const CellInfo& cell, PaintContext& context)
{
    context.text.clear();
    if (cell.column == nullptr || cell.object == nullptr || cell.format == nullptr)
        return context.text;
    FormatCellText(*cell.format, cell.kind, *cell.object, cell.attributes.id, context.text);
    return context.text;
}

unsigned CCellPaintFormat::GetTextAlignment(const CellInfo& cell)
{
    switch (cell.attributes.alignment) {
    case CColumn::kAlignAuto:
        return IsNumericKind(cell.kind) ? Platform::DT_RIGHT : Platform::DT_LEFT;
    case CColumn::kAlignRight:
        return Platform::DT_RIGHT;
    case CColumn::kAlignCenter:
        return Platform::DT_CENTER;
    default:
        return Platform::DT_LEFT;
    }
}

int32_t CCellPaintFormat::MeasureWidth(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    int32_t width = cell.leftMargin + cell.rightMargin + GetTreeIndent(cell, context, mask);
    CRect image;
    GetImageRect(image, cell, context, mask);
    width += image.Width();
    const std::string& text = ReadCellText(cell, context);
    if (!text.empty() && context.dc != nullptr) {
        CDC& dc = *context.dc;
        const QFont previous = cell.font ? dc.SelectFont(*cell.font) : dc.GetFont();
        width += dc.GetTextExtent(std::string_view(text)).cx;
        dc.SelectFont(previous);
    }
    return width;
}

std::unique_ptr<ICellPaintFormat> CCellPaintFormat::Clone() const
{
    return std::make_unique<CCellPaintFormat>();
}

// ---- Draw ----

void CCellPaintFormat::Draw(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    const ICellEditorPaint* const editor = context.host->GetCellEditorPaint();
    if (editor != nullptr)
        mask = editor->FilterPaintElements(cell, context, mask);

    ScheduleHighlightRefresh(cell, context, mask);
    DrawBackground(cell, context, mask);
    DrawSelectionRect(cell, context, mask);
    DrawText(cell, context, mask);
    DrawImage(cell, context, mask);
    DrawFocusFrame(cell, context, mask);
    DrawSelectionFrame(cell, context, mask);
    DrawTree(cell, context, mask);
    DrawInsertionMark(cell, context, mask);
    DrawDropArrows(cell, context, mask);
    DrawVerticalLine(cell, context, mask);
    DrawHorizontalLine(cell, context, mask);

    if ((mask & PaintElement::kEmbeddedControls) != 0 && cell.item != nullptr && cell.column != nullptr &&
        context.host->HasEmbeddedControls(*cell.item)) {
        // The control may change anything on the surface: give it a saved
        // state and take ours back afterwards.
        const int saved = context.dc->SaveDC();
        context.host->DrawEmbeddedControl(cell, context);
        context.dc->RestoreDC(saved);
    }
    DrawEditorMark(cell, context, mask);
}

// ---- Steps ----

void CCellPaintFormat::ScheduleHighlightRefresh(const CellInfo& cell, PaintContext& context,
                                                PaintElementMask mask) const
{
    if (!context.highlightChangedValues || (mask & PaintElement::kChangeHighlight) == 0 || cell.column == nullptr ||
        cell.item == nullptr)
        return;
    const HighlightSettings& settings = cell.highlight;
    const int32_t age = cell.changeAge;
    if (!IsHighlightAgeInRange(settings, age))
        return;
    int32_t remaining = settings.duration - age;
    if (IsFadingMode(settings.mode) && settings.refreshInterval > 0 && remaining >= settings.refreshInterval)
        remaining = settings.refreshInterval;
    // Collected, not applied: the paint pass asks the grid once, for the
    // nearest of them, when it is done.
    if (context.highlightRefreshMs < 0 || remaining < context.highlightRefreshMs)
        context.highlightRefreshMs = remaining;
}

void CCellPaintFormat::DrawBackground(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    if ((mask & PaintElement::kCellBackground) == 0 || cell.paintRect.IsRectEmpty())
        return;
    CDC& dc = *context.dc;
    const CRect& paint = cell.paintRect;
    const COLORREF back = GetBackColor(cell, context, mask);
    CRect inside;
    if (context.backgroundPicture == nullptr || context.backgroundAlpha == -1 ||
        !inside.IntersectRect(paint, context.pictureRect)) {
        dc.FillSolidRect(paint, back);
        return;
    }

    // Around the picture: the composed colour, in up to four bands.
    FillClipped(dc, CRect(paint.left, paint.top, paint.right, inside.top), paint, back);
    FillClipped(dc, CRect(paint.left, inside.bottom, paint.right, paint.bottom), paint, back);
    FillClipped(dc, CRect(paint.left, inside.top, inside.left, inside.bottom), paint, back);
    FillClipped(dc, CRect(inside.right, inside.top, paint.right, inside.bottom), paint, back);

    // Over the picture: the translucent layers, in the order of GetBackColor.
    const auto layer = [&](COLORREF color, int32_t alpha) {
        if (alpha > 0)
            dc.FillAlphaRect(inside, color, static_cast<uint8_t>(std::min(alpha, 255)));
    };
    const Appearance& appearance = AppearanceOf(context);
    layer(cell.backColor, context.backgroundAlpha);
    if (const int32_t age = GetHighlightAge(cell, context, mask); age >= 0) {
        const HighlightLayer highlight = GetBackHighlightLayer(cell.highlight, age, cell.textColor);
        if (highlight.active)
            layer(highlight.color, highlight.alpha);
    }
    if ((mask & PaintElement::kSelectionTint) != 0 && cell.IsSelected())
        layer(appearance.selectionTint.color, appearance.selectionTint.alpha);
    if ((mask & PaintElement::kSortedColumnTint) != 0 && cell.column != nullptr &&
        context.SortLevelOf(cell.attributes.id) >= 0)
        layer(appearance.sortedColumnTint.color, appearance.sortedColumnTint.alpha);
    if ((mask & PaintElement::kFocusRowTint) != 0 && cell.item != nullptr &&
        context.IsFocusRow(cell.listKind, cell.row))
        layer(appearance.focusTint.color, appearance.focusTint.alpha);
}

void CCellPaintFormat::DrawSelectionRect(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    const CRect& band = context.rubberBand;
    CRect inside;
    if ((mask & PaintElement::kRubberBand) == 0 || band.IsRectEmpty() || !inside.IntersectRect(cell.paintRect, band))
        return;
    CDC& dc = *context.dc;
    const Tint& tint = AppearanceOf(context).rubberBandTint;
    if (tint.alpha == 255)
        dc.FillSolidRect(inside, tint.color);
    else if (tint.alpha > 0)
        dc.FillAlphaRect(inside, tint.color, tint.alpha);
    // The band's outline, where it crosses the cell (right and bottom edges
    // one pixel inside).
    FillClipped(dc, CRect(band.left, band.top, band.left + 1, band.bottom), cell.paintRect, tint.color);
    FillClipped(dc, CRect(band.right - 1, band.top, band.right, band.bottom), cell.paintRect, tint.color);
    FillClipped(dc, CRect(band.left, band.top, band.right, band.top + 1), cell.paintRect, tint.color);
    FillClipped(dc, CRect(band.left, band.bottom - 1, band.right, band.bottom), cell.paintRect, tint.color);
}

void CCellPaintFormat::DrawText(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    if ((mask & PaintElement::kCellText) == 0 || cell.column == nullptr || cell.object == nullptr ||
        cell.format == nullptr || cell.paintRect.IsRectEmpty())
        return;
    CRect rect;
    GetTextRect(rect, cell, context, mask);
    if (rect.IsRectEmpty())
        return;
    const std::string& text = ReadCellText(cell, context);
    if (text.empty())
        return;
    CDC& dc = *context.dc;
    const COLORREF previousColor = dc.SetTextColor(GetTextColor(cell, context, mask));
    const int previousMode = dc.SetBkMode(Platform::TRANSPARENT);
    // Selecting the font in use is a pointer comparison: no cost per cell.
    const QFont previousFont = cell.font ? dc.SelectFont(*cell.font) : dc.GetFont();
    dc.DrawText(std::string_view(text), rect,
                GetTextAlignment(cell) | Platform::DT_VCENTER | Platform::DT_SINGLELINE | Platform::DT_END_ELLIPSIS);
    dc.SelectFont(previousFont);
    dc.SetBkMode(previousMode);
    dc.SetTextColor(previousColor);
}

void CCellPaintFormat::DrawImage(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    CRect box;
    GetImageRect(box, cell, context, mask);
    if (box.IsRectEmpty())
        return; // no image (bit cleared, no list or no valid index)
    const QImage* const image = cell.imageList->GetImage(cell.imageIndex);
    if (image == nullptr)
        return;
    CDC& dc = *context.dc;
    const Platform::CSize size = cell.imageList->GetImageSize();
    if (cell.stretchImages) {
        CRect target = box;
        target.DeflateRect(1, 1);
        if (!target.IsRectEmpty()) {
            Platform::CMemoryDC scratch(dc, size.cx, size.cy);
            scratch.FillSolidRect(0, 0, size.cx, size.cy, kImageKeyColor);
            cell.imageList->Draw(scratch, cell.imageIndex, Platform::CPoint(0, 0));
            if (dc.TransparentBlt(target.left, target.top, target.Width(), target.Height(), scratch, 0, 0, size.cx,
                                  size.cy, kImageKeyColor))
                return;
        }
    }
    // Natural size at the box's left, vertically centred when lower than the
    // cell, cut to the box.
    const CRect& full = cell.fullRect;
    int32_t top = full.top;
    if (size.cy < full.Height())
        top += (full.Height() - size.cy) / 2;
    CRect target;
    if (!target.IntersectRect(CRect(box.left, top, box.left + size.cx, top + size.cy), box))
        return;
    const CRect source(target.left - box.left, target.top - top, target.right - box.left, target.bottom - top);
    dc.DrawImage(target, *image, source);
}

} // namespace Brivel::GUI
