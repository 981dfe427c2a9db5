#include "app/add_items_dlg.h"

#include "app/commands.h"

namespace Quellon {

namespace {

ItemsDlgValues g_remembered; // GUI thread only

constexpr CItemsDlg::Texts kTexts = {
    "Add lines to grid...",
    "Add to the head",
    "Add to the tail",
    "Add to the random location",
    "Add from GUI thread",
    "Add from non-GUI thread",
    "Add",
};

} // namespace

CAddItemsDlg::CAddItemsDlg(QWidget* parent) : CItemsDlg(kTexts, kIddAddItems, g_remembered, parent) {}

ItemsDlgValues CAddItemsDlg::GetRememberedValues()
{
    return g_remembered;
}

void CAddItemsDlg::ResetRememberedValuesForTesting()
{
    g_remembered = ItemsDlgValues{};
}

} // namespace Quellon
