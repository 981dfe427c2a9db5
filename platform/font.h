#pragma once
// Fonts: QFont is the font of the platform layer. This header adds what the
// grid's stored settings and measurements need around it:
//
// - LOGFONT, the 60-byte font record of the grid settings stream: five
//   int32 fields (height, width, escapement, orientation, weight), eight
//   bytes (italic, underline, strike-out, character set, output precision,
//   clip precision, quality, pitch and family) and a 32-byte zero-terminated
//   face name, all little-endian. A negative lfHeight is the character (em)
//   height in pixels, a positive one the cell height (ascent + descent), 0
//   the default size.
// - Conversions between QFont and LOGFONT, and the record's byte form.
// - TEXTMETRIC, the metrics CDC::GetTextMetrics answers (row and header
//   heights are measured from tmHeight and tmInternalLeading).
// - GetDefaultGuiFont(): the font used when the grid has none, a copy of the
//   application font made once.
//
// Thread: any thread, except that the QFont conversions and the default font
// need a QGuiApplication for measurements (see each function).

#include <QFont>

#include <array>
#include <cstdint>
#include <span>

namespace Brivel::Platform {

class CArchive;

// Font weights (LOGFONT::lfWeight, TEXTMETRIC::tmWeight).
inline constexpr int32_t FW_DONTCARE = 0;
inline constexpr int32_t FW_THIN = 100;
inline constexpr int32_t FW_LIGHT = 300;
inline constexpr int32_t FW_NORMAL = 400;
inline constexpr int32_t FW_MEDIUM = 500;
inline constexpr int32_t FW_SEMIBOLD = 600;
inline constexpr int32_t FW_BOLD = 700;
inline constexpr int32_t FW_HEAVY = 900;

// The values of LOGFONT's byte fields: character sets, output and clip
// precision, quality, pitch and family.
inline constexpr uint8_t ANSI_CHARSET = 0;
inline constexpr uint8_t DEFAULT_CHARSET = 1;
inline constexpr uint8_t OUT_DEFAULT_PRECIS = 0;
inline constexpr uint8_t CLIP_DEFAULT_PRECIS = 0;
inline constexpr uint8_t DEFAULT_QUALITY = 0;
inline constexpr uint8_t NONANTIALIASED_QUALITY = 3;
inline constexpr uint8_t ANTIALIASED_QUALITY = 4;
inline constexpr uint8_t DEFAULT_PITCH = 0;
inline constexpr uint8_t FIXED_PITCH = 1;
inline constexpr uint8_t VARIABLE_PITCH = 2;
inline constexpr uint8_t FF_DONTCARE = 0x00;
inline constexpr uint8_t FF_ROMAN = 0x10;
inline constexpr uint8_t FF_SWISS = 0x20;
inline constexpr uint8_t FF_MODERN = 0x30;
inline constexpr uint8_t FF_SCRIPT = 0x40;
inline constexpr uint8_t FF_DECORATIVE = 0x50;

// The face name's bytes and the whole record's bytes.
inline constexpr int kLogFontFaceSize = 32;
inline constexpr size_t kLogFontSize = 60;

// The stored font record. The struct has exactly the stored layout on a
// little-endian machine, but code always goes through EncodeLogFont/DecodeLogFont.
struct LOGFONT {
    int32_t lfHeight = 0; // negative: the em height in pixels; positive: the cell height; 0: default
    int32_t lfWidth = 0; // average character width; 0: default
    int32_t lfEscapement = 0; // text angle in tenths of a degree
    int32_t lfOrientation = 0; // character angle in tenths of a degree
    int32_t lfWeight = FW_DONTCARE; // FW_ values
    uint8_t lfItalic = 0; // non-zero: italic
    uint8_t lfUnderline = 0; // non-zero: underlined
    uint8_t lfStrikeOut = 0; // non-zero: struck out
    uint8_t lfCharSet = DEFAULT_CHARSET; // character set
    uint8_t lfOutPrecision = OUT_DEFAULT_PRECIS; // output precision
    uint8_t lfClipPrecision = CLIP_DEFAULT_PRECIS; // clip precision
    uint8_t lfQuality = DEFAULT_QUALITY; // output quality
    uint8_t lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE; // pitch (low bits) and family (high bits)
    char lfFaceName[kLogFontFaceSize] = {}; // zero-terminated face name, UTF-8

    // Member-wise equality.
    bool operator==(const LOGFONT&) const = default;
};
static_assert(sizeof(LOGFONT) == kLogFontSize, "LOGFONT is a stored record of 60 bytes");

// Font metrics in pixels of the surface the font is selected into.
struct TEXTMETRIC {
    int32_t tmHeight = 0;           // ascent + descent
    int32_t tmAscent = 0;           // baseline to the top of the cell
    int32_t tmDescent = 0;          // baseline to the bottom of the cell
    int32_t tmInternalLeading = 0;  // tmHeight minus the character (em) height
    int32_t tmExternalLeading = 0;  // extra space the font suggests between lines
    int32_t tmAveCharWidth = 0; // average character width
    int32_t tmMaxCharWidth = 0; // widest character
    int32_t tmWeight = FW_NORMAL; // FW_ values
    uint8_t tmItalic = 0; // non-zero: italic
    uint8_t tmUnderlined = 0; // non-zero: underlined
    uint8_t tmStruckOut = 0; // non-zero: struck out
};

// Byte form of the record (little-endian fields, the face name as stored).
std::array<uint8_t, kLogFontSize> EncodeLogFont(const LOGFONT& lf);
// Reads the record back. A face name without a terminating zero is taken as
// its 32 bytes, never more; the last byte of lfFaceName is then forced to zero
// (at most 31 bytes of name survive, as the record allows).
LOGFONT DecodeLogFont(std::span<const uint8_t, kLogFontSize> bytes);

// Archive form: the 60 bytes. Reading a short stream raises the archive's
// end-of-file exception.
void WriteLogFont(CArchive& ar, const LOGFONT& lf);
// Reads the 60 bytes WriteLogFont wrote.
LOGFONT ReadLogFont(CArchive& ar);

// QFont -> LOGFONT. The height is written as -(character height in pixels);
// a font given in points is converted at `dpi`. The face name is the family
// in UTF-8, cut at a character boundary to at most 31 bytes. Escapement,
// orientation and width are 0; the character set is DEFAULT_CHARSET.
LOGFONT LogFontFromQFont(const QFont& font, int dpi = 96);

// LOGFONT -> QFont. Negative heights become the pixel size; a positive
// height (cell height) is matched by measuring the face, which needs a
// QGuiApplication (without one the cell height is taken as the pixel size);
// 0 keeps the default size. lfWeight 0 is normal weight. lfWidth, escapement,
// orientation, character set and precisions have no QFont counterpart and are
// ignored. The face name is read as UTF-8, or Latin-1 when it is not valid UTF-8.
QFont QFontFromLogFont(const LOGFONT& lf);

// The shared default font: a copy of the application font, made once on the
// first call while a QGuiApplication exists. Before there is one, a fixed
// fallback (DejaVu Sans, 12 pixels) is answered and nothing is remembered.
// Thread: any thread.
const QFont& GetDefaultGuiFont();

} // namespace Brivel::Platform
