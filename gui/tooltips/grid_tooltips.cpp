#include "gui/tooltips/grid_tooltips.h"

#include "gui/paint/paint_records.h"

#include "platform/archive.h"
#include "platform/hover_tracker.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

#include <cstdlib>

namespace Brivel::GUI {

namespace {

constexpr int32_t kSettingsVersion = 1;

} // namespace

// Which kind a cell calls for (mouse move, step 2).
class CGridTooltips::CKindProbe final : public ICellVisitor {
public:
    CKindProbe(CGridTooltips& owner) : m_owner(owner) {}
    void Visit(const CellInfo& cell, PaintContext& /*context*/) override
    {
        CGrid& grid = m_owner.m_host->GetTooltipGrid();
        if (m_owner.m_ordinaryEnabled && m_owner.m_ordinary->GetProvider().HasText(grid, cell))
            kind = TooltipKind::kOrdinary;
        else if (m_owner.m_inPlaceEnabled && m_owner.m_inPlace->GetProvider().HasText(grid, cell))
            kind = TooltipKind::kInPlace;
    }
    TooltipKind kind = TooltipKind::kNone;

private:
    CGridTooltips& m_owner;
};

// Shows one kind for the cell found at the hover report.
class CGridTooltips::CShowVisitor final : public ICellVisitor {
public:
    CShowVisitor(CGridTooltips& owner, TooltipKind kind, QPoint cursor) : m_owner(owner), m_kind(kind), m_cursor(cursor)
    {
    }
    void Visit(const CellInfo& cell, PaintContext& context) override
    {
        CGrid& grid = m_owner.m_host->GetTooltipGrid();
        ITooltipCtrl& ctrl = *m_owner.GetCtrl(m_kind);
        if (!ctrl.GetProvider().HasText(grid, cell))
            return;
        const TooltipSettings& settings = ctrl.GetSettings();
        if (settings.delayed != 0 && settings.autoHideMs > 0)
            m_owner.m_host->StartAutoHideTimer(static_cast<uint32_t>(settings.autoHideMs));
        else
            m_owner.m_host->StopAutoHideTimer();
        m_owner.m_hover->TrackLeave();
        m_owner.m_hover->CancelHover();
        shown = ctrl.Show(grid, cell, context, m_cursor);
    }
    bool shown = false;

private:
    CGridTooltips& m_owner;
    TooltipKind m_kind;
    QPoint m_cursor;
};

CGridTooltips::CGridTooltips(std::unique_ptr<ITooltipHost> host)
    : m_host(std::move(host)), m_ordinary(std::make_unique<CTooltipCtrl>()),
      m_inPlace(std::make_unique<CInPlaceTooltipCtrl>())
{
    QWidget& window = m_host->GetTooltipWindow();
    m_hover = std::make_unique<Platform::CHoverTracker>(
        window, [this](QPoint at) { OnHover(Platform::CPoint(at)); }, [this] { OnLeave(); });
    // Both windows exist before the first show.
    m_ordinary->Create(window);
    m_inPlace->Create(window);
    window.installEventFilter(this);
}

CGridTooltips::~CGridTooltips()
{
    m_host->GetTooltipWindow().removeEventFilter(this);
    m_host->StopAutoHideTimer();
}

bool CGridTooltips::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && watched == &m_host->GetTooltipWindow()) {
        const auto* const move = static_cast<QMouseEvent*>(event);
        OnMouseMove(Platform::CPoint(move->position().toPoint()), move->buttons() != Qt::NoButton);
    }
    return false; // the grid sees every event
}

ITooltipCtrl* CGridTooltips::GetCtrl(TooltipKind kind) const
{
    switch (kind) {
    case TooltipKind::kOrdinary: return m_ordinary.get();
    case TooltipKind::kInPlace: return m_inPlace.get();
    default: return nullptr;
    }
}

bool CGridTooltips::IsHoverPending() const
{
    return m_hover->IsHoverPending();
}

TooltipKind CGridTooltips::ChooseKind(Platform::CPoint point)
{
    if (!m_ordinaryEnabled && !m_inPlaceEnabled)
        return TooltipKind::kNone;
    ++m_probes;
    CKindProbe probe(*this);
    m_host->VisitCellAt(point, probe);
    return probe.kind;
}

void CGridTooltips::OnMouseMove(Platform::CPoint point, bool buttonHeld)
{
    if (buttonHeld)
        return;
    const bool moved = std::abs(point.x - m_lastPosition.x) > kMoveTolerance ||
                       std::abs(point.y - m_lastPosition.y) > kMoveTolerance;
    if (m_suppressed && !moved)
        return;
    m_suppressed = false;
    const TooltipKind kind = ChooseKind(point);
    if (kind == TooltipKind::kNone) {
        m_chosen = kind;
        m_hover->CancelHover();
        Hide();
    } else if (GetCtrl(kind)->GetSettings().delayed != 0) {
        const TooltipKind other = kind == TooltipKind::kOrdinary ? TooltipKind::kInPlace : TooltipKind::kOrdinary;
        if (moved && m_showing == other)
            HideKind(other);
        if (m_showing == kind) {
            if (!moved)
                return; // the shown tooltip stays; the position is not recorded
            Hide();
        } else {
            m_chosen = kind;
            m_hover->TrackHover(GetCtrl(kind)->GetSettings().hoverMs);
        }
    } else {
        m_chosen = kind;
        Show(kind, point);
    }
    if (moved)
        m_lastPosition = point;
}

void CGridTooltips::OnHover(Platform::CPoint point)
{
    if (m_chosen != TooltipKind::kNone)
        Show(m_chosen, point);
}

void CGridTooltips::Show(TooltipKind kind, Platform::CPoint point)
{
    if (!IsEnabled(kind))
        return;
    ++m_probes;
    // The cell is looked up here, where the report says the mouse is.
    const QPoint cursor = m_host->GetTooltipWindow().mapToGlobal(point.ToQPoint());
    CShowVisitor show(*this, kind, cursor);
    if (!m_host->VisitCellAt(point, show) || !show.shown) {
        Hide();
        return;
    }
    if (m_showing != TooltipKind::kNone && m_showing != kind)
        HideKind(m_showing);
    m_showing = kind;
}

void CGridTooltips::HideKind(TooltipKind kind)
{
    if (m_showing != kind)
        return;
    GetCtrl(kind)->Hide();
    m_hover->CancelLeave();
    m_showing = TooltipKind::kNone;
    m_suppressed = true;
}

void CGridTooltips::Hide()
{
    if (m_showing != TooltipKind::kNone)
        HideKind(m_showing);
    m_host->StopAutoHideTimer();
}

void CGridTooltips::OnScrolled()
{
    m_hover->CancelHover();
    Hide();
}

// ---- Options ----

void CGridTooltips::Enable(TooltipKind kind, bool enable)
{
    if (kind == TooltipKind::kOrdinary)
        m_ordinaryEnabled = enable;
    else if (kind == TooltipKind::kInPlace)
        m_inPlaceEnabled = enable;
    if (!enable && m_showing == kind)
        Hide();
}

bool CGridTooltips::IsEnabled(TooltipKind kind) const
{
    return kind == TooltipKind::kOrdinary ? m_ordinaryEnabled : kind == TooltipKind::kInPlace && m_inPlaceEnabled;
}

TooltipSettings CGridTooltips::GetSettings(TooltipKind kind) const
{
    const ITooltipCtrl* const ctrl = GetCtrl(kind);
    return ctrl != nullptr ? ctrl->GetSettings() : TooltipSettings::Defaults();
}

void CGridTooltips::SetSettings(TooltipKind kind, const TooltipSettings& settings)
{
    if (ITooltipCtrl* const ctrl = GetCtrl(kind))
        ctrl->SetSettings(settings);
}

ITooltip* CGridTooltips::SetProvider(TooltipKind kind, ITooltip* provider)
{
    ITooltipCtrl* const ctrl = GetCtrl(kind);
    return ctrl != nullptr ? ctrl->SetProvider(provider) : nullptr;
}

void CGridTooltips::Serialize(Platform::CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kSettingsVersion << static_cast<uint8_t>(m_ordinaryEnabled) << static_cast<uint8_t>(m_inPlaceEnabled);
        TooltipSettings ordinary = m_ordinary->GetSettings();
        TooltipSettings inPlace = m_inPlace->GetSettings();
        ordinary.Serialize(ar);
        inPlace.Serialize(ar);
        return;
    }
    if (ar.ReadVersion(kSettingsVersion, "tooltip settings") <= 0)
        return;
    const bool ordinaryEnabled = ar.ReadByte() != 0;
    const bool inPlaceEnabled = ar.ReadByte() != 0;
    TooltipSettings ordinary = m_ordinary->GetSettings();
    TooltipSettings inPlace = m_inPlace->GetSettings();
    ordinary.Serialize(ar);
    inPlace.Serialize(ar);
    Hide();
    m_ordinaryEnabled = ordinaryEnabled;
    m_inPlaceEnabled = inPlaceEnabled;
    m_ordinary->SetSettings(ordinary);
    m_inPlace->SetSettings(inPlace);
}

} // namespace Brivel::GUI
