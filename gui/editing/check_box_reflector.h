#pragma once
// CCheckBoxReflector: edits boolean cells without a control. A click (or
// F2, or Space) on the cell toggles the value: StartEdit asks the grid to
// end the edit with the toggle reason, and the controller then calls Commit,
// which writes the negated value and announces it, and EndEdit.
//
// Drawing: the cell's standard text is left out and the reflector draws a
// check box, checked when the value is true, as high as the cell's content
// (the cell less 2 pixels left and right): centred when the text is
// suppressed (or empty), else at the left with the text 2 pixels right of
// it (placement 0) or at the right with the text ending 2 pixels left of it
// (placement 1).
//
// Thread: GUI thread only.

#include "gui/editing/control_reflector.h"

namespace Brivel::GUI {

class CCheckBoxReflector : public IControlReflector {
public:
    // Placements of the box beside the text (see the top of this file).
    static constexpr int32_t kBoxLeft = 0;
    static constexpr int32_t kBoxRight = 1;

    CCheckBoxReflector() = default;

    bool IsSuitable(const Common::CFormat& format) const override;
    bool StartEdit(const EditContext& context, const Common::CFormat* format, int32_t trigger) override;
    bool OnKeyAction(const EditContext& /*context*/, int32_t /*action*/) override { return true; }
    bool Commit(const EditContext& context, bool announce) override;
    bool EndEdit(CGrid* /*grid*/, CGridItem* /*item*/, CColumn* /*column*/) override { return true; }
    bool DrawsCell(const CellInfo& cell) const override;
    PaintElementMask FilterPaintElements(const CellInfo& cell, PaintElementMask mask) const override;
    void DrawCell(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const override; // draws the check box
    bool StartsOnClick() const override { return true; }
    QWidget* GetControl() const override { return nullptr; }

    void SetPlacement(int32_t placement) { m_placement = placement; } // kBoxLeft or kBoxRight
    int32_t GetPlacement() const { return m_placement; } // the placement
    void SetTextSuppressed(bool suppressed) { m_suppressText = suppressed; } // the box alone, centred
    bool IsTextSuppressed() const { return m_suppressText; } // the text is left out

private:
    int32_t m_placement = kBoxLeft;
    bool m_suppressText = false;
};

} // namespace Brivel::GUI
