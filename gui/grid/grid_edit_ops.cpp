// CGrid: the operations of in-place editing, each carried to the GUI thread
// by the calling rule, and the grid's side of the editing controller.

#include "gui/grid/grid.h"

#include "gui/editing/edit_in_place.h"
#include "gui/editing/reflector_list.h"
#include "gui/grid/grid_call.h"
#include "gui/header/header.h"
#include "gui/rows/grid_item.h"

#include "common/data_object.h"

#include <memory>

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;

namespace {

// The row object of an item of this grid that has the field; null otherwise.
Common::CDataObject* ObjectWithField(const CGridImpl& impl, CGridItem* item, int32_t fieldId)
{
    if (impl.ListOf(item) == nullptr)
        return nullptr;
    Common::CDataObject* const object = item->GetDataObject();
    return object != nullptr && object->GetFieldKind(fieldId) != Common::KindNone ? object : nullptr;
}

// The format of the column showing `fieldId`, else null (the field's own then).
const Common::CFormat* ColumnFormat(const CGridImpl& impl, int32_t fieldId)
{
    CHeader* const header = impl.GetHeader();
    const CColumn* const column = header != nullptr ? header->FindColumn(fieldId) : nullptr;
    return column != nullptr ? column->GetFormat() : nullptr;
}

} // namespace

Common::CFieldValue CGrid::GetCellValue(CGridItem* item, int32_t fieldId)
{
    return m_impl->Call(kOpGetCellValue, [&](CGridImpl& impl) {
        Common::CDataObject* const object = ObjectWithField(impl, item, fieldId);
        return object != nullptr ? object->GetValue(fieldId) : Common::CFieldValue();
    });
}

std::string CGrid::GetCellText(CGridItem* item, int32_t fieldId, const Common::CFormat* format)
{
    return m_impl->Call(kOpGetCellText, [&](CGridImpl& impl) {
        Common::CDataObject* const object = ObjectWithField(impl, item, fieldId);
        if (object == nullptr)
            return std::string();
        return object->GetText(fieldId, format != nullptr ? format : ColumnFormat(impl, fieldId));
    });
}

bool CGrid::SetCellValue(CGridItem* item, int32_t fieldId, const Common::CFieldValue& value, bool announce)
{
    return m_impl->Call(kOpSetCellValue, [&](CGridImpl& impl) {
        Common::CDataObject* const object = ObjectWithField(impl, item, fieldId);
        if (object == nullptr || !object->SetValue(fieldId, value))
            return false;
        if (announce)
            object->NotifyUpdate(fieldId);
        return true;
    });
}

bool CGrid::SetCellText(CGridItem* item, int32_t fieldId, const std::string& text, const Common::CFormat* format,
                        bool announce)
{
    return m_impl->Call(kOpSetCellText, [&](CGridImpl& impl) {
        Common::CDataObject* const object = ObjectWithField(impl, item, fieldId);
        if (object == nullptr ||
            !object->SetText(fieldId, text, format != nullptr ? format : ColumnFormat(impl, fieldId)))
            return false;
        if (announce)
            object->NotifyUpdate(fieldId);
        return true;
    });
}

bool CGrid::StartEdit(CGridItem* item, int32_t columnId)
{
    return m_impl->Call(kOpStartEdit, [&](CGridImpl& impl) {
        return impl.GetInput().GetEditor().StartEdit(item, columnId, kTriggerProgram);
    });
}

bool CGrid::IsEditing()
{
    return m_impl->Call(kOpIsEditing, [](CGridImpl& impl) { return impl.GetInput().GetEditor().IsActive(); });
}

bool CGrid::EndEdit(int32_t reason, bool post)
{
    if (post) {
        return !m_impl->IsDestroyed() &&
               Platform::PostMessage(GetSafeHwnd(), CGridImpl::SyncMessageId(), kOpEndEditPosted,
                                     static_cast<Platform::LPARAM>(reason));
    }
    return m_impl->Call(kOpEndEdit, [&](CGridImpl& impl) { return impl.GetInput().GetEditor().EndEdit(reason); });
}

bool CGrid::PlaceEditor(QWidget* control, CGridItem* item, int32_t fieldId)
{
    return m_impl->Call(kOpPlaceEditor, [&](CGridImpl& impl) {
        return impl.GetInput().GetEditor().PlaceEditor(control, item, fieldId);
    });
}

void CGrid::PostEditorKeyAction(CGridItem* item, int32_t columnId, int32_t action)
{
    if (m_impl->IsDestroyed())
        return;
    auto record = std::make_unique<CEditorKeyActionRecord>(CEditorKeyActionRecord{item, columnId, action});
    Platform::PostMessage(GetSafeHwnd(), CGridImpl::SyncMessageId(), kOpEditorKeyAction, std::move(record));
}

// ---- The editing controller's host side ----

bool CGridImpl::OwnsItem(const CGridItem* item) const
{
    return ListOf(item) != nullptr;
}

void CGridImpl::NotifyEdit(int32_t code, CGridItem& item, int32_t fieldId, int32_t argument)
{
    if (!m_options.notifyParent || GetNotifyTarget() == nullptr)
        return;
    CGridEditNotify record;
    record.notify.source = &m_grid;
    record.item = &item;
    record.object = item.GetDataObject();
    record.fieldId = fieldId;
    record.argument = argument;
    SendNotify(code, record.notify);
}

const ICellEditorPaint* CGridImpl::GetCellEditorPaint() const
{
    return &m_input.GetEditor();
}

} // namespace Brivel::GUI
