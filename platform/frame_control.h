#pragma once
// Frame controls drawn into a cell: the check box of boolean cells.
//
// DrawCheckBox draws a square box with a one-pixel frame in the shadow
// colour on the window colour, and, when checked, a check mark in the
// window-text colour; a box smaller than 6 pixels is drawn as its frame
// alone. Pixels land the same on every surface (no anti-aliasing).
//
// Thread: the thread that owns the surface.

#include "platform/rect.h"

namespace Brivel::Platform {

class CDC;

// Draws a check box filling `box`, with its check mark when `checked`.
void DrawCheckBox(CDC& dc, const CRect& box, bool checked);

} // namespace Brivel::Platform
