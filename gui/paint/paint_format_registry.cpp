#include "gui/paint/paint_format_registry.h"

#include "common/lock.h"

#include <map>

namespace Brivel::GUI {

namespace {

template <PaintFormatInterface Interface>
struct Table {
    Common::CLock lock;
    std::map<std::string, PaintFormatFactory<Interface>, std::less<>> factories; // Guarded by lock.
};

// Made on first use, so that registrars in static initialisers of any
// translation unit find their table ready.
template <PaintFormatInterface Interface>
Table<Interface>& GetTable()
{
    static Table<Interface> table;
    return table;
}

} // namespace

template <PaintFormatInterface Interface>
bool RegisterPaintFormat(std::string_view name, PaintFormatFactory<Interface> factory)
{
    if (name.empty() || factory == nullptr)
        return false;
    Table<Interface>& table = GetTable<Interface>();
    Common::CLockGuard guard(table.lock);
    return table.factories.emplace(std::string(name), factory).second;
}

template <PaintFormatInterface Interface>
std::unique_ptr<Interface> CreatePaintFormat(std::string_view name)
{
    PaintFormatFactory<Interface> factory = nullptr;
    {
        Table<Interface>& table = GetTable<Interface>();
        Common::CLockGuard guard(table.lock);
        const auto it = table.factories.find(name);
        if (it == table.factories.end())
            return nullptr;
        factory = it->second;
    }
    return factory();
}

template <PaintFormatInterface Interface>
std::vector<std::string> GetRegisteredPaintFormats()
{
    Table<Interface>& table = GetTable<Interface>();
    Common::CLockGuard guard(table.lock);
    std::vector<std::string> names;
    names.reserve(table.factories.size());
    for (const auto& entry : table.factories)
        names.push_back(entry.first);
    return names;
}

template bool RegisterPaintFormat<ICellPaintFormat>(std::string_view, PaintFormatFactory<ICellPaintFormat>);
template bool RegisterPaintFormat<IColumnPaintFormat>(std::string_view, PaintFormatFactory<IColumnPaintFormat>);
template bool RegisterPaintFormat<IHeaderPaintFormat>(std::string_view, PaintFormatFactory<IHeaderPaintFormat>);
template bool RegisterPaintFormat<ILinePaintFormat>(std::string_view, PaintFormatFactory<ILinePaintFormat>);
template std::unique_ptr<ICellPaintFormat> CreatePaintFormat<ICellPaintFormat>(std::string_view);
template std::unique_ptr<IColumnPaintFormat> CreatePaintFormat<IColumnPaintFormat>(std::string_view);
template std::unique_ptr<IHeaderPaintFormat> CreatePaintFormat<IHeaderPaintFormat>(std::string_view);
template std::unique_ptr<ILinePaintFormat> CreatePaintFormat<ILinePaintFormat>(std::string_view);
template std::vector<std::string> GetRegisteredPaintFormats<ICellPaintFormat>();
template std::vector<std::string> GetRegisteredPaintFormats<IColumnPaintFormat>();
template std::vector<std::string> GetRegisteredPaintFormats<IHeaderPaintFormat>();
template std::vector<std::string> GetRegisteredPaintFormats<ILinePaintFormat>();

} // namespace Brivel::GUI
