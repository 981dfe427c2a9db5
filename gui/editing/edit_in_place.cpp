#include "gui/editing/edit_in_place.h"

#include "gui/editing/reflector_list.h"
#include "gui/editing/text_reflectors.h"
#include "gui/grid/grid.h"
#include "gui/header/header.h"
#include "gui/input/selection.h"
#include "gui/paint/paint_records.h"
#include "gui/rows/grid_item.h"
#include "gui/rows/row_layout.h"
#include "gui/rows/row_list.h"

#include "common/data_object.h"
#include "common/format.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QToolTip>
#include <QWidget>

namespace Brivel::GUI {

using Platform::CPoint;
using Platform::CRect;

CEditInPlace::CEditInPlace(IEditHost& host, CGridSelection& selection, const CRowLayout& layout)
    : m_host(host), m_selection(selection), m_layout(layout)
{
}

CEditInPlace::~CEditInPlace()
{
    Cancel();
}

// ---- Which cells edit, and how ----

IControlReflector* CEditInPlace::ReflectorFor(CGridItem* item, int32_t columnId, const Common::CFormat** format) const
{
    CHeader* const header = m_host.GetHeader();
    if (header == nullptr || !m_host.OwnsItem(item) || !item->IsShown())
        return nullptr;
    CColumn* const column = header->FindVisibleColumn(columnId);
    Common::CDataObject* const object = item->GetDataObject();
    if (column == nullptr || !column->IsEditable() || object == nullptr ||
        object->GetFieldKind(columnId) == Common::KindNone || !object->IsWritable(columnId))
        return nullptr;
    const Common::CFormat* const cellFormat = EditFormatOf(*object, *column);
    if (format != nullptr)
        *format = cellFormat;
    return CReflectorList::Find(cellFormat);
}

int32_t CEditInPlace::NextEditableColumn(int32_t columnId, bool forward) const
{
    CHeader* const header = m_host.GetHeader();
    if (header == nullptr)
        return CColumn::kUnsetField;
    const int32_t count = header->GetVisibleColumnCount();
    int32_t index = columnId == CColumn::kUnsetField ? (forward ? -1 : count) : header->GetVisibleIndex(columnId);
    if (index < 0 && columnId != CColumn::kUnsetField)
        return CColumn::kUnsetField;
    for (index += forward ? 1 : -1; index >= 0 && index < count; index += forward ? 1 : -1) {
        CColumn* const column = header->GetVisibleColumn(index);
        if (column != nullptr && column->IsEditable())
            return column->GetId();
    }
    return CColumn::kUnsetField;
}

int32_t CEditInPlace::CurrentColumn() const
{
    CHeader* const header = m_host.GetHeader();
    if (header != nullptr && m_currentColumn != CColumn::kUnsetField) {
        const CColumn* const column = header->FindVisibleColumn(m_currentColumn);
        if (column != nullptr && column->IsEditable())
            return m_currentColumn;
    }
    return NextEditableColumn(CColumn::kUnsetField, true);
}

CEditInPlace::Cell CEditInPlace::CellAt(CPoint point) const
{
    CHeader* const header = m_host.GetHeader();
    const CRowLayout::Row* const row = m_layout.RowAt(point.y);
    if (header == nullptr || row == nullptr || row->item == nullptr)
        return {};
    const CColumn* const column = header->HitTest(m_host.GetScrollSource(), point.x);
    if (column == nullptr)
        return {};
    return {row->item, column->GetId()};
}

CRect CEditInPlace::CellRect(const CGridItem& item, int32_t columnId) const
{
    CHeader* const header = m_host.GetHeader();
    if (header == nullptr || header->FindVisibleColumn(columnId) == nullptr)
        return {};
    const CRect row = m_layout.ItemRect(item);
    const CRect column = header->GetClippedColumnRect(m_host.GetScrollSource(), columnId);
    CRect cell(column.left, row.top, column.right, row.bottom);
    CRect visible;
    if (!visible.IntersectRect(cell, m_layout.GetAreas().client))
        return {};
    return visible;
}

int32_t CEditInPlace::NextTextColumn(CGridItem* item, int32_t columnId, bool forward) const
{
    // Check boxes toggle when an edit starts on them: moving never lands there.
    for (int32_t column = NextEditableColumn(columnId, forward); column != CColumn::kUnsetField;
         column = NextEditableColumn(column, forward)) {
        const IControlReflector* const reflector = ReflectorFor(item, column);
        if (reflector != nullptr && !reflector->StartsOnClick())
            return column;
    }
    return CColumn::kUnsetField;
}

CGridItem* CEditInPlace::ItemBeside(const CGridItem& item, int32_t rows) const
{
    CRowList* const list = m_host.GetRowList(item.GetListKind());
    if (list == nullptr)
        return nullptr;
    const int32_t row = list->GetRowIndex(&item) + rows;
    return row >= 0 && row < list->GetRowCount() ? list->GetItem(row) : nullptr;
}

// ---- Starting and ending ----

bool CEditInPlace::StartEdit(CGridItem* item, int32_t columnId, int32_t trigger, const QString& typed)
{
    if (m_starting || m_ending)
        return false;
    if (IsActive() && !EndEdit(kEndCommit))
        return false; // the open edit's text was refused: it stays
    const Common::CFormat* format = nullptr;
    IControlReflector* const reflector = ReflectorFor(item, columnId, &format);
    if (reflector == nullptr)
        return false;
    if (item->GetListKind() == CRowList::kBodyList) {
        if (CRowList* const body = m_host.GetRowList(CRowList::kBodyList))
            m_host.BringBodyRowIntoView(body->GetRowIndex(item));
    }
    m_context = {m_host.GetGrid(), item, item->GetDataObject(), m_host.GetHeader()->FindVisibleColumn(columnId)};
    m_columnId = columnId;
    m_reflector = reflector;
    m_starting = true;
    const bool started = reflector->StartEdit(m_context, format, trigger);
    m_starting = false;
    if (!started) {
        m_reflector = nullptr;
        m_context = {};
        m_control.clear();
        return false;
    }
    m_currentColumn = columnId;
    if (QWidget* const control = m_control.data()) {
        control->installEventFilter(this);
        for (QWidget* const child : control->findChildren<QWidget*>())
            child->installEventFilter(this);
        if (trigger == kTriggerTyping && !typed.isEmpty()) {
            if (auto* const text = dynamic_cast<CDefaultReflector*>(reflector))
                text->SetControlText(typed);
        }
    }
    m_host.NotifyEdit(kNotifyEditStarted, *item, columnId, trigger);
    m_host.InvalidateItem(*item);
    return true;
}

bool CEditInPlace::PlaceEditor(QWidget* control, CGridItem* item, int32_t fieldId)
{
    if (control == nullptr || !m_starting || item != m_context.item || fieldId != m_columnId)
        return false;
    const CRect rect = CellRect(*item, fieldId);
    if (rect.IsRectEmpty())
        return false;
    control->setGeometry(rect.ToQRect());
    control->show();
    control->raise();
    control->setFocus(Qt::OtherFocusReason);
    m_control = control;
    return true;
}

bool CEditInPlace::EndEdit(int32_t reason)
{
    if (!IsActive() || m_ending || m_starting)
        return false;
    // The column may have gone since the edit began (another thread).
    CHeader* const header = m_host.GetHeader();
    m_context.column = header != nullptr ? header->FindColumn(m_columnId) : nullptr;
    // The reflectors are shared by every grid: when another grid's edit has
    // taken this reflector since, its control is not ours to write from or close.
    const bool ownsReflector = m_reflector->GetControl() == m_control.data();
    const bool hasControl = !m_control.isNull() && ownsReflector;
    const bool write = (ownsReflector && reason == kEndToggled) ||
                       (hasControl && (reason == kEndCommit || reason == kEndFocusLost || reason == kEndScrolled));
    m_ending = true;
    bool written = false;
    if (write && m_context.column != nullptr) {
        written = m_reflector->Commit(m_context, true);
        if (!written && hasControl && (reason == kEndCommit || reason == kEndFocusLost)) {
            m_ending = false;
            ShowRefusal();
            return false;
        }
    }
    const bool hadFocus = hasControl && m_control->hasFocus();
    if (!m_control.isNull()) {
        m_control->removeEventFilter(this);
        for (QWidget* const child : m_control->findChildren<QWidget*>())
            child->removeEventFilter(this);
    }
    ClearRefusal();
    IControlReflector* const reflector = m_reflector;
    const EditContext context = m_context;
    const int32_t columnId = m_columnId;
    if (ownsReflector)
        reflector->EndEdit(context.grid, context.item, context.column);
    m_reflector = nullptr;
    m_context = {};
    m_columnId = CColumn::kUnsetField;
    m_control.clear();
    m_ending = false;
    if (hadFocus && context.grid != nullptr)
        context.grid->setFocus(Qt::OtherFocusReason);
    m_host.InvalidateItem(*context.item);
    m_host.NotifyEdit(kNotifyEditEnded, *context.item, columnId, written ? 1 : 0);
    return true;
}

void CEditInPlace::Cancel()
{
    if (IsActive())
        EndEdit(kEndCancel);
}

void CEditInPlace::ForgetItemsIn(const CGridItem& subtree)
{
    for (const CGridItem* item = m_context.item; item != nullptr; item = item->GetParent()) {
        if (item == &subtree) {
            EndEdit(kEndRowGone);
            return;
        }
    }
}

void CEditInPlace::OnScrolled()
{
    if (IsActive() && !m_starting)
        EndEdit(kEndScrolled);
}

void CEditInPlace::Reposition()
{
    if (!IsActive() || m_control.isNull() || m_starting || m_ending)
        return;
    const CRect rect = CellRect(*m_context.item, m_columnId);
    if (!rect.IsRectEmpty()) {
        if (m_control->geometry() != rect.ToQRect())
            m_control->setGeometry(rect.ToQRect());
        return;
    }
    PostEndEdit(kEndScrolled); // off screen: once the paint is over
}

void CEditInPlace::PostEndEdit(int32_t reason)
{
    CGridItem* const item = m_context.item;
    const int32_t columnId = m_columnId;
    QMetaObject::invokeMethod(
        this,
        [this, item, columnId, reason] {
            if (IsActive() && m_context.item == item && m_columnId == columnId)
                EndEdit(reason);
        },
        Qt::QueuedConnection);
}

// ---- Refused texts ----

void CEditInPlace::ShowRefusal()
{
    QWidget* const control = m_control.data();
    if (control == nullptr)
        return;
    m_refused = true;
    QPalette palette = control->palette();
    palette.setColor(QPalette::Text, Qt::red);
    control->setPalette(palette);
    std::string example;
    if (m_context.grid != nullptr)
        example = m_context.grid->GetCellText(m_context.item, m_columnId);
    const auto* const text = dynamic_cast<const CDefaultReflector*>(m_reflector);
    const QString typed = text != nullptr ? text->GetControlText() : QString();
    QToolTip::showText(control->mapToGlobal(QPoint(0, control->height())),
                       QObject::tr("\"%1\" cannot be read here; expected a value like \"%2\"")
                           .arg(typed, QString::fromStdString(example)),
                       control);
}

void CEditInPlace::ClearRefusal()
{
    if (!m_refused)
        return;
    m_refused = false;
    if (QWidget* const control = m_control.data())
        control->setPalette(QPalette());
    QToolTip::hideText();
}

// ---- Keys and the mouse ----

namespace {

// The navigation action of a key typed in an editor; kActionNone for the
// keys the editor always keeps.
int32_t EditActionOf(int key, Qt::KeyboardModifiers modifiers)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kActionCommit;
    case Qt::Key_Escape:
        return kActionCancel;
    case Qt::Key_Tab:
        return modifiers.testFlag(Qt::ShiftModifier) ? kActionPrevious : kActionNext;
    case Qt::Key_Backtab:
        return kActionPrevious;
    case Qt::Key_Up:
        return kActionUp;
    case Qt::Key_Down:
        return kActionDown;
    case Qt::Key_Left:
        return kActionLeft;
    case Qt::Key_Right:
        return kActionRight;
    case Qt::Key_A:
        return modifiers.testFlag(Qt::ControlModifier) ? kActionSelectText : kActionNone;
    default:
        return kActionNone;
    }
}

} // namespace

bool CEditInPlace::OnKeyPress(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    if (IsActive() || (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0)
        return false;
    CRowList* const list = m_host.GetRowList(m_selection.GetFocusKind());
    const int32_t row = m_selection.GetFocusRow();
    CGridItem* const item = list != nullptr && row >= 0 && row < list->GetRowCount() ? list->GetItem(row) : nullptr;
    if (item == nullptr)
        return false;
    const int32_t column = CurrentColumn();
    if (key == Qt::Key_F2)
        return StartEdit(item, column, kTriggerKey);
    // A printable character (DEL is none) starts an edit of a control's text.
    if (text.size() == 1 && text[0].isPrint() && text[0] != QChar(0x7F)) {
        IControlReflector* const reflector = ReflectorFor(item, column);
        if (reflector != nullptr && !reflector->StartsOnClick())
            return StartEdit(item, column, kTriggerTyping, text);
    }
    return false;
}

bool CEditInPlace::OnDoubleClick(CPoint point)
{
    const Cell cell = CellAt(point);
    IControlReflector* const reflector = cell.item != nullptr ? ReflectorFor(cell.item, cell.columnId) : nullptr;
    // A check box takes the second click as a click of its own.
    if (reflector == nullptr || reflector->StartsOnClick())
        return false;
    return StartEdit(cell.item, cell.columnId, kTriggerMouse);
}

void CEditInPlace::OnPress(CPoint point)
{
    if (IsActive() && !m_control.isNull())
        EndEdit(kEndCommit); // a press beside the editor
    const Cell cell = CellAt(point);
    IControlReflector* const reflector = cell.item != nullptr ? ReflectorFor(cell.item, cell.columnId) : nullptr;
    if (reflector != nullptr && reflector->StartsOnClick())
        StartEdit(cell.item, cell.columnId, kTriggerMouse);
}

bool CEditInPlace::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* const control = m_control.data();
    if (control == nullptr || (watched != control && !control->isAncestorOf(qobject_cast<QWidget*>(watched))))
        return false;
    if (event->type() == QEvent::KeyPress)
        return HandleEditorKey(*static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::FocusOut) {
        const auto* const focus = static_cast<QFocusEvent*>(event);
        QWidget* const now = QApplication::focusWidget();
        // The control's own pop-ups (a list, a calendar) keep the edit.
        if (focus->reason() == Qt::PopupFocusReason || now == control || (now != nullptr && control->isAncestorOf(now)))
            return false;
        PostEndEdit(kEndFocusLost);
    }
    return false;
}

bool CEditInPlace::HandleEditorKey(QKeyEvent& event)
{
    const int32_t action = EditActionOf(event.key(), event.modifiers());
    if (action == kActionNone || !m_reflector->OnKeyAction(m_context, action) || action == kActionSelectText)
        return false; // the editor keeps the key
    if (m_refused)
        ClearRefusal();
    // Acted on later: the control must not go inside its own key event.
    if (m_context.grid != nullptr)
        m_context.grid->PostEditorKeyAction(m_context.item, m_columnId, action);
    return true;
}

void CEditInPlace::OnKeyAction(CGridItem* item, int32_t columnId, int32_t action)
{
    if (!IsActive() || item != m_context.item || columnId != m_columnId)
        return;
    switch (action) {
    case kActionCommit:
        EndEdit(kEndCommit);
        break;
    case kActionCancel:
        EndEdit(kEndCancel);
        break;
    case kActionUp:
    case kActionDown: {
        CGridItem* const target = ItemBeside(*item, action == kActionUp ? -1 : 1);
        if (EndEdit(kEndCommit) && target != nullptr)
            MoveTo(target, columnId);
        break;
    }
    case kActionLeft:
    case kActionRight:
    case kActionNext:
    case kActionPrevious: {
        const bool forward = action == kActionRight || action == kActionNext;
        int32_t column = NextTextColumn(item, columnId, forward);
        CGridItem* target = item;
        if (column == CColumn::kUnsetField) {
            if (action == kActionLeft || action == kActionRight)
                break; // no wrapping with the arrows
            target = ItemBeside(*item, forward ? 1 : -1);
            column = target != nullptr ? NextTextColumn(target, CColumn::kUnsetField, forward) : CColumn::kUnsetField;
        }
        if (EndEdit(kEndCommit) && target != nullptr && column != CColumn::kUnsetField)
            MoveTo(target, column);
        break;
    }
    default:
        break;
    }
}

bool CEditInPlace::MoveTo(CGridItem* item, int32_t columnId)
{
    CRowList* const list = m_host.GetRowList(item->GetListKind());
    CGrid* const grid = m_host.GetGrid();
    if (list == nullptr || grid == nullptr)
        return false;
    const int32_t row = list->GetRowIndex(item);
    grid->ClearSelection();
    grid->SelectRow(row, list->GetKind());
    grid->SetFocusRow(row, list->GetKind());
    return StartEdit(item, columnId, kTriggerKey);
}

// ---- Drawing ----

IControlReflector* CEditInPlace::DrawingReflector(const CellInfo& cell) const
{
    const Common::CFormat* format = cell.format;
    if (format == nullptr && cell.kind != Common::KindNone)
        format = &Common::GetDefaultFormat(cell.kind);
    if (format != m_drawFormat) {
        m_drawFormat = format;
        m_drawReflector = CReflectorList::Find(format);
    }
    return m_drawReflector;
}

PaintElementMask CEditInPlace::FilterPaintElements(const CellInfo& cell, PaintContext& /*context*/,
                                                   PaintElementMask mask) const
{
    if (!cell.attributes.editable || cell.object == nullptr)
        return mask;
    const IControlReflector* const reflector = DrawingReflector(cell);
    return reflector != nullptr && reflector->DrawsCell(cell) ? reflector->FilterPaintElements(cell, mask) : mask;
}

void CEditInPlace::DrawEditorMark(const CellInfo& cell, PaintContext& context, PaintElementMask mask) const
{
    if (!cell.attributes.editable || cell.object == nullptr)
        return;
    const IControlReflector* const reflector = DrawingReflector(cell);
    if (reflector != nullptr && reflector->DrawsCell(cell))
        reflector->DrawCell(cell, context, mask);
}

} // namespace Brivel::GUI
