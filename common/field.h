#pragma once
// CField: one field of a data object class.
//
// A field links a numeric identifier to the code that reads and writes the
// value: it holds the identifier, a display name, the value kind, an optional
// format, the getter and setter as written in the class's field table, and
// the getter and setter themselves.
//
// The getter and setter are plain function pointers taking the target data
// object (never the field): FieldGetter<T> is `T (*)(const CDataObject&)`,
// FieldSetter<T> is `void (*)(CDataObject&, ValueArg<T>)` (the string types
// by const reference). The declaration aids of field_table.h generate them
// from member functions such as `int32_t CTestObject::GetValue1() const`, so
// a field read is one indirect call with no allocation beyond what the
// getter itself returns. Neither pointer carries the kind: the kind member is
// the only type tag, and the typed accessors (GetGetter<T>, GetLongGetter,
// ...) give a null pointer when asked for another kind than the field's.
//
// There is one constructor per kind; the getter's type chooses it (a field
// without a getter passes a typed null, e.g. FieldGetter<int32_t>{}). Each of
// the three texts (display name, getter name, setter name) is kept only when
// it is not null, not empty and does not start with '0': a field table passes
// "0" for a missing setter.
//
// Ownership: a field owns its strings and its format. A CFieldMap owns the
// fields registered in it.
// Thread: a field is immutable once registered; any thread may read it.

#include "common/cstring.h"
#include "common/format.h"
#include "common/value_kind.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Brivel::Common {

class CDataObject;

// Reads the value of a field of kind KindOf<T> from `target`.
template <class T>
using FieldGetter = T (*)(const CDataObject& target);
// Writes the value of a field of kind KindOf<T> into `target`.
template <class T>
using FieldSetter = void (*)(CDataObject& target, ValueArg<T> value);

class CField {
public:
    // A field of the getter's kind, with its identifier, display name, getter,
    // setter (a typed null for none), optional format and the getter's and
    // setter's names as written in the field table (see the top of this file).
    CField(int32_t id, const char* name, FieldGetter<CString> getter, FieldSetter<CString> setter,
           std::unique_ptr<CFormat> format = nullptr, const char* getterName = nullptr, const char* setterName = nullptr);
    CField(int32_t id, const char* name, FieldGetter<std::string> getter, FieldSetter<std::string> setter,
           std::unique_ptr<CFormat> format = nullptr, const char* getterName = nullptr, const char* setterName = nullptr);
    CField(int32_t id, const char* name, FieldGetter<int8_t> getter, FieldSetter<int8_t> setter,
           std::unique_ptr<CFormat> format = nullptr, const char* getterName = nullptr, const char* setterName = nullptr);
    CField(int32_t id, const char* name, FieldGetter<uint8_t> getter, FieldSetter<uint8_t> setter,
           std::unique_ptr<CFormat> format = nullptr, const char* getterName = nullptr, const char* setterName = nullptr);
    CField(int32_t id, const char* name, FieldGetter<int16_t> getter, FieldSetter<int16_t> setter,
           std::unique_ptr<CFormat> format = nullptr, const char* getterName = nullptr, const char* setterName = nullptr);
    CField(int32_t id, const char* name, FieldGetter<uint16_t> getter, FieldSetter<uint16_t> setter,
           std::unique_ptr<CFormat> format = nullptr, const char* getterName = nullptr, const char* setterName = nullptr);
    CField(int32_t id, const char* name, FieldGetter<int32_t> getter, FieldSetter<int32_t> setter,
           std::unique_ptr<CFormat> format = nullptr, const char* getterName = nullptr, const char* setterName = nullptr);
    CField(int32_t id, const char* name, FieldGetter<uint32_t> getter, FieldSetter<uint32_t> setter,
           std::unique_ptr<CFormat> format = nullptr, const char* getterName = nullptr, const char* setterName = nullptr);
    CField(int32_t id, const char* name, FieldGetter<int64_t> getter, FieldSetter<int64_t> setter,
           std::unique_ptr<CFormat> format = nullptr, const char* getterName = nullptr, const char* setterName = nullptr);
    CField(int32_t id, const char* name, FieldGetter<bool> getter, FieldSetter<bool> setter,
           std::unique_ptr<CFormat> format = nullptr, const char* getterName = nullptr, const char* setterName = nullptr);
    CField(int32_t id, const char* name, FieldGetter<float> getter, FieldSetter<float> setter,
           std::unique_ptr<CFormat> format = nullptr, const char* getterName = nullptr, const char* setterName = nullptr);
    CField(int32_t id, const char* name, FieldGetter<double> getter, FieldSetter<double> setter,
           std::unique_ptr<CFormat> format = nullptr, const char* getterName = nullptr, const char* setterName = nullptr);
    CField(int32_t id, const char* name, FieldGetter<OpaqueWord> getter, FieldSetter<OpaqueWord> setter,
           std::unique_ptr<CFormat> format = nullptr, const char* getterName = nullptr, const char* setterName = nullptr);

    // A field that only describes a value (name, kind, format) and has
    // neither getter nor setter, as dynamic objects use. Null for a kind
    // outside 1..13.
    static std::unique_ptr<CField> CreateDescription(int32_t id, const char* name, ValueKind kind,
                                                     std::unique_ptr<CFormat> format = nullptr);

    // Starts from the unset state (id -2, kind 0, no texts, format or
    // callables), then assigns from other.
    CField(const CField& other);
    // Copies everything; the format is replaced by a clone of other's (or by
    // none). Assigning a field to itself changes nothing.
    CField& operator=(const CField& other);
    virtual ~CField(); // slot 0

    virtual std::unique_ptr<CField> Clone() const; // slot 1 (a copy, owned by the caller)

    int32_t GetId() const noexcept { return m_id; } // the identifier
    std::string GetName() const { return m_name; } // the display name; empty when none was given
    ValueKind GetKind() const noexcept { return m_kind; } // the value kind
    // The field's own format, or null.
    const CFormat* GetFormat() const noexcept { return m_format.get(); }
    // The field's own format, else the default format of its kind.
    const CFormat& GetEffectiveFormat() const { return m_format ? *m_format : GetDefaultFormat(m_kind); }
    const std::string& GetGetterName() const noexcept { return m_getterName; } // as written in the field table; empty when none
    const std::string& GetSetterName() const noexcept { return m_setterName; } // as written in the field table; empty when none
    bool HasGetter() const noexcept { return m_getter != nullptr; } // the field can be read
    bool HasSetter() const noexcept { return m_setter != nullptr; } // the field can be written

    // The typed getter and setter; null when the field has none or when T is
    // not the field's kind.
    template <class T>
    FieldGetter<T> GetGetter() const noexcept
    {
        return m_kind == KindOf<T> ? reinterpret_cast<FieldGetter<T>>(m_getter) : nullptr;
    }
    // The typed setter, as GetGetter.
    template <class T>
    FieldSetter<T> GetSetter() const noexcept
    {
        return m_kind == KindOf<T> ? reinterpret_cast<FieldSetter<T>>(m_setter) : nullptr;
    }

    // GetGetter<T> for each kind's value type.
    FieldGetter<CString> GetCStringGetter() const noexcept { return GetGetter<CString>(); }
    FieldGetter<std::string> GetStdStringGetter() const noexcept { return GetGetter<std::string>(); }
    FieldGetter<int8_t> GetCharGetter() const noexcept { return GetGetter<int8_t>(); }
    FieldGetter<uint8_t> GetUCharGetter() const noexcept { return GetGetter<uint8_t>(); }
    FieldGetter<int16_t> GetShortGetter() const noexcept { return GetGetter<int16_t>(); }
    FieldGetter<uint16_t> GetUShortGetter() const noexcept { return GetGetter<uint16_t>(); }
    FieldGetter<int32_t> GetLongGetter() const noexcept { return GetGetter<int32_t>(); }
    FieldGetter<uint32_t> GetULongGetter() const noexcept { return GetGetter<uint32_t>(); }
    FieldGetter<int64_t> GetInt64Getter() const noexcept { return GetGetter<int64_t>(); }
    FieldGetter<bool> GetBoolGetter() const noexcept { return GetGetter<bool>(); }
    FieldGetter<float> GetFloatGetter() const noexcept { return GetGetter<float>(); }
    FieldGetter<double> GetDoubleGetter() const noexcept { return GetGetter<double>(); }
    FieldGetter<OpaqueWord> GetOpaqueGetter() const noexcept { return GetGetter<OpaqueWord>(); }

    // GetSetter<T> for each kind's value type.
    FieldSetter<CString> GetCStringSetter() const noexcept { return GetSetter<CString>(); }
    FieldSetter<std::string> GetStdStringSetter() const noexcept { return GetSetter<std::string>(); }
    FieldSetter<int8_t> GetCharSetter() const noexcept { return GetSetter<int8_t>(); }
    FieldSetter<uint8_t> GetUCharSetter() const noexcept { return GetSetter<uint8_t>(); }
    FieldSetter<int16_t> GetShortSetter() const noexcept { return GetSetter<int16_t>(); }
    FieldSetter<uint16_t> GetUShortSetter() const noexcept { return GetSetter<uint16_t>(); }
    FieldSetter<int32_t> GetLongSetter() const noexcept { return GetSetter<int32_t>(); }
    FieldSetter<uint32_t> GetULongSetter() const noexcept { return GetSetter<uint32_t>(); }
    FieldSetter<int64_t> GetInt64Setter() const noexcept { return GetSetter<int64_t>(); }
    FieldSetter<bool> GetBoolSetter() const noexcept { return GetSetter<bool>(); }
    FieldSetter<float> GetFloatSetter() const noexcept { return GetSetter<float>(); }
    FieldSetter<double> GetDoubleSetter() const noexcept { return GetSetter<double>(); }
    FieldSetter<OpaqueWord> GetOpaqueSetter() const noexcept { return GetSetter<OpaqueWord>(); }

private:
    // Type-erased function pointer; converted back to its own type (checked
    // against m_kind) before every call.
    using ErasedFunction = void (*)();

    template <class T>
    void Initialize(int32_t id, const char* name, FieldGetter<T> getter, FieldSetter<T> setter,
                    std::unique_ptr<CFormat> format, const char* getterName, const char* setterName);

    int32_t m_id = FieldIdNotSet;
    std::string m_name;
    ValueKind m_kind = KindNone;
    std::unique_ptr<CFormat> m_format; // may be null
    std::string m_getterName;
    std::string m_setterName;
    ErasedFunction m_getter = nullptr; // a FieldGetter<T> of the field's kind, or null
    ErasedFunction m_setter = nullptr; // a FieldSetter<T> of the field's kind, or null
};

} // namespace Brivel::Common
