#pragma once
// Value kinds: the library-wide numbering of the types a field value can have,
// and the compile-time mapping between a kind and its C++ value type.
//
// The numbering is stored in serialized data and selects the typed operations
// of formats and data objects, so it never changes:
//
//   0 none            5 int16_t        10 bool
//   1 CString         6 uint16_t       11 float
//   2 std::string     7 int32_t        12 double
//   3 int8_t          8 uint32_t       13 OpaqueWord
//   4 uint8_t         9 int64_t
//
// Kind 3 is `int8_t` (signed char), not plain `char`: a getter returning
// `char` is not a kind-3 getter. Kind 13 has its own type so that it never
// collides with `uint32_t` (kind 8) in overload sets.
//
// Thread: any thread (constants and type traits only).

#include <cstdint>
#include <string>
#include <type_traits>

namespace Brivel::Common {

class CString;

// A kind number (see the table above).
using ValueKind = int32_t;

// The kinds, numbered as in the table above.
inline constexpr ValueKind KindNone = 0;
inline constexpr ValueKind KindCString = 1;
inline constexpr ValueKind KindStdString = 2;
inline constexpr ValueKind KindChar = 3;
inline constexpr ValueKind KindUChar = 4;
inline constexpr ValueKind KindShort = 5;
inline constexpr ValueKind KindUShort = 6;
inline constexpr ValueKind KindLong = 7;
inline constexpr ValueKind KindULong = 8;
inline constexpr ValueKind KindInt64 = 9;
inline constexpr ValueKind KindBool = 10;
inline constexpr ValueKind KindFloat = 11;
inline constexpr ValueKind KindDouble = 12;
inline constexpr ValueKind KindOpaque = 13;

// The highest kind number in use; kinds above it (and below 0) name no type.
inline constexpr ValueKind KindLast = KindOpaque;

// Field identifiers: 32-bit signed, unique within one field map.
inline constexpr int32_t FieldIdNotSet = -2; // a field that has not been given one
inline constexpr int32_t FieldIdNone = -1;   // no field is meant

// The opaque 32-bit word of kind 13. It has no text form and no serialized
// payload; it orders as unsigned. Build one with `OpaqueWord{0x1234u}` and
// read it back with `static_cast<uint32_t>(word)`.
enum class OpaqueWord : uint32_t {};

// KindOf<T>: the kind of a value type; KindNone for a type that is no kind.
template <class T>
inline constexpr ValueKind KindOf = KindNone;
// The kind of each value type.
template <> inline constexpr ValueKind KindOf<CString> = KindCString;
template <> inline constexpr ValueKind KindOf<std::string> = KindStdString;
template <> inline constexpr ValueKind KindOf<int8_t> = KindChar;
template <> inline constexpr ValueKind KindOf<uint8_t> = KindUChar;
template <> inline constexpr ValueKind KindOf<int16_t> = KindShort;
template <> inline constexpr ValueKind KindOf<uint16_t> = KindUShort;
template <> inline constexpr ValueKind KindOf<int32_t> = KindLong;
template <> inline constexpr ValueKind KindOf<uint32_t> = KindULong;
template <> inline constexpr ValueKind KindOf<int64_t> = KindInt64;
template <> inline constexpr ValueKind KindOf<bool> = KindBool;
template <> inline constexpr ValueKind KindOf<float> = KindFloat;
template <> inline constexpr ValueKind KindOf<double> = KindDouble;
template <> inline constexpr ValueKind KindOf<OpaqueWord> = KindOpaque;

// True for the thirteen value types of kinds 1 to 13.
template <class T>
inline constexpr bool IsValueType = KindOf<T> != KindNone;

// True for the two string kinds.
inline constexpr bool IsStringKind(ValueKind kind) noexcept
{
    return kind == KindCString || kind == KindStdString;
}

// True for the kinds 1 to 13 that name a value type.
inline constexpr bool IsValueKind(ValueKind kind) noexcept
{
    return kind >= KindCString && kind <= KindLast;
}

// How a value of type T is handed to a setter or a typed operation: the two
// string types by reference to a constant, every scalar by value.
template <class T>
using ValueArg = std::conditional_t<std::is_class_v<T>, const T&, T>;

// The tag VisitValueKind hands to its function: `Type` is the kind's value type.
template <class T>
struct KindTag {
    using Type = T; // the value type
};

// VisitValueKind(kind, f): calls f(KindTag<T>{}) with the value type T of
// the kind, or with KindTag<void> for kind 0 and unknown kinds, and returns
// its result. Lets generic code switch on a run-time kind once.
template <class F>
decltype(auto) VisitValueKind(ValueKind kind, F&& f)
{
    switch (kind) {
    case KindCString: return f(KindTag<CString>{});
    case KindStdString: return f(KindTag<std::string>{});
    case KindChar: return f(KindTag<int8_t>{});
    case KindUChar: return f(KindTag<uint8_t>{});
    case KindShort: return f(KindTag<int16_t>{});
    case KindUShort: return f(KindTag<uint16_t>{});
    case KindLong: return f(KindTag<int32_t>{});
    case KindULong: return f(KindTag<uint32_t>{});
    case KindInt64: return f(KindTag<int64_t>{});
    case KindBool: return f(KindTag<bool>{});
    case KindFloat: return f(KindTag<float>{});
    case KindDouble: return f(KindTag<double>{});
    case KindOpaque: return f(KindTag<OpaqueWord>{});
    default: return f(KindTag<void>{});
    }
}

} // namespace Brivel::Common
