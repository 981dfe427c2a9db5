// CRowDropTarget: the drop side of row drag and drop.
//
// ---- Sections ----
//   Entry points   DragEnter, DragMove, DragLeave, Drop, the scroll timer
//   Places         the place under a point
//   Decisions      which rows are still there, what the importer says
//   Marks          the insertion mark and the scrolling near the edges
//   Carrying out   move, copy, import

#include "gui/dragdrop/row_drop_target.h"

#include "gui/dragdrop/drag_drop_host.h"
#include "gui/dragdrop/row_drag_source.h"
#include "gui/grid/grid.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/row_layout.h"
#include "gui/rows/row_list.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace Brivel::GUI {

using Platform::CPoint;
using Platform::CRect;

namespace {

// Whether `item` is one of the grid's parent or position handles (or null)
// rather than a row.
bool IsHandle(const CGridItem* item)
{
    return item == nullptr || item == CGrid::kBodyRoot || item == CGrid::kPinnedRoot || item == CGrid::kHead ||
           item == CGrid::kTail;
}

// The parent handle Attach and Add take for the children of `parent`.
CGridItem* ParentHandle(CGridItem* parent, int32_t kind)
{
    if (parent == nullptr || parent->IsRoot())
        return kind == CRowList::kPinnedList ? CGrid::kPinnedRoot : CGrid::kBodyRoot;
    return parent;
}

// The position after `parent`'s child at `index` - 1, skipping the children
// in `skipped`; the head when none is left.
CGridItem* PreviousSibling(const CGridItem& parent, int32_t index,
                           const std::unordered_set<const CGridItem*>* skipped = nullptr)
{
    while (--index >= 0) {
        CGridItem* const sibling = parent.GetChild(index);
        if (skipped == nullptr || skipped->count(sibling) == 0)
            return sibling;
    }
    return CGrid::kHead;
}

// The rows of `rows` whose ancestors are not among them (they travel with
// their parent), in the same order.
std::vector<CGridItem*> TopRows(const std::vector<CGridItem*>& rows)
{
    const std::unordered_set<const CGridItem*> all(rows.begin(), rows.end());
    std::vector<CGridItem*> top;
    for (CGridItem* const row : rows) {
        bool nested = false;
        for (const CGridItem* parent = row->GetParent(); parent != nullptr && !parent->IsRoot() && !nested;
             parent = parent->GetParent())
            nested = all.count(parent) != 0;
        if (!nested)
            top.push_back(row);
    }
    return top;
}

} // namespace

CRowDropTarget::CRowDropTarget(IDragDropHost& host) : m_host(host), m_importer(&CDropImporter::Shared()) {}

CRowDropTarget::~CRowDropTarget()
{
    IDropImporter* const importer = std::exchange(m_importer, nullptr);
    if (importer != nullptr && importer->IsAutoDelete())
        std::unique_ptr<IDropImporter> owned(importer); // handed over with SetImporter
}

IDropImporter* CRowDropTarget::SetImporter(IDropImporter* importer)
{
    return std::exchange(m_importer, importer != nullptr ? importer : &CDropImporter::Shared());
}

// ---- Entry points ----

Qt::DropAction CRowDropTarget::DragEnter(const QMimeData& data, CPoint point, Qt::KeyboardModifiers modifiers)
{
    if (m_host.IsWindowDestroyed())
        return Qt::IgnoreAction;
    DragLeave(); // a drag that never left ends first
    DragPayload payload = ReadDragPayload(data);
    if (!payload.hasLocal && payload.text.empty())
        return Qt::IgnoreAction;
    m_payload = std::move(payload);
    m_over = true;
    m_point = point;
    m_modifiers = modifiers;
    m_host.NotifyDrop(kNotifyDropStarted);
    return m_over ? Update() : Qt::IgnoreAction;
}

Qt::DropAction CRowDropTarget::DragMove(CPoint point, Qt::KeyboardModifiers modifiers)
{
    if (!m_over)
        return Qt::IgnoreAction;
    m_point = point;
    m_modifiers = modifiers;
    return Update();
}

void CRowDropTarget::DragLeave()
{
    if (!std::exchange(m_over, false))
        return;
    StopScroll();
    ShowMark(Place());
    m_payload = DragPayload();
    m_host.NotifyDrop(kNotifyDropEnded);
}

Qt::DropAction CRowDropTarget::Drop(const QMimeData& data, CPoint point, Qt::KeyboardModifiers modifiers)
{
    if (!m_over)
        DragEnter(data, point, modifiers);
    if (!m_over)
        return Qt::IgnoreAction;
    m_point = point;
    m_modifiers = modifiers;
    StopScroll();
    ShowMark(Place());
    const Place place = PlaceAt(point);
    const Decision decision = Decide(place);
    if (decision.action != DropAction::kRefuse)
        Perform(decision, place);
    DragLeave();
    return QtActionOf(decision.action);
}

void CRowDropTarget::OnScrollTimer()
{
    if (!m_over || m_scrollDirection == 0) {
        StopScroll();
        return;
    }
    m_host.ScrollBodyLines(m_scrollDirection);
    Update(); // other rows are under the cursor now
}

// ---- Places ----

CRowDropTarget::Place CRowDropTarget::Before(CGridItem& item) const
{
    Place place;
    place.valid = true;
    place.kind = item.GetListKind();
    CGridItem* const parent = item.GetParent();
    place.parent = ParentHandle(parent, place.kind);
    place.position = parent != nullptr ? PreviousSibling(*parent, parent->GetChildIndex(&item)) : CGrid::kHead;
    place.markItem = &item;
    place.where = RowDropMark::kAbove;
    return place;
}

CRowDropTarget::Place CRowDropTarget::After(CGridItem& item) const
{
    Place place;
    place.valid = true;
    place.kind = item.GetListKind();
    if (item.IsExpanded() && item.GetChildCount() > 0) {
        // Under an open row the bar sits above its first child: its head.
        place.parent = &item;
        place.position = CGrid::kHead;
    } else {
        place.parent = ParentHandle(item.GetParent(), place.kind);
        place.position = &item;
    }
    place.markItem = &item;
    place.where = RowDropMark::kBelow;
    return place;
}

CRowDropTarget::Place CRowDropTarget::PlaceAt(CPoint point) const
{
    const CRowLayout& layout = m_host.GetDragDropLayout();
    const CRowLayout::Areas& areas = layout.GetAreas();
    if (!areas.client.PtInRect(point))
        return {};
    if (const CRowLayout::Row* const row = layout.RowAt(point.y)) {
        Place place = point.y < row->top + row->height / 2 ? Before(*row->item) : After(*row->item);
        place.markRect = layout.RowRect(*row);
        return place;
    }
    // Off the rows: after the last one of the body (below it) or of the
    // pinned list (on the band); the header strip takes nothing.
    int32_t kind = 0;
    if (point.y >= areas.bodyTop)
        kind = CRowList::kBodyList;
    else if (point.y >= areas.pinnedBottom && areas.pinnedBottom > areas.pinnedTop)
        kind = CRowList::kPinnedList;
    if (kind == 0)
        return {};
    Place place;
    place.valid = true;
    place.kind = kind;
    place.parent = kind == CRowList::kPinnedList ? CGrid::kPinnedRoot : CGrid::kBodyRoot;
    place.position = CGrid::kTail;
    const std::span<const CRowLayout::Row> rows = layout.GetRows(kind);
    if (!rows.empty()) {
        place.markItem = rows.back().item;
        place.where = RowDropMark::kBelow;
        place.markRect = layout.RowRect(rows.back());
    }
    return place;
}

bool CRowDropTarget::IsSorted(int32_t kind) const
{
    CGrid& grid = m_host.GetDragDropGrid();
    return grid.GetSortKeyCount() > 0 && (grid.GetSortableLists() & kind) != 0;
}

// ---- Decisions ----

bool CRowDropTarget::IsInRows(const CGridItem* item, const std::vector<CGridItem*>& rows)
{
    for (; item != nullptr && !IsHandle(item) && !item->IsRoot(); item = item->GetParent())
        if (std::find(rows.begin(), rows.end(), item) != rows.end())
            return true;
    return false;
}

CRowDropTarget::Decision CRowDropTarget::Decide(const Place& place) const
{
    Decision decision;
    if (!place.valid || m_host.IsWindowDestroyed())
        return decision;
    CGrid& target = m_host.GetDragDropGrid();
    DropRequest request;
    request.target = &target;
    request.parent = place.parent;
    request.position = place.position;
    request.copyKey = m_modifiers.testFlag(Qt::ControlModifier);
    if (m_payload.hasLocal) {
        // Rows of this process: only while the drag that carries them vouches
        // for their grid, and only those the grid still has bound to their
        // recorded objects (each handle is compared, never followed, before).
        const RowDragSession* const session = CRowDragSource::GetActiveSession();
        if (session == nullptr || session->source == nullptr || session->source != m_payload.local.sourceGrid)
            return decision;
        std::vector<CGridItem*> bound;
        for (const LocalClipboardData::Row& row : m_payload.local.rows) {
            bound.clear();
            session->source->FindItems(row.object, bound, false, CGrid::kBothLists);
            if (std::find(bound.begin(), bound.end(), row.item) != bound.end() &&
                std::find(decision.rows.begin(), decision.rows.end(), row.item) == decision.rows.end())
                decision.rows.push_back(row.item);
        }
        if (decision.rows.empty())
            return decision;
        // Rows dropped onto themselves or into their own subtree go nowhere.
        if (session->source == &target &&
            (IsInRows(place.markItem, decision.rows) || IsInRows(place.parent, decision.rows)))
            return decision;
        decision.source = session->source;
        request.source = decision.source;
        request.rows = decision.rows;
    } else {
        request.text = m_payload.text;
    }
    const DropAction action = m_importer->GetDropAction(request);
    const bool hasRows = !decision.rows.empty();
    if (((action == DropAction::kMove || action == DropAction::kCopy) && hasRows) ||
        (action == DropAction::kImport && !m_payload.text.empty()))
        decision.action = action;
    return decision;
}

Qt::DropAction CRowDropTarget::QtActionOf(DropAction action)
{
    switch (action) {
    case DropAction::kMove:
        return Qt::MoveAction;
    case DropAction::kCopy:
    case DropAction::kImport:
        return Qt::CopyAction;
    default:
        return Qt::IgnoreAction;
    }
}

// ---- Marks ----

Qt::DropAction CRowDropTarget::Update()
{
    const Place place = PlaceAt(m_point);
    const Decision decision = Decide(place);
    ShowMark(decision.action != DropAction::kRefuse ? place : Place());
    UpdateScroll();
    return QtActionOf(decision.action);
}

void CRowDropTarget::ShowMark(const Place& place)
{
    RowDropMark mark;
    if (place.valid && place.markItem != nullptr && !IsSorted(place.kind)) {
        mark.item = place.markItem;
        mark.where = place.where;
        mark.color = m_host.GetDropMarkColor();
    }
    if (mark.item != m_mark.item || mark.where != m_mark.where) {
        if (!m_markRect.IsRectEmpty())
            m_host.InvalidateDropRect(m_markRect);
        if (mark.item != nullptr && !place.markRect.IsRectEmpty())
            m_host.InvalidateDropRect(place.markRect);
    }
    m_mark = mark;
    m_markRect = mark.item != nullptr ? place.markRect : CRect();
}

void CRowDropTarget::UpdateScroll()
{
    int32_t direction = 0;
    if (m_over) {
        const CRowLayout::Areas& areas = m_host.GetDragDropLayout().GetAreas();
        if (areas.client.PtInRect(m_point)) {
            if (m_point.y >= areas.bodyTop && m_point.y < areas.bodyTop + kScrollZone)
                direction = -1;
            else if (m_point.y >= areas.bottom - kScrollZone && m_point.y >= areas.bodyTop)
                direction = 1;
        }
    }
    if (direction == m_scrollDirection)
        return;
    m_scrollDirection = direction;
    if (direction == 0)
        m_host.StopDropScrollTimer();
    else
        m_host.StartDropScrollTimer(kScrollMs);
}

void CRowDropTarget::StopScroll()
{
    if (std::exchange(m_scrollDirection, 0) != 0)
        m_host.StopDropScrollTimer();
}

// ---- Carrying out ----

void CRowDropTarget::Perform(const Decision& decision, const Place& place)
{
    CGrid& target = m_host.GetDragDropGrid();
    if (decision.action == DropAction::kImport) {
        CGridItem* position = place.position;
        for (Common::CDataObject* const object : m_importer->ImportText(target, m_payload.text))
            if (CGridItem* const added = target.Add(object, place.parent, position))
                position = added;
        return;
    }
    const std::vector<CGridItem*> rows = TopRows(decision.rows);
    if (decision.action == DropAction::kMove && decision.source == &target) {
        MoveRows(rows, place);
        return;
    }
    CGridItem* position = place.position;
    for (CGridItem* const row : rows)
        if (CGridItem* const added = CopyRow(*row, place.parent, position))
            position = added;
    // A move from another grid: the rows leave it once they are here.
    if (decision.action == DropAction::kMove && decision.source != nullptr)
        for (CGridItem* const row : rows)
            decision.source->Remove(row);
}

void CRowDropTarget::MoveRows(const std::vector<CGridItem*>& rows, const Place& place)
{
    CGrid& grid = m_host.GetDragDropGrid();
    const std::unordered_set<const CGridItem*> moving(rows.begin(), rows.end());
    // After a row that moves itself, the rows go after its nearest previous
    // sibling that stays (or to the head).
    CGridItem* position = place.position;
    if (!IsHandle(position) && moving.count(position) != 0) {
        const CGridItem& parent = *position->GetParent();
        position = PreviousSibling(parent, parent.GetChildIndex(position), &moving);
    }
    for (CGridItem* const row : rows) {
        // Where the row was, to put it back should the new place refuse it.
        CGridItem* const oldParent = ParentHandle(row->GetParent(), row->GetListKind());
        CGridItem* const oldPosition =
            row->GetParent() != nullptr ? PreviousSibling(*row->GetParent(), row->GetParent()->GetChildIndex(row))
                                        : CGrid::kHead;
        const bool selected = row->IsSelected();
        if (!grid.Detach(row))
            continue;
        if (!grid.Attach(row, place.parent, position)) {
            grid.Attach(row, oldParent, oldPosition);
            continue;
        }
        position = row;
        if (selected)
            grid.SelectItem(row, true);
    }
}

CGridItem* CRowDropTarget::CopyRow(CGridItem& row, CGridItem* parent, CGridItem* position)
{
    CGrid& target = m_host.GetDragDropGrid();
    CGridItem* const added = target.Add(row.GetDataObject(), parent, position);
    if (added == nullptr)
        return nullptr;
    for (int32_t index = 0; index < row.GetChildCount(); ++index)
        CopyRow(*row.GetChild(index), added, CGrid::kTail);
    return added;
}

} // namespace Brivel::GUI
