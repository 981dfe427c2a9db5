#include "gui/rows/row_extras.h"

#include "gui/rows/grid_item.h"

#include <algorithm>
#include <memory>
#include <new>

namespace Brivel::GUI {

using Common::CFieldValue;

// The records follow the sort values, aligned for them.
static_assert(sizeof(CFieldValue) % alignof(HighlightRecord) == 0 && alignof(CFieldValue) >= alignof(HighlightRecord));

std::byte* CRowExtras::MakeBlock(size_t sortCount, int32_t capacity) const
{
    const size_t recordCount = static_cast<size_t>(RecordCount());
    const size_t bytes = RecordsOffset(sortCount) + static_cast<size_t>(capacity) * sizeof(HighlightRecord);
    auto* const block = static_cast<std::byte*>(::operator new(bytes, std::align_val_t{alignof(CFieldValue)}));
    ::new (block) CHeader{static_cast<uint16_t>(sortCount), static_cast<uint16_t>(recordCount), capacity, Children()};
    std::uninitialized_value_construct_n(ValuesOf(block), sortCount); // noexcept: empty values
    auto* const records = reinterpret_cast<HighlightRecord*>(block + RecordsOffset(sortCount));
    if (recordCount != 0)
        std::uninitialized_copy_n(Records(), recordCount, records);
    std::uninitialized_value_construct_n(records + recordCount, static_cast<size_t>(capacity) - recordCount);
    return block;
}

void CRowExtras::Replace(std::byte* next) noexcept
{
    if (m_block) {
        std::destroy_n(ValuesOf(m_block), Header().sortCount);
        ::operator delete(m_block, std::align_val_t{alignof(CFieldValue)});
    }
    m_block = next;
}

void CRowExtras::ResetSortValues(size_t count)
{
    const int32_t capacity = RecordCapacity();
    Replace(count == 0 && capacity == 0 && !Children() ? nullptr : MakeBlock(count, capacity));
}

bool CRowExtras::SetChildren(void* children) noexcept
{
    if (!m_block) {
        if (!children)
            return true;
        try {
            m_block = MakeBlock(0, 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    Header().children = children;
    if (!children && Header().sortCount == 0 && Header().capacity == 0)
        Free(); // nothing else kept it
    return true;
}

void CRowExtras::GrowRecords(int32_t capacity)
{
    const std::span<CFieldValue> values = SortValues();
    std::byte* const next = MakeBlock(values.size(), capacity);
    // The values move across: a move of a value never throws.
    std::move(values.begin(), values.end(), ValuesOf(next));
    Replace(next);
}

} // namespace Brivel::GUI
