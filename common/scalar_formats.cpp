#include "common/scalar_formats.h"

namespace Brivel::Common {

// ---- CBoolFormat ----

std::string CBoolFormat::Format(bool value, const CDataObject*) const
{
    return value ? "true" : "false";
}

bool CBoolFormat::Parse(const std::string& text, bool& value, const CDataObject*) const
{
    // Compare against "true" while skipping blanks and folding A-Z, without
    // building the folded copy.
    static constexpr char kTrue[] = "true";
    size_t matched = 0;
    bool isTrue = true;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (matched >= 4 || c != kTrue[matched]) {
            isTrue = false;
            break;
        }
        ++matched;
    }
    value = isTrue && matched == 4;
    return true;
}

// ---- String formats ----

CString CStringFormatBase::FormatCString(const std::string& value, const CDataObject*) const
{
    return CString(value);
}

CString CStringFormatBase::FormatCString(const CString& value, const CDataObject*) const
{
    return value;
}

bool CStringFormatBase::Parse(const CString& text, std::string& value, const CDataObject*) const
{
    value = text.ToStdString();
    return true;
}

bool CStringFormatBase::Parse(const CString& text, CString& value, const CDataObject*) const
{
    value = text;
    return true;
}

std::string CStringFormatBase::Format(const std::string& value, const CDataObject*) const
{
    return value;
}

std::string CStringFormatBase::Format(const CString& value, const CDataObject*) const
{
    return value.ToStdString();
}

bool CStringFormatBase::Parse(const std::string& text, std::string& value, const CDataObject*) const
{
    value = text;
    return true;
}

bool CStringFormatBase::Parse(const std::string& text, CString& value, const CDataObject*) const
{
    value = CString(text);
    return true;
}

} // namespace Brivel::Common
