#pragma once
// Helpers the default cell painter's two source files share
// (cell_paint_format.cpp, cell_paint_marks.cpp); not an interface of its own.
//
// Thread: GUI thread (drawing).

#include "gui/paint/paint_host.h"
#include "gui/paint/paint_records.h"

#include "platform/dc.h"

namespace Brivel::GUI::CellPaintDetail {

inline const Appearance& AppearanceOf(const PaintContext& context)
{
    return context.appearance ? *context.appearance : context.host->GetAppearance();
}

inline bool IsTreeColumn(const CellInfo& cell, const PaintContext& context)
{
    return context.treeShown && cell.item != nullptr && cell.column != nullptr &&
           cell.attributes.id == context.treeColumnId;
}

inline void FillClipped(Platform::CDC& dc, const Platform::CRect& rect, const Platform::CRect& within, COLORREF color)
{
    Platform::CRect part;
    if (part.IntersectRect(rect, within))
        dc.FillSolidRect(part, color);
}

} // namespace Brivel::GUI::CellPaintDetail
