#include "gui/input/input_router.h"

#include "gui/input/key_manager.h"

#include <memory>
#include <utility>

namespace Brivel::GUI {

CInputRouter::CInputRouter(CGrid& grid, IInputHost& host, CGridSelection& selection, const CRowLayout& layout,
                           ITimerHost& timers, uintptr_t dragScrollTimerId)
    : m_grid(grid), m_keyManager(std::make_unique<CKeyManager>(true).release()), m_editor(host, selection, layout),
      m_headerMouse(host, layout),
      m_typeAhead(host, selection),
      m_rowMouse(host, selection, layout, timers, dragScrollTimerId)
{
}

CInputRouter::~CInputRouter()
{
    IKeyManager* const keyManager = std::exchange(m_keyManager, nullptr);
    if (keyManager != nullptr && keyManager->IsAutoDelete())
        std::unique_ptr<IKeyManager> owned(keyManager); // handed over with SetKeyManager
}

IKeyManager* CInputRouter::SetKeyManager(IKeyManager* keyManager)
{
    return std::exchange(m_keyManager, keyManager);
}

bool CInputRouter::OnKeyPress(int key, Qt::KeyboardModifiers modifiers, bool leftButtonDown, const QString& text)
{
    if (m_editor.OnKeyPress(key, modifiers, text))
        return true;
    if (key == Qt::Key_Escape && m_headerMouse.OnEscape())
        return true;
    if (m_keyManager != nullptr && m_keyManager->OnKeyDown(m_grid, key, modifiers))
        return true;
    return m_typeAhead.OnKeyPress(key, modifiers, leftButtonDown);
}

bool CInputRouter::OnMousePress(Platform::CPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    if (button != Qt::LeftButton)
        return false;
    m_editor.OnPress(point);
    return m_headerMouse.OnPress(point) || m_rowMouse.OnPress(point, modifiers);
}

bool CInputRouter::OnMouseMove(Platform::CPoint point, Qt::MouseButtons buttons)
{
    if (m_headerMouse.OnMove(point, buttons))
        return true;
    return buttons.testFlag(Qt::LeftButton) && m_rowMouse.OnMove(point);
}

bool CInputRouter::OnMouseRelease(Platform::CPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    if (button != Qt::LeftButton)
        return false;
    return m_headerMouse.OnRelease(point, modifiers) || m_rowMouse.OnRelease();
}

bool CInputRouter::OnDoubleClick(Platform::CPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    if (button == Qt::LeftButton && (m_editor.OnDoubleClick(point) || m_headerMouse.OnDoubleClick(point)))
        return true;
    return OnMousePress(point, button, modifiers);
}

} // namespace Brivel::GUI
