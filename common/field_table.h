#pragma once
// Declaration aids for a data object class's field table.
//
// A class with fields declares its map in its class body and writes its
// table, one line per field, in its source file:
//
//   // test_object.h
//   class CTestObject : public Brivel::Common::CDataObject {
//       BRIVEL_DECLARE_FIELD_MAP()
//   public:
//       std::string GetName() const;
//       int32_t GetValue1() const;
//       void SetValue1(int32_t value);
//       ...
//   };
//
//   // test_object.cpp
//   BRIVEL_BEGIN_FIELD_MAP(CTestObject)
//       BRIVEL_FIELD(0, "Name", &CTestObject::GetName, 0, nullptr)
//       BRIVEL_FIELD(1, "Value 1", &CTestObject::GetValue1, &CTestObject::SetValue1, nullptr)
//       BRIVEL_FIELD(2, "Stamp", &CTestObject::GetStamp, 0, std::make_unique<CInt64DateFormat>(240))
//   BRIVEL_END_FIELD_MAP()
//
// What this produces:
//   1. a static accessor, `static const CFieldMap& GetClassFieldMap()`, whose
//      map is a function-local static, built and filled on its first call
//      and destroyed at program exit;
//   2. a static object in the class's source file that calls the accessor
//      during static initialisation, so that the map is filled then: for each
//      line, in the order written (ascending ids), a CField made of (id,
//      display name, the getter, the setter or none, the format or none, the
//      getter as written, the setter as written, e.g.
//      "&CTestObject::GetValue1" and "0") is handed to the map's Add;
//   3. the override of the data object's field-map operation,
//      `const CFieldMap* GetFieldMap() const override`, returning that map.
// A call of the accessor before the static object has run (from another
// file's static initialiser) fills the map then, so the map is never seen
// half-built or empty.
//
// BRIVEL_DECLARE_FIELD_MAP leaves the class body's access at `public:`.
// The getter is a member function taking nothing and returning the value
// (by value, or by const reference for the string types); the value type
// chooses the field's kind (see value_kind.h: kind 3 is int8_t, not char).
// The setter is a member function taking the value (the string types by
// value or const reference), or the literal 0 (or nullptr) for none. The
// format is an expression convertible to std::unique_ptr<CFormat>, or
// nullptr. Getters and setters may be private members.
//
// Calls cost one indirect call: the field stores a small generated function
// per getter and setter that casts the data object to the class and calls
// the member; nothing is allocated per call.

#include "common/data_object.h"
#include "common/field.h"
#include "common/field_map.h"

#include <cassert>
#include <memory>
#include <type_traits>

namespace Brivel::Common::FieldTable {

// ---- Member function shapes ----

template <class Member>
struct GetterShape {
    static constexpr bool valid = false;
};
template <class C, class R>
struct GetterShape<R (C::*)() const> {
    static constexpr bool valid = true;
    using Class = C;
    using Result = R;
};
template <class C, class R>
struct GetterShape<R (C::*)() const noexcept> : GetterShape<R (C::*)() const> {};

template <class Member>
struct SetterShape {
    static constexpr bool valid = false;
};
template <class C, class R, class A>
struct SetterShape<R (C::*)(A)> {
    static constexpr bool valid = true;
    using Class = C;
    using Argument = A;
};
template <class C, class R, class A>
struct SetterShape<R (C::*)(A) noexcept> : SetterShape<R (C::*)(A)> {};

// ---- Thunks: the member call behind a FieldGetter / FieldSetter ----

template <auto Getter>
struct GetterThunk {
    using Shape = GetterShape<decltype(Getter)>;
    static_assert(Shape::valid, "a field getter is a const member function taking no argument and returning the value");
    using Class = typename Shape::Class;
    using Value = std::remove_cvref_t<typename Shape::Result>;
    static_assert(IsValueType<Value>, "the getter's type is not a value kind (see value_kind.h)");

    static Value Call(const CDataObject& target) { return (static_cast<const Class&>(target).*Getter)(); }
};

template <class Value, auto Setter>
struct SetterThunk {
    using Shape = SetterShape<decltype(Setter)>;
    static_assert(Shape::valid, "a field setter is a member function taking the value, or 0 for none");
    using Class = typename Shape::Class;
    static_assert(std::is_same_v<std::remove_cvref_t<typename Shape::Argument>, Value>,
                  "the setter takes another type than the getter returns");

    static void Call(CDataObject& target, ValueArg<Value> value) { (static_cast<Class&>(target).*Setter)(value); }
};

// The setter of a table line: null for the literal 0 or nullptr.
template <class Value, auto Setter>
constexpr FieldSetter<Value> MakeSetter() noexcept
{
    if constexpr (std::is_null_pointer_v<decltype(Setter)>) {
        return nullptr;
    } else if constexpr (std::is_integral_v<decltype(Setter)>) {
        static_assert(Setter == 0, "write 0 for a field without a setter");
        return nullptr;
    } else {
        return &SetterThunk<Value, Setter>::Call;
    }
}

// One line of a field table.
template <auto Getter, auto Setter>
void AddField(CFieldMap& map, int32_t id, const char* name, std::unique_ptr<CFormat> format,
              const char* getterName, const char* setterName)
{
    using Value = typename GetterThunk<Getter>::Value;
    assert((map.GetFieldCount() == 0 || map.GetFieldAt(map.GetFieldCount() - 1).GetId() < id) &&
           "field table lines must be in ascending id order, each id once");
    map.Add(id, std::make_unique<CField>(id, name, FieldGetter<Value>(&GetterThunk<Getter>::Call),
                                         MakeSetter<Value, Setter>(), std::move(format), getterName, setterName));
}

// The static object of step 2: fills a class map during static
// initialisation by calling its accessor.
class CRegistrar {
public:
    explicit CRegistrar(const CFieldMap& (*accessor)()) { accessor(); }
};

} // namespace Brivel::Common::FieldTable

// Pastes two tokens after expanding them (for unique registrar names).
#define BRIVEL_FIELD_TABLE_CONCAT_(a, b) a##b
// See BRIVEL_FIELD_TABLE_CONCAT_.
#define BRIVEL_FIELD_TABLE_CONCAT(a, b) BRIVEL_FIELD_TABLE_CONCAT_(a, b)

// In the class body. Leaves the access at public.
#define BRIVEL_DECLARE_FIELD_MAP()                                                                 \
public:                                                                                            \
    static const ::Brivel::Common::CFieldMap& GetClassFieldMap();                                  \
    const ::Brivel::Common::CFieldMap* GetFieldMap() const override;                               \
    static void FillClassFieldMap(::Brivel::Common::CFieldMap& brivelFieldMap);                    \
                                                                                                   \
public:

// In the class's source file, at namespace scope.
#define BRIVEL_BEGIN_FIELD_MAP(Class)                                                              \
    const ::Brivel::Common::CFieldMap& Class::GetClassFieldMap()                                   \
    {                                                                                              \
        static ::Brivel::Common::CFieldMap s_map;                                                  \
        static const bool s_filled = (Class::FillClassFieldMap(s_map), true);                      \
        (void)s_filled;                                                                            \
        return s_map;                                                                              \
    }                                                                                              \
    const ::Brivel::Common::CFieldMap* Class::GetFieldMap() const                                  \
    {                                                                                              \
        return &Class::GetClassFieldMap();                                                         \
    }                                                                                              \
    namespace {                                                                                    \
    const ::Brivel::Common::FieldTable::CRegistrar BRIVEL_FIELD_TABLE_CONCAT(s_fieldTableRegistrar, \
                                                                             __LINE__){            \
        &Class::GetClassFieldMap};                                                                 \
    }                                                                                              \
    void Class::FillClassFieldMap(::Brivel::Common::CFieldMap& brivelFieldMap)                     \
    {

// One field: id, display name, &Class::Getter, &Class::Setter or 0, format or nullptr.
#define BRIVEL_FIELD(id, name, getter, setter, format)                                             \
    ::Brivel::Common::FieldTable::AddField<getter, setter>(brivelFieldMap, id, name, format, #getter, #setter);

// Ends the field table BRIVEL_BEGIN_FIELD_MAP began.
#define BRIVEL_END_FIELD_MAP() }
