// CSortInfo: its stored bytes and how loading treats other versions.
#include "gui/header/sort_info.h"

#include "platform/archive.h"

#include <gtest/gtest.h>

namespace Brivel::GUI {
namespace {

using Platform::CArchive;
using Platform::CArchiveException;

TEST(SortInfo, StoresNineBytes)
{
    CArchive ar;
    CSortInfo(1, true).Serialize(ar);
    EXPECT_EQ(ar.GetData(), QByteArray::fromHex("01000000" "01000000" "01"));
}

TEST(SortInfo, LoadsWhatItStored)
{
    CArchive store;
    CSortInfo(-7, false).Serialize(store);
    CSortInfo(0x12345678, true).Serialize(store);

    CArchive load(store.GetData());
    CSortInfo first(3, true);
    CSortInfo second;
    first.Serialize(load);
    second.Serialize(load);
    EXPECT_EQ(first, CSortInfo(-7, false));
    EXPECT_EQ(second, CSortInfo(0x12345678, true));
    EXPECT_EQ(load.GetRemainingForTesting(), 0);
}

TEST(SortInfo, AnyNonZeroFlagByteLoadsAsDescending)
{
    CArchive load(QByteArray::fromHex("01000000" "05000000" "80"));
    CSortInfo info;
    info.Serialize(load);
    EXPECT_EQ(info, CSortInfo(5, true));
}

TEST(SortInfo, VersionZeroReadsFourBytesAndKeepsTheKey)
{
    CArchive load(QByteArray::fromHex("00000000" "09000000" "01"));
    CSortInfo info(4, true);
    info.Serialize(load);
    EXPECT_EQ(info, CSortInfo(4, true));
    EXPECT_EQ(load.GetRemainingForTesting(), 5);
}

TEST(SortInfo, NewerVersionIsABadSchema)
{
    CArchive load(QByteArray::fromHex("02000000" "09000000" "01"));
    CSortInfo info(4, false);
    try {
        info.Serialize(load);
        FAIL() << "version 2 was accepted";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), CArchiveException::kBadSchema);
    }
    EXPECT_EQ(info, CSortInfo(4, false));
}

TEST(SortInfo, TruncatedStreamLeavesTheKeyWhole)
{
    CArchive load(QByteArray::fromHex("01000000" "09000000"));
    CSortInfo info(4, true);
    EXPECT_THROW(info.Serialize(load), CArchiveException);
    EXPECT_EQ(info, CSortInfo(4, true));
}

} // namespace
} // namespace Brivel::GUI
