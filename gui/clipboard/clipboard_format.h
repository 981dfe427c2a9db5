#pragma once
// IClipboardFormat and the formats a grid places rows on the clipboard in.
//
// A format renders a list of rows under a list of columns into bytes, says
// how many bytes that is (GetSize, 0: nothing to place), copies them into a
// block the clipboard takes (CopyTo) and names its clipboard format number
// (platform/clipboard_format.h). The copy procedure (grid_clipboard.h) runs
// every format of its list over the same rows at once.
//
//   CTextClipboardFormat  plain text (CF_TEXT, UTF-8 "text/plain"): the cells
//                         of a row separated by TAB, rows separated by CR LF,
//                         the whole ended by one zero byte. TAB, CR and LF
//                         inside a cell's text become spaces, so the text
//                         keeps the shape of rows and columns.
//   CHtmlClipboardFormat  the same cells as an HTML table (CF_HTML, UTF-8
//                         "text/html"), so that spreadsheets keep the columns.
//   CLocalDataFormat      "Brivel.LocalDataFormat": row handles for pasting
//                         within the same process (the record below).
//
// Cell texts are the texts the cells show: the value format of the column or
// the field (CellFormatOf) writing the field's value (FormatCellText), as the
// paint pass does. Rows are CGridItem handles in the order given; columns
// are the header's visible columns in visible order.
//
// Ownership: a format owns the bytes it built; it borrows the rows and
// columns only during Render (the local format keeps the handles as plain
// values, never following them after Render).
// Thread: GUI thread only (rendering reads the rows).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Brivel::Common {
class CDataObject;
}

namespace Brivel::GUI {

class CColumn;
class CGrid;
class CGridItem;

// What a local record carries: the header words and one handle pair per row.
struct LocalClipboardData {
    uint64_t processId = 0; // the copying process's id
    const CGrid* sourceGrid = nullptr; // compared only, never followed
    uint64_t data = 0;                 // the copy kind: kCopied, kCut or kDragged
    uint64_t value = 0;                // the number of visible columns at the copy
    // One copied row: its handle and its data object.
    struct Row {
        CGridItem* item = nullptr;                // compared only, never followed
        Common::CDataObject* object = nullptr;    // compared only, never followed
    };
    std::vector<Row> rows; // in the order copied

    // The copy kinds (`data`): copied, or cut (the rows are removed after the copy).
    static constexpr uint64_t kCopied = 0;
    static constexpr uint64_t kCut = 1;
    static constexpr uint64_t kDragged = 2; // carried by a row drag (gui/dragdrop)
};

// One format a grid places rows on the clipboard in (see the top of this file).
class IClipboardFormat {
public:
    virtual ~IClipboardFormat() = default;                                                                   // 0
    // Builds the bytes of `rows` under `columns`.
    virtual void Render(std::span<CGridItem* const> rows, std::span<CColumn* const> columns) = 0;          // 1
    // The number of bytes built; 0: nothing to place.
    virtual size_t GetSize() const = 0;                                                                      // 2
    // Writes the rendered bytes into `destination` (at most its size).
    virtual void CopyTo(std::span<std::byte> destination, const CGrid* sourceGrid, uint64_t data,
                        uint64_t value) const = 0;                                                           // 3
    // Drops the bytes built.
    virtual void Clear() = 0;                                                                                // 4
    // The clipboard format number (platform/clipboard_format.h).
    virtual uint32_t GetFormatId() const = 0;                                                                // 5
    // Reads a record back for pasting; false for bytes this format does not
    // read back (text is never pasted back) or that fail its checks.
    virtual bool Parse(std::span<const std::byte> bytes, LocalClipboardData& out) const = 0;              // 6

protected:
    IClipboardFormat() = default;
    IClipboardFormat(const IClipboardFormat&) = default;
    IClipboardFormat& operator=(const IClipboardFormat&) = default;
};

// While one lives on a thread, the built-in text formats that render the same
// rows and columns there read each cell's text once between them (the copy
// procedure opens one around its rendering, so the text and the HTML share
// the formatting of every cell). Scopes nest; each keeps its own texts.
class CCellTextScope {
public:
    // Opens a scope on this thread; the destructor closes it.
    CCellTextScope();
    CCellTextScope(const CCellTextScope&) = delete;
    CCellTextScope& operator=(const CCellTextScope&) = delete;
    ~CCellTextScope();

    // The innermost scope of this thread; null when none is open.
    static CCellTextScope* Current();
    // The cells' texts, row by row; read again when rows or columns differ
    // from the last call's.
    struct Texts {
        std::string bytes; // every cell's text, one after the other
        std::vector<size_t> ends; // the end of each cell's text in bytes
    };
    // The texts of `rows` under `columns`, read once per scope.
    const Texts& TextsOf(std::span<CGridItem* const> rows, std::span<CColumn* const> columns);

private:
    CCellTextScope* const m_previous;
    const void* m_rows = nullptr;
    size_t m_rowCount = 0;
    std::vector<CColumn*> m_columns;
    bool m_filled = false;
    Texts m_texts;
};

// The bytes of CTextClipboardFormat and CHtmlClipboardFormat, built in one
// std::string that keeps its capacity from copy to copy.
class CBuiltTextFormat : public IClipboardFormat {
public:
    size_t GetSize() const override { return m_bytes.size(); }
    void CopyTo(std::span<std::byte> destination, const CGrid* sourceGrid, uint64_t data,
                uint64_t value) const override;
    void Clear() override { m_bytes.clear(); }
    bool Parse(std::span<const std::byte> bytes, LocalClipboardData& out) const override;
    const std::string& GetBytes() const { return m_bytes; } // the bytes built

protected:
    std::string m_bytes; // the bytes built
    std::string m_cell; // scratch for one cell's text
};

// Plain text: TAB between cells, CR LF between rows, one zero byte at the end.
class CTextClipboardFormat final : public CBuiltTextFormat {
public:
    void Render(std::span<CGridItem* const> rows, std::span<CColumn* const> columns) override;
    uint32_t GetFormatId() const override;
};

// The same cells as an HTML table.
class CHtmlClipboardFormat final : public CBuiltTextFormat {
public:
    void Render(std::span<CGridItem* const> rows, std::span<CColumn* const> columns) override;
    uint32_t GetFormatId() const override;
};

// The local record, little-endian 64-bit words (the pointer width; a 32-bit
// word could not carry a handle here):
//
//   offset      size  word
//        0         8  the copying process's id
//        8         8  the source grid
//       16         8  data: LocalClipboardData::kCopied or kCut
//       24         8  n, the number of rows
//       32         8  value: the number of visible columns at the copy
//       40 + 16 i  16  row i: its CGridItem handle, then its data object
//
// so 40 + 16 n bytes, and nothing (size 0) without rows. Parse refuses a
// record of another size, of another process, or with a null handle.
class CLocalDataFormat final : public IClipboardFormat {
public:
    static constexpr const char* kFormatName = "Brivel.LocalDataFormat"; // the registered format name
    static constexpr size_t kHeaderBytes = 40; // the record's header words
    static constexpr size_t kRowBytes = 16; // per row

    void Render(std::span<CGridItem* const> rows, std::span<CColumn* const> columns) override;
    size_t GetSize() const override { return m_rows.empty() ? 0 : kHeaderBytes + kRowBytes * m_rows.size(); }
    void CopyTo(std::span<std::byte> destination, const CGrid* sourceGrid, uint64_t data,
                uint64_t value) const override;
    void Clear() override { m_rows.clear(); }
    // Registered once per process, on first use.
    uint32_t GetFormatId() const override;
    bool Parse(std::span<const std::byte> bytes, LocalClipboardData& out) const override;

    // The id written as the copying process's.
    static uint64_t CurrentProcessId();

private:
    std::vector<LocalClipboardData::Row> m_rows;
};

} // namespace Brivel::GUI
