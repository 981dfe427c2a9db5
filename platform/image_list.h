#pragma once
// CImageList: a list of equally sized images with transparency, drawn at a
// position on a surface (cell images, header images, drag images).
//
// Images are kept as premultiplied 32-bit images. AddMasked cuts a strip
// bitmap into images of the list's width (left to right) and makes the
// pixels of the mask colour transparent; Add keeps the image's own alpha.
// Image info gives each image's rectangle in the list's strip (index * width
// across, the list's height down), as the strip would hold them side by side.
//
// Thread: any one thread at a time (drawing: the thread that owns the surface).

#include "platform/colorref.h"
#include "platform/rect.h"

#include <QImage>

#include <vector>

namespace Brivel::Platform {

class CDC;

// Draw styles; ILD_NORMAL and ILD_TRANSPARENT both draw transparent pixels as
// transparent.
inline constexpr unsigned ILD_NORMAL = 0x0000;
inline constexpr unsigned ILD_TRANSPARENT = 0x0001;

// Where one image of a list lies (GetImageInfo).
struct IMAGEINFO {
    CRect rcImage; // the image's rectangle in the list's strip
};

class CImageList {
public:
    // Square images of side `size`.
    explicit CImageList(int size) : CImageList(size, size) {}
    // Images of width x height pixels; non-positive sizes give a list that
    // refuses every image.
    CImageList(int width, int height);

    // Adds floor(strip width / image width) images from the strip's top rows;
    // a strip lower than the images is padded with transparent pixels. Pixels
    // of maskColor become transparent. Answers the index of the first image
    // added, or -1 when nothing was added.
    int AddMasked(const QImage& strip, COLORREF maskColor);
    // Adds the image (scaled to the list's size when it differs), alpha kept.
    int Add(const QImage& image);
    bool Remove(int index); // false for an index out of range; later images move down
    void RemoveAll() { m_images.clear(); } // removes every image

    int GetImageCount() const { return static_cast<int>(m_images.size()); } // the number of images
    CSize GetImageSize() const { return CSize(m_width, m_height); } // every image's size
    bool GetImageInfo(int index, IMAGEINFO& info) const; // false for an index out of range
    // The image, or null for an index out of range.
    const QImage* GetImage(int index) const;

    // Draws image `index` with its top-left corner at `pt`. False for an index
    // out of range or an invalid surface.
    bool Draw(CDC& dc, int index, CPoint pt, unsigned style = ILD_NORMAL) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<QImage> m_images; // Format_ARGB32_Premultiplied, m_width x m_height
};

} // namespace Brivel::Platform
