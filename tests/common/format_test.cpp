#include "common/format.h"

#include "common/format_registry.h"
#include "common/scalar_formats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace Brivel::Common {
namespace {

// A format of kind 7 that overrides only the standard-string slots, as a
// format family outside this library would.
class CTaggedLongFormat : public CFormat {
public:
    CTaggedLongFormat() : CFormat(KindLong) {}
    using CFormat::Format;
    using CFormat::Parse;
    std::string Format(int32_t value, const CDataObject*) const override { return "#" + std::to_string(value); }
    bool Parse(const std::string& text, int32_t& value, const CDataObject*) const override
    {
        if (text.empty() || text[0] != '#')
            return false;
        value = std::stoi(text.substr(1));
        return true;
    }
    std::unique_ptr<CFormat> Clone() const override { return std::make_unique<CTaggedLongFormat>(*this); }
};

TEST(CFormatGeneric, FormatsAValueOfItsOwnKind)
{
    const CLongFormat format;
    EXPECT_EQ(format.Format(CFieldValue(int32_t{1234})), "1 234");
    EXPECT_EQ(format.FormatCString(CFieldValue(int32_t{1234})), CString("1 234"));
}

TEST(CFormatGeneric, ValueOfAnotherKindGivesEmptyText)
{
    const CLongFormat format;
    EXPECT_EQ(format.Format(CFieldValue(int64_t{1})), "");
    EXPECT_EQ(format.Format(CFieldValue()), "");
    EXPECT_EQ(format.FormatCString(CFieldValue(std::string("1"))), CString());
}

TEST(CFormatGeneric, ParseIntoAnEmptyValueGivesItTheFormatKind)
{
    CFieldValue value;
    EXPECT_TRUE(CLongFormat().Parse(std::string("42"), value));
    EXPECT_EQ(value.GetKind(), KindLong);
    EXPECT_EQ(value.GetLong(), 42);
}

TEST(CFormatGeneric, ParseReplacesThePayloadOfTheSameKind)
{
    CFieldValue value(int32_t{1});
    EXPECT_TRUE(CLongFormat().Parse(CString("7"), value));
    EXPECT_EQ(value.GetLong(), 7);
}

TEST(CFormatGeneric, ParseLeavesAValueOfAnotherKindButSucceeds)
{
    CFieldValue value(std::string("keep"));
    EXPECT_TRUE(CLongFormat().Parse(std::string("7"), value));
    EXPECT_EQ(value.GetKind(), KindStdString);
    EXPECT_EQ(value.GetStdString(), "keep");
}

TEST(CFormatGeneric, FailedParseLeavesTheValueAlone)
{
    CFieldValue value(int32_t{5});
    EXPECT_FALSE(CLongFormat(1).Parse(std::string("12 34"), value));
    EXPECT_EQ(value.GetLong(), 5);
}

TEST(CFormatBase, FrameworkStringSlotsFollowTheStandardStringOverrides)
{
    const CTaggedLongFormat format;
    EXPECT_EQ(format.FormatCString(int32_t{5}), CString("#5"));
    EXPECT_EQ(format.FormatCString(CFieldValue(int32_t{6})), CString("#6"));
    int32_t value = 0;
    EXPECT_TRUE(format.Parse(CString("#9"), value));
    EXPECT_EQ(value, 9);
    EXPECT_EQ(format.FormatCString(2.0), CString()); // other kinds keep the base behaviour
}

TEST(CFormatBase, DefaultsOfTheIdentitySlots)
{
    const CTaggedLongFormat format;
    EXPECT_FALSE(format.IsDateTime());
    EXPECT_FALSE(format.IsEnumeration());
    EXPECT_FALSE(format.IsSerializable());
    EXPECT_EQ(format.GetTypeName(), "");
    EXPECT_EQ(format.GetClassName(), "CFormat");
    EXPECT_EQ(CLongFormat().GetClassName(), "CLongFormat");
}

TEST(DefaultFormats, OnePerKindWithTheDocumentedSettings)
{
    const struct {
        ValueKind kind;
        const char* typeName;
    } expected[] = {
        {KindCString, "Common::CDefaultMfcStringFormat"}, {KindStdString, "Common::CDefaultStlStringFormat"},
        {KindChar, "Common::CCharFormat"},                {KindUChar, "Common::CUCharFormat"},
        {KindShort, "Common::CShortFormat"},              {KindUShort, "Common::CUShortFormat"},
        {KindLong, "Common::CLongFormat"},                {KindULong, "Common::CULongFormat"},
        {KindInt64, "Common::CInt64Format"},              {KindBool, "Common::CBoolFormat"},
        {KindFloat, "Common::CFloatFormat"},              {KindDouble, "Common::CDoubleFormat"},
        {KindOpaque, "Common::CEmptyFormat"},             {KindNone, "Common::CEmptyFormat"},
    };
    for (const auto& entry : expected) {
        const CFormat& format = GetDefaultFormat(entry.kind);
        EXPECT_EQ(format.GetTypeName(), entry.typeName);
        EXPECT_EQ(format.GetKind(), entry.kind);
        EXPECT_EQ(&format, &GetDefaultFormat(entry.kind)) << "shared instance";
    }
    EXPECT_EQ(GetDefaultFormat(99).GetKind(), KindNone);
    EXPECT_EQ(GetDefaultFormat(-1).GetKind(), KindNone);

    EXPECT_EQ(GetDefaultFormat(KindChar).Format(int8_t{'A'}), "A"); // shows the byte as a character
    EXPECT_EQ(GetDefaultFormat(KindShort).Format(CFieldValue(int16_t{12345})), "12 345");
    EXPECT_EQ(GetDefaultFormat(KindFloat).Format(1.25f), "1,25");
    EXPECT_EQ(GetDefaultFormat(KindDouble).Format(1.2346), "1,235");
    const auto& shortFormat = static_cast<const CShortFormat&>(GetDefaultFormat(KindShort));
    EXPECT_TRUE(shortFormat.GetHexZeroFill());
    const auto& longFormat = static_cast<const CLongFormat&>(GetDefaultFormat(KindLong));
    EXPECT_FALSE(longFormat.GetHexZeroFill());
}

TEST(FormatRegistry, EveryBuiltInClassIsRegisteredWithoutBeingNamed)
{
    const std::vector<std::string> names = GetRegisteredFormatClasses();
    for (const char* name :
         {"Common::CEmptyFormat", "Common::CCharFormat", "Common::CUCharFormat", "Common::CShortFormat",
          "Common::CUShortFormat", "Common::CLongFormat", "Common::CULongFormat", "Common::CInt64Format",
          "Common::CBoolFormat", "Common::CFloatFormat", "Common::CDoubleFormat", "Common::CDefaultStlStringFormat",
          "Common::CDefaultMfcStringFormat"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
        const std::unique_ptr<CFormat> format = CreateFormat(name);
        ASSERT_NE(format, nullptr) << name;
        EXPECT_EQ(format->GetTypeName(), name);
        EXPECT_TRUE(format->IsSerializable());
    }
}

TEST(FormatRegistry, FactoriesMakeTheDocumentedInstances)
{
    const auto longFormat = CreateFormat("Common::CLongFormat");
    const auto& asLong = dynamic_cast<const CLongFormat&>(*longFormat);
    EXPECT_FALSE(asLong.IsHexadecimal());
    EXPECT_TRUE(asLong.GetShowZero());
    EXPECT_EQ(asLong.GetGroupSeparator(), ' ');
    EXPECT_TRUE(asLong.GetHexPrefix());
    EXPECT_FALSE(asLong.GetHexZeroFill());

    const auto charFormat = CreateFormat("Common::CCharFormat");
    EXPECT_EQ(dynamic_cast<const CCharFormat&>(*charFormat).GetMode(), ByteModeCharacter);
    const auto doubleFormat = CreateFormat("Common::CDoubleFormat");
    EXPECT_EQ(dynamic_cast<const CDoubleFormat&>(*doubleFormat).GetPrecision(), 3);
    EXPECT_EQ(CreateFormat("Common::CEmptyFormat")->GetKind(), KindNone);
}

TEST(FormatRegistry, UnknownNameCreatesNothing)
{
    EXPECT_EQ(CreateFormat("Common::CNoSuchFormat"), nullptr);
    EXPECT_EQ(CreateFormat(""), nullptr);
}

std::unique_ptr<CFormat> MakeTagged()
{
    return std::make_unique<CTaggedLongFormat>();
}

TEST(FormatRegistry, FirstRegistrationOfANameStays)
{
    EXPECT_FALSE(RegisterFormatClass("Common::CLongFormat", &MakeTagged));
    EXPECT_NE(dynamic_cast<CLongFormat*>(CreateFormat("Common::CLongFormat").get()), nullptr);
    EXPECT_TRUE(RegisterFormatClass("Test::CTaggedLongFormat", &MakeTagged));
    EXPECT_FALSE(RegisterFormatClass("Test::CTaggedLongFormat", &MakeDefaultFormat<CBoolFormat>));
    EXPECT_NE(dynamic_cast<CTaggedLongFormat*>(CreateFormat("Test::CTaggedLongFormat").get()), nullptr);
    EXPECT_FALSE(RegisterFormatClass("", &MakeTagged));
    EXPECT_FALSE(RegisterFormatClass("Test::Null", nullptr));
}

std::unique_ptr<CFormat> MakeThroughTheRegistry()
{
    return CreateFormat("Common::CBoolFormat"); // re-enters the registry from a factory
}

TEST(FormatRegistry, AFactoryMayUseTheRegistry)
{
    static const CFormatClassRegistrar s_registrar("Test::CReentrantFormat", &MakeThroughTheRegistry);
    EXPECT_TRUE(s_registrar.IsRegistered());
    const auto format = CreateFormat("Test::CReentrantFormat");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->GetKind(), KindBool);
}

TEST(FormatClone, CopiesTheSettings)
{
    const CLongFormat original(1, false, '.', false, true);
    const std::unique_ptr<CFormat> clone = original.Clone();
    const auto& copy = dynamic_cast<const CLongFormat&>(*clone);
    EXPECT_TRUE(copy.IsHexadecimal());
    EXPECT_FALSE(copy.GetShowZero());
    EXPECT_EQ(copy.GetGroupSeparator(), '.');
    EXPECT_EQ(copy.Format(int32_t{255}), "000000FF");
    EXPECT_EQ(CEmptyFormat(KindOpaque).Clone()->GetKind(), KindOpaque);
}

// Shared defaults and the registry are used from every thread that paints or
// loads; the thread sanitizer build checks this for races.
TEST(FormatSharing, DefaultsAndRegistryServeSeveralThreadsAtOnce)
{
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&mismatches, t] {
            for (int i = 0; i < 2000; ++i) {
                if (GetDefaultFormat(KindLong).Format(int32_t{1234567}) != "1 234 567")
                    ++mismatches;
                if (i % 50 == 0) {
                    const auto format = CreateFormat("Common::CDoubleFormat");
                    if (!format || format->Format(2.5) != "2,5")
                        ++mismatches;
                    RegisterFormatClass("Test::CSharedName" + std::to_string(t), &MakeTagged);
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

} // namespace
} // namespace Brivel::Common
