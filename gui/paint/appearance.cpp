#include "gui/paint/appearance.h"

#include "platform/archive.h"

namespace Brivel::GUI {

namespace {
constexpr int32_t kVersion = 1;

void SerializeColor(Platform::CArchive& archive, COLORREF& color)
{
    if (archive.IsStoring()) {
        archive << static_cast<int32_t>(color);
    } else {
        int32_t value = 0;
        archive >> value;
        color = static_cast<COLORREF>(value);
    }
}

void SerializeFlag32(Platform::CArchive& archive, bool& flag)
{
    if (archive.IsStoring()) {
        archive << static_cast<int32_t>(flag ? 1 : 0);
    } else {
        int32_t value = 0;
        archive >> value;
        flag = value != 0;
    }
}
} // namespace

// version, colour (int32), alpha (one byte).
void Tint::Serialize(Platform::CArchive& archive)
{
    if (archive.IsStoring()) {
        archive << kVersion;
        SerializeColor(archive, color);
        archive << alpha;
        return;
    }
    if (archive.ReadVersion(kVersion, "tint") <= 0)
        return;
    SerializeColor(archive, color);
    archive >> alpha;
}

// version, six colours (int32 each), four tints, the two line flags (int32 each).
void Appearance::Serialize(Platform::CArchive& archive)
{
    if (archive.IsStoring()) {
        archive << kVersion;
    } else if (archive.ReadVersion(kVersion, "appearance") <= 0) {
        return;
    }
    for (COLORREF* color : {&oddTextColor, &evenTextColor, &oddBackColor, &evenBackColor,
                            &verticalLineColor, &horizontalLineColor})
        SerializeColor(archive, *color);
    for (Tint* tint : {&selectionTint, &focusTint, &sortedColumnTint, &rubberBandTint})
        tint->Serialize(archive);
    SerializeFlag32(archive, verticalLines);
    SerializeFlag32(archive, horizontalLines);
}

void HighlightSettings::Serialize(Platform::CArchive& archive)
{
    if (archive.IsStoring()) {
        archive << kVersion << duration << static_cast<int32_t>(textColor) << static_cast<int32_t>(backColor)
                << textAlpha << backAlpha << refreshInterval << mode;
        return;
    }
    if (archive.ReadVersion(kVersion, "highlight settings") <= 0)
        return;
    archive >> duration;
    SerializeColor(archive, textColor);
    SerializeColor(archive, backColor);
    archive >> textAlpha >> backAlpha >> refreshInterval >> mode;
}

} // namespace Brivel::GUI
