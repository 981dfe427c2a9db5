#include "gui/rows/binding_table.h"

#include <algorithm>
#include <cassert>
#include <new>
#include <utility>

namespace Brivel::GUI {

using Common::CDataObject;

// ---- Entry ----

// A block of rows for `capacity` slots: raw memory, a header and pointers,
// nothing to construct beyond the header.
CBindingTable::CEntry::CRowBlock* CBindingTable::CEntry::NewRowBlock(uint32_t capacity)
{
    void* const raw = ::operator new(sizeof(CRowBlock) + size_t{capacity} * sizeof(CGridItem*)); // owned by the entry (FreeRowBlock)
    return new (raw) CRowBlock{0, capacity};
}

void CBindingTable::CEntry::FreeRowBlock(CRowBlock* block) noexcept
{
    ::operator delete(static_cast<void*>(block));
}

bool CBindingTable::CEntry::ContainsRow(const CGridItem* row) const noexcept
{
    const std::span<CGridItem* const> rows = Rows();
    return std::find(rows.begin(), rows.end(), row) != rows.end();
}

void CBindingTable::CEntry::FreeRows() noexcept
{
    if (m_state & kManyBit)
        FreeRowBlock(m_many);
    m_one = nullptr;
    m_state &= ~kManyBit;
}

void CBindingTable::CEntry::AddRow(CGridItem* row)
{
    if (!(m_state & kManyBit) && !m_one) {
        m_one = row;
        return;
    }
    const std::span<CGridItem* const> rows = Rows();
    const uint32_t count = static_cast<uint32_t>(rows.size()); // rows are items in memory: far below 2^32
    if (!(m_state & kManyBit) || count == m_many->capacity) {
        // A second row, or full: a larger block, made before anything
        // changes, so that a failure leaves the entry as it was.
        CRowBlock* const grown = NewRowBlock(count == 1 ? 4 : count * 2);
        std::copy_n(rows.begin(), count, grown->Rows());
        grown->count = count;
        FreeRows();
        m_many = grown; // owned by the entry from here
        m_state |= kManyBit;
    }
    m_many->Rows()[m_many->count++] = row;
}

bool CBindingTable::CEntry::RemoveRow(const CGridItem* row) noexcept
{
    if (!(m_state & kManyBit)) {
        if (!m_one || m_one != row)
            return false;
        m_one = nullptr;
        return true;
    }
    CGridItem** const begin = m_many->Rows();
    CGridItem** const end = begin + m_many->count;
    CGridItem** const found = std::find(begin, end, row);
    if (found == end)
        return false;
    std::copy(found + 1, end, found);
    if (--m_many->count == 1) {
        CGridItem* const last = begin[0];
        FreeRows();
        m_one = last;
    }
    return true;
}

// ---- Table ----

CBindingTable::~CBindingTable()
{
    m_entries.ForEach([](CEntry& entry) { entry.FreeRows(); });
}

bool CBindingTable::Add(CDataObject* object, CGridItem* row, uint64_t sequence)
{
    assert(object && row);
    if (CEntry* const entry = Find(object)) {
        entry->AddRow(row);
        ++m_bindings;
        return false;
    }
    CEntry entry;
    entry.m_object = object;
    entry.SetSequence(sequence);
    entry.AddRow(row); // the first row: no allocation
    m_entries.Insert(entry);
    ++m_bindings;
    return true;
}

CBindingTable::RemoveResult CBindingTable::Remove(const CDataObject* object, const CGridItem* row) noexcept
{
    CEntry* const entry = Find(object);
    if (!entry)
        return {};
    if (!entry->RemoveRow(row))
        return {false, true};
    --m_bindings;
    if (entry->RowCount() > 0)
        return {true, true};
    m_entries.Erase(entry);
    return {true, false};
}

bool CBindingTable::Erase(const CDataObject* object) noexcept
{
    CEntry* const entry = Find(object);
    if (!entry)
        return false;
    m_bindings -= entry->RowCount();
    entry->FreeRows();
    m_entries.Erase(entry);
    return true;
}

std::string CBindingTable::CheckInvariantsForTesting() const
{
    std::string fault = m_entries.CheckInvariantsForTesting();
    size_t bindings = 0;
    m_entries.ForEach([&](const CEntry& entry) {
        bindings += entry.RowCount();
        if (!fault.empty())
            return;
        if (entry.RowCount() == 0)
            fault = "an entry without rows";
        else if ((entry.m_state & CEntry::kManyBit) && (entry.m_many->count < 2 || entry.m_many->count > entry.m_many->capacity))
            fault = "a block of rows holds fewer than two rows, or more than it has room for";
    });
    if (fault.empty() && bindings != m_bindings)
        fault = "the binding count is wrong";
    return fault;
}

} // namespace Brivel::GUI
