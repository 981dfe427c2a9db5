#include "platform/window_class.h"

#include <map>
#include <mutex>
#include <string>

namespace Brivel::Platform {

namespace {

struct CWindowClassRegistry {
    std::mutex mutex;
    std::map<std::string, WindowFactory, std::less<>> factories; // Guarded by mutex.

    static CWindowClassRegistry& Instance()
    {
        static CWindowClassRegistry registry;
        return registry;
    }

    // A copy, so that the factory runs without the lock.
    WindowFactory Find(std::string_view className)
    {
        std::lock_guard lock(mutex);
        const auto it = factories.find(className);
        return it != factories.end() ? it->second : WindowFactory{};
    }
};

} // namespace

bool RegisterWindowClass(std::string_view className, WindowFactory factory)
{
    if (className.empty() || className.size() > kMaxWindowClassNameLength || !factory)
        return false;
    CWindowClassRegistry& registry = CWindowClassRegistry::Instance();
    std::lock_guard lock(registry.mutex);
    return registry.factories.try_emplace(std::string(className), std::move(factory)).second;
}

bool IsWindowClassRegistered(std::string_view className)
{
    return static_cast<bool>(CWindowClassRegistry::Instance().Find(className));
}

QWidget* CreateWindowOfClass(std::string_view className, QWidget& parent)
{
    const WindowFactory factory = CWindowClassRegistry::Instance().Find(className);
    if (!factory)
        return nullptr;
    std::unique_ptr<QWidget> widget = factory(&parent);
    if (!widget)
        return nullptr;
    if (widget->parentWidget() != &parent)
        widget->setParent(&parent);
    return widget.release(); // owned by parent
}

std::unique_ptr<QWidget> CreateWindowOfClass(std::string_view className)
{
    const WindowFactory factory = CWindowClassRegistry::Instance().Find(className);
    return factory ? factory(nullptr) : nullptr;
}

} // namespace Brivel::Platform
