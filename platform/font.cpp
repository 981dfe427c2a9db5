#include "platform/font.h"

#include "platform/archive.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Brivel::Platform {

namespace {

bool HaveGuiApplication()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr && !QCoreApplication::closingDown();
}

void PutInt32(uint8_t* out, int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    out[0] = uint8_t(v);
    out[1] = uint8_t(v >> 8);
    out[2] = uint8_t(v >> 16);
    out[3] = uint8_t(v >> 24);
}

int32_t GetInt32(const uint8_t* in)
{
    return static_cast<int32_t>(uint32_t(in[0]) | (uint32_t(in[1]) << 8) | (uint32_t(in[2]) << 16) |
                                (uint32_t(in[3]) << 24));
}

// Cuts UTF-8 text to at most maxBytes without splitting a character.
size_t Utf8PrefixLength(const QByteArray& utf8, size_t maxBytes)
{
    size_t n = std::min<size_t>(size_t(utf8.size()), maxBytes);
    // Step back over continuation bytes (10xxxxxx) of a character cut at the end.
    if (n < size_t(utf8.size())) {
        while (n > 0 && (uint8_t(utf8[qsizetype(n)]) & 0xC0) == 0x80)
            --n;
    }
    return n;
}

QString DecodeFaceName(const char* name, size_t size)
{
    const QByteArray bytes(name, qsizetype(size));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

uint8_t PitchAndFamilyOf(const QFont& font)
{
    uint8_t family = FF_DONTCARE;
    switch (font.styleHint()) {
    case QFont::SansSerif:
        family = FF_SWISS;
        break;
    case QFont::Serif:
        family = FF_ROMAN;
        break;
    case QFont::TypeWriter:
    case QFont::Monospace:
        family = FF_MODERN;
        break;
    case QFont::Cursive:
        family = FF_SCRIPT;
        break;
    case QFont::Decorative:
    case QFont::Fantasy:
        family = FF_DECORATIVE;
        break;
    default:
        break;
    }
    return uint8_t(family | (font.fixedPitch() ? FIXED_PITCH : DEFAULT_PITCH));
}

void ApplyPitchAndFamily(QFont& font, uint8_t pitchAndFamily)
{
    switch (pitchAndFamily & 0xF0) {
    case FF_SWISS:
        font.setStyleHint(QFont::SansSerif);
        break;
    case FF_ROMAN:
        font.setStyleHint(QFont::Serif);
        break;
    case FF_MODERN:
        font.setStyleHint(QFont::Monospace);
        break;
    case FF_SCRIPT:
        font.setStyleHint(QFont::Cursive);
        break;
    case FF_DECORATIVE:
        font.setStyleHint(QFont::Decorative);
        break;
    default:
        break;
    }
    if ((pitchAndFamily & 0x03) == FIXED_PITCH)
        font.setFixedPitch(true);
}

} // namespace

std::array<uint8_t, kLogFontSize> EncodeLogFont(const LOGFONT& lf)
{
    std::array<uint8_t, kLogFontSize> out{};
    PutInt32(&out[0], lf.lfHeight);
    PutInt32(&out[4], lf.lfWidth);
    PutInt32(&out[8], lf.lfEscapement);
    PutInt32(&out[12], lf.lfOrientation);
    PutInt32(&out[16], lf.lfWeight);
    out[20] = lf.lfItalic;
    out[21] = lf.lfUnderline;
    out[22] = lf.lfStrikeOut;
    out[23] = lf.lfCharSet;
    out[24] = lf.lfOutPrecision;
    out[25] = lf.lfClipPrecision;
    out[26] = lf.lfQuality;
    out[27] = lf.lfPitchAndFamily;
    std::memcpy(&out[28], lf.lfFaceName, kLogFontFaceSize);
    return out;
}

LOGFONT DecodeLogFont(std::span<const uint8_t, kLogFontSize> in)
{
    LOGFONT lf;
    lf.lfHeight = GetInt32(&in[0]);
    lf.lfWidth = GetInt32(&in[4]);
    lf.lfEscapement = GetInt32(&in[8]);
    lf.lfOrientation = GetInt32(&in[12]);
    lf.lfWeight = GetInt32(&in[16]);
    lf.lfItalic = in[20];
    lf.lfUnderline = in[21];
    lf.lfStrikeOut = in[22];
    lf.lfCharSet = in[23];
    lf.lfOutPrecision = in[24];
    lf.lfClipPrecision = in[25];
    lf.lfQuality = in[26];
    lf.lfPitchAndFamily = in[27];
    std::memcpy(lf.lfFaceName, &in[28], kLogFontFaceSize);
    lf.lfFaceName[kLogFontFaceSize - 1] = '\0';
    return lf;
}

void WriteLogFont(CArchive& ar, const LOGFONT& lf)
{
    const auto bytes = EncodeLogFont(lf);
    ar.Write(bytes.data(), bytes.size());
}

LOGFONT ReadLogFont(CArchive& ar)
{
    std::array<uint8_t, kLogFontSize> bytes{};
    ar.ReadExact(bytes.data(), bytes.size());
    return DecodeLogFont(bytes);
}

LOGFONT LogFontFromQFont(const QFont& font, int dpi)
{
    LOGFONT lf;
    if (dpi <= 0)
        dpi = 96;
    if (font.pixelSize() > 0) {
        lf.lfHeight = -font.pixelSize();
    } else if (font.pointSizeF() > 0) {
        lf.lfHeight = -static_cast<int32_t>(std::lround(font.pointSizeF() * dpi / 72.0));
    }
    lf.lfWeight = std::clamp<int32_t>(font.weight(), 1, 1000);
    lf.lfItalic = font.style() != QFont::StyleNormal ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    switch (font.styleStrategy() & (QFont::NoAntialias | QFont::PreferAntialias)) {
    case QFont::NoAntialias:
        lf.lfQuality = NONANTIALIASED_QUALITY;
        break;
    case QFont::PreferAntialias:
        lf.lfQuality = ANTIALIASED_QUALITY;
        break;
    default:
        lf.lfQuality = DEFAULT_QUALITY;
        break;
    }
    lf.lfPitchAndFamily = PitchAndFamilyOf(font);
    const QByteArray face = font.family().toUtf8();
    const size_t n = Utf8PrefixLength(face, kLogFontFaceSize - 1);
    std::memcpy(lf.lfFaceName, face.constData(), n);
    return lf;
}

QFont QFontFromLogFont(const LOGFONT& lf)
{
    QFont font = GetDefaultGuiFont();
    const size_t faceLength = ::strnlen(lf.lfFaceName, kLogFontFaceSize);
    if (faceLength > 0)
        font.setFamily(DecodeFaceName(lf.lfFaceName, faceLength));
    ApplyPitchAndFamily(font, lf.lfPitchAndFamily);

    // Sizes far beyond any screen are clamped rather than handed to the font engine.
    constexpr int32_t kMaxPixels = 4096;
    if (lf.lfHeight < 0) {
        font.setPixelSize(int(std::min<int64_t>(-int64_t(lf.lfHeight), kMaxPixels)));
    } else if (lf.lfHeight > 0) {
        const int cell = int(std::min<int32_t>(lf.lfHeight, kMaxPixels));
        int pixels = cell;
        if (HaveGuiApplication()) {
            // The cell height includes the internal leading: scale the em size
            // so that ascent + descent comes out at the requested height.
            QFont probe = font;
            probe.setPixelSize(cell);
            const qreal measured = QFontMetricsF(probe).height();
            if (measured > 0)
                pixels = std::max(1, int(std::lround(cell * cell / measured)));
        }
        font.setPixelSize(pixels);
    }

    font.setWeight(static_cast<QFont::Weight>(lf.lfWeight <= 0 ? FW_NORMAL : std::min<int32_t>(lf.lfWeight, 1000)));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    if (lf.lfQuality == NONANTIALIASED_QUALITY)
        font.setStyleStrategy(QFont::NoAntialias);
    else if (lf.lfQuality == ANTIALIASED_QUALITY)
        font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

const QFont& GetDefaultGuiFont()
{
    if (!HaveGuiApplication()) {
        static const QFont fallback = [] {
            QFont f(QStringLiteral("DejaVu Sans"));
            f.setPixelSize(12);
            return f;
        }();
        return fallback;
    }
    static const QFont font = QGuiApplication::font();
    return font;
}

} // namespace Brivel::Platform
