#include "common/data_object.h"

#include "common/serializer.h"

#include <algorithm>
#include <bit>
#include <type_traits>

namespace Brivel::Common {

// ---- Sections ----
//   Subscriber interface defaults
//   Subscriber list
//   Subscribe, Unsubscribe, NotifyUpdate, destruction
//   Field lookup
//   Typed and tagged reads and writes
//   Text
//   Storage

// ---- Subscriber interface defaults ----

void CDataObject::ISink::OnUpdate(const FieldIdSet& ids, CDataObject* object)
{
    for (const int32_t id : ids)
        OnUpdate(id, object);
}

void CDataObject::ISink::OnDelete(CDataObject*) {}

// ---- Subscriber list ----

bool CDataObject::CSinkList::Contains(const ISink* sink) const noexcept
{
    const ISink* const* data = Data();
    return std::find(data, data + m_count, sink) != data + m_count;
}

void CDataObject::CSinkList::Append(ISink* sink)
{
    if (m_count == 0) {
        SetInline(sink);
        m_count = 1;
        return;
    }
    // Room is left while the count is not a power of two (see the class).
    if (!m_heap || std::has_single_bit(m_count)) {
        const uint32_t capacity = std::bit_ceil(m_count + 1);
        auto grown = std::make_unique<ISink*[]>(capacity);
        std::copy(Data(), Data() + m_count, grown.get());
        m_heap = std::move(grown);
        SetInline(nullptr);
    }
    m_heap[m_count++] = sink;
}

bool CDataObject::CSinkList::Remove(const ISink* sink) noexcept
{
    if (!m_heap) {
        if (m_count == 1 && m_inline == sink) {
            SetInline(nullptr);
            m_count = 0;
            return true;
        }
        return false;
    }
    ISink** const first = m_heap.get();
    ISink** const last = first + m_count;
    ISink** const found = std::find(first, last, sink);
    if (found == last)
        return false;
    std::copy(found + 1, last, found);
    if (--m_count == 1) {
        SetInline(first[0]);
        m_heap.reset();
    }
    return true;
}

void CDataObject::CSinkList::MoveTo(CSinkList& other) noexcept
{
    other.SetInline(m_inline);
    other.m_heap = std::move(m_heap);
    other.m_count = m_count;
    SetInline(nullptr);
    m_count = 0;
}

// ---- Subscribe, Unsubscribe, NotifyUpdate, destruction ----

bool CDataObject::Subscribe(ISink* sink)
{
    if (!sink)
        return false;
    CLockGuard guard(m_lock);
    if (m_sinks.IsClosed() || m_sinks.Contains(sink))
        return false;
    m_sinks.Append(sink);
    return true;
}

bool CDataObject::Unsubscribe(ISink* sink)
{
    if (!sink)
        return false;
    CLockGuard guard(m_lock);
    return m_sinks.Remove(sink);
}

void CDataObject::NotifyUpdate(int32_t id)
{
    // One subscriber (a grid's dispatcher, nearly always): no lock. Besides
    // its two atomic operations the lock is a full barrier, which would wait
    // for the caller's write of the new value to reach memory before this
    // object's list could even be read: two cache misses in a row for an
    // object that is not in the cache.
    if (ISink* const single = m_sinks.Single()) {
        single->OnUpdate(id, this);
        return;
    }
    // The copy lets sinks subscribe, unsubscribe and call back while the
    // announcement runs, without the lock held. It lives on this frame for
    // the usual handful of sinks; more go to the heap (rare: one sink per
    // object is the grid's case).
    ISink* local[kInlineNotifySinks];
    std::unique_ptr<ISink*[]> overflow;
    ISink** sinks = local;
    uint32_t count = 0;
    {
        CLockGuard guard(m_lock);
        count = m_sinks.Size();
        if (count > kInlineNotifySinks) [[unlikely]] {
            overflow = std::make_unique<ISink*[]>(count);
            sinks = overflow.get();
        }
        std::copy(m_sinks.Data(), m_sinks.Data() + count, sinks);
    }
    for (uint32_t index = 0; index < count; ++index)
        sinks[index]->OnUpdate(id, this);
}

void CDataObject::AnnounceDeletion() noexcept
{
    CSinkList former;
    {
        CLockGuard guard(m_lock);
        m_sinks.Close();
        m_sinks.MoveTo(former);
    }
    const uint32_t count = former.Size();
    ISink* const* sinks = former.Data();
    for (uint32_t index = 0; index < count; ++index)
        sinks[index]->OnDelete(this);
}

CDataObject::~CDataObject()
{
    AnnounceDeletion();
}

uint32_t CDataObject::GetSubscriberCountForTesting() const
{
    CLockGuard guard(m_lock);
    return m_sinks.Size();
}

// ---- Field lookup ----

CFieldRef CDataObject::GetField(int32_t id) const
{
    const CFieldMap* map = GetFieldMap();
    if (!map)
        return {};
    return {map->Find(id), const_cast<CDataObject*>(this)};
}

void CDataObject::GetFields(FieldRefSet& fields) const
{
    CDataObject* const self = const_cast<CDataObject*>(this);
    std::set<const CField*> mapFields;
    for (const CFieldMap* map = GetFieldMap(); map; map = map->GetParent()) {
        mapFields.clear();
        map->CollectFields(mapFields);
        for (const CField* field : mapFields)
            fields.insert({field, self});
    }
}

void CDataObject::GetFieldIds(FieldIdSet& ids) const
{
    for (const CFieldMap* map = GetFieldMap(); map; map = map->GetParent()) {
        for (size_t index = 0; index < map->GetFieldCount(); ++index)
            ids.insert(map->GetFieldAt(index).GetId());
    }
}

bool CDataObject::IsReadable(int32_t id) const
{
    const CFieldRef ref = GetField(id);
    return ref && ref.field->HasGetter();
}

bool CDataObject::IsWritable(int32_t id) const
{
    const CFieldRef ref = GetField(id);
    return ref && ref.field->HasSetter();
}

ValueKind CDataObject::GetFieldKind(int32_t id) const
{
    const CFieldRef ref = GetField(id);
    return ref.field ? ref.field->GetKind() : KindNone;
}

std::string CDataObject::GetFieldName(int32_t id) const
{
    const CFieldRef ref = GetField(id);
    return ref.field ? ref.field->GetName() : std::string();
}

const CFormat* CDataObject::GetFieldFormat(int32_t id) const
{
    const CFieldRef ref = GetField(id);
    return ref.field ? ref.field->GetFormat() : nullptr;
}

// ---- Typed and tagged reads and writes ----

namespace {

template <class T>
T ReadField(const CFieldRef& ref)
{
    if (!ref)
        return T{};
    const FieldGetter<T> getter = ref.field->GetGetter<T>(); // null for another kind
    return getter ? getter(*ref.target) : T{};
}

template <class T>
bool WriteField(const CFieldRef& ref, ValueArg<T> value)
{
    if (!ref)
        return false;
    const FieldSetter<T> setter = ref.field->GetSetter<T>(); // null for another kind
    if (!setter)
        return false;
    setter(*ref.target, value);
    return true;
}

} // namespace

#define BRIVEL_DATA_OBJECT_TYPED_SLOTS(Name, Type)                                                 \
    Type CDataObject::Get##Name(int32_t id) const { return ReadField<Type>(GetField(id)); }       \
    bool CDataObject::Set##Name(int32_t id, ValueArg<Type> value)                                  \
    {                                                                                              \
        return WriteField<Type>(GetField(id), value);                                              \
    }

BRIVEL_DATA_OBJECT_TYPED_SLOTS(CString, CString)
BRIVEL_DATA_OBJECT_TYPED_SLOTS(StdString, std::string)
BRIVEL_DATA_OBJECT_TYPED_SLOTS(Char, int8_t)
BRIVEL_DATA_OBJECT_TYPED_SLOTS(UChar, uint8_t)
BRIVEL_DATA_OBJECT_TYPED_SLOTS(Short, int16_t)
BRIVEL_DATA_OBJECT_TYPED_SLOTS(UShort, uint16_t)
BRIVEL_DATA_OBJECT_TYPED_SLOTS(Long, int32_t)
BRIVEL_DATA_OBJECT_TYPED_SLOTS(ULong, uint32_t)
BRIVEL_DATA_OBJECT_TYPED_SLOTS(Int64, int64_t)
BRIVEL_DATA_OBJECT_TYPED_SLOTS(Bool, bool)
BRIVEL_DATA_OBJECT_TYPED_SLOTS(Float, float)
BRIVEL_DATA_OBJECT_TYPED_SLOTS(Double, double)
BRIVEL_DATA_OBJECT_TYPED_SLOTS(Opaque, OpaqueWord)

#undef BRIVEL_DATA_OBJECT_TYPED_SLOTS

CFieldValue CDataObject::GetValue(int32_t id) const
{
    const CFieldRef ref = GetField(id);
    if (!ref)
        return {};
    return VisitValueKind(ref.field->GetKind(), [&](auto tag) -> CFieldValue {
        using T = typename decltype(tag)::Type;
        if constexpr (std::is_void_v<T>)
            return {};
        else
            return CFieldValue(ReadField<T>(ref));
    });
}

bool CDataObject::SetValue(int32_t id, const CFieldValue& value)
{
    const CFieldRef ref = GetField(id);
    if (!ref || !ref.field->HasSetter())
        return false;
    const ValueKind kind = ref.field->GetKind();
    return VisitValueKind(kind, [&](auto tag) -> bool {
        using T = typename decltype(tag)::Type;
        if constexpr (std::is_void_v<T>) {
            return false;
        } else if constexpr (std::is_same_v<T, std::string>) {
            // Passed by reference: no copy of the payload.
            static const std::string s_empty;
            return WriteField<T>(ref, value.GetKind() == kind ? value.GetStdString() : s_empty);
        } else {
            return WriteField<T>(ref, value.GetKind() == kind ? value.Get<T>() : T{});
        }
    });
}

// ---- Text ----

namespace {

const CFormat& ChooseFormat(const CFormat* format, const CField& field)
{
    return format ? *format : field.GetEffectiveFormat();
}

// The text of a field in either flavour (Text is CString or std::string).
template <class Text>
Text ReadText(const CFieldRef& ref, const CFormat* format)
{
    if (!ref)
        return {};
    const CFormat& chosen = ChooseFormat(format, *ref.field);
    return VisitValueKind(ref.field->GetKind(), [&](auto tag) -> Text {
        using T = typename decltype(tag)::Type;
        if constexpr (std::is_void_v<T>) {
            return {};
        } else {
            const FieldGetter<T> getter = ref.field->GetGetter<T>();
            if (!getter)
                return {};
            if constexpr (std::is_same_v<Text, CString>)
                return chosen.FormatCString(getter(*ref.target), ref.target);
            else
                return chosen.Format(getter(*ref.target), ref.target);
        }
    });
}

template <class To, class From>
To ConvertText(const From& text)
{
    if constexpr (std::is_same_v<To, From>)
        return text;
    else if constexpr (std::is_same_v<To, std::string>)
        return text.ToStdString();
    else
        return CString(text);
}

// Parses a text of either flavour into the field and writes it.
template <class Text>
bool WriteText(const CFieldRef& ref, const Text& text, const CFormat* format)
{
    if (!ref)
        return false;
    const CFormat& chosen = ChooseFormat(format, *ref.field);
    return VisitValueKind(ref.field->GetKind(), [&](auto tag) -> bool {
        using T = typename decltype(tag)::Type;
        if constexpr (std::is_void_v<T>) {
            return false;
        } else {
            const FieldSetter<T> setter = ref.field->GetSetter<T>();
            if (!setter)
                return false;
            T parsed{};
            if (chosen.Parse(text, parsed, ref.target)) {
                setter(*ref.target, parsed);
                return true;
            }
            if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, CString>) {
                // A string field takes the text as it is when the format
                // cannot read it.
                setter(*ref.target, ConvertText<T>(text));
                return true;
            }
            return false;
        }
    });
}

} // namespace

CString CDataObject::GetTextCString(int32_t id, const CFormat* format) const
{
    return ReadText<CString>(GetField(id), format);
}

bool CDataObject::SetText(int32_t id, const CString& text, const CFormat* format)
{
    return WriteText(GetField(id), text, format);
}

std::string CDataObject::GetText(int32_t id, const CFormat* format) const
{
    return ReadText<std::string>(GetField(id), format);
}

bool CDataObject::SetText(int32_t id, const std::string& text, const CFormat* format)
{
    return WriteText(GetField(id), text, format);
}

// ---- Storage ----

const std::string& CDataObject::GetObjectText() const
{
    static const std::string s_empty;
    return s_empty;
}

bool CDataObject::IsObjectFlagged() const
{
    return false;
}

void CDataObject::Serialize(CSerializer& serializer)
{
    if (!serializer.IsRestoring()) {
        // Every identifier the object answers for: its fields, and what a
        // derived class holds beyond them (a dynamic object's values set by
        // identifier), so that what a restore accepts is stored again.
        FieldIdSet ids;
        GetFieldIds(ids);
        FieldRefSet fields;
        GetFields(fields);
        for (const CFieldRef& ref : fields)
            ids.insert(ref.field->GetId());
        serializer.WriteInt32(CSerializer::kCurrentVersion);
        serializer.WriteInt32(static_cast<int32_t>(ids.size()));
        for (const int32_t id : ids) {
            serializer.WriteInt32(id);
            serializer.WriteFieldValue(GetValue(id));
        }
        return;
    }
    // No version check: a data object reads any later version like this one.
    if (serializer.ReadInt32() <= 0)
        return;
    // The count is not trusted for any allocation: each entry is read from
    // the stream as it comes, so a damaged count ends in the serializer's
    // "not enough space" error with the entries before it applied.
    const int32_t count = serializer.ReadInt32();
    CFieldValue value;
    for (int32_t index = 0; index < count; ++index) {
        const int32_t id = serializer.ReadInt32();
        serializer.ReadFieldValue(value);
        SetValue(id, value);
    }
}

} // namespace Brivel::Common
