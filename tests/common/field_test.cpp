#include "common/field.h"

#include "common/integer_formats.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Brivel::Common {
namespace {

// Getters and setters as the declaration aids generate them; these never
// look at the target, so a null reference stand-in is never formed.
int32_t ReadSeven(const CDataObject&)
{
    return 7;
}

void WriteNothing(CDataObject&, int32_t) {}

std::string ReadText(const CDataObject&)
{
    return "text";
}

TEST(CField, ConstructorKeepsTheTextsAsWritten)
{
    const CField field(3, "Value 1", &ReadSeven, &WriteNothing, nullptr, "&CTest::GetValue1", "&CTest::SetValue1");
    EXPECT_EQ(field.GetId(), 3);
    EXPECT_EQ(field.GetName(), "Value 1");
    EXPECT_EQ(field.GetKind(), KindLong);
    EXPECT_EQ(field.GetGetterName(), "&CTest::GetValue1");
    EXPECT_EQ(field.GetSetterName(), "&CTest::SetValue1");
    EXPECT_TRUE(field.HasGetter());
    EXPECT_TRUE(field.HasSetter());
}

TEST(CField, TextsThatAreMissingEmptyOrStartWithZeroStayEmpty)
{
    const CField zero(1, "0 items", &ReadSeven, nullptr, nullptr, "&CTest::GetValue1", "0");
    EXPECT_EQ(zero.GetName(), "");
    EXPECT_EQ(zero.GetSetterName(), "");
    EXPECT_FALSE(zero.HasSetter());
    const CField empty(1, "", &ReadSeven, nullptr, nullptr, nullptr, "");
    EXPECT_EQ(empty.GetName(), "");
    EXPECT_EQ(empty.GetGetterName(), "");
    EXPECT_EQ(empty.GetSetterName(), "");
}

TEST(CField, TheGetterTypeChoosesTheKind)
{
    EXPECT_EQ(CField(0, "n", &ReadText, nullptr).GetKind(), KindStdString);
    EXPECT_EQ(CField(0, "n", FieldGetter<double>{}, nullptr).GetKind(), KindDouble);
    EXPECT_EQ(CField(0, "n", FieldGetter<OpaqueWord>{}, nullptr).GetKind(), KindOpaque);
    EXPECT_EQ(CField(0, "n", FieldGetter<CString>{}, nullptr).GetKind(), KindCString);
    EXPECT_FALSE(CField(0, "n", FieldGetter<double>{}, nullptr).HasGetter());
}

TEST(CField, TypedAccessorsAnswerOnlyForTheFieldKind)
{
    const CField field(0, "n", &ReadSeven, &WriteNothing);
    EXPECT_EQ(field.GetLongGetter(), &ReadSeven);
    EXPECT_EQ(field.GetLongSetter(), &WriteNothing);
    EXPECT_EQ(field.GetULongGetter(), nullptr);
    EXPECT_EQ(field.GetInt64Getter(), nullptr);
    EXPECT_EQ(field.GetGetter<std::string>(), nullptr);
    EXPECT_EQ(field.GetStdStringSetter(), nullptr);
}

TEST(CField, CopyOwnsItsOwnFormat)
{
    auto original = std::make_unique<CField>(2, "Hex", &ReadSeven, nullptr, std::make_unique<CLongFormat>(1),
                                             "&CTest::GetHex", "0");
    const CField copy(*original);
    ASSERT_NE(copy.GetFormat(), nullptr);
    EXPECT_NE(copy.GetFormat(), original->GetFormat());
    original.reset(); // deleting the first field leaves the copy's format intact
    EXPECT_EQ(copy.GetFormat()->Format(int32_t{255}), "0xFF");
    EXPECT_EQ(copy.GetId(), 2);
    EXPECT_EQ(copy.GetGetterName(), "&CTest::GetHex");
    EXPECT_EQ(copy.GetLongGetter(), &ReadSeven);
}

TEST(CField, AssignmentReplacesTheFormatAndSelfAssignmentKeepsIt)
{
    CField target(9, "Target", &ReadText, nullptr, std::make_unique<CLongFormat>());
    const CField source(4, "Source", &ReadSeven, &WriteNothing);
    target = source;
    EXPECT_EQ(target.GetId(), 4);
    EXPECT_EQ(target.GetKind(), KindLong);
    EXPECT_EQ(target.GetFormat(), nullptr);
    EXPECT_EQ(target.GetLongSetter(), &WriteNothing);

    CField withFormat(1, "F", &ReadSeven, nullptr, std::make_unique<CLongFormat>(1));
    const CFormat* format = withFormat.GetFormat();
    CField& alias = withFormat;
    withFormat = alias;
    EXPECT_EQ(withFormat.GetFormat(), format);
}

TEST(CField, CloneIsACopy)
{
    const CField field(5, "Name", &ReadText, nullptr, nullptr, "&CTest::GetName", "0");
    const std::unique_ptr<CField> clone = field.Clone();
    EXPECT_EQ(clone->GetId(), 5);
    EXPECT_EQ(clone->GetName(), "Name");
    EXPECT_EQ(clone->GetStdStringGetter(), &ReadText);
}

TEST(CField, EffectiveFormatFallsBackToTheKindDefault)
{
    const CField plain(0, "n", &ReadSeven, nullptr);
    EXPECT_EQ(&plain.GetEffectiveFormat(), &GetDefaultFormat(KindLong));
    const CField own(0, "n", &ReadSeven, nullptr, std::make_unique<CLongFormat>(1));
    EXPECT_EQ(&own.GetEffectiveFormat(), own.GetFormat());
}

TEST(CField, DescriptionHasAKindButNoCallables)
{
    const auto field = CField::CreateDescription(8, "Imported", KindDouble);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->GetKind(), KindDouble);
    EXPECT_FALSE(field->HasGetter());
    EXPECT_FALSE(field->HasSetter());
    EXPECT_EQ(CField::CreateDescription(8, "None", KindNone), nullptr);
    EXPECT_EQ(CField::CreateDescription(8, "Unknown", 14), nullptr);
}

} // namespace
} // namespace Brivel::Common
