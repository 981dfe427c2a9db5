// CDynamicObject: stored values with and without fields, when changes are
// announced, format choice, storage, the deletion order and use from
// several threads at once.

#include "common/dynamic_object.h"

#include "common/integer_formats.h"
#include "common/serializer.h"
#include "tests/common/data_object_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Brivel::Common {
namespace {

using Testing::CRecordingSink;

class DynamicObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Field 1: a count shown in hexadecimal; field 2: a name.
        ASSERT_TRUE(m_object->AddField(CField::CreateDescription(1, "Count", KindLong, std::make_unique<CLongFormat>(1))));
        ASSERT_TRUE(m_object->AddField(CField::CreateDescription(2, "Name", KindStdString)));
        m_object->Subscribe(&m_sink);
    }

    CRecordingSink m_sink;
    std::unique_ptr<CDynamicObject> m_object = std::make_unique<CDynamicObject>(true);
};

TEST_F(DynamicObjectTest, AnEqualValueIsAnnouncedOnce)
{
    EXPECT_TRUE(m_object->SetValue(1, CFieldValue(int32_t{5})));
    EXPECT_TRUE(m_object->SetValue(1, CFieldValue(int32_t{5})));
    EXPECT_TRUE(m_object->SetLong(1, 6)); // typed setters go through SetValue
    EXPECT_EQ(m_sink.updates, (std::vector<int32_t>{1, 1}));
    EXPECT_EQ(m_object->GetLong(1), 6);
    EXPECT_EQ(m_object->GetInt64(1), 0); // another kind
}

TEST_F(DynamicObjectTest, AValueNeedsNoField)
{
    EXPECT_TRUE(m_object->SetValue(9, CFieldValue(2.5)));
    EXPECT_DOUBLE_EQ(m_object->GetValue(9).GetDouble(), 2.5);
    EXPECT_EQ(m_object->GetFieldKind(9), KindDouble);
    EXPECT_TRUE(m_object->IsReadable(9));
    EXPECT_TRUE(m_object->IsWritable(9));
    EXPECT_EQ(m_object->GetFieldName(9), "");
    EXPECT_FALSE(m_object->IsReadable(1)); // a field without a stored value
    FieldIdSet ids;
    m_object->GetFieldIds(ids);
    EXPECT_EQ(ids, (FieldIdSet{1, 2, 9}));

    // SetText needs a field.
    EXPECT_FALSE(m_object->SetText(8, std::string("3")));
    EXPECT_EQ(m_object->GetFieldKind(8), KindNone);
}

TEST_F(DynamicObjectTest, ReservedIdsAndDuplicateFieldsAreRefused)
{
    EXPECT_FALSE(m_object->SetValue(FieldIdNone, CFieldValue(int32_t{1})));
    EXPECT_FALSE(m_object->SetValue(FieldIdNotSet, CFieldValue(int32_t{1})));
    EXPECT_FALSE(m_object->SetText(FieldIdNone, std::string("1")));
    EXPECT_FALSE(m_object->AddField(CField::CreateDescription(FieldIdNotSet, "Unset", KindLong)));
    EXPECT_FALSE(m_object->AddField(nullptr));

    std::unique_ptr<CField> duplicate = CField::CreateDescription(1, "Again", KindBool);
    EXPECT_FALSE(m_object->AddField(std::move(duplicate)));
    ASSERT_NE(duplicate, nullptr); // the caller still owns it
    EXPECT_EQ(m_object->GetFieldName(1), "Count");
    EXPECT_TRUE(m_sink.updates.empty());
}

TEST_F(DynamicObjectTest, SetTextParsesWithTheFieldsFormatAndAnnouncesEverySuccess)
{
    EXPECT_TRUE(m_object->SetText(1, std::string("0x1F")));
    EXPECT_TRUE(m_object->SetText(1, CString("0x1F")));
    EXPECT_EQ(m_object->GetLong(1), 31);
    EXPECT_EQ(m_object->GetText(1), "0x1F");
    EXPECT_EQ(m_sink.updates, (std::vector<int32_t>{1, 1})); // no comparison of old and new

    // A failed parse stores and announces nothing.
    EXPECT_FALSE(m_object->SetText(1, std::string("123456789abc")));
    EXPECT_EQ(m_object->GetLong(1), 31);
    EXPECT_EQ(m_sink.updates.size(), 2u);

    // A stored value of another kind than the format's stays as it is.
    m_object->SetValue(2, CFieldValue(int32_t{4}));
    EXPECT_TRUE(m_object->SetText(2, std::string("text")));
    EXPECT_EQ(m_object->GetFieldKind(2), KindLong);
}

TEST_F(DynamicObjectTest, GetTextChoosesThePassedThenTheFieldsThenTheValuesDefaultFormat)
{
    m_object->SetLong(1, 255);
    m_object->SetLong(7, 1234); // no field: the default format of kind 7
    const CLongFormat decimal;
    EXPECT_EQ(m_object->GetText(1), "0xFF");
    EXPECT_EQ(m_object->GetText(1, &decimal), "255");
    EXPECT_EQ(m_object->GetTextCString(7), CString("1 234"));
    EXPECT_EQ(m_object->GetText(2), ""); // nothing stored
    m_object->SetValue(2, CFieldValue(true)); // a field without a format: the value's kind decides
    EXPECT_EQ(m_object->GetText(2), "true");
    m_object->SetValue(1, CFieldValue(true)); // the field's integer format has no text for a bool
    EXPECT_EQ(m_object->GetText(1), "");
}

TEST_F(DynamicObjectTest, SilentObjectsStillAnnounceTheirDeletion)
{
    auto silent = std::make_unique<CDynamicObject>(false);
    CRecordingSink sink;
    silent->Subscribe(&sink);
    silent->SetLong(1, 1);
    silent->AddField(CField::CreateDescription(1, "Count", KindLong));
    silent->SetText(1, std::string("2"));
    EXPECT_TRUE(sink.updates.empty());
    silent.reset();
    EXPECT_EQ(sink.deletes, 1);
}

TEST_F(DynamicObjectTest, SubscribersReadTheValuesWhileTheDeletionIsAnnounced)
{
    m_object->SetStdString(2, "row");
    std::string name;
    std::string fieldName;
    m_sink.onDelete = [&](CDataObject* object) {
        name = object->GetStdString(2);
        fieldName = object->GetFieldName(2);
    };
    m_object.reset();
    EXPECT_EQ(m_sink.deletes, 1);
    EXPECT_EQ(name, "row");
    EXPECT_EQ(fieldName, "Name");
}

TEST_F(DynamicObjectTest, StorageKeepsEveryValueAndRestoresThroughSetValue)
{
    m_object->SetLong(1, 77);
    m_object->SetStdString(2, "kept");
    m_object->SetLong(9, 5); // no field description: stored all the same
    CSerializer store(CSerializer::Mode::Store);
    m_object->Serialize(store);

    CDynamicObject copy;
    copy.AddField(CField::CreateDescription(1, "Count", KindLong));
    copy.AddField(CField::CreateDescription(2, "Name", KindStdString));
    CRecordingSink sink;
    copy.Subscribe(&sink);
    CSerializer restore(CSerializer::Mode::Restore);
    restore.SetData(store.GetData());
    copy.Serialize(restore);
    EXPECT_EQ(copy.GetLong(1), 77);
    EXPECT_EQ(copy.GetStdString(2), "kept");
    EXPECT_EQ(copy.GetLong(9), 5) << "what a restore accepts is stored";
    EXPECT_EQ(sink.updates, (std::vector<int32_t>{1, 2, 9})); // each restored change
    copy.Unsubscribe(&sink);

    // The copy stores the same bytes again.
    CSerializer again(CSerializer::Mode::Store);
    copy.Serialize(again);
    EXPECT_EQ(again.GetData(), store.GetData());
}

TEST(DynamicObjectThreads, WritersReadersAndFieldAddsRunAtOnce)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 2000;
    CDynamicObject object;
    std::atomic<int> mismatches{0};
    struct CReadBackSink final : CDataObject::ISink {
        using CDataObject::ISink::OnUpdate;
        // Called on the writing thread outside the object's lock: reads back.
        void OnUpdate(int32_t id, CDataObject* target) override
        {
            if (target->GetFieldKind(id) != KindLong)
                mismatches->fetch_add(1);
        }
        std::atomic<int>* mismatches;
    } sink;
    sink.mismatches = &mismatches;
    object.Subscribe(&sink);

    std::vector<std::thread> threads;
    for (int index = 0; index < kThreads; ++index) {
        threads.emplace_back([&object, index] {
            for (int round = 0; round < kRounds; ++round) {
                const int32_t id = index * kRounds + round;
                object.SetLong(id % 50, round);
                (void)object.GetText(round % 50);
                if (round % 10 == 0)
                    object.AddField(CField::CreateDescription(id, "Added", KindLong));
                if (round % 20 == 0) {
                    FieldRefSet fields;
                    object.GetFields(fields);
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
    FieldIdSet ids;
    object.GetFieldIds(ids);
    // Values 0..49, and 4 x 200 added fields of which 0, 10, 20, 30 and 40
    // are among the values.
    EXPECT_EQ(ids.size(), 50u + kThreads * kRounds / 10 - 5u);
    object.Unsubscribe(&sink);
}

} // namespace
} // namespace Brivel::Common
