#pragma once
// IKeyManager and CKeyManager: what the keys pressed in a grid do.
//
// The grid offers every key press to its key manager first; a key the
// manager handles goes no further (type-ahead and the application never see
// it). CKeyManager turns the navigation keys into focus moves and selection
// changes, Left and Right into tree moves, Enter and Escape into expansion
// and clearing, and Ctrl+A/C/X/V into select-all and the clipboard slots.
// It works only through the grid's public operations (focus, selection,
// rows, scrolling, expansion), so an application can derive from it and
// change single keys, or write a manager of its own.
//
// Key table of OnKeyDown (Qt key codes; any other key is not handled):
//   Enter, Return      Enter
//   Escape             Escape
//   Space              PageDown; with Shift PageUp (neither extends)
//   Page Up / Down     PageUp / PageDown (Shift extends, Ctrl moves the focus only)
//   Home / End         Home / End (likewise)
//   Up / Down          LineUp / LineDown (likewise)
//   Left / Right       Left / Right
//   Ctrl+A, C, V, X    SelectAll, Copy, Paste, Cut (not with Shift)
//   Ctrl+Insert        Copy
//   Shift+Insert       Paste
//   Shift+Delete       Cut
//
// Ownership: a grid holds its key manager and deletes it at its own end
// when IsAutoDelete() answers true.
// Thread: the grid's GUI thread (the grid calls it from its key events; the
// operations it uses may be called from any thread).

#include "gui/grid/auto_delete.h"

#include <Qt>

#include <cstdint>

namespace Brivel::GUI {

class CGrid;

// What the keys pressed in a grid do: the key table and one slot per action
// (see the top of this file).
class IKeyManager : public virtual IAutoDelete {
public:
    // The key table: true when `key` (a Qt::Key) was handled.
    virtual bool OnKeyDown(CGrid& grid, int key, Qt::KeyboardModifiers modifiers) = 0; // 0
    // A typed character; the default manager leaves characters to type-ahead.
    virtual bool OnChar(CGrid& grid, char32_t character) = 0;                         // 1
    // One row up. In the navigation slots `extend` is Shift's state and
    // `focusOnly` Ctrl's.
    virtual void LineUp(CGrid& grid, bool extend, bool focusOnly) = 0;                // 2
    // One row down.
    virtual void LineDown(CGrid& grid, bool extend, bool focusOnly) = 0;              // 3
    // One page up.
    virtual void PageUp(CGrid& grid, bool extend, bool focusOnly) = 0;                // 4
    // One page down.
    virtual void PageDown(CGrid& grid, bool extend, bool focusOnly) = 0;              // 5
    // To the first row.
    virtual void Home(CGrid& grid, bool extend, bool focusOnly) = 0;                  // 6
    // To the last row.
    virtual void End(CGrid& grid, bool extend, bool focusOnly) = 0;                   // 7
    // Left: the default manager collapses the focus row or moves up the tree.
    virtual void Left(CGrid& grid) = 0;                                               // 8
    // Right: the default manager expands the focus row or moves down.
    virtual void Right(CGrid& grid) = 0;                                              // 9
    // Escape: the default manager clears the selection and the focus.
    virtual void Escape(CGrid& grid) = 0;                                             // 10
    // Enter: the default manager expands or collapses the focus row.
    virtual void Enter(CGrid& grid) = 0;                                              // 11
    // Ctrl+A.
    virtual void SelectAll(CGrid& grid) = 0;                                          // 12
    // Ctrl+C and Ctrl+Insert.
    virtual void Copy(CGrid& grid) = 0;                                               // 13
    // Ctrl+X and Shift+Delete.
    virtual void Cut(CGrid& grid) = 0;                                                // 14
    // Ctrl+V and Shift+Insert.
    virtual void Paste(CGrid& grid) = 0;                                              // 15

protected:
    IKeyManager() = default;
    IKeyManager(const IKeyManager&) = default;
    IKeyManager& operator=(const IKeyManager&) = default;
};

// The default key manager: the key table at the top of this file, through
// the grid's public operations only.
class CKeyManager : public IKeyManager {
public:
    // autoDelete is what IsAutoDelete answers: whether the grid that holds
    // this manager deletes it.
    explicit CKeyManager(bool autoDelete = true) : m_autoDelete(autoDelete) {}
    CKeyManager(const CKeyManager&) = delete;
    CKeyManager& operator=(const CKeyManager&) = delete;
    ~CKeyManager() override = default;

    bool IsAutoDelete() const override { return m_autoDelete; } // as constructed

    bool OnKeyDown(CGrid& grid, int key, Qt::KeyboardModifiers modifiers) override;
    bool OnChar(CGrid& grid, char32_t character) override;
    void LineUp(CGrid& grid, bool extend, bool focusOnly) override;
    void LineDown(CGrid& grid, bool extend, bool focusOnly) override;
    void PageUp(CGrid& grid, bool extend, bool focusOnly) override;
    void PageDown(CGrid& grid, bool extend, bool focusOnly) override;
    void Home(CGrid& grid, bool extend, bool focusOnly) override;
    void End(CGrid& grid, bool extend, bool focusOnly) override;
    void Left(CGrid& grid) override;
    void Right(CGrid& grid) override;
    void Escape(CGrid& grid) override;
    void Enter(CGrid& grid) override;
    void SelectAll(CGrid& grid) override;
    void Copy(CGrid& grid) override;
    void Cut(CGrid& grid) override;
    void Paste(CGrid& grid) override;

protected:
    // A focus position: list kind (1 pinned, 2 body; 0 none) and row.
    struct Position {
        int32_t kind = 0;  // list kind; 0: none
        int32_t row = -1;  // row within the list
        bool IsValid() const { return kind != 0 && row >= 0; } // a list and a row
        bool operator==(const Position&) const = default;      // the same list and row
    };
    // The focus, when the focus mask allows it in its list; else none.
    static Position CurrentFocus(CGrid& grid);
    // Brings a body row into view, then sets the focus; false when the list
    // does not allow the focus or the grid refuses.
    static bool MoveFocus(CGrid& grid, Position target);
    // Clears the selection and selects the focus row.
    static void SelectAlone(CGrid& grid, Position position);
    // The extended selection after a line move from `from` to `to`
    // (`wasSelected`: whether `to` was selected before the move).
    static void SelectAfterLineMove(CGrid& grid, Position from, Position to, bool wasSelected);
    // The extended selection after a page, home or end move: the walk back
    // from `to` towards `from`.
    static void SelectAfterJump(CGrid& grid, Position from, Position to);
    // Moves the focus to `target` and selects as a navigation key does.
    static void Navigate(CGrid& grid, Position target, bool extend, bool focusOnly, bool lineMove);

private:
    const bool m_autoDelete;
};

} // namespace Brivel::GUI
