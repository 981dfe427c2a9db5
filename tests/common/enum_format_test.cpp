// CLongEnumFormat: text and parse over the item order, the item operations,
// the stored layout and damaged streams that must not break the items.

#include "common/enum_format.h"

#include "common/serializer.h"
#include "tests/common/serializer_test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace Brivel::Common {
namespace {

using Testing::Bytes;
using Testing::Stored;

const CLongEnumFormat::Item kActions[] = {{0, "Add"}, {1, "Remove"}, {2, "Update"}, {3, "Settings"}};

// The items as "value=text" in item order.
std::string Describe(const CLongEnumFormat& format)
{
    CLongEnumFormat::ItemList items;
    format.GetItems(items);
    std::string text;
    for (const auto& [value, word] : items)
        text += (text.empty() ? "" : " ") + std::to_string(value) + "=" + word;
    return text;
}

TEST(LongEnumFormat, WordsOfTheActionTable)
{
    const CLongEnumFormat format(kActions, 4);
    EXPECT_EQ(format.Format(int32_t{2}), "Update");
    EXPECT_EQ(format.Format(int32_t{7}), "");
    int32_t value = -1;
    EXPECT_TRUE(format.Parse(std::string("Remove"), value));
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(format.Parse(std::string("remove"), value));
    EXPECT_FALSE(format.Parse(std::string("Remove "), value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(format.IsEnumeration());
    EXPECT_EQ(format.FormatCString(CFieldValue(int32_t{3})), CString("Settings"));
}

TEST(LongEnumFormat, TheItemOrderDecidesAmongEqualTexts)
{
    const CLongEnumFormat::Item items[] = {{5, "same"}, {1, "same"}, {5, "skipped"}, {2, nullptr}};
    CLongEnumFormat format(items, 4);
    EXPECT_EQ(Describe(format), "5=same 1=same 2=");
    int32_t value = 0;
    EXPECT_TRUE(format.Parse(std::string("same"), value));
    EXPECT_EQ(value, 5);
    EXPECT_EQ(Describe(CLongEnumFormat(nullptr, 3)), "");
    EXPECT_EQ(Describe(CLongEnumFormat(items, -1)), "");
}

TEST(LongEnumFormat, ItemOperations)
{
    CLongEnumFormat format(kActions, 2);
    EXPECT_FALSE(format.AddItem(1, "again"));
    EXPECT_EQ(format.ItemText(9), ""); // added at the end with an empty text
    format.ItemText(9) = "Nine";
    format.ItemText(0) = "Append";
    EXPECT_EQ(Describe(format), "0=Append 1=Remove 9=Nine");
    EXPECT_FALSE(format.RemoveItem(4));
    EXPECT_TRUE(format.RemoveItem(1));
    EXPECT_EQ(Describe(format), "0=Append 9=Nine");
    int32_t value = 0;
    EXPECT_FALSE(format.Parse(std::string("Remove"), value));
    CLongEnumFormat::ItemList items;
    EXPECT_FALSE(CLongEnumFormat().GetItems(items));
}

TEST(LongEnumFormatStorage, OrderThenTextsByValue)
{
    const CLongEnumFormat::Item items[] = {{3, "c"}, {-1, "a"}};
    const Bytes stored = Stored(CLongEnumFormat(items, 2));
    EXPECT_EQ(stored, (Bytes{1, 0, 0, 0,                                  // version
                             2, 0, 0, 0, 3, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, // the order
                             2, 0, 0, 0,                                  // the texts, by value
                             0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 'a', 0,
                             3, 0, 0, 0, 1, 0, 0, 0, 'c', 0}));
    CLongEnumFormat restored(kActions, 4); // its items are replaced
    Testing::RestoreFrom(stored).ReadFormat(restored);
    EXPECT_EQ(Describe(restored), "3=c -1=a");
}

TEST(LongEnumFormatStorage, DamagedStreamsKeepTheItemsConsistent)
{
    // The order lists 4 twice and 8 without a text; 6 has a text but no place.
    const Bytes stored = {1, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 8, 0, 0, 0, 4, 0, 0, 0,
                          2, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 'd', 0, 6, 0, 0, 0, 0, 0, 0, 0};
    CLongEnumFormat format;
    Testing::RestoreFrom(stored).ReadFormat(format);
    EXPECT_EQ(Describe(format), "4=d 6=");

    // Cut short in the texts: the items read so far stay.
    CLongEnumFormat cut;
    CSerializer serializer(CSerializer::Mode::Restore);
    serializer.SetData(stored.data(), 36);
    EXPECT_THROW(serializer.ReadFormat(cut), CSerializer::SerializationException);
    EXPECT_EQ(Describe(cut), "4=d");

    std::mt19937 random(17);
    for (int round = 0; round < 3000; ++round) {
        Bytes noise = {1, 0, 0, 0};
        for (size_t index = random() % 40; index > 0; --index)
            noise.push_back(static_cast<uint8_t>(random() % 4 ? random() % 6 : random()));
        CLongEnumFormat target;
        try {
            Testing::RestoreFrom(noise).ReadFormat(target);
        } catch (const CSerializer::SerializationException&) {
        }
        CLongEnumFormat::ItemList items;
        target.GetItems(items);
        for (const auto& item : items) {
            int32_t value = 0;
            ASSERT_TRUE(target.Parse(item.second, value)); // every listed item has its text
            EXPECT_EQ(target.Format(item.first), item.second);
        }
    }

    Bytes newer = stored;
    newer[0] = 2;
    try {
        Testing::RestoreFrom(newer).ReadFormat(format);
        ADD_FAILURE() << "a newer version was read";
    } catch (const CSerializer::BadVersionException& error) {
        EXPECT_STREQ(error.what(), "CLongEnumFormat doesn't support current version and can't be deserialized.");
    }
}

} // namespace
} // namespace Brivel::Common
