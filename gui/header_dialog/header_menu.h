#pragma once
// CHeaderMenu: the context menu of a grid's header strip. It offers
// "Configure columns..." (the grid's header configuration dialog), hiding
// the column that was clicked, and showing each hidden column.
//
// The menu is built when it is made, from the header as it is then; its
// actions name columns by identifier, so a column removed meanwhile (by
// another thread) makes its action do nothing.
//
// Ownership: borrows the grid, which must outlive the menu.
// Thread: GUI thread only.

#include <QMenu>

#include <cstdint>

namespace Brivel::GUI {

class CGrid;

class CHeaderMenu {
public:
    // clickedId: the identifier of the column under the click; CColumn's
    // kUnsetField when the click was beside the columns.
    CHeaderMenu(CGrid& grid, int32_t clickedId);
    CHeaderMenu(const CHeaderMenu&) = delete;
    CHeaderMenu& operator=(const CHeaderMenu&) = delete;

    // Shows the menu at a global position and runs the chosen action.
    void Exec(const QPoint& globalPos);
    QMenu& GetMenu() { return m_menu; } // the menu, for tests

private:
    CGrid& m_grid; // Not owned; outlives this.
    QMenu m_menu;
};

} // namespace Brivel::GUI
