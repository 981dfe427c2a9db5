#include "app/remove_items_dlg.h"

#include "app/commands.h"

namespace Quellon {

namespace {

ItemsDlgValues g_remembered; // GUI thread only

constexpr CItemsDlg::Texts kTexts = {
    "Remove items from the grid",
    "Remove from the head",
    "Remove from the tail",
    "Remove from the random location",
    "Remove from GUI thread",
    "Remove from non-GUI thread",
    "Remove",
};

} // namespace

CRemoveItemsDlg::CRemoveItemsDlg(QWidget* parent) : CItemsDlg(kTexts, kIddRemoveItems, g_remembered, parent) {}

void CRemoveItemsDlg::PresetCount(int32_t count)
{
    g_remembered.count = count;
}

ItemsDlgValues CRemoveItemsDlg::GetRememberedValues()
{
    return g_remembered;
}

void CRemoveItemsDlg::ResetRememberedValuesForTesting()
{
    g_remembered = ItemsDlgValues{};
}

} // namespace Quellon
