#include "gui/rows/row_extras.h"

#include "gui/rows/grid_item.h"

#include <algorithm>
#include <memory>
#include <new>

namespace Brivel::GUI {

using Common::CFieldValue;

struct CRowExtras::CHeader {
    uint32_t sortCount;
    int32_t capacity;
};

namespace {

// The header, the sort values and the records, each aligned for what follows.
static_assert(sizeof(CFieldValue) % alignof(HighlightRecord) == 0);
constexpr size_t kValuesOffset = std::max(sizeof(uint32_t) + sizeof(int32_t), alignof(CFieldValue));
static_assert(kValuesOffset % alignof(CFieldValue) == 0);

size_t RecordsOffset(size_t sortCount) noexcept { return kValuesOffset + sortCount * sizeof(CFieldValue); }

CFieldValue* ValuesOf(std::byte* block) noexcept
{
    return std::launder(reinterpret_cast<CFieldValue*>(block + kValuesOffset));
}

} // namespace

std::span<CFieldValue> CRowExtras::SortValues() const noexcept
{
    if (!m_block)
        return {};
    return {ValuesOf(m_block), reinterpret_cast<const CHeader*>(m_block)->sortCount};
}

HighlightRecord* CRowExtras::Records() const noexcept
{
    if (!m_block)
        return nullptr;
    return reinterpret_cast<HighlightRecord*>(m_block + RecordsOffset(reinterpret_cast<const CHeader*>(m_block)->sortCount));
}

int32_t CRowExtras::RecordCapacity() const noexcept
{
    return m_block ? reinterpret_cast<const CHeader*>(m_block)->capacity : 0;
}

std::byte* CRowExtras::MakeBlock(size_t sortCount, int32_t capacity, size_t recordCount) const
{
    const size_t bytes = RecordsOffset(sortCount) + static_cast<size_t>(capacity) * sizeof(HighlightRecord);
    auto* const block = static_cast<std::byte*>(::operator new(bytes, std::align_val_t{alignof(CFieldValue)}));
    ::new (block) CHeader{static_cast<uint32_t>(sortCount), capacity};
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
        std::destroy_n(ValuesOf(m_block), reinterpret_cast<const CHeader*>(m_block)->sortCount);
        ::operator delete(m_block, std::align_val_t{alignof(CFieldValue)});
    }
    m_block = next;
}

void CRowExtras::ResetSortValues(size_t count, size_t recordCount)
{
    const int32_t capacity = RecordCapacity();
    Replace(count == 0 && capacity == 0 ? nullptr : MakeBlock(count, capacity, recordCount));
}

void CRowExtras::GrowRecords(int32_t capacity, size_t recordCount)
{
    const std::span<CFieldValue> values = SortValues();
    std::byte* const next = MakeBlock(values.size(), capacity, recordCount);
    // The values move across: a move of a value never throws.
    std::move(values.begin(), values.end(), ValuesOf(next));
    Replace(next);
}

} // namespace Brivel::GUI
