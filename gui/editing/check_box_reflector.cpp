#include "gui/editing/check_box_reflector.h"

#include "gui/grid/grid.h"
#include "gui/header/column.h"
#include "gui/paint/paint_records.h"

#include "common/data_object.h"
#include "common/format.h"
#include "platform/dc.h"
#include "platform/frame_control.h"

#include <algorithm>

namespace Brivel::GUI {

bool CCheckBoxReflector::IsSuitable(const Common::CFormat& format) const
{
    return format.GetKind() == Common::KindBool;
}

bool CCheckBoxReflector::StartEdit(const EditContext& context, const Common::CFormat* /*format*/, int32_t trigger)
{
    if ((trigger == kTriggerMouse || trigger == kTriggerKey) && context.column != nullptr && context.grid != nullptr)
        context.grid->EndEdit(kEndToggled, true);
    return true;
}

bool CCheckBoxReflector::Commit(const EditContext& context, bool announce)
{
    if (context.grid == nullptr || context.column == nullptr)
        return true;
    const int32_t field = context.column->GetId();
    const Common::CFieldValue value = context.grid->GetCellValue(context.item, field);
    if (value.GetKind() == Common::KindBool)
        context.grid->SetCellValue(context.item, field, Common::CFieldValue(!value.Get<bool>()), announce);
    return true;
}

bool CCheckBoxReflector::DrawsCell(const CellInfo& cell) const
{
    return cell.object != nullptr && cell.column != nullptr && cell.kind == Common::KindBool;
}

PaintElementMask CCheckBoxReflector::FilterPaintElements(const CellInfo& /*cell*/, PaintElementMask mask) const
{
    return mask & ~PaintElement::kCellText;
}

void CCheckBoxReflector::DrawCell(const CellInfo& cell, PaintContext& context, PaintElementMask /*mask*/) const
{
    if (!DrawsCell(cell) || context.dc == nullptr)
        return;
    Platform::CDC& dc = *context.dc;
    Platform::CRect content = cell.fullRect;
    content.left += 2;
    content.right -= 2;
    if (content.IsRectEmpty())
        return;
    const bool checked = cell.object->GetValue(cell.attributes.id).Get<bool>();
    const int32_t side = std::min(content.Height(), content.Width());
    std::string& text = context.text;
    text.clear();
    if (!m_suppressText && cell.format != nullptr)
        FormatCellText(*cell.format, cell.kind, *cell.object, cell.attributes.id, text);

    Platform::CRect box(content.left, content.top + (content.Height() - side) / 2, content.left + side,
                        content.top + (content.Height() - side) / 2 + side);
    Platform::CRect textRect = content;
    int32_t alignment = cell.attributes.alignment;
    if (text.empty()) {
        const int32_t left = std::max(content.left, content.left + (content.Width() - side) / 2);
        box.OffsetRect(left - box.left, 0);
    } else if (m_placement == kBoxRight) {
        box.OffsetRect(content.right - side - box.left, 0);
        textRect.right = box.left - 2;
        if (alignment == CColumn::kAlignAuto)
            alignment = CColumn::kAlignRight;
    } else {
        textRect.left = box.right + 2;
    }
    Platform::DrawCheckBox(dc, box, checked);
    if (text.empty() || textRect.IsRectEmpty())
        return;
    unsigned format = Platform::DT_SINGLELINE | Platform::DT_VCENTER | Platform::DT_END_ELLIPSIS;
    format |= alignment == CColumn::kAlignRight    ? Platform::DT_RIGHT
              : alignment == CColumn::kAlignCenter ? Platform::DT_CENTER
                                                   : Platform::DT_LEFT;
    dc.SetBkMode(Platform::TRANSPARENT);
    dc.SetTextColor(cell.textColor);
    dc.DrawText(std::string_view(text), textRect, format);
}

} // namespace Brivel::GUI
