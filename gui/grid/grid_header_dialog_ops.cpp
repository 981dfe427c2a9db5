// CGrid: opening the header configuration dialog, and the header strip's
// context menu.

#include "gui/grid/grid.h"

#include "gui/grid/grid_call.h"
#include "gui/header/column.h"
#include "gui/header/header.h"
#include "gui/header_dialog/header_configuration_dlg.h"
#include "gui/header_dialog/header_menu.h"
#include "gui/input/input_router.h"

#include <QContextMenuEvent>
#include <QPointer>

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;

int32_t CGrid::ShowHeaderConfiguration()
{
    return m_impl->Call(kOpShowHeaderConfiguration, [this](CGridImpl& impl) -> int32_t {
        CHeader* const header = impl.GetHeader();
        if (header == nullptr)
            return 0;
        // A child of the grid, so that a grid destroyed while the dialog
        // runs takes the dialog with it; the guard then tells us not to
        // touch either again.
        QPointer<CHeaderConfigurationDlg> dialog = new CHeaderConfigurationDlg(*header, this); // owned by parent
        const int32_t result = dialog->DoModal();
        if (dialog.isNull())
            return 0;
        delete dialog.data();
        if (result == QDialog::Accepted)
            update();
        return result;
    });
}

void CGrid::contextMenuEvent(QContextMenuEvent* event)
{
    int32_t clickedId = CColumn::kUnsetField;
    if (!m_impl || m_impl->IsDestroyed() ||
        !m_impl->GetInput().GetHeaderMouse().HitStrip(Platform::CPoint(event->pos()), clickedId)) {
        QWidget::contextMenuEvent(event);
        return;
    }
    CHeaderMenu(*this, clickedId).Exec(event->globalPos());
    event->accept();
}

} // namespace Brivel::GUI
