#include "platform/clipboard_format.h"

#include <QMimeData>

#include <map>
#include <mutex>
#include <vector>

namespace Brivel::Platform {

namespace {

constexpr std::string_view kTextMimeType = "text/plain";
constexpr std::string_view kHtmlMimeType = "text/html";
constexpr std::string_view kMimePrefix = "application/x-brivel-";

std::string FoldCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

bool IsMimeNameChar(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '!': case '#': case '$': case '&': case '-': case '_': case '.': case '+':
        return true;
    default:
        return false;
    }
}

std::string MimeTypeFor(std::string_view name)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string mime(kMimePrefix);
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsMimeNameChar(c)) {
            mime += ch;
        } else {
            mime += '^';
            mime += kHex[c >> 4];
            mime += kHex[c & 0xF];
        }
    }
    return mime;
}

struct CFormatRegistry {
    struct Format {
        std::string name;     // as first registered
        std::string mimeType; // its MIME type (exact spelling)
    };

    std::mutex mutex;
    std::map<std::string, uint32_t, std::less<>> byFoldedName; // Guarded by mutex.
    std::map<std::string, uint32_t, std::less<>> byFoldedMime; // Guarded by mutex.
    std::vector<Format> formats; // Guarded by mutex. Index = number - first registered.

    static CFormatRegistry& Instance()
    {
        static CFormatRegistry registry;
        return registry;
    }

    // Requires mutex; null for numbers outside the registered range.
    const Format* FindLocked(uint32_t format) const
    {
        if (format < kFirstRegisteredClipboardFormat || format - kFirstRegisteredClipboardFormat >= formats.size())
            return nullptr;
        return &formats[format - kFirstRegisteredClipboardFormat];
    }
};

} // namespace

uint32_t RegisterClipboardFormat(std::string_view name)
{
    if (name.empty() || name.size() > kMaxClipboardFormatNameLength)
        return 0;
    CFormatRegistry& registry = CFormatRegistry::Instance();
    std::string folded = FoldCase(name);
    std::lock_guard lock(registry.mutex);
    if (const auto it = registry.byFoldedName.find(folded); it != registry.byFoldedName.end())
        return it->second;
    constexpr size_t kCapacity = kLastRegisteredClipboardFormat - kFirstRegisteredClipboardFormat + 1;
    if (registry.formats.size() >= kCapacity)
        return 0;
    const auto format = static_cast<uint32_t>(kFirstRegisteredClipboardFormat + registry.formats.size());
    std::string mimeType = MimeTypeFor(name);
    registry.byFoldedMime.emplace(FoldCase(mimeType), format);
    registry.byFoldedName.emplace(std::move(folded), format);
    registry.formats.push_back({std::string(name), std::move(mimeType)});
    return format;
}

QString GetClipboardFormatMimeType(uint32_t format)
{
    if (format == CF_TEXT)
        return QString::fromLatin1(kTextMimeType.data(), static_cast<qsizetype>(kTextMimeType.size()));
    if (format == CF_HTML)
        return QString::fromLatin1(kHtmlMimeType.data(), static_cast<qsizetype>(kHtmlMimeType.size()));
    CFormatRegistry& registry = CFormatRegistry::Instance();
    std::lock_guard lock(registry.mutex);
    const CFormatRegistry::Format* entry = registry.FindLocked(format);
    return entry ? QString::fromLatin1(entry->mimeType.data(), static_cast<qsizetype>(entry->mimeType.size()))
                 : QString();
}

std::string GetClipboardFormatName(uint32_t format)
{
    CFormatRegistry& registry = CFormatRegistry::Instance();
    std::lock_guard lock(registry.mutex);
    const CFormatRegistry::Format* entry = registry.FindLocked(format);
    return entry ? entry->name : std::string();
}

uint32_t GetClipboardFormatFromMimeType(const QString& mimeType)
{
    const QByteArray latin1 = mimeType.toLatin1();
    const std::string folded = FoldCase(std::string_view(latin1.constData(), static_cast<size_t>(latin1.size())));
    if (folded == kTextMimeType)
        return CF_TEXT;
    if (folded == kHtmlMimeType)
        return CF_HTML;
    CFormatRegistry& registry = CFormatRegistry::Instance();
    std::lock_guard lock(registry.mutex);
    const auto it = registry.byFoldedMime.find(folded);
    return it != registry.byFoldedMime.end() ? it->second : 0;
}

bool SetClipboardFormatData(QMimeData& mimeData, uint32_t format, const QByteArray& bytes)
{
    const QString mimeType = GetClipboardFormatMimeType(format);
    if (mimeType.isEmpty())
        return false;
    if ((format == CF_TEXT || format == CF_HTML) && bytes.endsWith('\0'))
        mimeData.setData(mimeType, bytes.left(bytes.size() - 1));
    else
        mimeData.setData(mimeType, bytes);
    return true;
}

QByteArray GetClipboardFormatData(const QMimeData& mimeData, uint32_t format)
{
    const QString mimeType = GetClipboardFormatMimeType(format);
    return mimeType.isEmpty() ? QByteArray() : mimeData.data(mimeType);
}

} // namespace Brivel::Platform
