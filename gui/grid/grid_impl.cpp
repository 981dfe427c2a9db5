// CGrid::CGridImpl: construction and destruction, the receiving end of the
// calling rule, timers, parent notifications, the row-list owner side, the
// reaction to header changes, and what the helpers ask of the window.
//
// Sections: Lifecycle | Messages and timers | Notifications |
// Row-list owner | Header | Paint host and repaint target
// (the option setters: grid_options.cpp)

#include "gui/grid/grid_impl.h"

#include "gui/rows/data_object_registry.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/live_items.h"

#include "common/data_object.h"
#include "common/process_clock.h"
#include "platform/sys_color.h"
#include "platform/window_class.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <mutex>

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;

namespace {

void RegisterGridWindowClass()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Platform::RegisterWindowClass(CGrid::kWindowClassName,
                                      [](QWidget* parent) { return std::make_unique<CGrid>(parent); });
    });
}

// Registered during static initialisation, so that the id is fixed before any
// thread can race for it (RegisterMessage itself is thread-safe too).
[[maybe_unused]] const uint32_t s_syncMessageAtStartUp = CGridImpl::SyncMessageId();

} // namespace

// ---- Lifecycle ----

CGridImpl::CGridImpl(CGrid& grid)
    : Platform::CMessageWindow(&grid), m_grid(grid), m_pinned(CRowList::kPinnedList, this),
      m_body(CRowList::kBodyList, this)
{
    RegisterGridWindowClass();
    // The first grid creates the registry and its dispatcher window on this,
    // the GUI thread.
    CDataObjectRegistry::GetInstance();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        m_options.wheelLines = QApplication::wheelScrollLines();
    CreateScrollBars();
    // The window exists from construction on: its thread is the GUI thread,
    // and the initialisation runs once the event loop gets to it.
    Platform::PostMessage(GetSafeHwnd(), SyncMessageId(), kOpInitialize, 0);
}

CGridImpl::~CGridImpl()
{
    Destroy();
    ReleaseHeader();
    ReleaseCustomDraw();
}

uint32_t CGridImpl::SyncMessageId()
{
    static const uint32_t id = Platform::RegisterMessage(CGrid::kSyncMessageName);
    return id;
}

void CGridImpl::Destroy()
{
    if (m_destroyed.exchange(true, std::memory_order_acq_rel))
        return;
    // No new header notification reaches the grid from here on.
    if (m_header != nullptr)
        m_header->Unadvise(this);
    for (uintptr_t id : {kAddBurstTimer, kEnsureVisibleTimer, kHeaderWidthTimer})
        KillTimer(id);
    m_pacer.Reset();
    m_highlights.Stop();
    m_input.Cancel();
    m_dragDrop->OnWindowDestroyed(); // a drag from or over the grid ends; no more drops
    m_tooltips->Hide();
    // Both lists go as by Clear(3): notification 1 for every row, then the
    // bindings and the items.
    for (CRowList* list : {&m_pinned, &m_body}) {
        ++m_removing;
        CGridItem* const root = list->GetRoot();
        for (int32_t i = root->GetChildCount() - 1; i >= 0; --i)
            SendRemovalNotifications(*root->GetChild(i));
        --m_removing;
        root->DetachDataObjects();
        list->DestroyAll();
    }
    m_selection.ClearFocus();
    m_topRow = -1;
    m_pendingEnsureItem = nullptr;
    m_painter.ReleaseBuffers();
    if (m_scroll.vbar != nullptr)
        QObject::disconnect(m_scroll.vbar, nullptr, nullptr, nullptr);
    if (m_scroll.hbar != nullptr)
        QObject::disconnect(m_scroll.hbar, nullptr, nullptr, nullptr);
    // Releases the handle: callers blocked in a send get the zero result,
    // later calls get it at once.
    DestroyWindow();
    // A header notification already inside OnHeaderChanged on another thread
    // returns now that the window is gone; wait for it before the grid goes.
    if (m_header != nullptr)
        m_header->UnadviseAndWait(this);
}

void CGridImpl::ReleaseHeader()
{
    CHeader* const header = std::exchange(m_header, nullptr);
    if (header == nullptr)
        return;
    header->Unadvise(this);
    if (std::exchange(m_ownsHeader, false))
        std::unique_ptr<CHeader> owned(header); // the grid's own header goes with it
}

void CGridImpl::ReleaseCustomDraw()
{
    ICustomDraw* const customDraw = std::exchange(m_customDraw, nullptr);
    if (customDraw != nullptr && customDraw->IsAutoDelete())
        std::unique_ptr<ICustomDraw> owned(customDraw); // handed over with SetCustomDraw
}

void CGridImpl::Initialize()
{
    if (m_initialized)
        return;
    m_initialized = true;
    // The in-place tooltip and the back buffer belong to the tooltip and
    // painting code, which prepare them on first use.
    m_dragDrop->OnWindowCreated(); // every grid takes drops
    UpdateLayout();
}

// ---- Messages and timers ----

Platform::LRESULT CGridImpl::OnMessage(uint32_t msg, Platform::WPARAM wParam, Platform::LPARAM lParam)
{
    if (msg != SyncMessageId())
        return 0;
    if (wParam == kOpMarkChanged) {
        const std::unique_ptr<CMarkChangedRecord> record = Platform::TakePostedPayload<CMarkChangedRecord>(lParam);
        if (record && !IsDestroyed())
            MarkChanged(record->row, record->kind, record->item, record->fieldId);
        return 0;
    }
    if (IsDestroyed())
        return 0;
    switch (wParam) {
    case kOpInitialize:
        Initialize();
        return 0;
    case kOpDeferredLayout:
        RunDeferredLayout();
        return 0;
    case kOpRefreshHeader:
        // The header's height again through the custom draw (its change
        // lays the grid out), then the whole grid repainted.
        if (m_header != nullptr)
            m_header->SetHeight(CGridPainter::MeasureHeaderHeight(*this));
        UpdateLayout();
        InvalidateAll();
        return 0;
    case kOpHeaderChange:
        if (lParam != 0)
            HandleHeaderChange(*reinterpret_cast<const CHeaderChangeRecord*>(lParam));
        return 1;
    case kOpEndEditPosted:
        return m_input.GetEditor().EndEdit(static_cast<int32_t>(lParam)) ? 1 : 0;
    case kOpEditorKeyAction:
        if (const auto record = Platform::TakePostedPayload<CEditorKeyActionRecord>(lParam))
            m_input.GetEditor().OnKeyAction(record->item, record->columnId, record->action);
        return 0;
    default:
        break;
    }
    if (lParam == 0)
        return 0;
    auto* const call = reinterpret_cast<CSyncCall*>(lParam);
    if (call->run == nullptr)
        return 0;
    const bool outer = std::exchange(m_inMarshalledCall, true);
    call->run(*call, *this);
    m_inMarshalledCall = outer;
    return 1;
}

void CGridImpl::OnTimer(uintptr_t id)
{
    switch (id) {
    case kHighlightTimer:
        m_highlights.RunExpiry();
        break;
    case kPaintFrameTimer:
        m_pacer.OnFrameTimer();
        break;
    case kTooltipTimer:
        m_tooltips->OnAutoHideTimer();
        break;
    case kDragScrollTimer:
        m_input.GetRowMouse().OnDragScrollTimer();
        break;
    case kDropScrollTimer:
        m_dragDrop->OnScrollTimer();
        break;
    case kAddBurstTimer:
        KillTimer(id);
        m_addBurstPending = false;
        UpdateLayout();
        break;
    case kEnsureVisibleTimer: {
        KillTimer(id);
        const int32_t row = std::exchange(m_pendingEnsureRow, -1);
        CGridItem* const item = std::exchange(m_pendingEnsureItem, nullptr);
        if (row >= 0)
            EnsureVisibleNow(row);
        else if (ListOf(item) == &m_body && item->IsShown())
            EnsureVisibleNow(m_body.GetRowIndex(item));
        break;
    }
    case kHeaderWidthTimer:
        KillTimer(id);
        UpdateLayout();
        InvalidateAll();
        break;
    default:
        KillTimer(id);
        break;
    }
}

// ---- Notifications ----

uint32_t CGridImpl::ItemState(const CGridItem& item) const
{
    const CRowList* const list = item.GetRowList();
    return ItemState(item, list ? list->GetRowIndex(&item) : -1);
}

uint32_t CGridImpl::ItemState(const CGridItem& item, int32_t row) const
{
    uint32_t state = 0;
    if (item.IsSelected())
        state |= kItemSelected;
    if (row >= 0 && row == m_selection.GetFocusRow(item.GetListKind()))
        state |= kItemFocused;
    if (item.IsShown())
        state |= kItemShown;
    if (item.IsExpanded())
        state |= kItemExpanded;
    if (item.IsFilteredOut())
        state |= kItemFilteredOut;
    if (item.IsAttached())
        state |= kItemAttached;
    return state;
}

void CGridImpl::NotifyItem(int32_t code, CGridItem& item)
{
    if (!m_options.notifyParent || item.IsRoot())
        return;
    const CRowList* const list = ListOf(&item);
    if (list == nullptr || GetNotifyTarget() == nullptr)
        return; // the detached list is never reported; nobody to tell
    CGridNotify record;
    record.header.source = &m_grid;
    record.item = &item;
    record.object = item.GetDataObject();
    record.listKind = list->GetKind();
    record.row = list->GetRowIndex(&item);
    record.state = ItemState(item, record.row);
    SendNotify(code, record.header);
}

void CGridImpl::NotifyHeaderEvent(int32_t code, CColumn* column, int32_t argument)
{
    if (!m_options.notifyParent || GetNotifyTarget() == nullptr)
        return;
    CGridHeaderNotify record;
    record.notify.source = &m_grid;
    record.header = m_header;
    record.column = column;
    record.argument = argument;
    SendNotify(code, record.notify);
}

// ---- Row-list owner ----

CRowList* CGridImpl::ListOfKind(int32_t kind) const
{
    if (kind == CRowList::kPinnedList)
        return const_cast<CRowList*>(&m_pinned);
    if (kind == CRowList::kBodyList)
        return const_cast<CRowList*>(&m_body);
    return nullptr;
}

bool CGridImpl::IsLiveItem(const CGridItem* handle)
{
    // The handles 0xFFFF0000 and up are reserved (root and position handles,
    // and those not yet given a meaning), and no item lives in the first
    // page: neither is even looked up. Anything else is followed only when
    // it is the address of a live item.
    const auto value = reinterpret_cast<uintptr_t>(handle);
    if (value < 0x10000 || (value >= 0xFFFF0000 && value <= 0xFFFFFFFF))
        return false;
    return CLiveItems::Contains(handle);
}

CRowList* CGridImpl::ListOf(const CGridItem* item) const
{
    if (!IsLiveItem(item))
        return nullptr;
    CRowList* const list = item->GetRowList();
    return (list == &m_pinned || list == &m_body) && !item->IsRoot() ? list : nullptr;
}

int32_t CGridImpl::GetRowCount(int32_t kind) const
{
    const CRowList* const list = ListOfKind(kind);
    return list ? list->GetRowCount() : 0;
}

void CGridImpl::OnRowsChanged(CRowList& list, int32_t firstRow, int32_t lastRow)
{
    if (&list == &m_body) {
        const int32_t count = m_body.GetRowCount();
        if (m_topRow < 0 && count > 0)
            m_topRow = 0;
        else if (m_topRow >= count)
            m_topRow = count - 1; // stored without scrolling; the layout update repaints
    }
    InvalidateRows(list, firstRow, lastRow);
    if (lastRow == kThroughLastRow)
        RequestDeferredLayout(); // rows came or went: ranges and the last page change
}

bool CGridImpl::HasSelection() const
{
    return m_pinned.GetSelectedCount() + m_body.GetSelectedCount() > 0;
}

// ---- Header ----

CHeader* CGridImpl::SetHeader(CHeader* header)
{
    CHeader* const previous = m_header;
    if (header == previous)
        return previous;
    m_input.GetHeaderMouse().Cancel();
    if (previous != nullptr)
        previous->Unadvise(this);
    m_header = header;
    m_ownsHeader = header != nullptr && header->IsAutoDelete();
    if (header != nullptr) {
        // Measured through the custom draw before the grid listens, so that
        // the layout update below covers the new height.
        header->SetHeight(CGridPainter::MeasureHeaderHeight(*this));
        header->Advise(this);
    }
    SetHorizontalPos(0);
    Sort();
    UpdateLayout();
    InvalidateAll();
    return previous; // back to the caller, whatever IsAutoDelete says
}

void CGridImpl::SetHeaderShown(bool shown)
{
    if (shown == m_options.headerShown)
        return;
    m_options.headerShown = shown;
    m_input.GetHeaderMouse().Cancel();
    UpdateLayout();
    InvalidateAll();
}

void CGridImpl::OnHeaderChanged(CHeader* header, CColumn* column, int32_t code)
{
    if (IsDestroyed())
        return;
    CHeaderChangeRecord record{header, column, code};
    // A direct call on the GUI thread; from another thread the header's
    // change waits until the grid has reacted.
    Platform::SendMessage(GetSafeHwnd(), SyncMessageId(), kOpHeaderChange, reinterpret_cast<Platform::LPARAM>(&record));
}

void CGridImpl::HandleHeaderChange(const CHeaderChangeRecord& record)
{
    if (record.header != m_header || m_header == nullptr)
        return; // a late change of a header the grid has let go
    switch (record.code) {
    case CHeader::INotify::kColumnAdded:
        UpdateLayout();
        InvalidateAll();
        NotifyHeaderEvent(kNotifyColumnAdded, record.column, record.code);
        break;
    case CHeader::INotify::kColumnRemoved:
        UpdateLayout();
        InvalidateAll();
        NotifyHeaderEvent(kNotifyColumnRemoved, record.column, record.code);
        break;
    case CHeader::INotify::kColumnWidthChanged:
        // A drag sends many; one layout update and repaint 10 ms after the last.
        SetTimer(kHeaderWidthTimer, 10);
        NotifyHeaderEvent(kNotifyColumnWidthChanged, record.column, record.code);
        break;
    case CHeader::INotify::kColumnChanged:
        InvalidateAll();
        NotifyHeaderEvent(kNotifyHeaderChanged, record.column, record.code);
        break;
    case CHeader::INotify::kColumnVisibilityChanged:
        UpdateLayout();
        InvalidateAll();
        NotifyHeaderEvent(kNotifyHeaderChanged, record.column, record.code);
        break;
    case CHeader::INotify::kColumnMoved:
        UpdateLayout();
        InvalidateAll();
        NotifyHeaderEvent(kNotifyColumnMoved, record.column, record.code);
        break;
    case CHeader::INotify::kFixedCountChanged:
        InvalidateAll();
        break;
    case CHeader::INotify::kSortChanged:
        if (m_suppressSortReaction > 0)
            break; // SetSortKey / ClearSort apply it themselves
        Sort();
        NotifyHeaderEvent(kNotifySortChanged, record.column, record.code);
        break;
    case 8:
        InvalidateAll();
        NotifyHeaderEvent(kNotifyHeaderChanged, record.column, record.code);
        break;
    case CHeader::INotify::kHeightChanged:
        UpdateLayout();
        InvalidateAll();
        break;
    case CHeader::INotify::kFontChanged: {
        // The custom draw measures in the header's font, else the grid's.
        m_header->SetHeight(CGridPainter::MeasureHeaderHeight(*this));
        UpdateLayout();
        InvalidateAll();
        NotifyHeaderEvent(kNotifyHeaderChanged, record.column, record.code);
        break;
    }
    case CHeader::INotify::kImageListChanged:
        InvalidateAll();
        NotifyHeaderEvent(kNotifyHeaderChanged, record.column, record.code);
        break;
    default:
        break;
    }
}

// ---- Paint host and repaint target ----

const QImage* CGridImpl::GetBackgroundPicture() const
{
    return m_options.background.isNull() ? nullptr : &m_options.background;
}

bool CGridImpl::GetHorizontalScrollPos(int32_t& pos) const
{
    if (IsDestroyed())
        return false;
    pos = m_hscrollPos.load(std::memory_order_relaxed);
    return true;
}

void CGridImpl::UpdateWindow(const Platform::CRect& rect)
{
    m_grid.update(rect.ToQRect());
}

void CGridImpl::UpdateWindow(const QRegion& region)
{
    m_grid.update(region);
}

void CGridImpl::Paint(QPaintEvent& event)
{
    m_pacer.OnPaint();
    QPainter painter(&m_grid);
    m_painter.Paint(painter, event.region());
    m_input.GetEditor().Reposition(); // the editor follows its row
}

} // namespace Brivel::GUI
