#pragma once
// IClipboardImporter: what the application allows a paste of the grid's own
// rows (the local format, copied in this process from this grid) to do.
//
// The grid checks the pasted record handle by handle first (clipboard
// rows that are no longer in the grid are dropped) and asks the importer
// only about the rows still there, in their copied order. It then does what
// the answer says: kMove takes the rows out and inserts them after the body
// list's focus row (at the tail without one), kDuplicate adds new rows bound
// to the same data objects there, kRefuse changes nothing. The default
// importer, CClipboardImporter, refuses everything.
//
// Ownership: the grid deletes the importer it holds at its end when
// IsAutoDelete() answers true.
// Thread: the grid's GUI thread (a paste runs there).

#include "gui/grid/auto_delete.h"

#include <cstdint>
#include <span>

namespace Brivel::GUI {

class CGrid;
class CGridItem;

enum class PasteAction : int32_t { kRefuse = 0, kMove = 1, kDuplicate = 2 };

class IClipboardImporter : public virtual IAutoDelete {
public:
    // `rows`: the pasted rows still in `grid`; `cut`: whether they were put
    // on the clipboard by a cut.
    virtual PasteAction GetPasteAction(CGrid& grid, std::span<CGridItem* const> rows, bool cut) = 0;

protected:
    IClipboardImporter() = default;
    IClipboardImporter(const IClipboardImporter&) = default;
    IClipboardImporter& operator=(const IClipboardImporter&) = default;
};

// The shared importer a grid uses when none is set: it refuses every paste.
class CClipboardImporter final : public IClipboardImporter {
public:
    bool IsAutoDelete() const override { return false; } // shared: no grid deletes it
    PasteAction GetPasteAction(CGrid&, std::span<CGridItem* const>, bool) override { return PasteAction::kRefuse; }
    // The shared instance every grid starts with.
    static CClipboardImporter& Shared();
};

} // namespace Brivel::GUI
