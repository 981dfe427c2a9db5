#pragma once
// CFieldValue: the tagged union of one value of any kind.
//
// Used to read and write a field without knowing its kind at compile time, to
// hand a value to a format and to store it. It holds an 8-byte payload and the
// kind (see value_kind.h):
//   kind 1      a CString (its shared buffer, or none: the empty string)
//   kind 2      an owned heap std::string, or none (reads as the empty string)
//   kinds 3-13  the value's bits in the low 8, 16, 32 or 64 bits
// A default value has kind 0 and an empty payload.
//
// Copies are deep (a CString copy shares its buffer copy-on-write, which is
// the same thing to the reader). A string payload that is "none" and one that
// holds the empty string are the same value.
//
// Ownership: the value owns its string payload.
// Thread: one value is used by one thread at a time; copies are independent.

#include "common/cstring.h"
#include "common/value_kind.h"

#include <cstdint>
#include <string>

namespace Brivel::Common {

class CSerializer;

class CFieldValue {
public:
    // Kind 0 (no value); a value of the argument's kind holding it.
    CFieldValue() noexcept : m_bits(0) {}
    explicit CFieldValue(const CString& value);
    explicit CFieldValue(const std::string& value);
    explicit CFieldValue(int8_t value) noexcept : m_bits(static_cast<uint8_t>(value)), m_kind(KindChar) {}
    explicit CFieldValue(uint8_t value) noexcept : m_bits(value), m_kind(KindUChar) {}
    explicit CFieldValue(int16_t value) noexcept : m_bits(static_cast<uint16_t>(value)), m_kind(KindShort) {}
    explicit CFieldValue(uint16_t value) noexcept : m_bits(value), m_kind(KindUShort) {}
    explicit CFieldValue(int32_t value) noexcept : m_bits(static_cast<uint32_t>(value)), m_kind(KindLong) {}
    explicit CFieldValue(uint32_t value) noexcept : m_bits(value), m_kind(KindULong) {}
    explicit CFieldValue(int64_t value) noexcept : m_bits(static_cast<uint64_t>(value)), m_kind(KindInt64) {}
    explicit CFieldValue(bool value) noexcept : m_bits(value ? 1 : 0), m_kind(KindBool) {}
    explicit CFieldValue(float value) noexcept;
    explicit CFieldValue(double value) noexcept;
    explicit CFieldValue(OpaqueWord value) noexcept : m_bits(static_cast<uint32_t>(value)), m_kind(KindOpaque) {}
    // A text literal would silently pick the bool constructor; say which
    // string kind is meant instead: CFieldValue(std::string("...")).
    CFieldValue(const char*) = delete;

    // Copies (a string payload too) or moves (a moved-from value is left
    // of kind 0).
    CFieldValue(const CFieldValue& other);
    CFieldValue(CFieldValue&& other) noexcept;
    // The same as assignments; assigning a value to itself changes nothing.
    CFieldValue& operator=(const CFieldValue& other);
    CFieldValue& operator=(CFieldValue&& other) noexcept;
    ~CFieldValue() { Clear(); }

    // Back to kind 0, releasing a string payload.
    void Clear() noexcept;

    ValueKind GetKind() const noexcept { return m_kind; } // 0 for no value

    // Typed reads. Each returns the payload when the value has exactly that
    // kind, else the zero of the type (empty string, 0, false, 0.0).
    CString GetCString() const;
    const std::string& GetStdString() const noexcept;
    int8_t GetChar() const noexcept { return m_kind == KindChar ? static_cast<int8_t>(m_bits) : 0; }
    uint8_t GetUChar() const noexcept { return m_kind == KindUChar ? static_cast<uint8_t>(m_bits) : 0; }
    int16_t GetShort() const noexcept { return m_kind == KindShort ? static_cast<int16_t>(m_bits) : 0; }
    uint16_t GetUShort() const noexcept { return m_kind == KindUShort ? static_cast<uint16_t>(m_bits) : 0; }
    int32_t GetLong() const noexcept { return m_kind == KindLong ? static_cast<int32_t>(m_bits) : 0; }
    uint32_t GetULong() const noexcept { return m_kind == KindULong ? static_cast<uint32_t>(m_bits) : 0; }
    int64_t GetInt64() const noexcept { return m_kind == KindInt64 ? static_cast<int64_t>(m_bits) : 0; }
    bool GetBool() const noexcept { return m_kind == KindBool && (m_bits & 0xFF) != 0; }
    float GetFloat() const noexcept;
    double GetDouble() const noexcept;
    OpaqueWord GetOpaque() const noexcept
    {
        return OpaqueWord{m_kind == KindOpaque ? static_cast<uint32_t>(m_bits) : 0u};
    }

    // Get<T>(): the typed read for T's kind.
    template <class T>
    T Get() const;

    // Same kind and same value. Kind 0 equals kind 0; strings compare
    // byte-wise; reals are equal unless one is less or greater than the other
    // (so NaN equals everything).
    bool IsEqual(const CFieldValue& other) const noexcept;
    // Same kind (not 0) and this value orders after the other: strings by
    // unsigned bytes with a prefix first, kinds 3/5/7/9 signed, 4/6/8/10/13
    // unsigned, 11/12 numerically.
    bool IsGreater(const CFieldValue& other) const noexcept;

    // Stores or restores the value, depending on the serializer's mode.
    // Layout (no version): one byte 1, the kind as one byte, the payload
    // (text for 1 and 2; 1, 2, 4 or 8 bytes for the scalars; nothing for 0,
    // 13 and unknown kinds). Restore empties the value first; a first byte of
    // 0, or a kind without payload, leaves it empty (kind 0).
    void Serialize(CSerializer& serializer);
    void Store(CSerializer& serializer) const; // the storing half of Serialize
    void Restore(CSerializer& serializer); // the restoring half of Serialize

private:
    union {
        uint64_t m_bits;
        std::string* m_stdString; // kind 2: owned, may be null
        CString m_cString;        // kind 1: constructed in place
    };
    ValueKind m_kind = KindNone;
};

static_assert(sizeof(CFieldValue) == 16, "CFieldValue is an 8-byte payload and a kind");

// Get<T> for each value type.
template <> inline CString CFieldValue::Get<CString>() const { return GetCString(); }
template <> inline std::string CFieldValue::Get<std::string>() const { return GetStdString(); }
template <> inline int8_t CFieldValue::Get<int8_t>() const { return GetChar(); }
template <> inline uint8_t CFieldValue::Get<uint8_t>() const { return GetUChar(); }
template <> inline int16_t CFieldValue::Get<int16_t>() const { return GetShort(); }
template <> inline uint16_t CFieldValue::Get<uint16_t>() const { return GetUShort(); }
template <> inline int32_t CFieldValue::Get<int32_t>() const { return GetLong(); }
template <> inline uint32_t CFieldValue::Get<uint32_t>() const { return GetULong(); }
template <> inline int64_t CFieldValue::Get<int64_t>() const { return GetInt64(); }
template <> inline bool CFieldValue::Get<bool>() const { return GetBool(); }
template <> inline float CFieldValue::Get<float>() const { return GetFloat(); }
template <> inline double CFieldValue::Get<double>() const { return GetDouble(); }
template <> inline OpaqueWord CFieldValue::Get<OpaqueWord>() const { return GetOpaque(); }

} // namespace Brivel::Common
