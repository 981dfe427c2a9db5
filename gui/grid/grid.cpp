// CGrid: the public operations, each carried to the GUI thread by the calling
// rule (CGridImpl::Call), and the QWidget events handed to the implementation.

#include "gui/grid/grid.h"

#include "gui/grid/grid_call.h"

#include "common/data_object.h"
#include "platform/archive.h"

#include "gui/input/input_router.h"

#include <QGuiApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QWheelEvent>

#include <utility>

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;

BRIVEL_IMPLEMENT_RUNTIME_CLASS(CGrid, Platform::CObject, "CGrid", 1)

CGrid::CGrid(QWidget* parent) : QWidget(parent)
{
    // Child widgets (the scroll bars) are not painted over; the grid paints
    // every pixel of its client area itself, so Qt need not erase it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true); // the header shows the resize cursor over its dividers
    m_impl = std::make_unique<CGridImpl>(*this);
}

CGrid::~CGrid()
{
    m_impl->Destroy();
    m_impl.reset();
}

Platform::HWND CGrid::GetSafeHwnd() const
{
    return m_impl->GetSafeHwnd();
}

void CGrid::DestroyWindow()
{
    m_impl->Destroy();
}

void CGrid::SetNotifyOwner(QObject* owner)
{
    m_impl->SetOwner(owner);
}

void CGrid::SetControlId(uintptr_t controlId)
{
    m_impl->SetControlId(controlId);
}

CGridItem* CGrid::Add(Common::CDataObject* object, CGridItem* parent, CGridItem* position)
{
    const bool marshalled = !m_impl->IsWindowThread();
    return m_impl->Call(kOpAdd, [&](CGridImpl& impl) { return impl.Add(object, parent, position, marshalled); });
}

void CGrid::MarkChanged(int32_t row, int32_t kind, CGridItem* item, int32_t fieldId)
{
    // The posted form (operation 82 with a heap record) is what other code
    // may send; this call runs at once on the GUI thread, so that a handle is
    // never followed after its caller has let go of it.
    m_impl->Call(kOpMarkChangedNow, [&](CGridImpl& impl) { impl.MarkChanged(row, kind, item, fieldId); });
}

void CGrid::Serialize(Platform::CArchive& ar)
{
    m_impl->Call(kOpSerialize, [&](CGridImpl& impl) { impl.Serialize(ar); });
}

bool CGrid::event(QEvent* event)
{
    // Drags of rows over the window (grid_dragdrop_ops.cpp).
    if (m_impl && m_impl->GetDragDrop().HandleEvent(*event))
        return true;
    const bool handled = QWidget::event(event);
    // A new style may have scroll bars of another width: lay out again.
    if (event->type() == QEvent::StyleChange && m_impl && !m_impl->IsDestroyed())
        m_impl->UpdateLayout();
    return handled;
}

void CGrid::paintEvent(QPaintEvent* event)
{
    if (m_impl)
        m_impl->Paint(*event);
}

void CGrid::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_impl && !m_impl->IsDestroyed())
        m_impl->OnResize();
}

void CGrid::wheelEvent(QWheelEvent* event)
{
    if (!m_impl || m_impl->IsDestroyed()) {
        event->ignore();
        return;
    }
    // An open editor holds the input: the wheel scrolls nothing.
    if (!m_impl->GetInput().GetEditor().IsActive())
        m_impl->OnWheel(event->angleDelta().y());
    event->accept();
}

void CGrid::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    if (!m_impl || m_impl->IsDestroyed() ||
        !m_impl->GetInput().OnMousePress(Platform::CPoint(at), event->button(), event->modifiers()))
        QWidget::mousePressEvent(event);
}

void CGrid::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (!m_impl || m_impl->IsDestroyed() || !m_impl->GetInput().OnMouseMove(Platform::CPoint(at), event->buttons()))
        QWidget::mouseMoveEvent(event);
}

void CGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (!m_impl || m_impl->IsDestroyed() ||
        !m_impl->GetInput().OnMouseRelease(Platform::CPoint(at), event->button(), event->modifiers()))
        QWidget::mouseReleaseEvent(event);
}

void CGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (!m_impl || m_impl->IsDestroyed() ||
        !m_impl->GetInput().OnDoubleClick(Platform::CPoint(at), event->button(), event->modifiers()))
        QWidget::mouseDoubleClickEvent(event);
}

void CGrid::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    if (m_impl && !m_impl->IsDestroyed())
        m_impl->GetInput().OnFocusLost();
}

void CGrid::keyPressEvent(QKeyEvent* event)
{
    const bool leftDown = QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
    if (!m_impl || m_impl->IsDestroyed() ||
        !m_impl->GetInput().OnKeyPress(event->key(), event->modifiers(), leftDown, event->text()))
        QWidget::keyPressEvent(event); // on to the parent
}

void CGrid::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // QWidget::setFont stands for the font message: it becomes the grid font.
    if (event->type() == QEvent::FontChange && m_impl && !m_impl->IsDestroyed())
        m_impl->SetGridFont(font());
}

bool CGrid::Attach(CGridItem* item, CGridItem* parent, CGridItem* position)
{
    return m_impl->Call(kOpAttach, [&](CGridImpl& impl) { return impl.Attach(item, parent, position); });
}

bool CGrid::Detach(CGridItem* item)
{
    return m_impl->Call(kOpDetach, [&](CGridImpl& impl) { return impl.Detach(item); });
}

bool CGrid::Remove(CGridItem* item)
{
    return m_impl->Call(kOpRemove, [&](CGridImpl& impl) { return impl.Remove(item); });
}

bool CGrid::RemoveAt(int32_t row, int32_t listMask)
{
    return m_impl->Call(kOpRemoveAt, [&](CGridImpl& impl) { return impl.RemoveAt(row, listMask); });
}

bool CGrid::Clear(int32_t listMask)
{
    return m_impl->Call(kOpClear, [&](CGridImpl& impl) { return impl.Clear(listMask); });
}

void CGrid::FindItems(Common::CDataObject* object, std::vector<CGridItem*>& items, bool shownOnly, int32_t listMask)
{
    m_impl->Call(kOpFindItems, [&](CGridImpl& impl) { impl.FindItems(object, items, shownOnly, listMask); });
}

int32_t CGrid::RemoveObject(Common::CDataObject* object)
{
    return m_impl->Call(kOpRemoveObject, [&](CGridImpl& impl) { return impl.RemoveObject(object); });
}

int32_t CGrid::GetRowCount(int32_t kind)
{
    return m_impl->Call(kOpGetRowCount, [&](CGridImpl& impl) { return impl.GetRowCount(kind); });
}

CGridItem* CGrid::GetItem(int32_t row, int32_t kind)
{
    return m_impl->Call(kOpGetItem, [&](CGridImpl& impl) { return impl.ListOfKind(kind) ? impl.ListOfKind(kind)->GetItem(row) : nullptr; });
}

int32_t CGrid::GetRowIndex(CGridItem* item)
{
    return m_impl->Call(kOpGetRowIndex, [&](CGridImpl& impl) { return impl.ListOf(item) ? impl.ListOf(item)->GetRowIndex(item) : -1; });
}

void CGrid::SetSortKey(int32_t level, const CSortInfo& key, bool resortNow)
{
    m_impl->Call(kOpSetSortKey, [&](CGridImpl& impl) { impl.SetSortKey(level, key, resortNow); });
}

void CGrid::ClearSort(bool repaint)
{
    m_impl->Call(kOpClearSort, [&](CGridImpl& impl) { impl.ClearSort(repaint); });
}

void CGrid::Sort()
{
    m_impl->Call(kOpSort, [&](CGridImpl& impl) { impl.Sort(); });
}

CSortInfo CGrid::GetSortKey(int32_t level)
{
    return m_impl->Call(kOpGetSortKey, [&](CGridImpl& impl) { return impl.GetSortKey(level); });
}

int32_t CGrid::GetSortKeyCount()
{
    return m_impl->Call(kOpGetSortKeyCount, [&](CGridImpl& impl) { return impl.GetSortKeyCount(); });
}

int32_t CGrid::GetChangeAge(int32_t row, int32_t kind, CGridItem* item, int32_t fieldId)
{
    return m_impl->Call(kOpGetChangeAge, [&](CGridImpl& impl) { return impl.GetChangeAge(row, kind, item, fieldId); });
}

void CGrid::SetHighlightExpiry(int32_t row, int32_t kind, CGridItem* item, int32_t fieldId, int32_t ms)
{
    m_impl->Call(kOpSetHighlightExpiry, [&](CGridImpl& impl) { impl.SetHighlightExpiry(row, kind, item, fieldId, ms); });
}

void CGrid::SetRowHighlightExpiry(int32_t row, int32_t kind, CGridItem* item, int32_t ms)
{
    m_impl->Call(kOpSetRowHighlightExpiry, [&](CGridImpl& impl) { impl.SetRowHighlightExpiry(row, kind, item, ms); });
}

int32_t CGrid::GetTopRow()
{
    return m_impl->Call(kOpGetTopRow, [&](CGridImpl& impl) { return impl.GetTopRow(); });
}

void CGrid::SetTopRow(int32_t row, bool redraw)
{
    m_impl->Call(kOpSetTopRow, [&](CGridImpl& impl) { impl.SetTopRow(row, redraw); });
}

int32_t CGrid::GetLastVisibleRow(int32_t kind)
{
    return m_impl->Call(kOpGetLastVisibleRow, [&](CGridImpl& impl) { return impl.GetRowLayout().LastVisibleRow(kind); });
}

void CGrid::EnsureVisible(int32_t row, CGridItem* item)
{
    m_impl->Call(kOpEnsureVisible, [&](CGridImpl& impl) { impl.EnsureVisible(row, item); });
}

int32_t CGrid::GetRowsThatFit(bool forward)
{
    return m_impl->Call(kOpRowsThatFit, [&](CGridImpl& impl) { return impl.GetRowLayout().RowsThatFit(impl.GetTopRow(), forward); });
}

int32_t CGrid::GetRowHeight(CGridItem* item)
{
    return m_impl->Call(kOpGetRowHeight, [&](CGridImpl& impl) { return impl.ListOf(item) ? item->GetRowHeight() : 0; });
}

bool CGrid::SetRowHeight(CGridItem* item, int32_t height)
{
    return m_impl->Call(kOpSetRowHeight, [&](CGridImpl& impl) { return impl.SetItemRowHeight(item, height); });
}

int32_t CGrid::GetListRowHeight(int32_t kind)
{
    return m_impl->Call(kOpGetListRowHeight, [&](CGridImpl& impl) { return impl.ListOfKind(kind) ? impl.ListOfKind(kind)->GetRowHeight() : 0; });
}

bool CGrid::SetListRowHeight(int32_t kind, int32_t height)
{
    return m_impl->Call(kOpSetListRowHeight, [&](CGridImpl& impl) { return impl.SetListRowHeight(kind, height); });
}

int32_t CGrid::GetHorizontalScrollPos()
{
    return m_impl->Call(kOpGetHorizontalScrollPos, [&](CGridImpl& impl) { return impl.GetHorizontalPos(); });
}

void CGrid::SetWheelLines(int32_t lines)
{
    m_impl->Call(kOpSetWheelLines, [&](CGridImpl& impl) { impl.SetWheelLines(lines); });
}

int32_t CGrid::GetWheelLines()
{
    return m_impl->Call(kOpGetWheelLines, [&](CGridImpl& impl) { return impl.GetOptions().wheelLines; });
}

CHeader* CGrid::GetHeader()
{
    return m_impl->Call(kOpGetHeader, [&](CGridImpl& impl) { return impl.GetHeader(); });
}

CHeader* CGrid::SetHeader(CHeader* header)
{
    return m_impl->Call(kOpSetHeader, [&](CGridImpl& impl) { return impl.SetHeader(header); });
}

void CGrid::SetHeaderShown(bool shown)
{
    m_impl->Call(kOpSetHeaderShown, [&](CGridImpl& impl) { impl.SetHeaderShown(shown); });
}

bool CGrid::IsHeaderShown()
{
    return m_impl->Call(kOpIsHeaderShown, [&](CGridImpl& impl) { return impl.IsHeaderShown(); });
}

void CGrid::SetNotifyParent(bool notify)
{
    m_impl->Call(kOpSetNotifyParent, [&](CGridImpl& impl) { impl.GetOptions().notifyParent = notify; });
}

bool CGrid::IsNotifyParent()
{
    return m_impl->Call(kOpIsNotifyParent, [&](CGridImpl& impl) { return impl.GetOptions().notifyParent; });
}

void CGrid::SetHighlightChangedValues(bool highlight)
{
    m_impl->Call(kOpSetHighlightChangedValues, [&](CGridImpl& impl) { impl.SetHighlightChangedValues(highlight); });
}

bool CGrid::IsHighlightChangedValues()
{
    return m_impl->Call(kOpIsHighlightChangedValues, [&](CGridImpl& impl) { return impl.IsHighlightChangedValues(); });
}

HighlightSettings CGrid::GetHighlightSettings()
{
    return m_impl->Call(kOpGetHighlightSettings, [&](CGridImpl& impl) { return impl.GetHighlightSettings(); });
}

void CGrid::SetHighlightSettings(const HighlightSettings& settings)
{
    m_impl->Call(kOpSetHighlightSettings, [&](CGridImpl& impl) { impl.SetHighlightSettings(settings); });
}

Appearance CGrid::GetAppearance()
{
    return m_impl->Call(kOpGetAppearance, [&](CGridImpl& impl) { return impl.GetAppearance(); });
}

void CGrid::SetAppearance(const Appearance& appearance)
{
    m_impl->Call(kOpSetAppearance, [&](CGridImpl& impl) { impl.SetAppearance(appearance); });
}

void CGrid::SetPaintElementMask(PaintElementMask mask)
{
    m_impl->Call(kOpSetPaintElementMask, [&](CGridImpl& impl) { impl.SetPaintElementMask(mask); });
}

PaintElementMask CGrid::GetPaintElementMask()
{
    return m_impl->Call(kOpGetPaintElementMask, [&](CGridImpl& impl) { return impl.GetPaintElementMask(); });
}

void CGrid::SetDoubleBuffered(bool doubleBuffered)
{
    m_impl->Call(kOpSetDoubleBuffered, [&](CGridImpl& impl) { impl.SetDoubleBuffered(doubleBuffered); });
}

bool CGrid::IsDoubleBuffered()
{
    return m_impl->Call(kOpGetDoubleBuffered, [&](CGridImpl& impl) { return impl.IsDoubleBuffered(); });
}

void CGrid::EnableSelection(bool enable)
{
    m_impl->Call(kOpEnableSelection, [&](CGridImpl& impl) { impl.EnableSelection(enable); });
}

bool CGrid::IsSelectionEnabled()
{
    return m_impl->Call(kOpIsSelectionEnabled, [&](CGridImpl& impl) { return impl.IsSelectionEnabled(); });
}

void CGrid::SetMultipleSelection(bool multiple)
{
    m_impl->Call(kOpSetMultipleSelection, [&](CGridImpl& impl) { impl.SetMultipleSelection(multiple); });
}

bool CGrid::IsMultipleSelection()
{
    return m_impl->Call(kOpIsMultipleSelection, [&](CGridImpl& impl) { return impl.IsMultipleSelection(); });
}

void CGrid::SetSelectableLists(int32_t mask)
{
    m_impl->Call(kOpSetSelectableLists, [&](CGridImpl& impl) { impl.SetSelectableLists(mask); });
}

int32_t CGrid::GetSelectableLists()
{
    return m_impl->Call(kOpGetSelectableLists, [&](CGridImpl& impl) { return impl.GetOptions().selectableLists; });
}

bool CGrid::IsSelectableList(int32_t kind)
{
    return m_impl->Call(kOpIsSelectableList, [&](CGridImpl& impl) { return CGridImpl::KindInMask(kind, impl.GetOptions().selectableLists); });
}

void CGrid::SetSortableLists(int32_t mask)
{
    m_impl->Call(kOpSetSortableLists, [&](CGridImpl& impl) { impl.GetOptions().sortableLists = mask & kBothLists; });
}

int32_t CGrid::GetSortableLists()
{
    return m_impl->Call(kOpGetSortableLists, [&](CGridImpl& impl) { return impl.GetOptions().sortableLists; });
}

void CGrid::SetFocusMask(int32_t mask)
{
    m_impl->Call(kOpSetFocusMask, [&](CGridImpl& impl) { impl.GetOptions().focusMask = mask & kBothLists; });
}

int32_t CGrid::GetFocusMask()
{
    return m_impl->Call(kOpGetFocusMask, [&](CGridImpl& impl) { return impl.GetOptions().focusMask; });
}

bool CGrid::IsFocusList(int32_t kind)
{
    return m_impl->Call(kOpIsFocusList, [&](CGridImpl& impl) { return CGridImpl::KindInMask(kind, impl.GetOptions().focusMask); });
}

int32_t CGrid::GetFocusRow()
{
    return m_impl->Call(kOpGetFocusRow, [&](CGridImpl& impl) { return impl.GetSelection().GetFocusRow(); });
}

int32_t CGrid::GetFocusListKind()
{
    return m_impl->Call(kOpGetFocusListKind, [&](CGridImpl& impl) { return impl.GetSelection().GetFocusKind(); });
}

void CGrid::SetSeparatorShown(bool shown)
{
    m_impl->Call(kOpSetSeparatorShown, [&](CGridImpl& impl) { impl.SetSeparatorShown(shown); });
}

bool CGrid::IsSeparatorShown()
{
    return m_impl->Call(kOpIsSeparatorShown, [&](CGridImpl& impl) { return impl.IsSeparatorShown(); });
}

void CGrid::SetSeparatorHeight(int32_t height)
{
    m_impl->Call(kOpSetSeparatorHeight, [&](CGridImpl& impl) { impl.SetSeparatorHeight(height); });
}

int32_t CGrid::GetSeparatorHeight()
{
    return m_impl->Call(kOpGetSeparatorHeight, [&](CGridImpl& impl) { return impl.GetSeparatorHeight(); });
}

IRowFilter* CGrid::SetRowFilter(IRowFilter* filter)
{
    return m_impl->Call(kOpSetRowFilter, [&](CGridImpl& impl) { return impl.SetRowFilter(filter); });
}

IRowFilter* CGrid::GetRowFilter()
{
    return m_impl->Call(kOpGetRowFilter, [&](CGridImpl& impl) { return impl.GetRowFilter(); });
}

void CGrid::Refilter()
{
    m_impl->Call(kOpRefilter, [&](CGridImpl& impl) { impl.Refilter(); });
}

void CGrid::SetGridFont(const QFont& font)
{
    m_impl->Call(kOpSetGridFont, [&](CGridImpl& impl) { impl.SetGridFont(font); });
}

QFont CGrid::GetGridFont()
{
    return m_impl->Call(kOpGetGridFont, [&](CGridImpl& impl) { return impl.GetGridFont(); });
}

ICustomDraw* CGrid::SetCustomDraw(ICustomDraw* customDraw)
{
    return m_impl->Call(kOpSetCustomDraw, [&](CGridImpl& impl) { return impl.SetCustomDraw(customDraw); });
}

ICustomDraw* CGrid::GetCustomDraw()
{
    return m_impl->Call(kOpGetCustomDraw, [&](CGridImpl& impl) { return impl.GetCustomDraw(); });
}

Platform::CImageList* CGrid::SetCellImageList(Platform::CImageList* imageList)
{
    return m_impl->Call(kOpSetCellImageList, [&](CGridImpl& impl) { return impl.SetCellImageList(imageList); });
}

Platform::CImageList* CGrid::GetCellImageList()
{
    return m_impl->Call(kOpGetCellImageList, [&](CGridImpl& impl) { return impl.GetCellImageList(); });
}

void CGrid::SetStretchImages(bool stretch)
{
    m_impl->Call(kOpSetStretchImages, [&](CGridImpl& impl) {
        if (std::exchange(impl.GetOptions().stretchImages, stretch) != stretch)
            impl.InvalidateAll();
    });
}

bool CGrid::IsStretchImages()
{
    return m_impl->Call(kOpIsStretchImages, [](CGridImpl& impl) { return impl.GetOptions().stretchImages; });
}

void CGrid::PostHeaderRefresh()
{
    Platform::PostMessage(GetSafeHwnd(), CGridImpl::SyncMessageId(), kOpRefreshHeader, 0);
}

void CGrid::SetBackgroundPicture(const QImage& picture, int32_t mode, int32_t alpha)
{
    m_impl->Call(kOpSetBackgroundPicture, [&](CGridImpl& impl) { impl.SetBackgroundPicture(picture, mode, alpha); });
}

bool CGrid::SaveScreenshot(const QString& path)
{
    return m_impl->Call(kOpSaveScreenshot, [&](CGridImpl& impl) { return impl.GetPainter().SaveScreenshot(path); });
}
} // namespace Brivel::GUI
