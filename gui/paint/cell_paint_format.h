#pragma once
// CCellPaintFormat: the default cell painter, registered as
// "GUI::CCellPaintFormat". It draws one cell in these steps, each under its
// paint element bit (paint_format.h):
//
//   ScheduleHighlightRefresh  note in the context when a highlighted cell
//                             changes its look next (0x400); the paint pass
//                             asks the grid once for the nearest
//   DrawBackground            the composed background colour (0x8)
//   DrawSelectionRect         the rubber-band rectangle (0x80)
//   DrawText                  the value's text (0x1)
//   DrawImage                 the column's cell image (0x2)
//   DrawFocusFrame            dotted frame of the focus row (0x200)
//   DrawSelectionFrame        frame around selected rows (0x20)
//   DrawTree                  expand buttons and tree lines (0x2000, 0x4000, 0x8000)
//   DrawInsertionMark         drop bar of a row drag (0x800)
//   DrawDropArrows            drop arrows of a row drag (0x1000)
//   DrawVerticalLine          dotted column line (0x20000)
//   DrawHorizontalLine        dotted row line (0x10000)
//   (embedded control)        the cell's control draws itself (0x40000)
//   DrawEditorMark            the in-place editor's mark
//
// Colours (GetBackColor, GetTextColor) start from the row's colours by
// parity; the background then takes, in this order, the change highlight of
// the highlight mode, the selection tint, the sorted-column tint and the
// focus tint, each blended over the previous result at its alpha; the text
// takes only the change highlight.
//
// The format holds no state: one instance serves every grid. Drawing a cell
// allocates nothing beyond what its value's text costs (texts longer than the
// string's inline capacity), except the scratch surface of a stretched image
// and the clip changes of a cell with an embedded control.
//
// Thread: GUI thread (drawing); Clone and the identity operations any thread.

#include "gui/paint/paint_format.h"
#include "gui/paint/paint_records.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Brivel::GUI {

// One colour layer of a change highlight: `color` blended at `alpha` when
// `active`.
struct HighlightLayer {
    COLORREF color = Platform::RGB(255, 255, 255); // the layer's colour
    uint8_t alpha = 0;                             // blended at this alpha
    bool active = false;                           // false: the layer draws nothing
};

// The change highlight of a cell whose value changed `elapsed` ms ago, for
// the cell's own colours. Inactive unless 0 <= elapsed < duration and the
// duration is positive, and for a mode that does not highlight that side.
HighlightLayer GetBackHighlightLayer(const HighlightSettings& settings, int32_t elapsed, COLORREF cellTextColor);
HighlightLayer GetTextHighlightLayer(const HighlightSettings& settings, int32_t elapsed, COLORREF cellBackColor);

class CCellPaintFormat : public ICellPaintFormat {
public:
    static constexpr char kClassName[] = "GUI::CCellPaintFormat"; // the registry name
    // The key colour of the scratch surface a stretched image is drawn on.
    static constexpr COLORREF kImageKeyColor = Platform::RGB(237, 238, 234);

    CCellPaintFormat() = default; // stateless: one instance serves every grid

    void Draw(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const override;
    COLORREF GetBackColor(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const override;
    COLORREF GetTextColor(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const override;
    int32_t MeasureWidth(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const override;
    void GetImageRect(Platform::CRect& result, const CellInfo& cell, PaintContext& context,
                      PaintElementMask mask) const override;
    void GetTextRect(Platform::CRect& result, const CellInfo& cell, PaintContext& context,
                     PaintElementMask mask) const override;
    std::unique_ptr<ICellPaintFormat> Clone() const override;
    bool IsSerializable() const override { return true; }
    std::string GetClassName() const override { return kClassName; }
    // No state of its own: stores nothing.
    void Serialize(Platform::CArchive& /*ar*/) override {}

    virtual void DrawBackground(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const; // the composed background colour (0x8)
    virtual void DrawSelectionRect(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const; // the rubber-band rectangle (0x80)
    virtual void DrawText(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const; // the value's text (0x1)
    virtual void DrawImage(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const; // the column's cell image (0x2)
    virtual void DrawFocusFrame(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const; // dotted frame of the focus row (0x200)
    virtual void DrawSelectionFrame(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const; // frame around selected rows (0x20)
    virtual void DrawTree(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const; // expand buttons and tree lines (0x2000, 0x4000, 0x8000)
    virtual void DrawInsertionMark(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const; // drop bar of a row drag (0x800)
    virtual void DrawDropArrows(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const; // drop arrows of a row drag (0x1000)
    virtual void DrawVerticalLine(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const; // dotted column line (0x20000)
    virtual void DrawHorizontalLine(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const; // dotted row line (0x10000)
    virtual void DrawEditorMark(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const; // the in-place editor's mark
    virtual void ScheduleHighlightRefresh(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const; // notes when a highlighted cell changes its look next (0x400)

    // The cell's text as DrawText shows it, written into context.text: the
    // value's text in the cell's format; empty without a column, an object
    // or a format. Answers context.text.
    static const std::string& ReadCellText(const CellInfo& cell, PaintContext& context);
    // The DrawText alignment flag (DT_LEFT, DT_RIGHT, DT_CENTER) of the cell.
    static unsigned GetTextAlignment(const CellInfo& cell);
    // The tree indentation of the cell in pixels: (depth + 1) x cell height
    // in the tree column when the tree-indentation bit is set, else 0.
    static int32_t GetTreeIndent(const CellInfo& cell, const PaintContext& context, PaintElementMask mask);
    // Depth of `item` below its list's root: 0 for a top-level row.
    static int32_t GetTreeDepth(const CGridItem& item);

private:
    // Milliseconds since the cell changed, when a change highlight can apply
    // to it at all (option on, bit set, a row item); else -1.
    static int32_t GetHighlightAge(const CellInfo& cell, PaintContext& context, PaintElementMask mask);
};

} // namespace Brivel::GUI
