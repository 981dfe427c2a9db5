#include "common/field_value.h"

#include "common/serializer.h"
#include "tests/common/serializer_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace Brivel::Common {
namespace {

using Testing::Bytes;
using Testing::Stored;

CFieldValue Restored(const Bytes& bytes)
{
    return Testing::RestoreFrom(bytes).ReadFieldValue();
}

// One value of every kind, for the round trips.
std::vector<CFieldValue> OneOfEachKind()
{
    return {CFieldValue(CString("framework")),
            CFieldValue(std::string("standard")),
            CFieldValue(int8_t{-8}),
            CFieldValue(uint8_t{250}),
            CFieldValue(int16_t{-1600}),
            CFieldValue(uint16_t{65000}),
            CFieldValue(int32_t{-32}),
            CFieldValue(uint32_t{4000000000u}),
            CFieldValue(int64_t{-64000000000}),
            CFieldValue(true),
            CFieldValue(1.5f),
            CFieldValue(-2.25),
            CFieldValue(OpaqueWord{7})};
}

TEST(CFieldValue, DefaultHasKindNone)
{
    const CFieldValue value;
    EXPECT_EQ(value.GetKind(), KindNone);
    EXPECT_TRUE(value.IsEqual(CFieldValue()));
    EXPECT_FALSE(value.IsGreater(CFieldValue()));
}

TEST(CFieldValue, EachConstructorGivesItsKind)
{
    const std::vector<CFieldValue> values = OneOfEachKind();
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(values[i].GetKind(), static_cast<ValueKind>(i + 1));
}

TEST(CFieldValue, TypedReadsOfAnotherKindGiveZero)
{
    const CFieldValue value(int64_t{5});
    EXPECT_EQ(value.GetLong(), 0);
    EXPECT_EQ(value.GetInt64(), 5);
    EXPECT_EQ(value.GetStdString(), "");
    EXPECT_EQ(value.GetDouble(), 0.0);
}

TEST(CFieldValue, StringWithoutPayloadEqualsTheEmptyString)
{
    CFieldValue restored = Restored({1, KindStdString, 0, 0, 0, 0});
    EXPECT_TRUE(restored.IsEqual(CFieldValue(std::string())));
    EXPECT_TRUE(CFieldValue(std::string()).IsEqual(CFieldValue(std::string(""))));
    EXPECT_TRUE(CFieldValue(CString()).IsEqual(CFieldValue(CString(""))));
}

TEST(CFieldValue, DifferentKindsNeitherEqualNorOrder)
{
    const CFieldValue a(int32_t{5});
    const CFieldValue b(int64_t{5});
    EXPECT_FALSE(a.IsEqual(b));
    EXPECT_FALSE(b.IsEqual(a));
    EXPECT_FALSE(a.IsGreater(b));
    EXPECT_FALSE(b.IsGreater(a));
    EXPECT_FALSE(CFieldValue(CString("a")).IsEqual(CFieldValue(std::string("a"))));
}

TEST(CFieldValue, SignedKindsOrderSigned)
{
    EXPECT_TRUE(CFieldValue(int64_t{0}).IsGreater(CFieldValue(int64_t{-1})));
    EXPECT_FALSE(CFieldValue(int64_t{-1}).IsGreater(CFieldValue(int64_t{0})));
    EXPECT_TRUE(CFieldValue(int8_t{1}).IsGreater(CFieldValue(int8_t{-128})));
    EXPECT_TRUE(CFieldValue(int16_t{0}).IsGreater(CFieldValue(int16_t{-1})));
    EXPECT_TRUE(CFieldValue(int32_t{0}).IsGreater(CFieldValue(int32_t{-1})));
}

TEST(CFieldValue, UnsignedKindsOrderUnsigned)
{
    EXPECT_TRUE(CFieldValue(uint32_t{4294967295u}).IsGreater(CFieldValue(uint32_t{0})));
    EXPECT_TRUE(CFieldValue(uint8_t{255}).IsGreater(CFieldValue(uint8_t{1})));
    EXPECT_TRUE(CFieldValue(uint16_t{65535}).IsGreater(CFieldValue(uint16_t{0})));
    EXPECT_TRUE(CFieldValue(OpaqueWord{0x80000000u}).IsGreater(CFieldValue(OpaqueWord{1})));
    EXPECT_TRUE(CFieldValue(true).IsGreater(CFieldValue(false)));
    EXPECT_FALSE(CFieldValue(true).IsGreater(CFieldValue(true)));
}

TEST(CFieldValue, StringsOrderByUnsignedBytesWithAPrefixFirst)
{
    EXPECT_TRUE(CFieldValue(std::string("\xe9")).IsGreater(CFieldValue(std::string("z"))));
    EXPECT_TRUE(CFieldValue(std::string("abc")).IsGreater(CFieldValue(std::string("ab"))));
    EXPECT_FALSE(CFieldValue(std::string("ab")).IsGreater(CFieldValue(std::string("abc"))));
    EXPECT_TRUE(CFieldValue(CString("\xe9")).IsGreater(CFieldValue(CString("z"))));
    EXPECT_TRUE(CFieldValue(CString("b")).IsGreater(CFieldValue(CString("abc"))));
}

TEST(CFieldValue, RealsAreEqualUnlessOrdered)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(CFieldValue(nan).IsEqual(CFieldValue(1.0))); // neither less nor greater
    EXPECT_FALSE(CFieldValue(nan).IsGreater(CFieldValue(1.0)));
    EXPECT_TRUE(CFieldValue(0.0).IsEqual(CFieldValue(-0.0)));
    EXPECT_TRUE(CFieldValue(2.0f).IsGreater(CFieldValue(-3.0f)));
}

TEST(CFieldValue, CopiesAreDeep)
{
    CFieldValue original(std::string("text"));
    CFieldValue copy = original;
    original = CFieldValue(int32_t{1});
    EXPECT_EQ(copy.GetStdString(), "text");

    CFieldValue assigned(CString("a"));
    assigned = copy;
    EXPECT_EQ(assigned.GetKind(), KindStdString);
    EXPECT_EQ(assigned.GetStdString(), "text");
    assigned = assigned; // self-assignment keeps the value
    EXPECT_EQ(assigned.GetStdString(), "text");
}

TEST(CFieldValue, MoveLeavesTheSourceEmpty)
{
    CFieldValue source(CString("moved"));
    CFieldValue target(std::move(source));
    EXPECT_EQ(target.GetCString(), CString("moved"));
    EXPECT_EQ(source.GetKind(), KindNone); // NOLINT(bugprone-use-after-move)
}

TEST(CFieldValueSerialize, StoresFlagKindAndPayload)
{
    EXPECT_EQ(Stored(CFieldValue(int32_t{0x01020304})), (Bytes{1, KindLong, 4, 3, 2, 1}));
    EXPECT_EQ(Stored(CFieldValue(int16_t{-2})), (Bytes{1, KindShort, 0xFE, 0xFF}));
    EXPECT_EQ(Stored(CFieldValue(true)), (Bytes{1, KindBool, 1}));
    EXPECT_EQ(Stored(CFieldValue(std::string("ab"))), (Bytes{1, KindStdString, 2, 0, 0, 0, 'a', 'b', 0}));
    EXPECT_EQ(Stored(CFieldValue()), (Bytes{1, KindNone}));
}

TEST(CFieldValueSerialize, OpaqueStoresTwoBytesAndRestoresEmpty)
{
    const Bytes bytes = Stored(CFieldValue(OpaqueWord{0xABCD}));
    EXPECT_EQ(bytes, (Bytes{1, KindOpaque}));
    EXPECT_EQ(Restored(bytes).GetKind(), KindNone);
}

TEST(CFieldValueSerialize, EveryKindWithPayloadRoundTrips)
{
    for (const CFieldValue& value : OneOfEachKind()) {
        if (value.GetKind() == KindOpaque)
            continue;
        const CFieldValue back = Restored(Stored(value));
        EXPECT_EQ(back.GetKind(), value.GetKind());
        EXPECT_TRUE(back.IsEqual(value)) << "kind " << value.GetKind();
    }
}

TEST(CFieldValueSerialize, RestoreEmptiesTheValueFirst)
{
    CFieldValue value(std::string("old"));
    CSerializer serializer = Testing::RestoreFrom({0});
    value.Serialize(serializer);
    EXPECT_EQ(value.GetKind(), KindNone);
}

TEST(CFieldValueSerialize, UnknownKindReadsNothingMore)
{
    CSerializer serializer = Testing::RestoreFrom({1, 99, 0x55});
    EXPECT_EQ(serializer.ReadFieldValue().GetKind(), KindNone);
    EXPECT_EQ(serializer.GetRemaining(), 1u);
}

TEST(CFieldValueSerialize, NonZeroBoolByteRestoresTrue)
{
    const CFieldValue value = Restored({1, KindBool, 9});
    EXPECT_TRUE(value.GetBool());
    EXPECT_TRUE(value.IsEqual(CFieldValue(true)));
}

TEST(CFieldValueSerialize, TruncatedPayloadRaises)
{
    EXPECT_THROW(Restored({1, KindInt64, 1, 2, 3}), CSerializer::SerializationException);
    EXPECT_THROW(Restored({1, KindStdString, 9, 0, 0, 0, 'a'}), CSerializer::SerializationException);
    EXPECT_THROW(Restored({1}), CSerializer::SerializationException);
}

} // namespace
} // namespace Brivel::Common
