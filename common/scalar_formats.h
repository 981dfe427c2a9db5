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
    static constexpr char TypeName[] = "Common::CEmptyFormat";
    explicit CEmptyFormat(ValueKind kind = KindNone) noexcept : CConcreteFormat(kind) {}
    bool IsSerializable() const override { return true; }
};

// Kind 10: "true" and "false". Parse lower-cases the letters, drops blanks
// and is true exactly for "true"; it always succeeds.
class CBoolFormat : public CConcreteFormat<CBoolFormat, CFormat> {
public:
    static constexpr char TypeName[] = "Common::CBoolFormat";
    CBoolFormat() noexcept : CConcreteFormat(KindBool) {}

    using CFormat::Format;
    using CFormat::FormatCString;
    using CFormat::Parse;
    std::string Format(bool value, const CDataObject* context = nullptr) const override;
    bool Parse(const std::string& text, bool& value, const CDataObject* context = nullptr) const override;

    bool IsSerializable() const override { return true; }
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

    CString FormatCString(const std::string& value, const CDataObject* context = nullptr) const override;
    CString FormatCString(const CString& value, const CDataObject* context = nullptr) const override;
    bool Parse(const CString& text, std::string& value, const CDataObject* context = nullptr) const override;
    bool Parse(const CString& text, CString& value, const CDataObject* context = nullptr) const override;
    std::string Format(const std::string& value, const CDataObject* context = nullptr) const override;
    std::string Format(const CString& value, const CDataObject* context = nullptr) const override;
    bool Parse(const std::string& text, std::string& value, const CDataObject* context = nullptr) const override;
    bool Parse(const std::string& text, CString& value, const CDataObject* context = nullptr) const override;

    bool IsSerializable() const override { return true; }

    explicit CStringFormatBase(ValueKind kind) noexcept : CFormat(kind) {}
};

// Kind 2 (std::string).
class CDefaultStlStringFormat : public CConcreteFormat<CDefaultStlStringFormat, CStringFormatBase> {
public:
    static constexpr char TypeName[] = "Common::CDefaultStlStringFormat";
    CDefaultStlStringFormat() noexcept : CConcreteFormat(KindStdString) {}
};

// Kind 1 (CString).
class CDefaultMfcStringFormat : public CConcreteFormat<CDefaultMfcStringFormat, CStringFormatBase> {
public:
    static constexpr char TypeName[] = "Common::CDefaultMfcStringFormat";
    CDefaultMfcStringFormat() noexcept : CConcreteFormat(KindCString) {}
};

} // namespace Brivel::Common
