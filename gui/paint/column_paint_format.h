#pragma once
// CColumnPaintFormat: the default header-cell painter, registered as
// "GUI::CColumnPaintFormat". One header cell is drawn as DrawBackground
// (button face, raised frame), DrawSortMark (level boxes and a direction
// triangle when the column is a sort level), DrawCaption, then the header
// image (bit 0x4) at the cell's left.
//
// The format holds no state: one instance serves every grid.
// Thread: GUI thread (drawing); Clone and the identity operations any thread.

#include "gui/paint/paint_format.h"
#include "gui/paint/paint_records.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Brivel::GUI {

class CColumnPaintFormat : public IColumnPaintFormat {
public:
    static constexpr char kClassName[] = "GUI::CColumnPaintFormat"; // the registry name
    // The key colour of the scratch surface a header image is drawn on.
    static constexpr COLORREF kImageKeyColor = Platform::RGB(237, 238, 234);

    CColumnPaintFormat() = default; // stateless: one instance serves every grid

    void Draw(const ColumnInfo& column, PaintContext& context, PaintElementMask mask) const override;
    std::unique_ptr<IColumnPaintFormat> Clone() const override;
    bool IsSerializable() const override { return true; }
    std::string GetClassName() const override { return kClassName; }
    void Serialize(Platform::CArchive& /*ar*/) override {} // no state of its own: stores nothing

    // The width the sort mark takes at the cell's right.
    virtual int32_t GetSortMarkWidth() const { return 12; }
    virtual void DrawBackground(const ColumnInfo& column, PaintContext& context, PaintElementMask mask) const; // button face, raised frame
    virtual void DrawSortMark(const ColumnInfo& column, PaintContext& context, PaintElementMask mask) const; // level boxes, direction
    virtual void DrawCaption(const ColumnInfo& column, PaintContext& context, PaintElementMask mask) const; // the column's caption
    // Draws header image `image` stretched into `box`.
    virtual void DrawImage(const ColumnInfo& column, PaintContext& context, int32_t image,
                           const Platform::CRect& box) const;

    // Whether the cell shows its header image: bit 0x4, an image list in
    // the header information and an image index that is not negative.
    static bool HasHeaderImage(const ColumnInfo& column, PaintElementMask mask);
};

} // namespace Brivel::GUI
