#include "gui/rows/live_items.h"

#include "common/open_hash_table.h"
#include "gui/rows/item_pool.h"

namespace Brivel::GUI {

namespace {

using CPointerSet = Common::CAddressSet;

// The table holds only the items outside the pool (of derived classes larger
// than CGridItem): few, so it starts small.
constexpr size_t kMinCapacity = 16;

bool g_liveItemsGone = false;

struct CLiveItemsHolder {
    CPointerSet set{kMinCapacity};
    CLiveItemsHolder() = default;
    CLiveItemsHolder(const CLiveItemsHolder&) = delete;
    CLiveItemsHolder& operator=(const CLiveItemsHolder&) = delete;
    ~CLiveItemsHolder() { g_liveItemsGone = true; }
};

CPointerSet* Set()
{
    if (g_liveItemsGone)
        return nullptr;
    static CLiveItemsHolder holder;
    return &holder.set;
}

} // namespace

void CLiveItems::Add(const CGridItem* item)
{
    if (CItemPool::SetLive(item, true))
        return;
    if (CPointerSet* const set = Set())
        set->Insert(reinterpret_cast<uintptr_t>(item)); // new: the address's last item left the set
}

void CLiveItems::Remove(const CGridItem* item) noexcept
{
    if (CItemPool::SetLive(item, false))
        return;
    if (CPointerSet* const set = Set())
        if (uintptr_t* const slot = set->Find(reinterpret_cast<uintptr_t>(item)))
            set->Erase(slot);
}

bool CLiveItems::Contains(const void* handle) noexcept
{
    switch (CItemPool::CellOf(handle)) {
    case CItemPool::ECell::kLive:
        return true;
    case CItemPool::ECell::kFree:
        return false;
    case CItemPool::ECell::kNone:
        break;
    }
    const CPointerSet* const set = Set();
    return set != nullptr && set->Find(reinterpret_cast<uintptr_t>(handle)) != nullptr;
}

size_t CLiveItems::Count() noexcept
{
    const CPointerSet* const set = Set();
    return CItemPool::LiveCount() + (set ? set->Size() : 0);
}

} // namespace Brivel::GUI
