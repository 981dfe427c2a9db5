#pragma once
// The paint-format registry: one process-wide table per paint-format
// interface, from a class name ("GUI::CCellPaintFormat") to a factory that
// makes a default instance. A column being loaded re-creates its cell and
// column paint formats through it; the header and line tables serve the
// painting code's defaults and any stored settings that name them.
//
// A class registers itself at static initialisation with a registrar object
// in a translation unit the program is sure to link (next to the class's own
// functions):
//     static const CPaintFormatRegistrar<ICellPaintFormat> s_registrar(
//         "GUI::CCellPaintFormat", &MakeDefaultPaintFormat<ICellPaintFormat, CCellPaintFormat>);
// The four tables are separate: the same name may name a cell format and a
// column format of different classes.
//
// Thread: any thread. Each table is guarded by its own lock, which is not
// held while a factory runs (a factory may use the registry itself).

#include "gui/paint/paint_format.h"

#include <concepts>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace Brivel::GUI {

// The four paint-format interfaces, each with a registry table of its own.
template <class T>
concept PaintFormatInterface = std::same_as<T, ICellPaintFormat> || std::same_as<T, IColumnPaintFormat> ||
                               std::same_as<T, IHeaderPaintFormat> || std::same_as<T, ILinePaintFormat>;

// Makes a new default instance of one registered class.
template <PaintFormatInterface Interface>
using PaintFormatFactory = std::unique_ptr<Interface> (*)();

// Registers factory under name. False, keeping the first registration, when
// the name is already taken in this interface's table, or for an empty name
// or a null factory.
template <PaintFormatInterface Interface>
bool RegisterPaintFormat(std::string_view name, PaintFormatFactory<Interface> factory);

// A new default instance of the class registered under name, owned by the
// caller; null for a name that is not registered (or a factory that made
// nothing).
template <PaintFormatInterface Interface>
std::unique_ptr<Interface> CreatePaintFormat(std::string_view name);

// The registered names of the interface's table, in ascending order.
template <PaintFormatInterface Interface>
std::vector<std::string> GetRegisteredPaintFormats();

extern template bool RegisterPaintFormat<ICellPaintFormat>(std::string_view, PaintFormatFactory<ICellPaintFormat>);
extern template bool RegisterPaintFormat<IColumnPaintFormat>(std::string_view, PaintFormatFactory<IColumnPaintFormat>);
extern template bool RegisterPaintFormat<IHeaderPaintFormat>(std::string_view, PaintFormatFactory<IHeaderPaintFormat>);
extern template bool RegisterPaintFormat<ILinePaintFormat>(std::string_view, PaintFormatFactory<ILinePaintFormat>);
extern template std::unique_ptr<ICellPaintFormat> CreatePaintFormat<ICellPaintFormat>(std::string_view);
extern template std::unique_ptr<IColumnPaintFormat> CreatePaintFormat<IColumnPaintFormat>(std::string_view);
extern template std::unique_ptr<IHeaderPaintFormat> CreatePaintFormat<IHeaderPaintFormat>(std::string_view);
extern template std::unique_ptr<ILinePaintFormat> CreatePaintFormat<ILinePaintFormat>(std::string_view);
extern template std::vector<std::string> GetRegisteredPaintFormats<ICellPaintFormat>();
extern template std::vector<std::string> GetRegisteredPaintFormats<IColumnPaintFormat>();
extern template std::vector<std::string> GetRegisteredPaintFormats<IHeaderPaintFormat>();
extern template std::vector<std::string> GetRegisteredPaintFormats<ILinePaintFormat>();

// A factory for a default-constructible paint-format class.
template <PaintFormatInterface Interface, std::derived_from<Interface> Class>
std::unique_ptr<Interface> MakeDefaultPaintFormat()
{
    return std::make_unique<Class>();
}

// Registers a class at static initialisation (see the example above).
template <PaintFormatInterface Interface>
class CPaintFormatRegistrar {
public:
    // Registers `factory` under `name` (RegisterPaintFormat).
    CPaintFormatRegistrar(const char* name, PaintFormatFactory<Interface> factory)
        : m_registered(RegisterPaintFormat<Interface>(name != nullptr ? std::string_view(name) : std::string_view(),
                                                      factory))
    {
    }
    bool IsRegistered() const noexcept { return m_registered; } // the registration was accepted

private:
    bool m_registered;
};

} // namespace Brivel::GUI
