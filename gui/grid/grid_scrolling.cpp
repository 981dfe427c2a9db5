// CGrid::CGridImpl: the client-area layout, vertical scrolling of the body by
// whole rows, horizontal scrolling of the scrollable columns by pixels, the
// wheel, EnsureVisible and the layout update.
//
// Client area, top to bottom: the header strip (when there is a header and it
// is shown), the pinned rows from row 0 (cut at the client bottom), the
// separator band (when shown and the pinned list has rows), and the body
// area, whose rows are laid out from the top row index down. The scroll bars
// are child widgets beside the client area, never over it.
//
// The QScrollBar ranges mirror a scroll bar with a page: the vertical range
// is 0 .. the last page top (the top row that still fills the last page), the
// horizontal one 0 .. total column width - client width; so the thumb can
// never be dragged past the last full page.
//
// Every walk over row heights here is bounded by the area it fills (a row is
// at least one pixel high), never by the row count.

#include "gui/grid/grid_impl.h"

#include "gui/rows/grid_item.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>

#include <span>

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;
using Platform::CRect;
using Platform::SaturateInt32;

namespace {

// The fixed and scrollable columns' width together. Each part is saturated on
// its own (a loaded layout may hold absurd widths), so their sum is too.
int32_t TotalWidth(const CHeader& header)
{
    return SaturateInt32(int64_t(header.GetFixedWidth()) + header.GetScrollableWidth());
}

} // namespace

// ---- Client area and invalidation ----

void CGridImpl::InvalidateFromRow(const CRowList& list, int32_t row)
{
    if (list.GetKind() == CRowList::kBodyList && row < m_topRow)
        row = m_topRow;
    // Further below the top row than the window is high (a row is at least a
    // pixel): off screen, known without the layout's key (the client area's
    // geometry), which a run of adds below the screen would otherwise
    // compute for every row.
    if (list.GetKind() == CRowList::kBodyList && m_topRow >= 0 && int64_t{row} - m_topRow >= m_grid.height())
        return;
    // From the top row down: the whole body area, whose top no body row
    // moves, so that removals at the top of the screen lay nothing out each.
    if (list.GetKind() == CRowList::kBodyList && row == m_topRow && m_topRow >= 0) {
        const CRowLayout::Areas& areas = m_layout.GetAreasOverBodyRows();
        if (areas.bodyTop < areas.bottom)
            Invalidate(CRect(areas.client.left, areas.bodyTop, areas.client.right, areas.bottom));
        return;
    }
    const int32_t y = m_layout.RowTop(list, row);
    if (y < 0)
        return;
    const CRowLayout::Areas& areas = m_layout.GetAreas();
    Invalidate(CRect(areas.client.left, y, areas.client.right, areas.bottom));
}

void CGridImpl::InvalidateRows(const CRowList& list, int32_t firstRow, int32_t lastRow)
{
    if (firstRow < 0)
        firstRow = 0;
    if (lastRow == kThroughLastRow) {
        InvalidateFromRow(list, firstRow);
        return;
    }
    if (list.GetKind() == CRowList::kBodyList)
        firstRow = std::max(firstRow, m_topRow);
    lastRow = std::min(lastRow, list.GetRowCount() - 1);
    if (firstRow > lastRow)
        return;
    // Only rows on screen count: from the first to the last of them in range.
    const CRowLayout::Row* const first = m_layout.Find(list, firstRow);
    if (first == nullptr)
        return;
    const int32_t shownLast = std::min(lastRow, m_layout.LastVisibleRow(list.GetKind()));
    const CRowLayout::Row* const last = m_layout.Find(list, shownLast);
    Invalidate(CRect(m_layout.GetAreas().client.left, first->top, m_layout.GetAreas().client.right,
                     last->VisibleBottom()));
}

// ---- Vertical scrolling ----

void CGridImpl::SetTopRow(int32_t row, bool redraw)
{
    const int32_t count = m_body.GetRowCount();
    if (row == m_topRow || (row < 0 && count > 0) || row >= count)
        return;
    if (!redraw) {
        m_topRow = row;
        return;
    }
    m_tooltips->OnScrolled();
    const int32_t old = m_topRow;
    m_topRow = row;
    m_input.GetEditor().OnScrolled();
    if (m_scroll.vbar != nullptr) {
        const QSignalBlocker block(m_scroll.vbar);
        m_scroll.vbar->setValue(std::max(row, 0));
    }
    const CRect body = m_layout.BodyArea();
    if (body.IsRectEmpty())
        return;
    if (old < 0 || row < 0) {
        Invalidate(body);
        return;
    }
    // The pixels scrolled over, counted up to the body height.
    const int32_t pixels = m_layout.BodyRowsHeight(std::min(old, row), std::max(old, row), body.Height());
    m_input.GetRowMouse().OnScrolled(row > old ? -pixels : pixels); // the press moves with its row
    // A drag-selection repaints its rows as it goes, a drop mark follows the
    // cursor, and a picture does not scroll.
    if (pixels >= body.Height() || pixels <= 0 || m_input.GetRowMouse().IsTracking() || m_dragDrop->IsDropOver() ||
        !m_options.background.isNull()) {
        Invalidate(body);
        return;
    }
    m_pacer.Flush(); // the held region moves with the contents
    if (row > old) {
        // Contents move up; the strip at the bottom is new. The last rows of
        // the old page may have been cut: repaint up to two of them too.
        const std::span<const CRowLayout::Row> shown = m_layout.GetRows(CRowList::kBodyList);
        int32_t extra = 0;
        for (size_t i = shown.size(); i > 0 && i + 2 > shown.size(); --i)
            extra += shown[i - 1].height;
        m_grid.scroll(0, -pixels, body.ToQRect());
        const int32_t stripHeight = std::min(body.Height(), pixels + extra);
        Invalidate(CRect(body.left, body.bottom - stripHeight, body.right, body.bottom));
    } else {
        m_grid.scroll(0, pixels, body.ToQRect());
        Invalidate(CRect(body.left, body.top, body.right, body.top + pixels));
    }
}

void CGridImpl::VScroll(VScrollAction action, int32_t position)
{
    m_tooltips->OnScrolled(); // after every action: no tooltip over rows that move
    const int32_t count = m_body.GetRowCount();
    if (count == 0)
        return;
    const int32_t top = std::max(m_topRow, 0);
    const int32_t lastPage = m_layout.LastPageTop();
    int32_t next = top;
    switch (action) {
    case VScrollAction::LineUp:
        if (top > 0)
            next = top - 1;
        break;
    case VScrollAction::LineDown:
        if (top <= lastPage - 1)
            next = top + 1;
        break;
    case VScrollAction::PageUp: {
        int32_t rows = m_layout.RowsThatFit(top, false);
        if (rows > 0)
            --rows;
        next = std::max(top - std::max(rows, 1), 0);
        break;
    }
    case VScrollAction::PageDown: {
        // A row taller than the body fits zero times: still move one row on.
        const int32_t rows = std::max(m_layout.RowsThatFit(top, true) - 1, 1);
        next = std::min(top + rows, lastPage);
        next = std::max(next, top);
        break;
    }
    case VScrollAction::ThumbTrack:
    case VScrollAction::ThumbPosition:
        if (position >= 0 && position < count)
            next = position;
        break;
    case VScrollAction::Top:
        next = 0;
        break;
    case VScrollAction::Bottom:
        // The last page top, as page down and resizing use: the last page is
        // full after it.
        next = lastPage;
        break;
    case VScrollAction::EndScroll:
        break;
    }
    if (next != m_topRow)
        SetTopRow(next, true);
}

void CGridImpl::ScrollBodyLines(int32_t lines)
{
    for (int32_t i = 0; i < std::abs(lines); ++i)
        VScroll(lines > 0 ? VScrollAction::LineDown : VScrollAction::LineUp);
}

void CGridImpl::SetWheelLines(int32_t lines)
{
    m_options.wheelLines = lines == 0 ? 1 : lines;
    m_scroll.wheelAccumulator = 0;
}

void CGridImpl::OnWheel(int32_t delta)
{
    if (m_options.wheelLines == -1) {
        m_scroll.wheelAccumulator += delta;
        const int32_t notches = m_scroll.wheelAccumulator / 120;
        m_scroll.wheelAccumulator -= notches * 120;
        for (int32_t i = 0; i < std::abs(notches); ++i)
            VScroll(notches > 0 ? VScrollAction::PageUp : VScrollAction::PageDown);
        return;
    }
    m_scroll.wheelAccumulator += delta * m_options.wheelLines;
    const int32_t lines = m_scroll.wheelAccumulator / -120; // positive: down
    m_scroll.wheelAccumulator += lines * 120;
    for (int32_t i = 0; i < std::abs(lines); ++i)
        VScroll(lines > 0 ? VScrollAction::LineDown : VScrollAction::LineUp);
}

void CGridImpl::EnsureVisible(int32_t row, CGridItem* item)
{
    if (!m_pacer.HasPainted()) {
        m_pendingEnsureRow = row;
        m_pendingEnsureItem = (row < 0 && ListOf(item) == &m_body) ? item : nullptr;
        SetTimer(kEnsureVisibleTimer, 10);
        return;
    }
    if (row < 0 && ListOf(item) == &m_body && item->IsShown())
        row = m_body.GetRowIndex(item);
    EnsureVisibleNow(row);
}

void CGridImpl::EnsureVisibleNow(int32_t row)
{
    if (row < 0 || row >= m_body.GetRowCount())
        return;
    const int32_t top = std::max(m_topRow, 0);
    if (row < top) {
        SetTopRow(row, true);
        return;
    }
    if (row < top + m_layout.RowsThatFit(top, true))
        return; // already a full row of the page
    SetTopRow(std::max(row + 1 - m_layout.RowsThatFit(row, false), 0), true);
}

// ---- Horizontal scrolling ----

void CGridImpl::SetHorizontalPos(int32_t pos)
{
    pos = std::max(pos, 0);
    if (m_scroll.hbar != nullptr) {
        const QSignalBlocker block(m_scroll.hbar);
        m_scroll.hbar->setValue(pos);
        pos = m_scroll.hbar->value(); // clamped to the range
    }
    if (m_hscrollPos.exchange(pos, std::memory_order_relaxed) != pos)
        m_input.GetEditor().OnScrolled();
}

void CGridImpl::HScroll(HScrollAction action, int32_t position)
{
    m_tooltips->OnScrolled();
    if (m_header == nullptr)
        return;
    const int32_t fixed = m_header->GetFixedWidth();
    const int32_t pos = GetHorizontalPos();
    const int32_t width = ClientRect().Width();
    std::optional<int32_t> next;
    const auto rectOf = [&](const CColumn* column) { return m_header->GetColumnRect(this, column->GetId()); };
    switch (action) {
    case HScrollAction::LineLeft: {
        const CColumn* column = m_header->HitTest(this, fixed);
        if (column == nullptr)
            break;
        if (rectOf(column).left == fixed) {
            const int32_t index = m_header->GetColumnIndex(column->GetId());
            column = index > 0 ? m_header->GetColumn(index - 1) : nullptr;
        }
        if (column != nullptr)
            next = SaturateInt32(int64_t(pos) + rectOf(column).left - fixed);
        break;
    }
    case HScrollAction::LineRight: {
        if (const CColumn* column = m_header->HitTest(this, fixed)) {
            const Platform::CRect rect = rectOf(column);
            if (rect.right >= 1)
                next = SaturateInt32(int64_t(pos) + rect.right - fixed);
        }
        break;
    }
    case HScrollAction::PageLeft: {
        if (const CColumn* column = m_header->HitTest(this, fixed)) {
            const Platform::CRect rect = rectOf(column);
            if (rect.right >= 1)
                next = SaturateInt32(int64_t(pos) + rect.right - width - fixed);
        }
        break;
    }
    case HScrollAction::PageRight: {
        if (const CColumn* column = m_header->HitTest(this, SaturateInt32(int64_t(fixed) + width - 1))) {
            const Platform::CRect rect = rectOf(column);
            if (rect.right >= 1)
                next = SaturateInt32(int64_t(pos) + rect.left - fixed);
        }
        break;
    }
    case HScrollAction::ThumbTrack:
    case HScrollAction::ThumbPosition:
        next = position;
        break;
    case HScrollAction::LeftEnd:
        SetHorizontalPos(0);
        InvalidateAll();
        return;
    case HScrollAction::RightEnd:
        SetHorizontalPos(TotalWidth(*m_header));
        InvalidateAll();
        return;
    case HScrollAction::EndScroll:
        return;
    }
    if (!next)
        return;
    SetHorizontalPos(*next);
    if (GetHorizontalPos() != pos)
        InvalidateAll();
}

// ---- Scroll bars and the layout update ----

void CGridImpl::CreateScrollBars()
{
    // Child widgets: the grid (their Qt parent) owns them.
    m_scroll.vbar = new QScrollBar(Qt::Vertical, &m_grid);
    m_scroll.hbar = new QScrollBar(Qt::Horizontal, &m_grid);
    m_scroll.vbar->hide();
    m_scroll.hbar->hide();
    m_scroll.vbar->setSingleStep(1);
    QObject::connect(m_scroll.vbar, &QAbstractSlider::actionTriggered, &m_grid, [this](int action) { OnVerticalBarAction(action); });
    QObject::connect(m_scroll.hbar, &QAbstractSlider::actionTriggered, &m_grid, [this](int action) { OnHorizontalBarAction(action); });
    // Changes that come without an action (the bar's own wheel handling).
    QObject::connect(m_scroll.vbar, &QAbstractSlider::valueChanged, &m_grid, [this](int value) {
        if (value != std::max(m_topRow, 0))
            VScroll(VScrollAction::ThumbPosition, value);
    });
    QObject::connect(m_scroll.hbar, &QAbstractSlider::valueChanged, &m_grid, [this](int value) {
        if (value != GetHorizontalPos())
            HScroll(HScrollAction::ThumbPosition, value);
    });
}

void CGridImpl::OnVerticalBarAction(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: VScroll(VScrollAction::LineDown); break;
    case QAbstractSlider::SliderSingleStepSub: VScroll(VScrollAction::LineUp); break;
    case QAbstractSlider::SliderPageStepAdd: VScroll(VScrollAction::PageDown); break;
    case QAbstractSlider::SliderPageStepSub: VScroll(VScrollAction::PageUp); break;
    case QAbstractSlider::SliderToMinimum: VScroll(VScrollAction::Top); break;
    case QAbstractSlider::SliderToMaximum: VScroll(VScrollAction::Bottom); break;
    case QAbstractSlider::SliderMove: VScroll(VScrollAction::ThumbTrack, m_scroll.vbar->sliderPosition()); break;
    default: break;
    }
    // The bar applies its slider position after this: make it ours.
    const QSignalBlocker block(m_scroll.vbar);
    m_scroll.vbar->setSliderPosition(std::max(m_topRow, 0));
}

void CGridImpl::OnHorizontalBarAction(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: HScroll(HScrollAction::LineRight); break;
    case QAbstractSlider::SliderSingleStepSub: HScroll(HScrollAction::LineLeft); break;
    case QAbstractSlider::SliderPageStepAdd: HScroll(HScrollAction::PageRight); break;
    case QAbstractSlider::SliderPageStepSub: HScroll(HScrollAction::PageLeft); break;
    case QAbstractSlider::SliderToMinimum: HScroll(HScrollAction::LeftEnd); break;
    case QAbstractSlider::SliderToMaximum: HScroll(HScrollAction::RightEnd); break;
    case QAbstractSlider::SliderMove: HScroll(HScrollAction::ThumbTrack, m_scroll.hbar->sliderPosition()); break;
    default: break;
    }
    const QSignalBlocker block(m_scroll.hbar);
    m_scroll.hbar->setSliderPosition(GetHorizontalPos());
}

bool CGridImpl::NeedsVerticalBar() const
{
    return m_body.GetRowCount() > 0 && m_layout.LastPageTop() > 0;
}

bool CGridImpl::NeedsHorizontalBar() const
{
    if (m_header == nullptr)
        return false;
    return TotalWidth(*m_header) > ClientRect().Width();
}

void CGridImpl::PlaceScrollBars()
{
    const Platform::CRect all = Platform::CRect::FromQRect(m_grid.rect());
    const int32_t extent = m_scroll.barExtent;
    if (m_scroll.vbarShown)
        m_scroll.vbar->setGeometry(all.right - extent, all.top, extent, all.Height() - (m_scroll.hbarShown ? extent : 0));
    if (m_scroll.hbarShown)
        m_scroll.hbar->setGeometry(all.left, all.bottom - extent, all.Width() - (m_scroll.vbarShown ? extent : 0), extent);
    m_scroll.vbar->setVisible(m_scroll.vbarShown);
    m_scroll.hbar->setVisible(m_scroll.hbarShown);
}

void CGridImpl::UpdateLayout()
{
    if (m_scroll.inLayout || IsDestroyed() || m_scroll.vbar == nullptr)
        return;
    m_scroll.inLayout = true;
    ++m_scroll.layoutUpdates;
    m_scroll.barExtent = m_grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &m_grid);
    const bool hadV = m_scroll.vbarShown;
    const bool hadH = m_scroll.hbarShown;
    // The horizontal bar takes height (rows that fit), the vertical one width
    // (columns that fit): settle both in two rounds.
    m_scroll.hbarShown = false;
    m_scroll.vbarShown = NeedsVerticalBar();
    m_scroll.hbarShown = NeedsHorizontalBar();
    m_scroll.vbarShown = NeedsVerticalBar();
    m_scroll.hbarShown = NeedsHorizontalBar();
    PlaceScrollBars();

    const int32_t count = m_body.GetRowCount();
    {
        const QSignalBlocker block(m_scroll.vbar);
        const int32_t page = std::max(m_layout.RowsThatFit(std::max(m_topRow, 0), true), 1);
        m_scroll.vbar->setRange(0, std::max(m_layout.LastPageTop(), 0));
        m_scroll.vbar->setPageStep(page);
        m_scroll.vbar->setValue(std::max(m_topRow, 0));
    }
    {
        const QSignalBlocker block(m_scroll.hbar);
        const int32_t width = ClientRect().Width();
        const int32_t total = m_header ? TotalWidth(*m_header) : 0;
        m_scroll.hbar->setRange(0, std::max(SaturateInt32(int64_t(total) - width), 0));
        m_scroll.hbar->setPageStep(std::max(width, 1));
        m_scroll.hbar->setSingleStep(std::max(width / 20, 1));
        m_scroll.hbar->setValue(GetHorizontalPos());
        m_hscrollPos.store(m_header ? m_scroll.hbar->value() : 0, std::memory_order_relaxed);
    }
    if (hadV != m_scroll.vbarShown || hadH != m_scroll.hbarShown)
        InvalidateAll(); // the client area changed
    else
        InvalidateFromRow(m_body, std::min(m_scroll.previousRowCount, count));
    m_scroll.previousRowCount = count;
    m_scroll.inLayout = false;
}

void CGridImpl::OnResize()
{
    UpdateLayout();
    // Keep the last page full: a window that shows more rows pulls the top up.
    const int32_t lastPage = m_layout.LastPageTop();
    if (m_topRow > lastPage) {
        m_topRow = std::max(lastPage, 0);
        UpdateLayout();
    }
    InvalidateAll();
}

bool CGridImpl::SetItemRowHeight(CGridItem* item, int32_t height)
{
    if (ListOf(item) == nullptr || !item->SetRowHeight(height))
        return false;
    UpdateLayout();
    return true;
}

bool CGridImpl::SetListRowHeight(int32_t kind, int32_t height)
{
    CRowList* const list = ListOfKind(kind);
    if (list == nullptr || !list->SetRowHeight(height, true))
        return false;
    UpdateLayout();
    InvalidateAll();
    return true;
}

} // namespace Brivel::GUI
