#include "common/field.h"

namespace Brivel::Common {

namespace {

// A text of a field table is kept only when it is present, not empty and
// does not start with '0' (the table writes "0" for "none").
std::string TableText(const char* text)
{
    if (!text || text[0] == '\0' || text[0] == '0')
        return {};
    return text;
}

} // namespace

template <class T>
void CField::Initialize(int32_t id, const char* name, FieldGetter<T> getter, FieldSetter<T> setter,
                        std::unique_ptr<CFormat> format, const char* getterName, const char* setterName)
{
    m_id = id;
    m_name = TableText(name);
    m_kind = KindOf<T>;
    m_format = std::move(format);
    m_getterName = TableText(getterName);
    m_setterName = TableText(setterName);
    m_getter = reinterpret_cast<ErasedFunction>(getter);
    m_setter = reinterpret_cast<ErasedFunction>(setter);
}

#define BRIVEL_FIELD_CONSTRUCTOR(Type)                                                                 \
    CField::CField(int32_t id, const char* name, FieldGetter<Type> getter, FieldSetter<Type> setter,   \
                   std::unique_ptr<CFormat> format, const char* getterName, const char* setterName)     \
    {                                                                                                  \
        Initialize<Type>(id, name, getter, setter, std::move(format), getterName, setterName);         \
    }

BRIVEL_FIELD_CONSTRUCTOR(CString)
BRIVEL_FIELD_CONSTRUCTOR(std::string)
BRIVEL_FIELD_CONSTRUCTOR(int8_t)
BRIVEL_FIELD_CONSTRUCTOR(uint8_t)
BRIVEL_FIELD_CONSTRUCTOR(int16_t)
BRIVEL_FIELD_CONSTRUCTOR(uint16_t)
BRIVEL_FIELD_CONSTRUCTOR(int32_t)
BRIVEL_FIELD_CONSTRUCTOR(uint32_t)
BRIVEL_FIELD_CONSTRUCTOR(int64_t)
BRIVEL_FIELD_CONSTRUCTOR(bool)
BRIVEL_FIELD_CONSTRUCTOR(float)
BRIVEL_FIELD_CONSTRUCTOR(double)
BRIVEL_FIELD_CONSTRUCTOR(OpaqueWord)

#undef BRIVEL_FIELD_CONSTRUCTOR

std::unique_ptr<CField> CField::CreateDescription(int32_t id, const char* name, ValueKind kind,
                                                  std::unique_ptr<CFormat> format)
{
    return VisitValueKind(kind, [&](auto tag) -> std::unique_ptr<CField> {
        using T = typename decltype(tag)::Type;
        if constexpr (std::is_void_v<T>)
            return nullptr;
        else
            return std::make_unique<CField>(id, name, FieldGetter<T>{}, FieldSetter<T>{}, std::move(format));
    });
}

CField::CField(const CField& other)
{
    *this = other;
}

CField& CField::operator=(const CField& other)
{
    if (this == &other)
        return *this;
    // Clone first, so that a failure leaves this field as it was.
    std::unique_ptr<CFormat> format = other.m_format ? other.m_format->Clone() : nullptr;
    std::string name = other.m_name;
    std::string getterName = other.m_getterName;
    std::string setterName = other.m_setterName;
    m_format.reset();
    m_id = other.m_id;
    m_kind = other.m_kind;
    m_name = std::move(name);
    m_getter = other.m_getter;
    m_setter = other.m_setter;
    m_getterName = std::move(getterName);
    m_setterName = std::move(setterName);
    m_format = std::move(format);
    return *this;
}

CField::~CField() = default;

std::unique_ptr<CField> CField::Clone() const
{
    return std::make_unique<CField>(*this);
}

} // namespace Brivel::Common
