#pragma once
// The toolbar's button images and the application icon, drawn in code.
//
// Every Settings command of the toolbar has its own 24 x 24 true-colour image
// on a transparent background (the mask of the original strip): a small table
// with a green plus (add), a red minus (remove), sliders (update settings), a
// play arrow (enable updates), a clock (OnIdle optimization), a crossed-out
// envelope (notifications optimization), two stacked pages (double
// buffering), and a cell plain, alpha-tinted and fading (the highlighting
// modes). The application icon is a small table with one highlighted cell.
//
// Thread: GUI thread only (QPixmap).

#include <QIcon>
#include <QImage>

#include <cstdint>

namespace Quellon {

inline constexpr int kToolbarImageSize = 24;

// The image of a toolbar command, kToolbarImageSize square, ARGB32 with a
// transparent background; a null image for an id without a button.
QImage DrawCommandImage(int32_t commandId);

// DrawCommandImage as an icon; a null icon for an id without a button.
QIcon MakeCommandIcon(int32_t commandId);

// The application icon (32 x 32 and 16 x 16).
QIcon MakeApplicationIcon();

} // namespace Quellon
