#pragma once
// CDynamicObject: a data object whose values are entries stored per object,
// keyed by field identifier, and whose field descriptions are added at run
// time to a field map of its own.
//
// The grid's paste and drop build such objects from imported rows, and the
// header configuration dialog uses them for its own rows. To a grid it looks
// like any other CDataObject; it differs in where values live:
//   - the map's fields only describe values (name, kind, format) and have no
//     getter or setter (CField::CreateDescription makes such fields);
//   - a value can be stored for an identifier that has no field: it can be
//     read and written by identifier, but SetText and GetFieldName need a
//     field;
//   - IsReadable / IsWritable answer whether a value is stored, and
//     GetFieldKind gives the stored value's kind;
//   - SetValue (and every typed setter, which goes through it) announces a
//     change with NotifyUpdate when the announce flag is set and the value
//     really changed; SetText announces every successful parse;
//   - identifiers -1 and -2 are refused by every write and by AddField.
//
// Ownership: the object owns its map (and with it the fields added to it)
// and its values. Destruction announces the deletion first, while the map
// and the values still exist, then frees the map, the values and the lock.
// Thread: any thread. One lock, separate from the subscriber lock of the
// base, makes each operation atomic with respect to the others; NotifyUpdate
// always runs after it is released, so subscribers may read the object back
// at once. The map returned by GetFieldMap grows under that lock: walk it
// only through GetFields / GetFieldIds while other threads may add fields.

#include "common/data_object.h"
#include "common/field_map.h"
#include "common/field_value.h"
#include "common/lock.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace Brivel::Common {

class CDynamicObject : public CDataObject {
public:
    // announce: whether changes call NotifyUpdate (every creator in the
    // library passes true).
    explicit CDynamicObject(bool announce = true) : m_announce(announce) {}
    ~CDynamicObject() override;

    // ---- Slots 1-44, in the base's order ----
    CFieldRef GetField(int32_t id) const override;
    void GetFields(FieldRefSet& fields) const override;
    // The identifiers of the map's fields together with every identifier
    // that has a stored value.
    void GetFieldIds(FieldIdSet& ids) const override;
    const CFieldMap* GetFieldMap() const override { return &m_map; }
    bool IsReadable(int32_t id) const override;
    bool IsWritable(int32_t id) const override;
    ValueKind GetFieldKind(int32_t id) const override;
    std::string GetFieldName(int32_t id) const override;
    const CFormat* GetFieldFormat(int32_t id) const override;

    CString GetCString(int32_t id) const override;
    std::string GetStdString(int32_t id) const override;
    int8_t GetChar(int32_t id) const override;
    uint8_t GetUChar(int32_t id) const override;
    int16_t GetShort(int32_t id) const override;
    uint16_t GetUShort(int32_t id) const override;
    int32_t GetLong(int32_t id) const override;
    uint32_t GetULong(int32_t id) const override;
    int64_t GetInt64(int32_t id) const override;
    bool GetBool(int32_t id) const override;
    float GetFloat(int32_t id) const override;
    double GetDouble(int32_t id) const override;
    OpaqueWord GetOpaque(int32_t id) const override;

    // A copy of the stored value; kind 0 when none is stored.
    CFieldValue GetValue(int32_t id) const override;

    bool SetCString(int32_t id, const CString& value) override;
    bool SetStdString(int32_t id, const std::string& value) override;
    bool SetChar(int32_t id, int8_t value) override;
    bool SetUChar(int32_t id, uint8_t value) override;
    bool SetShort(int32_t id, int16_t value) override;
    bool SetUShort(int32_t id, uint16_t value) override;
    bool SetLong(int32_t id, int32_t value) override;
    bool SetULong(int32_t id, uint32_t value) override;
    bool SetInt64(int32_t id, int64_t value) override;
    bool SetBool(int32_t id, bool value) override;
    bool SetFloat(int32_t id, float value) override;
    bool SetDouble(int32_t id, double value) override;
    bool SetOpaque(int32_t id, OpaqueWord value) override;

    // Stores a copy of value (its kind too) and returns true; false only for
    // the identifiers -1 and -2. Announces when the stored value had kind 0
    // or was not equal to the new one.
    bool SetValue(int32_t id, const CFieldValue& value) override;

    // The format passed, else the registered field's, else the default
    // format of the stored value's kind; empty for a value of kind 0.
    CString GetTextCString(int32_t id, const CFormat* format = nullptr) const override;
    // Needs a registered field. Parses with the format passed, else the
    // field's, else the default format of the field's kind, into the stored
    // value (or a new one, stored only on success). Announces every success
    // without comparing old and new.
    bool SetText(int32_t id, const CString& text, const CFormat* format = nullptr) override;
    std::string GetText(int32_t id, const CFormat* format = nullptr) const override;
    bool SetText(int32_t id, const std::string& text, const CFormat* format = nullptr) override;

    // ---- Slot 45 ----
    // Adds field to the object's map, which takes it. False, leaving the
    // caller owning the field, for a null field, the identifiers -1 and -2,
    // or an identifier already in the map.
    virtual bool AddField(std::unique_ptr<CField>&& field);

private:
    template <class T>
    T GetTyped(int32_t id) const;
    template <class Text>
    Text GetTextAs(int32_t id, const CFormat* format) const;
    template <class Text>
    bool SetTextAs(int32_t id, const Text& text, const CFormat* format);

    static bool IsReservedId(int32_t id) noexcept { return id == FieldIdNone || id == FieldIdNotSet; }

    const bool m_announce;
    // Declared first so that it is destroyed last (after the values and the map).
    mutable CLock m_lock;
    std::map<int32_t, CFieldValue> m_values; // Guarded by m_lock.
    CFieldMap m_map;                         // Guarded by m_lock.
};

} // namespace Brivel::Common
