// CRowLayout: the on-screen table and the questions it answers.
//
// Laying out stops at the area's bottom: the table holds at most as many
// rows as fit (a row is at least one pixel high), and the lists are read in
// chunks so that no more rows are visited than show.

#include "gui/rows/row_layout.h"

#include "gui/rows/grid_item.h"
#include "gui/rows/row_list.h"

#include <algorithm>
#include <bit>

namespace Brivel::GUI {

using Platform::CRect;

namespace {

// Rows read from a list at a time while laying out.
constexpr int32_t kChunkRows = 64;

} // namespace

CRowLayout::Key CRowLayout::CurrentKey() const
{
    Key key;
    key.pinned = m_source.GetRowList(CRowList::kPinnedList);
    key.body = m_source.GetRowList(CRowList::kBodyList);
    key.pinnedVersion = key.pinned ? key.pinned->GetLayoutVersion() : 0;
    key.bodyVersion = key.body ? key.body->GetLayoutVersion() : 0;
    key.frame = m_source.GetRowLayoutFrame();
    return key;
}

const CRowLayout::Table& CRowLayout::TableFor(const Key& key) const
{
    if (!m_valid || !(key == m_key))
        Build(key);
    return m_table;
}

std::span<const CRowLayout::Row> CRowLayout::RowsOf(const Table& table, int32_t kind)
{
    const std::span<const Row> rows(table.rows);
    if (kind == CRowList::kPinnedList)
        return rows.first(table.pinnedCount);
    if (kind == CRowList::kBodyList)
        return rows.subspan(table.pinnedCount);
    return {};
}

bool CRowLayout::IsLaidOut(const Key& key, const CRowList& list, int32_t row)
{
    const int32_t kind = list.GetKind();
    if (&list != (kind == CRowList::kPinnedList ? key.pinned : kind == CRowList::kBodyList ? key.body : nullptr))
        return false;
    // Above the top row, or further below it than the client is high (a row
    // is at least one pixel): decided without laying anything out, so that a
    // change far off screen costs no layout after every list change.
    const int32_t first = kind == CRowList::kPinnedList ? 0 : key.frame.topRow;
    return first >= 0 && row >= first && int64_t(row) - first < std::max(key.frame.client.Height(), 0);
}

void CRowLayout::Build(const Key& key) const
{
    ++m_builds;
    m_key = key;
    m_valid = true;
    Table& table = m_table;
    table.rows.clear();
    Areas& areas = table.areas;
    const RowLayoutFrame& frame = key.frame;
    areas.client = frame.client;
    areas.bottom = frame.client.top + std::max(frame.client.Height(), 0);
    areas.pinnedTop = std::min(frame.client.top + std::max(frame.headerStrip, 0), areas.bottom);

    // Rows of `list` from `first`, from y = top while they start above `bottom`.
    const auto layOut = [&](const CRowList* list, int32_t kind, int32_t first, int32_t top, int32_t bottom) {
        int32_t y = top;
        if (list == nullptr || first < 0 || top >= bottom)
            return y;
        const int32_t count = list->GetRowCount();
        for (int32_t chunk = first; chunk < count && y < bottom; chunk += kChunkRows) {
            int32_t row = chunk;
            list->ForEachRow(chunk, chunk + kChunkRows, [&](CGridItem* item) {
                if (y < bottom) {
                    const int32_t height = item->GetRowHeight();
                    table.rows.push_back(Row{item, kind, row, y, height, std::min(height, bottom - y)});
                    y += height;
                }
                ++row;
            });
        }
        return y;
    };
    const int32_t pinnedEnd = layOut(key.pinned, CRowList::kPinnedList, 0, areas.pinnedTop, areas.bottom);
    table.pinnedCount = table.rows.size();
    areas.pinnedBottom = std::min(pinnedEnd, areas.bottom);
    const bool band = key.pinned != nullptr && key.pinned->GetRowCount() > 0;
    areas.bodyTop = std::min(areas.pinnedBottom + (band ? std::max(frame.separatorHeight, 0) : 0), areas.bottom);
    layOut(key.body, CRowList::kBodyList, frame.topRow, areas.bodyTop, areas.bottom);
    IndexRows(table);
}

void CRowLayout::IndexRows(Table& table)
{
    // Half full at most, so that a look-up of an item off screen meets a free
    // slot within a probe or two. An item is in one list at one place, so no
    // address comes twice.
    const size_t size = std::bit_ceil(std::max<size_t>(table.rows.size() * 2, 16));
    table.itemSlots.assign(size, 0);
    const size_t mask = size - 1;
    for (size_t i = 0; i < table.rows.size(); ++i) {
        size_t slot = SlotOf(table.rows[i].item, mask);
        while (table.itemSlots[slot] != 0)
            slot = (slot + 1) & mask;
        table.itemSlots[slot] = static_cast<uint32_t>(i + 1);
    }
}

// ---- Areas ----

const CRowLayout::Areas& CRowLayout::GetAreasOverBodyRows() const
{
    const Key key = CurrentKey();
    Key withLastBody = key;
    withLastBody.bodyVersion = m_key.bodyVersion;
    if (m_valid && withLastBody == m_key)
        return m_table.areas;
    return TableFor(key).areas;
}

CRect CRowLayout::PinnedArea() const
{
    const Areas& areas = GetAreas();
    return CRect(areas.client.left, areas.pinnedTop, areas.client.right, areas.pinnedBottom);
}

CRect CRowLayout::SeparatorBand() const
{
    const Areas& areas = GetAreas();
    return CRect(areas.client.left, areas.pinnedBottom, areas.client.right, areas.bodyTop);
}

CRect CRowLayout::BodyArea() const
{
    const Areas& areas = GetAreas();
    return CRect(areas.client.left, areas.bodyTop, areas.client.right, areas.bottom);
}

// ---- Rows on screen ----

std::span<const CRowLayout::Row> CRowLayout::GetRows(int32_t kind) const
{
    return RowsOf(Current(), kind);
}

std::span<const CRowLayout::Row> CRowLayout::GetRowsFrom(int32_t y) const
{
    const std::span<const Row> rows = GetRows();
    // Tops grow down the table (the band only adds a gap), so do the bottoms.
    const auto first = std::upper_bound(rows.begin(), rows.end(), y,
                                        [](int32_t value, const Row& row) { return value < row.VisibleBottom(); });
    return rows.subspan(static_cast<size_t>(first - rows.begin()));
}

const CRowLayout::Row* CRowLayout::RowAt(int32_t y) const
{
    const std::span<const Row> rows = GetRowsFrom(y);
    return !rows.empty() && rows.front().top <= y ? &rows.front() : nullptr;
}

const CRowLayout::Row* CRowLayout::Find(const CGridItem& item) const
{
    const Table& table = Current();
    const size_t mask = table.itemSlots.size() - 1;
    for (size_t slot = SlotOf(&item, mask);; slot = (slot + 1) & mask) {
        const uint32_t entry = table.itemSlots[slot];
        if (entry == 0)
            return nullptr;
        if (table.rows[entry - 1].item == &item)
            return &table.rows[entry - 1];
    }
}

const CRowLayout::Row* CRowLayout::FindIn(std::span<const Row> rows, int32_t row)
{
    if (rows.empty() || row < rows.front().row || row > rows.back().row)
        return nullptr;
    return &rows[static_cast<size_t>(row - rows.front().row)];
}

const CRowLayout::Row* CRowLayout::Find(const CRowList& list, int32_t row) const
{
    const Key key = CurrentKey();
    return IsLaidOut(key, list, row) ? FindIn(RowsOf(TableFor(key), list.GetKind()), row) : nullptr;
}

int32_t CRowLayout::RowTop(const CRowList& list, int32_t row) const
{
    const Key key = CurrentKey();
    if (!IsLaidOut(key, list, row))
        return -1;
    const Table& table = TableFor(key);
    const std::span<const Row> rows = RowsOf(table, list.GetKind());
    if (const Row* const entry = FindIn(rows, row))
        return entry->top;
    if (row != list.GetRowCount())
        return -1;
    // Where the row after the last would start, when that is inside the area.
    const Areas& areas = table.areas;
    const bool pinned = list.GetKind() == CRowList::kPinnedList;
    const int32_t bottom = pinned ? areas.pinnedBottom : areas.bottom;
    int32_t y = 0;
    if (!rows.empty()) {
        if (rows.back().row != row - 1)
            return -1; // the last row is not on screen
        y = rows.back().top + rows.back().height;
    } else {
        const int32_t first = pinned ? 0 : key.frame.topRow;
        if (row != first)
            return -1;
        y = pinned ? areas.pinnedTop : areas.bodyTop;
    }
    return y < bottom ? y : -1;
}

CRect CRowLayout::RowRect(const Row& row) const
{
    const Areas& areas = GetAreas();
    return CRect(areas.client.left, row.top, areas.client.right, row.VisibleBottom());
}

CRect CRowLayout::RowRect(const CRowList& list, int32_t row) const
{
    const Row* const entry = Find(list, row);
    return entry ? RowRect(*entry) : CRect();
}

CRect CRowLayout::ItemRect(const CGridItem& item) const
{
    const Row* const entry = Find(item);
    return entry ? RowRect(*entry) : CRect();
}

int32_t CRowLayout::LastVisibleRow(int32_t kind) const
{
    const std::span<const Row> rows = GetRows(kind);
    return rows.empty() ? -1 : rows.back().row;
}

// ---- Rows off screen ----

int32_t CRowLayout::RowsThatFit(int32_t startRow, bool forward) const
{
    const CRowList* const body = m_source.GetRowList(CRowList::kBodyList);
    const int32_t count = body ? body->GetRowCount() : 0;
    if (startRow < 0 || startRow >= count)
        return 0;
    const Areas& areas = GetAreas();
    const int32_t height = areas.bottom - areas.bodyTop;
    int32_t total = 0;
    int32_t rows = 0;
    for (int32_t row = startRow; row >= 0 && row < count; row += forward ? 1 : -1) {
        total += body->GetItem(row)->GetRowHeight();
        if (total > height)
            break;
        ++rows;
    }
    return rows;
}

int32_t CRowLayout::LastPageTop() const
{
    const CRowList* const body = m_source.GetRowList(CRowList::kBodyList);
    const int32_t count = body ? body->GetRowCount() : 0;
    return count > 0 ? count - RowsThatFit(count - 1, false) : 0;
}

int32_t CRowLayout::BodyRowsHeight(int32_t from, int32_t to, int32_t limit) const
{
    const CRowList* const body = m_source.GetRowList(CRowList::kBodyList);
    int32_t pixels = 0;
    for (int32_t row = from; body != nullptr && row < to && pixels < limit; ++row)
        if (const CGridItem* const item = body->GetItem(row))
            pixels += item->GetRowHeight();
    return pixels;
}

} // namespace Brivel::GUI
