#include "platform/runtime_class.h"

#include "platform/archive.h"

#include <map>
#include <mutex>
#include <string>

namespace Brivel::Platform {

namespace {

struct Registry {
    std::mutex lock;
    std::map<std::string, const CRuntimeClass*, std::less<>> classes; // Guarded by lock.
};

// Made on first use, so that registrations from static initialisers of any
// translation unit find it ready.
Registry& GetRegistry()
{
    static Registry registry;
    return registry;
}

} // namespace

std::unique_ptr<CObject> CRuntimeClass::CreateObject() const
{
    return m_factory != nullptr ? m_factory() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass& other) const
{
    for (const CRuntimeClass* cls = this; cls != nullptr; cls = cls->m_base) {
        if (cls == &other)
            return true;
    }
    return false;
}

const CRuntimeClass& CObject::RuntimeClass()
{
    static const CRuntimeClass s_runtimeClass("CObject", 0, nullptr, nullptr);
    return s_runtimeClass;
}

const CRuntimeClass* CObject::GetRuntimeClass() const { return &RuntimeClass(); }

void CObject::Serialize(CArchive& /*ar*/) {}

std::string_view CObject::GetRuntimeClassName() const { return GetRuntimeClass()->GetName(); }

bool RegisterRuntimeClass(const CRuntimeClass& cls)
{
    if (cls.GetName().empty())
        return false;
    Registry& registry = GetRegistry();
    std::lock_guard guard(registry.lock);
    const auto [it, inserted] = registry.classes.emplace(std::string(cls.GetName()), &cls);
    return inserted || it->second == &cls;
}

const CRuntimeClass* FindRuntimeClass(std::string_view name)
{
    Registry& registry = GetRegistry();
    std::lock_guard guard(registry.lock);
    const auto it = registry.classes.find(name);
    return it != registry.classes.end() ? it->second : nullptr;
}

std::unique_ptr<CObject> CreateObjectByName(std::string_view name)
{
    const CRuntimeClass* cls = FindRuntimeClass(name);
    return cls != nullptr ? cls->CreateObject() : nullptr;
}

} // namespace Brivel::Platform
