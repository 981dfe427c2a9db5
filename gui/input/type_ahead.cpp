#include "gui/input/type_ahead.h"

#include "gui/header/column.h"
#include "gui/header/header.h"
#include "gui/input/selection.h"
#include "gui/paint/paint_records.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/row_list.h"

#include "common/data_object.h"
#include "common/tick_count.h"


namespace Brivel::GUI {

namespace {

constexpr int32_t kPinned = CRowList::kPinnedList;
constexpr int32_t kBody = CRowList::kBodyList;

// The kinds whose texts lose their spaces before comparing: the signed
// integers and the floating-point numbers.
bool IsSearchNumeric(Common::ValueKind kind)
{
    return kind == Common::KindChar || kind == Common::KindShort || kind == Common::KindLong ||
           kind == Common::KindInt64 || kind == Common::KindFloat || kind == Common::KindDouble;
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

char CTypeAhead::CharacterOf(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::ShiftModifier) || modifiers.testFlag(Qt::ControlModifier))
        return 0;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<char>('a' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) // the keypad's digits too
        return static_cast<char>('0' + (key - Qt::Key_0));
    return 0;
}

bool CTypeAhead::Matches(const std::string& text, const std::string& prefix, bool numeric)
{
    size_t at = 0;
    for (const char wanted : prefix) {
        if (numeric)
            while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
                ++at;
        if (at >= text.size() || LowerAscii(text[at]) != LowerAscii(wanted))
            return false;
        ++at;
    }
    return true;
}

bool CTypeAhead::OnKeyPress(int key, Qt::KeyboardModifiers modifiers, bool leftButtonDown)
{
    const char ch = CharacterOf(key, modifiers);
    if (ch == 0)
        return false;
    if (!leftButtonDown)
        Type(ch, Common::GetTickCount());
    return true;
}

CColumn* CTypeAhead::SearchColumn() const
{
    const CHeader* const header = m_host.GetHeader();
    if (header == nullptr)
        return nullptr;
    // A search column that names no visible column is no search column.
    const int32_t index = header->GetSearchColumn();
    if (index < 0 || index >= header->GetVisibleColumnCount())
        return nullptr;
    return header->GetVisibleColumn(index);
}

bool CTypeAhead::RowMatches(const CGridItem& item, const CColumn& column, std::string& scratch) const
{
    const Common::CDataObject* const object = item.GetDataObject();
    if (object == nullptr)
        return false;
    // The text the cell shows.
    const CColumn::Attributes attributes = column.GetAttributes();
    Common::ValueKind kind = Common::KindNone;
    const Common::CFormat* const format = CellFormatOf(*object, attributes, kind);
    if (format == nullptr)
        return false;
    FormatCellText(*format, kind, *object, attributes.id, scratch);
    return Matches(scratch, m_text, IsSearchNumeric(kind));
}

bool CTypeAhead::Type(char ch, uint32_t now)
{
    CRowList* const pinned = m_host.GetRowList(kPinned);
    CRowList* const body = m_host.GetRowList(kBody);
    CColumn* const column = SearchColumn();
    if (column == nullptr || body == nullptr || body->GetRowCount() == 0)
        return false;
    // The signed difference stays right across the counter's wrap; a tick
    // before the last one (a counter set back) starts anew as well.
    const int32_t delay = m_host.GetTypeAheadDelay();
    const int32_t since = Common::TickDifference(now, m_lastTick);
    if (!m_typed || since > delay || since < 0)
        m_text.assign(1, ch);
    else
        m_text.push_back(ch);
    m_typed = true;
    m_lastTick = now;

    // One index over both lists: pinned rows first.
    const int32_t pinnedCount = pinned ? pinned->GetRowCount() : 0;
    const int32_t total = pinnedCount + body->GetRowCount();
    const int32_t focusRow = m_selection.GetFocusRow();
    int32_t start = 0;
    if (m_selection.GetFocusKind() == kPinned)
        start = focusRow;
    else if (m_selection.GetFocusKind() == kBody)
        start = pinnedCount + focusRow;
    start = std::clamp(start, 0, total - 1);

    // From the focus to the end, then from the first row up to the focus:
    // each row once, the lists walked in chunks.
    std::string scratch;
    int32_t found = -1;
    const auto search = [&](int32_t from, int32_t to) { // [from, to)
        for (const int32_t kind : {kPinned, kBody}) {
            CRowList* const list = kind == kPinned ? pinned : body;
            const int32_t offset = kind == kPinned ? 0 : pinnedCount;
            if (list == nullptr || found >= 0)
                continue;
            const int32_t first = std::max(from - offset, 0);
            const int32_t last = std::min(to - offset, list->GetRowCount());
            int32_t row = first;
            list->ForEachRow(first, last, [&](CGridItem* item) {
                if (found < 0 && RowMatches(*item, *column, scratch))
                    found = offset + row;
                ++row;
            });
        }
    };
    search(start, total);
    if (found < 0)
        search(0, start);
    if (found < 0)
        return false;

    const int32_t kind = found < pinnedCount ? kPinned : kBody;
    const int32_t row = kind == kPinned ? found : found - pinnedCount;
    m_selection.ClearSelection();
    if (kind == kBody)
        m_host.BringBodyRowIntoView(row);
    m_selection.SelectRow(row, kind, true);
    if (m_selection.IsFocusAllowed(kind))
        m_selection.SetFocusRow(row, kind, true);
    return true;
}

} // namespace Brivel::GUI
