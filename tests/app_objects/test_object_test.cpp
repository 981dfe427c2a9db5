// CTestObject and the random source: the exact values drawn on a fresh
// thread, the range of every value, one notification per random update, the
// field table, and subscribers reading the name while the deletion is told.

#include "app/test_object.h"

#include "app/random.h"
#include "tests/common/data_object_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Quellon {
namespace {

using Brivel::Common::CFieldMap;
using Brivel::Common::KindLong;
using Brivel::Common::KindStdString;
using Brivel::Common::Testing::CRecordingSink;

std::array<int32_t, 10> ValuesOf(const CTestObject& object)
{
    std::array<int32_t, 10> values{};
    for (int32_t field = 1; field <= 10; ++field)
        values[field - 1] = object.GetLong(field);
    return values;
}

// Runs body on a thread of its own, whose random source starts from state 1.
template <class Body>
void OnFreshThread(Body body)
{
    std::thread thread(body);
    thread.join();
}

TEST(RandomSource, EachThreadStartsFromStateOne)
{
    const std::vector<int32_t> expected = {41, 18467, 6334, 26500, 19169, 15724};
    for (int thread = 0; thread < 2; ++thread) {
        std::vector<int32_t> drawn;
        OnFreshThread([&drawn] {
            for (int draw = 0; draw < 6; ++draw)
                drawn.push_back(Random());
        });
        EXPECT_EQ(drawn, expected); // the other threads' draws do not matter
        (void)Random();             // nor do this thread's
    }
}

TEST(TestObject, TheFirstObjectOfAThreadAndItsFirstUpdate)
{
    std::array<int32_t, 10> created{};
    std::array<int32_t, 10> updated{};
    int32_t changedField = 0;
    CRecordingSink sink;
    OnFreshThread([&] {
        CTestObject object("Item 1");
        created = ValuesOf(object);
        object.Subscribe(&sink);
        changedField = object.UpdateRandomValue(); // draws 32391 (field 2), then 14604 and 3902
        updated = ValuesOf(object);
        object.Unsubscribe(&sink);
    });
    // Products of the draws 41, 18467, 6334, 26500, ... in pairs.
    const std::array<int32_t, 10> expected = {757147,    167851000, 301413356, 336971124, 659598368,
                                              160567225, 391749387, 4890851,   35766290,  26239572};
    EXPECT_EQ(created, expected);
    std::array<int32_t, 10> expectedUpdate = expected;
    expectedUpdate[1] = 14604 * 3902;
    EXPECT_EQ(updated, expectedUpdate);
    EXPECT_EQ(changedField, 2);
    EXPECT_EQ(sink.updates, (std::vector<int32_t>{2}));
}

TEST(TestObject, RandomUpdatesChangeOneValueAndTellItsField)
{
    CTestObject object("Item 7");
    CRecordingSink sink;
    object.Subscribe(&sink);
    for (int round = 0; round < 5000; ++round) {
        const std::array<int32_t, 10> before = ValuesOf(object);
        sink.updates.clear();
        object.UpdateRandomValue();
        ASSERT_EQ(sink.updates.size(), 1u);
        const int32_t field = sink.updates[0];
        ASSERT_GE(field, 1);
        ASSERT_LE(field, 10);
        const std::array<int32_t, 10> after = ValuesOf(object);
        for (int32_t other = 1; other <= 10; ++other) {
            if (other != field) {
                EXPECT_EQ(after[other - 1], before[other - 1]);
            }
            EXPECT_GE(after[other - 1], 0);
            EXPECT_LE(after[other - 1], 1'073'676'289);
        }
    }
    EXPECT_EQ(object.GetName(), "Item 7");
    object.Unsubscribe(&sink);
}

TEST(TestObject, FieldTable)
{
    const CFieldMap& map = CTestObject::GetClassFieldMap();
    ASSERT_EQ(map.GetFieldCount(), 11u);
    EXPECT_EQ(map.Find(0)->GetName(), "Name");
    EXPECT_EQ(map.Find(0)->GetKind(), KindStdString);
    EXPECT_EQ(map.Find(0)->GetGetterName(), "&CTestObject::GetName");
    for (int32_t id = 1; id <= 10; ++id) {
        const auto* field = map.Find(id);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->GetName(), "Value " + std::to_string(id));
        EXPECT_EQ(field->GetKind(), KindLong);
        EXPECT_EQ(field->GetGetterName(), "&CTestObject::GetValue" + std::to_string(id));
        EXPECT_EQ(field->GetSetterName(), "");
        EXPECT_FALSE(field->HasSetter());
        EXPECT_EQ(field->GetFormat(), nullptr);
    }
    EXPECT_EQ(map.Find(11), nullptr);
    EXPECT_EQ(map.Find(-1), nullptr);

    CTestObject object("Item 3");
    EXPECT_EQ(object.GetText(0), "Item 3");
    EXPECT_FALSE(object.SetLong(1, 5)); // read-only
}

TEST(TestObject, SubscribersReadTheNameWhileTheDeletionIsTold)
{
    CRecordingSink sink;
    std::string seen;
    sink.onDelete = [&seen](Brivel::Common::CDataObject* object) { seen = object->GetStdString(0); };
    auto object = std::make_unique<CTestObject>("Item 42");
    object->Subscribe(&sink);
    object.reset();
    EXPECT_EQ(sink.deletes, 1);
    EXPECT_EQ(seen, "Item 42");
}

} // namespace
} // namespace Quellon
