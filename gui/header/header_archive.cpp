// CHeader's stored form: Serialize, Store and Load. The layout is described
// in header.h.
#include "gui/header/header.h"

#include "gui/header/header_impl.h"

#include "platform/archive.h"

#include <algorithm>

namespace Brivel::GUI {

namespace {

using Platform::CArchive;
using Platform::CArchiveException;

// What a stored header holds, read in full before the header changes.
struct StoredHeader {
    std::vector<std::unique_ptr<CColumn>> columns;
    int32_t fixedCount = 0;
    int32_t height = CHeader::kDefaultHeight;
    bool sortingEnabled = true;
    bool multiSortEnabled = true;
    std::vector<CSortInfo> sortLevels;
    bool fixedMovable = true;
    bool scrollableMovable = true;
    bool thirdFlag = true;
    int32_t searchColumn = 0;
};

// Reads one column stored as a class reference and the column's own form.
// Null for a class this program does not know: its form is read into a
// temporary column and dropped.
std::unique_ptr<CColumn> ReadColumn(CArchive& ar)
{
    const CArchive::CClassRef ref = ar.ReadClassRef();
    if (ref.IsNull())
        CArchive::Throw(CArchiveException::kBadClass, "header: a column was stored without its class");
    if (ref.runtimeClass == nullptr) {
        CColumn skipped;
        skipped.Serialize(ar);
        return nullptr;
    }
    if (ref.schema > ref.runtimeClass->GetSchema())
        CArchive::Throw(CArchiveException::kBadSchema, "header: column class \"" + ref.name +
                                                           "\" stored with a newer schema");
    if (!ref.runtimeClass->IsDerivedFrom(CColumn::RuntimeClass()))
        CArchive::Throw(CArchiveException::kBadClass, "header: \"" + ref.name + "\" is not a column class");
    std::unique_ptr<Platform::CObject> object = ref.runtimeClass->CreateObject();
    auto* column = dynamic_cast<CColumn*>(object.get());
    if (column == nullptr)
        CArchive::Throw(CArchiveException::kBadClass, "header: column class \"" + ref.name + "\" cannot be created");
    object.release();
    std::unique_ptr<CColumn> owned(column);
    owned->Serialize(ar);
    return owned;
}

} // namespace

void CHeader::Serialize(Platform::CArchive& ar)
{
    if (ar.IsStoring())
        Store(ar);
    else
        Load(ar);
}

void CHeader::Store(Platform::CArchive& ar) const
{
    const Impl& impl = *m_impl;
    Common::CLockGuard guard(impl.m_lock);
    ar << kVersion << int32_t(impl.m_columns.size());
    for (const Impl::ColumnSlot& slot : impl.m_columns) {
        ar.WriteClass(*slot.column->GetRuntimeClass());
        slot.column->Serialize(ar);
    }
    ar << impl.m_fixedCount << impl.m_height.load() << impl.m_sortingEnabled << impl.m_multiSortEnabled;
    ar << int32_t(impl.m_sort.size());
    for (CSortInfo level : impl.m_sort)
        level.Serialize(ar);
    ar << impl.m_fixedMovable << impl.m_scrollableMovable << impl.m_thirdFlag << impl.m_searchColumn;
}

void CHeader::Load(Platform::CArchive& ar)
{
    if (ar.ReadVersion(kVersion, "header") <= 0)
        return;

    StoredHeader stored;
    const int32_t columnCount = ar.ReadInt32();
    // No reservation from the stored count: a corrupt count ends at the end
    // of the stream instead of in a huge allocation.
    for (int32_t i = 0; i < columnCount; ++i) {
        if (std::unique_ptr<CColumn> column = ReadColumn(ar))
            stored.columns.push_back(std::move(column));
    }
    stored.fixedCount = ar.ReadInt32();
    stored.height = ar.ReadInt32();
    stored.sortingEnabled = ar.ReadByte() != 0;
    stored.multiSortEnabled = ar.ReadByte() != 0;
    const int32_t levelCount = ar.ReadInt32();
    for (int32_t level = 0; level < levelCount; ++level) {
        CSortInfo info;
        info.Serialize(ar);
        // Levels beyond the fifth are read to stay in step, then ignored.
        if (level < kMaxSortLevels)
            stored.sortLevels.push_back(info);
    }
    stored.fixedMovable = ar.ReadByte() != 0;
    stored.scrollableMovable = ar.ReadByte() != 0;
    stored.thirdFlag = ar.ReadByte() != 0;
    stored.searchColumn = ar.ReadInt32();

    // Apply, through the public operations where they notify.
    RemoveAllColumns();
    for (std::unique_ptr<CColumn>& column : stored.columns)
        AddColumn(std::move(column)); // a refused column is dropped with `stored`

    Impl& impl = *m_impl;
    bool fixedCountChanged = false;
    bool heightChanged = false;
    bool sortCleared = false;
    {
        Common::CLockGuard guard(impl.m_lock);
        const int32_t fixedCount = std::max(stored.fixedCount, 0);
        fixedCountChanged = impl.m_fixedCount != fixedCount;
        heightChanged = impl.m_height != stored.height;
        sortCleared = !impl.m_sort.empty();
        impl.m_fixedCount = fixedCount;
        impl.m_height = stored.height;
        impl.m_sortingEnabled = stored.sortingEnabled;
        impl.m_multiSortEnabled = stored.multiSortEnabled;
        impl.m_sort.clear();
        impl.m_fixedMovable = stored.fixedMovable;
        impl.m_scrollableMovable = stored.scrollableMovable;
        impl.m_thirdFlag = stored.thirdFlag;
        impl.m_searchColumn = stored.searchColumn;
        impl.Rebuild();
    }
    if (fixedCountChanged)
        impl.Notify(nullptr, INotify::kFixedCountChanged);
    if (heightChanged)
        impl.Notify(nullptr, INotify::kHeightChanged);
    if (sortCleared)
        impl.Notify(nullptr, INotify::kSortChanged);
    for (size_t level = 0; level < stored.sortLevels.size(); ++level)
        SetSortInfo(int32_t(level), stored.sortLevels[level]);
}

} // namespace Brivel::GUI
