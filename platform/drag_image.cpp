#include "platform/drag_image.h"

#include "platform/image_list.h"
#include "platform/popup_window.h"

#include <QPainter>

namespace Brivel::Platform {

// A popup without a background of its own: the image's transparent pixels
// show what lies below.
class CDragImage::CWindow final : public CPopupWindow {
public:
    CWindow() { setAttribute(Qt::WA_TranslucentBackground); }

    void SetImage(const QImage& image) { m_image = image; }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, m_image);
    }

private:
    QImage m_image;
};

CDragImage::CDragImage() = default;

CDragImage::~CDragImage() = default;

bool CDragImage::Begin(const CImageList& images, int index, CPoint hotSpot)
{
    End();
    const QImage* const image = images.GetImage(index);
    if (image == nullptr || image->isNull())
        return false;
    m_image = *image;
    m_hotSpot = hotSpot;
    if (!m_window)
        m_window = std::make_unique<CWindow>();
    m_window->SetImage(m_image);
    return true;
}

void CDragImage::Move(QPoint screenPoint)
{
    if (m_image.isNull())
        return;
    m_window->ShowAt(QRect(screenPoint - QPoint(m_hotSpot.x, m_hotSpot.y), m_image.size()));
}

void CDragImage::End()
{
    if (m_image.isNull())
        return;
    m_image = QImage();
    m_window->hide();
    m_window->SetImage(QImage());
}

QWidget* CDragImage::GetWindowForTesting() const
{
    return m_window.get();
}

} // namespace Brivel::Platform
