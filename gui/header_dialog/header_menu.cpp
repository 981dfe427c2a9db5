#include "gui/header_dialog/header_menu.h"

#include "gui/grid/grid.h"
#include "gui/header/column.h"
#include "gui/header/header.h"

#include <QAction>

namespace Brivel::GUI {

CHeaderMenu::CHeaderMenu(CGrid& grid, int32_t clickedId) : m_grid(grid)
{
    CHeader* const header = grid.GetHeader();
    m_menu.addAction(QStringLiteral("Configure columns..."), &m_menu, [&grid] { grid.ShowHeaderConfiguration(); });
    if (header == nullptr)
        return;
    // The menu's actions go through the header, which is safe from any
    // thread and tells the grid; a column gone meanwhile makes them no-ops.
    if (CColumn* const clicked = header->FindVisibleColumn(clickedId)) {
        m_menu.addSeparator();
        m_menu.addAction(QStringLiteral("Hide \"%1\"").arg(QString::fromStdString(clicked->GetCaption())), &m_menu,
                         [header, clickedId] { header->HideColumn(clickedId); });
    }
    bool separated = false;
    const int32_t count = header->GetColumnCount();
    for (int32_t index = 0; index < count; ++index) {
        CColumn* const column = header->GetColumn(index);
        if (column == nullptr || column->IsVisible())
            continue;
        if (!separated) {
            m_menu.addSeparator();
            separated = true;
        }
        const int32_t id = column->GetId();
        m_menu.addAction(QStringLiteral("Show \"%1\"").arg(QString::fromStdString(column->GetCaption())), &m_menu,
                         [header, id] { header->ShowColumn(id); });
    }
}

void CHeaderMenu::Exec(const QPoint& globalPos)
{
    m_menu.exec(globalPos);
}

} // namespace Brivel::GUI
