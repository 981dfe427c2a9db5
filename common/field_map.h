#pragma once
// CFieldMap: the table of the fields of one data object class, keyed by
// field identifier.
//
// Every data object class with fields has one map, shared by all its
// instances, filled once at program start by its field table (see
// field_table.h) and read-only from then on. A dynamic object has a map of
// its own that grows at run time under that object's lock.
//
// A map may have a parent map: Find looks there when the identifier is not
// in this map. Nothing in the library sets a parent; SetParent exists for
// class hierarchies that share a base table.
//
// Ownership: the map owns the fields registered in it and deletes them when
// it is destroyed. The parent is borrowed: it must outlive this map.
// Thread: a class map has no lock. It is filled before other threads start
// and only read afterwards, so lookups may run on any thread at once; Add and
// SetParent need the owner's exclusion.

#include "common/field.h"

#include <cstdint>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace Brivel::Common {

class CFieldMap {
public:
    CFieldMap() = default;
    CFieldMap(const CFieldMap&) = delete;
    CFieldMap& operator=(const CFieldMap&) = delete;
    virtual ~CFieldMap(); // slot 0

    // Registers field under id. False for a null field or an id already in
    // this map: the map is then unchanged and field keeps its object (the
    // caller still owns it). On success the map takes the field.
    bool Add(int32_t id, std::unique_ptr<CField>&& field);

    // The field registered under id here, else in the parent chain; null if
    // none. One binary search per map.
    const CField* Find(int32_t id) const noexcept;

    // Inserts every field of this map (not of its parent) into fields.
    void CollectFields(std::set<const CField*>& fields) const;

    // The fields of this map (not of its parent), in ascending id order.
    size_t GetFieldCount() const noexcept { return m_fields.size(); }
    const CField& GetFieldAt(size_t index) const { return *m_fields[index].second; } // index below the field count

    const CFieldMap* GetParent() const noexcept { return m_parent; } // the base class's map; null: none
    // Sets or clears (null) the parent. Refused (false) when the new parent
    // is this map or has it in its own chain, which would make Find loop.
    bool SetParent(const CFieldMap* parent) noexcept;

private:
    // Sorted by id; ids unique. A flat array: class maps are small and read
    // on every cell a grid paints.
    std::vector<std::pair<int32_t, std::unique_ptr<CField>>> m_fields;
    const CFieldMap* m_parent = nullptr; // Not owned; outlives this.
};

} // namespace Brivel::Common
