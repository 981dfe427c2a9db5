#include "common/field_value.h"

#include "common/serializer.h"

#include <bit>
#include <new>
#include <utility>

namespace Brivel::Common {

namespace {

const std::string& EmptyStdString() noexcept
{
    static const std::string s_empty;
    return s_empty;
}

template <class T>
int Order(T a, T b) noexcept
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

CFieldValue::CFieldValue(const CString& value) : m_kind(KindCString)
{
    ::new (&m_cString) CString(value);
}

CFieldValue::CFieldValue(const std::string& value) : m_stdString(nullptr), m_kind(KindStdString)
{
    if (!value.empty())
        m_stdString = new std::string(value); // owned; deleted by Clear
}

CFieldValue::CFieldValue(float value) noexcept
    : m_bits(std::bit_cast<uint32_t>(value)), m_kind(KindFloat)
{
}

CFieldValue::CFieldValue(double value) noexcept
    : m_bits(std::bit_cast<uint64_t>(value)), m_kind(KindDouble)
{
}

CFieldValue::CFieldValue(const CFieldValue& other) : m_bits(0), m_kind(KindNone)
{
    *this = other;
}

CFieldValue::CFieldValue(CFieldValue&& other) noexcept : m_bits(0), m_kind(KindNone)
{
    *this = std::move(other);
}

CFieldValue& CFieldValue::operator=(const CFieldValue& other)
{
    if (this == &other)
        return *this;
    // Copy the source's string before letting go of ours, so that a failed
    // allocation leaves this value unchanged.
    if (other.m_kind == KindStdString) {
        std::string* copy = (other.m_stdString && !other.m_stdString->empty())
                                ? new std::string(*other.m_stdString) // owned; deleted by Clear
                                : nullptr;
        Clear();
        m_stdString = copy;
    } else if (other.m_kind == KindCString) {
        CString copy(other.m_cString);
        Clear();
        ::new (&m_cString) CString(std::move(copy));
    } else {
        Clear();
        m_bits = other.m_bits;
    }
    m_kind = other.m_kind;
    return *this;
}

CFieldValue& CFieldValue::operator=(CFieldValue&& other) noexcept
{
    if (this == &other)
        return *this;
    Clear();
    if (other.m_kind == KindCString) {
        ::new (&m_cString) CString(std::move(other.m_cString));
        other.m_cString.~CString();
    } else {
        m_bits = other.m_bits; // also moves the std::string pointer
    }
    m_kind = other.m_kind;
    other.m_bits = 0;
    other.m_kind = KindNone;
    return *this;
}

void CFieldValue::Clear() noexcept
{
    if (m_kind == KindStdString)
        delete m_stdString;
    else if (m_kind == KindCString)
        m_cString.~CString();
    m_bits = 0;
    m_kind = KindNone;
}

CString CFieldValue::GetCString() const
{
    return m_kind == KindCString ? m_cString : CString();
}

const std::string& CFieldValue::GetStdString() const noexcept
{
    return (m_kind == KindStdString && m_stdString) ? *m_stdString : EmptyStdString();
}

float CFieldValue::GetFloat() const noexcept
{
    return m_kind == KindFloat ? std::bit_cast<float>(static_cast<uint32_t>(m_bits)) : 0.0f;
}

double CFieldValue::GetDouble() const noexcept
{
    return m_kind == KindDouble ? std::bit_cast<double>(m_bits) : 0.0;
}

bool CFieldValue::IsEqual(const CFieldValue& other) const noexcept
{
    if (m_kind != other.m_kind)
        return false;
    switch (m_kind) {
    case KindNone: return true;
    case KindCString: return m_cString == other.m_cString;
    case KindStdString: return GetStdString() == other.GetStdString();
    case KindFloat: {
        const float a = GetFloat(), b = other.GetFloat();
        return !(a < b) && !(a > b);
    }
    case KindDouble: {
        const double a = GetDouble(), b = other.GetDouble();
        return !(a < b) && !(a > b);
    }
    case KindBool: return GetBool() == other.GetBool();
    default: return m_bits == other.m_bits; // payloads are stored zero-extended
    }
}

bool CFieldValue::IsGreater(const CFieldValue& other) const noexcept
{
    if (m_kind != other.m_kind)
        return false;
    switch (m_kind) {
    case KindCString: return m_cString.Compare(other.m_cString) > 0;
    case KindStdString: {
        // std::string compares through char_traits<char>, which orders bytes
        // as unsigned, and puts a prefix first.
        return GetStdString().compare(other.GetStdString()) > 0;
    }
    case KindChar: return Order(GetChar(), other.GetChar()) > 0;
    case KindShort: return Order(GetShort(), other.GetShort()) > 0;
    case KindLong: return Order(GetLong(), other.GetLong()) > 0;
    case KindInt64: return Order(GetInt64(), other.GetInt64()) > 0;
    case KindUChar:
    case KindUShort:
    case KindULong:
    case KindOpaque: return m_bits > other.m_bits;
    case KindBool: return GetBool() && !other.GetBool();
    case KindFloat: return GetFloat() > other.GetFloat();
    case KindDouble: return GetDouble() > other.GetDouble();
    default: return false; // kind 0 and unknown kinds never order
    }
}

void CFieldValue::Serialize(CSerializer& serializer)
{
    if (serializer.IsRestoring())
        Restore(serializer);
    else
        Store(serializer);
}

void CFieldValue::Store(CSerializer& serializer) const
{
    serializer.WriteUInt8(1);
    serializer.WriteUInt8(static_cast<uint8_t>(m_kind));
    switch (m_kind) {
    case KindCString: serializer.WriteCString(m_cString); break;
    case KindStdString: serializer.WriteString(GetStdString()); break;
    case KindChar:
    case KindUChar: serializer.WriteUInt8(static_cast<uint8_t>(m_bits)); break;
    case KindBool: serializer.WriteBool(GetBool()); break;
    case KindShort:
    case KindUShort: serializer.WriteUInt16(static_cast<uint16_t>(m_bits)); break;
    case KindLong:
    case KindULong:
    case KindFloat: serializer.WriteUInt32(static_cast<uint32_t>(m_bits)); break;
    case KindInt64:
    case KindDouble: serializer.WriteUInt64(m_bits); break;
    default: break; // kinds 0 and 13 have no payload
    }
}

void CFieldValue::Restore(CSerializer& serializer)
{
    Clear();
    if (serializer.ReadUInt8() == 0)
        return;
    const ValueKind kind = serializer.ReadUInt8();
    switch (kind) {
    case KindCString: *this = CFieldValue(serializer.ReadCString()); break;
    case KindStdString: *this = CFieldValue(serializer.ReadString()); break;
    case KindChar:
    case KindUChar: m_bits = serializer.ReadUInt8(); m_kind = kind; break;
    case KindBool: m_bits = serializer.ReadBool() ? 1 : 0; m_kind = kind; break;
    case KindShort:
    case KindUShort: m_bits = serializer.ReadUInt16(); m_kind = kind; break;
    case KindLong:
    case KindULong:
    case KindFloat: m_bits = serializer.ReadUInt32(); m_kind = kind; break;
    case KindInt64:
    case KindDouble: m_bits = serializer.ReadUInt64(); m_kind = kind; break;
    default: break; // no payload: the value stays empty, kind 0
    }
}

} // namespace Brivel::Common
