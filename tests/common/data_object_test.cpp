// CDataObject: typed, tagged and text access through a field table, the
// subscriber list and its announcements, the deletion order, storage and
// damaged streams, and notification racing subscription on several threads.

#include "common/data_object.h"

#include "common/enum_format.h"
#include "common/field_table.h"
#include "common/integer_formats.h"
#include "common/real_formats.h"
#include "common/serializer.h"
#include "tests/common/data_object_test_support.h"
#include "tests/common/serializer_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace Brivel::Common {
namespace {

using Testing::Bytes;
using Testing::CRecordingSink;

// Fields of several kinds; the stamp is read-only.
class CRecord : public CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()

public:
    ~CRecord() override { AnnounceDeletion(); }

    std::string GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    int32_t GetCount() const { return m_count; }
    void SetCount(int32_t count) { m_count = count; }
    int64_t GetStamp() const { return m_stamp; }
    CString GetCode() const { return m_code; }
    void SetCode(const CString& code) { m_code = code; }
    double GetRatio() const { return m_ratio; }
    void SetRatio(double ratio) { m_ratio = ratio; }

    std::string m_name = "first";
    int32_t m_count = 7;
    int64_t m_stamp = 99;
    CString m_code = "c";
    double m_ratio = 0.5;
};

BRIVEL_BEGIN_FIELD_MAP(CRecord)
    BRIVEL_FIELD(0, "Name", &CRecord::GetName, &CRecord::SetName, nullptr)
    BRIVEL_FIELD(1, "Count", &CRecord::GetCount, &CRecord::SetCount, nullptr)
    BRIVEL_FIELD(2, "Stamp", &CRecord::GetStamp, 0, nullptr)
    BRIVEL_FIELD(3, "Code", &CRecord::GetCode, &CRecord::SetCode, nullptr)
    BRIVEL_FIELD(4, "Ratio", &CRecord::GetRatio, &CRecord::SetRatio,
                 std::make_unique<CDoubleFormat>(1, false, true, '\0', '%', ' '))
BRIVEL_END_FIELD_MAP()

// A map written by hand: a write-only field 5 and a parent map with field 10.
class CLayered : public CDataObject {
public:
    const CFieldMap* GetFieldMap() const override { return &Maps().child; }
    int32_t m_hidden = 0;

private:
    struct LayeredMaps {
        CFieldMap parent;
        CFieldMap child;
        LayeredMaps()
        {
            parent.Add(10, std::make_unique<CField>(10, "Base", FieldGetter<int32_t>([](const CDataObject&) {
                                                        return int32_t{10};
                                                    }),
                                                    FieldSetter<int32_t>{}));
            child.Add(5, std::make_unique<CField>(
                             5, "Hidden", FieldGetter<int32_t>{}, FieldSetter<int32_t>([](CDataObject& target, int32_t v) {
                                 static_cast<CLayered&>(target).m_hidden = v;
                             }),
                             std::make_unique<CLongFormat>()));
            child.SetParent(&parent);
        }
    };
    static LayeredMaps& Maps()
    {
        static LayeredMaps s_maps;
        return s_maps;
    }
};

class CMapless : public CDataObject {
public:
    const CFieldMap* GetFieldMap() const override { return nullptr; }
};

TEST(DataObjectAccess, TypedOperationsWorkOnlyOnTheirOwnKind)
{
    CRecord record;
    EXPECT_EQ(record.GetInt64(2), 99);
    EXPECT_EQ(record.GetLong(2), 0); // kind 9, not 7
    EXPECT_FALSE(record.SetLong(2, 5));
    EXPECT_FALSE(record.SetInt64(2, 5)); // read-only
    EXPECT_EQ(record.m_stamp, 99);

    EXPECT_TRUE(record.SetStdString(0, "renamed"));
    EXPECT_EQ(record.GetStdString(0), "renamed");
    EXPECT_EQ(record.GetCString(0), CString()); // the other string kind
    EXPECT_FALSE(record.SetCString(0, "x"));
    EXPECT_TRUE(record.SetCString(3, "code"));
    EXPECT_EQ(record.GetCString(3), CString("code"));

    EXPECT_EQ(record.GetLong(42), 0);
    EXPECT_FALSE(record.SetLong(42, 1));
    EXPECT_EQ(record.GetFieldKind(42), KindNone);
    EXPECT_EQ(record.GetFieldName(42), "");
    EXPECT_EQ(record.GetFieldFormat(42), nullptr);
    EXPECT_TRUE(record.IsReadable(2));
    EXPECT_FALSE(record.IsWritable(2));
    EXPECT_NE(record.GetFieldFormat(4), nullptr);
}

TEST(DataObjectAccess, SetValueWritesTheKindsZeroOnAMismatch)
{
    CRecord record;
    EXPECT_TRUE(record.SetValue(1, CFieldValue(3.5)));
    EXPECT_EQ(record.m_count, 0);
    EXPECT_TRUE(record.SetValue(1, CFieldValue(int32_t{12})));
    EXPECT_EQ(record.m_count, 12);
    // No conversion between the two string kinds either.
    EXPECT_TRUE(record.SetValue(0, CFieldValue(CString("framework"))));
    EXPECT_EQ(record.m_name, "");
    EXPECT_FALSE(record.SetValue(2, CFieldValue(int64_t{1}))); // no setter
    EXPECT_FALSE(record.SetValue(42, CFieldValue(int32_t{1})));

    EXPECT_EQ(record.GetValue(2).GetInt64(), 99);
    EXPECT_EQ(record.GetValue(2).GetKind(), KindInt64);
    EXPECT_EQ(record.GetValue(42).GetKind(), KindNone);
    CLayered layered;
    const CFieldValue hidden = layered.GetValue(5); // no getter: the kind's zero
    EXPECT_EQ(hidden.GetKind(), KindLong);
    EXPECT_EQ(hidden.GetLong(), 0);
}

TEST(DataObjectAccess, TextChoosesThePassedThenTheFieldsThenTheDefaultFormat)
{
    CRecord record;
    record.m_count = 1234567;
    record.m_ratio = 12.25;
    EXPECT_EQ(record.GetText(1), "1 234 567"); // default CLongFormat
    const CLongFormat hex(1);
    EXPECT_EQ(record.GetText(1, &hex), "0x12D687");
    EXPECT_EQ(record.GetText(4), "12,3%"); // the field's own format
    EXPECT_EQ(record.GetTextCString(4), CString("12,3%"));
    EXPECT_EQ(record.GetText(42), "");
    const CDoubleFormat real;
    EXPECT_EQ(record.GetText(1, &real), ""); // a format of another kind has no text for it

    CLayered layered;
    EXPECT_EQ(layered.GetText(5, &hex), ""); // no getter, whatever the format
}

TEST(DataObjectAccess, SetTextParsesOrStoresStringsAsTheyAre)
{
    CRecord record;
    EXPECT_TRUE(record.SetText(1, std::string("1 234 kg")));
    EXPECT_EQ(record.m_count, 1234);
    // The default integer parse reads a text without digits as 0.
    EXPECT_TRUE(record.SetText(1, std::string("abc")));
    EXPECT_EQ(record.m_count, 0);

    const CLongEnumFormat::Item items[] = {{1, "one"}};
    const CLongEnumFormat words(items, 1);
    record.m_count = 7;
    EXPECT_FALSE(record.SetText(1, std::string("abc"), &words)); // a failed parse writes nothing
    EXPECT_EQ(record.m_count, 7);
    EXPECT_TRUE(record.SetText(1, CString("one"), &words));
    EXPECT_EQ(record.m_count, 1);

    const CLongFormat hex(1);
    // A string field takes the text even when the format cannot read it.
    EXPECT_TRUE(record.SetText(0, std::string("abc"), &hex));
    EXPECT_EQ(record.m_name, "abc");
    EXPECT_TRUE(record.SetText(3, CString("from framework"), &hex));
    EXPECT_EQ(record.m_code, CString("from framework"));

    EXPECT_FALSE(record.SetText(2, std::string("5"))); // read-only
    EXPECT_FALSE(record.SetText(42, std::string("5")));
    EXPECT_TRUE(record.SetText(4, CString("2,5")));
    EXPECT_DOUBLE_EQ(record.m_ratio, 2.5);

    CLayered layered;
    EXPECT_TRUE(layered.SetText(5, std::string("0x1f")));
    EXPECT_EQ(layered.m_hidden, 31);
}

TEST(DataObjectAccess, FieldSetsWalkTheParentChain)
{
    CLayered layered;
    FieldIdSet ids;
    layered.GetFieldIds(ids);
    EXPECT_EQ(ids, (FieldIdSet{5, 10}));
    FieldRefSet fields;
    layered.GetFields(fields);
    ASSERT_EQ(fields.size(), 2u);
    for (const CFieldRef& ref : fields)
        EXPECT_EQ(ref.target, &layered);
    EXPECT_EQ(layered.GetLong(10), 10); // found in the parent
    EXPECT_EQ(layered.GetField(99).target, &layered);
    EXPECT_EQ(layered.GetField(99).field, nullptr);

    CMapless mapless;
    EXPECT_EQ(mapless.GetField(1), CFieldRef());
    EXPECT_FALSE(mapless.SetValue(1, CFieldValue(int32_t{1})));
    EXPECT_EQ(mapless.GetText(1), "");
    EXPECT_EQ(mapless.GetObjectText(), "");
    EXPECT_FALSE(mapless.IsObjectFlagged());
}

// ---- Subscribers ----

class DataObjectNotifyTest : public ::testing::Test {
protected:
    std::vector<std::string> m_journal;
    CRecordingSink m_first{&m_journal, "first"};
    CRecordingSink m_second{&m_journal, "second"};
    CRecord m_record; // declared last: destroyed before the sinks
};

TEST_F(DataObjectNotifyTest, SubscribingTwiceKeepsOneEntry)
{
    EXPECT_TRUE(m_record.Subscribe(&m_first));
    EXPECT_FALSE(m_record.Subscribe(&m_first));
    EXPECT_FALSE(m_record.Subscribe(nullptr));
    m_record.NotifyUpdate(3);
    EXPECT_EQ(m_first.updates, (std::vector<int32_t>{3}));
    EXPECT_EQ(m_first.lastObject, &m_record);
    EXPECT_FALSE(m_record.Unsubscribe(&m_second));
    EXPECT_TRUE(m_record.Unsubscribe(&m_first));
    m_record.NotifyUpdate(4);
    EXPECT_EQ(m_first.updates.size(), 1u);
}

TEST_F(DataObjectNotifyTest, ASinkThatLeavesDuringAnAnnouncementDoesNotStopIt)
{
    m_first.onUpdate = [this](int32_t, CDataObject* object) { object->Unsubscribe(&m_first); };
    m_record.Subscribe(&m_first);
    m_record.Subscribe(&m_second);
    m_record.NotifyUpdate(1);
    m_record.NotifyUpdate(2);
    EXPECT_EQ(m_journal, (std::vector<std::string>{"first:1", "second:1", "second:2"}));
}

TEST_F(DataObjectNotifyTest, ASinkAddedDuringAnAnnouncementHearsTheNextOne)
{
    m_first.onUpdate = [this](int32_t, CDataObject* object) { object->Subscribe(&m_second); };
    m_record.Subscribe(&m_first);
    m_record.NotifyUpdate(1);
    m_record.NotifyUpdate(2);
    EXPECT_EQ(m_journal, (std::vector<std::string>{"first:1", "first:2", "second:2"}));
}

TEST_F(DataObjectNotifyTest, TheLockIsNotHeldWhileASinkRuns)
{
    std::thread other;
    std::future<bool> subscribed;
    m_first.onUpdate = [&](int32_t, CDataObject* object) {
        std::promise<bool> done;
        subscribed = done.get_future();
        other = std::thread([object, this, done = std::move(done)]() mutable {
            done.set_value(object->Subscribe(&m_second));
        });
        // If the lock were held here, the other thread could not finish.
        EXPECT_EQ(subscribed.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    };
    m_record.Subscribe(&m_first);
    m_record.NotifyUpdate(1);
    other.join();
    EXPECT_TRUE(subscribed.get());
}

TEST_F(DataObjectNotifyTest, AnErrorFromASinkPassesOutAndSkipsTheRest)
{
    m_first.onUpdate = [](int32_t, CDataObject*) { throw std::runtime_error("sink failed"); };
    m_record.Subscribe(&m_first);
    m_record.Subscribe(&m_second);
    EXPECT_THROW(m_record.NotifyUpdate(1), std::runtime_error);
    EXPECT_TRUE(m_second.updates.empty());
}

TEST_F(DataObjectNotifyTest, TheSetOperationCallsTheSingleOneInAscendingOrder)
{
    CDataObject::ISink& sink = m_first;
    sink.OnUpdate(FieldIdSet{4, 1, 3}, &m_record);
    EXPECT_EQ(m_first.updates, (std::vector<int32_t>{1, 3, 4}));
}

// Crosses the inline slot of the list and the stack buffer of NotifyUpdate.
class DataObjectSinkCountTest : public ::testing::TestWithParam<int> {};

TEST_P(DataObjectSinkCountTest, EverySinkHearsEachAnnouncementOnceInOrder)
{
    const int count = GetParam();
    std::vector<std::string> journal;
    std::vector<std::unique_ptr<CRecordingSink>> sinks;
    for (int index = 0; index < count; ++index)
        sinks.push_back(std::make_unique<CRecordingSink>(&journal, std::to_string(index)));
    auto record = std::make_unique<CRecord>();
    for (auto& sink : sinks)
        record->Subscribe(sink.get());
    EXPECT_EQ(record->GetSubscriberCountForTesting(), static_cast<uint32_t>(count));

    record->NotifyUpdate(7);
    std::vector<std::string> expected;
    for (int index = 0; index < count; ++index)
        expected.push_back(std::to_string(index) + ":7");
    EXPECT_EQ(journal, expected);

    // Remove every other sink (from the front, so the rest shift), then the
    // survivors must still be in subscription order.
    journal.clear();
    expected.clear();
    for (int index = 0; index < count; ++index) {
        if (index % 2 == 0)
            EXPECT_TRUE(record->Unsubscribe(sinks[index].get()));
        else
            expected.push_back(std::to_string(index) + ":delete");
    }
    record.reset();
    EXPECT_EQ(journal, expected);
    for (int index = 0; index < count; ++index)
        EXPECT_EQ(sinks[index]->deletes, index % 2);
}

INSTANTIATE_TEST_SUITE_P(Counts, DataObjectSinkCountTest, ::testing::Values(0, 1, 2, 3, 8, 9, 20),
                         [](const auto& info) { return std::to_string(info.param) + "Sinks"; });

// ---- Destruction ----

// Owns a text that its subscribers read while they handle the deletion.
class CNamedRecord : public CRecord {
public:
    explicit CNamedRecord(std::string text) : m_text(std::move(text)) {}
    ~CNamedRecord() override
    {
        AnnounceDeletion();
        NotifyUpdate(1); // reaches no one: the list is closed
    }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

TEST(DataObjectDeletion, SinksHearItOnceInOrderWhileTheDerivedStateLives)
{
    std::vector<std::string> journal;
    CRecordingSink first(&journal, "first");
    CRecordingSink second(&journal, "second");
    std::string seenText;
    std::string seenName;
    first.onDelete = [&](CDataObject* object) {
        seenText = static_cast<CNamedRecord*>(object)->Text();
        seenName = object->GetStdString(0); // virtual dispatch still reaches the derived table
        EXPECT_FALSE(object->Subscribe(&first)); // refused once the deletion is announced
    };
    {
        auto record = std::make_unique<CNamedRecord>("still here");
        record->SetName("name");
        record->Subscribe(&first);
        record->Subscribe(&second);
    }
    EXPECT_EQ(journal, (std::vector<std::string>{"first:delete", "second:delete"}));
    EXPECT_EQ(seenText, "still here");
    EXPECT_EQ(seenName, "name");
    EXPECT_TRUE(first.updates.empty());
}

TEST(DataObjectDeletion, ASinkThatLeftHearsNothing)
{
    CRecordingSink sink;
    {
        CRecord record;
        record.Subscribe(&sink);
        record.Unsubscribe(&sink);
    }
    EXPECT_EQ(sink.deletes, 0);
}

// ---- Storage ----

class DataObjectStorageTest : public ::testing::Test {
protected:
    Bytes Store(CDataObject& object)
    {
        CSerializer serializer(CSerializer::Mode::Store);
        object.Serialize(serializer);
        return serializer.GetData();
    }
    static void Restore(CDataObject& object, const Bytes& bytes, size_t length)
    {
        CSerializer serializer(CSerializer::Mode::Restore);
        serializer.SetData(bytes.data(), static_cast<std::ptrdiff_t>(length));
        object.Serialize(serializer);
    }

    CRecord m_source;
};

TEST_F(DataObjectStorageTest, StoresEveryFieldInAscendingIdOrder)
{
    Bytes expected = {1, 0, 0, 0, 5, 0, 0, 0};
    const CFieldValue values[] = {CFieldValue(std::string("first")), CFieldValue(int32_t{7}),
                                  CFieldValue(int64_t{99}), CFieldValue(CString("c")), CFieldValue(0.5)};
    for (uint8_t id = 0; id < 5; ++id) {
        expected.insert(expected.end(), {id, 0, 0, 0});
        const Bytes value = Testing::Stored(values[id]);
        expected.insert(expected.end(), value.begin(), value.end());
    }
    EXPECT_EQ(Store(m_source), expected);
}

TEST_F(DataObjectStorageTest, RestoreWritesThroughTheSettersThatExist)
{
    m_source.SetName("stored");
    m_source.SetCount(-5);
    m_source.m_stamp = 1234;
    const Bytes bytes = Store(m_source);
    CRecord target;
    CRecordingSink sink;
    target.Subscribe(&sink);
    Restore(target, bytes, bytes.size());
    EXPECT_EQ(target.m_name, "stored");
    EXPECT_EQ(target.m_count, -5);
    EXPECT_EQ(target.m_stamp, 99); // read-only: ignored
    EXPECT_TRUE(sink.updates.empty()); // restoring announces nothing
    target.Unsubscribe(&sink);
}

TEST_F(DataObjectStorageTest, VersionsZeroAndLaterAreHandled)
{
    m_source.SetCount(42);
    Bytes bytes = Store(m_source);
    CRecord target;
    bytes[0] = 0; // ends the restore
    Restore(target, bytes, bytes.size());
    EXPECT_EQ(target.m_count, 7);
    bytes[0] = 2; // read like version 1
    Restore(target, bytes, bytes.size());
    EXPECT_EQ(target.m_count, 42);
}

TEST_F(DataObjectStorageTest, ADamagedStreamRaisesAndKeepsWhatWasRead)
{
    m_source.SetName("kept");
    m_source.SetCount(11);
    const Bytes bytes = Store(m_source);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        CRecord target;
        EXPECT_THROW(Restore(target, bytes, cut), CSerializer::SerializationException) << "cut " << cut;
        EXPECT_EQ(target.GetText(1), cut >= 8 + 4 + 11 + 4 + 6 ? "11" : "7") << "cut " << cut;
        if (cut >= 8 + 4 + 11) {
            EXPECT_EQ(target.m_name, "kept");
        }
    }
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        Bytes noise(random() % 48);
        for (auto& byte : noise)
            byte = static_cast<uint8_t>(random());
        if (noise.size() >= 4 && round % 2) {
            noise[0] = 1; // mostly a valid version, so that entries are read
            noise[1] = noise[2] = noise[3] = 0;
        }
        CRecord target;
        try {
            Restore(target, noise, noise.size());
        } catch (const CSerializer::SerializationException&) {
        }
        (void)target.GetText(0);
        (void)target.GetText(4);
    }
}

// ---- Several threads ----

class CCountingSink final : public CDataObject::ISink {
public:
    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int32_t, CDataObject*) override { count.fetch_add(1, std::memory_order_relaxed); }
    std::atomic<int> count{0};
};

TEST(DataObjectThreads, NotifyRacesSubscribeAndUnsubscribe)
{
    constexpr int kNotifiers = 3;
    constexpr int kChurners = 2;
    constexpr int kRounds = 20000;
    CRecord record;
    CCountingSink permanent;
    record.Subscribe(&permanent);
    // The transient sinks outlive every thread: an announcement copied just
    // before an Unsubscribe may still reach them.
    std::vector<std::unique_ptr<CCountingSink>> transient(kChurners * 12);
    for (auto& sink : transient)
        sink = std::make_unique<CCountingSink>();

    std::vector<std::thread> threads;
    for (int index = 0; index < kNotifiers; ++index) {
        threads.emplace_back([&record] {
            for (int round = 0; round < kRounds; ++round)
                record.NotifyUpdate(round % 11);
        });
    }
    for (int index = 0; index < kChurners; ++index) {
        threads.emplace_back([&record, &transient, index] {
            for (int round = 0; round < kRounds / 4; ++round) {
                // Up to twelve at once, so the list crosses its inline slot
                // and the notifiers' stack buffer.
                for (int sink = 0; sink < 12; ++sink)
                    record.Subscribe(transient[index * 12 + sink].get());
                for (int sink = 0; sink < 12; ++sink)
                    record.Unsubscribe(transient[index * 12 + sink].get());
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(permanent.count.load(), kNotifiers * kRounds);
    EXPECT_EQ(record.GetSubscriberCountForTesting(), 1u);
    record.Unsubscribe(&permanent);
}

} // namespace
} // namespace Brivel::Common
