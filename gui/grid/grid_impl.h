#pragma once
// CGrid::CGridImpl: everything a grid window is, behind the thin CGrid. It
// owns the rows and the state they share and hands each capability to a
// class of its own, reached through a narrow interface:
//
//   CRowLayout           where the shown rows are (rows/row_layout.h)
//   CRepaintPacer        invalidation and the 16 ms paint frame (repaint_pacer.h)
//   CHighlightScheduler  the highlight timer (highlight_scheduler.h)
//   CGridPainter         the paint pass (paint/grid_painter.h)
//
// Which of the grid's own sources holds what: docs/architecture.md.
// The calling rule (how an operation reaches the GUI thread): grid_call.h.
//
// Ownership: owned by its CGrid (m_grid: Not owned; owns this). Owns the two
// row lists, its helpers and, when the header answers IsAutoDelete() true,
// the header. The scroll bars are child widgets of the grid (Qt owns them).
//
// Thread: GUI thread only, except Call, IsDestroyed, GetHorizontalScrollPos
// (IHorizontalScrollSource) and OnHeaderChanged, which any thread may call.

#include "gui/grid/grid.h"
#include "gui/grid/grid_operations.h"
#include "gui/grid/grid_options.h"
#include "gui/grid/highlight_scheduler.h"
#include "gui/grid/repaint_pacer.h"
#include "gui/grid/scroll_state.h"
#include "gui/grid/timer_host.h"
#include "gui/clipboard/grid_clipboard.h"
#include "gui/dragdrop/grid_drag_drop.h"
#include "gui/tooltips/grid_tooltips.h"
#include "gui/header/header.h"
#include "gui/header/scroll_position.h"
#include "gui/header/sort_info.h"
#include "gui/input/input_router.h"
#include "gui/input/selection.h"
#include "gui/paint/grid_painter.h"
#include "gui/paint/paint_host.h"
#include "gui/rows/row_layout.h"
#include "gui/rows/row_list.h"
#include "gui/rows/row_list_owner.h"

#include "platform/message_window.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

class QScrollBar;

namespace Brivel::GUI {

// The grid's tooltips and row drag and drop with their hosts (*_ops.cpp).
std::unique_ptr<CGridTooltips> MakeGridTooltips(CGrid::CGridImpl& impl);
std::unique_ptr<CGridDragDrop> MakeGridDragDrop(CGrid::CGridImpl& impl);

class CGrid::CGridImpl final : public Platform::CMessageWindow,
                               public IRowListOwner,
                               public IPaintHost,
                               public CHeader::INotify,
                               public IHorizontalScrollSource,
                               public IRepaintTarget,
                               public IHighlightTarget,
                               public ISelectionHost,
                               public IInputHost,
                               public ITimerHost {
public:
    explicit CGridImpl(CGrid& grid);
    CGridImpl(const CGridImpl&) = delete;
    CGridImpl& operator=(const CGridImpl&) = delete;
    ~CGridImpl() override;

    // The id of "Brivel.Grid.SyncMessage". Thread: any.
    static uint32_t SyncMessageId();

    // ---- The calling rule ----
    // Runs f(*this) on the GUI thread and answers its result; the zero result
    // when the window is destroyed (grid_call.h). Thread: any, like IsDestroyed.
    template <class F>
    auto Call(GridOperation op, F&& f) -> std::invoke_result_t<F&, CGridImpl&>;
    bool IsDestroyed() const noexcept { return m_destroyed.load(std::memory_order_acquire); }
    // The WM_DESTROY work; idempotent.
    void Destroy();

    // ---- Helpers ----
    const CRowLayout& GetRowLayout() const { return m_layout; }
    CRepaintPacer& GetPacer() { return m_pacer; }
    CHighlightScheduler& GetHighlights() { return m_highlights; }
    CGridSelection& GetSelection() { return m_selection; }
    CInputRouter& GetInput() { return m_input; }
    const CInputRouter& GetInput() const { return m_input; }
    CGridPainter& GetPainter() { return m_painter; }
    CGridClipboard& GetClipboard() { return *m_clipboard; }
    CGridTooltips& GetTooltips() { return *m_tooltips; }
    CGridDragDrop& GetDragDrop() { return *m_dragDrop; }
    const GridOptions& GetOptions() const { return m_options; }
    GridOptions& GetOptions() { return m_options; }

    // ---- Rows (grid_insertion.cpp) ----
    CGridItem* Add(Common::CDataObject* object, CGridItem* parent, CGridItem* position, bool marshalled);
    bool Attach(CGridItem* item, CGridItem* parent, CGridItem* position);
    bool Detach(CGridItem* item);
    bool Remove(CGridItem* item);
    bool RemoveAt(int32_t row, int32_t listMask);
    bool Clear(int32_t listMask);
    void FindItems(Common::CDataObject* object, std::vector<CGridItem*>& items, bool shownOnly, int32_t listMask);
    int32_t RemoveObject(Common::CDataObject* object);
    int32_t GetRowCount(int32_t kind) const;
    // The list of a kind (1 or 2); null for any other.
    CRowList* ListOfKind(int32_t kind) const;
    // The list of an item of this grid; null for anything else, without
    // following a handle that is no live item (live_items.h).
    CRowList* ListOf(const CGridItem* item) const;
    static bool IsLiveItem(const CGridItem* handle);
    // Posts operation 49 unless one is pending.
    void RequestDeferredLayout();
    void RunDeferredLayout();
    void StartAddBurstTimer();

    // ---- Sorting (grid_sorting.cpp) ----
    void SetSortKey(int32_t level, const CSortInfo& key, bool resortNow);
    void ClearSort(bool repaint);
    void Sort();
    CSortInfo GetSortKey(int32_t level) const;
    int32_t GetSortKeyCount() const;
    const std::vector<CSortInfo>& GetListKeys(const CRowList& list) const;
    void Resort(CRowList& list);
    // Moves a changed item to its sorted place; true when it moved.
    bool Reposition(CGridItem& item);
    // Refreshes the sort slots of `item` for `list`'s keys.
    void RefreshSortValues(CGridItem& item, const CRowList& list) const;
    // > 0: a goes before b.
    static int32_t Compare(const CGridItem& a, const CGridItem& b, const std::vector<CSortInfo>& keys);
    // The child index of a new item among parent's children in a sorted list
    // (after every equal sibling).
    int32_t SortedChildIndex(const CGridItem& parentNode, const CGridItem& item, const std::vector<CSortInfo>& keys) const;

    // ---- Changes and highlights (grid_changes.cpp) ----
    int32_t GetChangeAge(int32_t row, int32_t kind, CGridItem* item, int32_t fieldId);
    void SetHighlightExpiry(int32_t row, int32_t kind, CGridItem* item, int32_t fieldId, int32_t ms);
    void SetRowHighlightExpiry(int32_t row, int32_t kind, CGridItem* item, int32_t ms);
    void MarkChanged(int32_t row, int32_t kind, CGridItem* item, int32_t fieldId);
    // The item a highlight operation names; null when it is not this grid's.
    CGridItem* ResolveRow(int32_t row, int32_t kind, CGridItem* item) const;
    void InvalidateField(CGridItem& item, int32_t fieldId);

    // ---- Scrolling and layout (grid_scrolling.cpp) ----
    // The client area: the widget without its shown scroll bars. Inline: the
    // layout's frame asks for it on every delivered change.
    Platform::CRect ClientRect() const
    {
        Platform::CRect client(0, 0, m_grid.width(), m_grid.height());
        if (m_scroll.vbarShown)
            client.right = std::max(client.left, client.right - m_scroll.barExtent);
        if (m_scroll.hbarShown)
            client.bottom = std::max(client.top, client.bottom - m_scroll.barExtent);
        return client;
    }
    void SetTopRow(int32_t row, bool redraw);
    int32_t GetTopRow() const override { return m_topRow; }
    void VScroll(VScrollAction action, int32_t position = 0);
    void HScroll(HScrollAction action, int32_t position = 0);
    void OnWheel(int32_t delta);
    void EnsureVisible(int32_t row, CGridItem* item);
    void EnsureVisibleNow(int32_t row);
    // Ranges, pages, positions, scroll bar geometry; repaints from the
    // previous row count on.
    void UpdateLayout();
    int64_t GetLayoutUpdateCountForTesting() const { return m_scroll.layoutUpdates; } // a test seam
    void OnResize();
    void SetHorizontalPos(int32_t pos);
    int32_t GetHorizontalPos() const { return m_hscrollPos.load(std::memory_order_relaxed); }
    bool SetItemRowHeight(CGridItem* item, int32_t height);
    bool SetListRowHeight(int32_t kind, int32_t height);
    void SetWheelLines(int32_t lines);
    QScrollBar* VerticalScrollBar() const { return m_scroll.vbar; }
    QScrollBar* HorizontalScrollBar() const { return m_scroll.hbar; }

    // ---- Settings (grid_settings.cpp) ----
    void Serialize(Platform::CArchive& ar);

    // ---- Header and options (grid_impl.cpp) ----
    CHeader* SetHeader(CHeader* header);
    void SetHeaderShown(bool shown);
    void HandleHeaderChange(const CHeaderChangeRecord& record);
    void SetHighlightChangedValues(bool highlight);
    void SetHighlightSettings(const HighlightSettings& settings);
    void SetAppearance(const Appearance& appearance);
    void SetPaintElementMask(PaintElementMask mask);
    void SetDoubleBuffered(bool doubleBuffered);
    void EnableSelection(bool enable);
    void SetMultipleSelection(bool multiple);
    void SetSelectableLists(int32_t mask);
    static bool KindInMask(int32_t kind, int32_t mask) { return (kind == 1 || kind == 2) && (mask & kind) != 0; }
    void SetSeparatorShown(bool shown);
    void SetSeparatorHeight(int32_t height);
    IRowFilter* SetRowFilter(IRowFilter* filter);
    void Refilter();
    void SetGridFont(const QFont& font);
    QFont GetGridFont() const;
    ICustomDraw* SetCustomDraw(ICustomDraw* customDraw);
    Platform::CImageList* SetCellImageList(Platform::CImageList* imageList);
    void SetBackgroundPicture(const QImage& picture, int32_t mode, int32_t alpha);
    // The posted initialisation (operation 1), once.
    void Initialize();

    // ---- Invalidation and painting ----
    void Invalidate(const Platform::CRect& rect) override { m_pacer.Invalidate(rect); }
    void InvalidateAll() override { m_pacer.InvalidateAll(); }
    void InvalidateRows(const CRowList& list, int32_t firstRow, int32_t lastRow);
    // The paint request: runs the paint pass (CGridPainter) over the
    // event's region. Also marks the first paint (EnsureVisible's deferral).
    void Paint(QPaintEvent& event);

    // ---- Notifications ----
    void NotifyHeaderEvent(int32_t code, CColumn* column, int32_t argument) override;
    uint32_t ItemState(const CGridItem& item) const;
    uint32_t ItemState(const CGridItem& item, int32_t row) const;

    // ---- IRowListOwner ----
    void NotifyItem(int32_t code, CGridItem& item) override;
    bool IsNotifyingItems() const override { return m_options.notifyParent && GetNotifyTarget() != nullptr; }
    void OnRowsChanged(CRowList& list, int32_t firstRow, int32_t lastRow) override;
    void InvalidateItem(CGridItem& item) override { Invalidate(m_layout.ItemRect(item)); }
    int32_t GetFocusRow(const CRowList& list) const override { return m_selection.GetFocusRow(list.GetKind()); }
    void SetFocusRow(CRowList& list, int32_t row) override { m_selection.FollowFocus(list, row); }
    bool IsSelectionEnabled() const override { return m_options.selectionEnabled; }
    bool IsMultipleSelection() const override { return m_options.multipleSelection; }
    bool HasSelection() const override;
    IRowFilter* GetRowFilter() const override { return m_rowFilter; }
    CGrid* GetGrid() const override { return &m_grid; }
    QWidget* GetWindow() const override { return &m_grid; }
    void OnItemDataChanged(CGridItem& item, int32_t fieldId) override;
    void RemoveItemOfDisposedObject(CGridItem& item) override { Remove(&item); }

    // ---- IPaintHost ----
    CHeader* GetHeader() const override { return m_header; }
    bool IsHeaderShown() const override { return m_options.headerShown; }
    const IHorizontalScrollSource* GetScrollSource() const override { return this; }
    CRowList* GetRowList(int32_t kind) const override { return ListOfKind(kind); }
    Platform::CRect GetClientRect() const override { return ClientRect(); }
    RowLayoutFrame GetRowLayoutFrame() const override
    {
        return MakeRowLayoutFrame(ClientRect(), m_header ? m_header->GetHeight() : 0, m_options.headerShown,
                                  m_options.separatorShown, m_options.separatorHeight, m_body.GetRowCount(), m_topRow);
    }
    int32_t GetFocusRow(int32_t kind) const override { return m_selection.GetFocusRow(kind); }
    const Appearance& GetAppearance() const override { return m_options.appearance; }
    const HighlightSettings& GetHighlightSettings() const override { return m_options.highlightSettings; }
    bool IsHighlightChangedValues() const override { return m_options.highlightChangedValues; }
    PaintElementMask GetPaintElementMask() const override { return m_options.paintElementMask; }
    bool IsDoubleBuffered() const override { return m_options.doubleBuffered; }
    bool IsSeparatorShown() const override { return m_options.separatorShown; }
    int32_t GetSeparatorHeight() const override { return m_options.separatorHeight; }
    const QFont* GetFont() const override { return m_options.font ? &*m_options.font : nullptr; }
    ICustomDraw* GetCustomDraw() const override { return m_customDraw; }
    Platform::CImageList* GetCellImageList() const override { return m_cellImageList; }
    bool IsStretchImages() const override { return m_options.stretchImages; }
    RowDropMark GetRowDropMark() const override { return m_dragDrop->GetDropMark(); }
    const QImage* GetBackgroundPicture() const override;
    int32_t GetBackgroundMode() const override { return m_options.backgroundMode; }
    int32_t GetBackgroundAlpha() const override { return m_options.backgroundAlpha; }
    void RefreshHighlightsIn(int32_t ms) override { m_highlights.RefreshIn(ms); }

    // ---- ISelectionHost, IInputHost (the rest is above) ----
    int32_t GetSelectableLists() const override { return m_options.selectableLists; }
    int32_t GetFocusMask() const override { return m_options.focusMask; }
    int32_t GetTypeAheadDelay() const override { return m_options.typeAheadDelay; }
    void BringBodyRowIntoView(int32_t row) override { EnsureVisible(row, nullptr); }
    void ScrollBodyLines(int32_t lines) override;
    int32_t MeasureColumnContent(CColumn& column) override;
    std::unique_ptr<Platform::CImageList> MakeColumnDragImage(CColumn& column) override;
    void ReplaceSort(const CSortInfo& key) override;
    HeaderDragState GetHeaderDragState() const override { return m_input.GetHeaderMouse().GetDragState(); }
    bool OwnsItem(const CGridItem* item) const override;
    void NotifyEdit(int32_t code, CGridItem& item, int32_t fieldId, int32_t argument) override;
    const ICellEditorPaint* GetCellEditorPaint() const override;

    // ---- IRepaintTarget, IHighlightTarget, ITimerHost ----
    void UpdateWindow(const Platform::CRect& rect) override;
    void UpdateWindow(const QRegion& region) override;
    void InvalidateCell(const Platform::CRect& rowRect, int32_t fieldId) override;
    void StartTimer(uintptr_t id, uint32_t ms) override { SetTimer(id, ms); }
    void StopTimer(uintptr_t id) override { KillTimer(id); }

    // ---- CHeader::INotify (any thread) ----
    void OnHeaderChanged(CHeader* header, CColumn* column, int32_t code) override;

    // ---- IHorizontalScrollSource (any thread) ----
    bool GetHorizontalScrollPos(int32_t& pos) const override;

protected:
    Platform::LRESULT OnMessage(uint32_t msg, Platform::WPARAM wParam, Platform::LPARAM lParam) override;
    void OnTimer(uintptr_t id) override;

private:
    friend class CGrid;

    void CreateScrollBars();
    void ReleaseHeader();
    void ReleaseCustomDraw();
    void ApplyRowHeightFromFont();
    void SendRemovalNotifications(CGridItem& item);
    bool Insert(CGridItem* item, CGridItem* parent, CGridItem* position, bool show, bool marshalled);
    void AfterChildRemoved(CRowList& list, CGridItem* parent);
    void ForgetPendingEnsureItemIn(const CGridItem& subtree);
    void ClampTopRowAfterRemoval();
    void SortSubtree(CRowList& list, CGridItem& node);
    void SortChildrenOf(CRowList& list, CGridItem& node, const std::vector<CSortInfo>& keys);
    void OnVerticalBarAction(int action);
    void OnHorizontalBarAction(int action);
    void PlaceScrollBars();
    bool NeedsVerticalBar() const;
    bool NeedsHorizontalBar() const;
    // Invalidates from `row` of `list` to the client bottom (below a pinned
    // row everything moves: the other pinned rows, the band and the body).
    void InvalidateFromRow(const CRowList& list, int32_t row);

    CGrid& m_grid; // Not owned; owns this.
    std::atomic<bool> m_destroyed{false};
    bool m_initialized = false;

    CRowList m_pinned;
    CRowList m_body;
    std::array<std::vector<CSortInfo>, 3> m_keys; // by list kind (0 unused)

    CHeader* m_header = nullptr; // Owned when m_ownsHeader, else borrowed.
    bool m_ownsHeader = false;
    int32_t m_suppressSortReaction = 0;

    GridOptions m_options;
    IRowFilter* m_rowFilter = nullptr;               // Not owned.
    ICustomDraw* m_customDraw = nullptr;             // Deleted with the grid when it answers IsAutoDelete() true.
    Platform::CImageList* m_cellImageList = nullptr; // Not owned.

    // Scrolling and layout.
    ScrollState m_scroll;
    int32_t m_topRow = -1;
    int32_t m_pendingLayout = 0;
    bool m_addBurstPending = false;  // timer 3 runs
    bool m_inMarshalledCall = false; // running a call sent from another thread
    std::atomic<int32_t> m_hscrollPos{0}; // mirrors the horizontal bar for any thread
    int32_t m_pendingEnsureRow = -1;
    CGridItem* m_pendingEnsureItem = nullptr; // Not owned; checked against the lists before use.

    // Removal notifications in progress (Remove and Clear refuse to nest).
    int32_t m_removing = 0;

    // The helpers, in dependency order (each borrows those above it).
    CRowLayout m_layout{*this};
    CRepaintPacer m_pacer{*this, *this, kPaintFrameTimer};
    CHighlightScheduler m_highlights{m_layout, m_pacer, *this, *this, kHighlightTimer};
    CGridSelection m_selection{*this, m_layout, m_pacer};
    CInputRouter m_input{m_grid, *this, m_selection, m_layout, *this, kDragScrollTimer};
    CGridPainter m_painter{*this, &m_layout}; // the paint pass, its back buffer and picture
    std::unique_ptr<CGridClipboard> m_clipboard = std::make_unique<CGridClipboard>(m_grid);
    std::unique_ptr<CGridTooltips> m_tooltips = MakeGridTooltips(*this); // borrows the painter
    std::unique_ptr<CGridDragDrop> m_dragDrop = MakeGridDragDrop(*this); // borrows the input, painter, layout
};

} // namespace Brivel::GUI
