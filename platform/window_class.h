#pragma once
// The window-class registry: a process-wide table from a class name to a
// factory that creates a widget of that class, so that a library registers its
// window class once per process ("Brivel.Grid") and a dialog or a frame creates
// one by name.
//
// Names are compared exactly. Registering a name twice keeps the first factory
// and returns false. A factory may itself register or look up classes: it runs
// without the registry's lock.
//
// Thread: registering and looking up: any thread. Creating windows: GUI thread
// only (widgets are created there).

#include <QWidget>

#include <functional>
#include <memory>
#include <string_view>

namespace Brivel::Platform {

// Creates a widget of one class as a child of `parent` (null: a top-level
// widget). The returned widget is owned by the caller until it is parented.
using WindowFactory = std::function<std::unique_ptr<QWidget>(QWidget* parent)>;

// Longest class name the registry accepts.
inline constexpr size_t kMaxWindowClassNameLength = 255;

// False, changing nothing, when the name is empty or too long, the factory is
// empty, or the name is registered already.
bool RegisterWindowClass(std::string_view className, WindowFactory factory);

bool IsWindowClassRegistered(std::string_view className); // a class of that name is registered

// Creates a window of the class as a child of `parent`, which owns it (the
// widget is re-parented there should the factory not have done so). Null when
// the class is unknown or its factory made nothing.
QWidget* CreateWindowOfClass(std::string_view className, QWidget& parent);

// Creates a top-level window of the class, owned by the caller.
std::unique_ptr<QWidget> CreateWindowOfClass(std::string_view className);

} // namespace Brivel::Platform
