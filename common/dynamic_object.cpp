#include "common/dynamic_object.h"

#include "common/format.h"

#include <type_traits>

namespace Brivel::Common {

CDynamicObject::~CDynamicObject()
{
    // Subscribers may still read values while they handle the deletion.
    // The members then go in reverse order of declaration: the map (and
    // its fields), the values, the lock.
    AnnounceDeletion();
}

// ---- Fields ----

CFieldRef CDynamicObject::GetField(int32_t id) const
{
    CLockGuard guard(m_lock);
    return {m_map.Find(id), const_cast<CDynamicObject*>(this)};
}

void CDynamicObject::GetFields(FieldRefSet& fields) const
{
    CLockGuard guard(m_lock);
    CDataObject::GetFields(fields);
}

void CDynamicObject::GetFieldIds(FieldIdSet& ids) const
{
    CLockGuard guard(m_lock);
    CDataObject::GetFieldIds(ids);
    for (const auto& entry : m_values)
        ids.insert(entry.first);
}

bool CDynamicObject::IsReadable(int32_t id) const
{
    CLockGuard guard(m_lock);
    return m_values.count(id) != 0;
}

bool CDynamicObject::IsWritable(int32_t id) const
{
    return IsReadable(id);
}

ValueKind CDynamicObject::GetFieldKind(int32_t id) const
{
    CLockGuard guard(m_lock);
    const auto it = m_values.find(id);
    return it != m_values.end() ? it->second.GetKind() : KindNone;
}

std::string CDynamicObject::GetFieldName(int32_t id) const
{
    CLockGuard guard(m_lock);
    const CField* field = m_map.Find(id);
    return field ? field->GetName() : std::string();
}

const CFormat* CDynamicObject::GetFieldFormat(int32_t id) const
{
    CLockGuard guard(m_lock);
    const CField* field = m_map.Find(id);
    return field ? field->GetFormat() : nullptr;
}

bool CDynamicObject::AddField(std::unique_ptr<CField>&& field)
{
    if (!field || IsReservedId(field->GetId()))
        return false;
    CLockGuard guard(m_lock);
    const int32_t id = field->GetId();
    return m_map.Add(id, std::move(field));
}

// ---- Values ----

CFieldValue CDynamicObject::GetValue(int32_t id) const
{
    CLockGuard guard(m_lock);
    const auto it = m_values.find(id);
    return it != m_values.end() ? it->second : CFieldValue();
}

template <class T>
T CDynamicObject::GetTyped(int32_t id) const
{
    CLockGuard guard(m_lock);
    const auto it = m_values.find(id);
    return it != m_values.end() ? it->second.Get<T>() : T{};
}

bool CDynamicObject::SetValue(int32_t id, const CFieldValue& value)
{
    if (IsReservedId(id))
        return false;
    bool changed = false;
    {
        CLockGuard guard(m_lock);
        CFieldValue& stored = m_values[id]; // kind 0 when new
        changed = stored.GetKind() == KindNone || !stored.IsEqual(value);
        stored = value;
    }
    if (changed && m_announce)
        NotifyUpdate(id);
    return true;
}

#define BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(Name, Type)                                              \
    Type CDynamicObject::Get##Name(int32_t id) const { return GetTyped<Type>(id); }               \
    bool CDynamicObject::Set##Name(int32_t id, ValueArg<Type> value)                               \
    {                                                                                              \
        return SetValue(id, CFieldValue(value));                                                   \
    }

BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(CString, CString)
BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(StdString, std::string)
BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(Char, int8_t)
BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(UChar, uint8_t)
BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(Short, int16_t)
BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(UShort, uint16_t)
BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(Long, int32_t)
BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(ULong, uint32_t)
BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(Int64, int64_t)
BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(Bool, bool)
BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(Float, float)
BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(Double, double)
BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS(Opaque, OpaqueWord)

#undef BRIVEL_DYNAMIC_OBJECT_TYPED_SLOTS

// ---- Text ----

template <class Text>
Text CDynamicObject::GetTextAs(int32_t id, const CFormat* format) const
{
    CLockGuard guard(m_lock);
    const auto it = m_values.find(id);
    if (it == m_values.end())
        return {};
    const CFieldValue& value = it->second;
    const CField* field = m_map.Find(id);
    const CFormat& chosen = format                         ? *format
                            : field && field->GetFormat() ? *field->GetFormat()
                                                          : GetDefaultFormat(value.GetKind());
    // The generic operation: a value of another kind than the format's
    // gives the empty text.
    if constexpr (std::is_same_v<Text, CString>)
        return chosen.FormatCString(value, this);
    else
        return chosen.Format(value, this);
}

template <class Text>
bool CDynamicObject::SetTextAs(int32_t id, const Text& text, const CFormat* format)
{
    if (IsReservedId(id))
        return false;
    bool parsed = false;
    {
        CLockGuard guard(m_lock);
        const CField* field = m_map.Find(id);
        if (!field)
            return false;
        const CFormat& chosen = format ? *format : field->GetEffectiveFormat();
        const auto it = m_values.find(id);
        if (it != m_values.end()) {
            // The generic parse replaces the payload when the kinds agree.
            parsed = chosen.Parse(text, it->second, this);
        } else {
            CFieldValue value;
            parsed = chosen.Parse(text, value, this);
            if (parsed)
                m_values.emplace(id, std::move(value));
        }
    }
    if (parsed && m_announce)
        NotifyUpdate(id);
    return parsed;
}

CString CDynamicObject::GetTextCString(int32_t id, const CFormat* format) const
{
    return GetTextAs<CString>(id, format);
}

bool CDynamicObject::SetText(int32_t id, const CString& text, const CFormat* format)
{
    return SetTextAs(id, text, format);
}

std::string CDynamicObject::GetText(int32_t id, const CFormat* format) const
{
    return GetTextAs<std::string>(id, format);
}

bool CDynamicObject::SetText(int32_t id, const std::string& text, const CFormat* format)
{
    return SetTextAs(id, text, format);
}

} // namespace Brivel::Common
