#include "common/field_map.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace Brivel::Common {
namespace {

int32_t ReadZero(const CDataObject&)
{
    return 0;
}

std::unique_ptr<CField> MakeField(int32_t id, const char* name = "Field")
{
    return std::make_unique<CField>(id, name, &ReadZero, nullptr);
}

class CFieldMapTest : public ::testing::Test {
protected:
    CFieldMap m_map;
};

TEST_F(CFieldMapTest, RegisteringAnIdTwiceKeepsTheFirstFieldAndTheCallerOwnsTheSecond)
{
    ASSERT_TRUE(m_map.Add(3, MakeField(3, "First")));
    std::unique_ptr<CField> second = MakeField(3, "Second");
    EXPECT_FALSE(m_map.Add(3, std::move(second)));
    ASSERT_NE(second, nullptr); // not taken
    EXPECT_EQ(second->GetName(), "Second");
    EXPECT_EQ(m_map.Find(3)->GetName(), "First");
    EXPECT_EQ(m_map.GetFieldCount(), 1u);
}

TEST_F(CFieldMapTest, MissingFieldIsRefused)
{
    EXPECT_FALSE(m_map.Add(1, nullptr));
    EXPECT_EQ(m_map.GetFieldCount(), 0u);
}

TEST_F(CFieldMapTest, FindOfAnUnregisteredIdGivesNone)
{
    m_map.Add(0, MakeField(0));
    EXPECT_EQ(m_map.Find(11), nullptr);
    EXPECT_EQ(m_map.Find(-1), nullptr);
    EXPECT_EQ(m_map.Find(-2), nullptr);
}

TEST_F(CFieldMapTest, KeepsFieldsInIdOrderWhateverTheAddOrder)
{
    for (const int32_t id : {5, -3, 9, 0, 2})
        m_map.Add(id, MakeField(id));
    ASSERT_EQ(m_map.GetFieldCount(), 5u);
    int32_t previous = -100;
    for (size_t i = 0; i < m_map.GetFieldCount(); ++i) {
        EXPECT_LT(previous, m_map.GetFieldAt(i).GetId());
        previous = m_map.GetFieldAt(i).GetId();
    }
    for (const int32_t id : {5, -3, 9, 0, 2})
        EXPECT_EQ(m_map.Find(id)->GetId(), id);
}

TEST_F(CFieldMapTest, FindFallsBackToTheParentChain)
{
    CFieldMap grandparent;
    CFieldMap parent;
    grandparent.Add(7, MakeField(7, "Grand"));
    parent.Add(1, MakeField(1, "Parent"));
    ASSERT_TRUE(parent.SetParent(&grandparent));
    ASSERT_TRUE(m_map.SetParent(&parent));
    m_map.Add(1, MakeField(1, "Own"));

    EXPECT_EQ(m_map.Find(1)->GetName(), "Own"); // own fields hide the parent's
    EXPECT_EQ(m_map.Find(7)->GetName(), "Grand");
    EXPECT_EQ(m_map.GetParent(), &parent);
}

TEST_F(CFieldMapTest, ParentThatWouldMakeALoopIsRefused)
{
    CFieldMap parent;
    ASSERT_TRUE(m_map.SetParent(&parent));
    EXPECT_FALSE(parent.SetParent(&m_map));
    EXPECT_FALSE(m_map.SetParent(&m_map));
    EXPECT_EQ(parent.GetParent(), nullptr);
    EXPECT_TRUE(m_map.SetParent(nullptr));
    EXPECT_EQ(m_map.Find(0), nullptr);
}

TEST_F(CFieldMapTest, CollectFieldsGathersOnlyThisMap)
{
    CFieldMap parent;
    parent.Add(9, MakeField(9));
    m_map.SetParent(&parent);
    m_map.Add(1, MakeField(1));
    m_map.Add(2, MakeField(2));

    std::set<const CField*> fields;
    m_map.CollectFields(fields);
    m_map.CollectFields(fields); // a set: no duplicates
    EXPECT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields.count(m_map.Find(1)), 1u);
    EXPECT_EQ(fields.count(parent.Find(9)), 0u);
}

} // namespace
} // namespace Brivel::Common
