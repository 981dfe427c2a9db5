#pragma once
// The operation codes, timers and records of a grid window's messages: what
// CGrid packs for "Brivel.Grid.SyncMessage" and what the window's timers are.
//
// Thread: plain declarations; the records live on the caller's stack (sync
// calls) or the heap (operation 82) as described at each.

#include "gui/grid/grid.h"

#include <cstdint>
#include <exception>

namespace Brivel::GUI {

class CColumn;
class CHeader;

// Operation codes of "Brivel.Grid.SyncMessage". The listed numbers are the
// grid's fixed ones; those from 200 on are private to this implementation.
enum GridOperation : uint32_t {
    kOpInitialize = 1,
    kOpAdd = 3,
    kOpRemove = 5,
    kOpRemoveAt = 7,
    kOpClear = 8,
    kOpFindItems = 9,
    kOpGetCellValue = 11,
    kOpGetCellText = 12,
    kOpSetCellValue = 14,
    kOpSetCellText = 15,
    kOpAttach = 17,
    kOpDetach = 18,
    kOpGetRowCount = 35,
    kOpRowsThatFit = 45,
    kOpGetRowHeight = 46,
    kOpSetRowHeight = 47,
    kOpDeferredLayout = 49,
    kOpGetTopRow = 51,
    kOpGetLastVisibleRow = 52,
    kOpEnsureVisible = 53,
    kOpSetTopRow = 55,
    kOpGetSelectedCount = 57,
    kOpGetSelectedItems = 58,
    kOpSelectItem = 59,
    kOpSelectRow = 60,
    kOpIsRowSelected = 61,
    kOpIsItemSelected = 62,
    kOpSelectAll = 63,
    kOpClearSelection = 64,
    kOpSetFocusRow = 65,
    kOpGetFocusRow = 66,
    kOpGetFocusListKind = 67,
    kOpIsFocusList = 69,
    kOpRefreshHeader = 74, // posted: the header's height, the layout and a repaint
    kOpSetPaintElementMask = 76,
    kOpGetPaintElementMask = 77,
    kOpSetDoubleBuffered = 78,
    kOpGetDoubleBuffered = 79,
    kOpSetRowHighlightExpiry = 80,
    kOpSetHighlightExpiry = 81,
    kOpMarkChanged = 82,
    kOpGetChangeAge = 83,
    kOpSetStretchImages = 86,
    kOpIsStretchImages = 87,
    kOpEnableRowDragDrop = 89,
    kOpIsRowDragDropEnabled = 90,
    kOpEnableSelection = 91,
    kOpIsSelectionEnabled = 92,
    kOpSetMultipleSelection = 93,
    kOpIsMultipleSelection = 94,
    kOpSetSelectableLists = 95,
    kOpIsSelectableList = 96,
    kOpSetHighlightChangedValues = 97,
    kOpIsHighlightChangedValues = 98,
    kOpGetHighlightSettings = 99,
    kOpSetHighlightSettings = 100,
    kOpSetSeparatorShown = 101,
    kOpIsSeparatorShown = 102,
    kOpSetSeparatorHeight = 103,
    kOpGetSeparatorHeight = 104,
    kOpGetHeader = 106,
    kOpHeaderChange = 107,
    kOpSetHeaderShown = 108,
    kOpIsHeaderShown = 109,
    kOpClearSort = 156,
    kOpSetSortKey = 157,
    kOpGetSortKey = 158,
    kOpSort = 159,
    kOpGetSortKeyCount = 160,
    kOpSetRowFilter = 161,
    kOpGetRowFilter = 162,
    kOpRefilter = 163,
    kOpSetKeyManager = 164,
    kOpGetKeyManager = 165,
    kOpSetNotifyParent = 168,
    kOpIsNotifyParent = 169,
    kOpSerialize = 190,
    // Private numbering.
    kOpRemoveObject = 200,
    kOpGetItem = 201,
    kOpGetRowIndex = 202,
    kOpGetListRowHeight = 203,
    kOpSetListRowHeight = 204,
    kOpGetHorizontalScrollPos = 205,
    kOpSetWheelLines = 206,
    kOpGetWheelLines = 207,
    kOpSetHeader = 208,
    kOpGetAppearance = 209,
    kOpSetAppearance = 210,
    kOpGetSelectableLists = 211,
    kOpSetSortableLists = 212,
    kOpGetSortableLists = 213,
    kOpSetFocusMask = 214,
    kOpGetFocusMask = 215,
    kOpSetGridFont = 216,
    kOpGetGridFont = 217,
    kOpSetCustomDraw = 218,
    kOpGetCustomDraw = 219,
    kOpSetCellImageList = 220,
    kOpGetCellImageList = 221,
    kOpSetBackgroundPicture = 222,
    kOpMarkChangedNow = 223, // MarkChanged carried synchronously
    kOpSaveScreenshot = 224,
    kOpSelectRows = 225,
    kOpExpand = 226,
    kOpCollapse = 227,
    kOpGetPrintSettings = 228,
    kOpSetPrintSettings = 229,
    kOpPrint = 230,
    kOpPrintPreview = 231,
    kOpCopy = 232,
    kOpCut = 233,
    kOpPaste = 234,
    kOpSetClipboardImporter = 235,
    kOpSetClipboardFormats = 236,
    kOpGetClipboardFormats = 237,
    kOpEnableTooltip = 238,
    kOpIsTooltipEnabled = 239,
    kOpGetTooltipSettings = 240,
    kOpSetTooltipSettings = 241,
    kOpSetTooltipProvider = 242,
    kOpSetDropImporter = 243,
    kOpGetDropImporter = 244,
    kOpPlaceEditor = 177,
    kOpEndEdit = 185,         // sent, or posted with the reason in lParam
    kOpEditorKeyAction = 187, // posted: a CEditorKeyActionRecord
    kOpStartEdit = 250,
    kOpIsEditing = 251,
    kOpEndEditPosted = 252,   // EndEdit's posted form: the reason in lParam
    kOpShowHeaderConfiguration = 260,
};

// Window timers of the grid.
enum GridTimer : uintptr_t {
    kHighlightTimer = 0,     // nearest highlight expiry
    kTooltipTimer = 2,       // a shown tooltip's auto-hide delay
    kAddBurstTimer = 3,      // 10 ms after marshalled adds: one layout update
    kEnsureVisibleTimer = 4, // 10 ms: a request made before the first paint
    kHeaderWidthTimer = 5,   // 10 ms after a column width change: layout and repaint
    kPaintFrameTimer = 6,    // the deferred part of the update region, one frame after the last paint
    kDragScrollTimer = 7,    // a drag-selection outside the body scrolls it, one line per tick
    kDropScrollTimer = 8,    // a drag of rows near the body's edges scrolls it, one line per tick
};

// Scroll bar actions, as the scroll bars and the wheel report them.
enum class VScrollAction { LineUp, LineDown, PageUp, PageDown, ThumbTrack, ThumbPosition, Top, Bottom, EndScroll };
// The same for the horizontal scroll bar.
enum class HScrollAction { LineLeft, LineRight, PageLeft, PageRight, ThumbTrack, ThumbPosition, LeftEnd, RightEnd, EndScroll };

// The record of one call carried to the GUI thread: a thunk that runs the
// operation and stores its result (or its exception) in the derived record.
struct CSyncCall {
    void (*run)(CSyncCall& call, CGrid::CGridImpl& impl) = nullptr; // runs the operation on the GUI thread
    std::exception_ptr error; // what the operation threw, handed back to the caller
    bool done = false; // the operation has run
};

// The record of operation 107.
struct CHeaderChangeRecord {
    CHeader* header = nullptr; // the header that changed
    CColumn* column = nullptr; // the column concerned, or null
    int32_t code = 0; // the header's change code (CHeader::INotify)
};

// The heap record of operation 82 (MarkChanged), freed by the grid.
struct CMarkChangedRecord {
    int32_t row = -1; // the row in list `kind`, when `item` is null
    int32_t kind = 0; // 1 pinned, 2 body
    CGridItem* item = nullptr; // the row's item, or null
    int32_t fieldId = -1; // the changed field
};

// The record of operation 187 (posted; the receiver frees it).
struct CEditorKeyActionRecord {
    CGridItem* item = nullptr; // the edited row's item
    int32_t columnId = -2; // the edited column
    int32_t action = 0; // the EditAction
};

} // namespace Brivel::GUI
