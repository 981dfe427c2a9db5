#include "common/format.h"

#include "common/integer_formats.h"
#include "common/real_formats.h"
#include "common/scalar_formats.h"
#include "common/serializer.h"

#include <array>
#include <type_traits>

namespace Brivel::Common {

// ---- Base slots ----

CFormat::~CFormat() = default;

// The typed slots of the base: the standard-string flavour gives the empty
// text and a failed parse; the framework-string flavour converts and calls
// the standard-string one, so a format that overrides only the latter serves
// both flavours.
#define BRIVEL_FORMAT_BASE_TYPED_SLOTS(Type)                                                      \
    CString CFormat::FormatCString(ValueArg<Type> value, const CDataObject* context) const        \
    {                                                                                              \
        return CString(Format(value, context));                                                    \
    }                                                                                              \
    bool CFormat::Parse(const CString& text, Type& value, const CDataObject* context) const        \
    {                                                                                              \
        return Parse(text.ToStdString(), value, context);                                          \
    }                                                                                              \
    std::string CFormat::Format(ValueArg<Type>, const CDataObject*) const { return {}; }          \
    bool CFormat::Parse(const std::string&, Type&, const CDataObject*) const { return false; }

BRIVEL_FORMAT_BASE_TYPED_SLOTS(OpaqueWord)
BRIVEL_FORMAT_BASE_TYPED_SLOTS(double)
BRIVEL_FORMAT_BASE_TYPED_SLOTS(float)
BRIVEL_FORMAT_BASE_TYPED_SLOTS(bool)
BRIVEL_FORMAT_BASE_TYPED_SLOTS(int64_t)
BRIVEL_FORMAT_BASE_TYPED_SLOTS(uint32_t)
BRIVEL_FORMAT_BASE_TYPED_SLOTS(int32_t)
BRIVEL_FORMAT_BASE_TYPED_SLOTS(uint16_t)
BRIVEL_FORMAT_BASE_TYPED_SLOTS(int16_t)
BRIVEL_FORMAT_BASE_TYPED_SLOTS(uint8_t)
BRIVEL_FORMAT_BASE_TYPED_SLOTS(int8_t)
BRIVEL_FORMAT_BASE_TYPED_SLOTS(std::string)
BRIVEL_FORMAT_BASE_TYPED_SLOTS(CString)

#undef BRIVEL_FORMAT_BASE_TYPED_SLOTS

namespace {

// Whether the generic text operations accept a value of valueKind for a
// format of formatKind: the same kind, or the two string kinds.
bool AcceptsValueKind(ValueKind formatKind, ValueKind valueKind)
{
    return valueKind == formatKind || (IsStringKind(valueKind) && IsStringKind(formatKind));
}

// Calls the typed text slot of the value's own kind, in either flavour.
template <class Result, class FormatTyped>
Result FormatGeneric(ValueKind formatKind, const CFieldValue& value, FormatTyped&& formatTyped)
{
    if (!AcceptsValueKind(formatKind, value.GetKind()))
        return {};
    return VisitValueKind(value.GetKind(), [&](auto tag) -> Result {
        using T = typename decltype(tag)::Type;
        if constexpr (std::is_void_v<T>)
            return {};
        else if constexpr (std::is_same_v<T, std::string>)
            return formatTyped(value.GetStdString()); // no copy of the payload
        else
            return formatTyped(value.Get<T>());
    });
}

// Parses with the typed slot of the format's own kind and updates the value
// as the generic parse describes.
template <class ParseTyped>
bool ParseGeneric(ValueKind formatKind, CFieldValue& value, ParseTyped&& parseTyped)
{
    return VisitValueKind(formatKind, [&](auto tag) -> bool {
        using T = typename decltype(tag)::Type;
        if constexpr (std::is_void_v<T>) {
            return false;
        } else {
            T parsed{};
            if (!parseTyped(parsed))
                return false;
            if (value.GetKind() == KindNone || value.GetKind() == formatKind)
                value = CFieldValue(parsed);
            return true;
        }
    });
}

} // namespace

CString CFormat::FormatCString(const CFieldValue& value, const CDataObject* context) const
{
    return FormatGeneric<CString>(m_kind, value, [&](const auto& typed) { return FormatCString(typed, context); });
}

bool CFormat::Parse(const CString& text, CFieldValue& value, const CDataObject* context) const
{
    return ParseGeneric(m_kind, value, [&](auto& parsed) { return Parse(text, parsed, context); });
}

std::string CFormat::Format(const CFieldValue& value, const CDataObject* context) const
{
    return FormatGeneric<std::string>(m_kind, value, [&](const auto& typed) { return Format(typed, context); });
}

bool CFormat::Parse(const std::string& text, CFieldValue& value, const CDataObject* context) const
{
    return ParseGeneric(m_kind, value, [&](auto& parsed) { return Parse(text, parsed, context); });
}

std::string CFormat::GetTypeName() const
{
    return {};
}

std::string CFormat::GetClassName() const
{
    const std::string typeName = GetTypeName();
    if (typeName.empty())
        return "CFormat";
    const size_t separator = typeName.rfind("::");
    return separator == std::string::npos ? typeName : typeName.substr(separator + 2);
}

bool CFormat::SerializeVersion(CSerializer& serializer) const
{
    if (!serializer.IsRestoring()) {
        serializer.WriteInt32(CSerializer::kCurrentVersion);
        return true;
    }
    return serializer.ReadVersion(GetClassName()) > 0;
}

void CFormat::Serialize(CSerializer& serializer)
{
    SerializeVersion(serializer);
}

// ---- Default formats ----

namespace {

struct DefaultFormats {
    // Index = kind; slot 0 serves kind 0 and every unknown kind.
    std::array<std::unique_ptr<CFormat>, KindLast + 1> byKind;

    DefaultFormats()
    {
        byKind[KindNone] = std::make_unique<CEmptyFormat>(KindNone);
        byKind[KindCString] = std::make_unique<CDefaultMfcStringFormat>();
        byKind[KindStdString] = std::make_unique<CDefaultStlStringFormat>();
        byKind[KindChar] = std::make_unique<CCharFormat>(2, true, true, true);
        byKind[KindUChar] = std::make_unique<CUCharFormat>(2, true, true, true);
        byKind[KindShort] = std::make_unique<CShortFormat>(0, true, ' ', true, true);
        byKind[KindUShort] = std::make_unique<CUShortFormat>(0, true, ' ', true, true);
        byKind[KindLong] = std::make_unique<CLongFormat>(0, true, ' ', true, false);
        byKind[KindULong] = std::make_unique<CULongFormat>(0, true, ' ', true, false);
        byKind[KindInt64] = std::make_unique<CInt64Format>(0, true, ' ', true, false);
        byKind[KindBool] = std::make_unique<CBoolFormat>();
        byKind[KindFloat] = std::make_unique<CFloatFormat>(2, false, true, '\0', '\0', ' ');
        byKind[KindDouble] = std::make_unique<CDoubleFormat>(3, false, true, '\0', '\0', ' ');
        byKind[KindOpaque] = std::make_unique<CEmptyFormat>(KindOpaque);
    }
};

} // namespace

const CFormat& GetDefaultFormat(ValueKind kind)
{
    static const DefaultFormats s_defaults; // thread-safe first-use construction
    return *s_defaults.byKind[IsValueKind(kind) ? kind : KindNone];
}

} // namespace Brivel::Common
