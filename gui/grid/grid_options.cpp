// CGrid::CGridImpl: the option setters. Each stores its value in the
// grid's GridOptions and does what the new value needs at once: a repaint,
// a layout update, new row heights, a selection dropped.

#include "gui/grid/grid_impl.h"

#include "platform/font.h"

#include <algorithm>
#include <utility>

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;

// ---- Options ----

void CGridImpl::SetHighlightChangedValues(bool highlight)
{
    if (highlight == m_options.highlightChangedValues)
        return;
    m_options.highlightChangedValues = highlight;
    InvalidateAll();
}

void CGridImpl::SetHighlightSettings(const HighlightSettings& settings)
{
    m_options.highlightSettings = settings;
    InvalidateAll();
}

void CGridImpl::SetAppearance(const Appearance& appearance)
{
    if (appearance == m_options.appearance)
        return;
    m_options.appearance = appearance;
    InvalidateAll();
}

void CGridImpl::SetPaintElementMask(PaintElementMask mask)
{
    m_options.paintElementMask = mask & PaintElement::kAll;
    InvalidateAll();
}

void CGridImpl::SetDoubleBuffered(bool doubleBuffered)
{
    m_options.doubleBuffered = doubleBuffered;
    InvalidateAll();
}

void CGridImpl::EnableSelection(bool enable)
{
    m_options.selectionEnabled = enable;
    if (!enable) {
        m_pinned.DeselectAll();
        m_body.DeselectAll();
    }
}

void CGridImpl::SetMultipleSelection(bool multiple)
{
    m_options.multipleSelection = multiple;
    if (!multiple) {
        m_pinned.DeselectAll();
        m_body.DeselectAll();
    }
}

void CGridImpl::SetSelectableLists(int32_t mask)
{
    mask &= CGrid::kBothLists;
    const int32_t removed = m_options.selectableLists & ~mask;
    m_options.selectableLists = mask;
    if (removed & CGrid::kPinnedMask)
        m_pinned.DeselectAll();
    if (removed & CGrid::kBodyMask)
        m_body.DeselectAll();
}

void CGridImpl::SetSeparatorShown(bool shown)
{
    if (shown == m_options.separatorShown)
        return;
    m_options.separatorShown = shown;
    UpdateLayout();
    InvalidateAll();
}

void CGridImpl::SetSeparatorHeight(int32_t height)
{
    height = std::max(height, 0);
    if (height == m_options.separatorHeight)
        return;
    m_options.separatorHeight = height;
    UpdateLayout();
    InvalidateAll();
}

IRowFilter* CGridImpl::SetRowFilter(IRowFilter* filter)
{
    return std::exchange(m_rowFilter, filter);
}

void CGridImpl::Refilter()
{
    m_pinned.Refilter();
    m_body.Refilter();
}

void CGridImpl::SetGridFont(const QFont& font)
{
    if (m_options.font && *m_options.font == font)
        return;
    m_options.font = font;
    ApplyRowHeightFromFont();
}

QFont CGridImpl::GetGridFont() const
{
    return m_options.font ? *m_options.font : Platform::GetDefaultGuiFont();
}

void CGridImpl::ApplyRowHeightFromFont()
{
    // The custom draw measures in the grid font, else the default font.
    const int32_t height = std::clamp(CGridPainter::MeasureLineHeight(*this), 1, CRowList::kMaxRowHeight);
    m_pinned.SetRowHeight(height, true);
    m_body.SetRowHeight(height, true);
    if (m_pinned.GetRowCount() + m_body.GetRowCount() > 0 && m_topRow > m_layout.LastPageTop())
        m_topRow = std::max(m_layout.LastPageTop(), 0);
    UpdateLayout();
    InvalidateAll();
}

ICustomDraw* CGridImpl::SetCustomDraw(ICustomDraw* customDraw)
{
    ICustomDraw* const previous = std::exchange(m_customDraw, customDraw);
    if (previous != customDraw)
        ApplyRowHeightFromFont(); // row heights of both lists, layout, repaint
    return previous;
}

Platform::CImageList* CGridImpl::SetCellImageList(Platform::CImageList* imageList)
{
    Platform::CImageList* const previous = std::exchange(m_cellImageList, imageList);
    if (previous != imageList)
        InvalidateAll();
    return previous;
}

void CGridImpl::SetBackgroundPicture(const QImage& picture, int32_t mode, int32_t alpha)
{
    m_options.background = picture;
    m_options.backgroundMode = (mode >= kBackgroundCentred && mode <= kBackgroundTiled) ? mode : kBackgroundCentred;
    m_options.backgroundAlpha = std::clamp(alpha, -1, 255);
    InvalidateAll();
}

} // namespace Brivel::GUI
