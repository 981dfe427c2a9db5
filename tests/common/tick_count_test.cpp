#include "common/tick_count.h"

#include "threading_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

namespace Brivel::Common {
namespace {

struct TickPair {
    uint32_t a;
    uint32_t b;
    int32_t difference; // a - b, wrap-safe
};

void PrintTo(const TickPair& pair, std::ostream* out)
{
    *out << std::hex << "a=0x" << pair.a << " b=0x" << pair.b << std::dec << " a-b=" << pair.difference;
}

class TickComparison : public ::testing::TestWithParam<TickPair> {};

TEST_P(TickComparison, UsesTheSignedDifference)
{
    const TickPair pair = GetParam();
    EXPECT_EQ(TickDifference(pair.a, pair.b), pair.difference);
    EXPECT_EQ(IsTickLater(pair.a, pair.b), pair.difference > 0);
    EXPECT_EQ(IsTickLater(pair.b, pair.a), pair.difference < 0);
}

INSTANTIATE_TEST_SUITE_P(AcrossTheWrap, TickComparison,
                         ::testing::Values(TickPair{10, 5, 5}, TickPair{5, 5, 0},
                                           TickPair{0x00000005u, 0xFFFFFFF0u, 21},  // just after the wrap
                                           TickPair{0xFFFFFFF0u, 0x00000005u, -21}, // just before it
                                           TickPair{0x7FFFFFFFu, 0u, 0x7FFFFFFF},   // furthest still later
                                           TickPair{0x80000001u, 0u, -0x7FFFFFFF})); // too far: reads as earlier

class TickCountOffset : public ::testing::Test {
protected:
    void TearDown() override { SetTickCountOffsetForTesting(m_savedOffset); }

    // Moves the origin so that the counter reads `tick` now.
    void SetTickCountNow(uint32_t tick)
    {
        const uint32_t natural = GetTickCount() - GetTickCountOffsetForTesting();
        SetTickCountOffsetForTesting(tick - natural);
    }

    const uint32_t m_savedOffset = GetTickCountOffsetForTesting();
};

TEST_F(TickCountOffset, CounterWrapsToSmallValuesAndStaysOrdered)
{
    SetTickCountNow(0xFFFFFFFFu - 30);
    const uint32_t before = GetTickCount();
    EXPECT_GT(before, 0xFFFFFF00u);
    uint32_t after = before;
    EXPECT_TRUE(Testing::WaitUntil([&] {
        after = GetTickCount();
        return after < 0x80000000u;
    }));
    EXPECT_LT(after, 0x00010000u);
    EXPECT_TRUE(IsTickLater(after, before));
    EXPECT_GE(TickDifference(after, before), 30);
}

} // namespace
} // namespace Brivel::Common
