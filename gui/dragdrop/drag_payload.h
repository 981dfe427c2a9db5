#pragma once
// What dragged rows carry, and reading it back on the drop side.
//
// A row drag carries the rows in two forms at once, as a copy puts them on
// the clipboard (clipboard_format.h):
//   - the local record ("Brivel.LocalDataFormat"): the source grid and one
//     handle pair (row, data object) per row, readable only in this process,
//     its data word LocalClipboardData::kDragged;
//   - plain text (cells separated by TAB, rows by CR LF) for other programs.
// The handles are plain values: the drop side follows none of them before
// it has found the row again in a live grid (grid_drag_drop.h).
//
// Thread: GUI thread only (rendering reads the rows).

#include "gui/clipboard/clipboard_format.h"

#include <memory>
#include <span>
#include <string>

class QMimeData;

namespace Brivel::GUI {

class CColumn;
class CGrid;
class CGridItem;

/// The contents of a drag as the drop side reads them.
struct DragPayload {
    /// A record of this process was there and read back.
    bool hasLocal = false;
    LocalClipboardData local; ///< the record, when hasLocal
    /// The plain text (UTF-8); empty when there was none.
    std::string text;
};

/// The mime data of dragging `rows` of `source` under `columns` (the
/// header's visible columns); null when there is nothing to carry.
std::unique_ptr<QMimeData> MakeDragMimeData(const CGrid& source, std::span<CGridItem* const> rows,
                                            std::span<CColumn* const> columns);

/// Reads what `data` carries: the local record when it is one of this
/// process, and the plain text.
DragPayload ReadDragPayload(const QMimeData& data);

} // namespace Brivel::GUI
