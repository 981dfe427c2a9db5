#pragma once
// CGridTooltips: when a grid shows its tooltips and which. It owns the
// ordinary tooltip (CTooltipCtrl, off by default) and the in-place tooltip
// (CInPlaceTooltipCtrl, on by default) with their settings and providers,
// and follows the mouse over the grid window.
//
// Mouse move (not while a button holds the mouse):
//   1. The mouse has moved when it is more than kMoveTolerance pixels from
//      the last recorded position along either axis. Just after a tooltip
//      was hidden, a move that is no move does nothing (suppression).
//   2. The kind for the cell under the mouse: ordinary when it is enabled and
//      its provider has text for the cell, else in-place likewise, else none
//      (any tooltip hides). In the kind's delayed mode: a shown tooltip of
//      the other kind hides when the mouse moved; a shown tooltip of this
//      kind hides when the mouse moved and otherwise stays (the position is
//      not recorded); else a hover report is asked for after the kind's
//      hover time. Without delayed mode the kind shows at once.
//   3. A move records the position.
// Hover report: the cell under the mouse is found again there (nothing kept
// since the move) and the chosen kind shows for it.
// Show: the provider must have text; in delayed mode with an auto-hide
// delay the auto-hide timer starts, else it stops; a leave report is asked
// for; the control shows.
// Hide (also on the auto-hide timer, on leaving the window and after every
// scroll): each shown tooltip hides and suppression starts; the timer stops.
//
// Nothing here runs for a data change: a grid receiving updates while no
// tooltip shows does no tooltip work at all (GetProbeCount counts the cell
// look-ups, which only mouse moves and hover reports make).
//
// Ownership: owns both controls, the hover tracker and the host; borrows the
// window the host names (it outlives this).
// Thread: GUI thread only.

#include "gui/paint/grid_painter.h"
#include "gui/tooltips/tooltip_ctrl.h"
#include "gui/tooltips/tooltip_settings.h"

#include "platform/rect.h"

#include <QObject>
#include <QPoint>

#include <cstdint>
#include <memory>

class QWidget;

namespace Brivel::Platform {
class CArchive;
class CHoverTracker;
}

namespace Brivel::GUI {

class CGrid;

// What the tooltips ask of the grid.
// What the tooltips ask of the grid.
class ITooltipHost {
public:
    virtual ~ITooltipHost() = default;
    virtual CGrid& GetTooltipGrid() = 0; // the grid the tooltips belong to
    // The grid window the tooltips follow.
    virtual QWidget& GetTooltipWindow() = 0;
    // Builds the paint record of the cell at client `point` as the paint pass
    // would and hands it to `visitor`; false (no visit) over no cell.
    virtual bool VisitCellAt(Platform::CPoint point, ICellVisitor& visitor) = 0;
    virtual void StartAutoHideTimer(uint32_t ms) = 0; // the auto-hide timer (grid timer 2) fires once after `ms`
    virtual void StopAutoHideTimer() = 0; // stops it

protected:
    ITooltipHost() = default;
    ITooltipHost(const ITooltipHost&) = default;
    ITooltipHost& operator=(const ITooltipHost&) = default;
};

// When a grid shows its tooltips and which (see the top of this file).
class CGridTooltips final : public QObject {
public:
    static constexpr int32_t kMoveTolerance = 4; // pixels along either axis that do not count as a move

    // Both tooltips with their default settings; takes the host.
    explicit CGridTooltips(std::unique_ptr<ITooltipHost> host);
    ~CGridTooltips() override;
    CGridTooltips(const CGridTooltips&) = delete;
    CGridTooltips& operator=(const CGridTooltips&) = delete;

    // ---- Events ----
    // A mouse move over the window (steps 1-3 above); ignored while a button is held.
    void OnMouseMove(Platform::CPoint point, bool buttonHeld);
    // The hover report: shows the chosen kind for the cell under `point`.
    void OnHover(Platform::CPoint point);
    void OnLeave() { Hide(); } // the mouse left the window
    void OnAutoHideTimer() { Hide(); } // the auto-hide timer fired
    // After every scroll: the hover request ends and a shown tooltip hides.
    void OnScrolled();
    // Hides any shown tooltip, starts suppression and stops the timer.
    void Hide();

    // ---- Options ----
    // Whether the tooltip of a kind is shown at all.
    void Enable(TooltipKind kind, bool enable);
    bool IsEnabled(TooltipKind kind) const; // see Enable
    // How the tooltip of a kind looks and behaves.
    TooltipSettings GetSettings(TooltipKind kind) const;
    void SetSettings(TooltipKind kind, const TooltipSettings& settings);
    // What the tooltip of a kind shows (null: the shared CTooltip); answers the
    // previous provider.
    ITooltip* SetProvider(TooltipKind kind, ITooltip* provider);
    // The control of a kind (null for kNone).
    ITooltipCtrl* GetCtrl(TooltipKind kind) const;
    TooltipKind GetShowing() const { return m_showing; } // the kind shown now; kNone: none
    bool IsSuppressed() const { return m_suppressed; } // a move that is no move does nothing now
    bool IsHoverPending() const; // a hover report is awaited
    // Cell look-ups made so far.
    int64_t GetProbeCount() const { return m_probes; }

    // The settings block of the grid's settings stream: version 1, the
    // ordinary and the in-place enabled flags (one byte each), then the
    // ordinary and the in-place settings records. Version 0 (older streams)
    // keeps the current settings.
    void Serialize(Platform::CArchive& ar);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override; // watches the window's mouse moves; lets every event through

private:
    class CKindProbe;
    class CShowVisitor;

    TooltipKind ChooseKind(Platform::CPoint point);
    void Show(TooltipKind kind, Platform::CPoint point);
    void HideKind(TooltipKind kind);

    std::unique_ptr<ITooltipHost> m_host;
    std::unique_ptr<CTooltipCtrl> m_ordinary;
    std::unique_ptr<CInPlaceTooltipCtrl> m_inPlace;
    std::unique_ptr<Platform::CHoverTracker> m_hover;
    bool m_ordinaryEnabled = false;
    bool m_inPlaceEnabled = true;
    TooltipKind m_showing = TooltipKind::kNone;
    TooltipKind m_chosen = TooltipKind::kNone; // the kind a pending hover report shows
    bool m_suppressed = false;
    Platform::CPoint m_lastPosition{-1000000, -1000000};
    int64_t m_probes = 0;
};

} // namespace Brivel::GUI
