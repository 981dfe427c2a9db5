#pragma once
// CGridClipboard: a grid's copy, cut and paste.
//
// Copy gathers the rows to copy (the selected rows of the pinned list, then
// of the body list, each in shown order; the focus row when none is
// selected) and the header's visible columns in visible order, and places
// them on the clipboard in every format of its list at once (CopyRows):
//   1. nothing (false) without a window, rows, formats or visible columns;
//   2. each format is cleared and renders the rows; those with bytes are kept;
//   3. none kept: false, the clipboard untouched;
//   4. the clipboard cannot be opened: false;
//   5. it is emptied and each kept format's bytes are set under its number;
//      the result is true once one was placed;
//   6. every kept format is cleared and the clipboard closed.
// A format that cannot be placed is skipped and the others still are; what
// is set reaches the clipboard at close, and only when something was set,
// so a copy that fails leaves the clipboard as it was.
//
// Cut copies and, only when that succeeded, removes the copied rows.
// Paste reads the local format back (clipboard_format.h), refuses a record
// of another process or another grid, keeps only the rows still in this grid
// (each handle is looked up among the rows bound to its recorded data
// object, never followed), and does what the importer allows
// (clipboard_importer.h). It answers true when rows moved or were added.
//
// Which formats take part is a mask of kFormat* bits (all three by
// default), stored with the grid's settings.
//
// Ownership: owns its formats and its clipboard (the system clipboard unless
// SetClipboard gave another); holds the importer and deletes it at its end
// when it answers IsAutoDelete() true; borrows the grid (it owns this).
// Thread: GUI thread only. It works through the grid's public operations.

#include "gui/clipboard/clipboard_format.h"
#include "gui/clipboard/clipboard_importer.h"

#include "platform/clipboard.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace Brivel::Platform {
class CArchive;
}

namespace Brivel::GUI {

class CGrid;
class CGridItem;
class CColumn;

class CGridClipboard {
public:
    // The formats a copy places: text, HTML and the local record.
    enum FormatBits : int32_t { kFormatText = 1, kFormatHtml = 2, kFormatLocal = 4, kAllFormats = 7 };

    // The clipboard operations of `grid`: the system clipboard, every format,
    // the shared importer (which refuses).
    explicit CGridClipboard(CGrid& grid);
    CGridClipboard(const CGridClipboard&) = delete;
    CGridClipboard& operator=(const CGridClipboard&) = delete;
    ~CGridClipboard();

    bool Copy(); // as CGrid::Copy
    bool Cut(); // as CGrid::Cut
    bool Paste(); // as CGrid::Paste
    // The copy procedure over given rows and columns (see above).
    bool CopyRows(std::span<CGridItem* const> rows, std::span<CColumn* const> columns,
                  uint64_t kind = LocalClipboardData::kCopied);

    // The rows Copy takes and the columns it renders.
    void GatherRows(std::vector<CGridItem*>& rows) const;
    void GatherColumns(std::vector<CColumn*>& columns) const; // the header's visible columns, in visible order

    // Answers the previous importer, which goes back to the caller; null
    // restores the shared refusing one.
    IClipboardImporter* SetImporter(IClipboardImporter* importer);
    IClipboardImporter* GetImporter() const { return m_importer; } // the importer in charge
    void SetFormats(int32_t mask) { m_formatMask = mask & kAllFormats; } // FormatBits
    int32_t GetFormats() const { return m_formatMask; } // FormatBits
    // Replaces the clipboard the copies go to (a test's double); null
    // restores the system clipboard.
    void SetClipboard(std::unique_ptr<Platform::IClipboard> clipboard);

    // The settings block of the grid's settings stream: version 1, then the
    // format mask. Version 0 (older streams) keeps the current settings.
    void Serialize(Platform::CArchive& ar);

private:
    void ReleaseImporter();
    bool PasteRows(std::span<CGridItem* const> rows, bool cut);

    CGrid& m_grid; // Not owned; owns this.
    CTextClipboardFormat m_text;
    CHtmlClipboardFormat m_html;
    CLocalDataFormat m_local;
    std::unique_ptr<Platform::IClipboard> m_clipboard;
    IClipboardImporter* m_importer; // Deleted at the end when it answers IsAutoDelete() true.
    int32_t m_formatMask = kAllFormats;
    std::vector<IClipboardFormat*> m_kept; // per copy; keeps its capacity
};

} // namespace Brivel::GUI
