#pragma once
// The scalar formats that have no numeric settings: CEmptyFormat,
// CBoolFormat, CDefaultStlStringFormat and CDefaultMfcStringFormat. Including
// this header also brings the integer and real formats, so that it names
// every scalar format.
//
// None of these classes stores settings: their stored form is the version
// alone (the empty format's kind is not stored).
//
// Thread: any thread; instances are immutable after construction.

#include "common/format.h"
#include "common/integer_formats.h"
#include "common/real_formats.h"

#include <memory>
#include <string>

namespace Brivel::Common {

// A format for a kind that has no text: every text is empty and every parse
// fails. Default format of kind 13 and of every kind without one.
class CEmptyFormat : public CConcreteFormat<CEmptyFormat, CFormat> {
public:
    static constexpr char TypeName[] = "Common::CEmptyFormat"; // the registry name
    // A format of the value kind `kind`.
    explicit CEmptyFormat(ValueKind kind = KindNone) noexcept : CConcreteFormat(kind) {}
    bool IsSerializable() const override { return true; } // its version is stored
};

// Kind 10: "true" and "false". Parse lower-cases the letters, drops blanks
// and is true exactly for "true"; it always succeeds.
class CBoolFormat : public CConcreteFormat<CBoolFormat, CFormat> {
public:
    static constexpr char TypeName[] = "Common::CBoolFormat"; // the registry name
    CBoolFormat() noexcept : CConcreteFormat(KindBool) {} // the only setting is the kind

    using CFormat::Format;
    using CFormat::FormatCString;
    using CFormat::Parse;
    std::string Format(bool value, const CDataObject* context = nullptr) const override; // "true" or "false"
    // Reads the text as described above; always true.
    bool Parse(const std::string& text, bool& value, const CDataObject* context = nullptr) const override;

    bool IsSerializable() const override { return true; } // its version is stored
};

// The string formats: the text is the string itself and parsing copies the
// text, byte for byte, and always succeeds. Each converts a value of either
// string kind and parses into either string type, so that the two string
// kinds are interchangeable in the generic text conversion.
class CStringFormatBase : public CFormat {
public:
    using CFormat::Format;
    using CFormat::FormatCString;
    using CFormat::Parse;

    // The string itself, from either string type, in either flavour.
    CString FormatCString(const std::string& value, const CDataObject* context = nullptr) const override;
    CString FormatCString(const CString& value, const CDataObject* context = nullptr) const override;
    // A copy of the text, into either string type, from either flavour;
    // always true.
    bool Parse(const CString& text, std::string& value, const CDataObject* context = nullptr) const override;
    bool Parse(const CString& text, CString& value, const CDataObject* context = nullptr) const override;
    // The string itself (standard-string flavour).
    std::string Format(const std::string& value, const CDataObject* context = nullptr) const override;
    std::string Format(const CString& value, const CDataObject* context = nullptr) const override;
    // A copy of the text (standard-string flavour); always true.
    bool Parse(const std::string& text, std::string& value, const CDataObject* context = nullptr) const override;
    bool Parse(const std::string& text, CString& value, const CDataObject* context = nullptr) const override;

    bool IsSerializable() const override { return true; } // its version is stored

    // A string format of kind 1 or 2.
    explicit CStringFormatBase(ValueKind kind) noexcept : CFormat(kind) {}
};

// Kind 2 (std::string).
class CDefaultStlStringFormat : public CConcreteFormat<CDefaultStlStringFormat, CStringFormatBase> {
public:
    static constexpr char TypeName[] = "Common::CDefaultStlStringFormat"; // the registry name
    CDefaultStlStringFormat() noexcept : CConcreteFormat(KindStdString) {} // of kind 2
};

// Kind 1 (CString).
class CDefaultMfcStringFormat : public CConcreteFormat<CDefaultMfcStringFormat, CStringFormatBase> {
public:
    static constexpr char TypeName[] = "Common::CDefaultMfcStringFormat"; // the registry name
    CDefaultMfcStringFormat() noexcept : CConcreteFormat(KindCString) {} // of kind 1
};

} // namespace Brivel::Common
