// CKeyManager: the key table and the moves behind it.
//
// ---- Sections ----
//   Key table      OnKeyDown, OnChar
//   Common terms   the current focus, moving it, selecting after a move
//   Navigation     LineUp, LineDown, PageUp, PageDown, Home, End
//   Tree and more  Left, Right, Enter, Escape, SelectAll, clipboard slots
//
// Positions cross the two lists in one order: every pinned row before every
// body row. A walk over rows (an extending page move) uses that order as a
// single index: pinned row r is r, body row r is pinned count + r.

#include "gui/input/key_manager.h"

#include "gui/grid/grid.h"
#include "gui/rows/grid_item.h"

#include <algorithm>

namespace Brivel::GUI {

namespace {

constexpr int32_t kPinned = CGrid::kPinnedList;
constexpr int32_t kBody = CGrid::kBodyList;

bool HasParentItem(const CGridItem& item)
{
    const CGridItem* const parent = item.GetParent();
    return parent != nullptr && !parent->IsRoot();
}

// The last body row shown whole from the top row (at least the top row).
int32_t LastFullBodyRow(CGrid& grid)
{
    const int32_t top = std::max(grid.GetTopRow(), 0);
    const int32_t last = top + std::max(grid.GetRowsThatFit(true), 1) - 1;
    return std::min(last, grid.GetRowCount(kBody) - 1);
}

} // namespace

// ---- Key table ----

bool CKeyManager::OnKeyDown(CGrid& grid, int key, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: Enter(grid); return true;
    case Qt::Key_Escape: Escape(grid); return true;
    case Qt::Key_Space:
        if (shift)
            PageUp(grid, false, false);
        else
            PageDown(grid, false, false);
        return true;
    case Qt::Key_PageUp: PageUp(grid, shift, ctrl); return true;
    case Qt::Key_PageDown: PageDown(grid, shift, ctrl); return true;
    case Qt::Key_End: End(grid, shift, ctrl); return true;
    case Qt::Key_Home: Home(grid, shift, ctrl); return true;
    case Qt::Key_Left: Left(grid); return true;
    case Qt::Key_Up: LineUp(grid, shift, ctrl); return true;
    case Qt::Key_Right: Right(grid); return true;
    case Qt::Key_Down: LineDown(grid, shift, ctrl); return true;
    case Qt::Key_Insert:
        if (ctrl && !shift) {
            Copy(grid);
            return true;
        }
        if (shift && !ctrl) {
            Paste(grid);
            return true;
        }
        return false;
    case Qt::Key_Delete:
        if (shift && !ctrl) {
            Cut(grid);
            return true;
        }
        return false;
    default: break;
    }
    if (!ctrl || shift)
        return false;
    switch (key) {
    case Qt::Key_A: SelectAll(grid); return true;
    case Qt::Key_C: Copy(grid); return true;
    case Qt::Key_V: Paste(grid); return true;
    case Qt::Key_X: Cut(grid); return true;
    default: return false;
    }
}

bool CKeyManager::OnChar(CGrid& /*grid*/, char32_t /*character*/)
{
    return false; // characters are type-ahead's
}

// ---- Common terms ----

CKeyManager::Position CKeyManager::CurrentFocus(CGrid& grid)
{
    const Position focus{grid.GetFocusListKind(), grid.GetFocusRow()};
    if (!focus.IsValid() || !grid.IsFocusList(focus.kind))
        return {};
    return focus;
}

bool CKeyManager::MoveFocus(CGrid& grid, Position target)
{
    if (!target.IsValid() || !grid.IsFocusList(target.kind))
        return false;
    if (target.kind == kBody)
        grid.EnsureVisible(target.row);
    return grid.SetFocusRow(target.row, target.kind);
}

void CKeyManager::SelectAlone(CGrid& grid, Position position)
{
    grid.ClearSelection();
    grid.SelectRow(position.row, position.kind, true);
}

void CKeyManager::Navigate(CGrid& grid, Position target, bool extend, bool focusOnly, bool lineMove)
{
    const Position from = CurrentFocus(grid);
    const bool targetWasSelected = target.IsValid() && grid.IsRowSelected(target.row, target.kind);
    if (!MoveFocus(grid, target))
        return;
    const Position to = CurrentFocus(grid);
    if (focusOnly || to == from || !to.IsValid())
        return;
    if (!extend || !from.IsValid())
        SelectAlone(grid, to);
    else if (lineMove)
        SelectAfterLineMove(grid, from, to, targetWasSelected);
    else
        SelectAfterJump(grid, from, to);
}

void CKeyManager::SelectAfterLineMove(CGrid& grid, Position from, Position to, bool wasSelected)
{
    const bool fromSelected = grid.IsRowSelected(from.row, from.kind);
    grid.SelectRow(to.row, to.kind, true);
    // Moving back over a selected range shrinks it.
    if (!fromSelected || wasSelected)
        grid.SelectRow(from.row, from.kind, false);
    if (from.kind == kPinned && to.kind == kBody) {
        // Into a scrolled body: the rows between the boundary and the new
        // focus belong to the range too.
        grid.SelectRow(from.row, from.kind, true);
        grid.SelectRows(kBody, 0, to.row, true);
    }
}

void CKeyManager::SelectAfterJump(CGrid& grid, Position from, Position to)
{
    const int32_t pinnedCount = grid.GetRowCount(kPinned);
    const auto indexOf = [&](Position p) { return p.kind == kPinned ? p.row : pinnedCount + p.row; };
    const auto positionOf = [&](int32_t index) {
        return index < pinnedCount ? Position{kPinned, index} : Position{kBody, index - pinnedCount};
    };
    // Rows a .. b of the single index, split at the boundary.
    const auto selectRange = [&](int32_t a, int32_t b, bool select) {
        if (a > b)
            std::swap(a, b);
        if (a < pinnedCount)
            grid.SelectRows(kPinned, a, std::min(b, pinnedCount - 1), select);
        if (b >= pinnedCount)
            grid.SelectRows(kBody, std::max(a - pinnedCount, 0), b - pinnedCount, select);
    };
    const int32_t start = indexOf(to);
    const int32_t end = indexOf(from);
    const int32_t step = end >= start ? 1 : -1;
    // Walk from the new focus towards the old one: select up to the first
    // row that was selected already; it stays, and the rest of the walk (the
    // old focus included) is deselected, so reversing shrinks the range.
    int32_t met = start;
    for (; met != end + step; met += step) {
        const Position p = positionOf(met);
        if (grid.IsRowSelected(p.row, p.kind))
            break;
    }
    if (met == end + step) {
        selectRange(start, end, true);
        return;
    }
    if (met != start)
        selectRange(start, met - step, true);
    if (met != end)
        selectRange(met + step, end, false);
}

// ---- Navigation ----

void CKeyManager::LineUp(CGrid& grid, bool extend, bool focusOnly)
{
    const Position focus = CurrentFocus(grid);
    const int32_t pinnedCount = grid.GetRowCount(kPinned);
    const int32_t top = grid.GetTopRow();
    Position target;
    if (focus.IsValid() && focus.row > 0) {
        target = {focus.kind, focus.row - 1};
    } else if (focus.IsValid()) {
        // Row 0 of a list: up into the pinned list from the body, else stay
        // (never down to a scrolled body's top row).
        target = focus.kind == kBody && pinnedCount > 0 && grid.IsFocusList(kPinned) ? Position{kPinned, pinnedCount - 1}
                                                                                     : focus;
    } else if (pinnedCount > 0 && grid.IsFocusList(kPinned)) {
        target = {kPinned, 0};
    } else if (top >= 0 && top < grid.GetRowCount(kBody) && grid.IsFocusList(kBody)) {
        target = {kBody, top};
    }
    Navigate(grid, target, extend, focusOnly, true);
}

void CKeyManager::LineDown(CGrid& grid, bool extend, bool focusOnly)
{
    const Position focus = CurrentFocus(grid);
    const int32_t pinnedCount = grid.GetRowCount(kPinned);
    const int32_t bodyCount = grid.GetRowCount(kBody);
    const int32_t top = grid.GetTopRow();
    Position target;
    if (focus.kind == kPinned) {
        if (focus.row + 1 < pinnedCount)
            target = {kPinned, focus.row + 1};
        else if (top < 0 || top >= bodyCount)
            target = {kPinned, pinnedCount - 1};
        else if (grid.IsFocusList(kBody))
            target = {kBody, top};
    } else if (focus.kind == kBody) {
        target = {kBody, std::min(focus.row + 1, bodyCount - 1)};
    } else if (bodyCount > 0 && grid.IsFocusList(kBody)) {
        target = {kBody, LastFullBodyRow(grid)};
    } else {
        target = {kPinned, grid.GetLastVisibleRow(kPinned)};
    }
    Navigate(grid, target, extend, focusOnly, true);
}

void CKeyManager::PageUp(CGrid& grid, bool extend, bool focusOnly)
{
    const Position focus = CurrentFocus(grid);
    const int32_t pinnedCount = grid.GetRowCount(kPinned);
    const int32_t bodyCount = grid.GetRowCount(kBody);
    const int32_t top = grid.GetTopRow();
    const bool pinnedFirst = pinnedCount > 0 && grid.IsFocusList(kPinned);
    Position target;
    if (!focus.IsValid() || bodyCount == 0) {
        target = pinnedFirst ? Position{kPinned, 0} : Position{kBody, top};
    } else if (focus.kind == kPinned) {
        target = {kPinned, 0};
    } else if (top > 0 && focus.row < top) {
        // Above the page: one page up from the focus, never down to the page.
        target = {kBody, std::max(focus.row - std::max(grid.GetRowsThatFit(false) - 1, 1), 0)};
    } else if (top > 0) {
        if (focus.row == top)
            grid.SetTopRow(std::max(top - std::max(grid.GetRowsThatFit(false) - 1, 1), 0));
        target = {kBody, grid.GetTopRow()};
    } else {
        target = pinnedCount > 0 ? Position{kPinned, 0} : Position{kBody, 0};
    }
    Navigate(grid, target, extend, focusOnly, false);
}

void CKeyManager::PageDown(CGrid& grid, bool extend, bool focusOnly)
{
    const Position focus = CurrentFocus(grid);
    const int32_t pinnedCount = grid.GetRowCount(kPinned);
    const int32_t bodyCount = grid.GetRowCount(kBody);
    const bool bodyAllowed = bodyCount > 0 && grid.IsFocusList(kBody);
    Position target;
    if (!focus.IsValid() || focus.kind == kPinned) {
        target = bodyAllowed ? Position{kBody, LastFullBodyRow(grid)} : Position{kPinned, pinnedCount - 1};
    } else {
        const int32_t lastFull = LastFullBodyRow(grid);
        const int32_t page = std::max(grid.GetRowsThatFit(true) - 1, 1);
        if (focus.row < lastFull)
            target = {kBody, lastFull}; // on the page (or above it): to its last full row
        else // on the page's last row, or below the page: one page further
            target = {kBody, std::min(focus.row + page, bodyCount - 1)};
    }
    Navigate(grid, target, extend, focusOnly, false);
}

void CKeyManager::Home(CGrid& grid, bool extend, bool focusOnly)
{
    Position target;
    if (grid.GetRowCount(kPinned) > 0 && grid.IsFocusList(kPinned))
        target = {kPinned, 0};
    else if (grid.GetRowCount(kBody) > 0 && grid.IsFocusList(kBody))
        target = {kBody, 0};
    Navigate(grid, target, extend, focusOnly, false);
}

void CKeyManager::End(CGrid& grid, bool extend, bool focusOnly)
{
    Position target;
    if (grid.GetRowCount(kBody) > 0 && grid.IsFocusList(kBody))
        target = {kBody, grid.GetRowCount(kBody) - 1};
    else
        target = {kPinned, grid.GetRowCount(kPinned) - 1};
    Navigate(grid, target, extend, focusOnly, false);
}

// ---- Tree and more ----

void CKeyManager::Left(CGrid& grid)
{
    const Position focus = CurrentFocus(grid);
    CGridItem* const item = focus.IsValid() ? grid.GetItem(focus.row, focus.kind) : nullptr;
    if (item == nullptr)
        return;
    if (item->IsExpanded() && item->GetChildCount() > 0 &&
        grid.GetItem(focus.row + 1, focus.kind) == item->GetChild(0)) {
        grid.Collapse(item);
        return;
    }
    const auto focusAlone = [&](Position target) {
        if (MoveFocus(grid, target))
            SelectAlone(grid, target);
    };
    if (HasParentItem(*item)) {
        focusAlone({focus.kind, grid.GetRowIndex(item->GetParent())});
        return;
    }
    // Up to the previous top-level row, jumping from a child to its parent.
    for (int32_t row = focus.row - 1; row >= 0;) {
        CGridItem* const above = grid.GetItem(row, focus.kind);
        if (above == nullptr)
            return;
        if (!HasParentItem(*above)) {
            focusAlone({focus.kind, row});
            return;
        }
        row = grid.GetRowIndex(above->GetParent());
    }
    const int32_t pinnedCount = grid.GetRowCount(kPinned);
    if (focus.kind == kBody && pinnedCount > 0)
        focusAlone({kPinned, pinnedCount - 1});
}

void CKeyManager::Right(CGrid& grid)
{
    const Position focus = CurrentFocus(grid);
    CGridItem* const item = focus.IsValid() ? grid.GetItem(focus.row, focus.kind) : nullptr;
    if (!focus.IsValid())
        return;
    if (item != nullptr && !item->IsExpanded()) {
        grid.Expand(item);
        return;
    }
    Position target;
    if (focus.row + 1 < grid.GetRowCount(focus.kind))
        target = {focus.kind, focus.row + 1};
    else if (focus.kind == kPinned && grid.GetRowCount(kBody) > 0 && grid.IsFocusList(kBody))
        target = {kBody, 0};
    if (MoveFocus(grid, target))
        SelectAlone(grid, target);
}

void CKeyManager::Enter(CGrid& grid)
{
    const Position focus = CurrentFocus(grid);
    CGridItem* const item = focus.IsValid() ? grid.GetItem(focus.row, focus.kind) : nullptr;
    if (item == nullptr)
        return;
    if (item->IsExpanded())
        grid.Collapse(item);
    else
        grid.Expand(item);
}

void CKeyManager::Escape(CGrid& grid)
{
    grid.ClearSelection();
    grid.SetFocusRow(-1, 0);
}

void CKeyManager::SelectAll(CGrid& grid)
{
    grid.SelectAll();
}

// The clipboard operations of the grid come with its clipboard formats;
// until then the keys are taken and do nothing.
void CKeyManager::Copy(CGrid& grid)
{
    grid.Copy();
}

void CKeyManager::Cut(CGrid& grid)
{
    grid.Cut();
}

void CKeyManager::Paste(CGrid& grid)
{
    grid.Paste();
}

} // namespace Brivel::GUI
