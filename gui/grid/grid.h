#pragma once
// CGrid: the grid window. Rows are bound to data objects (never copies of
// their values); a data object may change on any thread, and the grid learns
// of it on its own thread, re-reads the one value, moves the row when the
// list is sorted, invalidates just the changed cell and highlights it.
//
// CGrid is a thin QWidget over one CGrid::CGridImpl (gui/grid_impl.h), which
// holds all the state: the pinned and the body row list (row_list.h), the
// header, the options, the highlight timer, scrolling and layout.
//
// The calling rule. Any thread may call any public operation. On the grid's
// GUI thread (the thread that created it) the operation runs at once; from any
// other thread it is carried to the GUI thread as the synchronous window
// message "Brivel.Grid.SyncMessage" (operation code and argument record) and
// the caller waits for the GUI thread's result. So an Add from a worker
// returns the new item handle, and the rows are only ever touched by the GUI
// thread. Once the window is destroyed (DestroyWindow), every call returns
// the zero result at once, on any thread, while the object lives on; a caller
// blocked in a call while the window goes (DestroyWindow or the destructor)
// is released with the zero result. Calling a grid object that has been
// deleted is not allowed: keep the object and destroy its window when other
// threads may still call. A caller must not hold a lock the GUI thread needs
// while it calls.
//
// Invalidation only accumulates: nothing is painted in the middle of an
// operation; the window paints when the GUI thread's event loop gets to it.
//
// Notifications. With notify parent on (the default), item events are sent
// synchronously to the owner (SetNotifyOwner) or else the parent widget as a
// Platform::CNotifyEvent whose record is a CGridNotify (item events) or a
// CGridHeaderNotify (column and header events); codes are ItemNotification
// (row_list_owner.h) and GridNotification below.
//
// Parent and position handles (Add, Attach): kBodyRoot / kPinnedRoot or an
// item of this grid as parent; kHead, kTail, the parent itself (head), null
// (tail) or an item of the same list (after the parent's child that contains
// it) as position. In a sorted list the position is ignored.
//
// Ownership: the grid owns its rows and, when it answers IsAutoDelete() true,
// its header. It borrows the data objects, the row filter, the custom draw,
// the cell image list and the notification owner, which must outlive their
// use by the grid (or be replaced first).
//
// Thread: any thread for the public operations (see the calling rule);
// construction, destruction, DestroyWindow and the QWidget side on the GUI
// thread only.

#include "gui/paint/appearance.h"
#include "gui/paint/paint_format.h"
#include "gui/header/sort_info.h"
#include "gui/print/print_settings.h"
#include "gui/tooltips/tooltip_settings.h"

#include "common/field_value.h"

#include "platform/message_types.h"
#include "platform/notify.h"
#include "platform/runtime_class.h"

#include <QFont>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

class QImage;
class QString;

namespace Brivel::Common {
class CDataObject;
class CFormat;
} // namespace Brivel::Common

namespace Brivel::Platform {
class CArchive;
class CImageList;
}

namespace Brivel::GUI {

class CColumn;
class CGridItem;
class CHeader;
class ICustomDraw;
class IClipboardImporter;
class IDropImporter;
class IKeyManager;
class IRowFilter;
class ITooltip;

// Column and header event codes of the parent notifications (item events are
// the ItemNotification codes 0-10 of row_list_owner.h).
enum GridNotification : int32_t {
    kNotifyColumnDragStarted = 11, // argument 0
    kNotifyColumnDragEnded = 12,   // argument 1 when the drop moved the column, else 0
    kNotifyDropStarted = 13,
    kNotifyDropEnded = 14,
    kNotifyEditStarted = 15,     // a CGridEditNotify; argument: the EditTrigger
    kNotifyEditEnded = 16,       // a CGridEditNotify; argument 1 when the value was written, else 0
    kNotifyColumnAdded = 17,
    kNotifyColumnRemoved = 18,
    kNotifyColumnMoved = 19,
    kNotifyColumnWidthChanged = 20,
    kNotifyHeaderChanged = 21,   // attribute, shown or hidden, font, image list
    kNotifySortChanged = 22,     // after the grid has re-sorted
};

// State bits of CGridNotify::state.
enum GridItemState : uint32_t {
    kItemSelected = 1,
    kItemFocused = 2,
    kItemShown = 4,
    kItemExpanded = 8,
    kItemFilteredOut = 16,
    kItemAttached = 32,
};

// The record of an item notification. The fixed header (window, control id,
// code twice, the CGrid as source) is followed by the item fields in their
// designed order; pointers take their native width:
//
//   offset  size  field
//        0    32  CNotifyHeader (window, controlId, code, codeAgain, source = the CGrid)
//       32     4  state      GridItemState bits
//       36     4  (padding)
//       40     8  item       the CGridItem
//       48     8  object     its CDataObject, or null
//       56     4  listKind   1 pinned, 2 body
//       60     4  row        its row index, -1 when not shown
//
// The record is standard-layout with the header as its first member, so a
// receiver turns the CNotifyHeader it is handed back into the record with
// FromHeader (for codes 0-10).
struct CGridNotify {
    Platform::CNotifyHeader header; // window, control id, code, the CGrid as source
    uint32_t state = 0; // GridItemState bits
    CGridItem* item = nullptr; // the row's item
    Common::CDataObject* object = nullptr; // its data object, or null
    int32_t listKind = 0; // 1 pinned, 2 body
    int32_t row = -1; // its row index, -1 when not shown

    // The record that starts with `header` (codes 0-10).
    static const CGridNotify& FromHeader(const Platform::CNotifyHeader& header)
    {
        return *reinterpret_cast<const CGridNotify*>(&header);
    }
};
static_assert(offsetof(CGridNotify, state) == 32);
static_assert(offsetof(CGridNotify, item) == 40);
static_assert(offsetof(CGridNotify, object) == 48);
static_assert(offsetof(CGridNotify, listKind) == 56);
static_assert(offsetof(CGridNotify, row) == 60);
static_assert(std::is_standard_layout_v<CGridNotify>);
static_assert(sizeof(CGridNotify) == 64, "the item notification layout is fixed; see the table above");

// The record of a column or header notification (codes 11-14, 17-22):
//
//   offset  size  field
//        0    32  CNotifyHeader
//       32     8  header     the grid's CHeader (may be null for drops)
//       40     8  column     the column concerned, or null
//       48     4  argument   the header's change code (17-22), else 0
//       52     4  (padding)
struct CGridHeaderNotify {
    Platform::CNotifyHeader notify; // window, control id, code, the CGrid as source
    CHeader* header = nullptr; // the grid's header (may be null for drops)
    CColumn* column = nullptr; // the column concerned, or null
    int32_t argument = 0; // the header's change code (17-22), else 0

    // The record that starts with `header` (codes 11-14, 17-22).
    static const CGridHeaderNotify& FromHeader(const Platform::CNotifyHeader& header)
    {
        return *reinterpret_cast<const CGridHeaderNotify*>(&header);
    }
};
static_assert(offsetof(CGridHeaderNotify, header) == 32);
static_assert(offsetof(CGridHeaderNotify, column) == 40);
static_assert(offsetof(CGridHeaderNotify, argument) == 48);
static_assert(std::is_standard_layout_v<CGridHeaderNotify>);
static_assert(sizeof(CGridHeaderNotify) == 56);

// The record of an edit notification (codes 15, 16):
//
//   offset  size  field
//        0    32  CNotifyHeader
//       32     8  item       the edited row's CGridItem
//       40     8  object     its CDataObject
//       48     4  fieldId    the edited field (the column's identifier)
//       52     4  argument   see kNotifyEditStarted / kNotifyEditEnded
struct CGridEditNotify {
    Platform::CNotifyHeader notify; // window, control id, code, the CGrid as source
    CGridItem* item = nullptr; // the edited row's item
    Common::CDataObject* object = nullptr; // its data object
    int32_t fieldId = -2; // the edited field (the column's identifier)
    int32_t argument = 0; // see kNotifyEditStarted / kNotifyEditEnded

    // The record that starts with `header` (codes 15, 16).
    static const CGridEditNotify& FromHeader(const Platform::CNotifyHeader& header)
    {
        return *reinterpret_cast<const CGridEditNotify*>(&header);
    }
};
static_assert(offsetof(CGridEditNotify, item) == 32);
static_assert(offsetof(CGridEditNotify, fieldId) == 48);
static_assert(std::is_standard_layout_v<CGridEditNotify>);

class CGrid : public QWidget, public Platform::CObject {
public:
    class CGridImpl;

    // The window class name the grid registers in the platform window-class
    // registry (once per process, when the first grid is constructed).
    static constexpr const char* kWindowClassName = "Brivel.Grid";
    // The registered message that carries calls from other threads.
    static constexpr const char* kSyncMessageName = "Brivel.Grid.SyncMessage";

    // List kinds and list masks.
    static constexpr int32_t kPinnedList = 1;
    static constexpr int32_t kBodyList = 2;
    static constexpr int32_t kPinnedMask = 1;
    static constexpr int32_t kBodyMask = 2;
    static constexpr int32_t kBothLists = 3;

    // Parent handles.
    static inline CGridItem* const kBodyRoot = reinterpret_cast<CGridItem*>(uintptr_t{0xFFFF0000});
    static inline CGridItem* const kPinnedRoot = reinterpret_cast<CGridItem*>(uintptr_t{0xFFFF0001});
    // Position handles.
    static inline CGridItem* const kHead = reinterpret_cast<CGridItem*>(uintptr_t{0xFFFF0002});
    static inline CGridItem* const kTail = reinterpret_cast<CGridItem*>(uintptr_t{0xFFFF0003});

    // A grid window with no rows and no header, as a child of `parent`; the
    // calling thread becomes its GUI thread.
    explicit CGrid(QWidget* parent = nullptr);
    CGrid(const CGrid&) = delete;
    CGrid& operator=(const CGrid&) = delete;
    // Destroys the window first (see DestroyWindow), then the rows, then the
    // header when the grid owns it.
    ~CGrid() override;

    // ---- Window ----
    // The grid's message-window handle; HWND{} once destroyed. Thread: any.
    Platform::HWND GetSafeHwnd() const;
    // Ends the window's life while the object stays: clears both lists
    // (notification 1 for every row), kills the timers, releases the handle.
    // Afterwards every operation returns its zero result. Idempotent.
    // Thread: GUI thread only.
    void DestroyWindow();
    // Where notifications go: the owner when set and alive, else the parent
    // widget. Thread: GUI thread only.
    void SetNotifyOwner(QObject* owner);
    // The control id carried in notifications. Thread: GUI thread only.
    void SetControlId(uintptr_t controlId);

    // ---- Rows ----
    // A new row bound to `object` under `parent` at `position`; null on
    // failure (a parent handle that is neither a root handle nor an item of
    // this grid). Sends notification 0.
    CGridItem* Add(Common::CDataObject* object, CGridItem* parent = kBodyRoot, CGridItem* position = kTail);
    // Re-inserts a detached item (with its subtree) that is still bound to
    // its data object; sends 3. False for anything else.
    bool Attach(CGridItem* item, CGridItem* parent = kBodyRoot, CGridItem* position = kTail);
    // Takes an item of this grid out of its parent, keeping it alive for
    // Attach (the caller then holds it; it belongs to the detached list).
    // Sends 4 first. False for an item that is not in this grid.
    bool Detach(CGridItem* item);
    // Destroys an item of this grid and its subtree (notification 1 for each,
    // children before parents). False for anything else.
    bool Remove(CGridItem* item);
    // Removes the row shown at `row` in the pinned (mask bit 1) and/or body
    // (bit 2) list; true when anything was removed.
    bool RemoveAt(int32_t row, int32_t listMask = kBodyMask);
    // Removes every row of the chosen lists; true when any list was cleared.
    bool Clear(int32_t listMask = kBothLists);
    // Appends this grid's items bound to `object`: only shown ones when
    // `shownOnly`, only of the lists in `listMask`.
    void FindItems(Common::CDataObject* object, std::vector<CGridItem*>& items, bool shownOnly = false,
                   int32_t listMask = kBothLists);
    // Removes every item of this grid bound to `object`; the number found.
    int32_t RemoveObject(Common::CDataObject* object);
    // Rows shown in a list kind (1 or 2); 0 for any other kind.
    int32_t GetRowCount(int32_t kind = kBodyList);
    // The item shown at `row` of a list kind; null when there is none.
    CGridItem* GetItem(int32_t row, int32_t kind = kBodyList);
    // The row of an item of this grid; -1 when it is not shown.
    int32_t GetRowIndex(CGridItem* item);

    // ---- Sorting ----
    // Stores `key` at `level` (0-4) in the header; with `resortNow`, applies
    // the header's sort to both lists at once. Nothing without a header.
    void SetSortKey(int32_t level, const CSortInfo& key, bool resortNow = true);
    // Clears the header's keys and both lists' keys (the rows keep their
    // current order); repaints when asked.
    void ClearSort(bool repaint = true);
    // Applies the header's sort to the lists in the sortable-lists mask.
    void Sort();
    // The header's key at `level`; {-2, ascending} without one.
    CSortInfo GetSortKey(int32_t level);
    // The header's number of sort levels; 0 without a header.
    int32_t GetSortKeyCount();

    // ---- Selection, focus and expansion ----
    // Selected rows of both lists.
    int32_t GetSelectedCount();
    // Appends the selected items of the pinned list (mask bit 1), then of the
    // body list (bit 2), each in display order.
    void GetSelectedItems(std::vector<CGridItem*>& items, int32_t listMask = kBothLists);
    // Selects or deselects an item of this grid at its row (a hidden item is
    // never selected, so it can only be deselected). False for anything else
    // and when the options refuse (a list outside the selectable mask,
    // selection off, a second row in single selection).
    bool SelectItem(CGridItem* item, bool select = true);
    // SelectItem for the shown row `row` of a list kind; false for kind 0 or
    // a row that is not there.
    bool SelectRow(int32_t row, int32_t kind = kBodyList, bool select = true);
    // Rows first .. last of a list kind at once (as SelectRow each, but one
    // repaint); the number of rows that changed.
    int32_t SelectRows(int32_t kind, int32_t first, int32_t last, bool select = true);
    // Whether the shown row `row` of a list kind is selected.
    bool IsRowSelected(int32_t row, int32_t kind = kBodyList);
    // False for an item that is not in this grid.
    bool IsItemSelected(CGridItem* item);
    // Every row of the selectable lists; false (nothing done) unless
    // selection and multiple selection are on.
    bool SelectAll();
    // Deselects every row of both lists.
    void ClearSelection();
    // Moves the focus to `row` of a list kind (kind 0 with row -1: no focus)
    // and repaints both rows; true when the focus is there afterwards. Sends
    // notification 5 for the item that had the focus, then for the new one.
    bool SetFocusRow(int32_t row, int32_t kind = kBodyList);
    // Expands or collapses an item of this grid (with its descendants when
    // `recursive`); false for anything else.
    bool Expand(CGridItem* item, bool recursive = false);
    // As Expand, collapsing.
    bool Collapse(CGridItem* item, bool recursive = false);

    // ---- Keyboard ----
    // The key manager every key press is offered first (null: none); answers
    // the previous one, which goes back to the caller. The grid deletes the
    // one it holds at its end when that answers IsAutoDelete() true; a new
    // grid holds a CKeyManager of its own.
    IKeyManager* SetKeyManager(IKeyManager* keyManager);
    // The key manager in charge (null: none).
    IKeyManager* GetKeyManager();

    // ---- Change and highlight state ----
    // Each names its row by `item` (an item of this grid) or, when it is
    // null, by `row` in list `kind` (1 or 2).
    // Milliseconds since the field's (or for -1/-2 the row's) last change,
    // falling back to the row's; -1 when never or for an unknown row.
    int32_t GetChangeAge(int32_t row, int32_t kind, CGridItem* item, int32_t fieldId);
    // Repaints the field's cells `ms` from now (now when ms < 1).
    void SetHighlightExpiry(int32_t row, int32_t kind, CGridItem* item, int32_t fieldId, int32_t ms);
    // Repaints the row `ms` from now (now when ms < 1).
    void SetRowHighlightExpiry(int32_t row, int32_t kind, CGridItem* item, int32_t ms);
    // Handles the row as if its data object had reported a change of
    // `fieldId` (change time, re-filter, re-sort, invalidation, notification
    // 10). Synchronous like every other call: the handle is followed while
    // the caller still vouches for it.
    void MarkChanged(int32_t row, int32_t kind, CGridItem* item, int32_t fieldId);

    // ---- Scrolling and layout ----
    // The first body row at the top of the body area; -1 before any row.
    int32_t GetTopRow();
    // Scrolls the body so that `row` is at the top; without `redraw` only
    // stores it. Ignored for the current top, a row out of range, or a
    // negative row while the body has rows.
    void SetTopRow(int32_t row, bool redraw = true);
    // The last row of a list kind on screen; -1 when none.
    int32_t GetLastVisibleRow(int32_t kind = kBodyList);
    // Scrolls a body row into view (row >= 0), else the item's row. Before
    // the first paint the request is kept and served 10 ms later.
    void EnsureVisible(int32_t row, CGridItem* item = nullptr);
    // Body rows that fit the body area from the top row, forward or backward.
    int32_t GetRowsThatFit(bool forward = true);
    // One item's row height; 0 for an item not in this grid.
    int32_t GetRowHeight(CGridItem* item);
    // False outside 1 .. 32767 or for an item not in this grid.
    bool SetRowHeight(CGridItem* item, int32_t height);
    // The height new rows of a list kind take, and setting it for every row
    // of the list.
    int32_t GetListRowHeight(int32_t kind = kBodyList);
    bool SetListRowHeight(int32_t kind, int32_t height);
    // The horizontal scroll position in pixels of the scrollable columns.
    int32_t GetHorizontalScrollPos();
    // Rows per wheel notch; -1: one page per notch. Starts as the user's
    // setting (QApplication::wheelScrollLines).
    void SetWheelLines(int32_t lines);
    int32_t GetWheelLines();

    // ---- Header ----
    // The grid's header; null when it has none.
    CHeader* GetHeader();
    // Makes `header` the grid's header (null: none) and answers the previous
    // one, which goes back to the caller whatever its IsAutoDelete says. The
    // grid takes `header` over when it answers IsAutoDelete() true (it is
    // deleted with the grid); otherwise it is borrowed and must outlive its
    // use here.
    CHeader* SetHeader(CHeader* header);
    // Whether the header strip is shown above the rows.
    void SetHeaderShown(bool shown);
    bool IsHeaderShown();
    /// Measures the header strip again through the custom draw, lays the grid
    /// out and repaints it, later on the GUI thread (posted: the caller does
    /// not wait). Thread: any.
    void PostHeaderRefresh();
    // Runs the header configuration dialog (header_dialog/) modally for the
    // grid's header and repaints when it ends with OK: QDialog::Accepted (1)
    // then, else 0 (cancelled, no header, window destroyed). A right-click
    // on the header strip offers it in the strip's context menu.
    int32_t ShowHeaderConfiguration();

    // ---- Options ----
    // Whether notifications are sent (to the owner, else the parent widget).
    void SetNotifyParent(bool notify);
    bool IsNotifyParent();
    // Whether changed cells are highlighted for a time.
    void SetHighlightChangedValues(bool highlight);
    bool IsHighlightChangedValues();
    // How changed cells are highlighted (gui/paint/appearance.h).
    HighlightSettings GetHighlightSettings();
    void SetHighlightSettings(const HighlightSettings& settings);
    // The colours the grid paints with.
    Appearance GetAppearance();
    void SetAppearance(const Appearance& appearance);
    // Which parts of the rows are painted (PaintElement bits, paint_format.h).
    void SetPaintElementMask(PaintElementMask mask);
    PaintElementMask GetPaintElementMask();
    // Whether the rows are painted into a back buffer first (on by default).
    void SetDoubleBuffered(bool doubleBuffered);
    bool IsDoubleBuffered();
    // Turning selection or multiple selection off clears the selection.
    void EnableSelection(bool enable);
    bool IsSelectionEnabled(); // rows can be selected
    // Whether more than one row can be selected.
    void SetMultipleSelection(bool multiple);
    bool IsMultipleSelection();
    // Lists (mask bits) in which a click selects; a list whose bit is removed
    // is deselected.
    void SetSelectableLists(int32_t mask);
    int32_t GetSelectableLists();
    // Whether a click selects in the list kind (1 or 2).
    bool IsSelectableList(int32_t kind);
    // Lists (mask bits) that are kept sorted.
    void SetSortableLists(int32_t mask);
    int32_t GetSortableLists();
    // Lists (mask bits) in which a row can take the focus.
    void SetFocusMask(int32_t mask);
    int32_t GetFocusMask();
    // Whether a row of the list kind (1 or 2) can take the focus.
    bool IsFocusList(int32_t kind);
    // The focus row and its list kind (-1 and 0: no focus).
    int32_t GetFocusRow();
    // The focus row's list kind; 0 when no row has the focus.
    int32_t GetFocusListKind();
    // The band between the pinned and the body list.
    void SetSeparatorShown(bool shown);
    bool IsSeparatorShown();
    // The height of that band in pixels.
    void SetSeparatorHeight(int32_t height);
    int32_t GetSeparatorHeight();
    // The row filter (borrowed; null: none) and re-filtering both lists.
    // Answers the previous filter.
    IRowFilter* SetRowFilter(IRowFilter* filter);
    IRowFilter* GetRowFilter();
    // Asks the row filter again about every row of both lists.
    void Refilter();
    // The grid font: row heights are measured from it.
    void SetGridFont(const QFont& font);
    QFont GetGridFont();
    // The custom draw (null: the shared default); answers the previous one,
    // which goes back to the caller. The grid deletes the one it holds when
    // it is destroyed if that answers IsAutoDelete() true; otherwise it is
    // borrowed and must outlive its use here. Replacing it re-measures the
    // row heights of both lists, lays the grid out again and repaints.
    ICustomDraw* SetCustomDraw(ICustomDraw* customDraw);
    ICustomDraw* GetCustomDraw();
    // The images cells may show (borrowed); answers the previous list.
    Platform::CImageList* SetCellImageList(Platform::CImageList* imageList);
    Platform::CImageList* GetCellImageList();
    /// Whether cell images keep their aspect, stretched to the row's height
    /// (off: drawn at their natural size in a square box). Stored with the
    /// settings; setting a new value repaints the grid.
    void SetStretchImages(bool stretch);
    bool IsStretchImages();
    // A picture under the rows (a null image: none), laid out by `mode`
    // (BackgroundMode of paint_host.h), the rows laid over it at `alpha`
    // (0-255; -1: the picture is not used).
    void SetBackgroundPicture(const QImage& picture, int32_t mode, int32_t alpha);

    // ---- Screenshot ----
    // Renders the whole client area through the paint pass and saves it as
    // a PNG file; false when the client area is empty, the file cannot be
    // written, or the window is destroyed.
    bool SaveScreenshot(const QString& path);

    // ---- In-place editing (grid_edit_ops.cpp, gui/editing/edit_in_place.h) ----
    // Each works from any thread. A stale item handle, a field the row's
    // object does not have, or a column that is not editable makes the call
    // fail (false, empty) and change nothing.
    // The row's value of the field (an empty value on failure).
    Common::CFieldValue GetCellValue(CGridItem* item, int32_t fieldId);
    // The row's text of the field in `format`, else the format of the column
    // showing that field (else the field's own).
    std::string GetCellText(CGridItem* item, int32_t fieldId, const Common::CFormat* format = nullptr);
    // Writes the value (SetValue); with `announce`, a successful write is
    // announced (NotifyUpdate) so every grid showing the object follows.
    bool SetCellValue(CGridItem* item, int32_t fieldId, const Common::CFieldValue& value, bool announce);
    // Writes the text as the format (as GetCellText chooses it) parses it;
    // a text it cannot parse writes and announces nothing.
    bool SetCellText(CGridItem* item, int32_t fieldId, const std::string& text, const Common::CFormat* format,
                     bool announce);
    // Opens the editor on the cell (the row must be shown and the column
    // visible and editable); an open edit ends first.
    bool StartEdit(CGridItem* item, int32_t columnId);
    // Whether an edit is open.
    bool IsEditing();
    // Ends the open edit for `reason` (EditEndReason, editing/control_reflector.h);
    // with `post`, later on the GUI thread (answers whether it was posted).
    bool EndEdit(int32_t reason, bool post = false);
    // Places an editor control over the cell of an edit that is starting
    // (a reflector's StartEdit calls it); false when the cell is not on screen.
    bool PlaceEditor(QWidget* control, CGridItem* item, int32_t fieldId);
    // Posts a navigation action (EditAction) of the editor of that cell.
    void PostEditorKeyAction(CGridItem* item, int32_t columnId, int32_t action);

    // ---- Printing (grid_print_ops.cpp, gui/print/grid_printer.h) ----
    // How the grid prints; stored with the settings. Setting sanitises
    // (PrintSettings::Sanitized: scale clamped, margins 0 .. 1000 mm).
    PrintSettings GetPrintSettings();
    void SetPrintSettings(const PrintSettings& settings);
    // Prints the rows and header as the document "Brivel.Grid document"
    // (see PrintRequest for where it goes). Dialogs are modal and run on the
    // GUI thread; the grid itself is left exactly as it was. kPrinted when a
    // document was produced; any other result means none was.
    PrintResult Print(const PrintRequest& request = {});
    // The print preview of the same pages (zoom, page navigation, printing
    // from it); kPrinted when the user printed from it, kCancelled when it
    // was closed, another result when there is nothing to preview.
    PrintResult PrintPreview(const PrintRequest& request = {});

    // ---- Clipboard (grid_clipboard_ops.cpp, gui/clipboard/grid_clipboard.h) ----
    // Copy places the selected rows (else the focus row) under the visible
    // columns on the clipboard as text, HTML and the local format; false when
    // nothing was placed, and the clipboard then stays as it was. Cut copies
    // and then removes the copied rows. Paste moves or duplicates the rows of
    // this grid's own local copy as the importer allows; true when rows moved
    // or were added. The importer goes as SetKeyManager's does (null: the
    // shared one, which refuses); formats are CGridClipboard::FormatBits.
    bool Copy();
    // Copies as Copy, then removes the copied rows.
    bool Cut();
    // Moves or duplicates the rows of this grid's local copy on the clipboard.
    bool Paste();
    // The importer that decides what a paste may do; answers the previous one.
    IClipboardImporter* SetClipboardImporter(IClipboardImporter* importer);
    // The formats a copy places (CGridClipboard::FormatBits).
    void SetClipboardFormats(int32_t mask);
    int32_t GetClipboardFormats();

    // ---- Row drag and drop (grid_dragdrop_ops.cpp, gui/dragdrop/grid_drag_drop.h) ----
    /// Whether the user may drag the selected rows out of the grid (off by
    /// default; stored with the settings). A drag starts on a selected row
    /// once the mouse has moved the drag distance with the button held, and
    /// carries the rows as the local format and as text; a press on an
    /// unselected row still drag-selects. Every grid takes drops of rows
    /// whatever this says, as its drop importer decides.
    void EnableRowDragDrop(bool enable);
    bool IsRowDragDropEnabled();
    /// The importer that decides what a drop on the grid does (null: the
    /// shared CDropImporter: move within the grid, copy between grids,
    /// refuse foreign data); answers the previous one, which goes back to
    /// the caller. The grid deletes the one it holds at its end when that
    /// answers IsAutoDelete() true.
    IDropImporter* SetDropImporter(IDropImporter* importer);
    IDropImporter* GetDropImporter();

    // ---- Tooltips (grid_tooltip_ops.cpp, gui/tooltips/grid_tooltips.h) ----
    // The ordinary tooltip is off and the in-place one on by default; both
    // are stored with the settings. The provider goes as SetKeyManager's does
    // (null: the shared CTooltip).
    void EnableTooltip(TooltipKind kind, bool enable);
    // Whether the tooltip of that kind is shown.
    bool IsTooltipEnabled(TooltipKind kind);
    // How the tooltip of that kind looks and behaves.
    TooltipSettings GetTooltipSettings(TooltipKind kind);
    void SetTooltipSettings(TooltipKind kind, const TooltipSettings& settings);
    // What the tooltip of that kind shows; answers the previous provider.
    ITooltip* SetTooltipProvider(TooltipKind kind, ITooltip* provider);

    // ---- Settings ----
    // Stores or loads the grid's settings (not its rows). Loading a newer
    // stored version raises Platform::CArchiveException kBadSchema and
    // leaves the grid's settings as far as they were read. From another
    // thread it runs on the GUI thread; the archive must not be used
    // elsewhere meanwhile.
    void Serialize(Platform::CArchive& ar) override;

    BRIVEL_DECLARE_RUNTIME_CLASS(CGrid)

    // The implementation, for tests and for the painting code.
    CGridImpl& GetImpl() const { return *m_impl; }

protected:
    bool event(QEvent* event) override; // lays out again after a style change
    void paintEvent(QPaintEvent* event) override; // paints the update region (gui/paint/grid_painter.h)
    void resizeEvent(QResizeEvent* event) override; // lays the rows and scroll bars out again
    void wheelEvent(QWheelEvent* event) override; // scrolls, unless an editor is open
    void mousePressEvent(QMouseEvent* event) override; // to the input router
    void mouseMoveEvent(QMouseEvent* event) override; // to the input router
    void mouseReleaseEvent(QMouseEvent* event) override; // to the input router
    void mouseDoubleClickEvent(QMouseEvent* event) override; // to the input router
    void contextMenuEvent(QContextMenuEvent* event) override; // grid_header_dialog_ops.cpp
    void keyPressEvent(QKeyEvent* event) override; // to the input router, else on to the parent
    void focusOutEvent(QFocusEvent* event) override; // tells the input router
    void changeEvent(QEvent* event) override; // a new widget font becomes the grid font

private:
    std::unique_ptr<CGridImpl> m_impl;
};

} // namespace Brivel::GUI
