#pragma once
// CEditInPlace: the grid's editing controller. It decides when an edit
// starts and ends, hands the cell to the reflector that edits its format,
// and turns the navigation keys typed into the editor into moves between
// cells.
//
// Starting (only on visible, editable columns of rows shown in the grid,
// for a field the row's object has):
//   - a double click on a cell; a single click on a cell whose reflector
//     starts on a click (the check box), which also selects the row;
//   - F2 on the focus row, in the current column (the last edited editable
//     column, else the first editable one);
//   - a printable character typed on the grid, when the current column is
//     edited through a control: the character replaces the cell's text;
//   - CGrid::StartEdit.
// Keys typed in the editor: Enter commits and ends, Escape ends without
// writing, Tab and Shift+Tab commit and move to the next or previous
// editable cell (wrapping to the next or previous row), Up and Down commit
// and move a row, Left and Right move a cell when the reflector lets them
// (the caret at the end of the text), Ctrl+A selects the text. The action
// reaches the grid as a posted key action, so the editor is never deleted
// inside its own key event.
// Ending: a commit that the format refuses keeps the editor open with its
// text, turns the text red and shows the expected form in a tooltip; the
// cell keeps its value. Losing the keyboard focus and scrolling the grid
// commit and end (a refused text is then dropped when the grid scrolls);
// the row's removal, a Clear and the grid's destruction end without
// writing. The parent hears kNotifyEditStarted and kNotifyEditEnded.
// While an editor is open the wheel scrolls nothing (the grid asks
// IsActive), and the editor follows its row when rows move (Reposition
// after each paint); a row no longer on screen ends the edit.
//
// Drawing: as the grid's ICellEditorPaint, cells of editable columns whose
// reflector draws them (check boxes) are drawn by it.
//
// Ownership: borrows its host, the selection and the layout (the grid's;
// they outlive it); the reflectors are the process-wide list's.
// Thread: GUI thread only.

#include "gui/editing/control_reflector.h"
#include "gui/paint/paint_host.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>

class QKeyEvent;

namespace Brivel::Common {
class CDataObject;
class CFormat;
} // namespace Brivel::Common

namespace Brivel::GUI {

class CGridSelection;
class CHeader;
class CRowLayout;
class CRowList;
class IHorizontalScrollSource;

// What the editing controller reads from and asks of the grid.
class IEditHost {
public:
    virtual CGrid* GetGrid() const = 0; // the grid edited
    virtual CHeader* GetHeader() const = 0; // its header; null: none
    virtual const IHorizontalScrollSource* GetScrollSource() const = 0; // for the header's column rectangles
    virtual CRowList* GetRowList(int32_t kind) const = 0; // the pinned (1) or body (2) list
    // Whether `item` is an item of this grid's pinned or body list.
    virtual bool OwnsItem(const CGridItem* item) const = 0;
    virtual void BringBodyRowIntoView(int32_t row) = 0; // scrolls a body row into view
    virtual void InvalidateItem(CGridItem& item) = 0; // repaints the item's row
    // Parent notification of an edit (kNotifyEditStarted / kNotifyEditEnded).
    virtual void NotifyEdit(int32_t code, CGridItem& item, int32_t fieldId, int32_t argument) = 0;

protected:
    IEditHost() = default;
    IEditHost(const IEditHost&) = default;
    IEditHost& operator=(const IEditHost&) = default;
    ~IEditHost() = default;
};

class CEditInPlace final : public QObject, public ICellEditorPaint {
public:
    // The controller of the grid behind `host`; no edit is open.
    CEditInPlace(IEditHost& host, CGridSelection& selection, const CRowLayout& layout);
    CEditInPlace(const CEditInPlace&) = delete;
    CEditInPlace& operator=(const CEditInPlace&) = delete;
    ~CEditInPlace() override;

    // Opens an editor on the cell; an open edit ends (committed) first.
    // False, opening nothing, for a row or column that cannot be edited.
    bool StartEdit(CGridItem* item, int32_t columnId, int32_t trigger, const QString& typed = {});
    // Ends the open edit (EditEndReason); false when none was open or a
    // refused commit keeps it open.
    bool EndEdit(int32_t reason);
    // Places `control` over the cell (the grid's placement operation): it
    // covers the visible part of the cell and takes the keyboard. False when
    // the cell is not on screen or no edit of that cell is starting.
    bool PlaceEditor(QWidget* control, CGridItem* item, int32_t fieldId);
    // A key action posted by the editor (or sent by the application).
    void OnKeyAction(CGridItem* item, int32_t columnId, int32_t action);

    // ---- Events from the grid (each: whether it was taken) ----
    // F2 and typed characters on the grid (see the top of this file).
    bool OnKeyPress(int key, Qt::KeyboardModifiers modifiers, const QString& text);
    // A double click on a cell starts an edit there.
    bool OnDoubleClick(Platform::CPoint point);
    // A press on the rows: ends an open edit; a press on a check box toggles
    // it. Never taken: the row handling still selects.
    void OnPress(Platform::CPoint point);
    // The grid scrolled: the edit commits and ends.
    void OnScrolled();
    // Rows left the grid: an edit of a row in `subtree` ends without writing.
    void ForgetItemsIn(const CGridItem& subtree);
    // After a paint: the editor follows its row (or ends when it is off screen).
    void Reposition();
    // The window goes: the edit ends without writing.
    void Cancel();

    bool IsActive() const { return m_reflector != nullptr; } // an edit is open
    CGridItem* GetItem() const { return m_context.item; } // the row of the open edit
    int32_t GetColumnId() const { return m_columnId; } // the column of the open edit
    IControlReflector* GetReflector() const { return m_reflector; } // the open edit's reflector; null: none
    QWidget* GetControl() const { return m_control.data(); } // the open edit's control; null: none
    // The column F2 and typing edit in; kUnsetField when none is editable.
    int32_t CurrentColumn() const;

    // ---- ICellEditorPaint ----
    // For a cell its reflector draws itself (check boxes): the reflector's
    // choice of elements; else `mask`.
    PaintElementMask FilterPaintElements(const CellInfo& cell, PaintContext& context,
                                         PaintElementMask mask) const override;
    void DrawEditorMark(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const override; // the reflector draws such cells

protected:
    bool eventFilter(QObject* watched, QEvent* event) override; // the editor's keys and focus

private:
    struct Cell {
        CGridItem* item = nullptr;
        int32_t columnId = -2;
    };
    // The cell under a client point; item null when none.
    Cell CellAt(Platform::CPoint point) const;
    // The reflector of an editable cell; null when the cell cannot be edited.
    IControlReflector* ReflectorFor(CGridItem* item, int32_t columnId, const Common::CFormat** format = nullptr) const;
    // The reflector drawing cells of `cell`'s format, cached by format.
    IControlReflector* DrawingReflector(const CellInfo& cell) const;
    Platform::CRect CellRect(const CGridItem& item, int32_t columnId) const;
    // The editable column after (before) `columnId` in visible order; -2: none.
    int32_t NextEditableColumn(int32_t columnId, bool forward) const;
    // The same for cells of `item` edited through a control.
    int32_t NextTextColumn(CGridItem* item, int32_t columnId, bool forward) const;
    // The item `rows` rows away from `item` in its list; null past an end.
    CGridItem* ItemBeside(const CGridItem& item, int32_t rows) const;
    bool MoveTo(CGridItem* item, int32_t columnId);
    // Ends the open edit for `reason` later, if it is still the same edit then.
    void PostEndEdit(int32_t reason);
    void ShowRefusal();
    void ClearRefusal();
    bool HandleEditorKey(QKeyEvent& event);

    IEditHost& m_host;           // Not owned; outlives this.
    CGridSelection& m_selection; // Not owned; outlives this.
    const CRowLayout& m_layout;  // Not owned; outlives this.

    IControlReflector* m_reflector = nullptr; // the open edit's; null: none
    EditContext m_context;
    int32_t m_columnId = -2;
    int32_t m_currentColumn = -2; // the last edited column
    bool m_starting = false;      // inside the reflector's StartEdit
    bool m_ending = false;
    bool m_refused = false;       // the last commit was refused: the text shows red
    QPointer<QWidget> m_control;  // the reflector's control; Not owned
    mutable const Common::CFormat* m_drawFormat = nullptr; // DrawingReflector's cache
    mutable IControlReflector* m_drawReflector = nullptr;
};

} // namespace Brivel::GUI
