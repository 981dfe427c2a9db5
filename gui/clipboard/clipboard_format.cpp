#include "gui/clipboard/clipboard_format.h"

#include "gui/header/column.h"
#include "gui/paint/paint_records.h"
#include "gui/rows/grid_item.h"

#include "common/data_object.h"
#include "platform/clipboard_format.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>

namespace Brivel::GUI {

namespace {

// Calls cell(rowIndex, columnIndex, text) for every cell, row by row, with
// the text the cell shows (empty without an object, a field or a format).
// The columns' attributes are read once per call, not once per cell.
template <class CellFn>
void ReadCells(std::span<CGridItem* const> rows, std::span<CColumn* const> columns, std::string& scratch,
               CellFn&& cell)
{
    std::vector<CColumn::Attributes> attributes;
    attributes.reserve(columns.size());
    for (CColumn* const column : columns)
        attributes.push_back(column != nullptr ? column->GetAttributes() : CColumn::Attributes());
    for (size_t rowIndex = 0; rowIndex < rows.size(); ++rowIndex) {
        const Common::CDataObject* const object = rows[rowIndex] ? rows[rowIndex]->GetDataObject() : nullptr;
        for (size_t columnIndex = 0; columnIndex < columns.size(); ++columnIndex) {
            scratch.clear();
            if (object != nullptr && columns[columnIndex] != nullptr) {
                Common::ValueKind kind = Common::KindNone;
                if (const Common::CFormat* format = CellFormatOf(*object, attributes[columnIndex], kind))
                    FormatCellText(*format, kind, *object, attributes[columnIndex].id, scratch);
            }
            cell(rowIndex, columnIndex, std::string_view(scratch));
        }
    }
}

thread_local CCellTextScope* t_cellTextScope = nullptr;

// ReadCells, or the texts the thread's cell text scope keeps for these cells.
template <class CellFn>
void ForEachCell(std::span<CGridItem* const> rows, std::span<CColumn* const> columns, std::string& scratch,
                 CellFn&& cell)
{
    CCellTextScope* const scope = CCellTextScope::Current();
    if (scope == nullptr) {
        ReadCells(rows, columns, scratch, cell);
        return;
    }
    const CCellTextScope::Texts& texts = scope->TextsOf(rows, columns);
    size_t at = 0;
    size_t index = 0;
    for (size_t rowIndex = 0; rowIndex < rows.size(); ++rowIndex) {
        for (size_t columnIndex = 0; columnIndex < columns.size(); ++columnIndex, ++index) {
            const size_t end = texts.ends[index];
            cell(rowIndex, columnIndex, std::string_view(texts.bytes).substr(at, end - at));
            at = end;
        }
    }
}

void PutWord(std::byte* at, uint64_t word)
{
    for (int i = 0; i < 8; ++i)
        at[i] = static_cast<std::byte>((word >> (8 * i)) & 0xFF);
}

uint64_t GetWord(const std::byte* at)
{
    uint64_t word = 0;
    for (int i = 0; i < 8; ++i)
        word |= static_cast<uint64_t>(at[i]) << (8 * i);
    return word;
}

template <class T>
uint64_t WordOf(T* pointer)
{
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pointer));
}

template <class T>
T* PointerOf(uint64_t word)
{
    return reinterpret_cast<T*>(static_cast<uintptr_t>(word));
}

} // namespace

// ---- Cell texts shared by the formats of one copy ----

CCellTextScope::CCellTextScope() : m_previous(t_cellTextScope)
{
    t_cellTextScope = this;
}

CCellTextScope::~CCellTextScope()
{
    t_cellTextScope = m_previous;
}

CCellTextScope* CCellTextScope::Current()
{
    return t_cellTextScope;
}

const CCellTextScope::Texts& CCellTextScope::TextsOf(std::span<CGridItem* const> rows,
                                                     std::span<CColumn* const> columns)
{
    if (m_filled && m_rows == rows.data() && m_rowCount == rows.size() &&
        std::equal(m_columns.begin(), m_columns.end(), columns.begin(), columns.end()))
        return m_texts;
    m_rows = rows.data();
    m_rowCount = rows.size();
    m_columns.assign(columns.begin(), columns.end());
    m_texts.bytes.clear();
    m_texts.ends.clear();
    m_texts.ends.reserve(rows.size() * columns.size());
    std::string scratch;
    ReadCells(rows, columns, scratch, [this](size_t, size_t, std::string_view text) {
        m_texts.bytes.append(text);
        m_texts.ends.push_back(m_texts.bytes.size());
    });
    m_filled = true;
    return m_texts;
}

// ---- Text and HTML ----

void CBuiltTextFormat::CopyTo(std::span<std::byte> destination, const CGrid* /*sourceGrid*/, uint64_t /*data*/,
                              uint64_t /*value*/) const
{
    std::memcpy(destination.data(), m_bytes.data(), std::min(destination.size(), m_bytes.size()));
}

bool CBuiltTextFormat::Parse(std::span<const std::byte> /*bytes*/, LocalClipboardData& /*out*/) const
{
    return false; // text is never pasted back as rows
}

void CTextClipboardFormat::Render(std::span<CGridItem* const> rows, std::span<CColumn* const> columns)
{
    m_bytes.clear();
    if (rows.empty() || columns.empty())
        return;
    const size_t lastColumn = columns.size() - 1;
    const size_t lastRow = rows.size() - 1;
    ForEachCell(rows, columns, m_cell, [&](size_t rowIndex, size_t columnIndex, std::string_view text) {
        for (const char ch : text)
            m_bytes.push_back(ch == '\t' || ch == '\r' || ch == '\n' ? ' ' : ch); // keep rows and columns
        if (columnIndex < lastColumn)
            m_bytes.push_back('\t');
        else if (rowIndex < lastRow)
            m_bytes.append("\r\n");
    });
    m_bytes.push_back('\0');
}

uint32_t CTextClipboardFormat::GetFormatId() const
{
    return Platform::CF_TEXT;
}

void CHtmlClipboardFormat::Render(std::span<CGridItem* const> rows, std::span<CColumn* const> columns)
{
    m_bytes.clear();
    if (rows.empty() || columns.empty())
        return;
    const size_t lastColumn = columns.size() - 1;
    m_bytes.append("<meta charset=\"utf-8\"><table>");
    ForEachCell(rows, columns, m_cell, [&](size_t /*rowIndex*/, size_t columnIndex, std::string_view text) {
        if (columnIndex == 0)
            m_bytes.append("<tr>");
        m_bytes.append("<td>");
        for (const char ch : text) {
            switch (ch) {
            case '&': m_bytes.append("&amp;"); break;
            case '<': m_bytes.append("&lt;"); break;
            case '>': m_bytes.append("&gt;"); break;
            case '"': m_bytes.append("&quot;"); break;
            case '\0': break;
            default: m_bytes.push_back(ch); break;
            }
        }
        m_bytes.append("</td>");
        if (columnIndex == lastColumn)
            m_bytes.append("</tr>");
    });
    m_bytes.append("</table>");
    m_bytes.push_back('\0');
}

uint32_t CHtmlClipboardFormat::GetFormatId() const
{
    return Platform::CF_HTML;
}

// ---- The local record ----

uint64_t CLocalDataFormat::CurrentProcessId()
{
    return static_cast<uint64_t>(QCoreApplication::applicationPid());
}

void CLocalDataFormat::Render(std::span<CGridItem* const> rows, std::span<CColumn* const> /*columns*/)
{
    m_rows.clear();
    m_rows.reserve(rows.size());
    for (CGridItem* const item : rows)
        if (item != nullptr)
            m_rows.push_back({item, item->GetDataObject()});
}

void CLocalDataFormat::CopyTo(std::span<std::byte> destination, const CGrid* sourceGrid, uint64_t data,
                              uint64_t value) const
{
    if (m_rows.empty() || destination.size() < GetSize())
        return;
    std::byte* at = destination.data();
    PutWord(at, CurrentProcessId());
    PutWord(at + 8, WordOf(sourceGrid));
    PutWord(at + 16, data);
    PutWord(at + 24, m_rows.size());
    PutWord(at + 32, value);
    at += kHeaderBytes;
    for (const LocalClipboardData::Row& row : m_rows) {
        PutWord(at, WordOf(row.item));
        PutWord(at + 8, WordOf(row.object));
        at += kRowBytes;
    }
}

uint32_t CLocalDataFormat::GetFormatId() const
{
    static const uint32_t id = Platform::RegisterClipboardFormat(kFormatName);
    return id;
}

bool CLocalDataFormat::Parse(std::span<const std::byte> bytes, LocalClipboardData& out) const
{
    if (bytes.size() < kHeaderBytes)
        return false;
    const std::byte* at = bytes.data();
    const uint64_t count = GetWord(at + 24);
    // The size must be exactly the header and n rows (checked without overflow).
    if (count == 0 || count > (bytes.size() - kHeaderBytes) / kRowBytes ||
        kHeaderBytes + count * kRowBytes != bytes.size())
        return false;
    if (GetWord(at) != CurrentProcessId())
        return false; // handles of another process mean nothing here
    out = LocalClipboardData();
    out.processId = GetWord(at);
    out.sourceGrid = PointerOf<const CGrid>(GetWord(at + 8));
    out.data = GetWord(at + 16);
    out.value = GetWord(at + 32);
    out.rows.reserve(static_cast<size_t>(count));
    at += kHeaderBytes;
    for (uint64_t i = 0; i < count; ++i, at += kRowBytes) {
        LocalClipboardData::Row row{PointerOf<CGridItem>(GetWord(at)), PointerOf<Common::CDataObject>(GetWord(at + 8))};
        if (row.item == nullptr || row.object == nullptr)
            return false;
        out.rows.push_back(row);
    }
    return true;
}

} // namespace Brivel::GUI
