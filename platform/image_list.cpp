#include "platform/image_list.h"

#include "platform/dc.h"

#include <algorithm>

namespace Brivel::Platform {

namespace {
constexpr int kMaxImageSide = 4096;
}

CImageList::CImageList(int width, int height)
{
    if (width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide) {
        m_width = width;
        m_height = height;
    }
}

int CImageList::AddMasked(const QImage& strip, COLORREF maskColor)
{
    if (m_width == 0 || strip.isNull() || strip.width() < m_width)
        return -1;
    const QImage source = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQRgb(maskColor) & 0x00FFFFFFu;
    const int first = GetImageCount();
    const int count = source.width() / m_width;
    const int rows = std::min(source.height(), m_height);
    for (int n = 0; n < count; ++n) {
        QImage image(m_width, m_height, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            break;
        image.fill(Qt::transparent);
        for (int y = 0; y < rows; ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y)) + n * m_width;
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < m_width; ++x)
                out[x] = (in[x] & 0x00FFFFFFu) == key ? 0u : qPremultiply(in[x]);
        }
        m_images.push_back(std::move(image));
    }
    return GetImageCount() > first ? first : -1;
}

int CImageList::Add(const QImage& image)
{
    if (m_width == 0 || image.isNull())
        return -1;
    QImage converted = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (converted.width() != m_width || converted.height() != m_height)
        converted = converted.scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (converted.isNull())
        return -1;
    m_images.push_back(std::move(converted));
    return GetImageCount() - 1;
}

bool CImageList::Remove(int index)
{
    if (index < 0 || index >= GetImageCount())
        return false;
    m_images.erase(m_images.begin() + index);
    return true;
}

bool CImageList::GetImageInfo(int index, IMAGEINFO& info) const
{
    if (index < 0 || index >= GetImageCount())
        return false;
    info.rcImage = CRect(index * m_width, 0, (index + 1) * m_width, m_height);
    return true;
}

const QImage* CImageList::GetImage(int index) const
{
    if (index < 0 || index >= GetImageCount())
        return nullptr;
    return &m_images[size_t(index)];
}

bool CImageList::Draw(CDC& dc, int index, CPoint pt, unsigned /*style*/) const
{
    const QImage* image = GetImage(index);
    if (image == nullptr)
        return false;
    return dc.DrawImage(pt.x, pt.y, *image);
}

} // namespace Brivel::Platform
