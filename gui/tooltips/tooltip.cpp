#include "gui/tooltips/tooltip.h"

#include "gui/paint/paint_records.h"

namespace Brivel::GUI {

CTooltip& CTooltip::Shared()
{
    static CTooltip tooltip;
    return tooltip;
}

bool CTooltip::HasText(CGrid& grid, const CellInfo& cell)
{
    GetText(grid, cell, m_scratch);
    return !m_scratch.empty();
}

void CTooltip::GetText(CGrid& /*grid*/, const CellInfo& cell, std::string& text)
{
    text.clear();
    if (cell.object != nullptr && cell.format != nullptr && cell.column != nullptr)
        FormatCellText(*cell.format, cell.kind, *cell.object, cell.attributes.id, text);
}

} // namespace Brivel::GUI
