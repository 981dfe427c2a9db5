#pragma once
// CInputRouter: where a grid's keys and mouse buttons go.
//
// The grid hands every key press and left-button event here, and the router
// offers it in a fixed order, stopping at the first taker: the in-place
// editor (F2, typing, double clicks; a press also reaches it, to end an
// open edit or toggle a check box, but goes on), then the header gestures
// (Escape ends one in progress), then the key manager, then type-ahead,
// then the mouse on rows. It owns the editing controller, the header
// gestures, type-ahead and the mouse on rows, and holds the key manager (a
// CKeyManager of its own until the application sets another).
//
// Ownership: owns its editing, header-mouse, type-ahead and row-mouse helpers; holds the key
// manager and deletes it at its end when it answers IsAutoDelete() true;
// borrows the grid and its parts (they outlive it).
// Thread: GUI thread only.

#include "gui/editing/edit_in_place.h"
#include "gui/input/header_mouse.h"
#include "gui/input/row_mouse.h"
#include "gui/input/type_ahead.h"

#include "platform/rect.h"

#include <Qt>

#include <cstdint>

namespace Brivel::GUI {

class CGrid;
class IKeyManager;

// Everything the input helpers ask of the grid.
class IInputHost : public ITypeAheadHost, public IRowMouseHost, public IHeaderMouseHost, public IEditHost {
protected:
    IInputHost() = default;
    IInputHost(const IInputHost&) = default;
    IInputHost& operator=(const IInputHost&) = default;
    ~IInputHost() = default;
};

class CInputRouter {
public:
    // The router of `grid` with its helpers, a CKeyManager of its own as key
    // manager; `dragScrollTimerId` is the timer a drag-selection scrolls by.
    CInputRouter(CGrid& grid, IInputHost& host, CGridSelection& selection, const CRowLayout& layout,
                 ITimerHost& timers, uintptr_t dragScrollTimerId);
    CInputRouter(const CInputRouter&) = delete;
    CInputRouter& operator=(const CInputRouter&) = delete;
    ~CInputRouter();

    // Answers the previous key manager, which goes back to the caller.
    IKeyManager* SetKeyManager(IKeyManager* keyManager);
    IKeyManager* GetKeyManager() const { return m_keyManager; } // the key manager in charge; null: none

    // Each answers whether a helper took the event.
    bool OnKeyPress(int key, Qt::KeyboardModifiers modifiers, bool leftButtonDown, const QString& text = {});
    bool OnMousePress(Platform::CPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers); // a button pressed
    bool OnMouseMove(Platform::CPoint point, Qt::MouseButtons buttons); // the mouse moved
    bool OnMouseRelease(Platform::CPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers); // a button released
    // A double click: the header's (a divider fits its column), else taken
    // as a press.
    bool OnDoubleClick(Platform::CPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // The window lost the keyboard focus: a header gesture ends.
    void OnFocusLost() { m_headerMouse.Cancel(); }
    // The window goes: drags end, timers stop.
    void Cancel()
    {
        m_editor.Cancel();
        m_headerMouse.Cancel();
        m_rowMouse.Cancel();
    }

    // The editing controller.
    CEditInPlace& GetEditor() { return m_editor; }
    const CEditInPlace& GetEditor() const { return m_editor; }
    CHeaderMouse& GetHeaderMouse() { return m_headerMouse; }             // the header gestures
    const CHeaderMouse& GetHeaderMouse() const { return m_headerMouse; } // the header gestures
    CTypeAhead& GetTypeAhead() { return m_typeAhead; }                   // type-ahead
    CRowMouse& GetRowMouse() { return m_rowMouse; }                      // the mouse on the rows

private:
    CGrid& m_grid;                        // Not owned; outlives this.
    IKeyManager* m_keyManager = nullptr; // Deleted at the end when it answers IsAutoDelete() true.
    CEditInPlace m_editor;
    CHeaderMouse m_headerMouse;
    CTypeAhead m_typeAhead;
    CRowMouse m_rowMouse;
};

} // namespace Brivel::GUI
