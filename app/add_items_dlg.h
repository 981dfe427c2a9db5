#pragma once
// CAddItemsDlg: "Add lines to grid...", the dialog of the add run: how many
// rows, where (head, tail, random location) and from which thread. See
// CItemsDlg for the controls and the remembered values; the first dialog of
// the process starts from count 1, the tail and the GUI thread.
//
// Thread: GUI thread only.

#include "app/items_dlg.h"

namespace Quellon {

class CAddItemsDlg : public CItemsDlg {
public:
    explicit CAddItemsDlg(QWidget* parent = nullptr);

    // The process-wide values the next dialog starts from.
    static ItemsDlgValues GetRememberedValues();
    static void ResetRememberedValuesForTesting();
};

} // namespace Quellon
