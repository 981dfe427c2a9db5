// The 60-byte font record and its QFont conversions.
#include "platform/font.h"

#include "platform/archive.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>

#include <cstring>

namespace Brivel::Platform {
namespace {

TEST(LogFont, RecordHasTheStoredLittleEndianLayout)
{
    LOGFONT lf;
    lf.lfHeight = -13;
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = 1;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    std::strcpy(lf.lfFaceName, "Tahoma");
    const auto bytes = EncodeLogFont(lf);
    ASSERT_EQ(bytes.size(), 60u);
    EXPECT_EQ((std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4)), (std::vector<uint8_t>{0xF3, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ((std::vector<uint8_t>(bytes.begin() + 16, bytes.begin() + 20)), (std::vector<uint8_t>{0xBC, 0x02, 0, 0}));
    EXPECT_EQ(bytes[20], 1);
    EXPECT_EQ(bytes[23], ANSI_CHARSET);
    EXPECT_EQ(bytes[27], VARIABLE_PITCH | FF_SWISS);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[28])), "Tahoma");
    EXPECT_EQ(DecodeLogFont(bytes), lf);
}

TEST(LogFont, UnterminatedFaceNameIsReadWithinItsField)
{
    std::array<uint8_t, kLogFontSize> bytes{};
    std::memset(&bytes[28], 'A', 32);
    const LOGFONT lf = DecodeLogFont(bytes);
    EXPECT_EQ(std::strlen(lf.lfFaceName), 31u);
}

TEST(LogFont, QFontRoundTripKeepsWhatTheRecordCarries)
{
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(17);
    font.setWeight(QFont::DemiBold);
    font.setItalic(true);
    font.setUnderline(true);
    font.setStrikeOut(true);
    const LOGFONT lf = LogFontFromQFont(font);
    EXPECT_EQ(lf.lfHeight, -17);
    EXPECT_EQ(lf.lfWeight, 600);
    const QFont back = QFontFromLogFont(lf);
    EXPECT_EQ(back.family(), font.family());
    EXPECT_EQ(back.pixelSize(), 17);
    EXPECT_EQ(back.weight(), QFont::DemiBold);
    EXPECT_TRUE(back.italic());
    EXPECT_TRUE(back.underline());
    EXPECT_TRUE(back.strikeOut());

    // Point sizes are converted at the given resolution.
    QFont points(QStringLiteral("DejaVu Sans"));
    points.setPointSize(9);
    EXPECT_EQ(LogFontFromQFont(points, 96).lfHeight, -12);
    EXPECT_EQ(LogFontFromQFont(points, 120).lfHeight, -15);
}

TEST(LogFont, LongFaceNameIsCutAtACharacterBoundary)
{
    QFont font(QString::fromUtf8("Ünïcødé Façe Name Much Longer Than Thirty-One"));
    const LOGFONT lf = LogFontFromQFont(font);
    const size_t length = std::strlen(lf.lfFaceName);
    EXPECT_LE(length, 31u);
    EXPECT_TRUE(QString::fromUtf8(lf.lfFaceName, qsizetype(length)).toUtf8() == QByteArray(lf.lfFaceName, qsizetype(length)))
        << "valid UTF-8 after the cut";
    // A Latin-1 name (the record's classic code page) still reads.
    LOGFONT latin;
    std::strcpy(latin.lfFaceName, "Caf\xE9");
    EXPECT_EQ(QFontFromLogFont(latin).family(), QString::fromUtf8("Café"));
}

TEST(LogFont, PositiveHeightIsTheCellHeightAndZeroTheDefault)
{
    LOGFONT lf;
    std::strcpy(lf.lfFaceName, "DejaVu Sans");
    lf.lfHeight = 20;
    EXPECT_NEAR(QFontMetrics(QFontFromLogFont(lf)).height(), 20, 1);
    lf.lfHeight = 0;
    EXPECT_EQ(QFontFromLogFont(lf).pointSizeF(), GetDefaultGuiFont().pointSizeF());
    lf.lfHeight = INT32_MIN;
    EXPECT_LE(QFontFromLogFont(lf).pixelSize(), 4096) << "absurd sizes are clamped";
}

TEST(LogFont, ArchiveCarriesSixtyBytesAndRefusesAShortStream)
{
    LOGFONT lf = LogFontFromQFont(GetDefaultGuiFont());
    CArchive store;
    WriteLogFont(store, lf);
    ASSERT_EQ(store.GetData().size(), 60);
    CArchive load(store.GetData());
    EXPECT_EQ(ReadLogFont(load), lf);
    CArchive shortStream(store.GetData().left(59));
    try {
        ReadLogFont(shortStream);
        FAIL() << "a 59-byte record was accepted";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), CArchiveException::kEndOfFile);
    }
}

TEST(DefaultGuiFont, IsTheApplicationFontMadeOnce)
{
    const QFont& first = GetDefaultGuiFont();
    EXPECT_EQ(first, QGuiApplication::font());
    EXPECT_EQ(&first, &GetDefaultGuiFont());
}

} // namespace
} // namespace Brivel::Platform
