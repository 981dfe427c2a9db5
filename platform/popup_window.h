#pragma once
// CPopupWindow: a top-level popup (a tooltip window) that is shown without
// taking the activation or the keyboard focus from the window the user works
// in, and lets the mouse through to the windows below it, so that a popup
// shown under the cursor does not make the widget beneath see a leave. A
// subclass paints it (paintEvent).
//
// GetVirtualScreenRect: the rectangle that spans every screen, for keeping
// popups on screen.
//
// Owns: nothing beyond the widget. Its owner (the Qt parent given to the
// constructor, if any) deletes it with itself, like any child.
//
// Thread: GUI thread only.

#include <QRect>
#include <QWidget>

namespace Brivel::Platform {

class CPopupWindow : public QWidget {
public:
    explicit CPopupWindow(QWidget* owner = nullptr); // a hidden popup for `owner`

    // Moves and sizes the popup to `screenRect` (global coordinates), shows it
    // without activating it and repaints it.
    void ShowAt(const QRect& screenRect);
};

// The virtual screen in global coordinates; empty when there is no screen.
QRect GetVirtualScreenRect();

} // namespace Brivel::Platform
