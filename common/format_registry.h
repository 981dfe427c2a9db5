#pragma once
// The format class registry: a process-wide table from a format's type name
// ("Common::CLongFormat") to a factory that creates a default instance, so
// that stored settings can re-create their format by name.
//
// Every built-in format class is registered when the table is first used:
// the table's constructor registers the scalar formats (and the other
// families listed there, in format_registry.cpp), so no registration is lost
// when a program links the library statically and never names a class. A
// format family of this library registers the same way: add one
// registry.Add line per class next to the scalar ones. Format classes
// defined outside the library register themselves with a
// CFormatClassRegistrar object at static initialisation, in a translation
// unit the program is sure to link (next to the class's own functions).
//
// Thread: any thread. The table is guarded by its own recursive lock, held
// while a lookup searches and while the factory runs (a factory may itself
// use the registry).

#include "common/format.h"

#include <memory>
#include <string>
#include <vector>

namespace Brivel::Common {

// Creates a new default instance, owned by the caller.
using FormatFactory = std::unique_ptr<CFormat> (*)();

// Registers a factory under typeName. Returns false, keeping the first
// registration, when the name is already taken, or for an empty name or a
// null factory.
bool RegisterFormatClass(const std::string& typeName, FormatFactory factory);

// A new default instance of the class registered under typeName, owned by
// the caller; null for a name that is not registered.
std::unique_ptr<CFormat> CreateFormat(const std::string& typeName);

// The registered type names in ascending order.
std::vector<std::string> GetRegisteredFormatClasses();

// Registers a class at static initialisation:
//   static const CFormatClassRegistrar s_registrar("App::CMyFormat", &CreateMyFormat);
class CFormatClassRegistrar {
public:
    // Registers `factory` under `typeName` (RegisterFormatClass).
    CFormatClassRegistrar(const char* typeName, FormatFactory factory)
        : m_registered(RegisterFormatClass(typeName, factory))
    {
    }
    bool IsRegistered() const noexcept { return m_registered; } // the registration was accepted

private:
    bool m_registered;
};

// A factory for a format class that is default-constructible:
//   RegisterFormatClass(CMyFormat::TypeName, &MakeDefaultFormat<CMyFormat>);
template <class Format>
std::unique_ptr<CFormat> MakeDefaultFormat()
{
    return std::make_unique<Format>();
}

} // namespace Brivel::Common
