#pragma once
// CTestObject: the row of the benchmark's test grid, a name and ten integer
// values that the benchmark changes at random to drive the grid's update
// machinery.
//
// Field table (ids are also the test grid's column ids), every field
// read-only and without a format of its own:
//    0 "Name"      std::string  &CTestObject::GetName
//    1 "Value 1"   int32_t      &CTestObject::GetValue1
//   ...
//   10 "Value 10"  int32_t      &CTestObject::GetValue10
//
// Each value is the product of two draws of the calling thread's random
// source (random.h), so it lies in 0 .. 32767 * 32767 = 1 073 676 289.
//
// Ownership: the benchmark's main frame creates and deletes these objects;
// grids only point at them. The destructor announces the deletion before the
// name and values go, so subscribers may still read them in OnDelete.
// Thread: the values are written by whichever thread runs the update stream
// and read by the GUI thread without a lock: each is one 32-bit atomic word,
// written whole (relaxed; the notification that follows each write is what
// makes the grid read it again). The name is set once, at construction.

#include "common/data_object.h"
#include "common/field_table.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace Quellon {

class CTestObject : public Brivel::Common::CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()

public:
    static constexpr int32_t kValueCount = 10;
    // Field ids: 0 the name, 1..10 the values.
    static constexpr int32_t kNameField = 0;
    static constexpr int32_t kFirstValueField = 1;
    static constexpr int32_t kLastValueField = kValueCount;

    // Copies the name, then draws Value1 .. Value10 in order. Announces
    // nothing.
    explicit CTestObject(std::string name);
    ~CTestObject() override;

    std::string GetName() const { return m_name; }
    int32_t GetValue1() const noexcept { return Read(0); }
    int32_t GetValue2() const noexcept { return Read(1); }
    int32_t GetValue3() const noexcept { return Read(2); }
    int32_t GetValue4() const noexcept { return Read(3); }
    int32_t GetValue5() const noexcept { return Read(4); }
    int32_t GetValue6() const noexcept { return Read(5); }
    int32_t GetValue7() const noexcept { return Read(6); }
    int32_t GetValue8() const noexcept { return Read(7); }
    int32_t GetValue9() const noexcept { return Read(8); }
    int32_t GetValue10() const noexcept { return Read(9); }

    // Rewrites one value chosen at random (field k = draw mod 10 + 1) with
    // the product of the next two draws, then announces NotifyUpdate(k).
    // Answers k.
    int32_t UpdateRandomValue();

private:
    int32_t Read(int index) const noexcept { return m_values[index].load(std::memory_order_relaxed); }

    const std::string m_name;
    std::array<std::atomic<int32_t>, kValueCount> m_values; // index = field id - 1
};

static_assert(std::atomic<int32_t>::is_always_lock_free, "values are single words that the grid reads unlocked");

} // namespace Quellon
