#pragma once
// Doubles for the row-tree and dispatcher tests: a data object without fields
// that can run code inside its destructor, a filter over a set of items, and
// a fake grid (IRowListOwner) that owns a pinned and a body list and records
// every call the lists make.

#include "common/data_object.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/row_filter.h"
#include "gui/rows/row_list.h"
#include "gui/rows/row_list_owner.h"

#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace Brivel::GUI::Testing {

// A data object with no fields. afterAnnouncement runs in its destructor once
// every sink has been told (while the object is still whole).
class CProbeObject final : public Common::CDataObject {
public:
    CProbeObject() = default;
    ~CProbeObject() override
    {
        AnnounceDeletion();
        if (afterAnnouncement)
            afterAnnouncement(this);
    }
    const Common::CFieldMap* GetFieldMap() const override { return nullptr; }

    std::function<void(CProbeObject*)> afterAnnouncement;
};

// Hides the items in `hidden`.
class CSetFilter final : public IRowFilter {
public:
    bool IsFiltered(CGrid*, CGridItem* item, Common::CDataObject*) override
    {
        ++calls;
        return hidden.count(item) != 0;
    }
    std::set<const CGridItem*> hidden;
    int calls = 0;
};

// A grid stand-in: owns its two lists and records what they report.
class CFakeOwner final : public IRowListOwner {
public:
    struct Event {
        int32_t code;
        CGridItem* item;
        friend bool operator==(const Event&, const Event&) = default;
    };
    struct RowsChange {
        CRowList* list;
        int32_t firstRow;
        int32_t lastRow;
    };
    struct DataChange {
        CGridItem* item;
        int32_t fieldId;
        std::thread::id thread;
    };

    CFakeOwner() = default;
    CFakeOwner(const CFakeOwner&) = delete;
    CFakeOwner& operator=(const CFakeOwner&) = delete;
    ~CFakeOwner() = default;

    void NotifyItem(int32_t code, CGridItem& item) override
    {
        events.push_back({code, &item});
        if (onNotify)
            onNotify(code, item);
    }
    void OnRowsChanged(CRowList& list, int32_t firstRow, int32_t lastRow) override
    {
        rowsChanged.push_back({&list, firstRow, lastRow});
    }
    void InvalidateItem(CGridItem& item) override { invalidated.push_back(&item); }
    int32_t GetFocusRow(const CRowList& list) const override { return &list == focusList ? focusRow : -1; }
    void SetFocusRow(CRowList& list, int32_t row) override
    {
        focusList = row < 0 ? nullptr : &list;
        focusRow = row;
        ++focusMoves;
    }
    bool IsSelectionEnabled() const override { return selectionEnabled; }
    bool IsMultipleSelection() const override { return multipleSelection; }
    bool HasSelection() const override { return pinned.GetSelectedCount() + body.GetSelectedCount() > 0; }
    IRowFilter* GetRowFilter() const override { return filter; }
    CGrid* GetGrid() const override { return nullptr; }
    void OnItemDataChanged(CGridItem& item, int32_t fieldId) override
    {
        dataChanges.push_back({&item, fieldId, std::this_thread::get_id()});
    }
    void RemoveItemOfDisposedObject(CGridItem& item) override
    {
        ++disposalRemovals;
        if (removeOnDisposal)
            CRowList::DestroyItem(&item);
    }

    // The focus row in `list`, as the grid would hold it.
    void Focus(CRowList& list, int32_t row)
    {
        focusList = &list;
        focusRow = row;
    }
    std::vector<int32_t> Codes() const
    {
        std::vector<int32_t> codes;
        for (const Event& event : events)
            codes.push_back(event.code);
        return codes;
    }
    void ClearRecords()
    {
        events.clear();
        rowsChanged.clear();
        invalidated.clear();
        dataChanges.clear();
        focusMoves = 0;
    }

    std::vector<Event> events;
    std::vector<RowsChange> rowsChanged;
    std::vector<CGridItem*> invalidated;
    std::vector<DataChange> dataChanges;
    std::function<void(int32_t, CGridItem&)> onNotify;
    CRowList* focusList = nullptr;
    int32_t focusRow = -1;
    int focusMoves = 0;
    bool selectionEnabled = true;
    bool multipleSelection = true;
    IRowFilter* filter = nullptr;
    bool removeOnDisposal = true;
    int disposalRemovals = 0;

    // Last, so that they go first: the lists call nothing on their owner
    // from their destructors, but their items' disposal may look at it.
    CRowList pinned{CRowList::kPinnedList, this};
    CRowList body{CRowList::kBodyList, this};
};

// Items of `list` in row order.
inline std::vector<CGridItem*> RowsOf(const CRowList& list)
{
    std::vector<CGridItem*> rows;
    list.ForEachRow(0, list.GetRowCount(), [&rows](CGridItem* item) { rows.push_back(item); });
    return rows;
}

} // namespace Brivel::GUI::Testing
