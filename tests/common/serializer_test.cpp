#include "common/serializer.h"

#include "common/field_value.h"
#include "tests/common/serializer_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Brivel::Common {
namespace {

using Testing::Bytes;
using Testing::RestoreFrom;

// Runs body and returns the message of the SerializationException it raises.
template <class Body>
std::string MessageOf(Body&& body)
{
    try {
        body();
    } catch (const CSerializer::SerializationException& error) {
        return error.what();
    }
    return "(nothing raised)";
}

TEST(CSerializer, WritesLittleEndianNumbersInTheirWidths)
{
    CSerializer serializer(CSerializer::Mode::Store);
    serializer.WriteInt8(-2);
    serializer.WriteInt16(0x1234);
    serializer.WriteInt32(0x01020304);
    serializer.WriteInt64(-1);
    serializer.WriteBool(true);
    serializer.WriteDouble(1.0);
    const Bytes expected = {0xFE, 0x34, 0x12, 0x04, 0x03, 0x02, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                            0xFF, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F};
    EXPECT_EQ(serializer.GetData(), expected);
    EXPECT_EQ(serializer.GetSize(), expected.size());
}

TEST(CSerializer, EmptyTextIsItsLengthAlone)
{
    CSerializer serializer(CSerializer::Mode::Store);
    serializer.WriteString("");
    EXPECT_EQ(serializer.GetData(), (Bytes{0, 0, 0, 0}));
}

TEST(CSerializer, TextIsLengthBytesAndATerminatingZero)
{
    CSerializer serializer(CSerializer::Mode::Store);
    serializer.WriteString("ab");
    EXPECT_EQ(serializer.GetData(), (Bytes{2, 0, 0, 0, 'a', 'b', 0}));
}

TEST(CSerializer, ReadsBackWhatItWrote)
{
    CSerializer store(CSerializer::Mode::Store);
    store.WriteUInt8(200);
    store.WriteInt16(-300);
    store.WriteUInt32(4000000000u);
    store.WriteInt64(-5);
    store.WriteFloat(2.5f);
    store.WriteDouble(-0.125);
    store.WriteString("standard");
    store.WriteCString(CString("framework"));
    store.WriteBool(false);

    CSerializer restore = RestoreFrom(store.GetData());
    EXPECT_EQ(restore.ReadUInt8(), 200);
    EXPECT_EQ(restore.ReadInt16(), -300);
    EXPECT_EQ(restore.ReadUInt32(), 4000000000u);
    EXPECT_EQ(restore.ReadInt64(), -5);
    EXPECT_EQ(restore.ReadFloat(), 2.5f);
    EXPECT_EQ(restore.ReadDouble(), -0.125);
    EXPECT_EQ(restore.ReadString(), "standard");
    EXPECT_EQ(restore.ReadCString(), CString("framework"));
    EXPECT_FALSE(restore.ReadBool());
    EXPECT_EQ(restore.GetRemaining(), 0u);
}

TEST(CSerializer, AnyNonZeroByteReadsAsTrue)
{
    CSerializer restore = RestoreFrom({7});
    EXPECT_TRUE(restore.ReadBool());
}

TEST(CSerializer, TextEndsAtTheFirstZeroByte)
{
    CSerializer restore = RestoreFrom({4, 0, 0, 0, 'a', 0, 'c', 'd', 0, 'z'});
    EXPECT_EQ(restore.ReadString(), "a");
    EXPECT_EQ(restore.GetRemaining(), 1u); // all L + 1 bytes were consumed
}

TEST(CSerializer, TextWithoutTerminatorStopsAtItsLength)
{
    CSerializer restore = RestoreFrom({2, 0, 0, 0, 'a', 'b', 'c'});
    EXPECT_EQ(restore.ReadString(), "ab");
}

TEST(CSerializer, ZeroOrNegativeLengthIsTheEmptyText)
{
    CSerializer restore = RestoreFrom({0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(restore.ReadString(), "");
    EXPECT_EQ(restore.ReadCString(), CString());
}

TEST(CSerializer, ReadingPastTheEndRaisesNotEnoughSpace)
{
    CSerializer restore = RestoreFrom({1, 2, 3});
    EXPECT_EQ(MessageOf([&] { restore.ReadInt32(); }), "Not enough space to restore the value");
    EXPECT_EQ(restore.GetRemaining(), 3u); // nothing consumed by the failed read
}

TEST(CSerializer, AskingForNoBytesRaisesNotEnoughSpace)
{
    CSerializer restore = RestoreFrom({1});
    uint8_t byte = 0;
    EXPECT_EQ(MessageOf([&] { restore.ReadBytes(&byte, 0); }), "Not enough space to restore the value");
    EXPECT_EQ(MessageOf([&] { restore.ReadBytes(nullptr, 1); }), "Not enough space to restore the value");
}

TEST(CSerializer, CorruptTextLengthFailsWithoutAllocatingIt)
{
    // A length of 2^31 - 1 with three bytes behind it: refused up front.
    CSerializer restore = RestoreFrom({0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b', 'c'});
    EXPECT_EQ(MessageOf([&] { restore.ReadString(); }), "Not enough space to restore the value");
}

TEST(CSerializer, StoreOperationsOnARestoreStreamRaise)
{
    CSerializer restore(CSerializer::Mode::Restore);
    const std::string expected = "Serializer was opened for restore operations";
    EXPECT_EQ(MessageOf([&] { restore.WriteInt32(1); }), expected);
    EXPECT_EQ(MessageOf([&] { restore.WriteString("x"); }), expected);
    EXPECT_EQ(MessageOf([&] { restore.WriteBytes("x", 1); }), expected);
    EXPECT_EQ(MessageOf([&] { restore.WriteFieldValue(CFieldValue(int32_t{1})); }), expected);
    EXPECT_EQ(MessageOf([&] { restore.GetData(); }), "Serializer was opened for the restore operation");
}

TEST(CSerializer, RestoreOperationsOnAStoreStreamRaise)
{
    CSerializer store(CSerializer::Mode::Store);
    const std::string expected = "Serializer was opened for store operations";
    EXPECT_EQ(MessageOf([&] { store.ReadInt8(); }), expected);
    EXPECT_EQ(MessageOf([&] { store.ReadString(); }), expected);
    EXPECT_EQ(MessageOf([&] { store.ReadFieldValue(); }), expected);
    const uint8_t byte = 1;
    EXPECT_EQ(MessageOf([&] { store.SetData(&byte, 1); }), "Serializer was opened for the store operation");
}

TEST(CSerializer, EmptyWritesAndSetDataChangeNothing)
{
    CSerializer store(CSerializer::Mode::Store);
    store.WriteBytes(nullptr, 4);
    store.WriteBytes("abc", 0);
    store.WriteBytes("abc", -1);
    EXPECT_EQ(store.GetSize(), 0u);
    EXPECT_EQ(store.GetData(nullptr), 0u);

    CSerializer restore = RestoreFrom({9});
    restore.SetData(nullptr, 3);
    restore.SetData("x", 0);
    EXPECT_EQ(restore.ReadUInt8(), 9);
}

TEST(CSerializer, GetDataCopiesTheWholeBuffer)
{
    CSerializer store(CSerializer::Mode::Store);
    store.WriteInt16(0x0201);
    uint8_t out[2] = {};
    EXPECT_EQ(store.GetData(out), 2u);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 2);
}

TEST(CSerializer, ReadVersionRefusesNewerVersionsWithTheClassMessage)
{
    CSerializer restore = RestoreFrom({2, 0, 0, 0});
    try {
        restore.ReadVersion("CSample");
        FAIL() << "no exception";
    } catch (const CSerializer::BadVersionException& error) {
        EXPECT_STREQ(error.what(), "CSample doesn't support current version and can't be deserialized.");
    }
}

TEST(CSerializer, ExceptionsDeriveFromCommonException)
{
    CSerializer restore(CSerializer::Mode::Restore);
    EXPECT_THROW(restore.ReadInt8(), CommonException);
    EXPECT_THROW(restore.ReadInt8(), std::exception);
    const CSerializer::BadVersionException badVersion("CX");
    const CSerializer::SerializationException& asBase = badVersion;
    EXPECT_STREQ(asBase.what(), "CX doesn't support current version and can't be deserialized.");
}

} // namespace
} // namespace Brivel::Common
