#pragma once
// CGrid::CGridImpl: everything a grid window is, behind the thin CGrid.
//
// Where what lives:
//   grid_impl.cpp       construction and destruction, the sync message and the
//                       calling rule's receiving end, timers, notifications to
//                       the parent, the row-list owner side, the reaction to
//                       header changes, invalidation, the options
//   grid_insertion.cpp  Add, Attach, Detach, Remove, RemoveAt, Clear,
//                       FindItems, RemoveObject, the deferred layout update
//   grid_sorting.cpp    sort keys, Sort, Resort, Reposition, new-row placement
//   grid_changes.cpp    the list step of a data change, exact invalidation,
//                       the highlight records and the highlight timer
//   grid_scrolling.cpp  the client-area layout, top row, scroll bar actions,
//                       wheel, EnsureVisible, the layout update
//   grid_settings.cpp   the settings stream (operation 190)
//
// The calling rule, receiving end: CGrid packs every public operation into
// a CSyncCall record on the caller's stack; on the GUI thread Call runs it at
// once, from another thread it travels as "Brivel.Grid.SyncMessage" (WPARAM
// the operation code, LPARAM the record) through Platform::SendMessage and
// OnMessage runs it. The record carries the result (and an exception, which
// is raised again on the caller's thread). A destroyed window answers every
// call with the zero result at once: SendMessage to a released handle returns
// 0 without running anything, and on the GUI thread the destroyed flag is
// checked first. Posted operations (1, 49, 82) carry no record or a heap one;
// operation 82's heap record is freed by the grid (or by the queue when the
// message is dropped), and its item must still be in the grid when it runs.
//
// Invalidation is exact and only accumulates (QWidget::update with
// rectangles); a test seam records the rectangles (StartRecordingInvalidation).
//
// Ownership: owned by its CGrid (m_grid: Not owned; owns this). Owns the two
// row lists and, when the header answers IsAutoDelete() true, the header.
// The scroll bars are child widgets of the grid (Qt owns them).
//
// Thread: GUI thread only, except Call, IsDestroyed, GetHorizontalScrollPos
// (IHorizontalScrollSource) and OnHeaderChanged, which any thread may call.

#include "gui/grid/grid.h"
#include "gui/paint/grid_painter.h"
#include "gui/header/header.h"
#include "gui/paint/paint_host.h"
#include "gui/rows/row_list.h"
#include "gui/rows/row_list_owner.h"
#include "gui/header/scroll_position.h"
#include "gui/header/sort_info.h"

#include "platform/message_window.h"

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QRegion>

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

class QScrollBar;
class QWheelEvent;

namespace Brivel::GUI {

// Operation codes of "Brivel.Grid.SyncMessage". The listed numbers are the
// grid's fixed ones; those from 200 on are private to this implementation.
enum GridOperation : uint32_t {
    kOpInitialize = 1,
    kOpAdd = 3,
    kOpRemove = 5,
    kOpRemoveAt = 7,
    kOpClear = 8,
    kOpFindItems = 9,
    kOpAttach = 17,
    kOpDetach = 18,
    kOpGetRowCount = 35,
    kOpRowsThatFit = 45,
    kOpGetRowHeight = 46,
    kOpSetRowHeight = 47,
    kOpDeferredLayout = 49,
    kOpGetTopRow = 51,
    kOpGetLastVisibleRow = 52,
    kOpEnsureVisible = 53,
    kOpSetTopRow = 55,
    kOpGetFocusRow = 66,
    kOpGetFocusListKind = 67,
    kOpIsFocusList = 69,
    kOpSetPaintElementMask = 76,
    kOpGetPaintElementMask = 77,
    kOpSetDoubleBuffered = 78,
    kOpGetDoubleBuffered = 79,
    kOpSetRowHighlightExpiry = 80,
    kOpSetHighlightExpiry = 81,
    kOpMarkChanged = 82,
    kOpGetChangeAge = 83,
    kOpSetReservedFlag86 = 86,
    kOpGetReservedFlag87 = 87,
    kOpSetReservedByte89 = 89,
    kOpGetReservedByte90 = 90,
    kOpEnableSelection = 91,
    kOpIsSelectionEnabled = 92,
    kOpSetMultipleSelection = 93,
    kOpIsMultipleSelection = 94,
    kOpSetSelectableLists = 95,
    kOpIsSelectableList = 96,
    kOpSetHighlightChangedValues = 97,
    kOpIsHighlightChangedValues = 98,
    kOpGetHighlightSettings = 99,
    kOpSetHighlightSettings = 100,
    kOpSetSeparatorShown = 101,
    kOpIsSeparatorShown = 102,
    kOpSetSeparatorHeight = 103,
    kOpGetSeparatorHeight = 104,
    kOpGetHeader = 106,
    kOpHeaderChange = 107,
    kOpSetHeaderShown = 108,
    kOpIsHeaderShown = 109,
    kOpClearSort = 156,
    kOpSetSortKey = 157,
    kOpGetSortKey = 158,
    kOpSort = 159,
    kOpGetSortKeyCount = 160,
    kOpSetRowFilter = 161,
    kOpGetRowFilter = 162,
    kOpRefilter = 163,
    kOpSetNotifyParent = 168,
    kOpIsNotifyParent = 169,
    kOpSerialize = 190,
    // Private numbering.
    kOpRemoveObject = 200,
    kOpGetItem = 201,
    kOpGetRowIndex = 202,
    kOpGetListRowHeight = 203,
    kOpSetListRowHeight = 204,
    kOpGetHorizontalScrollPos = 205,
    kOpSetWheelLines = 206,
    kOpGetWheelLines = 207,
    kOpSetHeader = 208,
    kOpGetAppearance = 209,
    kOpSetAppearance = 210,
    kOpGetSelectableLists = 211,
    kOpSetSortableLists = 212,
    kOpGetSortableLists = 213,
    kOpSetFocusMask = 214,
    kOpGetFocusMask = 215,
    kOpSetGridFont = 216,
    kOpGetGridFont = 217,
    kOpSetCustomDraw = 218,
    kOpGetCustomDraw = 219,
    kOpSetCellImageList = 220,
    kOpGetCellImageList = 221,
    kOpSetBackgroundPicture = 222,
    kOpMarkChangedNow = 223, // MarkChanged carried synchronously
    kOpSaveScreenshot = 224,
};

// Window timers of the grid.
enum GridTimer : uintptr_t {
    kHighlightTimer = 0,     // nearest highlight expiry
    kAddBurstTimer = 3,      // 10 ms after marshalled adds: one layout update
    kEnsureVisibleTimer = 4, // 10 ms: a request made before the first paint
    kHeaderWidthTimer = 5,   // 10 ms after a column width change: layout and repaint
    kPaintFrameTimer = 6,    // the deferred part of the update region, one frame after the last paint
};

// The shortest time between two paints of a grid. A stream of changes asks
// for a repaint far more often than a screen shows a frame; what comes within
// a frame of the last paint is collected and handed to Qt at the frame's end.
inline constexpr int32_t kPaintFrameMs = 16;

// Scroll bar actions, as the scroll bars and the wheel report them.
enum class VScrollAction { LineUp, LineDown, PageUp, PageDown, ThumbTrack, ThumbPosition, Top, Bottom, EndScroll };
enum class HScrollAction { LineLeft, LineRight, PageLeft, PageRight, ThumbTrack, ThumbPosition, LeftEnd, RightEnd, EndScroll };

// The record of one call carried to the GUI thread: a thunk that runs the
// operation and stores its result (or its exception) in the derived record.
struct CSyncCall {
    void (*run)(CSyncCall& call, CGrid::CGridImpl& impl) = nullptr;
    std::exception_ptr error;
    bool done = false;
};

// The record of operation 107.
struct CHeaderChangeRecord {
    CHeader* header = nullptr;
    CColumn* column = nullptr;
    int32_t code = 0;
};

// The heap record of operation 82 (MarkChanged), freed by the grid.
struct CMarkChangedRecord {
    int32_t row = -1;
    int32_t kind = 0;
    CGridItem* item = nullptr;
    int32_t fieldId = -1;
};

class CGrid::CGridImpl final : public Platform::CMessageWindow,
                               public IRowListOwner,
                               public IPaintHost,
                               public CHeader::INotify,
                               public IHorizontalScrollSource {
public:
    explicit CGridImpl(CGrid& grid);
    CGridImpl(const CGridImpl&) = delete;
    CGridImpl& operator=(const CGridImpl&) = delete;
    ~CGridImpl() override;

    // The id of "Brivel.Grid.SyncMessage". Thread: any.
    static uint32_t SyncMessageId();

    // ---- The calling rule ----
    // Runs f(*this) on the GUI thread and answers its result; the zero result
    // when the window is destroyed. Thread: any.
    template <class F>
    auto Call(GridOperation op, F&& f) -> std::invoke_result_t<F&, CGridImpl&>;
    // Thread: any.
    bool IsDestroyed() const noexcept { return m_destroyed.load(std::memory_order_acquire); }
    // The WM_DESTROY work; idempotent.
    void Destroy();

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
    // The list of an item of this grid; null for anything else.
    CRowList* ListOf(const CGridItem* item) const;
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
    void ScheduleHighlightTimer(int32_t waitMs);
    void RescheduleHighlightTimer();
    void RunHighlightExpiry();
    // Remaining ms of the pending highlight timer; -1 when none.
    int32_t GetHighlightTimerRemaining() const;

    // ---- Scrolling and layout (grid_scrolling.cpp) ----
    // The client area: the widget without its shown scroll bars.
    QRect ClientRect() const;
    int32_t HeaderStripHeight() const;
    // The pinned area, the separator band and the body area.
    QRect PinnedArea() const;
    QRect SeparatorBand() const;
    QRect BodyArea() const;
    // A row's rectangle in client coordinates, cut at its area's bottom;
    // empty when it is not on screen.
    QRect RowRect(const CRowList& list, int32_t row) const;
    QRect ItemRect(const CGridItem& item) const;
    // ItemRect for the change path: the rows on screen are laid out once and
    // kept until the lists, the top row or the areas change, so that a change
    // of a row off screen (most of them) costs a short scan, not a walk of
    // the row tree.
    QRect OnScreenItemRect(const CGridItem& item);
    int32_t RowsThatFit(int32_t startRow, bool forward) const;
    int32_t LastPageTop() const;
    int32_t LastVisibleRow(int32_t kind) const;
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
    // Test seam: layout updates run so far.
    int64_t GetLayoutUpdateCountForTesting() const { return m_layoutUpdates; }
    void OnResize();
    void SetHorizontalPos(int32_t pos);
    int32_t GetHorizontalPos() const { return m_hscrollPos.load(std::memory_order_relaxed); }
    bool SetItemRowHeight(CGridItem* item, int32_t height);
    bool SetListRowHeight(int32_t kind, int32_t height);
    void SetWheelLines(int32_t lines)
    {
        m_wheelLines = lines == 0 ? 1 : lines;
        m_wheelAccumulator = 0;
    }
    int32_t GetWheelLines() const { return m_wheelLines; }
    QScrollBar* VerticalScrollBar() const { return m_vbar; }
    QScrollBar* HorizontalScrollBar() const { return m_hbar; }

    // ---- Settings (grid_settings.cpp) ----
    void Serialize(Platform::CArchive& ar);

    // ---- Header and options (grid_impl.cpp) ----
    CHeader* SetHeader(CHeader* header);
    void SetHeaderShown(bool shown);
    void HandleHeaderChange(const CHeaderChangeRecord& record);
    void SetNotifyParent(bool notify) { m_notifyParent = notify; }
    bool IsNotifyParent() const { return m_notifyParent; }
    void SetHighlightChangedValues(bool highlight);
    void SetHighlightSettings(const HighlightSettings& settings);
    void SetAppearance(const Appearance& appearance);
    void SetPaintElementMask(PaintElementMask mask);
    void SetDoubleBuffered(bool doubleBuffered);
    void EnableSelection(bool enable);
    void SetMultipleSelection(bool multiple);
    void SetSelectableLists(int32_t mask);
    int32_t GetSelectableLists() const { return m_selectableLists; }
    void SetSortableLists(int32_t mask) { m_sortableLists = mask & CGrid::kBothLists; }
    int32_t GetSortableLists() const { return m_sortableLists; }
    void SetFocusMask(int32_t mask) { m_focusMask = mask & CGrid::kBothLists; }
    int32_t GetFocusMask() const { return m_focusMask; }
    static bool KindInMask(int32_t kind, int32_t mask) { return (kind == 1 || kind == 2) && (mask & kind) != 0; }
    int32_t GetFocusRowIndex() const { return m_focusRow; }
    int32_t GetFocusListKind() const { return m_focusKind; }
    void ClearFocus() { m_focusRow = -1; m_focusKind = 0; }
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

    // ---- Invalidation ----
    void Invalidate(const QRect& rect);
    void InvalidateAll();
    // Hands the held-back update region to Qt now (before scrolling the
    // window, so that Qt moves it with the contents).
    void FlushDeferredUpdate();
    // 0 when a paint may happen now, else the milliseconds (>= 1) until the
    // frame that began with the last paint ends.
    int32_t MsUntilNextFrame() const;
    bool IsPaintFramePending() const { return m_paintFramePending; }
    void InvalidateRows(const CRowList& list, int32_t firstRow, int32_t lastRow);
    // Test seam: from now on every invalidated rectangle is also collected.
    void StartRecordingInvalidation();
    QRegion TakeInvalidatedRegion();
    // The paint request: runs the paint pass (CGridPainter) over the
    // event's region. Also marks the first paint (EnsureVisible's deferral).
    void Paint(QPaintEvent& event);
    // The client area rendered through the paint pass, saved as a PNG file.
    bool SaveScreenshot(const QString& path);
    CGridPainter& GetPainter() { return m_painter; }
    bool HasPainted() const { return m_hasPainted; }

    // ---- Notifications ----
    void NotifyHeaderEvent(int32_t code, CColumn* column, int32_t argument);
    uint32_t ItemState(const CGridItem& item) const;
    uint32_t ItemState(const CGridItem& item, int32_t row) const;

    // ---- IRowListOwner ----
    void NotifyItem(int32_t code, CGridItem& item) override;
    void OnRowsChanged(CRowList& list, int32_t firstRow, int32_t lastRow) override;
    void InvalidateItem(CGridItem& item) override;
    int32_t GetFocusRow(const CRowList& list) const override;
    void SetFocusRow(CRowList& list, int32_t row) override;
    bool IsSelectionEnabled() const override { return m_selectionEnabled; }
    bool IsMultipleSelection() const override { return m_multipleSelection; }
    bool HasSelection() const override;
    IRowFilter* GetRowFilter() const override { return m_rowFilter; }
    CGrid* GetGrid() const override { return &m_grid; }
    QWidget* GetWindow() const override { return &m_grid; }
    void OnItemDataChanged(CGridItem& item, int32_t fieldId) override;
    void RemoveItemOfDisposedObject(CGridItem& item) override;

    // ---- IPaintHost ----
    CHeader* GetHeader() const override { return m_header; }
    bool IsHeaderShown() const override { return m_headerShown; }
    const IHorizontalScrollSource* GetScrollSource() const override { return this; }
    CRowList* GetRowList(int32_t kind) const override { return ListOfKind(kind); }
    Platform::CRect GetClientRect() const override;
    int32_t GetFocusRow(int32_t kind) const override { return kind == m_focusKind ? m_focusRow : -1; }
    const Appearance& GetAppearance() const override { return m_appearance; }
    const HighlightSettings& GetHighlightSettings() const override { return m_highlightSettings; }
    bool IsHighlightChangedValues() const override { return m_highlightChangedValues; }
    PaintElementMask GetPaintElementMask() const override { return m_paintElementMask; }
    bool IsDoubleBuffered() const override { return m_doubleBuffered; }
    bool IsSeparatorShown() const override { return m_separatorShown; }
    int32_t GetSeparatorHeight() const override { return m_separatorHeight; }
    const QFont* GetFont() const override { return m_font ? &*m_font : nullptr; }
    ICustomDraw* GetCustomDraw() const override { return m_customDraw; }
    Platform::CImageList* GetCellImageList() const override { return m_cellImageList; }
    const QImage* GetBackgroundPicture() const override { return m_background.isNull() ? nullptr : &m_background; }
    int32_t GetBackgroundMode() const override { return m_backgroundMode; }
    int32_t GetBackgroundAlpha() const override { return m_backgroundAlpha; }
    int32_t GetChangeAge(CGridItem& item, int32_t fieldId) override;
    void SetHighlightExpiry(CGridItem& item, int32_t fieldId, int32_t ms) override;

    // ---- CHeader::INotify (any thread) ----
    void OnHeaderChanged(CHeader* header, CColumn* column, int32_t code) override;

    // ---- IHorizontalScrollSource (any thread) ----
    bool GetHorizontalScrollPos(int32_t& pos) const override;

    // Options without behaviour of their own here, kept for the settings
    // stream and their operations (86/87, 89/90, 141/142, 148/149, 166/167)
    // and the type-ahead reset delay.
    int32_t m_reservedFlag86 = 0;
    uint8_t m_reservedByte89 = 0;
    uint8_t m_reservedByte141 = 1;
    uint8_t m_reservedByte148 = 0;
    int32_t m_reservedMask166 = 3;
    int32_t m_typeAheadDelay = 1000;

protected:
    Platform::LRESULT OnMessage(uint32_t msg, Platform::WPARAM wParam, Platform::LPARAM lParam) override;
    void OnTimer(uintptr_t id) override;

private:
    friend class CGrid;

    template <class F, class R>
    struct CSyncCallOf : CSyncCall {
        explicit CSyncCallOf(F& function) : f(&function) {}
        F* f;
        std::conditional_t<std::is_void_v<R>, char, R> result{};
    };

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
    void ExpireRows(CRowList& list, int32_t first, int32_t last, int32_t now);
    int32_t EarliestExpiry(const CRowList& list, int32_t first, int32_t last, int32_t now, bool& found) const;
    void OnVerticalBarAction(int action);
    void OnHorizontalBarAction(int action);
    void PlaceScrollBars();
    bool NeedsVerticalBar() const;
    bool NeedsHorizontalBar() const;

    // The vertical layout of the client area, top to bottom.
    struct Areas {
        QRect client;
        int32_t pinnedTop = 0;     // below the header strip
        int32_t pinnedBottom = 0;  // exclusive
        int32_t bodyTop = 0;       // below the separator band
        int32_t bottom = 0;        // exclusive: the client bottom
    };
    Areas ComputeAreas() const;
    // The top y of `row` of `list` (row == count: where the next row would
    // start); -1 when it lies outside its area (above the top row, or at or
    // below the area's bottom).
    int32_t RowTop(const CRowList& list, int32_t row, const Areas& areas) const;
    // Invalidates from `row` of `list` to the bottom of its area (pinned:
    // to the client bottom, the body moves with it).
    void InvalidateFromRow(const CRowList& list, int32_t row);
    void InvalidateFieldInRow(const QRect& rowRect, int32_t fieldId);

    CGrid& m_grid; // Not owned; owns this.
    std::atomic<bool> m_destroyed{false};
    bool m_initialized = false;

    CRowList m_pinned;
    CRowList m_body;
    std::array<std::vector<CSortInfo>, 3> m_keys; // by list kind (0 unused)

    CHeader* m_header = nullptr; // Owned when m_ownsHeader, else borrowed.
    bool m_ownsHeader = false;
    int32_t m_suppressSortReaction = 0;

    // Options.
    bool m_notifyParent = true;
    bool m_highlightChangedValues = false;
    HighlightSettings m_highlightSettings;
    Appearance m_appearance;
    PaintElementMask m_paintElementMask = PaintElement::kAll;
    bool m_doubleBuffered = true;
    bool m_selectionEnabled = true;
    bool m_multipleSelection = true;
    int32_t m_focusMask = 3;
    int32_t m_selectableLists = 3;
    int32_t m_sortableLists = 3;
    bool m_headerShown = true;
    bool m_separatorShown = true;
    int32_t m_separatorHeight = 2;
    IRowFilter* m_rowFilter = nullptr;            // Not owned.
    std::optional<QFont> m_font;
    ICustomDraw* m_customDraw = nullptr;          // Deleted with the grid when it answers IsAutoDelete() true.
    Platform::CImageList* m_cellImageList = nullptr; // Not owned.
    QImage m_background;
    int32_t m_backgroundMode = kBackgroundCentred;
    int32_t m_backgroundAlpha = -1;

    // Focus.
    int32_t m_focusRow = -1;
    int32_t m_focusKind = 0;

    // Scrolling and layout.
    int32_t m_topRow = -1;
    int32_t m_previousRowCount = 0;
    int32_t m_pendingLayout = 0;
    bool m_addBurstPending = false; // timer 3 runs
    bool m_inMarshalledCall = false; // running a call sent from another thread
    std::atomic<int32_t> m_hscrollPos{0}; // mirrors the horizontal bar for any thread
    int32_t m_wheelLines = 3;
    bool m_hasPainted = false;
    CGridPainter m_painter{*this}; // the paint pass, its back buffer and picture
    int32_t m_pendingEnsureRow = -1;
    CGridItem* m_pendingEnsureItem = nullptr; // Not owned; checked against the lists before use.
    bool m_inLayout = false;
    int64_t m_layoutUpdates = 0;
    int32_t m_scrollBarExtent = 0; // the style's scroll bar width, read at each layout update
    bool m_vbarShown = false;
    bool m_hbarShown = false;
    int32_t m_wheelAccumulator = 0; // wheel delta not yet turned into lines or pages
    QScrollBar* m_vbar = nullptr; // child widget, owned by the grid (Qt)
    QScrollBar* m_hbar = nullptr; // child widget, owned by the grid (Qt)

    // The rows on screen as OnScreenItemRect last laid them out, and what
    // that layout depends on.
    struct OnScreenRow {
        const CGridItem* item; // Not owned; valid while the key holds.
        int32_t top;
        int32_t height; // cut at the bottom of its area
    };
    struct OnScreenKey {
        uint64_t pinnedVersion = 0;
        uint64_t bodyVersion = 0;
        int32_t topRow = -1;
        QRect client;
        int32_t headerStrip = 0;
        bool separator = false;
        int32_t separatorHeight = 0;
        bool operator==(const OnScreenKey&) const = default;
    };
    OnScreenKey CurrentOnScreenKey() const;
    void LayOutOnScreenRows();
    std::vector<OnScreenRow> m_onScreen;
    OnScreenKey m_onScreenKey;
    bool m_onScreenValid = false;

    // Highlight timer 0.
    int32_t m_highlightTimerStart = 0;
    int32_t m_highlightTimerInterval = -1;

    // Removal notifications in progress (Remove and Clear refuse to nest).
    int32_t m_removing = 0;

    // Paint pacing (timer 6): the update region held back until the frame
    // after the last paint ends.
    QRegion m_deferredUpdate;
    bool m_paintFramePending = false;
    int32_t m_lastPaint = 0; // process clock; meaningful once m_hasPainted

    // Invalidation test seam.
    bool m_recordInvalidation = false;
    QRegion m_invalidated;
};

template <class F>
auto CGrid::CGridImpl::Call(GridOperation op, F&& f) -> std::invoke_result_t<F&, CGridImpl&>
{
    using R = std::invoke_result_t<F&, CGridImpl&>;
    if (IsDestroyed()) {
        if constexpr (std::is_void_v<R>)
            return;
        else
            return R{};
    }
    if (IsWindowThread())
        return f(*this);
    using Record = CSyncCallOf<std::remove_reference_t<F>, R>;
    Record record(f);
    record.run = [](CSyncCall& call, CGridImpl& impl) {
        auto& self = static_cast<Record&>(call);
        try {
            if constexpr (std::is_void_v<R>)
                (*self.f)(impl);
            else
                self.result = (*self.f)(impl);
        } catch (...) {
            self.error = std::current_exception();
        }
        self.done = true;
    };
    Platform::SendMessage(GetSafeHwnd(), SyncMessageId(), op, reinterpret_cast<Platform::LPARAM>(&record));
    if (record.error)
        std::rethrow_exception(record.error);
    if constexpr (!std::is_void_v<R>)
        return record.done ? std::move(record.result) : R{};
}

} // namespace Brivel::GUI
