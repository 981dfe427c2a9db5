// CLogMessage: the field table with its enumeration and time-stamp formats,
// the time stamp from the local clock, and a failed conversion.

#include "app/log_message.h"

#include "common/date_time_formats.h"
#include "common/enum_format.h"
#include "tests/common/data_object_test_support.h"
#include "tests/common/local_time_test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Quellon {
namespace {

using namespace Brivel::Common;

SystemTime FixedNoon()
{
    return Testing::MakeSystemTime(2007, 3, 5, 13, 5, 9, 45);
}

SystemTime InvalidTime()
{
    SystemTime time = FixedNoon();
    time.month = 13;
    return time;
}

class LogMessageTest : public ::testing::Test {
protected:
    void TearDown() override { CLogMessage::SetLocalTimeSourceForTesting(nullptr); }
};

TEST_F(LogMessageTest, FieldTable)
{
    const CFieldMap& map = CLogMessage::GetClassFieldMap();
    ASSERT_EQ(map.GetFieldCount(), 3u);
    const struct {
        const char* name;
        ValueKind kind;
        const char* getter;
    } expected[] = {{"Action type", KindLong, "&CLogMessage::GetActionType"},
                    {"Timestamp", KindInt64, "&CLogMessage::GetTimestamp"},
                    {"Message", KindStdString, "&CLogMessage::GetMessage"}};
    for (int32_t id = 0; id < 3; ++id) {
        const CField* field = map.Find(id);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->GetName(), expected[id].name);
        EXPECT_EQ(field->GetKind(), expected[id].kind);
        EXPECT_EQ(field->GetGetterName(), expected[id].getter);
        EXPECT_FALSE(field->HasSetter());
    }
    EXPECT_EQ(map.Find(3), nullptr);

    const auto* words = dynamic_cast<const CLongEnumFormat*>(map.Find(0)->GetFormat());
    ASSERT_NE(words, nullptr);
    CLongEnumFormat::ItemList items;
    words->GetItems(items);
    EXPECT_EQ(items, (CLongEnumFormat::ItemList{{0, "Add"}, {1, "Remove"}, {2, "Update"}, {3, "Settings"}}));
    const auto* stamp = dynamic_cast<const CInt64DateFormat*>(map.Find(1)->GetFormat());
    ASSERT_NE(stamp, nullptr);
    EXPECT_EQ(stamp->GetFlags(), 240);
    EXPECT_EQ(map.Find(2)->GetFormat(), nullptr);
}

TEST_F(LogMessageTest, ShowsTheActionTheTimeAndTheText)
{
    CLogMessage::SetLocalTimeSourceForTesting(&FixedNoon);
    const CLogMessage message(CLogMessage::ActionType::Remove, "Removed 10 rows");
    EXPECT_EQ(message.GetText(0), "Remove");
    EXPECT_EQ(message.GetText(1), "13:05:09.045");
    EXPECT_EQ(message.GetText(2), "Removed 10 rows");
    int64_t expected = 0;
    ASSERT_TRUE(SystemTimeToFileTime(FixedNoon(), expected));
    EXPECT_EQ(message.GetTimestamp(), expected);
}

TEST_F(LogMessageTest, AFailedConversionGivesTheStartOfTheScale)
{
    CLogMessage::SetLocalTimeSourceForTesting(&InvalidTime);
    const CLogMessage message(CLogMessage::ActionType::Settings, "x");
    EXPECT_EQ(message.GetTimestamp(), 0);
    EXPECT_EQ(message.GetText(1), "00:00:00.000");
    const CInt64DateFormat withDate(13 | 240);
    EXPECT_EQ(message.GetText(1, &withDate), "01/01/1601 00:00:00.000");
}

TEST_F(LogMessageTest, TheStampComesFromTheLocalClock)
{
    int64_t before = 0;
    int64_t after = 0;
    ASSERT_TRUE(SystemTimeToFileTime(GetLocalTime(), before));
    const CLogMessage message(CLogMessage::ActionType::Add, "Added");
    ASSERT_TRUE(SystemTimeToFileTime(GetLocalTime(), after));
    // Local wall-clock time: holds unless the clock is set back between the reads.
    EXPECT_GE(message.GetTimestamp(), before);
    EXPECT_LE(message.GetTimestamp(), after);
}

TEST_F(LogMessageTest, SubscribersReadTheTextWhileTheDeletionIsTold)
{
    Testing::CRecordingSink sink;
    std::string seen;
    sink.onDelete = [&seen](CDataObject* object) { seen = object->GetText(2); };
    auto message = std::make_unique<CLogMessage>(CLogMessage::ActionType::Add, "last words");
    message->Subscribe(&sink);
    message.reset();
    EXPECT_EQ(seen, "last words");
}

} // namespace
} // namespace Quellon
