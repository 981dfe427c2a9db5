#pragma once
// Helpers for tests that check stored bytes: store an object into a fresh
// store-mode serializer, or open a restore-mode serializer over bytes.

#include "common/field_value.h"
#include "common/format.h"
#include "common/serializer.h"

#include <cstdint>
#include <vector>

namespace Brivel::Common::Testing {

using Bytes = std::vector<uint8_t>;

inline Bytes Stored(const CFieldValue& value)
{
    CSerializer serializer(CSerializer::Mode::Store);
    serializer.WriteFieldValue(value);
    return serializer.GetData();
}

inline Bytes Stored(const CFormat& format)
{
    CSerializer serializer(CSerializer::Mode::Store);
    serializer.WriteFormat(format);
    return serializer.GetData();
}

inline CSerializer RestoreFrom(const Bytes& bytes)
{
    CSerializer serializer(CSerializer::Mode::Restore);
    serializer.SetData(bytes);
    return serializer;
}

} // namespace Brivel::Common::Testing
