// Stored settings of every format class: exact layouts, round trips,
// versions and damaged input.

#include "common/format_registry.h"
#include "common/scalar_formats.h"
#include "common/serializer.h"
#include "tests/common/serializer_test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Brivel::Common {
namespace {

using Testing::Bytes;
using Testing::Stored;

void Restore(CFormat& format, const Bytes& bytes)
{
    Testing::RestoreFrom(bytes).ReadFormat(format);
}

TEST(FormatStorage, DefaultLongFormatStoresTwelveBytes)
{
    // version 1, hexadecimal 0, show zero, separator ' ', prefix, no zero-fill
    EXPECT_EQ(Stored(CLongFormat()), (Bytes{1, 0, 0, 0, 0, 0, 0, 0, 1, 32, 1, 0}));
}

TEST(FormatStorage, LayoutsOfTheOtherFamilies)
{
    EXPECT_EQ(Stored(CCharFormat()), (Bytes{1, 0, 0, 0, 2, 0, 0, 0, 1, 1, 1}));
    // precision, show zero, keep trailing zeros, prefix, suffix, separator
    EXPECT_EQ(Stored(CDoubleFormat(4, true, false, '$', '%', '.')), (Bytes{1, 0, 0, 0, 4, 0, 1, '$', '%', '.'}));
    EXPECT_EQ(Stored(CBoolFormat()), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(Stored(CEmptyFormat(KindOpaque)), (Bytes{1, 0, 0, 0})); // the kind is not stored
    EXPECT_EQ(Stored(CDefaultStlStringFormat()), (Bytes{1, 0, 0, 0}));
}

// Every class with settings that differ from its registry instance.
std::vector<std::unique_ptr<CFormat>> NonDefaultFormats()
{
    std::vector<std::unique_ptr<CFormat>> formats;
    formats.push_back(std::make_unique<CCharFormat>(1, false, false, false));
    formats.push_back(std::make_unique<CUCharFormat>(0, false, true, false));
    formats.push_back(std::make_unique<CShortFormat>(1, false, '.', false, false));
    formats.push_back(std::make_unique<CUShortFormat>(1, false, '\0', true, false));
    formats.push_back(std::make_unique<CLongFormat>(1, false, '\'', false, true));
    formats.push_back(std::make_unique<CULongFormat>(1, false, '_', false, true));
    formats.push_back(std::make_unique<CInt64Format>(1, false, ',', false, true));
    formats.push_back(std::make_unique<CFloatFormat>(5, true, false, '<', '>', '\''));
    formats.push_back(std::make_unique<CDoubleFormat>(8, true, false, '[', ']', '_'));
    formats.push_back(std::make_unique<CBoolFormat>());
    formats.push_back(std::make_unique<CEmptyFormat>());
    formats.push_back(std::make_unique<CDefaultStlStringFormat>());
    formats.push_back(std::make_unique<CDefaultMfcStringFormat>());
    return formats;
}

TEST(FormatStorage, EverySettingRoundTripsThroughTheRegistryInstance)
{
    for (const auto& original : NonDefaultFormats()) {
        const std::string name = original->GetTypeName();
        const std::unique_ptr<CFormat> restored = CreateFormat(name);
        ASSERT_NE(restored, nullptr) << name;
        const Bytes bytes = Stored(*original);
        Restore(*restored, bytes);
        EXPECT_EQ(Stored(*restored), bytes) << name;
    }
}

TEST(FormatStorage, RestoredSettingsChangeTheText)
{
    CLongFormat format;
    Restore(format, Stored(CLongFormat(1, true, ' ', true, true)));
    EXPECT_EQ(format.Format(int32_t{255}), "0x000000FF");
    CDoubleFormat real;
    Restore(real, Stored(CDoubleFormat(1, true, true, '\0', 'm', '\0')));
    EXPECT_EQ(real.Format(1234.0), "1234,0m");
}

TEST(FormatStorage, NewerVersionRaisesWithTheClassMessage)
{
    for (const auto& format : NonDefaultFormats()) {
        const std::string className = format->GetClassName();
        try {
            Restore(*format, {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
            ADD_FAILURE() << className << ": nothing raised";
        } catch (const CSerializer::BadVersionException& error) {
            EXPECT_EQ(std::string(error.what()),
                      className + " doesn't support current version and can't be deserialized.");
        }
    }
}

TEST(FormatStorage, DoubleFormatOfVersionTwoNamesItsClass)
{
    CDoubleFormat format;
    try {
        Restore(format, {2, 0, 0, 0});
        FAIL() << "nothing raised";
    } catch (const CSerializer::SerializationException& error) {
        EXPECT_STREQ(error.what(), "CDoubleFormat doesn't support current version and can't be deserialized.");
    }
}

TEST(FormatStorage, VersionZeroOrLessEndsTheRestoreUnchanged)
{
    CLongFormat format(1, false);
    Restore(format, {0, 0, 0, 0, 0, 0, 0, 0, 1, 32, 1, 0});
    EXPECT_TRUE(format.IsHexadecimal());
    Restore(format, {0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_FALSE(format.GetShowZero());
}

TEST(FormatStorage, TruncatedSettingsRaise)
{
    CLongFormat format;
    EXPECT_THROW(Restore(format, {1, 0, 0, 0, 1, 0}), CSerializer::SerializationException);
    CDoubleFormat real;
    EXPECT_THROW(Restore(real, {1, 0, 0, 0, 2, 1, 1}), CSerializer::SerializationException);
}

TEST(FormatStorage, RestoredPrecisionIsClamped)
{
    CDoubleFormat format;
    Restore(format, {1, 0, 0, 0, 200, 1, 0, 0, 0, ' '});
    EXPECT_EQ(format.GetPrecision(), 0); // 200 as a signed byte is negative
    Restore(format, {1, 0, 0, 0, 100, 1, 0, 0, 0, ' '});
    EXPECT_EQ(format.GetPrecision(), 9);
    EXPECT_EQ(format.Format(1.5), "1,5");
}

} // namespace
} // namespace Brivel::Common
