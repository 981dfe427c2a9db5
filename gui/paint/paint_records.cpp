#include "gui/paint/paint_records.h"

#include "gui/paint/custom_draw.h"
#include "gui/rows/grid_item.h"
#include "gui/header/header.h"
#include "gui/paint/paint_host.h"
#include "gui/rows/row_list.h"
#include "gui/header/scroll_position.h"

#include "common/process_clock.h"
#include "platform/dc.h"

#include <algorithm>

namespace Brivel::GUI {

namespace {

// The scroll source of a host that has none: not scrolled. Without one the
// header would find no scrollable column at all.
class CUnscrolled final : public IHorizontalScrollSource {
public:
    bool GetHorizontalScrollPos(int32_t& pos) const override
    {
        pos = 0;
        return true;
    }
};

const CUnscrolled s_unscrolled;

} // namespace

bool LineInfo::IsSelected() const noexcept
{
    return item != nullptr && item->IsSelected();
}

CScopedClipExclusion::CScopedClipExclusion(Platform::CDC& dc, const Platform::CRect& rect)
{
    if (rect.IsRectEmpty())
        return;
    m_dc = &dc;
    m_hadClip = dc.GetClipRgn(m_previous);
    dc.ExcludeClipRect(rect);
}

CScopedClipExclusion::~CScopedClipExclusion()
{
    if (m_dc != nullptr)
        m_dc->SelectClipRgn(m_hadClip ? &m_previous : nullptr);
}

void PreparePaintContext(PaintContext& context, IPaintHost& host)
{
    context.host = &host;
    context.grid = host.GetGrid();
    context.window = host.GetWindow();
    context.header = host.GetHeader();
    const IHorizontalScrollSource* const scroll = host.GetScrollSource();
    context.scroll = scroll ? scroll : &s_unscrolled;
    ICustomDraw* const customDraw = host.GetCustomDraw();
    context.customDraw = customDraw ? customDraw : &GetSharedPaintDefaults().customDraw;

    context.rubberBand = host.GetRubberBand();
    context.rubberBand.NormalizeRect();
    context.focusListKind = 0;
    context.focusRow = -1;
    for (const int32_t kind : {int32_t(CRowList::kPinnedList), int32_t(CRowList::kBodyList)}) {
        const int32_t row = host.GetFocusRow(kind);
        if (row >= 0) {
            context.focusListKind = kind;
            context.focusRow = row;
            break;
        }
    }
    context.dropMark = host.GetRowDropMark();

    context.cellImageList = host.GetCellImageList();
    context.stretchImages = host.IsStretchImages();

    context.appearance = &host.GetAppearance();
    context.highlightChangedValues = host.IsHighlightChangedValues();
    context.now = Common::GetProcessClock();
    context.highlightRefreshMs = -1;
    context.mask = host.GetPaintElementMask();
    const QFont* const font = host.GetFont();
    context.font = font ? font : &GetDefaultPaintFont();
    context.treeShown = host.IsTreeShown();

    context.fixedWidth = 0;
    context.treeColumnId = CColumn::kUnsetField;
    context.sortFields.fill(CSortInfo::kNoField);
    context.sortDescending.fill(false);
    if (CHeader* const header = context.header) {
        context.fixedWidth = header->GetFixedWidth();
        if (const CColumn* const tree = header->GetFocusColumn())
            context.treeColumnId = tree->GetId();
        const int32_t levels = std::min(header->GetSortLevelCount(), CHeader::kMaxSortLevels);
        for (int32_t level = 0; level < levels; ++level) {
            const CSortInfo info = header->GetSortInfo(level);
            context.sortFields[level] = info.GetFieldId();
            context.sortDescending[level] = info.IsDescending();
        }
    }
}

} // namespace Brivel::GUI
