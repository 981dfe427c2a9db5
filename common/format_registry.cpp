#include "common/format_registry.h"

#include "common/date_time_formats.h"
#include "common/enum_format.h"
#include "common/lock.h"
#include "common/scalar_formats.h"

#include <map>

namespace Brivel::Common {

namespace {

// A factory that builds Format from constant constructor arguments.
template <class Format, auto... Arguments>
std::unique_ptr<CFormat> MakeFormat()
{
    return std::make_unique<Format>(Arguments...);
}

struct Registry {
    CLock lock;
    std::map<std::string, FormatFactory, std::less<>> factories; // Guarded by lock.

    Registry();

    // Unlocked; callers hold the lock (or run inside the constructor).
    bool Add(const std::string& typeName, FormatFactory factory)
    {
        return factories.emplace(typeName, factory).second;
    }
};

void RegisterScalarFormatClasses(Registry& registry)
{
    // Each factory makes the instance that the class's documentation names.
    registry.Add(CEmptyFormat::TypeName, &MakeFormat<CEmptyFormat, KindNone>);
    registry.Add(CCharFormat::TypeName, &MakeFormat<CCharFormat, 2, true, true, true>);
    registry.Add(CUCharFormat::TypeName, &MakeFormat<CUCharFormat, 2, true, true, true>);
    registry.Add(CShortFormat::TypeName, &MakeFormat<CShortFormat, 0, true, ' ', true, true>);
    registry.Add(CUShortFormat::TypeName, &MakeFormat<CUShortFormat, 0, true, ' ', true, true>);
    registry.Add(CLongFormat::TypeName, &MakeFormat<CLongFormat, 0, true, ' ', true, false>);
    registry.Add(CULongFormat::TypeName, &MakeFormat<CULongFormat, 0, true, ' ', true, false>);
    registry.Add(CInt64Format::TypeName, &MakeFormat<CInt64Format, 0, true, ' ', true, false>);
    registry.Add(CBoolFormat::TypeName, &MakeFormat<CBoolFormat>);
    registry.Add(CFloatFormat::TypeName, &MakeFormat<CFloatFormat, 2, false, true, '\0', '\0', ' '>);
    registry.Add(CDoubleFormat::TypeName, &MakeFormat<CDoubleFormat, 3, false, true, '\0', '\0', ' '>);
    registry.Add(CDefaultStlStringFormat::TypeName, &MakeFormat<CDefaultStlStringFormat>);
    registry.Add(CDefaultMfcStringFormat::TypeName, &MakeFormat<CDefaultMfcStringFormat>);
}

void RegisterDateTimeAndEnumFormatClasses(Registry& registry)
{
    registry.Add(CInt64DateFormat::TypeName, &MakeFormat<CInt64DateFormat>);
    registry.Add(CLongDateFormat::TypeName, &MakeFormat<CLongDateFormat>);
    registry.Add(CLongMsecTimeFormat::TypeName, &MakeFormat<CLongMsecTimeFormat>);
    registry.Add(CLongEnumFormat::TypeName, &MakeFormat<CLongEnumFormat>);
}

// Every format family of the library, registered by the table's own
// constructor (see the header). Add a family's registration here.
Registry::Registry()
{
    RegisterScalarFormatClasses(*this);
    RegisterDateTimeAndEnumFormatClasses(*this);
}

Registry& GetRegistry()
{
    static Registry s_registry; // built, with the built-in classes, on first use
    return s_registry;
}

} // namespace

bool RegisterFormatClass(const std::string& typeName, FormatFactory factory)
{
    if (typeName.empty() || !factory)
        return false;
    Registry& registry = GetRegistry();
    CLockGuard guard(registry.lock);
    return registry.Add(typeName, factory);
}

std::unique_ptr<CFormat> CreateFormat(const std::string& typeName)
{
    Registry& registry = GetRegistry();
    CLockGuard guard(registry.lock);
    const auto it = registry.factories.find(typeName);
    if (it == registry.factories.end())
        return nullptr;
    return it->second();
}

std::vector<std::string> GetRegisteredFormatClasses()
{
    Registry& registry = GetRegistry();
    CLockGuard guard(registry.lock);
    std::vector<std::string> names;
    names.reserve(registry.factories.size());
    for (const auto& entry : registry.factories)
        names.push_back(entry.first);
    return names;
}

} // namespace Brivel::Common
