#pragma once
// Run-time classes: CObject, the base of objects that store themselves in a
// CArchive and can be created from the class name stored with them, and
// CRuntimeClass, the descriptor of such a class (registered name, schema,
// factory, base class).
//
// A class takes part by deriving from CObject and using the two macros:
//
//     class CColumn : public Platform::CObject {
//         BRIVEL_DECLARE_RUNTIME_CLASS(CColumn)   // the members after it are public
//         ...
//         void Serialize(Platform::CArchive& ar) override;
//     };
//     // in column.cpp, inside the class's namespace:
//     BRIVEL_IMPLEMENT_RUNTIME_CLASS(CColumn, Platform::CObject, "CColumn", 1)
//
// The second macro registers the class at static initialisation under its
// name, so a stored reference to "CColumn" can make a CColumn. (A class
// whose translation unit the linker leaves out of the program is not
// registered; referring to Class::RuntimeClass() anywhere keeps it in.)
// A class that is abstract or not default-constructible is registered without
// a factory: it can be named and checked, not created.
//
// The schema is the class's stored-form number: a stored reference whose
// schema is newer than the registered one is refused on loading (see
// CArchive::ReadObject).
//
// Thread: any thread (the registry is guarded by its own lock; descriptors
// are immutable).

#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>

namespace Brivel::Platform {

class CArchive;
class CObject;

// Makes a default-constructed object of one class.
using ObjectFactory = std::unique_ptr<CObject> (*)();

// The descriptor of a run-time class: its registered name, its schema, its
// factory and its base class. Made by BRIVEL_IMPLEMENT_RUNTIME_CLASS as a
// function-local static; immutable.
class CRuntimeClass {
public:
    // A descriptor; `factory` may be null (the class cannot be created).
    constexpr CRuntimeClass(const char* name, int32_t schema, ObjectFactory factory, const CRuntimeClass* base)
        : m_name(name), m_schema(schema), m_factory(factory), m_base(base) {}
    CRuntimeClass(const CRuntimeClass&) = delete;
    CRuntimeClass& operator=(const CRuntimeClass&) = delete;

    // The registered name ("CColumn").
    std::string_view GetName() const { return m_name != nullptr ? std::string_view(m_name) : std::string_view(); }
    // The stored-form number of the class.
    int32_t GetSchema() const { return m_schema; }
    // The base class's descriptor; null for CObject.
    const CRuntimeClass* GetBase() const { return m_base; }
    // Whether CreateObject can make an object (the class has a factory).
    bool IsCreatable() const { return m_factory != nullptr; }
    // A new default-constructed object, or null for a class without factory.
    std::unique_ptr<CObject> CreateObject() const;
    // True for this class and for every class derived from `other`.
    bool IsDerivedFrom(const CRuntimeClass& other) const;

private:
    const char* m_name;
    int32_t m_schema;
    ObjectFactory m_factory;
    const CRuntimeClass* m_base; // Not owned; static descriptor of the base class
};

// The base of the objects that store themselves in a CArchive and can be
// created from their stored class name.
class CObject {
public:
    // The descriptor of CObject itself ("CObject", schema 0, not creatable).
    static const CRuntimeClass& RuntimeClass();

    // The descriptor of the object's most derived run-time class.
    virtual const CRuntimeClass* GetRuntimeClass() const;
    // Objects are deleted through this base.
    virtual ~CObject() = default;
    // Stores or loads the object's state (ar.IsStoring() tells which). The
    // base stores nothing.
    virtual void Serialize(CArchive& ar);
    // The registered class name (by default the run-time class's name).
    virtual std::string_view GetRuntimeClassName() const;

    // Whether the object's class is `cls` or derives from it.
    bool IsKindOf(const CRuntimeClass& cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// Registers `cls` under its name. Registering the same descriptor again is
// harmless (true); a different descriptor under a name already taken is
// refused (false) and the first one stays.
bool RegisterRuntimeClass(const CRuntimeClass& cls);
// The class registered under `name`, or null.
const CRuntimeClass* FindRuntimeClass(std::string_view name);
// A new object of the class registered under `name`; null when the name is
// unknown or the class cannot be created.
std::unique_ptr<CObject> CreateObjectByName(std::string_view name);

namespace Detail {
template <typename T>
std::unique_ptr<CObject> CreateInstance()
{
    return std::make_unique<T>();
}
template <typename T>
constexpr ObjectFactory FactoryFor()
{
    if constexpr (std::is_abstract_v<T> || !std::is_default_constructible_v<T>)
        return nullptr;
    else
        return &CreateInstance<T>;
}
} // namespace Detail

} // namespace Brivel::Platform

// Declares, in the body of a class derived from CObject, its descriptor
// (RuntimeClass) and the GetRuntimeClass override; leaves the access public.
#define BRIVEL_DECLARE_RUNTIME_CLASS(ClassName)                                                                        \
public:                                                                                                                \
    static const ::Brivel::Platform::CRuntimeClass& RuntimeClass();                                                    \
    const ::Brivel::Platform::CRuntimeClass* GetRuntimeClass() const override;

// Defines what BRIVEL_DECLARE_RUNTIME_CLASS declares, in one source file
// inside the class's namespace, and registers the class under
// `RegisteredName` with stored-form number `Schema` at static initialisation.
#define BRIVEL_IMPLEMENT_RUNTIME_CLASS(ClassName, BaseName, RegisteredName, Schema)                                    \
    const ::Brivel::Platform::CRuntimeClass& ClassName::RuntimeClass()                                                 \
    {                                                                                                                  \
        static const ::Brivel::Platform::CRuntimeClass s_runtimeClass(                                                 \
            RegisteredName, Schema, ::Brivel::Platform::Detail::FactoryFor<ClassName>(), &BaseName::RuntimeClass());   \
        return s_runtimeClass;                                                                                         \
    }                                                                                                                  \
    const ::Brivel::Platform::CRuntimeClass* ClassName::GetRuntimeClass() const { return &RuntimeClass(); }            \
    [[maybe_unused]] static const bool s_brivelRuntimeClassRegistered_##ClassName =                                    \
        ::Brivel::Platform::RegisterRuntimeClass(ClassName::RuntimeClass());
