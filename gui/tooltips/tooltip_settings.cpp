#include "gui/tooltips/tooltip_settings.h"

#include "platform/archive.h"
#include "platform/sys_color.h"

#include <algorithm>

namespace Brivel::GUI {

namespace {

constexpr int32_t kVersion = 1;

} // namespace

TooltipSettings TooltipSettings::Defaults()
{
    TooltipSettings settings;
    settings.backColor = Platform::GetSysColor(Platform::COLOR_INFOBK);
    settings.textColor = Platform::GetSysColor(Platform::COLOR_INFOTEXT);
    settings.borderColor = Platform::GetSysColor(Platform::COLOR_ACTIVEBORDER);
    return settings;
}

TooltipSettings TooltipSettings::Sanitized() const
{
    TooltipSettings settings = *this;
    settings.hoverMs = std::max(hoverMs, 0);
    settings.autoHideMs = std::max(autoHideMs, 0);
    settings.distanceX = std::clamp(distanceX, 0, kMaxDistance);
    settings.distanceY = std::clamp(distanceY, 0, kMaxDistance);
    settings.marginX = std::clamp(marginX, 0, kMaxMargin);
    settings.marginY = std::clamp(marginY, 0, kMaxMargin);
    return settings;
}

void TooltipSettings::Serialize(Platform::CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion << static_cast<int32_t>(backColor) << static_cast<int32_t>(textColor)
           << static_cast<int32_t>(borderColor) << hoverMs << autoHideMs;
        ar << distanceX << distanceY << marginX << marginY << position << delayed;
        return;
    }
    if (ar.ReadVersion(kVersion, "tooltip settings") <= 0)
        return;
    // Read whole before anything is taken: a short stream changes nothing.
    TooltipSettings loaded;
    loaded.backColor = static_cast<Platform::COLORREF>(ar.ReadInt32());
    loaded.textColor = static_cast<Platform::COLORREF>(ar.ReadInt32());
    loaded.borderColor = static_cast<Platform::COLORREF>(ar.ReadInt32());
    loaded.hoverMs = ar.ReadInt32();
    loaded.autoHideMs = ar.ReadInt32();
    loaded.distanceX = ar.ReadInt32();
    loaded.distanceY = ar.ReadInt32();
    loaded.marginX = ar.ReadInt32();
    loaded.marginY = ar.ReadInt32();
    loaded.position = ar.ReadInt32();
    loaded.delayed = ar.ReadInt32();
    *this = loaded.Sanitized();
}

} // namespace Brivel::GUI
