#pragma once
// CPrintPaintHost: the grid as the paint pass sees it while it prints. It
// answers every question of IPaintHost from the grid's own host, except
// what must not reach paper:
//   - nothing is scrolled: the columns lie left to right from 0, as with the
//     grid scrolled fully left, while the grid's own scroll position is never
//     touched (so nothing needs putting back, and the window does not move);
//   - the paint element mask loses the interactive marks (kPrintMaskOff:
//     selection, focus, sorted column, rubber band, change highlights,
//     insertion and drop marks, embedded controls);
//   - no focus row, rubber band, header drag, drop mark, in-place editor or
//     embedded control, no background picture (the page is white);
//   - the client area is the band being drawn;
//   - highlight refresh requests are dropped (paper does not fade).
//
// Ownership: borrows the grid's host, which must outlive this.
// Thread: GUI thread only.

#include "gui/paint/paint_host.h"

namespace Brivel::GUI {

class CPrintPaintHost final : public IPaintHost {
public:
    // The paint elements printing leaves out: 0x10 to 0x1000 and 0x40000.
    static constexpr PaintElementMask kPrintMaskOff = 0x1FF0 | PaintElement::kEmbeddedControls;

    // The grid's host `grid` as printing sees it.
    explicit CPrintPaintHost(const IPaintHost& grid) : m_grid(grid) {}

    // The band of rows drawn next: it stands for the client rectangle.
    void SetBand(const Platform::CRect& band) { m_band = band; }

    CRowList* GetRowList(int32_t kind) const override { return m_grid.GetRowList(kind); }
    CGrid* GetGrid() const override { return m_grid.GetGrid(); }
    QWidget* GetWindow() const override { return m_grid.GetWindow(); }
    CHeader* GetHeader() const override { return m_grid.GetHeader(); }
    bool IsHeaderShown() const override { return true; }
    const IHorizontalScrollSource* GetScrollSource() const override { return nullptr; }
    int32_t GetTopRow() const override { return -1; }
    Platform::CRect GetClientRect() const override { return m_band; }
    bool IsTreeShown() const override { return m_grid.IsTreeShown(); }
    const Appearance& GetAppearance() const override { return m_grid.GetAppearance(); }
    const HighlightSettings& GetHighlightSettings() const override { return m_grid.GetHighlightSettings(); }
    bool IsHighlightChangedValues() const override { return false; }
    PaintElementMask GetPaintElementMask() const override { return m_grid.GetPaintElementMask() & ~kPrintMaskOff; }
    bool IsDoubleBuffered() const override { return false; }
    bool IsSeparatorShown() const override { return false; }
    int32_t GetSeparatorHeight() const override { return 0; }
    const QFont* GetFont() const override { return m_grid.GetFont(); }
    ICustomDraw* GetCustomDraw() const override { return m_grid.GetCustomDraw(); }
    Platform::CImageList* GetCellImageList() const override { return m_grid.GetCellImageList(); }
    bool IsStretchImages() const override { return m_grid.IsStretchImages(); }

private:
    const IPaintHost& m_grid; // Not owned; outlives this.
    Platform::CRect m_band;
};

} // namespace Brivel::GUI
