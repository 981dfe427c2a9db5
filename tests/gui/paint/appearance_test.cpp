#include "gui/paint/appearance.h"

#include "platform/archive.h"

#include <gtest/gtest.h>

namespace Brivel::GUI {
namespace {

using Platform::CArchive;
using Platform::CArchiveException;
using Platform::RGB;

QByteArray Store(auto& value)
{
    CArchive archive;
    value.Serialize(archive);
    return archive.GetData();
}

TEST(HighlightSettings, StoresTwentySixBytesInRecordOrder)
{
    HighlightSettings settings;
    const QByteArray bytes = Store(settings);
    ASSERT_EQ(bytes.size(), 26);
    const unsigned char expected[26] = {1, 0, 0, 0, 0xD0, 0x07, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0,
                                        150, 150, 30, 0, 0, 0, 8, 0, 0, 0};
    EXPECT_EQ(0, memcmp(bytes.constData(), expected, sizeof expected));
}

TEST(HighlightSettings, RoundTripAndNewerVersionIsBadSchema)
{
    HighlightSettings settings;
    settings.duration = 750;
    settings.backColor = RGB(1, 2, 3);
    settings.textAlpha = 7;
    settings.mode = kHighlightAlphaBack;
    CArchive loading(Store(settings));
    HighlightSettings loaded;
    loaded.Serialize(loading);
    EXPECT_EQ(loaded, settings);

    QByteArray newer = Store(settings);
    newer[0] = 2;
    CArchive newerArchive(newer);
    try {
        loaded.Serialize(newerArchive);
        FAIL() << "a newer version must be refused";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), CArchiveException::kBadSchema);
    }
}

TEST(Appearance, RoundTripKeepsTintsAndFlags)
{
    Appearance appearance;
    appearance.evenBackColor = RGB(230, 237, 237);
    appearance.focusTint = {RGB(9, 8, 7), 200};
    appearance.horizontalLines = true;
    const QByteArray bytes = Store(appearance);
    // version, six colours, four tints of 9 bytes, two int32 flags
    EXPECT_EQ(bytes.size(), 4 + 6 * 4 + 4 * 9 + 2 * 4);
    CArchive loading(bytes);
    Appearance loaded;
    loaded.Serialize(loading);
    EXPECT_EQ(loaded, appearance);
}

TEST(Appearance, VersionZeroEndsTheBlockAndKeepsValues)
{
    CArchive storing;
    storing << int32_t{0};
    CArchive loading(storing.GetData());
    Appearance appearance;
    appearance.oddBackColor = RGB(1, 1, 1);
    appearance.Serialize(loading);
    EXPECT_EQ(appearance.oddBackColor, RGB(1, 1, 1));
}

TEST(Appearance, RowColoursFollowParity)
{
    Appearance appearance;
    appearance.evenBackColor = RGB(240, 240, 240);
    EXPECT_EQ(appearance.BackColorOfRow(0), RGB(240, 240, 240));
    EXPECT_EQ(appearance.BackColorOfRow(1), RGB(255, 255, 255));
}

} // namespace
} // namespace Brivel::GUI
