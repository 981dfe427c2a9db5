#include "gui/tooltips/tooltip_ctrl.h"

#include "gui/paint/paint_format.h"
#include "gui/paint/paint_records.h"

#include "platform/dc.h"
#include "platform/popup_window.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <utility>

namespace Brivel::GUI {

// The popup: paints the outline, the background and the text.
class CTooltipWindow final : public Platform::CPopupWindow {
public:
    CTooltipWindow() : Platform::CPopupWindow(nullptr) {}

    void SetContent(const std::string& text, const QFont& font, const TooltipSettings& settings)
    {
        m_text = text;
        m_font = font;
        m_settings = settings;
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        Platform::CDC dc(painter);
        const Platform::CRect client(0, 0, width(), height());
        dc.FillSolidRect(client, m_settings.backColor);
        dc.Draw3dRect(client, m_settings.borderColor, m_settings.borderColor);
        dc.SelectFont(m_font);
        dc.SetBkMode(Platform::TRANSPARENT);
        dc.SetTextColor(m_settings.textColor);
        Platform::CRect textRect(m_settings.marginX, m_settings.marginY, width(), height());
        dc.DrawText(m_text, textRect, Platform::DT_LEFT | Platform::DT_TOP | Platform::DT_SINGLELINE |
                                          Platform::DT_NOCLIP | Platform::DT_NOPREFIX);
    }

private:
    std::string m_text;
    QFont m_font;
    TooltipSettings m_settings;
};

QRect PlaceTooltip(QPoint cursor, QSize size, const TooltipSettings& settings, int32_t cursorExtent,
                   const QRect& screen)
{
    const int32_t w = size.width();
    const int32_t h = size.height();
    const int32_t cx = cursor.x();
    const int32_t cy = cursor.y();
    int32_t x = 0;
    int32_t y = 0;
    switch (settings.position) {
    case TooltipSettings::kAbove: x = cx - w / 2; y = cy - settings.distanceY - h; break;
    case TooltipSettings::kBelow: x = cx - w / 2; y = cy + settings.distanceY + cursorExtent; break;
    case TooltipSettings::kLeft: x = cx - w - settings.distanceX; y = cy - h / 2; break;
    case TooltipSettings::kRight: x = cx + settings.distanceX + cursorExtent; y = cy - h / 2; break;
    default: x = screen.isEmpty() ? 0 : screen.left(); y = screen.isEmpty() ? 0 : screen.top(); break;
    }
    if (!screen.isEmpty()) {
        // The far edge first, then the near one: what does not fit at all
        // starts at the screen's left or top edge rather than off it.
        x = std::max(std::min(x, screen.left() + screen.width() - w), screen.left());
        y = std::max(std::min(y, screen.top() + screen.height() - h), screen.top());
    }
    return QRect(x, y, w, h);
}

// ---- CTooltipCtrl ----

CTooltipCtrl::CTooltipCtrl() : m_provider(&CTooltip::Shared()), m_settings(TooltipSettings::Defaults()) {}

CTooltipCtrl::~CTooltipCtrl()
{
    Destroy();
    ITooltip* const provider = std::exchange(m_provider, nullptr);
    if (provider != nullptr && provider->IsAutoDelete())
        std::unique_ptr<ITooltip> owned(provider); // handed over with SetProvider
}

bool CTooltipCtrl::Create(QWidget& owner)
{
    m_owner = &owner;
    if (m_window == nullptr)
        m_window = std::make_unique<CTooltipWindow>();
    if (m_measure == nullptr)
        m_measure = std::make_unique<Platform::CMemoryDC>(1, 1);
    return true;
}

void CTooltipCtrl::Destroy()
{
    m_window.reset();
    m_measure.reset();
}

void CTooltipCtrl::Hide()
{
    if (m_window != nullptr)
        m_window->hide();
}

bool CTooltipCtrl::IsShown() const
{
    return m_window != nullptr && m_window->isVisible();
}

ITooltip* CTooltipCtrl::SetProvider(ITooltip* provider)
{
    return std::exchange(m_provider, provider != nullptr ? provider : &CTooltip::Shared());
}

void CTooltipCtrl::SetSettings(const TooltipSettings& settings)
{
    m_settings = settings.Sanitized();
}

QWidget* CTooltipCtrl::GetWindowForTesting() const
{
    return m_window.get();
}

QSize CTooltipCtrl::Measure(std::string_view text)
{
    if (m_measure == nullptr || !m_measure->IsValid())
        return QSize();
    const Platform::CSize extent = m_measure->GetTextExtent(text);
    return QSize(extent.cx + 2 * m_settings.marginX, extent.cy + 2 * m_settings.marginY);
}

bool CTooltipCtrl::TakeText(CGrid& grid, const CellInfo& cell, const PaintContext& context)
{
    if (m_window == nullptr || m_measure == nullptr)
        return false;
    m_provider->GetText(grid, cell, m_text);
    if (m_text.empty())
        return false;
    const QFont font = context.font != nullptr ? *context.font : QFont();
    m_measure->SelectFont(font);
    m_window->SetContent(m_text, font, m_settings);
    return true;
}

void CTooltipCtrl::ShowWindowAt(const QRect& screenRect)
{
    m_window->ShowAt(screenRect);
}

bool CTooltipCtrl::Show(CGrid& grid, const CellInfo& cell, PaintContext& context, QPoint cursor)
{
    if (!TakeText(grid, cell, context))
        return false;
    const QSize size = Measure(m_text);
    ShowWindowAt(PlaceTooltip(cursor, size, m_settings, kCursorExtent, Platform::GetVirtualScreenRect()));
    return true;
}

// ---- CInPlaceTooltipCtrl ----

bool CInPlaceTooltipCtrl::Show(CGrid& grid, const CellInfo& cell, PaintContext& context, QPoint /*cursor*/)
{
    QWidget* const owner = Owner();
    if (owner == nullptr || cell.column == nullptr || context.customDraw == nullptr ||
        !TakeText(grid, cell, context))
        return false;
    QSize size = Measure(Text());
    size.setHeight(std::max(size.height(), cell.fullRect.Height()));
    const ICellPaintFormat& format =
        context.customDraw->GetCellPaintFormat(cell.column, cell.object, cell.item, &grid, cell, context);
    Platform::CRect textRect;
    format.GetTextRect(textRect, cell, context, context.mask);
    // Only a clipped text: one that fits is already shown whole.
    if (textRect.IsRectEmpty() || textRect.Width() >= size.width() - 2 * GetSettings().marginX)
        return false;
    const QPoint topLeft = owner->mapToGlobal(QPoint(textRect.left, textRect.top));
    ShowWindowAt(QRect(topLeft, QSize(size.width(), textRect.Height())));
    return true;
}

} // namespace Brivel::GUI
