// Fuzz target: a dynamic object's restore (CDataObject::Serialize over the
// values a CDynamicObject holds by identifier).
#include "fuzz/fuzz_check.h"

#include "common/dynamic_object.h"
#include "common/serializer.h"

#include <cstddef>
#include <cstdint>

using Brivel::Common::CDynamicObject;
using Brivel::Common::CSerializer;

namespace {

Brivel::Fuzz::Bytes Store(CDynamicObject& object)
{
    CSerializer serializer(CSerializer::Mode::Store);
    object.Serialize(serializer);
    return serializer.GetData();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Brivel::Fuzz;
    CDynamicObject first;
    try {
        CSerializer serializer(CSerializer::Mode::Restore);
        serializer.SetData(data, static_cast<std::ptrdiff_t>(size));
        first.Serialize(serializer);
    } catch (const CSerializer::SerializationException&) {
        return 0; // refused; the values read before the damage stay, which is documented
    }
    const Bytes bytes1 = Store(first);

    CDynamicObject second;
    CSerializer serializer(CSerializer::Mode::Restore);
    serializer.SetData(bytes1);
    try {
        second.Serialize(serializer);
    } catch (const CSerializer::SerializationException&) {
        Require(false, "a dynamic object refuses what it stored");
    }
    Require(serializer.GetRemaining() == 0, "a dynamic object leaves part of its stored form unread");
    RequireSameBytes(bytes1, Store(second), "the dynamic object");
    return 0;
}
