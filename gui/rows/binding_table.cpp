#include "gui/rows/binding_table.h"

#include "gui/rows/grid_item.h"
#include "common/data_object.h"

#include <algorithm>
#include <cassert>
#include <new>
#include <utility>

namespace Brivel::GUI {

using Common::CDataObject;

static_assert(alignof(CGridItem) >= 2 && alignof(CDataObject) >= 2, "the low address bit carries a flag");

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
    const CRows rows = Rows();
    return std::find(rows.begin(), rows.end(), row) != rows.end();
}

void CBindingTable::CEntry::FreeRows() noexcept
{
    if (HasBlock())
        FreeRowBlock(Block());
    SetRowsWord(0);
}

bool CBindingTable::CEntry::AddRow(CGridItem* row)
{
    if (RowsWord() == 0) {
        SetOneRow(row);
        return true;
    }
    const CRows rows = Rows();
    const uint32_t count = static_cast<uint32_t>(rows.size()); // rows are items in memory: far below 2^32
    if (!HasBlock() || count == Block()->capacity) {
        // A second row, or full: a larger block, made before anything
        // changes, so that a failure leaves the entry as it was.
        CRowBlock* const grown = NewRowBlock(count == 1 ? 4 : count * 2);
        if (!Fits(grown)) {
            FreeRowBlock(grown);
            return false;
        }
        std::copy_n(rows.begin(), count, grown->Rows());
        grown->count = count;
        FreeRows();
        SetBlock(grown); // owned by the entry from here
    }
    CRowBlock* const block = Block();
    block->Rows()[block->count++] = row;
    return true;
}

bool CBindingTable::CEntry::RemoveRow(const CGridItem* row) noexcept
{
    if (!HasBlock()) {
        if (RowsWord() == 0 || OneRow() != row)
            return false;
        SetRowsWord(0);
        return true;
    }
    CRowBlock* const block = Block();
    CGridItem** const begin = block->Rows();
    CGridItem** const end = begin + block->count;
    CGridItem** const found = std::find(begin, end, row);
    if (found == end)
        return false;
    std::copy(found + 1, end, found);
    if (--block->count == 1) {
        CGridItem* const last = begin[0];
        FreeRows();
        SetOneRow(last);
    }
    return true;
}

// ---- Table ----

CBindingTable::~CBindingTable()
{
    m_entries.ForEach([](CEntry& entry) { entry.FreeRows(); });
}

CBindingTable::AddResult CBindingTable::Add(CDataObject* object, CGridItem* row, uint64_t sequence,
                                            uint64_t processedThrough)
{
    assert(object && row && (KeyOf(object) & CEntry::kDyingBit) == 0);
    if (!CEntry::Fits(object) || !CEntry::Fits(row))
        return AddResult::kRefused;
    if (CEntry* const entry = Find(object)) {
        if (!entry->AddRow(row))
            return AddResult::kRefused;
        ++m_bindings;
        return AddResult::kAdded;
    }
    ForgetYoungBefore(processedThrough);
    if (processedThrough < sequence) {
        // Packets older than the entry are still to come. Remembered first:
        // should the entry's insertion fail, a young record without an entry
        // only goes a little later.
        if (CYoung* const young = m_young.Find(KeyOf(object)))
            young->sequence = sequence;
        else
            m_young.Insert(CYoung{KeyOf(object), sequence});
        m_youngMax = std::max(m_youngMax, sequence);
    }
    CEntry entry;
    entry.SetObjectWord(KeyOf(object));
    entry.SetOneRow(row);
    m_entries.Insert(entry);
    ++m_bindings;
    return AddResult::kCreated;
}

void CBindingTable::ForgetYoungBefore(uint64_t processedThrough) noexcept
{
    // All at once: young entries are made during one backlog, which is
    // delivered in order, so they all stop mattering together.
    if (m_young.Size() != 0 && m_youngMax <= processedThrough)
        m_young.Clear();
}

void CBindingTable::ForgetYoung(const CDataObject* object) noexcept
{
    if (m_young.Size() == 0) [[likely]]
        return;
    if (CYoung* const young = m_young.Find(KeyOf(object)))
        m_young.Erase(young);
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
    ForgetYoung(object);
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
    ForgetYoung(object);
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
        else if (entry.HasBlock() && (entry.Block()->count < 2 || entry.Block()->count > entry.Block()->capacity))
            fault = "a block of rows holds fewer than two rows, or more than it has room for";
    });
    if (fault.empty() && bindings != m_bindings)
        fault = "the binding count is wrong";
    if (fault.empty())
        fault = m_young.CheckInvariantsForTesting();
    if (fault.empty())
        m_young.ForEach([&](const CYoung& young) {
            if (young.sequence > m_youngMax)
                fault = "a young entry is younger than the youngest";
        });
    return fault;
}

} // namespace Brivel::GUI
