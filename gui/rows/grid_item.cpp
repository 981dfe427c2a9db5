// ---- Index ----
// Creation and destruction   Create, Adopt, ~CGridItem
// Data object                SetDataObject, DetachDataObjects
// Tree and state             GetListKind, GetLastShownDescendant, Expand, ...
// Change and highlight state OnDataChanged, GetChangeAge, highlight records
// Sort values                ResizeSortValues

#include "gui/rows/grid_item.h"

#include "common/process_clock.h"
#include "gui/rows/data_object_registry.h"
#include "gui/rows/item_pool.h"
#include "gui/rows/live_items.h"
#include "gui/rows/row_list.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

namespace Brivel::GUI {

using Common::CDataObject;

// ---- Creation and destruction ----

CGridItem* CGridItem::Create(CDataObject* object)
{
    return Adopt(std::unique_ptr<CGridItem>(new CGridItem()), object); // protected constructor: handed over at once
}

CGridItem* CGridItem::Adopt(std::unique_ptr<CGridItem> item, CDataObject* object)
{
    if (!item || item->IsRoot() || item->m_list || item->m_parent)
        return nullptr;
    CGridItem* const raw = item.release(); // the detached list (or, after exit, the caller's handle) owns it now
    if (CRowList* const detached = CRowList::GetDetachedList()) {
        raw->m_list = detached;
        raw->m_rowHeight = detached->m_rowHeight;
        ++detached->m_memberCount;
        detached->m_root->OwnChildren().PushBack(raw);
    }
    raw->SetDataObject(object);
    return raw;
}

CGridItem* CGridItem::CreateForInsertion(CDataObject* object, CInsertionKey)
{
    std::unique_ptr<CGridItem> item(new CGridItem()); // protected constructor
    item->SetDataObject(object);
    return item.release(); // the caller's, until it inserts or destroys it
}

static_assert(CRowList::kMaxRowHeight <= INT16_MAX, "row heights are kept in 16 bits");
static_assert(sizeof(CGridItem) <= CItemPool::kCellSize && alignof(CGridItem) <= CItemPool::kCellAlignment,
              "an item must fit a pool cell");

void* CGridItem::operator new(std::size_t size)
{
    return size <= CItemPool::kCellSize ? CItemPool::Allocate() : ::operator new(size);
}

void CGridItem::operator delete(void* block, std::size_t size) noexcept
{
    if (!CItemPool::Free(block))
        ::operator delete(block, size);
}

CGridItem::CGridItem()
{
    CLiveItems::Add(this);
}

CGridItem::~CGridItem()
{
    // Last of all, whichever way the body ends: the children list goes.
    struct CChildrenListGoes {
        CGridItem& item;
        ~CChildrenListGoes() { item.FreeChildren(); }
    } childrenListGoes{*this};
    CLiveItems::Remove(this);
    CRowList::ForgetItem(this);
    if (IsRoot())
        return; // the list destroyed the tree already
    CRowList* const list = m_list;
    if (list)
        list->Unlink(this, nullptr);
    else if (m_parent)
        m_parent->OwnChildren().Erase(this); // an item made after the detached list was torn down
    m_parent = nullptr;
    CRowList::DestroyChildren(this);
    SetDataObject(nullptr);
    if (list) {
        if (IsSelected())
            list->RemoveFromSelection(this);
        --list->m_memberCount;
    }
}

// Constant-initialized: an item made by another file's static initializer
// may already read it.
constinit const CGridItem::ChildList CGridItem::kNoChildren;

bool CGridItem::EnsureChildren() noexcept
{
    if ((m_flags & kChildrenFlag) != 0)
        return true;
    try {
        auto children = std::make_unique<ChildList>();
        if (!m_extras.SetChildren(children.get()))
            return false;
        children.release(); // owned by this item from here, through the address in m_extras (FreeChildren)
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_flags |= kChildrenFlag;
    return true;
}

void CGridItem::FreeChildren() noexcept
{
    if ((m_flags & kChildrenFlag) == 0)
        return;
    std::unique_ptr<ChildList> children(&OwnChildren()); // taken back from m_extras
    m_extras.SetChildren(nullptr); // never fails for null
    m_flags &= static_cast<uint8_t>(~kChildrenFlag);
}

// ---- Data object ----

bool CGridItem::SetDataObject(CDataObject* object)
{
    CDataObject* const old = GetDataObject();
    if (old == object)
        return true;
    CDataObjectRegistry& registry = CDataObjectRegistry::GetInstance();
    if (old)
        registry.RemoveBinding(old, this);
    // Store before binding: a disposal running on another thread at shutdown
    // clears the pointer of every bound row under the registry's lock, and
    // this row is bound only from AddBinding on.
    m_dataObject.store(object, std::memory_order_release);
    if (object && !registry.AddBinding(object, this)) {
        m_dataObject.store(nullptr, std::memory_order_release);
        return false;
    }
    return true;
}

void CGridItem::DetachDataObjects()
{
    SetDataObject(nullptr);
    ForEachDescendant([](CGridItem* item) {
        item->SetDataObject(nullptr);
        return true;
    });
}

// ---- Tree and state ----

int32_t CGridItem::GetListKind() const noexcept
{
    return m_list ? m_list->GetKind() : 0;
}

CGridItem* CGridItem::GetLastShownDescendant() const noexcept
{
    if (!IsShown())
        return nullptr;
    return m_list->GetItem(m_list->GetRowIndex(this) + m_visibleDescendants);
}

void CGridItem::Expand(bool recursive)
{
    if (m_list)
        m_list->Expand(this, recursive);
    else
        m_flags |= kExpandedFlag;
}

void CGridItem::Collapse(bool recursive)
{
    if (m_list)
        m_list->Collapse(this, recursive);
    else if (!IsRoot())
        m_flags &= static_cast<uint8_t>(~kExpandedFlag);
}

bool CGridItem::Select(bool select)
{
    if (m_list)
        return m_list->Select(this, select);
    if (select || !IsSelected())
        return false;
    m_flags &= static_cast<uint8_t>(~kSelectedFlag);
    return true;
}

bool CGridItem::SetRowHeight(int32_t height)
{
    if (height < 1 || height > CRowList::kMaxRowHeight)
        return false;
    if (height == m_rowHeight)
        return true;
    m_rowHeight = height;
    if (m_list)
        m_list->OnItemRowHeightChanged(this);
    return true;
}

// ---- Change and highlight state ----

void CGridItem::OnDataChanged(int32_t fieldId)
{
    OnDataChanged(fieldId, Common::GetProcessClock());
}

void CGridItem::OnDataChanged(int32_t fieldId, int32_t now)
{
    if (fieldId == kAllFields)
        SetRowChangeTime(now);
    else if (fieldId != kNoFieldSet)
        RecordFieldChange(fieldId, now);
    CRowList* const list = m_list;
    if (list && list->GetKind() != CRowList::kDetachedList && m_parent && list->GetOwner())
        list->GetOwner()->OnItemDataChanged(*this, fieldId);
}

int32_t CGridItem::GetChangeAge(int32_t fieldId, int32_t now) const noexcept
{
    int32_t changed = GetRowChangeTime();
    if (fieldId != kAllFields && fieldId != kNoFieldSet) {
        if (const HighlightRecord* record = FindHighlightRecord(fieldId); record && record->lastChangeTime != kNever)
            changed = record->lastChangeTime;
    }
    if (changed == kNever)
        return -1;
    // A clock set back in a test must not give a negative age.
    return std::max(Common::ProcessClockDifference(now, changed), 0);
}

namespace {

struct FieldIdLess {
    bool operator()(const HighlightRecord& record, int32_t fieldId) const noexcept { return record.fieldId < fieldId; }
};

} // namespace

const HighlightRecord* CGridItem::FindHighlightRecord(int32_t fieldId) const noexcept
{
    const std::span<HighlightRecord> fields = FieldRecords();
    const auto found = std::lower_bound(fields.begin(), fields.end(), fieldId, FieldIdLess());
    return found != fields.end() && found->fieldId == fieldId ? &*found : nullptr;
}

HighlightRecord* CGridItem::FindHighlightRecord(int32_t fieldId) noexcept
{
    return const_cast<HighlightRecord*>(std::as_const(*this).FindHighlightRecord(fieldId));
}

HighlightRecord* CGridItem::RecordFieldChange(int32_t fieldId, int32_t now)
{
    if (HighlightRecord* const record = FindHighlightRecord(fieldId)) {
        record->lastChangeTime = now;
        return record;
    }
    return InsertFieldRecord({fieldId, now, kNever});
}

HighlightRecord* CGridItem::SetFieldHighlightExpiry(int32_t fieldId, int32_t now, int32_t expiry)
{
    if (HighlightRecord* const record = FindHighlightRecord(fieldId)) {
        record->expiry = expiry;
        return record;
    }
    return InsertFieldRecord({fieldId, now, expiry});
}

HighlightRecord* CGridItem::InsertFieldRecord(const HighlightRecord& record)
{
    const std::span<HighlightRecord> fields = FieldRecords();
    const auto slot = std::lower_bound(fields.begin(), fields.end(), record.fieldId, FieldIdLess()) - fields.begin();
    return InsertHighlightRecord((HasRowRecord() ? 1 : 0) + static_cast<size_t>(slot), record);
}

HighlightRecord* CGridItem::RowRecord()
{
    if (HasRowRecord())
        return &m_extras.Records()[0];
    HighlightRecord* const record = InsertHighlightRecord(0, {kRowRecordField, kNever, kNever});
    if (record != nullptr)
        m_flags |= kRowRecordFlag;
    return record;
}

void CGridItem::SetRowTime(int32_t HighlightRecord::*which, int32_t time)
{
    if (time == kNever && !HasRowRecord())
        return; // nothing to keep: no record is made for it
    if (HighlightRecord* const record = RowRecord())
        record->*which = time;
}

HighlightRecord* CGridItem::InsertHighlightRecord(size_t slot, const HighlightRecord& record)
{
    const int32_t count = m_extras.RecordCount();
    if (count == kMaxHighlightRecords)
        return nullptr;
    const int32_t room = m_extras.RecordCapacity();
    if (count == room) {
        // Slow path, the first change of a field on this row: 4 records, then
        // doubling (a row usually has a handful of changing columns), the
        // last step to kMaxHighlightRecords.
        m_extras.GrowRecords(room == 0 ? 4 : std::min(room * 2, kMaxHighlightRecords));
    }
    HighlightRecord* const begin = m_extras.Records();
    std::copy_backward(begin + slot, begin + count, begin + count + 1);
    begin[slot] = record;
    m_extras.SetRecordCount(count + 1);
    return begin + slot;
}

// ---- Sort values ----

void CGridItem::ResizeSortValues(size_t count)
{
    count = std::min(count, static_cast<size_t>(kSortValueCount));
    if (count == m_extras.SortValues().size())
        return;
    m_extras.ResetSortValues(count);
}

} // namespace Brivel::GUI
