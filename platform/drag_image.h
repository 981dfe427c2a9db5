#pragma once
// CDragImage: an image that follows the cursor while the user drags
// something (a column in the header, rows), drawn above every window.
//
// Begin takes a copy of one image of an image list (its transparent pixels
// stay transparent) and the hot spot, the point of the image that sits under
// the cursor; Move places the image so that the hot spot is at a screen
// point and shows it; End hides it. The image lives in a popup window that
// neither takes the focus nor sees the mouse, so the window under the cursor
// goes on receiving the drag's mouse events.
//
// Owns: its popup window (made on the first Begin, deleted with this).
// Thread: GUI thread only.

#include "platform/rect.h"

#include <QImage>
#include <QPoint>

#include <memory>

class QWidget;

namespace Brivel::Platform {

class CImageList;

class CDragImage {
public:
    CDragImage();
    CDragImage(const CDragImage&) = delete;
    CDragImage& operator=(const CDragImage&) = delete;
    ~CDragImage();

    // Takes image `index` of `images`; false (and nothing shown) for an
    // index out of range. A drag already shown ends first.
    bool Begin(const CImageList& images, int index, CPoint hotSpot);
    // Shows the image with its hot spot at `screenPoint` (global
    // coordinates). Nothing without a Begin.
    void Move(QPoint screenPoint);
    // Hides the image and lets it go; nothing when none is shown.
    void End();

    bool IsActive() const { return !m_image.isNull(); } // a drag image is shown
    // The popup that shows the image (null before the first Begin): for tests.
    QWidget* GetWindowForTesting() const;

private:
    class CWindow;

    QImage m_image; // null: no drag
    CPoint m_hotSpot;
    std::unique_ptr<CWindow> m_window;
};

} // namespace Brivel::Platform
