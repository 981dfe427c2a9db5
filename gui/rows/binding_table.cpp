#include "gui/rows/binding_table.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace Brivel::GUI {

using Common::CDataObject;

// ---- Entry ----

namespace {

// Frees a heap array of rows that an entry owned.
void FreeRowArray(CGridItem** rows) noexcept
{
    const std::unique_ptr<CGridItem*[]> owned(rows);
}

} // namespace

bool CBindingTable::CEntry::ContainsRow(const CGridItem* row) const noexcept
{
    const std::span<CGridItem* const> rows = Rows();
    return std::find(rows.begin(), rows.end(), row) != rows.end();
}

void CBindingTable::CEntry::FreeRows() noexcept
{
    if (m_count > 1)
        FreeRowArray(m_many);
    m_one = nullptr;
    m_count = 0;
    m_capacityLog2 = 0;
}

void CBindingTable::CEntry::AddRow(CGridItem* row)
{
    if (m_count == 0) {
        m_one = row;
        m_count = 1;
        return;
    }
    const uint32_t capacity = m_count == 1 ? 1 : 1u << m_capacityLog2;
    if (m_count == capacity) {
        // Full (or a second row): a larger heap array, made before anything
        // changes, so that a failure leaves the entry as it was.
        const uint32_t log2 = m_count == 1 ? 2 : m_capacityLog2 + 1; // rows are items in memory: far below 2^31
        auto grown = std::make_unique<CGridItem*[]>(size_t{1} << log2);
        std::copy_n(Rows().begin(), m_count, grown.get());
        if (m_count > 1)
            FreeRowArray(m_many);
        m_many = grown.release(); // owned by the entry from here
        m_capacityLog2 = static_cast<uint8_t>(log2);
    }
    m_many[m_count++] = row;
}

bool CBindingTable::CEntry::RemoveRow(const CGridItem* row) noexcept
{
    if (m_count <= 1) {
        if (m_count == 0 || m_one != row)
            return false;
        m_one = nullptr;
        m_count = 0;
        return true;
    }
    CGridItem** const begin = m_many;
    CGridItem** const end = begin + m_count;
    CGridItem** const found = std::find(begin, end, row);
    if (found == end)
        return false;
    std::copy(found + 1, end, found);
    if (m_count == 2) {
        CGridItem* const last = begin[0];
        FreeRows();
        m_one = last;
        m_count = 1;
        return true;
    }
    --m_count;
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
    entry.m_sequence = sequence;
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
    if (entry->m_count > 0)
        return {true, true};
    m_entries.Erase(entry);
    return {true, false};
}

bool CBindingTable::Erase(const CDataObject* object) noexcept
{
    CEntry* const entry = Find(object);
    if (!entry)
        return false;
    m_bindings -= entry->m_count;
    entry->FreeRows();
    m_entries.Erase(entry);
    return true;
}

std::string CBindingTable::CheckInvariantsForTesting() const
{
    std::string fault = m_entries.CheckInvariantsForTesting();
    size_t bindings = 0;
    m_entries.ForEach([&](const CEntry& entry) {
        bindings += entry.m_count;
        if (!fault.empty())
            return;
        if (entry.m_count == 0)
            fault = "an entry without rows";
        else if (entry.m_count > 1 && (entry.m_many == nullptr || (1u << entry.m_capacityLog2) < entry.m_count))
            fault = "the heap array of rows is missing or too small";
        else if (entry.m_count == 1 && entry.m_one == nullptr)
            fault = "an entry's one row is null";
    });
    if (fault.empty() && bindings != m_bindings)
        fault = "the binding count is wrong";
    return fault;
}

} // namespace Brivel::GUI
