#include "gui/header/sort_info.h"

#include "platform/archive.h"

namespace Brivel::GUI {

void CSortInfo::Serialize(Platform::CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion << m_fieldId << uint8_t(m_descending ? 1 : 0);
        return;
    }
    if (ar.ReadVersion(kVersion, "sort key") <= 0)
        return;
    // Read both before assigning, so that a stream ending between them
    // leaves the key whole.
    const int32_t fieldId = ar.ReadInt32();
    const bool descending = ar.ReadByte() != 0;
    m_fieldId = fieldId;
    m_descending = descending;
}

} // namespace Brivel::GUI
