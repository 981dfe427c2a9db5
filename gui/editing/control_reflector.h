#pragma once
// IControlReflector: the editor of one kind of cell value. A reflector
// decides whether it can edit values of a format (IsSuitable), opens an
// editor control over a cell (StartEdit), says which navigation keys the
// grid may act on while its control is open (OnKeyAction), writes the
// control's text back into the row's data object through the grid (Commit)
// and closes the control (EndEdit). Reflectors that draw inside their cells
// (the check box) answer the drawing hooks.
//
// One process-wide list holds one reflector of each class (reflector_list.h);
// the first whose IsSuitable accepts a cell's format edits it. A reflector
// with a control edits one cell at a time: its control lives in its own slot.
//
// Virtual operations are declared in slot order (0 is the destructor);
// keep it when editing.
//
// Thread: the grid's GUI thread. The grid operations a reflector calls work
// from any thread, but the editing controller calls reflectors only there.

#include "gui/paint/paint_format.h"

#include <cstdint>

class QWidget;

namespace Brivel::Common {
class CDataObject;
class CFormat;
} // namespace Brivel::Common

namespace Brivel::GUI {

class CColumn;
class CGrid;
class CGridItem;
struct CellInfo;
struct PaintContext;

// The cell being edited. Every pointer is borrowed: the grid's, valid while
// the edit is open (the controller ends the edit before any of them goes).
struct EditContext {
    CGrid* grid = nullptr; // the grid edited
    CGridItem* item = nullptr; // the row edited
    Common::CDataObject* object = nullptr; // the row's data object
    CColumn* column = nullptr;             // gives the field identifier
};

// What started an edit.
enum EditTrigger : int32_t {
    kTriggerMouse = 0,     // a double click, or a click on a check box
    kTriggerKey = 1,       // F2 (or Space on a check box)
    kTriggerTyping = 2,    // a printable character, which replaces the text
    kTriggerProgram = 3,   // CGrid::StartEdit
};

// The grid's navigation actions while an editor is open. The reflectors
// keep Left and Right while the caret has room to move, and always keep
// kActionSelectText.
enum EditAction : int32_t {
    kActionNone = 0,
    kActionUp = 1,        // commit, the same column one row up
    kActionDown = 2,      // commit, the same column one row down
    kActionCommit = 3,    // Enter: commit and end
    kActionCancel = 4,    // Escape: end without writing
    kActionLeft = 5,      // commit, the previous editable cell of the row
    kActionRight = 6,     // commit, the next editable cell of the row
    kActionNext = 7,      // Tab: commit, the next editable cell (wrapping to the next row)
    kActionPrevious = 8,  // Shift+Tab: the previous one (wrapping to the previous row)
    kActionSelectText = 17, // Ctrl+A: the editor selects its text
};

// Why an edit ended (CGrid::EndEdit's reason).
enum EditEndReason : int32_t {
    kEndCommit = 0,      // write the value, then close
    kEndCancel = 1,      // close without writing
    kEndFocusLost = 2,   // the editor lost the keyboard focus: write, then close
    kEndScrolled = 3,    // the grid scrolled: write, then close
    kEndRowGone = 4,     // the row left the grid: close without writing
    kEndToggled = 24,    // a check box asked for it after its toggle: write, then close
};

// The editor of one kind of cell value (see the top of this file).
class IControlReflector {
public:
    virtual ~IControlReflector() = default;                                                  // 0
    // Whether this reflector edits cells of `format`.
    virtual bool IsSuitable(const Common::CFormat& format) const = 0;                        // 1
    // Opens the editor over the cell; false when it could not (nothing stays open).
    virtual bool StartEdit(const EditContext& context, const Common::CFormat* format, int32_t trigger) = 0; // 2
    // Keeps the slot order; does nothing.
    virtual void Reserved() {}                                                              // 3
    // True: the grid may act on `action`; false: the editor keeps the key.
    virtual bool OnKeyAction(const EditContext& context, int32_t action) = 0;               // 4
    // Writes the editor's value into the cell; false when nothing was written.
    virtual bool Commit(const EditContext& context, bool announce) = 0;                     // 5
    // Closes the editor; false when none was open.
    virtual bool EndEdit(CGrid* grid, CGridItem* item, CColumn* column) = 0;                // 6
    // Whether the reflector draws inside `cell`.
    virtual bool DrawsCell(const CellInfo& /*cell*/) const { return false; }                // 7
    // The paint elements of a cell it draws.
    virtual PaintElementMask FilterPaintElements(const CellInfo& /*cell*/, PaintElementMask mask) const // 8
    {
        return mask;
    }
    // Draws into a cell it draws (DrawsCell); the base draws nothing.
    virtual void DrawCell(const CellInfo& /*cell*/, PaintContext& /*context*/, PaintElementMask /*mask*/) const {} // 9
    // Whether a single click on a cell starts the edit.
    virtual bool StartsOnClick() const { return false; }                                   // 10
    // The open editor control; null when none.
    virtual QWidget* GetControl() const = 0;                                                // 11

protected:
    IControlReflector() = default;
    IControlReflector(const IControlReflector&) = default;
    IControlReflector& operator=(const IControlReflector&) = default;
};

} // namespace Brivel::GUI
