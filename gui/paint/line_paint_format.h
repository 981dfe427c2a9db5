#pragma once
// CLinePaintFormat: the default painter of one row, registered as
// "GUI::CLinePaintFormat". It walks the visible columns met by the clip
// rectangle from its left edge (the header's hit test), builds each cell's
// record and has the custom draw draw it; the part of a scrolled column that
// lies under the fixed columns is kept out of the clip while its cell draws,
// so it never paints over them. The rest of the row right of the last column
// is drawn as a cell without a column.
//
// Rows and columns outside the clip rectangle are skipped by geometry before
// any cell record is built. A row allocates nothing, except a clip change for
// the one cell that straddles the fixed-area boundary.
//
// The format holds no state: one instance serves every grid.
// Thread: GUI thread (drawing); the identity operations any thread.

#include "gui/paint/paint_format.h"
#include "gui/paint/paint_records.h"

#include <string>

namespace Brivel::GUI {

class CLinePaintFormat : public ILinePaintFormat {
public:
    static constexpr char kClassName[] = "GUI::CLinePaintFormat"; // the registry name

    CLinePaintFormat() = default;

    void Draw(const LineInfo& line, PaintContext& context, PaintElementMask mask,
              ICustomDraw& customDraw) const override;
    bool IsSerializable() const override { return true; }
    std::string GetClassName() const override { return kClassName; }
    void Serialize(Platform::CArchive& /*ar*/) override {}

    // Fills `cell` for `column` (null: the area right of the last column)
    // spanning columnRect's [left, right) of `line`: the rectangles (the
    // visible one clipped at the fixed width when `scrollable`), the column's
    // attributes, the image and the value format. Allocates nothing.
    static void BuildCellInfo(CellInfo& cell, const LineInfo& line, const PaintContext& context, CColumn* column,
                              const Platform::CRect& columnRect, bool scrollable);
};

} // namespace Brivel::GUI
