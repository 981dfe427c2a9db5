#include "common/field_map.h"

#include <algorithm>

namespace Brivel::Common {

namespace {

template <class Fields>
auto LowerBound(Fields& fields, int32_t id)
{
    return std::lower_bound(fields.begin(), fields.end(), id,
                            [](const auto& entry, int32_t key) { return entry.first < key; });
}

} // namespace

CFieldMap::~CFieldMap() = default;

bool CFieldMap::Add(int32_t id, std::unique_ptr<CField>&& field)
{
    if (!field)
        return false;
    const auto at = LowerBound(m_fields, id);
    if (at != m_fields.end() && at->first == id)
        return false;
    // Fields arrive in ascending id order from a field table, so this is
    // an append in practice.
    m_fields.emplace(at, id, std::move(field));
    return true;
}

const CField* CFieldMap::Find(int32_t id) const noexcept
{
    for (const CFieldMap* map = this; map; map = map->m_parent) {
        const auto at = LowerBound(map->m_fields, id);
        if (at != map->m_fields.end() && at->first == id)
            return at->second.get();
    }
    return nullptr;
}

void CFieldMap::CollectFields(std::set<const CField*>& fields) const
{
    for (const auto& entry : m_fields)
        fields.insert(entry.second.get());
}

bool CFieldMap::SetParent(const CFieldMap* parent) noexcept
{
    for (const CFieldMap* map = parent; map; map = map->m_parent) {
        if (map == this)
            return false;
    }
    m_parent = parent;
    return true;
}

} // namespace Brivel::Common
