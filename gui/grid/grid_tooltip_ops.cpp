// CGrid: the public operations of the tooltips, each carried to the GUI
// thread by the calling rule, and the grid's side of them: the host through
// which CGridTooltips (gui/tooltips/grid_tooltips.h) sees the grid.

#include "gui/grid/grid.h"

#include "gui/grid/grid_call.h"

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;

namespace {

// The grid as the tooltips see it: its window, the cell records of its
// paint pass and its auto-hide timer (timer 2).
class CGridTooltipHost final : public ITooltipHost {
public:
    explicit CGridTooltipHost(CGridImpl& impl) : m_impl(impl) {}

    CGrid& GetTooltipGrid() override { return *m_impl.GetGrid(); }
    QWidget& GetTooltipWindow() override { return *m_impl.GetWindow(); }
    bool VisitCellAt(Platform::CPoint point, ICellVisitor& visitor) override
    {
        return !m_impl.IsDestroyed() && m_impl.GetPainter().VisitCellAt(point, visitor);
    }
    void StartAutoHideTimer(uint32_t ms) override { m_impl.StartTimer(kTooltipTimer, ms); }
    void StopAutoHideTimer() override { m_impl.StopTimer(kTooltipTimer); }

private:
    CGridImpl& m_impl; // Not owned; owns the tooltips that own this.
};

} // namespace

std::unique_ptr<CGridTooltips> MakeGridTooltips(CGridImpl& impl)
{
    return std::make_unique<CGridTooltips>(std::make_unique<CGridTooltipHost>(impl));
}

void CGrid::EnableTooltip(TooltipKind kind, bool enable)
{
    m_impl->Call(kOpEnableTooltip, [&](CGridImpl& impl) { impl.GetTooltips().Enable(kind, enable); });
}

bool CGrid::IsTooltipEnabled(TooltipKind kind)
{
    return m_impl->Call(kOpIsTooltipEnabled, [&](CGridImpl& impl) { return impl.GetTooltips().IsEnabled(kind); });
}

TooltipSettings CGrid::GetTooltipSettings(TooltipKind kind)
{
    return m_impl->Call(kOpGetTooltipSettings, [&](CGridImpl& impl) { return impl.GetTooltips().GetSettings(kind); });
}

void CGrid::SetTooltipSettings(TooltipKind kind, const TooltipSettings& settings)
{
    m_impl->Call(kOpSetTooltipSettings, [&](CGridImpl& impl) { impl.GetTooltips().SetSettings(kind, settings); });
}

ITooltip* CGrid::SetTooltipProvider(TooltipKind kind, ITooltip* provider)
{
    return m_impl->Call(kOpSetTooltipProvider,
                        [&](CGridImpl& impl) { return impl.GetTooltips().SetProvider(kind, provider); });
}

} // namespace Brivel::GUI
