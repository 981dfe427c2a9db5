#include "common/format_envelope.h"

#include "common/scalar_formats.h"
#include "common/serializer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace Brivel::Common {
namespace {

using Bytes = std::vector<uint8_t>;

// An owner's archive stand-in: a serializer has the writer and reader
// interface the envelope needs.
class FormatEnvelopeTest : public ::testing::Test {
protected:
    Bytes Write(const CFormat* format, int32_t trailer = 0x5EED)
    {
        CSerializer archive(CSerializer::Mode::Store);
        WriteFormatEnvelope(archive, format);
        archive.WriteInt32(trailer); // whatever the owner stores next
        return archive.GetData();
    }

    // Reads the envelope, then checks the owner's next item is still in step.
    std::unique_ptr<CFormat> Read(const Bytes& bytes, int32_t trailer = 0x5EED)
    {
        CSerializer archive(CSerializer::Mode::Restore);
        archive.SetData(bytes);
        std::unique_ptr<CFormat> format = ReadFormatEnvelope(archive);
        EXPECT_EQ(archive.ReadInt32(), trailer);
        return format;
    }
};

TEST_F(FormatEnvelopeTest, StoresFlagNameCountAndSettings)
{
    const Bytes bytes = Write(std::make_unique<CLongFormat>().get());
    const std::string name = "Common::CLongFormat";
    Bytes expected = {1, static_cast<uint8_t>(name.size()), 0, 0, 0};
    expected.insert(expected.end(), name.begin(), name.end());
    expected.push_back(0);
    const Bytes settings = {12, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 32, 1, 0};
    expected.insert(expected.end(), settings.begin(), settings.end());
    expected.insert(expected.end(), {0xED, 0x5E, 0, 0});
    EXPECT_EQ(bytes, expected);
}

TEST_F(FormatEnvelopeTest, RoundTripRecreatesTheFormatWithItsSettings)
{
    const CDoubleFormat original(5, true, false, '$', '\0', '.');
    const std::unique_ptr<CFormat> restored = Read(Write(&original));
    const auto* asDouble = dynamic_cast<const CDoubleFormat*>(restored.get());
    ASSERT_NE(asDouble, nullptr);
    EXPECT_EQ(asDouble->GetPrecision(), 5);
    EXPECT_EQ(asDouble->Format(1234.5), "$1.234,50000");
}

TEST_F(FormatEnvelopeTest, NoFormatOrAnUnserializableOneWritesTheFlagAlone)
{
    EXPECT_EQ(Write(nullptr), (Bytes{0, 0xED, 0x5E, 0, 0}));
    EXPECT_EQ(Read(Write(nullptr)), nullptr);
    EXPECT_EQ(SaveFormatState(nullptr), std::nullopt);
}

TEST_F(FormatEnvelopeTest, UnregisteredNameIsConsumedAndSkipped)
{
    CSerializer archive(CSerializer::Mode::Store);
    archive.WriteUInt8(1);
    archive.WriteCString(CString("Plugin::CGoneFormat"));
    archive.WriteInt32(3);
    archive.WriteBytes("\x01\x02\x03", 3);
    archive.WriteInt32(0x5EED);
    EXPECT_EQ(Read(archive.GetData()), nullptr);
}

TEST_F(FormatEnvelopeTest, EmptySettingsLeaveTheFactoryInstance)
{
    CSerializer archive(CSerializer::Mode::Store);
    archive.WriteUInt8(1);
    archive.WriteCString(CString("Common::CCharFormat"));
    archive.WriteInt32(-4); // a negative count reads as none
    archive.WriteInt32(0x5EED);
    const std::unique_ptr<CFormat> format = Read(archive.GetData());
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(dynamic_cast<const CCharFormat&>(*format).GetMode(), ByteModeCharacter);
}

TEST_F(FormatEnvelopeTest, HugeCorruptCountFailsOnTheMissingBytes)
{
    CSerializer archive(CSerializer::Mode::Store);
    archive.WriteUInt8(1);
    archive.WriteCString(CString("Common::CLongFormat"));
    archive.WriteInt32(0x7FFFFFFF);
    archive.WriteInt32(1);
    CSerializer reader(CSerializer::Mode::Restore);
    reader.SetData(archive.GetData());
    EXPECT_THROW(ReadFormatEnvelope(reader), CSerializer::SerializationException);
}

TEST_F(FormatEnvelopeTest, NewerSettingsRaiseBadVersion)
{
    CSerializer archive(CSerializer::Mode::Store);
    archive.WriteUInt8(1);
    archive.WriteCString(CString("Common::CDoubleFormat"));
    archive.WriteInt32(4);
    archive.WriteInt32(2);
    CSerializer reader(CSerializer::Mode::Restore);
    reader.SetData(archive.GetData());
    EXPECT_THROW(ReadFormatEnvelope(reader), CSerializer::BadVersionException);
}

TEST(FormatState, PairLayerRoundTrips)
{
    const CULongFormat original(1, false, ' ', false, true);
    const std::optional<CFormatState> state = SaveFormatState(&original);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->typeName, "Common::CULongFormat");
    const std::unique_ptr<CFormat> restored = LoadFormatState(state->typeName, state->bytes);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->Format(uint32_t{255}), "000000FF");
    EXPECT_EQ(LoadFormatState("Nowhere::CFormat", state->bytes), nullptr);
}

} // namespace
} // namespace Brivel::Common
