#include "app/test_object.h"

#include "app/random.h"

#include <utility>

namespace Quellon {

namespace {

int32_t DrawProduct() noexcept
{
    const int32_t first = Random();
    const int32_t second = Random();
    return first * second; // at most 32767 * 32767: fits
}

} // namespace

BRIVEL_BEGIN_FIELD_MAP(CTestObject)
    BRIVEL_FIELD(0, "Name", &CTestObject::GetName, 0, nullptr)
    BRIVEL_FIELD(1, "Value 1", &CTestObject::GetValue1, 0, nullptr)
    BRIVEL_FIELD(2, "Value 2", &CTestObject::GetValue2, 0, nullptr)
    BRIVEL_FIELD(3, "Value 3", &CTestObject::GetValue3, 0, nullptr)
    BRIVEL_FIELD(4, "Value 4", &CTestObject::GetValue4, 0, nullptr)
    BRIVEL_FIELD(5, "Value 5", &CTestObject::GetValue5, 0, nullptr)
    BRIVEL_FIELD(6, "Value 6", &CTestObject::GetValue6, 0, nullptr)
    BRIVEL_FIELD(7, "Value 7", &CTestObject::GetValue7, 0, nullptr)
    BRIVEL_FIELD(8, "Value 8", &CTestObject::GetValue8, 0, nullptr)
    BRIVEL_FIELD(9, "Value 9", &CTestObject::GetValue9, 0, nullptr)
    BRIVEL_FIELD(10, "Value 10", &CTestObject::GetValue10, 0, nullptr)
BRIVEL_END_FIELD_MAP()

CTestObject::CTestObject(std::string name) : m_name(std::move(name))
{
    for (auto& value : m_values)
        value.store(DrawProduct(), std::memory_order_relaxed);
}

CTestObject::~CTestObject()
{
    AnnounceDeletion();
}

int32_t CTestObject::UpdateRandomValue()
{
    const int32_t field = Random() % kValueCount + kFirstValueField;
    m_values[field - kFirstValueField].store(DrawProduct(), std::memory_order_relaxed);
    NotifyUpdate(field);
    return field;
}

} // namespace Quellon
