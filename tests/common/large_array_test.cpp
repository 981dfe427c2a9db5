#include "common/large_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace Brivel::Common {
namespace {

TEST(LargeArrayTest, SmallAndHugeBlocksStartZeroedAndMoveTheirElements)
{
    for (const size_t count : {size_t{16}, (size_t{4} << 20) / sizeof(uint64_t)}) {
        CLargeArray<uint64_t> array(count);
        ASSERT_EQ(array.Size(), count);
        EXPECT_EQ(array[0], 0u);
        EXPECT_EQ(array[count - 1], 0u);
        array[count - 1] = 42;
        if (count * sizeof(uint64_t) >= kHugePageBytes) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(&array[0]) % kHugePageBytes, 0u);
        }
        CLargeArray<uint64_t> moved(std::move(array));
        EXPECT_EQ(array.Size(), 0u);
        EXPECT_EQ(moved[count - 1], 42u);
        array = std::move(moved);
        EXPECT_EQ(array[count - 1], 42u);
    }
}

} // namespace
} // namespace Brivel::Common
