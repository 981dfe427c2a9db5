// CGrid: the public operations of row drag and drop, each carried to the GUI
// thread by the calling rule, and the grid's side of it: the host through
// which CGridDragDrop (gui/dragdrop/grid_drag_drop.h) sees the grid.

#include "gui/grid/grid.h"

#include "gui/grid/grid_call.h"

#include "platform/sys_color.h"

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;

namespace {

// The grid as row drag and drop sees it: its window, its rows on screen,
// the painter's drag image, invalidation, scrolling, the drop scroll timer
// and the drop notifications.
class CGridDragDropHost final : public IDragDropHost {
public:
    explicit CGridDragDropHost(CGridImpl& impl) : m_impl(impl) {}

    CGrid& GetDragDropGrid() override { return *m_impl.GetGrid(); }
    QWidget& GetDragDropWindow() override { return *m_impl.GetWindow(); }
    bool IsWindowDestroyed() const override { return m_impl.IsDestroyed(); }
    const CRowLayout& GetDragDropLayout() const override { return m_impl.GetRowLayout(); }
    std::unique_ptr<Platform::CImageList> MakeRowDragImage(int32_t* top) override
    {
        return m_impl.GetPainter().MakeRowDragImage(top);
    }
    Platform::COLORREF GetDropMarkColor() const override { return Platform::GetSysColor(Platform::COLOR_HIGHLIGHT); }
    void InvalidateDropRect(const Platform::CRect& rect) override { m_impl.Invalidate(rect); }
    void ScrollBodyLines(int32_t lines) override { m_impl.ScrollBodyLines(lines); }
    void StartDropScrollTimer(uint32_t ms) override { m_impl.StartTimer(kDropScrollTimer, ms); }
    void StopDropScrollTimer() override { m_impl.StopTimer(kDropScrollTimer); }
    void NotifyDrop(int32_t code) override { m_impl.NotifyHeaderEvent(code, nullptr, 0); }
    void SetRowDragStarter(IRowDragStarter* starter) override
    {
        m_impl.GetInput().GetRowMouse().SetDragStarter(starter);
    }

private:
    CGridImpl& m_impl; // Not owned; owns the drag and drop that owns this.
};

} // namespace

std::unique_ptr<CGridDragDrop> MakeGridDragDrop(CGridImpl& impl)
{
    return std::make_unique<CGridDragDrop>(std::make_unique<CGridDragDropHost>(impl));
}

void CGrid::EnableRowDragDrop(bool enable)
{
    m_impl->Call(kOpEnableRowDragDrop, [&](CGridImpl& impl) { impl.GetOptions().rowDragDrop = enable; });
}

bool CGrid::IsRowDragDropEnabled()
{
    return m_impl->Call(kOpIsRowDragDropEnabled, [](CGridImpl& impl) { return impl.GetOptions().rowDragDrop; });
}

IDropImporter* CGrid::SetDropImporter(IDropImporter* importer)
{
    return m_impl->Call(kOpSetDropImporter,
                        [&](CGridImpl& impl) { return impl.GetDragDrop().GetTarget().SetImporter(importer); });
}

IDropImporter* CGrid::GetDropImporter()
{
    return m_impl->Call(kOpGetDropImporter,
                        [](CGridImpl& impl) { return impl.GetDragDrop().GetTarget().GetImporter(); });
}

} // namespace Brivel::GUI
