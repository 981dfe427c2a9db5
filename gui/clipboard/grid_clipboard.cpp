#include "gui/clipboard/grid_clipboard.h"

#include "gui/grid/grid.h"
#include "gui/header/header.h"
#include "gui/rows/grid_item.h"

#include "platform/archive.h"

#include <QByteArray>

#include <algorithm>
#include <new>
#include <utility>

namespace Brivel::GUI {

namespace {

constexpr int32_t kSettingsVersion = 1;

} // namespace

CClipboardImporter& CClipboardImporter::Shared()
{
    static CClipboardImporter importer;
    return importer;
}

CGridClipboard::CGridClipboard(CGrid& grid)
    : m_grid(grid), m_clipboard(std::make_unique<Platform::CSystemClipboard>()),
      m_importer(&CClipboardImporter::Shared())
{
}

CGridClipboard::~CGridClipboard()
{
    ReleaseImporter();
}

void CGridClipboard::ReleaseImporter()
{
    IClipboardImporter* const importer = std::exchange(m_importer, nullptr);
    if (importer != nullptr && importer->IsAutoDelete())
        std::unique_ptr<IClipboardImporter> owned(importer); // handed over with SetImporter
}

IClipboardImporter* CGridClipboard::SetImporter(IClipboardImporter* importer)
{
    return std::exchange(m_importer, importer != nullptr ? importer : &CClipboardImporter::Shared());
}

void CGridClipboard::SetClipboard(std::unique_ptr<Platform::IClipboard> clipboard)
{
    m_clipboard = clipboard ? std::move(clipboard) : std::make_unique<Platform::CSystemClipboard>();
}

// ---- Copy ----

void CGridClipboard::GatherRows(std::vector<CGridItem*>& rows) const
{
    rows.clear();
    m_grid.GetSelectedItems(rows, CGrid::kBothLists);
    if (!rows.empty())
        return;
    const int32_t kind = m_grid.GetFocusListKind();
    if (CGridItem* const focus = kind != 0 ? m_grid.GetItem(m_grid.GetFocusRow(), kind) : nullptr)
        rows.push_back(focus);
}

void CGridClipboard::GatherColumns(std::vector<CColumn*>& columns) const
{
    columns.clear();
    const CHeader* const header = m_grid.GetHeader();
    if (header == nullptr)
        return;
    const int32_t count = header->GetVisibleColumnCount();
    columns.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int32_t visibleIndex = 0; visibleIndex < count; ++visibleIndex)
        if (CColumn* const column = header->GetVisibleColumn(visibleIndex))
            columns.push_back(column);
}

bool CGridClipboard::Copy()
{
    std::vector<CGridItem*> rows;
    std::vector<CColumn*> columns;
    GatherRows(rows);
    GatherColumns(columns);
    return CopyRows(rows, columns);
}

bool CGridClipboard::CopyRows(std::span<CGridItem* const> rows, std::span<CColumn* const> columns, uint64_t kind)
{
    if (m_grid.GetSafeHwnd() == Platform::HWND{} || rows.empty() || columns.empty() || m_formatMask == 0)
        return false;
    m_kept.clear();
    const CCellTextScope sharedTexts; // the text and the HTML format each cell once between them
    const std::pair<IClipboardFormat*, int32_t> formats[] = {
        {&m_text, kFormatText}, {&m_html, kFormatHtml}, {&m_local, kFormatLocal}};
    for (const auto& [format, bit] : formats) {
        if ((m_formatMask & bit) == 0)
            continue;
        format->Clear();
        format->Render(rows, columns);
        if (format->GetSize() != 0)
            m_kept.push_back(format);
    }
    const auto clearKept = [this] {
        for (IClipboardFormat* const format : m_kept)
            format->Clear();
        m_kept.clear();
    };
    if (m_kept.empty())
        return false;
    if (!m_clipboard->Open()) {
        clearKept();
        return false;
    }
    m_clipboard->Empty();
    bool placed = false;
    for (IClipboardFormat* const format : m_kept) {
        QByteArray block;
        try {
            block.resize(static_cast<qsizetype>(format->GetSize()));
        } catch (const std::bad_alloc&) {
            continue; // this format is skipped; the others are still placed
        }
        format->CopyTo(std::as_writable_bytes(std::span<char>(block.data(), static_cast<size_t>(block.size()))),
                       &m_grid, kind, columns.size());
        if (m_clipboard->SetData(format->GetFormatId(), block))
            placed = true;
    }
    clearKept();
    m_clipboard->Close();
    return placed;
}

bool CGridClipboard::Cut()
{
    std::vector<CGridItem*> rows;
    std::vector<CColumn*> columns;
    GatherRows(rows);
    GatherColumns(columns);
    // Rows leave the grid only once they are safely on the clipboard.
    if (!CopyRows(rows, columns, LocalClipboardData::kCut))
        return false;
    for (CGridItem* const item : rows)
        m_grid.Remove(item); // a child removed with its parent before is refused, not followed
    return true;
}

// ---- Paste ----

bool CGridClipboard::Paste()
{
    const QByteArray bytes = m_clipboard->GetData(m_local.GetFormatId());
    LocalClipboardData record;
    if (bytes.isEmpty() ||
        !m_local.Parse(std::as_bytes(std::span<const char>(bytes.constData(), static_cast<size_t>(bytes.size()))),
                       record))
        return false;
    if (record.sourceGrid != &m_grid)
        return false; // rows of another grid are not this grid's to move
    // Each handle is trusted only when the grid still shows a row of it bound
    // to the recorded object: rows removed since the copy are dropped.
    std::vector<CGridItem*> rows;
    std::vector<CGridItem*> bound;
    for (const LocalClipboardData::Row& row : record.rows) {
        bound.clear();
        m_grid.FindItems(row.object, bound, false, CGrid::kBothLists);
        if (std::find(bound.begin(), bound.end(), row.item) != bound.end() &&
            std::find(rows.begin(), rows.end(), row.item) == rows.end())
            rows.push_back(row.item);
    }
    if (rows.empty())
        return false;
    return PasteRows(rows, record.data == LocalClipboardData::kCut);
}

bool CGridClipboard::PasteRows(std::span<CGridItem* const> rows, bool cut)
{
    const PasteAction action = m_importer->GetPasteAction(m_grid, rows, cut);
    if (action != PasteAction::kMove && action != PasteAction::kDuplicate)
        return false;
    // After the body list's focus row, unless that row is one being moved.
    CGridItem* position = CGrid::kTail;
    if (m_grid.GetFocusListKind() == CGrid::kBodyList) {
        CGridItem* const focus = m_grid.GetItem(m_grid.GetFocusRow(), CGrid::kBodyList);
        if (focus != nullptr && (action == PasteAction::kDuplicate ||
                                 std::find(rows.begin(), rows.end(), focus) == rows.end()))
            position = focus;
    }
    bool changed = false;
    for (CGridItem* const item : rows) {
        if (action == PasteAction::kDuplicate) {
            if (CGridItem* const added = m_grid.Add(item->GetDataObject(), CGrid::kBodyRoot, position)) {
                position = added;
                changed = true;
            }
        } else if (m_grid.Detach(item) && m_grid.Attach(item, CGrid::kBodyRoot, position)) {
            position = item;
            changed = true;
        }
    }
    return changed;
}

// ---- Settings ----

void CGridClipboard::Serialize(Platform::CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kSettingsVersion << m_formatMask;
        return;
    }
    if (ar.ReadVersion(kSettingsVersion, "clipboard settings") <= 0)
        return;
    SetFormats(ar.ReadInt32());
}

} // namespace Brivel::GUI
