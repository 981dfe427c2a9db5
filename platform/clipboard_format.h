#pragma once
// Clipboard formats by number, as the copy code speaks of them, mapped onto the
// MIME types of QClipboard / QMimeData.
//
// - CF_TEXT (1) is plain text, MIME type "text/plain", UTF-8 on this platform.
// - CF_HTML (0xBFFF, just below the registered range) is an HTML fragment,
//   MIME type "text/html", UTF-8; spreadsheets take a table from it.
// - A named format gets a process-wide number from RegisterClipboardFormat,
//   from kFirstRegisteredClipboardFormat up, the same number for the same name
//   (names compare case-insensitively, as MIME types do), and the MIME type
//   "application/x-brivel-<name>". Characters a MIME type cannot carry (anything
//   but letters, digits and ! # $ & - _ . +) are written as ^ and two hex
//   digits, ^ itself included, so that distinct names keep distinct types.
//
// Thread: any thread (the registry takes its own lock); the QMimeData helpers
// touch only the object they are given.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

class QMimeData;

namespace Brivel::Platform {

inline constexpr uint32_t CF_TEXT = 1; // plain text (see above)
inline constexpr uint32_t CF_HTML = 0xBFFF; // an HTML fragment (see above)
// Registered formats take numbers in this range, above every standard format.
inline constexpr uint32_t kFirstRegisteredClipboardFormat = 0xC000;
inline constexpr uint32_t kLastRegisteredClipboardFormat = 0xFFFF;
inline constexpr size_t kMaxClipboardFormatNameLength = 255;

// The format's number; 0 for an empty or overlong name, or when the range is
// used up.
uint32_t RegisterClipboardFormat(std::string_view name);

// The MIME type of a format number; empty for a number that is neither CF_TEXT
// nor registered.
QString GetClipboardFormatMimeType(uint32_t format);

// The name a format was first registered under; empty for CF_TEXT and unknown
// numbers.
std::string GetClipboardFormatName(uint32_t format);

// The format number of a MIME type (compared case-insensitively); 0 when it is
// none of ours.
uint32_t GetClipboardFormatFromMimeType(const QString& mimeType);

// Puts bytes on mime data under a format's MIME type; false for an unknown
// format. CF_TEXT and CF_HTML bytes may end in the zero byte the copy code counts in its
// size: it is not part of the text and is dropped.
bool SetClipboardFormatData(QMimeData& mimeData, uint32_t format, const QByteArray& bytes);

// The bytes of a format on mime data; empty when absent or unknown.
QByteArray GetClipboardFormatData(const QMimeData& mimeData, uint32_t format);

} // namespace Brivel::Platform
