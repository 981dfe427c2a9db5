#pragma once
// ITooltipCtrl and its two windows: the tooltip a grid shows for a cell.
//
//   CTooltipCtrl         the ordinary tooltip: the cell's text in a small
//                        window beside the cursor (above, below, left or
//                        right of it by the settings), kept on the screen.
//   CInPlaceTooltipCtrl  the in-place tooltip: for a cell whose text does not
//                        fit, the whole text in a window laid over the cell's
//                        text rectangle, as wide as the text needs.
//
// Each window is a top-level popup (Platform::CPopupWindow, a tooltip window,
// so it stays above the others) shown without activation. It paints its whole client
// area: a one-pixel outline in the border colour, filled with the
// background colour, then the text in the text colour at (horizontal margin,
// vertical margin), unclipped. It takes the grid's font (the paint pass's
// font, else the shared default).
//
// A control holds its settings (TooltipSettings) and its text provider
// (ITooltip; CTooltip::Shared() unless set).
//
// Ownership: owns its popup window (no Qt parent: only the control deletes
// it) and its measuring surface; borrows the owner widget (tracked); holds the
// provider and deletes it at its end when it answers IsAutoDelete() true.
// Thread: GUI thread only.

#include "gui/tooltips/tooltip.h"
#include "gui/tooltips/tooltip_settings.h"

#include "platform/rect.h"

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <memory>
#include <string>
#include <string_view>

class QWidget;

namespace Brivel::Platform {
class CMemoryDC;
}

namespace Brivel::GUI {

class CGrid;
struct CellInfo;
struct PaintContext;
class CTooltipWindow;

// A tooltip window a grid shows for a cell.
class ITooltipCtrl {
public:
    virtual ~ITooltipCtrl() = default;
    // Makes the popup window for `owner` (the grid widget whose cells it
    // shows); idempotent.
    virtual bool Create(QWidget& owner) = 0;
    virtual void Destroy() = 0; // destroys the window; Create may make it again
    // Shows the tooltip for `cell` (its paint record, valid during the call)
    // with the cursor at `cursor` (global coordinates); false when nothing
    // was shown.
    virtual bool Show(CGrid& grid, const CellInfo& cell, PaintContext& context, QPoint cursor) = 0;
    virtual void Hide() = 0; // hides the window
    virtual bool IsShown() const = 0; // the window is visible
    virtual ITooltip& GetProvider() = 0; // what the tooltip shows
    // Answers the previous provider, which goes back to the caller; null
    // restores the shared CTooltip.
    virtual ITooltip* SetProvider(ITooltip* provider) = 0;
    virtual const TooltipSettings& GetSettings() const = 0; // how the tooltip looks and behaves
    virtual void SetSettings(const TooltipSettings& settings) = 0; // stored sanitised (TooltipSettings::Sanitized)
    // The window size `text` needs: its extent in the window's font with the
    // margins on both sides.
    virtual QSize Measure(std::string_view text) = 0;

protected:
    ITooltipCtrl() = default;
    ITooltipCtrl(const ITooltipCtrl&) = default;
    ITooltipCtrl& operator=(const ITooltipCtrl&) = default;
};

// Where an ordinary tooltip of `size` goes for the cursor at `cursor` (the
// cursor's hot spot; it covers `cursorExtent` pixels right and below), by
// the settings' position and distances, kept inside `screen` (the virtual
// screen, whose origin may be negative): a tooltip that would end past the
// right or bottom edge ends there, one that would start before the left or
// top edge starts there, and one wider or taller than the screen starts at
// its left or top edge. An empty `screen` keeps the place as computed.
QRect PlaceTooltip(QPoint cursor, QSize size, const TooltipSettings& settings, int32_t cursorExtent,
                   const QRect& screen);

// The ordinary tooltip: the cell's text in a popup beside the cursor
// (PlaceTooltip).
class CTooltipCtrl : public ITooltipCtrl {
public:
    // The cursor's extent below and right of its hot spot, at most 22 pixels.
    static constexpr int32_t kCursorExtent = 22;

    // No window before Create; the shared CTooltip as provider; default settings.
    CTooltipCtrl();
    ~CTooltipCtrl() override;
    CTooltipCtrl(const CTooltipCtrl&) = delete;
    CTooltipCtrl& operator=(const CTooltipCtrl&) = delete;

    bool Create(QWidget& owner) override;
    void Destroy() override;
    bool Show(CGrid& grid, const CellInfo& cell, PaintContext& context, QPoint cursor) override;
    void Hide() override;
    bool IsShown() const override;
    ITooltip& GetProvider() override { return *m_provider; }
    ITooltip* SetProvider(ITooltip* provider) override;
    const TooltipSettings& GetSettings() const override { return m_settings; }
    void SetSettings(const TooltipSettings& settings) override;
    QSize Measure(std::string_view text) override;

    // The window, for tests (null before Create).
    QWidget* GetWindowForTesting() const;

protected:
    // Takes the provider's text for `cell` into the window and the paint
    // pass's font; false when the text is empty or there is no window.
    bool TakeText(CGrid& grid, const CellInfo& cell, const PaintContext& context);
    // Shows the window at `screenRect` (global coordinates).
    void ShowWindowAt(const QRect& screenRect);
    QWidget* Owner() const { return m_owner.data(); } // the grid widget; null before Create or once it is gone
    const std::string& Text() const { return m_text; } // the text taken last

private:
    std::unique_ptr<CTooltipWindow> m_window; // null before Create
    QPointer<QWidget> m_owner;                // Not owned; tracked.
    std::unique_ptr<Platform::CMemoryDC> m_measure;
    ITooltip* m_provider; // Deleted at the end when it answers IsAutoDelete() true.
    TooltipSettings m_settings;
    std::string m_text;
};

// The in-place tooltip: a cut-off cell text shown whole over the cell.
class CInPlaceTooltipCtrl final : public CTooltipCtrl {
public:
    // Over the cell's text rectangle (from the cell's paint format), only
    // when that is narrower than the text; `cursor` is not used.
    bool Show(CGrid& grid, const CellInfo& cell, PaintContext& context, QPoint cursor) override;
};

} // namespace Brivel::GUI
