#pragma once
// CFormat: turns a field value into the text a cell shows, and typed text
// back into a value.
//
// Each concrete format handles exactly one value kind. A format is attached to
// a field, passed explicitly to the data object's text operations, or, when
// neither is given, taken from the shared default format of the kind
// (GetDefaultFormat). Formats are small value-like objects: cloned when a
// field is copied, created by type name from the format registry
// (format_registry.h) when stored settings are read back, and store their
// settings through CSerializer.
//
// The virtual operations are declared in a fixed slot order that other code
// relies on; keep it exactly when editing this class:
//    0      destructor
//    1      FormatCString(CFieldValue)          framework-string text
//    2-14   FormatCString(value) for kinds 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1
//   15      Parse(CString, CFieldValue&)
//   16-28   Parse(CString, value&) for kinds 12, 13, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1
//   29      Format(CFieldValue)                 standard-string text
//   30-42   Format(value) for kinds 13, 12, 11, ..., 1 (as 2-14)
//   43      Parse(std::string, CFieldValue&)
//   44-56   Parse(std::string, value&) for kinds 12, 13, 11, ..., 1 (as 16-28)
//   57      IsDateTime          58 IsEnumeration     59 Clone
//   60      GetTypeName         61 IsSerializable    62 Serialize
// Formats that need more operations append them after slot 62.
//
// The two text flavours cannot share the name Format (they differ only in the
// result type), so the framework-string block is FormatCString.
//
// Writing a format: override the standard-string typed slots of your kind
// (Format(T) and Parse(std::string, T&)). The framework-string typed slots of
// this base convert and call those, so a format needs to override them only
// to convert directly (the string formats do). Every other typed slot keeps
// the base behaviour: empty text, parse fails. Derived classes should say
// `using CFormat::Format; using CFormat::Parse; using CFormat::FormatCString;`
// so that their overrides do not hide the other overloads.
//
// Context is the data object whose value is converted (it may be null); no
// built-in format reads it.
//
// Ownership: a format is owned by whoever holds it (a field, a column); Clone
// gives the caller a new object it owns.
// Thread: any thread. Formats are immutable after construction (Serialize in
// restore mode is the one mutation, made before the format is shared), so one
// format, the shared defaults included, may be used by several threads at once.

#include "common/cstring.h"
#include "common/field_value.h"
#include "common/value_kind.h"

#include <memory>
#include <string>
#include <string_view>

namespace Brivel::Common {

class CDataObject;
class CSerializer;

class CFormat {
public:
    virtual ~CFormat(); // slot 0

    // The value kind this format handles.
    ValueKind GetKind() const noexcept { return m_kind; }

    // ---- Framework-string text (slots 1-14) ----
    // If the value's kind is this format's kind (or the two are the two string
    // kinds), the typed slot of the value's kind; otherwise the empty text.
    virtual CString FormatCString(const CFieldValue& value, const CDataObject* context = nullptr) const;
    // Typed slots: the text of a value of that type. The base converts the
    // standard-string text of Format(value).
    virtual CString FormatCString(OpaqueWord value, const CDataObject* context = nullptr) const;
    virtual CString FormatCString(double value, const CDataObject* context = nullptr) const;
    virtual CString FormatCString(float value, const CDataObject* context = nullptr) const;
    virtual CString FormatCString(bool value, const CDataObject* context = nullptr) const;
    virtual CString FormatCString(int64_t value, const CDataObject* context = nullptr) const;
    virtual CString FormatCString(uint32_t value, const CDataObject* context = nullptr) const;
    virtual CString FormatCString(int32_t value, const CDataObject* context = nullptr) const;
    virtual CString FormatCString(uint16_t value, const CDataObject* context = nullptr) const;
    virtual CString FormatCString(int16_t value, const CDataObject* context = nullptr) const;
    virtual CString FormatCString(uint8_t value, const CDataObject* context = nullptr) const;
    virtual CString FormatCString(int8_t value, const CDataObject* context = nullptr) const;
    virtual CString FormatCString(const std::string& value, const CDataObject* context = nullptr) const;
    virtual CString FormatCString(const CString& value, const CDataObject* context = nullptr) const;

    // ---- Framework-string parse (slots 15-28) ----
    // Generic parse: the typed slot of this format's own kind. On failure
    // false, value untouched. On success the value takes the result when it
    // has kind 0 (it gets this format's kind) or this format's kind; a value
    // of another kind stays as it was. True in all three cases.
    virtual bool Parse(const CString& text, CFieldValue& value, const CDataObject* context = nullptr) const;
    // Typed slots: parse into a value of that type. The base parses the
    // standard string with Parse(std::string, value).
    virtual bool Parse(const CString& text, double& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const CString& text, OpaqueWord& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const CString& text, float& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const CString& text, bool& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const CString& text, int64_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const CString& text, uint32_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const CString& text, int32_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const CString& text, uint16_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const CString& text, int16_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const CString& text, uint8_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const CString& text, int8_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const CString& text, std::string& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const CString& text, CString& value, const CDataObject* context = nullptr) const;

    // ---- Standard-string text (slots 29-42), as slots 1-14 ----
    // As FormatCString(CFieldValue), with the text as a standard string.
    virtual std::string Format(const CFieldValue& value, const CDataObject* context = nullptr) const;
    // Typed slots: the text of a value of that type; empty in the base (a
    // format overrides the slot of its own kind).
    virtual std::string Format(OpaqueWord value, const CDataObject* context = nullptr) const;
    virtual std::string Format(double value, const CDataObject* context = nullptr) const;
    virtual std::string Format(float value, const CDataObject* context = nullptr) const;
    virtual std::string Format(bool value, const CDataObject* context = nullptr) const;
    virtual std::string Format(int64_t value, const CDataObject* context = nullptr) const;
    virtual std::string Format(uint32_t value, const CDataObject* context = nullptr) const;
    virtual std::string Format(int32_t value, const CDataObject* context = nullptr) const;
    virtual std::string Format(uint16_t value, const CDataObject* context = nullptr) const;
    virtual std::string Format(int16_t value, const CDataObject* context = nullptr) const;
    virtual std::string Format(uint8_t value, const CDataObject* context = nullptr) const;
    virtual std::string Format(int8_t value, const CDataObject* context = nullptr) const;
    virtual std::string Format(const std::string& value, const CDataObject* context = nullptr) const;
    virtual std::string Format(const CString& value, const CDataObject* context = nullptr) const;

    // ---- Standard-string parse (slots 43-56), as slots 15-28 ----
    // As the generic framework-string Parse, reading a standard string.
    virtual bool Parse(const std::string& text, CFieldValue& value, const CDataObject* context = nullptr) const;
    // Typed slots: parse into a value of that type; false in the base (a
    // format overrides the slot of its own kind).
    virtual bool Parse(const std::string& text, double& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const std::string& text, OpaqueWord& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const std::string& text, float& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const std::string& text, bool& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const std::string& text, int64_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const std::string& text, uint32_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const std::string& text, int32_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const std::string& text, uint16_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const std::string& text, int16_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const std::string& text, uint8_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const std::string& text, int8_t& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const std::string& text, std::string& value, const CDataObject* context = nullptr) const;
    virtual bool Parse(const std::string& text, CString& value, const CDataObject* context = nullptr) const;

    // ---- Kind of editor, identity and storage (slots 57-62) ----
    // Whether the format edits as a date or time (an editor with a calendar).
    virtual bool IsDateTime() const { return false; }
    // Whether the format edits as a choice among fixed texts.
    virtual bool IsEnumeration() const { return false; }
    // A copy of this format, owned by the caller.
    virtual std::unique_ptr<CFormat> Clone() const = 0;
    // The registry name, "Common::CLongFormat"; empty in the base.
    virtual std::string GetTypeName() const;
    // Whether an owner stores this format's type name and settings at all.
    virtual bool IsSerializable() const { return false; }
    // Stores or restores the settings. The base stores and restores the
    // version only; a stored version above 1 raises BadVersionException named
    // after the class (GetClassName), one of 0 or less ends the restore.
    virtual void Serialize(CSerializer& serializer);

    // The class name used in BadVersionException messages: the type name
    // without its namespace ("CLongFormat"), or "CFormat" when it has none.
    std::string GetClassName() const;

protected:
    // A format of the value kind `kind`.
    explicit CFormat(ValueKind kind) noexcept : m_kind(kind) {}
    CFormat(const CFormat&) = default;
    CFormat& operator=(const CFormat&) = delete;

    // For Serialize overrides: writes the version in store mode; in restore
    // mode reads it, raising BadVersionException when it is above 1. Returns
    // true when the settings that follow are to be stored or read.
    bool SerializeVersion(CSerializer& serializer) const;

private:
    const ValueKind m_kind;
};

// The identity slots of a concrete format class: Clone copies Derived and
// GetTypeName returns Derived::TypeName. Base is CFormat or a shared
// implementation such as CIntegerFormatBase; its constructors are inherited.
//   class CMyFormat : public CConcreteFormat<CMyFormat, CFormat> { ... };
template <class Derived, class Base>
class CConcreteFormat : public Base {
public:
    // Base's constructors.
    using Base::Base;
    // A copy of the Derived object.
    std::unique_ptr<CFormat> Clone() const override
    {
        return std::make_unique<Derived>(static_cast<const Derived&>(*this));
    }
    // Derived::TypeName.
    std::string GetTypeName() const override { return Derived::TypeName; }
};

// The shared default format of a kind, built on first use and destroyed at
// program exit: CDefaultMfcStringFormat (1), CDefaultStlStringFormat (2),
// CCharFormat(2, 1, 1, 1) (3), CUCharFormat(2, 1, 1, 1) (4),
// CShortFormat(0, 1, ' ', 1, 1) (5), CUShortFormat(0, 1, ' ', 1, 1) (6),
// CLongFormat (7), CULongFormat (8), CInt64Format (9) with (0, 1, ' ', 1, 0),
// CBoolFormat (10), CFloatFormat(2, 0, 1, none, none, ' ') (11),
// CDoubleFormat(3, 0, 1, none, none, ' ') (12), CEmptyFormat of kind 13 (13)
// and CEmptyFormat of kind 0 for any other kind.
// Thread: any thread.
const CFormat& GetDefaultFormat(ValueKind kind);

} // namespace Brivel::Common
