#pragma once
// CTypeAhead: finding a row by typing the start of its text.
//
// A letter or digit pressed without Shift or Ctrl (keypad digits count as
// digits) is appended to the search text, or starts it anew when more than
// the reset delay (the grid's type-ahead setting, 1000 ms by default) has
// passed since the previous one; the time is the tick count, compared by
// signed difference so that its wrap does not matter. The search runs from
// the focused row (inclusive) to the end, the pinned rows before the body
// rows, and then wraps from the first row up to the focused one. A row
// matches when its text in the header's search column starts with the
// search text, ignoring case; for numbers spaces and tabs are left out of
// the text first, so "12345" finds "12 345". The first match is selected
// alone, focused and, in the body, scrolled into view.
//
// Nothing happens without a search column (the header's search column must
// name a visible column), without body rows, or while the left button is
// down.
//
// Ownership: borrows its host and the selection (the grid's).
// Thread: GUI thread only.

#include <Qt>

#include <cstdint>
#include <string>

namespace Brivel::GUI {

class CColumn;
class CGridItem;
class CGridSelection;
class CHeader;
class CRowList;

// What type-ahead reads from and asks of the grid.
class ITypeAheadHost {
public:
    virtual CRowList* GetRowList(int32_t kind) const = 0; // the pinned (1) or body (2) list
    virtual CHeader* GetHeader() const = 0; // the header (its search column); null: none
    // The reset delay in ms.
    virtual int32_t GetTypeAheadDelay() const = 0;
    virtual void BringBodyRowIntoView(int32_t row) = 0; // scrolls a body row into view

protected:
    ITypeAheadHost() = default;
    ITypeAheadHost(const ITypeAheadHost&) = default;
    ITypeAheadHost& operator=(const ITypeAheadHost&) = default;
    ~ITypeAheadHost() = default;
};

class CTypeAhead {
public:
    // No search text yet, for the grid behind `host`.
    CTypeAhead(ITypeAheadHost& host, CGridSelection& selection) : m_host(host), m_selection(selection) {}
    CTypeAhead(const CTypeAhead&) = delete;
    CTypeAhead& operator=(const CTypeAhead&) = delete;

    // A key press: true when it was a type-ahead character (handled, whether
    // or not a row matched). Reads the tick count.
    bool OnKeyPress(int key, Qt::KeyboardModifiers modifiers, bool leftButtonDown);
    // The character `ch` typed at tick `now`: extends or restarts the search
    // text and searches. True when a row matched.
    bool Type(char ch, uint32_t now);
    const std::string& GetSearchText() const { return m_text; } // the text typed so far

    // The character a key press types for type-ahead; 0 for any other key.
    static char CharacterOf(int key, Qt::KeyboardModifiers modifiers);
    // Whether `text` starts with `prefix`, ignoring ASCII case; for a
    // number, spaces and tabs in `text` are skipped.
    static bool Matches(const std::string& text, const std::string& prefix, bool numeric);

private:
    CColumn* SearchColumn() const;
    bool RowMatches(const CGridItem& item, const CColumn& column, std::string& scratch) const;

    ITypeAheadHost& m_host;       // Not owned; outlives this.
    CGridSelection& m_selection;  // Not owned; outlives this.
    std::string m_text;
    uint32_t m_lastTick = 0;
    bool m_typed = false;
};

} // namespace Brivel::GUI
