#pragma once
// CHeaderPaintFormat: the default painter of the header strip, registered as
// "GUI::CHeaderPaintFormat". It walks the visible columns met by the clip
// rectangle, has the custom draw draw each header cell (the part of a
// scrolled column under the fixed columns kept out of the clip), fills the
// strip right of the last column with the button face, and during a column
// drag draws the insertion bar at the target column.
//
// The format holds no state: one instance serves every grid.
// Thread: GUI thread (drawing); the identity operations any thread.

#include "gui/paint/paint_format.h"
#include "gui/paint/paint_records.h"

#include <string>

namespace Brivel::GUI {

class CHeaderPaintFormat : public IHeaderPaintFormat {
public:
    static constexpr char kClassName[] = "GUI::CHeaderPaintFormat"; // the registry name
    // The colour of the insertion bar of a column drag.
    static constexpr COLORREF kInsertionBarColor = Platform::RGB(128, 128, 255);

    CHeaderPaintFormat() = default;

    void Draw(const HeaderInfo& header, PaintContext& context, PaintElementMask mask,
              ICustomDraw& customDraw) const override;
    bool IsSerializable() const override { return true; }
    std::string GetClassName() const override { return kClassName; }
    void Serialize(Platform::CArchive& /*ar*/) override {}
};

} // namespace Brivel::GUI
