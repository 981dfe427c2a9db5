#pragma once
// CRemoveItemsDlg: "Remove items from the grid", the dialog of the remove
// run. See CItemsDlg for the controls and the remembered values; the first
// dialog of the process starts from the tail and the GUI thread, and the
// frame presets the count to the test grid's row count before each dialog
// (PresetCount), so that OK alone empties the grid.
//
// Thread: GUI thread only.

#include "app/items_dlg.h"

namespace Quellon {

class CRemoveItemsDlg : public CItemsDlg {
public:
    explicit CRemoveItemsDlg(QWidget* parent = nullptr);

    // Sets the count the next dialog starts from.
    static void PresetCount(int32_t count);
    static ItemsDlgValues GetRememberedValues();
    static void ResetRememberedValuesForTesting();
};

} // namespace Quellon
