// The declaration aids on a small data object class.

#include "common/field_table.h"

#include "common/data_object.h"

#include "common/integer_formats.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace Brivel::Common {
namespace {

class CSampleObject : public CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()

public:
    std::string GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    int32_t GetValue() const { return m_value; }
    void SetValue(int32_t value) { m_value = value; }
    const std::string& GetLabel() const noexcept { return m_label; }
    OpaqueWord GetHandle() const { return OpaqueWord{0xCAFE}; }
    bool SetFlag(bool flag) noexcept
    {
        m_flag = flag;
        return true;
    }
    bool GetFlag() const { return m_flag; }

private:
    int64_t GetSecret() const { return 42; }

    std::string m_name = "sample";
    int32_t m_value = 5;
    std::string m_label = "label";
    bool m_flag = false;
};

BRIVEL_BEGIN_FIELD_MAP(CSampleObject)
    BRIVEL_FIELD(0, "Name", &CSampleObject::GetName, &CSampleObject::SetName, nullptr)
    BRIVEL_FIELD(1, "Value", &CSampleObject::GetValue, &CSampleObject::SetValue, std::make_unique<CLongFormat>(1))
    BRIVEL_FIELD(2, "Label", &CSampleObject::GetLabel, 0, nullptr)
    BRIVEL_FIELD(3, "Secret", &CSampleObject::GetSecret, nullptr, nullptr)
    BRIVEL_FIELD(4, "Handle", &CSampleObject::GetHandle, 0, nullptr)
    BRIVEL_FIELD(5, "Flag", &CSampleObject::GetFlag, &CSampleObject::SetFlag, nullptr)
BRIVEL_END_FIELD_MAP()

TEST(FieldTable, FillsTheClassMapInTableOrder)
{
    const CFieldMap& map = CSampleObject::GetClassFieldMap();
    ASSERT_EQ(map.GetFieldCount(), 6u);
    for (size_t i = 0; i < map.GetFieldCount(); ++i)
        EXPECT_EQ(map.GetFieldAt(i).GetId(), static_cast<int32_t>(i));
    EXPECT_EQ(&CSampleObject::GetClassFieldMap(), &map); // one map, filled once
}

TEST(FieldTable, GetFieldMapOverrideReturnsTheClassMap)
{
    const CSampleObject object;
    const CDataObject& base = object;
    EXPECT_EQ(base.GetFieldMap(), &CSampleObject::GetClassFieldMap());
}

TEST(FieldTable, KeepsTheMemberReferencesAsWritten)
{
    const CFieldMap& map = CSampleObject::GetClassFieldMap();
    EXPECT_EQ(map.Find(0)->GetGetterName(), "&CSampleObject::GetName");
    EXPECT_EQ(map.Find(0)->GetSetterName(), "&CSampleObject::SetName");
    EXPECT_EQ(map.Find(2)->GetGetterName(), "&CSampleObject::GetLabel");
    EXPECT_EQ(map.Find(2)->GetSetterName(), ""); // "0" means none
    EXPECT_EQ(map.Find(3)->GetSetterName(), "nullptr");
    EXPECT_EQ(map.Find(1)->GetName(), "Value");
}

TEST(FieldTable, KindFollowsFromTheGetter)
{
    const CFieldMap& map = CSampleObject::GetClassFieldMap();
    EXPECT_EQ(map.Find(0)->GetKind(), KindStdString);
    EXPECT_EQ(map.Find(1)->GetKind(), KindLong);
    EXPECT_EQ(map.Find(2)->GetKind(), KindStdString); // returned by const reference
    EXPECT_EQ(map.Find(3)->GetKind(), KindInt64);
    EXPECT_EQ(map.Find(4)->GetKind(), KindOpaque);
    EXPECT_EQ(map.Find(5)->GetKind(), KindBool);
}

TEST(FieldTable, GettersReadTheTargetObject)
{
    CSampleObject object;
    object.SetValue(1234);
    const CFieldMap& map = CSampleObject::GetClassFieldMap();
    EXPECT_EQ(map.Find(1)->GetLongGetter()(object), 1234);
    EXPECT_EQ(map.Find(0)->GetStdStringGetter()(object), "sample");
    EXPECT_EQ(map.Find(2)->GetStdStringGetter()(object), "label");
    EXPECT_EQ(map.Find(3)->GetInt64Getter()(object), 42); // private getters work too
    EXPECT_EQ(map.Find(4)->GetOpaqueGetter()(object), OpaqueWord{0xCAFE});
}

TEST(FieldTable, SettersWriteTheTargetObject)
{
    CSampleObject object;
    const CFieldMap& map = CSampleObject::GetClassFieldMap();
    map.Find(1)->GetLongSetter()(object, -7);
    map.Find(0)->GetStdStringSetter()(object, "renamed");
    map.Find(5)->GetBoolSetter()(object, true);
    EXPECT_EQ(object.GetValue(), -7);
    EXPECT_EQ(object.GetName(), "renamed");
    EXPECT_TRUE(object.GetFlag());
    EXPECT_FALSE(map.Find(2)->HasSetter());
    EXPECT_FALSE(map.Find(3)->HasSetter());
}

TEST(FieldTable, FieldsKeepTheirFormats)
{
    const CFieldMap& map = CSampleObject::GetClassFieldMap();
    ASSERT_NE(map.Find(1)->GetFormat(), nullptr);
    EXPECT_EQ(map.Find(1)->GetFormat()->Format(int32_t{255}), "0xFF");
    EXPECT_EQ(map.Find(0)->GetFormat(), nullptr);
}

} // namespace
} // namespace Brivel::Common
