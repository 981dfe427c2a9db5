#include "platform/clipboard_format.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <set>
#include <thread>
#include <vector>

namespace Brivel::Platform {
namespace {

TEST(ClipboardFormatTest, NamedFormatsGetStableNumbersAboveTheStandardOnes)
{
    std::vector<uint32_t> byThread(6);
    std::vector<std::thread> threads;
    for (uint32_t& number : byThread)
        threads.emplace_back([&number] { number = RegisterClipboardFormat("Brivel.LocalDataFormat"); });
    for (std::thread& t : threads)
        t.join();
    const uint32_t local = byThread.front();
    EXPECT_EQ(std::set<uint32_t>(byThread.begin(), byThread.end()).size(), 1u);
    EXPECT_GE(local, kFirstRegisteredClipboardFormat);
    EXPECT_EQ(RegisterClipboardFormat("brivel.localdataformat"), local) << "names ignore case";

    const uint32_t remote = RegisterClipboardFormat("Brivel.RemoteDataFormat");
    EXPECT_NE(remote, local);
    EXPECT_EQ(GetClipboardFormatName(local), "Brivel.LocalDataFormat");
    EXPECT_EQ(GetClipboardFormatMimeType(local), "application/x-brivel-Brivel.LocalDataFormat");
    EXPECT_EQ(GetClipboardFormatFromMimeType("Application/X-Brivel-Brivel.LocalDataFormat"), local);
}

TEST(ClipboardFormatTest, TextIsPlainTextAndUnknownNumbersMapToNothing)
{
    EXPECT_EQ(GetClipboardFormatMimeType(CF_TEXT), "text/plain");
    EXPECT_EQ(GetClipboardFormatFromMimeType("text/plain"), CF_TEXT);
    EXPECT_EQ(GetClipboardFormatName(CF_TEXT), "");
    EXPECT_EQ(GetClipboardFormatMimeType(0), "");
    EXPECT_EQ(GetClipboardFormatMimeType(2), "");
    EXPECT_EQ(GetClipboardFormatMimeType(kLastRegisteredClipboardFormat), "");
    EXPECT_EQ(GetClipboardFormatFromMimeType("image/png"), 0u);
    EXPECT_EQ(RegisterClipboardFormat(""), 0u);
    EXPECT_EQ(RegisterClipboardFormat(std::string(kMaxClipboardFormatNameLength + 1, 'n')), 0u);
}

TEST(ClipboardFormatTest, NamesAMimeTypeCannotCarryAreEscapedWithoutCollisions)
{
    const uint32_t spaced = RegisterClipboardFormat("Rich Text/1");
    const uint32_t escapedLookalike = RegisterClipboardFormat("Rich^20Text^2F1");
    ASSERT_NE(spaced, 0u);
    EXPECT_NE(spaced, escapedLookalike);
    EXPECT_EQ(GetClipboardFormatMimeType(spaced), "application/x-brivel-Rich^20Text^2F1");
    EXPECT_EQ(GetClipboardFormatMimeType(escapedLookalike), "application/x-brivel-Rich^5E20Text^5E2F1");
    EXPECT_EQ(GetClipboardFormatFromMimeType(GetClipboardFormatMimeType(spaced)), spaced);
    EXPECT_EQ(GetClipboardFormatFromMimeType(GetClipboardFormatMimeType(escapedLookalike)), escapedLookalike);
}

TEST(ClipboardFormatTest, FormatsTravelThroughTheClipboard)
{
    const uint32_t local = RegisterClipboardFormat("Brivel.LocalDataFormat");
    auto mime = std::make_unique<QMimeData>();
    const QByteArray text("a\tb\r\nc", 6);
    ASSERT_TRUE(SetClipboardFormatData(*mime, CF_TEXT, text + '\0'));
    ASSERT_TRUE(SetClipboardFormatData(*mime, local, QByteArray("\x01\x00\x00\x00", 4)));
    EXPECT_FALSE(SetClipboardFormatData(*mime, 0x1234, "x"));

    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(mime.release()); // the clipboard owns it now
    const QMimeData* back = clipboard->mimeData();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->text(), QString::fromLatin1(text)) << "the terminating zero is not text";
    EXPECT_EQ(GetClipboardFormatData(*back, CF_TEXT), text);
    EXPECT_EQ(GetClipboardFormatData(*back, local), QByteArray("\x01\x00\x00\x00", 4));
    EXPECT_TRUE(GetClipboardFormatData(*back, 0x1234).isEmpty());
    clipboard->clear();
}

} // namespace
} // namespace Brivel::Platform
