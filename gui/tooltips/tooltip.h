#pragma once
// ITooltip: what a tooltip shows for a cell. CTooltip, the default, shows
// the text the cell shows (its value in its column's or field's format, as
// the paint pass writes it); one shared instance serves every grid.
//
// Ownership: a grid deletes a provider it holds at its end when
// IsAutoDelete() answers true (the shared CTooltip answers false).
// Thread: the grid's GUI thread (called while a cell's paint record lives).

#include "gui/grid/auto_delete.h"

#include <string>

namespace Brivel::GUI {

class CGrid;
struct CellInfo;

class ITooltip : public virtual IAutoDelete {
public:
    // True when the cell's text is not empty.
    virtual bool HasText(CGrid& grid, const CellInfo& cell) = 0;            // 2
    // The cell's text into `text` (which keeps its capacity).
    virtual void GetText(CGrid& grid, const CellInfo& cell, std::string& text) = 0; // 3

protected:
    ITooltip() = default;
    ITooltip(const ITooltip&) = default;
    ITooltip& operator=(const ITooltip&) = default;
};

// The default provider: the text the cell shows.
class CTooltip final : public ITooltip {
public:
    bool IsAutoDelete() const override { return false; } // shared: no grid deletes it
    bool HasText(CGrid& grid, const CellInfo& cell) override;
    void GetText(CGrid& grid, const CellInfo& cell, std::string& text) override;

    static CTooltip& Shared(); // the one instance every grid uses

private:
    std::string m_scratch; // HasText's text; the GUI thread's only
};

} // namespace Brivel::GUI
