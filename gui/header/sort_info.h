#pragma once
// CSortInfo: one sort key, the field the rows are ordered by and the
// direction. The header keeps the user-visible list of keys (at most five
// levels), each row list a copy of the keys it is sorted by.
//
// Stored form (little-endian, in a CArchive):
//   int32  version     written as 1
//   int32  field id
//   uint8  descending  1 or 0; any non-zero byte loads as descending
// Loading: a version above 1 raises CArchiveException kBadSchema (7); a
// version of 0 or less ends the block and leaves the key as it was.
//
// Thread: any thread (a plain value; one object is not synchronised).

#include <cstdint>

namespace Brivel::Platform {
class CArchive;
}

namespace Brivel::GUI {

class CSortInfo {
public:
    // The field identifier that stands for "no key".
    static constexpr int32_t kNoField = -2;
    static constexpr int32_t kVersion = 1; // the version of the stored form this code writes and reads

    // No key; a key on the field `fieldId`, ascending unless `descending`.
    constexpr CSortInfo() = default;
    constexpr CSortInfo(int32_t fieldId, bool descending) : m_fieldId(fieldId), m_descending(descending) {}
    constexpr CSortInfo(const CSortInfo&) = default;
    constexpr CSortInfo& operator=(const CSortInfo&) = default;
    virtual ~CSortInfo() = default;

    constexpr int32_t GetFieldId() const { return m_fieldId; } // kNoField: no key
    constexpr bool IsDescending() const { return m_descending; } // highest first

    // Stores or loads the form above (ar.IsStoring() tells which).
    virtual void Serialize(Platform::CArchive& ar);

    // Same field and same direction.
    friend constexpr bool operator==(const CSortInfo& a, const CSortInfo& b)
    {
        return a.m_fieldId == b.m_fieldId && a.m_descending == b.m_descending;
    }

private:
    int32_t m_fieldId = kNoField;
    bool m_descending = false;
};

} // namespace Brivel::GUI
