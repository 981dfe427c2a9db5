// PrintSettings: sanitising and the stored form.

#include "gui/print/print_settings.h"

#include "platform/archive.h"

#include <algorithm>
#include <cmath>

namespace Brivel::GUI {

PrintSettings PrintSettings::Sanitized() const
{
    PrintSettings result = *this;
    result.scale = std::isnan(scale) ? 1.0 : std::clamp(scale, kMinScale, kMaxScale);
    for (int32_t* margin : {&result.topMargin, &result.bottomMargin, &result.leftMargin, &result.rightMargin})
        *margin = std::clamp(*margin, 0, kMaxMargin);
    return result;
}

void PrintSettings::Serialize(Platform::CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion << printHeader << repeatHeader << printPinned << printBody << scale;
        ar << topMargin << bottomMargin << leftMargin << rightMargin;
        return;
    }
    if (ar.ReadVersion(kVersion, "printing settings") <= 0)
        return;
    // Read whole before anything is taken: a short stream changes nothing.
    PrintSettings loaded;
    ar >> loaded.printHeader >> loaded.repeatHeader >> loaded.printPinned >> loaded.printBody >> loaded.scale;
    ar >> loaded.topMargin >> loaded.bottomMargin >> loaded.leftMargin >> loaded.rightMargin;
    *this = loaded.Sanitized();
}

} // namespace Brivel::GUI
