#include "common/cstring.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace Brivel::Common {
namespace {

TEST(CString, CopySharesTheBufferAndWriteUnshares)
{
    CString original("shared text");
    CString copy = original;
    EXPECT_TRUE(copy.SharesBufferWithForTesting(original));

    copy.SetAt(0, 'S');
    EXPECT_FALSE(copy.SharesBufferWithForTesting(original));
    EXPECT_EQ(original.View(), "shared text");
    EXPECT_EQ(copy.View(), "Shared text");
}

TEST(CString, AppendThroughASharedCopyLeavesTheOtherIntact)
{
    CString a("abc");
    CString b = a;
    b += "def";
    EXPECT_EQ(a.View(), "abc");
    EXPECT_EQ(b.View(), "abcdef");
}

TEST(CString, AppendingItselfDoublesTheText)
{
    CString text("ab");
    text += text;
    text += text;
    EXPECT_EQ(text.View(), "abababab");
}

TEST(CString, EmptyStringHoldsNoBufferAndReadsAsEmptyText)
{
    CString empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_STREQ(empty.GetString(), "");
    EXPECT_EQ(empty.GetAt(5), '\0');
    EXPECT_EQ(CString(static_cast<const char*>(nullptr)).GetLength(), 0u);
    EXPECT_FALSE(empty.SharesBufferWithForTesting(CString()));
}

TEST(CString, KeepsEmbeddedZeroBytes)
{
    const std::string bytes("a\0b", 3);
    CString text(bytes);
    EXPECT_EQ(text.GetLength(), 3u);
    EXPECT_EQ(text.ToStdString(), bytes);
}

TEST(CString, ComparesBytesAsUnsignedWithAPrefixFirst)
{
    EXPECT_LT(CString("a"), CString("\xff"));
    EXPECT_LT(CString("ab"), CString("abc"));
    EXPECT_GT(CString("b"), CString("abc"));
    EXPECT_EQ(CString("x"), CString("x"));
    EXPECT_EQ(CString(), CString(""));
}

TEST(CString, ConvertsBothWaysByteForByte)
{
    const std::string source = "caf\xc3\xa9";
    const CString converted(source);
    EXPECT_EQ(static_cast<std::string>(converted), source);
    EXPECT_EQ(converted.GetLength(), source.size());
}

TEST(CString, GetBufferGivesAnUnsharedBufferOfTheRequestedSize)
{
    CString original("abc");
    CString copy = original;
    char* buffer = copy.GetBuffer(10);
    buffer[3] = 'd';
    buffer[4] = '\0';
    copy.ReleaseBuffer();
    EXPECT_EQ(copy.View(), "abcd");
    EXPECT_EQ(original.View(), "abc");

    copy.GetBuffer(0);
    copy.ReleaseBuffer(2);
    EXPECT_EQ(copy.View(), "ab");
}

// The count is shared between threads that copy and drop the same text; the
// sanitizer builds check that the buffer is freed once and never early.
TEST(CString, CopiesMayBeUsedOnSeveralThreadsAtOnce)
{
    const CString shared("text shared by every thread");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([shared] {
            for (int i = 0; i < 20000; ++i) {
                CString copy = shared;
                CString another = copy;
                if (i % 100 == 0)
                    another += "!";
                EXPECT_EQ(copy.GetLength(), shared.GetLength());
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(shared.View(), "text shared by every thread");
}

} // namespace
} // namespace Brivel::Common
