#include "gui/paint/paint_records.h"

#include "gui/paint/custom_draw.h"
#include "gui/rows/grid_item.h"
#include "gui/header/header.h"
#include "gui/paint/paint_host.h"
#include "gui/rows/row_list.h"
#include "gui/header/scroll_position.h"

#include "common/data_object.h"
#include "common/field.h"
#include "common/format.h"
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

const Common::CFormat* CellFormatOf(const Common::CDataObject& object, const CColumn::Attributes& attributes,
                                    Common::ValueKind& kind)
{
    const Common::CFieldRef ref = object.GetField(attributes.id);
    if (ref.field == nullptr) {
        kind = Common::KindNone;
        return nullptr;
    }
    kind = ref.field->GetKind();
    return attributes.format ? attributes.format : &ref.field->GetEffectiveFormat();
}

void FormatCellText(const Common::CFormat& format, Common::ValueKind kind, const Common::CDataObject& object,
                    int32_t fieldId, std::string& text)
{
    // A field value holding a standard string keeps it on the heap; the
    // typed read and format (the slot the value would reach anyway) leave
    // short texts in the string's inline buffer.
    if (kind == Common::KindStdString)
        text = format.Format(object.GetStdString(fieldId), &object);
    else
        text = format.Format(object.GetValue(fieldId), &object);
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
